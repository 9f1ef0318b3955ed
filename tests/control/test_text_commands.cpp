// SPDX-License-Identifier: MIT
// The text commands: what each records, the field layout with and without
// word breaking, the multi-line block and its remainder, and their errors.
#include "ItalianLocale.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qv;
using qv::test::readAll;
using qv::test::spoolLines;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
const QString CrLf = QStringLiteral("\r\n");

/// One text record read back from the file.
struct TextRecord
{
    QByteArray font;
    QByteArray position;
    QStringList lines;
};

class Text : public qv::test::TempEnvTest
{
protected:
    Text() { qv::test::TempEnv::noPrinters(); }

    QByteArray spool() const { return pp.spoolPath().isEmpty() ? QByteArray() : readAll(pp.spoolPath()); }

    QList<TextRecord> records() const
    {
        QList<TextRecord> out;
        const auto l = spoolLines(spool());
        for (qsizetype i = 0; i < l.size(); ++i) {
            if (l[i] != "#print@")
                continue;
            TextRecord r{l[i + 1], l[i + 2], {}};
            for (i += 3; i < l.size() && l[i] != "#endprint@"; ++i)
                r.lines << QString::fromUtf8(l[i]);
            out << r;
        }
        return out;
    }
    float x(const TextRecord &r) const { return r.position.split(',')[0].toFloat(); }
    float y(const TextRecord &r) const { return r.position.split(',')[1].toFloat(); }

    PrintPreview pp;
};

template <typename F>
void expect1001(F &&f, const char *source)
{
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), 1001);
        EXPECT_EQ(e.source(), QString::fromLatin1(source));
        EXPECT_EQ(e.description(), QStringLiteral("Impossibile stampare..."));
    }
}

