// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/SinglePageView.h"

#include "platform/CursoreOccupato.h"
#include "platform/Platform.h"
#include "preview/BarraScorrimento.h"
#include "preview/FindResults.h"
#include "preview/PageShadow.h"
#include "render/LetturaDati.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

int px(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

} // namespace

SinglePageView::SinglePageView(ViewerModel &model, PageView &zoom, RenderAhead &ahead, const FindResults &find,
                               QWidget *window)
    : QObject(window)
    , m_model(model)
    , m_zoom(zoom)
    , m_ahead(ahead)
    , m_find(find)
{
    // The grey viewport and the page in it.
    m_viewport = new QFrame(window);
    m_viewport->setObjectName(QStringLiteral("Picture1"));
    m_viewport->setFrameShape(QFrame::NoFrame);
    setPageAreaBackground(m_viewport);
    m_viewport->setFocusPolicy(Qt::StrongFocus);
    m_image = new ImmaginePagina(m_viewport);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->installEventFilter(this);
    m_image->setCursor(m_open);

    // The two scroll bars move the page through the geometry.
    m_hBar = new BarraScorrimento(Qt::Horizontal, window);
    m_hBar->setObjectName(QStringLiteral("HScroll1"));
    m_vBar = new BarraScorrimento(Qt::Vertical, window);
    m_vBar->setObjectName(QStringLiteral("VScroll1"));
    for (QScrollBar *bar : {m_hBar, m_vBar}) {
        bar->setMinimum(0);
        bar->setMaximum(0);
        bar->setSingleStep(30); // 300 twips
        bar->installEventFilter(this);
    }
    connect(m_hBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_applying)
            return;
        m_zoom.geometria().setValoreH(v);
        applyGeometry();
    });
    connect(m_vBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_applying)
            return;
        m_zoom.geometria().setValoreV(v);
        applyGeometry();
    });
    // Shown while the model's view is this one.
    connect(&m_model, &ViewerModel::viewModeChanged, this,
            [this](ViewerModel::ViewMode shown) { setActive(shown == mode()); });
    // The highlights of a find follow the page on show.
    connect(&m_find, &FindResults::highlightChanged, this, [this] { highlightsChanged(); });
}

void SinglePageView::setCursors(const QCursor &open, const QCursor &closed)
{
    m_open = open;
    m_closed = closed;
    m_image->setCursor(m_zoom.geometria().trascinamento() ? m_closed : m_open);
}

QCursor SinglePageView::svgCursor(const QString &path, Qt::CursorShape fallback)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QCursor(fallback);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

void SinglePageView::setShadow(bool on)
{
    PageShadow *shadow = m_image->findChild<PageShadow *>();
    if (on && !shadow)
        new PageShadow(m_image);
    else if (!on && shadow)
        delete shadow;
    m_margin = on ? PageShadow::Margine : 0;
}

void SinglePageView::open()
{
    m_surface = std::make_unique<PageSurface>();
    m_image->setCursor(m_open);
}

void SinglePageView::close()
{
    m_ahead.want({});
    m_ahead.setView({});
    m_readyRaster.reset();
    m_shownError = nullptr;
    m_shownPage = -1;
    m_surface.reset();
}

bool SinglePageView::setPageSize(QSize twips)
{
    if (!m_surface)
        return false;
    bool changed = false;
    if (QSize(m_surface->Width(), m_surface->Height()) != twips) {
        m_surface->setSize(twips.width(), twips.height());
        changed = true;
    }
    // The zoom's page may be this one already (the continuous view shows it).
    if (m_zoom.pageTwips() != twips) {
        m_zoom.setPagina(twips.width(), twips.height());
        changed = true;
    }
    if (changed)
        applyGeometry();
    return changed;
}

// --- Shown or hidden, laid out ----------------------------------------------------------

void SinglePageView::setActive(bool active)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_viewport), static_cast<QWidget *>(m_hBar), static_cast<QWidget *>(m_vBar)})
        w->setVisible(active);
}

