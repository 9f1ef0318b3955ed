// SPDX-License-Identifier: MIT
// Finding a program's window on the X server, for the tests that run
// "qvpreview view" and close its window from outside.
#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

#include <cstdlib>

namespace qv::test {

/// The top-level window whose title starts with \a title, or 0 (no window
/// manager here: the windows are children of the root).
inline xcb_window_t windowTitled(xcb_connection_t *c, const QByteArray &title)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_property_reply_t *name = xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
        if (name) {
            const QByteArray value(static_cast<const char *>(xcb_get_property_value(name)),
                                   xcb_get_property_value_length(name));
            if (value.startsWith(title))
                found = children[i];
            std::free(name);
        }
    }
    std::free(tree);
    return found;
}

} // namespace qv::test
