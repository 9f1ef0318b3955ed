// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/RenderAhead.h"

#include "render/LetturaDati.h"

#include <QPointer>

#include <cmath>

namespace qv {

namespace {

/// The replay of the page at \a start onto a surface of the view's size.
void replay(PreparedPage &made, const RenderAhead::View &view)
{
    PageSurface surface;
    surface.setSize(view.pageTwips.width(), view.pageTwips.height());
    if (view.memoryBudget > 0)
        surface.setMemoryBudget(view.memoryBudget);
    // Shown as far as it was drawn, with the error, as on demand.
    const LetturaDati::PageSpec spec = LetturaDati::PageSpec::at(made.start);
    made.drawing = PageWorker::replay(surface, view.file, view.end >= 0 ? spec.upTo(view.end) : spec, made.error);
    made.memoryUsed = surface.memoryUsed();
}

/// The raster the page widget would make: the whole page when it is small
/// enough (any scroll position is then covered), else the view's area.
PageRaster rasterise(const FrozenPage &drawing, const RenderAhead::View &view)
{
    const QRect whole(QPoint(0, 0), view.widgetSize);
    const qint64 pixels = qint64(std::ceil(whole.width() * view.dpr)) * qint64(std::ceil(whole.height() * view.dpr));
    if (pixels <= RenderAhead::WholePagePixels)
        return ImmaginePagina::rasterFor(drawing, view.widgetSize, view.dpr, whole, 0);
    return ImmaginePagina::rasterFor(drawing, view.widgetSize, view.dpr, view.area, ImmaginePagina::Margine, view.area);
}

} // namespace

RenderAhead::RenderAhead(PageWorker &worker, QObject *parent) : QObject(parent), m_worker(worker) {}

RenderAhead::~RenderAhead()
{
    for (const auto &flag : std::as_const(m_jobs))
        *flag = true;
    // No job outlives this: the worker stops them all (the window is closing).
    m_worker.stopAll();
}

PageCache::Key RenderAhead::key(int32_t page, qint64 start) const
{
    PageCache::Key key;
    key.kind = PageCache::Kind::Page;
    key.file = m_view.file;
    key.page = page;
    key.start = start;
    if (m_view.raster) {
        key.pixels = QSize(int(std::ceil(m_view.widgetSize.width() * m_view.dpr)),
                           int(std::ceil(m_view.widgetSize.height() * m_view.dpr)));
        key.quality = 1;
    }
    return key;
}

void RenderAhead::setView(const View &view)
{
    if (view == m_view)
        return;
    const bool sameDrawings = view.file == m_view.file && view.pageTwips == m_view.pageTwips
                              && view.memoryBudget == m_view.memoryBudget && view.end == m_view.end;
    for (const auto &flag : std::as_const(m_jobs))
        *flag = true;
    m_jobs.clear();
    PageCache &cache = m_worker.cache();
    // The pages made for the old view go; the drawings of those still
    // wanted stay when only the raster's part changed (they do not depend on
    // the zoom): only their rasters are made again.
    QList<PreparedPage> kept;
    const QString file = m_view.file;
    for (const PageCache::Key &k : cache.keys()) {
        if (k.kind != PageCache::Kind::Page)
            continue;
        const std::shared_ptr<void> value = cache.take(k);
        if (value && sameDrawings && k.file == file && m_wanted.value(k.page) == k.start)
            kept.append(std::move(*std::static_pointer_cast<PreparedPage>(value)));
    }
    m_view = view;
    for (PreparedPage &page : kept) {
        page.raster = PageRaster();
        if (!m_view.raster) {
            store(std::move(page));
            continue;
        }
        const int32_t number = page.page;
        const qint64 start = page.start;
        queue(number, start, std::move(page.drawing), page.memoryUsed);
    }
}

void RenderAhead::want(const QList<QPair<int32_t, qint64>> &pages)
{
    m_wanted.clear();
    for (const auto &[page, start] : pages)
        if (start > 0)
            m_wanted.insert(page, start);
    // What was made stays in the cache while it has room (going back is then
    // at once); the work for pages no longer wanted is dropped.
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (!m_wanted.contains(it.key())) {
            **it = true;
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    if (m_view.file.isEmpty() || m_view.pageTwips.isEmpty())
        return;
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it)
        if (!m_worker.cache().contains(key(it.key(), it.value())) && !m_jobs.contains(it.key()))
            queue(it.key(), it.value(), nullptr, 0);
}

int RenderAhead::readyCount() const
{
    return m_worker.cache().count(PageCache::Kind::Page);
}

void RenderAhead::store(PreparedPage page)
{
    const qint64 bytes = page.memoryUsed + (page.raster.isNull() ? 0 : qint64(page.raster.image.sizeInBytes()));
    const PageCache::Key k = key(page.page, page.start);
    m_worker.cache().insert(k, std::make_shared<PreparedPage>(std::move(page)), bytes);
}

void RenderAhead::queue(int32_t page, qint64 start, FrozenPage drawing, qint64 memoryUsed)
{
    ++m_pending;
    auto made = std::make_shared<PreparedPage>();
    made->page = page;
    made->start = start;
    made->drawing = std::move(drawing);
    made->memoryUsed = memoryUsed;
    const View view = m_view;
    QPointer<RenderAhead> self(this);
    // The job's flag, known here once it is queued; its result comes back
    // through this thread's event loop, after that.
    auto flag = std::make_shared<PageWorker::Flag>();
    *flag =
        m_worker.start(PageWorker::Priority::Neighbour, [self, made, flag, view](const std::atomic<bool> &cancelled) {
            if (!cancelled) {
                if (!made->drawing)
                    replay(*made, view);
                if (view.raster && !cancelled)
                    made->raster = rasterise(made->drawing, view);
            }
            // Back on the window's thread; the window may be gone by then.
            QMetaObject::invokeMethod(
                self.data(),
                [self, made, flag] {
                    if (self)
                        self->arrived(made, *flag);
                },
                Qt::QueuedConnection);
        });
    m_jobs.insert(page, *flag);
}

void RenderAhead::arrived(const std::shared_ptr<PreparedPage> &made,
                          const std::shared_ptr<std::atomic<bool>> &cancelled)
{
    --m_pending;
    const auto job = m_jobs.constFind(made->page);
    if (job != m_jobs.cend() && *job == cancelled)
        m_jobs.erase(job);
    if (*cancelled || m_wanted.value(made->page) != made->start) {
        ++m_dropped;
    } else {
        const int32_t page = made->page;
        store(std::move(*made));
        emit ready(page);
    }
    if (m_pending == 0)
        emit idle();
}

std::optional<PreparedPage> RenderAhead::take(int32_t page, qint64 start)
{
    PageCache &cache = m_worker.cache();
    // Shown from now on: the cache keeps its images whatever its budget.
    cache.setPageOnShow(page);
    const std::shared_ptr<void> made = cache.take(key(page, start));
    if (!made)
        return std::nullopt;
    return std::move(*std::static_pointer_cast<PreparedPage>(made));
}

void RenderAhead::keep(PreparedPage page)
{
    if (page.start <= 0 || !page.drawing)
        return;
    if (!m_view.raster || page.raster.widgetSize != m_view.widgetSize || page.raster.dpr != m_view.dpr)
        page.raster = PageRaster();
    const auto job = m_jobs.constFind(page.page);
    if (job != m_jobs.cend()) {
        **job = true;
        m_jobs.erase(job);
    }
    store(std::move(page));
}

} // namespace qv