bool SinglePageView::isActive() const
{
    return !m_viewport->isHidden();
}

void SinglePageView::takeFocus()
{
    m_viewport->setFocus(Qt::OtherFocusReason);
}

QWidget *SinglePageView::focusTarget() const
{
    return m_viewport;
}

bool SinglePageView::setArea(const QRect &area, QSizeF viewportTwips, bool followZoom)
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const int vsWidth = m_vBar->sizeHint().width();
    const int hsHeight = m_hBar->sizeHint().height();
    m_viewport->setGeometry(area.x(), area.y(), std::max(0, area.width() - vsWidth),
                            std::max(0, area.height() - hsHeight));
    m_vBar->setGeometry(m_viewport->geometry().right() + 1, m_viewport->y(), vsWidth, m_viewport->height());
    m_hBar->setGeometry(area.x(), m_viewport->geometry().bottom() + 1, m_viewport->width(), hsHeight);
    // With the page's shadow the page has a margin on every side of the viewport.
    const bool fitted = m_zoom.setViewport(std::max(0.0, viewportTwips.width() - 2 * m_margin * tx),
                                           std::max(0.0, viewportTwips.height() - 2 * m_margin * ty), followZoom);
    applyGeometry();
    scheduleAhead();
    return fitted;
}

void SinglePageView::applyGeometry()
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const GeometriaPagina &geom = m_zoom.geometria();
    const QRectF r = geom.immagine();
    const QRect geometry(px(r.left(), tx) + m_margin, px(r.top(), ty) + m_margin, std::max(1, px(r.width(), tx)),
                         std::max(1, px(r.height(), ty)));
    if (m_image->geometry() != geometry) {
        m_image->setGeometry(geometry);
        // The shadow around the page moves with it.
        if (m_margin)
            m_viewport->update();
    }
    m_applying = true;
    const StatoScroll &h = geom.scrollH();
    const StatoScroll &v = geom.scrollV();
    m_hBar->setRange(0, h.massimo);
    m_hBar->setValue(h.valore);
    m_hBar->setEnabled(h.abilitato);
    m_hBar->setPageStep(std::max(1, int(geom.viewport().width() / GeometriaPagina::TwipsPerUnita)));
    m_vBar->setRange(0, v.massimo);
    m_vBar->setValue(v.valore);
    m_vBar->setEnabled(v.abilitato);
    m_vBar->setPageStep(std::max(1, int(geom.viewport().height() / GeometriaPagina::TwipsPerUnita)));
    m_applying = false;
}

// --- The page on show --------------------------------------------------------------------

std::exception_ptr SinglePageView::showFirstPage()
{
    m_shownPage = 0;
    m_shownStart = 1;
    m_shownError = nullptr;
    try {
        setPageSize(m_model.pageTwips(0));
        LetturaDati::DisegnaPagina(*m_surface, m_model.path(), m_model.pageSpec(0));
    } catch (...) {
        m_shownError = std::current_exception();
    }
    return m_shownError;
}

std::exception_ptr SinglePageView::showCurrentPage()
{
    const int32_t page = m_model.currentPage();
    // A page not indexed yet is waited for under the busy pointer.
    qint64 start = m_model.pageStart(page);
    if (page > 0 && start == 0 && !m_model.indexComplete()) {
        CursoreOccupato busy;
        start = m_model.waitForStart(page);
    }
    // A redraw of the page on show reads it again; another page may have
    // been made ahead, for the page size and zoom of now.
    const bool other = page != m_shownPage;
    if (other)
        leavePage();
    if (start > 0)
        setPageSize(m_model.pageTwips(page));
    m_ahead.setView(aheadView());
    std::exception_ptr error;
    if (std::optional<PreparedPage> ready = start > 0 && other ? m_ahead.take(page, start) : std::nullopt) {
        // Made ahead while the user read the last page.
        m_surface->adopt(std::move(ready->drawing), ready->memoryUsed);
        error = ready->error;
        if (!ready->raster.isNull())
            m_readyRaster = std::move(ready->raster);
    } else {
        try {
            LetturaDati::DisegnaPagina(*m_surface, m_model.path(), m_model.pageSpec(page));
        } catch (...) {
            // A page that cannot be replayed completely (a picture file gone, a
            // record cut short) is shown as far as it was drawn, with the error.
            error = std::current_exception();
        }
    }
    m_shownPage = page;
    m_shownStart = start;
    m_shownError = error;
    redraw();
    return error;
}

