// SPDX-License-Identifier: MIT
// The shared-file counts and the uninstall entries on one key store used by
// several real processes: writers at once, a process holding the database, a
// writer killed in its commit, a FIFO where a database file belongs.
#include "platform/KeyStore.h"
#include "support/TestEnv.h"
#include "util/Registro.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <sys/stat.h>

namespace qv {
namespace {

const QString SharedDlls = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
const QString File = QStringLiteral("/usr/local/lib/libprova.so.1");

/// The helper program, started with \a arguments and \a extra variables.
std::unique_ptr<QProcess> avvia(const QStringList &arguments, const QStringList &extra = {})
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : extra)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(QV_HELPER_REGISTRO), arguments);
    process->waitForStarted();
    return process;
}

/// Waits for the helper's next line; empty when it ended without one.
QByteArray riga(QProcess &process)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(60000))
            return process.canReadLine() ? process.readLine().trimmed() : QByteArray();
    return process.readLine().trimmed();
}

/// The helper's exit code; -1 when it crashed or did not end within a
/// minute (it is then killed).
int fine(QProcess &process)
{
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

/// The count of File; nullopt when there is none.
std::optional<int32_t> conteggio()
{
    const auto stored = platform::KeyStore(platform::Hive::LocalMachine).value(SharedDlls, File);
    if (!stored || stored->type != platform::NumberValue || stored->data.size() != 4)
        return std::nullopt;
    int32_t count;
    std::memcpy(&count, stored->data.constData(), 4);
    return count;
}

class ContatoriTest : public test::TempEnvTest
{
protected:
    /// The local-machine hive with a count of 6 for File and the entry
    /// "Tessavo" with its display name "vecchio".
    void SetUp() override
    {
        ASSERT_TRUE(Registro::CreaChiaveRegistro(Registro::HKEY_LOCAL_MACHINE, SharedDlls));
        ASSERT_TRUE(Registro::ScriviValoreDWord(Registro::HKEY_LOCAL_MACHINE, SharedDlls, File, 6));
        ASSERT_TRUE(u.SetInfoDisinstallazione("Tessavo", 1, "vecchio", true));
    }
    QString database() const { return platform::KeyStore::databaseFile(platform::Hive::LocalMachine); }

    qvUtilita u;
};

struct ConcorrenzaCase
{
    const char *name;
    QStringList arguments; // of each writer, after the file
    std::optional<int32_t> before, after;
};

void PrintTo(const ConcorrenzaCase &c, std::ostream *os)
{
    *os << c.name;
}

class ConcorrenzaTest : public test::TempEnvTest, public ::testing::WithParamInterface<ConcorrenzaCase>
{};

TEST_P(ConcorrenzaTest, NoCountIsLostBetweenProcesses)
{
    if (GetParam().before) {
        ASSERT_TRUE(Registro::CreaChiaveRegistro(Registro::HKEY_LOCAL_MACHINE, SharedDlls));
        ASSERT_TRUE(Registro::ScriviValoreDWord(Registro::HKEY_LOCAL_MACHINE, SharedDlls, File, *GetParam().before));
    }
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int n = 0; n < 4; ++n)
        writers.push_back(avvia(QStringList{GetParam().arguments[0], File} + GetParam().arguments.mid(1)));
    for (auto &writer : writers)
        EXPECT_EQ(fine(*writer), 0) << "calls of a writer failed";
    EXPECT_EQ(conteggio(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Writers, ConcorrenzaTest,
                         ::testing::Values(ConcorrenzaCase{"new_file", {"set", "25"}, std::nullopt, 99},
                                           ConcorrenzaCase{
                                               "file_already_there", {"set", "25", "gia"}, std::nullopt, 100},
                                           ConcorrenzaCase{"down", {"dec", "25"}, 100, 0}));

// 4 processes write 100 uninstall entries each at once, into a store that
// none of them has created yet: every entry whose call reported success is
// there, whole, and a call that could not be made says so.
using VociTest = test::TempEnvTest;

TEST_F(VociTest, NoUninstallEntryIsLostBetweenProcesses)
{
    constexpr int Writers = 4, Entries = 100;
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < Writers; ++w)
        writers.push_back(avvia({QStringLiteral("voci"), QStringLiteral("Prog%1-").arg(w), QString::number(Entries)}));
    int kept = 0, failed = 0;
    for (int w = 0; w < Writers; ++w) {
        const int exitCode = fine(*writers[size_t(w)]);
        ASSERT_GE(exitCode, 0) << "writer " << w << " did not end";
        QSet<int> reported;
        for (const QByteArray &line : writers[size_t(w)]->readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                reported.insert(line.trimmed().toInt());
        EXPECT_EQ(reported.size(), exitCode);
        failed += exitCode;
        for (int n = 0; n < Entries; ++n) {
            const QString entry = QStringLiteral("Prog%1-%2").arg(w).arg(n);
            const QString stored = qvUtilita().GetInfoDisinstallazione(entry, 1);
            if (!reported.contains(n)) {
                EXPECT_EQ(stored, entry) << "reported written, but lost";
            }
            kept += stored == entry;
        }
    }
    EXPECT_EQ(kept + failed, Writers * Entries);
    std::printf("uninstall entries kept: %d of %d, failures reported: %d\n", kept, Writers * Entries, failed);
}

class BloccoTest : public ContatoriTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(BloccoTest, AStoreLockedBeyondTheWaitChangesNothing)
{
    auto holder = avvia({"blocca", database()});
    ASSERT_EQ(riga(*holder), "pronto");
    // The lock outlasts the bounded wait of the call's first access to the
    // database; it ends when the caller closes the database after that access.
    auto caller = avvia({GetParam(), File, "1"}, {"QV_SEGNALA_CHIUSURA=" + QFileInfo(database()).canonicalFilePath()});
    ASSERT_EQ(riga(*caller), "chiuso");
    holder->closeWriteChannel();
    EXPECT_EQ(fine(*holder), 0);
    caller->write("avanti\n");
    caller->closeWriteChannel();
    EXPECT_EQ(fine(*caller), 1) << "the call did not fail";
    EXPECT_EQ(conteggio(), 6);
    EXPECT_TRUE(u.DecFileShared(File));
    EXPECT_EQ(conteggio(), 5);
}

INSTANTIATE_TEST_SUITE_P(Calls, BloccoTest, ::testing::Values("dec", "set"));

enum class Dopo { Leggi, Incrementa, Decrementa };

struct CrashCase
{
    const char *name;
    const char *fermaA; // the file whose flush stops the writer: "-journal" or ""
    Dopo dopo;
};

void PrintTo(const CrashCase &c, std::ostream *os)
{
    *os << c.name;
}

class CrashTest : public ContatoriTest, public ::testing::WithParamInterface<CrashCase>
{};

TEST_P(CrashTest, AWriterKilledInItsCommitLosesOnlyItsOwnChange)
{
    const QString stopAt = QFileInfo(database()).canonicalFilePath() + GetParam().fermaA;
    auto writer = avvia({"scrivi", "Tessavo", "1", "nuovo"}, {"QV_FERMA_SYNC=" + stopAt});
    ASSERT_EQ(riga(*writer), "fermo");
    ::kill(pid_t(writer->processId()), SIGKILL);
    writer->waitForFinished();
    ASSERT_GT(QFileInfo(database() + "-journal").size(), 0) << "no journal was left";

    switch (GetParam().dopo) {
    case Dopo::Leggi:
        EXPECT_EQ(u.GetInfoDisinstallazione("Tessavo", 1), "vecchio");
        EXPECT_EQ(conteggio(), 6);
        break;
    case Dopo::Incrementa:
        EXPECT_TRUE(u.SetFileShared(File, false));
        EXPECT_EQ(conteggio(), 7);
        break;
    case Dopo::Decrementa:
        EXPECT_TRUE(u.DecFileShared(File));
        EXPECT_EQ(conteggio(), 5);
        break;
    }
    EXPECT_EQ(u.GetInfoDisinstallazione("Tessavo", 1), "vecchio");
}

INSTANTIATE_TEST_SUITE_P(Commits, CrashTest,
                         ::testing::Values(CrashCase{"journal_flushed_then_up", "-journal", Dopo::Incrementa},
                                           CrashCase{"database_written_then_read", "", Dopo::Leggi},
                                           CrashCase{"database_written_then_up", "", Dopo::Incrementa},
                                           CrashCase{"database_written_then_down", "", Dopo::Decrementa}));

struct FifoCase
{
    const char *name;
    const char *fifo; // added to the database's name
};

void PrintTo(const FifoCase &c, std::ostream *os)
{
    *os << c.name;
}

class FifoTest : public ContatoriTest, public ::testing::WithParamInterface<FifoCase>
{};

TEST_P(FifoTest, IsNeverOpened)
{
    const QString fifo = database() + GetParam().fifo;
    QFile::remove(fifo);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Each call fails at once; a call that blocked would be killed after a minute.
    auto reader = avvia({"leggi", "Tessavo", "1"});
    EXPECT_EQ(fine(*reader), 0);
    EXPECT_EQ(reader->readAllStandardOutput().trimmed(), QByteArray());
    auto writer = avvia({"set", File, "1"});
    EXPECT_EQ(fine(*writer), 1);
    auto down = avvia({"dec", File, "1"});
    EXPECT_EQ(fine(*down), 1);
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Files, FifoTest, ::testing::Values(FifoCase{"database", ""}, FifoCase{"journal", "-journal"}));

} // namespace
} // namespace qv
