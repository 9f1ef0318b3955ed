// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/PageIndexer.h"

#include "spool/PageStarts.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace qv::spool {

PageIndexer::PageIndexer(const QString &path, const QString &source, std::optional<int32_t> expectedPages,
                         QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_source(source)
    , m_expected(expectedPages)
{}

namespace {
/// Blocks of the scan (a megabyte each at most) a slice reads.
constexpr int SliceBlocks = int(PageIndexer::SliceBytes / (1024 * 1024));
} // namespace

void PageIndexer::start()
{
    std::lock_guard lock(m_mutex);
    if (m_started || m_finished)
        return;
    m_started = true;
    m_thread = std::thread([this] {
        while (scanSlice(nullptr, 0)) {
        }
    });
}

void PageIndexer::start(Executor executor)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_started || m_finished || !executor)
            return;
        m_started = true;
        m_executor = std::move(executor);
        m_lifeline = std::make_shared<Lifeline>();
        m_lifeline->indexer = this;
    }
    m_queued = true;
    m_executor(sliceJob(m_lifeline));
}

void PageIndexer::resume()
{
    if (!m_following)
        return;
    m_dirty = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_finished || !m_started || !m_lifeline)
            return;
    }
    if (!m_queued.exchange(true)) {
        m_dirty = false;
        m_executor(sliceJob(m_lifeline));
    }
}

void PageIndexer::sliceEnded()
{
    m_queued = false;
    if (m_dirty.exchange(false))
        resume();
}

void PageIndexer::catchUp()
{
    if (!m_following || !m_lifeline)
        return;
    std::lock_guard lock(m_lifeline->mutex);
    if (!finished())
        scanSlice(nullptr, 0);
}

bool PageIndexer::caughtUp() const
{
    std::lock_guard lock(m_mutex);
    return m_caughtUp;
}

qint64 PageIndexer::wholeEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_following ? m_wholeEnd : -1;
}

bool PageIndexer::resumeScanner()
{
    if (!m_scanner || !m_scanner->atEnd())
        return true;
    const PageStartScanner::FileState state = m_scanner->fileState();
    if (state == PageStartScanner::FileState::Same) {
        m_scanner->resume();
        std::lock_guard lock(m_mutex);
        m_caughtUp = false;
        return true;
    }
    const QString why =
        state == PageStartScanner::FileState::Truncated
            ? QCoreApplication::translate("qv::PageIndexer",
                                          "il file %1 è stato accorciato mentre era mostrato: ne erano già stati "
                                          "letti %2 byte; le pagine mostrate restano come erano")
                  .arg(m_path)
                  .arg(m_scanner->bytesRead())
            : QCoreApplication::translate("qv::PageIndexer",
                                          "il file %1 è stato cancellato o sostituito da un altro mentre era "
                                          "mostrato; le pagine mostrate restano come erano")
                  .arg(m_path);
    finish(
        Error(ErrPathFileAccess, m_source, QStringLiteral("%1: %2").arg(errorText(ErrPathFileAccess), why)).at(m_path),
        false);
    return false;
}

PageIndexer::Job PageIndexer::sliceJob(std::shared_ptr<Lifeline> lifeline)
{
    return [lifeline = std::move(lifeline)](const std::atomic<bool> &cancelled) {
        std::lock_guard lock(lifeline->mutex);
        PageIndexer *indexer = lifeline->indexer;
        if (!indexer)
            return; // the index is gone
        if (indexer->scanSlice(&cancelled, 1))
            indexer->m_executor(sliceJob(lifeline));
        else if (indexer->m_following)
            indexer->sliceEnded();
    };
}

void PageIndexer::stop()
{
    m_stop = true;
}

PageIndexer::~PageIndexer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_lifeline) {
        // Waits for the slice running, if any; a slice still queued finds
        // nobody.
        std::lock_guard lock(m_lifeline->mutex);
        m_lifeline->indexer = nullptr;
    }
}

void PageIndexer::setComplete(const PageIndex &starts, std::optional<Error> error)
{
    qsizetype known = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!starts.isEmpty())
            m_starts = starts;
        m_error = std::move(error);
        m_exceeded = m_error && m_error->number() == ErrSubscriptOutOfRange;
        m_finished = true;
        known = m_starts.size();
    }
    m_changed.notify_all();
    emit grew(known);
    emit done();
}

bool PageIndexer::holdAgainstCount()
{
    if (!m_expected)
        return true;
    const qsizetype room = qsizetype(std::max<int32_t>(*m_expected, 0)) + 1;
    if (m_starts.size() <= room)
        return true;
    try {
        m_starts = limitToPageCount(m_starts, *m_expected, m_path, m_source);
    } catch (const Error &e) {
        // As when the index is made at once: no starts past page 1's.
        m_error = e;
        m_exceeded = true;
        m_starts = PageIndex{1};
    }
    return false; // the pages past the count are out of reach either way
}

