// SPDX-License-Identifier: MIT
// A window of a test on the screen as a user meets it, and keys typed as a
// user types them: to the widget that has the focus.
#pragma once

#include <QApplication>
#include <QSize>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace qv::test {

/// Shows \a window at \a size and waits until it is exposed and active, so
/// that keys reach it. Fails the test (a fatal failure) when it does not
/// come: call it under ASSERT_NO_FATAL_FAILURE, or from a fixture's set-up.
inline void showActive(QWidget &window, QSize size = QSize(900, 700))
{
    window.resize(size);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

/// Types \a key to the widget that has the focus, or to \a window when none
/// has it.
inline void keyToFocus(QWidget &window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, key, mods);
}

} // namespace qv::test
