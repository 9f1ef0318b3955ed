// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/PictureFile.h"

#include "platform/FileSystem.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

namespace qv {

namespace {
constexpr double HimetricPerInch = 2540.0;
constexpr double HimetricPerMetre = 100000.0;
/// Qt's SVG reader turns mm, cm and in into its own units at 90 to the inch.
constexpr double SvgUnitsPerInch = 90.0;

/// The raster formats read from picture files (Qt's names).
bool acceptedRasterFormat(const QByteArray &format)
{
    static const QByteArrayList accepted{"png", "bmp", "jpeg", "jpg", "ico", "cur", "gif"};
    return accepted.contains(format.toLower());
}

/// True when \a data begins (after a byte-order mark and blanks) like an
/// XML document: the one way an SVG document can begin.
bool looksLikeXml(const QByteArray &data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return i < data.size() && data[i] == '<';
}

/// Checks that \a svg is a well-formed document that refers to nothing
/// outside itself: every link is to an element of the document ("#id") or
/// data within it ("data:"). Qt's renderer would otherwise open the files
/// that an image element names, pipes and devices included.
bool selfContained(const QByteArray &svg, QString *error)
{
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        for (const QXmlStreamAttribute &a : xml.attributes()) {
            if (a.name() != QLatin1String("href"))
                continue;
            const QStringView link = a.value().trimmed();
            if (!link.isEmpty() && !link.startsWith(QLatin1Char('#'))
                && !link.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
                if (error)
                    *error = QCoreApplication::translate("qv::PictureFile",
                                                         "documento SVG con un riferimento esterno non ammesso: \"%1\"")
                                 .arg(link.left(200));
                return false;
            }
        }
    }
    if (xml.hasError()) {
        if (error)
            *error = QCoreApplication::translate("qv::PictureFile", "documento SVG non valido alla riga %1: %2")
                         .arg(xml.lineNumber())
                         .arg(xml.errorString());
        return false;
    }
    return true;
}

void setError(QString *error, PictureData::LoadError *kind, PictureData::LoadError k, const QString &why)
{
    if (error)
        *error = why;
    if (kind)
        *kind = k;
}

} // namespace

PictureData PictureData::fromVariant(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.metaType() == QMetaType::fromType<QPicture>())
        return fromPicture(value.value<QPicture>());
    if (value.metaType() == QMetaType::fromType<QImage>())
        return PictureData(value.value<QImage>());
    if (value.metaType() == QMetaType::fromType<QPixmap>())
        return PictureData(value.value<QPixmap>().toImage());
    return {};
}

PictureData PictureData::fromPicture(const QPicture &picture)
{
    const QRect box = picture.boundingRect();
    if (picture.isNull() || box.isEmpty())
        return {};
    const double dpiX = picture.logicalDpiX() > 0 ? picture.logicalDpiX() : 96.0;
    const double dpiY = picture.logicalDpiY() > 0 ? picture.logicalDpiY() : 96.0;

    // The SVG document covers the picture's bounding rectangle, at the
    // picture's resolution, so that its size in millimetres is the picture's.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(box.size());
    generator.setViewBox(box);
    generator.setResolution(int(std::lround(dpiX)));
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    painter.drawPicture(QPointF(0, 0), picture);
    if (!painter.end())
        return {};
    std::optional<PictureData> svg = fromSvg(buffer.data());
    if (!svg)
        return {};
    svg->m_naturalHimetric = QSizeF(box.width() / dpiX * HimetricPerInch, box.height() / dpiY * HimetricPerInch);
    return *svg;
}

std::optional<PictureData> PictureData::fromSvg(const QByteArray &svg, QString *error)
{
    if (!selfContained(svg, error))
        return std::nullopt;
    auto renderer = std::make_shared<QSvgRenderer>(svg);
    if (!renderer->isValid()) {
        if (error)
            *error = QCoreApplication::translate("qv::PictureFile", "documento SVG non leggibile");
        return std::nullopt;
    }
    PictureData data;
    data.m_svgData = svg;
    data.m_naturalHimetric = QSizeF(renderer->defaultSize()) / SvgUnitsPerInch * HimetricPerInch;
    data.m_svg = std::move(renderer);
    return data;
}

QSizeF PictureData::naturalSizeHimetric() const
{
    if (isVector())
        return m_naturalHimetric;
    const double dpmX = m_image.dotsPerMeterX() > 0 ? m_image.dotsPerMeterX() : 3780.0;
    const double dpmY = m_image.dotsPerMeterY() > 0 ? m_image.dotsPerMeterY() : 3780.0;
    return QSizeF(m_image.width() / dpmX * HimetricPerMetre, m_image.height() / dpmY * HimetricPerMetre);
}

void PictureData::paint(QPainter &painter, const QRectF &target) const
{
    if (isNull() || target.isEmpty())
        return;
    if (!isVector()) {
        painter.drawImage(target, m_image);
        return;
    }
    m_svg->render(&painter, target);
}

qint64 PictureData::memoryBytes() const
{
    return isVector() ? qint64(m_svgData.size()) * 4 : qint64(m_image.sizeInBytes());
}

