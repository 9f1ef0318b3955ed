// SPDX-License-Identifier: MIT
// The preview window against Qt's QPrintPreviewWidget on the same
// invoice-like document: opening to the first page shown (with peak memory),
// changing page in a 10,000-page document, and one zoom step, with
// "Massima qualità" on and off; and closing the window while the index of a
// large sparse file is still being scanned.
//
// Peak memory is the process's resident high-water mark (VmHWM), reset
// before each measurement through /proc/self/clear_refs.
#include "platform/Devices.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "tests/preview/SpoolDiProva.h"
#if __has_include("preview/RenderAhead.h")
#include "preview/RenderAhead.h"
#define QV_RENDER_AHEAD 1
#endif

#include "bench/support/PeakMemory.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGraphicsView>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <time.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int Righe = 20;

QTemporaryDir *folder = nullptr;

QString documento(int pagine)
{
    static std::map<int, QString> made;
    auto it = made.find(pagine);
    if (it != made.end())
        return it->second;
    const QString path = folder->filePath(QStringLiteral("fattura-%1.tmp").arg(pagine));
    if (!qv::test::scriviDocumento(path, pagine, true, Righe))
        qFatal("cannot write %s", qPrintable(path));
    made[pagine] = path;
    return path;
}

using qv::bench::peakMiB;
using qv::bench::resetPeak;

// --- The same invoice painted directly for Qt's preview -----------------------

void testo(QPainter &p, double x, double y, const QString &text, int size = 10, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(size * 20); // twips
    font.setBold(bold);
    p.setFont(font);
    p.drawText(QPointF(x, y - QFontMetricsF(font).descent()), text);
}

void paginaFatturaQt(QPainter &p, int n)
{
    testo(p, 1440, 1440, QStringLiteral("Fattura n. %1").arg(n), 16, true);
    testo(p, 1440, 1800, QStringLiteral("Ditta Esempio S.r.l. - Via Roma 1 - 00100 Roma"));
    testo(p, 7200, 2400, QStringLiteral("Spett.le Cliente %1").arg(n));
    p.drawRect(QRectF(QPointF(1440, 3000), QPointF(10080, 3000 + 300 * (Righe + 1))));
    p.drawLine(QPointF(1440, 3300), QPointF(10080, 3300));
    testo(p, 1500, 3250, QStringLiteral("Descrizione"));
    testo(p, 6000, 3250, QStringLiteral("Quantita'"));
    testo(p, 7500, 3250, QStringLiteral("Prezzo"));
    testo(p, 9000, 3250, QStringLiteral("Importo"));
    for (int r = 0; r < Righe; ++r) {
        const double y = 3550 + 300 * r;
        testo(p, 1500, y, QStringLiteral("Articolo %1").arg(n * 100 + r));
        testo(p, 6000, y, QString::number(r + 1));
        testo(p, 7500, y, QStringLiteral("%1.50").arg(10 + r));
        testo(p, 9000, y, QStringLiteral("%1.00").arg((r + 1) * (10 + r)));
    }
    testo(p, 7500, 3600 + 300 * (Righe + 1), QStringLiteral("Totale"), 12, true);
}

struct QtPreview
{
    explicit QtPreview(int pagine) : printer(QPrinter::HighResolution)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder->filePath(QStringLiteral("qt.pdf")));
        widget = std::make_unique<QPrintPreviewWidget>(&printer);
        QObject::connect(widget.get(), &QPrintPreviewWidget::paintRequested, [pagine](QPrinter *pr) {
            QPainter p(pr);
            const double scale = pr->resolution() / 1440.0;
            for (int n = 1; n <= pagine; ++n) {
                if (n > 1)
                    pr->newPage();
                p.save();
                p.scale(scale, scale);
                paginaFatturaQt(p, n);
                p.restore();
            }
        });
        widget->resize(581, 396);
    }
    void mostra()
    {
        widget->show();
        if (!QTest::qWaitForWindowExposed(widget.get()))
            qFatal("Qt's preview was not exposed");
        widget->updatePreview();
        dipingi();
    }
    void dipingi()
    {
        if (auto *view = widget->findChild<QGraphicsView *>())
            view->viewport()->repaint();
    }
    QPrinter printer;
    std::unique_ptr<QPrintPreviewWidget> widget;
};

// --- Ours ------------------------------------------------------------------------

std::unique_ptr<qv::FrmAnteprima> apri(int pagine, bool massima)
{
    qv::platform::writeUserSetting("QVPREVIEW", "OPZIONE", "QUALITA", massima ? "Max" : "Min");
    auto w = std::make_unique<qv::FrmAnteprima>();
    w->setFileTemporaneo(documento(pagine));
    w->setPagineTotali(pagine);
    w->setTitolo(QStringLiteral("Fatture"));
    w->InizializzaAnteprima();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qFatal("the preview was not exposed");
    w->Image1->repaint();
    return w;
}

void premi(qv::FrmAnteprima &w, const char *key)
{
    w.pulsante(QString::fromLatin1(key))->trigger();
    w.Image1->repaint();
}

// --- Opening to the first page --------------------------------------------------------

void BM_Apertura_qvPreview(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    documento(pagine);
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        auto w = apri(pagine, true);
        peak = std::max(peak, peakMiB());
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_Apertura_qvPreview)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_Apertura_QPrintPreviewWidget(benchmark::State &state)
{
    const int pagine = int(state.range(0));
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        QtPreview qt(pagine);
        qt.mostra();
        peak = std::max(peak, peakMiB());
        state.PauseTiming();
        qt.widget.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_Apertura_QPrintPreviewWidget)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// --- Page change and zoom step in a 10,000-page document --------------------------------

