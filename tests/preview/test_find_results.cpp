// SPDX-License-Identifier: MIT
// The results of a find without a window: a real spool file searched on the
// worker thread from the page on show, the first match current, stepping
// round the document both ways, what a page highlights, and clearing.
#include "preview/FindResults.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

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

} // namespace
} // namespace qv
