// qvPreview - print preview for Qt applications.
// Pictures as the control records them and the replay paints them: a raster
// image or a vector picture, kept in a temporary picture file between the two.
#pragma once

#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QVariant>

#include <optional>

class QPainter;

namespace qv {

class PictureData
{
public:
    PictureData() = default;
    explicit PictureData(QImage image) : m_image(std::move(image)) {}
    explicit PictureData(QPicture picture) : m_picture(std::move(picture)), m_vector(true) {}

    /// A QImage, QPixmap or QPicture held in \a value; a null picture otherwise.
    static PictureData fromVariant(const QVariant &value);

    bool isNull() const { return m_vector ? m_picture.isNull() : m_image.isNull(); }
    bool isVector() const { return m_vector; }
    const QImage &image() const { return m_image; }
    const QPicture &picture() const { return m_picture; }

    /// The picture's own size in hundredths of a millimetre.
    QSizeF naturalSizeHimetric() const;
    /// Paints the picture stretched into \a target (in the painter's coordinates).
    void paint(QPainter &painter, const QRectF &target) const;

    /// Writes the picture to \a path (PNG for a raster, Qt's picture format for
    /// a vector picture). False when the file cannot be written.
    bool save(const QString &path) const;
    /// Reads a picture file written by save(), or any image file that Qt
    /// reads (BMP, PNG, JPEG, ICO, SVG). Nullopt when it holds no picture;
    /// \a error then says why.
    static std::optional<PictureData> load(const QString &path, QString *error = nullptr);

private:
    QImage m_image;
    QPicture m_picture;
    bool m_vector = false;
};

} // namespace qv
