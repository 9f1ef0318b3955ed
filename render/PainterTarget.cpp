// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/PainterTarget.h"

#include "render/PainterOp.h"
#include "render/TextHighlight.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qv {

namespace {

QColor rgb(int32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QColor inverted(const QColor &c)
{
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

double limited(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -PainterTarget::CoordinateLimit, PainterTarget::CoordinateLimit);
}

double limitedLength(double v)
{
    return std::min(std::fabs(limited(v)), PainterTarget::CoordinateLimit);
}

constexpr double TwoPi = 2 * std::numbers::pi;

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

/// An angle of an arc, made positive and brought into [0, 2 pi).
double normalisedAngle(double radians)
{
    double a = std::fmod(std::fabs(radians), TwoPi);
    return a < 0 ? a + TwoPi : a;
}

} // namespace

/// One figure drawn in the current DrawMode. Modes that do not depend on what
/// lies beneath (1 black, 4 inverted pen, 13 copy, 16 white) become a colour;
/// the others become Qt's raster operations on a raster device, and on any
/// other device the colour they would give on white paper. Mode 11 draws
/// nothing. Raster operations are drawn without anti-aliasing: a partly
/// covered pixel has no meaning for them.
class PainterTarget::Figure
{
public:
    Figure(QPainter &painter, int32_t drawMode, bool rasterOps)
        : m_painter(painter)
        , m_oldMode(painter.compositionMode())
        , m_oldAntialiasing(painter.testRenderHint(QPainter::Antialiasing))
    {
        QPainter::CompositionMode op = QPainter::CompositionMode_SourceOver;
        switch (drawMode) {
        case 1: m_colour = Colour::Black; break;
        case 2:
            op = QPainter::RasterOp_NotSourceAndNotDestination;
            m_colour = Colour::Black;
            break;
        case 3:
            op = QPainter::RasterOp_NotSourceAndDestination;
            m_colour = Colour::Inverted;
            break;
        case 4: m_colour = Colour::Inverted; break;
        case 5:
            op = QPainter::RasterOp_SourceAndNotDestination;
            m_colour = Colour::Black;
            break;
        case 6:
            op = QPainter::RasterOp_NotDestination;
            m_colour = Colour::Black;
            break;
        case 7:
            op = QPainter::RasterOp_SourceXorDestination;
            m_colour = Colour::Inverted;
            break;
        case 8:
            op = QPainter::RasterOp_NotSourceOrNotDestination;
            m_colour = Colour::Inverted;
            break;
        case 9: op = QPainter::RasterOp_SourceAndDestination; break;
        case 10: op = QPainter::RasterOp_NotSourceXorDestination; break;
        case 11: m_draw = false; break;
        case 12:
            op = QPainter::RasterOp_NotSourceOrDestination;
            m_colour = Colour::White;
            break;
        case 14: op = QPainter::RasterOp_SourceOrNotDestination; break;
        case 15:
            op = QPainter::RasterOp_SourceOrDestination;
            m_colour = Colour::White;
            break;
        case 16: m_colour = Colour::White; break;
        default: break; // 13 copy pen; 0 and anything out of range draw as 13
        }
        if (op != QPainter::CompositionMode_SourceOver && rasterOps) {
            m_colour = Colour::Pen;
            m_painter.setRenderHint(QPainter::Antialiasing, false);
        } else {
            op = QPainter::CompositionMode_SourceOver;
        }
        // Only what changes is set and put back: a vector device writes
        // every state change into its output.
        if (op != m_oldMode)
            m_painter.setCompositionMode(op);
    }
    ~Figure()
    {
        if (m_painter.compositionMode() != m_oldMode)
            m_painter.setCompositionMode(m_oldMode);
        if (m_painter.testRenderHint(QPainter::Antialiasing) != m_oldAntialiasing)
            m_painter.setRenderHint(QPainter::Antialiasing, m_oldAntialiasing);
    }
    Figure(const Figure &) = delete;
    Figure &operator=(const Figure &) = delete;