TEST_F(Text, StampaTestoKeepsLinesTabsAndDropsTrailingSpaces)
{
    pp.StampaTesto(100, 200, QStringLiteral("A") + CrLf + QStringLiteral("B  "));
    pp.StampaTesto(100, 400, QStringLiteral("\tcol1\tcol2 "));
    EXPECT_EQ(spool(), QByteArray("#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                                  "100,200\r\nA\r\nB\r\n#endprint@\r\n"
                                  "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                                  "100,400\r\n\tcol1\tcol2\r\n#endprint@\r\n"));
}

TEST_F(Text, FontLineFollowsTheProperties)
{
    pp.setFontName(QStringLiteral("Times New Roman"));
    pp.setFontSize(2160);
    pp.setFontBold(true);
    pp.setFontStrikethru(true);
    pp.setForeColor(16777215);
    pp.setFontTransparent(false);
    pp.StampaTesto(0, 0, QStringLiteral("x"));
    EXPECT_EQ(records().value(0).font, "\"Times New Roman\",2160,#FALSE#,#TRUE#,#FALSE#,#TRUE#,16777215,#FALSE#");
}

TEST_F(Text, FontNameThatCannotBeReadBackIsMadeSafe)
{
    pp.setFontName(QStringLiteral("Bad\"Font\r\n"));
    pp.StampaTesto(0, 0, QStringLiteral("x"));
    const auto r = records();
    ASSERT_EQ(r.size(), 1);
    EXPECT_TRUE(r[0].font.startsWith("\"Bad'Font  \",10,"));
    EXPECT_EQ(r[0].lines, QStringList{QStringLiteral("x")});
}

TEST_F(Text, TagLinesInsideATextCannotBecomeRecords)
{
    pp.StampaTesto(0, 0, QStringLiteral("a\r\n#endprint@\r\n#newpage@\n#endprint@\r\n#line@x\r\n#pset@"));
    const QByteArray bytes = spool();
    const auto l = spoolLines(bytes);
    EXPECT_EQ(std::count(l.begin(), l.end(), QByteArray("#endprint@")), 1);
    EXPECT_EQ(std::count(l.begin(), l.end(), QByteArray("#newpage@")), 0);
    EXPECT_EQ(l.last(), "#endprint@");
    EXPECT_EQ(records().value(0).lines,
              (QStringList{"a", "#endprint@ ", "#newpage@ ", "#endprint@ ", "#line@x", "#pset@ "}));
}

TEST_F(Text, EmptyAndBlankTexts)
{
    expect1001([&] { pp.StampaTesto(0, 0, QString()); }, "StampaTesto");
    expect1001([&] { pp.StampaCentrato(0, QString()); }, "StampaCentrato");
    EXPECT_TRUE(pp.spoolPath().isEmpty()) << "an empty text fails before the spool file";
    pp.StampaTesto(0, 0, QStringLiteral("   "));
    pp.StampaCentrato(0, QStringLiteral("     "));
    EXPECT_EQ(pp.StampaCampo(0, 0, QStringLiteral("    "), 1000, PP_Sinistra, true), 0);
    EXPECT_EQ(pp.StampaCampo(0, 0, QString(), 1000, PP_Sinistra, true), 0);
    int16_t righe = 3;
    float interlinea = 100;
    EXPECT_EQ(pp.StampaCampoMultilinea(0, 0, QStringLiteral("   "), 1000, PP_Sinistra, righe, interlinea), QString());
    EXPECT_FALSE(pp.spoolPath().isEmpty());
    EXPECT_EQ(spool(), QByteArray());
}

TEST_F(Text, NonFiniteInputFailsWithoutARecord)
{
    pp.StampaTesto(0, 0, QStringLiteral("prima"));
    const QByteArray before = spool();
    expect1001([&] { pp.StampaCentrato(NaN, QStringLiteral("x")); }, "StampaCentrato");
    expect1001([&] { pp.StampaCampo(NaN, 0, QStringLiteral("x"), 1000, PP_Sinistra, true); }, "StampaCampo");
    expect1001([&] { pp.StampaCampo(0, 0, QStringLiteral("x"), NaN, PP_Sinistra, true); }, "StampaCampo");
    expect1001(
        [&] { pp.StampaCampo(0, 0, QStringLiteral("x"), std::numeric_limits<float>::infinity(), PP_Sinistra, false); },
        "StampaCampo");
    int16_t righe = 0;
    float interlinea = NaN;
    expect1001([&] { pp.StampaCampoMultilinea(0, 0, QStringLiteral("a b"), 1000, PP_Sinistra, righe, interlinea); },
               "StampaCampoMultilinea");
    EXPECT_EQ(spool(), before);
}

TEST_F(Text, CampoBreaksAtAWord)
{
    const float fits = pp.TextWidth(QStringLiteral("alfa beta")) + 1;
    ASSERT_LT(fits, pp.TextWidth(QStringLiteral("alfa beta g")));
    EXPECT_EQ(pp.StampaCampo(100, 300, QStringLiteral("alfa beta gamma"), fits, PP_Sinistra, true), 10);
    // Without word breaking: the longest prefix that fits, character by character.
    EXPECT_EQ(pp.StampaCampo(100, 600, QStringLiteral("alfa beta gamma"), fits, PP_Sinistra, false), 9);
    const float toG = pp.TextWidth(QStringLiteral("alfa beta g"));
    EXPECT_EQ(pp.StampaCampo(100, 900, QStringLiteral("alfa beta gamma"), toG, PP_Sinistra, false), 11);
    const auto r = records();
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[0].lines, QStringList{QStringLiteral("alfa beta")});
    EXPECT_EQ(r[0].position, "100,300");
    EXPECT_EQ(r[1].lines, QStringList{QStringLiteral("alfa beta")});
    EXPECT_EQ(r[2].lines, QStringList{QStringLiteral("alfa beta g")});
}

TEST_F(Text, CampoCutsALongWordByCharacters)
{
    const float width = pp.TextWidth(QStringLiteral("super")) + 1;
    ASSERT_LT(width, pp.TextWidth(QStringLiteral("superc")));
    EXPECT_EQ(pp.StampaCampo(0, 0, QStringLiteral("supercalifragilistico"), width, PP_Sinistra, true), 5);
    EXPECT_EQ(records().value(0).lines, QStringList{QStringLiteral("super")});
}

TEST_F(Text, CampoCutsToTwoHundredFiftyCharacters)
{
    const QString text = QString(300, QLatin1Char('i'));
    EXPECT_EQ(pp.StampaCampo(0, 0, text, 1e7f, PP_Sinistra, false), 250);
    EXPECT_EQ(records().value(0).lines.value(0).size(), 250);
    EXPECT_LE(pp.StampaCampo(0, 0, text, 1440, PP_Sinistra, true), 250);
}

TEST_F(Text, CampoCleansControlCharacters)
{
    EXPECT_EQ(pp.StampaCampo(0, 0, QStringLiteral("a\r\nb\tc\x01"), 100000, PP_Sinistra, false), 6);
    EXPECT_EQ(records().value(0).lines, QStringList{QStringLiteral("a  b\tc")});
}

struct AlignCase
{
    QV_ALLINEAMENTO alignment;
    double share; ///< of the free room, added to PosX
};

void PrintTo(const AlignCase &c, std::ostream *os)
{
    *os << "alignment " << int(c.alignment);
}

class CampoAlignment : public Text, public ::testing::WithParamInterface<AlignCase>
{};

TEST_P(CampoAlignment, PlacesThePieceInItsField)
{
    pp.setScaleMode(SM_Millimeters);
    const float w = pp.TextWidth(QStringLiteral("Totale"));
    EXPECT_EQ(pp.StampaCampo(20, 30, QStringLiteral("Totale  "), 50, GetParam().alignment, true), 6);
    const auto r = records();
    ASSERT_EQ(r.size(), 1);
    const double expected = (20 + (50 - w) * GetParam().share) * 1440 / 25.4;
    EXPECT_NEAR(x(r[0]), expected, 0.01);
    EXPECT_NEAR(y(r[0]), 30 * 1440 / 25.4, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Alignments, CampoAlignment,
                         ::testing::Values(AlignCase{PP_Sinistra, 0}, AlignCase{PP_destra, 1},
                                           AlignCase{PP_Centrato, 0.5}, AlignCase{QV_ALLINEAMENTO(7), 0}));

TEST_F(Text, FieldNarrowerThanOneCharacterFails)
{
    expect1001([&] { pp.StampaCampo(0, 0, QStringLiteral("W"), 10, PP_Sinistra, false); }, "StampaCampo");
    expect1001([&] { pp.StampaCampo(0, 0, QStringLiteral("Wide"), 10, PP_Sinistra, true); }, "StampaCampo");
    // The only break is a leading space: the piece is empty.
    const float width = pp.TextWidth(QStringLiteral("parola"));
    expect1001([&] { pp.StampaCampo(0, 0, QStringLiteral(" parolalunga"), width, PP_Sinistra, true); }, "StampaCampo");
    int16_t righe = 0;
    float interlinea = 0;
    expect1001([&] { pp.StampaCampoMultilinea(0, 0, QStringLiteral("W"), 10, PP_Sinistra, righe, interlinea); },
               "StampaCampoMultilinea");
    EXPECT_EQ(spool(), QByteArray());
}

TEST_F(Text, CentratoCentresOnThePageAndClampsAtZero)
{
    const float w = pp.TextWidth(QStringLiteral("Fattura"));
    pp.StampaCentrato(500, QStringLiteral("  Fattura  "));
    pp.StampaCentrato(900, QString(400, QLatin1Char('M')));
    const auto r = records();
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].lines, QStringList{QStringLiteral("Fattura")});
    EXPECT_EQ(x(r[0]), std::nearbyint((11520 - w) / 2));
    EXPECT_EQ(r[1].position, "0,900");
}

