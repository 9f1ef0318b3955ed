// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The 256-colour bitmap of a full page (the default page at 15 twips per
// pixel: 768 x 1059 pixels) written by SalvaBitmap256, against Qt's own way
// of doing the same: QImage::convertToFormat(Format_Indexed8, the halftone
// colour table, Qt::ThresholdDither) followed by QImage::save as BMP.
//
// Pairs to compare: SalvaBitmap256_Surface with Qt_Surface (rendering
// included; Render alone shows its share), SalvaBitmap256/Image with Qt/Image on the same rendered invoice,
// and the /Gradient pair on an image where nearly every pixel has its own
// colour.
#include "imaging/ModuloConversione.h"

#include "platform/Platform.h"
#include "qvpreview/CPalette.h"
#include "render/PageSurface.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

QString outputPath(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(QLatin1String(name));
}

// An invoice: header band, address block, a table of 30 rows with rules and
// amounts, a coloured logo and totals.
qv::PageSurface &invoice()
{
    static qv::PageSurface surface = [] {
        qv::PageSurface s;
        s.setFontName(QStringLiteral("Arial"));
        s.setFontSize(18);
        s.setFontBold(true);
        s.setForeColor(0x804000);
        s.Line(720, 720, 10800, 1600, qv::LineKind::BoxFilled);
        s.setForeColor(0xFFFFFF);
        s.setCurrentX(900);
        s.setCurrentY(900);
        s.Print(QStringLiteral("FATTURA N. 2026/0457"));
        s.setForeColor(0x0000C0);
        s.setDrawWidth(2);
        s.Circle(9800, 2600, 600, 0x0080FF, 0, 0, 1);
        s.setFontBold(false);
        s.setFontSize(10);
        s.setForeColor(0);
        const QStringList address = {QStringLiteral("Rossi & Bianchi S.r.l."), QStringLiteral("Via Roma 12"),
                                     QStringLiteral("20121 Milano (MI)"), QStringLiteral("P. IVA 01234567890")};
        double y = 2000;
        for (const QString &line : address) {
            s.setCurrentX(900);
            s.setCurrentY(y);
            s.Print(line);
            y += 260;
        }
        s.setDrawWidth(1);
        double top = 4000;
        s.Line(720, top, 10800, top + 300, qv::LineKind::Box);
        for (int row = 0; row < 30; ++row) {
            const double ry = top + 300 + row * 300;
            s.Line(720, ry + 300, 10800, ry + 300, qv::LineKind::Line);
            s.setCurrentX(900);
            s.setCurrentY(ry + 40);
            s.Print(QStringLiteral("Articolo %1 - descrizione della fornitura").arg(row + 1));
            s.setCurrentX(8200);
            s.setCurrentY(ry + 40);
            s.Print(QStringLiteral("%1,%2 EUR").arg(17 * row + 3).arg(row * 7 % 100, 2, 10, QLatin1Char('0')));
        }
        s.Line(8000, top, 8000, top + 300 + 30 * 300, qv::LineKind::Line);
        s.setFillStyle(0);
        s.setFillColor(0xE0E0E0);
        s.Line(7000, 13800, 10800, 14600, qv::LineKind::Box);
        s.setFontBold(true);
        s.setFontSize(12);
        s.setCurrentX(7200);
        s.setCurrentY(14000);
        s.Print(QStringLiteral("Totale 8.134,50 EUR"));
        return s;
    }();
    return surface;
}

const QImage &invoiceImage()
{
    static const QImage image = invoice().Picture()->render(1.0 / qv::platform::twipsPerPixelX());
    return image;
}

const QImage &gradientImage()
{
    static const QImage image = [] {
        QImage img(invoiceImage().size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = qRgb(x * 255 / img.width(), y * 255 / img.height(), (x * 7 + y * 3) & 255);
        }
        return img;
    }();
    return image;
}

QList<QRgb> halftoneTable()
{
    qv::CPalette palette;
    palette.CreateHalfTone();
    QList<QRgb> table;
    for (const qv::PaletteEntry &e : palette.Entries())
        table << qRgb(e.red, e.green, e.blue);
    return table;
}

bool qtPeer(const QImage &image, const QString &path)
{
    static const QList<QRgb> table = halftoneTable();
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    return indexed.save(path, "BMP");
}

// A freshly rendered image converts several times faster as a temporary
// (Qt converts it in place) than as a named image: the peer gets the faster way.
bool qtPeer(QImage &&image, const QString &path)
{
    static const QList<QRgb> table = halftoneTable();
    const QImage indexed = std::move(image).convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    return indexed.save(path, "BMP");
}

void SalvaBitmap256_Surface(benchmark::State &state)
{
    const QString path = outputPath("ours.bmp");
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::ModuloConversione::SalvaBitmap256(&invoice(), path));
}

void Qt_Surface(benchmark::State &state)
{
    const QString path = outputPath("qt.bmp");
    const double scale = 1.0 / qv::platform::twipsPerPixelX();
    for (auto _ : state)
        benchmark::DoNotOptimize(qtPeer(invoice().Picture()->render(scale), path));
}

// The rendering alone, which both Surface benchmarks include.
void Render(benchmark::State &state)
{
    const double scale = 1.0 / qv::platform::twipsPerPixelX();
    for (auto _ : state)
        benchmark::DoNotOptimize(invoice().Picture()->render(scale));
}

void SalvaBitmap256_Image(benchmark::State &state)
{
    const QString path = outputPath("ours.bmp");
    const QImage &image = state.range(0) ? gradientImage() : invoiceImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::ModuloConversione::SalvaBitmap256(image, path));
}

void Qt_Image(benchmark::State &state)
{
    const QString path = outputPath("qt.bmp");
    const QImage &image = state.range(0) ? gradientImage() : invoiceImage();
    for (auto _ : state)
        benchmark::DoNotOptimize(qtPeer(image, path));
}

} // namespace

BENCHMARK(Render)->Unit(benchmark::kMillisecond);
BENCHMARK(SalvaBitmap256_Surface)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Surface)->Unit(benchmark::kMillisecond);
BENCHMARK(SalvaBitmap256_Image)->ArgName("gradient")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Qt_Image)->ArgName("gradient")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qv::platform::setTwipsPerPixelForTesting(15, 15);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
