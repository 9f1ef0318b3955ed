// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "util/FileIni.h"

#include <QByteArrayView>

namespace qv::FileIni {

namespace {

constexpr QByteArrayView Bom("\xEF\xBB\xBF");

/// One line of the file: its content [begin, end) without the line end, and
/// where the next line begins.
struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool ended = false; ///< the line ends with a line feed (the last one may not)
};

enum class Kind { Blank, Comment, Section, Entry };

struct Parsed
{
    Kind kind = Kind::Blank;
    QByteArrayView name;   ///< section or key name, without surrounding white space
    qsizetype equals = -1; ///< offset of "=" within the line content; -1 for an entry without a value
    qsizetype nameEnd = 0; ///< offset after the key's last character
};

Parsed parse(QByteArrayView content)
{
    Parsed p;
    const QByteArrayView text = content.trimmed();
    if (text.isEmpty())
        return p;
    const char first = text.front();
    if (first == ';' || first == '#') {
        p.kind = Kind::Comment;
        return p;
    }
    if (first == '[') {
        const qsizetype close = text.indexOf(']');
        if (close > 0) {
            p.kind = Kind::Section;
            p.name = text.sliced(1, close - 1).trimmed();
            return p;
        }
    }
    p.kind = Kind::Entry;
    p.equals = content.indexOf('=');
    const QByteArrayView before = p.equals < 0 ? content : content.first(p.equals);
    p.name = before.trimmed();
    p.nameEnd = p.name.isEmpty() ? 0 : (p.name.data() - content.data()) + p.name.size();
    return p;
}

/// Calls \a visit(line, parsed) for every line until it returns false.
template <typename Visit>
void forEachLine(const QByteArray &contents, Visit visit)
{
    const qsizetype size = contents.size();
    qsizetype pos = contents.startsWith(Bom) ? Bom.size() : 0;
    while (pos < size) {
        const qsizetype feed = contents.indexOf('\n', pos);
        Line line;
        line.begin = pos;
        line.next = feed < 0 ? size : feed + 1;
        line.end = feed < 0 ? size : feed;
        line.ended = feed >= 0;
        if (line.end > line.begin && contents.at(line.end - 1) == '\r')
            --line.end;
        const QByteArrayView content(contents.constData() + line.begin, line.end - line.begin);
        if (!visit(line, parse(content)))
            return;
        pos = line.next;
    }
}

/// The text of a name or value. A byte-order mark is only skipped before the
/// first line; inside a line it is a character like any other (fromUtf8()
/// would drop one at the start of each name).
QString decoded(QByteArrayView bytes)
{
    QString text;
    while (bytes.startsWith(Bom)) {
        text += QChar(0xFEFF);
        bytes = bytes.sliced(Bom.size());
    }
    return text + QString::fromUtf8(bytes);
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

bool sameName(QByteArrayView name, const QString &wanted)
{
    // Most names are ASCII: compared as they are, without a decoded copy.
    if (isAscii(name))
        return wanted.compare(QLatin1StringView(name.data(), name.size()), Qt::CaseInsensitive) == 0;
    return decoded(name).compare(wanted, Qt::CaseInsensitive) == 0;
}

/// Where the key is, or where a new entry for it would go.
struct Scan
{
    bool found = false;
    Line entry;    ///< the key's line
    Parsed parsed; ///< what it holds
    bool sectionFound = false;
    qsizetype insertAt = -1;       ///< after the first matching section's last entry (or its header)
    bool insertNeedsBreak = false; ///< that line has no line end (last line of the file)
};

Scan scan(const QByteArray &contents, const QString &section, const QString &key)
{
    Scan s;
    bool inWanted = false;
    bool inFirstWanted = false;
    forEachLine(contents, [&](const Line &line, const Parsed &p) {
        if (p.kind == Kind::Section) {
            inWanted = sameName(p.name, section);
            inFirstWanted = inWanted && !s.sectionFound;
            if (inFirstWanted) {
                s.sectionFound = true;
                s.insertAt = line.next;
                s.insertNeedsBreak = !line.ended;
            }
            return true;
        }
        if (p.kind != Kind::Entry || !inWanted)
            return true;
        if (sameName(p.name, key)) {
            s.found = true;
            s.entry = line;
            s.parsed = p;
            return false;
        }
        if (inFirstWanted) {
            s.insertAt = line.next;
            s.insertNeedsBreak = !line.ended;
        }
        return true;
    });
    return s;
}

QByteArray lineBreakOf(const QByteArray &contents)
{
    const qsizetype feed = contents.indexOf('\n');
    return feed > 0 && contents.at(feed - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

} // namespace

bool nomiValidi(const QString &section, const QString &key, const QString &value)
{
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    auto breaks = [](const QString &text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    };
    if (s.isEmpty() || k.isEmpty() || breaks(s) || breaks(k) || breaks(value))
        return false;
    if (s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')))
        return false;
    const QChar first = k.front();
    return first != QLatin1Char(';') && first != QLatin1Char('#') && first != QLatin1Char('[');
}

std::optional<QString> leggi(const QByteArray &contents, const QString &section, const QString &key)
{
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || k.isEmpty())
        return std::nullopt;
    const Scan found = scan(contents, s, k);
    if (!found.found)
        return std::nullopt;
    if (found.parsed.equals < 0)
        return QString();
    const QByteArrayView value(contents.constData() + found.entry.begin + found.parsed.equals + 1,
                               found.entry.end - found.entry.begin - found.parsed.equals - 1);
    return decoded(value.trimmed());
}

std::optional<QByteArray> scrivi(const QByteArray &contents, const QString &section, const QString &key,
                                 const QString &value)
{
    if (!nomiValidi(section, key, value))
        return std::nullopt;
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    const Scan found = scan(contents, s, k);
    const QByteArray utf8Value = value.toUtf8();
    QByteArray result = contents;
    if (found.found) {
        // Keep the key as the user wrote it, with its spacing around "=".
        qsizetype from = found.parsed.equals >= 0 ? found.entry.begin + found.parsed.equals + 1
                                                  : found.entry.begin + found.parsed.nameEnd;
        if (found.parsed.equals >= 0)
            while (from < found.entry.end && (contents.at(from) == ' ' || contents.at(from) == '\t'))
                ++from;
        const QByteArray replacement = found.parsed.equals >= 0 ? utf8Value : '=' + utf8Value;
        result.replace(from, found.entry.end - from, replacement);
        return result;
    }
    const QByteArray lineBreak = lineBreakOf(contents);
    const QByteArray entry = k.toUtf8() + '=' + utf8Value + lineBreak;
    if (found.sectionFound) {
        result.insert(found.insertAt, found.insertNeedsBreak ? lineBreak + entry : entry);
        return result;
    }
    const bool hasBody = contents.size() > (contents.startsWith(Bom) ? Bom.size() : 0);
    if (hasBody) {
        if (!contents.endsWith('\n'))
            result += lineBreak;
        result += lineBreak; // a blank line before the new section
    }
    result += '[' + s.toUtf8() + ']' + lineBreak + entry;
    return result;
}

} // namespace qv::FileIni
