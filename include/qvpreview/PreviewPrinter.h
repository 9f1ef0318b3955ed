// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// A QPrinter that records: what a QPainter draws on it becomes a document
// (a spool file and its picture files) that the preview window shows, finds
// in and prints, as it does a document of the control.
#pragma once

#include <qvpreview/Error.h>
#include <qvpreview/Export.h>

#include <QPrinter>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace qv {

namespace spool {
class Document;
}

/// A printer whose paint and print engines record. Paint on it as on any
/// QPrinter: QPainter, QTextDocument::print(), QTextDocument::drawContents(),
/// QStaticText, QTextLayout; newPage() is a page break. Each QPainter::begin()
/// starts a new recording (the previous one is discarded unless kept).
///
/// What is recorded: text as text (every run at its place, in its font and
/// colour, so that find and the PDF's text layer see it), paths, polygons,
/// lines, rectangles, ellipses and points with their pens (width, dash
/// pattern, cap, join, cosmetic) and brushes (solid, the hatch and dense
/// patterns, linear, radial and conical gradients, textures), images and pixmaps,
/// clipping, the world transform (rotated text included), opacity,
/// composition mode, background mode and render hints; texture brushes too.
/// The records are described in docs/spool.md.
///
/// The page layout, resolution and every other setting are those of an
/// ordinary QPrinter of the same mode, answered as it would answer them
/// (pageLayout(), pageRect(), resolution(), width() ...); the host's
/// coordinates start at the top-left corner of the page's printable area,
/// as on that printer, and are recorded in twips from the paper's top-left
/// corner, so a page prints where it was painted on the built-in PDF
/// printer (A4 without margins). \note The preview window and the print engine show
/// and print a page at the size of the current printer's drawable area: a
/// layout other than the current printer's is not yet carried to them.
class QV_EXPORT PreviewPrinter : public QPrinter
{
public:
    /// A recording printer with the settings of a new QPrinter(\a mode).
    explicit PreviewPrinter(PrinterMode mode = HighResolution);
    /// Discards the recording unless it was kept (keepSpoolFile()).
    ~PreviewPrinter() override;
    PreviewPrinter(const PreviewPrinter &) = delete;
    PreviewPrinter &operator=(const PreviewPrinter &) = delete;

    /// Takes the settings of \a printer: printer name, output format and
    /// file, page layout, resolution, copies, collation, full page, colour
    /// mode, duplex, page order, document name, creator and print range.
    /// Call it while nothing is being painted.
    void takeSettingsFrom(const QPrinter &printer);

    /// Pages recorded: 1 plus the page breaks once painting began, 0 before.
    int32_t pageCount() const;
    /// The spool file of the recording (whole once the painter ended);
    /// empty before anything was painted.
    QString spoolPath() const;
    /// The first error met while recording: a record that could not be
    /// written (a full disk, a spool file deleted meanwhile; error 1001 with
    /// the reason), or a painter begun twice. The records of a page are
    /// written when it ends (newPage(), QPainter::end()) or every 256 KiB,
    /// so a failed write shows there. Painting goes on, but the printer's
    /// state is then QPrinter::Error and newPage() returns false.
    /// Cleared when a new recording begins.
    const std::optional<qv::Error> &recordingError() const;

    /// Keeps the recording's files on disk: they are no longer deleted with
    /// the printer or the next recording, and SpoolFile(path) shows, prints,
    /// finds and checks them. Returns the spool file's path (empty when
    /// nothing was recorded); the printer then holds no recording.
    QString keepSpoolFile();
    /// Deletes the recording's files now; the printer holds no recording.
    void discard();

    /// The recording paint engine, whatever engines QPrinter has made
    /// meanwhile (setOutputFormat() makes new ones: they are set aside at
    /// the next QPainter::begin()).
    QPaintEngine *paintEngine() const override;

private:
    friend class HostRecording;
    /// The recorded document, for the preview window; null before anything
    /// was painted.
    Q_DECL_HIDDEN std::shared_ptr<spool::Document> document() const;

    class Private;
    friend class Private;
    std::unique_ptr<Private> d;
};

} // namespace qv
