// SPDX-License-Identifier: MIT
#include "support/XServer.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace qv::test {

bool xServerAnswers(const QByteArray &display)
{
    const int colon = display.lastIndexOf(':');
    if (colon < 0)
        return false;
    QByteArray number = display.mid(colon + 1);
    if (const int dot = number.indexOf('.'); dot >= 0)
        number.truncate(dot);
    const QByteArray path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {false, true}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path + (abstract ? 1 : 0), path.constData(), sizeof addr.sun_path - 2);
        const socklen_t size =
            abstract ? socklen_t(offsetof(sockaddr_un, sun_path) + 1 + path.size()) : socklen_t(sizeof addr);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), size) == 0;
        ::close(fd);
        if (ok)
            return true;
    }
    return false;
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool ChildProcess::start(const QString &program, const QStringList &arguments, const QString &logFile, int keepFd)
{
    std::vector<std::string> args{program.toStdString()};
    for (const QString &a : arguments)
        args.push_back(a.toStdString());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray log = QFile::encodeName(logFile);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int out = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        // Nothing of the test's but the descriptor asked for.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keepFd)
                ::close(fd);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return m_pid > 0;
}

bool ChildProcess::running() const
{
    return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0;
}

QByteArray OwnXvfb::start(const QString &logFile)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const bool started =
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-noreset")},
                       logFile, fds[1]);
    ::close(fds[1]);
    QByteArray number;
    if (started) {
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        // The number ends with a newline; wait at most 20 s for it.
        while (::poll(&p, 1, 20000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
    }
    ::close(fds[0]);
    if (number.isEmpty())
        return {};
    return ":" + number;
}

void useDisplay(const QByteArray &display)
{
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

QByteArray displayForTests(OwnXvfb &own, const QString &artifactFolder)
{
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = qgetenv("QV_XVFB_DISPLAY");
    if (display.isEmpty())
        display = ":99";
    for (int i = 0; i < 20; ++i) {
        if (xServerAnswers(display)) {
            useDisplay(display);
            return display;
        }
        ::usleep(100 * 1000);
    }
    QDir().mkpath(artifactFolder);
    const QString log = artifactFolder + QStringLiteral("/xvfb.log");
    const QByteArray started = own.start(log);
    std::fprintf(stderr, "no X server answers on display %s; own Xvfb: %s\n", display.constData(),
                 started.isEmpty() ? "failed" : started.constData());
    if (!started.isEmpty() && xServerAnswers(started)) {
        useDisplay(started);
        return started;
    }
    QFile messages(log);
    if (messages.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "%s\n", messages.readAll().constData());
    return {};
}

int noXServerExitCode()
{
    const bool ci = qgetenv("CI") == "true";
    std::fprintf(stderr, "%s: no X server\n", ci ? "FAILED" : "SKIPPED");
    return ci ? 1 : 77;
}

} // namespace qv::test
