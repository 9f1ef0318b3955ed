// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ContinuousView.h"

#include "platform/Platform.h"
#include "preview/FindResults.h"
#include "preview/PageShadow.h"
#include "preview/PageWorker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

namespace {
/// One line of the wheel, in logical pixels (300 twips at 15 twips a pixel,
/// as the single-page view scrolls).
constexpr int LinePixels = 20;
} // namespace

ContinuousView::ContinuousView(ViewerModel &model, PageView &zoom, const FindResults &find, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_zoom(zoom)
    , m_find(find)
{
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] { pageCountChanged(); });
    // A hidden view is taken to the page on show when it is shown.
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this](int32_t page) {
        if (!isVisible())
            return;
        // The zoom's page is the page in view (for the fitted zooms).
        m_zoom.setPageKeepingZoom(m_model.pageTwips(page));
        if (!m_following)
            goToPage(page);
    });
    connect(&m_model, &ViewerModel::qualityChanged, this, [this] {
        if (isVisible())
            zoomChanged();
    });
    // Shown while the model's view is this one.
    connect(&m_model, &ViewerModel::viewModeChanged, this,
            [this](ViewerModel::ViewMode shown) { setActive(shown == mode()); });
    // Another document (or the same one read again): its pages and sizes.
    connect(&m_model, &ViewerModel::documentChanged, this, [this] { reloadPages(); });
    connect(&m_find, &FindResults::highlightChanged, this, [this] { highlightsChanged(); });
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
    viewport()->setCursor(m_open);
    verticalScrollBar()->setSingleStep(LinePixels);
    horizontalScrollBar()->setSingleStep(LinePixels);
}

void ContinuousView::setCursors(const QCursor &open, const QCursor &closed)
{
    m_open = open;
    m_closed = closed;
    viewport()->setCursor(m_dragging ? m_closed : m_open);
}

void ContinuousView::setConverter(ImmaginePagina::Convertitore converter)
{
    m_converter = std::move(converter);
}

bool ContinuousView::fullColour() const
{
    return m_model.bestQuality() || !m_converter;
}

// --- Sizes and positions ---------------------------------------------------------------

QSize ContinuousView::pixelsOf(QSize twips) const
{
    const double factor = m_zoom.geometria().zoom();
    return QSize(std::max(1, int(std::lround(twips.width() * factor / platform::twipsPerPixelX()))),
                 std::max(1, int(std::lround(twips.height() * factor / platform::twipsPerPixelY()))));
}

QSize ContinuousView::pageSize(int32_t page) const
{
    const auto it = m_other.find(page);
    return it == m_other.end() ? m_first : it->second;
}

qint64 ContinuousView::pageTop(int32_t page) const
{
    const qint64 step = m_first.height() + Gap;
    qint64 top = Gap + qint64(page) * step;
    for (auto it = m_other.begin(); it != m_other.end() && it->first < page; ++it)
        top += it->second.height() - m_first.height();
    return top;
}

int32_t ContinuousView::pageAt(qint64 y) const
{
    const qint64 step = m_first.height() + Gap;
    const int32_t last = std::max(pageCount(), 1) - 1;
    qint64 shift = 0; // what the pages of another size above add
    int32_t after = 0;
    for (const auto &[page, size] : m_other) {
        if (page > last)
            break;
        const qint64 top = Gap + qint64(page) * step + shift;
        if (y < top - Gap)
            break;
        if (y < top + size.height())
            return page;
        shift += size.height() - m_first.height();
        after = page + 1;
    }
    return std::clamp(int32_t(std::max<qint64>((y - Gap - shift) / step, after)), 0, last);
}

int ContinuousView::documentHeight() const
{
    return int(std::min<qint64>(pageTop(std::max(pageCount(), 1)), INT_MAX / 2));
}

int ContinuousView::documentWidth() const
{
    // A page that fits the view needs no gaps at its sides (a page fitted to
    // the width scrolls not sideways); a wider one has them at its edges.
    const int width = viewport()->width();
    return m_widest <= width ? width : m_widest + 2 * Gap;
}

void ContinuousView::updateBars()
{
    const QSize vp = viewport()->size();
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    v->setPageStep(std::max(1, vp.height()));
    h->setPageStep(std::max(1, vp.width()));
    v->setRange(0, std::max(0, documentHeight() - vp.height()));
    h->setRange(0, std::max(0, documentWidth() - vp.width()));
}

