// SPDX-License-Identifier: MIT
// Replay and printing speed: one invoice-like page on the page surface,
// 1,000 pages to PDF through MotoreStampa against plain QPainter on a
// QPrinter, and finding a page of a 10,000-page document.
#include "platform/Devices.h"
#include "print/MotoreStampa.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "render/TextMetrics.h"
#include "spool/Document.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

/// One record element of an invoice-like page, kept to paint it directly too.
struct Item
{
    enum Kind { Text, Line, Box } kind;
    double x1, y1, x2, y2;
    QString text;
    int size;
    bool bold;
};

/// About 60 texts and 20 lines and boxes, as an invoice holds them.
std::vector<Item> invoicePage(int page)
{
    std::vector<Item> items;
    items.push_back(
        {Item::Text, 1440, 1200, 0, 0, QStringLiteral("Ditta Rossi S.r.l. - Fattura n. %1").arg(page), 16, true});
    items.push_back(
        {Item::Text, 1440, 1500, 0, 0, QStringLiteral("Via Roma 1, 20100 Milano - P.IVA 01234567890"), 9, false});
    items.push_back({Item::Box, 1000, 1800, 10500, 2600, {}, 0, false});
    items.push_back(
        {Item::Text, 1200, 2200, 0, 0, QStringLiteral("Cliente: Bianchi Mario, Via Verdi 22, Torino"), 10, false});
    for (int row = 0; row < 18; ++row) {
        const double y = 3400 + row * 500.0;
        items.push_back(
            {Item::Text, 1200, y, 0, 0, QStringLiteral("Articolo %1 - descrizione").arg(row + 1), 10, false});
        items.push_back({Item::Text, 6500, y, 0, 0, QString::number(row + 2), 10, false});
        items.push_back({Item::Text, 8500, y, 0, 0, QStringLiteral("%1,50").arg(12 * row + 7), 10, false});
        if (row % 2 == 0)
            items.push_back({Item::Line, 1000, y + 60, 10500, y + 60, {}, 0, false});
    }
    items.push_back({Item::Box, 1000, 3000, 10500, 12500, {}, 0, false});
    for (int c = 0; c < 3; ++c)
        items.push_back({Item::Line, 6200.0 + c * 1200, 3000, 6200.0 + c * 1200, 12500, {}, 0, false});
    items.push_back({Item::Text, 7000, 13200, 0, 0, QStringLiteral("Imponibile"), 10, false});
    items.push_back({Item::Text, 7000, 13500, 0, 0, QStringLiteral("IVA 22%"), 10, false});
    items.push_back({Item::Text, 7000, 13800, 0, 0, QStringLiteral("Totale"), 12, true});
    items.push_back({Item::Text, 1200, 15000, 0, 0, QStringLiteral("Pagina %1").arg(page), 8, false});
    return items;
}

void writeItems(QFile &f, const std::vector<Item> &items)
{
    for (const Item &it : items) {
        if (it.kind == Item::Text) {
            f.write(QStringLiteral(
                        "#print@\r\n\"Arial\",%1,#FALSE#,%2,#FALSE#,#FALSE#,0,#TRUE#\r\n%3,%4\r\n%5\r\n#endprint@\r\n")
                        .arg(it.size)
                        .arg(it.bold ? "#TRUE#" : "#FALSE#")
                        .arg(it.x1)
                        .arg(it.y1)
                        .arg(it.text)
                        .toUtf8());
        } else {
            f.write(QStringLiteral("#line@\r\n0,13,1,0,0,1\r\n%1,%2,%3,%4,%5,#FALSE#\r\n")
                        .arg(it.x1)
                        .arg(it.y1)
                        .arg(it.x2)
                        .arg(it.y2)
                        .arg(it.kind == Item::Box ? "#TRUE#" : "#FALSE#")
                        .toUtf8());
        }
    }
}

QString writeDocument(const QString &name, int pages, bool invoice)
{
    const QString path = folder().path() + QLatin1Char('/') + name;
    if (QFile::exists(path))
        return path;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int p = 1; p <= pages; ++p) {
        if (invoice)
            writeItems(f, invoicePage(p));
        else
            writeItems(f, {{Item::Text, 1440, 1440, 0, 0, QStringLiteral("Pagina %1").arg(p), 10, false},
                           {Item::Line, 1440, 1600, 5000, 1600, {}, 0, false}});
        if (p < pages)
            f.write("#newpage@\r\n");
    }
    return path;
}

void BM_ReplayInvoicePage(benchmark::State &state)
{
    const QString path = writeDocument(QStringLiteral("invoice1.tmp"), 1, true);
    qv::PageSurface surface;
    for (auto _ : state) {
        qv::LetturaDati::DisegnaPagina(surface, path, qv::LetturaDati::PageSpec::page(1));
        benchmark::DoNotOptimize(surface.Picture());
    }
    state.counters["calls"] = double(surface.Picture()->callCount());
}
BENCHMARK(BM_ReplayInvoicePage)->Unit(benchmark::kMillisecond);