std::exception_ptr SinglePageView::error(int32_t page) const
{
    return page == m_shownPage ? m_shownError : nullptr;
}

bool SinglePageView::redraw()
{
    // No centring here: a redraw after a drag leaves the page where the drag
    // put it (centring would put it back on the scroll bars' 10-twip grid).
    m_zoom.geometria().aggiornaMassimi();
    applyGeometry();
    bool converted = false;
    const FrozenPage page = m_surface->Picture();
    m_image->clearPicture();
    m_image->setHighlight(m_find.highlightFor(m_model.currentPage() + 1));
    m_image->setOutline(m_model.currentPage() == m_outlinePage ? m_outlineTwips : QRectF());
    if (m_model.bestQuality()) {
        m_image->setConvertitore({});
        m_image->setPicture(page);
        if (m_readyRaster)
            m_image->adoptRaster(std::move(*m_readyRaster));
    } else {
        m_image->setConvertitore(m_converter);
        m_image->setPicture(page);
        converted = m_image->prepara();
    }
    m_readyRaster.reset();
    scheduleAhead();
    m_converted = converted;
    return converted;
}

void SinglePageView::zoomChanged()
{
    m_viewport->setUpdatesEnabled(false);
    redraw();
    m_zoom.geometria().centra();
    applyGeometry();
    m_viewport->setUpdatesEnabled(true);
}

void SinglePageView::setOutline(int32_t page, const QRectF &twips)
{
    m_outlinePage = page;
    m_outlineTwips = twips;
    m_image->setOutline(m_model.currentPage() == page ? twips : QRectF());
}

void SinglePageView::highlightsChanged()
{
    m_image->setHighlight(m_find.highlightFor(m_model.currentPage() + 1));
}

// --- Scrolling and the zoom about a point -------------------------------------------------

bool SinglePageView::scrollVertical(double twips)
{
    if (!m_zoom.scorriVerticale(twips))
        return false;
    applyGeometry();
    return true;
}

void SinglePageView::scrollHorizontal(double twips)
{
    m_zoom.scorriOrizzontale(twips);
    applyGeometry();
}

void SinglePageView::showFrom(bool fromTop)
{
    if (m_zoom.mostraDa(fromTop))
        applyGeometry();
}

double SinglePageView::screenHeight() const
{
    return m_zoom.geometria().viewport().height();
}

bool SinglePageView::zoomAbout(PageView::Zoom zoom, QPointF global)
{
    // Over the toolbar or the scroll bars the zoom is about the middle of the view.
    QPointF local = m_viewport->mapFromGlobal(global);
    if (!m_viewport->rect().contains(local.toPoint()))
        local = QRectF(m_viewport->rect()).center();
    const QPointF point((local.x() - m_margin) * platform::twipsPerPixelX(),
                        (local.y() - m_margin) * platform::twipsPerPixelY());
    return m_zoom.zoomAttorno(zoom, point);
}

void SinglePageView::reveal(int32_t page, const QRectF &rect)
{
    if (page != m_model.currentPage())
        return;
    GeometriaPagina &geom = m_zoom.geometria();
    const QRectF shown = geom.immagine();
    const double factor = geom.zoom();
    const QRectF match(shown.left() + rect.left() * factor, shown.top() + rect.top() * factor, rect.width() * factor,
                       rect.height() * factor);
    const QRectF view(QPointF(0, 0), geom.viewport());
    if (view.contains(match))
        return;
    // The match in the middle of the view, as far as the page scrolls.
    double left = shown.left();
    double top = shown.top();
    if (match.left() < 0 || match.right() > view.right())
        left += view.center().x() - match.center().x();
    if (match.top() < 0 || match.bottom() > view.bottom())
        top += view.center().y() - match.center().y();
    geom.portaA(left, top);
    applyGeometry();
}

