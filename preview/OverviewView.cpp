// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/OverviewView.h"

#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/PageCache.h"
#include "preview/PageShadow.h"
#include "preview/PageWorker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

namespace {

/// Requests waiting for the worker at most: more than a screen of the
/// smallest cells, so that no cell in view is left without its picture.
constexpr int Queue = 512;

} // namespace

OverviewView::OverviewView(ViewerModel &model, PageView &zoom, PageWorker &worker, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_zoom(zoom)
    , m_worker(worker)
    , m_jobs(
          worker,
          [this](int32_t page, QImage image, quint64 generation) {
              QMetaObject::invokeMethod(
                  this, [this, page, image = std::move(image), generation] { receive(page, image, generation); },
                  Qt::QueuedConnection);
          },
          Queue)
{
    setObjectName(QStringLiteral("panoramica"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setPageAreaBackground(viewport());
    m_layout.setGap(Gap);
    m_layout.setSpine(Gap);
    m_layout.setPageCount(m_model.viewPages());

    connect(&m_model, &ViewerModel::viewModeChanged, this,
            [this](ViewerModel::ViewMode shown) { setActive(shown == mode()); });
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] {
        if (isVisible())
            relayout();
        else
            m_layout.setPageCount(m_model.viewPages());
    });
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this](int32_t page) {
        if (!isVisible())
            return;
        bringIntoView(page);
        viewport()->update();
    });
    connect(&m_model, &ViewerModel::documentChanged, this, [this] {
        if (isVisible())
            reload();
    });
    connect(&m_model, &ViewerModel::qualityChanged, this, [this] {
        m_held.clear(); // each quality is kept under its own key
        viewport()->update();
    });
}

OverviewView::~OverviewView() = default;

// --- The grid ------------------------------------------------------------------------------

void OverviewView::relayout()
{
    const QSize twips = m_model.pageTwips(0).expandedTo(QSize(1, 1));
    const double factor = m_zoom.geometria().zoom();
    const int width = std::clamp(int(std::lround(twips.width() * factor / platform::twipsPerPixelX() / ZoomDivisor)),
                                 MinWidth, MaxWidth);
    const QSize box(width, std::max(1, int(std::lround(double(width) * twips.height() / twips.width()))));
    const QSize cell(box.width() + 2 * Padding, box.height() + 2 * Padding + TextGap + fontMetrics().height());
    const int columns = std::max(1, (viewport()->width() - Gap) / (cell.width() + Gap));
    const double dpr = viewport()->devicePixelRatioF();
    const bool changed = box != m_box || dpr != m_dpr;
    m_box = box;
    m_dpr = dpr;
    m_layout.setColumns(columns);
    m_layout.setPageCount(m_model.viewPages());
    m_layout.setSizes(cell, {});
    if (changed)
        restart();
    updateBars();
    bringIntoView(m_model.currentPage());
    viewport()->update();
}

void OverviewView::updateBars()
{
    const QSize vp = viewport()->size();
    verticalScrollBar()->setPageStep(std::max(1, vp.height()));
    verticalScrollBar()->setSingleStep(std::max(1, cellSize().height() / 4));
    horizontalScrollBar()->setPageStep(std::max(1, vp.width()));
    verticalScrollBar()->setRange(0, int(std::clamp<qint64>(m_layout.height() - vp.height(), 0, INT_MAX / 2)));
    horizontalScrollBar()->setRange(0, std::max(0, documentWidth() - vp.width()));
}

int OverviewView::documentWidth() const
{
    const int content = m_layout.contentWidth() + 2 * Gap;
    return std::max(content, viewport()->width());
}

QRect OverviewView::cellRect(int32_t page) const
{
    const qint64 y = m_layout.pageY(page) - verticalScrollBar()->value();
    const int x = m_layout.pageX(page, documentWidth()) - horizontalScrollBar()->value();
    return QRect(x, int(std::clamp<qint64>(y, INT_MIN / 2, INT_MAX / 2)), cellSize().width(), cellSize().height());
}

QRect OverviewView::pictureRect(int32_t page) const
{
    const QRect cell = cellRect(page);
    const QRect box(cell.x() + Padding, cell.y() + Padding, m_box.width(), m_box.height());
    const auto it = m_held.find(page);
    if (it == m_held.end())
        return box;
    // A page of another shape than the box sits in its middle.
    const QSize d = it->second->deviceIndependentSize().toSize().boundedTo(m_box).expandedTo(QSize(1, 1));
    return QRect(box.x() + (box.width() - d.width()) / 2, box.y() + (box.height() - d.height()) / 2, d.width(),
                 d.height());
}

