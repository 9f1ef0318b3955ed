// SPDX-License-Identifier: MIT
// A library preloaded (LD_PRELOAD) into a helper process that makes the
// reads of one file go wrong at a chosen offset, as a failing disk would:
//   QV_FAULT_FILE    the file's absolute path (as /proc/self/fd names it)
//   QV_FAULT_AFTER   the offset in bytes; reads up to it succeed, and a read
//                    that would pass it stops there
//   QV_FAULT_ACTION  "eio": every read from the offset on fails with EIO;
//                    "stop": the process stops itself (SIGSTOP) at the offset,
//                    so that its parent can look at it mid-read and kill it
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using ReadFunction = ssize_t (*)(int, void *, size_t);

ReadFunction realRead()
{
    static const auto function = reinterpret_cast<ReadFunction>(::dlsym(RTLD_NEXT, "read"));
    return function;
}

bool isTheFile(int fd)
{
    const char *wanted = std::getenv("QV_FAULT_FILE");
    if (!wanted)
        return false;
    char link[64];
    char name[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, name, sizeof name - 1);
    if (length <= 0)
        return false;
    name[length] = '\0';
    return std::strcmp(name, wanted) == 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) ssize_t read(int fd, void *buffer, size_t count)
{
    if (count > 0 && isTheFile(fd)) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        const char *offset = std::getenv("QV_FAULT_AFTER");
        const char *action = std::getenv("QV_FAULT_ACTION");
        const off_t after = off_t(std::atoll(offset ? offset : "0"));
        if (at >= 0 && at >= after) {
            if (action && std::strcmp(action, "stop") == 0) {
                static bool stopped = false;
                if (!stopped) {
                    stopped = true;
                    ::raise(SIGSTOP);
                }
            } else {
                errno = EIO;
                return -1;
            }
        } else if (at >= 0 && off_t(count) > after - at) {
            count = size_t(after - at);
        }
    }
    return realRead()(fd, buffer, count);
}

extern "C" __attribute__((visibility("default"))) ssize_t __read_chk(int fd, void *buffer, size_t count, size_t)
{
    return read(fd, buffer, count);
}
