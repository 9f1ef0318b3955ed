// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What a find highlights on a page: every match of its query where the text
// is drawn, and one match (the one the user is on) in a stronger colour. The
// painter finds the matches in the very lines it draws and measures them
// with the font it draws them in, so a highlight lies where its text is.
#pragma once

#include "spool/TextSearch.h"

#include <QColor>

#include <cstdint>

namespace qv {

struct TextHighlight
{
    explicit TextHighlight(QString query) : search(std::move(query)) {}

    /// The query, matched as the find matched it.
    spool::TextSearch search;
    /// The current match: its record on the page (0-based, in drawing order)
    /// and its offset in the record's text (TextMatch::record and offset);
    /// -1 for none.
    int32_t currentRecord = -1;
    int32_t currentOffset = -1;

    /// Behind every match, and behind the current one.
    QColor matchColour = QColor(255, 232, 64);
    QColor currentColour = QColor(255, 140, 0);
};

} // namespace qv
