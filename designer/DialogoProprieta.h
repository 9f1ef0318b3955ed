// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/PropertyPageSite.h>

#include <QDialog>
#include <QPointer>
#include <QVariant>

#include <functional>

class QPushButton;

namespace qv::designer {

/// How the dialog writes a property of the control: in Designer through the
/// form window's cursor, so that the change is undoable and saved.
using Scrittura = std::function<void(const QString &name, const QVariant &value)>;

/// The control as the property page sees it: the page reads `titolo` from
/// the control, and its write goes through the dialog's Scrittura instead of
/// straight into the control.
class ControlloInModifica : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString titolo READ titolo WRITE setTitolo)
public:
    ControlloInModifica(QWidget *control, Scrittura scrivi, QObject *parent = nullptr);

    QString titolo() const;
    void setTitolo(const QString &value);

private:
    QPointer<QWidget> m_control;
    Scrittura m_scrivi;
};

/// The property page of qv::PrintPreview ("Anteprima", the title) in a
/// dialog of its own, with "OK", "Annulla" and "Applica", as the form's
/// context menu opens it. The dialog is the page's site: it holds the
/// changed flag, which enables "Applica". "OK" applies the edits and closes;
/// an edit the control refuses is reported and the dialog stays open.
class DialogoProprieta : public QDialog, private PropertyPageSite
{
    Q_OBJECT
public:
    DialogoProprieta(QWidget *control, Scrittura scrivi, QWidget *parent = nullptr);
    ~DialogoProprieta() override;

    /// Applies the page's edits to the control; false, after saying why in a
    /// message box, when they were refused.
    bool applica();
    void accept() override;

private:
    QList<QObject *> SelectedControls() const override;
    bool Changed() const override { return m_changed; }
    void setChanged(bool changed) override;
    void mostraErrore(const QString &testo);

    ControlloInModifica *m_modifica = nullptr;
    PropertyPage *m_pagina = nullptr;
    QPushButton *m_applica = nullptr;
    bool m_changed = false;
};

} // namespace qv::designer
