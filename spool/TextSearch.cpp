// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/TextSearch.h"

#include "spool/PainterRecords.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <limits>

namespace qv::spool {

namespace {

/// The matcher looks at its cancel flag this often (characters or bytes).
constexpr qsizetype CancelEvery = 64 * 1024;

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiBytes(QByteArrayView bytes)
{
    unsigned char high = 0;
    for (const char c : bytes)
        high |= static_cast<unsigned char>(c);
    return high < 0x80;
}

/// The small letter of each byte (ASCII capitals only; the others as they are).
constexpr std::array<unsigned char, 256> LowerTable = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i | 0x20 : i);
    return t;
}();

/// \a text with every code point folded (Unicode simple case folding), the
/// same length in UTF-16 code units: a fold that would change it is left out.
QString folded(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            if (QChar::requiresSurrogates(folded)) {
                d[i] = QChar(QChar::highSurrogate(folded));
                d[i + 1] = QChar(QChar::lowSurrogate(folded));
            } else {
                d[i] = c;
                d[i + 1] = text[i + 1];
            }
            ++i;
            continue;
        }
        d[i] = c.toCaseFolded();
    }
    return out;
}

bool isWordChar(char32_t c)
{
    return c == U'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

/// Whether the match [\a from, \a to) of \a text stands as whole words.
bool wholeWordAt(QStringView text, qsizetype from, qsizetype to)
{
    if (from > 0) {
        char32_t before = text[from - 1].unicode();
        if (text[from - 1].isLowSurrogate() && from > 1 && text[from - 2].isHighSurrogate())
            before = QChar::surrogateToUcs4(text[from - 2], text[from - 1]);
        if (isWordChar(before))
            return false;
    }
    if (to < text.size()) {
        char32_t after = text[to].unicode();
        if (text[to].isHighSurrogate() && to + 1 < text.size() && text[to + 1].isLowSurrogate())
            after = QChar::surrogateToUcs4(text[to], text[to + 1]);
        if (isWordChar(after))
            return false;
    }
    return true;
}

bool wholeWordAt(QByteArrayView text, qsizetype from, qsizetype to)
{
    const auto word = [](char c) { return c == '_' || std::isalnum(static_cast<unsigned char>(c)); };
    return (from == 0 || !word(text[from - 1])) && (to >= text.size() || !word(text[to]));
}

/// The leftmost matches of \a pattern in \a text that \a accept takes, not
/// overlapping, each handed to \a found (false: stop). Linear in the text
/// and the pattern: the failure table \a fail moves the matcher on without
/// going back in the text, and where no partial match is open it skips to
/// the next character that can start one. Returns Cancelled when \a cancel
/// was set, Limit when \a found said stop.
template <typename Unit, typename Map, typename Accept>
int scan(const Unit *text, qsizetype n, const Unit *pattern, qsizetype m, const std::vector<int32_t> &fail, Map map,
         Accept accept, const std::function<bool(qsizetype)> &found, const std::atomic_bool *cancel)
{
    qsizetype q = 0; // characters of the pattern matched so far
    const Unit first = pattern[0];
    for (qsizetype block = 0; block < n; block += CancelEvery) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return 1;
        const qsizetype end = std::min(n, block + CancelEvery);
        for (qsizetype i = block; i < end; ++i) {
            if (q == 0) {
                // Nothing open: on to the next character that starts the pattern.
                if constexpr (sizeof(Unit) == 1) {
                    if (map(first) == first && map(Unit(first ^ 0x20)) != first) {
                        const void *hit = std::memchr(text + i, first, size_t(end - i));
                        if (!hit)
                            break;
                        i = static_cast<const Unit *>(hit) - text;
                    } else {
                        while (i < end && map(text[i]) != first)
                            ++i;
                    }
                } else {
                    while (i < end && map(text[i]) != first)
                        ++i;
                }
                if (i == end)
                    break;
            }
            const Unit c = map(text[i]);
            while (q > 0 && pattern[q] != c)
                q = fail[q - 1];
            if (pattern[q] == c)
                ++q;
            if (q == m) {
                const qsizetype start = i + 1 - m;
                if (accept(start, i + 1)) {
                    if (!found(start))
                        return 2;
                    q = 0; // the next match starts after this one
                } else {
                    q = fail[m - 1];
                }
            }
        }
    }
    return 0;
}

} // namespace

TextSearch::TextSearch(QString query, FindOptions options) : m_query(std::move(query)), m_options(options)
{
    m_pattern = m_options.matchCase ? m_query : folded(m_query);
    m_asciiQuery = isAscii(m_pattern) && isAscii(m_query);
    m_patternSurrogates = std::any_of(m_pattern.cbegin(), m_pattern.cend(), [](QChar c) { return c.isSurrogate(); });
    if (m_asciiQuery)
        m_bytes = m_pattern.toLatin1();
    // The failure table, the same for the bytes and the characters.
    const qsizetype m = m_pattern.size();
    m_fail.assign(size_t(m), 0);
    for (qsizetype i = 1, k = 0; i < m; ++i) {
        while (k > 0 && m_pattern[i] != m_pattern[k])
            k = m_fail[size_t(k - 1)];
        if (m_pattern[i] == m_pattern[k])
            ++k;
        m_fail[size_t(i)] = int32_t(k);
    }
}

