// SPDX-License-Identifier: MIT
// The control: properties, persisted set, size, the spool file and the
// drawing commands, byte for byte where the file is concerned.
#include "ItalianLocale.h"
#include "control/PrintPreviewInterno.h"
#include "preview/FrmAnteprima.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "spool/PictureFile.h"
#include "support/FileLimit.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <functional>
#include <limits>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using qv::test::FileSizeLimit;

using namespace qv;
using qv::test::readAll;
using qv::test::spoolLines;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

class Control : public qv::test::TempEnvTest
{
protected:
    Control() { qv::test::TempEnv::noPrinters(); }

    QByteArray spool() const { return pp.spoolPath().isEmpty() ? QByteArray() : readAll(pp.spoolPath()); }
    QList<QByteArray> lines() const { return spoolLines(spool()); }

    PrintPreview pp;
};

template <typename F>
void expectError(F &&f, int number, const QString &source)
{
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.source(), source);
        EXPECT_EQ(e.description(), number == 380 ? QStringLiteral("Valore di proprietà non valido")
                                                 : QStringLiteral("Impossibile stampare..."));
    }
}

TEST_F(Control, WorkedExampleByteForByte)
{
    pp.StampaTesto(1440, 2880, QStringLiteral("Totale"));
    ASSERT_TRUE(pp.linea(1440, 3000, 5760, 3600, true, false));
    pp.NuovaPagina();
    EXPECT_EQ(spool(), QByteArray("#print@\r\n"
                                  "\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                                  "1440,2880\r\n"
                                  "Totale\r\n"
                                  "#endprint@\r\n"
                                  "#line@\r\n"
                                  "0,13,1,0,0,1\r\n"
                                  "1440,3000,5760,3600,#TRUE#,#FALSE#\r\n"
                                  "#newpage@\r\n"));
    EXPECT_EQ(pp.TotalePagine(), 2);
}

