// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "imaging/ModuloConversione.h"

#include "platform/Platform.h"
#include "qvpreview/CPalette.h"
#include "qvpreview/Error.h"
#include "render/PageSurface.h"

#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <limits>
#include <new>

namespace qv::ModuloConversione {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kColourTableBytes = 256 * 4;
constexpr int kInfoBytes = kInfoHeaderBytes + kColourTableBytes; // 1064
constexpr int kPixelOffset = kFileHeaderBytes + kInfoBytes;      // 1078
// Larger pictures are refused as unreadable: no screen page comes near it.
constexpr double kMaxSidePixels = 65535;

// The nearest-colour mapping onto the halftone colours. The halftone palette
// is a 5x5x5 cube (index = r + 5 g + 25 b) followed by copies of black, and
// the nearest cube colour by summed component distance is the nearest level
// in each component separately; ties go to the lower level, which is the
// lower index, as ClosestIndex() breaks them. So three tables of 256 entries,
// filled once from ClosestIndex() on the axes, give ClosestIndex() - 1 for
// every colour without a search.
struct HalftoneMap
{
    std::array<uint8_t, 256> red{}, green{}, blue{};
    std::array<uint8_t, kColourTableBytes> colourTable{};

    HalftoneMap()
    {
        CPalette palette;
        palette.CreateHalfTone();
        for (int c = 0; c < 256; ++c) {
            red[c] = uint8_t(palette.ClosestIndex(c, 0, 0) - 1);
            green[c] = uint8_t(palette.ClosestIndex(0, c, 0) - 1);
            blue[c] = uint8_t(palette.ClosestIndex(0, 0, c) - 1);
        }
        const int copied = std::min(palette.Count(), 256);
        for (int k = 0; k < copied; ++k) {
            const PaletteEntry e = palette.Entry(k + 1);
            colourTable[4 * k] = e.blue;
            colourTable[4 * k + 1] = e.green;
            colourTable[4 * k + 2] = e.red;
            colourTable[4 * k + 3] = 0;
        }
    }

    uint8_t operator()(QRgb p) const { return uint8_t(red[qRed(p)] + green[qGreen(p)] + blue[qBlue(p)]); }
};

const HalftoneMap &halftone()
{
    static const HalftoneMap map;
    return map;
}

void put32(char *p, int32_t v)
{
    qToLittleEndian<int32_t>(v, p);
}

void put16(char *p, int16_t v)
{
    qToLittleEndian<int16_t>(v, p);
}

// Copies the image onto the bitmap, each pixel mapped to its table colour,
// the top row of the image last in the bitmap.
void copia(const QImage &source, Dib256 &dib)
{
    const QImage image = (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32)
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const HalftoneMap &map = halftone();
    // A page is mostly runs of one colour (paper, text ink): the last
    // pixel's index is kept and reused while the colour repeats.
    QRgb last = 0;
    uint8_t lastIndex = map(last);
    for (int y = 0; y < dib.height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        auto *out = reinterpret_cast<uint8_t *>(dib.pixels.data()) + qsizetype(dib.height - 1 - y) * dib.stride;
        for (int x = 0; x < dib.width; ++x) {
            const QRgb p = in[x];
            if (p != last) {
                last = p;
                lastIndex = map(p);
            }
            out[x] = lastIndex;
        }
    }
}

[[noreturn]] void erroreImmagine()
{
    throw Error(ErrPictureInfo, QStringLiteral("SalvaBitmap256"));
}

} // namespace

uint8_t IndiceMezzatinta(int red, int green, int blue)
{
    return halftone()(qRgb(red, green, blue));
}

bool ErroreScrittura(bool ok, int64_t asked, int64_t written)
{
    return !ok || written != asked;
}