bool PageIndexer::publish(PageIndex &fresh)
{
    if (fresh.isEmpty())
        return true;
    qsizetype known = 0;
    bool held = true;
    {
        std::lock_guard lock(m_mutex);
        m_starts.append(fresh);
        held = holdAgainstCount();
        known = m_starts.size();
        // The replay may read the new pages as far as their lines are whole.
        if (m_following && m_scanner) {
            m_wholeEnd = m_scanner->wholeEnd();
            m_toldWholeEnd = m_wholeEnd;
        }
    }
    fresh.clear();
    m_size = known;
    // Told in batches that grow with the index (at most 1024 starts apart),
    // so that the first pages are told at once and a long file costs few
    // signals.
    m_nextTell = known + std::clamp<qsizetype>(known, 1, 1024);
    m_changed.notify_all();
    emit grew(known);
    return held;
}

bool PageIndexer::scanSlice(const std::atomic<bool> *cancelled, int slices)
{
    const auto stopping = [&] { return m_stop.load() || (cancelled && cancelled->load()); };
    std::optional<Error> error;
    bool more = false;
    bool held = true;
    PageIndex fresh;
    try {
        if (!stopping()) {
            if (!m_scanner) {
                m_scanner = std::make_unique<PageStartScanner>(m_path, m_source);
                m_scanner->setFollowing(m_following);
            } else if (m_following && !resumeScanner()) {
                return false; // the file is no longer the one read
            }
            // The stop flag is read before every block; a slice ends after
            // its blocks, the next one queued anew.
            int blocks = 0;
            PageStartScanner &scanner = *m_scanner;
            m_scanner->setInterrupt([&] {
                m_bytes = scanner.bytesRead();
                return stopping() || (slices > 0 && ++blocks > slices * SliceBlocks);
            });
            while (const std::optional<qint64> start = m_scanner->next()) {
                fresh.append(*start);
                const qsizetype size = m_size + fresh.size();
                // A page someone waits for is told as soon as it is found.
                const qsizetype wanted = m_wanted.load();
                if (size >= m_nextTell || (wanted > m_size && size >= wanted)) {
                    if (!(held = publish(fresh)))
                        break;
                }
                m_bytes = m_scanner->bytesRead();
            }
            m_scanner->setInterrupt({});
            more = !m_scanner->atEnd() && !stopping();
        }
    } catch (const Error &e) {
        error = e;
    } catch (const std::exception &e) {
        error = Error(ErrInternal, m_source, QString::fromLocal8Bit(e.what())).at(m_path);
    }
    if (m_scanner && error)
        m_scanner->setInterrupt({});
    if (m_scanner)
        m_bytes = m_scanner->bytesRead();
    // What was found before an error is kept, as far as the count allows.
    if (held)
        held = publish(fresh);
    more = more && held && !error;
    if (!more && m_following && held && !error && m_scanner && m_scanner->atEnd() && !stopping()) {
        // At the end of a file still being written: the scan waits there.
        const qint64 whole = m_scanner->wholeEnd();
        qsizetype known = 0;
        {
            std::lock_guard lock(m_mutex);
            m_caughtUp = true;
            m_wholeEnd = whole;
            known = m_starts.size();
        }
        m_changed.notify_all();
        // The last page grew, though no page break came.
        if (std::exchange(m_toldWholeEnd, whole) != whole)
            emit grew(known);
        return false;
    }
    if (!more)
        finish(std::move(error), held && !error && !(m_scanner && m_scanner->atEnd()));
    return more;
}

void PageIndexer::finish(std::optional<Error> error, bool stopped)
{
    m_scanner.reset(); // the file is closed
    {
        std::lock_guard lock(m_mutex);
        if (!m_error)
            m_error = std::move(error);
        m_stopped = stopped;
        m_finished = true;
    }
    m_changed.notify_all();
    emit done();
}

qsizetype PageIndexer::known() const
{
    std::lock_guard lock(m_mutex);
    return m_starts.size();
}

bool PageIndexer::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

std::optional<Error> PageIndexer::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

bool PageIndexer::stopped() const
{
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

bool PageIndexer::exceededPageCount() const
{
    std::lock_guard lock(m_mutex);
    return m_exceeded;
}

PageIndex PageIndexer::startsFrom(qsizetype from) const
{
    std::lock_guard lock(m_mutex);
    return from < m_starts.size() ? m_starts.mid(from) : PageIndex();
}

qint64 PageIndexer::startOf(qsizetype page) const
{
    std::lock_guard lock(m_mutex);
    return page >= 0 && page < m_starts.size() ? m_starts.at(page) : 0;
}

std::optional<qint64> PageIndexer::waitForPage(qsizetype page) const
{
    std::unique_lock lock(m_mutex);
    if (page < 1)
        return std::nullopt;
    if (m_starts.size() < page && !m_finished) {
        qsizetype wanted = m_wanted.load();
        while (wanted < page && !m_wanted.compare_exchange_weak(wanted, page)) {
        }
        m_changed.wait(lock, [&] { return m_starts.size() >= page || m_finished || m_caughtUp; });
    }
    if (m_starts.size() < page)
        return std::nullopt;
    return m_starts.at(page - 1);
}

void PageIndexer::waitForFinished() const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_finished || m_caughtUp; });
}

} // namespace qv::spool
