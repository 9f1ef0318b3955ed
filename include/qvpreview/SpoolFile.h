// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// A recorded document on disk: its pages rendered, printed, previewed or
// checked, through the same replay and renderer as the control's own preview
// and printing.
#pragma once

#include <qvpreview/Error.h>
#include <qvpreview/Export.h>
#include <qvpreview/LayoutCheck.h>
#include <qvpreview/PreviewWindowOptions.h>
#include <qvpreview/PrintOptions.h>

#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPainter;

namespace qv {

namespace spool {
class Document;
}

/// Pages that follow each other on the same page layout, as
/// SpoolFile::check() reports them.
struct QV_EXPORT SpoolLayoutRun
{
    int32_t firstPage = 1; ///< the run's first page, 1-based
    int32_t lastPage = 1;  ///< its last page
    /// The pages' layout: the paper, its orientation and the margins.
    QPageLayout layout;
    /// True when the pages carry their layout in the file; false for pages
    /// recorded without one, which are laid out on currentPageLayout().
    bool recorded = false;

    /// Two runs are equal when every field is.
    bool operator==(const SpoolLayoutRun &) const = default;
};

/// What SpoolFile::check() found: the counts of what the file draws, and
/// the first error.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp SpoolCheck
struct QV_EXPORT SpoolCheck
{
    int32_t pages = 0;    ///< 1 plus the page breaks
    int32_t texts = 0;    ///< text records
    int32_t lines = 0;    ///< straight lines
    int32_t boxes = 0;    ///< boxes, filled or not
    int32_t points = 0;   ///< points
    int32_t circles = 0;  ///< circles, arcs and ellipses
    int32_t pictures = 0; ///< pictures
    /// The pages' layouts, page after page, in runs of pages laid out alike
    /// (one run when every page is), as far as the file was read.
    QList<SpoolLayoutRun> layouts;
    /// What a QPainter drew on a recording printer (PreviewPrinter): paths,
    /// polygons, lines, points and images; its runs of text count as texts.
    int32_t drawings = 0;
    /// The first error, with its number, a description that names the file,
    /// the line and what was expected, and Error::file() and Error::line();
    /// nullopt when the whole file reads. The counts stop there.
    std::optional<Error> error;

    /// True when the whole file reads (no error).
    bool ok() const { return !error; }
};

/// One place where SpoolFile::find() found its text: a text record and where
/// in its text.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp SpoolMatch
struct QV_EXPORT SpoolMatch
{
    int32_t page = 0;   ///< 1-based page
    int32_t record = 0; ///< 0-based: the how-manieth text record of its page, in drawing order
    float x = 0;        ///< the record's left edge in twips from the page's left edge
    float y = 0;        ///< the lower edge of the record's first line in twips from the page's top
    int32_t offset = 0; ///< where the match starts in text, in characters (0-based)
    int32_t length = 0; ///< the match's length in characters
    QString text;       ///< the record's text, its lines joined by one space

    /// Two matches are equal when every field is.
    bool operator==(const SpoolMatch &) const = default;
};

/// How SpoolFile::find() matches its text, and how many matches it keeps.
struct SpoolFindOptions
{
    /// The most matches find() returns, the first in page order: past them
    /// it stops reading (and says so through its \a more argument), so its
    /// memory stays bounded whatever the file holds.
    static constexpr int32_t MaxMatches = 100000;

    /// False (the default): case-blind, with Unicode simple case folding
    /// ("perché" finds "PERCHÉ"); true: the characters as they are.
    bool matchCase = false;
    /// True: only matches with neither a letter, a digit, a combining mark
    /// nor "_" right before or right after them ("tot" finds "tot." and
    /// "(tot)", not "totale"). False by default.
    bool wholeWords = false;

    /// Two option sets are equal when every field is.
    bool operator==(const SpoolFindOptions &) const = default;
};

/// A spool file as the control records it: PrintPreview::spoolPath() while
/// the document lives, or a copy of that file. The object holds only the
/// path; each call reads the file afresh (the page starts are kept between
/// calls while the file's size and time of change stay the same).
///
/// Errors are qv::Error whose description says what went wrong and where:
/// 53 for a file that does not exist, 75 for one that cannot be read, the
/// replay's errors (13, 6, 62, 53, 481, ...: file, line and what was
/// expected) for a record that cannot be drawn, 482 for a print that cannot
/// start or finish (naming the printer and the file).
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp SpoolFile
class QV_EXPORT SpoolFile
{
public:
    /// The spool file at \a path; nothing is read until a call needs it.
    explicit SpoolFile(QString path);

