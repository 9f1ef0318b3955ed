// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/PainterRecords.h"

#include "spool/PictureFile.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"
#include "spool/SpoolWriter.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QGradient>

#include <algorithm>
#include <cmath>

namespace qv::spool {

namespace {

/// Values per line in long records: every line stays far below MaxLineBytes.
constexpr int ValuesPerLine = 48;

void writeColour(Record &r, const QColor &c)
{
    r.integer(int64_t(c.isValid() ? c.rgba() : 0u));
}

/// A whole number from \a lowest to \a highest, else error 6.
int32_t ranged(SpoolReader &in, const char *field, int32_t lowest, int32_t highest)
{
    const int32_t v = in.integer(field);
    if (v < lowest || v > highest)
        in.fail(ErrOverflow,
                QCoreApplication::translate("qv::PainterRecords", "valore fuori dall'intervallo ammesso per %1: %2 "
                                                                  "(ammessi da %3 a %4)")
                    .arg(QLatin1String(field))
                    .arg(v)
                    .arg(lowest)
                    .arg(highest));
    return v;
}

/// A count of items that follow, at most \a highest (else error 7).
int32_t count(SpoolReader &in, const char *field, int32_t highest)
{
    const int32_t n = in.integer(field);
    if (n < 0)
        in.fail(ErrOverflow, QCoreApplication::translate("qv::PainterRecords", "conteggio negativo per %1: %2")
                                 .arg(QLatin1String(field))
                                 .arg(n));
    if (n > highest)
        in.fail(ErrOutOfMemory,
                QCoreApplication::translate("qv::PainterRecords", "troppi elementi per %1: %2 (al più %3)")
                    .arg(QLatin1String(field))
                    .arg(n)
                    .arg(highest));
    return n;
}

QColor readColour(SpoolReader &in, const char *field)
{
    const double v = in.number(field);
    if (!(v >= 0 && v <= 4294967295.0) || v != std::floor(v))
        in.fail(ErrOverflow, QCoreApplication::translate("qv::PainterRecords",
                                                         "colore non valido per %1: %2 (ammessi da 0 a 4294967295, "
                                                         "alfa x 16777216 + rosso x 65536 + verde x 256 + blu)")
                                 .arg(QLatin1String(field))
                                 .arg(v, 0, 'g', 17));
    return QColor::fromRgba(QRgb(uint32_t(v)));
}

bool isGradient(Qt::BrushStyle s)
{
    return s == Qt::LinearGradientPattern || s == Qt::RadialGradientPattern || s == Qt::ConicalGradientPattern;
}

} // namespace

// --- Brush ---------------------------------------------------------------------------
// style, colour, m11, m12, m21, m22, dx, dy [, gradient]
// gradient: spread, coordinate mode, the coordinates (linear x1, y1, x2, y2;
// radial cx, cy, radius, fx, fy, focal radius; conical cx, cy, angle), the
// stop count, then position and colour of each stop.

void writeBrush(Record &r, const QBrush &brush, const QString &texture)
{
    Qt::BrushStyle style = brush.style();
    // A texture needs a picture file of its own: without one, its colour.
    if (style == Qt::TexturePattern && texture.isEmpty())
        style = Qt::SolidPattern;
    r.integer(style);
    writeColour(r, brush.color());
    const QTransform &t = brush.transform();
    r.real(t.m11()).real(t.m12()).real(t.m21()).real(t.m22()).real(t.dx()).real(t.dy());
    if (style == Qt::TexturePattern)
        r.text(texture);
    if (const QGradient *g = brush.gradient(); g && isGradient(style)) {
        r.integer(g->spread()).integer(g->coordinateMode());
        if (g->type() == QGradient::LinearGradient) {
            const auto *l = static_cast<const QLinearGradient *>(g);
            r.real(l->start().x()).real(l->start().y()).real(l->finalStop().x()).real(l->finalStop().y());
        } else if (g->type() == QGradient::RadialGradient) {
            const auto *rg = static_cast<const QRadialGradient *>(g);
            r.real(rg->center().x()).real(rg->center().y()).real(rg->centerRadius());
            r.real(rg->focalPoint().x()).real(rg->focalPoint().y()).real(rg->focalRadius());
        } else {
            const auto *c = static_cast<const QConicalGradient *>(g);
            r.real(c->center().x()).real(c->center().y()).real(c->angle());
        }
        const QGradientStops stops = g->stops();
        r.integer(std::min<qsizetype>(stops.size(), MaxPainterStops));
        for (qsizetype i = 0; i < stops.size() && i < MaxPainterStops; ++i) {
            r.real(stops[i].first);
            writeColour(r, stops[i].second);
        }
    }
    r.endLine();
}

QBrush readBrush(SpoolReader &in)
{
    const int32_t style = ranged(in, "stile del pennello", 0, Qt::TexturePattern);
    if (style > Qt::ConicalGradientPattern && style != Qt::TexturePattern)
        in.fail(ErrOverflow,
                QCoreApplication::translate("qv::PainterRecords", "valore fuori dall'intervallo ammesso per %1: %2 "
                                                                  "(ammessi da %3 a %4)")
                    .arg(QLatin1String("stile del pennello"))
                    .arg(style)
                    .arg(0)
                    .arg(int(Qt::TexturePattern)));
    const QColor colour = readColour(in, "colore del pennello");
    const double m11 = in.number("m11"), m12 = in.number("m12"), m21 = in.number("m21"), m22 = in.number("m22");
    const double dx = in.number("dx"), dy = in.number("dy");
    const QTransform transform(m11, m12, m21, m22, dx, dy);
    if (style == Qt::TexturePattern) {
        const QString path = in.text("il percorso della trama");
        QString why;
        PictureData::LoadError kind = PictureData::LoadError::None;
        const std::optional<PictureData> picture = PictureData::load(path, &why, &kind, {QSize(), MaxTextureBytes});
        if (kind == PictureData::LoadError::NotFound || path.isEmpty())
            in.fail(
                ErrFileNotFound,
                QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)").arg(path, why));
        if (kind == PictureData::LoadError::TooLarge)
            in.fail(ErrOutOfMemory,
                    QCoreApplication::translate("qv::LetturaDati", "pagina troppo grande: immagine \"%1\" (%2)")
                        .arg(path, why));
        if (!picture || picture->isVector() || picture->image().isNull())
            in.fail(
                ErrInvalidPicture,
                QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)").arg(path, why));
        QBrush brush(picture->image());
        brush.setColor(colour);
        brush.setTransform(transform);
        return brush;
    }
    if (!isGradient(Qt::BrushStyle(style))) {
        QBrush brush(colour, Qt::BrushStyle(style));
        brush.setTransform(transform);
        return brush;
    }
    const int32_t spread = ranged(in, "estensione del gradiente", 0, QGradient::RepeatSpread);
    const int32_t mode = ranged(in, "coordinate del gradiente", 0, QGradient::ObjectMode);
    QGradient gradient;
    if (style == Qt::LinearGradientPattern) {
        const double x1 = in.number("x1"), y1 = in.number("y1"), x2 = in.number("x2"), y2 = in.number("y2");
        gradient = QLinearGradient(x1, y1, x2, y2);
    } else if (style == Qt::RadialGradientPattern) {
        const double cx = in.number("cx"), cy = in.number("cy"), radius = in.number("raggio");
        const double fx = in.number("fx"), fy = in.number("fy"), focal = in.number("raggio focale");
        gradient = QRadialGradient(QPointF(cx, cy), radius, QPointF(fx, fy), focal);
    } else {
        const double cx = in.number("cx"), cy = in.number("cy"), angle = in.number("angolo");
        gradient = QConicalGradient(cx, cy, angle);
    }
    gradient.setSpread(QGradient::Spread(spread));
    gradient.setCoordinateMode(QGradient::CoordinateMode(mode));
    const int32_t n = count(in, "fermate del gradiente", MaxPainterStops);
    QGradientStops stops;
    for (int32_t i = 0; i < n; ++i) {
        const double at = in.number("posizione della fermata");
        const QColor c = readColour(in, "colore della fermata");
        // Qt ignores a stop outside 0..1: so does the replay, quietly.
        if (at >= 0 && at <= 1)
            stops.append({at, c});
    }
    gradient.setStops(stops);
    QBrush brush(gradient);
    brush.setTransform(transform);
    return brush;
}

// --- Pen -------------------------------------------------------------------------------
// style, width, cap, join, miter limit, cosmetic, dash offset, dash count,
// the dashes, then the pen's brush (as a brush record's values).

void writePen(Record &r, const QPen &pen, const QString &texture)
{
    r.integer(pen.style()).real(pen.widthF()).integer(pen.capStyle()).integer(pen.joinStyle());
    r.real(pen.miterLimit()).boolean(pen.isCosmetic()).real(pen.dashOffset());
    const QList<qreal> dashes = pen.style() == Qt::CustomDashLine ? pen.dashPattern() : QList<qreal>();
    r.integer(std::min<qsizetype>(dashes.size(), MaxPainterStops));
    for (qsizetype i = 0; i < dashes.size() && i < MaxPainterStops; ++i)
        r.real(dashes[i]);
    r.endLine();
    writeBrush(r, pen.brush(), texture);
}

QPen readPen(SpoolReader &in)
{
    const int32_t style = ranged(in, "stile della penna", 0, Qt::CustomDashLine);
    const double width = in.number("spessore della penna");
    const int32_t cap = in.integer("estremità della penna");
    const int32_t join = in.integer("giunzione della penna");
    if (cap != Qt::FlatCap && cap != Qt::SquareCap && cap != Qt::RoundCap)
        in.fail(ErrOverflow, QCoreApplication::translate("qv::PainterRecords",
                                                         "estremità della penna non valida: %1 (ammesse 0, 16, 32)")
                                 .arg(cap));
    if (join != Qt::MiterJoin && join != Qt::BevelJoin && join != Qt::RoundJoin && join != Qt::SvgMiterJoin)
        in.fail(ErrOverflow, QCoreApplication::translate(
                                 "qv::PainterRecords", "giunzione della penna non valida: %1 (ammesse 0, 64, 128, 256)")
                                 .arg(join));
    const double miter = in.number("limite dello spigolo");
    const bool cosmetic = in.boolean("penna cosmetica");
    const double offset = in.number("inizio del tratteggio");
    const int32_t n = count(in, "trattini", MaxPainterStops);
    QList<qreal> dashes;
    for (int32_t i = 0; i < n; ++i)
        dashes.append(std::fabs(in.number("trattino")));
    QPen pen(readBrush(in), std::max(0.0, width), Qt::PenStyle(style));
    pen.setCapStyle(Qt::PenCapStyle(cap));
    pen.setJoinStyle(Qt::PenJoinStyle(join));
    pen.setMiterLimit(miter);
    pen.setCosmetic(cosmetic);
    if (style == Qt::CustomDashLine) {
        // A pattern of an odd length, or all gaps, is drawn solid.
        double ink = 0;
        for (qreal d : dashes)
            ink += d;
        if (dashes.size() >= 2 && dashes.size() % 2 == 0 && ink > 0)
            pen.setDashPattern(dashes);
        else
            pen.setStyle(Qt::SolidLine);
    }
    pen.setDashOffset(offset);
    return pen;
}

// --- Font -----------------------------------------------------------------------------
// "family", "style name", pixels, weight, style, underline, overline,
// strike-out, stretch, letter spacing type, letter spacing, word spacing,
// capitalization, kerning

void writeFont(Record &r, const PainterFont &f)
{
    const QFont &font = f.font;
    r.text(font.family()).text(font.styleName()).real(f.pixels).integer(font.weight()).integer(font.style());
    r.boolean(font.underline()).boolean(font.overline()).boolean(font.strikeOut()).integer(font.stretch());
    r.integer(font.letterSpacingType()).real(font.letterSpacing()).real(font.wordSpacing());
    r.integer(font.capitalization()).boolean(font.kerning()).endLine();
}

PainterFont readFont(SpoolReader &in)
{
    PainterFont f;
    f.font.setFamily(in.text("famiglia del carattere"));
    const QString styleName = in.text("stile del carattere");
    if (!styleName.isEmpty())
        f.font.setStyleName(styleName);
    f.pixels = in.number("dimensione del carattere");
    if (!(f.pixels > 0))
        in.fail(ErrOverflow, QCoreApplication::translate(
                                 "qv::PainterRecords", "dimensione del carattere non valida: %1 (deve essere oltre 0)")
                                 .arg(f.pixels));
    f.font.setWeight(QFont::Weight(ranged(in, "peso del carattere", 1, 1000)));
    f.font.setStyle(QFont::Style(ranged(in, "corsivo", 0, QFont::StyleOblique)));
    f.font.setUnderline(in.boolean("sottolineato"));
    f.font.setOverline(in.boolean("sopralineato"));
    f.font.setStrikeOut(in.boolean("barrato"));
    f.font.setStretch(ranged(in, "larghezza del carattere", 0, 4000));
    const int32_t spacingType = ranged(in, "tipo di spaziatura", 0, QFont::AbsoluteSpacing);
    const double spacing = in.number("spaziatura delle lettere");
    f.font.setLetterSpacing(QFont::SpacingType(spacingType), spacing);
    f.font.setWordSpacing(in.number("spaziatura delle parole"));
    f.font.setCapitalization(QFont::Capitalization(ranged(in, "maiuscole", 0, QFont::Capitalize)));
    f.font.setKerning(in.boolean("crenatura"));
    return f;
}

// --- Matrix ---------------------------------------------------------------------------
// m11, m12, m13, m21, m22, m23, m31 (dx), m32 (dy), m33

void writeMatrix(Record &r, const QTransform &m)
{
    r.real(m.m11()).real(m.m12()).real(m.m13()).real(m.m21()).real(m.m22()).real(m.m23());
    r.real(m.m31()).real(m.m32()).real(m.m33()).endLine();
}

QTransform readMatrix(SpoolReader &in)
{
    double v[9];
    static const char *const names[9] = {"m11", "m12", "m13", "m21", "m22", "m23", "m31", "m32", "m33"};
    for (int i = 0; i < 9; ++i)
        v[i] = in.number(names[i]);
    return QTransform(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
}

// --- Paths ----------------------------------------------------------------------------
// fill rule (0 odd-even, 1 winding), command count, then each command:
// 0 x, y (move to), 1 x, y (line to), 2 x1, y1, x2, y2, x, y (curve to).

void writePath(Record &r, const QPainterPath &path)
{
    r.integer(path.fillRule() == Qt::WindingFill ? 1 : 0);
    int commands = 0;
    for (int i = 0; i < path.elementCount(); ++i)
        if (path.elementAt(i).type != QPainterPath::CurveToDataElement)
            ++commands;
    r.integer(commands).endLine();
    int onLine = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement || e.type == QPainterPath::LineToElement) {
            r.integer(e.type == QPainterPath::MoveToElement ? 0 : 1).real(e.x).real(e.y);
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            r.integer(2).real(e.x).real(e.y).real(c2.x).real(c2.y).real(end.x).real(end.y);
            i += 2;
        } else {
            // A curve cut short (no path makes one): a line to its point.
            r.integer(1).real(e.x).real(e.y);
        }
        if (++onLine == ValuesPerLine / 4) {
            r.endLine();
            onLine = 0;
        }
    }
    r.endLine();
}

