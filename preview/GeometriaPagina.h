// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The arithmetic of the preview window's page display: zoom steps, scroll
// ranges, centring and dragging, all in twips, without any widget. The window
// keeps one and moves its widgets to what it says.
#pragma once

#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <vector>

namespace qv {

/// Rounds to the nearest whole number, halves to even.
int32_t arrotondaPari(double value);
/// Rounds to a 16-bit integer, halves to even, clamped to -32768..32767.
int16_t arrotonda16(double value);

/// One scroll bar: value, maximum and whether it is enabled. The minimum is
/// always 0; one unit stands for 10 twips of page offset.
struct StatoScroll
{
    int32_t valore = 0;
    int32_t massimo = 0;
    bool abilitato = true;

    bool operator==(const StatoScroll &) const = default;
};

/// The displayed page (Image1) inside the viewport (Picture1), in twips.
///
/// The page rectangle has its left and top relative to the viewport: 0 or
/// negative while the page is larger than the viewport and scrolled, positive
/// when it is centred in a larger viewport. Its size is the page size times
/// the zoom factor.
class GeometriaPagina
{
public:
    /// One scroll unit in twips.
    static constexpr double TwipsPerUnita = 10.0;
    /// Riduci stops once the shown width is this many twips or less.
    static constexpr double LarghezzaMinima = 2000.0;
    /// Ingrandisci stops at this multiple of the page width.
    static constexpr double ZoomMassimo = 4.0;

    /// The page size at 100 %; also shows the page at 100 % (where it is).
    void setPagina(double larghezza, double altezza);
    double larghezzaPagina() const { return m_pagina.width(); }

    /// The viewport size; negative sizes count as 0.
    void setViewport(double larghezza, double altezza);
    QSizeF viewport() const { return m_viewport; }

    /// The displayed page rectangle (relative to the viewport).
    QRectF immagine() const { return m_immagine; }
    /// Zoom factor: shown height / page height (1 when the page has no height).
    double zoom() const;
    /// The zoom as a whole percentage, halves rounded up (12.5 % -> 13).
    int percentuale() const;

    /// Zoom out, when the shown width is above 2000 twips (false, nothing
    /// changes, otherwise): from a step of the sequence 400 %, 200 %, 100 %,
    /// 50 %, ... to the next one down (the size halves); from a fitted zoom
    /// to the step just below it.
    bool riduci();
    /// Zoom in, while the shown width is below 4 x the page width (false,
    /// nothing changes, otherwise): from a step to the next one up (the size
    /// doubles); from a fitted zoom to the step just above it.
    bool ingrandisci();
    /// Shows the page at 100 %.
    void dimensioneReale();
    /// Fitted zooms: the whole page in the viewport (adattaPagina) or the
    /// page as wide as the viewport (adattaLarghezza), kept between the
    /// smallest and largest zoom the steps reach (1000 twips wide at least,
    /// 400 % at most). False, with nothing changed, while the page or the
    /// viewport has no size.
    bool adattaPagina();
    bool adattaLarghezza();

    /// Shows the page at \a fattore (1 = 100 %), any value above 0 up to
    /// 400 %: a typed zoom. False, with nothing changed, for a value outside
    /// that range or a page without size.
    bool impostaZoom(double fattore);
    /// The smallest zoom factor a typed or fitted zoom may have: the one
    /// whose width is half the smallest step's width limit, at most 100 %.
    double zoomMinimo() const;
    /// The zoom steps of this page from 400 % down to the last one Riduci
    /// reaches, as factors.
    std::vector<double> passi() const;
    /// Puts the page's left and top edges as near to (\a left, \a top) as the
    /// scroll bars allow, on their 10-twip grid; a centred axis stays centred.
    void portaA(double left, double top);

    /// Scroll maxima from the page and viewport sizes: (shown - viewport) / 10,
    /// halves to even, never below 0. A value above its new maximum is cut to
    /// it (as a scroll bar does) and applied to the page unless dragging.
    void aggiornaMassimi();
    /// Per axis: a page at least as large as the viewport enables its scroll
    /// bar and takes the bar's offset; a smaller page is centred and its bar
    /// disabled.
    void centra();

    /// Scroll bar values at their ends (a disabled bar is at both ends).
    bool inCima() const { return !m_v.abilitato || m_v.valore <= 0; }
    bool inFondo() const { return !m_v.abilitato || m_v.valore >= m_v.massimo; }
    bool aSinistra() const { return !m_h.abilitato || m_h.valore <= 0; }
    bool aDestra() const { return !m_h.abilitato || m_h.valore >= m_h.massimo; }

    const StatoScroll &scrollH() const { return m_h; }
    const StatoScroll &scrollV() const { return m_v; }
    /// A scroll bar changed to \a valore (cut to 0..maximum): moves the page
    /// to -10 x value, unless a drag is under way.
    void setValoreH(int32_t valore);
    void setValoreV(int32_t valore);

    /// Left button pressed at (x, y), twips relative to the page.
    void inizioTrascinamento(double x, double y);
    /// Mouse moved to (x, y) relative to the page while dragging: pans the
    /// page, stopped at every edge of the viewport, then updates the scroll
    /// bar values (SincronizzaScroll). Does nothing when not dragging.
    void trascina(double x, double y);
    /// Left button released.
    void fineTrascinamento() { m_trascinamento = false; }
    bool trascinamento() const { return m_trascinamento; }
    /// Scroll bar values from the page position.
    void sincronizzaScroll();

private:
    bool adatta(double fattore);
    static double segui(double pos, double spostamento, double immagine, double viewport, bool abilitato);
    void applicaH();
    void applicaV();

    QSizeF m_pagina;
    QSizeF m_viewport;
    QRectF m_immagine;
    StatoScroll m_h;
    StatoScroll m_v;
    bool m_trascinamento = false;
    double m_inizioX = 0;
    double m_inizioY = 0;
};

} // namespace qv
