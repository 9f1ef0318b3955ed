// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Where the pages of a document lie when they are laid out in rows one
// under another: one page a row (the continuous view), two (facing pages,
// as a book) or a grid of small pages (the overview), in logical pixels.
// Plain arithmetic, tested without a window.
#pragma once

#include <QSize>

#include <cstdint>
#include <map>

namespace qv {

/// Every page is taken to have the size of page 1 except the few whose
/// size was learned (otherSizes()), so every position is arithmetic on
/// page 1's size, the page count and those pages: nothing grows with the
/// length of the document.
///
/// A row holds columns() pages side by side, the spine() apart; with
/// firstAlone() page 1 stands alone in the last place of the first row (at
/// the right, where a book has it), and the rows after it start with
/// page 2. The rows stand gap() apart, with a gap above the first. A row
/// is as high as its highest page, and its pages are centred on it
/// vertically. With two columns the pages of a row meet at the spine,
/// which is the middle of the document (a page narrower than the widest
/// stands against the spine, as in a book); with one or more than two,
/// each page is centred in its place.
class SpreadLayout
{
public:
    /// \a columns pages a row (at least 1); \a firstAlone: page 1 alone in
    /// the last place of the first row.
    void setColumns(int columns, bool firstAlone = false);
    int columns() const { return m_columns; }
    bool firstAlone() const { return m_firstAlone; }
    /// The gap between the rows, above the first and under the last.
    void setGap(int gap) { m_gap = gap; }
    int gap() const { return m_gap; }
    /// The gap between two pages of a row.
    void setSpine(int spine) { m_spine = spine; }
    int spine() const { return m_spine; }
    /// The number of pages (at least one: an empty document shows a page).
    void setPageCount(int32_t count) { m_count = count < 1 ? 1 : count; }
    int32_t pageCount() const { return m_count; }

    /// Page 1's size (that of every page not in \a other) and the pages of
    /// another size; true when anything changed.
    bool setSizes(QSize first, std::map<int32_t, QSize> other);
    /// Learns the size of \a page (page 0 sets the first size); true when
    /// it changed.
    bool setPageSize(int32_t page, QSize size);
    QSize firstSize() const { return m_first; }
    QSize pageSize(int32_t page) const;
    const std::map<int32_t, QSize> &otherSizes() const { return m_other; }

    int32_t rowCount() const { return rowOf(m_count - 1) + 1; }
    int32_t rowOf(int32_t page) const;
    int32_t firstOfRow(int32_t row) const;
    /// The last page of \a row (the document's last page in its last row).
    int32_t lastOfRow(int32_t row) const;
    /// The place of \a page in its row, from 0 at the left.
    int placeOf(int32_t page) const;
    /// The height of the highest page of \a row.
    int rowHeight(int32_t row) const;
    /// The top of \a row from the document's top (the gap above the first
    /// row included).
    qint64 rowTop(int32_t row) const;
    /// The row whose band (the row and the gap under it) holds \a y; the
    /// first or last row beyond the document's ends.
    int32_t rowAt(qint64 y) const;
    /// The document's height: every row, the gaps between them and at both ends.
    qint64 height() const { return rowTop(rowCount()); }
    /// The width of the widest row: the columns' places (each as wide as
    /// the widest page) and the spines between them, without side gaps.
    int contentWidth() const;

    /// Where \a page lies across a document \a width wide (the view's
    /// width, or the content's with its side gaps when wider).
    int pageX(int32_t page, int width) const;
    /// Where \a page lies down the document.
    qint64 pageY(int32_t page) const;

private:
    int widest() const;
    /// What the rows of another height above \a row add to their tops.
    qint64 shiftAbove(int32_t row) const;

    int m_columns = 1;
    bool m_firstAlone = false;
    int m_gap = 12;
    int m_spine = 12;
    int32_t m_count = 1;
    QSize m_first{1, 1};
    std::map<int32_t, QSize> m_other;
    int m_widest = 1;
};

} // namespace qv
