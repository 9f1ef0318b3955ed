// SPDX-License-Identifier: MIT
// The preview's page arithmetic: zoom steps, scroll ranges, centring,
// dragging and the page view's fitted zooms and scroll
// steps, without any widget.
#include "preview/GeometriaPagina.h"
#include "preview/PageView.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

constexpr double W = 11520, H = 15872;

GeometriaPagina pagina(double vpW = 8000, double vpH = 5000)
{
    GeometriaPagina g;
    g.setPagina(W, H);
    g.setViewport(vpW, vpH);
    g.dimensioneReale();
    g.centra();
    return g;
}

TEST(Arrotondamento, HalvesGoToEven)
{
    EXPECT_EQ(arrotondaPari(2.5), 2);
    EXPECT_EQ(arrotondaPari(3.5), 4);
    EXPECT_EQ(arrotondaPari(-2.5), -2);
    EXPECT_EQ(arrotonda16(40000), 32767);
    EXPECT_EQ(arrotonda16(-40000), -32768);
}

TEST(Zoom, DoublesToFourHundredThenStops)
{
    GeometriaPagina g = pagina();
    std::vector<int> steps;
    while (g.ingrandisci())
        steps.push_back(g.percentuale());
    EXPECT_EQ(steps, (std::vector<int>{200, 400}));
    EXPECT_DOUBLE_EQ(g.immagine().width(), 4 * W);
}

TEST(Zoom, HalvesUntilTwoThousandTwipsWide)
{
    GeometriaPagina g = pagina();
    std::vector<int> steps;
    while (g.riduci())
        steps.push_back(g.percentuale());
    // 12.5 % is shown rounded up.
    EXPECT_EQ(steps, (std::vector<int>{50, 25, 13}));
    EXPECT_DOUBLE_EQ(g.immagine().width(), 1440);
}

TEST(Zoom, NarrowPageCannotShrinkAtAll)
{
    GeometriaPagina g;
    g.setPagina(2000, 3000);
    EXPECT_FALSE(g.riduci());
    EXPECT_EQ(g.percentuale(), 100);
}

TEST(Scroll, MaximaInTenTwipUnitsHalvesToEven)
{
    GeometriaPagina g = pagina(11475, 15800); // 4.5 and 7.2 units over
    EXPECT_EQ(g.scrollH().massimo, 4);
    EXPECT_EQ(g.scrollV().massimo, 7);
    g.setViewport(11465, 15800); // 5.5 units
    g.aggiornaMassimi();
    EXPECT_EQ(g.scrollH().massimo, 6);
}

TEST(Scroll, ValueMovesThePageAndIsCutWhenTheZoomShrinks)
{
    GeometriaPagina g = pagina();
    g.ingrandisci();
    g.centra();
    g.setValoreH(1000);
    EXPECT_DOUBLE_EQ(g.immagine().left(), -10000);
    g.setValoreV(99999); // beyond the maximum: cut to it
    EXPECT_EQ(g.scrollV().valore, g.scrollV().massimo);
    g.dimensioneReale();
    g.centra();
    EXPECT_EQ(g.scrollH().valore, g.scrollH().massimo); // (11520 - 8000) / 10
    EXPECT_DOUBLE_EQ(g.immagine().left(), -3520);
}

TEST(Centring, SmallPageIsCentredAndBarsDisabled)
{
    GeometriaPagina g = pagina(20000, 20000);
    EXPECT_FALSE(g.scrollH().abilitato);
    EXPECT_FALSE(g.scrollV().abilitato);
    EXPECT_DOUBLE_EQ(g.immagine().left(), (20000 - W) / 2);
    EXPECT_DOUBLE_EQ(g.immagine().top(), (20000 - H) / 2);
    // Dragging does not move it.
    const QRectF before = g.immagine();
    g.inizioTrascinamento(100, 100);
    g.trascina(900, -700);
    EXPECT_EQ(g.immagine(), before);
}

TEST(Centring, OneAxisCentredTheOtherScrolls)
{
    GeometriaPagina g = pagina(12000, 5000);
    EXPECT_FALSE(g.scrollH().abilitato);
    EXPECT_TRUE(g.scrollV().abilitato);
    EXPECT_DOUBLE_EQ(g.immagine().left(), 240);
    EXPECT_DOUBLE_EQ(g.immagine().top(), 0);
}

