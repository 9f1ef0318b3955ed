// SPDX-License-Identifier: MIT
// Pages ready before they are asked for: the page index of a long document
// built in the background, the pages next to the one on show made ahead in a
// worker thread, and the progress of a print from the window with its
// Cancel button. Driven as a user drives the window (toolbar clicks), waiting
// on signals.
#include "dialogs/PrintCommand.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "preview/RenderAhead.h"
#include "preview/ThumbnailPane.h"
#include "print/MotoreStampa.h"
#include "render/LetturaDati.h"
#include "spool/Document.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include "platform/Devices.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace qv {
namespace {

class RenderAheadTest : public test::TempEnvTest
{
protected:
    void SetUp() override
    {
        platform::setTwipsPerPixelForTesting(15, 15);
        test::TempEnv::noPrinters();
        platform::setBeepHandlerForTesting([] {});
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &t, const QString &, platform::MessageIcon) { messaggi << t; });
        platform::writeUserSetting(QStringLiteral("QVPREVIEW"), QStringLiteral("OPZIONE"), QStringLiteral("QUALITA"),
                                   QStringLiteral("Max"));
    }

    /// A document of \a pagine invoice pages; long enough (over 1 MiB from
    /// 200 pages on) to have its index built in the background.
    QString documento(int pagine)
    {
        const QString path = env.tempFolder() + QStringLiteral("lungo-%1.tmp").arg(pagine);
        EXPECT_TRUE(test::scriviDocumento(path, pagine, true, 20));
        return path;
    }

    std::unique_ptr<FrmAnteprima> apri(const QString &path, int pagine)
    {
        auto w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(path);
        w->setPagineTotali(pagine);
        w->InizializzaAnteprima();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    static void premi(FrmAnteprima &w, const char *key)
    {
        QAction *action = w.pulsante(QString::fromLatin1(key));
        ASSERT_NE(action, nullptr);
        QTest::mouseClick(w.Toolbar1->widgetForAction(action), Qt::LeftButton);
    }

    /// Waits until the worker has made the pages next to the one on show.
    static void attendiAnticipo(FrmAnteprima &w)
    {
        const bool pronte =
            QTest::qWaitFor([&] { return !w.renderAhead()->busy() && w.renderAhead()->readyCount() > 0; }, 30000);
        ASSERT_TRUE(pronte) << "busy " << w.renderAhead()->busy() << " ready " << w.renderAhead()->readyCount()
                            << " indexed " << w.knownPageCount() << " complete " << w.pageIndexComplete();
    }

    QStringList messaggi;
};

// --- The page index in the background -------------------------------------------------

TEST_F(RenderAheadTest, TheIndexGrowsInTheBackgroundAndALatePageWaitsOnlyForItself)
{
    const int pagine = 3000;
    const QString path = documento(pagine);
    ASSERT_GT(QFileInfo(path).size(), 1024 * 1024);
    auto w = apri(path, pagine);
    // Page 1 is on show whatever the scan has reached.
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/3000"));
    EXPECT_TRUE(test::testiDi(w->Image1->Picture()).contains(QStringLiteral("Fattura n. 1")));

    // A jump to the last page shows that page, its start taken from the scan.
    premi(*w, "ultima");
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3000/3000"));
    EXPECT_TRUE(test::testiDi(w->Image1->Picture()).contains(QStringLiteral("Fattura n. 3000")));
    EXPECT_GE(w->knownPageCount(), 3000);

    QSignalSpy finito(w.get(), &FrmAnteprima::pageIndexFinished);
    if (!w->pageIndexComplete()) {
        ASSERT_TRUE(finito.wait(30000));
    }
    EXPECT_TRUE(w->pageIndexComplete());
    EXPECT_EQ(w->knownPageCount(), pagine);
    // The same positions as the index built at once.
    const spool::PageIndex indice = spool::Document::onFile(path).pageIndex(QStringLiteral("test"));
    // (one place more than pages, for a start past the last page)
    const QVector<qint64> posizioni = w->PosizioniPagine();
    EXPECT_EQ(QList<qint64>(posizioni.begin(), posizioni.end()), indice + QList<qint64>{0});
    EXPECT_FALSE(w->PrimoErrore());
}

/// A file whose pages nobody counted (SpoolFile::showPreview): the count
/// grows with the index, and the last page or a page number typed beyond the
/// count so far waits for the index to get there.
struct CountCase
{
    const char *name;
    int pagine;
    bool typed; ///< a page number typed (else the last page's button)
};

class CountFromIndex : public RenderAheadTest, public ::testing::WithParamInterface<CountCase>
{};

