// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageShadow.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace qv {

PageShadow::PageShadow(QWidget *pagina) : QObject(pagina), m_pagina(pagina)
{
    if (QWidget *viewport = pagina->parentWidget()) {
        viewport->installEventFilter(this);
        viewport->update();
    }
}

bool PageShadow::eventFilter(QObject *watched, QEvent *e)
{
    // The viewport's background is filled before its paint event; the page
    // widget is drawn over what is painted here. A few translucent bands
    // instead of a blur: a shadow costs a handful of rectangles per paint.
    if (e->type() == QEvent::Paint && watched == m_pagina->parentWidget() && m_pagina->isVisible()) {
        auto *viewport = static_cast<QWidget *>(watched);
        QPainter painter(viewport);
        painter.setClipRegion(static_cast<QPaintEvent *>(e)->region());
        painter.setPen(Qt::NoPen);
        const QRect page = m_pagina->geometry();
        for (int i = Ombra; i >= 1; --i) {
            painter.setBrush(QColor(0, 0, 0, 22));
            painter.drawRect(page.translated(i - 1, i - 1).adjusted(0, 0, 1, 1));
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QColor(0, 0, 0, 90));
        painter.drawRect(page.adjusted(-1, -1, 0, 0));
    }
    return QObject::eventFilter(watched, e);
}

} // namespace qv