    /// The path given to the constructor.
    const QString &path() const { return m_path; }

    /// Number of pages: 1 plus the page breaks, from one scan of the file.
    int32_t pageCount() const;

    /// The page a document recorded without a page layout is drawn on, in
    /// twips: the area within the margins of currentPageLayout() (the
    /// current printer's drawable area, or 11520 x 15872 without a printer).
    static QSize pageSizeTwips();
    /// The page that page \a page (1-based) is drawn on, in twips: the
    /// area within the margins of its recorded layout, else pageSizeTwips().
    /// Throws as pageLayout() does.
    QSize pageSizeTwips(int32_t page) const;
    /// The layout recorded with page \a page (1-based): the paper, its
    /// orientation and the margins the page was laid out on; nullopt when
    /// the page carries none (a file recorded while no layout was chosen,
    /// or one written before layouts were recorded: the page is then laid
    /// out on currentPageLayout()) or the document has no such page. Throws
    /// 53 or 75 for a file that cannot be read, 321 (file and line) for a
    /// malformed layout record.
    std::optional<QPageLayout> pageLayout(int32_t page) const;

    /// Draws page \a page (1-based) onto \a painter, whose coordinates must
    /// be twips from the page's top-left corner (of pageSizeTwips(page)) (scale the painter by
    /// dots per inch / 1440). The page's background is not painted. Raster
    /// operations (DrawMode other than 13) are exact only on a raster image.
    /// Throws 9 for a page outside 1..pageCount(); a page that cannot be
    /// read in full throws after drawing what could be read.
    /// \note The painter stays the caller's.
    void renderPage(int32_t page, QPainter &painter) const;

    /// Page \a page rasterised at \a dotsPerInch (above 0) on white: an
    /// image of pageSizeTwips(page) at that resolution, each side at most 32767
    /// pixels (error 5 beyond). A page that cannot be read in full: with
    /// \a error the image holds what could be drawn and the error is stored
    /// there; without it the error is thrown.
    QImage renderPage(int32_t page, double dotsPerInch, std::optional<Error> *error = nullptr) const;

    /// Writes page \a page, rasterised as renderPage() does, as the PNG file
    /// \a pngFile, whole or not at all: through a temporary file in its
    /// folder, renamed over it only once every byte is on the disk, so that
    /// a failed write leaves no partial file and an old file as it was (a
    /// device or a FIFO is written directly). Returns the image's size in
    /// pixels. Throws as renderPage() does, 61 (disk full or file size limit)
    /// or 75 when the file cannot be written, with the file and the
    /// system's reason, and 75 when \a pngFile is this spool file (through
    /// links too). A page that cannot be read in full is written as far as
    /// it was drawn, its error stored in \a error when given, else thrown
    /// after the file was written.
    QSize savePage(int32_t page, double dotsPerInch, const QString &pngFile,
                   std::optional<Error> *error = nullptr) const;
    /// Prints the pages that \a options choose, as one job, and returns when
    /// the job has been handed over. \a progress, when given, is called after
    /// each sheet with the sheets printed and the sheets in all. Throws 482
    /// without a printer or for an unknown one, 9 when the range holds no
    /// page of the document (no job is started), 482 when the job cannot be
    /// completed (a PDF file that could not be written whole, naming the file
    /// and the system's reason; an old file of that name stays as it was) or
    /// when the PDF file is this spool file, and the replay's errors (the job
    /// is then discarded). Returns the PDF file written; empty on a CUPS
    /// queue, and when \a options ask for no copies (0 or fewer: nothing is
    /// printed).
    QString print(const PrintOptions &options = PrintOptions(),
                  const std::function<void(int, int)> &progress = {}) const;
    /// The same, with a way to stop: \a cancelled (when given) is asked on
    /// the calling thread before every sheet but the first, and once more
    /// after the last sheet before the job is finished. True stops the print
    /// there and aborts the job: nothing goes to the printer (a CUPS job is
    /// never handed over) and no PDF file is written (an old file of that
    /// name stays as it was); then it throws qv::Error 18 ("Interruzione
    /// dell'utente", source "SpoolFile"). The check is asked between two
    /// sheets, so a print stops within one sheet's drawing. It may read a
    /// flag that a signal handler sets (an std::atomic<bool>), as qvpreview
    /// print does on Ctrl+C.
    ///
    /// \code
    /// std::atomic<bool> stop{false};  // set by a Cancel button or a signal
    /// qv::SpoolFile(path).print(options, [](int done, int total) { ... }, [&] { return stop.load(); });
    /// \endcode
    QString print(const PrintOptions &options, const std::function<void(int, int)> &progress,
                  const std::function<bool()> &cancelled) const;

