// SPDX-License-Identifier: MIT
// An X server for the tests that need a real one: the shared Xvfb display
// (scripts/services.sh starts it on :99), else an Xvfb of the test's own,
// and a window manager the test starts on it. Programs of this kind skip
// (exit code 77) when no X server can run, and fail instead when CI is
// "true".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace qv::test {

/// True when an X server listens on \a display (":99" -> /tmp/.X11-unix/X99,
/// or the same name in the abstract namespace, which Xvfb also binds).
bool xServerAnswers(const QByteArray &display);

/// A program the test starts and stops: it goes with the test, even when
/// the test crashes, and is stopped (SIGTERM) on destruction.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    /// Starts \a program with \a arguments, its output going to \a logFile;
    /// \a keepFd stays open in the child. False when it cannot be started.
    bool start(const QString &program, const QStringList &arguments, const QString &logFile, int keepFd = -1);
    /// True while the program runs.
    bool running() const;

private:
    pid_t m_pid = -1;
};

/// An Xvfb of the test's own, 1280x1024 in 24 bits: Xvfb picks a free
/// display number and writes it to a pipe (-displayfd).
class OwnXvfb
{
public:
    /// Starts the server, its messages going to \a logFile; returns its
    /// display (":N"), or empty on failure.
    QByteArray start(const QString &logFile);

private:
    ChildProcess m_server;
};

/// Points $DISPLAY at \a display and Qt at its X11 platform.
void useDisplay(const QByteArray &display);

/// The display for the test, made the one to use (useDisplay()): $DISPLAY,
/// else $QV_XVFB_DISPLAY, else ":99", when a server answers there within
/// 2 s; otherwise \a own is started, its log in \a artifactFolder/xvfb.log.
/// Empty when no server can be had (the reason is printed).
QByteArray displayForTests(OwnXvfb &own, const QString &artifactFolder);

/// The exit code of a test program that found no X server: 1 in CI, where a
/// server must run, else 77 (skipped); prints which.
int noXServerExitCode();

} // namespace qv::test
