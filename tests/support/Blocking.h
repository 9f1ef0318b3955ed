// SPDX-License-Identifier: MIT
// Guards that turn a call that blocks for good into a failing test instead
// of a hung one: a FIFO for readers that must refuse one, with a rescue of a
// reader blocked in opening it, and a bounded wait for any other call.
#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace qv::test {

/// Makes a FIFO at \a path; \a path, or empty when it cannot be made.
inline QString makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

/// Runs \a f; should it still be blocked in opening the FIFO \a fifo after
/// five seconds, a writer opens and closes the FIFO so that it goes on (and
/// the test fails instead of hanging). True when that rescue was needed. A
/// reader that never blocks is never rescued, however slow the machine: the
/// rescuing open (non-blocking) succeeds only while a reader waits.
inline bool blockedOnFifo(const QString &fifo, const std::function<void()> &f)
{
    std::mutex m;
    std::condition_variable done;
    bool finished = false;
    bool rescued = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        while (!done.wait_for(lock, std::chrono::seconds(5), [&] { return finished; })) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                rescued = true;
                ::close(fd);
            }
        }
    });
    f();
    {
        std::lock_guard lock(m);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
    return rescued;
}

/// Runs \a f on a thread of its own and waits for it to end, at most a
/// minute: far longer than any call that does not block for good takes on a
/// busy machine. True when it ended; a call that did not is left running
/// (the test fails, and the process ends it).
inline bool endsInTime(std::function<void()> f)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread([f = std::move(f), done] {
        f();
        done->set_value();
    }).detach();
    return ended.wait_for(std::chrono::minutes(1)) == std::future_status::ready;
}

} // namespace qv::test
