// SPDX-License-Identifier: MIT
// INI files: what LeggiINI finds, what ScriviINI changes (one line, every
// other byte kept), atomic replacement and two writers at once.
#include "HelperProcess.h"
#include "support/FileLimit.h"
#include "support/Spawn.h"
#include "support/TestEnv.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <ostream>

namespace qv {
namespace {

using test::readAll;
using test::TempEnvTest;
using test::writeFile;

struct ReadCase
{
    const char *name;
    QByteArray contents;
    const char *section, *key;
    QString expected; // with the default "predefinito"
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class LeggiIniTest : public test::TempEnvTest, public ::testing::WithParamInterface<ReadCase>
{};

TEST_P(LeggiIniTest, FindsTheValue)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    writeFile(file, GetParam().contents);
    EXPECT_EQ(qvUtilita().LeggiINI(file, QString::fromUtf8(GetParam().section), QString::fromUtf8(GetParam().key),
                                   QStringLiteral("predefinito")),
              GetParam().expected);
    EXPECT_EQ(readAll(file), GetParam().contents); // a read changes nothing
}

const QString Default = QStringLiteral("predefinito");

INSTANTIATE_TEST_SUITE_P(
    Files, LeggiIniTest,
    ::testing::Values(ReadCase{"case_blind_names", "[Opzione]\nQualita=Max\n", "OPZIONE", "qualita", "Max"},
                      ReadCase{"unicode_case", "[Sezione]\nCitt\xC3\xA0=Roma\n", "sezione", "CITT\xC3\x80", "Roma"},
                      ReadCase{"crlf", "[A]\r\nk = v \r\n", "A", "k", "v"},
                      ReadCase{"byte_order_mark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
                      ReadCase{"blanks_around", "[A]\nk=  a b  \n", "A", "k", "a b"},
                      ReadCase{"tabs_around", "[A]\nk=\ta b\t\n", "A", "k", "a b"},
                      ReadCase{"only_blanks", "[A]\nk=   \n", "A", "k", Default},
                      ReadCase{"no_value", "[A]\nk\n", "A", "k", Default},
                      ReadCase{"missing_key", "[A]\nx=1\n", "A", "k", Default},
                      ReadCase{"missing_section", "[B]\nk=1\n", "A", "k", Default},
                      ReadCase{"no_sections", "k=v\n", "A", "k", Default},
                      ReadCase{"key_of_the_next_section", "[A]\n[B]\nk=v\n", "A", "k", Default},
                      ReadCase{"spaced_names", "[ A ]\n  k  =v\n", "A", "k", "v"},
                      ReadCase{"equals_in_value", "[A]\nk=a=b\n", "A", "k", "a=b"},
                      ReadCase{"no_final_line_end", "[A]\nk=v", "A", "k", "v"},
                      ReadCase{"comments", "[A]\n;k=c\n#k=d\nk=v\n", "A", "k", "v"},
                      ReadCase{"first_of_duplicate_keys", "[A]\nk=1\nk=2\n", "A", "k", "1"},
                      ReadCase{"duplicate_sections", "[A]\nx=1\n[B]\nk=b\n[A]\nk=2\n", "A", "k", "2"},
                      ReadCase{"first_duplicate_section_wins", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
                      ReadCase{"empty_key_name", "[A]\n=v\n", "A", "", Default},
                      ReadCase{"long_line_before", "[A]\nz=" + QByteArray(100000, 'z') + "\nk=v\n", "A", "k", "v"},
                      ReadCase{"long_value_cut", "[A]\nk=" + QByteArray(100000, 'x') + "\n", "A", "k",
                               QString(1999, 'x')},
                      ReadCase{"binary_junk", QByteArray("\0\xFF\x01[A]\0\nk=v\n", 12), "A", "k", Default}));

TEST_F(TempEnvTest, LeggiIniOfAMissingFileGivesTheDefaultAsGiven)
{
    const QString file = env.root() + QStringLiteral("manca.ini");
    EXPECT_EQ(qvUtilita().LeggiINI(file, "A", "k", "  con blank  "), QStringLiteral("  con blank  "));
    EXPECT_FALSE(QFileInfo::exists(file));
}

struct WriteCase
{
    const char *name;
    QByteArray before;
    const char *section, *key, *value;
    QByteArray after;
};

void PrintTo(const WriteCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScriviIniTest : public test::TempEnvTest, public ::testing::WithParamInterface<WriteCase>
{};

TEST_P(ScriviIniTest, ChangesOneLineAndKeepsTheRest)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    writeFile(file, GetParam().before);
    qvUtilita u;
    ASSERT_TRUE(u.ScriviINI(file, QString::fromUtf8(GetParam().section), QString::fromUtf8(GetParam().key),
                            QString::fromUtf8(GetParam().value)));
    EXPECT_EQ(readAll(file), GetParam().after);
    EXPECT_EQ(u.LeggiINI(file, QString::fromUtf8(GetParam().section), QString::fromUtf8(GetParam().key), "?"),
              QString::fromUtf8(GetParam().value).trimmed());
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files), QStringList{"prova.ini"}); // no temporary left
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScriviIniTest,
    ::testing::Values(
        WriteCase{"empty_file", "", "S", "k", "v", "[S]\nk=v\n"},
        WriteCase{"crlf_value_replaced", "[S]\r\nk=1\r\n", "S", "k", "2", "[S]\r\nk=2\r\n"},
        WriteCase{"spacing_kept", "[S]\n  k =  1  \n", "S", "k", "2", "[S]\n  k =  2\n"},
        WriteCase{"case_blind", "[Opzione]\nQualita=Min\n", "OPZIONE", "qualita", "Max", "[Opzione]\nQualita=Max\n"},
        WriteCase{"new_key_after_the_last_entry", "[A]\na=1\n; di B\n\n[B]\nb=1\n", "A", "k", "v",
                  "[A]\na=1\nk=v\n; di B\n\n[B]\nb=1\n"},
        WriteCase{"new_key_in_crlf_file", "[A]\r\na=1\r\n", "A", "k", "v", "[A]\r\na=1\r\nk=v\r\n"},
        WriteCase{"new_key_after_a_bare_header", "[A]", "A", "k", "v", "[A]\nk=v\n"},
        WriteCase{"new_key_after_a_last_line_ending_in_cr", "[A]\r\na=1\r", "A", "k", "v", "[A]\r\na=1\r\r\nk=v\r\n"},
        WriteCase{"new_section_after_an_unended_line", "[A]\na=1", "S", "k", "v", "[A]\na=1\n\n[S]\nk=v\n"},
        WriteCase{"new_section_in_a_file_without_sections", "k=v\n", "S", "k", "w", "k=v\n\n[S]\nk=w\n"},
        WriteCase{"byte_order_mark_kept", "\xEF\xBB\xBF[A]\r\na=1\r\n", "A", "a", "2", "\xEF\xBB\xBF[A]\r\na=2\r\n"},
        WriteCase{"only_a_byte_order_mark", "\xEF\xBB\xBF", "S", "k", "v", "\xEF\xBB\xBF[S]\nk=v\n"},
        WriteCase{"comments_and_odd_lines_kept", "; testa\n[A]\n# nota\na=1\nriga strana\n\xFF\xFE\n", "A", "a", "2",
                  "; testa\n[A]\n# nota\na=2\nriga strana\n\xFF\xFE\n"},
        WriteCase{"first_occurrence_in_duplicate_sections", "[A]\nx=1\n[A]\nk=1\n", "A", "k", "2",
                  "[A]\nx=1\n[A]\nk=2\n"},
        WriteCase{"value_given_to_a_bare_key", "[A]\nk\n", "A", "k", "v", "[A]\nk=v\n"},
        WriteCase{"names_trimmed", "", " S ", " k ", " v ", "[S]\nk= v \n"},
        WriteCase{"unicode", "", "Sezione", "Citt\xC3\xA0", "Citt\xC3\xA0 d'arte",
                  "[Sezione]\nCitt\xC3\xA0=Citt\xC3\xA0 d'arte\n"},
        WriteCase{"long_lines_kept", "[A]\nz=" + QByteArray(100000, 'z') + "\n", "A", "k", "v",
                  "[A]\nz=" + QByteArray(100000, 'z') + "\nk=v\n"}));

TEST_F(TempEnvTest, AByteOrderMarkInsideTheFileIsPartOfTheName)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    const QString key = QChar(0xFEFF) + QStringLiteral("k");
    qvUtilita u;
    ASSERT_TRUE(u.ScriviINI(file, "S", key, "v"));
    EXPECT_EQ(readAll(file), QByteArray("[S]\n\xEF\xBB\xBFk=v\n"));
    EXPECT_EQ(u.LeggiINI(file, "S", key, "?"), QStringLiteral("v"));
    EXPECT_EQ(u.LeggiINI(file, "S", "k", "?"), QStringLiteral("?"));
}

TEST_F(TempEnvTest, ScriviIniCreatesAMissingFile)
{
    const QString file = env.root() + QStringLiteral("nuovo.ini");
    EXPECT_TRUE(qvUtilita().ScriviINI(file, "S", "k", "v"));
    EXPECT_EQ(readAll(file), QByteArray("[S]\nk=v\n"));
}

struct RefusedCase
{
    const char *name, *section, *key, *value;
};

void PrintTo(const RefusedCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScriviIniRefusedTest : public test::TempEnvTest, public ::testing::WithParamInterface<RefusedCase>
{};

TEST_P(ScriviIniRefusedTest, LeavesTheFileAsItWas)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    const QByteArray before("[A]\nk=1\n");
    writeFile(file, before);
    EXPECT_FALSE(qvUtilita().ScriviINI(file, QString::fromUtf8(GetParam().section), QString::fromUtf8(GetParam().key),
                                       QString::fromUtf8(GetParam().value)));
    EXPECT_EQ(readAll(file), before);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ScriviIniRefusedTest,
                         ::testing::Values(RefusedCase{"line_feed_in_value", "A", "k", "1\n[B]"},
                                           RefusedCase{"carriage_return_in_key", "A", "k\rx", "1"},
                                           RefusedCase{"equals_in_key", "A", "k=x", "1"},
                                           RefusedCase{"bracket_in_section", "A]", "k", "1"},
                                           RefusedCase{"empty_key", "A", "  ", "1"},
                                           RefusedCase{"empty_section", "", "k", "1"},
                                           RefusedCase{"comment_key", "A", ";k", "1"}));

TEST_F(TempEnvTest, ScriviIniReplacesTheFileAtomicallyAndKeepsItsPermissions)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    writeFile(file, "[A]\nk=1\n");
    ::chmod(QFile::encodeName(file).constData(), 0640);
    struct stat before
    {};
    ::stat(QFile::encodeName(file).constData(), &before);
    ASSERT_TRUE(qvUtilita().ScriviINI(file, "A", "k", "2"));
    struct stat after
    {};
    ::stat(QFile::encodeName(file).constData(), &after);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file renamed into place
    EXPECT_EQ(after.st_mode & 0777, 0640u);
}