TextSearch::Stop TextSearch::matchBytes(QByteArrayView text, const std::atomic_bool *cancel,
                                        const std::function<bool(qsizetype)> &found) const
{
    const auto *t = reinterpret_cast<const unsigned char *>(text.data());
    const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.constData());
    const bool words = m_options.wholeWords;
    const auto accept = [&](qsizetype from, qsizetype to) { return !words || wholeWordAt(text, from, to); };
    int r;
    if (m_options.matchCase)
        r = scan(
            t, text.size(), p, m_bytes.size(), m_fail, [](unsigned char c) { return c; }, accept, found, cancel);
    else
        r = scan(
            t, text.size(), p, m_bytes.size(), m_fail, [](unsigned char c) { return LowerTable[c]; }, accept, found,
            cancel);
    return r == 0 ? Stop::None : r == 1 ? Stop::Cancelled : Stop::Limit;
}

TextSearch::Stop TextSearch::matchText(QStringView text, const std::atomic_bool *cancel,
                                       const std::function<bool(qsizetype)> &found) const
{
    const bool words = m_options.wholeWords;
    const auto accept = [&](qsizetype from, qsizetype to) { return !words || wholeWordAt(text, from, to); };
    const auto *p = reinterpret_cast<const char16_t *>(m_pattern.utf16());
    const auto *t = reinterpret_cast<const char16_t *>(text.utf16());
    int r;
    if (m_options.matchCase) {
        r = scan(
            t, text.size(), p, m_pattern.size(), m_fail, [](char16_t c) { return c; }, accept, found, cancel);
    } else if (!m_patternSurrogates) {
        // A pattern without surrogates matches none in the text: each code
        // unit folds on its own, as it is read, without a folded copy.
        r = scan(
            t, text.size(), p, m_pattern.size(), m_fail,
            [](char16_t c) { return c < 0x80 ? char16_t(LowerTable[c]) : char16_t(QChar::toCaseFolded(c)); }, accept,
            found, cancel);
    } else {
        const QString fold = folded(text);
        r = scan(
            reinterpret_cast<const char16_t *>(fold.utf16()), fold.size(), p, m_pattern.size(), m_fail,
            [](char16_t c) { return c; }, accept, found, cancel);
    }
    return r == 0 ? Stop::None : r == 1 ? Stop::Cancelled : Stop::Limit;
}

QList<int32_t> TextSearch::offsetsIn(QStringView text) const
{
    QList<int32_t> offsets;
    if (m_query.isEmpty() || text.size() < m_pattern.size())
        return offsets;
    matchText(text, nullptr, [&](qsizetype at) {
        offsets.append(int32_t(at));
        return true;
    });
    return offsets;
}

QList<LineSpan> TextSearch::cutAtLineEnds(const QStringList &lines, const QList<std::pair<int32_t, int32_t>> &matches)
{
    QList<LineSpan> spans;
    qsizetype line = 0;
    qsizetype lineStart = 0; // where lines[line] starts in the joined text
    for (const auto &[offset, length] : matches) {
        const qsizetype end = qsizetype(offset) + length;
        // Matches come in order: the line of this one is at or after the last.
        while (line + 1 < lines.size() && lineStart + lines[line].size() < offset) {
            lineStart += lines[line].size() + 1;
            ++line;
        }
        for (qsizetype l = line, s = lineStart; l < lines.size() && s < end; s += lines[l].size() + 1, ++l) {
            const qsizetype from = std::max<qsizetype>(offset, s);
            const qsizetype to = std::min<qsizetype>(end, s + lines[l].size());
            if (to > from)
                spans.append(LineSpan{int32_t(l), int32_t(from - s), int32_t(to - from), offset});
        }
    }
    return spans;
}

QList<LineSpan> TextSearch::spansIn(const QStringList &lines) const
{
    if (m_query.isEmpty())
        return {};
    QList<std::pair<int32_t, int32_t>> matches;
    for (const int32_t offset : offsetsIn(lines.join(QLatin1Char(' '))))
        matches.append({offset, int32_t(m_pattern.size())});
    return cutAtLineEnds(lines, matches);
}

