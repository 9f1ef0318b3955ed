// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The results of a find in the document on show, apart from the find bar
// that asks for them: the search as jobs of the viewer's worker, from the
// page on show to the end and then from the first page, the matches found
// so far in document order (where they are, not their text), the current
// one, and what each page highlights. Both views light their pages from
// here; the bar is only the field, the buttons and the label.
#pragma once

#include "render/TextHighlight.h"
#include "spool/TextSearch.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace qv {

class PageWorker;

class FindResults : public QObject
{
    Q_OBJECT
public:
    /// What a search reads of the document when it starts.
    struct Document
    {
        QString path;            ///< the spool file
        spool::PageIndex index;  ///< where each page starts, as far as it is known (at least page 1)
        int32_t pages = 0;       ///< the pages to search; 0: as many as the index holds. The
                                 ///< pages past the index are read on from its last start.
        int32_t currentPage = 1; ///< the page on show, 1-based: the search starts there
        qint64 end = -1;         ///< read up to this byte offset (a file still being written,
                                 ///< whole up to there); -1: to the file's end
    };

    /// The most matches a search collects (spool::TextSearch::MatchLimit):
    /// past it the search stops, and limited() says so.
    static constexpr qsizetype MatchLimit = spool::TextSearch::MatchLimit;

    explicit FindResults(QObject *parent = nullptr);
    /// Stops the search; a job of it still running drops what it finds.
    ~FindResults() override;

    /// The worker the search runs on, in stretches of pages at the lowest
    /// priority (PageWorker::Priority::Find), so pages and thumbnails go
    /// first. Without one the results make a worker of their own. The
    /// worker may go before the results.
    void setWorker(PageWorker *worker);

    /// Searches \a document for \a query as \a options say (case-blind
    /// anywhere by default), dropping the last search and its matches; an
    /// empty query only clears them.
    void search(const QString &query, const Document &document, spool::FindOptions options = {});
    /// Stops the search and forgets the query and its matches: no page
    /// highlights anything.
    void clear();
    /// The document grew (a file still being written): pages from
    /// \a fromPage (1-based) on are new or hold more. With a query, their
    /// old matches go and they are searched anew as a job, once the search
    /// under way is over; the pages before are never searched again.
    void documentGrew(const Document &document, int32_t fromPage);

    const QString &query() const { return m_query; }
    const spool::FindOptions &options() const { return m_options; }
    /// Matches known so far, and whether the search has been through every
    /// page (or stopped at the limit).
    qsizetype count() const { return m_before.size() + m_after.size(); }
    bool searching() const { return m_job != nullptr; }
    bool done() const { return m_done; }
    /// True when the search stopped at MatchLimit matches: there are more.
    bool limited() const { return m_limited; }
    /// The reader's message when a text record could not be read.
    const QString &error() const { return m_error; }
    /// The current match (1-based number in document order; 0: none) and the match itself.
    qsizetype currentNumber() const { return m_current + 1; }
    const spool::TextMatch *current() const;
    /// The next (\a direction +1) or previous (-1) match, across pages,
    /// wrapping round; the first or last when none is current.
    void step(int direction);

    /// What page \a page (1-based) highlights: the matches found on it, the
    /// current one apart. Null without a query. The same object while the
    /// page's matches and the current match stay, so a view that keeps it
    /// knows when to paint again; made from the matches in hand, never by
    /// searching the page again.
    std::shared_ptr<const TextHighlight> highlightFor(int32_t page) const;
    /// How many matches found so far lie on page \a page (1-based): a look-up
    /// in the matches in hand, so a thumbnail painted asks it at no cost
    /// that grows with the document. 0 without a query.
    qsizetype matchesOn(int32_t page) const;

signals:
    /// The matches, the state of the search or the current match changed.
    void changed();
    /// The current match moved, onto page \a page (1-based): show it.
    void currentMoved(int32_t page);
    /// The highlights changed on the pages already shown.
    void highlightChanged();

private:
    struct Mailbox;
    struct Batch;
    void stop();
    void submit(int32_t from, bool wrapped);
    void extend();
    void received(const Batch &batch);
    void setCurrent(qsizetype number);

    QString m_query;
    spool::FindOptions m_options;
    Document m_document;
    int32_t m_pages = 0;
    int32_t m_first = 1;      // the page the search started on
    bool m_extending = false; // searching the pages that grew
    int32_t m_grewFrom = 0;   // pages to search again once the search is over (0: none)
    // The matches in document order: the pages before the one the search
    // started on (found second), then those from it on (found first).
    QList<spool::TextMatch> m_before;
    QList<spool::TextMatch> m_after;
    qsizetype m_current = -1; // 0-based number in document order; -1: none
    bool m_done = true;
    bool m_limited = false;
    QString m_error;

    QPointer<PageWorker> m_worker;
    PageWorker *m_ownWorker = nullptr;
    std::shared_ptr<Mailbox> m_mailbox;
    std::shared_ptr<std::atomic<bool>> m_job; // the flag of the job queued or running
    quint64 m_generation = 0;
    // What each page with matches highlights, made when first asked; the
    // pages without one share m_none.
    mutable QHash<int32_t, std::shared_ptr<TextHighlight>> m_highlights;
    mutable std::shared_ptr<TextHighlight> m_none;
};

} // namespace qv