TEST_F(Control, DefaultsAndIdleState)
{
    EXPECT_EQ(pp.titolo(), QStringLiteral("Anteprima di Stampa"));
    EXPECT_EQ(pp.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(pp.FontSize(), 10);
    EXPECT_FALSE(pp.FontItalic() || pp.FontBold() || pp.FontUnderline() || pp.FontStrikethru());
    EXPECT_EQ(pp.ForeColor(), 0);
    EXPECT_TRUE(pp.FontTransparent());
    EXPECT_EQ(pp.ScaleMode(), 1);
    EXPECT_EQ(pp.DrawMode(), 13);
    EXPECT_EQ(pp.DrawWidth(), 1);
    EXPECT_EQ(pp.DrawStyle(), 0);
    EXPECT_EQ(pp.FillColor(), 0);
    EXPECT_EQ(pp.FillStyle(), 1);
    EXPECT_EQ(pp.Copie(), 1);
    EXPECT_EQ(pp.TotalePagine(), 1);
    EXPECT_TRUE(pp.spoolPath().isEmpty());
    pp.setFontSize(20);
    pp.setForeColor(255);
    EXPECT_TRUE(pp.spoolPath().isEmpty()) << "setting properties records nothing";
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qv")).filter(QRegularExpression("^qv[^m]")).isEmpty());
}

struct RangeCase
{
    const char *property;
    std::function<void(PrintPreview &, int32_t)> set;
    std::function<int32_t(const PrintPreview &)> get;
    int32_t lowest;
    int32_t highest;
};

void PrintTo(const RangeCase &c, std::ostream *os)
{
    *os << c.property;
}

class PropertyRange : public qv::test::TempEnvTest, public ::testing::WithParamInterface<RangeCase>
{};

TEST_P(PropertyRange, RefusesOutsideAndKeepsTheOldValue)
{
    const RangeCase &c = GetParam();
    PrintPreview pp;
    c.set(pp, c.lowest);
    EXPECT_EQ(c.get(pp), c.lowest);
    c.set(pp, c.highest);
    EXPECT_EQ(c.get(pp), c.highest);
    for (int32_t bad :
         {c.lowest - 1, c.highest + 1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        expectError([&] { c.set(pp, bad); }, 380, QString::fromLatin1(c.property));
        EXPECT_EQ(c.get(pp), c.highest);
    }
}

#define RANGE(prop, lo, hi)                                                                                            \
    RangeCase                                                                                                          \
    {                                                                                                                  \
#prop, [](PrintPreview & p,                                                                                    \
                  int32_t v) { p.set##prop(v); }, [](const PrintPreview &p) { return int32_t(p.prop()); }, lo, hi      \
    }

INSTANTIATE_TEST_SUITE_P(Properties, PropertyRange,
                         ::testing::Values(RANGE(FontSize, 1, 2160), RANGE(ForeColor, 0, 16777215),
                                           RANGE(ScaleMode, 0, 7), RANGE(DrawMode, 0, 16), RANGE(DrawWidth, 0, 32767),
                                           RANGE(DrawStyle, 0, 6), RANGE(FillColor, 0, 16777215),
                                           RANGE(FillStyle, 0, 7)),
                         [](const auto &info) { return std::string(info.param.property); });

/// A refused value and the detail its error carries.
struct DetailCase
{
    const char *name;
    std::function<void(PrintPreview &)> set;
    const char *source;
    const char *detail; // UTF-8
};

void PrintTo(const DetailCase &c, std::ostream *os)
{
    *os << c.name;
}

class RefusedValue : public qv::test::TempEnvTest, public ::testing::WithParamInterface<DetailCase>
{};

TEST_P(RefusedValue, SaysWhichPropertyAndValue)
{
    const DetailCase &c = GetParam();
    PrintPreview pp;
    try {
        c.set(pp);
        ADD_FAILURE() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), 380);
        EXPECT_EQ(e.source(), QString::fromLatin1(c.source));
        EXPECT_EQ(e.description(), QStringLiteral("Valore di proprietà non valido"));
        EXPECT_EQ(e.detail(), QString::fromUtf8(c.detail));
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Valore di proprietà non valido: ") + e.detail());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Properties, RefusedValue,
    ::testing::Values(
        DetailCase{"FontSize", [](PrintPreview &p) { p.setFontSize(0); }, "FontSize",
                   "FontSize = 0 (ammessi da 1 a 2160)"},
        DetailCase{"ScaleMode", [](PrintPreview &p) { p.setScaleMode(8); }, "ScaleMode",
                   "ScaleMode = 8 (ammessi da 0 a 7)"},
        DetailCase{"DrawWidth", [](PrintPreview &p) { p.setDrawWidth(-1); }, "DrawWidth",
                   "DrawWidth = -1 (ammessi da 0 a 32767)"},
        // qRgb() sets the alpha byte: the host passed a QRgb where a colour value goes.
        DetailCase{"ForeColorFromQRgb", [](PrintPreview &p) { p.setForeColor(qRgb(255, 0, 0)); }, "ForeColor",
                   "ForeColor = -65536 (0xFFFF0000): ammessi da 0 a 16777215 (0xFFFFFF), rosso + 256 × verde + "
                   "65536 × blu; un QRgb porta l'alfa nel byte alto: passare QColor::fromRgb(valore)"},
        DetailCase{"FillColorTooLarge", [](PrintPreview &p) { p.setFillColor(0x1000000); }, "FillColor",
                   "FillColor = 16777216 (0x01000000): ammessi da 0 a 16777215 (0xFFFFFF), rosso + 256 × verde + "
                   "65536 × blu"},
        DetailCase{"InvalidQColor", [](PrintPreview &p) { p.setFillColor(QColor()); }, "FillColor",
                   "FillColor = QColor non valido"},
        DetailCase{"PersistedScaleNotANumber",
                   [](PrintPreview &p) {
                       MemoryPropertyBag bag;
                       bag.WriteProperty(QStringLiteral("ScaleMode"), QStringLiteral("cm"), 1);
                       p.ReadProperties(bag);
                   },
                   "ScaleMode", "ScaleMode = cm (non è un numero intero)"},
        DetailCase{"PersistedScaleOutOfRange",
                   [](PrintPreview &p) {
                       MemoryPropertyBag bag;
                       bag.WriteProperty(QStringLiteral("ScaleMode"), 9, 1);
                       p.ReadProperties(bag);
                   },
                   "ScaleMode", "ScaleMode = 9 (ammessi da 0 a 7)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Control, PersistedSetRoundTripsTitleAndScaleOnly)
{
    QSignalSpy changed(&pp, &PrintPreview::persistedPropertyChanged);
    pp.InitProperties();
    pp.setTitolo(QStringLiteral("Fattura"));
    pp.setScaleMode(SM_Millimeters);
    pp.setFontName(QStringLiteral("Courier New"));
    pp.setFontSize(14);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("Titolo"));
    EXPECT_EQ(changed.at(1).at(0).toString(), QStringLiteral("ScaleMode"));

    MemoryPropertyBag bag;
    pp.WriteProperties(bag);
    EXPECT_EQ(bag.values().size(), 2);

    PrintPreview loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.titolo(), QStringLiteral("Fattura"));
    EXPECT_EQ(loaded.ScaleMode(), SM_Millimeters);
    EXPECT_EQ(loaded.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(loaded.FontSize(), 10);

    // Defaults are left out by a container that omits them.
    MemoryPropertyBag defaults;
    PrintPreview fresh;
    fresh.WriteProperties(defaults);
    EXPECT_TRUE(defaults.values().isEmpty());
}

TEST_F(Control, DamagedPersistedSetIsRefused)
{
    MemoryPropertyBag bag;
    bag.WriteProperty(QStringLiteral("Titolo"), QStringLiteral("Altro"), QString());
    bag.WriteProperty(QStringLiteral("ScaleMode"), 42, 1);
    expectError([&] { pp.ReadProperties(bag); }, 380, QStringLiteral("ScaleMode"));
    EXPECT_EQ(pp.titolo(), QStringLiteral("Anteprima di Stampa"));
    EXPECT_EQ(pp.ScaleMode(), 1);
}

TEST(ControlSize, StaysAt495TwipsWhateverTheContainerTries)
{
    qv::test::TempEnv env;
    platform::setTwipsPerPixelForTesting(15, 15);
    PrintPreview pp;
    EXPECT_EQ(pp.size(), QSize(33, 33));
    pp.resize(400, 10);
    EXPECT_EQ(pp.size(), QSize(33, 33));
    platform::setTwipsPerPixelForTesting(9, 11.25);
    pp.show();
    QResizeEvent event(QSize(100, 100), pp.size());
    QCoreApplication::sendEvent(&pp, &event);
    EXPECT_EQ(pp.size(), QSize(55, 44));
}

TEST_F(Control, PageBreakFirstGivesAnEmptyFirstPage)
{
    pp.NuovaPagina();
    EXPECT_EQ(spool(), QByteArray("#newpage@\r\n"));
    EXPECT_EQ(pp.TotalePagine(), 2);
    EXPECT_TRUE(QFileInfo(pp.spoolPath()).fileName().startsWith(QStringLiteral("qv")));
    EXPECT_TRUE(pp.spoolPath().endsWith(QStringLiteral(".tmp")));
    EXPECT_TRUE(pp.spoolPath().startsWith(env.tempFolder()));
}

TEST_F(Control, PageCountSaturatesButBreaksAreStillWritten)
{
    for (int i = 0; i < 32770; ++i)
        pp.NuovaPagina();
    EXPECT_EQ(pp.TotalePagine(), 32767);
    EXPECT_EQ(spool().size(), qsizetype(32770) * 11);
}

TEST_F(Control, ScaleModesConvertToTwips)
{
    pp.setScaleMode(SM_Millimeters);
    ASSERT_TRUE(pp.Punto(10, 10));
    pp.setScaleMode(SM_Inches);
    ASSERT_TRUE(pp.Punto(1, 1));
    pp.setScaleMode(SM_Characters);
    ASSERT_TRUE(pp.Punto(2, 2));
    pp.setScaleMode(SM_User);
    ASSERT_TRUE(pp.Punto(0.5f, 7));
    const auto l = lines();
    ASSERT_EQ(l.size(), 12);
    EXPECT_EQ(l[0], "#pset@");
    EXPECT_EQ(l[1], "0,13,1,0,0,1");
    EXPECT_EQ(l[2], "566.9291,566.9291");
    EXPECT_EQ(l[5], "1440,1440");
    EXPECT_EQ(l[8], "240,480");
    EXPECT_EQ(l[11], "0.5,7");
}

TEST_F(Control, ConversionsAreUnroundedAndReversible)
{
    pp.setScaleMode(SM_Centimeters);
    EXPECT_FLOAT_EQ(pp.ConvertiInTwipsX(1), float(14400 / 25.4));
    EXPECT_FLOAT_EQ(pp.ConvertiDaTwipsY(pp.ConvertiInTwipsY(3.3f)), 3.3f);
    platform::setTwipsPerPixelForTesting(15, 12);
    pp.setScaleMode(SM_Pixels);
    EXPECT_FLOAT_EQ(pp.ConvertiInTwipsX(10), 150);
    EXPECT_FLOAT_EQ(pp.ConvertiInTwipsY(10), 120);
}

TEST_F(Control, NumbersStayInvariantUnderAnItalianLocale)
{
    qv::test::ItalianLocale italian;
    pp.setScaleMode(SM_Millimeters);
    pp.StampaTesto(10.5f, 20, QStringLiteral("Prezzo 1.234,50"));
    ASSERT_TRUE(pp.linea(0.5f, 1, 2, 3, false, true));
    const auto l = lines();
    ASSERT_EQ(l.size(), 8);
    EXPECT_EQ(l[2], "595.2756,1133.858");
    EXPECT_EQ(l[3], "Prezzo 1.234,50");
    EXPECT_EQ(l[7], "28.34646,56.69291,113.3858,170.0787,#FALSE#,#TRUE#");
}

TEST_F(Control, LineRecordsBothFlagsAndTheStroke)
{
    pp.setForeColor(255);
    pp.setDrawMode(7);
    pp.setDrawWidth(3);
    pp.setDrawStyle(2);
    pp.setFillColor(65535);
    pp.setFillStyle(6);
    ASSERT_TRUE(pp.linea(0, 0, 100, 50, false, true));
    const auto l = lines();
    ASSERT_EQ(l.size(), 3);
    EXPECT_EQ(l[1], "255,7,3,2,65535,6");
    EXPECT_EQ(l[2], "0,0,100,50,#FALSE#,#TRUE#");
}

TEST_F(Control, CircleWritesItsOptionalValuesAsPassed)
{
    pp.Cerchio(1000, 2000, 500);
    pp.Cerchio(1000, 2000, 500, 255, 0.5f, M_PI, 2.0);
    pp.Cerchio(1000, 2000, 500, QVariant(qlonglong(-1)), -0.25, QStringLiteral("1.5"), QVariant(3u));
    const auto l = lines();
    ASSERT_EQ(l.size(), 9);
    EXPECT_EQ(l[0], "#circle@");
    EXPECT_EQ(l[2], "1000,2000,500,-1,2,2,1");
    EXPECT_EQ(l[5], "1000,2000,500,255,0.5,3.14159265358979,2");
    EXPECT_EQ(l[8], "1000,2000,500,-1,-0.25,1.5,3");
}

/// A colour given as a QColor or a Qt::GlobalColor, and the value recorded.
struct Colore
{
    const char *name;
    QColor color;
    int32_t valore; // -1: refused
};

void PrintTo(const Colore &c, std::ostream *os)
{
    *os << c.name;
}

class ColoreTest : public Control, public ::testing::WithParamInterface<Colore>
{};

TEST_P(ColoreTest, QColorGivesTheIntegerColour)
{
    const Colore &c = GetParam();
    EXPECT_EQ(colorValue(c.color), c.valore);
    pp.setForeColor(4);
    pp.setFillColor(5);
    if (c.valore < 0) {
        expectError([&] { pp.setForeColor(c.color); }, 380, QStringLiteral("ForeColor"));
        expectError([&] { pp.setFillColor(c.color); }, 380, QStringLiteral("FillColor"));
        EXPECT_EQ(pp.ForeColor(), 4);
        EXPECT_EQ(pp.FillColor(), 5);
        expectError([&] { pp.Cerchio(0, 0, 10, c.color); }, 1001, QStringLiteral("Cerchio"));
        return;
    }
    pp.setForeColor(c.color);
    pp.setFillColor(c.color);
    EXPECT_EQ(pp.ForeColor(), c.valore);
    EXPECT_EQ(pp.FillColor(), c.valore);
    EXPECT_EQ(toQColor(pp.ForeColor()), QColor(c.color.toRgb().rgb()));
    pp.Cerchio(0, 0, 10, c.color);
    EXPECT_EQ(lines().at(2), "0,0,10," + QByteArray::number(c.valore) + ",2,2,1");
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ColoreTest,
    ::testing::Values(Colore{"red", QColor(255, 0, 0), 255}, Colore{"green", QColor(0, 255, 0), 65280},
                      Colore{"blue", QColor(0, 0, 255), 16711680}, Colore{"white", QColor(Qt::white), 16777215},
                      Colore{"mixed", QColor(1, 2, 3), 1 + 2 * 256 + 3 * 65536},
                      Colore{"alphaDropped", QColor(10, 20, 30, 40), 10 + 20 * 256 + 30 * 65536},
                      Colore{"hsv", QColor::fromHsv(0, 255, 255), 255}, Colore{"invalid", QColor(), -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Control, GlobalColourIsAColourNotItsEnumNumber)
{
    // Qt::red is enum value 7: it must not be taken as the integer colour 7.
    pp.setForeColor(Qt::red);
    EXPECT_EQ(pp.ForeColor(), 255);
    pp.setFillColor(Qt::blue);
    EXPECT_EQ(pp.FillColor(), 16711680);
    pp.Cerchio(0, 0, 10, QVariant::fromValue(Qt::green));
    EXPECT_EQ(lines().at(2), "0,0,10,65280,2,2,1");
    EXPECT_FALSE(toQColor(16777216).isValid());
    EXPECT_FALSE(toQColor(-1).isValid());
}

TEST_F(Control, NonFiniteCoordinatesFailEachInItsOwnWay)
{
    pp.StampaTesto(0, 0, QStringLiteral("prima"));
    const QByteArray before = spool();
    EXPECT_FALSE(pp.linea(NaN, 0, 10, 10, false, false));
    EXPECT_FALSE(pp.linea(0, 0, Inf, 10, true, true));
    EXPECT_FALSE(pp.Punto(0, -Inf));
    expectError([&] { pp.Cerchio(0, 0, NaN); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.Cerchio(0, 0, 10, std::nan("")); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.Cerchio(0, 0, 10, QStringLiteral("rosso")); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.Cerchio(0, 0, 10, QVariant(true)); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.StampaTesto(NaN, 0, QStringLiteral("x")); }, 1001, QStringLiteral("StampaTesto"));
    pp.StampaPicture(QImage(4, 4, QImage::Format_RGB32), NaN, 0);
    EXPECT_EQ(spool(), before);
    EXPECT_TRUE(pp.pictureFiles().isEmpty());
}

QImage testImage()
{
    QImage image(96, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
}

TEST_F(Control, PictureAtItsNaturalSize)
{
    pp.StampaPicture(testImage(), 100, 200);
    ASSERT_EQ(pp.pictureFiles().size(), 1);
    const QString file = pp.pictureFiles().first();
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("qvm")));
    const auto l = lines();
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l[0], "#paint@");
    // 96 px at 3780 dots per metre: 2540 hundredths of a millimetre, 1 inch.
    EXPECT_EQ(l[1], "\"" + file.toUtf8() + "\",100,200,1440,720");
    const auto loaded = PictureData::load(file);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->image().size(), QSize(96, 48));
}

TEST_F(Control, PictureStretchedToTheGivenSize)
{
    pp.setScaleMode(SM_Inches);
    QPicture vector;
    {
        QPainter painter(&vector);
        painter.drawEllipse(0, 0, 100, 50);
    }
    pp.StampaPicture(QVariant::fromValue(vector), 1, 1, 2, QVariant(0.5f));
    const auto l = lines();
    ASSERT_EQ(l.size(), 2);
    EXPECT_TRUE(l[1].endsWith(",1440,1440,2880,720"));
    const auto loaded = PictureData::load(pp.pictureFiles().first());
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(loaded->isVector());
}

TEST_F(Control, VectorPictureIsRecordedAsSvgAndRendersItsPixels)
{
    QPicture vector;
    {
        QPainter painter(&vector);
        painter.fillRect(QRect(0, 0, 96, 48), Qt::red);
    }
    pp.setScaleMode(SM_Twips);
    pp.StampaPicture(QVariant::fromValue(vector), 1440, 1440, 2880, 1440);
    ASSERT_EQ(pp.pictureFiles().size(), 1);
    EXPECT_TRUE(readAll(pp.pictureFiles().first()).contains("<svg"));

    PageSurface surface;
    surface.setSize(DefaultPageWidthTwips, DefaultPageHeightTwips);
    LetturaDati::DisegnaPagina(surface, pp.spoolPath(), LetturaDati::PageSpec::page(1));
    const QImage image = surface.Picture()->render(0.1); // 10 twips a pixel
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                ++(QRect(144, 144, 288, 144).contains(x, y) ? inside : outside);
    EXPECT_GE(inside, 280 * 140);
    EXPECT_EQ(outside, 0);
}

TEST_F(Control, WhatIsNoPictureRecordsNothing)
{
    pp.StampaPicture(QVariant(), 0, 0);
    pp.StampaPicture(QStringLiteral("non un'immagine"), 0, 0);
    pp.StampaPicture(QImage(), 0, 0);
    EXPECT_TRUE(pp.spoolPath().isEmpty());
    pp.StampaPicture(testImage(), 0, 0, QStringLiteral("largo"), 10);
    pp.StampaPicture(testImage(), 0, 0, 10, QVariant::fromValue(QSize(1, 1)));
    EXPECT_EQ(spool(), QByteArray());
    EXPECT_TRUE(pp.pictureFiles().isEmpty());
}

TEST_F(Control, AnnullaStampaDiscardsTheDocumentAndKeepsTheProperties)
{
    pp.setFontSize(12);
    pp.setScaleMode(SM_Millimeters);
    for (int i = 0; i < 3; ++i)
        pp.StampaPicture(testImage(), 10, 10 + i * 30);
    pp.NuovaPagina();
    const QString spoolFile = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    ASSERT_EQ(pictures.size(), 3);
    pp.AnnullaStampa();
    EXPECT_FALSE(QFile::exists(spoolFile));
    for (const QString &p : pictures)
        EXPECT_FALSE(QFile::exists(p)) << qPrintable(p);
    EXPECT_TRUE(pp.spoolPath().isEmpty());
    EXPECT_TRUE(pp.pictureFiles().isEmpty());
    EXPECT_EQ(pp.TotalePagine(), 1);
    EXPECT_EQ(pp.FontSize(), 12);
    EXPECT_EQ(pp.ScaleMode(), SM_Millimeters);
    pp.AnnullaStampa();
    EXPECT_EQ(pp.TotalePagine(), 1);
    // The next record starts a new document under a new name.
    pp.NuovaPagina();
    EXPECT_FALSE(pp.spoolPath().isEmpty());
    EXPECT_EQ(spool(), QByteArray("#newpage@\r\n"));
}

TEST(ControlLife, DestructionDeletesTheDocument)
{
    qv::test::TempEnv env;
    qv::test::TempEnv::noPrinters();
    QString spoolFile, picture;
    {
        PrintPreview pp;
        pp.StampaPicture(testImage(), 0, 0);
        spoolFile = pp.spoolPath();
        picture = pp.pictureFiles().value(0);
        ASSERT_TRUE(QFile::exists(spoolFile));
    }
    EXPECT_FALSE(QFile::exists(spoolFile));
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_TRUE(env.tempFiles().isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

TEST_F(Control, PageSizeWithoutAndWithAPrinter)
{
    pp.setScaleMode(SM_Inches);
    EXPECT_FLOAT_EQ(pp.PageWidth(), 8);
    EXPECT_NEAR(pp.PageHeight(), 11.022, 0.001);
    qv::test::TempEnv::onePrinter(11000, 15000.5);
    pp.setScaleMode(SM_Twips);
    EXPECT_FLOAT_EQ(pp.PageWidth(), 11000);
    EXPECT_FLOAT_EQ(pp.PageHeight(), 15000.5f);
    // The measuring surface takes the printer's page when a document starts.
    pp.NuovaPagina();
    EXPECT_EQ(PrintPreviewInterno::di(pp).misura().Width(), 11000);
    EXPECT_EQ(PrintPreviewInterno::di(pp).misura().Height(), 15000);
}

// --- A failing disk and an unusable temporary folder ------------------------------

TEST_F(Control, FullDiskFailsEachCommandAndKeepsTheDocument)
{
    pp.StampaTesto(1440, 1440, QStringLiteral("Intestazione"));
    const QByteArray before = spool();
    {
        FileSizeLimit limit(before.size() + 30);
        EXPECT_FALSE(pp.linea(0, 0, 100, 100, true, false));
        EXPECT_TRUE(pp.Punto(5, 5)) << "a record that fits still goes in";
        expectError([&] { pp.StampaTesto(0, 0, QString(100, QLatin1Char('x'))); }, 1001, QStringLiteral("StampaTesto"));
        expectError([&] { pp.Cerchio(1, 2, 3, 1.0 / 3.0, 1.0 / 7.0, 1.0 / 9.0, 1.0 / 11.0); }, 1001,
                    QStringLiteral("Cerchio"));
        expectError([&] { pp.StampaCampo(0, 0, QString(60, QLatin1Char('y')), 100000, PP_Sinistra, false); }, 1001,
                    QStringLiteral("StampaCampo"));
        pp.StampaPicture(testImage(), 0, 0);
        EXPECT_TRUE(pp.pictureFiles().isEmpty());
    }
    // The one record that fitted is whole; the failed ones left no trace.
    EXPECT_EQ(spool(), before + "#pset@\r\n0,13,1,0,0,1\r\n5,5\r\n");
    ASSERT_TRUE(pp.linea(0, 0, 100, 100, true, false));
    EXPECT_TRUE(spool().endsWith("#line@\r\n0,13,1,0,0,1\r\n0,0,100,100,#TRUE#,#FALSE#\r\n"));
}

TEST_F(Control, FullDiskPageBreakEndsQuietlyWithoutCounting)
{
    pp.StampaTesto(0, 0, QStringLiteral("a"));
    const QByteArray before = spool();
    {
        FileSizeLimit limit(before.size() + 4);
        pp.NuovaPagina();
    }
    EXPECT_EQ(spool(), before);
    EXPECT_EQ(pp.TotalePagine(), 1);
}

TEST(ControlTempFolder, UnwritableFolderFailsEveryCommandCleanly)
{
    qv::test::TempEnv env;
    qv::test::TempEnv::noPrinters();
    // procfs takes no new files, even from root.
    qputenv("TMPDIR", "/proc/self/");
    PrintPreview pp;
    pp.NuovaPagina();
    EXPECT_EQ(pp.TotalePagine(), 1);
    EXPECT_EQ(pp.spoolPath(), QStringLiteral("/proc/self/qv12345.tmp"));
    EXPECT_FALSE(pp.linea(0, 0, 1, 1, false, false));
    EXPECT_FALSE(pp.Punto(0, 0));
    expectError([&] { pp.Cerchio(0, 0, 1); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.StampaTesto(0, 0, QStringLiteral("x")); }, 1001, QStringLiteral("StampaTesto"));
    expectError([&] { pp.StampaCentrato(0, QStringLiteral("x")); }, 1001, QStringLiteral("StampaCentrato"));
    expectError([&] { pp.StampaCampo(0, 0, QStringLiteral("x"), 1000, PP_Sinistra, true); }, 1001,
                QStringLiteral("StampaCampo"));
    pp.StampaPicture(testImage(), 0, 0);
    EXPECT_TRUE(pp.pictureFiles().isEmpty());
    pp.AnnullaStampa();
    EXPECT_TRUE(pp.spoolPath().isEmpty());
}

// --- A spool file that vanished or was replaced between two commands ------------------

// Every recording command, each failing the way it fails on a write error.
void expectEveryCommandFails(PrintPreview &pp)
{
    const int16_t pages = pp.TotalePagine();
    pp.NuovaPagina();
    EXPECT_EQ(pp.TotalePagine(), pages);
    EXPECT_FALSE(pp.linea(0, 0, 100, 100, false, false));
    EXPECT_FALSE(pp.Punto(5, 5));
    expectError([&] { pp.Cerchio(1, 2, 3); }, 1001, QStringLiteral("Cerchio"));
    expectError([&] { pp.StampaTesto(0, 0, QStringLiteral("x")); }, 1001, QStringLiteral("StampaTesto"));
    expectError([&] { pp.StampaCentrato(0, QStringLiteral("x")); }, 1001, QStringLiteral("StampaCentrato"));
    expectError([&] { pp.StampaCampo(0, 0, QStringLiteral("x"), 1000, PP_Sinistra, true); }, 1001,
                QStringLiteral("StampaCampo"));
    int16_t righe = 0;
    float interlinea = 0;
    expectError([&] { pp.StampaCampoMultilinea(0, 0, QStringLiteral("x"), 1000, PP_Sinistra, righe, interlinea); },
                1001, QStringLiteral("StampaCampoMultilinea"));
    pp.StampaPicture(testImage(), 0, 0);
    EXPECT_TRUE(pp.pictureFiles().isEmpty());
}

struct Tampering
{
    const char *name;
    // Does it to the spool file \a spool; returns the file that now holds
    // the name and must stay as it is ("" when the name is gone).
    std::function<QString(const qv::test::TempEnv &env, const QString &spool)> apply;
};

void PrintTo(const Tampering &t, std::ostream *os)
{
    *os << t.name;
}

const QByteArray Victim = "contenuto di un altro file\n";

class SpoolTampered : public Control, public ::testing::WithParamInterface<Tampering>
{};

TEST_P(SpoolTampered, EveryCommandFailsAndTheDocumentIsNotRestarted)
{
    pp.StampaTesto(1440, 1440, QStringLiteral("Pagina uno"));
    pp.NuovaPagina();
    const QString path = pp.spoolPath();
    const QString left = GetParam().apply(env, path);

    expectEveryCommandFails(pp);
    EXPECT_EQ(pp.spoolPath(), path) << "the document keeps its name";
    EXPECT_EQ(pp.TotalePagine(), 2);
    if (left.isEmpty()) {
        EXPECT_FALSE(QFileInfo::exists(path)) << "no new file under the old name";
    } else {
        EXPECT_EQ(readAll(left), Victim);
    }

    // Discarding leaves what took the name alone; the next document starts afresh.
    pp.AnnullaStampa();
    if (!left.isEmpty()) {
        EXPECT_EQ(readAll(left), Victim);
    }
    QDir().mkpath(env.tempFolder());
    ASSERT_TRUE(pp.linea(0, 0, 1, 1, false, false));
    EXPECT_NE(pp.spoolPath(), path);
    EXPECT_EQ(spool(), "#line@\r\n0,13,1,0,0,1\r\n0,0,1,1,#FALSE#,#FALSE#\r\n");
}

INSTANTIATE_TEST_SUITE_P(Control, SpoolTampered,
                         ::testing::Values(Tampering{"Deleted",
                                                     [](const qv::test::TempEnv &, const QString &spool) {
                                                         QFile::remove(spool);
                                                         return QString();
                                                     }},
                                           Tampering{"FolderDeleted",
                                                     [](const qv::test::TempEnv &env, const QString &) {
                                                         QDir(env.tempFolder()).removeRecursively();
                                                         QDir().mkpath(
                                                             env.tempFolder()); // as a cleaner or another program may
                                                         return QString();
                                                     }},
                                           Tampering{"SymlinkSwappedIn",
                                                     [](const qv::test::TempEnv &env, const QString &spool) {
                                                         const QString target =
                                                             qv::test::writeAll(env.root() + "altro.txt", Victim);
                                                         QFile::remove(spool);
                                                         QFile::link(target, spool);
                                                         return target;
                                                     }},
                                           Tampering{"DanglingSymlinkSwappedIn",
                                                     [](const qv::test::TempEnv &env, const QString &spool) {
                                                         QFile::remove(spool);
                                                         QFile::link(env.root() + "nuovo.txt", spool);
                                                         return QString();
                                                     }},
                                           Tampering{"OtherFileRenamedOverIt",
                                                     [](const qv::test::TempEnv &env, const QString &spool) {
                                                         const QString other =
                                                             qv::test::writeAll(env.tempFolder() + "altro.tmp", Victim);
                                                         ::rename(QFile::encodeName(other).constData(),
                                                                  QFile::encodeName(spool).constData());
                                                         return spool;
                                                     }}),
                         [](const ::testing::TestParamInfo<Tampering> &info) { return std::string(info.param.name); });

// The fallback name is used when no unique file can be made in the temporary
// folder; an existing file there under that name is taken only when it is ours.
struct Fallback
{
    const char *name;
    // Puts something under the fallback name; false when that cannot be done here.
    std::function<bool(const QString &fallback, const QString &elsewhere)> prepare;
    bool taken;
};

void PrintTo(const Fallback &f, std::ostream *os)
{
    *os << f.name;
}

class FallbackName : public Control, public ::testing::WithParamInterface<Fallback>
{};

TEST_P(FallbackName, IsTakenOnlyWhenItIsOurOwnFile)
{
    const QString fallback = env.tempFolder() + "qv12345.tmp";
    const QString elsewhere = qv::test::writeAll(env.root() + "altro.txt", Victim);
    if (!GetParam().prepare(fallback, elsewhere))
        GTEST_SKIP() << "only root can give a file to another user";
    qv::test::ReadOnlyFolder readOnly(env.tempFolder());
    if (!readOnly.active())
        GTEST_SKIP() << "no folder here can be made read-only";

    if (GetParam().taken) {
        ASSERT_TRUE(pp.linea(0, 0, 1, 1, false, false));
        EXPECT_EQ(pp.spoolPath(), fallback);
        EXPECT_EQ(spool(), "#line@\r\n0,13,1,0,0,1\r\n0,0,1,1,#FALSE#,#FALSE#\r\n") << "a new document starts empty";
    } else {
        expectEveryCommandFails(pp);
        EXPECT_EQ(pp.spoolPath(), fallback);
        pp.AnnullaStampa();
        EXPECT_EQ(readAll(fallback), Victim);
        EXPECT_TRUE(QFileInfo::exists(fallback)) << "another's file is not discarded with the document";
    }
    EXPECT_EQ(readAll(elsewhere), Victim);
}

INSTANTIATE_TEST_SUITE_P(Control, FallbackName,
                         ::testing::Values(Fallback{"AnotherUsersFile",
                                                    [](const QString &fallback, const QString &) {
                                                        qv::test::writeAll(fallback, Victim);
                                                        const QByteArray name = QFile::encodeName(fallback);
                                                        return ::chmod(name.constData(), 0666) == 0
                                                               && ::chown(name.constData(), ::geteuid() + 1000,
                                                                          ::getegid())
                                                                      == 0;
                                                    },
                                                    false},
                                           Fallback{"SymlinkToAFileOfOurs",
                                                    [](const QString &fallback, const QString &elsewhere) {
                                                        return QFile::link(elsewhere, fallback);
                                                    },
                                                    false},
                                           Fallback{"HardLinkToAFileOfOurs",
                                                    [](const QString &fallback, const QString &elsewhere) {
                                                        return ::link(QFile::encodeName(elsewhere).constData(),
                                                                      QFile::encodeName(fallback).constData())
                                                               == 0;
                                                    },
                                                    false},
                                           Fallback{"OurOwnLeftover",
                                                    [](const QString &fallback, const QString &) {
                                                        qv::test::writeAll(fallback, "#newpage@\r\n#newpage@\r\n");
                                                        return true;
                                                    },
                                                    true}),
                         [](const ::testing::TestParamInfo<Fallback> &info) { return std::string(info.param.name); });

} // namespace
