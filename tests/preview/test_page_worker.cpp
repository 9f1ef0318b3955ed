// SPDX-License-Identifier: MIT
// The viewer's one worker without a window: jobs by priority, one cancel
// scheme that stops every job and waits, and the one replay of a page onto
// a surface, with what it drew and the error that stopped it.
#include "preview/PageWorker.h"
#include "spool/PageIndexer.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>

namespace qv {
namespace {

using P = PageWorker::Priority;

TEST(PageWorker, ThePagesNextToTheOneOnShowGoBeforeThumbnails)
{
    PageWorker worker;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::mutex mutex;
    QStringList order;
    const auto record = [&](const char *name) {
        std::lock_guard lock(mutex);
        order << QString::fromLatin1(name);
    };
    // The one thread is busy while the others are queued.
    std::promise<void> started;
    worker.start(P::Thumbnail, [&](const std::atomic<bool> &) {
        started.set_value();
        released.wait();
        record("busy");
    });
    started.get_future().wait();
    worker.start(P::Thumbnail, [&](const std::atomic<bool> &) { record("thumbnail 1"); });
    worker.start(P::Neighbour, [&](const std::atomic<bool> &) { record("neighbour"); });
    worker.start(P::Thumbnail, [&](const std::atomic<bool> &) { record("thumbnail 2"); });
    EXPECT_EQ(worker.pending(), 4);
    release.set_value();
    worker.stopAll();
    EXPECT_EQ(order, QStringList({"busy", "neighbour", "thumbnail 1", "thumbnail 2"}));
    EXPECT_EQ(worker.pending(), 0);
}

TEST(PageWorker, StopAllCancelsEveryJobAndWaitsForTheOneRunning)
{
    PageWorker worker;
    std::atomic<int> ran{0}, worked{0};
    std::promise<void> started;
    worker.start(P::Neighbour, [&](const std::atomic<bool> &cancelled) {
        started.set_value();
        while (!cancelled) // a long replay that checks its flag
            std::this_thread::yield();
        ++ran;
    });
    started.get_future().wait();
    for (int i = 0; i < 3; ++i)
        worker.start(i % 2 ? P::Thumbnail : P::Neighbour, [&](const std::atomic<bool> &cancelled) {
            ++ran;
            if (!cancelled)
                ++worked;
        });
    worker.stopAll();
    // Every job was told (it runs, to tell its caller) and none did its work.
    EXPECT_EQ(ran.load(), 4);
    EXPECT_EQ(worked.load(), 0);
    EXPECT_EQ(worker.pending(), 0);
    // The worker takes jobs again afterwards.
    auto flag = worker.start(P::Thumbnail, [&](const std::atomic<bool> &cancelled) { worked += cancelled ? 0 : 1; });
    worker.stopAll();
    EXPECT_TRUE(*flag);
}

// The page index's scan is a kind of job of the worker: a slice of the file
// a job, so that a page job queued during a long scan runs before the scan
// ends, and the worker's one stop ends the scan too, between two blocks.
TEST(PageWorker, TheIndexScanTakesTurnsWithPageJobsAndStopsWithThem)
{
    test::TempEnv env;
    const QString path = env.tempFolder() + QStringLiteral("rado.tmp");
    const qint64 size = qint64(8) << 30; // one page, then a hole: no page break to stop at
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_GT(file.write("una pagina\r\n"), 0);
        ASSERT_TRUE(file.resize(size));
    }
    PageWorker worker;
    const auto indexer =
        spool::Document::onFile(path).pageIndexer(QStringLiteral("test"), std::nullopt, worker.runner());
    ASSERT_TRUE(QTest::qWaitFor([&] { return indexer->bytesScanned() > spool::PageIndexer::SliceBytes; }, 30000));
    std::promise<bool> scanning;
    worker.start(P::Neighbour, [&](const std::atomic<bool> &) { scanning.set_value(!indexer->finished()); });
    EXPECT_TRUE(scanning.get_future().get()) << "the page job waited for the whole scan";
    worker.stopAll();
    EXPECT_TRUE(indexer->finished());
    EXPECT_TRUE(indexer->stopped());
    EXPECT_LT(indexer->bytesScanned(), size);
    EXPECT_EQ(worker.pending(), 0);
}

/// The one replay: a page as far as it could be drawn, and why it stopped.
struct ReplayCase
{
    const char *name;
    int cutAt;  ///< bytes of the file kept (0: whole; -1: no file)
    int page;   ///< 1-based
    int error;  ///< 0: none
    bool texts; ///< the page's text was drawn
};

class Replay : public test::TempEnvTest, public ::testing::WithParamInterface<ReplayCase>
{};

TEST_P(Replay, DrawsWhatItCanAndTellsWhyItStopped)
{
    const ReplayCase &c = GetParam();
    const QString path = env.tempFolder() + QStringLiteral("replay.tmp");
    ASSERT_TRUE(test::scriviDocumento(path, 3, false));
    if (c.cutAt < 0) {
        QFile::remove(path);
    } else if (c.cutAt > 0) {
        ASSERT_TRUE(QFile::resize(path, c.cutAt));
    }
    PageSurface surface;
    surface.setSize(11520, 15872);
    std::exception_ptr error;
    const FrozenPage page = PageWorker::replay(surface, path, LetturaDati::PageSpec::page(c.page), error);
    ASSERT_TRUE(page);
    EXPECT_EQ(test::testiDi(page).contains(QStringLiteral("Pagina %1").arg(c.page)), c.texts);
    int number = 0;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const Error &e) {
            number = e.number();
        } catch (...) {
            number = -1;
        }
    }
    if (c.error) {
        EXPECT_NE(number, 0);
    } else {
        EXPECT_EQ(number, 0);
    }
    if (c.error > 0) {
        EXPECT_EQ(number, c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Replay,
                         ::testing::Values(ReplayCase{"Whole", 0, 2, 0, true}, ReplayCase{"NoFile", -1, 1, 53, false},
                                           // Cut inside page 1's box record, after its text.
                                           ReplayCase{"CutShort", 120, 1, -1, true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv
