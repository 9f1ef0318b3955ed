// SPDX-License-Identifier: MIT
// Tests of the 256-colour bitmap writer: the file layout byte for byte, the
// colour mapping, Qt's own reader on our files, and the failure paths.
#include "imaging/ModuloConversione.h"

#include "platform/Platform.h"
#include "qvpreview/CPalette.h"
#include "render/PageSurface.h"

#include "support/Blocking.h"
#include "support/FileLimit.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QtEndian>

#include <gmock/gmock.h>

using namespace qv::ModuloConversione;
using namespace qv::test;

namespace {

int32_t le32(const QByteArray &b, int offset)
{
    return qFromLittleEndian<int32_t>(b.constData() + offset);
}

int16_t le16(const QByteArray &b, int offset)
{
    return qFromLittleEndian<int16_t>(b.constData() + offset);
}

// The halftone colour table as the file holds it, worked out from the cube's
// levels rather than from the palette class.
QByteArray halftoneTableBytes()
{
    static const int L[5] = {0, 64, 128, 192, 255};
    QByteArray t(1024, '\0');
    for (int k = 0; k < 125; ++k) {
        t[4 * k] = char(L[k / 25]);
        t[4 * k + 1] = char(L[(k / 5) % 5]);
        t[4 * k + 2] = char(L[k % 5]);
    }
    return t;
}

QByteArray le32Bytes(int32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<int32_t>(v, b.data());
    return b;
}

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Indices of the halftone cube: red + 5 green + 25 blue.
constexpr int kWhite = 124, kRed = 4, kGreen = 20, kBlue = 100;

} // namespace

class Bitmap : public TempEnvTest
{
protected:
    QString path(const char *name = "page.bmp") const { return env.root() + QLatin1String(name); }
};

TEST_F(Bitmap, OnePixelGoldenBytes)
{
    ASSERT_TRUE(SalvaBitmap256(filled(1, 1, qRgb(255, 255, 255)), path()));
    QByteArray expected("BM");
    expected += le32Bytes(1082) + le32Bytes(0) + le32Bytes(1078);
    expected += le32Bytes(40) + le32Bytes(1) + le32Bytes(1);
    expected += QByteArray("\x01\x00\x08\x00", 4);
    expected += le32Bytes(0) + le32Bytes(4) + QByteArray(16, '\0');
    expected += halftoneTableBytes();
    expected += QByteArray("\x7c\0\0\0", 4); // white, then three padding bytes
    EXPECT_EQ(readAll(path()), expected);
}

struct WidthCase
{
    int width;
    int stride;
};

class BitmapWidths : public Bitmap, public ::testing::WithParamInterface<WidthCase>
{};

