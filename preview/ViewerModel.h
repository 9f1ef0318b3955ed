// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What the preview window shows, in one small object the parts of the window
// observe: the document and its growing page index, the page on show, the
// page count and whether it is final, the view, the zoom and the quality.
// Each has one signal, emitted when it changes and only then; every part
// reads the model and writes through it, so nothing is pushed by hand.
#pragma once

#include "preview/FindResults.h"
#include "render/LetturaDati.h"
#include "spool/Document.h"
#include "spool/PageIndexer.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QVector>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace qv {

class ViewerModel : public QObject
{
    Q_OBJECT
public:
    /// The views; their numbers are what the window remembers. Facing: two
    /// pages side by side, as a book; Overview: a grid of every page.
    enum class ViewMode { SinglePage = 0, Continuous = 1, Facing = 2, Overview = 3 };
    /// The four page commands.
    enum class PageCommand { First, Previous, Next, Last };
    /// What a page command did.
    enum class Step {
        Changed, ///< another page is now current
        AtLimit, ///< the command was at its limit: the window beeps
        Same,    ///< the page asked for is the one on show
    };

    explicit ViewerModel(QObject *parent = nullptr);

    // --- The document and its page index ---------------------------------------------

    const std::shared_ptr<const spool::Document> &document() const { return m_document; }
    /// The spool file's path (empty without a document).
    QString path() const { return m_document ? m_document->path() : QString(); }
    /// Another document; its page index goes with the old one.
    void setDocument(std::shared_ptr<const spool::Document> document);

    /// The growing page index of the document (null before it is made).
    spool::PageIndexer *index() const { return m_index.get(); }
    /// Takes \a index as the document's page index. While the count follows
    /// the index (setCountFromIndex()), the page count grows with it and is
    /// final once it is complete.
    void setIndex(std::shared_ptr<spool::PageIndexer> index);
    /// Makes the document's page index, named \a source in its errors: the
    /// growing index held against the page count (two pages or more), or
    /// counting the pages while the count follows the index; a document of
    /// one page has none, and its file must be there (opened without
    /// blocking: a FIFO in its place is 75, never waited on). The index's
    /// scan runs through \a runner (the worker's jobs). Throws as
    /// spool::Document::pageIndexer() does, and 53 for a missing file.
    void openIndex(const QString &source, spool::JobRunner runner = {});
    /// The start of page \a page (0-based) when the index knows it, else 0
    /// (the replay then counts page breaks from the start).
    qint64 pageStart(int32_t page) const;
    /// Waits until the index knows page \a page (0-based) or is complete;
    /// its start then, or 0.
    qint64 waitForStart(int32_t page);
    /// Every page start (1-based positions; 0: unknown), elements 0 to the
    /// page count, once the index is complete (waited for).
    QVector<qint64> allStarts();
    /// Waits until the index is complete and takes its end.
    void waitForIndex();
    /// The size of page \a page (0-based) at 100 %, in twips: the drawable
    /// area of its recorded layout, else of the current printer's page (also
    /// for a page whose start is not known yet, or whose layout record cannot
    /// be read: its replay shows that error). Kept for the last pages asked.
    QSize pageTwips(int32_t page) const { return pageTwipsAt(pageStart(page)); }
    /// The same for the page that starts at \a start (0: not known).
    QSize pageTwipsAt(qint64 start) const;
    /// Where the replay finds page \a page (0-based): at its start when the
    /// index knows it, else by counting page breaks.
    LetturaDati::PageSpec pageSpec(int32_t page) const;
    /// What a find searches now: the file, the starts known so far (the
    /// search reads on past them, so a document still being indexed is
    /// searched whole), the pages to search and the page on show.
    FindResults::Document searchDocument() const;
    /// Pages whose start is known so far, at most the page count: all of
    /// them once the index is complete.
    int32_t knownPages() const;
    /// True once the model has taken the index's end (or has no index).
    bool indexComplete() const { return !m_index || m_indexDone; }

    // --- Pages ---------------------------------------------------------------------

