// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Pictures as the control records them and the replay paints them: a raster
// image or a vector picture, kept in a temporary picture file between the two.
//
// A picture file holds a raster image (PNG as the control writes it, or any
// of BMP, PNG, JPEG, ICO, GIF) or an SVG document. The file may come from
// elsewhere, since a spool file can name any path: only formats whose Qt
// readers are hardened against hostile input are read. Qt's own picture
// format (QPicture) is not one of them and is refused: a host's QPicture is
// turned into SVG when it is recorded.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QVariant>

#include <limits>
#include <memory>
#include <optional>

class QPainter;
class QPicture;
class QSvgRenderer;

namespace qv {

/// Limits of PictureData::load().
struct PictureLimits
{
    /// A raster image larger than this is decoded scaled down to it (each
    /// side on its own); an invalid size decodes at full size.
    QSize fitInto;
    /// The most the decoded picture may take (PictureData::memoryBytes()).
    qint64 maxBytes = std::numeric_limits<qint64>::max();
};

class PictureData
{
public:
    PictureData() = default;
    explicit PictureData(QImage image) : m_image(std::move(image)) {}

    /// A QImage or QPixmap (raster) or a QPicture (vector, turned into SVG)
    /// held in \a value; a null picture otherwise.
    static PictureData fromVariant(const QVariant &value);
    /// \a picture played onto an SVG document of its bounding rectangle; its
    /// natural size is that of the QPicture. Null for an empty picture.
    static PictureData fromPicture(const QPicture &picture);
    /// The SVG document \a svg; nullopt, with the reason in \a error, when Qt's
    /// SVG renderer does not read it or it refers to anything outside itself.
    static std::optional<PictureData> fromSvg(const QByteArray &svg, QString *error = nullptr);

    bool isNull() const { return !m_svg && m_image.isNull(); }
    bool isVector() const { return bool(m_svg); }
    const QImage &image() const { return m_image; }
    /// The SVG document of a vector picture.
    const QByteArray &svg() const { return m_svgData; }

    /// The picture's own size in hundredths of a millimetre. An SVG document's
    /// size is read in Qt's SVG units, 90 to the inch, so that sizes given in
    /// millimetres, centimetres or inches are exact.
    QSizeF naturalSizeHimetric() const;
    /// Paints the picture stretched into \a target (in the painter's coordinates).
    void paint(QPainter &painter, const QRectF &target) const;

    /// What holding the picture costs in memory, in bytes: the decoded
    /// image's pixels, or an SVG document's text four times over (the parsed
    /// document is a few times its text).
    qint64 memoryBytes() const;
    /// The same number for two copies of one decoded picture, another one
    /// for a picture decoded or parsed anew.
    qint64 identity() const;

    /// Writes the picture to \a path (PNG for a raster, SVG for a vector
    /// picture). False when the file cannot be written.
    bool save(const QString &path) const;

    /// How load() failed.
    enum class LoadError {
        None,
        NotFound, ///< no such file
        NotAFile, ///< a folder, device, pipe or socket: never read
        Invalid,  ///< no picture of an accepted format, or a damaged one
        TooLarge, ///< the decoded picture would exceed maxBytes
    };
    /// The longest SVG document read, in bytes.
    static constexpr qint64 MaxSvgBytes = 32 * 1024 * 1024;

    /// Reads a picture file written by save(), or any raster image or SVG
    /// document of the accepted formats. Only a regular file is opened (a
    /// device or a pipe is NotAFile). Nullopt when it holds no picture;
    /// \a error then says why in Italian, and \a kind how it failed.
    static std::optional<PictureData> load(const QString &path, QString *error = nullptr, LoadError *kind = nullptr,
                                           const PictureLimits &limits = {});

private:
    QImage m_image;
    QByteArray m_svgData;
    std::shared_ptr<QSvgRenderer> m_svg;
    QSizeF m_naturalHimetric; // of a vector picture
};

} // namespace qv
