// SPDX-License-Identifier: MIT
// Helper program for the utility tests that need a second process:
//   log FILE COUNT TAG       appends COUNT lines "TAG <n> <padding>" with ScriviLog
//   ini FILE COUNT PREFIX    sets COUNT keys PREFIX<n> of section [Test] with ScriviINI
//   registro COUNT PREFIX    writes COUNT text values PREFIX<n> under HKCU\Software\Prova
//   tieni FILE MODE          holds FILE (MODE: write, read, flock, posix, ofd), prints
//                            "pronto" and waits until its standard input closes
//   leggi-ini FILE SEZ KEY   prints LeggiINI of KEY in SEZ with the default "predefinito"
//   copia SRC DST            replaces DST by a copy of SRC (platform::replaceFile)
// A first argument "--memoria MB" limits the process's address space (not
// under AddressSanitizer, which reserves more than any such limit).
// Exits with the number of calls that failed (0: all succeeded), 100 on a usage error.
#include <qvpreview/qvUtilita.h>

#include "platform/FileSystem.h"
#include "util/Registro.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int hold(const QString &file, const char *mode)
{
    const bool write = std::strcmp(mode, "write") == 0;
    const int fd = ::open(QFile::encodeName(file).constData(), write ? O_WRONLY : O_RDONLY);
    if (fd < 0)
        return 1;
    struct flock lock
    {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (std::strcmp(mode, "flock") == 0 && ::flock(fd, LOCK_EX) != 0)
        return 1;
    if (std::strcmp(mode, "posix") == 0 && ::fcntl(fd, F_SETLK, &lock) != 0)
        return 1;
    if (std::strcmp(mode, "ofd") == 0 && ::fcntl(fd, F_OFD_SETLK, &lock) != 0)
        return 1;
    std::puts("pronto");
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--memoria") == 0) {
        bool sanitized = false;
#if defined(__SANITIZE_ADDRESS__)
        sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        sanitized = true;
#endif
#endif
        const rlim_t bytes = rlim_t(std::atoll(argv[2])) << 20;
        const rlimit limit{bytes, bytes};
        if (!sanitized)
            ::setrlimit(RLIMIT_AS, &limit);
        argc -= 2;
        argv += 2;
    }
    if (argc < 4)
        return 100;
    const QByteArray command = argv[1];
    qv::qvUtilita u;
    if (command == "tieni")
        return hold(QString::fromLocal8Bit(argv[2]), argv[3]);
    int failures = 0;
    if (command == "log" && argc == 5) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        const int count = std::atoi(argv[3]);
        // Long lines, so that a line written in pieces would show.
        const QString padding(300, QLatin1Char('x'));
        for (int n = 0; n < count; ++n)
            failures += !u.ScriviLog(QString::fromLocal8Bit(argv[4]) + QLatin1Char(' ') + QString::number(n)
                                         + QLatin1Char(' ') + padding,
                                     file);
        return failures;
    }
    if (command == "ini" && argc == 5) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        const int count = std::atoi(argv[3]);
        for (int n = 0; n < count; ++n)
            failures += !u.ScriviINI(file, QStringLiteral("Test"), QString::fromLocal8Bit(argv[4]) + QString::number(n),
                                     QString::number(n));
        return failures;
    }
    if (command == "leggi-ini" && argc == 5) {
        std::puts(qPrintable(u.LeggiINI(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                        QString::fromLocal8Bit(argv[4]), QStringLiteral("predefinito"))));
        return 0;
    }
    if (command == "copia")
        return qv::platform::replaceFile(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])) == 0 ? 0 : 1;
    if (command == "registro") {
        const int count = std::atoi(argv[2]);
        for (int n = 0; n < count; ++n)
            failures += !qv::Registro::ScriviValoreRegistro(
                qv::Registro::HKEY_CURRENT_USER, QStringLiteral("Software\\Prova"),
                QString::fromLocal8Bit(argv[3]) + QString::number(n), QString::number(n), true);
        return failures;
    }
    return 100;
}
