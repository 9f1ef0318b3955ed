// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The viewer's one cache of page images: the pages made ahead (RenderAhead)
// and the thumbnails (ThumbnailPane) share one memory budget, the least
// recently used going first when it is full; the page on show is never
// evicted. Each image is kept under its page and the size and quality it
// was made for, so that a page made for one zoom is never shown at another.
#pragma once

#include <QHash>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>

namespace qv {

/// Held and used on the GUI thread only: the worker's jobs make their images
/// on their own thread and hand them back through the event loop, where the
/// cache takes them. A value's type goes with its kind: a PreparedPage for
/// Kind::Page, a QPixmap for Kind::Thumbnail (held as a std::shared_ptr<void>,
/// so that no type information of the library's own types is instantiated
/// in the interface it exports).
class PageCache
{
public:
    /// What an image is for.
    enum class Kind : uint8_t {
        Page,      ///< a page made ahead: its drawing and its raster
        Thumbnail, ///< a thumbnail of the pane
    };

    /// Where an image belongs: the document's file, the page (0-based) and
    /// its stored start, and what it was made for (device pixels, quality).
    struct Key
    {
        Kind kind = Kind::Page;
        QString file;
        int32_t page = 0;
        qint64 start = 0;
        QSize pixels;    ///< device pixels (null: no raster)
        int quality = 0; ///< as the maker counts it (e.g. full colour or not)
        bool operator==(const Key &) const = default;
    };

    /// The budget of a cache made without one: 48 MiB, room for a few pages
    /// made ahead at 100 % on a usual screen (up to 8 MiB each) and for the
    /// thumbnails' share.
    static constexpr qint64 DefaultBudget = 48 * 1024 * 1024;
    /// Thumbnails take at most this share of the budget (one quarter), so
    /// that scrolling the pane never pushes out the pages made ahead.
    static constexpr int ThumbnailShareDivisor = 4;

    /// A cache of \a budget bytes (at least 0).
    explicit PageCache(qint64 budget = DefaultBudget);

    /// Bytes the cache holds at most; a smaller budget evicts at once.
    void setBudget(qint64 budget);
    qint64 budget() const { return m_budget; }
    /// Bytes held now: in all, and of one kind.
    qint64 used() const { return m_used; }
    qint64 used(Kind kind) const { return m_usedByKind[int(kind)]; }
    /// Images held of one kind.
    int count(Kind kind) const;
    /// Images evicted to keep within the budget so far.
    qint64 evicted() const { return m_evicted; }

    /// The page on show (0-based; -1: none): its images are never evicted,
    /// whatever the budget.
    void setPageOnShow(int32_t page);
    int32_t pageOnShow() const { return m_pageOnShow; }

    /// Keeps \a value, of \a bytes, under \a key (replacing what was there),
    /// as the most recently used, and evicts the least recently used to keep
    /// within the budget (and the thumbnails within their share). False, and
    /// nothing kept, when it alone is over the budget and not of the page on
    /// show.
    bool insert(const Key &key, std::shared_ptr<void> value, qint64 bytes);
    /// The value under \a key, made the most recently used; null when none.
    std::shared_ptr<void> find(const Key &key);
    /// As find(), as the \a T its kind holds.
    template <class T>
    std::shared_ptr<T> object(const Key &key)
    {
        return std::static_pointer_cast<T>(find(key));
    }
    bool contains(const Key &key) const { return m_index.contains(key); }
    /// Takes the value under \a key out of the cache; null when none.
    std::shared_ptr<void> take(const Key &key);
    /// Drops every image whose key \a match accepts.
    void removeIf(const std::function<bool(const Key &)> &match);
    /// The keys held, the most recently used first.
    QList<Key> keys() const;

private:
    struct Entry
    {
        Key key;
        std::shared_ptr<void> value;
        qint64 bytes = 0;
    };
    using List = std::list<Entry>;

    void erase(List::iterator it);
    /// Evicts the least recently used (of \a kind only, when given) until
    /// \a fits is true; the page on show stays.
    void evict(const std::function<bool()> &fits, const Kind *kind);
    qint64 thumbnailBudget() const { return m_budget / ThumbnailShareDivisor; }

    qint64 m_budget;
    qint64 m_used = 0;
    qint64 m_usedByKind[2] = {0, 0};
    qint64 m_evicted = 0;
    int32_t m_pageOnShow = -1;
    List m_entries; // the most recently used first
    QHash<Key, List::iterator> m_index;
};

size_t qHash(const PageCache::Key &key, size_t seed = 0);

} // namespace qv
