// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// One recorded document: its spool file (path and file identity), its page
// count, its picture files and its page index. The control records into one;
// the preview window, the print engine and SpoolFile are handed one and read
// from it. The page index is built here and nowhere else.
#pragma once

#include "spool/SpoolWriter.h"

#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace qv::spool {

class PageIndexer;

/// A background job: it checks \a cancelled, set when its owner stops every
/// job, and is run even when cancelled before it started, to tell its caller.
using BackgroundJob = std::function<void(const std::atomic<bool> &cancelled)>;
/// Runs a background job later, on another thread (the viewer's worker).
using JobRunner = std::function<void(BackgroundJob job)>;

/// Where each page of a spool file starts: element 0 is 1 (the file start),
/// element n the 1-based byte position (64-bit) of the line after the n-th
/// page break line. The positions are those of PageStartScanner, so the
/// replay's seek lands on the page's first line.
using PageIndex = QList<qint64>;

/// The one page index builder: every page start of the file at \a path, from
/// one scan (PageStartScanner; memory does not grow with the file's lines).
/// Throws qv::Error with the source \a source: 53 for a missing file, 75 for
/// one that cannot be read.
PageIndex buildPageIndex(const QString &path, const QString &source);

/// The same scan, telling \a found about the starts as they are found: it
/// is called with the index so far whenever it grew by \a batch(current
/// size) starts or more (the size it was last called at and the size now
/// tell the new ones), and once more at the end. \a found returns false to
/// stop the scan, which then returns the starts found so far.
PageIndex buildPageIndex(const QString &path, const QString &source,
                         const std::function<bool(const PageIndex &starts)> &found,
                         const std::function<qsizetype(qsizetype size)> &batch);

/// \a index held against a page count kept while recording
/// (\a expectedPages): one start more than pages is tolerated; more is
/// error 9 naming \a path, with the source \a source, unless the count is
/// 32767 or more (the control's count stops there), when the index is cut
/// after that many pages plus one and the pages past them are out of reach.
PageIndex limitToPageCount(PageIndex index, int32_t expectedPages, const QString &path, const QString &source);

class Document
{
public:
    /// The most pages a recorded document counts; page breaks past it are
    /// still recorded, but the count stays.
    static constexpr int32_t MaxRecordedPages = std::numeric_limits<int16_t>::max();

    /// No document: nothing recorded yet.
    Document() = default;

    /// The spool file at \a path as it stands (a file recorded earlier, or
    /// one to show or print): its identity is the file the name leads to
    /// now (none when it is no regular file), its page count comes from the
    /// page index. Touches nothing: a missing file is an error only when its
    /// pages are read.
    static Document onFile(const QString &path);

    const QString &path() const { return m_path; }
    bool isEmpty() const { return m_path.isEmpty(); }

    // --- The file -------------------------------------------------------------

    /// Which file the document is; nullopt while it has none of its own.
    const std::optional<SpoolIdentity> &identity() const { return m_identity; }
    /// True when path() still names the document's own file: not deleted,
    /// not replaced by a link or another file since the document took it.
    bool isOwnFile() const;

    // --- Recording (the control) -------------------------------------------------

    /// Starts a document on the new name \a path; it has no file until claim().
    void start(const QString &path);
    /// Takes the file of the name (spool::claimSpoolFile) when the document
    /// has none yet. False while the name cannot be had.
    bool claim();
    /// Appends \a record to the document's own file (spool::appendRecord):
    /// never through a link, never into a file that replaced it, never into a
    /// new file after the old one vanished. False when it is not in the file.
    bool append(const QByteArray &record) const;
    /// One more page, up to MaxRecordedPages.
    void addPage();
    /// Pictures are files of the document: they go when it is discarded.
    void addPicture(const QString &file) { m_pictures.append(file); }
    /// Forgets the last picture added (its record could not be written).
    void removeLastPicture() { m_pictures.removeLast(); }
    /// Deletes the spool file (only while it is still the document's own)
    /// and every picture file, and empties the document.
    void discard();

    // --- Pages ----------------------------------------------------------------------

    /// The page count: the recorded count for a document being recorded (1
    /// for no document), the page starts of the file (at most 2^31 - 1) for one on a file.
    /// Reads the file for the latter; throws as pageIndex() does, with the
    /// source \a source.
    int32_t pageCount(const QString &source) const;
    /// The page index (buildPageIndex): every page start of the file. Built
    /// on first use and again whenever the file changed (the file the name
    /// leads to, its size or its time of change); \a source names the
    /// reader in an error.
    const PageIndex &pageIndex(const QString &source) const;
    /// The page index held against \a expectedPages (limitToPageCount).
    PageIndex pageIndex(const QString &source, int32_t expectedPages) const;

    /// The layout recorded with page \a page (1-based): its layout record
    /// (TagPage), or nullopt when it has none (it is laid out on the current
    /// printer's page) or the document has no such page. The one place
    /// where a reader asks a page's layout; it reads the page's first line.
    /// Throws as pageIndex() does, and 321 (file and line) for a malformed
    /// layout record.
    std::optional<QPageLayout> pageLayout(int32_t page, const QString &source) const;

    /// A file at least this long has its growing index scanned in the
    /// background; a shorter one is indexed at once (a millisecond or less).
    static constexpr qint64 BackgroundIndexBytes = 1024 * 1024;
    /// The growing page index of the file, held against \a expectedPages
    /// (none: the index counts the pages). A file shorter than
    /// BackgroundIndexBytes is indexed at once through pageIndex(), and this
    /// throws as pageIndex() and limitToPageCount() do; a longer one is
    /// scanned in the background, started here (as jobs of \a runner, one
    /// slice of the file a job, or in a thread of its own without one), and
    /// its errors come with PageIndexer::done().
    std::shared_ptr<PageIndexer> pageIndexer(const QString &source, std::optional<int32_t> expectedPages,
                                             JobRunner runner = {}) const;

    /// The page index of a file that another program is still appending to
    /// (PageIndexer::setFollowing()): always scanned as jobs of \a runner,
    /// whatever the file's length, counting the pages, started here.
    std::shared_ptr<PageIndexer> followingIndexer(const QString &source, JobRunner runner) const;

    /// The document's picture files, in recording order.
    const QStringList &pictures() const { return m_pictures; }

private:
    QString m_path;
    std::optional<SpoolIdentity> m_identity;
    bool m_recorded = false;
    int32_t m_pages = 1;
    QStringList m_pictures;

    struct IndexKey
    {
        std::optional<SpoolIdentity> file;
        qint64 size = -1;
        qint64 modified = 0;
        bool operator==(const IndexKey &) const = default;
    };
    mutable std::optional<IndexKey> m_indexKey;
    mutable PageIndex m_index;
};

} // namespace qv::spool
