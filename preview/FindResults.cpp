// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FindResults.h"

#include "preview/PageWorker.h"

#include <qvpreview/Error.h>

#include <QElapsedTimer>

#include <algorithm>
#include <limits>
#include <mutex>

namespace qv {

namespace {

/// A job hands its matches over at most this often (and at its end), so a
/// search with many matches does not flood the window with events.
constexpr qint64 HandOverMs = 40;
/// A job searches pages for about this long, then the next stretch is
/// queued: pages made ahead and thumbnails queued meanwhile go first.
constexpr qint64 StretchMs = 100;

} // namespace

/// What a job sends back, on the results' thread.
struct FindResults::Batch
{
    quint64 generation = 0;
    bool wrapped = false; // pages before the one the search started on
    QList<spool::TextMatch> matches;
    bool last = false;      // the job's last batch
    int32_t next = 0;       // with last: the page the next stretch starts on; 0: the range is done
    bool limited = false;   // with last: stopped at the match limit
    bool cancelled = false; // with last: its flag was set
    QString error;          // with last: the reader's error
};

/// Where the jobs post their batches: the results while they live. A job
/// may outlive them; it then posts nothing.
struct FindResults::Mailbox
{
    std::mutex mutex;
    FindResults *owner = nullptr;

    void post(Batch batch)
    {
        std::lock_guard lock(mutex);
        if (!owner)
            return;
        FindResults *to = owner;
        // Events for an object that is deleted later are dropped with it.
        QMetaObject::invokeMethod(
            to, [to, batch = std::move(batch)] { to->received(batch); }, Qt::QueuedConnection);
    }
};

FindResults::FindResults(QObject *parent) : QObject(parent), m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->owner = this;
}

FindResults::~FindResults()
{
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->owner = nullptr;
    }
    stop();
    // An own worker, a child, waits for its job as it goes.
}

void FindResults::setWorker(PageWorker *worker)
{
    m_worker = worker;
}

/// Stops the search on show: its job is told to stop; what it still sends
/// is dropped.
void FindResults::stop()
{
    ++m_generation;
    if (m_job)
        m_job->store(true);
    m_job.reset();
}

void FindResults::clear()
{
    search(QString(), Document());
}

void FindResults::search(const QString &query, const Document &document, spool::FindOptions options)
{
    stop();
    m_query = query;
    m_options = options;
    m_document = document;
    m_before.clear();
    m_after.clear();
    m_current = -1;
    m_error.clear();
    m_highlights.clear();
    m_none.reset();
    m_done = true;
    m_limited = false;
    m_grewFrom = 0;
    m_extending = false;
    m_pages = document.pages > 0 ? document.pages : int32_t(document.index.size());
    if (query.isEmpty() || document.path.isEmpty() || m_pages < 1) {
        emit changed();
        emit highlightChanged();
        return;
    }
    m_done = false;
    m_first = std::clamp(document.currentPage, 1, m_pages);
    submit(m_first, false);
    emit changed();
    // The page on show drops the last query's highlights at once; the new
    // ones follow as the job finds them.
    emit highlightChanged();
}

/// Queues the search of the pages from \a from to the end of its range (the
/// last page, or the one before the page the search started on).
void FindResults::submit(int32_t from, bool wrapped)
{
    if (!m_worker) {
        if (!m_ownWorker)
            m_ownWorker = new PageWorker(this);
        m_worker = m_ownWorker;
    }
    const int32_t to = wrapped ? m_first - 1 : m_pages;
    const int32_t indexed = int32_t(std::min<qsizetype>(m_document.index.size(), std::numeric_limits<int32_t>::max()));
    const qsizetype room = MatchLimit - count();
    m_job = m_worker->start(PageWorker::Priority::Find, [mailbox = m_mailbox, generation = m_generation,
                                                         query = m_query, options = m_options, path = m_document.path,
                                                         index = m_document.index, end = m_document.end, from, to,
                                                         wrapped, indexed, room](const std::atomic<bool> &cancelled) {
        Batch batch;
        batch.generation = generation;
        batch.wrapped = wrapped;
        QElapsedTimer sinceHandOver;
        sinceHandOver.start();
        const auto handOver = [&] {
            Batch next;
            next.generation = generation;
            next.wrapped = wrapped;
            std::swap(next, batch);
            mailbox->post(std::move(next));
            sinceHandOver.restart();
        };
        if (cancelled) {
            batch.last = batch.cancelled = true;
            handOver();
            return;
        }
        spool::TextSearch search(query, options);
        search.setMaxMatches(room);
        search.setEnd(end);
        QElapsedTimer stretch;
        stretch.start();
        int32_t lastPage = from - 1;
        const auto sink = [&](int32_t page, const QList<spool::TextMatch> &matches) {
            lastPage = page;
            batch.matches.append(matches);
            if (!batch.matches.isEmpty() && sinceHandOver.elapsed() >= HandOverMs)
                handOver();
            // A stretch ends at a page whose successor the index knows (the
            // next stretch starts there); past the index it reads on.
            return stretch.elapsed() < StretchMs || page >= indexed;
        };
        try {
            const spool::TextSearch::Outcome outcome =
                search.run(path, index, from, to, sink, &cancelled, QStringLiteral("FrmAnteprima"));
            if (outcome.limited)
                batch.limited = true;
            else if (cancelled)
                batch.cancelled = true;
            else if (!outcome.complete && lastPage < to)
                batch.next = lastPage + 1;
        } catch (const Error &e) {
            batch.error = e.description();
        } catch (const std::exception &e) {
            batch.error = QString::fromLocal8Bit(e.what());
        }
        batch.last = true;
        handOver();
    });
}

