// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page commands of the preview window: the four page buttons and keys,
// a page number typed into the indicator, a page chosen among the
// thumbnails or by a find, and the page turned by scrolling past its end.
#pragma once

#include "preview/DocumentView.h"
#include "preview/ViewerModel.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>

namespace qv {

/// Carries out the page commands on the model (waiting, under the busy
/// pointer, for a page the growing index has not reached yet), beeps at
/// their limits and has the view on show show the new page.
class PageNavigator : public QObject
{
    Q_OBJECT
public:
    /// Commands on \a model, shown by the view \a view gives.
    PageNavigator(ViewerModel &model, std::function<DocumentView &()> view, QObject *parent = nullptr);

    /// \a command on the page on show; a beep at its limit when \a beep.
    void go(ViewerModel::PageCommand command, bool beep);
    /// Page \a number (1-based); a number outside the document beeps when \a beep.
    void goTo(qint64 number, bool beep = true);
    /// The number at the start of \a text (a page typed into the indicator);
    /// anything else beeps.
    void goToTyped(const QString &text);
    /// The next page shown from its top, or the previous one from its
    /// bottom, as a reader scrolling through the document expects.
    void turn(bool forward, bool beep);
    /// Scrolls the view by \a twips; at its end, with \a turnPage, the page
    /// is turned where the view turns pages, and the document's ends beep.
    void scroll(double twips, bool turnPage, bool beep);
    /// A find's \a match on page \a page (1-based): the page (indexed first,
    /// where the index has not reached it yet), and the match in view.
    void showMatch(int32_t page, const spool::TextMatch *match);
    /// While the count follows an index still being built, waits under the
    /// busy pointer until page \a number (1-based) is indexed.
    void reachPage(qint64 number);

Q_SIGNALS:
    /// The view shows page \a page (0-based), as far as \a error let it.
    void shown(int32_t page, std::exception_ptr error);
    /// The command led to the page on show: the indicator shows it again.
    void stayed();

private:
    void after(ViewerModel::Step step, bool beep);

    ViewerModel &m_model;
    std::function<DocumentView &()> m_view;
};

} // namespace qv
