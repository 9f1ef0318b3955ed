// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/PageIndexer.h"

#include <algorithm>

namespace qv::spool {

PageIndexer::PageIndexer(const QString &path, const QString &source, std::optional<int32_t> expectedPages,
                         QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_source(source)
    , m_expected(expectedPages)
{}

void PageIndexer::start()
{
    std::lock_guard lock(m_mutex);
    if (!m_thread.joinable() && !m_finished)
        m_thread = std::thread([this] { run(); });
}

PageIndexer::~PageIndexer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
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

void PageIndexer::run()
{
    // Published in batches that grow with the index (at most 1024 starts
    // apart), so that the first pages are told at once and a long file costs
    // few signals; a page someone waits for is told as soon as it is found.
    const auto batch = [this](qsizetype size) {
        const qsizetype wanted = m_wanted.load();
        const qsizetype step = std::clamp<qsizetype>(size, 1, 1024);
        return wanted > size ? std::min(step, wanted - size) : step;
    };
    bool held = true;
    const auto found = [this, &held](const PageIndex &starts) {
        qsizetype known = 0;
        {
            std::lock_guard lock(m_mutex);
            m_starts.append(starts.mid(m_starts.size()));
            held = holdAgainstCount();
            known = m_starts.size();
        }
        m_changed.notify_all();
        emit grew(known);
        return held && !m_stop.load();
    };
    std::optional<Error> error;
    PageIndex all;
    try {
        all = buildPageIndex(m_path, m_source, found, batch);
    } catch (const Error &e) {
        error = e;
    } catch (const std::exception &e) {
        error = Error(ErrInternal, m_source, QString::fromLocal8Bit(e.what())).at(m_path);
    }
    qsizetype known = 0;
    bool grewNow = false;
    {
        std::lock_guard lock(m_mutex);
        if (held && all.size() > m_starts.size()) {
            m_starts.append(all.mid(m_starts.size()));
            held = holdAgainstCount();
            grewNow = true;
        }
        known = m_starts.size();
        if (!m_error)
            m_error = error;
        m_finished = true;
    }
    m_changed.notify_all();
    if (grewNow)
        emit grew(known);
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
        m_changed.wait(lock, [&] { return m_starts.size() >= page || m_finished; });
    }
    if (m_starts.size() < page)
        return std::nullopt;
    return m_starts.at(page - 1);
}

void PageIndexer::waitForFinished() const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_finished; });
}

} // namespace qv::spool
