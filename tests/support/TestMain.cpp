// SPDX-License-Identifier: MIT
// Test main: a QApplication on the offscreen platform unless the caller
// chose another (an Xvfb test sets QT_QPA_PLATFORM=xcb).
#include <gmock/gmock.h>

#include <QApplication>
#include <QLocale>

#include <clocale>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
