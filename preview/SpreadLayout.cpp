// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/SpreadLayout.h"

#include <algorithm>

namespace qv {

void SpreadLayout::setColumns(int columns, bool firstAlone)
{
    m_columns = std::max(1, columns);
    m_firstAlone = firstAlone && m_columns > 1;
}

bool SpreadLayout::setSizes(QSize first, std::map<int32_t, QSize> other)
{
    first = first.expandedTo(QSize(1, 1));
    if (first == m_first && other == m_other)
        return false;
    m_first = first;
    m_other = std::move(other);
    m_widest = m_first.width();
    for (const auto &[page, size] : m_other)
        m_widest = std::max(m_widest, size.width());
    return true;
}

bool SpreadLayout::setPageSize(int32_t page, QSize size)
{
    if (page == 0) {
        std::map<int32_t, QSize> other = m_other;
        return setSizes(size, std::move(other));
    }
    const auto it = m_other.find(page);
    if (size == m_first) {
        if (it == m_other.end())
            return false;
        m_other.erase(it);
    } else {
        if (it != m_other.end() && it->second == size)
            return false;
        m_other[page] = size;
    }
    m_widest = m_first.width();
    for (const auto &[p, s] : m_other)
        m_widest = std::max(m_widest, s.width());
    return true;
}

QSize SpreadLayout::pageSize(int32_t page) const
{
    const auto it = m_other.find(page);
    return it == m_other.end() ? m_first : it->second;
}

int32_t SpreadLayout::rowOf(int32_t page) const
{
    const int offset = m_firstAlone ? m_columns - 1 : 0;
    return int32_t((qint64(std::max(page, 0)) + offset) / m_columns);
}

int32_t SpreadLayout::firstOfRow(int32_t row) const
{
    const int offset = m_firstAlone ? m_columns - 1 : 0;
    return int32_t(std::clamp<qint64>(qint64(row) * m_columns - offset, 0, m_count - 1));
}

int32_t SpreadLayout::lastOfRow(int32_t row) const
{
    const int offset = m_firstAlone ? m_columns - 1 : 0;
    return int32_t(std::clamp<qint64>((qint64(row) + 1) * m_columns - offset - 1, 0, m_count - 1));
}

int SpreadLayout::placeOf(int32_t page) const
{
    const int offset = m_firstAlone ? m_columns - 1 : 0;
    return int((qint64(std::max(page, 0)) + offset) % m_columns);
}

int SpreadLayout::rowHeight(int32_t row) const
{
    if (m_other.empty())
        return m_first.height();
    int height = 0;
    for (int32_t p = firstOfRow(row), last = lastOfRow(row); p <= last; ++p)
        height = std::max(height, pageSize(p).height());
    return height;
}

qint64 SpreadLayout::shiftAbove(int32_t row) const
{
    qint64 shift = 0;
    int32_t seen = -1;
    for (const auto &[page, size] : m_other) {
        const int32_t r = rowOf(page);
        if (r >= row || page >= m_count)
            break;
        if (r == seen)
            continue;
        seen = r;
        shift += rowHeight(r) - m_first.height();
    }
    return shift;
}

qint64 SpreadLayout::rowTop(int32_t row) const
{
    return m_gap + qint64(row) * (m_first.height() + m_gap) + shiftAbove(row);
}

int32_t SpreadLayout::rowAt(qint64 y) const
{
    const qint64 step = m_first.height() + m_gap;
    const int32_t lastRow = rowCount() - 1;
    qint64 shift = 0; // what the rows of another height above add
    int32_t after = 0;
    int32_t seen = -1;
    for (const auto &[page, size] : m_other) {
        const int32_t row = rowOf(page);
        if (row > lastRow || page >= m_count)
            break;
        if (row == seen)
            continue;
        seen = row;
        const qint64 top = m_gap + qint64(row) * step + shift;
        if (y < top - m_gap)
            break;
        const int height = rowHeight(row);
        if (y < top + height)
            return row;
        shift += height - m_first.height();
        after = row + 1;
    }
    return int32_t(std::clamp<qint64>(std::max<qint64>((y - m_gap - shift) / step, after), 0, lastRow));
}

int SpreadLayout::widest() const
{
    return m_widest;
}

int SpreadLayout::contentWidth() const
{
    return m_columns * widest() + (m_columns - 1) * m_spine;
}

int SpreadLayout::pageX(int32_t page, int width) const
{
    const int w = pageSize(page).width();
    if (m_columns == 1)
        return (width - w) / 2;
    const int place = placeOf(page);
    if (m_columns == 2) {
        // A book: both pages against the spine in the middle.
        const int spineLeft = width / 2 - m_spine / 2;
        return place == 0 ? spineLeft - w : spineLeft + m_spine;
    }
    const int left = (width - contentWidth()) / 2;
    return left + place * (widest() + m_spine) + (widest() - w) / 2;
}

qint64 SpreadLayout::pageY(int32_t page) const
{
    const int32_t row = rowOf(page);
    return rowTop(row) + (rowHeight(row) - pageSize(page).height()) / 2;
}

} // namespace qv
