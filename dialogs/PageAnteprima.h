// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/PropertyPageSite.h>

#include <QWidget>

class QLabel;
class QLineEdit;

namespace qv {

/// The design-time property page "Anteprima" of the preview control: it
/// edits the `titolo` property of the first selected control (the caption of
/// its preview window). The changed flag lives in the container's site.
///
/// The selected controls are reached by property name: any QObject with a
/// `QString titolo` Q_PROPERTY can be edited, qv::PrintPreview among them.
/// Errors of that access are thrown to the container as qv::Error: 9 when
/// nothing is selected, 91 for a null control, 438 for a control without a
/// `titolo` property, 383 when it cannot be written; an error the control's
/// own setter throws passes unchanged.
class PageAnteprima : public QWidget, public PropertyPage
{
    Q_OBJECT
public:
    /// \note The site stays owned by the container and must outlive the page.
    explicit PageAnteprima(PropertyPageSite *site = nullptr, QWidget *parent = nullptr);
    ~PageAnteprima() override;

    void setSite(PropertyPageSite *site) { m_site = site; }
    PropertyPageSite *site() const { return m_site; }

    /// "Anteprima".
    QString Caption() const override;
    /// Loads the first selected control's title into the field; the page is
    /// then unchanged.
    void SelectionChanged() override;
    /// Stores the field's text, without leading and trailing spaces, as the
    /// first selected control's title. The other selected controls keep theirs.
    void ApplyChanges() override;

private:
    QObject *primoSelezionato() const;

    PropertyPageSite *m_site = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
};

} // namespace qv
