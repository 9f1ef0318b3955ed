// SPDX-License-Identifier: MIT
// Error texts, the error message box and the log file of qvUtilita.
#include "HelperProcess.h"
#include "platform/FileSystem.h"
#include "support/FileLimit.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>

#include <sys/stat.h>

#include <functional>
#include <new>
#include <optional>
#include <ostream>

namespace qv {
namespace {

using test::readAll;
using test::TempEnvTest;

// --- MessaggioErroreITA ------------------------------------------------------

struct TextCase
{
    int32_t code;
    const char *text; // UTF-8
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.code;
}

class MessaggioErroreTest : public ::testing::TestWithParam<TextCase>
{};

TEST_P(MessaggioErroreTest, GivesTheTableTextOrNothingOutsideAHandler)
{
    EXPECT_EQ(qvUtilita().MessaggioErroreITA(GetParam().code), QString::fromUtf8(GetParam().text));
}

// Listed codes with their exact texts (trailing blanks, accents, our 458);
// unlisted codes, the component's own numbers included, give the empty text
// when no exception is being handled.
INSTANTIATE_TEST_SUITE_P(
    Codes, MessaggioErroreTest,
    ::testing::Values(TextCase{53, "Impossibile trovare il file"}, TextCase{76, "Impossibile trovare il percorso "},
                      TextCase{10, "Questa matrice è fissa o temporaneamente bloccata "},
                      TextCase{458,
                               "La variabile utilizza un tipo di automazione non supportato da questa piattaforma"},
                      TextCase{746, "Sostituzioni troppo lunghe"}, TextCase{1, ""}, TextCase{0, ""}, TextCase{-53, ""},
                      TextCase{1001, ""}, TextCase{6000, ""}));

/// An exception of some kind and the number and description the class reads from it.
struct Thrown
{
    const char *name;
    std::function<void()> raise;
    int number;
    const char *description;
};

void PrintTo(const Thrown &t, std::ostream *os)
{
    *os << t.name;
}

const Thrown Kinds[] = {
    {"error52", [] { throw Error(ErrBadFileNameOrNumber, QStringLiteral("prova")); }, 52,
     "Nome o numero di file non valido"},
    {"error53_own_text", [] { throw Error(53, QStringLiteral("prova"), QStringLiteral("manca pippo.txt")); }, 53,
     "manca pippo.txt"},
    {"negative", [] { throw Error(-5, QStringLiteral("prova"), QStringLiteral("negativo")); }, -5, "negativo"},
    {"std_exception", [] { throw std::runtime_error("guasto"); }, 51, "guasto"},
    {"bad_alloc", [] { throw std::bad_alloc(); }, 7, "Memoria esaurita"},
    {"not_an_exception", [] { throw 42; }, 51, "Errore interno"},
};

class CurrentErrorTest : public test::TempEnvTest, public ::testing::WithParamInterface<Thrown>
{};

TEST_P(CurrentErrorTest, UnlistedCodesDescribeTheExceptionBeingHandled)
{
    try {
        GetParam().raise();
    } catch (...) {
        qvUtilita u;
        EXPECT_EQ(u.MessaggioErroreITA(1), QString::fromUtf8(GetParam().description));
        EXPECT_EQ(u.MessaggioErroreITA(1001), QString::fromUtf8(GetParam().description));
        EXPECT_EQ(u.MessaggioErroreITA(53), QStringLiteral("Impossibile trovare il file")); // the table wins
    }
}

TEST_P(CurrentErrorTest, PrintErroreShowsOneInformationBox)
{
    struct Box
    {
        QString text, title;
        platform::MessageIcon icon;
    };
    QList<Box> boxes;
    platform::setMessageBoxHandlerForTesting(
        [&](const QString &text, const QString &title, platform::MessageIcon icon) {
            boxes.append({text, title, icon});
        });
    try {
        GetParam().raise();
    } catch (...) {
        qvUtilita().PrintErrore();
    }
    ASSERT_EQ(boxes.size(), 1);
    const int n = GetParam().number;
    const QString expectedText = n == 52 ? QStringLiteral("Impossibile leggere l'unità specificata.")
                                         : QString::fromUtf8(GetParam().description);
    EXPECT_EQ(boxes[0].text, expectedText);
    EXPECT_EQ(boxes[0].title, n >= 0 ? QStringLiteral("Errore  %1").arg(n) : QStringLiteral("Errore %1").arg(n));
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Information);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CurrentErrorTest, ::testing::ValuesIn(Kinds));

TEST_F(TempEnvTest, PrintErroreWithNoErrorStillShowsItsBox)
{
    QStringList titles;
    platform::setMessageBoxHandlerForTesting(
        [&](const QString &text, const QString &title, platform::MessageIcon) { titles << title + "|" + text; });
    qvUtilita().PrintErrore();
    EXPECT_EQ(titles, QStringList{QStringLiteral("Errore  0|")});
}

// --- ScriviLog ---------------------------------------------------------------

class ScriviLogTest : public test::TempEnvTest
{
protected:
    QString log() const { return env.root() + QStringLiteral("prova.log"); }
};

TEST_F(ScriviLogTest, AppendsOneCrLfLinePerCall)
{
    qvUtilita u;
    EXPECT_TRUE(u.ScriviLog(QStringLiteral("prima riga"), log()));
    EXPECT_TRUE(u.ScriviLog(QStringLiteral("città è già"), log(), false));
    EXPECT_EQ(readAll(log()), QByteArray("prima riga\r\ncitt\xC3\xA0 \xC3\xA8 gi\xC3\xA0\r\n"));
}

struct StampCase
{
    QLocale::Language language;
    const char *name;
};

void PrintTo(const StampCase &c, std::ostream *os)
{
    *os << c.name;
}

class TimeStampTest : public test::TempEnvTest, public ::testing::WithParamInterface<StampCase>
{
protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_P(TimeStampTest, PrefixesTheLocalTimeWithTheMonthInTheUsersLanguage)
{
    const QLocale language(GetParam().language);
    QLocale::setDefault(language);
    const QString file = env.root() + QStringLiteral("data.log");
    const QDate before = QDate::currentDate();
    ASSERT_TRUE(qvUtilita().ScriviLog(QStringLiteral("avvio"), file, true));
    const QString line = QString::fromUtf8(readAll(file));
    const QRegularExpression shape(QStringLiteral("^(\\d{4})-(\\w+)-(\\d{2}) \\d{2}:\\d{2}:\\d{2} avvio\\r\\n$"),
                                   QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = shape.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    const QDate after = QDate::currentDate();
    EXPECT_TRUE(m.captured(1).toInt() == before.year() || m.captured(1).toInt() == after.year());
    EXPECT_TRUE(m.captured(2) == language.monthName(before.month(), QLocale::ShortFormat)
                || m.captured(2) == language.monthName(after.month(), QLocale::ShortFormat))
        << m.captured(2).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, TimeStampTest,
                         ::testing::Values(StampCase{QLocale::Italian, "italian"},
                                           StampCase{QLocale::English, "english"}));

TEST_F(ScriviLogTest, DeletingThePreviousLogLeavesOnlyTheNewLine)
{
    qvUtilita u;
    ASSERT_TRUE(u.ScriviLog(QStringLiteral("vecchia"), log()));
    EXPECT_TRUE(u.ScriviLog(QStringLiteral("nuova"), log(), false, true));
    EXPECT_EQ(readAll(log()), QByteArray("nuova\r\n"));
}

TEST_F(ScriviLogTest, DeletingAMissingLogFailsAndCreatesNothing)
{
    EXPECT_FALSE(qvUtilita().ScriviLog(QStringLiteral("nuova"), log(), true, true));
    EXPECT_FALSE(QFileInfo::exists(log()));
}

TEST_F(ScriviLogTest, BlanksAroundTheFileNameAreRemoved)
{
    EXPECT_TRUE(qvUtilita().ScriviLog(QStringLiteral("riga"), QStringLiteral("  ") + log() + QStringLiteral("   ")));
    EXPECT_EQ(readAll(log()), QByteArray("riga\r\n"));
}

class ScriviLogFailureTest : public test::TempEnvTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(ScriviLogFailureTest, ReportsFalseAndWritesNothing)
{
    QDir(env.root()).mkdir(QStringLiteral("cartella.log"));
    const QString file = QString::fromUtf8(GetParam()).replace(QStringLiteral("ROOT/"), env.root());
    EXPECT_FALSE(qvUtilita().ScriviLog(QStringLiteral("riga"), file));
    EXPECT_FALSE(QFileInfo(file).isFile());
}

INSTANTIATE_TEST_SUITE_P(Files, ScriviLogFailureTest,
                         ::testing::Values("ROOT/manca/prova.log", // missing folder
                                           "ROOT/cartella.log",    // a folder of that name
                                           "   ",                  // no name at all
                                           "/proc/qv-prova.log")); // a file system that refuses files

// A line that does not fit (a full disk, the file size limit) is taken back
// whole: the log ends with the last whole line, as before the call.
class ScriviLogFullTest : public test::TempEnvTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(ScriviLogFullTest, LeavesTheLogAsItWasBeforeTheCall)
{
    const bool smallDisk = GetParam();
    std::optional<test::SmallDisk> disk;
    if (smallDisk) {
        disk.emplace(env.root() + QStringLiteral("disco"), 64);
        if (!disk->mounted())
            GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    const QString log = (smallDisk ? disk->folder() : env.root()) + QStringLiteral("prova.log");
    qvUtilita u;
    ASSERT_TRUE(u.ScriviLog(QStringLiteral("prima riga"), log));
    const QByteArray before = readAll(log);
    // Larger than the disk, and than the limit.
    const QString line(200 * 1024, QLatin1Char('x'));
    {
        std::optional<test::FileSizeLimit> limit;
        if (!smallDisk)
            limit.emplace(4096);
        EXPECT_FALSE(u.ScriviLog(line, log));
    }
    EXPECT_EQ(readAll(log), before);
    EXPECT_TRUE(u.ScriviLog(QStringLiteral("dopo"), log));
    EXPECT_EQ(readAll(log), before + "dopo\r\n");
}

INSTANTIATE_TEST_SUITE_P(Limits, ScriviLogFullTest, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "FullDisk" : "FileSizeLimit"; });

/// A line logged onto a 1 MB tmpfs that is already partly full.
struct NearlyFullCase
{
    const char *name;
    int filledKilobytes; ///< of the 1024 kB file system, before the call
    bool earlierLines;   ///< the log holds lines already
    bool fits;           ///< the line of 200,000 bytes still fits
};

class ScriviLogNearlyFull : public TempEnvTest, public ::testing::WithParamInterface<NearlyFullCase>
{};

// The result says what happened: true with the whole line and its CR LF,
// false with the log exactly as it was, never a part of the line.
TEST_P(ScriviLogNearlyFull, WritesTheWholeLineOrReportsAndLeavesNothing)
{
    const NearlyFullCase &c = GetParam();
    test::SmallDisk disk(env.root() + QStringLiteral("disco"), 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here (root only)";
    test::writeAll(disk.folder() + QStringLiteral("pieno"), QByteArray(c.filledKilobytes * 1024, 'f'));
    const QString log = disk.folder() + QStringLiteral("prova.log");
    qvUtilita u;
    if (c.earlierLines) {
        ASSERT_TRUE(u.ScriviLog(QStringLiteral("prima riga"), log));
        ASSERT_TRUE(u.ScriviLog(QStringLiteral("seconda riga"), log));
    }
    const QByteArray before = QFileInfo::exists(log) ? readAll(log) : QByteArray();
    const QString line(200000, QLatin1Char('x'));
    const bool written = u.ScriviLog(line, log);
    EXPECT_EQ(written, c.fits);
    const QByteArray after = QFileInfo::exists(log) ? readAll(log) : QByteArray();
    EXPECT_EQ(after, written ? before + line.toUtf8() + "\r\n" : before) << after.size() << " bytes";
}

INSTANTIATE_TEST_SUITE_P(TmpFs, ScriviLogNearlyFull,
                         ::testing::Values(NearlyFullCase{"NewLog900kBFull", 900, false, false},
                                           NearlyFullCase{"Log900kBFull", 900, true, false},
                                           NearlyFullCase{"Log600kBFull", 600, true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A FIFO as the log is not a file to append to: refused at once, whether a
// reader waits on it or not, and it stays a FIFO.
TEST_F(ScriviLogTest, AFifoAsTheLogIsRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(log()).constData(), 0600), 0);
    auto helper = test::startHelper({QStringLiteral("log"), log(), QStringLiteral("1"), QStringLiteral("A")});
    EXPECT_EQ(test::finishHelper(*helper, 60000), 1) << "-1: it blocked";
    EXPECT_FALSE(qvUtilita().ScriviLog(QStringLiteral("riga"), log(), false, true)); // not deleted either
    struct stat info
    {};
    ASSERT_EQ(::lstat(QFile::encodeName(log()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(ScriviLogTest, DefaultFileIsBesideTheRunningModule)
{
    // These tests link the library's code into their own program, so here the
    // running module is this program: its log is <folder>/test_errori.log.
    const QString module = platform::moduleFile();
    ASSERT_EQ(QFileInfo(module).canonicalFilePath(),
              QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    const QString expected = QFileInfo(module).absolutePath() + QStringLiteral("/test_errori.log");
    QFile::remove(expected);
    const QString marker = QStringLiteral("riga di prova %1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(qvUtilita().ScriviLog(marker));
    EXPECT_EQ(readAll(expected), (marker + QStringLiteral("\r\n")).toUtf8());
    QFile::remove(expected);
}

TEST_F(ScriviLogTest, DefaultFileOfAHostIsBesideTheControlLibrary)
{
    // A host linked to libqvpreview.so.1: the code runs inside the library,
    // so the log is <library folder>/libqvpreview.log, not the host's.
    const QString expected =
        QFileInfo(QStringLiteral(QV_LIBRARY_FILE)).absolutePath() + QStringLiteral("/libqvpreview.log");
    const QString hostLog = QFileInfo(QStringLiteral(QV_HOST_LOG)).absolutePath() + QStringLiteral("/host_log.log");
    QFile::remove(expected);
    QFile::remove(hostLog);
    QProcess host;
    host.start(QStringLiteral(QV_HOST_LOG), {QStringLiteral("riga dell'ospite")});
    ASSERT_TRUE(host.waitForFinished(60000));
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    EXPECT_EQ(readAll(expected), QByteArray("riga dell'ospite\r\n"));
    EXPECT_FALSE(QFileInfo::exists(hostLog));
    QFile::remove(expected);
}

TEST_F(ScriviLogTest, TwoProcessesLoggingToOneFileNeverMixTheirLines)
{
    constexpr int Lines = 10000;
    auto first = test::startHelper({QStringLiteral("log"), log(), QString::number(Lines), QStringLiteral("A")});
    auto second = test::startHelper({QStringLiteral("log"), log(), QString::number(Lines), QStringLiteral("B")});
    ASSERT_EQ(test::finishHelper(*first), 0);
    ASSERT_EQ(test::finishHelper(*second), 0);

    const QByteArray contents = readAll(log());
    ASSERT_TRUE(contents.endsWith("\r\n"));
    const QList<QByteArray> lines = contents.chopped(1).split('\n');
    ASSERT_EQ(lines.size(), 2 * Lines);
    const QByteArray padding(300, 'x');
    int next[2] = {0, 0};
    for (const QByteArray &line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        ASSERT_EQ(parts.size(), 3) << line.constData();
        ASSERT_TRUE(parts[0] == "A" || parts[0] == "B") << line.constData();
        const int who = parts[0] == "B";
        ASSERT_EQ(parts[1].toInt(), next[who]) << line.constData(); // each writer's lines whole and in order
        ASSERT_EQ(parts[2], padding + '\r');
        ++next[who];
    }
    EXPECT_EQ(next[0], Lines);
    EXPECT_EQ(next[1], Lines);
}

} // namespace
} // namespace qv
