// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageWorker.h"

#include <QThreadPool>

#include <algorithm>

namespace qv {

PageWorker::PageWorker(QObject *parent) : QObject(parent), m_pool(new QThreadPool(this))
{
    // One thread: the page the user goes to next comes first, and the reader
    // keeps the other core.
    m_pool->setMaxThreadCount(1);
    m_pool->setExpiryTimeout(5000);
}

PageWorker::~PageWorker()
{
    stopAll();
}

PageWorker::Flag PageWorker::start(Priority priority, Job job)
{
    auto flag = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard lock(m_mutex);
        // Forget the flags of jobs that are over.
        m_flags.erase(std::remove_if(m_flags.begin(), m_flags.end(), [](const auto &f) { return f.expired(); }),
                      m_flags.end());
        m_flags.push_back(flag);
        // Queued by a job while every job is being stopped: it does no work,
        // so that the wait ends.
        if (m_stopping > 0)
            *flag = true;
    }
    ++m_pending;
    m_pool->start(
        [flag, job = std::move(job), counter = m_counter] {
            // Run even when cancelled before it started: the job does no
            // work then, and still tells whoever waits for its result.
            job(*flag);
            --*counter;
        },
        int(priority));
    return flag;
}

void PageWorker::stopAll()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_stopping;
        for (const auto &weak : m_flags)
            if (const Flag flag = weak.lock())
                *flag = true;
        m_flags.clear();
    }
    // The jobs not started still run, find their flag set and do no work:
    // each caller hears of every job it queued.
    m_pool->waitForDone();
    std::lock_guard lock(m_mutex);
    --m_stopping;
}

spool::JobRunner PageWorker::runner(Priority priority)
{
    return [this, priority](spool::BackgroundJob job) { start(priority, std::move(job)); };
}

FrozenPage PageWorker::replay(PageSurface &surface, const QString &path, const LetturaDati::PageSpec &spec,
                              std::exception_ptr &error)
{
    surface.Cls();
    try {
        LetturaDati::DisegnaPagina(surface, path, spec);
    } catch (...) {
        // Shown as far as it was drawn, with the error.
        error = std::current_exception();
    }
    return surface.Picture();
}

} // namespace qv
