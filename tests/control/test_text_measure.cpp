// SPDX-License-Identifier: MIT
// Text measured at recording time must be what the printer draws: the same
// number of twips whatever the screen's resolution, and the same as on a
// printer-resolution device.
#include "control/PrintPreviewInterno.h"
#include "preview/FrmAnteprima.h"
#include "render/PageSurface.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QFontMetricsF>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>

using namespace qv;

namespace {

struct FontCase
{
    const char *name;
    int size;
    bool bold;
    bool italic;
    int dpi; ///< of the printer device; the size in points times dpi / 72 must be whole device pixels
};

void PrintTo(const FontCase &c, std::ostream *os)
{
    *os << c.name << ' ' << c.size << (c.bold ? " bold" : "") << (c.italic ? " italic" : "") << " at " << c.dpi
        << " dpi";
}

class Measure : public qv::test::TempEnvTest, public ::testing::WithParamInterface<FontCase>
{
protected:
    Measure() { qv::test::TempEnv::noPrinters(); }

    void setFont(PrintPreview &pp) const
    {
        pp.setFontName(QString::fromLatin1(GetParam().name));
        pp.setFontSize(GetParam().size);
        pp.setFontBold(GetParam().bold);
        pp.setFontItalic(GetParam().italic);
    }

    static QString sample() { return QStringLiteral("Fattura n. 42 del 12/03/2024 - Imponibile € 1.234,56 (IVA 22%)"); }
};

TEST_P(Measure, SameAtTwoScreenResolutions)
{
    platform::setTwipsPerPixelForTesting(15, 15); // 96 dpi
    PrintPreview pp;
    setFont(pp);
    const float width96 = pp.TextWidth(sample());
    const float height96 = pp.TextHeight();
    platform::setTwipsPerPixelForTesting(7.5, 7.5); // 192 dpi
    EXPECT_NEAR(pp.TextWidth(sample()), width96, 1);
    EXPECT_NEAR(pp.TextHeight(), height96, 1);

    platform::setTwipsPerPixelForTesting(10, 10); // a control made on a 144 dpi screen
    PrintPreview other;
    setFont(other);
    EXPECT_NEAR(other.TextWidth(sample()), width96, 1);
    EXPECT_NEAR(other.TextHeight(), height96, 1);
}

TEST_P(Measure, SameAsOnAPrinterResolutionDevice)
{
    PrintPreview pp;
    setFont(pp);
    const float width = pp.TextWidth(sample());
    const float height = pp.TextHeight();

    QPdfWriter printer(env.tempFolder() + QStringLiteral("misura.pdf"));
    printer.setResolution(GetParam().dpi);
    QFont font(QString::fromLatin1(GetParam().name));
    font.setPointSize(GetParam().size);
    font.setBold(GetParam().bold);
    font.setItalic(GetParam().italic);
    font.setKerning(false);
    const QFontMetricsF metrics(font, &printer);
    const double twipsPerDot = 1440.0 / printer.resolution();
    EXPECT_NEAR(width, metrics.horizontalAdvance(sample()) * twipsPerDot, 1.0);
    EXPECT_NEAR(height, (metrics.ascent() + metrics.descent()) * twipsPerDot, 1.0);
}

TEST_P(Measure, SameAsTheReplaysPageSurfaceWithoutLoadingThePreview)
{
    PrintPreview pp;
    setFont(pp);
    PageSurface surface;
    surface.setFontName(QString::fromLatin1(GetParam().name));
    surface.setFontSize(GetParam().size);
    surface.setFontBold(GetParam().bold);
    surface.setFontItalic(GetParam().italic);
    for (const QString &text : {sample(), QStringLiteral("W"), QStringLiteral("due\r\nrighe")})
        EXPECT_EQ(pp.TextWidth(text), float(std::nearbyint(surface.TextWidth(text)))) << qPrintable(text);
    EXPECT_EQ(pp.TextHeight(), float(std::nearbyint(surface.TextHeight(QStringLiteral("A")))));
    // Measuring loads nothing: no page image file, no settings read.
    EXPECT_FALSE(PrintPreviewInterno::di(pp).anteprima().isLoaded());
    EXPECT_TRUE(env.tempFiles().isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

INSTANTIATE_TEST_SUITE_P(Fonts, Measure,
                         ::testing::Values(FontCase{"Arial", 10, false, false, 720},
                                           FontCase{"Arial", 9, true, false, 1200},
                                           FontCase{"Times New Roman", 12, false, true, 1200},
                                           FontCase{"Courier New", 11, false, false, 720},
                                           FontCase{"Arial", 48, true, true, 1200}),
                         [](const auto &info) {
                             return QString::fromLatin1(info.param.name).remove(QLatin1Char(' ')).toStdString()
                                    + std::to_string(info.param.size) + (info.param.bold ? "b" : "")
                                    + (info.param.italic ? "i" : "");
                         });

TEST(MeasureLine, HeightOfALetterIsOneLineHeight)
{
    qv::test::TempEnv env;
    PrintPreview pp;
    pp.setFontSize(10);
    const float height = pp.TextHeight();
    // Liberation Sans (metric-compatible Arial): ascent 0.905 em + descent 0.212 em,
    // not the ink height of the glyph (about 0.716 em).
    EXPECT_NEAR(height, 200 * 1.117, 1);
}

} // namespace