qint64 PictureData::identity() const
{
    return isVector() ? qint64(reinterpret_cast<quintptr>(m_svg.get())) : m_image.cacheKey();
}

bool PictureData::save(const QString &path) const
{
    if (isNull())
        return false;
    if (!isVector())
        return m_image.save(path, "PNG");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    const bool written = file.write(m_svgData) == m_svgData.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

std::optional<PictureData> PictureData::load(const QString &path, QString *error, LoadError *kind,
                                             const PictureLimits &limits)
{
    setError(error, kind, LoadError::None, QString());
    QFile file;
    int errorNumber = 0;
    switch (platform::openRegularFile(file, path, std::numeric_limits<int64_t>::max(), &errorNumber)) {
    case platform::OpenRegularResult::Opened: break;
    case platform::OpenRegularResult::NotFound:
        setError(error, kind, LoadError::NotFound, QCoreApplication::translate("qv::PictureFile", "file non trovato"));
        return std::nullopt;
    case platform::OpenRegularResult::NotRegular:
    case platform::OpenRegularResult::TooLarge:
        setError(error, kind, LoadError::NotAFile, QCoreApplication::translate("qv::PictureFile", "non è un file"));
        return std::nullopt;
    case platform::OpenRegularResult::Failed:
        setError(error, kind, LoadError::Invalid,
                 QCoreApplication::translate("qv::PictureFile", "impossibile aprire il file: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errorNumber))));
        return std::nullopt;
    }

    const QByteArray head = file.peek(64);
    if (head.startsWith("QPIC")) {
        setError(error, kind, LoadError::Invalid,
                 QCoreApplication::translate("qv::PictureFile",
                                             "dati QPicture non ammessi: solo immagini raster e documenti SVG"));
        return std::nullopt;
    }

    if (looksLikeXml(head)) {
        if (file.size() > MaxSvgBytes) {
            setError(error, kind, LoadError::Invalid,
                     QCoreApplication::translate("qv::PictureFile", "documento SVG oltre %1 MiB")
                         .arg(MaxSvgBytes / (1024 * 1024)));
            return std::nullopt;
        }
        // The file's length, and one byte more to tell a file that grew.
        const QByteArray svg = file.read(std::min(file.size(), MaxSvgBytes) + 1);
        if (svg.size() > MaxSvgBytes) {
            setError(error, kind, LoadError::Invalid,
                     QCoreApplication::translate("qv::PictureFile", "documento SVG oltre %1 MiB")
                         .arg(MaxSvgBytes / (1024 * 1024)));
            return std::nullopt;
        }
        if (qint64(svg.size()) * 4 > limits.maxBytes) {
            setError(error, kind, LoadError::TooLarge,
                     QCoreApplication::translate("qv::PictureFile",
                                                 "documento SVG di %1 byte oltre la memoria rimasta alla pagina")
                         .arg(svg.size()));
            return std::nullopt;
        }
        QString why;
        std::optional<PictureData> picture = fromSvg(svg, &why);
        if (!picture)
            setError(error, kind, LoadError::Invalid, why);
        return picture;
    }

    QImageReader reader(&file);
    const QByteArray format = reader.format();
    if (!acceptedRasterFormat(format)) {
        setError(error, kind, LoadError::Invalid,
                 format.isEmpty() ? QCoreApplication::translate(
                     "qv::PictureFile", "nessuna immagine di un formato ammesso (BMP, PNG, JPEG, ICO, GIF, SVG)")
                                  : QCoreApplication::translate("qv::PictureFile", "formato non ammesso: %1")
                                        .arg(QString::fromLatin1(format)));
        return std::nullopt;
    }
    QSize size = reader.size();
    if (size.isValid() && limits.fitInto.isValid()) {
        const QSize fitted(std::min(size.width(), std::max(1, limits.fitInto.width())),
                           std::min(size.height(), std::max(1, limits.fitInto.height())));
        if (fitted != size)
            reader.setScaledSize(fitted);
        size = fitted;
    }
    // Decoded as 32 bits a pixel.
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > limits.maxBytes) {
        setError(error, kind, LoadError::TooLarge,
                 QCoreApplication::translate("qv::PictureFile",
                                             "immagine di %1 x %2 pixel oltre la memoria rimasta alla pagina")
                     .arg(size.width())
                     .arg(size.height()));
        return std::nullopt;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        setError(
            error, kind, LoadError::Invalid,
            QCoreApplication::translate("qv::PictureFile", "immagine non leggibile: %1").arg(reader.errorString()));
        return std::nullopt;
    }
    // Drawn as it is kept: a format that the painter would convert at every
    // draw is converted once here.
    const QImage::Format drawn = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != drawn)
        image = std::move(image).convertToFormat(drawn);
    if (image.isNull() || qint64(image.sizeInBytes()) > limits.maxBytes) {
        setError(error, kind, LoadError::TooLarge,
                 QCoreApplication::translate("qv::PictureFile", "immagine oltre la memoria rimasta alla pagina"));
        return std::nullopt;
    }
    return PictureData(std::move(image));
}

} // namespace qv
