// SPDX-License-Identifier: MIT
// The growing page index of a spool file: published as the scan goes, a
// page waited for told at once, the errors of a file that cannot be read,
// and the index held against the page count the control kept.
#include "spool/Document.h"
#include "spool/PageIndexer.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace qv {
namespace {

class PageIndexerTest : public test::TempEnvTest
{
protected:
    /// A document of \a pagine pages (invoices: over 1 MiB from 200 pages
    /// on; else one short text a page).
    QString documento(int pagine, bool fattura = true)
    {
        const QString path = env.tempFolder() + QStringLiteral("indice-%1.tmp").arg(pagine);
        EXPECT_TRUE(test::scriviDocumento(path, pagine, fattura, 20));
        return path;
    }
};

TEST_F(PageIndexerTest, TheScanPublishesAsItGoesAndAPageWaitedForIsToldAtOnce)
{
    const int pagine = 2500;
    const QString path = documento(pagine);
    const spool::PageIndex indice = spool::buildPageIndex(path, QStringLiteral("test"));
    spool::PageIndexer scan(path, QStringLiteral("test"));
    QList<qsizetype> known;
    QObject::connect(&scan, &spool::PageIndexer::grew, &scan, [&](qsizetype k) { known << k; });
    scan.start();
    // Waiting for a page returns its start, the same as the whole index's.
    for (const qsizetype page : {qsizetype(1), qsizetype(2), qsizetype(1234), qsizetype(pagine)})
        EXPECT_EQ(scan.waitForPage(page), std::optional<qint64>(indice.at(page - 1))) << page;
    EXPECT_EQ(scan.waitForPage(pagine + 1), std::nullopt);
    scan.waitForFinished();
    // The last signals come through this thread's event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return known.size() > 2 && known.last() == pagine; }, 30000));
    // Told in growing batches, from the first pages on.
    EXPECT_LE(known.first(), 3);
    EXPECT_TRUE(std::is_sorted(known.begin(), known.end()));
    EXPECT_EQ(scan.startsFrom(0), indice);
    EXPECT_FALSE(scan.error());
}

TEST_F(PageIndexerTest, AMissingFileEndsTheScanWithError53)
{
    spool::PageIndexer scan(env.tempFolder() + QStringLiteral("manca.tmp"), QStringLiteral("test"));
    scan.start();
    scan.waitForFinished();
    ASSERT_TRUE(scan.error());
    EXPECT_EQ(scan.error()->number(), 53);
    EXPECT_EQ(scan.waitForPage(2), std::nullopt);
}

/// The index held against a page count: one start more than pages is
/// tolerated, more is error 9 with only page 1's start left, except from
/// the control's cap on, where the index is cut after the count. The same
/// whether it is made at once or in the background.
struct HeldCase
{
    const char *name;
    int pages;     ///< in the file
    int expected;  ///< the count it is held against
    bool invoices; ///< long pages: the background scan
    qsizetype known;
    int error; ///< 0: none
};

class HeldAgainstCount : public PageIndexerTest, public ::testing::WithParamInterface<HeldCase>
{};

TEST_P(HeldAgainstCount, AsAWholeIndexIsHeld)
{
    const HeldCase &c = GetParam();
    const QString path = documento(c.pages, c.invoices);
    ASSERT_EQ(QFileInfo(path).size() >= spool::Document::BackgroundIndexBytes, c.invoices);
    const spool::Document document = spool::Document::onFile(path);
    std::shared_ptr<spool::PageIndexer> indexer;
    try {
        indexer = document.pageIndexer(QStringLiteral("test"), c.expected);
    } catch (const Error &e) {
        // Made at once, the index throws as limitToPageCount does.
        EXPECT_FALSE(c.invoices);
        EXPECT_EQ(e.number(), c.error);
        return;
    }
    indexer->waitForFinished();
    EXPECT_TRUE(indexer->finished());
    EXPECT_EQ(indexer->known(), c.known);
    EXPECT_EQ(indexer->error() ? indexer->error()->number() : 0, c.error);
    EXPECT_EQ(indexer->exceededPageCount(), c.error == 9);
    if (!c.error) {
        const spool::PageIndex whole = document.pageIndex(QStringLiteral("test"));
        EXPECT_EQ(indexer->startsFrom(0), whole.mid(0, c.known));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HeldAgainstCount,
                         ::testing::Values(HeldCase{"AtOnceExact", 5, 5, false, 5, 0},
                                           HeldCase{"AtOnceOneMore", 5, 4, false, 5, 0},
                                           HeldCase{"AtOnceSurplus", 5, 3, false, 1, 9},
                                           HeldCase{"BackgroundExact", 400, 400, true, 400, 0},
                                           HeldCase{"BackgroundOneMore", 400, 399, true, 400, 0},
                                           HeldCase{"BackgroundSurplus", 400, 300, true, 1, 9}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PageIndexerTest, PastTheControlsCapTheIndexIsCutAfterTheCount)
{
    const int cap = spool::Document::MaxRecordedPages;
    const QString path = documento(cap + 5, false);
    spool::PageIndexer indexer(path, QStringLiteral("test"), cap);
    indexer.start();
    indexer.waitForFinished();
    EXPECT_FALSE(indexer.error());
    EXPECT_EQ(indexer.known(), qsizetype(cap) + 1);
    EXPECT_EQ(indexer.waitForPage(cap + 2), std::nullopt);
}

/// One page, then gigabytes of a hole: a file whose scan finds no page
/// break for as long as it reads.
QString sparseDocument(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("una pagina\r\n") < 0 || !file.resize(size))
        return {};
    return path;
}

// Stopped (or its indexer destroyed, as the window does on closing), the
// scan ends between two blocks of the file: not at the next page break,
// which a file of one page and 8 GB of a hole never reaches.
TEST_F(PageIndexerTest, TheStopFlagIsReadBetweenTwoBlocks)
{
    const qint64 size = qint64(8) << 30;
    const QString path = sparseDocument(env.tempFolder() + QStringLiteral("rado.tmp"), size);
    ASSERT_FALSE(path.isEmpty());
    for (const bool destroy : {false, true}) {
        auto indexer = spool::Document::onFile(path).pageIndexer(QStringLiteral("test"), std::nullopt);
        std::atomic<qint64> scannedAtDone{-1};
        std::atomic<bool> stoppedAtDone{false};
        QObject::connect(
            indexer.get(), &spool::PageIndexer::done, indexer.get(),
            [&, raw = indexer.get()] {
                stoppedAtDone = raw->stopped();
                scannedAtDone = raw->bytesScanned(); // last: the test waits for it
            },
            Qt::DirectConnection);
        ASSERT_TRUE(QTest::qWaitFor([&] { return indexer->bytesScanned() > 0; }, 30000));
        const qint64 atStop = indexer->bytesScanned();
        if (destroy) {
            indexer.reset();
        } else {
            indexer->stop();
            indexer->waitForFinished();
            EXPECT_TRUE(indexer->stopped());
            EXPECT_FALSE(indexer->error());
            EXPECT_EQ(indexer->waitForPage(2), std::nullopt); // no wait on a stopped scan
        }
        // done() comes right after the index is finished, from the scan's thread.
        ASSERT_TRUE(QTest::qWaitFor([&] { return scannedAtDone.load() >= 0; }, 30000));
        EXPECT_TRUE(stoppedAtDone) << destroy;
        // The block being read when it was asked to stop, and at most one more.
        EXPECT_LE(scannedAtDone.load(), atStop + 2 * (1 << 20)) << destroy;
        EXPECT_LT(scannedAtDone.load(), size) << destroy;
    }
}

} // namespace
} // namespace qv
