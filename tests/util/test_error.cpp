// SPDX-License-Identifier: MIT
// The error catalogue: every listed number has its exact text, nothing else has one.
#include <qvpreview/Error.h>

#include <gtest/gtest.h>

#include <ostream>

namespace qv {
namespace {

struct TextCase
{
    int number;
    const char *text; // UTF-8, exactly as shown
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.number;
}

class ErrorTextTest : public ::testing::TestWithParam<TextCase>
{};

TEST_P(ErrorTextTest, GivesTheExactText)
{
    EXPECT_TRUE(hasErrorText(GetParam().number));
    EXPECT_EQ(errorText(GetParam().number), QString::fromUtf8(GetParam().text));
}

// The first and last codes, the texts with a trailing blank or accented
// letters, the longest texts, and the component's own numbers.
INSTANTIATE_TEST_SUITE_P(
    Catalogue, ErrorTextTest,
    ::testing::Values(TextCase{3, "Return senza GoSub"},
                      TextCase{10, "Questa matrice è fissa o temporaneamente bloccata "},
                      TextCase{53, "Impossibile trovare il file"}, TextCase{76, "Impossibile trovare il percorso "},
                      TextCase{98, "Una chiamata a una proprietà o a un metodo non può includere un riferimento a "
                                   "un oggetto privato, né come argomento né come valore restituito"},
                      TextCase{380, "Valore di proprietà non valido"},
                      TextCase{442, "Il collegamento alla libreria dei tipi o alla libreria degli oggetti per il "
                                    "processo remoto non è più disponibile. Scegliere OK per rimuovere il "
                                    "riferimento."},
                      TextCase{482, "Errore della stampante"}, TextCase{746, "Sostituzioni troppo lunghe"},
                      TextCase{1001, "Impossibile stampare..."}));

TEST(ErrorCatalogue, ListsTheEightySevenRunTimeCodesAndNoOthers)
{
    const int listed[] = {3,   5,   6,   7,   9,   10,  11,  13,  14,  16,  17,  18,  20,  28,  35,  47,  48,  49,
                          51,  52,  53,  54,  55,  57,  58,  59,  61,  62,  63,  67,  68,  70,  71,  74,  75,  76,
                          91,  92,  93,  94,  96,  97,  98,  321, 322, 325, 380, 381, 382, 383, 385, 387, 393, 394,
                          422, 423, 424, 429, 430, 432, 438, 440, 442, 443, 445, 446, 447, 448, 449, 450, 451, 452,
                          453, 454, 455, 457, 458, 459, 460, 461, 462, 463, 481, 482, 735, 744, 746};
    static_assert(std::size(listed) == 87);
    int found = 0;
    size_t next = 0;
    for (int n = -5; n < 1000; ++n) {
        const bool inList = next < std::size(listed) && listed[next] == n;
        if (inList)
            ++next;
        EXPECT_EQ(hasErrorText(n), inList) << n;
        EXPECT_EQ(errorText(n).isEmpty(), !inList) << n;
        found += hasErrorText(n) ? 1 : 0;
    }
    EXPECT_EQ(found, 87);
}

TEST(ErrorCatalogue, AnErrorWithoutItsOwnTextTakesTheCatalogues)
{
    const Error e(ErrPathNotFound, QStringLiteral("Sorgente"));
    EXPECT_EQ(e.number(), 76);
    EXPECT_EQ(e.description(), QStringLiteral("Impossibile trovare il percorso "));
    EXPECT_STREQ(e.what(), "Impossibile trovare il percorso ");
    EXPECT_TRUE(e.file().isEmpty());
    EXPECT_EQ(e.line(), 0);
}

TEST(ErrorCatalogue, AFileErrorCarriesItsFileAndLine)
{
    try {
        throw Error(ErrTypeMismatch, QStringLiteral("DisegnaPagina")).at(QStringLiteral("/tmp/qv1.tmp"), 12);
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), QStringLiteral("/tmp/qv1.tmp"));
        EXPECT_EQ(e.line(), 12);
        EXPECT_EQ(e.number(), 13);
    }
}

/// An error, the detail given to it, and what what() then shows.
struct DetailCase
{
    const char *name;
    Error error;
    const char *detail;
    const char *what;
};

void PrintTo(const DetailCase &c, std::ostream *os)
{
    *os << c.name;
}

class ErrorDetail : public ::testing::TestWithParam<DetailCase>
{};

TEST_P(ErrorDetail, WhatShowsTheTextAndTheDetailAndNothingElseChanges)
{
    const DetailCase &c = GetParam();
    Error e = c.error;
    // The detail travels in a throw, and in a copy of the error.
    try {
        throw Error(e).withDetail(QString::fromUtf8(c.detail));
    } catch (const Error &thrown) {
        e = thrown;
    }
    EXPECT_EQ(e.number(), c.error.number());
    EXPECT_EQ(e.source(), c.error.source());
    EXPECT_EQ(e.description(), c.error.description());
    EXPECT_EQ(e.file(), c.error.file());
    EXPECT_EQ(e.line(), c.error.line());
    EXPECT_EQ(e.detail(), QString::fromUtf8(c.detail));
    EXPECT_STREQ(e.what(), c.what);
    // The constructor that takes a detail gives the same error.
    const Error made(c.error.number(), c.error.source(), c.error.description(), QString::fromUtf8(c.detail));
    EXPECT_STREQ(made.what(), c.what);
    EXPECT_EQ(made.detail(), e.detail());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ErrorDetail,
    ::testing::Values(
        DetailCase{"Catalogue", Error(ErrInvalidPropertyValue, QStringLiteral("FontSize")),
                   "FontSize = 0 (ammessi da 1 a 2160)",
                   "Valore di proprietà non valido: FontSize = 0 (ammessi da 1 a 2160)"},
        // The catalogue's trailing blank stays in description(), not before the colon.
        DetailCase{"TrailingBlank", Error(ErrPathNotFound, QStringLiteral("x")), "/a/b",
                   "Impossibile trovare il percorso: /a/b"},
        DetailCase{"OwnTextInAFile",
                   Error(ErrTypeMismatch, QStringLiteral("LoadFromJASCFile"), QStringLiteral("Tipo non corrispondente"))
                       .at(QStringLiteral("/p.pal"), 4),
                   "file \"/p.pal\", riga 4", "Tipo non corrispondente: file \"/p.pal\", riga 4"},
        DetailCase{"NoDetail", Error(ErrCannotPrint, QStringLiteral("StampaTesto")), "", "Impossibile stampare..."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ErrorDetail, AnErrorWithoutOneHasNoneAndClearingOneRestoresWhat)
{
    Error e(ErrOverflow, QStringLiteral("s"));
    EXPECT_TRUE(e.detail().isEmpty());
    EXPECT_STREQ(e.what(), "Overflow");
    e.withDetail(QStringLiteral("1e400"));
    EXPECT_STREQ(e.what(), "Overflow: 1e400");
    e.withDetail(QString());
    EXPECT_STREQ(e.what(), "Overflow");
}

} // namespace
} // namespace qv
