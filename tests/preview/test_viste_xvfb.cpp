// SPDX-License-Identifier: MIT
// The continuous view and the thumbnail pane of the preview window on a real
// X server (Xvfb), driven by keys, the wheel, the mouse and the toolbar as
// a user drives them. Screenshots of both are kept as test artefacts
// (continua-<scale>x.png, miniature-<scale>x.png).
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "preview/PageShadow.h"
#include "preview/ThumbnailPane.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "support/TestEnv.h"
#include "support/WindowOnShow.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace qv {
namespace {

class VisteXvfb : public ::testing::Test
{
protected:
    /// A window on \a pagine pages ("Pagina n" on each, or invoices), shown
    /// and activated, opened with \a options.
    void apri(int pagine, bool fattura = false, const PreviewWindowOptions &options = {})
    {
        test::TempEnv::noPrinters();
        spool = env.tempFolder() + QStringLiteral("documento.tmp");
        ASSERT_TRUE(test::scriviDocumento(spool, pagine, fattura, 20));
        mostra(pagine, options);
    }
    /// A window on the document already in \a spool, of \a pagine pages.
    void mostra(int pagine, const PreviewWindowOptions &options = {})
    {
        platform::setBeepHandlerForTesting([this] { ++beeps; });
        w = std::make_unique<FrmAnteprima>();
        w->setWindowOptions(options);
        w->setFileTemporaneo(spool);
        w->setPagineTotali(pagine);
        w->setTitolo(QStringLiteral("Viste"));
        w->InizializzaAnteprima();
        test::showActive(*w);
    }