// --- The pages made ahead -----------------------------------------------------------------

/// The page on show goes into the cache of pages made ahead, so that coming
/// back to it shows it at once.
void SinglePageView::leavePage()
{
    if (m_shownPage < 0 || m_shownStart <= 0 || !m_image->Picture())
        return;
    PreparedPage left;
    left.page = m_shownPage;
    left.start = m_shownStart;
    left.drawing = m_image->Picture();
    left.memoryUsed = m_surface ? m_surface->memoryUsed() : 0;
    left.error = m_shownError;
    if (!m_image->modo256() && !m_image->raster().isNull())
        left.raster = PageRaster{m_image->Picture(), m_image->raster(), m_image->areaRaster(), m_image->size(),
                                 m_image->rasterDpr()};
    m_ahead.keep(std::move(left));
}

void SinglePageView::scheduleAhead()
{
    if (m_aheadScheduled || !m_surface)
        return;
    m_aheadScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_aheadScheduled = false;
            makeAhead();
        },
        Qt::QueuedConnection);
}

/// What the pages made ahead are made for now: the file, the page size,
/// the replay's budget and, in full colour, the page widget's size, pixel
/// ratio and the area on show (the whole page when it is rasterised whole,
/// so that scrolling does not make it stale).
RenderAhead::View SinglePageView::aheadView() const
{
    RenderAhead::View view;
    view.file = m_model.path();
    view.pageTwips = QSize(m_surface->Width(), m_surface->Height());
    view.memoryBudget = m_surface->memoryBudget();
    view.raster = m_model.bestQuality();
    view.end = m_model.wholeEnd();
    if (view.raster) {
        view.widgetSize = m_image->size();
        view.dpr = m_image->rasterDpr();
        const qint64 pixels = qint64(std::ceil(view.widgetSize.width() * view.dpr))
                              * qint64(std::ceil(view.widgetSize.height() * view.dpr));
        view.area =
            pixels <= RenderAhead::WholePagePixels ? QRect(QPoint(0, 0), view.widgetSize) : m_image->areaDaPreparare();
    }
    return view;
}

void SinglePageView::makeAhead()
{
    if (!m_surface || m_model.path().isEmpty() || (m_aheadAllowed && !m_aheadAllowed()))
        return;
    m_ahead.setView(aheadView());
    const int32_t page = m_model.currentPage();
    QList<QPair<int32_t, qint64>> next;
    for (const int32_t p : {page + 1, page - 1})
        if (p >= 0 && p < m_model.pageCount())
            next.append({p, m_model.pageStart(p)});
    m_ahead.want(next);
}

// --- The mouse ------------------------------------------------------------------------------

bool SinglePageView::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_image) {
        GeometriaPagina &geom = m_zoom.geometria();
        const double tx = platform::twipsPerPixelX();
        const double ty = platform::twipsPerPixelY();
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                m_image->setCursor(m_closed);
                geom.inizioTrascinamento(me->position().x() * tx, me->position().y() * ty);
            }
            break;
        }
        case QEvent::MouseMove:
            if (geom.trascinamento()) {
                const auto *me = static_cast<QMouseEvent *>(e);
                geom.trascina(me->position().x() * tx, me->position().y() * ty);
                applyGeometry();
            }
            break;
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                m_image->setCursor(m_open);
                geom.fineTrascinamento();
            } else if (me->button() == Qt::RightButton) {
                Q_EMIT menuRequested(me->globalPosition().toPoint());
            }
            break;
        }
        default: break;
        }
    } else if (watched == m_hBar || watched == m_vBar) {
        // The scroll bars never keep the keyboard focus: a click on one
        // leaves (or puts) it on the viewport.
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)
            m_viewport->setFocus(Qt::OtherFocusReason);
    }
    return QObject::eventFilter(watched, e);
}

} // namespace qv