    /// The number of pages; while it follows an index still being built it
    /// is not final, and more pages come.
    int32_t pageCount() const { return m_pageCount; }
    bool pageCountFinal() const { return m_pageCountFinal; }
    void setPageCount(int32_t count, bool final = true);
    /// The pages a view shows: the count, and an empty document still
    /// shows its one empty page.
    int32_t viewPages() const { return std::max<int32_t>(m_pageCount, 1); }
    /// The page count follows the page index as it grows (a spool file whose
    /// pages nobody counted). Off by default: the count is the one given.
    void setCountFromIndex(bool on) { m_countFromIndex = on; }
    bool countFromIndex() const { return m_countFromIndex; }
    /// Follows a spool file that another program is still appending to
    /// (before openIndex(); it implies setCountFromIndex()): the index reads
    /// on as the file grows (resumed by whoever watches the file), the count
    /// is never final meanwhile, every replay and search reads only as far
    /// as the lines are whole (wholeEnd()), and pagesGrew() tells which
    /// pages changed. Off by default.
    void setFollowing(bool on)
    {
        m_following = on;
        if (on)
            m_countFromIndex = true;
    }
    bool following() const { return m_following; }
    /// Following: the byte offset up to which the file's lines are whole,
    /// what replays and searches read; -1 otherwise (the file's own end).
    qint64 wholeEnd() const;
    /// Waits, while the count follows an index still being built, until page
    /// \a number (1-based; INT64_MAX: every page) is indexed or the index is
    /// complete, and takes the count so far.
    void waitForPageNumber(qint64 number);

    /// 0-based index of the page on show.
    int32_t currentPage() const { return m_currentPage; }
    void setCurrentPage(int32_t page);

    /// Carries out \a command on the page on show. Previous on the first page
    /// stays there (AtLimit).
    Step go(PageCommand command);
    /// Goes to page \a number (1-based); AtLimit for a number outside the
    /// document.
    Step goTo(int64_t number);
    /// Whether \a command would show another page now.
    bool canGo(PageCommand command) const;
    /// Where \a command leads from page \a page (0-based) of \a count pages;
    /// nullopt at its limit.
    static std::optional<int32_t> pageAfter(PageCommand command, int32_t page, int32_t count);

    /// The page indicator for page \a page (1-based) of \a count: the number
    /// with its sign position (a blank before a positive number), "/", the
    /// count; " 1/3".
    static QString indicator(int64_t page, int64_t count);
    QString indicator() const { return indicator(int64_t(m_currentPage) + 1, m_pageCount); }

    // --- View, zoom, quality ---------------------------------------------------------------

    ViewMode viewMode() const { return m_viewMode; }
    void setViewMode(ViewMode mode);
    /// The zoom factor (1 = 100 %).
    double zoom() const { return m_zoom; }
    void setZoom(double factor);
    /// "Massima qualità": full colour (true) or 256 colours.
    bool bestQuality() const { return m_bestQuality; }
    void setBestQuality(bool best);

signals:
    void documentChanged();
    /// Another index, or the index learned more pages (\a known as knownPages()).
    void indexGrew(int32_t known);
    /// The index is complete, or stopped at an error.
    void indexFinished();
    /// Following: the pages from \a fromPage (0-based) on are new or hold
    /// more records than when they were last read; what was made of them
    /// is out of date.
    void pagesGrew(int32_t fromPage);
    void pageCountChanged(int32_t count);
    void currentPageChanged(int32_t page);
    void viewModeChanged(ViewMode mode);
    void zoomChanged(double factor);
    void qualityChanged(bool best);

private:
    void indexChanged();

    std::shared_ptr<const spool::Document> m_document;
    std::shared_ptr<spool::PageIndexer> m_index;
    bool m_indexDone = false; // the index's end was taken
    int32_t m_pageCount = 0;
    bool m_pageCountFinal = true;
    bool m_countFromIndex = false;
    bool m_following = false;
    qint64 m_toldEnd = -1; // the whole end told by the last pagesGrew()
    int32_t m_currentPage = 0;
    ViewMode m_viewMode = ViewMode::SinglePage;
    double m_zoom = 1;
    bool m_bestQuality = false;
    mutable std::map<qint64, QSize> m_pageSizes; // by page start
};

} // namespace qv
