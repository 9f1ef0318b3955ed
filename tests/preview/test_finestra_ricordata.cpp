// SPDX-License-Identifier: MIT
// What the preview window remembers in the user's settings, read back
// whatever the file holds, and the control's window properties that refuse
// what no window can be.
#include "platform/Devices.h"
#include "preview/FrmAnteprima.h"
#include "preview/RememberedWindow.h"
#include "support/Blocking.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <functional>

#include <gtest/gtest.h>

namespace qv {
namespace {

using Ricordo = test::TempEnvTest;

TEST_F(Ricordo, NothingBeforeTheFirstWindowThenWhatWasWritten)
{
    EXPECT_FALSE(RememberedWindow::leggi());
    for (const RememberedWindow &r :
         {RememberedWindow{QRect(10, 20, 800, 600), true, PageView::Adattamento::Nessuno, 1.37, 1},
          RememberedWindow{QRect(-50, 0, 400, 300), false, PageView::Adattamento::Larghezza, 1, 0},
          RememberedWindow{QRect(0, 0, 1920, 1080), false, PageView::Adattamento::Pagina, 1, 7}}) {
        ASSERT_TRUE(r.scrivi());
        const std::optional<RememberedWindow> letto = RememberedWindow::leggi();
        ASSERT_TRUE(letto);
        EXPECT_EQ(letto->geometria, r.geometria);
        EXPECT_EQ(letto->massimizzata, r.massimizzata);
        EXPECT_EQ(letto->adattamento, r.adattamento);
        EXPECT_DOUBLE_EQ(letto->zoom, r.zoom);
        EXPECT_EQ(letto->vista, r.vista);
    }
}

struct Valori
{
    const char *geometria, *zoom, *vista;
    QRect attesaGeometria;
    double attesoZoom;
    int attesaVista;
};

class RicordoGuasto : public test::TempEnvTest, public ::testing::WithParamInterface<Valori>
{};

/// A file edited by hand or left by another version: what cannot be read is
/// left at its default, the rest is kept.
TEST_P(RicordoGuasto, WhatCannotBeReadIsLeftAtItsDefault)
{
    const Valori &v = GetParam();
    const QString app = QStringLiteral("QVPREVIEW"), sezione = QStringLiteral("FINESTRA");
    platform::writeUserSetting(app, sezione, QStringLiteral("GEOMETRIA"), QString::fromUtf8(v.geometria));
    platform::writeUserSetting(app, sezione, QStringLiteral("ZOOM"), QString::fromUtf8(v.zoom));
    platform::writeUserSetting(app, sezione, QStringLiteral("VISTA"), QString::fromUtf8(v.vista));
    const std::optional<RememberedWindow> r = RememberedWindow::leggi();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->geometria, v.attesaGeometria);
    EXPECT_DOUBLE_EQ(r->zoom, v.attesoZoom);
    EXPECT_EQ(r->adattamento, PageView::Adattamento::Nessuno);
    EXPECT_EQ(r->vista, v.attesaVista);
}

INSTANTIATE_TEST_SUITE_P(Files, RicordoGuasto,
                         ::testing::Values(Valori{"1 2 300 400", "250", "1", QRect(1, 2, 300, 400), 2.5, 1},
                                           Valori{"1 2 300", "abc", "x", QRect(), 1, 0},
                                           Valori{"1 2 0 400", "0", "", QRect(), 1, 0},
                                           Valori{"a b c d", "-50", "2", QRect(), 1, 2},
                                           Valori{"1 2 99999 400", "inf", "3", QRect(), 1, 3},
                                           Valori{" 5  6  700  800 ", "401", "0", QRect(5, 6, 700, 800), 1, 0},
                                           Valori{"1,2,300,400", "nan", "1.5", QRect(), 1, 0}));

// The view the window was left in comes back, facing pages and overview
// too; a number that names no view opens one page at a time.
TEST(RicordoVista, TheViewLeftIsTheViewOpened)
{
    for (const auto &[stored, opened] : {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}, {-1, 0}}) {
        RememberedWindow r{QRect(), false, PageView::Adattamento::Nessuno, 1, stored};
        EXPECT_EQ(WindowOpening::of(PreviewWindowOptions(), r, QRect(0, 0, 1280, 1024)).view, opened) << stored;
    }
}

/// A remembered geometry, made from the free area of the screen there is.
struct Geometria
{
    const char *name;
    std::function<QRect(const QRect &libero)> fai;
    bool tenuta; ///< read back as it is; else left out (the first window's)
};

void PrintTo(const Geometria &g, std::ostream *os)
{
    *os << g.name;
}

class GeometriaRicordata : public test::TempEnvTest, public ::testing::WithParamInterface<Geometria>
{};

/// A window too small to use, or off every screen there is now, opens as the
/// first time: the host's size, centred.
TEST_P(GeometriaRicordata, TooSmallOrOffEveryScreenIsLeftOut)
{
    const QScreen *schermo = QGuiApplication::primaryScreen();
    ASSERT_NE(schermo, nullptr);
    QRect libero;
    for (const QScreen *s : QGuiApplication::screens())
        libero |= s->availableGeometry();
    const QRect g = GetParam().fai(libero);
    RememberedWindow scritto{g, false, PageView::Adattamento::Pagina, 1, 0};
    ASSERT_TRUE(scritto.scrivi());
    const std::optional<RememberedWindow> letto = RememberedWindow::leggi();
    ASSERT_TRUE(letto);
    EXPECT_EQ(letto->geometria, GetParam().tenuta ? g : QRect());
    EXPECT_EQ(letto->adattamento, PageView::Adattamento::Pagina) << "the other values are kept";
}

INSTANTIATE_TEST_SUITE_P(
    Files, GeometriaRicordata,
    ::testing::Values(
        Geometria{"OnePixel", [](const QRect &l) { return QRect(l.topLeft(), QSize(1, 1)); }, false},
        Geometria{"FiveByFive", [](const QRect &l) { return QRect(l.topLeft() + QPoint(10, 10), QSize(5, 5)); }, false},
        Geometria{"TooNarrow", [](const QRect &l) { return QRect(l.topLeft(), QSize(199, 400)); }, false},
        Geometria{"TooLow", [](const QRect &l) { return QRect(l.topLeft(), QSize(400, 149)); }, false},
        Geometria{"TheSmallestWindow", [](const QRect &l) { return QRect(l.topLeft(), QSize(200, 150)); }, true},
        Geometria{"LeftOfEveryScreen", [](const QRect &l) { return QRect(l.left() - 1000, l.top(), 600, 400); }, false},
        Geometria{"BelowEveryScreen", [](const QRect &l) { return QRect(l.left(), l.bottom() + 1, 600, 400); }, false},
        Geometria{"OnlyACornerOnScreen",
                  [](const QRect &l) { return QRect(l.right() - 50, l.bottom() - 20, 600, 400); }, false},
        Geometria{"HalfOnScreen", [](const QRect &l) { return QRect(l.left() - 300, l.top(), 600, 400); }, true}),
    [](const auto &info) { return std::string(info.param.name); });

// The window's settings file a FIFO: the window's values ([FINESTRA]) and
// the quality box ([OPZIONE]) are read and written without waiting on it,
// and cost only the remembered values.
TEST_F(Ricordo, ASettingsFileThatIsAFifoCostsTheValuesNeverTheWindow)
{
    const QString ini = env.configFolder() + QStringLiteral("QVPREVIEW.ini");
    ASSERT_TRUE(QDir().mkpath(env.configFolder()));
    ASSERT_EQ(test::makeFifo(ini), ini);
    EXPECT_FALSE(test::blockedOnFifo(ini, [] { EXPECT_FALSE(RememberedWindow::leggi()); }));
    EXPECT_FALSE(test::blockedOnFifo(ini, [] {
        EXPECT_FALSE((RememberedWindow{QRect(0, 0, 400, 300), false, PageView::Adattamento::Pagina, 1, 0}.scrivi()));
    }));
    EXPECT_FALSE(test::blockedOnFifo(ini, [] {
        FrmAnteprima w;
        w.Picture2(); // loads the window, which reads the quality box
        w.close();    // and writes it
    }));
}

// A folder where the settings' lock goes: writing gives up at once.
TEST_F(Ricordo, ALockThatIsAFolderIsNotWaitedFor)
{
    ASSERT_TRUE((RememberedWindow{QRect(0, 0, 400, 300), false, PageView::Adattamento::Pagina, 1, 0}.scrivi()));
    ASSERT_TRUE(QDir().mkdir(env.configFolder() + QStringLiteral("QVPREVIEW.ini.lock")));
    bool scritto = true;
    ASSERT_TRUE(test::endsInTime([&] {
        scritto = RememberedWindow{QRect(0, 0, 500, 300), false, PageView::Adattamento::Pagina, 1, 0}.scrivi();
    }));
    EXPECT_FALSE(scritto);
    const std::optional<RememberedWindow> letto = RememberedWindow::leggi();
    ASSERT_TRUE(letto);
    EXPECT_EQ(letto->geometria, QRect(0, 0, 400, 300)) << "read all the same";
}

TEST(ProprietaFinestra, DefaultsOffAndRefusesWhatNoWindowCanBe)
{
    PrintPreview pp;
    EXPECT_EQ(pp.previewWindowOptions(), PreviewWindowOptions());
    for (const QSize &size : {QSize(0, 300), QSize(300, -1), QSize(-1, 1)}) {
        try {
            pp.setPreviewSize(size);
            ADD_FAILURE() << size.width() << " x " << size.height() << " accepted";
        } catch (const Error &e) {
            EXPECT_EQ(e.number(), 380);
        }
    }
    EXPECT_THROW(pp.setPreviewFit(3), Error);
    EXPECT_THROW(pp.setPreviewFit(-1), Error);
    PreviewWindowOptions cattive;
    cattive.remember = true;
    cattive.size = QSize(10, 0);
    EXPECT_THROW(pp.setPreviewWindowOptions(cattive), Error);
    EXPECT_EQ(pp.previewWindowOptions(), PreviewWindowOptions()); // nothing changed
    // Written by name, as a form designer writes them: refused with a
    // warning, never thrown.
    EXPECT_NO_THROW(pp.setProperty("previewFit", 5));
    EXPECT_EQ(pp.previewFit(), 0);
    EXPECT_TRUE(pp.setProperty("previewSize", QSize(640, 480)));
    EXPECT_TRUE(pp.setProperty("previewRemembers", true));
    EXPECT_TRUE(pp.setProperty("previewPageShadow", true));
    EXPECT_TRUE(pp.setProperty("previewMaximized", true));
    EXPECT_TRUE(pp.setProperty("previewFit", 2));
    PreviewWindowOptions attese;
    attese.size = QSize(640, 480);
    attese.remember = attese.pageShadow = attese.maximized = true;
    attese.fit = PreviewWindowOptions::FitWidth;
    EXPECT_EQ(pp.previewWindowOptions(), attese);
    pp.setPreviewSize(QSize()); // back to the design size
    EXPECT_FALSE(pp.previewSize().isValid());
}

} // namespace
} // namespace qv
