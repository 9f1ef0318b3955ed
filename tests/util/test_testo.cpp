// SPDX-License-Identifier: MIT
// Text helpers of qvUtilita: replace, split, blanks, terminators, capitals,
// seconds to a time, and the 16-bit limits.
#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace qv {
namespace {

struct ReplaceCase
{
    const char *testo, *ricerca, *sostituzione, *result;
};

void PrintTo(const ReplaceCase &c, std::ostream *os)
{
    *os << c.testo << "/" << c.ricerca << "/" << c.sostituzione;
}

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase>
{};

TEST_P(ReplaceTest, ReplacesNonOverlappingMatchesFromTheLeft)
{
    const ReplaceCase &c = GetParam();
    EXPECT_EQ(qvUtilita().qvReplace(QString::fromUtf8(c.testo), QString::fromUtf8(c.ricerca),
                                    QString::fromUtf8(c.sostituzione)),
              QString::fromUtf8(c.result));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    ::testing::Values(ReplaceCase{"aaa", "aa", "b", "ba"}, // no overlap, left first
                      ReplaceCase{"aaaa", "aa", "b", "bb"}, ReplaceCase{"abc", "", "x", "abc"}, // empty search
                      ReplaceCase{"", "a", "x", ""},                                            // empty text
                      ReplaceCase{"abcabc", "b", "", "abcabc"},   // empty replacement deletes nothing
                      ReplaceCase{"Abc", "a", "x", "Abc"},        // exact comparison
                      ReplaceCase{"città", "à", "a'", "citta'"},  // accents count
                      ReplaceCase{"ab", "abc", "x", "ab"},        // search longer than the text
                      ReplaceCase{"x.y.z", ".", "..", "x..y..z"}, // replacement holds the search
                      ReplaceCase{"aba", "a", "aa", "aabaa"}));

struct SplitCase
{
    const char *buf, *sep;
    bool result;
    QStringList parts;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << "'" << c.buf << "' at '" << c.sep << "'";
}

class SplitTest : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(SplitTest, RefillsTheCallersList)
{
    QStringList list{QStringLiteral("vecchio"), QStringLiteral("elenco")};
    EXPECT_EQ(qvUtilita().qvSplit(list, QString::fromUtf8(GetParam().buf), QString::fromUtf8(GetParam().sep)),
              GetParam().result);
    EXPECT_EQ(list, GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    ::testing::Values(SplitCase{"a;b;;c;", ";", true, {"a", "b", "", "c"}}, // one trailing separator dropped
                      SplitCase{"a;b;;", ";", true, {"a", "b", ""}},
                      SplitCase{";a", ";", true, {"", "a"}},               // leading separator
                      SplitCase{"a--b---c", "--", true, {"a", "b", "-c"}}, // two-character separator
                      SplitCase{"abc", ";", true, {"abc"}},
                      SplitCase{"ab", "abc", true, {"ab"}}, // separator longer than the text
                      SplitCase{";", ";", true, {""}},      // only a separator
                      SplitCase{"", ";", false, {""}}, SplitCase{"a;b", "", false, {""}}));

TEST(TextHelpers, EspuraSpaziRemovesBlanksOnly)
{
    qvUtilita u;
    EXPECT_EQ(u.EspuraSpazi(QStringLiteral("  a  b ")), QStringLiteral("ab"));
    EXPECT_EQ(u.EspuraSpazi(QStringLiteral("a\tb\nc\u00A0d")), QStringLiteral("a\tb\nc\u00A0d"));
    EXPECT_EQ(u.EspuraSpazi(QString()), QString());
}

TEST(TextHelpers, StripTerminatorCutsAtTheFirstNul)
{
    qvUtilita u;
    EXPECT_EQ(u.StripTerminator(QStringLiteral("C:\\TEMP\\") + QChar(u'\0') + QStringLiteral("   ")),
              QStringLiteral("C:\\TEMP\\"));
    EXPECT_EQ(u.StripTerminator(QString(1, QChar(u'\0'))), QString());
    EXPECT_EQ(u.StripTerminator(QStringLiteral("senza")), QStringLiteral("senza"));
}

struct KeyCase
{
    int16_t in, out;
};

void PrintTo(const KeyCase &c, std::ostream *os)
{
    *os << c.in;
}

class KeyMaiuscoloTest : public ::testing::TestWithParam<KeyCase>
{};

TEST_P(KeyMaiuscoloTest, GivesTheCapitalsCode)
{
    EXPECT_EQ(qvUtilita().KeyMaiuscolo(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyMaiuscoloTest,
                         ::testing::Values(KeyCase{'a', 'A'}, KeyCase{'z', 'Z'}, KeyCase{'A', 'A'}, KeyCase{'5', '5'},
                                           KeyCase{8, 8},         // backspace
                                           KeyCase{0xE8, 0xC8},   // è
                                           KeyCase{0xDF, 0xDF},   // ß: its capital is two letters
                                           KeyCase{0x3C9, 0x3A9}, // ω
                                           KeyCase{-1, -1}));     // U+FFFF, not a letter

struct DateCase
{
    int32_t sec;
    QDateTime expected;
};

void PrintTo(const DateCase &c, std::ostream *os)
{
    *os << c.sec;
}

class LongToDateTest : public ::testing::TestWithParam<DateCase>
{};

TEST_P(LongToDateTest, CountsFromDayZero)
{
    EXPECT_EQ(qvUtilita().LongToDate(GetParam().sec), GetParam().expected);
}

QDateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(Seconds, LongToDateTest,
                         ::testing::Values(DateCase{0, at(1899, 12, 30, 0, 0, 0)},
                                           DateCase{3661, at(1899, 12, 30, 1, 1, 1)},
                                           DateCase{86400, at(1899, 12, 31, 0, 0, 0)}, // one whole day
                                           DateCase{90000, at(1899, 12, 31, 1, 0, 0)}, // a day and an hour
                                           DateCase{-1, at(1899, 12, 29, 23, 59, 59)},
                                           DateCase{117964799, at(1903, 9, 26, 7, 59, 59)},  // 32767 hours and the rest
                                           DateCase{-117964800, at(1896, 4, 3, 16, 0, 0)})); // -32768 hours

// --- The 16-bit limits ---------------------------------------------------------

struct LimitCase
{
    const char *name;
    std::function<void(qvUtilita &)> call;
    bool overflows;
};

void PrintTo(const LimitCase &c, std::ostream *os)
{
    *os << c.name;
}

class SixteenBitTest : public ::testing::TestWithParam<LimitCase>
{};

TEST_P(SixteenBitTest, LongerThan32767RaisesOverflow)
{
    qvUtilita u;
    if (!GetParam().overflows) {
        EXPECT_NO_THROW(GetParam().call(u));
        return;
    }
    try {
        GetParam().call(u);
        FAIL() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), QStringLiteral("Overflow"));
    }
}

const QString At32767(32767, QLatin1Char('a'));
const QString At32768(32768, QLatin1Char('a'));

INSTANTIATE_TEST_SUITE_P(
    Limits, SixteenBitTest,
    ::testing::Values(LimitCase{"replace_32767",
                                [](qvUtilita &u) { EXPECT_EQ(u.qvReplace(At32767, "aa", "b").size(), 16384); }, false},
                      LimitCase{"replace_32768", [](qvUtilita &u) { u.qvReplace(At32768, "aa", "b"); }, true},
                      LimitCase{"replace_long_search", [](qvUtilita &u) { u.qvReplace("a", At32768, "b"); }, true},
                      LimitCase{"replace_32768_empty_replacement",
                                [](qvUtilita &u) { EXPECT_EQ(u.qvReplace(At32768, "a", ""), At32768); }, false},
                      LimitCase{"split_32767",
                                [](qvUtilita &u) {
                                    QStringList l;
                                    EXPECT_TRUE(u.qvSplit(l, At32767, ";"));
                                    EXPECT_EQ(l, QStringList{At32767});
                                },
                                false},
                      LimitCase{"split_32768",
                                [](qvUtilita &u) {
                                    QStringList l;
                                    u.qvSplit(l, At32768, ";");
                                },
                                true},
                      LimitCase{"split_long_separator",
                                [](qvUtilita &u) {
                                    QStringList l;
                                    u.qvSplit(l, "a", At32768);
                                },
                                true},
                      LimitCase{"espura_32767", [](qvUtilita &u) { EXPECT_EQ(u.EspuraSpazi(At32767), At32767); },
                                false},
                      LimitCase{"espura_32768", [](qvUtilita &u) { u.EspuraSpazi(At32768); }, true},
                      LimitCase{"date_32768_hours", [](qvUtilita &u) { u.LongToDate(117964800); }, true},
                      LimitCase{"date_below_minus_32768_hours", [](qvUtilita &u) { u.LongToDate(-117964801); }, true}));

} // namespace
} // namespace qv
