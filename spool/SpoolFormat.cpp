// qvPreview - print preview for Qt applications.
#include "spool/SpoolFormat.h"

#include "spool/SpoolReader.h"
#include "spool/SpoolWriter.h"

#include <QString>

namespace qv::spool {

namespace {

constexpr const char *Tags[] = {TagPrint,  TagEndPrint, TagNewPage,   TagLine,   TagPSet,     TagCircle,
                                TagPaint,  TagQtPen,    TagQtBrush,   TagQtFont, TagQtMatrix, TagQtClip,
                                TagQtMode, TagQtPath,   TagQtPolygon, TagQtText, TagQtImage};

/// Every tag starts with '#', ends with '@' and is at least 6 characters long:
/// most lines are told apart without a comparison.
template <typename View>
bool mayBeTag(View line)
{
    return line.size() >= 6 && line.front() == '#' && line.back() == '@';
}

} // namespace

bool isTagLine(QStringView line)
{
    if (!mayBeTag(line))
        return false;
    for (const char *tag : Tags)
        if (line == QLatin1String(tag))
            return true;
    return false;
}

bool isTagLine(QByteArrayView line)
{
    if (!mayBeTag(line))
        return false;
    for (const char *tag : Tags)
        if (line == QByteArrayView(tag))
            return true;
    return false;
}

bool textFits(const QString &text)
{
    // The replay collects the lines (a LF, or CR LF, ends one) joined with CR
    // LF: count the UTF-8 bytes of that, never more than the limit allows. A
    // UTF-16 unit of a surrogate pair is counted as 3 bytes (its pair takes
    // 4), so the count errs on the safe side.
    static_assert(MaxTextBytes <= MaxLineBytes, "a text fits when its collected lines fit");
    qint64 total = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n') {
            total += 2;
            if (i > 0 && text.at(i - 1) == QLatin1Char('\r'))
                total -= 1; // the CR was counted and is part of the CR LF
        } else {
            total += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
        if (total > MaxTextBytes)
            return false;
    }
    return true;
}

QString guardTextLines(const QString &text)
{
    if (!text.contains(QLatin1Char('@')))
        return text;
    QString out;
    out.reserve(text.size() + 4);
    qsizetype start = 0;
    while (true) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype stop = lf < 0 ? text.size() : lf;
        QStringView line = QStringView(text).mid(start, stop - start);
        const bool cr = line.endsWith(QLatin1Char('\r'));
        const QStringView bare = cr ? line.chopped(1) : line;
        out += bare;
        if (isTagLine(bare))
            out += QLatin1Char(' ');
        if (cr)
            out += QLatin1Char('\r');
        if (lf < 0)
            break;
        out += QLatin1Char('\n');
        start = lf + 1;
    }
    return out;
}

void ScriviAttributiFont(Record &record, const FontLine &font)
{
    record.text(font.fontName)
        .integer(font.fontSize)
        .boolean(font.fontItalic)
        .boolean(font.fontBold)
        .boolean(font.fontUnderline)
        .boolean(font.fontStrikethru)
        .integer(font.foreColor)
        .boolean(font.fontTransparent)
        .endLine();
}

void ScriviAttributiTratto(Record &record, const StrokeLine &stroke)
{
    record.integer(stroke.foreColor)
        .integer(stroke.drawMode)
        .integer(stroke.drawWidth)
        .integer(stroke.drawStyle)
        .integer(stroke.fillColor)
        .integer(stroke.fillStyle)
        .endLine();
}

FontLine LeggiAttributiFont(SpoolReader &in)
{
    FontLine f;
    f.fontName = in.text("FontName");
    f.fontSize = in.integer("FontSize");
    f.fontItalic = in.boolean("FontItalic");
    f.fontBold = in.boolean("FontBold");
    f.fontUnderline = in.boolean("FontUnderline");
    f.fontStrikethru = in.boolean("FontStrikethru");
    f.foreColor = in.integer("ForeColor");
    f.fontTransparent = in.boolean("FontTransparent");
    return f;
}

StrokeLine LeggiAttributiTratto(SpoolReader &in)
{
    StrokeLine s;
    s.foreColor = in.integer("ForeColor");
    s.drawMode = in.integer("DrawMode");
    s.drawWidth = in.integer("DrawWidth");
    s.drawStyle = in.integer("DrawStyle");
    s.fillColor = in.integer("FillColor");
    s.fillStyle = in.integer("FillStyle");
    return s;
}

} // namespace qv::spool
