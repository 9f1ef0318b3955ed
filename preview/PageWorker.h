// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The viewer's one door to background page work: one thread pool, the jobs
// queued by priority (the pages next to the one on show before thumbnails,
// thumbnails before the next slice of the page index's scan), one cancel
// scheme (a flag per job, checked by the job), one page cache with one memory
// budget (PageCache) for what the jobs make, and the one function that
// replays a page onto a surface of the job's own. Closing the window stops
// every job and waits for the one running; no job can block for good (every
// reader opens without blocking and refuses what is not a regular file, and
// the index's scan reads its stop flag between two blocks of the file).
#pragma once

#include "preview/PageCache.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "spool/Document.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThreadPool;

namespace qv {

class PageWorker : public QObject
{
    Q_OBJECT
public:
    /// Which jobs go first: a higher priority is started before a lower one.
    enum class Priority : int {
        Index = 0,     ///< a slice of the page index's scan (spool::PageIndexer)
        Find = 1,      ///< a stretch of pages of the find's search
        Thumbnail = 2, ///< a thumbnail of the pane
        Neighbour = 3, ///< a page next to the one on show, made ahead
    };
    /// A job's flag: set, the job does no work (it checks the flag as it
    /// starts and where it can stop), and is still run to tell its caller.
    using Flag = std::shared_ptr<std::atomic<bool>>;
    using Job = std::function<void(const std::atomic<bool> &cancelled)>;

    explicit PageWorker(QObject *parent = nullptr);
    /// Stops every job (stopAll()).
    ~PageWorker() override;

    /// Queues \a job at \a priority; its flag, which the caller may set to
    /// cancel it. A job queued while stopAll() waits (by a job that queues
    /// the next) starts cancelled.
    Flag start(Priority priority, Job job);
    /// Cancels every job through its flag and waits until all have run
    /// (those not started do no work).
    void stopAll();
    /// Runs jobs at \a priority: how a scan of the spool layer, which does
    /// not know the worker, becomes a kind of job of it
    /// (Document::pageIndexer()). The worker must outlive its use.
    spool::JobRunner runner(Priority priority = Priority::Index);

    /// The one cache of what the jobs make (pages made ahead, thumbnails);
    /// used on the GUI thread only.
    PageCache &cache() { return m_cache; }
    /// Jobs queued or running.
    int pending() const { return m_pending.load(); }

    /// Replays page \a spec of the spool file \a path onto \a surface (its
    /// drawing cleared first) and returns what was drawn; an error that
    /// stopped the replay goes to \a error, what was drawn so far is still
    /// returned.
    static FrozenPage replay(PageSurface &surface, const QString &path, const LetturaDati::PageSpec &spec,
                             std::exception_ptr &error);

private:
    QThreadPool *m_pool;
    PageCache m_cache;
    std::mutex m_mutex;
    int m_stopping = 0; // stopAll() calls waiting, under m_mutex
    std::vector<std::weak_ptr<std::atomic<bool>>> m_flags;
    std::shared_ptr<std::atomic<int>> m_counter = std::make_shared<std::atomic<int>>(0);
    std::atomic<int> &m_pending = *m_counter;
};

} // namespace qv
