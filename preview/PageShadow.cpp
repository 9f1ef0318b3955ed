// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageShadow.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

/// How much of the shadow is left at \a u logical pixels outside its edge
/// (negative: inside): 1 well inside, 0 well outside, a smooth step across
/// the Sfumatura pixels either side, as a blurred edge looks.
double profilo(double u)
{
    const double t = std::clamp((u + PageShadow::Sfumatura) / (2.0 * PageShadow::Sfumatura), 0.0, 1.0);
    return 1.0 - t * t * (3.0 - 2.0 * t);
}

/// The shadow's nine-patch at \a dpr: corners of 2 * Sfumatura logical
/// pixels each side of a one-pixel middle row and column, made once per
/// pixel ratio. A rectangle's blur is the product of its two edges' profiles,
/// so each pixel is worked out directly instead of blurring an image.
QPixmap ninePatch(qreal dpr)
{
    const QString key = QStringLiteral("qv-page-shadow-%1").arg(dpr);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    const int corner = int(std::ceil(2 * PageShadow::Sfumatura * dpr));
    const int side = 2 * corner + 1;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    // Distance outside the edge of device pixel i of a row (or column) of the patch.
    const auto fuori = [&](int i) {
        if (i == corner)
            return -double(PageShadow::Sfumatura); // the middle: fully inside
        const int d = i < corner ? corner - i : i - corner;
        return (d - 0.5) / dpr - PageShadow::Sfumatura;
    };
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double py = profilo(fuori(y));
        for (int x = 0; x < side; ++x) {
            const int alpha = int(std::lround(PageShadow::AlfaMassimo * py * profilo(fuori(x))));
            line[x] = qRgba(0, 0, 0, alpha);
        }
    }
    cached = QPixmap::fromImage(image);
    QPixmapCache::insert(key, cached);
    return cached;
}

} // namespace

PageShadow::PageShadow(QWidget *pagina) : QObject(pagina), m_pagina(pagina)
{
    if (QWidget *viewport = pagina->parentWidget()) {
        viewport->installEventFilter(this);
        viewport->update();
    }
}

void PageShadow::paint(QPainter &painter, const QRect &page, qreal dpr)
{
    // The shadow's rectangle is the page moved down and right; its edges
    // fade over Sfumatura pixels either side, drawn from the nine-patch in
    // device pixels: the corners as they are, the edges stretched along.
    const QPixmap patch = ninePatch(dpr);
    const int c = (patch.width() - 1) / 2; // a corner, in device pixels
    const double cl = c / dpr;             // the same, in logical pixels
    const QRectF s = QRectF(page.translated(Scarto, Scarto)).adjusted(-Sfumatura, -Sfumatura, Sfumatura, Sfumatura);
    const double xs[] = {s.left(), s.left() + cl, s.right() - cl, s.right()};
    const double ys[] = {s.top(), s.top() + cl, s.bottom() - cl, s.bottom()};
    const int sx[] = {0, c, c + 1, 2 * c + 1};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            if (row == 1 && col == 1)
                continue; // under the page
            const QRectF target(QPointF(xs[col], ys[row]), QPointF(xs[col + 1], ys[row + 1]));
            const QRectF source(QPointF(sx[col], sx[row]), QPointF(sx[col + 1], sx[row + 1]));
            if (target.width() > 0 && target.height() > 0)
                painter.drawPixmap(target, patch, source);
        }
}

bool PageShadow::eventFilter(QObject *watched, QEvent *e)
{
    // The viewport's background is filled before its paint event; the page
    // widget is drawn over what is painted here.
    if (e->type() == QEvent::Paint && watched == m_pagina->parentWidget() && m_pagina->isVisible()) {
        auto *viewport = static_cast<QWidget *>(watched);
        QPainter painter(viewport);
        painter.setClipRegion(static_cast<QPaintEvent *>(e)->region());
        paint(painter, m_pagina->geometry(), viewport->devicePixelRatioF());
    }
    return QObject::eventFilter(watched, e);
}

} // namespace qv
