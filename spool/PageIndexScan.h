// qvPreview - print preview for Qt applications.
// The page index of a long spool file built in the background: the scan
// (spool::buildPageIndex, the one builder) runs in a thread of its own and
// publishes the page starts as it finds them, so that the first pages can be
// shown before the whole file has been read, and a page further on waits
// only until its start is known.
#pragma once

#include "spool/Document.h"

#include <qvpreview/Error.h>

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace qv::spool {

class PageIndexScan : public QObject
{
    Q_OBJECT
public:
    /// A scan of \a path; \a source names the reader in an error.
    PageIndexScan(const QString &path, const QString &source, QObject *parent = nullptr);
    /// Starts the scan in a thread of its own (once; connect to the signals
    /// first, so that none is missed).
    void start();
    /// Stops the scan (between two blocks of the file) and waits for it.
    ~PageIndexScan() override;

    /// The page starts found so far (element 0 is 1, the file start):
    /// the pages known so far.
    qsizetype known() const;
    /// True once the whole file has been scanned, or the scan failed.
    bool finished() const;
    /// The error that stopped the scan (53, 75), if any.
    std::optional<Error> error() const;
    /// The starts from element \a from on (an empty list past known()).
    PageIndex startsFrom(qsizetype from) const;

    /// Waits until the start of page \a page (1-based) is known or the scan
    /// ended; returns it, or nullopt when the file holds no such page or
    /// the scan failed before it. The scan publishes as soon as that page is
    /// found, however far it is from the last start it told.
    std::optional<qint64> waitForPage(qsizetype page) const;
    /// Waits until the scan ended (it must have been started).
    void waitForFinished() const;

signals:
    /// More page starts are known (emitted from the scan's thread; queued to
    /// receivers in other threads). \a known as known().
    void grew(qsizetype known);
    /// The scan ended, whole or at an error.
    void done();

private:
    void run();

    QString m_path;
    QString m_source;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PageIndex m_starts{1};
    bool m_finished = false;
    std::optional<Error> m_error;
    std::atomic<bool> m_stop{false};
    // The page someone waits for: the scan publishes as soon as it is found.
    mutable std::atomic<qsizetype> m_wanted{0};
    std::thread m_thread;
};

} // namespace qv::spool