int32_t OverviewView::pageAt(QPoint point) const
{
    const int32_t row = m_layout.rowAt(qint64(point.y()) + verticalScrollBar()->value());
    for (int32_t p = m_layout.firstOfRow(row); p <= m_layout.lastOfRow(row); ++p)
        if (cellRect(p).contains(point))
            return p;
    return -1;
}

void OverviewView::bringIntoView(int32_t page)
{
    QScrollBar *v = verticalScrollBar();
    const qint64 top = m_layout.pageY(page) - Gap;
    const qint64 bottom = m_layout.pageY(page) + cellSize().height() + Gap;
    if (top < v->value())
        v->setValue(int(std::max<qint64>(top, 0)));
    else if (bottom > qint64(v->value()) + viewport()->height())
        v->setValue(int(std::min<qint64>(bottom - viewport()->height(), v->maximum())));
}

void OverviewView::mark(qint64 page)
{
    const int32_t last = m_model.viewPages() - 1;
    const int32_t target = int32_t(std::clamp<qint64>(page, 0, last));
    if (target == m_model.currentPage()) {
        platform::beep(); // at the document's end, as the keys beep at a limit
        return;
    }
    m_model.setCurrentPage(target);
}

// --- The small pages -------------------------------------------------------------------------

void OverviewView::restart()
{
    ++m_generation;
    m_held.clear();
    m_asked.clear();
    m_jobs.setDocumento(m_model.path(), m_model.pageTwips(0), m_box * m_dpr, m_generation);
}

namespace {

PageCache::Key keyOf(const QString &path, int32_t page, QSize pixels, bool best)
{
    PageCache::Key key;
    key.kind = PageCache::Kind::Thumbnail;
    key.file = path;
    key.page = page;
    key.pixels = pixels;
    key.quality = best ? 1 : 0;
    return key;
}

} // namespace

std::shared_ptr<QPixmap> OverviewView::imageOf(int32_t page)
{
    if (const auto it = m_held.find(page); it != m_held.end())
        return it->second;
    std::shared_ptr<QPixmap> found =
        m_worker.cache().object<QPixmap>(keyOf(m_model.path(), page, m_box * m_dpr, m_model.bestQuality()));
    if (found)
        m_held[page] = found;
    else
        ask(page);
    return found;
}

void OverviewView::ask(int32_t page)
{
    if (m_model.path().isEmpty() || !m_asked.insert(page).second)
        return;
    if (const std::optional<int32_t> dropped = m_jobs.chiedi({page, m_model.pageSpec(page)}))
        m_asked.erase(*dropped); // asked again when it is painted again
}

void OverviewView::receive(int32_t page, const QImage &image, quint64 generation)
{
    if (generation != m_generation)
        return;
    m_asked.erase(page);
    if (page >= m_model.viewPages() || !isVisible())
        return;
    const bool best = m_model.bestQuality();
    auto pixmap = std::make_shared<QPixmap>(QPixmap::fromImage(best ? image : ThumbnailWorker::in256Colours(image)));
    pixmap->setDevicePixelRatio(m_dpr);
    m_worker.cache().insert(keyOf(m_model.path(), page, m_box * m_dpr, best), pixmap, qint64(image.sizeInBytes()));
    ++m_made;
    m_held[page] = std::move(pixmap);
    viewport()->update(cellRect(page));
    Q_EMIT imageReady(page);
}

void OverviewView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const int top = verticalScrollBar()->value();
    const int32_t firstRow = m_layout.rowAt(top + event->rect().top());
    const int32_t lastRow = m_layout.rowAt(qint64(top) + event->rect().bottom());
    const int32_t current = m_model.currentPage();
    const QPalette &pal = palette();
    for (int32_t p = m_layout.firstOfRow(firstRow); p <= m_layout.lastOfRow(lastRow); ++p) {
        const QRect cell = cellRect(p);
        if (!cell.intersects(event->rect()))
            continue;
        if (p == current)
            painter.fillRect(cell, pal.color(QPalette::Highlight));
        const std::shared_ptr<QPixmap> image = imageOf(p);
        const QRect picture = pictureRect(p);
        if (m_shadow)
            PageShadow::paint(painter, picture, viewport()->devicePixelRatioF());
        painter.fillRect(picture, Qt::white);
        if (image)
            painter.drawPixmap(picture, *image);
        painter.setPen(p == current ? pal.color(QPalette::HighlightedText) : QColor(Qt::white));
        const QRect text(cell.x(), cell.y() + Padding + m_box.height() + TextGap, cell.width(), fontMetrics().height());
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, QString::number(qint64(p) + 1));
    }
    // Only the rows in view and one on either side keep their pictures.
    const int32_t keepFrom = m_layout.firstOfRow(std::max(m_layout.rowAt(top) - 1, 0));
    const int32_t keepTo = m_layout.lastOfRow(m_layout.rowAt(qint64(top) + viewport()->height()) + 1);
    for (auto it = m_held.begin(); it != m_held.end();)
        it = it->first < keepFrom || it->first > keepTo ? m_held.erase(it) : std::next(it);
}