TEST_P(CountFromIndex, GrowsWithTheIndexAndWaitsForAPageBeyondIt)
{
    const int pagine = GetParam().pagine;
    const QString path = documento(pagine);
    auto w = std::make_unique<FrmAnteprima>();
    w->setFileTemporaneo(path);
    w->setCountPagesFromIndex(true);
    w->setPagineTotali(1);
    QList<int32_t> conte;
    QObject::connect(w.get(), &FrmAnteprima::knownPageCountChanged, w.get(), [&](int32_t n) { conte << n; });
    w->InizializzaAnteprima();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_LE(w->PagineTotali(), pagine);

    const int meta = pagine / 2 + 1;
    if (GetParam().typed) {
        w->Text1->setFocus();
        QTest::mouseClick(w->Text1, Qt::LeftButton);
        w->Text1->selectAll();
        QTest::keyClicks(w->Text1, QString::number(meta));
        const QString scritto = w->Text1->text();
        QTest::keyClick(w->Text1, Qt::Key_Return);
        EXPECT_EQ(int32_t(w->PaginaVisualizzata()), meta - 1) << qPrintable(scritto) << " " << w->PagineTotali();
        EXPECT_TRUE(test::testiDi(w->Image1->Picture()).contains(QStringLiteral("Fattura n. %1").arg(meta)));
    } else {
        premi(*w, "ultima");
        EXPECT_EQ(w->Text1->text(), QStringLiteral(" %1/%1").arg(pagine));
        EXPECT_TRUE(test::testiDi(w->Image1->Picture()).contains(QStringLiteral("Fattura n. %1").arg(pagine)));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pageIndexComplete(); }, 30000));
    EXPECT_EQ(w->PagineTotali(), pagine);
    EXPECT_EQ(w->knownPageCount(), pagine);
    EXPECT_TRUE(std::is_sorted(conte.begin(), conte.end()));
    EXPECT_FALSE(w->PrimoErrore());
}

INSTANTIATE_TEST_SUITE_P(Cases, CountFromIndex,
                         ::testing::Values(CountCase{"LongFileLastPage", 3000, false},
                                           CountCase{"LongFilePageTyped", 3000, true},
                                           CountCase{"ShortFileLastPage", 20, false}),
                         [](const auto &info) { return std::string(info.param.name); });

/// A document past the old 16-bit page number, counted by its index as
/// "qvpreview view" opens one: the page field, the thumbnails and find reach
/// its last pages, and the field shows the largest page number whole.
TEST_F(RenderAheadTest, FortyThousandPagesAreReachedEverywhere)
{
    const int pagine = 40000;
    const QString path = env.tempFolder() + QStringLiteral("quarantamila.tmp");
    ASSERT_TRUE(test::scriviDocumento(path, pagine, false));
    auto w = std::make_unique<FrmAnteprima>();
    w->setFileTemporaneo(path);
    w->setCountPagesFromIndex(true);
    w->setPagineTotali(1);
    w->InizializzaAnteprima();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pageIndexComplete(); }, 60000));
    ASSERT_EQ(w->PagineTotali(), pagine);

    // The page field: a typed number past 32,767.
    QTest::mouseClick(w->Text1, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), w->Text1);
    w->Text1->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("40000"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(w->model().currentPage(), pagine - 1);
    EXPECT_EQ(w->PaginaVisualizzata(), INT16_MAX); // the 16-bit property saturates
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 40000/40000"));
    EXPECT_TRUE(test::testiDi(w->Image1->Picture()).contains(QStringLiteral("Pagina 40000")));
    // Shown whole: the text fits inside the field's frame.
    const QMargins margini = w->Text1->textMargins();
    EXPECT_LE(w->Text1->fontMetrics().horizontalAdvance(w->Text1->text()),
              w->Text1->contentsRect().width() - margini.left() - margini.right() - 4);
    EXPECT_FALSE(w->pulsante(QStringLiteral("ultima"))->isEnabled());
    premi(*w, "precedente");
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 39999/40000"));

    // The thumbnails: every page has its row, the current one follows.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    ASSERT_FALSE(pane->isHidden());
    EXPECT_EQ(pane->pagineTotali(), pagine);
    EXPECT_EQ(pane->paginaCorrente(), pagine - 2);
    premi(*w, "ultima");
    EXPECT_EQ(pane->paginaCorrente(), pagine - 1);
    // A click on a thumbnail far past 32,767 shows that page.
    premi(*w, "prima");
    pane->scrollTo(pane->model()->index(35000, 0));
    const QRect r = pane->rettangoloPagina(35000);
    ASSERT_TRUE(pane->viewport()->rect().intersects(r));
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(w->model().currentPage(), 35000);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 35001/40000"));

    // Find: a text only on page 39,999 is found and its page shown.
    premi(*w, "prima");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), w->findBar()->field());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Pagina 39999"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->model().currentPage() == 39998; }, 60000))
        << qPrintable(w->findBar()->status());
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 39999/40000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->findBar()->searching(); }, 60000));
    EXPECT_EQ(w->findBar()->status(), QStringLiteral("1 di 1"));
}

