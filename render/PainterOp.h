// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The replay of the painter records (spool/PainterRecords.h): each drawing
// record becomes one PainterOp, a self-contained drawing that carries the
// painter state it was recorded in (pen, brush, font, matrix, clip, mode).
// A drawing target draws it (DrawTarget::PaintOp); the page surface keeps
// it among its calls, sharing the state between the operations of a page.
#pragma once

#include "spool/PainterRecords.h"
#include "spool/PictureFile.h"

#include <QByteArrayView>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>

#include <map>
#include <memory>

class QPainter;

namespace qv {

class DrawTarget;
struct TextHighlight;

namespace spool {
class SpoolReader;
}

/// The painter state of the operations, as the state records set it.
struct PainterState
{
    QPen pen;
    QBrush brush;
    spool::PainterFont font;
    QTransform matrix; ///< from the operation's coordinates to page twips
    bool clipped = false;
    QPainterPath clipTwips;
    spool::PainterMode mode;
};

class PainterOp
{
public:
    enum class Kind { Path, Polygon, Text, Image };

    Kind kind = Kind::Path;
    std::shared_ptr<const PainterState> state;
    QPainterPath path;
    QPolygonF polygon;
    spool::PolygonKind polygonKind = spool::PolygonKind::OddEven;
    spool::PainterText text;
    PictureData picture;
    spool::PainterImage image;

    // Drawing, on a painter whose coordinates are page twips. The caller
    // saves the painter's state, applies the operation's, draws, and
    // restores it; operations that share one state (consecutive operations
    // with no state record between them) may be drawn within one
    // applyState(), which is what keeps a page of text runs as cheap as
    // painting it directly.

    /// False when the operation draws nothing: no state, a matrix that
    /// cannot be inverted, or a place beyond the renderer's coordinate limit.
    bool drawable() const;
    /// Sets the operation's state on \a painter: clip, matrix, render hints,
    /// opacity, composition, background, brush origin, pen and brush.
    void applyState(QPainter &painter) const;
    /// Sets the text run's font: its size in the operation's coordinates on
    /// the painter's device, its decorations (flags) and its direction.
    void applyFont(QPainter &painter) const;
    /// Draws the operation on \a painter in its state (and, for a text run,
    /// its font); the painter's state is as it was afterwards. With
    /// \a highlight, the matches of its find in a text run are filled behind
    /// it (\a record is the run's number among the page's text records).
    void draw(QPainter &painter, const TextHighlight *highlight = nullptr, int32_t record = -1) const;
    /// What the operation holds, in bytes (its points, its text, its image).
    qint64 memoryBytes() const;
};

/// Reads the painter records of one replay: the state through the page,
/// the images decoded for it.
class PainterReplay
{
public:
    PainterReplay();
    /// A page ends: the state goes back to its defaults.
    void reset();
    /// True when \a tag is a painter record: it is read from \a in and a
    /// drawing record is drawn on \a target. Throws the readers' errors, and
    /// for an image the replay's picture errors (53, 481, 7).
    bool read(QByteArrayView tag, spool::SpoolReader &in, DrawTarget &target);

private:
    PainterState &state();

    std::shared_ptr<PainterState> m_state;
    bool m_shared = false;
    std::map<QString, PictureData> m_images;
    qint64 m_imageBytes = 0;
};

} // namespace qv
