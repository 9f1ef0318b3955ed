// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Find in a recorded document: every place where a text occurs in the text
// records of a spool file, case-blind, page by page. It needs only the file
// and its page index, so it runs on a worker thread as well as on the
// caller's, and the page painter uses the same matching to highlight what it
// draws.
#pragma once

#include "spool/Document.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <cstdint>
#include <functional>

namespace qv::spool {

/// One match in a document.
struct TextMatch
{
    int32_t page = 0;   ///< 1-based page of the text record
    int32_t record = 0; ///< 0-based: the how-manieth text record of its page
    float x = 0;        ///< the record's x in twips, as recorded
    float y = 0;        ///< the record's y in twips, as recorded (the lower edge of its first line)
    int32_t offset = 0; ///< where the match starts in the record's searched text, in QString characters
    int32_t length = 0; ///< the match's length in QString characters
    QString text;       ///< the record's searched text, when TextSearch::setKeepText() asks for it

    bool operator==(const TextMatch &) const = default;
};

/// One stretch of a match on one drawn line of a text record.
struct LineSpan
{
    int32_t line = 0;   ///< 0-based line of the record's text
    int32_t start = 0;  ///< first character in that line
    int32_t length = 0; ///< characters
    int32_t offset = 0; ///< the match's TextMatch::offset (the same for both stretches of a match across lines)

    bool operator==(const LineSpan &) const = default;
};

/// A find of one query.
///
/// What is searched: the text of every text record (plain and centred texts,
/// fields and each line of a multi-line block are each one record), its
/// lines joined by one space, so a phrase that a host's line break splits
/// still matches, and a match never spans two records. Matching is
/// case-blind (Unicode simple case folding, as QString::indexOf with
/// Qt::CaseInsensitive), the matches of one record do not overlap, and each
/// is reported with its offset in that joined text. An empty query matches
/// nothing.
///
/// Pages are those of the page index: a page break line counts wherever it
/// stands, so page numbers agree with the preview and the printer. A record
/// belongs to the page it starts on.
class TextSearch
{
public:
    /// Called after each page searched with its matches (often none); return
    /// false to stop the search there.
    using PageSink = std::function<bool(int32_t page, const QList<TextMatch> &matches)>;

    explicit TextSearch(QString query);

    const QString &query() const { return m_query; }
    /// With \a keep, each match carries its record's searched text
    /// (TextMatch::text), for a caller that shows it; off by default.
    void setKeepText(bool keep) { m_keepText = keep; }
    bool isEmpty() const { return m_query.isEmpty(); }

    /// Searches pages \a firstPage to \a lastPage (1-based) of the spool
    /// file at \a path, reading the file once from the first page's start
    /// as \a index (buildPageIndex) gives it. The index may end early (one
    /// still being built): the pages past it are read on to \a lastPage or
    /// the file's end, whichever comes first; nothing is searched when the
    /// index does not reach \a firstPage. \a sink gets every page in turn. Returns true when every
    /// page was searched, false when the sink or \a cancel (checked before
    /// each record) stopped it. Throws qv::Error with the source \a source:
    /// 53 or 75 for a file that cannot be read, the reader's errors (13, 6,
    /// 62, naming the file and the line) for a text record that cannot be
    /// read; the sink has then had the pages before and the matches of the
    /// page up to that record.
    bool run(const QString &path, const PageIndex &index, int32_t firstPage, int32_t lastPage, const PageSink &sink,
             const std::atomic_bool *cancel = nullptr, const QString &source = DefaultSource) const;
    /// Every match of the document, in order. Reads the page index first.
    QList<TextMatch> findAll(const Document &document, const QString &source = DefaultSource) const;

    /// The matches in one record's text \a lines (as the replay draws them),
    /// each cut at line ends into the stretches that lie on drawn lines, in
    /// order; the joining space matches but is no stretch.
    QList<LineSpan> spansIn(const QStringList &lines) const;
    /// The offsets (in QString characters) of the matches in \a text, which
    /// is a record's lines joined by one space.
    QList<int32_t> offsetsIn(QStringView text) const;

    static inline const QString DefaultSource = QStringLiteral("Trova");

private:
    void matchRecord(QByteArray &joined, bool ascii, TextMatch &match, QList<TextMatch> &out) const;

    QString m_query;
    // The query's bytes in lower case when it is plain ASCII: an ASCII text is
    // then searched as bytes, without decoding.
    QByteArray m_asciiLower;
    bool m_asciiQuery = false;
    bool m_keepText = false;
};

} // namespace qv::spool