void BM_CambioPagina_qvPreview(benchmark::State &state)
{
    auto w = apri(10000, state.range(0) != 0);
    bool ultima = true;
    for (auto _ : state) {
        premi(*w, ultima ? "ultima" : "prima");
        ultima = !ultima;
    }
    state.counters["rasters"] = w->Image1->rasterizzazioni();
    state.SetLabel(state.range(0) ? "Massima qualita on" : "Massima qualita off (256 colours)");
}
BENCHMARK(BM_CambioPagina_qvPreview)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CambioPaginaMezzo_qvPreview(benchmark::State &state)
{
    // Page 5,000 and 5,001: a seek into the middle of the file each time.
    auto w = apri(10000, state.range(0) != 0);
    premi(*w, "ultima");
    for (int i = 0; i < 4999; ++i)
        w->pulsante(QStringLiteral("precedente"))->trigger();
    bool avanti = true;
    for (auto _ : state) {
        premi(*w, avanti ? "successiva" : "precedente");
        avanti = !avanti;
    }
    state.SetLabel(state.range(0) ? "Massima qualita on" : "Massima qualita off (256 colours)");
}
BENCHMARK(BM_CambioPaginaMezzo_qvPreview)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CambioPagina_QPrintPreviewWidget(benchmark::State &state)
{
    QtPreview qt(10000);
    qt.mostra();
    bool ultima = true;
    for (auto _ : state) {
        qt.widget->setCurrentPage(ultima ? 10000 : 1);
        qt.dipingi();
        ultima = !ultima;
    }
}
BENCHMARK(BM_CambioPagina_QPrintPreviewWidget)->Unit(benchmark::kMillisecond);

// --- Next page, as a reader goes through the document ---------------------------------
//
// One page forward at a time with "Massima qualita" on. Between two changes
// the reader reads: the window's worker has made the next page by then
// (waited for outside the timing). Besides the wall time, the CPU time of
// the UI thread alone (CLOCK_THREAD_CPUTIME_ID around the change).

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void attendiLettore([[maybe_unused]] qv::FrmAnteprima &w)
{
    QApplication::processEvents();
#ifdef QV_RENDER_AHEAD
    while (w.renderAhead()->busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
#endif
}

void BM_PaginaSuccessiva_qvPreview(benchmark::State &state)
{
    auto w = apri(10000, true);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        attendiLettore(*w);
        state.ResumeTiming();
        const double t0 = threadCpuMs();
        premi(*w, "successiva");
        cpu += threadCpuMs() - t0;
    }
    state.counters["ui_cpu_ms"] = cpu / double(state.iterations());
    state.counters["rasters"] = w->Image1->rasterizzazioni();
}
BENCHMARK(BM_PaginaSuccessiva_qvPreview)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_PaginaSuccessiva_QPrintPreviewWidget(benchmark::State &state)
{
    QtPreview qt(10000);
    qt.mostra();
    int pagina = 1;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
        const double t0 = threadCpuMs();
        qt.widget->setCurrentPage(++pagina);
        qt.dipingi();
        cpu += threadCpuMs() - t0;
    }
    state.counters["ui_cpu_ms"] = cpu / double(state.iterations());
}
BENCHMARK(BM_PaginaSuccessiva_QPrintPreviewWidget)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_Zoom_qvPreview(benchmark::State &state)
{
    auto w = apri(10000, state.range(0) != 0);
    bool dentro = true;
    for (auto _ : state) {
        premi(*w, dentro ? "ingrandisci" : "riduci");
        dentro = !dentro;
    }
    state.counters["rasters"] = w->Image1->rasterizzazioni();
    state.SetLabel(state.range(0) ? "Massima qualita on" : "Massima qualita off (256 colours)");
}
BENCHMARK(BM_Zoom_qvPreview)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_Zoom_QPrintPreviewWidget(benchmark::State &state)
{
    QtPreview qt(10000);
    qt.mostra();
    bool dentro = true;
    for (auto _ : state) {
        if (dentro)
            qt.widget->zoomIn(2.0);
        else
            qt.widget->zoomOut(2.0);
        qt.dipingi();
        dentro = !dentro;
    }
}
BENCHMARK(BM_Zoom_QPrintPreviewWidget)->Unit(benchmark::kMillisecond);

// --- Closing during the background index ---------------------------------------------

// A spool file of one page and then a hole of range(0) GB (sparse: it takes
// no disk), counted from its index as "qvpreview view" opens one: the window
// opens at once with page 1, the scan reads on in the background, and the
// close is timed. It stops the scan between two blocks of the file.
void BM_ChiusuraDuranteIndice_qvPreview(benchmark::State &state)
{
    const qint64 size = state.range(0) << 30;
    const QString path = folder->filePath(QStringLiteral("rado-%1.tmp").arg(state.range(0)));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("una pagina\r\n") < 0 || !file.resize(size))
            qFatal("cannot write %s", qPrintable(path));
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<qv::FrmAnteprima>();
        w->setFileTemporaneo(path);
        w->setCountPagesFromIndex(true);
        w->setPagineTotali(1);
        w->InizializzaAnteprima();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qFatal("the preview was not exposed");
        QTest::qWait(100); // the scan well under way
        state.ResumeTiming();
        w->pulsante(QStringLiteral("esci"))->trigger();
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    QFile::remove(path);
}
BENCHMARK(BM_ChiusuraDuranteIndice_qvPreview)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3);

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
