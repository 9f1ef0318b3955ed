// SPDX-License-Identifier: MIT
// What the page surface draws, checked in pixels: raster operations, pen
// styles and widths, fill patterns, arcs, text placement and pictures.
// Images are rendered without anti-aliasing at 10 twips per pixel, so most
// checks are exact; where an edge is involved, pixels are counted.
#include "SpoolFixture.h"

#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "render/PainterTarget.h"
#include "support/TestEnv.h"

#include <QPainter>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace qv;
using namespace qv::test;

namespace {

constexpr double Scale = 0.1; // pixels per twip

QImage renderExact(const PageSurface &surface)
{
    const FrozenPage page = surface.Picture();
    QImage image(QSize(int(page->sizeTwips().width() * Scale), int(page->sizeTwips().height() * Scale)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(Scale, Scale);
    page->paint(painter);
    return image;
}

int32_t bgr(QRgb c)
{
    return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16);
}

int countColour(const QImage &image, QRgb colour, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

int countInk(const QImage &image, QRect area = QRect())
{
    return area.isNull() ? image.width() * image.height() - countColour(image, qRgb(255, 255, 255))
                         : area.width() * area.height() - countColour(image, qRgb(255, 255, 255), area);
}

class SurfaceTest : public TempEnvTest
{
protected:
    void SetUp() override { surface.setSize(800, 800); }

    void stroke(int32_t colour, int mode = 13, int width = 1, int style = 0, int32_t fillColour = 0, int fillStyle = 1)
    {
        surface.setDrawMode(mode);
        surface.setDrawStyle(style);
        surface.setDrawWidth(width);
        surface.setFillColor(fillColour);
        surface.setForeColor(colour);
        surface.setFillStyle(fillStyle);
    }

    PageSurface surface;
};

// --- Raster operations ------------------------------------------------------

struct RasterCase
{
    int mode;
    std::function<uint32_t(uint32_t pen, uint32_t dest)> op;
};

class RasterOps : public SurfaceTest, public ::testing::WithParamInterface<RasterCase>
{};

// The left half of the page is painted in one colour, then a box in the pen
// colour is drawn over the whole page in the mode under test: both halves
// must hold op(pen, what lay beneath).
TEST_P(RasterOps, ComposeThePenWithWhatLiesBeneath)
{
    const uint32_t pen = 0x3C96F0, beneath = 0x0FA55A, white = 0xFFFFFF;
    stroke(int32_t(beneath));
    surface.Line(0, 0, 399, 799, LineKind::BoxFilled);
    stroke(int32_t(pen), GetParam().mode, 1, 5);
    surface.Line(0, 0, 799, 799, LineKind::BoxFilled);
    const QImage image = renderExact(surface);
    EXPECT_EQ(uint32_t(bgr(image.pixel(20, 40))), GetParam().op(pen, beneath) & white) << "mode " << GetParam().mode;
    EXPECT_EQ(uint32_t(bgr(image.pixel(60, 40))), GetParam().op(pen, white) & white) << "mode " << GetParam().mode;
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, RasterOps,
                         ::testing::Values(RasterCase{1, [](uint32_t, uint32_t) { return 0u; }},
                                           RasterCase{2, [](uint32_t p, uint32_t d) { return ~(p | d); }},
                                           RasterCase{3, [](uint32_t p, uint32_t d) { return d & ~p; }},
                                           RasterCase{4, [](uint32_t p, uint32_t) { return ~p; }},
                                           RasterCase{5, [](uint32_t p, uint32_t d) { return p & ~d; }},
                                           RasterCase{6, [](uint32_t, uint32_t d) { return ~d; }},
                                           RasterCase{7, [](uint32_t p, uint32_t d) { return p ^ d; }},
                                           RasterCase{8, [](uint32_t p, uint32_t d) { return ~(p & d); }},
                                           RasterCase{9, [](uint32_t p, uint32_t d) { return p & d; }},
                                           RasterCase{10, [](uint32_t p, uint32_t d) { return ~(p ^ d); }},
                                           RasterCase{11, [](uint32_t, uint32_t d) { return d; }},
                                           RasterCase{12, [](uint32_t p, uint32_t d) { return d | ~p; }},
                                           RasterCase{13, [](uint32_t p, uint32_t) { return p; }},
                                           RasterCase{14, [](uint32_t p, uint32_t d) { return p | ~d; }},
                                           RasterCase{15, [](uint32_t p, uint32_t d) { return p | d; }},
                                           RasterCase{16, [](uint32_t, uint32_t) { return 0xFFFFFFu; }},
                                           RasterCase{0, [](uint32_t p, uint32_t) { return p; }}),
                         [](const auto &info) { return "Mode" + std::to_string(info.param.mode); });

TEST_F(SurfaceTest, XorTwiceRestoresTheLine)
{
    stroke(0x0000FF, 7, 3);
    surface.Line(100, 400, 700, 400, LineKind::Line);
    surface.Line(100, 400, 700, 400, LineKind::Line);
    EXPECT_EQ(countInk(renderExact(surface)), 0);
}

// --- Pens -------------------------------------------------------------------

/// Lengths of the runs of ink and gaps along row \a y from x = \a from.
std::vector<int> runs(const QImage &image, int y, int from, int to)
{
    std::vector<int> out;
    bool ink = (image.pixel(from, y) & 0xFFFFFF) != 0xFFFFFF;
    int length = 0;
    for (int x = from; x < to; ++x) {
        const bool here = (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        if (here != ink) {
            out.push_back(length);
            length = 0;
            ink = here;
        }
        ++length;
    }
    out.push_back(length);
    return out;
}

struct PenCase
{
    int style;
    std::vector<int> pattern; ///< ink, gap, ink, ... in device pixels
};

class PenStyles : public SurfaceTest, public ::testing::WithParamInterface<PenCase>
{};

TEST_P(PenStyles, DrawTheirPatternInDevicePixels)
{
    stroke(0, 13, 1, GetParam().style);
    surface.Line(5, 405, 795, 405, LineKind::Line);
    const QImage image = renderExact(surface);
    const std::vector<int> found = runs(image, 40, 1, 79); // the line covers pixels 1 to 78
    const std::vector<int> &want = GetParam().pattern;
    ASSERT_GE(found.size(), want.size());
    EXPECT_EQ(std::vector<int>(found.begin(), found.begin() + long(want.size())), want);
}

INSTANTIATE_TEST_SUITE_P(Styles, PenStyles,
                         ::testing::Values(PenCase{0, {78}}, PenCase{1, {18, 6, 18, 6}}, PenCase{2, {3, 3, 3, 3}},
                                           PenCase{3, {9, 6, 3, 6, 9}}, PenCase{4, {9, 3, 3, 3, 3, 3, 9}},
                                           PenCase{6, {78}}),
                         [](const auto &info) { return "Style" + std::to_string(info.param.style); });

TEST_F(SurfaceTest, InvisiblePenDrawsNothing)
{
    stroke(0, 13, 4, 5);
    surface.Line(5, 405, 795, 405, LineKind::Line);
    surface.Line(100, 100, 700, 700, LineKind::Box);
    surface.Circle(400, 400, 200, 0, 2, 2, 1);
    EXPECT_EQ(countInk(renderExact(surface)), 0);
}

TEST_F(SurfaceTest, WidthIsInDevicePixelsAtEveryResolution)
{
    stroke(0, 13, 3, 0);
    surface.Line(0, 405, 800, 405, LineKind::Line);
    const FrozenPage page = surface.Picture();
    for (double scale : {0.1, 0.3, 0.5}) { // the line's centre on a pixel centre
        const QImage image = page->render(scale);
        const int column = image.width() / 2;
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            ink += qRed(image.pixel(column, y)) < 128;
        EXPECT_EQ(ink, 3) << "scale " << scale;
    }
}

TEST_F(SurfaceTest, WideDashedPenDrawsSolid)
{
    stroke(0, 13, 2, 1);
    surface.Line(5, 405, 795, 405, LineKind::Line);
    EXPECT_EQ(runs(renderExact(surface), 40, 2, 78).size(), 1u);
}

TEST_F(SurfaceTest, InsideSolidKeepsTheOutlineInsideTheBox)
{
    for (int style : {0, 6}) {
        PageSurface s;
        s.setSize(800, 800);
        s.setDrawStyle(style);
        s.setDrawWidth(7);
        s.Line(200, 200, 600, 600, LineKind::Box);
        const QImage image = renderExact(s);
        // Two pixels outside the left edge (x = 20 px).
        const bool outside = qRed(image.pixel(18, 40)) < 128;
        const bool inside = qRed(image.pixel(22, 40)) < 128;
        EXPECT_EQ(outside, style == 0) << "style " << style;
        EXPECT_TRUE(inside) << "style " << style;
    }
}

TEST_F(SurfaceTest, PointIsDrawWidthPixelsAcross)
{
    stroke(0x00FF00, 13, 1);
    surface.PSet(405, 405, 0x0000FF);
    EXPECT_EQ(countColour(renderExact(surface), qRgb(255, 0, 0)), 1);
    PageSurface wide;
    wide.setSize(800, 800);
    wide.setDrawWidth(6);
    wide.PSet(400, 400, 0);
    const int ink = countInk(renderExact(wide));
    EXPECT_GE(ink, 24); // a disc of 6 pixels across
    EXPECT_LE(ink, 36);
}

// --- Fills ------------------------------------------------------------------

class FillStyles : public SurfaceTest, public ::testing::WithParamInterface<int>
{
protected:
    // Hatches are in page units (15 twips a pattern pixel): rendered at 15
    // twips a pixel, a 1200-twip box is 80 pixels with the 8-pixel hatch.
    QImage filledBox()
    {
        surface.setSize(1200, 1200);
        stroke(0, 13, 1, 5, 0x0000FF, GetParam());
        surface.Line(0, 0, 1200, 1200, LineKind::Box);
        QImage image(80, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(1 / 15.0, 1 / 15.0);
        surface.Picture()->paint(painter);
        return image;
    }
    static bool red(const QImage &image, int x, int y) { return image.pixel(x, y) == qRgb(255, 0, 0); }
};

TEST_P(FillStyles, PaintTheirPatternInTheFillColour)
{
    const QImage image = filledBox();
    const QRect inner(8, 8, 64, 64);
    const int redCount = countColour(image, qRgb(255, 0, 0), inner);
    EXPECT_EQ(countInk(image, inner), redCount) << "only the fill colour";
    switch (GetParam()) {
    case 0: EXPECT_EQ(redCount, 64 * 64); break;
    case 1: EXPECT_EQ(redCount, 0); break;
    case 2:   // whole rows, one in eight
    case 3: { // whole columns, one in eight
        EXPECT_EQ(redCount, 64 * 8);
        for (int i = 8; i < 72; ++i)
            for (int j = 8; j < 72; ++j) {
                const bool along =
                    GetParam() == 2 ? red(image, i, j) == red(image, 8, j) : red(image, i, j) == red(image, i, 8);
                ASSERT_TRUE(along) << i << "," << j;
            }
        break;
    }
    case 4:   // "/" lines: a red pixel continues up and to the right
    case 5: { // "\" lines: down and to the right
        EXPECT_EQ(redCount, 64 * 8);
        const int dy = GetParam() == 4 ? -1 : 1;
        for (int x = 10; x < 70; ++x)
            for (int y = 10; y < 70; ++y)
                if (red(image, x, y)) {
                    ASSERT_TRUE(red(image, x + 1, y + dy)) << x << "," << y;
                }
        break;
    }
    case 6: EXPECT_EQ(redCount, 64 * 8 * 2 - 8 * 8); break;
    case 7:
        EXPECT_GT(redCount, 64 * 8);
        EXPECT_LE(redCount, 64 * 16);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(AllEight, FillStyles, ::testing::Range(0, 8));

TEST_F(SurfaceTest, HatchSpacingFollowsTheZoom)
{
    stroke(0, 13, 1, 5, 0x0000FF, 2);
    surface.Line(0, 0, 800, 800, LineKind::Box);
    const FrozenPage page = surface.Picture();
    for (double zoom : {1.0, 2.0, 4.0}) {
        const QImage image = page->render(zoom / 15.0);
        // Hatch lines down the middle column: one every 120 twips at every zoom.
        int lines = 0;
        bool inLine = false;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb c = image.pixel(image.width() / 2, y);
            const bool red = qRed(c) > 200 && qGreen(c) < 128;
            lines += red && !inLine;
            inLine = red;
        }
        EXPECT_NEAR(lines, 800 / 120.0, 1) << "zoom " << zoom;
    }
}

TEST_F(SurfaceTest, FilledBoxUsesThePenColourWhateverTheFillStyle)
{
    stroke(0x00FF00, 13, 1, 0, 0x0000FF, 0);
    surface.Line(200, 200, 600, 600, LineKind::BoxFilled);
    const QImage image = renderExact(surface);
    EXPECT_EQ(countColour(image, qRgb(0, 255, 0), QRect(21, 21, 38, 38)), 38 * 38);
    EXPECT_EQ(countColour(image, qRgb(255, 0, 0)), 0);
}

// --- Circles and arcs ---------------------------------------------------------

class Arcs : public SurfaceTest
{
protected:
    /// Ink near the point at \a angle (radians, counter-clockwise from 3 o'clock) on a circle of \a r pixels.
    static bool inkAt(const QImage &image, double angle, double r)
    {
        const int x = int(std::lround(40 + r * std::cos(angle)));
        const int y = int(std::lround(40 - r * std::sin(angle)));
        return countInk(image, QRect(x - 1, y - 1, 3, 3)) > 0;
    }
    QImage circle(double start, double end, double aspect = 1, int fillStyle = 1)
    {
        stroke(0, 13, 1, 0, 0x0000FF, fillStyle);
        surface.Circle(400, 400, 300, 0, start, end, aspect);
        return renderExact(surface);
    }
    static constexpr double Pi = std::numbers::pi;
};

TEST_F(Arcs, EqualAnglesDrawTheFullCircle)
{
    const QImage image = circle(2, 2);
    for (double a = 0; a < 2 * Pi; a += Pi / 8)
        EXPECT_TRUE(inkAt(image, a, 30)) << a;
    EXPECT_FALSE(inkAt(image, 0, 15));
}

TEST_F(Arcs, ArcRunsCounterClockwiseFromStartToEnd)
{
    const QImage image = circle(0, Pi / 2);
    EXPECT_TRUE(inkAt(image, Pi / 4, 30)); // upper right
    EXPECT_FALSE(inkAt(image, 3 * Pi / 4, 30));
    EXPECT_FALSE(inkAt(image, 5 * Pi / 4, 30));
    EXPECT_FALSE(inkAt(image, 7 * Pi / 4, 30));
    EXPECT_FALSE(inkAt(image, 0, 15)) << "no radius";
    // An end before the start goes on through 3 o'clock.
    PageSurface other;
    other.setSize(800, 800);
    other.Circle(400, 400, 300, 0, 3 * Pi / 2, Pi / 2, 1);
    const QImage wrapped = renderExact(other);
    EXPECT_TRUE(inkAt(wrapped, 0, 30));
    EXPECT_FALSE(inkAt(wrapped, Pi, 30));
}

TEST_F(Arcs, NegativeAngleAlsoDrawsItsRadius)
{
    const QImage image = circle(-Pi / 2, Pi);
    EXPECT_TRUE(inkAt(image, Pi / 2, 15)) << "radius to the start";
    EXPECT_FALSE(inkAt(image, Pi, 15)) << "no radius to the end";
    EXPECT_TRUE(inkAt(image, 3 * Pi / 4, 30));
}

TEST_F(Arcs, TwoNegativeAnglesMakeAFilledPieSlice)
{
    const QImage image = circle(-Pi / 2, -Pi, 1, 0);
    EXPECT_EQ(image.pixel(30, 30), qRgb(255, 0, 0)) << "inside the slice (upper left)";
    EXPECT_EQ(image.pixel(50, 30), qRgb(255, 255, 255)) << "outside it (upper right)";
    EXPECT_TRUE(inkAt(image, Pi / 2, 15));
    EXPECT_TRUE(inkAt(image, Pi, 15));
}

TEST_F(Arcs, AspectIsHeightOverWidthWithTheRadiusOnTheLongerAxis)
{
    const QImage flat = circle(2, 2, 0.5);
    EXPECT_TRUE(countInk(flat, QRect(68, 38, 5, 5)) > 0) << "30 px wide";
    EXPECT_TRUE(countInk(flat, QRect(38, 23, 5, 5)) > 0) << "15 px high";
    EXPECT_FALSE(countInk(flat, QRect(38, 8, 5, 5)) > 0);
    PageSurface tallSurface;
    tallSurface.setSize(800, 800);
    tallSurface.Circle(400, 400, 300, 0, 2, 2, 2);
    const QImage tall = renderExact(tallSurface);
    EXPECT_TRUE(countInk(tall, QRect(38, 8, 5, 5)) > 0) << "30 px high";
    EXPECT_TRUE(countInk(tall, QRect(53, 38, 5, 5)) > 0) << "15 px wide";
    EXPECT_FALSE(countInk(tall, QRect(68, 38, 5, 5)) > 0);
}

TEST_F(Arcs, FullCircleIsFilledByFillStyle)
{
    const QImage image = circle(2, 2, 1, 0);
    EXPECT_EQ(image.pixel(40, 40), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
}

// --- Pictures -------------------------------------------------------------------

TEST_F(SurfaceTest, PictureIsStretchedIntoItsRectangle)
{
    QImage small(2, 2, QImage::Format_RGB32);
    small.setPixel(0, 0, qRgb(255, 0, 0));
    small.setPixel(1, 0, qRgb(0, 255, 0));
    small.setPixel(0, 1, qRgb(0, 0, 255));
    small.setPixel(1, 1, qRgb(0, 0, 0));
    surface.PaintPicture(PictureData(small), 100, 200, 400, 200);
    const QImage image = renderExact(surface);
    EXPECT_EQ(countColour(image, qRgb(255, 0, 0), QRect(10, 20, 20, 10)), 200);
    EXPECT_EQ(countColour(image, qRgb(0, 255, 0), QRect(30, 20, 20, 10)), 200);
    EXPECT_EQ(countColour(image, qRgb(0, 0, 255), QRect(10, 30, 20, 10)), 200);
    EXPECT_EQ(countColour(image, qRgb(0, 0, 0), QRect(30, 30, 20, 10)), 200);
    EXPECT_EQ(countInk(image), 800);
    // A negative width mirrors it about its left edge.
    PageSurface mirrored;
    mirrored.setSize(800, 800);
    mirrored.PaintPicture(PictureData(small), 500, 200, -400, 200);
    EXPECT_EQ(countColour(renderExact(mirrored), qRgb(0, 255, 0), QRect(10, 20, 20, 10)), 200);
}

// --- Text -----------------------------------------------------------------------

/// Bounding box of the ink in \a image.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(SurfaceTest, EveryLineOfATextStartsAtTheRecordsX)
{
    PageSurface page; // 11520 x 15872 twips
    const QString path =
        writeSpool(env.tempFolder() + "qv2.tmp", textRecord(2835, 2000, {"IIII", "IIII"}, 20)); // x = 5 cm
    LetturaDati::DisegnaPagina(page, path, LetturaDati::PageSpec::page(1));
    const QImage image = page.Picture()->render(Scale);
    const QFont font = makeTwipsFont(FontAttributes{QStringLiteral("Arial"), 20});
    const int line = int(lineHeightTwips(font) * Scale);
    const int top = int((2000 - lineHeightTwips(font)) * Scale);
    const QRect first = inkBox(image.copy(0, top, image.width(), line));
    const QRect second = inkBox(image.copy(0, top + line, image.width(), line));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NEAR(second.left(), first.left(), 1);
    EXPECT_NEAR(first.left(), 283.5, 6);
    EXPECT_NEAR(second.width(), first.width(), 1);
}

TEST_F(SurfaceTest, TextHangsFromCurrentYWithItsBaselineOneAscentLower)
{
    PageSurface page;
    const QString path = writeSpool(env.tempFolder() + "qv3.tmp", textRecord(1440, 3000, {"HHH"}, 36));
    LetturaDati::DisegnaPagina(page, path, LetturaDati::PageSpec::page(1));
    const QFont font = makeTwipsFont(FontAttributes{QStringLiteral("Arial"), 36});
    // The recorded y is the line's lower edge; the baseline lies one descent above it.
    const double baseline = 3000 - QFontMetricsF(font).descent();
    const QRect ink = inkBox(page.Picture()->render(Scale));
    EXPECT_NEAR(ink.bottom() + 1, baseline * Scale, 1.5);
    EXPECT_GE(ink.left(), 1440 * Scale); // plus the side bearing of "H"
    EXPECT_LE(ink.left(), 1440 * Scale + 8);
}

TEST_F(SurfaceTest, OpaqueTextFillsItsCellWithWhite)
{
    for (bool transparent : {true, false}) {
        PageSurface page;
        page.setSize(4000, 2000);
        page.setForeColor(0);
        page.Line(0, 0, 4000, 2000, LineKind::BoxFilled);
        page.setFontSize(24);
        page.setForeColor(0x0000FF);
        page.setFontTransparent(transparent);
        page.setCurrentX(200);
        page.setCurrentY(200);
        page.Print(QStringLiteral("Mm"));
        const QImage image = renderExact(page);
        const int white = countColour(image, qRgb(255, 255, 255));
        if (transparent)
            EXPECT_EQ(white, 0);
        else
            EXPECT_GT(white, 20);
        EXPECT_GT(countColour(image, qRgb(255, 0, 0)), 10) << "text in its colour";
    }
}

/// Pixels of \a a and \a b that differ by more than \a tolerance in any channel.
int differing(const QImage &a, const QImage &b, int tolerance = 48)
{
    int n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                || std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++n;
        }
    return n;
}

// Latin text goes to a raster device as glyphs without shaping; the result
// must be what Qt's shaped drawing of the same font gives.
TEST_F(SurfaceTest, PlainTextLooksAsShapedText)
{
    struct Case
    {
        const char *font;
        int size;
        bool bold, italic;
        const char *text;
    };
    const Case cases[] = {
        {"Arial", 10, false, false, "Fattura n. 10000 - Quantita' 12,50"},
        {"Arial", 16, true, false, "Totale: EUR 1.234.567,89"},
        {"Times New Roman", 12, false, true, "perche\u0301 citta\u0300 Ålborg Łódź ½ ©"},
        {"Courier New", 9, false, false, "|  0123456789  |  iiiWWW  |"},
    };
    for (const Case &c : cases) {
        const FontAttributes attributes{QString::fromLatin1(c.font), c.size, c.italic, c.bold};
        PageSurface page;
        page.setSize(8000, 1000);
        page.setFontName(attributes.name);
        page.setFontSize(attributes.size);
        page.setFontBold(c.bold);
        page.setFontItalic(c.italic);
        page.setCurrentX(100);
        page.setCurrentY(100);
        const QString text = QString::fromUtf8(c.text);
        page.Print(text);
        const double scale = 96.0 / 1440;
        const QImage ours = page.Picture()->render(scale);

        QImage shaped(ours.size(), QImage::Format_RGB32);
        shaped.fill(Qt::white);
        {
            QPainter painter(&shaped);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(scale, scale);
            const QFont font = makeTwipsFont(attributes);
            painter.setFont(font);
            painter.drawText(QPointF(100, 100 + ascentTwips(font)), text);
        }
        EXPECT_GT(countInk(ours), 100) << c.text;
        EXPECT_LE(differing(ours, shaped), countInk(shaped) / 50) << c.text;
    }
}

// Scripts that need shaping still reach the screen.
TEST_F(SurfaceTest, TextBeyondLatinStillDraws)
{
    for (const char *text :
         {"\u03a6\u03b1\u03ba\u03c4\u03bf\u03cd\u03c1\u03b1", "\u0424\u0430\u043a\u0442\u0443\u0440\u0430",
          "\u0641\u0627\u062a\u0648\u0631\u0629", "a\tb", "e\u0301"}) {
        PageSurface page;
        page.setSize(4000, 1000);
        page.setFontSize(14);
        page.setCurrentX(100);
        page.setCurrentY(100);
        page.Print(QString::fromUtf8(text));
        EXPECT_GT(countInk(page.Picture()->render(0.1)), 5) << text;
    }
}

// Rendering part of a page gives the pixels of that part of the whole page:
// text that only partly enters the area, or whose later lines do, is drawn.
TEST_F(SurfaceTest, PartOfThePageMatchesTheWholePage)
{
    PageSurface page;
    page.setSize(6000, 6000);
    page.setFontSize(12);
    for (int row = 0; row < 20; ++row) {
        page.setCurrentX(-2000 + 450 * row);
        page.setCurrentY(300 * row);
        page.Print(QStringLiteral("Riga %1 con un testo lungo abbastanza\nseconda riga").arg(row));
    }
    page.setFontSize(40);
    page.setFontItalic(true);
    page.setCurrentX(2990);
    page.setCurrentY(2600);
    page.Print(QStringLiteral("Wf"));
    const double scale = 0.1;
    const QImage whole = page.Picture()->render(scale);
    for (const QRect pixels : {QRect(300, 260, 200, 120), QRect(0, 0, 150, 90), QRect(100, 400, 500, 13)}) {
        const QRectF twips(pixels.x() / scale, pixels.y() / scale, pixels.width() / scale, pixels.height() / scale);
        const QImage part = page.Picture()->render(scale, twips);
        EXPECT_EQ(differing(part, whole.copy(pixels), 24), 0)
            << pixels.x() << "," << pixels.y() << " " << pixels.width() << "x" << pixels.height();
    }
}

TEST_F(SurfaceTest, HugeAndOddValuesDrawWithoutFailing)
{
    stroke(0, 13, 32767, 0, 0xFF, 7);
    surface.Line(-3e38, -3e38, 3e38, 3e38, LineKind::Box);
    surface.Circle(400, 400, 3e38, 0, -1e30, 1e30, 1e-30);
    surface.Circle(400, 400, 0, 0, 1, 2, 0);
    surface.PSet(1e38, -1e38, 0);
    surface.setFontSize(100000);
    surface.Print(QStringLiteral("X"));
    surface.setFontSize(0);
    surface.Print(QStringLiteral("X"));
    surface.PaintPicture(PictureData(), 0, 0, 100, 100);
    const QImage image = surface.Picture()->render(Scale);
    EXPECT_FALSE(image.isNull());
}

// --- Painter records among the others ---------------------------------------------

/// Painter records and the other records on one page, in some order: each
/// draws in its own place and state, whatever was drawn before it.
struct MixedCase
{
    const char *name;
    QStringList lines;
};

/// A red square in painter records, at (100, 100) to (300, 300) of its
/// coordinates, which a doubling matrix takes to (200, 200) to (600, 600).
QStringList doubledRedSquare()
{
    return {QStringLiteral("#qmatrix@"),
            QStringLiteral("2,0,0,0,2,0,0,0,1"),
            QStringLiteral("#qpen@"),
            QStringLiteral("0,1,0,0,2,#FALSE#,0,0"),
            QStringLiteral("1,4278190080,1,0,0,1,0,0"),
            QStringLiteral("#qbrush@"),
            QStringLiteral("1,4294901760,1,0,0,1,0,0"),
            QStringLiteral("#qpath@"),
            QStringLiteral("0,5"),
            QStringLiteral("0,100,100"),
            QStringLiteral("1,300,100"),
            QStringLiteral("1,300,300"),
            QStringLiteral("1,100,300"),
            QStringLiteral("1,100,100")};
}

/// A black filled box at (650, 650) to (750, 750) twips.
QStringList blackBox()
{
    return {QStringLiteral("#line@"), QStringLiteral("0,13,1,0,0,1"), QStringLiteral("650,650,750,750,#TRUE#,#TRUE#")};
}

class MixedRecords : public SurfaceTest, public ::testing::WithParamInterface<MixedCase>
{};

TEST_P(MixedRecords, EachDrawsInItsOwnPlace)
{
    const QString path = writeSpool(env.tempFolder() + QStringLiteral("mixed.tmp"), GetParam().lines);
    LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::page(1));
    const QImage image = renderExact(surface);
    EXPECT_EQ(countColour(image, qRgb(255, 0, 0), QRect(20, 20, 40, 40)), 40 * 40);
    EXPECT_EQ(countColour(image, qRgb(0, 0, 0), QRect(66, 66, 8, 8)), 8 * 8);
    EXPECT_EQ(countInk(image, QRect(0, 0, 80, 18)), 0);
    EXPECT_EQ(countInk(image, QRect(0, 62, 62, 18)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, MixedRecords,
    ::testing::Values(MixedCase{"PainterThenBox", doubledRedSquare() + blackBox()},
                      MixedCase{"BoxThenPainter", blackBox() + doubledRedSquare()},
                      // Two operations of one state around a box: the second
                      // is drawn in its state again.
                      MixedCase{"PainterBoxPainter",
                                doubledRedSquare() + blackBox()
                                    + QStringList{QStringLiteral("#qpath@"), QStringLiteral("0,5"),
                                                  QStringLiteral("0,150,150"), QStringLiteral("1,250,150"),
                                                  QStringLiteral("1,250,250"), QStringLiteral("1,150,250"),
                                                  QStringLiteral("1,150,150")}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- What one page may hold -------------------------------------------------------

class Budget : public SurfaceTest
{
protected:
    QString png(const QString &name, int side)
    {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const QString path = env.tempFolder() + name;
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    static QStringList paint(const QString &picture, int times)
    {
        QStringList lines;
        for (int i = 0; i < times; ++i)
            lines << "#paint@" << QStringLiteral("\"%1\",%2,0,4000,4000").arg(picture).arg(i * 10);
        return lines;
    }
    Error replayError(const QStringList &lines)
    {
        const QString path = writeSpool(env.tempFolder() + QStringLiteral("qv1.tmp"), lines);
        try {
            LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::page(1));
        } catch (const Error &e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return Error(0, {}, {});
    }
};

TEST_F(Budget, PointsPastTheBudgetEndThePageWithAnErrorThatNamesTheRecord)
{
    surface.setMemoryBudget(64 * 1024);
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << "#pset@"
              << "0,13,1,0,0,1" << QStringLiteral("%1,%1").arg(i % 800);
    const Error e = replayError(lines);
    EXPECT_EQ(e.number(), ErrOutOfMemory);
    EXPECT_EQ(e.source(), "DisegnaPagina");
    EXPECT_GT(e.line(), 3);
    EXPECT_THAT(e.description().toStdString(),
                ::testing::HasSubstr(QStringLiteral("riga %1: pagina troppo grande").arg(e.line()).toStdString()));
    // What fitted stays drawn, within the budget.
    EXPECT_GT(surface.Picture()->callCount(), 100u);
    EXPECT_LE(surface.memoryUsed(), surface.memoryBudget());
    // A new page starts empty.
    surface.Cls();
    EXPECT_EQ(surface.memoryUsed(), 0);
}

TEST_F(Budget, APictureDrawnManyTimesIsHeldOnce)
{
    const QString one = png(QStringLiteral("qvm1.tmp"), 100); // 40000 bytes decoded
    const QString other = png(QStringLiteral("qvm2.tmp"), 100);
    const QString spool = writeSpool(env.tempFolder() + QStringLiteral("qv1.tmp"), paint(one, 16));
    LetturaDati::DisegnaPagina(surface, spool, LetturaDati::PageSpec::page(1));
    EXPECT_EQ(surface.Picture()->callCount(), 16u);
    EXPECT_GE(surface.memoryUsed(), 40000);
    EXPECT_LT(surface.memoryUsed(), 2 * 40000);
    const QString two = writeSpool(env.tempFolder() + QStringLiteral("qv2.tmp"), paint(one, 8) + paint(other, 8));
    LetturaDati::DisegnaPagina(surface, two, LetturaDati::PageSpec::page(1));
    EXPECT_GE(surface.memoryUsed(), 2 * 40000);
}

TEST_F(Budget, APictureThatCannotFitIsNotDecoded)
{
    surface.setMemoryBudget(100 * 1024);
    const Error e = replayError(paint(png(QStringLiteral("qvm1.tmp"), 400), 1));
    EXPECT_EQ(e.number(), ErrOutOfMemory);
    EXPECT_THAT(e.description().toStdString(), ::testing::HasSubstr("pagina troppo grande: immagine"));
    EXPECT_THAT(e.description().toStdString(), ::testing::HasSubstr("400 x 400 pixel"));
    EXPECT_EQ(surface.Picture()->callCount(), 0u);
}

} // namespace
