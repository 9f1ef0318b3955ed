// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// How the preview window opens, and whether it remembers the user's last one.
#pragma once

#include <QSize>

namespace qv {

/// How the preview window opens (PrintPreview's preview properties,
/// SpoolFile::showPreview()). Every member defaults off: the window opens at
/// its design size (8715 x 5940 twips) at the top-left corner of the screen,
/// at 100 %, on the plain grey background, and forgets everything when it
/// closes.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PreviewWindowOptions
struct PreviewWindowOptions
{
    /// How the zoom fits the window when it opens.
    enum Fit {
        FitNone = 0,  ///< 100 %
        FitPage = 1,  ///< the whole page in the window ("Adatta alla pagina")
        FitWidth = 2, ///< the page as wide as the window ("Adatta alla larghezza")
    };

    /// Opens maximised. Default false.
    bool maximized = false;
    /// The window's size in device-independent pixels when it opens, centred
    /// on the screen and cut to the screen's free area. Default: an invalid
    /// size, the design size at the top-left corner.
    QSize size;
    /// The zoom the window opens at; it then follows the window's size, as
    /// the fitted zooms of the menu do. Default FitNone (100 %).
    Fit fit = FitNone;
    /// Remembers the window's size, position, maximised state, zoom and view
    /// for the user between runs, in the user's settings
    /// (`$XDG_CONFIG_HOME/QVPREVIEW.ini`, section `[FINESTRA]`); what was
    /// remembered wins over maximized, size and fit. The quality box is
    /// always remembered. Default false.
    bool remember = false;
    /// The page stands on the grey background with a margin of 16 pixels
    /// around it and a shadow, as in document viewers. Default false.
    bool pageShadow = false;

    /// True when every option is the same.
    bool operator==(const PreviewWindowOptions &) const = default;
};

} // namespace qv