// --- DocumentView --------------------------------------------------------------------------

void OverviewView::setActive(bool active)
{
    if (!active) {
        if (isHidden())
            return;
        hide();
        // Hidden, it keeps no picture and asks for none.
        ++m_generation;
        m_held.clear();
        m_asked.clear();
        m_jobs.setDocumento(QString(), QSize(1, 1), QSize(1, 1), m_generation);
        return;
    }
    show();
    restart();
    relayout();
    setFocus(Qt::OtherFocusReason);
}

bool OverviewView::setArea(const QRect &area, QSizeF, bool)
{
    setGeometry(area);
    return false;
}

std::exception_ptr OverviewView::showCurrentPage()
{
    bringIntoView(m_model.currentPage());
    viewport()->update();
    return nullptr;
}

std::exception_ptr OverviewView::reload()
{
    m_worker.cache().removeIf([path = m_model.path()](const PageCache::Key &key) {
        return key.kind == PageCache::Kind::Thumbnail && key.file == path;
    });
    restart();
    relayout();
    return nullptr;
}

void OverviewView::zoomChanged()
{
    if (isVisible())
        relayout();
}

bool OverviewView::scrollVertical(double twips)
{
    QScrollBar *v = verticalScrollBar();
    const int before = v->value();
    const int pixels = int(std::lround(twips / platform::twipsPerPixelY()));
    v->setValue(int(std::clamp<qint64>(qint64(before) + (pixels ? pixels : twips < 0 ? -1 : 1), 0, v->maximum())));
    return v->value() != before;
}

double OverviewView::screenHeight() const
{
    return viewport()->height() * platform::twipsPerPixelY();
}

bool OverviewView::zoomAbout(PageView::Zoom zoom, QPointF)
{
    if (!m_zoom.zoom(zoom))
        return false;
    zoomChanged();
    return true;
}

// --- Events --------------------------------------------------------------------------------

void OverviewView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (isVisible())
        relayout();
}

void OverviewView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void OverviewView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier) {
        event->ignore(); // the window's keys (Ctrl+P, Ctrl+F, ...)
        return;
    }
    const qint64 page = m_model.currentPage();
    const int columns = m_layout.columns();
    const int32_t row = m_layout.rowOf(int32_t(page));
    const int rowsPerScreen = std::max(1, viewport()->height() / (cellSize().height() + Gap));
    switch (event->key()) {
    case Qt::Key_Left: mark(page - 1); break;
    case Qt::Key_Right: mark(page + 1); break;
    case Qt::Key_Up: row > 0 ? mark(page - columns) : platform::beep(); break;
    case Qt::Key_Down: row + 1 < m_layout.rowCount() ? mark(page + columns) : platform::beep(); break;
    case Qt::Key_PageUp: mark(page - qint64(columns) * rowsPerScreen); break;
    case Qt::Key_PageDown: mark(page + qint64(columns) * rowsPerScreen); break;
    case Qt::Key_Home: mark(0); break;
    case Qt::Key_End: mark(m_model.viewPages() - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: Q_EMIT pageOpened(int32_t(page)); break;
    default: event->ignore(); return;
    }
    event->accept();
}

void OverviewView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton ? pageAt(event->position().toPoint()) : -1;
    if (m_pressed >= 0 && m_pressed != m_model.currentPage())
        m_model.setCurrentPage(m_pressed);
}

void OverviewView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        Q_EMIT menuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int32_t page = pageAt(event->position().toPoint());
    if (page >= 0 && page == m_pressed)
        Q_EMIT pageOpened(page);
    m_pressed = -1;
}

void OverviewView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        Q_EMIT zoomWheel(*event); // the window zooms
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

} // namespace qv