    /// Opens the modal preview window on the file with the caption \a title;
    /// returns when the user closes it. Needs a QApplication with a display.
    /// The first page shows at once: the pages of a long file are counted
    /// while it is on show, and the page count grows as they are.
    /// A page that cannot be read in full is shown as far as it could be
    /// drawn, with the reader's error (file, line, what was expected) in the
    /// window. After the window closed, the first such error is stored in
    /// \a error when it is given, else thrown. Throws 53 or 75 at once for a
    /// file that does not exist or cannot be read.
    void showPreview(const QString &title, std::optional<Error> *error = nullptr) const;
    /// The same, the window opening as \a options say (maximised, at a size,
    /// fitted, remembering the user's last window, the page's shadow).
    void showPreview(const QString &title, const PreviewWindowOptions &options,
                     std::optional<Error> *error = nullptr) const;
    /// As showPreview(), on a file that another program is still appending
    /// to: the window shows the pages as they come (within half a second of
    /// each write; the page count, the page indicator and the thumbnails
    /// follow, a page on show that grows is drawn again, a find searches the
    /// new pages as well), and a record still being written (its lines not
    /// all there, the last without its line end) is shown once it is whole.
    /// The count is never final while the window is open: "successiva" and
    /// "ultima" go as far as the file holds now. A file cut shorter than
    /// what was read, deleted or replaced by another while on show is told
    /// in the window's error bar (error 75, saying which), the pages read
    /// stay, and that error is the window's first error as above. The file
    /// is watched through the file system's notices and looked at four
    /// times a second where none come; nothing while the window is idle and
    /// the file does not change. Throws as showPreview().
    void followPreview(const QString &title, const PreviewWindowOptions &options,
                       std::optional<Error> *error = nullptr) const;

    /// Reads the whole file as the replay does and counts what it draws.
    /// Every picture file is loaded as the render loads it, so a picture
    /// that render could not draw (no picture of an accepted format, QPicture
    /// data, a device or a pipe) is the check's error too (481, naming the
    /// picture file and the line of its record). Never throws: a file that
    /// cannot be read is its error.
    SpoolCheck check() const;

    /// Reads every page as the replay does and lists, page by page, what a
    /// report's author would want to know (LayoutFinding): a text that its
    /// field cut when it was recorded, or that is wider than its field as
    /// measured here; a record outside the page's printable area (in its
    /// margins) or beyond the paper's edge, on the page's recorded layout
    /// or, without one, on currentPageLayout(); a picture that cannot be read
    /// (the check goes on after it); a font that this machine draws with
    /// another face, once per page and face. Never throws: an error that
    /// stops the reading is LayoutCheck::error, with the findings before it.
    ///
    /// For example (examples/tour/main.cpp, which CI runs):
    /// \snippet tour/main.cpp LayoutCheck
    LayoutCheck checkLayout() const;

    /// Every place where \a text occurs in the document's text records
    /// (plain and centred texts, fields, each line of a multi-line block),
    /// in page order: case-blind, the lines of a record joined by one space
    /// (so a match may run across them, never across records), matches of
    /// one record not overlapping. An empty \a text finds nothing. Throws 53
    /// or 75 for a file that cannot be read, and the replay's errors (13, 6,
    /// 62: file, line and what was expected) for a text record that cannot
    /// be read. At most SpoolFindOptions::MaxMatches (100,000) matches are
    /// returned, the first in page order; the matches of one record share
    /// one copy of its text.
    QList<SpoolMatch> find(const QString &text) const;
    /// As find(text), matched as \a options say. \a more, when given, is
    /// set to true when there are matches past the MaxMatches returned
    /// (the search stopped there), else to false.
    QList<SpoolMatch> find(const QString &text, const SpoolFindOptions &options, bool *more = nullptr) const;

private:
    const QList<qint64> &starts() const;
    void openPreview(const QString &title, const PreviewWindowOptions &options, std::optional<Error> *error,
                     bool follow) const;

    QString m_path;
    // The document on the file: its page index, kept between calls.
    std::shared_ptr<spool::Document> m_document;
};

} // namespace qv
