// SPDX-License-Identifier: MIT
// Main of a window test on a real X server: the display it uses (the shared
// Xvfb, or one of its own), or the exit code that skips the test (77) when
// no X server answers; its screenshots go to QV_ARTIFACT_DIR. A test built
// with QV_OWN_XVFB (its log's file name) starts an X server of its own
// first, so that no other program's window on a shared display takes its
// keyboard.
#include "support/XServer.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qv::test::OwnXvfb own;
    QByteArray display;
#ifdef QV_OWN_XVFB
    QDir().mkpath(QStringLiteral(QV_ARTIFACT_DIR));
    display = own.start(QStringLiteral(QV_ARTIFACT_DIR "/" QV_OWN_XVFB));
    if (!display.isEmpty())
        qv::test::useDisplay(display);
#endif
    if (display.isEmpty() && qv::test::displayForTests(own, QStringLiteral(QV_ARTIFACT_DIR)).isEmpty())
        return qv::test::noXServerExitCode();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
