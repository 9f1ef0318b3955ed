// A FIFO for tests of readers that must refuse one, and a guard that turns a
// reader blocked in opening it into a failing test instead of a hung one.
#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
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

} // namespace qv::test