QPainterPath readPath(SpoolReader &in)
{
    QPainterPath path;
    path.setFillRule(ranged(in, "regola di riempimento", 0, 1) ? Qt::WindingFill : Qt::OddEvenFill);
    const int32_t n = count(in, "comandi del tracciato", MaxPainterPoints);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t kind = ranged(in, "comando del tracciato", 0, 2);
        if (kind == 2) {
            const double x1 = in.number("x1"), y1 = in.number("y1"), x2 = in.number("x2"), y2 = in.number("y2");
            const double x = in.number("x"), y = in.number("y");
            path.cubicTo(x1, y1, x2, y2, x, y);
            continue;
        }
        const double x = in.number("x"), y = in.number("y");
        if (kind == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    return path;
}

bool readClip(SpoolReader &in, QPainterPath &clipTwips)
{
    if (!in.boolean("ritaglio attivo"))
        return false;
    clipTwips = readPath(in);
    return true;
}

void writeClip(Record &r, bool enabled, const QPainterPath &clipTwips)
{
    r.boolean(enabled).endLine();
    if (enabled)
        writePath(r, clipTwips);
}

// --- Polygons --------------------------------------------------------------------------
// kind (PolygonKind), point count, then x, y of each point.

void writePolygon(Record &r, PolygonKind kind, const QPointF *points, int n)
{
    r.integer(int32_t(kind)).integer(n).endLine();
    for (int i = 0; i < n; ++i) {
        r.real(points[i].x()).real(points[i].y());
        if ((i + 1) % (ValuesPerLine / 2) == 0)
            r.endLine();
    }
    r.endLine();
}

PolygonKind readPolygon(SpoolReader &in, QPolygonF &points)
{
    const auto kind = PolygonKind(ranged(in, "tipo di poligono", 0, int32_t(PolygonKind::Points)));
    const int32_t n = count(in, "punti del poligono", MaxPainterPoints);
    points.clear();
    for (int32_t i = 0; i < n; ++i) {
        const double x = in.number("x");
        points.append(QPointF(x, in.number("y")));
    }
    return kind;
}

// --- Mode -------------------------------------------------------------------------------
// opacity, composition mode, render hints, opaque background, background
// colour, brush origin x, y

void writeMode(Record &r, const PainterMode &m)
{
    r.real(m.opacity).integer(m.composition).integer(m.hints).boolean(m.opaqueBackground);
    writeColour(r, m.background);
    r.real(m.brushOrigin.x()).real(m.brushOrigin.y()).endLine();
}

PainterMode readMode(SpoolReader &in)
{
    PainterMode m;
    m.opacity = std::clamp(in.number("opacità"), 0.0, 1.0);
    m.composition = ranged(in, "composizione", 0, 39);
    m.hints = ranged(in, "suggerimenti di disegno", 0, 0xff);
    m.opaqueBackground = in.boolean("sfondo opaco");
    m.background = readColour(in, "colore dello sfondo");
    const double x = in.number("origine del pennello x");
    m.brushOrigin = QPointF(x, in.number("origine del pennello y"));
    return m;
}

// --- Text -------------------------------------------------------------------------------
// page x, page y (twips), x, y (the baseline's start), flags, then one line:
// ">" and the text.

void writeText(Record &r, const PainterText &t)
{
    r.real(t.pageTwips.x()).real(t.pageTwips.y()).real(t.position.x()).real(t.position.y()).integer(t.flags);
    r.endLine();
    QString line = t.text;
    for (QChar &c : line)
        if (c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char(' ');
    // The ">" keeps the line from ever reading as a tag.
    r.rawLine(QLatin1Char('>') + line);
}

PainterText readText(SpoolReader &in)
{
    PainterText t;
    const double px = in.number("x della pagina"), py = in.number("y della pagina");
    t.pageTwips = QPointF(px, py);
    const double x = in.number("x"), y = in.number("y");
    t.position = QPointF(x, y);
    t.flags = ranged(in, "opzioni del testo", 0, 0x7f);
    const QByteArrayView line = in.readLineView(QStringLiteral("\">\" e il testo"));
    if (!line.startsWith('>'))
        in.fail(ErrTypeMismatch,
                QCoreApplication::translate("qv::PainterRecords",
                                            "attesa una riga di testo che inizi con \">\", trovato \"%1\"")
                    .arg(QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 40)))));
    t.text = QString::fromUtf8(line.sliced(1));
    return t;
}

// --- Images -----------------------------------------------------------------------------
// "path", target x, y, width, height, source x, y, width, height, tiled

void writeImage(Record &r, const PainterImage &i)
{
    r.text(i.path).real(i.target.x()).real(i.target.y()).real(i.target.width()).real(i.target.height());
    r.real(i.source.x()).real(i.source.y()).real(i.source.width()).real(i.source.height()).boolean(i.tiled).endLine();
}

PainterImage readImage(SpoolReader &in)
{
    PainterImage i;
    i.path = in.text("il percorso dell'immagine");
    double v[8];
    static const char *const names[8] = {"x",
                                         "y",
                                         "larghezza",
                                         "altezza",
                                         "x della sorgente",
                                         "y della sorgente",
                                         "larghezza della sorgente",
                                         "altezza della sorgente"};
    for (int k = 0; k < 8; ++k)
        v[k] = in.number(names[k]);
    i.target = QRectF(v[0], v[1], v[2], v[3]);
    i.source = QRectF(v[4], v[5], v[6], v[7]);
    i.tiled = in.boolean("affiancata");
    return i;
}

} // namespace qv::spool