TEST_F(Text, CentratoRoundsToWholeUnitsOfTheScale)
{
    pp.setScaleMode(SM_Centimeters);
    pp.StampaCentrato(2, QStringLiteral("X"));
    const auto r = records();
    ASSERT_EQ(r.size(), 1);
    const double cm = x(r[0]) / (14400 / 25.4);
    EXPECT_NEAR(cm, std::round(cm), 1e-4);
}

TEST_F(Text, MultilineGivesBackItsDefaults)
{
    int16_t righe = 0;
    float interlinea = 0;
    const QString rest = pp.StampaCampoMultilinea(
        0, 1000, QStringLiteral("uno") + CrLf + QStringLiteral("due") + CrLf + QStringLiteral("tre"), 5000, PP_Sinistra,
        righe, interlinea);
    EXPECT_EQ(rest, QString());
    EXPECT_EQ(righe, 32000);
    EXPECT_EQ(interlinea, pp.TextHeight());
    const auto r = records();
    ASSERT_EQ(r.size(), 3);
    EXPECT_FLOAT_EQ(y(r[2]) - y(r[0]), 2 * interlinea);
}

TEST_F(Text, MultilineReturnsWhatDidNotFit)
{
    const QString three = QStringLiteral("uno") + CrLf + QStringLiteral("due") + CrLf + QStringLiteral("tre");
    int16_t righe = 2;
    float interlinea = 300;
    EXPECT_EQ(pp.StampaCampoMultilinea(0, 0, three, 5000, PP_Sinistra, righe, interlinea), QStringLiteral("tre"));
    EXPECT_EQ(righe, 2);
    EXPECT_EQ(interlinea, 300);

    // Fixed-pitch, so that a line of nine characters fits and ten do not.
    pp.setFontName(QStringLiteral("Courier New"));
    const float field = pp.TextWidth(QStringLiteral("alfa beta")) + 1;
    const QString longFirst = QStringLiteral("alfa beta gamm delt epsilon") + CrLf + QStringLiteral("zeta");
    EXPECT_EQ(pp.StampaCampoMultilinea(0, 0, longFirst, field, PP_Sinistra, righe, interlinea),
              QStringLiteral("epsilon") + CrLf + QStringLiteral("zeta"));
    const auto r = records();
    ASSERT_EQ(r.size(), 4);
    EXPECT_EQ(r[2].lines, QStringList{QStringLiteral("alfa beta")});
    EXPECT_EQ(r[3].lines, QStringList{QStringLiteral("gamm delt")});
    EXPECT_EQ(r[3].position, "0,300");
}

