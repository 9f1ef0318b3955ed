// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The spool file's format in one place: its tag lines, and the two attribute
// lines that records share (the font line of text records, the stroke line of
// line, point and circle records), each with its one writer and its one
// reader. docs/spool.md describes the whole record grammar.
#pragma once

#include <QByteArrayView>
#include <QPageLayout>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace qv::spool {

class Record;
class SpoolReader;

// --- Limits --------------------------------------------------------------------
//
// One pair of limits for the writer and the reader: the control refuses a
// record that the replay could not read back, and the replay refuses a line
// or a text past them with an error, never with an unbounded allocation.

/// Longest line of the file, in bytes without its line end.
inline constexpr qint64 MaxLineBytes = 8 * 1024 * 1024;
/// Longest text of one text record: its text lines joined with CR LF, as the
/// replay collects them.
inline constexpr qint64 MaxTextBytes = MaxLineBytes;

/// True when \a text, written as the text lines of a text record (after
/// guardTextLines), reads back within MaxTextBytes and MaxLineBytes.
bool textFits(const QString &text);

/// True when \a path (a picture file's) can stand in a quoted value of the
/// file as it is and read back: no '"' and no control character.
bool writableAsText(const QString &path);

// --- Tag lines ---------------------------------------------------------------
//
// A tag line holds the tag and nothing else; it is compared with the whole
// line, case and all.

inline constexpr char TagPrint[] = "#print@";       ///< a text record begins
inline constexpr char TagEndPrint[] = "#endprint@"; ///< a text record's text ends
inline constexpr char TagNewPage[] = "#newpage@";   ///< a page break
inline constexpr char TagLine[] = "#line@";         ///< a line or box
inline constexpr char TagPSet[] = "#pset@";         ///< a point
inline constexpr char TagCircle[] = "#circle@";     ///< a circle, arc or ellipse
inline constexpr char TagPaint[] = "#paint@";       ///< a picture
/// The layout of the page whose first line it is: the paper, its orientation
/// and the margins. A page without one is laid out on the current printer's
/// page. It is no tag of isTagLine(): a host's text line that reads so is
/// written as it stands (text lines are read up to TagEndPrint, and a page
/// never starts inside the control's text records).
inline constexpr char TagPage[] = "#page@";
/// The field that the next text record was fitted into (StampaCampo and the
/// lines of StampaCampoMultilinea): written just before that record's
/// TagPrint, in the same write. Like TagPage it is no tag of isTagLine(), and
/// readers that do not know it skip it and its value line.
inline constexpr char TagField[] = "#field@";

// The painter records: what a QPainter drew on a recording printer
// (PreviewPrinter), written and read by spool/PainterRecords.h. The state
// records hold until a later one of their kind or the page's end; the drawing
// records draw in that state.
inline constexpr char TagQtPen[] = "#qpen@";       ///< the pen
inline constexpr char TagQtBrush[] = "#qbrush@";   ///< the brush
inline constexpr char TagQtFont[] = "#qfont@";     ///< the font
inline constexpr char TagQtMatrix[] = "#qmatrix@"; ///< the transform to page twips
inline constexpr char TagQtClip[] = "#qclip@";     ///< the clip, in page twips
inline constexpr char TagQtMode[] = "#qmode@";     ///< opacity, composition, hints, background
inline constexpr char TagQtPath[] = "#qpath@";     ///< a path, filled and stroked
inline constexpr char TagQtPolygon[] = "#qpoly@";  ///< a polygon, polyline or points
inline constexpr char TagQtText[] = "#qtext@";     ///< a run of text at its baseline
inline constexpr char TagQtImage[] = "#qimage@";   ///< an image, stretched or tiled

/// True when \a line is exactly one of the tags.
bool isTagLine(QStringView line);
bool isTagLine(QByteArrayView line);

