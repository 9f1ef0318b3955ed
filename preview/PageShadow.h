// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page's shadow on the grey background of the preview, as document
// viewers draw it: a soft shadow, offset down and to the right, that fades
// into the background over a few pixels.
#pragma once

#include <QObject>
#include <QPixmap>

class QPainter;
class QRect;
class QWidget;

namespace qv {

class PageShadow : public QObject
{
    Q_OBJECT
public:
    /// The margin around the page, in device-independent pixels.
    static constexpr int Margine = 16;
    /// How far the shadow is moved down and to the right of the page.
    static constexpr int Scarto = 2;
    /// Over how many pixels either side of its edge the shadow fades out.
    static constexpr int Sfumatura = 5;
    /// How far the shadow reaches beyond the page's right and bottom edges.
    static constexpr int Ombra = Scarto + Sfumatura;
    /// The shadow's darkest alpha (0-255), well inside its edges.
    static constexpr int AlfaMassimo = 96;

    /// Draws the shadow of \a pagina on its parent (the viewport), under it.
    explicit PageShadow(QWidget *pagina);

    /// Paints the shadow of a page at \a page (logical pixels) with
    /// \a painter, whose device has the pixel ratio \a dpr.
    static void paint(QPainter &painter, const QRect &page, qreal dpr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_pagina;
};

} // namespace qv
