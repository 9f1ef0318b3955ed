// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/GeometriaPagina.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace qv {

int32_t arrotondaPari(double value)
{
    // std::nearbyint rounds halves to even in the default rounding mode.
    const double r = std::nearbyint(value);
    return int32_t(std::clamp(r, double(INT32_MIN), double(INT32_MAX)));
}

int16_t arrotonda16(double value)
{
    return int16_t(std::clamp(arrotondaPari(value), int32_t(INT16_MIN), int32_t(INT16_MAX)));
}

void GeometriaPagina::setPagina(double larghezza, double altezza)
{
    m_pagina = QSizeF(std::max(0.0, larghezza), std::max(0.0, altezza));
    m_immagine.setSize(m_pagina);
}

void GeometriaPagina::setViewport(double larghezza, double altezza)
{
    m_viewport = QSizeF(std::max(0.0, larghezza), std::max(0.0, altezza));
}

double GeometriaPagina::zoom() const
{
    return m_pagina.height() > 0 ? m_immagine.height() / m_pagina.height() : 1.0;
}

int GeometriaPagina::percentuale() const
{
    return int(std::floor(zoom() * 100.0 + 0.5));
}

namespace {

// The steps are the powers of two times the page size. A zoom within this
// ratio of a step counts as that step, so that the rounding of a fitted size
// never makes a step repeat itself.
constexpr double TolleranzaPasso = 1e-9;

} // namespace

bool GeometriaPagina::riduci()
{
    if (m_immagine.width() <= LarghezzaMinima || m_pagina.width() <= 0)
        return false;
    // The largest step below the shown zoom: half of it when it is a step.
    const double z = m_immagine.width() / m_pagina.width();
    const double passo = std::exp2(std::ceil(std::log2(z * (1 - TolleranzaPasso))) - 1);
    m_immagine.setSize(m_pagina * passo);
    aggiornaMassimi();
    return true;
}

bool GeometriaPagina::ingrandisci()
{
    if (m_immagine.width() >= ZoomMassimo * m_pagina.width() || m_pagina.width() <= 0)
        return false;
    // The smallest step above the shown zoom: twice it when it is a step.
    const double z = m_immagine.width() / m_pagina.width();
    const double passo = std::min(ZoomMassimo, std::exp2(std::floor(std::log2(z * (1 + TolleranzaPasso))) + 1));
    m_immagine.setSize(m_pagina * passo);
    aggiornaMassimi();
    return true;
}

bool GeometriaPagina::adattaPagina()
{
    if (m_pagina.isEmpty())
        return false;
    return adatta(std::min(m_viewport.width() / m_pagina.width(), m_viewport.height() / m_pagina.height()));
}

bool GeometriaPagina::adattaLarghezza()
{
    if (m_pagina.isEmpty())
        return false;
    return adatta(m_viewport.width() / m_pagina.width());
}

double GeometriaPagina::zoomMinimo() const
{
    return m_pagina.width() > 0 ? std::min(1.0, LarghezzaMinima / 2 / m_pagina.width()) : 1.0;
}

bool GeometriaPagina::adatta(double fattore)
{
    if (!(fattore > 0))
        return false;
    // Never smaller than the smallest step can be, never beyond the largest.
    m_immagine.setSize(m_pagina * std::clamp(fattore, zoomMinimo(), ZoomMassimo));
    aggiornaMassimi();
    return true;
}

bool GeometriaPagina::impostaZoom(double fattore)
{
    // A small tolerance, so that 400 % computed from a percentage is 400 %.
    if (m_pagina.isEmpty() || !(fattore > 0) || !(fattore <= ZoomMassimo * (1 + TolleranzaPasso)))
        return false;
    m_immagine.setSize(m_pagina * std::min(fattore, ZoomMassimo));
    aggiornaMassimi();
    return true;
}

