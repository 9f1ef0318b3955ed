// SPDX-License-Identifier: MIT
// Tests of the palette class: builders, nearest colour, indices, raw palette
// blocks and palette text files.
#include "qvpreview/CPalette.h"
#include "qvpreview/Error.h"

#include "support/Blocking.h"
#include "support/FileLimit.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSize>
#include <QtEndian>

#include <gmock/gmock.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <set>
#include <tuple>

using qv::CPalette;
using qv::PaletteEntry;
using namespace qv::test;

namespace {

// The error number that \a f throws as qv::Error (checking its source), or 0.
int errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const qv::Error &e) {
        EXPECT_EQ(e.source(), QStringLiteral("qvpreview.cPalette"));
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

PaletteEntry rgb(int r, int g, int b)
{
    return PaletteEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
}

QByteArray block(int32_t count, const QByteArray &entries)
{
    QByteArray b(4, '\0');
    qToLittleEndian<int32_t>(count, b.data());
    return b + entries;
}

QByteArray entriesBytes(int n)
{
    QByteArray bytes;
    for (int i = 0; i < n; ++i) {
        const char e[4] = {char(i), char(i >> 8), char(7), char(i & 0x0F)};
        bytes += QByteArray(e, 4);
    }
    return bytes;
}

} // namespace

// --- Builders ---------------------------------------------------------------

struct BuilderCase
{
    const char *name;
    void (CPalette::*build)();
    int32_t count;
    std::vector<std::pair<int32_t, PaletteEntry>> entries; // index, colour
};

class Builders : public ::testing::TestWithParam<BuilderCase>
{};

TEST_P(Builders, HaveTheirCountAndEntries)
{
    CPalette p;
    p.Add(1, 2, 3); // replaced, not kept
    (p.*GetParam().build)();
    ASSERT_EQ(p.Count(), GetParam().count);
    for (const auto &[index, colour] : GetParam().entries)
        EXPECT_EQ(p.Entry(index), colour) << "entry " << index;
}

