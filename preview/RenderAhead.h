// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Pages ready before they are asked for: while the user reads a page, the
// pages next to it are replayed and rasterised at the current zoom in a
// worker thread, so that a page change shows a page that is already there.
#pragma once

#include "preview/ImmaginePagina.h"
#include "preview/PageWorker.h"
#include "render/PageSurface.h"

#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <exception>
#include <memory>
#include <optional>

namespace qv {

/// A page made ahead of time: its replay (as far as it could be drawn, with
/// the replay's error) and, in full colour, its raster for the view it was
/// made for.
struct PreparedPage
{
    int32_t page = 0;   ///< 0-based
    qint64 start = 0;   ///< its stored start in the spool file
    FrozenPage drawing; ///< the replay's drawing
    qint64 memoryUsed = 0;
    std::exception_ptr error; ///< why the replay stopped early, if it did
    PageRaster raster;        ///< null in 256-colour mode or when not asked for
};

/// Renders the pages next to the one on show through the viewer's worker
/// (PageWorker, before thumbnails) and keeps them in the worker's page cache
/// (PageCache: one budget with the thumbnails, the least recently used going
/// first, so that a page read a moment ago is still there on going back),
/// under the page, its start and the raster's size. Work for pages no longer
/// wanted (the zoom changed, the user jumped elsewhere) is dropped: a job not
/// started is skipped, a result that arrives for an old view or page is
/// thrown away.
///
/// The worker replays onto a page surface of its own (fonts and metrics are
/// per surface, the spool file is opened per replay, pictures are decoded per
/// replay) and rasterises onto a QImage through ImmaginePagina::rasterFor(),
/// the rasteriser of the window, so a prepared page is the same image as one
/// made on demand. It never touches the window, its document or its page
/// surface.
class RenderAhead : public QObject
{
    Q_OBJECT
public:
    /// What the pages are made for: the spool file, the page size, the
    /// replay's memory budget and, for the raster, the page widget's size,
    /// device pixel ratio and the area a raster covers (logical pixels).
    struct View
    {
        QString file;
        QSize pageTwips;
        qint64 memoryBudget = 0;
        bool raster = false; ///< full colour: rasterise too
        QSize widgetSize;
        double dpr = 1;
        QRect area;
        qint64 end = -1; ///< the replay reads up to this byte offset (LetturaDati::PageSpec::upTo); -1: none
        bool operator==(const View &) const = default;
    };

    /// A whole page is rasterised ahead when it has at most this many
    /// device pixels (a page at 100 % on a usual screen, 4 bytes a pixel);
    /// a larger one only for the area on show and a margin.
    static constexpr qint64 WholePagePixels = 2 * 1024 * 1024;

    /// Pages made by \a worker, the viewer's one door to background work.
    explicit RenderAhead(PageWorker &worker, QObject *parent = nullptr);
    /// Drops what is queued and waits for the job running (the worker
    /// stops every job: the window is closing).
    ~RenderAhead() override;

    /// The view pages are made for from now on. A change drops the rasters
    /// made and the work queued for the old one (the drawings stay when only
    /// the raster's part changed).
    void setView(const View &view);
    const View &view() const { return m_view; }

    /// The pages wanted now: \a pages with their stored starts (0-based page,
    /// start). Everything else is dropped; what is missing is queued.
    void want(const QList<QPair<int32_t, qint64>> &pages);

    /// The prepared page \a page starting at \a start, taken out of the
    /// cache, when it is ready for the current view; \a page is the page on
    /// show from now on, whose images the cache never evicts.
    std::optional<PreparedPage> take(int32_t page, qint64 start);
    /// Keeps \a page (the page the window leaves, with its raster) while it
    /// is wanted, so that going back shows it at once.
    void keep(PreparedPage page);

    /// True while work is queued or running, or results are on their way.
    bool busy() const { return m_pending > 0; }
    /// Pages kept, ready (for tests).
    int readyCount() const;
    /// Results thrown away because they arrived for an old view or page.
    int dropped() const { return m_dropped; }

signals:
    /// A page was made and kept.
    void ready(int32_t page);
    /// Nothing is queued, running or on its way any more.
    void idle();

private:
    void queue(int32_t page, qint64 start, FrozenPage drawing, qint64 memoryUsed);
    /// Where page \a page starting at \a start is kept for the current view.
    PageCache::Key key(int32_t page, qint64 start) const;
    void store(PreparedPage page);
    void arrived(const std::shared_ptr<PreparedPage> &made, const std::shared_ptr<std::atomic<bool>> &cancelled);

    View m_view;
    QHash<int32_t, qint64> m_wanted; // page -> start
    // The jobs queued or running, by page: a job whose flag is set is
    // skipped when it has not started, and its result dropped.
    QHash<int32_t, std::shared_ptr<std::atomic<bool>>> m_jobs;
    int m_pending = 0;
    int m_dropped = 0;
    PageWorker &m_worker;
};

} // namespace qv
