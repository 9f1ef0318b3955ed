// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The continuous view of the preview window: every page one under another,
// with a gap between them, scrolled as one document.
#pragma once

#include "preview/ImmaginePagina.h"
#include "render/PageSurface.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <QSize>
#include <QWheelEvent>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>

namespace qv {

class ViewerModel;

/// Shows the pages of a document one under another, all of the same size
/// (the page size at the window's zoom, in logical pixels), with a gap of
/// Spazio pixels around each. The page positions are arithmetic on the page
/// size and the page count: nothing is read to lay out the document.
///
/// Only the pages in view and one page on either side are replayed (through
/// the source the window gives), and only the pages in view get a widget
/// (an ImmaginePagina, which rasterises just its visible part at the current
/// zoom); a page that leaves that range is forgotten. Memory therefore
/// follows the size of the view, not the length of the document.
///
/// The keys are left to the window (which scrolls the view through
/// scorri()); the wheel scrolls the view, Ctrl and the wheel go to the
/// window (rotellaZoom). The left button drags the document, the right one asks for
/// the window's menu.
class ContinuousView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    /// Replays page \a pagina (0-based) and returns its drawing; an error
    /// that stopped the replay goes to \a errore, with what was drawn so far
    /// still returned.
    using Sorgente = std::function<FrozenPage(int32_t pagina, std::exception_ptr &errore)>;

    /// Gap between two pages and around the document, in logical pixels.
    static constexpr int Spazio = 12;

    /// A view of \a model: its page count and its page on show, which the
    /// view scrolls to when it changes elsewhere and sets as it is scrolled.
    explicit ContinuousView(ViewerModel &model, QWidget *parent = nullptr);

    void setSorgente(Sorgente sorgente);
    /// The pages' size on the screen, in logical pixels; the page in the
    /// middle of the view stays there.
    void setDimensionePagina(QSize pixel);
    QSize dimensionePagina() const { return m_pagina; }
    /// The number of pages, the model's. It may grow (or shrink) while the
    /// view is shown: the part of the document in view stays where it is.
    int32_t pagineTotali() const;
    /// The 256-colour converter for the rasters (empty: full colour).
    void setConvertitore(ImmaginePagina::Convertitore convertitore);
    /// What page \a pagina (0-based) highlights of a find (null: nothing).
    using Evidenziazione = std::function<std::shared_ptr<const TextHighlight>(int32_t pagina)>;
    void setEvidenziazione(Evidenziazione evidenziazione) { m_evidenziazione = std::move(evidenziazione); }
    /// The highlights changed: the pages in view take them again.
    void aggiornaEvidenziazioni();
    /// The cursors over the pages, and while dragging.
    void setCursori(const QCursor &aperta, const QCursor &chiusa);

    /// Shows page \a pagina (0-based) from its top; it becomes the current page.
    void vaiAPagina(int32_t pagina);
    /// The page on show (0-based), the model's: while the view is shown, the
    /// page that fills most of it.
    int32_t paginaCorrente() const;
    /// Scrolls down by \a pixel (up when negative); false, with nothing
    /// moved, at that end of the document.
    bool scorri(int pixel);
    /// Scrolls right by \a pixel (left when negative).
    void scorriOrizzontale(int pixel);
    /// Replays the pages in view again (the document or the quality changed).
    void ricarica();

    /// Where page \a pagina lies, in the viewport's coordinates.
    QRect rettangoloPagina(int32_t pagina) const;
    /// The pages replayed and kept now (in view and beside it).
    int pagineInMemoria() const { return int(m_pagine.size()); }
    /// The pages that have a widget now (those in view).
    int pagineMostrate() const { return int(m_widget.size()); }
    /// The widget of page \a pagina while it is in view, else null.
    ImmaginePagina *widgetDi(int32_t pagina) const;
    /// The error met replaying \a pagina, if it is kept and had one.
    std::exception_ptr errore(int32_t pagina) const;
    /// Number of replays so far (for tests).
    int riproduzioni() const { return m_riproduzioni; }

Q_SIGNALS:
    /// The right button was released at \a globale.
    void menuRichiesto(QPoint globale);
    /// The wheel turned with Ctrl held: the window's zoom.
    void rotellaZoom(const QWheelEvent &event);

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    struct Pagina
    {
        FrozenPage disegno;
        std::exception_ptr errore;
    };

    int passo() const { return m_pagina.height() + Spazio; }
    int altezzaDocumento() const;
    int larghezzaDocumento() const;
    void aggiornaBarre();
    /// Lays the pages in view out, replays what is missing and forgets what
    /// left the view and its neighbours.
    void disponiPagine();
    int32_t calcolaCorrente() const;
    void seguiCorrente();
    void pageCountChanged();

    ViewerModel &m_model;
    bool m_following = false; // the view is setting the model's page
    Sorgente m_sorgente;
    QSize m_pagina{1, 1};
    ImmaginePagina::Convertitore m_convertitore;
    Evidenziazione m_evidenziazione;
    std::map<int32_t, Pagina> m_pagine;
    std::map<int32_t, ImmaginePagina *> m_widget;
    QCursor m_aperta{Qt::OpenHandCursor};
    QCursor m_chiusa{Qt::ClosedHandCursor};
    bool m_trascinando = false;
    QPoint m_inizioTrascinamento;
    QPoint m_valoriIniziali;
    bool m_spostando = false; // a page was chosen: the current page stays it
    int m_riproduzioni = 0;
    int m_restoRotella = 0;
};

} // namespace qv
