// SPDX-License-Identifier: MIT
// Text fitting without widgets: the search for the piece that fits a field,
// by character and by word, on a width table; the layout shortcut against
// measuring every piece with real fonts; and the clean-up of a host's text.
#include "control/AdattaTesto.h"
#include "render/PageMetrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

namespace qv::AdattaTesto {

void PrintTo(const Campo &c, std::ostream *os)
{
    *os << c.usati << " \"" << c.pezzo.toStdString() << "\" " << c.larghezza;
}

namespace {

/// 100 twips a character, 50 a space.
double tabella(const QString &text)
{
    double w = 0;
    for (QChar c : text)
        w += c == QLatin1Char(' ') ? 50 : 100;
    return w;
}

struct FitCase
{
    const char *name;
    const char *text;
    double field;
    bool word;
    Campo expected;
};

class Fit : public ::testing::TestWithParam<FitCase>
{};

TEST_P(Fit, FindsTheLongestPieceThatFits)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(adattaCampo(QString::fromUtf8(c.text), c.field, c.word, tabella), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Fit,
    ::testing::Values(FitCase{"WholeTextFits", "abc def", 650, true, {7, "abc def", 650}},
                      FitCase{"ByWordUsesTheBreakSpace", "abc def", 400, true, {4, "abc", 300}},
                      FitCase{"ByCharacterKeepsTheSpace", "abc def", 400, false, {4, "abc ", 350}},
                      FitCase{"ByCharacterCutsInAWord", "abc def", 500, false, {5, "abc d", 450}},
                      FitCase{"SeveralSpacesAtTheBreak", "abc  def ghi", 800, true, {9, "abc  def", 700}},
                      FitCase{"WordWithoutASpaceIsCutByCharacter", "abcdef", 300, true, {3, "abc", 300}},
                      FitCase{"FirstWordTooWideIsCutByCharacter", "abcdef gh", 250, true, {2, "ab", 200}},
                      FitCase{"NothingFits", "abc", 50, false, {0, "", 0}},
                      FitCase{"NothingFitsByWord", "a bc", 50, true, {0, "", 0}},
                      FitCase{"ZeroField", "abc", 0, true, {0, "", 0}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- The layout shortcut gives what measuring every piece gives ---------------------

struct ShortcutCase
{
    const char *name;
    FontAttributes font;
    QString text;
};

class Shortcut : public ::testing::TestWithParam<ShortcutCase>
{};

TEST_P(Shortcut, SameAsMeasuringEveryPiece)
{
    PageMetrics metrics;
    metrics.setFont(GetParam().font);
    const Misura misura = [&](const QString &t) { return std::nearbyint(metrics.TextWidth(t)); };
    const QString &text = GetParam().text;
    const double full = misura(text);
    for (double field : {0.0, 150.0, full / 7, full / 3, full / 2, full - 1, full})
        for (bool word : {false, true})
            EXPECT_EQ(adattaCampo(text, field, word, misura, &GetParam().font), adattaCampo(text, field, word, misura))
                << "field " << field << (word ? " by word" : " by character");
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, Shortcut,
    ::testing::Values(
        ShortcutCase{"Arial", FontAttributes{"Arial", 10},
                     "Cavo unipolare FS17 1,5 mm² nero, matassa da 100 m per impianti civili e industriali"},
        ShortcutCase{"TimesBoldItalic", FontAttributes{"Times New Roman", 12, true, true},
                     "Interruttore magnetotermico 1P+N 16 A, curva C"},
        ShortcutCase{"LigaturesAndKerningPairs", FontAttributes{"Times New Roman", 9}, "affine office AVAVA To Ty ffi"},
        ShortcutCase{"Tabs", FontAttributes{"Arial", 10}, "Codice\tDescrizione\tImporto totale"},
        ShortcutCase{"RightToLeft", FontAttributes{"Arial", 10}, QString::fromUtf8("Totale שלום עולם 42 euro")},
        ShortcutCase{"Monospaced", FontAttributes{"Courier New", 11}, "EL-0101 EL-0102 EL-0230 EL-0231"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- A paragraph's lines: the same breaks as measuring every piece ----------------------

struct ParagraphCase
{
    const char *name;
    FontAttributes font;
    QString text;
};

/// The lines of \a text in a field \a field twips wide, each fitted by
/// word as StampaCampoMultilinea fits them (at most 250 characters at a
/// time, trailing blanks dropped), with \a paragrafo or measuring every piece.
std::vector<Campo> righe(const QString &text, double field, const Misura &misura, Paragrafo *paragrafo)
{
    std::vector<Campo> out;
    qsizetype inizio = 0;
    while (inizio < text.size() && out.size() < 400) {
        QString riga = text.mid(inizio, 250);
        removeTrailingSpaces(riga);
        if (riga.isEmpty())
            break;
        const Campo c = paragrafo ? adattaCampo(riga, field, true, misura, *paragrafo, inizio)
                                  : adattaCampo(riga, field, true, misura);
        out.push_back(c);
        if (c.usati == 0)
            break;
        inizio += c.usati;
    }
    return out;
}

class ParagraphLines : public ::testing::TestWithParam<ParagraphCase>
{};

TEST_P(ParagraphLines, SameBreaksAsMeasuringEveryPiece)
{
    PageMetrics metrics;
    metrics.setFont(GetParam().font);
    const Misura misura = [&](const QString &t) { return std::nearbyint(metrics.TextWidth(t)); };
    // A measure that the characters' advances do not add up to, as with a
    // font whose ligatures change widths: the pruning must notice.
    const Misura storta = [&](const QString &t) { return misura(t) - std::floor(t.size() / 7.0) * 3; };
    const QString &text = GetParam().text;
    for (double field : {300.0, 1500.0, 4000.0, 9360.0})
        for (const Misura *m : {&misura, &storta}) {
            Paragrafo paragrafo(text, GetParam().font);
            EXPECT_EQ(righe(text, field, *m, &paragrafo), righe(text, field, *m, nullptr))
                << "field " << field << (m == &storta ? ", uneven measure" : "");
        }
}

QString ripeti(const char *text, int volte)
{
    QString out;
    for (int i = 0; i < volte; ++i)
        out += QString::fromUtf8(text);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParagraphLines,
    ::testing::Values(
        ParagraphCase{"ItalianProse", FontAttributes{"Arial", 10},
                      ripeti("Fornitura di materiale elettrico per l'impianto del capannone di via Roma, comprensiva "
                             "di posa in opera, collaudo e certificazione di conformità; ",
                             12)},
        ParagraphCase{"SeveralBlanksAndLongWords", FontAttributes{"Times New Roman", 12, true, true},
                      ripeti("Precipitevolissimevolmente   a  b    sovramagnificentissimamente    ", 6)},
        ParagraphCase{"NoBlankAtAll", FontAttributes{"Arial", 10}, ripeti("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 30)},
        ParagraphCase{"Ligatures", FontAttributes{"Times New Roman", 9},
                      ripeti("affine office official fluff stiff AVAVA To Ty ffi ", 20)},
        ParagraphCase{"AccentsAndSymbols", FontAttributes{"Courier New", 11},
                      ripeti("Perché è già così: 1,5 mm² à 12 €/m, «ß», ŁÓDŹ ", 25)},
        ParagraphCase{"Greek", FontAttributes{"Arial", 10}, ripeti("Καλημέρα κόσμε, τι κάνεις σήμερα; ", 25)},
        ParagraphCase{"Tabs", FontAttributes{"Arial", 10}, ripeti("Codice\tDescrizione\tImporto totale ", 20)},
        ParagraphCase{"RightToLeft", FontAttributes{"Arial", 10}, ripeti("Totale שלום עולם 42 euro ", 20)},
        ParagraphCase{"BigFont", FontAttributes{"Arial", 72, false, true}, ripeti("Titolo grande ", 10)}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Clean-up -------------------------------------------------------------------------

TEST(CleanUp, ControlCharactersBecomeSpacesButTabsStay)
{
    EXPECT_EQ(PulisciTesto(QStringLiteral("a\r\nb\tc\x01")), QStringLiteral("a  b\tc "));
}

TEST(CleanUp, OnlySpacesAreTrimmed)
{
    QString both = QStringLiteral("  a b \t  ");
    trimSpaces(both);
    EXPECT_EQ(both, QStringLiteral("a b \t"));
    QString trailing = QStringLiteral("  a  ");
    removeTrailingSpaces(trailing);
    EXPECT_EQ(trailing, QStringLiteral("  a"));
    QString blank = QStringLiteral("   ");
    trimSpaces(blank);
    EXPECT_TRUE(blank.isEmpty());
}

} // namespace
} // namespace qv::AdattaTesto