    void tasto(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { test::keyToFocus(*w, key, mods); }

    /// An item of the views' menu (the arrow of the toolbar's "continua").
    QAction *voce(const char *nome)
    {
        QMenu *menu = w->findChild<QMenu *>(QStringLiteral("mnviste"));
        return menu ? menu->findChild<QAction *>(QLatin1String(nome)) : nullptr;
    }

    ContinuousView &vista() { return *w->vistaContinua(); }
    QScrollBar &barraV() { return *vista().verticalScrollBar(); }

    /// Turns the wheel \a scatti notches over the middle of \a widget
    /// (positive: away from the user, up the document).
    static void rotella(QWidget *widget, int scatti, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPointF centro = QPointF(widget->rect().center());
        QWheelEvent e(centro, widget->mapToGlobal(centro), QPoint(), QPoint(0, 120 * scatti), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &e);
    }

    /// What the window shows, saved as \a nome-<scale>x.png in the artefacts.
    void fotografa(const QString &nome)
    {
        // The scroll bars show or hide themselves on a posted event.
        QCoreApplication::processEvents();
        const QPixmap shot = w->grab();
        const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/%1-%2x.png").arg(nome).arg(qRound(w->devicePixelRatioF()));
        EXPECT_TRUE(shot.save(file));
        std::printf("screenshot: %s\n", qPrintable(file));
    }

    void TearDown() override { platform::setBeepHandlerForTesting({}); }

    test::TempEnv env;
    int beeps = 0;
    QString spool;
    std::unique_ptr<FrmAnteprima> w;
};

// Each page at the size and orientation it was recorded with: a portrait
// report with a landscape table (page 3) and a Letter page (page 5), shown
// in the continuous view and the single page, and fitted to the page in view.
TEST_F(VisteXvfb, EachPageAtItsOwnRecordedSizeInEveryView)
{
    test::TempEnv::noPrinters();
    const auto layout = [](QPageSize::PageSizeId id, QPageLayout::Orientation o) {
        spool::Record record(spool::TagPage);
        spool::writePageLayout(record, QPageLayout(QPageSize(id), o, QMarginsF(10, 10, 10, 10)));
        return record.bytes();
    };
    QByteArray doc;
    for (int p = 1; p <= 6; ++p) {
        if (p > 1)
            doc += "#newpage@\r\n";
        doc += p == 3   ? layout(QPageSize::A4, QPageLayout::Landscape)
               : p == 5 ? layout(QPageSize::Letter, QPageLayout::Portrait)
                        : layout(QPageSize::A4, QPageLayout::Portrait);
        doc += test::testo(1440, 1000, "Pagina " + QByteArray::number(p), 12);
    }
    spool = env.tempFolder() + QStringLiteral("formati.tmp");
    QFile f(spool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(doc);
    f.close();
    mostra(6);

    tasto(Qt::Key_F8);
    ASSERT_TRUE(w->continuaAttiva());
    const QSize a4 = vista().pageSize(0);
    ASSERT_LT(a4.width(), a4.height());
    // Page 3 comes into view: it is laid out turned, the pages after it follow it.
    w->model().setCurrentPage(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista().widgetOf(2) != nullptr; }));
    const QSize turned = vista().pageSize(2);
    EXPECT_GT(turned.width(), turned.height());
    EXPECT_NEAR(turned.width(), a4.height(), 2);
    EXPECT_EQ(vista().widgetOf(2)->size(), turned);
    EXPECT_EQ(vista().pageRect(3).top() - vista().pageRect(2).bottom() - 1, ContinuousView::Gap);
    EXPECT_EQ(vista().pageRect(2).top(), ContinuousView::Gap) << "page 3 from its top";
    // Fitted to the width of the page in view: the landscape page fills it.
    tasto(Qt::Key_W);
    EXPECT_NEAR(vista().pageRect(2).width(), vista().viewport()->width(), 2);
    EXPECT_LT(vista().pageSize(0).width(), vista().pageSize(2).width());
    // Letter, narrower and shorter than A4.
    w->model().setCurrentPage(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista().widgetOf(4) != nullptr; }));
    EXPECT_LT(vista().pageSize(4).height(), vista().pageSize(3).height());
    EXPECT_GT(vista().pageSize(4).width(), vista().pageSize(3).width());
    fotografa(QStringLiteral("formati-continua"));

    // The single page: page 3 turned, fitted to the page as asked.
    tasto(Qt::Key_F8);
    ASSERT_FALSE(w->continuaAttiva());
    w->pulsante(QStringLiteral("prima"))->trigger();
    w->pulsante(QStringLiteral("successiva"))->trigger();
    w->pulsante(QStringLiteral("successiva"))->trigger();
    ASSERT_EQ(w->model().currentPage(), 2);
    EXPECT_GT(w->Image1->width(), w->Image1->height());
    EXPECT_GT(w->LarghezzaPagina(), w->AltezzaPagina());
    tasto(Qt::Key_F);
    EXPECT_TRUE(w->Geometria().viewport().width() >= w->Geometria().immagine().width() - 1e-6
                && w->Geometria().viewport().height() >= w->Geometria().immagine().height() - 1e-6);
    fotografa(QStringLiteral("formati-pagina"));
    w->pulsante(QStringLiteral("successiva"))->trigger();
    EXPECT_LT(w->Image1->width(), w->Image1->height());

    // The thumbnails: page 3 wide, the A4 pages tall, each in the same box.
    tasto(Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    for (int page : {0, 2, 4}) {
        pane->scrollTo(pane->model()->index(page, 0)); // thumbnails are made as they come into view
        ASSERT_TRUE(QTest::qWaitFor([&] { return pane->haMiniatura(page); }, 10000)) << page;
    }
    pane->scrollTo(pane->model()->index(2, 0));
    const auto shape = [&](int page) {
        return pane->model()->index(page, 0).data(Qt::DecorationRole).value<QPixmap>().deviceIndependentSize();
    };
    EXPECT_LT(shape(0).width(), shape(0).height());
    EXPECT_GT(shape(2).width(), shape(2).height());
    EXPECT_NEAR(shape(2).width(), shape(0).width(), 1) << "as wide as the box";
    EXPECT_NEAR(shape(2).height() / shape(2).width(), shape(0).width() / shape(0).height(), 0.02);
    EXPECT_GT(shape(4).width() / shape(4).height(), shape(0).width() / shape(0).height()) << "Letter is wider";
    EXPECT_EQ(pane->sizeHintForIndex(pane->model()->index(2, 0)), pane->sizeHintForIndex(pane->model()->index(0, 0)));
    fotografa(QStringLiteral("formati-miniature"));
    EXPECT_EQ(beeps, 0);
}