TEST_F(TempEnvTest, ScriviIniThatCannotWriteWholeLeavesTheFileAsItWas)
{
    const QString file = env.root() + QStringLiteral("prova.ini");
    const QByteArray before = "[A]\nk=1\n" + QByteArray(3000, ';') + "\n";
    writeFile(file, before);
    {
        test::FileSizeLimit limit(4096); // the new file cannot grow past 4 KiB
        EXPECT_FALSE(qvUtilita().ScriviINI(file, "A", "k", QString(2000, 'v')));
    }
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files), QStringList{"prova.ini"});
}

TEST_F(TempEnvTest, ScriviIniFailsWhereNoFileCanBeWritten)
{
    qvUtilita u;
    EXPECT_FALSE(u.ScriviINI(env.root() + QStringLiteral("manca/prova.ini"), "A", "k", "v"));
    EXPECT_FALSE(QFileInfo::exists(env.root() + QStringLiteral("manca")));
    QDir(env.root()).mkdir(QStringLiteral("cartella.ini"));
    EXPECT_FALSE(u.ScriviINI(env.root() + QStringLiteral("cartella.ini"), "A", "k", "v"));
    EXPECT_TRUE(QFileInfo(env.root() + QStringLiteral("cartella.ini")).isDir());
}

TEST_F(TempEnvTest, TwoProcessesWritingOneIniFileKeepEveryKey)
{
    const QString file = env.root() + QStringLiteral("condiviso.ini");
    constexpr int Keys = 150;
    auto first = test::startHelper({QStringLiteral("ini"), file, QString::number(Keys), QStringLiteral("a")});
    auto second = test::startHelper({QStringLiteral("ini"), file, QString::number(Keys), QStringLiteral("b")});
    ASSERT_EQ(test::finishHelper(*first), 0);
    ASSERT_EQ(test::finishHelper(*second), 0);
    qvUtilita u;
    for (int n = 0; n < Keys; ++n) {
        ASSERT_EQ(u.LeggiINI(file, "Test", QStringLiteral("a%1").arg(n), "manca"), QString::number(n));
        ASSERT_EQ(u.LeggiINI(file, "Test", QStringLiteral("b%1").arg(n), "manca"), QString::number(n));
    }
}