TEST_F(RenderAheadTest, MorePageBreaksThanPagesFoundInTheBackgroundIsError9)
{
    const QString path = documento(400);
    auto w = apri(path, 300); // the control counted fewer pages than the file holds
    QSignalSpy finito(w.get(), &FrmAnteprima::pageIndexFinished);
    if (!w->pageIndexComplete()) {
        ASSERT_TRUE(finito.wait(30000));
    }
    ASSERT_TRUE(w->PrimoErrore());
    EXPECT_EQ(w->PrimoErrore()->number(), 9);
    EXPECT_TRUE(w->fraErrore->isVisible());
    // As when the index is built at once: the pages are found by counting.
    EXPECT_EQ(w->PosizioniPagine().value(1), 0);
    EXPECT_TRUE(w->DaInizializzare());
}

// --- Pages made ahead -------------------------------------------------------------------

TEST_F(RenderAheadTest, APreparedPageIsTheImageOfOneRenderedOnDemand)
{
    const QString path = documento(300);
    // Made ahead: the window waits for its worker before the page change.
    auto pronta = apri(path, 300);
    QTest::keyClick(pronta->Picture1, Qt::Key_F); // the whole page in view
    ASSERT_NO_FATAL_FAILURE(attendiAnticipo(*pronta));
    const int raster = pronta->Image1->rasterizzazioni();
    premi(*pronta, "successiva");
    pronta->Image1->repaint();
    EXPECT_EQ(pronta->Image1->rasterizzazioni(), raster) << "the page change made a raster of its own";

    // On demand: the page change comes before the worker had a turn.
    auto subito = apri(path, 300);
    QTest::keyClick(subito->Picture1, Qt::Key_F);
    QAction *successiva = subito->pulsante(QStringLiteral("successiva"));
    successiva->trigger();
    subito->Image1->repaint();

    EXPECT_EQ(pronta->Text1->text(), QStringLiteral(" 2/300"));
    EXPECT_EQ(subito->Text1->text(), QStringLiteral(" 2/300"));
    ASSERT_EQ(pronta->Image1->areaRaster(), subito->Image1->areaRaster());
    const QImage a = pronta->Image1->raster().convertToFormat(QImage::Format_RGB32);
    const QImage b = subito->Image1->raster().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(a == b) << "the prepared page differs from the one rendered on demand";

    // Back to page 1: the page left was kept.
    const int dopo = pronta->Image1->rasterizzazioni();
    premi(*pronta, "precedente");
    pronta->Image1->repaint();
    EXPECT_EQ(pronta->Image1->rasterizzazioni(), dopo);
    EXPECT_TRUE(test::testiDi(pronta->Image1->Picture()).contains(QStringLiteral("Fattura n. 1")));
}

TEST_F(RenderAheadTest, ARedrawReadsThePageAgainAndNotWhatWasMadeAhead)
{
    const QString path = documento(300);
    auto w = apri(path, 300);
    ASSERT_NO_FATAL_FAILURE(attendiAnticipo(*w));
    premi(*w, "successiva"); // page 2, made ahead
    ASSERT_FALSE(w->fraErrore->isVisible());
    // The file is cut short inside page 2: a redraw reads what is there now.
    const qint64 inizio = w->PosizioniPagine().at(1);
    ASSERT_TRUE(QFile::resize(path, inizio + 40));
    QAction *aggiorna = nullptr;
    for (QAction *a : w->mnfile->actions())
        if (a->objectName() == QStringLiteral("mnaggiorna"))
            aggiorna = a;
    ASSERT_NE(aggiorna, nullptr);
    aggiorna->trigger();
    EXPECT_TRUE(w->fraErrore->isVisible());
    EXPECT_TRUE(w->lblErrore->text().startsWith(QStringLiteral("Pagina 2 mostrata solo in parte")))
        << qPrintable(w->lblErrore->text());
}

/// Work for a view or a page no longer wanted is dropped, and what is kept
/// is made for what is wanted now.
struct StaleCase
{
    const char *name;
    bool zoom; ///< the zoom changes (else the user jumps elsewhere)
};

class StaleWork : public RenderAheadTest, public ::testing::WithParamInterface<StaleCase>
{};

