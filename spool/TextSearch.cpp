// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/TextSearch.h"

#include "spool/PainterRecords.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace qv::spool {

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

/// Turns the ASCII capitals of \a bytes to small letters in place; true when
/// every byte is ASCII (the text is then searched as bytes).
bool lowerAscii(QByteArray &bytes)
{
    char *d = bytes.data();
    unsigned char high = 0;
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(d[i]);
        high |= c;
        if (c >= 'A' && c <= 'Z')
            d[i] = char(c | 0x20);
    }
    return high < 0x80;
}

} // namespace

TextSearch::TextSearch(QString query) : m_query(std::move(query))
{
    m_asciiQuery = isAscii(m_query);
    if (m_asciiQuery) {
        m_asciiLower = m_query.toLatin1();
        lowerAscii(m_asciiLower);
    }
}

QList<int32_t> TextSearch::offsetsIn(QStringView text) const
{
    QList<int32_t> offsets;
    if (m_query.isEmpty())
        return offsets;
    for (qsizetype at = text.indexOf(m_query, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(m_query, at + m_query.size(), Qt::CaseInsensitive))
        offsets.append(int32_t(at));
    return offsets;
}

QList<LineSpan> TextSearch::spansIn(const QStringList &lines) const
{
    QList<LineSpan> spans;
    if (m_query.isEmpty())
        return spans;
    const QString joined = lines.join(QLatin1Char(' '));
    const qsizetype length = m_query.size();
    qsizetype line = 0;
    qsizetype lineStart = 0; // where lines[line] starts in the joined text
    for (const int32_t offset : offsetsIn(joined)) {
        const qsizetype end = offset + length;
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

void TextSearch::matchRecord(QByteArray &joined, bool ascii, TextMatch &match, QList<TextMatch> &out) const
{
    if (ascii && m_asciiQuery) {
        // Plain ASCII on both sides: byte offsets are character offsets.
        const QByteArrayView text(joined);
        const qsizetype length = m_asciiLower.size();
        for (qsizetype at = text.indexOf(m_asciiLower); at >= 0; at = text.indexOf(m_asciiLower, at + length)) {
            match.offset = int32_t(at);
            match.length = int32_t(length);
            out.append(match);
        }
        return;
    }
    const QString text = QString::fromUtf8(joined);
    match.length = int32_t(m_query.size());
    for (const int32_t offset : offsetsIn(text)) {
        match.offset = offset;
        out.append(match);
    }
}

bool TextSearch::run(const QString &path, const PageIndex &index, int32_t firstPage, int32_t lastPage,
                     const PageSink &sink, const std::atomic_bool *cancel, const QString &source) const
{
    // The index must know where the first page starts; the pages past it are
    // read on from there, so a search can run on an index still being built.
    const int32_t indexed = int32_t(std::min<qsizetype>(index.size(), std::numeric_limits<int32_t>::max()));
    firstPage = std::max(firstPage, 1);
    if (firstPage > lastPage || firstPage > indexed)
        return true;

    SpoolReader in(source);
    in.open(path);
    if (firstPage > 1)
        in.seek(index[firstPage - 1]);

    int32_t page = firstPage;
    int32_t record = 0;
    QList<TextMatch> found;
    // Ends the current page: the sink has it, the next one begins. False
    // when the sink wants no more.
    const auto endPage = [&] {
        const bool more = sink(page, found);
        found.clear();
        record = 0;
        ++page;
        return more;
    };

    QByteArray joined;
    const QString endExpected = QStringLiteral("\"%1\"").arg(QLatin1String(TagEndPrint));
    try {
        while (!in.atEnd()) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return false;
            const QByteArrayView tag = in.readLineView();
            if (tag == QByteArrayView(TagNewPage)) {
                if (!endPage())
                    return false;
                if (page > lastPage)
                    return true;
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
                if (!m_query.isEmpty() && run.text.size() >= m_query.size()) {
                    QByteArray bytes = run.text.toUtf8();
                    const bool ascii = lowerAscii(bytes);
                    const qsizetype before = found.size();
                    matchRecord(bytes, ascii, match, found);
                    if (m_keepText)
                        for (qsizetype i = before; i < found.size(); ++i)
                            found[i].text = run.text;
                }
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
            }
            // Every character of a match takes at least one byte of the text.
            if (!m_query.isEmpty() && joined.size() >= m_query.size()) {
                // The text as written, for the matches that carry it: the
                // search below turns capitals to small letters in place.
                const QByteArray written = m_keepText ? joined : QByteArray();
                const bool ascii = lowerAscii(joined);
                const qsizetype before = found.size();
                matchRecord(joined, ascii, match, found);
                if (m_keepText && found.size() > before) {
                    const QString recordText = QString::fromUtf8(written);
                    for (qsizetype i = before; i < found.size(); ++i)
                        found[i].text = recordText;
                }
            }
            for (; breaks > 0; --breaks) {
                if (!endPage())
                    return false;
                if (page > lastPage)
                    return true;
            }
        }
    } catch (...) {
        // The page read so far is reported before the error goes on.
        if (page <= lastPage)
            sink(page, found);
        throw;
    }
    // The file ends: its last page ends with it, and so do the empty pages
    // that the index knows after it (a page count held to the index).
    if (page <= lastPage && !endPage())
        return false;
    while (page <= std::min(lastPage, indexed))
        if (!endPage())
            return false;
    return true;
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
