// Temporary names and the page size that the printer layer gives the page surface.
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "spool/Win.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv;
using qv::test::TempEnvTest;

TEST_F(TempEnvTest, TemporaryNamesAreNewFilesWithTheirPrefix)
{
    EXPECT_EQ(Win::CartellaTemporanea(), env.tempFolder());
    const QString spool = Win::NomeFileSpool();
    const QString picture = Win::NomeFileImmagine();
    EXPECT_TRUE(spool.startsWith(env.tempFolder() + "qv"));
    EXPECT_TRUE(spool.endsWith(".tmp"));
    EXPECT_TRUE(picture.startsWith(env.tempFolder() + "qvm"));
    EXPECT_TRUE(QFileInfo(spool).isFile());
    EXPECT_EQ(QFileInfo(spool).size(), 0);
    EXPECT_NE(spool, Win::NomeFileSpool());
}

TEST_F(TempEnvTest, UnwritableFolderGivesTheFallbacks)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the fallback is reached through a missing folder below";
    ::chmod(QFile::encodeName(env.tempFolder()).constData(), 0500);
    EXPECT_EQ(Win::NomeFileSpool(), env.tempFolder() + "qv12345.tmp");
    EXPECT_EQ(Win::NomeFileImmagine(), QString());
    ::chmod(QFile::encodeName(env.tempFolder()).constData(), 0700);
}

TEST(TemporaryNames, MissingUniqueNameServiceGivesTheFallbacks)
{
    // TMPDIR pointing at a file: the folder is taken as /tmp/, which exists;
    // a name in a folder that does not exist cannot be created.
    EXPECT_EQ(platform::createUniqueFile("/nonexistent-qv-folder/", "qv"), QString());
}

TEST_F(TempEnvTest, PageSizeFollowsThePrinter)
{
    qv::test::TempEnv::noPrinters();
    FrmAnteprima noPrinter;
    EXPECT_EQ(noPrinter.Picture2().Width(), 11520);
    EXPECT_EQ(noPrinter.Picture2().Height(), 15872);

    qv::test::TempEnv::onePrinter(11906.5, 16837.4);
    FrmAnteprima withPrinter;
    withPrinter.Aggiorna();
    EXPECT_EQ(withPrinter.LarghezzaPagina(), 11906); // half to even
    EXPECT_EQ(withPrinter.AltezzaPagina(), 16837);
    EXPECT_EQ(withPrinter.Picture2().Width(), 11906);
}

// --- Output written whole or not at all ------------------------------------------

namespace {
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

// A process killed while it writes (a full disk with SIGXFSZ, the user's
// kill) leaves neither a partial file nor a temporary one, and the old file
// stays; one that is not killed puts the whole new file in place, with the
// old file's permissions.
TEST_F(TempEnvTest, OutputFileLeavesNothingWhenItsProcessIsKilled)
{
    const QString folder = env.root() + "uscita";
    QDir().mkpath(folder);
    const QString target = folder + "/documento.pdf";
    qv::test::writeAll(target, "vecchio");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    for (const bool kill : {true, false}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::OutputFile out(target);
            if (!out.open() || out.device()->write(QByteArray(100000, 'x')) != 100000)
                ::_exit(3);
            if (kill)
                ::raise(SIGKILL);
            ::_exit(out.commit() ? 0 : 4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (kill) {
            EXPECT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(qv::test::readAll(target), "vecchio");
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(qv::test::readAll(target), QByteArray(100000, 'x'));
            EXPECT_EQ(QFileInfo(target).permissions() & 0x0777, QFileDevice::Permissions(0x0640));
        }
        EXPECT_EQ(entries(folder), QStringList{"documento.pdf"}) << kill;
    }
}

// --- The package manager's database ---------------------------------------------

TEST_F(TempEnvTest, DpkgNamesThePackageOfAFileOrOfTheFileALinkLeadsTo)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-query")).isEmpty())
        GTEST_SKIP() << "dpkg-query is not installed";
    // dpkg's own program is dpkg's, wherever the system put it.
    const QString dpkg = QStandardPaths::findExecutable(QStringLiteral("dpkg"));
    ASSERT_FALSE(dpkg.isEmpty());
    const QString link = env.root() + "dpkg-link";
    ASSERT_TRUE(QFile::link(QFileInfo(dpkg).canonicalFilePath(), link));
    const QString own = env.root() + "own-file";
    ASSERT_TRUE(QFile(own).open(QIODevice::WriteOnly));
    struct Case
    {
        QString path;
        bool owned;
    };
    for (const Case &c : {Case{QFileInfo(dpkg).canonicalFilePath(), true}, Case{link, true}, Case{own, false},
                          Case{env.root() + "missing", false},
                          // A pattern that would match many files matches none.
                          Case{QStringLiteral("/usr/bin/dpk*"), false}, Case{QString(), false}}) {
        const QString owner = platform::debianPackageOwning(c.path);
        if (c.owned)
            EXPECT_TRUE(owner == "dpkg" || owner.startsWith("dpkg:"))
                << c.path.toStdString() << ": " << owner.toStdString();
        else
            EXPECT_EQ(owner, QString()) << c.path.toStdString();
    }
}
