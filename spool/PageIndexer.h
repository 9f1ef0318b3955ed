// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page index of a document as it grows: the pages whose start is known
// so far, whether the index is complete, a wait for page n, all held against
// the page count the index must match. A long file is scanned in the
// background (PageStartScanner, the scan of spool::buildPageIndex, the one
// builder) and its starts are published as they are found, so that the first
// pages can be shown before the whole file has been read and a page further
// on waits only until its start is known; a short one is indexed at once.
// Document::pageIndexer() hands one out.
//
// The scan runs either in a thread of its own or as jobs of a worker that
// the caller owns (the viewer's one worker): a job scans a slice of the file
// (SliceBytes at most) and queues the next slice as a new job, so that a
// scan of any length never holds the worker from the jobs queued meanwhile.
// Either way it reads its stop flag between two blocks of the file.
#pragma once

#include "spool/Document.h"

#include <qvpreview/Error.h>

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace qv::spool {

class PageStartScanner;

class PageIndexer : public QObject
{
    Q_OBJECT
public:
    using Job = BackgroundJob;
    /// Runs a job in the background (later, on another thread).
    using Executor = JobRunner;
    /// Bytes of the file one job scans at most (16 blocks of the scan).
    static constexpr qint64 SliceBytes = 16 * 1024 * 1024;

    /// An index of \a path, to be scanned by start(); \a source names the
    /// reader in an error. With \a expectedPages the starts are held against
    /// that page count as limitToPageCount() holds a whole index: one start
    /// more than pages is tolerated, more is error 9 (the index then keeps
    /// only page 1's start, so that the pages are found by counting), except
    /// from the control's cap on, where the index is cut after the count.
    /// Without it the index counts the pages.
    PageIndexer(const QString &path, const QString &source, std::optional<int32_t> expectedPages = std::nullopt,
                QObject *parent = nullptr);
    /// Stops the scan (between two blocks of the file) and waits for it.
    ~PageIndexer() override;

    /// Starts the scan in a thread of its own (once; connect to the signals
    /// first, so that none is missed).
    void start();
    /// Starts the scan as jobs run by \a executor, one slice of the file a
    /// job (once; connect to the signals first). A job cancelled stops the
    /// scan as stop() does. The executor is called from the jobs to queue
    /// the next slice; it must outlive the scan or run every job it still
    /// holds when it goes.
    void start(Executor executor);
    /// Asks the scan to stop between two blocks of the file, and returns at
    /// once. The scan then ends with the pages found so far, finished() and
    /// stopped() true and done() emitted, so that whoever waits is told.
    void stop();
    /// Follows a file that another program is still appending to (before
    /// start(Executor); only with an executor): the scan does not end at the
    /// file's end but waits there (caughtUp()) until resume() says the file
    /// changed, and reads on from there. A page break line is taken only
    /// once its line end has come; wholeEnd() tells how far the lines are
    /// whole. A file cut shorter than what was read, deleted or replaced
    /// by another ends the index with error 75 saying so. The index is
    /// never finished while it follows, unless stopped or at an error.
    void setFollowing(bool on) { m_following = on; }
    bool following() const { return m_following; }
    /// The file changed: queues a scan of what was appended (at most one
    /// queued at a time). Thread-safe; nothing once the index is finished.
    void resume();
    /// Scans what was appended at once, on the caller's thread, after any
    /// slice running (a host that records and shows at the same time, at a
    /// page break). Nothing unless following.
    void catchUp();
    /// Following: true while the scan waits at the file's end for more.
    bool caughtUp() const;
    /// Byte offset just past the last whole line scanned (following), or -1
    /// when the index does not follow.
    qint64 wholeEnd() const;

    /// Takes \a starts, the whole index made at once, as held against the
    /// page count; or \a error, when it could not be made. Complete after it.
    void setComplete(const PageIndex &starts, std::optional<Error> error = std::nullopt);

    const QString &path() const { return m_path; }
    /// The page count the index is held against, if any.
    std::optional<int32_t> expectedPages() const { return m_expected; }

    /// The page starts known so far (element 0 is 1, the file start): the
    /// pages known so far.
    qsizetype known() const;
    /// True once the whole file has been scanned, the scan failed or was
    /// stopped, or the index was made at once.
    bool finished() const;
    /// True when the scan was stopped (stop(), a cancelled job, the
    /// destructor) before the end of the file: the index is not complete.
    bool stopped() const;
    /// Bytes of the file scanned so far.
    qint64 bytesScanned() const { return m_bytes.load(); }
    /// The error that stopped the scan (53, 75, or 9 for more page breaks
    /// than pages), if any.
    std::optional<Error> error() const;
    /// True when the scan stopped at more page breaks than expected pages.
    bool exceededPageCount() const;
    /// The starts from element \a from on (an empty list past known()).
    PageIndex startsFrom(qsizetype from) const;
    /// The start of page \a page (0-based) when it is known, else 0.
    qint64 startOf(qsizetype page) const;

    /// Waits until the start of page \a page (1-based) is known or the scan
    /// ended; returns it, or nullopt when the file holds no such page or
    /// the scan failed before it. The scan publishes as soon as that page is
    /// found, however far it is from the last start it told.
    std::optional<qint64> waitForPage(qsizetype page) const;
    /// Waits until the index is complete (it must have been started).
    void waitForFinished() const;

signals:
    /// More page starts are known (emitted from the scan's thread; queued to
    /// receivers in other threads). \a known as known().
    void grew(qsizetype known);
    /// The index is complete, whole or at an error.
    void done();

private:
    /// What a queued job reaches the index through: cleared (under its
    /// lock) when the index goes, so that a job still queued then finds
    /// nothing to do.
    struct Lifeline
    {
        std::mutex mutex;
        PageIndexer *indexer = nullptr;
    };
    static Job sliceJob(std::shared_ptr<Lifeline> lifeline);

    /// Scans one slice of the file (or, with \a slices 0, up to its end);
    /// true while there is more to scan.
    bool scanSlice(const std::atomic<bool> *cancelled, int slices);
    /// Following, at a scan's start: the file as read still stands (else the
    /// index ends at an error), and the scan reads on from the end it met.
    bool resumeScanner();
    /// Following: a slice ended at the file's end; queues the next one when
    /// the file changed meanwhile.
    void sliceEnded();
    /// Adds \a fresh to the index and tells of it; false when the scan is
    /// to stop (the index is held against the count).
    bool publish(PageIndex &fresh);
    void finish(std::optional<Error> error, bool stopped);
    /// Holds m_starts against the expected count (under the lock); false
    /// when the scan is to stop.
    bool holdAgainstCount();

    QString m_path;
    QString m_source;
    std::optional<int32_t> m_expected;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PageIndex m_starts{1};
    bool m_finished = false;
    bool m_exceeded = false;
    bool m_stopped = false;
    std::optional<Error> m_error;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_bytes{0};
    // The scan's own state, touched only by the one scan running.
    std::unique_ptr<PageStartScanner> m_scanner;
    qsizetype m_size = 1;     // starts published
    qsizetype m_nextTell = 0; // the size at which the scan tells next
    bool m_started = false;   // under m_mutex
    Executor m_executor;
    std::shared_ptr<Lifeline> m_lifeline;
    bool m_following = false;
    bool m_caughtUp = false;           // under m_mutex
    qint64 m_wholeEnd = 0;             // under m_mutex
    qint64 m_toldWholeEnd = 0;         // the scan's own
    std::atomic<bool> m_queued{false}; // a slice is queued or running
    std::atomic<bool> m_dirty{false};  // the file changed since the slice queued
    // The page someone waits for: the scan publishes as soon as it is found.
    mutable std::atomic<qsizetype> m_wanted{0};
    std::thread m_thread;
};

} // namespace qv::spool
