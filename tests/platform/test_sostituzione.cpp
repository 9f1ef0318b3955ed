// SPDX-License-Identifier: MIT
// Files replaced whole: every writer (INI files, expansion, launchers, the
// installer's copy, PDF and PNG output) refuses a device, a FIFO or a
// socket at its target and leaves it as it was; sources are read only when
// they are regular files; a copy killed half-way leaves nothing, and what an
// older killed writer left is removed by the next one.
#include "HelperProcess.h"
#include "platform/FileSystem.h"
#include "support/Spawn.h"
#include "support/TestEnv.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <ostream>

namespace qv {
namespace {

using test::readAll;
using test::TempEnvTest;
using test::writeAll;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

/// Runs \a work in a child process and gives its exit code; -1 when it did
/// not end within a minute (it blocked) or was killed.
int inChild(const std::function<bool()> &work)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work() ? 0 : 1);
    const int pidfd = int(::syscall(SYS_pidfd_open, child, 0));
    pollfd ended{pidfd, POLLIN, 0};
    const bool done = pidfd < 0 || ::poll(&ended, 1, 60000) == 1;
    if (!done)
        ::kill(child, SIGKILL);
    if (pidfd >= 0)
        ::close(pidfd);
    int status = 0;
    ::waitpid(child, &status, 0);
    return done && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// --- Every writer against what is not a regular file ----------------------------

/// A node at a writer's target: made by the test, or empty when this
/// machine cannot make it.
struct Node
{
    const char *name;
    std::function<bool(const QString &)> make;
    bool link = false; ///< a symbolic link to such a node
};

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeNullDevice(const QString &path)
{
    // The null device's numbers: writing to it would lose nothing, but
    // replacing it by a file would break the programs that use it.
    return ::geteuid() == 0 && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

bool makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

/// A writer, by what it is asked to write at \a target; true when it says it wrote.
struct Writer
{
    const char *name;
    std::function<bool(const QString &target, const QString &folder)> write;
    bool followsLinks; ///< a link at the name leads to the file replaced
};

const Writer Writers[] = {
    {"ScriviINI", [](const QString &t, const QString &) { return qvUtilita().ScriviINI(t, "A", "k", "v"); }, true},
    {"Decomprimi",
     [](const QString &t, const QString &f) {
         return qvUtilita().Decomprimi(writeAll(f + "sorgente.bin", "dati non compressi"), t);
     },
     true},
    {"CreaCollegamento",
     [](const QString &t, const QString &) { return qvUtilita().CreaCollegamento(t, "/bin/true", "/"); }, false},
    {"replaceFile",
     [](const QString &t, const QString &f) {
         return platform::replaceFile(writeAll(f + "libreria.so", "nuova libreria"), t) == 0;
     },
     false},
    {"OutputFile",
     [](const QString &t, const QString &) {
         platform::OutputFile out(t);
         return out.open() && out.device()->write("%PDF-1.4\n") == 9 && out.commit();
     },
     true},
};

const Node Nodes[] = {
    {"fifo", makeFifo},
    {"null_device", makeNullDevice},
    {"socket", makeSocket},
    {"link_to_a_fifo", makeFifo, true},
    {"link_to_a_null_device", makeNullDevice, true},
};

struct Case
{
    Writer writer;
    Node node;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.writer.name << "/" << c.node.name;
}

class HostileTarget : public test::TempEnvTest, public ::testing::WithParamInterface<Case>
{};

// The node stays the node it was (same inode, same kind), the writer says it
// failed, and nothing else appears beside it. Through a link, a writer that
// replaces the link itself (a launcher, the installer) puts its file in the
// link's place and leaves the node alone.
TEST_P(HostileTarget, IsNeverReplacedOrWritten)
{
    const Case &c = GetParam();
    const QString folder = env.root() + "cartella/";
    QDir().mkpath(folder);
    const QString node = folder + "nodo";
    // The launcher's name keeps its ending, so that it is the file written.
    const QString target = folder + (c.node.link ? "collegamento.desktop" : "nodo.desktop");
    const QString made = c.node.link ? node : target;
    if (!c.node.make(made))
        GTEST_SKIP() << c.node.name << " cannot be made here (mknod needs root)";
    if (c.node.link) {
        ASSERT_TRUE(QFile::link(node, target));
    }
    struct stat before
    {};
    ASSERT_EQ(::lstat(QFile::encodeName(made).constData(), &before), 0);
    QStringList expectedEntries = entries(folder);

    const int result = inChild([&] { return c.writer.write(target, env.root()); });
    const bool replacesTheLink = c.node.link && !c.writer.followsLinks;
    EXPECT_EQ(result, replacesTheLink ? 0 : 1) << "1: refused; -1: it blocked";

    struct stat after
    {};
    ASSERT_EQ(::lstat(QFile::encodeName(made).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(entries(folder), expectedEntries);
    if (replacesTheLink) {
        EXPECT_TRUE(QFileInfo(target).isFile() && !QFileInfo(target).isSymLink());
    } else if (c.node.link) {
        EXPECT_TRUE(QFileInfo(target).isSymLink());
    }
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (const Writer &w : Writers)
        for (const Node &n : Nodes)
            cases.push_back({w, n});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Writers, HostileTarget, ::testing::ValuesIn(allCases()), [](const auto &info) {
    return std::string(info.param.writer.name) + "_" + info.param.node.name;
});

// A FIFO as the source of an expansion or of the installer's copy is not
// read (opening one would wait for a writer), and the target stays.
TEST_F(TempEnvTest, AFifoAsTheSourceIsNotRead)
{
    const QString folder = env.root() + "cartella/";
    QDir().mkpath(folder);
    const QString fifo = folder + "sorgente";
    ASSERT_TRUE(makeFifo(fifo));
    const QString target = writeAll(folder + "destinazione", "vecchio");
    EXPECT_EQ(inChild([&] { return qvUtilita().Decomprimi(fifo, target); }), 1) << "-1: it blocked";
    EXPECT_EQ(inChild([&] { return platform::replaceFile(fifo, target) == 0; }), 1) << "-1: it blocked";
    EXPECT_EQ(readAll(target), "vecchio");
    EXPECT_EQ(entries(folder), QStringList({"destinazione", "sorgente"}));
}

// --- Copies killed half-way and their leftovers ----------------------------------

bool unnamedFilesWork(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// The installer's copy of a library stopped half-way (its source read up to
// 256 KiB) and then killed: while it runs no temporary file has a name
// where the file system can write one without (O_TMPFILE); once it is
// killed the old library is there as it was, and where a named temporary
// file was left, the next copy removes it and puts the new library in place.
TEST_F(TempEnvTest, ACopyKilledHalfWayLeavesNothing)
{
    if (!test::canPreloadFaultyRead())
        GTEST_SKIP() << "AddressSanitizer takes read() before a preloaded library";
    const QString folder = env.root() + "sistema/";
    QDir().mkpath(folder);
    const QString target = writeAll(folder + "libqvpreview.so.1", "vecchia libreria");
    QByteArray library(1024 * 1024, '\0');
    for (qsizetype i = 0; i < library.size(); ++i)
        library[i] = char(i * 7);
    const QString source = writeAll(env.root() + "libqvpreview.so.1", library);

    const pid_t copy = test::spawn(QStringLiteral(QV_HELPER_UTILITA), {"copia", source, target},
                                   test::faultyRead(source, 256 * 1024, "stop"));
    ASSERT_GT(copy, 0);
    ASSERT_EQ(test::waitFor(copy), -2) << "the copy did not stop half-way";
    const bool unnamed = unnamedFilesWork(folder);
    if (unnamed) {
        EXPECT_EQ(entries(folder), QStringList{"libqvpreview.so.1"});
    }
    ::kill(copy, SIGKILL);
    EXPECT_EQ(test::waitFor(copy), -1);
    EXPECT_EQ(readAll(target), "vecchia libreria");
    if (unnamed) {
        EXPECT_EQ(entries(folder), QStringList{"libqvpreview.so.1"});
    }

    ASSERT_EQ(platform::replaceFile(source, target), 0);
    EXPECT_EQ(readAll(target), library);
    EXPECT_EQ(entries(folder), QStringList{"libqvpreview.so.1"});
}

// Hidden temporary files of the target's name that nobody holds are what a
// killed run left, and go; one that a running writer holds (it keeps its
// file locked), and names that are not ours, stay.
TEST_F(TempEnvTest, TheNextCopyRemovesOnlyTheLeftoversOfKilledRuns)
{
    const QString folder = env.root() + "sistema/";
    QDir().mkpath(folder);
    const QString target = writeAll(folder + "libqvpreview.so.1", "vecchia libreria");
    writeAll(folder + ".libqvpreview.so.1.Ab12Cd", QByteArray(300000, 'x'));
    writeAll(folder + ".libqvpreview.so.1.000123", QByteArray(1000, 'x'));
    const QString held = writeAll(folder + ".libqvpreview.so.1.Zz99Yy", "di un'altra copia in corso");
    const QStringList others{".libqvpreview.so.1.lungo1234", ".libqvpreview.so.1.ab-cde", ".libaltra.so.1.Ab12Cd",
                             "libqvpreview.so.1.Ab12Cd"};
    for (const QString &name : others)
        writeAll(folder + name, "non nostro");
    auto holder = test::startHelper({"tieni", held, "flock"});
    ASSERT_TRUE(holder->waitForReadyRead(60000));
    ASSERT_EQ(holder->readLine().trimmed(), "pronto");

    ASSERT_EQ(platform::replaceFile(writeAll(env.root() + "nuova.so", "nuova libreria"), target), 0);
    EXPECT_EQ(readAll(target), "nuova libreria");
    QStringList expected = others;
    expected << "libqvpreview.so.1"
             << ".libqvpreview.so.1.Zz99Yy";
    expected.sort();
    QStringList found = entries(folder);
    found.sort();
    EXPECT_EQ(found, expected);
    holder->closeWriteChannel();
    EXPECT_EQ(test::finishHelper(*holder), 0);
}

} // namespace
} // namespace qv