TEST_F(VisteXvfb, F8AndTheToolbarSwitchBetweenTheViewsOnTheSamePage)
{
    apri(5);
    tasto(Qt::Key_PageDown);
    tasto(Qt::Key_End);
    tasto(Qt::Key_PageUp); // on the last page: a page back is page 4
    tasto(Qt::Key_Home);
    w->pulsante(QStringLiteral("successiva"))->trigger();
    w->pulsante(QStringLiteral("successiva"))->trigger();
    ASSERT_EQ(w->Text1->text(), QStringLiteral(" 3/5"));
    EXPECT_FALSE(w->continuaAttiva());
    EXPECT_TRUE(w->vistaContinua()->isHidden());

    tasto(Qt::Key_F8);
    EXPECT_TRUE(w->continuaAttiva());
    EXPECT_TRUE(vista().isVisible());
    EXPECT_FALSE(w->Picture1->isVisible());
    EXPECT_TRUE(w->pulsante(QStringLiteral("continua"))->isChecked());
    EXPECT_TRUE(voce("mncontinua")->isChecked());
    // Page 3 from its top, at the window's zoom (100 %: as wide as Image1 was).
    EXPECT_EQ(vista().currentPage(), 2);
    EXPECT_EQ(vista().pageRect(2).top(), ContinuousView::Gap);
    EXPECT_EQ(vista().pageSize(), w->Image1->size());
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/5"));
    fotografa(QStringLiteral("continua"));

    // The toolbar button turns it off again, on the page then on show.
    tasto(Qt::Key_End);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 5/5"));
    w->pulsante(QStringLiteral("continua"))->trigger();
    EXPECT_FALSE(w->continuaAttiva());
    EXPECT_TRUE(w->Picture1->isVisible());
    EXPECT_FALSE(vista().isVisible());
    EXPECT_EQ(vista().pagesInMemory(), 0); // hidden, it keeps nothing
    EXPECT_FALSE(w->pulsante(QStringLiteral("continua"))->isChecked());
    EXPECT_EQ(w->PaginaVisualizzata(), 4);

    // The menu item does the same.
    voce("mncontinua")->trigger();
    EXPECT_TRUE(w->continuaAttiva());
    EXPECT_EQ(vista().currentPage(), 4);

    // At 25 % several pages stand one under another, centred, the gaps between them.
    tasto(Qt::Key_Home);
    tasto(Qt::Key_Minus);
    tasto(Qt::Key_Minus);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Viste    25%"));
    const QRect prima = vista().pageRect(0);
    const QRect seconda = vista().pageRect(1);
    EXPECT_EQ(seconda.top() - prima.bottom() - 1, ContinuousView::Gap);
    EXPECT_EQ(prima.center().x(), vista().viewport()->rect().center().x());
    EXPECT_GE(vista().pagesShown(), 2);
    int inVista = 0;
    for (int32_t p = 0; p < 5; ++p)
        inVista += vista().pageRect(p).intersects(vista().viewport()->rect());
    EXPECT_EQ(vista().pagesShown(), inVista); // a widget for each page in view, no more
    fotografa(QStringLiteral("continua-25"));
}

TEST_F(VisteXvfb, PageDownAndTheWheelCrossPagesAndTheIndicatorFollows)
{
    apri(2000);
    tasto(Qt::Key_F8);
    ASSERT_TRUE(w->continuaAttiva());
    const int altezza = vista().viewport()->height();
    const int passo = vista().pageSize().height() + ContinuousView::Gap;
    ASSERT_GT(passo, altezza); // at 100 % a page is taller than the view

    // PgDn scrolls by a view's height, through the page's end, and the
    // indicator names the page that fills most of the view.
    int premuti = 0;
    while (w->Text1->text() == QStringLiteral(" 1/2000") && premuti < 10) {
        tasto(Qt::Key_PageDown);
        ++premuti;
    }
    EXPECT_EQ(barraV().value(), premuti * altezza);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/2000"));
    EXPECT_EQ(w->PaginaVisualizzata(), 1);
    const QRect seconda = vista().pageRect(1);
    EXPECT_GT(std::min(seconda.bottom(), altezza) - std::max(seconda.top(), 0), altezza / 2);

    // The wheel goes back up through the boundary; it never turns a page on its own.
    const int prima = barraV().value();
    rotella(vista().viewport(), 1);
    EXPECT_EQ(barraV().value(), prima - QApplication::wheelScrollLines() * 20);
    while (w->Text1->text() != QStringLiteral(" 1/2000") && barraV().value() > 0)
        rotella(vista().viewport(), 1);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/2000"));

    // Down goes a line; Home / End go to the ends of the document.
    const int v = barraV().value();
    tasto(Qt::Key_Down);
    EXPECT_EQ(barraV().value(), v + 20);
    tasto(Qt::Key_End);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2000/2000"));
    EXPECT_EQ(vista().pageRect(1999).top(), ContinuousView::Gap);
    tasto(Qt::Key_PageDown);
    EXPECT_EQ(barraV().value(), barraV().maximum());
    EXPECT_EQ(beeps, 0);
    const int suoni = beeps;
    tasto(Qt::Key_PageDown); // at the end of the document: beeps, nothing moves
    EXPECT_EQ(beeps, suoni + 1);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2000/2000"));

    // Only the pages in view and their neighbours were replayed and kept.
    EXPECT_LE(vista().pagesShown(), 2);
    EXPECT_LE(vista().pagesInMemory(), 3);
    EXPECT_LT(vista().replays(), 30);
}

