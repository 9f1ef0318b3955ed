// qvPreview - print preview for Qt applications.
// The page surface as a 256-colour bitmap file with the halftone colours.
#pragma once

#include <QImage>
#include <QString>

namespace qv {
class PageSurface;
}

namespace qv::ModuloConversione {

/// Saves the drawing of \a picture as an 8-bit BMP file with the 256 halftone
/// colours at \a path, rendered at \a pixelsPerTwip (0: the surface's own
/// resolution, one pixel per screen pixel). True when the file was written
/// completely; false for an empty path, a missing surface or any failure.
bool SalvaBitmap256(const PageSurface *picture, const QString &path, double pixelsPerTwip = 0);

/// The same for an image already rendered.
bool SalvaBitmap256(const QImage &image, const QString &path);

} // namespace qv::ModuloConversione
