// SPDX-License-Identifier: MIT
// Where the pages lie in rows: one a row (the continuous view), two (facing
// pages, page 1 alone at the right or not) and a grid (the overview), with
// pages of other sizes among them, checked as arithmetic without a window.
#include "preview/SpreadLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace qv {
namespace {

struct Case
{
    std::string name;
    int columns;
    bool firstAlone;
    int32_t pages;
    std::map<int32_t, QSize> other;              // pages of another size than page 1's 100 x 140
    std::vector<std::vector<int32_t>> firstRows; // the pages of the first rows
};

class SpreadLayoutTest : public ::testing::TestWithParam<Case>
{
protected:
    SpreadLayout layout() const
    {
        SpreadLayout l;
        l.setColumns(GetParam().columns, GetParam().firstAlone);
        l.setGap(12);
        l.setSpine(6);
        l.setPageCount(GetParam().pages);
        l.setSizes(QSize(100, 140), GetParam().other);
        return l;
    }
};

TEST_P(SpreadLayoutTest, RowsHoldThePagesInOrder)
{
    const SpreadLayout l = layout();
    const auto &rows = GetParam().firstRows;
    for (size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(l.firstOfRow(int32_t(r)), rows[r].front()) << "row " << r;
        EXPECT_EQ(l.lastOfRow(int32_t(r)), rows[r].back()) << "row " << r;
        for (int32_t p : rows[r])
            EXPECT_EQ(l.rowOf(p), int32_t(r)) << "page " << p;
    }
    // Every page in exactly one row, the rows one after another.
    int32_t next = 0;
    for (int32_t r = 0; r < l.rowCount(); ++r) {
        ASSERT_EQ(l.firstOfRow(r), next) << "row " << r;
        ASSERT_LE(l.lastOfRow(r) - l.firstOfRow(r) + 1, l.columns());
        next = l.lastOfRow(r) + 1;
    }
    EXPECT_EQ(next, GetParam().pages);
}

TEST_P(SpreadLayoutTest, PagesStandInTheirRowsWithoutOverlapping)
{
    const SpreadLayout l = layout();
    const int width = l.contentWidth() + 2 * l.gap();
    const int32_t rows = std::min<int32_t>(l.rowCount(), 40);
    for (int32_t r = 0; r < rows; ++r) {
        const qint64 top = l.rowTop(r);
        // The gap above each row, the band of each row found again from any of its lines.
        EXPECT_EQ(top, r == 0 ? l.gap() : l.rowTop(r - 1) + l.rowHeight(r - 1) + l.gap()) << "row " << r;
        EXPECT_EQ(l.rowAt(top), r);
        EXPECT_EQ(l.rowAt(top + l.rowHeight(r) - 1), r);
        int right = 0;
        for (int32_t p = l.firstOfRow(r); p <= l.lastOfRow(r); ++p) {
            const QSize size = l.pageSize(p);
            const int x = l.pageX(p, width);
            const qint64 y = l.pageY(p);
            EXPECT_GE(y, top) << "page " << p;
            EXPECT_LE(y + size.height(), top + l.rowHeight(r)) << "page " << p;
            EXPECT_GE(x, right + (p == l.firstOfRow(r) ? l.gap() : l.spine())) << "page " << p;
            EXPECT_LE(x + size.width(), width - l.gap()) << "page " << p;
            right = x + size.width();
        }
    }
    EXPECT_EQ(l.rowAt(-50), 0);
    EXPECT_EQ(l.rowAt(l.height() + 1000), l.rowCount() - 1);
}

// Facing pages meet at the spine in the middle, whatever their widths; a
// grid's pages are centred in their places.
TEST_P(SpreadLayoutTest, PagesOfABookMeetAtTheSpine)
{
    const SpreadLayout l = layout();
    const int width = 1000;
    for (int32_t p = 0; p < std::min<int32_t>(GetParam().pages, 12); ++p) {
        const int x = l.pageX(p, width);
        const int w = l.pageSize(p).width();
        if (l.columns() == 1) {
            EXPECT_EQ(x, (width - w) / 2);
        } else if (l.columns() == 2 && l.placeOf(p) == 0) {
            EXPECT_EQ(x + w, width / 2 - l.spine() / 2) << "page " << p;
        } else if (l.columns() == 2) {
            EXPECT_EQ(x, width / 2 - l.spine() / 2 + l.spine()) << "page " << p;
        } else {
            const int left = (width - l.contentWidth()) / 2 + l.placeOf(p) * (100 + l.spine());
            EXPECT_EQ(x + w / 2, left + 50) << "page " << p;
        }
    }
    if (GetParam().columns == 2 && GetParam().firstAlone) {
        EXPECT_EQ(l.placeOf(0), 1) << "page 1 alone at the right";
    }
}

const QSize Landscape(140, 100);
const QSize Letter(104, 134);

INSTANTIATE_TEST_SUITE_P(
    Layouts, SpreadLayoutTest,
    ::testing::Values(Case{"Continuous", 1, false, 6, {}, {{0}, {1}, {2}}},
                      Case{"ContinuousMixed", 1, false, 7, {{2, Landscape}, {4, Letter}}, {{0}, {1}, {2}, {3}}},
                      Case{"FacingFirstAlone", 2, true, 6, {}, {{0}, {1, 2}, {3, 4}, {5}}},
                      Case{"FacingFirstAloneOdd", 2, true, 5, {}, {{0}, {1, 2}, {3, 4}}},
                      Case{"FacingPairs", 2, false, 5, {}, {{0, 1}, {2, 3}, {4}}},
                      Case{"FacingMixed",
                           2,
                           true,
                           8,
                           {{2, Landscape}, {3, Landscape}, {5, Letter}},
                           {{0}, {1, 2}, {3, 4}, {5, 6}, {7}}},
                      Case{"FacingOnePage", 2, true, 1, {}, {{0}}},
                      Case{"Grid", 5, false, 23, {}, {{0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}}},
                      Case{"FacingLong", 2, true, 100000, {{99998, Landscape}}, {{0}, {1, 2}}}),
    [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

// A row of pages of another height moves every row under it, and only those.
TEST(SpreadLayout, ARowOfAnotherHeightMovesTheRowsUnderIt)
{
    SpreadLayout l;
    l.setColumns(2, true);
    l.setGap(10);
    l.setSpine(4);
    l.setPageCount(100000);
    l.setSizes(QSize(100, 140), {});
    const qint64 before = l.rowTop(50000);
    // Page 4 (row 2) turned, wider and lower: its row keeps the height of page 5.
    EXPECT_TRUE(l.setPageSize(3, Landscape));
    EXPECT_EQ(l.rowHeight(2), 140);
    EXPECT_EQ(l.rowTop(50000), before);
    EXPECT_EQ(l.pageY(3), l.rowTop(2) + 20) << "centred on its row";
    // Both pages of row 2 turned: the rows under it move up by 40.
    EXPECT_TRUE(l.setPageSize(4, Landscape));
    EXPECT_EQ(l.rowHeight(2), 100);
    EXPECT_EQ(l.rowTop(2), l.rowTop(1) + 150);
    EXPECT_EQ(l.rowTop(50000), before - 40);
    EXPECT_EQ(l.rowAt(l.rowTop(50000)), 50000);
    EXPECT_EQ(l.contentWidth(), 2 * 140 + 4);
    // Learning page 1's size again changes nothing; a page back at page 1's size is forgotten.
    EXPECT_FALSE(l.setPageSize(0, QSize(100, 140)));
    EXPECT_TRUE(l.setPageSize(3, QSize(100, 140)));
    EXPECT_EQ(l.otherSizes().size(), 1u);
    EXPECT_EQ(l.height(), l.rowTop(l.rowCount()));
}

} // namespace
} // namespace qv
