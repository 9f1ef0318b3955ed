// SPDX-License-Identifier: MIT
// Starts a helper program as a child process with extra environment
// variables (a preloaded library among them), and waits for it to end or to
// stop itself: the parent of a process stopped mid-way can look at what it
// left and kill it there.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char **environ;

namespace qv::test {

/// Starts \a program with \a arguments and the environment of this process
/// plus \a extra ("NAME=value"); the process id, or -1.
inline pid_t spawn(const QString &program, const QStringList &arguments, const QList<QByteArray> &extra = {})
{
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString &a : arguments)
        words << QFile::encodeName(a);
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    QList<QByteArray> variables = extra;
    for (char **e = environ; *e; ++e)
        variables << QByteArray(*e);
    std::vector<char *> envp;
    for (QByteArray &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
}

/// False in a build with AddressSanitizer, whose runtime takes read() before
/// any preloaded library: the faulty-read library would never be asked.
constexpr bool canPreloadFaultyRead()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

/// The environment that preloads the faulty-read library: reads of \a file
/// fail with EIO ("eio") or stop the process ("stop") at \a offset.
inline QList<QByteArray> faultyRead(const QString &file, qint64 offset, const char *action)
{
    const QString name = QFileInfo(file).canonicalFilePath(); // as /proc/self/fd names it
    return {QByteArrayLiteral("LD_PRELOAD=") + QV_FAULTY_READ, "QV_FAULT_FILE=" + QFile::encodeName(name),
            "QV_FAULT_AFTER=" + QByteArray::number(offset), QByteArrayLiteral("QV_FAULT_ACTION=") + action};
}

/// Waits until \a pid ends (its exit code, or -1 when a signal ended it) or
/// stops itself (-2).
inline int waitFor(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, WUNTRACED) != pid)
        return -1;
    if (WIFSTOPPED(status))
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace qv::test
