// SPDX-License-Identifier: MIT
// libFuzzer target: find over any spool file with any query. The input is
// one byte of options (bit 0: match case, bit 1: whole words, bits 2-7: a
// match limit, 0 for none), the query up to the first line feed, and the
// rest as the spool file. The search must end with its matches or a
// qv::Error, never a crash or a hang; every match must lie in its record's
// text, in order and not overlapping; with the case counting, the matches
// of each record must be those a plain comparison at every place finds;
// the limit must hold; and the stretches on the drawn lines must lie on
// them.
#include "spool/Document.h"
#include "spool/TextSearch.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QString spoolPath;

bool wordChar(QStringView text, qsizetype at)
{
    char32_t c = text[at].unicode();
    if (text[at].isLowSurrogate() && at > 0 && text[at - 1].isHighSurrogate())
        c = QChar::surrogateToUcs4(text[at - 1], text[at]);
    else if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(text[at], text[at + 1]);
    return c == U'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

/// The matches a plain comparison finds at every place, the leftmost first.
QList<int32_t> reference(QStringView text, const QString &query, bool wholeWords)
{
    QList<int32_t> out;
    for (qsizetype at = 0; at + query.size() <= text.size();) {
        const bool here = text.mid(at, query.size()) == query
                          && (!wholeWords
                              || ((at == 0 || !wordChar(text, at - 1))
                                  && (at + query.size() == text.size() || !wordChar(text, at + query.size()))));
        if (here) {
            out.append(int32_t(at));
            at += query.size();
        } else {
            ++at;
        }
    }
    return out;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    const QString folder = QDir::tempPath() + QStringLiteral("/qv-fuzz-find");
    QDir().mkpath(folder);
    spoolPath = folder + QStringLiteral("/spool-%1.tmp").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const char *begin = reinterpret_cast<const char *>(data + 1);
    const char *end = reinterpret_cast<const char *>(data + size);
    const char *newline = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin)));
    if (!newline)
        return 0;
    const QString query = QString::fromUtf8(begin, newline - begin);
    {
        QFile file(spoolPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(newline + 1, end - newline - 1);
    }
    qv::spool::FindOptions options;
    options.matchCase = flags & 1;
    options.wholeWords = flags & 2;
    const qsizetype limit = flags >> 2;
    qv::spool::TextSearch search(query, options);
    if (limit > 0)
        search.setMaxMatches(limit);
    // The text of each matched record of the page on hand, by record.
    QList<std::pair<int32_t, QString>> texts;
    search.setTextSink([&](int32_t, int32_t record, const QString &text) { texts.append({record, text}); });
    qsizetype total = 0;
    const auto sink = [&](int32_t, const QList<qv::spool::TextMatch> &matches) {
        total += matches.size();
        qsizetype m = 0;
        for (const auto &[record, text] : std::as_const(texts)) {
            QList<int32_t> offsets;
            QList<std::pair<int32_t, int32_t>> spans;
            int32_t lastEnd = 0;
            for (; m < matches.size() && matches[m].record == record; ++m) {
                const qv::spool::TextMatch &match = matches[m];
                check(match.length == query.size());
                check(match.offset >= lastEnd && qsizetype(match.offset) + match.length <= text.size());
                lastEnd = match.offset + match.length;
                offsets.append(match.offset);
                spans.append({match.offset, match.length});
            }
            check(!offsets.isEmpty()); // a text only for a record with a match
            const bool cut = limit > 0 && total >= limit && m == matches.size();
            if (options.matchCase && !cut)
                check(offsets == reference(text, query, options.wholeWords));
            if (!options.matchCase && !options.wholeWords && !cut)
                check(offsets == search.offsetsIn(text));
            // The stretches on the drawn lines lie on them.
            const QStringList lines = text.split(QLatin1Char(' '));
            for (const qv::spool::LineSpan &span : qv::spool::TextSearch::cutAtLineEnds(lines, spans))
                check(span.line < lines.size() && span.start >= 0 && span.length > 0
                      && qsizetype(span.start) + span.length <= lines[span.line].size());
        }
        check(m == matches.size()); // every match had its record's text
        texts.clear();
        return true;
    };
    try {
        const qv::spool::PageIndex index = qv::spool::buildPageIndex(spoolPath, QStringLiteral("Fuzz"));
        const qv::spool::TextSearch::Outcome outcome =
            search.run(spoolPath, index, 1, int32_t(std::min<qsizetype>(index.size(), 1 << 20)), sink);
        check(limit == 0 ? !outcome.limited : total <= limit);
        check(outcome.matches == total);
    } catch (const qv::Error &) {
    }
    return 0;
}
