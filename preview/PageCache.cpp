// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageCache.h"

#include <QHashFunctions>

#include <algorithm>

namespace qv {

size_t qHash(const PageCache::Key &key, size_t seed)
{
    return qHashMulti(seed, int(key.kind), key.file, key.page, key.start, key.pixels.width(), key.pixels.height(),
                      key.quality);
}

PageCache::PageCache(qint64 budget) : m_budget(std::max<qint64>(budget, 0)) {}

void PageCache::setBudget(qint64 budget)
{
    m_budget = std::max<qint64>(budget, 0);
    evict([this] { return m_used <= m_budget; }, nullptr);
    const Kind thumbnails = Kind::Thumbnail;
    evict([this] { return used(Kind::Thumbnail) <= thumbnailBudget(); }, &thumbnails);
}

int PageCache::count(Kind kind) const
{
    return int(
        std::count_if(m_entries.begin(), m_entries.end(), [kind](const Entry &e) { return e.key.kind == kind; }));
}

void PageCache::setPageOnShow(int32_t page)
{
    if (page == m_pageOnShow)
        return;
    m_pageOnShow = page;
    // The page left may have been all that kept the cache over its budget.
    setBudget(m_budget);
}

bool PageCache::insert(const Key &key, std::shared_ptr<void> value, qint64 bytes)
{
    bytes = std::max<qint64>(bytes, 0);
    if (const auto it = m_index.constFind(key); it != m_index.cend())
        erase(*it);
    const bool onShow = key.page == m_pageOnShow;
    const qint64 room = key.kind == Kind::Thumbnail ? thumbnailBudget() : m_budget;
    if (bytes > room && !onShow)
        return false;
    m_entries.push_front(Entry{key, std::move(value), bytes});
    m_index.insert(key, m_entries.begin());
    m_used += bytes;
    m_usedByKind[int(key.kind)] += bytes;
    if (key.kind == Kind::Thumbnail) {
        const Kind thumbnails = Kind::Thumbnail;
        evict([this] { return used(Kind::Thumbnail) <= thumbnailBudget(); }, &thumbnails);
    }
    evict([this] { return m_used <= m_budget; }, nullptr);
    return true;
}

std::shared_ptr<void> PageCache::find(const Key &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return nullptr;
    // The most recently used goes to the front; the iterators stay valid.
    m_entries.splice(m_entries.begin(), m_entries, *it);
    return m_entries.front().value;
}

std::shared_ptr<void> PageCache::take(const Key &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return nullptr;
    std::shared_ptr<void> value = std::move((*it)->value);
    erase(*it);
    return value;
}

void PageCache::removeIf(const std::function<bool(const Key &)> &match)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        const auto next = std::next(it);
        if (match(it->key))
            erase(it);
        it = next;
    }
}

QList<PageCache::Key> PageCache::keys() const
{
    QList<Key> out;
    out.reserve(qsizetype(m_index.size()));
    for (const Entry &e : m_entries)
        out.append(e.key);
    return out;
}

void PageCache::erase(List::iterator it)
{
    m_used -= it->bytes;
    m_usedByKind[int(it->key.kind)] -= it->bytes;
    m_index.remove(it->key);
    m_entries.erase(it);
}

void PageCache::evict(const std::function<bool()> &fits, const Kind *kind)
{
    // From the least recently used on, past the page on show.
    for (auto it = m_entries.end(); !fits() && it != m_entries.begin();) {
        --it;
        if (it->key.page == m_pageOnShow || (kind && it->key.kind != *kind))
            continue;
        const auto victim = it;
        it = std::next(it); // stays valid: only the victim goes
        erase(victim);
        ++m_evicted;
    }
}

} // namespace qv
