// SPDX-License-Identifier: MIT
// Qt printing code previewed through the recording printer, beside Qt's own
// preview (QPrintPreviewWidget) on the same slot: recording a QTextDocument
// of 1,000 pages; the first page of a recording of 10 and of 10,000 pages;
// the peak memory of recording 100 and 10,000 pages; printing 1,000
// recorded pages to a PDF file beside painting them with QPainter on a
// QPdfWriter into a PDF file.
#include "bench/support/PeakMemory.h"
#include "platform/Devices.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"

#include <qvpreview/PreviewPrinter.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

#include <malloc.h>

namespace {

void useA4Pdf(QPrinter &printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

/// A QTextDocument of \a pages pages of a few paragraphs each.
std::unique_ptr<QTextDocument> longDocument(int pages)
{
    QString html;
    for (int i = 1; i <= pages; ++i)
        html += QStringLiteral("<h3>Pagina %1</h3><p>Fornitura di materiale elettrico, posa in opera, collaudo "
                               "e certificazione.</p><p%2>Totale della pagina: %3,00</p>")
                    .arg(i)
                    .arg(i < pages ? QStringLiteral(" style='page-break-after:always'") : QString())
                    .arg(i * 17);
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

/// A slot painting \a pages pages: a heading, a box and ten lines of text each.
void paintPages(QPrinter *printer, int pages)
{
    QPainter p(printer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    p.setFont(font);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            printer->newPage();
        p.drawText(QPointF(1000, 1000), QStringLiteral("Pagina %1").arg(page));
        p.drawRect(QRectF(900, 1200, 8000, 3000));
        for (int line = 0; line < 10; ++line)
            p.drawText(QPointF(1000, 1500 + line * 250), QStringLiteral("Riga %1 della pagina %2").arg(line).arg(page));
    }
}

void BM_RecordTextDocument_Ours(benchmark::State &state)
{
    const auto doc = longDocument(int(state.range(0)));
    for (auto _ : state) {
        qv::PreviewPrinter printer;
        useA4Pdf(printer);
        doc->print(&printer);
        benchmark::DoNotOptimize(printer.pageCount());
    }
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_RecordTextDocument_Ours)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RecordTextDocument_QtPreview(benchmark::State &state)
{
    const auto doc = longDocument(int(state.range(0)));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        useA4Pdf(printer);
        QPrintPreviewWidget preview(&printer);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter *p) { doc->print(p); });
        preview.updatePreview();
        benchmark::DoNotOptimize(preview.pageCount());
    }
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_RecordTextDocument_QtPreview)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

/// The first page on show of a recording of 10 and of 10,000 pages.
void BM_FirstPage(benchmark::State &state)
{
    qv::PreviewPrinter printer;
    useA4Pdf(printer);
    paintPages(&printer, int(state.range(0)));
    const QString path = printer.spoolPath();
    // As the window opens a file: page 1 replayed onto the page surface
    // and rasterised, while the page index is built in the background.
    for (auto _ : state) {
        qv::PageSurface surface;
        qv::LetturaDati::DisegnaPagina(surface, path, qv::LetturaDati::PageSpec::page(1));
        benchmark::DoNotOptimize(surface.Picture()->render(96.0 / 1440));
    }
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_FirstPage)->Arg(10)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PeakMemory_Ours(benchmark::State &state)
{
    double peak = 0;
    for (auto _ : state) {
        qv::bench::resetPeak();
        qv::PreviewPrinter printer;
        useA4Pdf(printer);
        paintPages(&printer, int(state.range(0)));
        peak = qv::bench::peakMiB();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_PeakMemory_Ours)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PeakMemory_QtPreview(benchmark::State &state)
{
    double peak = 0;
    for (auto _ : state) {
        qv::bench::resetPeak();
        QPrinter printer(QPrinter::HighResolution);
        useA4Pdf(printer);
        QPrintPreviewWidget preview(&printer);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                         [&](QPrinter *p) { paintPages(p, int(state.range(0))); });
        preview.updatePreview();
        peak = qv::bench::peakMiB();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_PeakMemory_QtPreview)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Qt's PDF engine takes two buffers of 16 MiB for every page it writes.
/// Whether glibc gives them back to the system after each page (and the
/// next page touches fresh memory again) depends on where zlib's buffers
/// happened to land, that is on what ran before in the process: the same
/// QPdfWriter loop took 135 ms after the recording's print and 178 ms on
/// its own. Both print benchmarks keep a fixed pad at the top of the heap,
/// so neither figure depends on that luck.
void sameHeapFooting()
{
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
}

void BM_PrintRecording(benchmark::State &state)
{
    sameHeapFooting();
    QTemporaryDir dir;
    qv::PreviewPrinter printer;
    useA4Pdf(printer);
    paintPages(&printer, int(state.range(0)));
    const qv::SpoolFile spool(printer.spoolPath());
    qv::PrintOptions options;
    options.pdfFile = dir.filePath(QStringLiteral("stampa.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(spool.print(options));
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_PrintRecording)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PaintOnPdfWriter(benchmark::State &state)
{
    sameHeapFooting();
    QTemporaryDir dir;
    for (auto _ : state) {
        QFile out(dir.filePath(QStringLiteral("qt.pdf")));
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(1200);
        QPainter p(&writer);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(10);
        p.setFont(font);
        for (int page = 1; page <= state.range(0); ++page) {
            if (page > 1)
                writer.newPage();
            p.drawText(QPointF(1000, 1000), QStringLiteral("Pagina %1").arg(page));
            p.drawRect(QRectF(900, 1200, 8000, 3000));
            for (int line = 0; line < 10; ++line)
                p.drawText(QPointF(1000, 1500 + line * 250),
                           QStringLiteral("Riga %1 della pagina %2").arg(line).arg(page));
        }
        p.end();
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["pages"] = double(state.range(0));
}
BENCHMARK(BM_PaintOnPdfWriter)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The built-in PDF printer only: no CUPS queue is asked.
    qv::platform::setPrintersForTesting(QList<qv::platform::PrinterDesc>{
        qv::platform::PrinterDesc{qv::platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