    bool draws() const { return m_draw; }
    QColor colour(const QColor &pen) const
    {
        switch (m_colour) {
        case Colour::Black: return Qt::black;
        case Colour::White: return Qt::white;
        case Colour::Inverted: return inverted(pen);
        case Colour::Pen: break;
        }
        return pen;
    }

private:
    enum class Colour { Pen, Black, White, Inverted };
    QPainter &m_painter;
    QPainter::CompositionMode m_oldMode;
    bool m_oldAntialiasing;
    Colour m_colour = Colour::Pen;
    bool m_draw = true;
};

PainterTarget::PainterTarget(QPainter &painter) : m_painter(&painter) {}

PainterTarget::~PainterTarget()
{
    endPainterOps();
}

bool PainterTarget::supportsRasterOps() const
{
    const QPaintEngine *engine = m_painter ? m_painter->paintEngine() : nullptr;
    return engine && engine->hasFeature(QPaintEngine::RasterOpModes);
}

double PainterTarget::pixelsPerTwip() const
{
    const double det = std::fabs(m_painter->deviceTransform().determinant());
    return det > 0 ? std::sqrt(det) : 1.0;
}

const QFont &PainterTarget::currentFont()
{
    if (!m_fontValid || !(m_fontKey == m_state.font)) {
        m_fontKey = m_state.font;
        m_font = makeTwipsFont(m_fontKey);
        const QFontMetricsF metrics(m_font);
        m_ascent = metrics.ascent();
        m_lineHeight = metrics.ascent() + metrics.descent();
        m_widestAdvance = metrics.maxWidth();
        m_fontValid = true;
        m_rawFontValid = false;
    }
    return m_font;
}

double PainterTarget::TextHeight(const QString &text)
{
    currentFont();
    return m_lineHeight * double(text.count(QLatin1Char('\n')) + 1);
}

double PainterTarget::TextWidth(const QString &text)
{
    return textWidthTwips(currentFont(), text);
}

void PainterTarget::Cls()
{
    endPainterOps();
    m_state.currentX = 0;
    m_state.currentY = 0;
    if (!m_painter || !m_painter->isActive() || !m_painter->device())
        return;
    QPaintDevice *device = m_painter->device();
    m_painter->save();
    m_painter->resetTransform();
    m_painter->setClipping(false);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->fillRect(QRect(0, 0, device->width(), device->height()), Qt::white);
    m_painter->restore();
}

QPen PainterTarget::makePen(const QColor &color) const
{
    const int style = m_state.drawStyle;
    if (style == 5)
        return QPen(Qt::NoPen);
    const int width = std::max(1, m_state.drawWidth);
    QPen pen(color);
    // Widths are device pixels: a cosmetic pen is measured on the device.
    pen.setCosmetic(true);
    pen.setWidthF(width);
    pen.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
    // Dashed styles exist only for one-pixel pens; wider pens draw solid, as
    // the classic drawing surface did. Patterns are in device pixels.
    if (width == 1) {
        switch (style) {
        case 1: pen.setDashPattern({18, 6}); break;
        case 2: pen.setDashPattern({3, 3}); break;
        case 3: pen.setDashPattern({9, 6, 3, 6}); break;
        case 4: pen.setDashPattern({9, 3, 3, 3, 3, 3}); break;
        default: break;
        }
    }
    return pen;
}

QBrush PainterTarget::fillBrush(const QColor &color) const
{
    switch (m_state.fillStyle) {
    case 0: return QBrush(color, Qt::SolidPattern);
    case 2: return QBrush(color, Qt::HorPattern);
    case 3: return QBrush(color, Qt::VerPattern);
    case 4: return QBrush(color, Qt::BDiagPattern);
    case 5: return QBrush(color, Qt::FDiagPattern);
    case 6: return QBrush(color, Qt::CrossPattern);
    case 7: return QBrush(color, Qt::DiagCrossPattern);
    default: return QBrush(); // 1 transparent, and anything out of range
    }
}

void PainterTarget::fill(const QPainterPath &path, const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return;
    m_painter->setPen(Qt::NoPen);
    if (brush.style() == Qt::SolidPattern) {
        m_painter->setBrush(brush);
        m_painter->drawPath(path);
        return;
    }
    // A hatch belongs to the page, not to the device: one pattern pixel is
    // HatchPixelTwips, so its lines lie 120 twips apart on the preview at
    // every zoom and on every printer alike (8 screen pixels at 100 %).
    QBrush hatch = brush;
    hatch.setTransform(QTransform::fromScale(HatchPixelTwips, HatchPixelTwips));
    const bool cosmetic = !m_painter->testRenderHint(QPainter::NonCosmeticBrushPatterns);
    if (cosmetic)
        m_painter->setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
    m_painter->setBrush(hatch);
    m_painter->drawPath(path);
    if (cosmetic)
        m_painter->setRenderHint(QPainter::NonCosmeticBrushPatterns, false);
}

bool PainterTarget::outsideVisibleArea(double x, double lineTop, qsizetype length) const
{
    if (!m_visible.isValid())
        return false;
    // Generous bounds: a line of text stays within its line box, give or take
    // a line height for accents, descenders and italic overhang, and no
    // character is wider than the font's widest advance.
    const double slack = m_lineHeight;
    if (lineTop + m_lineHeight + slack < m_visible.top() || lineTop - slack > m_visible.bottom())
        return true;
    return x - slack > m_visible.right() || x + double(length) * m_widestAdvance + slack < m_visible.left();
}

/// Draws one line of Latin text as a glyph run: the characters' own glyphs at
/// their unhinted advances, which is what shaping gives for such text with
/// kerning off, without the cost of shaping. Only on raster devices: a vector
/// device (PDF) needs the characters to keep the text searchable. Returns
/// false, drawing nothing, when the text needs more than that: characters
/// outside Latin, control and invisible characters, glyphs the font lacks,
/// or a decoration (underline, strikeout).
bool PainterTarget::drawPlainText(const QPointF &baseline, const QString &text)
{
    if (m_font.underline() || m_font.strikeOut())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xAD || u >= 0x250)
            return false;
    }
    const QPaintEngine *engine = m_painter->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
        return false;
    if (!m_rawFontValid) {
        m_rawFont = QRawFont::fromFont(m_font);
        m_rawFontValid = true;
    }
    if (!m_rawFont.isValid())
        return false;
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0u))
        return false;
    const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    QPointF pen;
    for (const QPointF &advance : advances) {
        positions.append(pen);
        pen += advance;
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    m_painter->drawGlyphRun(baseline, run);
    return true;
}

