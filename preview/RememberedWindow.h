// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What the preview window remembers of its last showing for the user, when
// the host asks it to: kept in the user's settings, QVPREVIEW.ini [FINESTRA].
#pragma once

#include "preview/PageView.h"

#include <QRect>

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
    /// Stores it; false when the settings could not be written.
    bool scrivi() const;
};

} // namespace qv
