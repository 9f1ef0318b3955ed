// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace qv {

/// What a container (a form designer) offers a property page it shows:
/// the selected controls and the page's changed flag. The page reads and
/// writes the controls' properties by name, through their Q_PROPERTY
/// declarations.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PropertyPage
class QV_EXPORT PropertyPageSite
{
public:
    virtual ~PropertyPageSite() = default;
    /// The controls selected in the designer, the first one at index 0.
    /// \note The controls stay owned by the container.
    virtual QList<QObject *> SelectedControls() const = 0;
    /// True while the page holds edits not yet applied; the container then
    /// offers to apply them.
    virtual bool Changed() const = 0;
    /// The page says whether it holds edits not yet applied (see Changed()).
    virtual void setChanged(bool changed) = 0;
};

/// A property page as the container drives it.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PropertyPage
class QV_EXPORT PropertyPage
{
public:
    virtual ~PropertyPage() = default;
    /// The caption of the page's tab.
    virtual QString Caption() const = 0;
    /// The container's selection changed: the page loads the values it edits.
    virtual void SelectionChanged() = 0;
    /// The user applies the edits: the page writes them to the selection.
    /// Errors of the property access are thrown to the container as qv::Error.
    virtual void ApplyChanges() = 0;
};

/// The property page of PrintPreview, "Anteprima": it edits the title
/// (`titolo`, the preview window's caption) of the first selected control,
/// any QObject with a `QString titolo` property. A container shows the widget
/// in a window of its own and drives it through its PropertyPage interface
/// (`dynamic_cast<qv::PropertyPage *>(page)`). \a site stays owned by the
/// container and must outlive the page; the widget belongs to \a parent, or
/// to the caller when \a parent is null.
QV_EXPORT QWidget *CreaPaginaAnteprima(PropertyPageSite *site, QWidget *parent = nullptr);

} // namespace qv
