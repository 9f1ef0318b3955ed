// SPDX-License-Identifier: MIT
// The results of a find without a window: a real spool file searched on the
// worker thread from the page on show, the first match current, stepping
// round the document both ways, what a page highlights, and clearing.
#include "preview/FindBar.h"
#include "preview/FindResults.h"
#include "preview/PageWorker.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace qv {
namespace {

/// A query over 20 pages "Pagina 1" ... "Pagina 20", from a page on show.
struct FindCase
{
    const char *name;
    const char *query;
    int32_t from;         ///< the page on show, 1-based
    qsizetype count;      ///< matches
    int32_t firstPage;    ///< the page of the first current match (0: none)
    int32_t previousPage; ///< the page after one step back from it
};

class FindResultsTest : public test::TempEnvTest, public ::testing::WithParamInterface<FindCase>
{};

TEST_P(FindResultsTest, FindsFromThePageOnShowAndStepsRoundTheDocument)
{
    const FindCase &c = GetParam();
    const QString path = env.tempFolder() + QStringLiteral("trova.tmp");
    ASSERT_TRUE(test::scriviDocumento(path, 20, false));
    FindResults results;
    QList<int32_t> moved;
    QObject::connect(&results, &FindResults::currentMoved, &results, [&](int32_t page) { moved << page; });
    FindResults::Document document;
    document.path = path;
    document.index = spool::buildPageIndex(path, QStringLiteral("test"));
    document.pages = 20;
    document.currentPage = c.from;
    results.search(QString::fromUtf8(c.query), document);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.done() && !results.searching(); }, 30000));
    EXPECT_TRUE(results.error().isEmpty()) << qPrintable(results.error());
    EXPECT_EQ(results.count(), c.count);
    if (c.firstPage == 0) {
        EXPECT_EQ(results.current(), nullptr);
        EXPECT_TRUE(moved.isEmpty());
        return;
    }
    ASSERT_NE(results.current(), nullptr);
    EXPECT_EQ(results.current()->page, c.firstPage);
    EXPECT_EQ(moved, QList<int32_t>{c.firstPage});
    // Each page counts its own matches, the pages before the one the search
    // started on as well as those after it, and only those.
    qsizetype counted = 0;
    for (int32_t page = 0; page <= 21; ++page)
        counted += results.matchesOn(page);
    EXPECT_EQ(counted, c.count);
    EXPECT_EQ(results.matchesOn(c.firstPage), 1);
    // The current match's page lights it as the current one; another page not.
    EXPECT_EQ(results.highlightFor(c.firstPage)->currentRecord, results.current()->record);
    EXPECT_EQ(results.highlightFor(c.firstPage == 2 ? 3 : 2)->currentRecord, -1);
    results.step(-1);
    EXPECT_EQ(results.current()->page, c.previousPage);
    results.step(+1);
    EXPECT_EQ(results.current()->page, c.firstPage);
    // Round the whole document forwards comes back to the same match.
    for (qsizetype i = 0; i < c.count; ++i)
        results.step(+1);
    EXPECT_EQ(results.current()->page, c.firstPage);

    QSignalSpy highlight(&results, &FindResults::highlightChanged);
    results.clear();
    EXPECT_EQ(highlight.count(), 1);
    EXPECT_EQ(results.highlightFor(c.firstPage), nullptr);
    EXPECT_EQ(results.matchesOn(c.firstPage), 0);
    EXPECT_EQ(results.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindResultsTest,
                         ::testing::Values(
                             // Pages 1 and 10 to 19: from page 5 the first is on page 10,
                             // and one back is page 1.
                             FindCase{"FromTheMiddle", "Pagina 1", 5, 11, 10, 1},
                             // From page 1: one back wraps round to the last match.
                             FindCase{"FromTheStart", "pagina 1", 1, 11, 1, 19},
                             // After the last match: the search wraps to the first page.
                             FindCase{"WrapsToTheStart", "Pagina 1", 20, 11, 1, 19},
                             FindCase{"OneMatch", "PAGINA 20", 3, 1, 20, 20}, FindCase{"None", "nessuno", 1, 0, 0, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

/// A document of 20 pages "Pagina N", searched from page 1.
class FindJobs : public test::TempEnvTest
{
protected:
    void SetUp() override
    {
        test::TempEnvTest::SetUp();
        path = env.tempFolder() + QStringLiteral("trova.tmp");
        ASSERT_TRUE(test::scriviDocumento(path, 20, false));
        document.path = path;
        document.index = spool::buildPageIndex(path, QStringLiteral("test"));
        document.pages = 20;
    }
    static bool over(const FindResults &r) { return r.done() && !r.searching(); }
    /// Opens \a bar as a window of its own, active, its field with the focus.
    static void openActive(FindBar &bar)
    {
        bar.open();
        bar.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&bar));
        bar.open();
        ASSERT_EQ(QApplication::focusWidget(), bar.field());
    }
    QString path;
    FindResults::Document document;
};

// The search is a kind of job of the viewer's one worker: queued there at
// the lowest priority, and stopped with every other job when the worker
// stops them all (as the window does when it closes).
TEST_F(FindJobs, TheSearchRunsAsJobsOfTheWorkerAndStopsWithThem)
{
    PageWorker worker;
    FindResults results;
    results.setWorker(&worker);
    results.search(QStringLiteral("pagina"), document);
    EXPECT_EQ(worker.pending(), 1) << "queued on the worker";
    ASSERT_TRUE(QTest::qWaitFor([&] { return over(results); }, 30000));
    EXPECT_EQ(results.count(), 20);

    // The worker busy with a job that ends only when stopped: the search
    // waits behind it and is stopped before it starts, however fast it is.
    std::atomic<bool> busy{false};
    worker.start(PageWorker::Priority::Neighbour, [&busy](const std::atomic<bool> &cancelled) {
        busy = true;
        while (!cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return busy.load(); }, 30000));
    results.search(QStringLiteral("pagina"), document);
    worker.stopAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.searching(); }, 30000));
    EXPECT_FALSE(results.done()) << "stopped, not through every page";
    EXPECT_EQ(worker.pending(), 0);
}

