// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>

#include <QPointer>

class QAction;
class QExtensionManager;

namespace qv::designer {

/// The entry of qv::PrintPreview in the form's context menu: "Proprietà
/// dell'Anteprima..." opens the control's property page (the title) in a
/// dialog. Its changes go through the form window's cursor, as the property
/// editor's do: they can be undone, mark the form modified and are saved in
/// the .ui file. A control outside a form window is written directly.
class PrintPreviewTaskMenu : public QObject, public QDesignerTaskMenuExtension
{
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)
public:
    PrintPreviewTaskMenu(QWidget *control, QObject *parent);

    /// The page's action: F2 on the selected control opens it too.
    QAction *preferredEditAction() const override;
    QList<QAction *> taskActions() const override;

private:
    void apriPagina();

    QPointer<QWidget> m_control;
    QAction *m_azione = nullptr;
};

/// Gives Designer the context menu of every qv::PrintPreview of a form.
class PrintPreviewTaskMenuFactory : public QExtensionFactory
{
    Q_OBJECT
public:
    explicit PrintPreviewTaskMenuFactory(QExtensionManager *parent);

protected:
    QObject *createExtension(QObject *object, const QString &iid, QObject *parent) const override;
};

} // namespace qv::designer