// Two writers of one file, one through a link from another folder: both
// take the lock of the folder of the file that is replaced, so no key is
// lost, and the link stays a link.
TEST_F(TempEnvTest, TwoProcessesWritingOneIniFileThroughALinkKeepEveryKey)
{
    QDir(env.root()).mkdir(QStringLiteral("vera"));
    QDir(env.root()).mkdir(QStringLiteral("altra"));
    const QString file = env.root() + QStringLiteral("vera/condiviso.ini");
    const QString link = env.root() + QStringLiteral("altra/collegamento.ini");
    ASSERT_TRUE(QFile::link(file, link));
    constexpr int Keys = 150;
    auto first = test::startHelper({QStringLiteral("ini"), file, QString::number(Keys), QStringLiteral("a")});
    auto second = test::startHelper({QStringLiteral("ini"), link, QString::number(Keys), QStringLiteral("b")});
    ASSERT_EQ(test::finishHelper(*first), 0);
    ASSERT_EQ(test::finishHelper(*second), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    qvUtilita u;
    int missing = 0;
    for (int n = 0; n < Keys; ++n)
        for (const char *prefix : {"a", "b"})
            missing +=
                u.LeggiINI(file, "Test", QStringLiteral("%1%2").arg(prefix).arg(n), "manca") != QString::number(n);
    EXPECT_EQ(missing, 0);
}

// A file whose read fails part-way (EIO after 100 kB of a 20,000-key file,
// from a library preloaded into the writing process) is never replaced.
TEST_F(TempEnvTest, ScriviIniAfterAReadErrorLeavesTheFileAsItWas)
{
    QByteArray contents = "[Test]\n";
    for (int n = 0; n < 20000; ++n)
        contents += "chiave" + QByteArray::number(n) + "=valore " + QByteArray::number(n) + "\n";
    if (!test::canPreloadFaultyRead())
        GTEST_SKIP() << "AddressSanitizer takes read() before a preloaded library";
    const QString file = test::writeAll(env.root() + QStringLiteral("grande.ini"), contents);
    ASSERT_GT(contents.size(), 100000);
    const pid_t writer = test::spawn(QStringLiteral(QV_HELPER_UTILITA), {QStringLiteral("ini"), file, "1", "nuova"},
                                     test::faultyRead(file, 100000, "eio"));
    ASSERT_GT(writer, 0);
    EXPECT_EQ(test::waitFor(writer), 1); // its one ScriviINI failed
    EXPECT_EQ(readAll(file), contents);
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"grande.ini"});
}

