// qvPreview - print preview for Qt applications.
#include "spool/PageIndexScan.h"

#include <algorithm>

namespace qv::spool {

PageIndexScan::PageIndexScan(const QString &path, const QString &source, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_source(source)
{}

void PageIndexScan::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

PageIndexScan::~PageIndexScan()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void PageIndexScan::run()
{
    const QString &path = m_path;
    const QString &source = m_source;
    // Published in batches that grow with the index (at most 1024 starts
    // apart), so that the first pages are told at once and a long file costs
    // few signals; a page someone waits for is told as soon as it is found.
    const auto batch = [this](qsizetype size) {
        const qsizetype wanted = m_wanted.load();
        const qsizetype step = std::clamp<qsizetype>(size, 1, 1024);
        return wanted > size ? std::min(step, wanted - size) : step;
    };
    const auto found = [this](const PageIndex &starts) {
        qsizetype known = 0;
        {
            std::lock_guard lock(m_mutex);
            m_starts.append(starts.mid(m_starts.size()));
            known = m_starts.size();
        }
        m_changed.notify_all();
        emit grew(known);
        return !m_stop.load();
    };
    std::optional<Error> error;
    PageIndex all;
    try {
        all = buildPageIndex(path, source, found, batch);
    } catch (const Error &e) {
        error = e;
    } catch (const std::exception &e) {
        error = Error(ErrInternal, source, QString::fromLocal8Bit(e.what())).at(path);
    }
    qsizetype known = 0;
    bool grewNow = false;
    {
        std::lock_guard lock(m_mutex);
        if (all.size() > m_starts.size()) {
            m_starts.append(all.mid(m_starts.size()));
            grewNow = true;
        }
        known = m_starts.size();
        m_error = error;
        m_finished = true;
    }
    m_changed.notify_all();
    if (grewNow)
        emit grew(known);
    emit done();
}

qsizetype PageIndexScan::known() const
{
    std::lock_guard lock(m_mutex);
    return m_starts.size();
}

bool PageIndexScan::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

std::optional<Error> PageIndexScan::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

PageIndex PageIndexScan::startsFrom(qsizetype from) const
{
    std::lock_guard lock(m_mutex);
    return from < m_starts.size() ? m_starts.mid(from) : PageIndex();
}

std::optional<qint64> PageIndexScan::waitForPage(qsizetype page) const
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

void PageIndexScan::waitForFinished() const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_finished; });
}

} // namespace qv::spool
