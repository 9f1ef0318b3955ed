// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The results of a find in the document on show, apart from the find bar
// that asks for them: the search on a worker thread, from the page on show
// to the end and then from the first page, the matches found so far in
// document order, the current one, and what each page highlights. Both views
// light their pages from here; the bar is only the field, the buttons and
// the label.
#pragma once

#include "render/TextHighlight.h"
#include "spool/TextSearch.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class QThread;

namespace qv {

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
    };

    explicit FindResults(QObject *parent = nullptr);
    /// Stops the search and waits for its thread.
    ~FindResults() override;

    /// Searches \a document for \a query (case-blind), dropping the last
    /// search and its matches; an empty query only clears them.
    void search(const QString &query, const Document &document);
    /// Stops the search and forgets the query and its matches: no page
    /// highlights anything.
    void clear();

    const QString &query() const { return m_query; }
    /// Matches known so far, and whether the search has been through every page.
    qsizetype count() const { return m_before.size() + m_after.size(); }
    bool searching() const { return m_thread != nullptr; }
    bool done() const { return m_done; }
    /// The reader's message when a text record could not be read.
    const QString &error() const { return m_error; }
    /// The current match (1-based number in document order; 0: none) and the match itself.
    qsizetype currentNumber() const { return m_current + 1; }
    const spool::TextMatch *current() const;
    /// The next (\a direction +1) or previous (-1) match, across pages,
    /// wrapping round; the first or last when none is current.
    void step(int direction);

    /// What page \a page (1-based) highlights: every match of the query, the
    /// current one apart. Null without a query.
    std::shared_ptr<const TextHighlight> highlightFor(int32_t page) const;

signals:
    /// The matches, the state of the search or the current match changed.
    void changed();
    /// The current match moved, onto page \a page (1-based): show it.
    void currentMoved(int32_t page);
    /// The highlights changed on the pages already shown.
    void highlightChanged();

private:
    void stop();
    void received(quint64 generation, bool wrapped, const QList<spool::TextMatch> &matches, bool done,
                  const QString &error);
    void setCurrent(qsizetype number);

    QString m_query;
    // The matches in document order: the pages before the one the search
    // started on (found second), then those from it on (found first).
    QList<spool::TextMatch> m_before;
    QList<spool::TextMatch> m_after;
    qsizetype m_current = -1; // 0-based number in document order; -1: none
    bool m_done = true;
    QString m_error;

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
    quint64 m_generation = 0;
    mutable std::shared_ptr<TextHighlight> m_highlight; // the last one handed out
};

} // namespace qv
