// SPDX-License-Identifier: MIT
// The viewer's model without a window: the page commands and their limits
// (pages past 32,767 included), the page indicator, one signal per change,
// and a page count that follows a real page index as it grows.
#include "preview/ViewerModel.h"
#include "spool/PageIndexer.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>

namespace qv {
namespace {

using C = ViewerModel::PageCommand;
using S = ViewerModel::Step;

/// A page command from a page of a document: what it did and where it left the page.
struct CommandCase
{
    const char *name;
    int32_t pages;
    int32_t from; // 0-based
    C command;
    S step;
    int32_t after;
};

class PageCommands : public ::testing::TestWithParam<CommandCase>
{};

TEST_P(PageCommands, GoWithinTheDocumentAndStopAtItsEnds)
{
    const CommandCase &c = GetParam();
    ViewerModel m;
    m.setPageCount(c.pages);
    m.setCurrentPage(c.from);
    EXPECT_EQ(m.canGo(c.command), c.step == S::Changed);
    EXPECT_EQ(m.go(c.command), c.step);
    EXPECT_EQ(m.currentPage(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCommands,
                         ::testing::Values(CommandCase{"OnePageFirst", 1, 0, C::First, S::AtLimit, 0},
                                           CommandCase{"OnePagePrevious", 1, 0, C::Previous, S::AtLimit, 0},
                                           CommandCase{"OnePageNext", 1, 0, C::Next, S::AtLimit, 0},
                                           CommandCase{"OnePageLast", 1, 0, C::Last, S::AtLimit, 0},
                                           CommandCase{"EmptyNext", 0, 0, C::Next, S::AtLimit, 0},
                                           CommandCase{"EmptyLast", 0, 0, C::Last, S::AtLimit, 0},
                                           CommandCase{"ThreeNext", 3, 1, C::Next, S::Changed, 2},
                                           CommandCase{"ThreeNextAtEnd", 3, 2, C::Next, S::AtLimit, 2},
                                           CommandCase{"ThreeFirst", 3, 2, C::First, S::Changed, 0},
                                           CommandCase{"ThreePrevious", 3, 2, C::Previous, S::Changed, 1},
                                           // Beyond the old 16-bit page number: every page is reached.
                                           CommandCase{"FortyThousandLast", 40000, 0, C::Last, S::Changed, 39999},
                                           CommandCase{"FortyThousandNext", 40000, 32767, C::Next, S::Changed, 32768},
                                           CommandCase{"FortyThousandNextAtEnd", 40000, 39999, C::Next, S::AtLimit,
                                                       39999},
                                           CommandCase{"FortyThousandFirst", 40000, 39999, C::First, S::Changed, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

/// Going to a typed page number, from page 2 of a document.
struct GoToCase
{
    int32_t pages;
    int64_t number;
    S step;
    int32_t after; // 0-based
};

class GoTo : public ::testing::TestWithParam<GoToCase>
{};

TEST_P(GoTo, GoesInsideTheDocumentOnly)
{
    ViewerModel m;
    m.setPageCount(GetParam().pages);
    m.setCurrentPage(1);
    EXPECT_EQ(m.goTo(GetParam().number), GetParam().step);
    EXPECT_EQ(m.currentPage(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, GoTo,
    ::testing::Values(GoToCase{5, 1, S::Changed, 0}, GoToCase{5, 5, S::Changed, 4}, GoToCase{5, 2, S::Same, 1},
                      GoToCase{5, 0, S::AtLimit, 1}, GoToCase{5, 6, S::AtLimit, 1}, GoToCase{5, -3, S::AtLimit, 1},
                      GoToCase{40000, 32768, S::Changed, 32767}, GoToCase{40000, 32769, S::Changed, 32768},
                      GoToCase{40000, 40000, S::Changed, 39999}, GoToCase{40000, 40001, S::AtLimit, 1},
                      GoToCase{40000, int64_t(1) << 40, S::AtLimit, 1}));

TEST(ViewerModelIndicator, HasTheSignBlank)
{
    EXPECT_EQ(ViewerModel::indicator(1, 3), QStringLiteral(" 1/3"));
    EXPECT_EQ(ViewerModel::indicator(12, 120), QStringLiteral(" 12/120"));
    EXPECT_EQ(ViewerModel::indicator(-1, 0), QStringLiteral("-1/0"));
    EXPECT_EQ(ViewerModel::indicator(40000, 40000), QStringLiteral(" 40000/40000"));
    ViewerModel m;
    m.setPageCount(40000);
    m.setCurrentPage(39999);
    EXPECT_EQ(m.indicator(), QStringLiteral(" 40000/40000"));
}

/// Each setter: a change is told once, the same value again not at all.
TEST(ViewerModelSignals, OneSignalPerChangeAndNoneWithoutOne)
{
    ViewerModel m;
    QSignalSpy page(&m, &ViewerModel::currentPageChanged);
    QSignalSpy count(&m, &ViewerModel::pageCountChanged);
    QSignalSpy view(&m, &ViewerModel::viewModeChanged);
    QSignalSpy zoom(&m, &ViewerModel::zoomChanged);
    QSignalSpy quality(&m, &ViewerModel::qualityChanged);
    QSignalSpy document(&m, &ViewerModel::documentChanged);
    const auto recorded = std::make_shared<const spool::Document>();
    const std::pair<std::function<void()>, QSignalSpy *> steps[] = {
        {[&] { m.setPageCount(40000); }, &count},
        {[&] { m.setCurrentPage(39999); }, &page},
        {[&] { m.setViewMode(ViewerModel::ViewMode::Continuous); }, &view},
        {[&] { m.setZoom(2.5); }, &zoom},
        {[&] { m.setBestQuality(true); }, &quality},
        {[&] { m.setDocument(recorded); }, &document},
    };
    for (const auto &[step, spy] : steps) {
        step();
        step();
        EXPECT_EQ(spy->count(), 1) << spy->signal().constData();
    }
    EXPECT_EQ(page.first().at(0).toInt(), 39999);
    EXPECT_EQ(count.first().at(0).toInt(), 40000);
    // A command that moves sends one change; one at its limit none.
    page.clear();
    EXPECT_EQ(m.go(C::Next), S::AtLimit);
    EXPECT_EQ(page.count(), 0);
    EXPECT_EQ(m.go(C::First), S::Changed);
    EXPECT_EQ(page.count(), 1);
    // Nothing else was told by the commands.
    EXPECT_EQ(count.count(), 1);
}

class ViewerModelIndex : public test::TempEnvTest
{
protected:
    QString documento(int pagine)
    {
        const QString path = env.tempFolder() + QStringLiteral("modello-%1.tmp").arg(pagine);
        EXPECT_TRUE(test::scriviDocumento(path, pagine, true, 20));
        return path;
    }
};

/// A count that follows the index: grows with it and is final at its end,
/// whether the index is made at once (a short file) or in the background.
TEST_F(ViewerModelIndex, TheCountFollowsTheIndexToItsEnd)
{
    for (const int pages : {20, 3000}) {
        const auto document = std::make_shared<const spool::Document>(spool::Document::onFile(documento(pages)));
        ViewerModel m;
        m.setDocument(document);
        m.setCountFromIndex(true);
        QList<int32_t> counts;
        QObject::connect(&m, &ViewerModel::pageCountChanged, &m, [&](int32_t n) { counts << n; });
        QSignalSpy finished(&m, &ViewerModel::indexFinished);
        m.setIndex(document->pageIndexer(QStringLiteral("test"), std::nullopt));
        // A page far on waits only for itself, and its start is the whole index's.
        const spool::PageIndex whole = document->pageIndex(QStringLiteral("test"));
        EXPECT_EQ(m.waitForStart(pages - 1), whole.at(pages - 1)) << pages;
        m.waitForIndex();
        EXPECT_TRUE(m.indexComplete());
        EXPECT_EQ(m.pageCount(), pages);
        EXPECT_TRUE(m.pageCountFinal());
        EXPECT_EQ(m.knownPages(), pages);
        EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
        EXPECT_EQ(finished.count(), 1) << pages;
        EXPECT_EQ(m.pageStart(0), 1);
        EXPECT_EQ(m.pageStart(pages), 0); // no such page
    }
}

/// The count given by the control stays, and an index with more page
/// breaks than pages leaves only page 1's start (the pages are counted).
TEST_F(ViewerModelIndex, AGivenCountStaysAndASurplusOfPageBreaksLeavesNoStarts)
{
    const auto document = std::make_shared<const spool::Document>(spool::Document::onFile(documento(400)));
    ViewerModel m;
    m.setDocument(document);
    m.setPageCount(300);
    m.setIndex(document->pageIndexer(QStringLiteral("test"), 300));
    m.waitForIndex();
    EXPECT_EQ(m.pageCount(), 300);
    ASSERT_TRUE(m.index()->error());
    EXPECT_EQ(m.index()->error()->number(), 9);
    EXPECT_EQ(m.pageStart(1), 0);
    EXPECT_EQ(m.waitForStart(299), 0);
}

} // namespace
} // namespace qv