/// Fills the highlight's matches of this record in its \a lines, drawn from
/// (\a x, \a top): each stretch is measured in the font the line is drawn
/// in, walking once along its line (the pen moves from one stretch to the
/// next), so a line of many matches costs one measure of the line.
void PainterTarget::drawHighlights(const QFont &font, const QStringList &lines, double x, double top)
{
    const int32_t record = m_record;
    int32_t line = -1;
    bool hidden = false;
    double pen = 0;      // twips from the line's start to penAt
    qsizetype penAt = 0; // characters of the line measured so far
    for (const spool::LineSpan &span : m_highlight->spansIn(record, lines)) {
        const QString &part = lines[span.line];
        const double lineTop = top + m_lineHeight * span.line;
        if (span.line != line) {
            line = span.line;
            hidden = outsideVisibleArea(x, lineTop, part.size());
            pen = 0;
            penAt = 0;
        }
        if (hidden)
            continue;
        pen += textWidthTwips(font, part.mid(penAt, span.start - penAt));
        const double width = textWidthTwips(font, part.mid(span.start, span.length));
        const bool current = record == m_highlight->currentRecord && span.offset == m_highlight->currentOffset;
        m_painter->fillRect(QRectF(x + pen, lineTop, width, m_lineHeight),
                            current ? m_highlight->currentColour : m_highlight->matchColour);
        pen += width;
        penAt = span.start + span.length;
    }
}