void FindResults::received(const Batch &batch)
{
    if (batch.generation != m_generation)
        return; // a search that was stopped
    const qsizetype before = count();
    if (batch.wrapped) {
        // Matches before the page the search started on: a current match
        // from that page on moves down the list.
        if (m_current >= m_before.size())
            m_current += batch.matches.size();
        m_before.append(batch.matches);
    } else {
        m_after.append(batch.matches);
    }
    // The pages that got matches highlight them from now on.
    for (const spool::TextMatch &m : batch.matches)
        m_highlights.remove(m.page);
    if (batch.last) {
        m_job.reset();
        if (!batch.error.isEmpty()) {
            m_error = batch.error;
            m_done = true;
        } else if (batch.limited) {
            m_limited = true;
            m_done = true;
        } else if (batch.cancelled) {
            // The worker stopped every job (the window is closing): the
            // search is over, unfinished.
        } else if (batch.next > 0) {
            submit(batch.next, batch.wrapped);
        } else if (!batch.wrapped && m_first > 1 && !m_extending) {
            submit(1, true);
        } else {
            m_done = true;
            m_extending = false;
        }
        if (m_done && m_grewFrom > 0 && m_error.isEmpty() && !m_limited)
            extend();
    }
    if (m_current < 0 && count() > before) {
        // The first match found: at or after the page on show, or else the
        // first of the document.
        setCurrent(m_after.isEmpty() ? 0 : m_before.size());
        return;
    }
    emit changed();
    if (!batch.matches.isEmpty())
        emit highlightChanged();
}

void FindResults::documentGrew(const Document &document, int32_t fromPage)
{
    if (m_query.isEmpty() || document.path != m_document.path || fromPage < 1)
        return;
    // The search under way reads the document as it was: it goes on, and
    // the pages that grew are searched once it is over.
    const int32_t first = m_first;
    m_document = document;
    m_document.currentPage = first;
    m_grewFrom = m_grewFrom > 0 ? std::min(m_grewFrom, fromPage) : fromPage;
    if (m_done && m_error.isEmpty() && !m_limited)
        extend();
}

/// Searches the pages that grew, from m_grewFrom to the end: their old
/// matches go (they are the last in document order), the rest stay.
void FindResults::extend()
{
    const int32_t from = std::max(m_grewFrom, m_first);
    m_grewFrom = 0;
    m_pages = m_document.pages > 0 ? m_document.pages : int32_t(m_document.index.size());
    if (from > m_pages)
        return;
    const auto firstGone =
        std::find_if(m_after.begin(), m_after.end(), [from](const spool::TextMatch &m) { return m.page >= from; });
    const qsizetype kept = m_before.size() + (firstGone - m_after.begin());
    for (auto it = firstGone; it != m_after.end(); ++it)
        m_highlights.remove(it->page);
    m_after.erase(firstGone, m_after.end());
    if (m_current >= kept)
        m_current = kept > 0 ? kept - 1 : -1;
    m_done = false;
    m_extending = true; // the pages before were searched: no wrapping round
    submit(from, false);
    emit changed();
    emit highlightChanged();
}

const spool::TextMatch *FindResults::current() const
{
    if (m_current < 0)
        return nullptr;
    return m_current < m_before.size() ? &m_before[m_current] : &m_after[m_current - m_before.size()];
}

void FindResults::step(int direction)
{
    const qsizetype n = count();
    if (n == 0) {
        emit changed();
        return;
    }
    setCurrent(m_current < 0 ? (direction > 0 ? 0 : n - 1) : (m_current + direction + n) % n);
}

void FindResults::setCurrent(qsizetype number)
{
    // The pages of the last current match and of the new one light anew.
    if (const spool::TextMatch *was = current())
        m_highlights.remove(was->page);
    m_current = number;
    if (const spool::TextMatch *now = current())
        m_highlights.remove(now->page);
    emit changed();
    if (const spool::TextMatch *match = current())
        emit currentMoved(match->page);
    emit highlightChanged();
}

std::shared_ptr<const TextHighlight> FindResults::highlightFor(int32_t page) const
{
    if (m_query.isEmpty())
        return nullptr;
    if (const auto cached = m_highlights.constFind(page); cached != m_highlights.cend())
        return *cached;
    // The page's matches, a run of the list that holds its pages.
    const QList<spool::TextMatch> &list = page < m_first ? m_before : m_after;
    const auto range = std::equal_range(list.cbegin(), list.cend(), page, [](const auto &a, const auto &b) {
        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, int32_t>)
            return a < b.page;
        else
            return a.page < b;
    });
    if (range.first == range.second) {
        if (!m_none)
            m_none = std::make_shared<TextHighlight>(m_query);
        return m_none;
    }
    auto made = std::make_shared<TextHighlight>(m_query);
    const qsizetype at = range.first - list.cbegin();
    made->setMatches(list.constData() + at, list.constData() + (range.second - list.cbegin()));
    if (const spool::TextMatch *match = current(); match && match->page == page) {
        made->currentRecord = match->record;
        made->currentOffset = match->offset;
    }
    m_highlights.insert(page, made);
    return made;
}

qsizetype FindResults::matchesOn(int32_t page) const
{
    if (m_query.isEmpty())
        return 0;
    const QList<spool::TextMatch> &list = page < m_first ? m_before : m_after;
    const auto first = std::lower_bound(list.cbegin(), list.cend(), page,
                                        [](const spool::TextMatch &m, int32_t p) { return m.page < p; });
    const auto last =
        std::upper_bound(first, list.cend(), page, [](int32_t p, const spool::TextMatch &m) { return p < m.page; });
    return last - first;
}

} // namespace qv