TEST_P(StaleWork, IsDroppedAndTheNewWorkKept)
{
    const QString path = documento(300);
    const spool::PageIndex indice = spool::buildPageIndex(path, QStringLiteral("test"));
    PageWorker worker;
    RenderAhead ahead(worker);
    RenderAhead::View view;
    view.file = path;
    view.pageTwips = QSize(11520, 15872);
    view.raster = true;
    view.widgetSize = QSize(768, 1058);
    view.area = QRect(QPoint(0, 0), view.widgetSize);
    ahead.setView(view);
    ahead.want({{4, indice[4]}});
    // Before the worker's result can arrive (it comes through this thread's
    // event loop), the reader moves on.
    int32_t page = 4;
    if (GetParam().zoom) {
        view.widgetSize = QSize(1536, 2116);
        view.area = QRect(0, 0, 600, 400);
        ahead.setView(view);
        ahead.want({{4, indice[4]}});
    } else {
        page = 200;
        ahead.want({{page, indice[page]}});
    }
    QSignalSpy idle(&ahead, &RenderAhead::idle);
    ASSERT_TRUE(idle.wait(30000));
    EXPECT_EQ(ahead.dropped(), 1);
    EXPECT_EQ(ahead.readyCount(), 1);
    if (!GetParam().zoom) {
        EXPECT_FALSE(ahead.take(4, indice[4]));
        const std::optional<PreparedPage> made = ahead.take(page, indice[page]);
        ASSERT_TRUE(made);
        EXPECT_TRUE(test::testiDi(made->drawing).contains(QStringLiteral("Fattura n. 201")));
        return;
    }
    const std::optional<PreparedPage> made = ahead.take(4, indice[4]);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->raster.widgetSize, view.widgetSize);
    // Too large for the whole page: the area on show and its margin.
    EXPECT_TRUE(made->raster.area.contains(view.area));
    EXPECT_LT(made->raster.area.height(), view.widgetSize.height());
}

INSTANTIATE_TEST_SUITE_P(Cases, StaleWork,
                         ::testing::Values(StaleCase{"ZoomChanged", true}, StaleCase{"JumpedFar", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Progress and cancel in printing ---------------------------------------------------

TEST_F(RenderAheadTest, CancelInThePrintProgressLeavesNoPdfAndKeepsTheDocument)
{
    platform::setPrintersForTesting(
        QList<platform::PrinterDesc>{{platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
    const QString cartella = env.root() + QStringLiteral("pdf");
    QDir().mkpath(cartella);
    const QString pdf = cartella + QStringLiteral("/annullato.pdf");
    platform::setPdfOutputFile(pdf);
    setProgressDelayForTesting(0);
    const QString path = documento(60);
    auto w = apri(path, 60);
    premi(*w, "successiva");
    std::optional<PrintOutcome> esito;
    w->setPrintListener([&](const PrintOutcome &o) { esito = o; });

    // The options dialog is confirmed; the progress dialog's Cancel is
    // pressed once it is on show, between two pages.
    int opzioni = 0;
    int annullati = 0;
    QTimer utente;
    QObject::connect(&utente, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *d = qobject_cast<QDialog *>(modal); d && d->windowTitle() == QStringLiteral("Opzioni")) {
            ++opzioni;
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        }
        auto *progresso = w->findChild<QProgressDialog *>(QStringLiteral("progressoStampa"));
        if (progresso && progresso->isVisible() && progresso->value() >= 2 && !progresso->wasCanceled()) {
            // QV_SHOTS_DIR keeps a picture of the dialog over the window.
            if (const QString shots = qEnvironmentVariable("QV_SHOTS_DIR"); !shots.isEmpty()) {
                QPixmap shot = w->grab();
                QPainter painter(&shot);
                painter.drawPixmap(progresso->geometry().topLeft() - w->geometry().topLeft(), progresso->grab());
                painter.end();
                shot.save(shots + QStringLiteral("/progresso-stampa-dpr%1.png").arg(w->devicePixelRatio()));
            }
            ++annullati;
            QTest::mouseClick(progresso->findChild<QPushButton *>(), Qt::LeftButton);
        }
    });
    utente.start(1);
    premi(*w, "stampa");
    utente.stop();
    setProgressDelayForTesting(-1);
    platform::setPdfOutputFile({});

    EXPECT_EQ(opzioni, 1);
    ASSERT_EQ(annullati, 1);
    ASSERT_TRUE(esito);
    EXPECT_EQ(esito->result, PrintOutcome::Result::Cancelled);
    EXPECT_FALSE(esito->error);
    EXPECT_TRUE(messaggi.isEmpty()) << qPrintable(messaggi.join(QLatin1Char('\n')));
    // No PDF, not even a part of one, and the document as it was.
    EXPECT_EQ(QDir(cartella).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/60"));
    EXPECT_EQ(w->findChild<QProgressDialog *>(QStringLiteral("progressoStampa")), nullptr);
}

} // namespace
} // namespace qv