INSTANTIATE_TEST_SUITE_P(
    CPalette, Builders,
    ::testing::Values(BuilderCase{"Mono", &CPalette::CreateMono, 2, {{1, rgb(0, 0, 0)}, {2, rgb(255, 255, 255)}}},
                      BuilderCase{"Colour16",
                                  &CPalette::Create16Colour,
                                  16,
                                  {{1, rgb(0, 0, 0)},
                                   {2, rgb(128, 0, 0)},
                                   {3, rgb(0, 128, 0)},
                                   {4, rgb(128, 128, 0)},
                                   {5, rgb(0, 0, 128)},
                                   {6, rgb(128, 0, 128)},
                                   {7, rgb(0, 128, 128)},
                                   {8, rgb(192, 192, 192)},
                                   {9, rgb(128, 128, 128)},
                                   {10, rgb(255, 0, 0)},
                                   {11, rgb(0, 255, 0)},
                                   {12, rgb(255, 255, 0)},
                                   {13, rgb(0, 0, 255)},
                                   {14, rgb(255, 0, 255)},
                                   {15, rgb(0, 255, 255)},
                                   {16, rgb(255, 255, 255)}}},
                      BuilderCase{"HalfTone",
                                  &CPalette::CreateHalfTone,
                                  256,
                                  {{1, rgb(0, 0, 0)},
                                   {2, rgb(64, 0, 0)},
                                   {5, rgb(255, 0, 0)},
                                   {6, rgb(0, 64, 0)},
                                   {26, rgb(0, 0, 64)},
                                   {32, rgb(64, 64, 64)},
                                   {124, rgb(192, 255, 255)},
                                   {125, rgb(255, 255, 255)},
                                   {126, rgb(0, 0, 0)},
                                   {256, rgb(0, 0, 0)}}},
                      BuilderCase{"WebSafe",
                                  &CPalette::CreateWebSafe,
                                  256,
                                  {{1, rgb(0, 0, 0)},
                                   {2, rgb(128, 0, 0)},
                                   {8, rgb(192, 192, 192)},
                                   {9, rgb(51, 0, 0)},
                                   {10, rgb(102, 0, 0)},
                                   {13, rgb(0, 51, 0)},
                                   {216, rgb(204, 255, 255)},
                                   {217, rgb(8, 8, 8)},
                                   {232, rgb(128, 128, 128)},
                                   {247, rgb(248, 248, 248)},
                                   {248, rgb(128, 128, 128)},
                                   {249, rgb(255, 0, 0)},
                                   {255, rgb(255, 255, 255)},
                                   {256, rgb(0, 0, 0)}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CPalette, WebSafeCubeHoldsEveryNonCornerColourOnce)
{
    CPalette p;
    p.CreateWebSafe();
    std::set<std::tuple<int, int, int>> seen;
    for (int i = 9; i <= 216; ++i) {
        const PaletteEntry e = p.Entry(i);
        ASSERT_EQ(e.red % 51 + e.green % 51 + e.blue % 51, 0) << i;
        const bool corner = (e.red % 255 == 0) && (e.green % 255 == 0) && (e.blue % 255 == 0);
        EXPECT_FALSE(corner) << i;
        seen.insert({e.red, e.green, e.blue});
    }
    EXPECT_EQ(seen.size(), 208u);
}

TEST(CPalette, NewAndClearedPalettesAreEmpty)
{
    CPalette p;
    EXPECT_EQ(p.Count(), 0);
    p.CreateHalfTone();
    p.EraseNodes();
    EXPECT_EQ(p.Count(), 256); // entries stay
    p.Add(1, 2, 3);
    EXPECT_EQ(p.Count(), 257);
    EXPECT_EQ(p.Entry(257), rgb(1, 2, 3));
    p.Clear();
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(p.ClosestIndex(0, 0, 0), 0);
}

// --- ClosestIndex -----------------------------------------------------------

struct ClosestCase
{
    const char *name;
    std::vector<PaletteEntry> palette;
    int r, g, b;
    int32_t expected;
};

class Closest : public ::testing::TestWithParam<ClosestCase>
{};

TEST_P(Closest, FindsTheNearestEntry)
{
    CPalette p;
    for (const PaletteEntry &e : GetParam().palette)
        p.Add(e.red, e.green, e.blue);
    EXPECT_EQ(p.ClosestIndex(GetParam().r, GetParam().g, GetParam().b), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CPalette, Closest,
    ::testing::Values(ClosestCase{"Empty", {}, 0, 0, 0, 0},
                      ClosestCase{"ExactMatch", {rgb(1, 0, 0), rgb(0, 0, 0)}, 0, 0, 0, 2},
                      ClosestCase{"TieFirstWins", {rgb(10, 0, 0), rgb(0, 10, 0)}, 5, 5, 0, 1},
                      ClosestCase{"TieFirstWinsReversed", {rgb(0, 10, 0), rgb(10, 0, 0)}, 5, 5, 0, 1},
                      ClosestCase{"TieAfterNearer", {rgb(90, 0, 0), rgb(0, 0, 0), rgb(20, 0, 0)}, 10, 0, 0, 2},
                      ClosestCase{"StrictlySmallerWins", {rgb(0, 0, 0), rgb(30, 0, 0)}, 16, 0, 0, 2},
                      ClosestCase{"FarthestNeverChosen", {rgb(255, 255, 255)}, 0, 0, 0, 0},
                      ClosestCase{"JustInsideReach", {rgb(254, 255, 255)}, 0, 0, 0, 1},
                      ClosestCase{"OnlyBlackForWhite", {rgb(0, 0, 0)}, 255, 255, 255, 0},
                      ClosestCase{"OutOfByteRange", {rgb(0, 0, 0), rgb(255, 255, 255)}, 300, 300, -100, 2},
                      ClosestCase{"HugeComponents", {rgb(0, 0, 0)}, INT32_MAX, INT32_MIN, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CPalette, ClosestIndexOnTheStandardPalettes)
{
    CPalette p;
    p.CreateMono();
    EXPECT_EQ(p.ClosestIndex(255, 255, 255), 2);
    EXPECT_EQ(p.ClosestIndex(127, 127, 127), 1); // 381 against 384
    EXPECT_EQ(p.ClosestIndex(128, 128, 128), 2);
    p.Create16Colour();
    EXPECT_EQ(p.ClosestIndex(10, 10, 10), 1);
    EXPECT_EQ(p.ClosestIndex(250, 5, 5), 10);
    p.CreateHalfTone();
    EXPECT_EQ(p.ClosestIndex(0, 0, 0), 1);
    EXPECT_EQ(p.ClosestIndex(32, 0, 0), 1); // tie between 0 and 64: the first
    EXPECT_EQ(p.ClosestIndex(33, 0, 0), 2);
    EXPECT_EQ(p.ClosestIndex(224, 224, 224), 125);
    p.CreateWebSafe();
    EXPECT_EQ(p.ClosestIndex(128, 128, 128), 232); // the grey ramp's copy comes first
}

// --- Red, Green, Blue -------------------------------------------------------

TEST(CPalette, ComponentsTakeAnyNumericIndex)
{
    CPalette p;
    p.Create16Colour();
    EXPECT_EQ(p.Red(2), 128);
    EXPECT_EQ(p.Green(QVariant(qint64(3))), 128);
    EXPECT_EQ(p.Blue(5u), 128);
    EXPECT_EQ(p.Red(9.6), 255);  // 10
    EXPECT_EQ(p.Red(9.5), 255);  // halves to even: 10
    EXPECT_EQ(p.Red(10.5), 255); // 10
    EXPECT_EQ(p.Green(QStringLiteral("11")), 255);
    EXPECT_EQ(p.Green(QStringLiteral(" 11 ")), 255);
    EXPECT_EQ(p.Blue(QStringLiteral("12.5")), 0);   // 12: yellow
    EXPECT_EQ(p.Blue(QStringLiteral("13.5")), 255); // 14: magenta
    EXPECT_EQ(p.Red(QByteArray("16")), 255);
}

TEST(CPalette, ComponentsRejectBadIndices)
{
    CPalette p;
    EXPECT_EQ(errorOf([&] { p.Red(1); }), qv::ErrSubscriptOutOfRange); // empty palette
    p.CreateMono();
    EXPECT_EQ(errorOf([&] { p.Red(0); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Green(3); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Blue(-1); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Red(0.4); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Red(true); }), qv::ErrSubscriptOutOfRange); // true is -1
    EXPECT_EQ(errorOf([&] { p.Red(1e300); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Red(QStringLiteral("99999999999999999999")); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Red(QVariant(qulonglong(1) << 63)); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { p.Entry(3); }), qv::ErrSubscriptOutOfRange);

    EXPECT_EQ(errorOf([&] { p.Red(QStringLiteral("uno")); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(QStringLiteral("")); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(QStringLiteral("1,5")); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(QStringLiteral("1e0")); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(QVariant()); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(std::nan("")); }), qv::ErrTypeMismatch);
    EXPECT_EQ(errorOf([&] { p.Red(QVariant::fromValue(QSize(1, 1))); }), qv::ErrTypeMismatch);
}

TEST(CPalette, DeclaresItsProgressSignals)
{
    CPalette p;
    QSignalSpy init(&p, &CPalette::InitProgress);
    QSignalSpy progress(&p, &CPalette::Progress);
    QSignalSpy complete(&p, &CPalette::Complete);
    ASSERT_TRUE(init.isValid() && progress.isValid() && complete.isValid());
    p.CreateWebSafe();
    EXPECT_EQ(init.count() + progress.count() + complete.count(), 0);
}

// --- Raw palette blocks -----------------------------------------------------

class RawBlock : public TempEnvTest
{
protected:
    QString path(const char *name = "p.pal") const { return env.root() + QLatin1String(name); }
};

TEST_F(RawBlock, SaveAtPosition100AndLoadItBack)
{
    CPalette p;
    p.Create16Colour();
    ASSERT_TRUE(p.Save(path(), 100));
    const QByteArray bytes = readAll(path());
    ASSERT_EQ(bytes.size(), 104 + 4 * 16);
    EXPECT_EQ(bytes.left(100), QByteArray(100, '\0'));
    EXPECT_EQ(qFromLittleEndian<int32_t>(bytes.constData() + 100), 16);
    EXPECT_EQ(bytes.mid(104 + 4 * 1, 4), QByteArray("\x80\0\0\0", 4)); // entry 2: 128, 0, 0, flags 0

    CPalette q;
    int32_t position = 100;
    ASSERT_TRUE(q.Load(path(), &position));
    EXPECT_EQ(position, 104 + 4 * 16);
    EXPECT_EQ(q.Entries(), p.Entries());
}

TEST_F(RawBlock, ConsecutiveBlocksAreReadInTurn)
{
    writeFile(path(), block(2, entriesBytes(2)) + block(3, entriesBytes(3)));
    CPalette p;
    int32_t position = -5; // below 1: from the start, 0 written back
    ASSERT_TRUE(p.Load(path(), &position));
    EXPECT_EQ(position, 12);
    EXPECT_EQ(p.Count(), 2);
    ASSERT_TRUE(p.Load(path(), &position));
    EXPECT_EQ(position, 12 + 16);
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.Entry(3), (PaletteEntry{2, 0, 7, 2})); // flags kept as read
    EXPECT_FALSE(p.Load(path(), &position));           // nothing more
    EXPECT_EQ(position, 28);
    EXPECT_EQ(p.Count(), 3);
}

TEST_F(RawBlock, NegativePositionIsWrittenBackAsZeroEvenOnFailure)
{
    writeFile(path(), block(0, {}));
    CPalette p;
    int32_t position = -5;
    EXPECT_FALSE(p.Load(path(), &position));
    EXPECT_EQ(position, 0);
    EXPECT_TRUE(p.Load(path(), nullptr) == false);
}

struct CountCase
{
    const char *name;
    int32_t count;
    int entriesPresent;
    bool accepted;
};

class RawBlockCounts : public RawBlock, public ::testing::WithParamInterface<CountCase>
{};

TEST_P(RawBlockCounts, AcceptOnlyFullBlocksOfOneTo4097Entries)
{
    const CountCase &c = GetParam();
    writeFile(path(), block(c.count, entriesBytes(c.entriesPresent)));
    CPalette p;
    p.CreateMono();
    int32_t position = 0;
    EXPECT_EQ(p.Load(path(), &position), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(p.Count(), c.count);
        EXPECT_EQ(position, 4 + 4 * c.count);
    } else {
        EXPECT_EQ(p.Count(), 2); // unchanged
        EXPECT_EQ(p.Entry(2), rgb(255, 255, 255));
        EXPECT_EQ(position, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(CPalette, RawBlockCounts,
                         ::testing::Values(CountCase{"One", 1, 1, true}, CountCase{"Max4097", 4097, 4097, true},
                                           CountCase{"Over4098", 4098, 4098, false}, CountCase{"Zero", 0, 0, false},
                                           CountCase{"Negative", -1, 4, false}, CountCase{"Huge", INT32_MAX, 10, false},
                                           CountCase{"ShortByOne", 3, 2, false},
                                           CountCase{"TrailingBytesIgnored", 2, 5, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RawBlock, ShortOrMissingFilesAreRefused)
{
    CPalette p;
    EXPECT_FALSE(p.Load(path("missing.pal")));
    writeFile(path(), QByteArray("\x02\0\0", 3));
    EXPECT_FALSE(p.Load(path()));
    writeFile(path(), block(2, entriesBytes(2)));
    int32_t beyond = 1000;
    EXPECT_FALSE(p.Load(path(), &beyond));
    EXPECT_EQ(beyond, 1000);
    EXPECT_EQ(p.Count(), 0);
    EXPECT_FALSE(p.Load(env.root())); // a folder
}

TEST_F(RawBlock, SaveOfAnEmptyPaletteWritesTheCountThenThrows9)
{
    CPalette p;
    EXPECT_EQ(errorOf([&] { p.Save(path(), 8); }), qv::ErrSubscriptOutOfRange);
    EXPECT_EQ(readAll(path()), QByteArray(12, '\0'));
}

TEST_F(RawBlock, SaveReplacesALongerFile)
{
    writeFile(path(), QByteArray(5000, 'x'));
    CPalette p;
    p.CreateMono();
    ASSERT_TRUE(p.Save(path()));
    EXPECT_EQ(readAll(path()), block(2, QByteArray("\0\0\0\0\xff\xff\xff\0", 8)));
}

TEST_F(RawBlock, FailedSaveKeepsTheOldFile)
{
    CPalette old;
    old.CreateMono();
    ASSERT_TRUE(old.Save(path()));
    const QByteArray before = readAll(path());

    CPalette p;
    p.CreateWebSafe();
    {
        FileSizeLimit limit(512); // the block needs 1028 bytes
        EXPECT_FALSE(p.Save(path()));
    }
    EXPECT_EQ(readAll(path()), before);
    EXPECT_FALSE(p.Save(env.root() + QStringLiteral("no/such/folder/p.pal")));
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files), QStringList{QStringLiteral("p.pal")}); // no leftovers
}

TEST_F(RawBlock, UnwritableFolderKeepsTheOldFile)
{
    CPalette old;
    old.CreateMono();
    const QString folder = env.root() + QStringLiteral("ro/");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(old.Save(folder + QStringLiteral("p.pal")));
    const QByteArray before = readAll(folder + QStringLiteral("p.pal"));
    CPalette p;
    p.CreateWebSafe();
    {
        ReadOnlyFolder readOnly(folder);
        if (!readOnly.active())
            GTEST_SKIP() << "no way to make a folder read-only here";
        EXPECT_FALSE(p.Save(folder + QStringLiteral("p.pal")));
        EXPECT_EQ(errorOf([&] { p.SaveToJASCFile(folder + QStringLiteral("p.pal")); }), 75);
    }
    EXPECT_EQ(readAll(folder + QStringLiteral("p.pal")), before);
}

// --- Both file forms, every builder ----------------------------------------

class RoundTrip : public TempEnvTest, public ::testing::WithParamInterface<void (CPalette::*)()>
{};

TEST_P(RoundTrip, BothFileFormsGiveBackTheSameColours)
{
    CPalette p;
    (p.*GetParam())();
    const QString raw = env.root() + QStringLiteral("p.raw");
    const QString text = env.root() + QStringLiteral("p.pal");
    ASSERT_TRUE(p.Save(raw, 33));
    ASSERT_TRUE(p.SaveToJASCFile(text));

    CPalette fromRaw, fromText;
    int32_t position = 33;
    ASSERT_TRUE(fromRaw.Load(raw, &position));
    EXPECT_EQ(fromRaw.Entries(), p.Entries());
    ASSERT_TRUE(fromText.LoadFromJASCFile(text));
    EXPECT_EQ(fromText.Entries(), p.Entries()); // flags 0 on both sides
}

INSTANTIATE_TEST_SUITE_P(CPalette, RoundTrip,
                         ::testing::Values(&CPalette::CreateMono, &CPalette::Create16Colour, &CPalette::CreateHalfTone,
                                           &CPalette::CreateWebSafe));

// --- Palette text files -----------------------------------------------------

class TextFile : public TempEnvTest
{
protected:
    QString path(const char *name = "p.pal") const { return env.root() + QLatin1String(name); }
};

TEST_F(TextFile, MonoPaletteGoldenBytes)
{
    CPalette p;
    p.CreateMono();
    EXPECT_TRUE(p.SaveToJASCFile(path()));
    EXPECT_EQ(readAll(path()), QByteArray("JASC\r\n0100\r\n2\r\n0 0 0\r\n255 255 255"));
}

TEST_F(TextFile, EmptyPaletteWritesOnlyTheHeader)
{
    writeFile(path(), QByteArray(3000, 'z')); // a longer old file goes entirely
    CPalette p;
    EXPECT_TRUE(p.SaveToJASCFile(path()));
    EXPECT_EQ(readAll(path()), QByteArray("JASC\r\n0100\r\n0"));
}

TEST_F(TextFile, FlagsAreNotWritten)
{
    writeFile(path(), block(1, QByteArray("\x01\x02\x03\x09", 4)));
    CPalette p;
    ASSERT_TRUE(p.Load(path()));
    ASSERT_TRUE(p.SaveToJASCFile(path()));
    EXPECT_EQ(readAll(path()), QByteArray("JASC\r\n0100\r\n1\r\n1 2 3"));
}

struct TextCase
{
    const char *name;
    QByteArray content;
    std::vector<PaletteEntry> expected; // when error is 0
    int error;
};

class TextFileLoad : public TextFile, public ::testing::WithParamInterface<TextCase>
{};

TEST_P(TextFileLoad, ReadsEveryThreeFieldLine)
{
    const TextCase &c = GetParam();
    writeFile(path(), c.content);
    CPalette p;
    p.CreateWebSafe();
    bool result = false;
    EXPECT_EQ(errorOf([&] { result = p.LoadFromJASCFile(path()); }), c.error);
    if (c.error == 0) {
        EXPECT_TRUE(result);
        EXPECT_EQ(p.Entries(), c.expected);
    } else {
        EXPECT_EQ(p.Count(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CPalette, TextFileLoad,
    ::testing::Values(
        TextCase{"Ours", "JASC\r\n0100\r\n2\r\n1 2 3\r\n4 5 6", {rgb(1, 2, 3), rgb(4, 5, 6)}, 0},
        TextCase{
            "OtherProgram", "JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n40 50 60\r\n", {rgb(10, 20, 30), rgb(40, 50, 60)}, 0},
        TextCase{"CountLineIgnored",
                 "JASC\r\n0100\r\n256\r\n1 1 1\r\n2 2 2\r\n3 3 3",
                 {rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3)},
                 0},
        TextCase{"LineFeedsOnly", "JASC\n0100\n2\n1 2 3\n4 5 6", {}, 0},
        TextCase{"TrailingSpaceSkipped", "1 2 3 \r\n4 5 6", {rgb(4, 5, 6)}, 0},
        TextCase{"DoubleSpaceFourFields", "1  2 3\r\n4 5 6", {rgb(4, 5, 6)}, 0},
        TextCase{"EmptyLines", "\r\n\r\n7 8 9\r\n\r\n", {rgb(7, 8, 9)}, 0},
        TextCase{"NoLineBreak", "7 8 9", {rgb(7, 8, 9)}, 0}, TextCase{"EmptyFile", "", {}, 0},
        TextCase{"Fractions",
                 "2.5 3.5 0.5\r\n254.5 255.4 -0.5\r\n1.50001 .5 7.",
                 {rgb(2, 4, 0), rgb(254, 255, 0), rgb(2, 0, 7)},
                 0},
        TextCase{"SignsAndBlanks", "+1 \t2\t 003", {rgb(1, 2, 3)}, 0},
        TextCase{"TwoNumbersTwoSpaces", "JASC\r\n1  2", {}, qv::ErrTypeMismatch},
        TextCase{"First256", "256 0 0", {}, 6}, TextCase{"RoundsTo256", "255.5 0 0", {}, 6},
        TextCase{"Negative", "0 0 -1", {}, 6}, TextCase{"Letter", "a 0 0", {}, qv::ErrTypeMismatch},
        TextCase{"Comma", "1,5 0 0", {}, qv::ErrTypeMismatch}, TextCase{"Exponent", "1e2 0 0", {}, qv::ErrTypeMismatch},
        TextCase{"HugeNumber", "0 0 99999999999999999999999999", {}, 6},
        TextCase{"BadLineAfterGoodOnes", "1 2 3\r\n4 5 x", {}, qv::ErrTypeMismatch},
        TextCase{"OneColourOnLineFeeds", "JASC\n0100\n1\n1 2 3", {}, qv::ErrTypeMismatch}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TextFile, MissingFileOrFolderThrows)
{
    CPalette p;
    p.CreateMono();
    EXPECT_EQ(errorOf([&] { p.LoadFromJASCFile(path("missing.pal")); }), 53);
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(errorOf([&] { p.LoadFromJASCFile(path("none/p.pal")); }), 76);
    p.CreateMono();
    EXPECT_EQ(errorOf([&] { p.SaveToJASCFile(path("none/p.pal")); }), 76);
    EXPECT_EQ(p.Count(), 2);
}

/// A palette text file with a bad line, and where the error says it is.
struct WhereCase
{
    const char *name;
    QByteArray content;
    int number;
    int64_t line;
};

class TextFileWhere : public TextFile, public ::testing::WithParamInterface<WhereCase>
{};

TEST_P(TextFileWhere, TheErrorNamesTheFileAndLine)
{
    const WhereCase &c = GetParam();
    writeFile(path(), c.content);
    CPalette p;
    try {
        p.LoadFromJASCFile(path());
        ADD_FAILURE() << "no error raised";
    } catch (const qv::Error &e) {
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.description(), qv::errorText(c.number));
        EXPECT_EQ(e.file(), path());
        EXPECT_EQ(e.line(), c.line);
        const QString detail = QStringLiteral("file \"%1\", riga %2").arg(path()).arg(c.line);
        EXPECT_EQ(e.detail(), detail);
        EXPECT_EQ(QString::fromUtf8(e.what()), qv::errorText(c.number) + QStringLiteral(": ") + detail);
    }
}

INSTANTIATE_TEST_SUITE_P(CPalette, TextFileWhere,
                         ::testing::Values(WhereCase{"FirstLine", "a 0 0", qv::ErrTypeMismatch, 1},
                                           WhereCase{"AfterGoodLines", "1 2 3\r\n\r\n4 5 x", qv::ErrTypeMismatch, 3},
                                           WhereCase{"OverflowAfterTheHeader", "JASC\r\n0100\r\n1\r\n300 0 0",
                                                     qv::ErrOverflow, 4},
                                           // Lines end with CR LF only: a file of LF lines is one line.
                                           WhereCase{"LineFeedsOnly", "JASC\n0100\n1\n1 2 3", qv::ErrTypeMismatch, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TextFile, AFileThatCannotBeOpenedIsNamedInTheDetail)
{
    CPalette p;
    for (const QString &file : {path("missing.pal"), path("none/p.pal")}) {
        try {
            if (file.contains(QLatin1String("none")))
                p.SaveToJASCFile(file);
            else
                p.LoadFromJASCFile(file);
            ADD_FAILURE() << "no error raised";
        } catch (const qv::Error &e) {
            EXPECT_EQ(e.file(), file);
            EXPECT_EQ(e.line(), 0);
            EXPECT_EQ(e.detail(), QStringLiteral("file \"%1\"").arg(file));
            EXPECT_TRUE(QString::fromUtf8(e.what()).endsWith(QStringLiteral(": file \"%1\"").arg(file)));
        }
    }
}

// --- Files that are no palette file: devices, pipes, folders, huge files ---

struct SpecialFile
{
    const char *name;
    std::function<QString(const QString &folder)> make; // the file's path
    int textError;                                      // of LoadFromJASCFile; 0: it loads
};

void PrintTo(const SpecialFile &c, std::ostream *os)
{
    *os << c.name;
}

class SpecialFiles : public TempEnvTest, public ::testing::WithParamInterface<SpecialFile>
{};

TEST_P(SpecialFiles, AreRefusedWithoutReadingOrWaiting)
{
    const SpecialFile &c = GetParam();
    const QString file = c.make(env.root());
    ASSERT_FALSE(file.isEmpty());
    CPalette p;
    p.CreateMono();
    int32_t position = 0;
    EXPECT_FALSE(blockedOnFifo(file, [&] { EXPECT_FALSE(p.Load(file, &position)); }));
    EXPECT_EQ(p.Count(), 2);
    EXPECT_EQ(position, 0);
    EXPECT_FALSE(blockedOnFifo(file, [&] { EXPECT_EQ(errorOf([&] { p.LoadFromJASCFile(file); }), c.textError); }));
    EXPECT_EQ(p.Count(), 0);
}

QString sparseFile(const QString &path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
        return {};
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    CPalette, SpecialFiles,
    ::testing::Values(
        SpecialFile{"Fifo", [](const QString &folder) { return makeFifo(folder + QStringLiteral("pipe.pal")); },
                    qv::ErrPathFileAccess},
        SpecialFile{"EndlessDevice", [](const QString &) { return QStringLiteral("/dev/zero"); },
                    qv::ErrPathFileAccess},
        SpecialFile{"LinkToAnEndlessDevice",
                    [](const QString &folder) {
                        const QString link = folder + QStringLiteral("zero.pal");
                        return QFile::link(QStringLiteral("/dev/zero"), link) ? link : QString();
                    },
                    qv::ErrPathFileAccess},
        SpecialFile{"Folder", [](const QString &folder) { return folder; }, qv::ErrPathFileAccess},
        SpecialFile{"LongerThanTheLimit",
                    [](const QString &folder) {
                        return sparseFile(folder + QStringLiteral("big.pal"), CPalette::MaxTextFileBytes + 1);
                    },
                    qv::ErrOutOfMemory},
        SpecialFile{"AtTheLimit",
                    [](const QString &folder) {
                        return sparseFile(folder + QStringLiteral("limit.pal"), CPalette::MaxTextFileBytes);
                    },
                    0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TextFile, FailedSaveKeepsTheOldFile)
{
    CPalette old;
    old.CreateMono();
    ASSERT_TRUE(old.SaveToJASCFile(path()));
    const QByteArray before = readAll(path());
    CPalette p;
    p.CreateWebSafe();
    int error = 0;
    {
        FileSizeLimit limit(1000); // the text needs about 2.8 kB
        error = errorOf([&] { p.SaveToJASCFile(path()); });
    }
    EXPECT_TRUE(error == 57 || error == 61) << error;
    EXPECT_EQ(readAll(path()), before);
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files), QStringList{QStringLiteral("p.pal")});
}