void ContinuousView::updateSizes()
{
    if (m_firstTwips.isEmpty())
        m_firstTwips = m_model.pageTwips(0);
    // Keep the point in the middle of the view on the same place of its
    // page, and the horizontal position in proportion (from the left edge,
    // as the single page, when there was nothing to scroll).
    const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
    const int32_t page = pageAt(middle);
    const qint64 bandTop = pageTop(page) - Gap;
    const double inside = double(middle - bandTop) / (pageSize(page).height() + Gap);
    const double across = horizontalScrollBar()->maximum() > 0
                              ? double(horizontalScrollBar()->value()) / horizontalScrollBar()->maximum()
                              : 0.0;

    const QSize first = pixelsOf(m_firstTwips);
    std::map<int32_t, QSize> other;
    int widest = first.width();
    for (const auto &[p, twips] : m_otherTwips) {
        other[p] = pixelsOf(twips);
        widest = std::max(widest, other[p].width());
    }
    if (first == m_first && other == m_other)
        return;
    m_first = first;
    m_other = std::move(other);
    m_widest = widest;
    for (auto &[number, widget] : m_widgets)
        delete widget; // their rasters are for the old size
    m_widgets.clear();
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
        verticalScrollBar()->setValue(int(pageTop(page) - Gap + std::lround(inside * (pageSize(page).height() + Gap))
                                          - viewport()->height() / 2));
        horizontalScrollBar()->setValue(int(std::lround(across * horizontalScrollBar()->maximum())));
    }
    layoutPages();
}

bool ContinuousView::learnSize(int32_t page)
{
    if (page == 0 || m_model.pageStart(page) <= 0)
        return false; // page 1 sets the size; a page not indexed yet keeps it
    const QSize twips = m_model.pageTwips(page);
    const auto it = m_otherTwips.find(page);
    if (twips == m_firstTwips) {
        if (it == m_otherTwips.end())
            return false;
        m_otherTwips.erase(it);
        m_other.erase(page);
    } else {
        if (it != m_otherTwips.end() && it->second == twips)
            return false;
        m_otherTwips[page] = twips;
        m_other[page] = pixelsOf(twips);
    }
    m_widest = m_first.width();
    for (const auto &[p, size] : m_other)
        m_widest = std::max(m_widest, size.width());
    return true;
}

int32_t ContinuousView::pageCount() const
{
    return m_model.viewPages();
}

int32_t ContinuousView::currentPage() const
{
    return m_model.currentPage();
}

void ContinuousView::pageCountChanged()
{
    const int32_t pages = m_model.viewPages();
    // Pages past the new end are forgotten; the rest stays where it is.
    for (auto it = m_pages.lower_bound(std::max(pages, 1)); it != m_pages.end();)
        it = m_pages.erase(it);
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
    }
    layoutPages();
}

QRect ContinuousView::pageRect(int32_t page) const
{
    const QSize size = pageSize(page);
    const int width = viewport()->width();
    const int document = documentWidth();
    const int x =
        document <= width ? (width - size.width()) / 2 : (document - size.width()) / 2 - horizontalScrollBar()->value();
    const qint64 y = pageTop(page) - verticalScrollBar()->value();
    return QRect(x, int(std::clamp<qint64>(y, INT_MIN / 2, INT_MAX / 2)), size.width(), size.height());
}

ImmaginePagina *ContinuousView::widgetOf(int32_t page) const
{
    const auto it = m_widgets.find(page);
    return it == m_widgets.end() ? nullptr : it->second;
}

std::exception_ptr ContinuousView::error(int32_t page) const
{
    const auto it = m_pages.find(page);
    return it == m_pages.end() ? nullptr : it->second.error;
}

// --- Moving ------------------------------------------------------------------------------

void ContinuousView::goToPage(int32_t page)
{
    page = std::clamp(page, 0, std::max(pageCount(), 1) - 1);
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        verticalScrollBar()->setValue(int(std::min<qint64>(pageTop(page) - Gap, INT_MAX)));
    }
    layoutPages();
}

bool ContinuousView::scrollBy(int pixels)
{
    QScrollBar *v = verticalScrollBar();
    const int before = v->value();
    v->setValue(int(std::clamp<qint64>(qint64(before) + pixels, 0, v->maximum())));
    return v->value() != before;
}

void ContinuousView::scrollSideways(int pixels)
{
    QScrollBar *h = horizontalScrollBar();
    h->setValue(int(std::clamp<qint64>(qint64(h->value()) + pixels, 0, h->maximum())));
}

void ContinuousView::reloadPages()
{
    m_pages.clear();
    for (auto &[number, widget] : m_widgets)
        delete widget;
    m_widgets.clear();
    m_firstTwips = QSize();
    m_otherTwips.clear();
    if (isVisible())
        updateSizes();
    layoutPages();
}

