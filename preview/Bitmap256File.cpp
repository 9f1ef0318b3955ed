// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/Bitmap256File.h"

#include "imaging/ModuloConversione.h"
#include "spool/Win.h"

#include <QFile>

namespace qv {

void Bitmap256File::open()
{
    m_path = Win::NomeFileImmagine();
}

void Bitmap256File::remove()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
}

bool Bitmap256File::load(QImage &image) const
{
    QImage loaded;
    // The file is always our own bitmap: no format probing.
    if (m_path.isEmpty() || !loaded.load(m_path, "BMP"))
        return false;
    image = std::move(loaded);
    return true;
}

QImage Bitmap256File::convert(const QImage &raster) const
{
    // The file holds the rasterised part of the page at the resolution it is
    // shown with (the visible area, at most ImmaginePagina::PixelMassimi
    // pixels), not the whole page at 100 %: as sharp as the full-colour
    // display, and the same cost whatever the zoom.
    QImage loaded;
    if (ModuloConversione::SalvaBitmap256(raster, m_path) && load(loaded))
        return ModuloConversione::ImmagineRGB32(loaded);
    return QImage();
}

} // namespace qv