TEST_F(VisteXvfb, DraggingScrollsAcrossPagesAndTheZoomApplies)
{
    apri(50);
    w->pulsante(QStringLiteral("continua"))->trigger();
    QWidget *vp = vista().viewport();
    const QPoint da(vp->width() / 2, vp->height() - 10);
    const QPoint a(vp->width() / 2, 10);
    // Dragged upwards four times a view's height less 20 pixels: page 2 comes up.
    for (int i = 0; i < 4; ++i) {
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, da);
        QTest::mouseMove(vp, QPoint(da.x(), (da.y() + a.y()) / 2));
        QTest::mouseMove(vp, a);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, a);
    }
    EXPECT_EQ(barraV().value(), 4 * (da.y() - a.y()));
    EXPECT_NE(w->Text1->text(), QStringLiteral(" 1/50"));

    // A zoom step: the pages halve, the page in the middle stays on show.
    const int32_t pagina = vista().currentPage();
    const QSize prima = vista().pageSize();
    w->pulsante(QStringLiteral("riduci"))->trigger();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Viste    50%"));
    EXPECT_NEAR(vista().pageSize().width(), prima.width() / 2, 1);
    EXPECT_LE(std::abs(vista().currentPage() - pagina), 1);
    // Ctrl and the wheel zoom in again, through the window.
    rotella(vp, 1, Qt::ControlModifier);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Viste    100%"));
    EXPECT_EQ(vista().pageSize(), prima);

    // Fitted to the width, the page is as wide as the view, with nothing to
    // scroll sideways; it follows the window.
    tasto(Qt::Key_W);
    QCoreApplication::processEvents(); // the scroll bars show or hide on a posted event
    EXPECT_EQ(vista().horizontalScrollBar()->maximum(), 0);
    EXPECT_NEAR(vista().pageSize().width(), vista().viewport()->width(), 1);
    EXPECT_EQ(vista().pageRect(vista().currentPage()).left(), 0);
    w->resize(700, 700);
    QCoreApplication::processEvents();
    EXPECT_NEAR(vista().pageSize().width(), vista().viewport()->width(), 1);
    tasto(Qt::Key_0, Qt::ControlModifier);

    // 256 colours: the pages in view go through the converter.
    w->chkMassima->click();
    ASSERT_FALSE(w->chkMassima->isChecked());
    ImmaginePagina *corrente = vista().widgetOf(vista().currentPage());
    ASSERT_NE(corrente, nullptr);
    EXPECT_TRUE(corrente->modo256());
    ASSERT_TRUE(QTest::qWaitFor([&] { return corrente->rasterizzazioni() > 0; }, 10000));
    EXPECT_TRUE(corrente->convertita());
}

TEST_F(VisteXvfb, APageCountThatGrowsKeepsThePlaceInView)
{
    apri(40);
    tasto(Qt::Key_F8);
    for (int i = 0; i < 6; ++i)
        tasto(Qt::Key_PageDown);
    const int v = barraV().value();
    const int massimo = barraV().maximum();
    const QString indicatore = w->Text1->text();
    w->setPagineTotali(20); // the first 20 known so far
    EXPECT_LT(barraV().maximum(), massimo);
    EXPECT_EQ(barraV().value(), v);
    w->setPagineTotali(40);
    EXPECT_EQ(barraV().maximum(), massimo);
    EXPECT_EQ(barraV().value(), v);
    EXPECT_EQ(w->Text1->text(), indicatore);
}