void PainterTarget::Print(const QString &text)
{
    endPainterOps();
    const QFont &font = currentFont();
    const double line = m_lineHeight;
    const double ascent = m_ascent;
    const double x = limited(m_state.currentX);
    double y = limited(m_state.currentY);
    const QStringList lines = splitTextLines(text);
    if (m_painter) {
        // Text is always drawn as a plain copy, whatever DrawMode says.
        if (m_painter->compositionMode() != QPainter::CompositionMode_SourceOver)
            m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        m_painter->setFont(font);
        m_painter->setPen(rgb(m_state.foreColor));
        double lineTop = y;
        // An opaque text paints its own background first: the highlights go
        // over it, the text over them.
        if (m_highlight && !m_state.fontTransparent)
            for (const QString &part : lines) {
                if (!part.isEmpty() && !outsideVisibleArea(x, lineTop, part.size()))
                    m_painter->fillRect(QRectF(x, lineTop, textWidthTwips(font, part), line), Qt::white);
                lineTop += line;
            }
        if (m_highlight) {
            drawHighlights(font, lines, x, y);
            lineTop = y;
        }
        for (const QString &part : lines) {
            // Every line starts at the record's x, one line height lower.
            if (!part.isEmpty() && !outsideVisibleArea(x, lineTop, part.size())) {
                if (!m_state.fontTransparent && !m_highlight)
                    m_painter->fillRect(QRectF(x, lineTop, textWidthTwips(font, part), line), Qt::white);
                const QPointF baseline(x, lineTop + ascent);
                if (!drawPlainText(baseline, part))
                    m_painter->drawText(baseline, part);
            }
            lineTop += line;
        }
    }
    m_state.currentY = y + line * double(lines.size());
    ++m_record;
}

void PainterTarget::Line(double x1, double y1, double x2, double y2, LineKind kind)
{
    endPainterOps();
    x1 = limited(x1), y1 = limited(y1), x2 = limited(x2), y2 = limited(y2);
    m_state.currentX = x2;
    m_state.currentY = y2;
    if (!m_painter)
        return;
    Figure figure(*m_painter, m_state.drawMode, supportsRasterOps());
    if (!figure.draws())
        return;
    const QColor penColour = figure.colour(rgb(m_state.foreColor));
    const QPen pen = makePen(penColour);
    if (kind == LineKind::Line) {
        m_painter->setPen(pen);
        m_painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
        return;
    }
    QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    const double halfPen = pen.style() == Qt::NoPen ? 0.0 : pen.widthF() / pixelsPerTwip() / 2;
    if (m_state.drawStyle == 6 && halfPen > 0)
        box = box.adjusted(halfPen, halfPen, -halfPen, -halfPen); // the pen inside the box
    if (kind == LineKind::BoxFilled) {
        // One fill covering the box and its outline, so a raster operation
        // touches every pixel once.
        m_painter->setPen(Qt::NoPen);
        m_painter->setBrush(penColour);
        m_painter->drawRect(box.adjusted(-halfPen, -halfPen, halfPen, halfPen));
        return;
    }
    QPainterPath area;
    area.addRect(box);
    fill(area, fillBrush(figure.colour(rgb(m_state.fillColor))));
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(box);
}

void PainterTarget::PSet(double x, double y, int32_t color)
{
    endPainterOps();
    x = limited(x), y = limited(y);
    m_state.currentX = x;
    m_state.currentY = y;
    if (!m_painter)
        return;
    Figure figure(*m_painter, m_state.drawMode, supportsRasterOps());
    if (!figure.draws())
        return;
    // A point ignores DrawStyle: it is DrawWidth device pixels across.
    const double width = std::max(1, m_state.drawWidth);
    const QColor colour = figure.colour(rgb(color));
    const double ppt = pixelsPerTwip();
    m_painter->setRenderHint(QPainter::Antialiasing, width > 1 && m_painter->testRenderHint(QPainter::Antialiasing));
    if (width == 1) {
        // The one device pixel that holds the point.
        const QPointF device = m_painter->deviceTransform().map(QPointF(x, y));
        const QPointF corner(std::floor(device.x()), std::floor(device.y()));
        m_painter->save();
        m_painter->resetTransform();
        m_painter->fillRect(QRectF(corner, QSizeF(1, 1)), colour);
        m_painter->restore();
        return;
    }
    const double r = width / ppt / 2;
    m_painter->setPen(Qt::NoPen);
    m_painter->setBrush(colour);
    m_painter->drawEllipse(QPointF(x, y), r, r);
}