// Each page highlights the matches the search found on it, made from them
// (not by searching the page again), the same object while nothing on it
// changes: a step moves the current match and lights only its two pages anew.
TEST_F(FindJobs, EachPageHighlightsItsOwnMatchesAndKeepsThemUntilTheyChange)
{
    FindResults results;
    results.search(QStringLiteral("pagina 1"), document);
    ASSERT_TRUE(QTest::qWaitFor([&] { return over(results); }, 30000));
    ASSERT_EQ(results.current()->page, 1);
    const auto first = results.highlightFor(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->matches, (QList<TextHighlight::Match>{{0, 0, 8}}));
    EXPECT_EQ(first->currentRecord, 0);
    EXPECT_TRUE(results.highlightFor(2)->matches.isEmpty()) << "\"Pagina 2\" holds no \"pagina 1\"";
    const auto tenth = results.highlightFor(10);
    const auto twelfth = results.highlightFor(12);
    EXPECT_EQ(results.highlightFor(1), first) << "kept while nothing changes";

    results.step(+1); // onto page 10
    EXPECT_NE(results.highlightFor(1), first);
    EXPECT_EQ(results.highlightFor(1)->currentRecord, -1);
    EXPECT_NE(results.highlightFor(10), tenth);
    EXPECT_EQ(results.highlightFor(10)->currentRecord, 0);
    EXPECT_EQ(results.highlightFor(12), twelfth) << "a page the step did not touch";
}

// Past 100,000 matches the search stops: memory stays bounded whatever the
// file holds, and the bar says the count is a lower bound.
TEST_F(FindJobs, TheSearchStopsAtTheLimitAndTheBarSaysSo)
{
    const qsizetype letters = FindResults::MatchLimit + 500;
    test::writeAll(path, "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1,1\r\n"
                             + QByteArray(letters, 'a') + "\r\n#endprint@\r\n");
    document.index = spool::buildPageIndex(path, QStringLiteral("test"));
    document.pages = 1;
    FindBar bar([&] { return document; });
    openActive(bar);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    ASSERT_TRUE(QTest::qWaitFor([&] { return over(*bar.results()); }, 30000));
    EXPECT_TRUE(bar.results()->limited());
    EXPECT_EQ(bar.matchCount(), FindResults::MatchLimit);
    EXPECT_EQ(bar.status(), QStringLiteral("1 di oltre 100000"));
    EXPECT_EQ(bar.label()->text(), bar.status());
}

// The bar's two options, clicked as a user clicks them: each searches again.
TEST_F(FindJobs, MatchCaseAndWholeWordsAreButtonsOfTheBar)
{
    FindBar bar([&] { return document; });
    openActive(bar);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("pagina 1"));
    struct Step
    {
        QToolButton *button;
        const char *status;
    };
    for (const Step &step :
         {Step{nullptr, "1 di 11"}, Step{bar.wholeWordsButton(), "1 di 1"},
          Step{bar.matchCaseButton(), "Nessuna corrispondenza"}, Step{bar.wholeWordsButton(), "Nessuna corrispondenza"},
          Step{bar.matchCaseButton(), "1 di 11"}}) {
        if (step.button)
            QTest::mouseClick(step.button, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return over(*bar.results()); }, 30000));
        EXPECT_EQ(bar.status(), QString::fromUtf8(step.status))
            << "match case " << bar.options().matchCase << ", whole words " << bar.options().wholeWords;
    }
    EXPECT_FALSE(bar.options().matchCase);
    EXPECT_FALSE(bar.options().wholeWords);
}

} // namespace
} // namespace qv