TEST_F(VisteXvfb, F9ShowsThumbnailsAndAClickGoesToThatPage)
{
    apri(10000);
    ThumbnailPane *pane = w->miniature();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->isHidden());
    const int larghezzaPagina = w->Picture1->width();

    tasto(Qt::Key_F9);
    ASSERT_TRUE(pane->isVisible());
    EXPECT_TRUE(voce("mnminiature")->isChecked());
    EXPECT_EQ(pane->model()->rowCount(), 10000);
    EXPECT_EQ(w->Picture1->x(), pane->width()); // the page area moved over
    EXPECT_EQ(w->Picture1->width(), larghezzaPagina - pane->width());
    EXPECT_EQ(pane->paginaCorrente(), 0);
    EXPECT_TRUE(pane->selectionModel()->isSelected(pane->model()->index(0, 0)));

    // The thumbnails in view arrive from the worker; nothing else is made.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->haMiniatura(0) && pane->haMiniatura(1); }, 10000));
    const int inVista = pane->viewport()->height() / pane->rettangoloPagina(0).height() + 2;
    EXPECT_LE(pane->miniatureFatte(), inVista);

    // A click on the third thumbnail shows page 3, which is highlighted.
    const QRect terza = pane->rettangoloPagina(2);
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, terza.center());
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/10000"));
    EXPECT_EQ(w->PaginaVisualizzata(), 2);
    EXPECT_EQ(pane->paginaCorrente(), 2);
    // The keys still go to the page, and the highlight follows it.
    tasto(Qt::Key_End);
    EXPECT_EQ(pane->paginaCorrente(), 9999);
    EXPECT_TRUE(pane->viewport()->rect().intersects(pane->rettangoloPagina(9999)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->haMiniatura(9999); }, 10000));
    tasto(Qt::Key_Home);

    // With the continuous view as well: a click scrolls the view to that page.
    tasto(Qt::Key_F8);
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, pane->rettangoloPagina(1).center());
    EXPECT_EQ(vista().currentPage(), 1);
    EXPECT_EQ(vista().pageRect(1).top(), ContinuousView::Gap);
    tasto(Qt::Key_PageDown);
    tasto(Qt::Key_PageDown);
    tasto(Qt::Key_PageDown);
    EXPECT_EQ(pane->paginaCorrente(), vista().currentPage());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->haMiniatura(pane->paginaCorrente()); }, 10000));
    fotografa(QStringLiteral("miniature"));

    tasto(Qt::Key_F9);
    EXPECT_TRUE(pane->isHidden());
    EXPECT_EQ(w->Picture1->x(), 0);
}

// The page's shadow: soft (the background darkens step by step towards the
// page), offset down and to the right (darker below and right than above and
// left), no dark rim, and as many device pixels of fade as the pixel ratio
// asks for: crisp at scale 1 and 2. The same on a page of the continuous view.
TEST_F(VisteXvfb, ThePageShadowIsSoftAndOffsetDownRight)
{
    QWidget sfondo;
    sfondo.setAutoFillBackground(true);
    QPalette pal = sfondo.palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    sfondo.setPalette(pal);
    sfondo.resize(200, 200);
    auto *pagina = new QWidget(&sfondo);
    pagina->setAutoFillBackground(true);
    pal.setColor(QPalette::Window, Qt::white);
    pagina->setPalette(pal);
    pagina->setGeometry(40, 40, 100, 120);
    new PageShadow(pagina);
    sfondo.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sfondo));

    const QImage shot = sfondo.grab().toImage();
    const qreal dpr = shot.devicePixelRatio();
    const auto grigio = [&](double x, double y) { return qRed(shot.pixel(int(x * dpr), int(y * dpr))); };
    const QRect r = pagina->geometry();
    const int mezzo = r.center().y();
    // Right of the page: from darkest to the background, never darker again,
    // through several levels (a soft fade, not a band).
    QList<int> destra;
    for (int d = 0; d < int((PageShadow::Ombra + 2) * dpr); ++d)
        destra << qRed(shot.pixel(int((r.right() + 1) * dpr) + d, int(mezzo * dpr)));
    EXPECT_LT(destra.first(), 128 - 20);
    EXPECT_EQ(destra.last(), 128);
    EXPECT_TRUE(std::is_sorted(destra.begin(), destra.end())) << ::testing::PrintToString(destra);
    EXPECT_GE(QSet<int>(destra.begin(), destra.end()).size(), int(3 * dpr));
    // Offset down and right; the left and top edges carry no dark rim.
    EXPECT_LT(grigio(r.center().x(), r.bottom() + 2), grigio(r.center().x(), r.top() - 2));
    EXPECT_LT(grigio(r.right() + 2, mezzo), grigio(r.left() - 2, mezzo));
    EXPECT_GT(grigio(r.left() - 1, mezzo), 128 - 20);
    EXPECT_EQ(grigio(r.left() - PageShadow::Sfumatura, mezzo), 128);
    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(shot.save(folder + QStringLiteral("/ombra-%1x.png").arg(qRound(dpr))));

    // The continuous view's pages stand on the grey with the same shadow,
    // when the window is asked for it.
    PreviewWindowOptions withShadow;
    withShadow.pageShadow = true;
    apri(3, false, withShadow);
    tasto(Qt::Key_F8);
    ImmaginePagina *prima = vista().widgetOf(0);
    ASSERT_NE(prima, nullptr);
    EXPECT_NE(prima->findChild<PageShadow *>(), nullptr);
    const QImage vistaShot = vista().viewport()->grab().toImage();
    const QRect p = prima->geometry();
    const auto vg = [&](int x, int y) { return qRed(vistaShot.pixel(int(x * dpr), int(y * dpr))); };
    EXPECT_LT(vg(p.right() + 2, p.center().y()), vg(p.left() - ContinuousView::Gap + 1, p.center().y()));
    fotografa(QStringLiteral("continua-ombra"));
}

