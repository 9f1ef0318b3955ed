// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/SpoolFormat.h"

#include "spool/SpoolReader.h"
#include "spool/SpoolWriter.h"

#include <QCoreApplication>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace qv::spool {

namespace {

constexpr double TwipsPerMm = 1440 / 25.4;

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

bool writableAsText(const QString &path)
{
    for (QChar c : path)
        if (c == QLatin1Char('"') || c.unicode() < 32)
            return false;
    return true;
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

void writeField(Record &record, const FieldLine &field)
{
    record.single(field.x).single(field.width).integer(field.cut).endLine();
}

FieldLine readField(SpoolReader &in)
{
    FieldLine f;
    f.x = in.single("x del campo");
    f.width = in.single("larghezza del campo");
    f.cut = in.integer("caratteri tagliati");
    if (!(f.width >= 0) || f.cut < 0)
        in.fail(ErrOverflow,
                QCoreApplication::translate("qv::LetturaDati", "campo di %1 twip con %2 caratteri tagliati "
                                                               "(ammessi valori non negativi)")
                    .arg(double(f.width))
                    .arg(f.cut));
    return f;
}

QString pageLayoutProblem(const QPageLayout &layout)
{
    if (!layout.isValid() || !layout.pageSize().isValid())
        return QCoreApplication::translate("qv::LetturaDati", "formato di pagina non valido");
    const QRectF full = layout.fullRect(QPageLayout::Millimeter);
    const double w = full.width() * TwipsPerMm;
    const double h = full.height() * TwipsPerMm;
    if (!(w > 0 && h > 0 && w <= MaxPageSideTwips && h <= MaxPageSideTwips))
        return QCoreApplication::translate("qv::LetturaDati", "pagina di %1 x %2 twip (ammessi da 1 a %3 per lato)")
            .arg(w, 0, 'f', 0)
            .arg(h, 0, 'f', 0)
            .arg(MaxPageSideTwips, 0, 'f', 0);
    const QMarginsF m = layout.margins(QPageLayout::Millimeter) * TwipsPerMm;
    if (!(m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0) || !(m.left() + m.right() < w)
        || !(m.top() + m.bottom() < h))
        return QCoreApplication::translate("qv::LetturaDati",
                                           "margini %1, %2, %3, %4 twip su una pagina di %5 x %6 twip: "
                                           "non negativi e con spazio per disegnare")
            .arg(m.left(), 0, 'f', 0)
            .arg(m.top(), 0, 'f', 0)
            .arg(m.right(), 0, 'f', 0)
            .arg(m.bottom(), 0, 'f', 0)
            .arg(w, 0, 'f', 0)
            .arg(h, 0, 'f', 0);
    return QString();
}

void writePageLayout(Record &record, const QPageLayout &layout)
{
    // Millimetres are Qt's exact unit for the standard papers (its points
    // are rounded to whole ones).
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter) * TwipsPerMm;
    const QMarginsF m = layout.margins(QPageLayout::Millimeter) * TwipsPerMm;
    record.single(float(paper.width()))
        .single(float(paper.height()))
        .integer(layout.orientation() == QPageLayout::Landscape ? 1 : 0)
        .single(float(m.left()))
        .single(float(m.top()))
        .single(float(m.right()))
        .single(float(m.bottom()))
        .endLine();
}

QPageLayout readPageLayout(SpoolReader &in)
{
    const float width = in.single("larghezza della carta");
    const float height = in.single("altezza della carta");
    const int32_t orientation = in.integer("orientamento");
    const float left = in.single("margine sinistro");
    const float top = in.single("margine superiore");
    const float right = in.single("margine destro");
    const float bottom = in.single("margine inferiore");
    const auto refuse = [&in](const QString &what) {
        in.fail(ErrInvalidFileFormat,
                QCoreApplication::translate("qv::LetturaDati", "formato di pagina non valido: %1").arg(what));
    };
    if (!(width > 0 && height > 0 && width <= MaxPageSideTwips && height <= MaxPageSideTwips))
        refuse(QCoreApplication::translate("qv::LetturaDati", "carta di %1 x %2 twip (ammessi da 1 a %3 per lato)")
                   .arg(double(width))
                   .arg(double(height))
                   .arg(MaxPageSideTwips));
    if (orientation != 0 && orientation != 1)
        refuse(QCoreApplication::translate("qv::LetturaDati", "orientamento %1 (ammessi 0 verticale, 1 orizzontale)")
                   .arg(orientation));
    if (!(left >= 0 && top >= 0 && right >= 0 && bottom >= 0))
        refuse(QCoreApplication::translate("qv::LetturaDati", "margini %1, %2, %3, %4 twip (non negativi)")
                   .arg(double(left))
                   .arg(double(top))
                   .arg(double(right))
                   .arg(double(bottom)));
    const QPageLayout layout(QPageSize(QSizeF(width, height) / TwipsPerMm, QPageSize::Millimeter),
                             orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(left, top, right, bottom) / TwipsPerMm, QPageLayout::Millimeter);
    const QString problem = pageLayoutProblem(layout);
    if (!problem.isEmpty())
        refuse(problem);
    return layout;
}

std::optional<QPageLayout> pageLayoutAt(const QString &path, qint64 start, const QString &source)
{
    SpoolReader in(source);
    in.open(path);
    if (start != 1)
        in.seek(start);
    if (in.atEnd() || in.readLineView() != QByteArrayView(TagPage))
        return std::nullopt;
    return readPageLayout(in);
}

} // namespace qv::spool
