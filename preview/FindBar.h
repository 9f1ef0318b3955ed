// qvPreview - print preview for Qt applications.
// The preview window's find bar: a text field, previous and next buttons, a
// label that says where the user is among the matches, and a close button.
// The search runs on a worker thread, from the page on show to the end and
// then from the first page, so a long document never holds the window up.
#pragma once

#include "render/TextHighlight.h"
#include "spool/TextSearch.h"

#include <QFrame>
#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QThread;
class QToolButton;

namespace qv {

class FindBar : public QFrame
{
    Q_OBJECT
public:
    /// What a search needs from the window when it starts.
    struct Document
    {
        QString path;            ///< the spool file
        spool::PageIndex index;  ///< where each page starts, as far as it is known (at least page 1)
        int32_t pages = 0;       ///< the pages to search; 0: as many as the index holds. The
                                 ///< pages past the index are read on from its last start.
        int32_t currentPage = 1; ///< the page on show, 1-based: the search starts there
    };

    /// \a document is asked at the start of every search.
    explicit FindBar(std::function<Document()> document, QWidget *parent = nullptr);
    ~FindBar() override;

    /// Shows the bar (if hidden) and puts the focus in its field, its text selected.
    void open();
    /// Hides the bar, stops the search and drops the highlights.
    void close();
    /// The next and the previous match, across pages, wrapping round.
    void next();
    void previous();

    /// What the page \a page (1-based) highlights: every match of the query,
    /// the current one apart. Null while the bar is hidden or has no query.
    std::shared_ptr<const TextHighlight> highlightFor(int32_t page) const;

    /// The label's text: "3 di 12", "Nessuna corrispondenza", ...
    QString status() const;
    /// Matches known so far, and whether the search has been through every page.
    qsizetype matchCount() const { return m_before.size() + m_after.size(); }
    bool searching() const { return m_thread != nullptr; }
    /// The current match (1-based number in document order; 0: none) and the match itself.
    qsizetype currentNumber() const;
    const spool::TextMatch *current() const;

    QLineEdit *field() const { return m_field; }
    QLabel *label() const { return m_label; }

signals:
    /// Show page \a page (1-based): the current match is there.
    void showPage(int32_t page);
    /// The highlights changed on the pages already shown.
    void highlightChanged();
    /// The bar was shown or hidden.
    void visibilityChanged(bool visible);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start();
    void stop();
    void received(quint64 generation, bool wrapped, const QList<spool::TextMatch> &matches, bool done,
                  const QString &error);
    void step(int direction);
    void setCurrent(qsizetype number);
    void refresh();

    std::function<Document()> m_document;
    QLineEdit *m_field = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QLabel *m_label = nullptr;
    QToolButton *m_close = nullptr;

    // The matches in document order: the pages before the one the search
    // started on (found second), then those from it on (found first).
    QList<spool::TextMatch> m_before;
    QList<spool::TextMatch> m_after;
    qsizetype m_current = -1; // 0-based number in document order; -1: none
    bool m_done = false;
    QString m_error;

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
    quint64 m_generation = 0;
    mutable std::shared_ptr<TextHighlight> m_highlight; // the last one handed out
};

} // namespace qv
