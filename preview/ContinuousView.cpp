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

ContinuousView::ContinuousView(ViewerModel &model, PageView &zoom, const FindResults &find, QWidget *parent,
                               ViewerModel::ViewMode viewMode)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_zoom(zoom)
    , m_find(find)
    , m_mode(viewMode)
{
    const bool facing = viewMode == ViewerModel::ViewMode::Facing;
    m_layout.setColumns(facing ? 2 : 1, facing);
    m_layout.setGap(Gap);
    m_layout.setPageCount(m_model.viewPages());
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] { pageCountChanged(); });
    // A hidden view is taken to the page on show when it is shown.
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this](int32_t page) {
        if (!isVisible())
            return;
        // The zoom's page is the page in view (for the fitted zooms).
        m_zoom.setPageKeepingZoom(zoomPage(page));
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
    setObjectName(facing ? QStringLiteral("vistaAffiancata") : QStringLiteral("vistaContinua"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setPageAreaBackground(viewport());
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
    return m_layout.pageSize(page);
}

QSize ContinuousView::zoomPage(int32_t page) const
{
    if (m_layout.columns() == 1)
        return m_model.pageTwips(page);
    const int32_t row = m_layout.rowOf(page);
    QSize widest(1, 1);
    for (int32_t p = m_layout.firstOfRow(row); p <= m_layout.lastOfRow(row); ++p)
        widest = widest.expandedTo(m_model.pageTwips(p));
    return QSize(2 * widest.width() + SpineTwips, widest.height());
}

int ContinuousView::documentHeight() const
{
    return int(std::min<qint64>(m_layout.height(), INT_MAX / 2));
}

int ContinuousView::documentWidth() const
{
    // A row that fits the view needs no gaps at its sides (a page fitted to
    // the width scrolls not sideways); a wider one has them at its edges.
    // Two pages and the spine, each rounded to pixels, may come to a pixel
    // or two more than the spread fitted to the width.
    const int width = viewport()->width();
    const int content = m_layout.contentWidth();
    const int rounding = m_layout.columns() > 1 ? 2 : 0;
    return content <= width + rounding ? width : content + 2 * Gap;
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
    // row, and the horizontal position in proportion (from the left edge,
    // as the single page, when there was nothing to scroll).
    const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
    const int32_t row = m_layout.rowAt(middle);
    const qint64 bandTop = m_layout.rowTop(row) - Gap;
    const double inside = double(middle - bandTop) / (m_layout.rowHeight(row) + Gap);
    const double across = horizontalScrollBar()->maximum() > 0
                              ? double(horizontalScrollBar()->value()) / horizontalScrollBar()->maximum()
                              : 0.0;

    std::map<int32_t, QSize> other;
    for (const auto &[p, twips] : m_otherTwips)
        other[p] = pixelsOf(twips);
    const int spine = int(std::lround(SpineTwips * m_zoom.geometria().zoom() / platform::twipsPerPixelX()));
    const bool spineChanged = m_layout.columns() > 1 && spine != m_layout.spine();
    m_layout.setSpine(spine);
    if (!m_layout.setSizes(pixelsOf(m_firstTwips), std::move(other)) && !spineChanged)
        return;
    for (auto &[number, widget] : m_widgets)
        delete widget; // their rasters are for the old size
    m_widgets.clear();
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
        verticalScrollBar()->setValue(int(m_layout.rowTop(row) - Gap
                                          + std::lround(inside * (m_layout.rowHeight(row) + Gap))
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
    } else {
        if (it != m_otherTwips.end() && it->second == twips)
            return false;
        m_otherTwips[page] = twips;
    }
    m_layout.setPageSize(page, twips == m_firstTwips ? m_layout.firstSize() : pixelsOf(twips));
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
    m_layout.setPageCount(pages);
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
    const int x = m_layout.pageX(page, documentWidth()) - horizontalScrollBar()->value();
    const qint64 y = m_layout.pageY(page) - verticalScrollBar()->value();
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

void ContinuousView::setFirstAlone(bool alone)
{
    if (m_layout.columns() < 2 || alone == m_layout.firstAlone())
        return;
    m_layout.setColumns(2, alone);
    for (auto &[number, widget] : m_widgets)
        delete widget; // every page moves to another row
    m_widgets.clear();
    if (!isVisible())
        return;
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
    }
    goToPage(m_model.currentPage());
    m_zoom.setPageKeepingZoom(zoomPage(m_model.currentPage()));
}

// --- Moving ------------------------------------------------------------------------------

void ContinuousView::goToPage(int32_t page)
{
    page = std::clamp(page, 0, std::max(pageCount(), 1) - 1);
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        verticalScrollBar()->setValue(int(std::min<qint64>(m_layout.rowTop(m_layout.rowOf(page)) - Gap, INT_MAX)));
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
    // The row that fills most of the view; of its pages, the page on show
    // when it is one of them, else its first.
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    const int32_t last = m_layout.rowCount() - 1;
    int32_t best = m_layout.rowAt(top);
    qint64 covered = -1;
    for (int32_t row = best; row <= last; ++row) {
        const qint64 rowY = m_layout.rowTop(row);
        if (rowY >= bottom)
            break;
        const qint64 visible = std::min<qint64>(rowY + m_layout.rowHeight(row), bottom) - std::max<qint64>(rowY, top);
        if (visible > covered) {
            covered = visible;
            best = row;
        }
    }
    const int32_t current = m_model.currentPage();
    return m_layout.rowOf(current) == best ? current : m_layout.firstOfRow(best);
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
    // Shown before its sizes were worked out (a show event comes first):
    // page 1's size first, so that no page is replayed on a surface of
    // another size.
    if (isVisible() && m_firstTwips.isEmpty())
        updateSizes();
    m_laying = true;
    const int32_t lastRow = m_layout.rowCount() - 1;
    int32_t firstRow = 0;
    int32_t lastRowShown = 0;
    // The rows in view and one beside it, with their sizes learned: a page
    // above the view that is of another size moves the view with it.
    for (int round = 0; round < 4; ++round) {
        const int top = verticalScrollBar()->value();
        const int bottom = top + viewport()->height();
        firstRow = m_layout.rowAt(top);
        lastRowShown = std::max(firstRow, m_layout.rowAt(std::max(bottom - 1, 0)));
        if (!isVisible())
            break;
        const qint64 viewTop = m_layout.rowTop(firstRow);
        bool changed = false;
        for (int32_t p = m_layout.firstOfRow(std::max(firstRow - 1, 0));
             p <= m_layout.lastOfRow(std::min(lastRowShown + 1, lastRow)); ++p)
            changed = learnSize(p) || changed;
        if (!changed)
            break;
        const QScopedValueRollback<bool> moving(m_moving, true);
        updateBars();
        verticalScrollBar()->setValue(int(top + (m_layout.rowTop(firstRow) - viewTop)));
        for (auto &[number, widget] : m_widgets)
            delete widget;
        m_widgets.clear();
    }

    // Forget what left the view and its neighbours; rasters go with their widgets.
    const int32_t firstShown = m_layout.firstOfRow(firstRow);
    const int32_t lastShown = m_layout.lastOfRow(lastRowShown);
    const int32_t keepFrom = m_layout.firstOfRow(std::max(firstRow - 1, 0));
    const int32_t keepTo = m_layout.lastOfRow(std::min(lastRowShown + 1, lastRow));
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
        if (isHidden())
            return;
        hide();
        reloadPages(); // hidden, it keeps no page
        // The next view takes the zoom as it is, for the page on show.
        m_zoom.setPageKeepingZoom(m_model.pageTwips(m_model.currentPage()));
        return;
    }
    show();
    updateSizes();
    goToPage(m_model.currentPage());
    // The zoom's page is the page in view (for the fitted zooms).
    m_zoom.setPageKeepingZoom(zoomPage(m_model.currentPage()));
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
    // Of the pages around the current one, the one whose band holds the
    // point (in a row of facing pages, the one nearer to it).
    const int32_t current = currentPage();
    int32_t page = current;
    double nearest = -1;
    const int32_t span = 2 * m_layout.columns();
    for (int32_t p = std::max(0, current - span); p <= current + span && p < pageCount(); ++p) {
        const QRect r = pageRect(p);
        if (local.y() < r.top() - Gap || local.y() > r.bottom() + Gap)
            continue;
        const double across = std::max({0.0, r.left() - local.x(), local.x() - r.right()});
        if (nearest < 0 || across <= nearest) {
            nearest = across;
            page = p;
        }
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