void BM_ReplayAndRenderInvoicePage(benchmark::State &state)
{
    const QString path = writeDocument(QStringLiteral("invoice1.tmp"), 1, true);
    qv::PageSurface surface;
    for (auto _ : state) {
        qv::LetturaDati::DisegnaPagina(surface, path, qv::LetturaDati::PageSpec::page(1));
        const QImage image = surface.Picture()->render(1.0 / 15.0); // 100 % on a 96-dpi screen
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ReplayAndRenderInvoicePage)->Unit(benchmark::kMillisecond);

qv::platform::PrinterDesc pdfPrinter()
{
    return qv::platform::PrinterDesc{qv::platform::pdfPrinterName(), true, QSizeF(11906, 16838)};
}

/// The same 1,000 invoice pages painted straight onto the PDF printer's writer.
void paintDirectly(const QString &pdf, int pages)
{
    QFile file(pdf);
    file.open(QIODevice::WriteOnly);
    std::unique_ptr<QPdfWriter> printer = qv::platform::createPdfWriter(&file, QStringLiteral("Diretto"));
    QPainter painter(printer.get());
    for (int p = 1; p <= pages; ++p) {
        if (p > 1)
            printer->newPage();
        painter.resetTransform();
        painter.scale(printer->resolution() / 1440.0, printer->resolution() / 1440.0);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Item &it : invoicePage(p)) {
            if (it.kind == Item::Text) {
                qv::FontAttributes a;
                a.size = it.size;
                a.bold = it.bold;
                const QFont font = qv::makeTwipsFont(a);
                painter.setFont(font);
                painter.setPen(Qt::black);
                painter.drawText(QPointF(it.x1, it.y1 - qv::lineHeightTwips(font) + qv::ascentTwips(font)), it.text);
            } else {
                QPen pen(Qt::black);
                pen.setCosmetic(true);
                pen.setWidth(1);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                if (it.kind == Item::Box)
                    painter.drawRect(QRectF(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2)));
                else
                    painter.drawLine(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2));
            }
        }
    }
    painter.end();
}

// Prints 1,000 invoice pages to PDF through MotoreStampa and paints the same
// pages straight onto the PDF writer, in the same iteration; "ratio" is the print
// engine's time over the direct painting's.
void BM_Print1000PagesAgainstDirectPainting(benchmark::State &state)
{
    constexpr int Pages = 1000;
    const QString path = writeDocument(QStringLiteral("invoice1000.tmp"), Pages, true);
    qv::platform::setPrintersForTesting(QList<qv::platform::PrinterDesc>{pdfPrinter()});
    double engineSeconds = 0, directSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        qv::platform::setPdfOutputFile(folder().path() + QStringLiteral("/engine.pdf"));
        qv::MotoreStampa engine;
        engine.setFileTemporaneo(path);
        engine.Stampa();
        engineSeconds += timer.nsecsElapsed() / 1e9;
        timer.restart();
        paintDirectly(folder().path() + QStringLiteral("/direct.pdf"), Pages);
        directSeconds += timer.nsecsElapsed() / 1e9;
    }
    const double n = double(state.iterations());
    state.counters["engine_s"] = engineSeconds / n;
    state.counters["direct_s"] = directSeconds / n;
    state.counters["ratio"] = engineSeconds / directSeconds;
    qv::platform::setPrintersForTesting(std::nullopt);
}
BENCHMARK(BM_Print1000PagesAgainstDirectPainting)->Unit(benchmark::kSecond)->Iterations(2);

// Page n of a 10,000-page document, found by counting page breaks.
void BM_FindPageByCounting(benchmark::State &state)
{
    const QString path = writeDocument(QStringLiteral("pages10000.tmp"), 10000, false);
    qv::PageSurface surface;
    for (auto _ : state)
        qv::LetturaDati::DisegnaPagina(surface, path, qv::LetturaDati::PageSpec::page(state.range(0)));
}
BENCHMARK(BM_FindPageByCounting)->Arg(2)->Arg(9000)->Unit(benchmark::kMicrosecond);

// The same page reached through its stored start position: one seek.
void BM_FindPageByStoredPosition(benchmark::State &state)
{
    const QString path = writeDocument(QStringLiteral("pages10000.tmp"), 10000, false);
    const QList<qint64> starts = qv::spool::buildPageIndex(path, QStringLiteral("MotoreStampa"));
    const int page = int(state.range(0));
    qv::PageSurface surface;
    for (auto _ : state)
        qv::LetturaDati::DisegnaPagina(surface, path, qv::LetturaDati::PageSpec::at(starts.at(page - 1)));
}
BENCHMARK(BM_FindPageByStoredPosition)->Arg(2)->Arg(9000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