void PainterTarget::Circle(double x, double y, double radius, int32_t color, double start, double end, double aspect)
{
    endPainterOps();
    x = limited(x), y = limited(y);
    radius = limitedLength(radius);
    m_state.currentX = x;
    m_state.currentY = y;
    if (!m_painter)
        return;
    Figure figure(*m_painter, m_state.drawMode, supportsRasterOps());
    if (!figure.draws())
        return;
    // The radius lies along the longer axis; aspect is height / width.
    aspect = std::isfinite(aspect) ? std::fabs(aspect) : 1.0;
    double rx = radius, ry = radius;
    if (aspect > 1)
        rx = radius / aspect;
    else
        ry = radius * aspect;
    const QPen pen = makePen(figure.colour(rgb(color)));
    const double halfPen = pen.style() == Qt::NoPen ? 0.0 : pen.widthF() / pixelsPerTwip() / 2;
    if (m_state.drawStyle == 6) {
        rx = std::max(0.0, rx - halfPen);
        ry = std::max(0.0, ry - halfPen);
    }
    const QPointF centre(x, y);
    const QRectF box(x - rx, y - ry, 2 * rx, 2 * ry);

    QPainterPath path;
    bool closed = true;
    if (!std::isfinite(start) || !std::isfinite(end) || start == end) {
        path.addEllipse(box);
    } else {
        // Counter-clockwise from start to end; a negative angle also draws
        // the radius to its end of the arc.
        const double a0 = normalisedAngle(start);
        const double a1 = normalisedAngle(end);
        double span = a1 - a0;
        if (span <= 0)
            span += TwoPi;
        const bool radiusAtStart = start < 0;
        const bool radiusAtEnd = end < 0;
        if (radiusAtStart) {
            path.moveTo(centre);
            QPainterPath probe;
            probe.arcMoveTo(box, degrees(a0));
            path.lineTo(probe.currentPosition());
        } else {
            path.arcMoveTo(box, degrees(a0));
        }
        path.arcTo(box, degrees(a0), degrees(span));
        if (radiusAtEnd) {
            if (radiusAtStart)
                path.closeSubpath();
            else
                path.lineTo(centre);
        }
        closed = radiusAtStart && radiusAtEnd;
    }
    if (closed)
        fill(path, fillBrush(figure.colour(rgb(m_state.fillColor))));
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawPath(path);
}

void PainterTarget::PaintPicture(const PictureData &picture, double x, double y, double width, double height)
{
    endPainterOps();
    x = limited(x), y = limited(y), width = limited(width), height = limited(height);
    if (!m_painter || width == 0 || height == 0)
        return;
    m_painter->save();
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    // A negative width or height mirrors the picture.
    m_painter->translate(x, y);
    m_painter->scale(width < 0 ? -1 : 1, height < 0 ? -1 : 1);
    picture.paint(*m_painter, QRectF(0, 0, std::fabs(width), std::fabs(height)));
    m_painter->restore();
}

void PainterTarget::drawPainterOp(const PainterOp &op)
{
    const bool text = op.kind == PainterOp::Kind::Text;
    if (m_painter && m_painter->isActive() && op.drawable()) {
        // Setting a state, and above all a font (Qt looks its engine up
        // again for every font set), costs more than drawing a text run:
        // the runs of one state share one setting.
        if (m_opState != op.state) {
            endPainterOps();
            m_painter->save();
            op.applyState(*m_painter);
            m_opState = op.state;
        }
        if (text && m_opFontFlags != op.text.flags) {
            op.applyFont(*m_painter);
            m_opFontFlags = op.text.flags;
        }
        op.draw(*m_painter, text ? m_highlight : nullptr, m_record);
    }
    if (text)
        ++m_record;
}

void PainterTarget::endPainterOps()
{
    if (!m_opState)
        return;
    m_opState.reset();
    m_opFontFlags.reset();
    if (m_painter && m_painter->isActive())
        m_painter->restore();
}

} // namespace qv
