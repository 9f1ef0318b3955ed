// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The painter records: what a QPainter drew on a recording printer, as spool
// records. Each record has one writer and one reader here; the recording
// printer writes them, the replay (render/PainterOp.h) reads them, and
// docs/spool.md describes their lines.
//
// Coordinates of the drawing records are the painter's own (the host's
// logical coordinates); the matrix record maps them to page twips. The clip
// is held in page twips, so that it does not depend on the matrix in force.
#pragma once

#include <QBrush>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>

namespace qv::spool {

class Record;
class SpoolReader;

/// The most points (path commands, polygon points, dashes, gradient stops)
/// one painter record holds; a record that says more is refused (error 7).
inline constexpr int32_t MaxPainterPoints = 4 * 1024 * 1024;
/// The most dashes of a pen and stops of a gradient.
inline constexpr int32_t MaxPainterStops = 1024;

/// The most a texture brush's image may take decoded, in bytes.
inline constexpr qint64 MaxTextureBytes = 64 * 1024 * 1024;

/// The painter's state besides pen, brush, font, matrix and clip.
struct PainterMode
{
    double opacity = 1;
    int32_t composition = 0; ///< QPainter::CompositionMode
    int32_t hints = 0;       ///< QPainter::RenderHints
    bool opaqueBackground = false;
    QColor background = Qt::white;
    QPointF brushOrigin;

    bool operator==(const PainterMode &) const = default;
};

/// The font of the text records: a QFont whose size is in the painter's
/// coordinates (pixels of the recording device), not in points.
struct PainterFont
{
    QFont font;
    double pixels = 12;
};

/// What a polygon record draws (QPaintEngine::PolygonDrawMode, and points).
enum class PolygonKind : int32_t {
    OddEven = 0,
    Winding = 1,
    Convex = 2,
    Polyline = 3,
    Points = 4,
};

/// One run of text drawn from its baseline's left end.
struct PainterText
{
    /// Where the run is on the page, in twips from the page's top-left corner
    /// (the baseline's start through the matrix): what a find reports.
    QPointF pageTwips;
    /// The baseline's start in the painter's coordinates.
    QPointF position;
    /// QTextItem::RenderFlags: 0x1 right to left, 0x10 overline, 0x20
    /// underline, 0x40 strike-out.
    int32_t flags = 0;
    QString text;
};

/// An image drawn into a rectangle, or tiled over it.
struct PainterImage
{
    QString path; ///< the picture file
    QRectF target;
    /// The part of the image drawn (in its pixels); for a tiled image, its
    /// top-left is the offset of the tiling.
    QRectF source;
    bool tiled = false;
};

// --- Writers: one record each, tag line included ------------------------------------

/// \a texture names the picture file of a texture brush's image; a
/// texture brush without one is written as a solid brush of its colour.
void writePen(Record &record, const QPen &pen, const QString &texture = QString());
void writeBrush(Record &record, const QBrush &brush, const QString &texture = QString());
void writeFont(Record &record, const PainterFont &font);
void writeMatrix(Record &record, const QTransform &matrix);
/// \a clipTwips is used only when \a enabled.
void writeClip(Record &record, bool enabled, const QPainterPath &clipTwips);
void writeMode(Record &record, const PainterMode &mode);
void writePath(Record &record, const QPainterPath &path);
void writePolygon(Record &record, PolygonKind kind, const QPointF *points, int count);
/// Control characters of the text become spaces (a run holds one line).
void writeText(Record &record, const PainterText &text);
void writeImage(Record &record, const PainterImage &image);

// --- Readers: the values after the tag line --------------------------------------------
//
// Every reader throws what SpoolReader's value readers throw (13, 6, 62,
// naming the file and the line), 6 for a value outside what its field
// allows (an unknown pen style, a colour beyond 32 bits), 7 for a count
// beyond MaxPainterPoints or MaxPainterStops, and for a texture brush's
// picture file 53 (missing), 481 (no raster image) or 7 (beyond
// MaxTextureBytes decoded).

QPen readPen(SpoolReader &in);
QBrush readBrush(SpoolReader &in);
PainterFont readFont(SpoolReader &in);
QTransform readMatrix(SpoolReader &in);
/// False for no clip; the clip otherwise, in \a clipTwips.
bool readClip(SpoolReader &in, QPainterPath &clipTwips);
PainterMode readMode(SpoolReader &in);
QPainterPath readPath(SpoolReader &in);
PolygonKind readPolygon(SpoolReader &in, QPolygonF &points);
PainterText readText(SpoolReader &in);
PainterImage readImage(SpoolReader &in);

} // namespace qv::spool