int32_t ContinuousView::mostVisiblePage() const
{
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    const int32_t last = std::max(pageCount(), 1) - 1;
    int32_t best = pageAt(top);
    qint64 covered = -1;
    qint64 pageY = pageTop(best);
    for (int32_t p = best; p <= last && pageY < bottom; ++p) {
        const int height = pageSize(p).height();
        const qint64 visible = std::min<qint64>(pageY + height, bottom) - std::max<qint64>(pageY, top);
        if (visible > covered) {
            covered = visible;
            best = p;
        }
        pageY += height + Gap;
    }
    return best;
}

void ContinuousView::followScroll()
{
    // Only a view on show tells the model which page fills it.
    if (m_moving || !isVisible())
        return;
    const int32_t page = mostVisiblePage();
    if (page == m_model.currentPage())
        return;
    m_following = true;
    m_model.setCurrentPage(page);
    m_following = false;
    Q_EMIT pageScrolled(page);
}

void ContinuousView::layoutPages()
{
    if (m_laying)
        return;
    m_laying = true;
    const int32_t last = std::max(pageCount(), 1) - 1;
    int32_t firstShown = 0;
    int32_t lastShown = 0;
    // The pages in view and beside it, with their sizes learned: a page
    // above the view that is of another size moves the view with it.
    for (int round = 0; round < 4; ++round) {
        const int top = verticalScrollBar()->value();
        const int bottom = top + viewport()->height();
        firstShown = pageAt(top);
        lastShown = std::max(firstShown, pageAt(std::max(bottom - 1, 0)));
        if (!isVisible())
            break;
        const qint64 viewTop = pageTop(firstShown);
        bool changed = false;
        for (int32_t p = std::max(firstShown - 1, 0); p <= std::min(lastShown + 1, last); ++p)
            changed = learnSize(p) || changed;
        if (!changed)
            break;
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
        verticalScrollBar()->setValue(int(top + (pageTop(firstShown) - viewTop)));
        for (auto &[number, widget] : m_widgets)
            delete widget;
        m_widgets.clear();
    }

    // Forget what left the view and its neighbours; rasters go with their widgets.
    const int32_t keepFrom = std::max(firstShown - 1, 0);
    const int32_t keepTo = std::min(lastShown + 1, last);
    for (auto it = m_pages.begin(); it != m_pages.end();)
        it = it->first < keepFrom || it->first > keepTo ? m_pages.erase(it) : std::next(it);
    for (auto it = m_widgets.begin(); it != m_widgets.end();) {
        if (it->first < firstShown || it->first > lastShown) {
            delete it->second;
            it = m_widgets.erase(it);
        } else {
            ++it;
        }
    }
    if (!isVisible() || m_model.path().isEmpty()) {
        m_laying = false;
        return;
    }

    for (int32_t p = keepFrom; p <= keepTo; ++p) {
        if (m_pages.count(p))
            continue;
        // Each page on a surface of its own size, found where the index has it.
        const QSize twips = p == 0 ? m_firstTwips : m_model.pageTwips(p);
        if (m_surface.Width() != twips.width() || m_surface.Height() != twips.height())
            m_surface.setSize(twips.width(), twips.height());
        Page page;
        page.drawing = PageWorker::replay(m_surface, m_model.path(), m_model.pageSpec(p), page.error);
        ++m_replays;
        m_pages.emplace(p, std::move(page));
    }
    for (int32_t p = firstShown; p <= lastShown; ++p) {
        ImmaginePagina *&widget = m_widgets[p];
        if (!widget) {
            widget = new ImmaginePagina(viewport());
            widget->setObjectName(QStringLiteral("pagina%1").arg(p + 1));
            if (m_shadow)
                new PageShadow(widget); // in the gap around the page; goes with it
            widget->setConvertitore(fullColour() ? ImmaginePagina::Convertitore() : m_converter);
            widget->setHighlight(m_find.highlightFor(p + 1));
            widget->setOutline(p == m_outlinePage ? m_outlineTwips : QRectF());
            widget->setPicture(m_pages[p].drawing);
        }
        const QRect r = pageRect(p);
        if (widget->geometry() != r)
            widget->setGeometry(r);
        widget->show();
    }
    m_laying = false;
}

// --- DocumentView --------------------------------------------------------------------------

void ContinuousView::setActive(bool active)
{
    if (!active) {
        hide();
        reloadPages(); // hidden, it keeps no page
        return;
    }
    show();
    updateSizes();
    goToPage(m_model.currentPage());
    // The zoom's page is the page in view (for the fitted zooms).
    m_zoom.setPageKeepingZoom(m_model.pageTwips(m_model.currentPage()));
}

bool ContinuousView::setArea(const QRect &area, QSizeF, bool)
{
    setGeometry(area);
    return false;
}

std::exception_ptr ContinuousView::reload()
{
    reloadPages();
    return error(currentPage());
}