std::vector<double> GeometriaPagina::passi() const
{
    std::vector<double> passi;
    if (m_pagina.width() <= 0)
        return passi;
    // Riduci goes on while the shown width is above the limit.
    for (double passo = ZoomMassimo;; passo /= 2) {
        passi.push_back(passo);
        if (m_pagina.width() * passo <= LarghezzaMinima)
            break;
    }
    return passi;
}

void GeometriaPagina::portaA(double left, double top)
{
    if (m_h.abilitato)
        setValoreH(arrotondaPari(-left / TwipsPerUnita));
    if (m_v.abilitato)
        setValoreV(arrotondaPari(-top / TwipsPerUnita));
}

void GeometriaPagina::dimensioneReale()
{
    m_immagine.setSize(m_pagina);
    aggiornaMassimi();
}

void GeometriaPagina::aggiornaMassimi()
{
    m_h.massimo = std::max<int32_t>(0, arrotonda16((m_immagine.width() - m_viewport.width()) / TwipsPerUnita));
    m_v.massimo = std::max<int32_t>(0, arrotonda16((m_immagine.height() - m_viewport.height()) / TwipsPerUnita));
    // A scroll bar cuts its value to a smaller maximum and reports the change.
    if (m_h.valore > m_h.massimo)
        setValoreH(m_h.massimo);
    if (m_v.valore > m_v.massimo)
        setValoreV(m_v.massimo);
}

void GeometriaPagina::applicaH()
{
    if (!m_trascinamento)
        m_immagine.moveLeft(-TwipsPerUnita * m_h.valore);
}

void GeometriaPagina::applicaV()
{
    if (!m_trascinamento)
        m_immagine.moveTop(-TwipsPerUnita * m_v.valore);
}

void GeometriaPagina::centra()
{
    if (m_immagine.width() >= m_viewport.width()) {
        m_h.abilitato = true;
        applicaH();
    } else {
        m_immagine.moveLeft((m_viewport.width() - m_immagine.width()) / 2.0);
        m_h.abilitato = false;
    }
    if (m_immagine.height() >= m_viewport.height()) {
        m_v.abilitato = true;
        applicaV();
    } else {
        m_immagine.moveTop((m_viewport.height() - m_immagine.height()) / 2.0);
        m_v.abilitato = false;
    }
}

void GeometriaPagina::setValoreH(int32_t valore)
{
    m_h.valore = std::clamp(valore, 0, m_h.massimo);
    applicaH();
}

void GeometriaPagina::setValoreV(int32_t valore)
{
    m_v.valore = std::clamp(valore, 0, m_v.massimo);
    applicaV();
}

void GeometriaPagina::inizioTrascinamento(double x, double y)
{
    m_trascinamento = true;
    m_inizioX = x;
    m_inizioY = y;
}

double GeometriaPagina::segui(double pos, double spostamento, double immagine, double viewport, bool abilitato)
{
    const double nuova = pos + spostamento;
    if (nuova <= 0 && immagine + nuova >= viewport)
        return nuova;
    if (!abilitato)
        return pos;
    return nuova > 0 ? 0.0 : -(immagine - viewport);
}

void GeometriaPagina::trascina(double x, double y)
{
    if (!m_trascinamento)
        return;
    const double dx = x - m_inizioX;
    const double dy = y - m_inizioY;
    m_immagine.moveLeft(segui(m_immagine.left(), dx, m_immagine.width(), m_viewport.width(), m_h.abilitato));
    m_immagine.moveTop(segui(m_immagine.top(), dy, m_immagine.height(), m_viewport.height(), m_v.abilitato));
    sincronizzaScroll();
}

void GeometriaPagina::sincronizzaScroll()
{
    // The page moves, the bars follow: the values are set without moving the
    // page back (as during a drag).
    const bool eraTrascinamento = m_trascinamento;
    m_trascinamento = true;
    if (m_v.abilitato)
        setValoreV(-std::min(0, arrotondaPari(m_immagine.top() / TwipsPerUnita)));
    if (m_h.abilitato)
        setValoreH(-std::min(0, arrotondaPari(m_immagine.left() / TwipsPerUnita)));
    m_trascinamento = eraTrascinamento;
}

} // namespace qv
