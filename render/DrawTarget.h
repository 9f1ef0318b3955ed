// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The drawing target: what the replay of a spool file calls, in twips, on
// whatever it draws on. The page surface and the printer implement it; so
// can a test that records the calls. It only draws: a print job's sheets
// and its end belong to the print engine (MotoreStampa).
#pragma once

#include "render/TextMetrics.h"
#include "spool/PictureFile.h"
#include "spool/SpoolFormat.h"

#include <qvpreview/Error.h>

#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <limits>
#include <optional>

namespace qv {

class PainterOp;

/// How Line() draws its two points.
enum class LineKind {
    Line,      ///< a straight line in the pen
    Box,       ///< the box with these opposite corners, inside by FillStyle/FillColor
    BoxFilled, ///< the box filled solid with the pen colour
};

/// The attributes that records set on a target; they stay set until a later
/// record sets them again. Value meanings are those of the spool records:
/// colours are red + 256 * green + 65536 * blue, DrawMode 1..16 (13 copy pen),
/// DrawStyle 0..6, FillStyle 0..7, DrawWidth in device pixels.
struct DrawState
{
    FontAttributes font;
    int32_t foreColor = 0;
    bool fontTransparent = true;
    double currentX = 0;
    double currentY = 0;
    int32_t drawMode = 13;
    int32_t drawStyle = 0;
    int32_t drawWidth = 1;
    int32_t fillColor = 0;
    int32_t fillStyle = 1;
};

/// The most that one page may hold in memory, in bytes: what a page surface
/// keeps of its drawn calls and decoded pictures, and what the replay keeps
/// of the page's decoded pictures.
inline constexpr qint64 PageMemoryBudget = qint64(192) * 1024 * 1024;

/// Thrown by a target that cannot hold any more of the page (error 7,
/// "pagina troppo grande: ..."); the replay adds the spool file and line.
class PageTooLarge : public Error
{
public:
    using Error::Error;
};

class DrawTarget
{
public:
    virtual ~DrawTarget() = default;

    // Attributes. The default implementations store the value in state().
    virtual void setFontName(const QString &v) { m_state.font.name = v; }
    virtual void setFontSize(int32_t points) { m_state.font.size = points; }
    virtual void setFontItalic(bool v) { m_state.font.italic = v; }
    virtual void setFontBold(bool v) { m_state.font.bold = v; }
    virtual void setFontUnderline(bool v) { m_state.font.underline = v; }
    virtual void setFontStrikethru(bool v) { m_state.font.strikethru = v; }
    virtual void setForeColor(int32_t v) { m_state.foreColor = v; }
    virtual void setFontTransparent(bool v) { m_state.fontTransparent = v; }
    virtual void setCurrentX(double twips) { m_state.currentX = twips; }
    virtual void setCurrentY(double twips) { m_state.currentY = twips; }
    virtual void setDrawMode(int32_t v) { m_state.drawMode = v; }
    virtual void setDrawStyle(int32_t v) { m_state.drawStyle = v; }
    virtual void setDrawWidth(int32_t v) { m_state.drawWidth = v; }
    virtual void setFillColor(int32_t v) { m_state.fillColor = v; }
    virtual void setFillStyle(int32_t v) { m_state.fillStyle = v; }
    const DrawState &state() const { return m_state; }
    /// Sets every attribute at once (a recorded drawing replays so).
    virtual void setState(const DrawState &s) { m_state = s; }

    /// The replay reached a page's first line, before anything of the page
    /// is drawn: \a recorded is the page's layout record, nullopt when it
    /// has none. Told for every page read, an empty last page too.
    virtual void startPage(const std::optional<QPageLayout> &recorded) { (void)recorded; }

    /// The replay is about to read the record whose tag is on line \a line
    /// of the file (1-based; 0 when the line is not known). A target that
    /// reports places (the layout check) keeps it; drawing targets ignore it.
    virtual void startRecord(qint64 line) { (void)line; }
    /// The next text record was fitted into \a field (its field record).
    virtual void fieldOfNextText(const spool::FieldLine &field) { (void)field; }
    /// A picture record whose file cannot be drawn (\a error: 53, 481 or 7,
    /// naming the file and the line; \a what: the reason alone) into the
    /// rectangle \a twips (x, y, width, height). True goes on with the next record, as the layout check does;
    /// false (the default) ends the replay with it.
    virtual bool goOnAfterUnreadablePicture(const Error &error, const QString &what, const QRectF &twips)
    {
        (void)error;
        (void)what;
        (void)twips;
        return false;
    }

    /// A page begins: clears to the background colour (on a target that
    /// can be cleared) and resets the current position.
    virtual void Cls() = 0;
    /// Height in twips of \a text in the current font (one line height per line).
    virtual double TextHeight(const QString &text) = 0;
    /// Width in twips of \a text in the current font.
    virtual double TextWidth(const QString &text) = 0;
    /// Draws \a text with the top of its first line at (CurrentX, CurrentY).
    /// Every line starts at CurrentX, one line height below the one before.
    /// Afterwards CurrentY is below the last line.
    virtual void Print(const QString &text) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, LineKind kind) = 0;
    /// One point at (x, y) in \a color; its size follows DrawWidth.
    virtual void PSet(double x, double y, int32_t color) = 0;
    /// Circle, arc or ellipse; angles in radians, counter-clockwise from 3
    /// o'clock; equal angles draw the full figure; a negative angle also draws
    /// the radius to that point. \a aspect is height / width; \a radius lies
    /// along the longer axis.
    virtual void Circle(double x, double y, double radius, int32_t color, double start, double end, double aspect) = 0;
    /// \a picture stretched into the rectangle (x, y, width, height).
    virtual void PaintPicture(const PictureData &picture, double x, double y, double width, double height) = 0;

    /// What a QPainter drew on a recording printer, replayed from a painter
    /// record (render/PainterOp.h). A target that draws nothing ignores it.
    virtual void drawPainterOp(const PainterOp &op) { (void)op; }

    /// Bytes that the target can still hold for the current page (what it
    /// keeps of drawn calls and decoded pictures); a picture that would need
    /// more is not decoded. Unbounded for a target that keeps nothing.
    virtual qint64 memoryLeft() const { return std::numeric_limits<qint64>::max(); }

protected:
    DrawState m_state;
};

} // namespace qv