/// The host's text as the text lines of a text record: a line that reads like
/// a tag (after CR LF or a LF alone) gets a trailing space, so the text can
/// neither end its own record early nor turn into records or page breaks.
QString guardTextLines(const QString &text);

// --- Attribute lines -----------------------------------------------------------

/// The font line of a text record, in its item order.
struct FontLine
{
    QString fontName;
    int32_t fontSize = 10;
    bool fontItalic = false;
    bool fontBold = false;
    bool fontUnderline = false;
    bool fontStrikethru = false;
    int32_t foreColor = 0;
    bool fontTransparent = true;

    bool operator==(const FontLine &) const = default;
};

/// The stroke line of a line, point or circle record, in its item order.
struct StrokeLine
{
    int32_t foreColor = 0;
    int32_t drawMode = 13;
    int32_t drawWidth = 1;
    int32_t drawStyle = 0;
    int32_t fillColor = 0;
    int32_t fillStyle = 1;

    bool operator==(const StrokeLine &) const = default;
};

/// Writes the font line as one value line of \a record.
void ScriviAttributiFont(Record &record, const FontLine &font);
/// Writes the stroke line as one value line of \a record.
void ScriviAttributiTratto(Record &record, const StrokeLine &stroke);

/// Reads the eight values of a font line from the value stream of \a in.
/// Throws qv::Error (13, 6, 62) as SpoolReader's value readers do.
FontLine LeggiAttributiFont(SpoolReader &in);
/// Reads the six values of a stroke line from the value stream of \a in.
StrokeLine LeggiAttributiTratto(SpoolReader &in);

// --- The field record -------------------------------------------------------------
//
// After TagField, one value line: the field's left edge and its width in
// twips, and how many characters of the host's text the field left out
// (0 when it all fits; always 0 for the lines of a multi-line block, whose
// rest goes on in the next line or back to the host).

/// The values of a field record.
struct FieldLine
{
    float x = 0;
    float width = 0;
    int32_t cut = 0;

    bool operator==(const FieldLine &) const = default;
};

/// Writes the value line of \a field.
void writeField(Record &record, const FieldLine &field);
/// Reads the values of a field record; throws qv::Error as the value readers
/// do (13, 6, 62), and 6 naming the file and the line for a negative width
/// or count.
FieldLine readField(SpoolReader &in);

// --- The page layout record ------------------------------------------------------
//
// After TagPage, one value line: the paper's width and height in twips as
// its page size defines it (portrait), the orientation (0 portrait,
// 1 landscape), and the margins left, top, right and bottom in twips on the
// page as it is turned. The recorded coordinates of the page count from the
// top-left corner of the margins.

/// The longest side a page may have, in twips: 200 inches, the most a PDF
/// page can measure.
inline constexpr double MaxPageSideTwips = 200 * 1440.0;
/// Why \a layout cannot be a page, in a few Italian words (an invalid
/// size, a side of 0 or beyond MaxPageSideTwips, margins below 0 or that
/// leave no room to draw); empty when it can.
QString pageLayoutProblem(const QPageLayout &layout);

/// Writes the value line of \a layout (a usable one: a valid size, margins
/// that leave room to draw).
void writePageLayout(Record &record, const QPageLayout &layout);
/// Reads the values of a page layout record. Throws qv::Error as the value
/// readers do (13, 6, 62), and 321 naming the file and the line for a
/// layout that is no page: a side of 0 or less or beyond 200 inches, an
/// orientation other than 0 and 1, margins below 0 or that leave no room.
QPageLayout readPageLayout(SpoolReader &in);
/// The layout of the page that starts at the 1-based position \a start of
/// the spool file at \a path: its layout record when the page's first line
/// is TagPage, else nullopt. Throws qv::Error with the source \a source as
/// SpoolReader does (53, 75) and as readPageLayout().
std::optional<QPageLayout> pageLayoutAt(const QString &path, qint64 start, const QString &source);

} // namespace qv::spool
