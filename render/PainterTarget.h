// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The one renderer: a drawing target that draws on a QPainter whose
// coordinates are twips. The page surface's frozen drawing, the printer and
// any export all draw through it.
#pragma once

#include "render/DrawTarget.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QRawFont>
#include <QRectF>

#include <memory>
#include <optional>

class QPainter;
class QPainterPath;

namespace qv {

struct PainterState;
struct TextHighlight;

class PainterTarget : public DrawTarget
{
public:
    /// Draws on \a painter, which must already map twips to its device.
    /// \note The painter stays the caller's; it must outlive the target.
    explicit PainterTarget(QPainter &painter);
    ~PainterTarget() override;

    double TextHeight(const QString &text) override;
    double TextWidth(const QString &text) override;
    /// Paints the whole device white and resets the current position.
    void Cls() override;
    void Print(const QString &text) override;
    void Line(double x1, double y1, double x2, double y2, LineKind kind) override;
    void PSet(double x, double y, int32_t color) override;
    void Circle(double x, double y, double radius, int32_t color, double start, double end, double aspect) override;
    void PaintPicture(const PictureData &picture, double x, double y, double width, double height) override;
    /// Draws the operation in its own state; a text run counts as a text
    /// record for the highlight. Operations of one state in a row are drawn
    /// within one save of the painter's state, which stays open until an
    /// operation of another state, any other drawing, or endPainterOps().
    void drawPainterOp(const PainterOp &op) override;

    /// Limits text drawing to what can show within \a twips (the painter's
    /// clip, in its own coordinates): text records that lie wholly outside
    /// only move the current position. An invalid rectangle draws everything.
    void setVisibleArea(const QRectF &twips) { m_visible = twips; }

    /// Highlights the matches of a find behind the text it draws from now
    /// on: \a highlight's query is matched in each text record's lines as
    /// drawn and each match is filled, in the font and at the place the text
    /// is drawn, before the text. Text records count from the target's
    /// construction (the first Print() is record 0). Null: no highlight, and
    /// no cost. \note The highlight stays the caller's; it must outlive the
    /// drawing.
    void setHighlight(const TextHighlight *highlight) { m_highlight = highlight; }

    /// True when the device composes raster operations (a raster image);
    /// on other devices DrawMode is approximated (see docs/drawing.md).
    bool supportsRasterOps() const;

    /// Coordinates beyond this many twips from the origin are clamped: no page
    /// is that large, and the rasteriser stays within its fixed-point range.
    static constexpr double CoordinateLimit = 1.0e7;
    /// Size of one pixel of a hatch pattern (FillStyle 2 to 7): one pixel of
    /// a 96-dpi screen at 100 %, on every device.
    static constexpr double HatchPixelTwips = 15.0;

protected:
    /// For targets that make their painter after the base (the printer).
    PainterTarget() = default;
    void setPainter(QPainter *painter) { m_painter = painter; }
    /// Restores the painter's state that drawPainterOp() left saved, before
    /// anything else draws, the painter's transform changes or it ends.
    void endPainterOps();
    QPainter *painter() const { return m_painter; }
    /// Device pixels per twip under the painter's current transform.
    double pixelsPerTwip() const;

private:
    class Figure;
    QPen makePen(const QColor &color) const;
    QBrush fillBrush(const QColor &color) const;
    void fill(const QPainterPath &path, const QBrush &brush);

    const QFont &currentFont();
    bool outsideVisibleArea(double x, double lineTop, qsizetype length) const;
    bool drawPlainText(const QPointF &baseline, const QString &text);
    void drawHighlights(const QFont &font, const QStringList &lines, double x, double top);

    QPainter *m_painter = nullptr;
    FontAttributes m_fontKey;
    QFont m_font;
    double m_ascent = 0;
    double m_lineHeight = 0;
    double m_widestAdvance = 0;
    bool m_fontValid = false;
    // The current font's first face, for drawing plain text on raster
    // devices as glyphs without a shaping pass. Made when first needed.
    QRawFont m_rawFont;
    bool m_rawFontValid = false;
    QRectF m_visible;
    const TextHighlight *m_highlight = nullptr;
    int32_t m_record = 0; // text records drawn so far: the next one's number on the page
    // The state whose operations are being drawn (the painter's own saved
    // under it), and the text flags of the font set in it, if any.
    std::shared_ptr<const PainterState> m_opState;
    std::optional<int32_t> m_opFontFlags;
};

} // namespace qv
