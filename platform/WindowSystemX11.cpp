// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The desktop's windows on an X11 display, through libxcb and its EWMH
// helpers. Every call opens its own connection to the display and closes it
// again: the program's Qt connection never sees our requests or their errors.
#include "platform/WindowSystem.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace qv::platform {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T *r)
{
    return Reply<T>(r, &std::free);
}

/// True when the program's windows live on an X11 display.
bool displayIsX11()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::platformName() == QLatin1String("xcb");
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

/// One connection to the display with its EWMH atoms.
class Display
{
public:
    Display()
    {
        if (!displayIsX11())
            return;
        m_connection = xcb_connect(nullptr, &m_screenNumber);
        if (xcb_connection_has_error(m_connection)) {
            xcb_disconnect(m_connection);
            m_connection = nullptr;
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screenNumber && it.rem > 0; ++i)
            xcb_screen_next(&it);
        if (it.rem == 0)
            return;
        m_root = it.data->root;
        // On failure the atoms are released by the call itself.
        m_ewmhReady = xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_connection, &m_ewmh), nullptr);
        m_windowManager = m_ewmhReady && windowManagerRuns();
    }
    ~Display()
    {
        if (m_ewmhReady)
            xcb_ewmh_connection_wipe(&m_ewmh);
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;

    /// Connected, with the EWMH atoms known.
    explicit operator bool() const { return m_connection && m_root && m_ewmhReady; }

    /// The windows of the window manager's client list, topmost first; the
    /// root's mapped children without a window manager.
    QList<xcb_window_t> topLevelWindows()
    {
        QList<xcb_window_t> windows;
        if (m_windowManager && clientList(windows))
            return windows;
        auto tree = reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        if (!tree)
            return windows;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        // The children come bottom first.
        for (int i = count - 1; i >= 0; --i) {
            auto attributes = this->attributes(children[i]);
            if (attributes && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT
                && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !attributes->override_redirect)
                windows.append(children[i]);
        }
        return windows;
    }

    /// The title: _NET_WM_NAME (UTF-8), else WM_NAME.
    QString title(xcb_window_t window)
    {
        xcb_ewmh_get_utf8_strings_reply_t name;
        if (xcb_ewmh_get_wm_name_reply(&m_ewmh, xcb_ewmh_get_wm_name(&m_ewmh, window), &name, nullptr)) {
            const QString text = QString::fromUtf8(name.strings, name.strings_len);
            xcb_ewmh_get_utf8_strings_reply_wipe(&name);
            return text;
        }
        auto property = reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
        if (!property || property->format != 8)
            return QString();
        const char *bytes = static_cast<const char *>(xcb_get_property_value(property.get()));
        const int size = xcb_get_property_value_length(property.get());
        return property->type == m_ewmh.UTF8_STRING ? QString::fromUtf8(bytes, size) : QString::fromLatin1(bytes, size);
    }

    /// Shows, raises and focuses \a window.
    bool bringForward(xcb_window_t window)
    {
        auto attributes = this->attributes(window);
        if (!attributes)
            return false;
        if (isManaged(window)) {
            // The window manager restores a minimised window, raises and
            // focuses it; "other" as the source: the user's own request.
            xcb_ewmh_request_change_active_window(&m_ewmh, m_screenNumber, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                                  XCB_CURRENT_TIME, XCB_NONE);
        } else {
            if (attributes->map_state == XCB_MAP_STATE_UNMAPPED)
                xcb_map_window(m_connection, window);
            raise(window);
            xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        }
        return sync();
    }

    /// Sets or clears the "above" state of \a window.
    bool setAbove(xcb_window_t window, bool above)
    {
        auto attributes = this->attributes(window);
        if (!attributes)
            return false;
        if (isManaged(window)) {
            xcb_ewmh_request_change_wm_state(&m_ewmh, m_screenNumber, window,
                                             above ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE,
                                             m_ewmh._NET_WM_STATE_ABOVE, XCB_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
            return sync();
        }
        // No window manager looks after the window: the state is a property
        // that the window's owner (and a window manager started later) reads.
        QList<xcb_atom_t> states;
        xcb_ewmh_get_atoms_reply_t current;
        if (xcb_ewmh_get_wm_state_reply(&m_ewmh, xcb_ewmh_get_wm_state(&m_ewmh, window), &current, nullptr)) {
            for (uint32_t i = 0; i < current.atoms_len; ++i)
                if (current.atoms[i] != m_ewmh._NET_WM_STATE_ABOVE)
                    states.append(current.atoms[i]);
            xcb_ewmh_get_atoms_reply_wipe(&current);
        }
        if (above)
            states.append(m_ewmh._NET_WM_STATE_ABOVE);
        xcb_ewmh_set_wm_state(&m_ewmh, window, uint32_t(states.size()), states.data());
        if (above && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            raise(window);
        return sync();
    }

private:
    Reply<xcb_get_window_attributes_reply_t> attributes(xcb_window_t window)
    {
        return reply(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    }

    /// A window manager announces itself on the root window with a child
    /// window that names itself again (EWMH's _NET_SUPPORTING_WM_CHECK).
    bool windowManagerRuns()
    {
        xcb_window_t check = XCB_NONE, again = XCB_NONE;
        return xcb_ewmh_get_supporting_wm_check_reply(&m_ewmh, xcb_ewmh_get_supporting_wm_check(&m_ewmh, m_root),
                                                      &check, nullptr)
               && xcb_ewmh_get_supporting_wm_check_reply(&m_ewmh, xcb_ewmh_get_supporting_wm_check(&m_ewmh, check),
                                                         &again, nullptr)
               && check != XCB_NONE && again == check;
    }

    bool clientList(QList<xcb_window_t> &windows)
    {
        xcb_ewmh_get_windows_reply_t list;
        const bool stacking = xcb_ewmh_get_client_list_stacking_reply(
            &m_ewmh, xcb_ewmh_get_client_list_stacking(&m_ewmh, m_screenNumber), &list, nullptr);
        if (!stacking
            && !xcb_ewmh_get_client_list_reply(&m_ewmh, xcb_ewmh_get_client_list(&m_ewmh, m_screenNumber), &list,
                                               nullptr))
            return false;
        windows = QList<xcb_window_t>(list.windows, list.windows + list.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&list);
        // The stacking list comes bottom first.
        if (stacking)
            std::reverse(windows.begin(), windows.end());
        return true;
    }

    /// True when a window manager runs and has \a window in its client list.
    bool isManaged(xcb_window_t window)
    {
        QList<xcb_window_t> clients;
        return m_windowManager && clientList(clients) && clients.contains(window);
    }

    void raise(xcb_window_t window)
    {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }

    /// Waits until the server has handled every request sent so far.
    bool sync()
    {
        return reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)) != nullptr;
    }

    xcb_connection_t *m_connection = nullptr;
    int m_screenNumber = 0;
    xcb_window_t m_root = XCB_NONE;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    bool m_windowManager = false;
};

} // namespace

std::optional<QList<DesktopWindow>> desktopWindows()
{
    Display display;
    if (!display)
        return std::nullopt;
    QList<DesktopWindow> windows;
    for (const xcb_window_t window : display.topLevelWindows())
        windows.append(DesktopWindow{window, display.title(window)});
    return windows;
}

bool bringWindowForward(uint32_t id)
{
    Display display;
    return display && display.bringForward(id);
}

bool setWindowAbove(uint32_t id, bool above)
{
    Display display;
    return display && display.setAbove(id, above);
}

} // namespace qv::platform