TEST_P(BitmapWidths, RowsArePaddedToAMultipleOfFour)
{
    const auto [width, stride] = GetParam();
    const int height = 3;
    ASSERT_TRUE(SalvaBitmap256(filled(width, height, qRgb(250, 10, 0)), path()));
    const QByteArray bytes = readAll(path());
    ASSERT_EQ(bytes.size(), 1078 + stride * height);
    EXPECT_EQ(le32(bytes, 2), bytes.size());
    EXPECT_EQ(le32(bytes, 10), 1078);
    EXPECT_EQ(le32(bytes, 14 + 4), width);
    EXPECT_EQ(le32(bytes, 14 + 8), height);
    EXPECT_EQ(le16(bytes, 14 + 12), 1);
    EXPECT_EQ(le16(bytes, 14 + 14), 8);
    EXPECT_EQ(le32(bytes, 14 + 20), stride * height);
    for (int row = 0; row < height; ++row) {
        const QByteArray r = bytes.mid(1078 + row * stride, stride);
        EXPECT_EQ(r.left(width), QByteArray(width, char(kRed))) << row;
        EXPECT_EQ(r.mid(width), QByteArray(stride - width, '\0')) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(ModuloConversione, BitmapWidths,
                         ::testing::Values(WidthCase{1, 4}, WidthCase{2, 4}, WidthCase{3, 4}, WidthCase{4, 4},
                                           WidthCase{5, 8}, WidthCase{640, 640}, WidthCase{641, 644}),
                         [](const auto &info) { return std::to_string(info.param.width); });

TEST_F(Bitmap, RowsAreStoredBottomUp)
{
    QImage image(2, 3, QImage::Format_RGB32);
    const QRgb rows[3] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            image.setPixel(x, y, rows[y]);
    ASSERT_TRUE(SalvaBitmap256(image, path()));
    const QByteArray pixels = readAll(path()).mid(1078);
    EXPECT_EQ(pixels, QByteArray::fromRawData("\x64\x64\0\0\x14\x14\0\0\x04\x04\0\0", 12));
    EXPECT_EQ(kBlue, 0x64);
    EXPECT_EQ(kGreen, 0x14);
}

TEST_F(Bitmap, OtherImageFormatsAreConverted)
{
    QImage image(3, 2, QImage::Format_RGB888);
    image.fill(QColor(0, 0, 255));
    ASSERT_TRUE(SalvaBitmap256(image, path()));
    EXPECT_EQ(readAll(path()).mid(1078, 3), QByteArray(3, char(kBlue)));
}

TEST(ModuloConversione, MappingIsClosestIndexOnTheHalftonePalette)
{
    qv::CPalette palette;
    palette.CreateHalfTone();
    // Every level boundary and its neighbours, in every combination...
    const int levels[] = {0,   1,   31,  32,  33,  63,  64,  65,  95,  96,  97,  127, 128,
                          129, 159, 160, 161, 191, 192, 193, 222, 223, 224, 225, 254, 255};
    for (int r : levels)
        for (int g : levels)
            for (int b : levels)
                ASSERT_EQ(IndiceMezzatinta(r, g, b) + 1, palette.ClosestIndex(r, g, b)) << r << ' ' << g << ' ' << b;
    // ...and a spread of other colours.
    QRandomGenerator random(42);
    for (int i = 0; i < 20000; ++i) {
        const int r = random.bounded(256), g = random.bounded(256), b = random.bounded(256);
        ASSERT_EQ(IndiceMezzatinta(r, g, b) + 1, palette.ClosestIndex(r, g, b)) << r << ' ' << g << ' ' << b;
    }
}

TEST_F(Bitmap, QtReadsBackTheSamePixels)
{
    QImage image(61, 47, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    ASSERT_TRUE(SalvaBitmap256(image, path()));

    qv::CPalette palette;
    palette.CreateHalfTone();
    const QImage loaded(path(), "BMP");
    ASSERT_FALSE(loaded.isNull());
    ASSERT_EQ(loaded.size(), image.size());
    EXPECT_EQ(loaded.format(), QImage::Format_Indexed8);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const qv::PaletteEntry e = palette.Entry(palette.ClosestIndex(qRed(p), qGreen(p), qBlue(p)));
            ASSERT_EQ(loaded.pixel(x, y), qRgb(e.red, e.green, e.blue)) << x << ',' << y;
        }
    }
}

TEST_F(Bitmap, WritingOverALongerFileReplacesIt)
{
    writeFile(path(), QByteArray(20000, 'x'));
    ASSERT_TRUE(SalvaBitmap256(filled(1, 1, qRgb(0, 0, 0)), path()));
    EXPECT_EQ(readAll(path()).size(), 1082);
}

TEST_F(Bitmap, FailuresGiveFalse)
{
    EXPECT_FALSE(SalvaBitmap256(filled(1, 1, 0), QString()));
    EXPECT_FALSE(SalvaBitmap256(QImage(), path()));
    EXPECT_FALSE(SalvaBitmap256(static_cast<const qv::PageSurface *>(nullptr), path()));
    EXPECT_FALSE(SalvaBitmap256(filled(1, 1, 0), path("no/such/folder/page.bmp")));
    EXPECT_FALSE(SalvaBitmap256(filled(1, 1, 0), env.root())); // a folder
    EXPECT_TRUE(QDir(env.root()).entryList(QDir::Files).isEmpty());
}

// The page image file's name taken by what is no regular file: refused
// without writing into it, and without blocking on a FIFO that nobody reads.
TEST_F(Bitmap, WhatIsNoRegularFileIsNeverWritten)
{
    const QString fifo = makeFifo(path("pipe.bmp"));
    ASSERT_FALSE(fifo.isEmpty());
    for (const QString &target : {fifo, QStringLiteral("/dev/null")}) {
        bool saved = true;
        // Far more than a FIFO's buffer.
        ASSERT_TRUE(endsInTime([&] { saved = SalvaBitmap256(filled(400, 400, qRgb(0, 0, 255)), target); }))
            << qPrintable(target) << ": the write blocks";
        EXPECT_FALSE(saved) << qPrintable(target);
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST_F(Bitmap, ShortWriteIsAFailure)
{
    {
        FileSizeLimit limit(4000); // the file needs 11078 bytes
        EXPECT_FALSE(SalvaBitmap256(filled(100, 100, 0), path()));
    }
    EXPECT_EQ(readAll(path()).size(), 4000); // what was written stays
}

TEST_F(Bitmap, ShortWriteOverALongerFileLeavesOnlyWhatWasWritten)
{
    writeFile(path(), QByteArray(20000, 'x'));
    {
        FileSizeLimit limit(4000);
        EXPECT_FALSE(SalvaBitmap256(filled(100, 100, 0), path()));
    }
    const QByteArray left = readAll(path());
    EXPECT_EQ(left.size(), 4000);
    EXPECT_TRUE(left.startsWith("BM"));
    EXPECT_FALSE(left.contains('x'));
}

TEST(ModuloConversione, ImmagineRGB32ExpandsThroughTheColourTable)
{
    QImage indexed(37, 5, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(10, 20, 30)});
    auto *generator = QRandomGenerator::global();
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indexed.scanLine(y)[x] = uchar(x == 3 ? 200 : generator->bounded(3)); // 200: beyond the table
    indexed.setDevicePixelRatio(2);
    const QImage rgb = ImmagineRGB32(indexed);
    ASSERT_EQ(rgb.format(), QImage::Format_RGB32);
    ASSERT_EQ(rgb.size(), indexed.size());
    EXPECT_EQ(rgb.devicePixelRatio(), 2);
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            const uchar i = indexed.constScanLine(y)[x];
            const QRgb expected = i < 3 ? indexed.colorTable()[i] : qRgb(0, 0, 0);
            ASSERT_EQ(rgb.pixel(x, y), expected) << x << ',' << y;
        }
    // Other formats are converted as Qt converts them.
    const QImage argb = filled(4, 4, qRgb(1, 2, 3)).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(ImmagineRGB32(argb).pixel(2, 2), qRgb(1, 2, 3));
}

TEST(ModuloConversione, CreaDIB256RefusesImpossibleSizes)
{
    EXPECT_FALSE(CreaDIB256(0, 1));
    EXPECT_FALSE(CreaDIB256(1, 0));
    EXPECT_FALSE(CreaDIB256(-4, 4));
    EXPECT_FALSE(CreaDIB256(100000, 100000)); // beyond the header's 32-bit sizes
    const auto dib = CreaDIB256(641, 2);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->stride, 644);
    EXPECT_EQ(dib->info.size(), 1064);
    EXPECT_EQ(dib->pixels, QByteArray(644 * 2, '\0'));
    EXPECT_EQ(dib->info.mid(40), halftoneTableBytes());
}

