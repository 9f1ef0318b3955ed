// SPDX-License-Identifier: MIT
// The spool writer: invariant numbers under any locale, record layout, and
// appends that leave whole records only, even when the disk fills up.
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "support/FileLimit.h"
#include "support/TestEnv.h"
#include "tests/control/ItalianLocale.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <limits>
#include <ostream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using qv::test::FileSizeLimit;

using namespace qv;
using qv::test::ItalianLocale;

namespace {

struct SingleCase
{
    float value;
    const char *text;
};

void PrintTo(const SingleCase &c, std::ostream *os)
{
    *os << c.text;
}

class SingleFormat : public ::testing::TestWithParam<SingleCase>
{};

TEST_P(SingleFormat, WritesInvariantNotation)
{
    EXPECT_EQ(spool::formatSingle(GetParam().value), QByteArray(GetParam().text));
}

const SingleCase SingleCases[] = {SingleCase{1440.0f, "1440"},
                                  SingleCase{-1440.0f, "-1440"},
                                  SingleCase{float(10 * 1440.0 / 25.4), "566.9291"},
                                  SingleCase{0.5f, "0.5"},
                                  SingleCase{-0.25f, "-0.25"},
                                  SingleCase{-0.0f, "0"},
                                  SingleCase{0.0f, "0"},
                                  SingleCase{0.1f, "0.1"},
                                  SingleCase{1.0f / 3.0f, "0.3333333"},
                                  SingleCase{1234567.0f, "1234567"},
                                  SingleCase{12345678.0f, "1.234568E+07"},
                                  SingleCase{1.5e10f, "1.5E+10"},
                                  SingleCase{0.0001f, "0.0001"},
                                  SingleCase{0.00001f, "1E-05"},
                                  SingleCase{2.5e-7f, "2.5E-07"},
                                  SingleCase{std::numeric_limits<float>::max(), "3.402823E+38"},
                                  SingleCase{11520.0f, "11520"}};

INSTANTIATE_TEST_SUITE_P(Values, SingleFormat, ::testing::ValuesIn(SingleCases));

struct DoubleCase
{
    double value;
    const char *text;
};

void PrintTo(const DoubleCase &c, std::ostream *os)
{
    *os << c.text;
}

class DoubleFormat : public ::testing::TestWithParam<DoubleCase>
{};

TEST_P(DoubleFormat, WritesFifteenDigitsAtMost)
{
    EXPECT_EQ(spool::formatDouble(GetParam().value), QByteArray(GetParam().text));
}

const DoubleCase DoubleCases[] = {DoubleCase{2.0, "2"},
                                  DoubleCase{-1.0, "-1"},
                                  DoubleCase{1.0 / 3.0, "0.333333333333333"},
                                  DoubleCase{M_PI, "3.14159265358979"},
                                  DoubleCase{-0.0, "0"},
                                  DoubleCase{1e20, "1E+20"},
                                  DoubleCase{1.5e-300, "1.5E-300"},
                                  DoubleCase{0.75, "0.75"}};

INSTANTIATE_TEST_SUITE_P(Values, DoubleFormat, ::testing::ValuesIn(DoubleCases));

TEST(NumberFormat, SameUnderAnItalianLocale)
{
    ItalianLocale italian;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 0.5);
    if (italian.cLocaleActive())
        EXPECT_STREQ(probe, "0,5") << "the C library itself writes a comma now";
    else
        std::printf("it_IT.UTF-8 not available: only Qt's default locale is Italian\n");
    for (const SingleCase &c : SingleCases)
        EXPECT_EQ(spool::formatSingle(c.value), QByteArray(c.text));
    for (const DoubleCase &c : DoubleCases)
        EXPECT_EQ(spool::formatDouble(c.value), QByteArray(c.text));
}

TEST(SpoolRecord, BuildsLinesWithCrLfAndCommas)
{
    spool::Record record("#line@");
    spool::ScriviAttributiTratto(record, spool::StrokeLine{255, 13, 2, 1, 65280, 0});
    record.single(1.5f).single(-2.0f).boolean(true).boolean(false).endLine();
    EXPECT_EQ(record.bytes(), QByteArray("#line@\r\n255,13,2,1,65280,0\r\n1.5,-2,#TRUE#,#FALSE#\r\n"));
}

