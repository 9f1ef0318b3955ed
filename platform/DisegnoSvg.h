// qvPreview - print preview for Qt applications.
// SVG pictures of the resources drawn for the windows: the about box's icon
// and banner, the installer's button and icon. Header only, so that the
// installer uses it without the control library's windows.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace qv::platform {

/// The SVG resource \a resource drawn at \a size logical pixels, sharp on
/// screens of \a devicePixelRatio.
inline QPixmap disegnaSvg(const QString &resource, QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace qv::platform