TEST(ModuloConversione, ErroreScritturaIsAFailureUnlessEverythingWasWritten)
{
    EXPECT_FALSE(ErroreScrittura(true, 14, 14));
    EXPECT_TRUE(ErroreScrittura(true, 14, 13));
    EXPECT_TRUE(ErroreScrittura(false, 14, 14));
    EXPECT_TRUE(ErroreScrittura(false, 0, 0));
}

TEST_F(Bitmap, PageSurfaceAtTheScreenResolution)
{
    qv::platform::setTwipsPerPixelForTesting(15, 15);
    qv::PageSurface surface;
    surface.setForeColor(255); // red
    surface.Line(1500, 1500, 3000, 3000, qv::LineKind::BoxFilled);
    ASSERT_TRUE(SalvaBitmap256(&surface, path()));
    const QImage expected = surface.Picture()->render(1.0 / 15);
    const QImage loaded(path(), "BMP");
    ASSERT_EQ(loaded.size(), expected.size());
    EXPECT_EQ(loaded.width(), 768);
    EXPECT_EQ(loaded.pixel(150, 150), qRgb(255, 0, 0));
    EXPECT_EQ(loaded.pixel(20, 20), qRgb(255, 255, 255));

    ASSERT_TRUE(SalvaBitmap256(&surface, path(), 1.0 / 30));
    EXPECT_EQ(QImage(path(), "BMP").width(), 384);
    EXPECT_FALSE(SalvaBitmap256(&surface, path(), -1.0));
    EXPECT_FALSE(SalvaBitmap256(&surface, path(), 1000.0)); // far too large to render
}
