// qvPreview - print preview for Qt applications.
#include "replay/PictureFile.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace qv {

namespace {
constexpr double HimetricPerInch = 2540.0;
constexpr double HimetricPerMetre = 100000.0;
} // namespace

PictureData PictureData::fromVariant(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.metaType() == QMetaType::fromType<QPicture>())
        return PictureData(value.value<QPicture>());
    if (value.metaType() == QMetaType::fromType<QImage>())
        return PictureData(value.value<QImage>());
    if (value.metaType() == QMetaType::fromType<QPixmap>())
        return PictureData(value.value<QPixmap>().toImage());
    return {};
}

QSizeF PictureData::naturalSizeHimetric() const
{
    if (m_vector) {
        const QRect box = m_picture.boundingRect();
        const double dpiX = m_picture.logicalDpiX() > 0 ? m_picture.logicalDpiX() : 96.0;
        const double dpiY = m_picture.logicalDpiY() > 0 ? m_picture.logicalDpiY() : 96.0;
        return QSizeF(box.width() / dpiX * HimetricPerInch, box.height() / dpiY * HimetricPerInch);
    }
    const double dpmX = m_image.dotsPerMeterX() > 0 ? m_image.dotsPerMeterX() : 3780.0;
    const double dpmY = m_image.dotsPerMeterY() > 0 ? m_image.dotsPerMeterY() : 3780.0;
    return QSizeF(m_image.width() / dpmX * HimetricPerMetre, m_image.height() / dpmY * HimetricPerMetre);
}

void PictureData::paint(QPainter &painter, const QRectF &target) const
{
    if (isNull() || target.isEmpty())
        return;
    if (!m_vector) {
        painter.drawImage(target, m_image);
        return;
    }
    const QRectF box = m_picture.boundingRect();
    if (box.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / box.width(), target.height() / box.height());
    painter.translate(-box.topLeft());
    painter.drawPicture(QPointF(0, 0), m_picture);
    painter.restore();
}

bool PictureData::save(const QString &path) const
{
    if (isNull())
        return false;
    if (m_vector)
        return const_cast<QPicture &>(m_picture).save(path);
    return m_image.save(path, "PNG");
}

std::optional<PictureData> PictureData::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (file.peek(4) == "QPIC") {
        QPicture picture;
        if (picture.load(&file))
            return PictureData(picture);
        if (error)
            *error = QStringLiteral("immagine vettoriale non valida");
        return std::nullopt;
    }
    QImageReader reader(&file);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    }
    return PictureData(image);
}

} // namespace qv
