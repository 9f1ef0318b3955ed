// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ContinuousView.h"

#include "preview/ViewerModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

namespace {
/// One line of the wheel, in logical pixels (300 twips at 15 twips a pixel,
/// as the single-page view scrolls).
constexpr int RigaPixel = 20;
} // namespace

ContinuousView::ContinuousView(ViewerModel &model, QWidget *parent) : QAbstractScrollArea(parent), m_model(model)
{
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] { pageCountChanged(); });
    // A hidden view is taken to the page on show when it is shown.
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this](int32_t page) {
        if (!m_following && isVisible())
            vaiAPagina(page);
    });
    setObjectName(QStringLiteral("vistaContinua"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    // The grey of the single page's viewport, around and between the pages.
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    pal.setColor(QPalette::Base, QColor(128, 128, 128));
    viewport()->setPalette(pal);
    viewport()->setCursor(m_aperta);
    verticalScrollBar()->setSingleStep(RigaPixel);
    horizontalScrollBar()->setSingleStep(RigaPixel);
}

void ContinuousView::setSorgente(Sorgente sorgente)
{
    m_sorgente = std::move(sorgente);
    ricarica();
}

void ContinuousView::setCursori(const QCursor &aperta, const QCursor &chiusa)
{
    m_aperta = aperta;
    m_chiusa = chiusa;
    viewport()->setCursor(m_trascinando ? m_chiusa : m_aperta);
}

int ContinuousView::altezzaDocumento() const
{
    const qint64 h = qint64(std::max(pagineTotali(), 1)) * passo() + Spazio;
    return int(std::min<qint64>(h, INT_MAX / 2));
}

int ContinuousView::larghezzaDocumento() const
{
    // A page that fits the view needs no gaps at its sides (a page fitted to
    // the width scrolls not sideways); a wider one has them at its edges.
    const int larghezza = viewport()->width();
    return m_pagina.width() <= larghezza ? larghezza : m_pagina.width() + 2 * Spazio;
}

void ContinuousView::aggiornaBarre()
{
    const QSize vp = viewport()->size();
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    v->setPageStep(std::max(1, vp.height()));
    h->setPageStep(std::max(1, vp.width()));
    v->setRange(0, std::max(0, altezzaDocumento() - vp.height()));
    h->setRange(0, std::max(0, larghezzaDocumento() - vp.width()));
}

void ContinuousView::setDimensionePagina(QSize pixel)
{
    pixel = pixel.expandedTo(QSize(1, 1));
    if (pixel == m_pagina)
        return;
    // Keep the point in the middle of the view on the same place of its
    // page, and the horizontal position in proportion (from the left edge,
    // as the single page, when there was nothing to scroll).
    const int vecchioPasso = passo();
    const int centro = verticalScrollBar()->value() + viewport()->height() / 2;
    const int32_t pagina =
        std::clamp(int32_t((centro - Spazio / 2) / std::max(1, vecchioPasso)), 0, std::max(0, pagineTotali() - 1));
    const double dentro = double(centro - pagina * qint64(vecchioPasso)) / vecchioPasso;
    const double oriz = horizontalScrollBar()->maximum() > 0
                            ? double(horizontalScrollBar()->value()) / horizontalScrollBar()->maximum()
                            : 0.0;

    m_pagina = pixel;
    for (auto &[numero, widget] : m_widget)
        delete widget; // their rasters are for the old size
    m_widget.clear();
    m_spostando = true;
    aggiornaBarre();
    verticalScrollBar()->setValue(int(pagina * qint64(passo()) + std::lround(dentro * passo()))
                                  - viewport()->height() / 2);
    horizontalScrollBar()->setValue(int(std::lround(oriz * horizontalScrollBar()->maximum())));
    m_spostando = false;
    disponiPagine();
}

int32_t ContinuousView::pagineTotali() const
{
    return m_model.viewPages();
}

int32_t ContinuousView::paginaCorrente() const
{
    return m_model.currentPage();
}

void ContinuousView::pageCountChanged()
{
    const int32_t pagine = m_model.viewPages();
    // Pages past the new end are forgotten; the rest stays where it is.
    for (auto it = m_pagine.lower_bound(std::max(pagine, 1)); it != m_pagine.end();)
        it = m_pagine.erase(it);
    m_spostando = true;
    aggiornaBarre();
    m_spostando = false;
    disponiPagine();
}

void ContinuousView::setConvertitore(ImmaginePagina::Convertitore convertitore)
{
    m_convertitore = std::move(convertitore);
    for (auto &[numero, widget] : m_widget)
        widget->setConvertitore(m_convertitore);
}

void ContinuousView::aggiornaEvidenziazioni()
{
    for (auto &[numero, widget] : m_widget)
        widget->setHighlight(m_evidenziazione ? m_evidenziazione(numero) : nullptr);
}

void ContinuousView::ricarica()
{
    m_pagine.clear();
    for (auto &[numero, widget] : m_widget)
        delete widget;
    m_widget.clear();
    disponiPagine();
}

void ContinuousView::vaiAPagina(int32_t pagina)
{
    pagina = std::clamp(pagina, 0, std::max(pagineTotali(), 1) - 1);
    m_spostando = true;
    verticalScrollBar()->setValue(int(std::min<qint64>(qint64(pagina) * passo(), INT_MAX)));
    m_spostando = false;
    disponiPagine();
}

bool ContinuousView::scorri(int pixel)
{
    QScrollBar *v = verticalScrollBar();
    const int prima = v->value();
    v->setValue(int(std::clamp<qint64>(qint64(prima) + pixel, 0, v->maximum())));
    return v->value() != prima;
}

void ContinuousView::scorriOrizzontale(int pixel)
{
    QScrollBar *h = horizontalScrollBar();
    h->setValue(int(std::clamp<qint64>(qint64(h->value()) + pixel, 0, h->maximum())));
}

QRect ContinuousView::rettangoloPagina(int32_t pagina) const
{
    const int larghezza = viewport()->width();
    const int x = larghezzaDocumento() <= larghezza ? (larghezza - m_pagina.width()) / 2
                                                    : Spazio - horizontalScrollBar()->value();
    const qint64 y = Spazio + qint64(pagina) * passo() - verticalScrollBar()->value();
    return QRect(x, int(std::clamp<qint64>(y, INT_MIN / 2, INT_MAX / 2)), m_pagina.width(), m_pagina.height());
}

ImmaginePagina *ContinuousView::widgetDi(int32_t pagina) const
{
    const auto it = m_widget.find(pagina);
    return it == m_widget.end() ? nullptr : it->second;
}

std::exception_ptr ContinuousView::errore(int32_t pagina) const
{
    const auto it = m_pagine.find(pagina);
    return it == m_pagine.end() ? nullptr : it->second.errore;
}

int32_t ContinuousView::calcolaCorrente() const
{
    const int alto = verticalScrollBar()->value();
    const int basso = alto + viewport()->height();
    const int32_t ultima = std::max(pagineTotali(), 1) - 1;
    const int32_t prima = std::clamp(int32_t((alto - Spazio) / passo()), 0, ultima);
    int32_t migliore = prima;
    qint64 coperto = -1;
    for (int32_t p = prima; p <= ultima; ++p) {
        const qint64 top = Spazio + qint64(p) * passo();
        if (top >= basso)
            break;
        const qint64 visibile = std::min<qint64>(top + m_pagina.height(), basso) - std::max<qint64>(top, alto);
        if (visibile > coperto) {
            coperto = visibile;
            migliore = p;
        }
    }
    return migliore;
}

void ContinuousView::seguiCorrente()
{
    // Only a view on show tells the model which page fills it.
    if (m_spostando || !isVisible())
        return;
    m_following = true;
    m_model.setCurrentPage(calcolaCorrente());
    m_following = false;
}

void ContinuousView::disponiPagine()
{
    const int alto = verticalScrollBar()->value();
    const int basso = alto + viewport()->height();
    const int32_t ultima = std::max(pagineTotali(), 1) - 1;
    const int32_t primaVista = std::clamp(int32_t((alto - Spazio) / passo()), 0, ultima);
    const int32_t ultimaVista = std::clamp(int32_t((std::max(basso - 1, 0) - Spazio) / passo()), primaVista, ultima);

    // Forget what left the view and its neighbours; rasters go with their widgets.
    const int32_t daTenere = std::max(primaVista - 1, 0);
    const int32_t finoA = std::min(ultimaVista + 1, ultima);
    for (auto it = m_pagine.begin(); it != m_pagine.end();)
        it = it->first < daTenere || it->first > finoA ? m_pagine.erase(it) : std::next(it);
    for (auto it = m_widget.begin(); it != m_widget.end();) {
        if (it->first < primaVista || it->first > ultimaVista) {
            delete it->second;
            it = m_widget.erase(it);
        } else {
            ++it;
        }
    }
    if (!isVisible() || !m_sorgente)
        return;

    for (int32_t p = daTenere; p <= finoA; ++p) {
        if (m_pagine.count(p))
            continue;
        Pagina pagina;
        pagina.disegno = m_sorgente(p, pagina.errore);
        ++m_riproduzioni;
        m_pagine.emplace(p, std::move(pagina));
    }
    for (int32_t p = primaVista; p <= ultimaVista; ++p) {
        ImmaginePagina *&widget = m_widget[p];
        if (!widget) {
            widget = new ImmaginePagina(viewport());
            widget->setObjectName(QStringLiteral("pagina%1").arg(p + 1));
            widget->setConvertitore(m_convertitore);
            if (m_evidenziazione)
                widget->setHighlight(m_evidenziazione(p));
            widget->setPicture(m_pagine[p].disegno);
        }
        const QRect r = rettangoloPagina(p);
        if (widget->geometry() != r)
            widget->setGeometry(r);
        widget->show();
    }
}

void ContinuousView::scrollContentsBy(int, int)
{
    disponiPagine();
    seguiCorrente();
}

void ContinuousView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_spostando = true;
    aggiornaBarre();
    m_spostando = false;
    disponiPagine();
}