TEST(SpoolRecord, FontLineHasEightItems)
{
    spool::Record record("#print@");
    spool::ScriviAttributiFont(
        record, spool::FontLine{QStringLiteral("Times New Roman"), 12, true, false, true, false, 16711680, false});
    EXPECT_EQ(record.bytes(),
              QByteArray("#print@\r\n\"Times New Roman\",12,#TRUE#,#FALSE#,#TRUE#,#FALSE#,16711680,#FALSE#\r\n"));
}

TEST(SpoolRecord, TextItemCannotBreakItsLine)
{
    spool::Record record("#print@");
    record.text(QStringLiteral("Ar\"ial\r\nX\tY")).endLine();
    EXPECT_EQ(record.bytes(), QByteArray("#print@\r\n\"Ar'ial  X Y\"\r\n"));
}

TEST(SpoolRecord, TextIsUtf8)
{
    spool::Record record("#print@");
    record.rawLine(QStringLiteral("Però €"));
    EXPECT_EQ(record.bytes(), QByteArray("#print@\r\nPer\xc3\xb2 \xe2\x82\xac\r\n"));
}

// --- Appending -----------------------------------------------------------------

class AppendRecord : public qv::test::TempEnvTest
{
protected:
    QString path() const { return env.tempFolder() + QStringLiteral("qvtest.tmp"); }
};

TEST_F(AppendRecord, AppendsToTheClaimedFile)
{
    const std::optional<spool::SpoolIdentity> id = spool::claimSpoolFile(path());
    ASSERT_TRUE(id);
    ASSERT_TRUE(spool::appendRecord(path(), *id, "#newpage@\r\n"));
    ASSERT_TRUE(spool::appendRecord(path(), *id, "#newpage@\r\n"));
    EXPECT_EQ(qv::test::readAll(path()), QByteArray("#newpage@\r\n#newpage@\r\n"));
}

TEST_F(AppendRecord, FailsInAMissingFolder)
{
    const QString missing = env.tempFolder() + QStringLiteral("nessuna/qv.tmp");
    EXPECT_FALSE(spool::claimSpoolFile(missing));
    EXPECT_FALSE(spool::appendRecord(missing, spool::SpoolIdentity{}, "#newpage@\r\n"));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(spool::appendRecord(QString(), spool::SpoolIdentity{}, "#newpage@\r\n"));
}

TEST_F(AppendRecord, FullDiskLeavesTheFileAsItWas)
{
    const std::optional<spool::SpoolIdentity> id = spool::claimSpoolFile(path());
    ASSERT_TRUE(id);
    const QByteArray first = "#line@\r\n0,13,1,0,0,1\r\n1440,3000,5760,3600,#TRUE#,#FALSE#\r\n";
    ASSERT_TRUE(spool::appendRecord(path(), *id, first));
    const QByteArray big = "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1440,2880\r\n"
                           + QByteArray(200, 'x') + "\r\n#endprint@\r\n";
    {
        FileSizeLimit limit(first.size() + 20);
        EXPECT_FALSE(spool::appendRecord(path(), *id, big));
    }
    EXPECT_EQ(qv::test::readAll(path()), first);
    // With room again the next record goes in whole.
    ASSERT_TRUE(spool::appendRecord(path(), *id, big));
    EXPECT_EQ(qv::test::readAll(path()), first + big);
}

// A name that is no regular file of ours is never taken or written, and
// nothing waits on a FIFO.
TEST_F(AppendRecord, SpoolFileIsNeverAFifoOrAFolder)
{
    const QByteArray name = QFile::encodeName(path());
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    EXPECT_FALSE(spool::claimSpoolFile(path()));
    ::unlink(name.constData());
    ASSERT_EQ(::mkdir(name.constData(), 0700), 0);
    EXPECT_FALSE(spool::claimSpoolFile(path()));
    ::rmdir(name.constData());

    const auto id = spool::claimSpoolFile(path());
    ASSERT_TRUE(id);
    ASSERT_TRUE(spool::appendRecord(path(), *id, "#newpage@\r\n"));
    ::unlink(name.constData());
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    EXPECT_FALSE(spool::appendRecord(path(), *id, "#newpage@\r\n"));
    EXPECT_FALSE(spool::isSpoolFile(path(), *id));
}

} // namespace
