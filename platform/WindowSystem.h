// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The top-level windows of the desktop, this program's and other programs':
// listing them with their titles, bringing one forward, keeping one above the
// others. On an X11 display this talks to the X server (libxcb) and, when one
// runs, to the window manager through its standard (EWMH) messages; on any
// other display other programs' windows cannot be reached and every call
// reports that.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv::platform {

/// One top-level window of the desktop.
struct DesktopWindow
{
    uint32_t id = 0; ///< the native window id (an X11 window)
    QString title;   ///< its title as the window manager shows it

    bool operator==(const DesktopWindow &) const = default;
};

/// The top-level windows of the desktop, the topmost first: the window
/// manager's client list (in stacking order when it keeps one), or without a
/// window manager the root window's children that are mapped. nullopt when
/// other programs' windows cannot be reached: the program's display is not
/// an X11 display that answers (the Qt platform "xcb", or no Qt application
/// and $DISPLAY set), as on Wayland or offscreen.
std::optional<QList<DesktopWindow>> desktopWindows();

/// Shows the window \a id in its normal state (a minimised window comes
/// back), puts it above the other windows and gives it the focus: through
/// the window manager when one runs, else directly. False when the windows
/// cannot be reached or \a id names no window.
bool bringWindowForward(uint32_t id);

/// Sets (\a above true) or clears the window manager's "above" state
/// (_NET_WM_STATE_ABOVE) of the window \a id, which keeps it above normal
/// windows. Without a window manager the state property is written directly
/// and a window set above is raised. False when the windows cannot be
/// reached or \a id names no window.
bool setWindowAbove(uint32_t id, bool above);

} // namespace qv::platform
