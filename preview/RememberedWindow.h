// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What the preview window remembers of its last showing for the user, when
// the host asks it to: kept in the user's settings, QVPREVIEW.ini [FINESTRA].
#pragma once

#include "preview/PageView.h"

#include <qvpreview/PreviewWindowOptions.h>

#include <QRect>
#include <QWidget>

#include <optional>

namespace qv {

struct RememberedWindow
{
    /// The window's normal (not maximised) geometry, pixels, without its frame.
    QRect geometria;
    bool massimizzata = false;
    /// A fitted zoom, or the zoom factor of a step or a typed zoom.
    PageView::Adattamento adattamento = PageView::Adattamento::Nessuno;
    double zoom = 1;
    /// The view (0: single page), as the window's view hook gives it.
    int vista = 0;

    bool operator==(const RememberedWindow &) const = default;

    /// What the settings hold; nullopt when nothing was remembered yet. A
    /// value that cannot be read (edited by hand, from another version) is
    /// left at its default, the others are kept. A geometry smaller than
    /// 200 x 150 pixels, or without 100 x 50 pixels of it on one of the
    /// screens there are now, is left out (an invalid QRect): the window
    /// then opens as it would the first time.
    static std::optional<RememberedWindow> leggi();
    /// What \a window shows now: its geometry and state, the zoom \a zoom
    /// and the view \a view.
    static RememberedWindow of(const QWidget &window, const PageView &zoom, int view);
    /// Stores it; false when the settings could not be written.
    bool scrivi() const;
};

/// How the window opens, from the host's options and what was remembered:
/// worked out without the window, which then applies it.
struct WindowOpening
{
    /// The window's geometry; invalid: where and as large as it is.
    QRect geometry;
    bool maximized = false;
    /// The zoom: a fitting, else (\a setFactor) the factor \a factor.
    PageView::Adattamento fit = PageView::Adattamento::Nessuno;
    bool setFactor = false;
    double factor = 1;
    /// The view, as it was left: the number of its ViewerModel::ViewMode
    /// (0 one page, 1 continuous, 2 facing pages, 3 the overview).
    int view = 0;

    bool operator==(const WindowOpening &) const = default;

    /// The size remembered (else the host's, centred), within \a freeArea
    /// (the screen's area free of panels); a remembered window on a screen
    /// that is gone comes back onto this one. The zoom and the view
    /// remembered, else the host's fitting.
    static WindowOpening of(const PreviewWindowOptions &options, const std::optional<RememberedWindow> &remembered,
                            const QRect &freeArea);
};

} // namespace qv
