// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageView.h"

#include <algorithm>
#include <cmath>

namespace qv {

void PageView::setPagina(double larghezza, double altezza)
{
    m_pageTwips = QSize(int(larghezza), int(altezza));
    m_geom.setPagina(larghezza, altezza);
    if (m_adatta == Adattamento::Pagina)
        m_geom.adattaPagina();
    else if (m_adatta == Adattamento::Larghezza)
        m_geom.adattaLarghezza();
    if (m_adatta != Adattamento::Nessuno) {
        m_geom.aggiornaMassimi();
        m_geom.centra();
    }
}

void PageView::setPageKeepingZoom(QSize twips)
{
    if (twips == m_pageTwips)
        return;
    const double factor = m_geom.zoom();
    m_pageTwips = twips;
    m_geom.setPagina(twips.width(), twips.height());
    m_geom.impostaZoom(factor);
    m_geom.aggiornaMassimi();
    m_geom.centra();
}

bool PageView::zoom(Zoom comando)
{
    bool fatto = false;
    Adattamento modo = Adattamento::Nessuno;
    switch (comando) {
    case Zoom::Riduci: fatto = m_geom.riduci(); break;
    case Zoom::Ingrandisci: fatto = m_geom.ingrandisci(); break;
    case Zoom::DimensioneReale:
        m_geom.dimensioneReale();
        fatto = true;
        break;
    case Zoom::AdattaPagina:
        fatto = m_geom.adattaPagina();
        modo = Adattamento::Pagina;
        break;
    case Zoom::AdattaLarghezza:
        fatto = m_geom.adattaLarghezza();
        modo = Adattamento::Larghezza;
        break;
    }
    if (!fatto)
        return false;
    m_adatta = modo;
    m_geom.centra();
    return true;
}

bool PageView::zoomA(double fattore)
{
    if (!m_geom.impostaZoom(fattore))
        return false;
    m_adatta = Adattamento::Nessuno;
    m_geom.centra();
    return true;
}

bool PageView::zoomAttorno(Zoom comando, QPointF punto)
{
    // The point as a fraction of the page, so that it is found again at the new size.
    const QRectF prima = m_geom.immagine();
    if (prima.isEmpty())
        return zoom(comando);
    const double fx = std::clamp((punto.x() - prima.left()) / prima.width(), 0.0, 1.0);
    const double fy = std::clamp((punto.y() - prima.top()) / prima.height(), 0.0, 1.0);
    if (!zoom(comando))
        return false;
    const QRectF dopo = m_geom.immagine();
    m_geom.portaA(punto.x() - fx * dopo.width(), punto.y() - fy * dopo.height());
    return true;
}

bool PageView::setViewport(double larghezza, double altezza, bool segui)
{
    m_geom.setViewport(larghezza, altezza);
    if (segui && m_adatta == Adattamento::Pagina)
        m_geom.adattaPagina();
    else if (segui && m_adatta == Adattamento::Larghezza)
        m_geom.adattaLarghezza();
    m_geom.aggiornaMassimi();
    m_geom.centra();
    return segui && m_adatta != Adattamento::Nessuno;
}

int32_t PageView::unita(double twips)
{
    const long n = std::lround(twips / GeometriaPagina::TwipsPerUnita);
    return n ? int32_t(n) : twips > 0 ? 1 : -1;
}

bool PageView::scorriVerticale(double twips)
{
    if (twips > 0 ? m_geom.inFondo() : m_geom.inCima())
        return false;
    // As a scroll bar does: the value stays within the range, and only a
    // changed value moves the page.
    const StatoScroll &v = m_geom.scrollV();
    const int32_t valore = std::clamp(v.valore + unita(twips), 0, v.massimo);
    if (valore != v.valore)
        m_geom.setValoreV(valore);
    return true;
}

void PageView::scorriOrizzontale(double twips)
{
    const StatoScroll &h = m_geom.scrollH();
    const int32_t valore = std::clamp(h.valore + unita(twips), 0, h.massimo);
    if (valore != h.valore)
        m_geom.setValoreH(valore);
}

bool PageView::mostraDa(bool dallInizio)
{
    if (!m_geom.scrollV().abilitato)
        return false;
    m_geom.setValoreV(dallInizio ? 0 : m_geom.scrollV().massimo);
    return true;
}

} // namespace qv