struct Trascinamento
{
    const char *name;
    double dx, dy;
    double left, top; // expected, in twips (viewport 8000 x 5000, page at 100 %)
};

class DragEdges : public ::testing::TestWithParam<Trascinamento>
{};

TEST_P(DragEdges, StopsAtEveryEdge)
{
    const Trascinamento &t = GetParam();
    GeometriaPagina g = pagina();
    g.setValoreH(100);
    g.setValoreV(100); // page at (-1000, -1000)
    g.inizioTrascinamento(2000, 2000);
    // The page moves under the mouse, so the event coordinates are relative
    // to the moved page: deliver the move as the widget would, in two steps.
    const QPointF mouseInViewport = QPointF(2000, 2000) + g.immagine().topLeft();
    for (int step = 1; step <= 2; ++step) {
        const QPointF now = mouseInViewport + QPointF(t.dx, t.dy) * step / 2.0;
        g.trascina(now.x() - g.immagine().left(), now.y() - g.immagine().top());
    }
    g.fineTrascinamento();
    EXPECT_DOUBLE_EQ(g.immagine().left(), t.left);
    EXPECT_DOUBLE_EQ(g.immagine().top(), t.top);
    EXPECT_EQ(g.scrollH().valore, int(-t.left / 10));
    EXPECT_EQ(g.scrollV().valore, int(-t.top / 10));
}