TEST_F(Text, MultilineEmptyParagraphTakesOneLine)
{
    int16_t righe = 0;
    float interlinea = 250;
    pp.StampaCampoMultilinea(0, 1000, QStringLiteral("a") + CrLf + CrLf + QStringLiteral("b"), 5000, PP_Sinistra, righe,
                             interlinea);
    const auto r = records();
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].position, "0,1000");
    EXPECT_EQ(r[1].position, "0,1500");
}

TEST_F(Text, MultilinePrintsALongTextOverSeveralCalls)
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("parola%1 ").arg(i);
    const float field = 1440 * 2;
    QString rest = text;
    int calls = 0;
    while (!rest.isEmpty() && calls < 50) {
        int16_t righe = 4;
        float interlinea = 0;
        rest = pp.StampaCampoMultilinea(0, 0, rest, field, PP_Sinistra, righe, interlinea);
        ++calls;
    }
    EXPECT_TRUE(rest.isEmpty());
    QStringList printed;
    for (const auto &r : records()) {
        printed << r.lines;
        EXPECT_LE(pp.TextWidth(r.lines.join(QString())), field);
    }
    EXPECT_EQ(printed.join(QLatin1Char(' ')), text.trimmed());
    EXPECT_GT(calls, 1);
}

// --- The last block's lines and height ---------------------------------------------

/// A block and the lines it takes.
struct BlockCase
{
    const char *name;
    QString text;
    int16_t nRighe;
    int lines;         ///< lastBlockLines()
    QStringList texts; ///< the text records' lines, one record a line
};