TextSearch::Outcome TextSearch::run(const QString &path, const PageIndex &index, int32_t firstPage, int32_t lastPage,
                                    const PageSink &sink, const std::atomic_bool *cancel, const QString &source) const
{
    Outcome outcome;
    // The index must know where the first page starts; the pages past it are
    // read on from there, so a search can run on an index still being built.
    const int32_t indexed = int32_t(std::min<qsizetype>(index.size(), std::numeric_limits<int32_t>::max()));
    firstPage = std::max(firstPage, 1);
    if (firstPage > lastPage || firstPage > indexed)
        return outcome;

    SpoolReader in(source);
    in.open(path);
    in.setEnd(m_end);
    if (firstPage > 1)
        in.seek(index[firstPage - 1]);

    int32_t page = firstPage;
    int32_t record = 0;
    QList<TextMatch> found;
    const auto stopped = [&](bool limited = false) {
        outcome.complete = false;
        outcome.limited = limited;
        return outcome;
    };
    // Ends the current page: the sink has it, the next one begins. False
    // when the sink wants no more.
    const auto endPage = [&] {
        outcome.matches += found.size();
        const bool more = sink(page, found);
        found.clear();
        record = 0;
        ++page;
        return more;
    };
    // The matches of one record's text: false when the search stops there
    // (the page so far has gone to the sink).
    Stop stop = Stop::None;
    const auto searchRecord = [&](TextMatch match, const auto &text, const std::function<QString()> &written) {
        if (m_query.isEmpty() || text.size() < m_pattern.size())
            return true;
        const qsizetype before = found.size();
        const qsizetype room =
            m_maxMatches >= 0 ? m_maxMatches - outcome.matches - before : std::numeric_limits<qsizetype>::max();
        match.length = int32_t(m_pattern.size());
        const auto take = [&](qsizetype at) {
            if (found.size() - before >= room)
                return false; // one past the limit: not taken
            match.offset = int32_t(at);
            found.append(match);
            return true;
        };
        if constexpr (std::is_same_v<std::decay_t<decltype(text)>, QByteArray>)
            stop = m_asciiQuery && isAsciiBytes(text) ? matchBytes(text, cancel, take)
                                                      : matchText(QString::fromUtf8(text), cancel, take);
        else
            stop = matchText(text, cancel, take);
        if (m_textSink && found.size() > before)
            m_textSink(page, match.record, written());
        if (stop == Stop::None)
            return true;
        outcome.matches += found.size();
        sink(page, found);
        return false;
    };

    QByteArray joined;
    const QString endExpected = QStringLiteral("\"%1\"").arg(QLatin1String(TagEndPrint));
    try {
        while (!in.atEnd()) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return stopped();
            const QByteArrayView tag = in.readLineView();
            if (tag == QByteArrayView(TagNewPage)) {
                if (!endPage())
                    return stopped();
                if (page > lastPage)
                    return outcome;
                continue;
            }
            if (tag == QByteArrayView(TagQtText)) {
                // A run of text a QPainter drew: one line, found where it
                // lies on the page.
                const PainterText run = readText(in);
                TextMatch match;
                match.page = page;
                match.record = record++;
                match.x = float(run.pageTwips.x());
                match.y = float(run.pageTwips.y());
                if (!searchRecord(match, run.text, [&] { return run.text; }))
                    return stopped(stop == Stop::Limit);
                continue;
            }
            if (tag != QByteArrayView(TagPrint))
                continue; // other records hold no text; their values are no tags

            // A text record, read as the replay reads it.
            LeggiAttributiFont(in);
            TextMatch match;
            match.page = page;
            match.record = record++;
            match.x = in.single("x");
            match.y = in.single("y");
            joined.clear();
            qint64 textBytes = 0;
            int32_t breaks = 0; // page break lines inside the text: pages that end within it
            for (bool first = true;; first = false) {
                const QByteArrayView line = in.readLineView(endExpected);
                if (line == QByteArrayView(TagEndPrint))
                    break;
                if (line == QByteArrayView(TagNewPage))
                    ++breaks;
                textBytes += line.size() + 2;
                if (textBytes > MaxTextBytes + 2)
                    in.fail(ErrOutOfMemory,
                            QCoreApplication::translate("qv::TextSearch", "testo oltre %1 byte senza \"%2\"")
                                .arg(MaxTextBytes)
                                .arg(QLatin1String(TagEndPrint)));
                if (!first)
                    joined += ' ';
                joined += line;
                if (cancel && cancel->load(std::memory_order_relaxed))
                    return stopped();
            }
            if (!searchRecord(match, joined, [&] { return QString::fromUtf8(joined); }))
                return stopped(stop == Stop::Limit);
            for (; breaks > 0; --breaks) {
                if (!endPage())
                    return stopped();
                if (page > lastPage)
                    return outcome;
            }
        }
    } catch (const Error &) {
        // A record still being written ends the whole lines: the search
        // ends there, as at the file's end.
        if (m_end < 0 || !in.endReached()) {
            // The page read so far is reported before the error goes on.
            if (page <= lastPage)
                sink(page, found);
            throw;
        }
    } catch (...) {
        if (page <= lastPage)
            sink(page, found);
        throw;
    }
    // The file ends: its last page ends with it, and so do the empty pages
    // that the index knows after it (a page count held to the index).
    if (page <= lastPage && !endPage())
        return stopped();
    while (page <= std::min(lastPage, indexed))
        if (!endPage())
            return stopped();
    return outcome;
}

QList<TextMatch> TextSearch::findAll(const Document &document, const QString &source) const
{
    QList<TextMatch> all;
    const PageIndex &index = document.pageIndex(source);
    run(
        document.path(), index, 1, int32_t(std::min<qsizetype>(index.size(), std::numeric_limits<int32_t>::max())),
        [&all](int32_t, const QList<TextMatch> &matches) {
            all.append(matches);
            return true;
        },
        nullptr, source);
    return all;
}

} // namespace qv::spool
