// SPDX-License-Identifier: MIT
// The preview window driven as a user drives it: toolbar clicks, keys, mouse
// drags, scroll bars, the pop-up menu, the quality box and printing.
#include "dialogs/PrintCommand.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "print/MotoreStampa.h"
#include "render/LetturaDati.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/CPalette.h>
#include <qvpreview/Error.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace qv {
namespace {

struct Messaggio
{
    QString testo, titolo;
    platform::MessageIcon icona;
};

class AnteprimaTest : public test::TempEnvTest
{
protected:
    void SetUp() override
    {
        platform::setTwipsPerPixelForTesting(15, 15);
        test::TempEnv::noPrinters();
        platform::setBeepHandlerForTesting([this] { ++beeps; });
        platform::setMessageBoxHandlerForTesting([this](const QString &t, const QString &ti, platform::MessageIcon i) {
            messaggi.push_back({t, ti, i});
        });
    }
    void TearDown() override { FrmAnteprima::setStampaHookForTesting({}); }

    /// A window on a document of \a pagine pages, initialised and shown, as
    /// the control opens it.
    std::unique_ptr<FrmAnteprima> apri(int pagine, bool fattura = false)
    {
        spool = env.tempFolder() + QStringLiteral("documento.tmp");
        EXPECT_TRUE(test::scriviDocumento(spool, pagine, fattura, 5));
        return mostra(pagine);
    }

