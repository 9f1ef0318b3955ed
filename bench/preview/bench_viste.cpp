// SPDX-License-Identifier: MIT
// The continuous view and the thumbnail pane against long documents: peak
// memory with both shown while the user scrolls through the document, the
// time to open the thumbnail pane, and Qt's QPrintPreviewWidget beside them
// (its continuous view and its all-pages overview) where it can be run.
//
// Peak memory is the process's resident high-water mark (VmHWM), reset
// before each measurement through /proc/self/clear_refs, as in
// bench_anteprima.
#include "platform/Devices.h"
#include "preview/ContinuousView.h"
#include "preview/FrmAnteprima.h"
#include "preview/OverviewView.h"
#include "preview/ThumbnailPane.h"
#include "tests/preview/SpoolDiProva.h"

#include "bench/support/PeakMemory.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

QTemporaryDir *folder = nullptr;

/// A document of \a pagine short pages ("Pagina n" and a box): the file of
/// 100,000 invoices would be most of a gigabyte, and what a page holds
/// changes only the few pages in view, not the memory that grows with the
/// page count.
QString documento(int pagine)
{
    static std::map<int, QString> made;
    auto it = made.find(pagine);
    if (it != made.end())
        return it->second;
    const QString path = folder->filePath(QStringLiteral("pagine-%1.tmp").arg(pagine));
    if (!qv::test::scriviDocumento(path, pagine, false))
        qFatal("cannot write %s", qPrintable(path));
    made[pagine] = path;
    return path;
}

using qv::bench::peakMiB;
using qv::bench::resetPeak;

std::unique_ptr<qv::FrmAnteprima> apri(int pagine)
{
    qv::platform::writeUserSetting("QVPREVIEW", "OPZIONE", "QUALITA", "Max");
    auto w = std::make_unique<qv::FrmAnteprima>();
    w->setFileTemporaneo(documento(pagine));
    w->setPagineTotali(pagine);
    w->InizializzaAnteprima();
    w->resize(900, 700);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qFatal("the preview was not exposed");
    return w;
}

void tasto(qv::FrmAnteprima &w, Qt::Key key)
{
    QTest::keyClick(&w, key);
}

/// Waits until the thumbnail of the pane's current page has arrived.
void attendiMiniatura(qv::FrmAnteprima &w)
{
    qv::ThumbnailPane *pane = w.miniature();
    QDeadlineTimer limite(30000);
    QApplication::processEvents();
    while (!pane->haMiniatura(pane->paginaCorrente()) && !limite.hasExpired())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!pane->haMiniatura(pane->paginaCorrente()))
        qFatal("no thumbnail for page %d", pane->paginaCorrente() + 1);
}