bool ContinuousView::viewportEvent(QEvent *event)
{
    // Shown again (the view toggled on): lay out what is now in view.
    if (event->type() == QEvent::Show)
        disponiPagine();
    return QAbstractScrollArea::viewportEvent(event);
}

void ContinuousView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        Q_EMIT rotellaZoom(*event); // the window zooms
        event->accept();
        return;
    }
    const QPoint delta = event->angleDelta();
    const bool orizzontale = delta.y() == 0 || (event->modifiers() & Qt::ShiftModifier);
    m_restoRotella += delta.y() ? delta.y() : delta.x();
    // Whole lines, the system's number a notch; a touchpad's small steps add up.
    const int perScatto = std::max(1, QApplication::wheelScrollLines());
    const int righe = m_restoRotella * perScatto / 120;
    m_restoRotella -= righe * 120 / perScatto;
    if (orizzontale)
        scorriOrizzontale(-righe * RigaPixel);
    else
        scorri(-righe * RigaPixel);
    event->accept();
}

void ContinuousView::keyPressEvent(QKeyEvent *event)
{
    // The window's keys scroll this view through scorri().
    event->ignore();
}

void ContinuousView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_trascinando = true;
    m_inizioTrascinamento = event->globalPosition().toPoint();
    m_valoriIniziali = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(m_chiusa);
}

void ContinuousView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_trascinando)
        return;
    const QPoint d = event->globalPosition().toPoint() - m_inizioTrascinamento;
    horizontalScrollBar()->setValue(m_valoriIniziali.x() - d.x());
    verticalScrollBar()->setValue(m_valoriIniziali.y() - d.y());
}

void ContinuousView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_trascinando = false;
        viewport()->setCursor(m_aperta);
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT menuRichiesto(event->globalPosition().toPoint());
    }
}

} // namespace qv
