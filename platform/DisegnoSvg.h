// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// SVG pictures of the resources drawn for the windows: the about box's icon
// and banner, the installer's button and icon. Header only, so that the
// installer uses it without the control library's windows.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace qv::platform {

/// The SVG picture \a svg (a resource's path, or the document's bytes) drawn
/// at \a size logical pixels, sharp on screens of \a devicePixelRatio.
template <typename Svg>
inline QPixmap disegnaSvg(const Svg &svg, QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace qv::platform
