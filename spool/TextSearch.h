// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Find in a recorded document: every place where a text occurs in the text
// records of a spool file, case-blind or not, anywhere or as whole words,
// page by page. It needs only the file and its page index, so it runs on a
// worker thread as well as on the caller's. The search is linear in the
// text and the query (a matcher of the Knuth-Morris-Pratt kind), stops on
// request inside a record, and collects at most a given number of matches,
// so neither time nor memory depends on what the file and the query hold
// beyond their size.
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

/// One match in a document: where it is, not its text (the caller that
/// shows it reads the record back, or asks TextSearch::setTextSink()).
struct TextMatch
{
    int32_t page = 0;   ///< 1-based page of the text record
    int32_t record = 0; ///< 0-based: the how-manieth text record of its page
    float x = 0;        ///< the record's x in twips, as recorded
    float y = 0;        ///< the record's y in twips, as recorded (the lower edge of its first line)
    int32_t offset = 0; ///< where the match starts in the record's searched text, in QString characters
    int32_t length = 0; ///< the match's length in QString characters

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

/// How a query matches.
struct FindOptions
{
    /// False: case-blind, with Unicode simple case folding ("perché" finds
    /// "PERCHÉ"); true: the characters as they are.
    bool matchCase = false;
    /// True: only a match with neither a letter, a digit, a mark nor "_"
    /// right before it or right after it ("tot" finds "tot." but not
    /// "totale").
    bool wholeWords = false;

    bool operator==(const FindOptions &) const = default;
};

/// A find of one query.
///
/// What is searched: the text of every text record (plain and centred
/// texts, fields and each line of a multi-line block are each one record),
/// its lines joined by one space, so a phrase that a host's line break
/// splits still matches, and a match never spans two records. The matches
/// of one record do not overlap (the leftmost first), and each is reported
/// with its offset in that joined text. An empty query matches nothing.
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
    /// Called with the text of each record that has a match (its lines
    /// joined by one space, as the offsets count), before the page sink of
    /// its page.
    using TextSink = std::function<void(int32_t page, int32_t record, const QString &text)>;

    /// The most matches the viewer and SpoolFile::find() collect: past it a
    /// search stops and says so (Outcome::limited).
    static constexpr qsizetype MatchLimit = 100000;

    /// How a run() ended. Converts to true when every page asked was searched.
    struct Outcome
    {
        bool complete = true;  ///< every page asked was searched
        bool limited = false;  ///< stopped at the setMaxMatches() limit (there are more matches)
        qsizetype matches = 0; ///< matches handed to the sink
        explicit operator bool() const { return complete; }
    };

    explicit TextSearch(QString query, FindOptions options = {});

    const QString &query() const { return m_query; }
    const FindOptions &options() const { return m_options; }
    bool isEmpty() const { return m_query.isEmpty(); }
    /// At most \a limit matches each run(): the run stops at the one past it
    /// (which no sink gets) with Outcome::limited. Negative: no limit, the
    /// default.
    void setMaxMatches(qsizetype limit) { m_maxMatches = limit; }
    qsizetype maxMatches() const { return m_maxMatches; }
    /// Reads the file only up to byte offset \a end (negative, the default:
    /// to its own end): a file still being written, whole up to there. A
    /// text record cut short at that end is still being written, and the
    /// search ends before it as at the file's end, without an error.
    void setEnd(qint64 end) { m_end = end; }
    /// Hands the text of each record with a match to \a sink; none by default.
    void setTextSink(TextSink sink) { m_textSink = std::move(sink); }

    /// Searches pages \a firstPage to \a lastPage (1-based) of the spool
    /// file at \a path, reading the file once from the first page's start
    /// as \a index (buildPageIndex) gives it. The index may end early (one
    /// still being built): the pages past it are read on to \a lastPage or
    /// the file's end, whichever comes first; nothing is searched when the
    /// index does not reach \a firstPage. \a sink gets every page in turn.
    /// The outcome is complete when every page was searched; not when the
    /// sink, \a cancel (checked before each record and every 64 KiB of a
    /// record's text) or the match limit stopped it (the page where it
    /// stopped has been handed to the sink with its matches so far). Throws
    /// qv::Error with the source \a source: 53 or 75 for a file that cannot
    /// be read, the reader's errors (13, 6, 62, naming the file and the
    /// line) for a text record that cannot be read; the sink has then had
    /// the pages before and the matches of the page up to that record.
    Outcome run(const QString &path, const PageIndex &index, int32_t firstPage, int32_t lastPage, const PageSink &sink,
                const std::atomic_bool *cancel = nullptr, const QString &source = DefaultSource) const;
    /// Every match of the document (up to the limit), in order. Reads the
    /// page index first.
    QList<TextMatch> findAll(const Document &document, const QString &source = DefaultSource) const;

    /// The matches in one record's text \a lines (as the replay draws them),
    /// each cut at line ends into the stretches that lie on drawn lines, in
    /// order; the joining space matches but is no stretch.
    QList<LineSpan> spansIn(const QStringList &lines) const;
    /// The offsets (in QString characters) of the matches in \a text, which
    /// is a record's lines joined by one space.
    QList<int32_t> offsetsIn(QStringView text) const;

    /// Cuts matches of \a length characters at \a offsets (in order, not
    /// overlapping, in \a lines joined by one space) into the stretches on
    /// each line: one walk through the lines, however many the matches.
    static QList<LineSpan> cutAtLineEnds(const QStringList &lines, const QList<std::pair<int32_t, int32_t>> &matches);

    static inline const QString DefaultSource = QStringLiteral("Trova");

private:
    enum class Stop { None, Cancelled, Limit };
    Stop matchBytes(QByteArrayView text, const std::atomic_bool *cancel,
                    const std::function<bool(qsizetype)> &found) const;
    Stop matchText(QStringView text, const std::atomic_bool *cancel, const std::function<bool(qsizetype)> &found) const;

    QString m_query;
    FindOptions m_options;
    // The query as matched: folded unless the case counts (UTF-16 code
    // units), and, when it is plain ASCII, as bytes (in small letters unless
    // the case counts): an ASCII text is then searched without decoding.
    QString m_pattern;
    QByteArray m_bytes;
    bool m_asciiQuery = false;
    bool m_patternSurrogates = false; // then the text is folded whole first
    // The matcher's failure table: for each prefix of the pattern, the
    // length of its longest proper prefix that is also its suffix.
    std::vector<int32_t> m_fail;
    qsizetype m_maxMatches = -1;
    qint64 m_end = -1;
    TextSink m_textSink;
};

} // namespace qv::spool