std::optional<Dib256> CreaDIB256(int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        return std::nullopt;
    const int64_t stride = (int64_t(width) + 3) / 4 * 4;
    const int64_t imageSize = stride * height;
    if (imageSize + kPixelOffset > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    try {
        Dib256 dib;
        dib.width = width;
        dib.height = height;
        dib.stride = int32_t(stride);
        dib.info = QByteArray(kInfoBytes, '\0');
        char *h = dib.info.data();
        put32(h + 0, kInfoHeaderBytes);
        put32(h + 4, width);
        put32(h + 8, height); // positive: rows bottom-up
        put16(h + 12, 1);     // planes
        put16(h + 14, 8);     // bits per pixel
        put32(h + 16, 0);     // no compression
        put32(h + 20, int32_t(imageSize));
        // Resolutions, colours used (0: all 256) and important colours stay 0.
        const auto &table = halftone().colourTable;
        std::copy(table.begin(), table.end(), h + kInfoHeaderBytes);
        dib.pixels = QByteArray(qsizetype(imageSize), '\0');
        if (dib.pixels.size() != imageSize)
            return std::nullopt;
        return dib;
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

bool ScriviFileBitmap(const QByteArray &info, const QByteArray &pixels, const QString &path)
{
    // Written in place, not through a temporary file and a rename: the file is
    // the preview's own throw-away page image, the caller falls back to the
    // full-colour page on false, and the disk sync that a safe replacement
    // needs would cost several times the conversion on every page shown. A
    // file whose writing failed part-way stays, closed.
    // Unbuffered, so that a short write shows in write()'s result. The old
    // contents are overwritten and only then cut to the new length, never
    // truncated to nothing first: on ext4 a file emptied and rewritten is
    // flushed to disk on close, which would put a disk write into every page
    // change.
    // Only a regular file, opened without blocking: a FIFO put at the name
    // would block the page's writes for good once its buffer is full, and a
    // device would take them.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return false;
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    char header[kFileHeaderBytes] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, int32_t(pixels.size() + kPixelOffset));
    put32(header + 6, 0);
    put32(header + 10, kPixelOffset);

    qint64 written = file.write(header, kFileHeaderBytes);
    bool failed = ErroreScrittura(written >= 0, kFileHeaderBytes, written);
    if (!failed) {
        written = file.write(info);
        failed = ErroreScrittura(written >= 0, info.size(), written);
    }
    if (!failed) {
        written = file.write(pixels);
        failed = ErroreScrittura(written >= 0, pixels.size(), written);
    }
    // What is left of the old contents goes, also after a failed write.
    if (file.size() != file.pos() && !file.resize(file.pos()))
        failed = true;
    file.close();
    return !failed && file.error() == QFileDevice::NoError;
}

QImage ImmagineRGB32(const QImage &image)
{
    if (image.format() != QImage::Format_Indexed8)
        return image.convertToFormat(QImage::Format_RGB32);
    // One table lookup a pixel, on this thread: Qt's own conversion hands an
    // image of this size to its thread pool, whose wake-ups cost more than the
    // conversion itself.
    const QList<QRgb> table = image.colorTable();
    std::array<QRgb, 256> colours{};
    for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), 256); ++i)
        colours[i] = table[i] | 0xFF000000u;
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const uchar *in = image.constScanLine(y);
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = colours[in[x]];
    }
    out.setDevicePixelRatio(image.devicePixelRatio());
    return out;
}

bool SalvaBitmap256(const QImage &image, const QString &path)
{
    if (path.isEmpty())
        return false;
    try {
        if (image.isNull())
            erroreImmagine();
        std::optional<Dib256> dib = CreaDIB256(image.width(), image.height());
        if (!dib)
            return false;
        copia(image, *dib);
        return ScriviFileBitmap(dib->info, dib->pixels, path);
    } catch (const Error &) {
        return false; // 6000: the picture could not be read
    } catch (const std::bad_alloc &) {
        return false;
    }
}

bool SalvaBitmap256(const PageSurface *picture, const QString &path, double pixelsPerTwip)
{
    if (path.isEmpty())
        return false;
    try {
        if (!picture)
            erroreImmagine();
        const double scale = pixelsPerTwip == 0 ? 1.0 / platform::twipsPerPixelX() : pixelsPerTwip;
        const FrozenPage page = picture->Picture();
        if (!page || !(scale > 0) || !std::isfinite(scale) || page->sizeTwips().width() * scale > kMaxSidePixels
            || page->sizeTwips().height() * scale > kMaxSidePixels)
            erroreImmagine();
        const QImage image = page->render(scale);
        if (image.isNull())
            erroreImmagine();
        return SalvaBitmap256(image, path);
    } catch (const Error &) {
        return false; // 6000: the picture could not be read
    } catch (const std::bad_alloc &) {
        return false;
    }
}

} // namespace qv::ModuloConversione