    /// The same on a spool file that holds \a contenuto, said to have \a pagine pages.
    std::unique_ptr<FrmAnteprima> apri(const QByteArray &contenuto, int pagine)
    {
        spool = env.tempFolder() + QStringLiteral("rotto.tmp");
        QFile file(spool);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contenuto) == contenuto.size());
        file.close();
        return mostra(pagine);
    }

    std::unique_ptr<FrmAnteprima> mostra(int pagine)
    {
        auto w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(pagine);
        w->setTitolo(QStringLiteral("Anteprima di Stampa"));
        w->InizializzaAnteprima();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    static void premi(FrmAnteprima &w, const QString &key)
    {
        QAction *action = w.pulsante(key);
        ASSERT_NE(action, nullptr) << key.toStdString();
        QWidget *button = w.Toolbar1->widgetForAction(action);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    /// Drags Image1 with the left button from \a from by \a delta, both in
    /// viewport pixels, in \a steps moves.
    static void trascina(FrmAnteprima &w, QPoint from, QPoint delta, int steps = 4)
    {
        QTest::mousePress(w.Image1, Qt::LeftButton, Qt::NoModifier, w.Image1->mapFrom(w.Picture1, from));
        for (int i = 1; i <= steps; ++i) {
            const QPoint at = from + delta * i / steps;
            // The event is relative to the page, which moves under the mouse.
            QMouseEvent move(QEvent::MouseMove, w.Image1->mapFrom(w.Picture1, at),
                             w.Image1->mapToGlobal(w.Image1->mapFrom(w.Picture1, at)), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(w.Image1, &move);
        }
        QTest::mouseRelease(w.Image1, Qt::LeftButton, Qt::NoModifier, w.Image1->mapFrom(w.Picture1, from + delta));
    }

    QString spool;
    int beeps = 0;
    std::vector<Messaggio> messaggi;
};

// --- Controls -----------------------------------------------------------------

TEST_F(AnteprimaTest, ToolbarButtonsKeysAndTooltipsInOrder)
{
    FrmAnteprima w;
    QStringList keys, tips;
    for (QAction *a : w.Toolbar1->actions()) {
        if (a->isSeparator() || a->data().toString().isEmpty())
            continue;
        keys << a->data().toString();
        tips << a->toolTip();
    }
    EXPECT_EQ(keys, QStringList({"riduci", "ingrandisci", "reale", "stampa", "prima", "precedente", "successiva",
                                 "ultima", "esci"}));
    EXPECT_EQ(tips, QStringList({"Riduci", "Ingradisci", "Dimensione Reale", "Stampa", "Prima Pagina",
                                 "Pagina Precedente", "Pagina Successiva", "Ultima Pagina", "Chiudi Anteprima"}));
    // Text1 sits between "precedente" and "successiva".
    const QList<QAction *> all = w.Toolbar1->actions();
    const int prec = all.indexOf(w.pulsante(QStringLiteral("precedente")));
    EXPECT_EQ(w.Toolbar1->widgetForAction(all.at(prec + 1)), w.Text1);
    EXPECT_EQ(w.chkMassima->text(), QStringLiteral("Massima qualità"));
    for (const char *key : {"riduci", "stampa", "esci"})
        EXPECT_FALSE(w.pulsante(QString::fromLatin1(key))->icon().isNull()) << key;
}

TEST_F(AnteprimaTest, PopupMenuOnRightButtonRelease)
{
    auto w = apri(2);
    QTest::mouseClick(w->Image1, Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_TRUE(w->mnfile->isVisible());
    QStringList items;
    for (QAction *a : w->mnfile->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
    EXPECT_EQ(items, QStringList({"mnriduci=&Riduci", "mningrandisci=&Ingrandisci", "mn100=100%",
                                  "mnpagina=Adatta alla &pagina\tF", "mnlarghezza=Adatta alla &larghezza\tW", "-",
                                  "mnaggiorna=Aggiorna", "-", "mnstampa=&Stampa", "-", "mnchiudi=&Chiudi"}));
    w->mnfile->findChild<QAction *>(QStringLiteral("mningrandisci"))->trigger();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    200%"));
    w->mnfile->hide();
    w->mnfile->findChild<QAction *>(QStringLiteral("mnchiudi"))->trigger();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(AnteprimaTest, LayoutFollowsTheWindowSize)
{
    auto w = apri(1);
    w->resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(w->Picture1->y(), 40); // 600 twips
    EXPECT_EQ(w->Picture1->width() + w->VScroll1->width(), 900);
    EXPECT_EQ(w->Picture1->height() + 40 + w->HScroll1->height(), 700);
    EXPECT_EQ(w->VScroll1->x(), w->Picture1->width());
    EXPECT_EQ(w->HScroll1->y(), w->Picture1->geometry().bottom() + 1);
    EXPECT_EQ(w->lblsito->geometry().bottom() + 1, w->Picture1->y());
    EXPECT_NEAR(w->lblsito->geometry().right() + 1, 900 - 7, 1); // 100 twips from the right edge
    // Narrower than the scroll bar: the viewport is 0 wide, not negative.
    w->resize(5, 700);
    QApplication::processEvents();
    EXPECT_EQ(w->Picture1->width(), 0);
    EXPECT_EQ(w->Geometria().viewport().width(), 0);
}

TEST_F(AnteprimaTest, LoadPlacesTheWindowAtTheTopLeftWithItsDesignSize)
{
    FrmAnteprima w;
    w.Picture2();
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_EQ(w.size(), QSize(581, 396)); // 8715 x 5940 twips
    EXPECT_EQ(w.LarghezzaPagina(), 11520);
    EXPECT_EQ(w.AltezzaPagina(), 15872);
}

// --- Navigation -------------------------------------------------------------------

TEST_F(AnteprimaTest, OnePageDocumentGreysThePageButtonsAndItsKeysBeep)
{
    auto w = apri(1);
    EXPECT_EQ(w->PosizioniPagine(), QVector<qint64>({1, 0}));
    for (const char *key : {"prima", "precedente", "successiva", "ultima"}) {
        EXPECT_FALSE(w->pulsante(QString::fromLatin1(key))->isEnabled()) << key;
        premi(*w, QString::fromLatin1(key));
    }
    EXPECT_EQ(beeps, 0);
    // The keys give the same commands and beep at the ends.
    QTest::keyClick(w->Picture1, Qt::Key_Home);
    QTest::keyClick(w->Picture1, Qt::Key_End);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/1"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AnteprimaTest, ThreePagesForwardAndBack)
{
    auto w = apri(3);
    const auto abilitati = [&] {
        QString stato;
        for (const char *key : {"prima", "precedente", "successiva", "ultima"})
            stato += w->pulsante(QString::fromLatin1(key))->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return stato;
    };
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/3"));
    EXPECT_EQ(abilitati(), QStringLiteral("0011"));
    premi(*w, QStringLiteral("successiva"));
    EXPECT_EQ(abilitati(), QStringLiteral("1111"));
    premi(*w, QStringLiteral("successiva"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/3"));
    EXPECT_EQ(w->PaginaVisualizzata(), 2);
    EXPECT_EQ(test::testiDi(w->Image1->Picture()), QStringList{QStringLiteral("Pagina 3")});
    EXPECT_EQ(abilitati(), QStringLiteral("1100"));
    premi(*w, QStringLiteral("successiva")); // greyed out: nothing happens
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/3"));
    premi(*w, QStringLiteral("prima"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/3"));
    EXPECT_EQ(test::testiDi(w->Image1->Picture()), QStringList{QStringLiteral("Pagina 1")});
    premi(*w, QStringLiteral("ultima"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/3"));
    premi(*w, QStringLiteral("precedente"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/3"));
    EXPECT_EQ(test::testiDi(w->Image1->Picture()), QStringList{QStringLiteral("Pagina 2")});
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AnteprimaTest, EachPageIsShownOnThePageItWasRecordedOn)
{
    const QByteArray punto = "#pset@\r\n0,13,1,0,0,1\r\n10,10\r\n";
    auto w = apri("#page@\r\n11905.51,16837.79,1,0,0,0,0\r\n" + punto + "#newpage@\r\n"
                      + "#page@\r\n12240,15840,0,720,720,720,720\r\n" + punto + "#newpage@\r\n" + punto,
                  3);
    // Landscape A4; Letter within half-inch margins; no layout: the printer's page.
    const QSize pagine[] = {QSize(16838, 11906), QSize(10800, 14400), QSize(11520, 15872)};
    for (int pagina = 0; pagina < 3; ++pagina) {
        if (pagina > 0)
            premi(*w, QStringLiteral("successiva"));
        EXPECT_EQ(QSize(w->Picture2().Width(), w->Picture2().Height()), pagine[pagina]) << "page " << pagina + 1;
        EXPECT_EQ(w->Picture2().Picture()->sizeTwips(), pagine[pagina]) << "page " << pagina + 1;
    }
    premi(*w, QStringLiteral("prima"));
    EXPECT_EQ(QSize(w->Picture2().Width(), w->Picture2().Height()), pagine[0]);
    EXPECT_EQ(beeps, 0);
}

// The window destroyed while its page field has the focus: the field loses
// the focus as it goes and must not call back into the window, which is gone
// by then (the build with QV_SANITIZE=ON reports such a call).
TEST_F(AnteprimaTest, DestroyedWithTheFocusInThePageFieldCallsNothingBack)
{
    auto w = apri(3);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->Text1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Text1->hasFocus(); }));
    w.reset();
}

TEST_F(AnteprimaTest, PageChangesKeepZoomAndScroll)
{
    auto w = apri(3);
    premi(*w, QStringLiteral("ingrandisci"));
    w->HScroll1->setValue(40);
    premi(*w, QStringLiteral("successiva"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    200%"));
    EXPECT_EQ(w->HScroll1->value(), 40);
    EXPECT_EQ(w->Image1->x(), -27); // -400 twips, rounded to pixels
}

TEST_F(AnteprimaTest, PageThatCannotBeReplayedKeepsTheWindowOpen)
{
    auto w = apri(3);
    QFile::remove(spool);
    premi(*w, QStringLiteral("successiva"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/3"));
    EXPECT_NE(w->Image1->Picture(), nullptr);
}

TEST_F(AnteprimaTest, EmptySpoolPathShowsAnEmptyPageAndStaysToInitialise)
{
    FrmAnteprima w;
    w.setPagineTotali(3);
    w.InizializzaAnteprima();
    EXPECT_TRUE(w.DaInizializzare());
    EXPECT_EQ(w.Geometria().percentuale(), 100);
    EXPECT_EQ(w.PosizioniPagine(), QVector<qint64>({1, 0, 0, 0}));
}

TEST_F(AnteprimaTest, ActivationInitialisesADocumentNotShownYet)
{
    spool = env.tempFolder() + QStringLiteral("documento.tmp");
    ASSERT_TRUE(test::scriviDocumento(spool, 4, false));
    FrmAnteprima w;
    w.setFileTemporaneo(spool);
    w.setPagineTotali(4);
    EXPECT_TRUE(w.DaInizializzare());
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_FALSE(w.DaInizializzare());
    EXPECT_EQ(w.PosizioniPagine().size(), 5);
    EXPECT_GT(w.PosizioniPagine()[3], w.PosizioniPagine()[2]);
    EXPECT_EQ(w.Text1->text(), QStringLiteral(" 1/4"));
}

// --- Zoom -------------------------------------------------------------------------

// One zoom button pressed until its limit: the captions on the way, one
// beep at the limit, and the page's width there (0: not checked).
struct ZoomLimit
{
    const char *button;
    QStringList before; // pressed first, from 100 %
    QStringList captions;
    int width;
};

class ZoomLimitTest : public AnteprimaTest, public ::testing::WithParamInterface<ZoomLimit>
{};

TEST_P(ZoomLimitTest, StepsToTheLimitThenBeeps)
{
    auto w = apri(1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    100%"));
    for (const QString &key : GetParam().before)
        premi(*w, key);
    QStringList captions;
    QStringList expected;
    for (const QString &percent : GetParam().captions) {
        premi(*w, QString::fromLatin1(GetParam().button));
        captions << w->windowTitle();
        expected << QStringLiteral("Anteprima di Stampa    ") + percent;
    }
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(beeps, 1);
    if (GetParam().width) {
        EXPECT_EQ(w->Image1->width(), GetParam().width);
    }
}

INSTANTIATE_TEST_SUITE_P(Zoom, ZoomLimitTest,
                         ::testing::Values(ZoomLimit{"ingrandisci", {}, {"200%", "400%", "400%"}, 4 * 768},
                                           ZoomLimit{
                                               "riduci", {"ingrandisci", "reale"}, {"50%", "25%", "13%", "13%"}, 0}));

TEST_F(AnteprimaTest, SmallPageIsCentredWithBothBarsDisabledAndCannotBeDragged)
{
    auto w = apri(1);
    premi(*w, QStringLiteral("riduci"));
    premi(*w, QStringLiteral("riduci")); // 25 %: 192 x 265 pixels in a 566 x 341 viewport
    EXPECT_FALSE(w->HScroll1->isEnabled());
    EXPECT_FALSE(w->VScroll1->isEnabled());
    EXPECT_NEAR(w->Image1->x(), (w->Picture1->width() - w->Image1->width()) / 2, 1);
    EXPECT_NEAR(w->Image1->y(), (w->Picture1->height() - w->Image1->height()) / 2, 1);
    const QRect before = w->Image1->geometry();
    trascina(*w, before.center(), QPoint(-80, 60));
    EXPECT_EQ(w->Image1->geometry(), before);
}

TEST_F(AnteprimaTest, ZoomNeverReadsTheSpoolFile)
{
    auto w = apri(2, true);
    const FrozenPage shown = w->Image1->Picture();
    ASSERT_GT(shown->callCount(), 0u);
    QFile::remove(spool);
    premi(*w, QStringLiteral("ingrandisci"));
    premi(*w, QStringLiteral("riduci"));
    premi(*w, QStringLiteral("riduci"));
    premi(*w, QStringLiteral("reale"));
    EXPECT_EQ(w->Image1->Picture()->callCount(), shown->callCount());
    EXPECT_EQ(test::testiDi(w->Image1->Picture()), test::testiDi(shown));
}

// --- Display quality ---------------------------------------------------------------

TEST_F(AnteprimaTest, PageIsRasterisedAtTheShownScaleAndPixelRatio)
{
    auto w = apri(1, true);
    w->Image1->setDevicePixelRatioForTesting(2);
    premi(*w, QStringLiteral("ingrandisci"));
    premi(*w, QStringLiteral("ingrandisci")); // 400 %
    w->Image1->repaint();
    const QImage raster = w->Image1->raster();
    const QRect area = w->Image1->areaRaster();
    ASSERT_FALSE(raster.isNull());
    // Two device pixels per logical pixel of a page shown 4 times its size:
    // the raster was made at that size, not stretched from a smaller one.
    EXPECT_NEAR(raster.width(), 2 * area.width(), 1);
    EXPECT_NEAR(raster.height(), 2 * area.height(), 1);
    // Only the part around the viewport is rasterised.
    EXPECT_LT(area.width(), w->Image1->width());
    EXPECT_TRUE(area.contains(QRect(w->Image1->mapFrom(w->Picture1, QPoint(0, 0)), w->Picture1->size())));
}

TEST_F(AnteprimaTest, SmallScrollReusesTheRasterFarScrollMakesANewOne)
{
    auto w = apri(1, true);
    premi(*w, QStringLiteral("ingrandisci"));
    w->Image1->repaint();
    const int before = w->Image1->rasterizzazioni();
    w->VScroll1->setValue(w->VScroll1->value() + 3); // 30 twips: 2 pixels
    w->Image1->repaint(w->Image1->mapFrom(w->Picture1, QPoint(0, 0)).x(), 0, 10, 10);
    EXPECT_EQ(w->Image1->rasterizzazioni(), before);
    w->VScroll1->setValue(w->VScroll1->maximum());
    w->Image1->repaint(QRect(w->Image1->mapFrom(w->Picture1, QPoint(0, 0)), w->Picture1->size()));
    EXPECT_GT(w->Image1->rasterizzazioni(), before);
}

// --- Dragging and scroll bars ---------------------------------------------------------

struct Direzione
{
    const char *name;
    QPoint delta;
    bool right, bottom; // expected: page against the right / bottom edge (else left / top)
    bool movesX, movesY;
};

class DragTest : public AnteprimaTest, public ::testing::WithParamInterface<Direzione>
{};

TEST_P(DragTest, StopsAtTheEdge)
{
    const Direzione &d = GetParam();
    auto w = apri(1);
    w->HScroll1->setValue(w->HScroll1->maximum() / 2);
    w->VScroll1->setValue(w->VScroll1->maximum() / 2);
    const QRect before = w->Image1->geometry();
    trascina(*w, QPoint(200, 150), d.delta);
    EXPECT_FALSE(w->Trascinamento());
    const QRect after = w->Image1->geometry();
    const QRect vp = w->Picture1->rect();
    if (d.movesX) {
        if (d.right) {
            EXPECT_NEAR(after.right(), vp.right(), 1);
            EXPECT_EQ(w->HScroll1->value(), w->HScroll1->maximum());
        } else {
            EXPECT_EQ(after.left(), 0);
            EXPECT_EQ(w->HScroll1->value(), 0);
        }
    } else {
        EXPECT_EQ(after.left(), before.left());
    }
    if (d.movesY) {
        if (d.bottom) {
            EXPECT_NEAR(after.bottom(), vp.bottom(), 1);
            EXPECT_EQ(w->VScroll1->value(), w->VScroll1->maximum());
        } else {
            EXPECT_EQ(after.top(), 0);
            EXPECT_EQ(w->VScroll1->value(), 0);
        }
    } else {
        EXPECT_EQ(after.top(), before.top());
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, DragTest,
                         ::testing::Values(Direzione{"left", QPoint(900, 0), false, false, true, false},
                                           Direzione{"right", QPoint(-900, 0), true, false, true, false},
                                           Direzione{"top", QPoint(0, 900), false, false, false, true},
                                           Direzione{"bottom", QPoint(0, -900), false, true, false, true},
                                           Direzione{"bottomRight", QPoint(-900, -900), true, true, true, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, DragKeepsTheGrabbedPointUnderTheMouse)
{
    auto w = apri(1);
    const QPoint grab(200, 150);
    const QPoint pageBefore = w->Image1->mapFrom(w->Picture1, grab);
    trascina(*w, grab, QPoint(-30, -20));
    EXPECT_EQ(w->Image1->mapFrom(w->Picture1, grab - QPoint(30, 20)), pageBefore);
    EXPECT_EQ(w->HScroll1->value(), 30 * 15 / 10);
    EXPECT_EQ(w->VScroll1->value(), 20 * 15 / 10);
}

TEST_F(AnteprimaTest, DragCursorsCloseAndOpen)
{
    auto w = apri(1);
    const qint64 open = w->ApertaImage.pixmap().cacheKey();
    EXPECT_EQ(w->Image1->cursor().pixmap().cacheKey(), open);
    QTest::mousePress(w->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(w->Image1->cursor().pixmap().cacheKey(), w->ChiusaImage.pixmap().cacheKey());
    EXPECT_TRUE(w->Trascinamento());
    QTest::mouseRelease(w->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(w->Image1->cursor().pixmap().cacheKey(), open);
}

TEST_F(AnteprimaTest, ScrollBarsMoveThePageAndHandTheFocusBack)
{
    auto w = apri(1);
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->VScroll1->setValue(30);
    EXPECT_EQ(w->Image1->y(), -20); // 300 twips
    QTest::mouseClick(w->HScroll1, Qt::LeftButton, Qt::NoModifier,
                      QPoint(w->HScroll1->width() - 5, w->HScroll1->height() / 2));
    EXPECT_GT(w->HScroll1->value(), 0);
    EXPECT_EQ(QApplication::focusWidget(), w->Picture1)
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    for (QScrollBar *bar : {w->HScroll1, w->VScroll1}) {
        w->Text1->setFocus();
        bar->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(QApplication::focusWidget(), w->Picture1) << bar->objectName().toStdString();
    }
}

// --- Keys, link, close -----------------------------------------------------------------

TEST_F(AnteprimaTest, EscClosesWhicheverControlHasTheFocus)
{
    for (const char *name : {"Picture1", "Text1", "chkMassima"}) {
        auto w = apri(1);
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        const QString image = w->FileImmagine();
        ASSERT_TRUE(QFile::exists(image));
        auto *control = w->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << name;
        EXPECT_FALSE(QFile::exists(image)) << name;
        EXPECT_FALSE(w->isLoaded());
    }
}

TEST_F(AnteprimaTest, ClosedWindowLoadsAfreshOnNextUse)
{
    auto w = apri(2);
    premi(*w, QStringLiteral("esci"));
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->isLoaded());
    EXPECT_EQ(w->Picture2().Width(), 11520);
    EXPECT_TRUE(w->isLoaded());
    EXPECT_TRUE(w->DaInizializzare());
    EXPECT_TRUE(QFile::exists(w->FileImmagine()));
}

TEST_F(AnteprimaTest, LinkLabelOpensTheMakersPage)
{
    QStringList opened;
    platform::setOpenUrlHandlerForTesting([&](const QString &url) {
        opened << url;
        return true;
    });
    auto w = apri(1);
    QTest::mouseClick(w->lblsito, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{FrmAnteprima::IndirizzoSito()});
    EXPECT_EQ(w->lblsito->text(), FrmAnteprima::IndirizzoSito());
}

// --- Quality option ---------------------------------------------------------------------

struct Qualita
{
    const char *name;
    const char *stored; // nullptr: nothing stored yet
    uint32_t platformId;
    bool checked;
};

class QualitaTest : public AnteprimaTest, public ::testing::WithParamInterface<Qualita>
{};

TEST_P(QualitaTest, ReadAtLoad)
{
    const Qualita &q = GetParam();
    platform::SystemVersion version;
    version.platformId = q.platformId;
    platform::setSystemVersionForTesting(std::optional<platform::SystemVersion>(version));
    if (q.stored)
        platform::writeUserSetting("QVPREVIEW", "OPZIONE", "QUALITA", QString::fromLatin1(q.stored));
    FrmAnteprima w;
    w.Picture2();
    EXPECT_EQ(w.chkMassima->isChecked(), q.checked);
}

INSTANTIATE_TEST_SUITE_P(Settings, QualitaTest,
                         ::testing::Values(Qualita{"maxLower", "max", 3, true}, Qualita{"maxUpper", "MAX", 2, true},
                                           Qualita{"min", "Min", 3, false}, Qualita{"other", "alta", 3, false},
                                           Qualita{"firstRunLinux", nullptr, 3, true},
                                           Qualita{"firstRunNT", nullptr, 2, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, QualityWrittenOnClose)
{
    for (bool checked : {true, false}) {
        auto w = apri(1);
        if (w->chkMassima->isChecked() != checked)
            QTest::mouseClick(w->chkMassima, Qt::LeftButton);
        ASSERT_EQ(w->chkMassima->isChecked(), checked);
        premi(*w, QStringLiteral("esci"));
        EXPECT_EQ(platform::readUserSetting("QVPREVIEW", "OPZIONE", "QUALITA", "?"),
                  checked ? QStringLiteral("Max") : QStringLiteral("Min"));
    }
}

TEST_F(AnteprimaTest, UncheckingQualityGoesThroughTheBitmapFileOrFallsBack)
{
    auto w = apri(1, true);
    ASSERT_TRUE(w->chkMassima->isChecked());
    EXPECT_FALSE(w->ImmagineConvertita());
    QTest::mouseClick(w->chkMassima, Qt::LeftButton);
    EXPECT_FALSE(w->chkMassima->isChecked());
    // With the bitmap written and read back, every pixel shown is a halftone
    // colour; else the page is in full colour.
    w->Image1->repaint();
    if (w->ImmagineConvertita()) {
        CPalette halftone;
        halftone.CreateHalfTone();
        const QImage shown = w->Image1->raster();
        QSet<QRgb> colours;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                colours.insert(shown.pixel(x, y) & 0xFFFFFF);
        EXPECT_GT(colours.size(), 1);
        for (const QRgb c : colours) {
            const PaletteEntry e = halftone.Entry(halftone.ClosestIndex(qRed(c), qGreen(c), qBlue(c)));
            EXPECT_EQ(qRgb(e.red, e.green, e.blue) & 0xFFFFFF, c) << std::hex << c;
        }
        EXPECT_GT(QFileInfo(w->FileImmagine()).size(), 1078);
    }
    EXPECT_FALSE(w->Image1->raster().isNull());
    EXPECT_NE(w->Image1->Picture(), nullptr);
    QTest::mouseClick(w->chkMassima, Qt::LeftButton);
    EXPECT_FALSE(w->ImmagineConvertita());
}

TEST_F(AnteprimaTest, EmptyImageFileNameShowsFullColour)
{
    // No file can be created in /proc: the page image file name is empty.
    qputenv("TMPDIR", "/proc/");
    spool = env.root() + QStringLiteral("documento.tmp");
    ASSERT_TRUE(test::scriviDocumento(spool, 1, true));
    platform::writeUserSetting("QVPREVIEW", "OPZIONE", "QUALITA", "Min");
    FrmAnteprima w;
    w.setFileTemporaneo(spool);
    w.setPagineTotali(1);
    w.InizializzaAnteprima();
    ASSERT_TRUE(w.FileImmagine().isEmpty());
    ASSERT_FALSE(w.chkMassima->isChecked());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_FALSE(w.ImmagineConvertita());
    w.Image1->repaint();
    EXPECT_FALSE(w.Image1->raster().isNull());
    EXPECT_NE(w.Image1->raster().format(), QImage::Format_Indexed8);
}

// --- Printing ------------------------------------------------------------------------------

/// Answers the options dialog that the print command opens: runs the
/// answer on it as soon as it is shown, for as long as this object lives.
class Risponditore
{
public:
    explicit Risponditore(std::function<void(QDialog &)> answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->windowTitle() != QStringLiteral("Opzioni"))
                return;
            ++volte;
            answer(*dialog);
        });
        m_timer.start(5);
    }
    int volte = 0;

private:
    QTimer m_timer;
};

struct Stampato
{
    int16_t copie;
    int32_t inizio, fine;
    QString file, titolo;
};

TEST_F(AnteprimaTest, NoPrinterGivesOnlyTheMessage)
{
    auto w = apri(2);
    Risponditore dialog([](QDialog &d) { d.reject(); });
    premi(*w, QStringLiteral("stampa"));
    QTest::qWait(20);
    ASSERT_EQ(messaggi.size(), 1u);
    EXPECT_EQ(messaggi[0].testo, QStringLiteral("Per poter Stampare bisogna avere una stampante installata."));
    EXPECT_EQ(messaggi[0].titolo, QStringLiteral("Stampa"));
    EXPECT_EQ(messaggi[0].icona, platform::MessageIcon::Information);
    EXPECT_EQ(dialog.volte, 0);
}

TEST_F(AnteprimaTest, PrintingFromPage3Of5)
{
    test::TempEnv::onePrinter(11520, 15872);
    std::vector<Stampato> printed;
    FrmAnteprima::setStampaHookForTesting([&](const MotoreStampa &m) {
        printed.push_back({m.Copie(), m.Inizio(), m.Fine(), m.FileTemporaneo(), m.Titolo()});
    });
    auto w = apri(5);
    w->setTitolo(QStringLiteral("Fatture"));
    premi(*w, QStringLiteral("successiva"));
    premi(*w, QStringLiteral("successiva"));
    ASSERT_EQ(w->Text1->text(), QStringLiteral(" 3/5"));

    // "Pagina Corrente": the dialog was told the page on show.
    {
        Risponditore corrente([&](QDialog &d) {
            QTest::mouseClick(d.findChild<QRadioButton *>(QStringLiteral("OptCorrente")), Qt::LeftButton);
            QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        premi(*w, QStringLiteral("stampa"));
        ASSERT_EQ(corrente.volte, 1);
    }
    // "Tutte le Pagine" with 3 copies: the dialog was told the page count.
    {
        Risponditore tutte([&](QDialog &d) {
            QTest::mouseClick(d.findChild<QRadioButton *>(QStringLiteral("OptTutte")), Qt::LeftButton);
            auto *plus = d.findChild<QPushButton *>(QStringLiteral("CmdPiu"));
            QTest::mouseClick(plus, Qt::LeftButton);
            QTest::mouseClick(plus, Qt::LeftButton);
            QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        premi(*w, QStringLiteral("stampa"));
        ASSERT_EQ(tutte.volte, 1);
    }

    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].inizio, 3);
    EXPECT_EQ(printed[0].fine, 3);
    EXPECT_EQ(printed[0].copie, 1);
    EXPECT_EQ(printed[0].file, spool);
    EXPECT_EQ(printed[0].titolo, QStringLiteral("Fatture"));
    EXPECT_EQ(printed[1].inizio, 1);
    EXPECT_EQ(printed[1].fine, 5);
    EXPECT_EQ(printed[1].copie, 3);
    EXPECT_TRUE(messaggi.empty());
    // The preview stays as it was.
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/5"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AnteprimaTest, CancelledDialogPrintsNothing)
{
    test::TempEnv::onePrinter(11520, 15872);
    int printed = 0;
    FrmAnteprima::setStampaHookForTesting([&](const MotoreStampa &) { ++printed; });
    auto w = apri(2);
    Risponditore annulla(
        [&](QDialog &d) { QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton); });
    w->mnfile->findChild<QAction *>(QStringLiteral("mnstampa"))->trigger();
    ASSERT_EQ(annulla.volte, 1);
    EXPECT_EQ(printed, 0);
    EXPECT_TRUE(messaggi.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AnteprimaTest, PrintEngineErrorIsShownWithoutIcon)
{
    test::TempEnv::onePrinter(11520, 15872);
    FrmAnteprima::setStampaHookForTesting([](const MotoreStampa &) {
        throw Error(1001, QStringLiteral("MotoreStampa"), QStringLiteral("La stampante non risponde"));
    });
    auto w = apri(2);
    Risponditore ok(
        [&](QDialog &d) { QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton); });
    premi(*w, QStringLiteral("stampa"));
    ASSERT_EQ(ok.volte, 1);
    ASSERT_EQ(messaggi.size(), 1u);
    EXPECT_EQ(messaggi[0].testo, QStringLiteral("La stampante non risponde"));
    EXPECT_EQ(messaggi[0].icona, platform::MessageIcon::None);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The window prints the file it was handed and no other: a file that took
// its name since is refused with error 53, as the control refuses it, and
// the outcome goes to the window's listener (the control's lastPrintError()).
TEST_F(AnteprimaTest, PrintsOnlyTheFileItWasHanded)
{
    test::TempEnv::onePrinter(11520, 15872);
    int printed = 0;
    FrmAnteprima::setStampaHookForTesting([&](const MotoreStampa &) { ++printed; });
    auto w = apri(2);
    std::vector<PrintOutcome> outcomes;
    w->setPrintListener([&](const PrintOutcome &o) { outcomes.push_back(o); });
    Risponditore ok(
        [&](QDialog &d) { QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton); });
    premi(*w, QStringLiteral("stampa"));
    EXPECT_EQ(printed, 1);

    // Made while the file on show exists, so it cannot take its inode.
    const QString other = env.tempFolder() + QStringLiteral("altro.tmp");
    ASSERT_TRUE(test::scriviDocumento(other, 2, false, 5));
    ASSERT_TRUE(QFile::remove(spool));
    ASSERT_TRUE(QFile::rename(other, spool));
    premi(*w, QStringLiteral("stampa"));
    ASSERT_EQ(ok.volte, 2);
    EXPECT_EQ(printed, 1) << "the other file was printed";
    ASSERT_EQ(messaggi.size(), 1u);
    EXPECT_TRUE(messaggi[0].testo.contains(spool)) << qPrintable(messaggi[0].testo);
    EXPECT_EQ(messaggi[0].icona, platform::MessageIcon::None);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].result, PrintOutcome::Result::Printed);
    EXPECT_FALSE(outcomes[0].error);
    EXPECT_EQ(outcomes[1].result, PrintOutcome::Result::Failed);
    ASSERT_TRUE(outcomes[1].error);
    EXPECT_EQ(outcomes[1].error->number(), ErrFileNotFound);
    EXPECT_TRUE(QFile::exists(spool)) << "nothing is discarded";
}

/// The built-in PDF printer as the only printer, as on a machine without a
/// CUPS queue; HOME is a new account's, without a documents folder.
class StampaPdfTest : public AnteprimaTest
{
protected:
    void SetUp() override
    {
        AnteprimaTest::SetUp();
        platform::setPrintersForTesting(
            QList<platform::PrinterDesc>{{platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
        platform::setPdfOutputFile({});
        m_home = qgetenv("HOME");
        casa = env.root() + QStringLiteral("casa");
        QDir().mkpath(casa);
        qputenv("HOME", QFile::encodeName(casa));
        qunsetenv("QVPREVIEW_PDF_DIR");
    }
    void TearDown() override
    {
        qputenv("HOME", m_home);
        platform::setPdfOutputFile({});
        AnteprimaTest::TearDown();
    }
    /// Prints from the window, confirming the options dialog.
    void stampa(FrmAnteprima &w)
    {
        Risponditore ok([&](QDialog &d) {
            QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        premi(w, QStringLiteral("stampa"));
        ASSERT_EQ(ok.volte, 1);
    }

    QString casa;

private:
    QByteArray m_home;
};

TEST_F(StampaPdfTest, TheDocumentsFolderIsMadeAndTheUserToldWhereThePdfIs)
{
    auto w = apri(2);
    w->setTitolo(QStringLiteral("Fattura 9"));
    stampa(*w);
    ASSERT_EQ(messaggi.size(), 1u);
    const QString prefix = QStringLiteral("Il documento è stato stampato nel file PDF:\n");
    EXPECT_TRUE(messaggi[0].testo.startsWith(prefix + casa + QStringLiteral("/Documents/Fattura 9-")))
        << qPrintable(messaggi[0].testo);
    EXPECT_EQ(messaggi[0].titolo, QStringLiteral("Stampa"));
    EXPECT_EQ(messaggi[0].icona, platform::MessageIcon::Information);
    const QString pdf = messaggi[0].testo.mid(prefix.size());
    EXPECT_TRUE(QFileInfo(pdf).isFile()) << qPrintable(pdf);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(StampaPdfTest, AFailedPdfNamesTheFileAndTheReason)
{
    const QString pdf = env.root() + QStringLiteral("altrove/out.pdf");
    platform::setPdfOutputFile(pdf);
    auto w = apri(2);
    stampa(*w);
    ASSERT_EQ(messaggi.size(), 1u);
    EXPECT_TRUE(messaggi[0].testo.contains(pdf)) << qPrintable(messaggi[0].testo);
    EXPECT_TRUE(messaggi[0].testo.contains(QStringLiteral("non esiste"))) << qPrintable(messaggi[0].testo);
    EXPECT_EQ(messaggi[0].icona, platform::MessageIcon::None);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- A fresh window each time ------------------------------------------------------------

TEST_F(AnteprimaTest, ClosedAfterResizeScrollAndDragOpensFresh)
{
    auto w = apri(3);
    const QSize designSize = w->size();
    const QRect firstPlace = w->Image1->geometry();
    // The user makes it larger, zooms, scrolls, drags, and closes it.
    w->resize(900, 700);
    premi(*w, QStringLiteral("ingrandisci"));
    w->VScroll1->setValue(200);
    w->HScroll1->setValue(100);
    trascina(*w, QPoint(200, 150), QPoint(-13, -7));
    QTest::keyClick(w->Picture1, Qt::Key_Escape);
    ASSERT_FALSE(w->isVisible());

    // The next preview, as the control opens it.
    w->setFileTemporaneo(spool);
    w->setPagineTotali(3);
    w->InizializzaAnteprima();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->size(), designSize);
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_EQ(w->HScroll1->value(), 0);
    EXPECT_EQ(w->VScroll1->value(), 0);
    EXPECT_EQ(w->Image1->geometry(), firstPlace);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    100%"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/3"));
}

// --- A redraw leaves the page where it is --------------------------------------------------

struct Ridisegno
{
    const char *name;
    double twipsPerPixel;
    bool qualita; // the quality box clicked twice instead of "Aggiorna"
};

class RidisegnoTest : public AnteprimaTest, public ::testing::WithParamInterface<Ridisegno>
{};

TEST_P(RidisegnoTest, AfterADragThePageStaysPut)
{
    platform::setTwipsPerPixelForTesting(GetParam().twipsPerPixel, GetParam().twipsPerPixel);
    auto w = apri(2);
    // Off the scroll bars' 10-twip grid.
    trascina(*w, QPoint(200, 150), QPoint(-7, -5), 1);
    const QRectF dragged = w->Geometria().immagine();
    const QRect shown = w->Image1->geometry();
    ASSERT_NE(std::fmod(dragged.top(), 10.0), 0.0);
    if (GetParam().qualita) {
        QTest::mouseClick(w->chkMassima, Qt::LeftButton);
        QTest::mouseClick(w->chkMassima, Qt::LeftButton);
    } else {
        w->mnfile->findChild<QAction *>(QStringLiteral("mnaggiorna"))->trigger();
    }
    EXPECT_EQ(w->Geometria().immagine(), dragged);
    EXPECT_EQ(w->Image1->geometry(), shown);
}

INSTANTIATE_TEST_SUITE_P(Redraw, RidisegnoTest,
                         ::testing::Values(Ridisegno{"refresh96dpi", 15, false}, Ridisegno{"refresh192dpi", 7.5, false},
                                           Ridisegno{"quality192dpi", 7.5, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- A broken spool file is shown as broken ---------------------------------------------------

struct Rotto
{
    const char *name;
    QByteArray contenuto;
    const char *messaggio; // part of the error shown
    QStringList disegnati; // texts drawn before the error
};

class RottoTest : public AnteprimaTest, public ::testing::WithParamInterface<Rotto>
{};

TEST_P(RottoTest, ShowsWhatWasDrawnAndTheErrorWithoutClosing)
{
    const Rotto &c = GetParam();
    auto finestra = apri(c.contenuto, 2);
    FrmAnteprima &w = *finestra;
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.fraErrore->isVisible());
    const QString shown = w.lblErrore->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Pagina 1 mostrata solo in parte: Errore nel file di stampa")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromUtf8(c.messaggio))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(spool)) << shown.toStdString();
    // The page is shown as far as it was drawn, at 100 %, from the start.
    EXPECT_EQ(test::testiDi(w.Image1->Picture()), c.disegnati);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Anteprima di Stampa    100%"));
    ASSERT_TRUE(w.PrimoErrore().has_value());
    EXPECT_EQ(w.PrimoErrore()->file(), spool);
    // The bar lies over the top of the page, as wide as it.
    EXPECT_EQ(w.fraErrore->geometry().topLeft(), w.Picture1->geometry().topLeft());
    EXPECT_EQ(w.fraErrore->width(), w.Picture1->width());
    // A zoom step shows the same page, not more of it.
    premi(w, QStringLiteral("ingrandisci"));
    EXPECT_EQ(test::testiDi(w.Image1->Picture()), c.disegnati);
    // The bar can be put away.
    QTest::mouseClick(w.fraErrore->findChild<QWidget *>(QStringLiteral("cmdNascondiErrore")), Qt::LeftButton);
    EXPECT_FALSE(w.fraErrore->isVisible());
    EXPECT_TRUE(w.isVisible());
}

const QByteArray PrimaPaginaBuona = test::testo(1440, 2880, "Prima riga") + test::riquadro(1440, 3000, 5760, 3600);

INSTANTIATE_TEST_SUITE_P(
    Files, RottoTest,
    ::testing::Values(
        Rotto{"cutInsidePage1",
              PrimaPaginaBuona + "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1440,40",
              "riga 12: fine del file inattesa, atteso \"#endprint@\"",
              {QStringLiteral("Prima riga")}},
        Rotto{
            "badNumberInFirstRecord",
            "#print@\r\n\"Arial\",1x0,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1440,2880\r\nPrima\r\n#endprint@\r\n"
            "#newpage@\r\n"
                + test::testo(1440, 2880, "Seconda"),
            "riga 2: atteso un numero per FontSize, trovato \"1x0\"",
            {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, ErrorOfAPageGoesAwayOnAGoodPageAndComesBack)
{
    auto finestra =
        apri(test::testo(1440, 2880, "Pagina 1") + test::interruzione() + "#line@\r\n0,13,1,0,0,1\r\nabc\r\n", 2);
    FrmAnteprima &w = *finestra;
    EXPECT_FALSE(w.fraErrore->isVisible());
    EXPECT_FALSE(w.PrimoErrore());
    premi(w, QStringLiteral("successiva"));
    EXPECT_TRUE(w.fraErrore->isVisible());
    EXPECT_TRUE(w.lblErrore->text().startsWith(QStringLiteral("Pagina 2 mostrata solo in parte: ")));
    EXPECT_TRUE(w.lblErrore->text().contains(QStringLiteral("trovato \"abc\"")));
    premi(w, QStringLiteral("prima"));
    EXPECT_FALSE(w.fraErrore->isVisible());
    // The first error is kept for whoever opened the window.
    ASSERT_TRUE(w.PrimoErrore());
    EXPECT_EQ(w.PrimoErrore()->number(), ErrTypeMismatch);
}

// --- Navigation as in a document viewer ----------------------------------------------------

/// Where the page stands vertically after a key or the wheel.
enum class Verticale { Cima, Fondo, Mezzo };

struct Tasti
{
    const char *name;
    std::vector<std::pair<int, Qt::KeyboardModifiers>> prima; // to get there, beeps not counted
    int tasto;
    Qt::KeyboardModifiers modificatori;
    const char *indicatore;
    int beep;
    Verticale dove;
};

void PrintTo(const Tasti &t, std::ostream *os)
{
    *os << t.name;
}

class TastiTest : public AnteprimaTest, public ::testing::WithParamInterface<Tasti>
{};

TEST_P(TastiTest, KeysOnThePage)
{
    const Tasti &t = GetParam();
    auto w = apri(3);
    for (const auto &[key, mods] : t.prima)
        QTest::keyClick(w->Picture1, Qt::Key(key), mods);
    beeps = 0;
    QTest::keyClick(w->Picture1, Qt::Key(t.tasto), t.modificatori);
    EXPECT_EQ(w->Text1->text(), QString::fromLatin1(t.indicatore));
    EXPECT_EQ(beeps, t.beep);
    switch (t.dove) {
    case Verticale::Cima: EXPECT_EQ(w->VScroll1->value(), 0); break;
    case Verticale::Fondo: EXPECT_EQ(w->VScroll1->value(), w->VScroll1->maximum()); break;
    case Verticale::Mezzo:
        EXPECT_GT(w->VScroll1->value(), 0);
        EXPECT_LT(w->VScroll1->value(), w->VScroll1->maximum());
        break;
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

constexpr Qt::KeyboardModifiers Nessuno = Qt::NoModifier;
const std::pair<int, Qt::KeyboardModifiers> FondoPagina{Qt::Key_PageDown, Nessuno};

INSTANTIATE_TEST_SUITE_P(
    Keys, TastiTest,
    ::testing::Values(
        Tasti{"pageDownScrolls", {}, Qt::Key_PageDown, Nessuno, " 1/3", 0, Verticale::Mezzo},
        Tasti{"spaceScrolls", {}, Qt::Key_Space, Nessuno, " 1/3", 0, Verticale::Mezzo},
        Tasti{"downScrolls", {}, Qt::Key_Down, Nessuno, " 1/3", 0, Verticale::Mezzo},
        Tasti{"pageDownAtTheBottomGoesOnToTheTop",
              {FondoPagina, FondoPagina, FondoPagina},
              Qt::Key_PageDown,
              Nessuno,
              " 2/3",
              0,
              Verticale::Cima},
        Tasti{"pageUpAtTheTopGoesBackToTheBottom",
              {{Qt::Key_End, Nessuno}},
              Qt::Key_PageUp,
              Nessuno,
              " 2/3",
              0,
              Verticale::Fondo},
        Tasti{"shiftSpaceAtTheTopGoesBack",
              {{Qt::Key_End, Nessuno}},
              Qt::Key_Space,
              Qt::ShiftModifier,
              " 2/3",
              0,
              Verticale::Fondo},
        Tasti{"pageUpOnTheFirstPageTopBeeps", {}, Qt::Key_PageUp, Nessuno, " 1/3", 1, Verticale::Cima},
        Tasti{"upOnTheFirstPageTopBeeps", {}, Qt::Key_Up, Nessuno, " 1/3", 1, Verticale::Cima},
        Tasti{"pageDownAtTheLastBottomBeeps",
              {{Qt::Key_End, Nessuno}, FondoPagina, FondoPagina, FondoPagina},
              Qt::Key_PageDown,
              Nessuno,
              " 3/3",
              1,
              Verticale::Fondo},
        Tasti{"endGoesToTheLastPage", {}, Qt::Key_End, Nessuno, " 3/3", 0, Verticale::Cima},
        Tasti{"endOnTheLastPageBeeps", {{Qt::Key_End, Nessuno}}, Qt::Key_End, Nessuno, " 3/3", 1, Verticale::Cima},
        Tasti{"homeGoesToTheFirstPage", {{Qt::Key_End, Nessuno}}, Qt::Key_Home, Nessuno, " 1/3", 0, Verticale::Cima},
        Tasti{"homeOnTheFirstPageBeeps", {}, Qt::Key_Home, Nessuno, " 1/3", 1, Verticale::Cima},
        // Ctrl+PgDn and Ctrl+PgUp turn a whole page from anywhere on it, as the page buttons do
        // (the place on the page stays).
        Tasti{"ctrlPageDownTurnsFromTheMiddle",
              {FondoPagina},
              Qt::Key_PageDown,
              Qt::ControlModifier,
              " 2/3",
              0,
              Verticale::Mezzo},
        Tasti{"ctrlPageUpTurnsBack",
              {{Qt::Key_End, Nessuno}, FondoPagina},
              Qt::Key_PageUp,
              Qt::ControlModifier,
              " 2/3",
              0,
              Verticale::Mezzo},
        Tasti{"ctrlPageDownOnTheLastPageBeeps",
              {{Qt::Key_End, Nessuno}},
              Qt::Key_PageDown,
              Qt::ControlModifier,
              " 3/3",
              1,
              Verticale::Cima},
        // F5 redraws the page where it is.
        Tasti{"f5RedrawsInPlace", {FondoPagina}, Qt::Key_F5, Nessuno, " 1/3", 0, Verticale::Mezzo}),
    [](const auto &info) { return std::string(info.param.name); });

struct TastoZoom
{
    const char *name;
    std::vector<std::pair<int, Qt::KeyboardModifiers>> tasti;
    const char *caption;
    int beep;
};

class TastoZoomTest : public AnteprimaTest, public ::testing::WithParamInterface<TastoZoom>
{};

TEST_P(TastoZoomTest, ZoomKeys)
{
    auto w = apri(1);
    for (const auto &[key, mods] : GetParam().tasti)
        QTest::keyClick(w->Picture1, Qt::Key(key), mods);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    ") + QLatin1String(GetParam().caption));
    EXPECT_EQ(beeps, GetParam().beep);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TastoZoomTest,
    ::testing::Values(TastoZoom{"plus", {{Qt::Key_Plus, Nessuno}}, "200%", 0},
                      TastoZoom{"ctrlEquals", {{Qt::Key_Equal, Qt::ControlModifier}}, "200%", 0},
                      TastoZoom{"minus", {{Qt::Key_Minus, Nessuno}}, "50%", 0},
                      TastoZoom{"plusBeyond400Beeps",
                                {{Qt::Key_Plus, Nessuno}, {Qt::Key_Plus, Nessuno}, {Qt::Key_Plus, Nessuno}},
                                "400%",
                                1},
                      TastoZoom{
                          "ctrlZeroIs100", {{Qt::Key_Plus, Nessuno}, {Qt::Key_0, Qt::ControlModifier}}, "100%", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, RightArrowScrollsAWidePageAndTurnsANarrowOne)
{
    auto w = apri(2);
    ASSERT_TRUE(w->HScroll1->isEnabled()); // 100 %: wider than the window
    QTest::keyClick(w->Picture1, Qt::Key_Right);
    EXPECT_EQ(w->HScroll1->value(), 30);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/2"));
    QTest::keyClick(w->Picture1, Qt::Key_Minus);
    ASSERT_FALSE(w->HScroll1->isEnabled());
    QTest::keyClick(w->Picture1, Qt::Key_Right);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/2"));
    QTest::keyClick(w->Picture1, Qt::Key_Left);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/2"));
}

TEST_F(AnteprimaTest, CtrlPPrints)
{
    auto w = apri(2);
    QTest::keyClick(w->Picture1, Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(messaggi.size(), 1u); // no printer here: the print command's message
    EXPECT_EQ(messaggi[0].titolo, QStringLiteral("Stampa"));
}

// --- The wheel ---------------------------------------------------------------------------------

/// Turns the wheel over the page by \a scatti notches (positive: towards the
/// user, which scrolls down), each of \a gradi eighths of a degree.
void rotella(FrmAnteprima &w, int scatti, Qt::KeyboardModifiers mods = Qt::NoModifier, int gradi = 120)
{
    const QPointF at(100, 100);
    for (int i = 0; i < std::abs(scatti); ++i) {
        const int delta = scatti > 0 ? -gradi : gradi;
        QWheelEvent e(at, w.Image1->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                      false);
        // As from the window system: a wheel event the page does not take
        // goes on to its parents.
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(w.Image1, &e);
    }
}

TEST_F(AnteprimaTest, WheelScrollsThenTurnsThePageWithoutBeeping)
{
    auto w = apri(2);
    rotella(*w, 1);
    EXPECT_EQ(w->VScroll1->value(), 3 * 30); // three lines of 300 twips
    rotella(*w, 100);                        // to the bottom, where it stops
    EXPECT_EQ(w->VScroll1->value(), w->VScroll1->maximum());
    // Those that came after the bottom turned the page, shown from its top.
    rotella(*w, -1);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/2"));
    EXPECT_EQ(beeps, 0);

    auto fresh = apri(2);
    rotella(*fresh, 11); // 9,900 twips: not yet at the bottom
    ASSERT_LT(fresh->VScroll1->value(), fresh->VScroll1->maximum());
    rotella(*fresh, 1);
    EXPECT_EQ(fresh->VScroll1->value(), fresh->VScroll1->maximum()); // stops at the bottom first
    EXPECT_EQ(fresh->Text1->text(), QStringLiteral(" 1/2"));
    rotella(*fresh, 1);
    EXPECT_EQ(fresh->Text1->text(), QStringLiteral(" 2/2"));
    EXPECT_EQ(fresh->VScroll1->value(), 0);
    rotella(*fresh, -1); // at the top: back to page 1, at its bottom
    EXPECT_EQ(fresh->Text1->text(), QStringLiteral(" 1/2"));
    EXPECT_EQ(fresh->VScroll1->value(), fresh->VScroll1->maximum());
    rotella(*fresh, 100); // past the end of the document: no beep
    EXPECT_EQ(fresh->Text1->text(), QStringLiteral(" 2/2"));
    EXPECT_EQ(beeps, 0);
}

TEST_F(AnteprimaTest, SmallWheelStepsAddUpToOnePageTurn)
{
    auto w = apri(2);
    QTest::keyClick(w->Picture1, Qt::Key_Minus);
    QTest::keyClick(w->Picture1, Qt::Key_Minus); // 25 %: the page fits, nothing to scroll
    rotella(*w, 3, Qt::NoModifier, 30);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/2"));
    rotella(*w, 1, Qt::NoModifier, 30);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/2"));
}

TEST_F(AnteprimaTest, CtrlWheelZoomsByTheStepsWithoutBeeping)
{
    auto w = apri(1);
    rotella(*w, -1, Qt::ControlModifier);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    200%"));
    rotella(*w, -5, Qt::ControlModifier);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    400%"));
    rotella(*w, 2, Qt::ControlModifier);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    100%"));
    EXPECT_EQ(beeps, 0);
}

// --- Fitted zooms ---------------------------------------------------------------------------------

struct Adatta
{
    const char *name;
    const char *voce; // menu item, or nullptr for the key
    Qt::Key tasto;
    bool pagina;      // fit page (else fit width)
    const char *dopo; // "ingrandisci", "riduci" or nullptr
    double passo;     // the zoom expected after that command
};

class AdattaTest : public AnteprimaTest, public ::testing::WithParamInterface<Adatta>
{};

TEST_P(AdattaTest, FitsAndStepsOnFromThere)
{
    const Adatta &c = GetParam();
    auto w = apri(1);
    if (c.voce)
        w->mnfile->findChild<QAction *>(QLatin1String(c.voce))->trigger();
    else
        QTest::keyClick(w->Picture1, c.tasto);
    const QSizeF vp = w->Geometria().viewport();
    const double fattore = c.pagina ? std::min(vp.width() / 11520, vp.height() / 15872) : vp.width() / 11520;
    EXPECT_NEAR(w->Geometria().zoom(), fattore, 1e-9);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Anteprima di Stampa    %1%").arg(int(std::floor(fattore * 100 + 0.5))));
    // The whole page, or its whole width, is in the window.
    EXPECT_LE(w->Image1->width(), w->Picture1->width());
    if (c.pagina) {
        EXPECT_LE(w->Image1->height(), w->Picture1->height());
    }
    EXPECT_FALSE(w->HScroll1->isEnabled() && w->HScroll1->maximum() > 0);
    if (c.dopo) {
        premi(*w, QLatin1String(c.dopo));
        EXPECT_DOUBLE_EQ(w->Geometria().zoom(), c.passo);
    }
    EXPECT_EQ(beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fit, AdattaTest,
    ::testing::Values(Adatta{"pageByMenu", "mnpagina", Qt::Key_unknown, true, nullptr, 0},
                      Adatta{"widthByMenu", "mnlarghezza", Qt::Key_unknown, false, nullptr, 0},
                      Adatta{"pageByKey", nullptr, Qt::Key_F, true, nullptr, 0},
                      Adatta{"widthByKey", nullptr, Qt::Key_W, false, nullptr, 0},
                      // The window shows 566 x 341 pixels: the page fits at 32 %, its width at 74 %.
                      Adatta{"pageThenIn", "mnpagina", Qt::Key_unknown, true, "ingrandisci", 0.5},
                      Adatta{"pageThenOut", "mnpagina", Qt::Key_unknown, true, "riduci", 0.25},
                      Adatta{"widthThenIn", "mnlarghezza", Qt::Key_unknown, false, "ingrandisci", 1.0},
                      Adatta{"widthThenOut", "mnlarghezza", Qt::Key_unknown, false, "riduci", 0.5}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, FittedZoomFollowsTheWindowUntilAStep)
{
    auto w = apri(1);
    QTest::keyClick(w->Picture1, Qt::Key_W);
    w->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_NEAR(w->Geometria().zoom(), w->Geometria().viewport().width() / 11520, 1e-9);
    EXPECT_EQ(w->Image1->width(), w->Picture1->width());
    QTest::keyClick(w->Picture1, Qt::Key_Plus);
    const double dopoPasso = w->Geometria().zoom();
    w->resize(700, 500);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(w->Geometria().zoom(), dopoPasso);
}

// --- A typed page number -----------------------------------------------------------------------

struct Digitato
{
    const char *name;
    const char *testo;
    const char *indicatore;
    int beep;
};

class DigitatoTest : public AnteprimaTest, public ::testing::WithParamInterface<Digitato>
{};

TEST_P(DigitatoTest, EnterGoesToTheTypedPage)
{
    auto w = apri(5);
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::mouseClick(w->Text1, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(w->Text1->hasFocus());
    EXPECT_EQ(w->Text1->selectedText(), w->Text1->text()); // typing replaces the indicator
    QTest::keyClicks(w->Text1, QString::fromLatin1(GetParam().testo));
    QTest::keyClick(w->Text1, Qt::Key_Return);
    EXPECT_EQ(w->Text1->text(), QString::fromLatin1(GetParam().indicatore));
    EXPECT_EQ(beeps, GetParam().beep);
    // The page has the keys again.
    EXPECT_EQ(QApplication::focusWidget(), w->Picture1);
    if (GetParam().beep == 0) {
        const QString atteso = QStringLiteral("Pagina ") + QString(QLatin1String(GetParam().indicatore)).mid(1, 1);
        EXPECT_EQ(test::testiDi(w->Image1->Picture()), QStringList{atteso});
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, DigitatoTest,
                         ::testing::Values(Digitato{"inside", "4", " 4/5", 0}, Digitato{"last", "5", " 5/5", 0},
                                           Digitato{"current", "1", " 1/5", 0},
                                           Digitato{"withTheCount", "3/5", " 3/5", 0},
                                           Digitato{"beyondTheEnd", "6", " 1/5", 1}, Digitato{"zero", "0", " 1/5", 1},
                                           Digitato{"huge", "99999999999", " 1/5", 1},
                                           Digitato{"lettersAreNotTaken", "x", " 1/5", 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AnteprimaTest, LeavingThePageIndicatorWithoutEnterKeepsThePage)
{
    auto w = apri(5);
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::mouseClick(w->Text1, Qt::LeftButton);
    QTest::keyClicks(w->Text1, QStringLiteral("4"));
    QTest::mouseClick(w->Image1, Qt::LeftButton); // elsewhere
    w->Picture1->setFocus();
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/5"));
    EXPECT_EQ(w->PaginaVisualizzata(), 0);
}

} // namespace
} // namespace qv
