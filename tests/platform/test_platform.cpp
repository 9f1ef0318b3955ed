// SPDX-License-Identifier: MIT
// Temporary names, the page size that the printer layer gives the page
// surface, and the per-user settings file, whatever stands at its name.
#include "platform/Devices.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "spool/Win.h"
#include "support/Blocking.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
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

// --- Per-user settings -------------------------------------------------------

namespace {

const QString App = QStringLiteral("QVPREVIEW");

/// What stands at the settings file's name, or at its lock's.
struct HostileSettings
{
    const char *name;
    /// Puts it in place in the configuration folder (its settings file is
    /// \a ini); what it returns lives until the calls are done.
    std::function<std::shared_ptr<void>(const QString &ini)> make;
    /// What the read gives: the stored value, or the default.
    bool readsStored;
};

void PrintTo(const HostileSettings &c, std::ostream *os)
{
    *os << c.name;
}

class SettingsFile : public TempEnvTest, public ::testing::WithParamInterface<HostileSettings>
{};

/// The window's settings are read only from a regular file and written with
/// a bounded wait for the lock: a FIFO, a folder or a huge file at the name,
/// a folder at the lock's name or a lock that another holds cost the values,
/// never a hang, and the file stays as it was.
TEST_P(SettingsFile, CostsTheValuesNeverAHang)
{
    const HostileSettings &c = GetParam();
    const QString ini = env.configFolder() + App + QStringLiteral(".ini");
    ASSERT_TRUE(platform::writeUserSetting(App, QStringLiteral("OPZIONE"), QStringLiteral("QUALITA"), "Max"));
    const std::shared_ptr<void> kept = c.make(ini);
    const QFileInfo before(ini);
    const QByteArray contents = before.isFile() ? test::readAll(ini) : QByteArray();

    for (const char *section : {"OPZIONE", "FINESTRA"}) {
        QString read;
        ASSERT_TRUE(test::endsInTime([&] {
            read = platform::readUserSetting(App, QLatin1String(section), QStringLiteral("QUALITA"), "?");
        })) << "the read blocks";
        EXPECT_EQ(read, c.readsStored && QLatin1String(section) == QLatin1String("OPZIONE") ? QStringLiteral("Max")
                                                                                            : QStringLiteral("?"));
        bool written = true;
        ASSERT_TRUE(test::endsInTime([&] {
            written = platform::writeUserSettings(App, QLatin1String(section), {{QStringLiteral("QUALITA"), "Min"}});
        })) << "the write blocks";
        EXPECT_FALSE(written);
    }
    const QFileInfo after(ini);
    EXPECT_EQ(after.isFile(), before.isFile());
    EXPECT_EQ(after.isDir(), before.isDir());
    if (before.isFile()) {
        EXPECT_EQ(test::readAll(ini), contents);
    }
}

std::shared_ptr<void> replacedBy(const QString &ini, const std::function<bool()> &make)
{
    if (!QFile::remove(ini) || !make())
        ADD_FAILURE() << "cannot make " << qPrintable(ini);
    return {};
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsFile,
    ::testing::Values(
        HostileSettings{
            "IniIsAFifo",
            [](const QString &ini) { return replacedBy(ini, [&] { return !test::makeFifo(ini).isEmpty(); }); }, false},
        HostileSettings{"IniIsAFolder",
                        [](const QString &ini) { return replacedBy(ini, [&] { return QDir().mkdir(ini); }); }, false},
        HostileSettings{"IniLongerThanAMebibyte",
                        [](const QString &ini) {
                            QFile f(ini);
                            if (!f.open(QIODevice::Append) || !f.resize(2 * 1024 * 1024))
                                ADD_FAILURE() << "cannot grow " << qPrintable(ini);
                            return std::shared_ptr<void>();
                        },
                        false},
        HostileSettings{"LockIsAFolder",
                        [](const QString &ini) {
                            EXPECT_TRUE(QDir().mkdir(ini + QStringLiteral(".lock")));
                            return std::shared_ptr<void>();
                        },
                        true},
        HostileSettings{"LockHeldByAnotherWriter",
                        [](const QString &ini) {
                            auto lock = std::make_shared<QLockFile>(ini + QStringLiteral(".lock"));
                            EXPECT_TRUE(lock->tryLock());
                            return std::shared_ptr<void>(lock);
                        },
                        true}),
    [](const auto &info) { return std::string(info.param.name); });

/// Values that QSettings escapes or quotes in its INI text.
const QStringList AwkwardValues{QStringLiteral("Max"),
                                QStringLiteral("10 20 300 400"),
                                QStringLiteral("  blanks around  "),
                                QStringLiteral("a, b; c = d"),
                                QStringLiteral("quote \" and back\\slash"),
                                QStringLiteral("@at the start"),
                                QStringLiteral("perché € \U0001F600"),
                                QStringLiteral("line\nbreak\ttab\x01"
                                               "1"),
                                QString()};

// The file is QSettings' INI text: what either writes, the other reads, and
// a write keeps every other section and key.
TEST_F(TempEnvTest, SettingsFileIsTheTextQSettingsReadsAndWrites)
{
    const QString ini = env.configFolder() + App + QStringLiteral(".ini");
    for (qsizetype i = 0; i < AwkwardValues.size(); ++i) {
        const QString key = QStringLiteral("K%1").arg(i);
        ASSERT_TRUE(platform::writeUserSetting(App, QStringLiteral("OURS"), key, AwkwardValues[i]));
        {
            QSettings theirs(ini, QSettings::IniFormat);
            theirs.setValue(QStringLiteral("THEIRS/") + key, AwkwardValues[i]);
        }
        QSettings theirs(ini, QSettings::IniFormat);
        EXPECT_EQ(theirs.value(QStringLiteral("OURS/") + key).toString(), AwkwardValues[i]);
    }
    for (qsizetype i = 0; i < AwkwardValues.size(); ++i) {
        const QString key = QStringLiteral("K%1").arg(i);
        EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("THEIRS"), key, "?"), AwkwardValues[i]) << i;
        EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("OURS"), key, "?"), AwkwardValues[i]) << i;
    }
    ASSERT_TRUE(platform::writeUserSettings(
        App, QStringLiteral("OURS"),
        {{QStringLiteral("K0"), QStringLiteral("Min")}, {QStringLiteral("NUOVA"), QStringLiteral("1")}}));
    EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("OURS"), QStringLiteral("K0"), "?"), QStringLiteral("Min"));
    EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("OURS"), QStringLiteral("NUOVA"), "?"),
              QStringLiteral("1"));
    EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("OURS"), QStringLiteral("K1"), "?"), AwkwardValues[1]);
    EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("THEIRS"), QStringLiteral("K1"), "?"), AwkwardValues[1]);
    EXPECT_EQ(platform::readUserSetting(App, QStringLiteral("NONE"), QStringLiteral("K1"), "?"), QStringLiteral("?"));
}

} // namespace