/// Opens the window, turns on the continuous view and the thumbnails, reads
/// through the document (50 screens down, then the middle, the end, the
/// start, each with its thumbnails), and reports the peak memory.
void BM_Viste_qvPreview(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    const bool viste = state.range(1) != 0;
    documento(pagine);
    double peak = 0;
    int mostrate = 0, tenute = 0, miniature = 0;
    for (auto _ : state) {
        resetPeak();
        auto w = apri(pagine);
        if (viste) {
            tasto(*w, Qt::Key_F8);
            tasto(*w, Qt::Key_F9);
            attendiMiniatura(*w);
            for (int i = 0; i < 50; ++i)
                tasto(*w, Qt::Key_PageDown);
            w->Text1->setText(QString::number(std::min(pagine, 32768) / 2));
            QTest::keyClick(w->Text1, Qt::Key_Return);
            attendiMiniatura(*w);
            tasto(*w, Qt::Key_End);
            attendiMiniatura(*w);
            tasto(*w, Qt::Key_Home);
            attendiMiniatura(*w);
            mostrate = w->vistaContinua()->pagesShown();
            tenute = w->vistaContinua()->pagesInMemory();
            miniature = w->miniature()->miniatureInMemoria();
        } else {
            for (int i = 0; i < 50; ++i)
                tasto(*w, Qt::Key_PageDown);
            tasto(*w, Qt::Key_End);
            tasto(*w, Qt::Key_Home);
        }
        QApplication::processEvents();
        peak = std::max(peak, peakMiB());
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
    if (viste) {
        state.counters["pages_shown"] = mostrate;
        state.counters["pages_kept"] = tenute;
        state.counters["thumbnails_kept"] = miniature;
    }
    state.SetLabel(viste ? "continuous view and thumbnails" : "single page (as today)");
}
BENCHMARK(BM_Viste_qvPreview)
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

/// F9 on a long document: the pane is shown and painted with its first
/// thumbnails asked for.
void BM_ApriMiniature_qvPreview(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    auto w = apri(pagine);
    for (auto _ : state) {
        tasto(*w, Qt::Key_F9);
        w->miniature()->viewport()->repaint();
        state.PauseTiming();
        tasto(*w, Qt::Key_F9);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ApriMiniature_qvPreview)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

/// The window opened on a long document and shown in one view (0 the single
/// page, 2 the facing pages, 3 the overview) until its first pages are
/// drawn, then read to the end and back: the time to open and the peak memory.
void BM_ApriVista_qvPreview(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    const auto modo = qv::ViewerModel::ViewMode(state.range(1));
    documento(pagine);
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        auto w = apri(pagine);
        if (modo == qv::ViewerModel::ViewMode::Facing)
            tasto(*w, Qt::Key_D);
        else if (modo == qv::ViewerModel::ViewMode::Overview)
            tasto(*w, Qt::Key_G);
        // Drawn: the page on show painted, and in the overview its small page come.
        const auto drawn = [&] {
            if (modo == qv::ViewerModel::ViewMode::Overview)
                return w->panoramica()->hasImage(w->model().currentPage());
            if (modo == qv::ViewerModel::ViewMode::Facing)
                return w->vistaAffiancata()->pagesShown() > 0;
            return true;
        };
        QDeadlineTimer limite(30000);
        QApplication::processEvents();
        while (!drawn() && !limite.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        if (!drawn())
            qFatal("view %d not drawn", int(modo));
        state.PauseTiming();
        tasto(*w, Qt::Key_End);
        tasto(*w, Qt::Key_Home);
        QApplication::processEvents();
        peak = std::max(peak, peakMiB());
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
    state.SetLabel(modo == qv::ViewerModel::ViewMode::Facing     ? "facing pages"
                   : modo == qv::ViewerModel::ViewMode::Overview ? "overview"
                                                                 : "single page");
}
BENCHMARK(BM_ApriVista_qvPreview)
    ->Args({100000, 0})
    ->Args({100000, 2})
    ->Args({100000, 3})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// --- Qt's preview, on the same pages ---------------------------------------------

void BM_Viste_QPrintPreviewWidget(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    const bool tutte = state.range(1) != 0;
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder->filePath(QStringLiteral("qt.pdf")));
        auto widget = std::make_unique<QPrintPreviewWidget>(&printer);
        QObject::connect(widget.get(), &QPrintPreviewWidget::paintRequested, [pagine](QPrinter *pr) {
            QPainter p(pr);
            const double scale = pr->resolution() / 1440.0;
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(200);
            for (int n = 1; n <= pagine; ++n) {
                if (n > 1)
                    pr->newPage();
                p.save();
                p.scale(scale, scale);
                p.setFont(font);
                p.drawText(QPointF(1440, 2880), QStringLiteral("Pagina %1").arg(n));
                p.drawRect(QRectF(QPointF(1440, 3000), QPointF(5760, 3600)));
                p.restore();
            }
        });
        widget->resize(900, 700);
        if (tutte)
            widget->setViewMode(state.range(1) == 2 ? QPrintPreviewWidget::FacingPagesView
                                                    : QPrintPreviewWidget::AllPagesView);
        widget->show();
        if (!QTest::qWaitForWindowExposed(widget.get()))
            qFatal("Qt's preview was not exposed");
        widget->updatePreview();
        auto *view = widget->findChild<QGraphicsView *>();
        for (int i = 0; i < 50 && view; ++i) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + view->viewport()->height());
            view->viewport()->repaint();
        }
        widget->setCurrentPage(pagine);
        if (view)
            view->viewport()->repaint();
        peak = std::max(peak, peakMiB());
        state.PauseTiming();
        widget.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
    state.SetLabel(!tutte                ? "continuous single-page view"
                   : state.range(1) == 2 ? "facing pages view"
                                         : "all pages view");
}
BENCHMARK(BM_Viste_QPrintPreviewWidget)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    folder = &dir;
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    QApplication app(argc, argv);
    qv::platform::setPrintersForTesting(QList<qv::platform::PrinterDesc>{});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
