// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What a find highlights on a page: the matches the search found on it
// (record, offset, length: found once, on the worker, not again while
// painting), and one match (the one the user is on) in a stronger colour.
// The painter cuts each record's matches at its drawn lines and measures
// them with the font it draws them in, once along each line, so a highlight
// lies where its text is.
#pragma once

#include "spool/TextSearch.h"

#include <QColor>
#include <QList>
#include <QString>

#include <cstdint>

namespace qv {

struct TextHighlight
{
    /// One match on the page.
    struct Match
    {
        int32_t record = 0; ///< the text record on the page (0-based, in drawing order)
        int32_t offset = 0; ///< in the record's lines joined by one space, in QString characters
        int32_t length = 0;

        bool operator==(const Match &) const = default;
    };

    explicit TextHighlight(QString query = QString()) : query(std::move(query)) {}

    /// Takes the matches of one page, as TextSearch found them (in order).
    void setMatches(const spool::TextMatch *first, const spool::TextMatch *last);
    void setMatches(const QList<spool::TextMatch> &page)
    {
        setMatches(page.constData(), page.constData() + page.size());
    }
    /// The stretches of record \a record's matches on its drawn \a lines, in
    /// order of line and start.
    QList<spool::LineSpan> spansIn(int32_t record, const QStringList &lines) const;

    /// The query that found the matches.
    QString query;
    /// The matches by record and offset.
    QList<Match> matches;
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