// The thumbnails follow "Massima qualità": a page of colour strips (green
// 100, off the halftone levels) keeps its colours in full colour, and in 256
// colours every pixel of its thumbnail is a halftone colour.
TEST_F(VisteXvfb, ThumbnailsFollowThe256ColourMode)
{
    test::TempEnv::noPrinters();
    QByteArray doc;
    for (int i = 0; i < 48; ++i) {
        const int colore = (i * 5) + 100 * 256 + (255 - i * 5) * 65536; // red + green * 256 + blue * 65536
        const QByteArray c = QByteArray::number(colore);
        doc += "#line@\r\n" + c + ",13,1,0," + c + ",0\r\n" + QByteArray::number(240 * i) + ",0,"
               + QByteArray::number(240 * i + 240) + ",16000,#TRUE#,#TRUE#\r\n";
    }
    spool = env.tempFolder() + QStringLiteral("strisce.tmp");
    QFile file(spool);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(doc), doc.size());
    file.close();
    mostra(1);
    ThumbnailPane *pane = w->miniature();
    tasto(Qt::Key_F9);
    ASSERT_TRUE(pane->isVisible());

    const auto fuoriTavolozza = [&] {
        const QImage img =
            pane->model()->data(pane->model()->index(0, 0), Qt::DecorationRole).value<QPixmap>().toImage();
        const auto livello = [](int v) { return v == 0 || v == 64 || v == 128 || v == 192 || v == 255; };
        int fuori = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                fuori += !(livello(qRed(p)) && livello(qGreen(p)) && livello(qBlue(p)));
            }
        return fuori;
    };
    for (const bool massima : {true, false, true}) {
        SCOPED_TRACE(massima ? "full colour" : "256 colours");
        if (w->chkMassima->isChecked() != massima)
            w->chkMassima->click();
        ASSERT_EQ(w->chkMassima->isChecked(), massima);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pane->haMiniatura(0); }, 10000));
        if (massima)
            EXPECT_GT(fuoriTavolozza(), pane->dimensioneMiniatura().width()); // the strips' own colours
        else
            EXPECT_EQ(fuoriTavolozza(), 0);
    }
    fotografa(QStringLiteral("miniature-colori"));
}

