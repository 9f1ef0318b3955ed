// Helper program for the utility tests that need a second process:
//   log FILE COUNT TAG       appends COUNT lines "TAG <n> <padding>" with ScriviLog
//   ini FILE COUNT PREFIX    sets COUNT keys PREFIX<n> of section [Test] with ScriviINI
//   registro COUNT PREFIX    writes COUNT text values PREFIX<n> under HKCU\Software\Prova
//   tieni FILE MODE          holds FILE (MODE: write, read, flock, posix, ofd), prints
//                            "pronto" and waits until its standard input closes
// Exits with the number of calls that failed (0: all succeeded), 100 on a usage error.
#include <qvpreview/qvUtilita.h>

#include "util/Registro.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
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
    struct flock lock{};
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
    if (command == "registro") {
        const int count = std::atoi(argv[2]);
        for (int n = 0; n < count; ++n)
            failures += !qv::Registro::ScriviValoreRegistro(qv::Registro::HKEY_CURRENT_USER,
                                                            QStringLiteral("Software\\Prova"),
                                                            QString::fromLocal8Bit(argv[3]) + QString::number(n),
                                                            QString::number(n), true);
        return failures;
    }
    return 100;
}
