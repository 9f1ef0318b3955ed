// SPDX-License-Identifier: MIT
// Find highlights on a rendered page: they lie where the matched characters
// are drawn, the current match stands out, a match across the lines of one
// text is highlighted on both, and a drawing without a highlight (or with a
// query that matches nothing) is the same pixels as before.
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "render/TextHighlight.h"
#include "support/TestEnv.h"

#include "SpoolFixture.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

namespace qv {
namespace {

constexpr double PixelsPerTwip = 2.0 * 96 / 1440; // 200 % on a 96-dpi screen

/// The box of the pixels of \a image for which \a take holds, within \a area.
std::optional<QRect> boxOf(const QImage &image, const std::function<bool(QRgb)> &take, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (take(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box.isNull() ? std::nullopt : std::optional(box);
}

bool dark(QRgb p)
{
    return qGray(p) < 96;
}

auto colour(const QColor &c)
{
    return [rgb = c.rgb() & 0xFFFFFF](QRgb p) { return (p & 0xFFFFFF) == rgb; };
}

class Highlight : public test::TempEnvTest
{
protected:
    /// What page 1 of \a records highlights for \a query, as the find found it.
    TextHighlight lit(const QStringList &records, const QString &query)
    {
        const QString path = test::writeSpool(env.tempFolder() + QStringLiteral("hl.tmp"), records);
        TextHighlight hl(query);
        hl.setMatches(spool::TextSearch(query).findAll(spool::Document::onFile(path)));
        return hl;
    }

    /// The page of \a records rendered, with the highlight when given.
    QImage render(const QStringList &records, const TextHighlight *highlight = nullptr)
    {
        const QString path = test::writeSpool(env.tempFolder() + QStringLiteral("hl.tmp"), records);
        PageSurface surface;
        LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::page(1));
        return surface.Picture()->render(PixelsPerTwip, QRectF(0, 0, 7200, 4320), highlight);
    }
};

TEST_F(Highlight, LiesWhereTheMatchedCharactersAreDrawn)
{
    // The ink of the plain page, split at the highlight's left edge: the
    // glyphs of "Alfa" lie left of it, those of "Beta" within it.
    const QStringList record = test::textRecord(720, 1440, {QStringLiteral("Alfa Beta")}, 20);
    const QImage plain = render(record);
    TextHighlight hl = lit(record, QStringLiteral("BETA"));
    const QImage lit = render(record, &hl);
    const auto box = boxOf(lit, colour(hl.matchColour));
    ASSERT_TRUE(box) << "no highlight drawn";
    const auto ink = boxOf(plain, dark);
    ASSERT_TRUE(ink);
    const auto alfaInk = boxOf(plain, dark, QRect(ink->left(), ink->top(), box->left() - ink->left(), ink->height()));
    const auto betaInk =
        boxOf(plain, dark, QRect(box->left(), ink->top(), ink->right() - box->left() + 1, ink->height()));
    ASSERT_TRUE(alfaInk && betaInk);
    // The highlight starts after "Alfa " and ends with the "a" of "Beta", and
    // covers the line's height round the glyphs.
    EXPECT_GT(box->left(), alfaInk->right());
    EXPECT_NEAR(box->right(), betaInk->right(), 3);
    EXPECT_NEAR(box->left(), betaInk->left(), 4);
    EXPECT_LE(box->top(), ink->top());
    EXPECT_GE(box->bottom(), ink->bottom());
    // The text is drawn over it: the glyphs of "Beta" stay dark.
    EXPECT_TRUE(boxOf(lit, dark, *box));
}

TEST_F(Highlight, TheCurrentMatchByRecordAndOffsetStandsOut)
{
    QStringList records = test::textRecord(720, 1440, {QStringLiteral("uno due uno")}, 14);
    records << test::textRecord(720, 2880, {QStringLiteral("uno")}, 14);
    TextHighlight hl = lit(records, QStringLiteral("uno"));
    hl.currentRecord = 0;
    hl.currentOffset = 8;
    const QImage lit = render(records, &hl);
    const auto current = boxOf(lit, colour(hl.currentColour));
    const auto others = boxOf(lit, colour(hl.matchColour));
    ASSERT_TRUE(current && others);
    const int firstLineBottom = int(2000 * PixelsPerTwip);
    EXPECT_LT(current->bottom(), firstLineBottom) << "the current match is on the first record";
    EXPECT_GT(others->bottom(), firstLineBottom) << "the second record's match is a plain one";
    const auto firstLineOthers = boxOf(lit, colour(hl.matchColour), QRect(0, 0, lit.width(), firstLineBottom));
    ASSERT_TRUE(firstLineOthers);
    EXPECT_LT(firstLineOthers->right(), current->left()) << "the first \"uno\" is plain, the last current";

    hl.currentRecord = 1;
    hl.currentOffset = 0;
    const auto second = boxOf(render(records, &hl), colour(hl.currentColour));
    ASSERT_TRUE(second);
    EXPECT_GT(second->top(), firstLineBottom) << "records count in drawing order";
}

TEST_F(Highlight, AMatchAcrossTheLinesOfATextIsLitOnBoth)
{
    const QStringList record =
        test::textRecord(720, 1440, {QStringLiteral("Ditta Rossi"), QStringLiteral("S.r.l.")}, 14);
    TextHighlight hl = lit(record, QStringLiteral("rossi s.r.l."));
    const QImage lit = render(record, &hl);
    const auto box = boxOf(lit, colour(hl.matchColour));
    ASSERT_TRUE(box);
    const int middle = box->center().y();
    const auto top = boxOf(lit, colour(hl.matchColour), QRect(0, 0, lit.width(), middle));
    const auto bottom = boxOf(lit, colour(hl.matchColour), QRect(0, middle, lit.width(), lit.height() - middle));
    ASSERT_TRUE(top && bottom);
    EXPECT_GT(top->left(), bottom->left()) << "\"Rossi\" is after \"Ditta\"; \"S.r.l.\" starts its line";
}

TEST_F(Highlight, AnOpaqueTextKeepsItsHighlight)
{
    QStringList record = test::textRecord(720, 1440, {QStringLiteral("Totale")}, 14);
    record[1].replace(QStringLiteral("#TRUE#"), QStringLiteral("#FALSE#")); // opaque
    TextHighlight hl = lit(record, QStringLiteral("totale"));
    EXPECT_TRUE(boxOf(render(record, &hl), colour(hl.matchColour)));
}

TEST_F(Highlight, NoHighlightOrNoMatchDrawsTheSamePixels)
{
    const QStringList record = test::textRecord(720, 1440, {QStringLiteral("Alfa Beta")}, 14);
    const QImage plain = render(record);
    TextHighlight none = lit(record, QStringLiteral("gamma"));
    EXPECT_EQ(render(record, &none), plain);
    TextHighlight empty(QString{});
    EXPECT_EQ(render(record, &empty), plain);
}

// The painter lights the matches it is given, as the find found them: it
// does not search the page again (a second "uno" it is not given stays plain).
TEST_F(Highlight, LightsTheMatchesItIsGivenAndNoOthers)
{
    const QStringList record = test::textRecord(720, 1440, {QStringLiteral("uno due uno")}, 14);
    TextHighlight given(QStringLiteral("uno"));
    given.matches = {{0, 8, 3}};
    const auto box = boxOf(render(record, &given), colour(given.matchColour));
    ASSERT_TRUE(box);
    TextHighlight all = lit(record, QStringLiteral("uno"));
    const auto both = boxOf(render(record, &all), colour(all.matchColour));
    ASSERT_TRUE(both);
    EXPECT_GT(box->left(), both->left() + box->width()) << "only the last \"uno\" is lit";
    EXPECT_EQ(box->right(), both->right());
}

// One line of 40,000 letters, each a match: the painter walks the line once
// (measuring each match from the line's start takes minutes), and the
// highlights run on to the page's edge.
TEST_F(Highlight, ALineOfManyMatchesIsMeasuredOnce)
{
    const QStringList record = test::textRecord(720, 1440, {QString(40000, u'a')}, 10);
    const TextHighlight hl = lit(record, QStringLiteral("a"));
    ASSERT_EQ(hl.matches.size(), 40000);
    QImage image;
    std::atomic_bool over{false};
    std::thread painter([&] {
        image = render(record, &hl);
        over = true;
    });
    const bool ended = QTest::qWaitFor([&] { return over.load(); }, 60000);
    painter.join();
    ASSERT_TRUE(ended) << "the page was not painted";
    const auto box = boxOf(image, colour(hl.matchColour));
    ASSERT_TRUE(box);
    EXPECT_GE(box->right(), image.width() - 2) << "lit to the edge of the page shown";
}

} // namespace
} // namespace qv