TEST_F(VisteXvfb, ThumbnailsPushedOutWhileScrollingFastAreAskedForAgain)
{
    apri(2000, true); // invoices: a thumbnail takes longer than a jump
    tasto(Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    QScrollBar *barra = pane->verticalScrollBar();
    // The pane's scroll bar dragged down in jumps, each painted before the
    // next: far more thumbnails are asked for than may wait.
    const int passo = pane->rettangoloPagina(0).height();
    barra->setValue(10 * passo);
    pane->viewport()->repaint();
    const int32_t prima = pane->indexAt(QPoint(5, 5)).row();
    const int32_t ultima = pane->indexAt(QPoint(5, pane->viewport()->height() - 5)).row();
    for (int i = 1; i <= 4 * ThumbnailPane::MassimoInAttesa; ++i) {
        barra->setValue((i + 1) * 10 * passo);
        pane->viewport()->repaint();
    }
    // Back where it started: those in view all arrive, though their first
    // requests were pushed out by the newer ones.
    barra->setValue(10 * passo);
    ASSERT_GT(prima, 0);
    ASSERT_GE(ultima, prima);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            pane->viewport()->update(); // as a user's pane repaints on scrolling
            for (int32_t p = prima; p <= ultima; ++p)
                if (!pane->haMiniatura(p))
                    return false;
            return true;
        },
        20000));
    // Rendered: those in view at some point, never every page jumped over.
    EXPECT_LT(pane->miniatureFatte(), 4 * ThumbnailPane::MassimoInAttesa * (ultima - prima + 2));
    EXPECT_LE(pane->miniatureInMemoria() * qint64(pane->dimensioneMiniatura().width())
                  * pane->dimensioneMiniatura().height() * 4,
              ThumbnailPane::MemoriaMassima * w->devicePixelRatioF() * w->devicePixelRatioF());
}

TEST_F(VisteXvfb, APageThatCannotBeReadShowsItsErrorWhileItIsCurrent)
{
    test::TempEnv::noPrinters();
    spool = env.tempFolder() + QStringLiteral("rotto.tmp");
    {
        QFile file(spool);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            test::testo(1440, 2880, "Pagina 1") + test::interruzione() + test::testo(1440, 2880, "Pagina 2")
            + "#print@\r\n\"Arial\",1x0,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1440,4000\r\nx\r\n#endprint@\r\n"
            + test::interruzione() + test::testo(1440, 2880, "Pagina 3"));
    }
    w = std::make_unique<FrmAnteprima>();
    w->setFileTemporaneo(spool);
    w->setPagineTotali(3);
    w->InizializzaAnteprima();
    w->resize(900, 700);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    tasto(Qt::Key_F8);
    tasto(Qt::Key_F9);
    // Page 2 is replayed beside page 1, but its error shows only once it is current.
    EXPECT_NE(vista().error(1), nullptr);
    EXPECT_TRUE(w->fraErrore->isHidden());
    while (w->Text1->text() == QStringLiteral(" 1/3"))
        tasto(Qt::Key_PageDown);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/3"));
    ASSERT_FALSE(w->fraErrore->isHidden());
    EXPECT_TRUE(w->lblErrore->text().startsWith(QStringLiteral("Pagina 2 mostrata solo in parte: ")))
        << qPrintable(w->lblErrore->text());
    EXPECT_TRUE(w->lblErrore->text().contains(QStringLiteral("1x0")));
    ASSERT_TRUE(w->PrimoErrore().has_value());
    // Its thumbnail comes all the same, as far as it was drawn.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->miniature()->haMiniatura(1); }, 10000));
    tasto(Qt::Key_End);
    EXPECT_TRUE(w->fraErrore->isHidden());
}

TEST_F(VisteXvfb, TheMatchesOfAFindAreLitOnThePagesInView)
{
    apri(6);
    tasto(Qt::Key_F8);
    tasto(Qt::Key_Minus);
    tasto(Qt::Key_Minus); // 25 %: pages 1 to 3 in view
    ASSERT_GE(vista().pagesShown(), 3);
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(w->findBar()->field(), QStringLiteral("pagina 2"));
    // The view goes to the page of the match, and its pages in view are lit.
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista().currentPage() == 1; }, 10000));
    EXPECT_EQ(w->PaginaVisualizzata(), 1);
    ASSERT_NE(vista().widgetOf(1), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return vista().widgetOf(1)->highlight() != nullptr; }, 10000));
    // Closing the bar drops the highlights and gives the keys back to the view.
    QTest::keyClick(w->findBar()->field(), Qt::Key_Escape);
    EXPECT_EQ(vista().widgetOf(1)->highlight(), nullptr);
    EXPECT_TRUE(vista().hasFocus());
}

} // namespace
} // namespace qv
