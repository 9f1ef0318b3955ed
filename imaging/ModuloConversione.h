// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page surface as a 256-colour bitmap file with the halftone colours.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv {
class PageSurface;
}

namespace qv::ModuloConversione {

/// Saves the drawing of \a picture as an 8-bit BMP file with the 256 halftone
/// colours at \a path, rendered at \a pixelsPerTwip (0: the surface's own
/// resolution, one pixel per screen pixel). True when the file was written
/// completely; false for an empty path, a missing surface or any failure.
///
/// Each pixel becomes the halftone colour that CPalette::ClosestIndex() picks
/// for it (no dithering). An existing file is replaced; when writing fails
/// part-way the result is false and the shorter file stays.
bool SalvaBitmap256(const PageSurface *picture, const QString &path, double pixelsPerTwip = 0);

/// The same for an image already rendered (a null image gives false).
bool SalvaBitmap256(const QImage &image, const QString &path);

/// \a image as an RGB32 image; a colour-table image (such as a loaded
/// 256-colour bitmap) is expanded through its table, an index outside the
/// table giving black.
QImage ImmagineRGB32(const QImage &image);

// --- Used inside the module; declared here for its tests ------------------

/// An 8-bit bottom-up bitmap: its 1064-byte information block (the 40-byte
/// header and the 1024-byte halftone colour table) and its pixel bytes, one
/// colour-table index per pixel, rows padded to \c stride bytes.
struct Dib256
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    QByteArray info;
    QByteArray pixels;
};

/// A new bitmap of \a width x \a height pixels, all pixels index 0; nullopt
/// when the size is not positive or the file would not fit the 32-bit
/// sizes of its header.
std::optional<Dib256> CreaDIB256(int32_t width, int32_t height);

/// Writes the 14-byte file header, \a info and \a pixels to \a path; true
/// when all three were written in full.
bool ScriviFileBitmap(const QByteArray &info, const QByteArray &pixels, const QString &path);

/// True (a failure) unless the write succeeded and wrote all it was asked to.
bool ErroreScrittura(bool ok, int64_t asked, int64_t written);

/// The 0-based halftone colour-table index of a colour (components 0-255):
/// the same index as CPalette::ClosestIndex(red, green, blue) - 1 on the
/// halftone palette, found through per-component tables instead of a search.
uint8_t IndiceMezzatinta(int red, int green, int blue);

} // namespace qv::ModuloConversione
