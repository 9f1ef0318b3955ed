// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/BarraScorrimento.h"

#include <algorithm>

#include <QPainter>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOptionSlider>

namespace qv {

namespace {

// Fill of a button or of the slider in its state: pressed darkest, then
// under the mouse, then at rest.
QColor colorePulsante(const QPalette &palette, bool premuto, bool sotto)
{
    const QColor base = palette.color(QPalette::Button);
    return base.darker(premuto ? 135 : sotto ? 118 : 108);
}

// A filled triangle pointing away from the centre of \a r, in the direction
// (dx, dy), one of the four axis directions.
void freccia(QPainter &p, const QRect &r, int dx, int dy, const QColor &colore)
{
    const double lato = std::max(3.0, std::min(r.width(), r.height()) * 0.3);
    const QPointF c = QRectF(r).center();
    const QPointF avanti(dx * lato * 0.5, dy * lato * 0.5);
    const QPointF traverso(-dy * lato, dx * lato); // perpendicular, the base
    const QPolygonF punta{c + avanti, c - avanti + traverso, c - avanti - traverso};
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(colore);
    p.drawPolygon(punta);
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

BarraScorrimento::BarraScorrimento(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    // Every pixel is painted below, so the window's background need not be.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarraScorrimento::paintEvent(QPaintEvent *)
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const auto area = [&](QStyle::SubControl sc) {
        return style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, this);
    };
    const auto stato = [&](QStyle::SubControl sc, bool &premuto, bool &sotto) {
        const bool attivo = opt.activeSubControls & sc;
        premuto = attivo && (opt.state & QStyle::State_Sunken);
        sotto = attivo && !premuto && (opt.state & QStyle::State_MouseOver);
    };
    const QPalette &pal = palette();
    const bool abilitata = isEnabled();

    QPainter p(this);
    p.fillRect(rect(), pal.color(QPalette::Window).darker(104));
    // A hairline on the side that faces the page.
    const QColor bordo = pal.color(QPalette::Mid);
    if (orientation() == Qt::Vertical)
        p.fillRect(QRect(0, 0, 1, height()), bordo);
    else
        p.fillRect(QRect(0, 0, width(), 1), bordo);

    const bool orizzontale = orientation() == Qt::Horizontal;
    const int verso = orizzontale && opt.direction == Qt::RightToLeft ? -1 : 1;
    const QColor testo = pal.color(abilitata ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    for (const QStyle::SubControl sc : {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine}) {
        const QRect r = area(sc);
        if (r.isEmpty())
            continue;
        bool premuto = false, sotto = false;
        stato(sc, premuto, sotto);
        if (premuto || sotto)
            p.fillRect(r, colorePulsante(pal, premuto, sotto));
        const int segno = sc == QStyle::SC_ScrollBarSubLine ? -1 : 1;
        if (orizzontale)
            freccia(p, r, segno * verso, 0, testo);
        else
            freccia(p, r, 0, segno, testo);
    }

    // Nothing to move: no slider, as the page fits in the window.
    if (!abilitata || maximum() <= minimum())
        return;
    QRect slider = area(QStyle::SC_ScrollBarSlider);
    // Keep the slider off the hairline and clear of the sides.
    slider = orizzontale ? slider.adjusted(0, 3, 0, -2) : slider.adjusted(3, 0, -2, 0);
    if (slider.isEmpty())
        return;
    bool premuto = false, sotto = false;
    stato(QStyle::SC_ScrollBarSlider, premuto, sotto);
    p.fillRect(slider, bordo);
    p.fillRect(slider.adjusted(1, 1, -1, -1), colorePulsante(pal, premuto, sotto));
}

} // namespace qv