INSTANTIATE_TEST_SUITE_P(Drag, DragEdges,
                         ::testing::Values(Trascinamento{"inside", -500, 300, -1500, -700},
                                           Trascinamento{"pastLeft", 5000, 0, 0, -1000},
                                           Trascinamento{"pastTop", 0, 5000, -1000, 0},
                                           Trascinamento{"pastRight", -50000, 0, -(W - 8000), -1000},
                                           Trascinamento{"pastBottom", 0, -50000, -1000, -(H - 5000)},
                                           Trascinamento{"pastTopLeftCorner", 9000, 9000, 0, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Drag, ScrollBarsDoNotMoveThePageWhileDragging)
{
    GeometriaPagina g = pagina();
    g.inizioTrascinamento(10, 10);
    g.setValoreH(50);
    EXPECT_DOUBLE_EQ(g.immagine().left(), 0);
    g.fineTrascinamento();
    g.setValoreH(50);
    EXPECT_DOUBLE_EQ(g.immagine().left(), -500);
}

TEST(Drag, MoveWithoutPressDoesNothing)
{
    GeometriaPagina g = pagina();
    g.trascina(-3000, -3000);
    EXPECT_DOUBLE_EQ(g.immagine().left(), 0);
}

/// A zoom factor, then zoom in or out: the step it goes to (0: refused).
struct PassoCase
{
    double da;
    bool dentro;
    double a;
};

class PassoTest : public ::testing::TestWithParam<PassoCase>
{};

TEST_P(PassoTest, FromAnyZoomToTheNextStep)
{
    GeometriaPagina g = pagina(W * GetParam().da, 1e9); // fit width gives the zoom asked for
    ASSERT_TRUE(g.adattaLarghezza());
    ASSERT_DOUBLE_EQ(g.zoom(), GetParam().da);
    const bool fatto = GetParam().dentro ? g.ingrandisci() : g.riduci();
    EXPECT_EQ(fatto, GetParam().a != 0);
    EXPECT_DOUBLE_EQ(g.zoom(), fatto ? GetParam().a : GetParam().da);
    EXPECT_DOUBLE_EQ(g.immagine().height(), H * g.zoom());
}

INSTANTIATE_TEST_SUITE_P(Steps, PassoTest,
                         ::testing::Values(PassoCase{1, true, 2}, PassoCase{1, false, 0.5}, PassoCase{0.737, true, 1},
                                           PassoCase{0.737, false, 0.5}, PassoCase{0.3223, true, 0.5},
                                           PassoCase{0.3223, false, 0.25}, PassoCase{3, true, 4}, PassoCase{2, true, 4},
                                           PassoCase{4, true, 0}, PassoCase{0.2, false, 0.125},
                                           PassoCase{0.17, false, 0}, PassoCase{1 + 1e-12, true, 2},
                                           PassoCase{0.5 - 1e-12, false, 0.25}));

/// Fitting: the zoom for a viewport, kept within the steps' range.
struct AdattaCase
{
    const char *name;
    double vpW, vpH;
    bool pagina;
    double zoom; // 0: refused
};

class AdattaTest : public ::testing::TestWithParam<AdattaCase>
{};

TEST_P(AdattaTest, FitsWithinTheRange)
{
    const AdattaCase &c = GetParam();
    GeometriaPagina g = pagina(c.vpW, c.vpH);
    const bool fatto = c.pagina ? g.adattaPagina() : g.adattaLarghezza();
    EXPECT_EQ(fatto, c.zoom != 0);
    EXPECT_DOUBLE_EQ(g.zoom(), fatto ? c.zoom : 1.0);
}

INSTANTIATE_TEST_SUITE_P(Fit, AdattaTest,
                         ::testing::Values(AdattaCase{"pageTallViewport", W / 2, H, true, 0.5},
                                           AdattaCase{"pageWideViewport", W, H / 4, true, 0.25},
                                           AdattaCase{"width", W * 0.75, 10, false, 0.75},
                                           AdattaCase{"neverBeyond400", W * 10, H * 10, true, 4},
                                           AdattaCase{"neverBelow1000Twips", 100, 100, true, 1000 / W},
                                           AdattaCase{"emptyViewportRefused", 0, 0, false, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Scroll, EndsOfTheBars)
{
    GeometriaPagina g = pagina();
    EXPECT_TRUE(g.inCima());
    EXPECT_FALSE(g.inFondo());
    g.setValoreV(g.scrollV().massimo);
    EXPECT_TRUE(g.inFondo());
    g.riduci();
    g.riduci();
    g.centra(); // the page fits: a disabled bar is at both ends
    EXPECT_TRUE(g.inCima() && g.inFondo() && g.aSinistra() && g.aDestra());
}

// --- The page view: fitted zooms and scroll steps ---------------------------------

using Zoom = PageView::Zoom;
using Adattamento = PageView::Adattamento;

/// The page at 100 % in a viewport of \a vpW x \a vpH twips, as the window
/// shows it after loading.
PageView vista(double vpW = 8000, double vpH = 5000)
{
    PageView v;
    v.setPagina(W, H);
    v.setViewport(vpW, vpH, true);
    return v;
}

/// Two zoom commands in a row: what the second one does and whether the zoom
/// then follows the viewport.
struct ZoomCase
{
    const char *name;
    double vpW;
    Zoom primo, secondo;
    bool fatto; // what the second command returned
    Adattamento modo;
    double zoom;
};

class VistaZoomTest : public ::testing::TestWithParam<ZoomCase>
{};

TEST_P(VistaZoomTest, OnlyAFittingCommandThatWasDoneFollowsTheViewport)
{
    const ZoomCase &c = GetParam();
    PageView v = vista(c.vpW);
    v.zoom(c.primo);
    EXPECT_EQ(v.zoom(c.secondo), c.fatto);
    EXPECT_EQ(v.adattamento(), c.modo);
    EXPECT_DOUBLE_EQ(v.geometria().zoom(), c.zoom);
}

INSTANTIATE_TEST_SUITE_P(Zoom, VistaZoomTest,
                         ::testing::Values(ZoomCase{"fitPage", 8000, Zoom::DimensioneReale, Zoom::AdattaPagina, true,
                                                    Adattamento::Pagina, 5000 / H},
                                           ZoomCase{"fitWidth", 8000, Zoom::DimensioneReale, Zoom::AdattaLarghezza,
                                                    true, Adattamento::Larghezza, 8000 / W},
                                           ZoomCase{"stepAfterAFitStopsFollowing", 8000, Zoom::AdattaLarghezza,
                                                    Zoom::Ingrandisci, true, Adattamento::Nessuno, 1},
                                           ZoomCase{"hundredAfterAFit", 8000, Zoom::AdattaPagina, Zoom::DimensioneReale,
                                                    true, Adattamento::Nessuno, 1},
                                           // A step refused at its limit changes nothing, the fit included.
                                           ZoomCase{"refusedStepKeepsTheFit", W * 10, Zoom::AdattaLarghezza,
                                                    Zoom::Ingrandisci, false, Adattamento::Larghezza, 4},
                                           ZoomCase{"fitOfAnEmptyViewportRefused", 0, Zoom::Ingrandisci,
                                                    Zoom::AdattaLarghezza, false, Adattamento::Nessuno, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PageView, AFittedZoomFollowsTheViewportOnlyWhenAskedTo)
{
    PageView v = vista();
    ASSERT_TRUE(v.zoom(Zoom::AdattaLarghezza));
    EXPECT_FALSE(v.setViewport(4000, 5000, false)); // not loaded: the zoom stays
    EXPECT_DOUBLE_EQ(v.geometria().zoom(), 8000 / W);
    EXPECT_TRUE(v.setViewport(4000, 5000, true));
    EXPECT_DOUBLE_EQ(v.geometria().zoom(), 4000 / W);
    ASSERT_TRUE(v.zoom(Zoom::Riduci));
    EXPECT_FALSE(v.setViewport(8000, 5000, true)); // a step does not follow
    EXPECT_DOUBLE_EQ(v.geometria().zoom(), 0.25);
}

/// One vertical scroll of \a twips from the bar's value \a da, on the page at
/// 100 % in an 8000 x 5000 viewport (the bar goes from 0 to 1087).
struct ScorriCase
{
    const char *name;
    int32_t da;
    double twips;
    bool scorso;
    int32_t valore;
};

class VistaScorriTest : public ::testing::TestWithParam<ScorriCase>
{};

TEST_P(VistaScorriTest, ScrollsInWholeUnitsUntilAnEnd)
{
    const ScorriCase &c = GetParam();
    PageView v = vista();
    ASSERT_EQ(v.geometria().scrollV().massimo, 1087);
    v.geometria().setValoreV(c.da);
    EXPECT_EQ(v.scorriVerticale(c.twips), c.scorso);
    EXPECT_EQ(v.geometria().scrollV().valore, c.valore);
    EXPECT_DOUBLE_EQ(v.geometria().immagine().top(), -10.0 * c.valore);
}

INSTANTIATE_TEST_SUITE_P(Steps, VistaScorriTest,
                         ::testing::Values(ScorriCase{"lineDown", 0, 300, true, 30},
                                           ScorriCase{"lineUp", 100, -300, true, 70},
                                           ScorriCase{"roundedToTheUnit", 0, 906, true, 91},
                                           ScorriCase{"lessThanAUnitIsOne", 10, 4, true, 11},
                                           ScorriCase{"lessThanAUnitUpIsOne", 10, -4, true, 9},
                                           ScorriCase{"cutAtTheBottom", 1080, 300, true, 1087},
                                           ScorriCase{"cutAtTheTop", 20, -5000, true, 0},
                                           ScorriCase{"atTheBottomTurnsInstead", 1087, 300, false, 1087},
                                           ScorriCase{"atTheTopTurnsInstead", 0, -300, false, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PageView, ACentredPageStaysCentredWhateverTheScrollSteps)
{
    // At 25 % the page fits: both bars disabled, the page in the middle.
    PageView v = vista();
    ASSERT_TRUE(v.zoom(Zoom::Riduci) && v.zoom(Zoom::Riduci));
    const QRectF centrata = v.geometria().immagine();
    ASSERT_GT(centrata.left(), 0);
    v.scorriOrizzontale(300);
    v.scorriOrizzontale(-300);
    EXPECT_FALSE(v.scorriVerticale(300));
    EXPECT_FALSE(v.mostraDa(false));
    EXPECT_EQ(v.geometria().immagine(), centrata);
}

TEST(PageView, ATurnedPageShowsFromItsTopOrItsBottom)
{
    PageView v = vista();
    v.geometria().setValoreV(500);
    EXPECT_TRUE(v.mostraDa(false));
    EXPECT_EQ(v.geometria().scrollV().valore, 1087);
    EXPECT_TRUE(v.mostraDa(true));
    EXPECT_EQ(v.geometria().scrollV().valore, 0);
    v.scorriOrizzontale(350 * 10 + 1000); // sideways, as far as the bar goes
    EXPECT_EQ(v.geometria().scrollH().valore, v.geometria().scrollH().massimo);
}

} // namespace
} // namespace qv

namespace qv {
namespace {

// --- Typed zooms and zooms about a point ----------------------------------------------

TEST(ZoomTyped, AnyFactorUpToFourHundredAndStepsOnFromIt)
{
    GeometriaPagina g = pagina();
    EXPECT_FALSE(g.impostaZoom(0));
    EXPECT_FALSE(g.impostaZoom(4.01));
    EXPECT_FALSE(g.impostaZoom(std::nan("")));
    EXPECT_DOUBLE_EQ(g.zoom(), 1.0);
    ASSERT_TRUE(g.impostaZoom(1.37));
    EXPECT_DOUBLE_EQ(g.immagine().width(), 1.37 * W);
    // The scroll ranges follow the new size.
    EXPECT_EQ(g.scrollV().massimo, arrotonda16((1.37 * H - 5000) / 10));
    // From a typed zoom the commands go to the next step, as from a fitted one.
    EXPECT_TRUE(g.ingrandisci());
    EXPECT_DOUBLE_EQ(g.zoom(), 2.0);
    ASSERT_TRUE(g.impostaZoom(0.7));
    EXPECT_TRUE(g.riduci());
    EXPECT_DOUBLE_EQ(g.zoom(), 0.5);
}

TEST(ZoomTyped, TheStepsOfThePage)
{
    EXPECT_EQ(pagina().passi(), (std::vector<double>{4, 2, 1, 0.5, 0.25, 0.125}));
    GeometriaPagina stretta;
    stretta.setPagina(2000, 3000);
    EXPECT_EQ(stretta.passi(), (std::vector<double>{4, 2, 1}));
    EXPECT_TRUE(GeometriaPagina().passi().empty());
}

struct Attorno
{
    QPointF punto; // twips in the viewport
    PageView::Zoom zoom;
    double da;
    QPointF scorri; // scroll values before, in units
};

class ZoomAttorno : public ::testing::TestWithParam<Attorno>
{};

/// The page point under \a punto stays there, within the scroll bars' grid,
/// wherever the bars can put the page.
TEST_P(ZoomAttorno, KeepsThePointUnderThePointer)
{
    const Attorno &a = GetParam();
    PageView v;
    v.setPagina(W, H);
    v.setViewport(8000, 5000, false);
    ASSERT_TRUE(v.zoomA(a.da));
    v.geometria().setValoreH(int32_t(a.scorri.x()));
    v.geometria().setValoreV(int32_t(a.scorri.y()));
    const auto sotto = [&] {
        const QRectF r = v.geometria().immagine();
        return QPointF((a.punto.x() - r.left()) / v.geometria().zoom(), (a.punto.y() - r.top()) / v.geometria().zoom());
    };
    const QPointF prima = sotto();
    ASSERT_TRUE(v.zoomAttorno(a.zoom, a.punto));
    const QPointF dopo = sotto();
    const double grid = GeometriaPagina::TwipsPerUnita / v.geometria().zoom();
    EXPECT_NEAR(dopo.x(), prima.x(), grid);
    EXPECT_NEAR(dopo.y(), prima.y(), grid);
}

INSTANTIATE_TEST_SUITE_P(Points, ZoomAttorno,
                         ::testing::Values(Attorno{{4000, 2500}, PageView::Zoom::Ingrandisci, 1.0, {100, 300}},
                                           Attorno{{500, 4500}, PageView::Zoom::Ingrandisci, 1.0, {0, 0}},
                                           Attorno{{7900, 100}, PageView::Zoom::Ingrandisci, 1.5, {200, 1000}},
                                           Attorno{{1000, 1000}, PageView::Zoom::Riduci, 2.0, {600, 800}},
                                           Attorno{{6000, 4000}, PageView::Zoom::Riduci, 4.0, {3000, 5000}}));

TEST(ZoomAttorno, APageNarrowerThanTheViewportIsCentred)
{
    PageView v;
    v.setPagina(W, H);
    v.setViewport(8000, 5000, false);
    ASSERT_TRUE(v.zoomA(1.0));
    ASSERT_TRUE(v.zoomAttorno(PageView::Zoom::Riduci, QPointF(100, 100)));
    EXPECT_DOUBLE_EQ(v.geometria().immagine().left(), (8000 - W / 2) / 2);
    EXPECT_FALSE(v.geometria().scrollH().abilitato);
}

} // namespace
} // namespace qv
