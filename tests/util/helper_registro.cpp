// SPDX-License-Identifier: MIT
// Helper program for the tests of the key store shared by several processes:
//   set FILE COUNT [gia]      COUNT x SetFileShared(FILE, esisteGia = "gia" given)
//   dec FILE COUNT            COUNT x DecFileShared(FILE)
//   leggi CHIAVE SUBCHIAVE    prints GetInfoDisinstallazione(CHIAVE, SUBCHIAVE)
//   scrivi CHIAVE SUBCHIAVE V SetInfoDisinstallazione(CHIAVE, SUBCHIAVE, V, true)
//   voci PREFISSO COUNT       COUNT entries: SetInfoDisinstallazione(PREFISSO + n,
//                             1, PREFISSO + n, true) for n from 0; prints the n of
//                             each call that failed, one a line
//   blocca DATABASE           holds an exclusive transaction on the SQLite file,
//                             prints "pronto" and waits until its standard input
//                             closes
// Exits with the number of calls that failed (0: all succeeded), 100 on a usage
// error.
//
// With QV_SEGNALA_CHIUSURA naming a file, the process prints "chiuso" each
// time it is about to close that file, and goes on when it has read a line (or
// the end) of its standard input: a test can act between two accesses of one
// operation.
//
// With QV_FERMA_SYNC naming a file, the process stops for good when it is about
// to flush that file to disk (fdatasync or fsync): it prints "fermo" and waits
// to be killed. A writer of the key store stopped at the journal's flush or at
// the database's flush is a writer killed in its commit.
#include <qvpreview/qvUtilita.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

/// True when \a fd is open on the file that the variable \a name names.
bool eIlFile(int fd, const char *name)
{
    const char *target = std::getenv(name);
    if (!target || !*target)
        return false;
    char link[64];
    char path[PATH_MAX + 1];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, PATH_MAX);
    if (length < 0)
        return false;
    path[length] = '\0';
    return std::strcmp(path, target) == 0;
}

void scrivi(const char *text)
{
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, text, std::strlen(text));
}

/// Stops the process for good when \a fd is the file named by QV_FERMA_SYNC.
void fermaSe(int fd)
{
    if (!eIlFile(fd, "QV_FERMA_SYNC"))
        return;
    scrivi("fermo\n");
    for (;;)
        ::pause();
}

int blocca(const char *file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 1;
    std::puts("pronto");
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

} // namespace

// SQLite flushes its files with these; this program's definitions come first.
extern "C" int fdatasync(int fd)
{
    fermaSe(fd);
    return int(::syscall(SYS_fdatasync, fd));
}

extern "C" int fsync(int fd)
{
    fermaSe(fd);
    return int(::syscall(SYS_fsync, fd));
}

extern "C" int close(int fd)
{
    if (eIlFile(fd, "QV_SEGNALA_CHIUSURA")) {
        scrivi("chiuso\n");
        char c = 0;
        while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        }
    }
    return int(::syscall(SYS_close, fd));
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return 100;
    const QByteArray command = argv[1];
    if (command == "blocca")
        return blocca(argv[2]);
    if (argc < 4)
        return 100;
    qv::qvUtilita u;
    const QString file = QString::fromLocal8Bit(argv[2]);
    int failures = 0;
    if (command == "set" || command == "dec") {
        const int count = std::atoi(argv[3]);
        const bool gia = argc > 4 && std::strcmp(argv[4], "gia") == 0;
        for (int n = 0; n < count; ++n)
            failures += command == "set" ? !u.SetFileShared(file, gia) : !u.DecFileShared(file);
        return failures;
    }
    if (command == "leggi") {
        std::puts(u.GetInfoDisinstallazione(file, std::atoi(argv[3])).toUtf8().constData());
        return 0;
    }
    if (command == "voci") {
        const int count = std::atoi(argv[3]);
        for (int n = 0; n < count; ++n) {
            const QString entry = file + QString::number(n);
            if (!u.SetInfoDisinstallazione(entry, 1, entry, true)) {
                std::printf("%d\n", n);
                ++failures;
            }
        }
        std::fflush(stdout);
        return failures;
    }
    if (command == "scrivi" && argc == 5)
        return !u.SetInfoDisinstallazione(file, std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]), true);
    return 100;
}
