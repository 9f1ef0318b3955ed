// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Geometry of the small dialogs, which are laid out in twips like the page.
#pragma once

#include "platform/Platform.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>

#include <cmath>

namespace qv::twips {

/// A horizontal length in twips as screen pixels.
inline int px(double twipsX)
{
    return int(std::lround(twipsX / platform::twipsPerPixelX()));
}
/// A vertical length in twips as screen pixels.
inline int py(double twipsY)
{
    return int(std::lround(twipsY / platform::twipsPerPixelY()));
}
/// A rectangle given in twips (left, top, width, height) as screen pixels.
inline QRect rect(double left, double top, double width, double height)
{
    return QRect(px(left), py(top), px(width), py(height));
}
/// A size given in twips as screen pixels.
inline QSize size(double width, double height)
{
    return QSize(px(width), py(height));
}

/// Moves the window \a w to the centre of its screen's available area.
inline void centraSulloSchermo(QWidget *w)
{
    QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = w->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

} // namespace qv::twips