void ContinuousView::zoomChanged()
{
    updateSizes();
    for (auto &[number, widget] : m_widgets)
        widget->setConvertitore(fullColour() ? ImmaginePagina::Convertitore() : m_converter);
}

bool ContinuousView::scrollVertical(double twips)
{
    const int pixels = int(std::lround(twips / platform::twipsPerPixelY()));
    return scrollBy(pixels == 0 ? (twips < 0 ? -1 : 1) : pixels);
}

void ContinuousView::scrollHorizontal(double twips)
{
    scrollSideways(int(std::lround(twips / platform::twipsPerPixelX())));
}

double ContinuousView::screenHeight() const
{
    // By its own height, scroll bars and all.
    return viewport()->height() * platform::twipsPerPixelY();
}

bool ContinuousView::zoomAbout(PageView::Zoom zoom, QPointF global)
{
    QPointF local = viewport()->mapFromGlobal(global);
    if (!viewport()->rect().contains(local.toPoint()))
        local = QRectF(viewport()->rect()).center();
    // Of the pages around the current one, the one whose band holds the point.
    const int32_t current = currentPage();
    int32_t page = current;
    for (int32_t p = std::max(0, current - 2); p <= current + 2 && p < pageCount(); ++p) {
        const QRect r = pageRect(p);
        if (local.y() >= r.top() - Gap && local.y() <= r.bottom() + Gap)
            page = p;
    }
    const QRect before = pageRect(page);
    if (!m_zoom.zoom(zoom))
        return false;
    zoomChanged();
    if (before.isEmpty())
        return true;
    const double fx = (local.x() - before.left()) / before.width();
    const double fy = (local.y() - before.top()) / before.height();
    const QRect after = pageRect(page);
    scrollBy(int(std::lround(after.top() + fy * after.height() - local.y())));
    scrollSideways(int(std::lround(after.left() + fx * after.width() - local.x())));
    return true;
}

void ContinuousView::reveal(int32_t page, const QRectF &rect)
{
    const double factor = m_zoom.geometria().zoom();
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const QRect r = pageRect(page);
    const QRect match(int(r.left() + rect.left() * factor / tx), int(r.top() + rect.top() * factor / ty),
                      std::max(1, int(rect.width() * factor / tx)), std::max(1, int(rect.height() * factor / ty)));
    const QRect view = viewport()->rect();
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        if (match.top() < 0 || match.bottom() > view.bottom())
            scrollBy(match.center().y() - view.center().y());
        if (match.left() < 0 || match.right() > view.right())
            scrollSideways(match.center().x() - view.center().x());
    }
    layoutPages();
}

void ContinuousView::setOutline(int32_t page, const QRectF &twips)
{
    m_outlinePage = page;
    m_outlineTwips = twips;
    for (auto &[number, widget] : m_widgets)
        widget->setOutline(number == page ? twips : QRectF());
}

void ContinuousView::highlightsChanged()
{
    for (auto &[number, widget] : m_widgets)
        widget->setHighlight(m_find.highlightFor(number + 1));
}

// --- Events --------------------------------------------------------------------------------

void ContinuousView::scrollContentsBy(int, int)
{
    layoutPages();
    followScroll();
}

void ContinuousView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
    }
    layoutPages();
}

bool ContinuousView::viewportEvent(QEvent *event)
{
    // Shown again (the view toggled on): lay out what is now in view.
    if (event->type() == QEvent::Show)
        layoutPages();
    return QAbstractScrollArea::viewportEvent(event);
}

void ContinuousView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        Q_EMIT zoomWheel(*event); // the window zooms
        event->accept();
        return;
    }
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.y() == 0 || (event->modifiers() & Qt::ShiftModifier);
    m_wheelRest += delta.y() ? delta.y() : delta.x();
    // Whole lines, the system's number a notch; a touchpad's small steps add up.
    const int perNotch = std::max(1, QApplication::wheelScrollLines());
    const int lines = m_wheelRest * perNotch / 120;
    m_wheelRest -= lines * 120 / perNotch;
    if (sideways)
        scrollSideways(-lines * LinePixels);
    else
        scrollBy(-lines * LinePixels);
    event->accept();
}

void ContinuousView::keyPressEvent(QKeyEvent *event)
{
    // The window's keys scroll this view through DocumentView.
    event->ignore();
}

void ContinuousView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = event->globalPosition().toPoint();
    m_valuesAtStart = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(m_closed);
}

void ContinuousView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPoint d = event->globalPosition().toPoint() - m_dragStart;
    horizontalScrollBar()->setValue(m_valuesAtStart.x() - d.x());
    verticalScrollBar()->setValue(m_valuesAtStart.y() - d.y());
}

void ContinuousView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        viewport()->setCursor(m_open);
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT menuRequested(event->globalPosition().toPoint());
    }
}

} // namespace qv
