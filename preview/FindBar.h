// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The preview window's find bar: a text field, previous and next buttons, a
// label that says where the user is among the matches, and a close button.
// Two checkable buttons say how the text matches (the case counts, whole
// words only). It is the find's face only: the search, its matches and the
// highlights are FindResults', which runs it on the viewer's worker, from the
// page on show to the end and then from the first page, so a long document
// never holds the window up.
#pragma once

#include "preview/FindResults.h"

#include <QFrame>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QToolButton;

namespace qv {

class FindBar : public QFrame
{
    Q_OBJECT
public:
    /// What a search needs from the window when it starts.
    using Document = FindResults::Document;

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

    /// The matches and the highlights, which both views light their pages from.
    FindResults *results() const { return m_results; }
    /// What the page \a page (1-based) highlights: every match of the query,
    /// the current one apart. Null while the bar is hidden or has no query.
    std::shared_ptr<const TextHighlight> highlightFor(int32_t page) const { return m_results->highlightFor(page); }

    /// The label's text: "3 di 12", "Nessuna corrispondenza", ...
    QString status() const;
    /// Matches known so far, and whether the search has been through every page.
    qsizetype matchCount() const { return m_results->count(); }
    bool searching() const { return m_results->searching(); }
    /// The current match (1-based number in document order; 0: none) and the match itself.
    qsizetype currentNumber() const { return m_results->currentNumber(); }
    const spool::TextMatch *current() const { return m_results->current(); }

    /// How the field's text matches: the two checkable buttons beside it
    /// ("Aa": the case counts; "ab|": whole words only). Both off by default;
    /// setting either searches again.
    spool::FindOptions options() const;
    void setOptions(spool::FindOptions options);

    /// The field is as wide as about this many average characters at most
    /// (and half of it at least): a compact field beside its buttons, as in
    /// the document viewers, not one across the window.
    static constexpr int FieldChars = 28;
    /// The field's widest width, in logical pixels, from the field's font.
    int fieldMaximumWidth() const;

    QLineEdit *field() const { return m_field; }
    QLabel *label() const { return m_label; }
    QToolButton *matchCaseButton() const { return m_matchCase; }
    QToolButton *wholeWordsButton() const { return m_wholeWords; }

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
    void describe();
    void start();
    void step(int direction);
    void refresh();

    std::function<Document()> m_document;
    FindResults *m_results = nullptr;
    QLineEdit *m_field = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_matchCase = nullptr;
    QToolButton *m_wholeWords = nullptr;
    QLabel *m_label = nullptr;
    QToolButton *m_close = nullptr;
};

} // namespace qv
