// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The zoom and scroll state of the preview's page view, without widgets: the
// page in the viewport (GeometriaPagina), the zoom commands, whether the zoom
// follows the viewport's size, and the scroll steps of the keys and the wheel.
// With ViewerModel (which page is on show) it is all the window shows;
// the window moves its widgets to it.
#pragma once

#include "preview/GeometriaPagina.h"

#include <QPointF>
#include <QSize>

#include <cstdint>

namespace qv {

class PageView
{
public:
    /// The zoom commands.
    enum class Zoom { Riduci, Ingrandisci, DimensioneReale, AdattaPagina, AdattaLarghezza };
    /// How the zoom follows the viewport: not at all (a step of the
    /// sequence), or fitted to its page or its width again whenever the
    /// viewport is resized.
    enum class Adattamento { Nessuno, Pagina, Larghezza };

    const GeometriaPagina &geometria() const { return m_geom; }
    /// For the scroll bars and the mouse: their values and drags go to the
    /// geometry directly.
    GeometriaPagina &geometria() { return m_geom; }
    Adattamento adattamento() const { return m_adatta; }

    /// The page size at 100 %, in twips: the page is shown at 100 %, or
    /// fitted again while the zoom follows the viewport (a fitted zoom fits
    /// the page in view).
    void setPagina(double larghezza, double altezza);
    /// The page in view changed size, and the zoom factor stays (the pages
    /// of the continuous view are all shown at one zoom).
    void setPageKeepingZoom(QSize twips);
    QSize pageTwips() const { return m_pageTwips; }

    /// Carries out \a comando: false, with nothing changed, at its limit (the
    /// window beeps). Done, the zoom follows the viewport from now on after a
    /// fitting command only, and the page is centred, or put on the scroll
    /// bars' grid where it is larger than the viewport.
    bool zoom(Zoom comando);

    /// The viewport's new size, in twips: with \a segui a fitted zoom is
    /// fitted again; then the scroll maxima follow and the page is centred.
    /// True when the zoom follows the viewport (with \a segui), so that the
    /// page is drawn again at its new size.
    bool setViewport(double larghezza, double altezza, bool segui);

    /// Scrolls down by \a twips (up when negative) in whole scroll units, at
    /// least one; false, with nothing changed, when the page is already at
    /// that end (or cannot scroll), where the keys turn the page.
    bool scorriVerticale(double twips);
    /// Scrolls right by \a twips (left when negative) the same way, as far as
    /// the scroll bar goes.
    void scorriOrizzontale(double twips);
    /// After a page turn: the new page from its top (\a dallInizio) or from
    /// its bottom. False when the page has no vertical scrolling, so nothing
    /// moved.
    bool mostraDa(bool dallInizio);

    /// Shows the page at \a fattore (1 = 100 %, up to 400 %), a zoom that does
    /// not follow the viewport; centred as after a zoom command. False, with
    /// nothing changed, outside the range.
    bool zoomA(double fattore);
    /// Carries out \a comando keeping the point of the page under \a punto
    /// (twips relative to the viewport) under it, as far as the scroll bars
    /// allow; a point off the page keeps the page's nearest edge. False at
    /// the command's limit, as zoom().
    bool zoomAttorno(Zoom comando, QPointF punto);

    /// Scroll units for a move of \a twips: rounded to the nearest unit, and
    /// at least one unit in the move's direction (up for 0, as the keys
    /// and the wheel take it).
    static int32_t unita(double twips);

private:
    GeometriaPagina m_geom;
    QSize m_pageTwips;
    Adattamento m_adatta = Adattamento::Nessuno;
};

} // namespace qv
