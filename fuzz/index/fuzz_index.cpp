// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a spool file, indexed as it grows
// (spool::PageIndexer) in a thread of its own and as jobs run one after the
// other, as the viewer's worker runs them, held against a page count or
// counting the pages, waited on page by page, and stopped. The first three
// bytes choose: the page count (0: none, else the byte minus one), the page
// waited for first, and whether the first job comes cancelled. Both ways
// must give the index the whole scan gives (spool::buildPageIndex, held as
// spool::limitToPageCount holds it); anything else aborts.
#include "spool/Document.h"
#include "spool/PageIndexer.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <optional>

namespace {

QString spoolPath;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

/// What the whole scan says the index is: its starts, or the error number.
struct Expected
{
    qv::spool::PageIndex starts;
    int error = 0;
};

Expected wholeIndex(std::optional<int32_t> pages)
{
    Expected out;
    try {
        out.starts = qv::spool::buildPageIndex(spoolPath, QStringLiteral("Fuzz"));
        if (pages)
            out.starts = qv::spool::limitToPageCount(out.starts, *pages, spoolPath, QStringLiteral("Fuzz"));
    } catch (const qv::Error &e) {
        out.error = e.number();
        out.starts = qv::spool::PageIndex{1};
    }
    return out;
}

void checkIndex(const qv::spool::PageIndexer &indexer, const Expected &expected, qsizetype waitFirst)
{
    check(indexer.finished());
    check(!indexer.stopped());
    check((indexer.error() ? indexer.error()->number() : 0) == expected.error);
    check(indexer.startsFrom(0) == expected.starts);
    check(indexer.known() == expected.starts.size());
    for (qsizetype page : {waitFirst, qsizetype(1), indexer.known(), indexer.known() + 1}) {
        const std::optional<qint64> start = indexer.waitForPage(page);
        if (page >= 1 && page <= expected.starts.size())
            check(start == expected.starts.at(page - 1));
        else
            check(!start);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    const QString folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-index");
    QDir().mkpath(folder);
    spoolPath = folder + QStringLiteral("/spool-%1.tmp").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const std::optional<int32_t> pages = data[0] ? std::optional<int32_t>(data[0] - 1) : std::nullopt;
    const qsizetype waitFirst = data[1];
    const bool cancelFirst = data[2] & 1;
    {
        QFile file(spoolPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data + 3), qint64(size - 3));
    }
    const Expected expected = wholeIndex(pages);

    // In a thread of its own, a page waited for while it scans.
    {
        qv::spool::PageIndexer indexer(spoolPath, QStringLiteral("Fuzz"), pages);
        indexer.start();
        (void)indexer.waitForPage(waitFirst);
        indexer.waitForFinished();
        checkIndex(indexer, expected, waitFirst);
    }
    // As jobs run one after the other; the first maybe cancelled, as the
    // worker's stop cancels it: the scan then ends stopped, and told.
    {
        qv::spool::PageIndexer indexer(spoolPath, QStringLiteral("Fuzz"), pages);
        std::deque<qv::spool::BackgroundJob> jobs;
        indexer.start([&jobs](qv::spool::BackgroundJob job) { jobs.push_back(std::move(job)); });
        bool first = true;
        while (!jobs.empty()) {
            const qv::spool::BackgroundJob job = std::move(jobs.front());
            jobs.pop_front();
            const std::atomic<bool> cancelled{first && cancelFirst};
            first = false;
            job(cancelled);
        }
        if (cancelFirst) {
            check(indexer.finished() && indexer.stopped());
            check(indexer.known() == 1);
            check(!indexer.waitForPage(2));
        } else {
            checkIndex(indexer, expected, waitFirst);
        }
    }
    QFile::remove(spoolPath);
    return 0;
}
