// SPDX-License-Identifier: MIT
// The viewer's one page cache without a window: one budget, the least
// recently used out first, the page on show kept whatever the budget, the
// thumbnails within their share, and images kept by page, size and quality.
#include "preview/PageCache.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using Kind = PageCache::Kind;

PageCache::Key key(Kind kind, int32_t page, QSize pixels = QSize(100, 100), int quality = 1)
{
    return PageCache::Key{kind, QStringLiteral("doc.tmp"), page, 1000 + page, pixels, quality};
}

QList<int32_t> pagesHeld(const PageCache &cache)
{
    QList<int32_t> out;
    for (const PageCache::Key &k : cache.keys())
        out << k.page;
    return out;
}

TEST(PageCache, TheLeastRecentlyUsedGoesFirstAndThePageOnShowStays)
{
    PageCache cache(400);
    cache.setPageOnShow(0);
    for (int32_t page = 0; page < 4; ++page)
        ASSERT_TRUE(cache.insert(key(Kind::Page, page), std::make_shared<int32_t>(page), 100));
    EXPECT_EQ(cache.used(), 400);
    // Used again: page 1 is now more recent than 2 and 3.
    ASSERT_NE(cache.object<int32_t>(key(Kind::Page, 1)), nullptr);
    ASSERT_TRUE(cache.insert(key(Kind::Page, 4), std::make_shared<int32_t>(4), 150));
    // 2 and 3 made room; 0, the oldest, is on show.
    EXPECT_EQ(pagesHeld(cache), QList<int32_t>({4, 1, 0}));
    EXPECT_EQ(cache.used(), 350);
    EXPECT_EQ(cache.evicted(), 2);
    // A smaller budget evicts at once, but never the page on show.
    cache.setBudget(50);
    EXPECT_EQ(pagesHeld(cache), QList<int32_t>({0}));
    // Nor does an image larger than the budget push it out, or get in;
    // unless it is of the page on show.
    EXPECT_FALSE(cache.insert(key(Kind::Page, 7), std::make_shared<int32_t>(7), 60));
    EXPECT_TRUE(cache.insert(key(Kind::Thumbnail, 0), std::make_shared<int32_t>(0), 60));
    // Left, the page on show goes as any other.
    cache.setPageOnShow(5);
    EXPECT_TRUE(pagesHeld(cache).isEmpty());
    EXPECT_EQ(cache.used(), 0);
}

TEST(PageCache, ThumbnailsStayWithinTheirShareAndNeverPushPagesOut)
{
    PageCache cache(4000);
    const qint64 share = 4000 / PageCache::ThumbnailShareDivisor;
    ASSERT_TRUE(cache.insert(key(Kind::Page, 0), std::make_shared<int32_t>(0), 2500));
    for (int32_t page = 0; page < 50; ++page)
        ASSERT_TRUE(cache.insert(key(Kind::Thumbnail, page), std::make_shared<int32_t>(page), 100));
    EXPECT_EQ(cache.used(Kind::Thumbnail), share);
    EXPECT_EQ(cache.count(Kind::Thumbnail), int(share / 100));
    EXPECT_TRUE(cache.contains(key(Kind::Page, 0)));
    // The newest thumbnails are those kept.
    EXPECT_TRUE(cache.contains(key(Kind::Thumbnail, 49)));
    EXPECT_FALSE(cache.contains(key(Kind::Thumbnail, 0)));
    // Pages made ahead take what the thumbnails leave, evicting either.
    ASSERT_TRUE(cache.insert(key(Kind::Page, 1), std::make_shared<int32_t>(1), 1000));
    EXPECT_LE(cache.used(), cache.budget());
    EXPECT_TRUE(cache.contains(key(Kind::Page, 1)));
}

TEST(PageCache, APageIsKeptBySizeAndQualityAndTakenOut)
{
    PageCache cache;
    ASSERT_TRUE(
        cache.insert(key(Kind::Page, 3, QSize(100, 140)), std::make_shared<QString>(QStringLiteral("100 %")), 10));
    ASSERT_TRUE(
        cache.insert(key(Kind::Page, 3, QSize(200, 280)), std::make_shared<QString>(QStringLiteral("200 %")), 10));
    ASSERT_TRUE(cache.insert(key(Kind::Page, 3, QSize(100, 140), 0),
                             std::make_shared<QString>(QStringLiteral("256 colours")), 10));
    EXPECT_EQ(cache.count(Kind::Page), 3);
    // Another start (the file changed) is another page.
    PageCache::Key moved = key(Kind::Page, 3, QSize(100, 140));
    moved.start += 1;
    EXPECT_EQ(cache.find(moved), nullptr);
    const std::shared_ptr<void> taken = cache.take(key(Kind::Page, 3, QSize(200, 280)));
    ASSERT_TRUE(taken);
    EXPECT_EQ(*std::static_pointer_cast<QString>(taken), QStringLiteral("200 %"));
    EXPECT_FALSE(cache.contains(key(Kind::Page, 3, QSize(200, 280))));
    // Replacing keeps one entry.
    ASSERT_TRUE(
        cache.insert(key(Kind::Page, 3, QSize(100, 140)), std::make_shared<QString>(QStringLiteral("again")), 30));
    EXPECT_EQ(cache.count(Kind::Page), 2);
    EXPECT_EQ(cache.used(), 40);
    cache.removeIf([](const PageCache::Key &k) { return k.quality == 0; });
    EXPECT_EQ(*cache.object<QString>(key(Kind::Page, 3, QSize(100, 140))), QStringLiteral("again"));
    EXPECT_EQ(cache.used(), 30);
}

} // namespace
} // namespace qv
