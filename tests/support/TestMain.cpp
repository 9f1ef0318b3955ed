// SPDX-License-Identifier: MIT
// Test main: a QApplication on the offscreen platform unless the caller
// chose another (an Xvfb test sets QT_QPA_PLATFORM=xcb), in the language
// the test run asks for.
#include <gmock/gmock.h>

#include <QApplication>
#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizers' settings of every test, also for the cases that CTest
// finds in a test program, which get no more than one variable of their
// environment from it (LSAN_OPTIONS and UBSAN_OPTIONS, when set, win).
// Weak: a test program whose own scan cannot run defines its own.
extern "C" __attribute__((weak)) const char *__lsan_default_options()
{
    return "suppressions=" QV_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1";
}
#endif

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // QV_TEST_LANG=C.UTF-8: the run's language is that locale's whatever
    // the user's is, for this process and the programs its tests start. The
    // program starts again in it, as if CTest had set it: a process that
    // changes its own locale variables once it runs is not the same
    // (LeakSanitizer's check at the end was seen to crash on one).
    if (const QByteArray lang = qgetenv("QV_TEST_LANG"); !lang.isEmpty()) {
        for (const char *name : {"QV_TEST_LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            unsetenv(name);
        setenv("LANG", lang.constData(), 1);
        execv("/proc/self/exe", argv);
        std::perror("execv /proc/self/exe");
        return 1;
    }
#if defined(__SANITIZE_ADDRESS__)
    // And the same for the programs its tests start.
    if (qEnvironmentVariableIsEmpty("LSAN_OPTIONS"))
        qputenv("LSAN_OPTIONS", __lsan_default_options());
    if (qEnvironmentVariableIsEmpty("UBSAN_OPTIONS"))
        qputenv("UBSAN_OPTIONS", __ubsan_default_options());
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