void PrintTo(const BlockCase &c, std::ostream *os)
{
    *os << c.name;
}

class LastBlock : public Text, public ::testing::WithParamInterface<BlockCase>
{};

TEST_P(LastBlock, CountsTheLinesAndTheirHeightInTheHostsUnits)
{
    const BlockCase &c = GetParam();
    pp.setScaleMode(SM_Millimeters);
    // Fixed-pitch, so that "alfa beta" fits the field and "alfa beta gamma" does not.
    pp.setFontName(QStringLiteral("Courier New"));
    const float field = pp.TextWidth(QStringLiteral("alfa beta")) + 0.1f;
    int16_t righe = c.nRighe;
    float interlinea = 0;
    pp.StampaCampoMultilinea(20, 30, c.text, field, PP_Sinistra, righe, interlinea);
    EXPECT_EQ(pp.lastBlockLines(), c.lines);
    EXPECT_DOUBLE_EQ(pp.lastBlockHeight(), c.lines * double(interlinea));
    QStringList texts;
    for (const TextRecord &r : records())
        texts << r.lines.join(QLatin1Char('|'));
    EXPECT_EQ(texts, c.texts);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, LastBlock,
    ::testing::Values(
        BlockCase{"OneLine", QStringLiteral("alfa"), 0, 1, {"alfa"}},
        BlockCase{"Paragraphs", QStringLiteral("uno\r\ndue\r\ntre"), 0, 3, {"uno", "due", "tre"}},
        BlockCase{"EmptyParagraphTakesALine", QStringLiteral("uno\r\n\r\ntre"), 0, 3, {"uno", "tre"}},
        BlockCase{"Wrapped", QStringLiteral("alfa beta gamma delta"), 0, 3, {"alfa beta", "gamma", "delta"}},
        BlockCase{"LimitedByNRighe", QStringLiteral("alfa beta gamma delta\r\nzeta"), 1, 1, {"alfa beta"}},
        // A lone LF is no paragraph break: it becomes a blank, and wraps as one.
        BlockCase{"LoneLineFeedIsABlank", QStringLiteral("alfa\nbeta"), 0, 1, {"alfa beta"}},
        BlockCase{"Empty", QString(), 0, 0, {}}, BlockCase{"Blanks", QStringLiteral("    "), 0, 0, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Text, LastBlockIsReplacedByEveryBlockAndOnlyByOne)
{
    EXPECT_EQ(pp.lastBlockLines(), 0);
    EXPECT_EQ(pp.lastBlockHeight(), 0);
    int16_t righe = 0;
    float interlinea = 250;
    pp.StampaCampoMultilinea(0, 1000, QStringLiteral("a\r\nb"), 5000, PP_Sinistra, righe, interlinea);
    EXPECT_EQ(pp.lastBlockLines(), 2);
    EXPECT_EQ(pp.lastBlockHeight(), 500);
    // The next block at PosY + height follows on at the same spacing.
    pp.StampaCampoMultilinea(0, float(1000 + pp.lastBlockHeight()), QStringLiteral("c"), 5000, PP_Sinistra, righe,
                             interlinea);
    EXPECT_EQ(records().value(2).position, "0,1500");
    // Other text commands leave it alone; an empty block sets it to nothing.
    pp.StampaTesto(0, 0, QStringLiteral("x"));
    pp.StampaCampo(0, 0, QStringLiteral("x"), 5000, PP_Sinistra, true);
    EXPECT_EQ(pp.lastBlockLines(), 1);
    pp.StampaCampoMultilinea(0, 0, QString(), 5000, PP_Sinistra, righe, interlinea);
    EXPECT_EQ(pp.lastBlockLines(), 0);
    EXPECT_EQ(pp.lastBlockHeight(), 0);
}

TEST_F(Text, FailedBlockReportsTheLinesItRecordedBeforeItFailed)
{
    const float field = pp.TextWidth(QStringLiteral("ii")) + 1;
    ASSERT_GT(pp.TextWidth(QStringLiteral("W")), field) << "the test needs a proportional face";
    int16_t righe = 0;
    float interlinea = 200;
    // A line, an empty paragraph, and a line that cannot hold even one character.
    expect1001(
        [&] { pp.StampaCampoMultilinea(0, 0, QStringLiteral("i\r\n\r\nWWWW"), field, PP_Sinistra, righe, interlinea); },
        "StampaCampoMultilinea");
    EXPECT_EQ(records().size(), 1);
    EXPECT_EQ(pp.lastBlockLines(), 2);
    EXPECT_EQ(pp.lastBlockHeight(), 400);
}

TEST_F(Text, StampaTestoBreaksAtALoneLineFeedToo)
{
    pp.StampaTesto(0, 0, QStringLiteral("a\nb\r\nc"));
    EXPECT_EQ(records().value(0).lines, (QStringList{"a", "b", "c"}));
}

TEST_F(Text, MeasuresInTheCurrentFontAndScale)
{
    const float small = pp.TextWidth(QStringLiteral("Imponibile"));
    EXPECT_EQ(small, std::nearbyint(small));
    pp.setFontSize(20);
    const float big = pp.TextWidth(QStringLiteral("Imponibile"));
    EXPECT_NEAR(big, 2 * small, 2);
    const float height = pp.TextHeight();
    EXPECT_EQ(height, std::nearbyint(height));
    EXPECT_GT(height, 400);
    EXPECT_LT(height, 500);
    pp.setScaleMode(SM_Points);
    EXPECT_FLOAT_EQ(pp.TextHeight(), height / 20);
    EXPECT_FLOAT_EQ(pp.TextWidth(QStringLiteral("Imponibile")), big / 20);
    EXPECT_EQ(pp.TextWidth(QString()), 0);
}

} // namespace

namespace {

// The field layout measured the slow way: every prefix on its own.
int32_t referenceFit(PrintPreview &pp, QString text, float field, bool words)
{
    text = text.left(250);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    qsizetype n = text.size();
    if (n == 0)
        return 0;
    QString piece = text;
    float w = pp.TextWidth(piece);
    if (!words) {
        while (w > field && n > 0)
            w = pp.TextWidth(piece = text.left(--n));
        return int32_t(n);
    }
    while (w > field && n > 0) {
        do
            piece = piece.left(--n);
        while (n > 0 && !piece.endsWith(QLatin1Char(' ')));
        if (n == 0)
            return referenceFit(pp, text, field, false);
        while (piece.endsWith(QLatin1Char(' ')))
            piece.chop(1);
        w = pp.TextWidth(piece);
    }
    return int32_t(n);
}

class FieldFit : public qv::test::TempEnvTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(FieldFit, SameAsMeasuringEveryPrefix)
{
    qv::test::TempEnv::noPrinters();
    PrintPreview pp;
    const QString text = QString::fromUtf8(GetParam()).repeated(4);
    for (bool words : {true, false}) {
        for (float field = 150; field < 16000; field += 377) {
            SCOPED_TRACE(testing::Message() << "field " << field << " words " << words);
            const int32_t expected = referenceFit(pp, text, field, words);
            int32_t got = -2;
            try {
                got = pp.StampaCampo(0, 0, text, field, PP_Sinistra, words);
            } catch (const Error &) {
                got = -1;
            }
            if (got != -1) {
                EXPECT_EQ(got, expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, FieldFit,
                         ::testing::Values("Fornitura di materiale elettrico per l'impianto, ",
                                           "affinché fiordalisi e ﬂuffy waffle officina fiffle ",
                                           "WWW iii MMM lll ... ,,, ", "Perché però così è già là: caffè ",
                                           "supercalifragilistichespiralidoso"),
                         [](const auto &info) { return "text" + std::to_string(info.index); });

} // namespace
