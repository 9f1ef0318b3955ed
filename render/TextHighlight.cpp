// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/TextHighlight.h"

#include <algorithm>

namespace qv {

void TextHighlight::setMatches(const spool::TextMatch *first, const spool::TextMatch *last)
{
    matches.clear();
    matches.reserve(last - first);
    for (; first != last; ++first)
        matches.append(Match{first->record, first->offset, first->length});
}

QList<spool::LineSpan> TextHighlight::spansIn(int32_t record, const QStringList &lines) const
{
    const auto byRecord = [](const Match &m, int32_t r) { return m.record < r; };
    auto it = std::lower_bound(matches.cbegin(), matches.cend(), record, byRecord);
    QList<std::pair<int32_t, int32_t>> ofRecord;
    for (; it != matches.cend() && it->record == record; ++it)
        ofRecord.append({it->offset, it->length});
    if (ofRecord.isEmpty())
        return {};
    return spool::TextSearch::cutAtLineEnds(lines, ofRecord);
}

} // namespace qv