// What is not a regular INI file is neither read nor replaced: a FIFO (which
// would block), a device that reads without end (which would exhaust the
// memory and throw out of LeggiINI), a file beyond the size an INI file can
// sensibly have (2000 lines of the 2000 characters a read gives). Each runs
// in a helper process with a bounded address space, so that what blocks or
// throws shows as a failure of the helper.
struct NotAnIniCase
{
    const char *name;
    std::function<QString(const QString &root)> make;
};

void PrintTo(const NotAnIniCase &c, std::ostream *os)
{
    *os << c.name;
}

class NotAnIniTest : public test::TempEnvTest, public ::testing::WithParamInterface<NotAnIniCase>
{};

TEST_P(NotAnIniTest, GivesTheDefaultAndIsNeverReplaced)
{
    const QString file = GetParam().make(env.root());
    if (file.isEmpty())
        GTEST_SKIP() << "not available here";
    struct stat before
    {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    auto reader = test::startHelper({"--memoria", "512", "leggi-ini", file, "A", "k"});
    EXPECT_EQ(test::finishHelper(*reader, 60000), 0) << "-1: it blocked or threw";
    EXPECT_EQ(reader->readAllStandardOutput(), "predefinito\n");
    if (file.startsWith(env.root())) {
        auto writer = test::startHelper({"--memoria", "512", "ini", file, "1", "k"});
        EXPECT_EQ(test::finishHelper(*writer, 60000), 1) << "-1: it blocked or threw";
    }
    struct stat after
    {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotAnIniTest,
    ::testing::Values(NotAnIniCase{"Fifo",
                                   [](const QString &root) {
                                       const QString fifo = root + "fifo.ini";
                                       return ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 ? fifo
                                                                                                       : QString();
                                   }},
                      NotAnIniCase{"DevZero",
                                   [](const QString &) {
                                       return QFileInfo::exists("/dev/zero") ? QStringLiteral("/dev/zero") : QString();
                                   }},
                      NotAnIniCase{"TooLarge",
                                   [](const QString &root) {
                                       // A sparse file: a key first, then holes up to one byte past the bound.
                                       const QString big = test::writeAll(root + "grande.ini", "[A]\nk=1\n");
                                       return ::truncate(QFile::encodeName(big).constData(), 2000LL * 2000 * 4 + 1) == 0
                                                  ? big
                                                  : QString();
                                   }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv
