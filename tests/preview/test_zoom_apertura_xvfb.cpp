// SPDX-License-Identifier: MIT
// The zoom box, Ctrl+wheel about the pointer, and how the preview window
// opens and what it remembers, driven as a user drives them on a real X
// server (Xvfb). Screenshots of the zoom box and of the page on its margin
// with its shadow go to build/artifacts/ (or $QV_SHOTS_DIR).
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "preview/PageShadow.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/PrintPreview.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "support/XcbWindow.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qv {
namespace {

QString cartellaFoto()
{
    const QByteArray env = qgetenv("QV_SHOTS_DIR");
    const QString folder = env.isEmpty() ? QStringLiteral(QV_ARTIFACT_DIR) : QString::fromLocal8Bit(env);
    QDir().mkpath(folder);
    return folder + QLatin1Char('/');
}

/// Saves what the window shows (scale in the name: 1 or 2).
void fotografa(QWidget &w, const QString &nome)
{
    const QString file = cartellaFoto() + nome + QStringLiteral("-x%1.png").arg(w.devicePixelRatioF());
    EXPECT_TRUE(w.grab().save(file)) << qPrintable(file);
    std::printf("screenshot: %s\n", qPrintable(file));
}

class ZoomXvfb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::TempEnv::noPrinters();
        spool = env.tempFolder() + QStringLiteral("fattura.tmp");
        ASSERT_TRUE(test::scriviDocumento(spool, 3, true, 20));
        platform::setBeepHandlerForTesting([this] { ++beeps; });
    }
    void TearDown() override { platform::setBeepHandlerForTesting({}); }

    /// A window on the document, with \a options, shown at \a size (an
    /// invalid size: as the options open it).
    std::unique_ptr<FrmAnteprima> apri(const PreviewWindowOptions &options = {}, QSize size = QSize(900, 700))
    {
        auto w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(3);
        w->setTitolo(QStringLiteral("Prova"));
        w->setWindowOptions(options);
        w->InizializzaAnteprima();
        if (size.isValid())
            w->resize(size);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // Typing needs the keyboard: the window is made the active one.
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return w;
    }

    /// Types \a text into the zoom box as a user does: a click, Ctrl+A, the
    /// text replacing what the box shows, Enter, every key to the widget
    /// that has the focus (the box itself, which hands them to its field).
    static void scrivi(FrmAnteprima &w, const QString &text)
    {
        QTest::mouseClick(w.cmbZoom->lineEdit(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.cmbZoom->hasFocus(); }));
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focus, text);
        QTest::keyClick(focus, Qt::Key_Return);
    }

    /// Chooses the item \a text of the zoom box's list with the mouse.
    static void scegli(FrmAnteprima &w, const QString &text)
    {
        QComboBox *box = w.cmbZoom;
        const int indice = box->findText(text);
        ASSERT_GE(indice, 0) << qPrintable(text);
        box->showPopup();
        QAbstractItemView *view = box->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }));
        const QRect r = view->visualRect(box->model()->index(indice, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isVisible(); }));
    }

    test::TempEnv env;
    QString spool;
    int beeps = 0;
};

struct Scritto
{
    const char *testo;
    double zoom; // 0: refused
    const char *mostrato;
};

class ZoomScritto : public ZoomXvfb, public ::testing::WithParamInterface<Scritto>
{};

TEST_P(ZoomScritto, TypedPercentagesWithinTheRangeOnly)
{
    const Scritto &p = GetParam();
    auto w = apri();
    scrivi(*w, QString::fromUtf8(p.testo));
    const double atteso = p.zoom ? p.zoom : 1.0;
    EXPECT_NEAR(w->Geometria().zoom(), atteso, 1e-9);
    EXPECT_EQ(w->cmbZoom->currentText(), QString::fromUtf8(p.mostrato));
    EXPECT_EQ(beeps, p.zoom ? 0 : 1);
    // The page has the keys again, and its image is drawn at the new size.
    EXPECT_TRUE(w->Picture1->hasFocus());
    EXPECT_NEAR(w->Image1->width(), w->Geometria().immagine().width() / platform::twipsPerPixelX(), 1);
}

INSTANTIATE_TEST_SUITE_P(Box, ZoomScritto,
                         ::testing::Values(Scritto{"250", 2.5, "250%"}, Scritto{"5", 0, "100%"},
                                           Scritto{"abc", 0, "100%"}, Scritto{"400 %", 4.0, "400%"},
                                           Scritto{"401", 0, "100%"}, Scritto{"10", 0.1, "10%"},
                                           Scritto{"12,5", 0.125, "13%"}, Scritto{" ", 0, "100%"}));

TEST_F(ZoomXvfb, TheBoxFollowsKeysToolbarAndMenu)
{
    auto w = apri();
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("100%"));
    QTest::keyClick(w->Picture1, Qt::Key_Plus);
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("200%"));
    w->pulsante(QStringLiteral("riduci"))->trigger();
    w->pulsante(QStringLiteral("riduci"))->trigger();
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("50%"));
    QTest::keyClick(w->Picture1, Qt::Key_W);
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("%1%").arg(w->Geometria().percentuale()));
    w->findChild<QAction *>(QStringLiteral("mn100"))->trigger();
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("100%"));
    // A fitted zoom that follows the window shows its new percentage.
    QTest::keyClick(w->Picture1, Qt::Key_F);
    const QString prima = w->cmbZoom->currentText();
    w->resize(600, 900);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmbZoom->currentText() != prima; }));
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("%1%").arg(w->Geometria().percentuale()));
    EXPECT_EQ(beeps, 0);
}

TEST_F(ZoomXvfb, ChoosingAFittedZoomOrAStepFromTheList)
{
    auto w = apri();
    scegli(*w, QStringLiteral("Adatta alla larghezza"));
    const GeometriaPagina &g = w->Geometria();
    EXPECT_NEAR(g.immagine().width(), g.viewport().width(), 1e-6);
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("%1%").arg(g.percentuale()));
    // It follows the window, as the menu's fitted zoom does.
    w->resize(700, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return std::abs(g.immagine().width() - g.viewport().width()) < 1e-6 && g.viewport().width() < 700 * 15;
    }));
    scegli(*w, QStringLiteral("Adatta alla pagina"));
    EXPECT_NEAR(g.immagine().height(), g.viewport().height(), 1e-6);
    scegli(*w, QStringLiteral("25%"));
    EXPECT_DOUBLE_EQ(g.zoom(), 0.25);
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("25%"));
    // The steps listed are the window's: 400 % down to the last one Riduci reaches.
    QStringList voci;
    for (int i = 0; i < w->cmbZoom->count(); ++i)
        voci << w->cmbZoom->itemText(i);
    EXPECT_EQ(voci, (QStringList{"400%", "200%", "100%", "50%", "25%", "13%", "Adatta alla pagina",
                                 "Adatta alla larghezza"}));
}

// A zoom chosen from the list, in either view, gives the keys back to the
// view on show: End, to the widget that has the focus, goes to the last page.
class ZoomListKeys : public ZoomXvfb, public ::testing::WithParamInterface<bool>
{};

TEST_P(ZoomListKeys, TheViewOnShowHasTheKeysAgain)
{
    auto w = apri();
    if (GetParam())
        QTest::keyClick(w->Picture1, Qt::Key_F8);
    ASSERT_EQ(w->continuaAttiva(), GetParam());
    for (const char *item : {"50%", "Adatta alla larghezza"}) {
        w->model().setCurrentPage(0);
        scegli(*w, QString::fromLatin1(item));
        ASSERT_NE(QApplication::focusWidget(), nullptr) << item;
        EXPECT_TRUE(QApplication::focusWidget()->isVisible()) << item;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        EXPECT_EQ(w->model().currentPage(), 2) << item;
    }
    // A typed zoom too.
    w->model().setCurrentPage(0);
    scrivi(*w, QStringLiteral("37"));
    EXPECT_NEAR(w->Geometria().zoom(), 0.37, 1e-9);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(w->model().currentPage(), 2);
    EXPECT_EQ(beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(Views, ZoomListKeys, ::testing::Values(false, true));

TEST_F(ZoomXvfb, AnArbitraryZoomScrollsAndDragsLikeAStep)
{
    auto w = apri();
    scrivi(*w, QStringLiteral("137"));
    const GeometriaPagina &g = w->Geometria();
    ASSERT_NEAR(g.zoom(), 1.37, 1e-9);
    // The scroll bars span the page at that size.
    EXPECT_EQ(w->VScroll1->maximum(), arrotondaPari((g.immagine().height() - g.viewport().height()) / 10));
    QTest::keyClick(w->Picture1, Qt::Key_End, Qt::NoModifier); // last page
    QTest::keyClick(w->Picture1, Qt::Key_Home);
    QTest::keyClick(w->Picture1, Qt::Key_PageDown);
    EXPECT_GT(w->VScroll1->value(), 0);
    // A drag moves the page by what the pointer moved.
    const double top = g.immagine().top();
    const QPoint da(200, 300);
    QTest::mousePress(w->Image1, Qt::LeftButton, {}, da);
    QMouseEvent move(QEvent::MouseMove, QPointF(da + QPoint(0, -40)),
                     w->Image1->mapToGlobal(QPointF(da + QPoint(0, -40))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w->Image1, &move);
    QTest::mouseRelease(w->Image1, Qt::LeftButton, {}, da + QPoint(0, -40));
    EXPECT_NEAR(g.immagine().top(), top - 40 * platform::twipsPerPixelY(), 1e-6);
    EXPECT_EQ(w->VScroll1->value(), arrotondaPari(-g.immagine().top() / 10));
}

struct Rotella
{
    QPoint dove; // in the viewport, pixels
    int scatti;  // + in, - out
    double zoomIniziale;
    int pagineGiu, righeDestra; // where the page is scrolled to first
};

class ZoomRotella : public ZoomXvfb, public ::testing::WithParamInterface<Rotella>
{};

// The points are chosen where the scroll bars can keep them: a page edge
// never leaves the viewport's edge for it.
TEST_P(ZoomRotella, CtrlWheelKeepsThePointUnderThePointer)
{
    const Rotella &p = GetParam();
    auto w = apri({}, QSize(600, 700));
    ASSERT_TRUE(w->setZoom(p.zoomIniziale));
    QTest::keyClick(w->Picture1, Qt::Key_Down);
    for (int i = 0; i < p.pagineGiu; ++i)
        QTest::keyClick(w->Picture1, Qt::Key_PageDown);
    for (int i = 0; i < p.righeDestra; ++i)
        QTest::keyClick(w->Picture1, Qt::Key_Right);
    const double tx = platform::twipsPerPixelX(), ty = platform::twipsPerPixelY();
    const auto puntoDocumento = [&] {
        const QRectF r = w->Geometria().immagine();
        return QPointF((p.dove.x() * tx - r.left()) / w->Geometria().zoom(),
                       (p.dove.y() * ty - r.top()) / w->Geometria().zoom());
    };
    const QPointF prima = puntoDocumento();
    const double zoomPrima = w->Geometria().zoom();
    // The wheel turned over the page, where the pointer is: the page leaves
    // the wheel to the window, which gets it as here.
    const QPoint nellaFinestra = w->Picture1->mapTo(w.get(), p.dove);
    QWheelEvent wheel(QPointF(nellaFinestra), QPointF(w->mapToGlobal(nellaFinestra)), QPoint(),
                      QPoint(0, 120 * p.scatti), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.get(), &wheel);
    ASSERT_NE(w->Geometria().zoom(), zoomPrima);
    const QPointF dopo = puntoDocumento();
    // Within the scroll bars' 10-twip grid and a pixel's rounding, in page twips.
    const double tolleranza = (10 + tx) / w->Geometria().zoom();
    EXPECT_NEAR(dopo.x(), prima.x(), tolleranza);
    EXPECT_NEAR(dopo.y(), prima.y(), tolleranza);
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("%1%").arg(w->Geometria().percentuale()));
    EXPECT_EQ(w->HScroll1->value(), w->Geometria().scrollH().valore);
    EXPECT_EQ(beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(Wheel, ZoomRotella,
                         ::testing::Values(Rotella{{300, 200}, 1, 1.0, 0, 0}, Rotella{{150, 500}, 1, 1.0, 0, 0},
                                           Rotella{{500, 100}, 2, 1.0, 0, 0}, Rotella{{50, 300}, -1, 2.0, 1, 3},
                                           Rotella{{100, 450}, -1, 1.5, 1, 3}));

TEST_F(ZoomXvfb, CtrlWheelInTheContinuousViewKeepsThePointToo)
{
    auto w = apri({}, QSize(700, 650));
    QTest::keyClick(w->Picture1, Qt::Key_F8);
    ASSERT_TRUE(w->continuaAttiva());
    ContinuousView *v = w->vistaContinua();
    QTest::keyClick(w.get(), Qt::Key_PageDown); // into the first page's lower half
    const QPoint dove(120, 90);                 // away from the middle, which the view keeps anyway
    const auto sotto = [&](int32_t pagina) {
        const QRect r = v->pageRect(pagina);
        return QPointF(double(dove.x() - r.left()) / r.width(), double(dove.y() - r.top()) / r.height());
    };
    int32_t pagina = 0;
    while (!v->pageRect(pagina).contains(dove) && pagina < 3)
        ++pagina;
    ASSERT_LT(pagina, 3) << "no page under the pointer";
    const QPointF prima = sotto(pagina);
    const QSize dimensione = v->pageSize();
    QWheelEvent wheel(QPointF(dove), QPointF(v->viewport()->mapToGlobal(dove)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v->viewport(), &wheel);
    ASSERT_EQ(v->pageSize(), dimensione * 2);
    const QPointF dopo = sotto(pagina);
    // Within a pixel of the larger page.
    EXPECT_NEAR(dopo.x(), prima.x(), 1.5 / v->pageSize().width());
    EXPECT_NEAR(dopo.y(), prima.y(), 1.5 / v->pageSize().height());
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("200%"));
}

// --- Opening ------------------------------------------------------------------------

struct Apertura
{
    const char *nome;
    PreviewWindowOptions opzioni;
};

class AperturaXvfb : public ZoomXvfb, public ::testing::WithParamInterface<Apertura>
{};

TEST_P(AperturaXvfb, TheOptionsOpenTheWindowAsAsked)
{
    const PreviewWindowOptions &o = GetParam().opzioni;
    auto w = apri(o, QSize());
    const GeometriaPagina &g = w->Geometria();
    if (o.maximized)
        EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    else
        EXPECT_FALSE(w->windowState() & Qt::WindowMaximized);
    if (o.size.isValid()) {
        EXPECT_EQ(w->size(), o.size);
        // Centred on the screen's free area.
        const QRect libero = w->screen()->availableGeometry();
        EXPECT_NEAR(w->geometry().center().x(), libero.center().x(), 1);
    }
    switch (o.fit) {
    case PreviewWindowOptions::FitNone: EXPECT_DOUBLE_EQ(g.zoom(), 1.0); break;
    case PreviewWindowOptions::FitPage:
        EXPECT_TRUE(std::abs(g.immagine().height() - g.viewport().height()) < 1e-6
                    || std::abs(g.immagine().width() - g.viewport().width()) < 1e-6);
        EXPECT_LE(g.immagine().height(), g.viewport().height() + 1e-6);
        break;
    case PreviewWindowOptions::FitWidth: EXPECT_NEAR(g.immagine().width(), g.viewport().width(), 1e-6); break;
    }
    EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("%1%").arg(g.percentuale()));
    if (o.pageShadow) {
        // The page stands 16 pixels inside the grey viewport, with a darker
        // shadow along its right edge.
        EXPECT_GE(w->Image1->x(), 16);
        const QImage shot = w->Picture1->grab().toImage();
        const QRect page = w->Image1->geometry();
        const QColor sfondo = shot.pixelColor(page.left() - 10, page.center().y());
        const QColor ombra = shot.pixelColor(page.right() + 2, page.center().y());
        EXPECT_EQ(sfondo, QColor(128, 128, 128));
        EXPECT_LT(ombra.red(), sfondo.red());
        fotografa(*w, QStringLiteral("pagina-ombra"));
    }
    // The continuous view follows the option too.
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w->Picture1, Qt::Key_F8);
    ContinuousView *v = w->vistaContinua();
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->widgetOf(0) != nullptr; }));
    EXPECT_EQ(v->widgetOf(0)->findChildren<PageShadow *>().size(), o.pageShadow ? 1 : 0);
}

PreviewWindowOptions opzioni(bool maximized, QSize size, PreviewWindowOptions::Fit fit, bool shadow = false)
{
    PreviewWindowOptions o;
    o.maximized = maximized;
    o.size = size;
    o.fit = fit;
    o.pageShadow = shadow;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Options, AperturaXvfb,
    ::testing::Values(Apertura{"Maximised", opzioni(true, {}, PreviewWindowOptions::FitNone)},
                      Apertura{"AtASize", opzioni(false, {700, 520}, PreviewWindowOptions::FitNone)},
                      Apertura{"FittedToThePage", opzioni(false, {640, 800}, PreviewWindowOptions::FitPage)},
                      Apertura{"FittedToTheWidth", opzioni(false, {800, 600}, PreviewWindowOptions::FitWidth)},
                      Apertura{"WithTheShadow", opzioni(false, {800, 600}, PreviewWindowOptions::FitPage, true)}),
    [](const ::testing::TestParamInfo<Apertura> &info) { return info.param.nome; });

TEST_F(ZoomXvfb, TheControlsPropertiesReachTheWindow)
{
    PrintPreview pp;
    pp.setPreviewSize(QSize(720, 540));
    pp.setPreviewFit(PreviewWindowOptions::FitWidth);
    pp.StampaTesto(1440, 1440, QStringLiteral("Una riga"));
    QSize vista;
    double larghezza = 0, viewport = 0;
    QTimer::singleShot(0, [&] {
        // The modal window, once it is shown; closed whatever was found, so
        // that ShowAnteprima() returns.
        FrmAnteprima *w = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            w = qobject_cast<FrmAnteprima *>(QApplication::activeModalWidget());
            return w && w->isVisible();
        }));
        if (!w)
            return;
        vista = w->size();
        larghezza = w->Geometria().immagine().width();
        viewport = w->Geometria().viewport().width();
        w->reject();
    });
    pp.ShowAnteprima();
    EXPECT_EQ(vista, QSize(720, 540));
    EXPECT_NEAR(larghezza, viewport, 1e-6);
}

// --- Remembering -----------------------------------------------------------------------

TEST_F(ZoomXvfb, WhatTheUserLeftComesBackInTheNextWindow)
{
    PreviewWindowOptions o;
    o.remember = true;
    o.fit = PreviewWindowOptions::FitPage; // what was remembered wins over it
    {
        auto w = apri(o, QSize());
        w->setGeometry(120, 90, 760, 560);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->size() == QSize(760, 560); }));
        scrivi(*w, QStringLiteral("250"));
        // The continuous view, as the user turns it on.
        QTest::keyClick(w->Picture1, Qt::Key_F8);
        ASSERT_TRUE(w->continuaAttiva());
        w->chkMassima->setChecked(false);
        w->reject();
    }
    QSettings ini(env.configFolder() + QStringLiteral("QVPREVIEW.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("FINESTRA/ZOOM")).toString(), QStringLiteral("250"));
    {
        auto w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(3);
        w->setWindowOptions(o);
        w->InizializzaAnteprima();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        EXPECT_EQ(w->geometry(), QRect(120, 90, 760, 560));
        EXPECT_DOUBLE_EQ(w->Geometria().zoom(), 2.5);
        EXPECT_EQ(w->cmbZoom->currentText(), QStringLiteral("250%"));
        EXPECT_FALSE(w->chkMassima->isChecked());
        EXPECT_TRUE(w->continuaAttiva());
        EXPECT_EQ(QSettings(env.configFolder() + QStringLiteral("QVPREVIEW.ini"), QSettings::IniFormat)
                      .value(QStringLiteral("FINESTRA/VISTA"))
                      .toInt(),
                  1);
        // Back to one page at a time; a fitted zoom is remembered as fitted:
        // it follows the next window.
        QTest::keyClick(w->vistaContinua(), Qt::Key_F8);
        ASSERT_FALSE(w->continuaAttiva());
        QTest::keyClick(w->Picture1, Qt::Key_W);
        w->reject();
    }
    {
        o.size = QSize(500, 400);
        auto w = apri(o, QSize());
        const GeometriaPagina &g = w->Geometria();
        EXPECT_EQ(w->size(), QSize(760, 560));
        EXPECT_NEAR(g.immagine().width(), g.viewport().width(), 1e-6);
        w->resize(640, 560);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return std::abs(g.immagine().width() - g.viewport().width()) < 1e-6 && w->width() == 640; }));
        w->reject();
    }
    // Without the option nothing is read: the window as it always opened.
    auto w = apri({}, QSize());
    EXPECT_EQ(w->size(),
              QSize(std::lround(8715 / platform::twipsPerPixelX()), std::lround(5940 / platform::twipsPerPixelY())));
    EXPECT_DOUBLE_EQ(w->Geometria().zoom(), 1.0);
}

TEST_F(ZoomXvfb, TheContinuousViewIsRememberedToo)
{
    PreviewWindowOptions o;
    o.remember = true;
    {
        auto w = apri(o);
        QTest::keyClick(w->Picture1, Qt::Key_F8);
        ASSERT_TRUE(w->continuaAttiva());
        w->reject();
    }
    auto w = apri(o);
    EXPECT_TRUE(w->continuaAttiva());
    QTest::keyClick(w.get(), Qt::Key_F8);
    ASSERT_FALSE(w->continuaAttiva());
    w->reject();
    EXPECT_FALSE(apri(o)->continuaAttiva());
}

#ifdef QVPREVIEW_BIN
xcb_atom_t atomo(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : 0;
    free(r);
    return atom;
}

TEST_F(ZoomXvfb, ViewOpensOnTheWholeScreenFittedToTheWidthAndRemembers)
{
    QProcess view;
    view.start(QStringLiteral(QVPREVIEW_BIN), {QStringLiteral("view"), spool});
    ASSERT_TRUE(view.waitForStarted());
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_window_t window = 0;
    for (int i = 0; i < 400 && !window && view.state() == QProcess::Running; ++i) {
        QTest::qWait(25);
        window = test::windowTitled(c, "fattura.tmp    ");
    }
    ASSERT_NE(window, 0u) << view.readAllStandardError().constData();
    // As large as the screen (no window manager: no panels either).
    const QSize schermo = QGuiApplication::primaryScreen()->availableSize();
    QSize size;
    for (int i = 0; i < 400 && size != schermo; ++i) {
        QTest::qWait(25);
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        if (g)
            size = QSize(g->width, g->height);
        free(g);
    }
    EXPECT_EQ(size, schermo);

    // Closed as a window manager closes it.
    xcb_client_message_event_t chiudi{};
    chiudi.response_type = XCB_CLIENT_MESSAGE;
    chiudi.format = 32;
    chiudi.window = window;
    chiudi.type = atomo(c, "WM_PROTOCOLS");
    chiudi.data.data32[0] = atomo(c, "WM_DELETE_WINDOW");
    chiudi.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&chiudi));
    xcb_flush(c);
    ASSERT_TRUE(view.waitForFinished(20000));
    EXPECT_EQ(view.exitCode(), 0) << view.readAllStandardError().constData();
    xcb_disconnect(c);

    QSettings ini(env.configFolder() + QStringLiteral("QVPREVIEW.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("FINESTRA/ZOOM")).toString(), QStringLiteral("LARGHEZZA"));
    EXPECT_EQ(ini.value(QStringLiteral("FINESTRA/GEOMETRIA")).toString(),
              QStringLiteral("0 0 %1 %2").arg(schermo.width()).arg(schermo.height()));
}
#endif

TEST_F(ZoomXvfb, ScreenshotOfTheZoomBox)
{
    {
        // The window a host gets by default, with the box at the toolbar's
        // end and the quality box after it.
        auto w = apri({}, QSize());
        EXPECT_GE(w->chkMassima->x(), w->cmbZoom->mapTo(w.get(), QPoint(w->cmbZoom->width(), 0)).x());
        fotografa(*w, QStringLiteral("finestra-predefinita"));
    }
    PreviewWindowOptions o;
    o.pageShadow = true;
    o.fit = PreviewWindowOptions::FitWidth;
    auto w = apri(o, QSize(900, 650));
    fotografa(*w, QStringLiteral("finestra-zoom"));
    w->cmbZoom->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmbZoom->view()->isVisible(); }));
    const QPixmap popup = w->cmbZoom->view()->window()->grab();
    const QString file = cartellaFoto() + QStringLiteral("zoom-elenco-x%1.png").arg(w->devicePixelRatioF());
    EXPECT_TRUE(popup.save(file));
    w->cmbZoom->hidePopup();
}

} // namespace
} // namespace qv
