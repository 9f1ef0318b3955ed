// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The layout panel in the preview window: shown and hidden by Ctrl+L and
// by its item in the menu of the views, at the right of the page area; it
// checks the document on show as a job of the window's worker, and a
// finding chosen in it shows its page, brings its place into view and has
// every view outline it until another is chosen or the panel closes.
#pragma once

#include "preview/DocumentView.h"
#include "preview/PageNavigator.h"
#include "preview/PageWorker.h"
#include "preview/ViewerModel.h"

#include <QList>
#include <QObject>
#include <QRect>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace qv {

class LayoutPanel;

class LayoutLink : public QObject
{
    Q_OBJECT
public:
    /// A hidden panel in \a window, checking \a model's document on
    /// \a worker, going to a finding through \a navigator and outlining it
    /// on each of \a views; its item goes at the end of \a menu.
    LayoutLink(ViewerModel &model, PageNavigator &navigator, PageWorker &worker, QList<DocumentView *> views,
               QWidget *window, QMenu *menu);

    LayoutPanel *panel() const { return m_panel; }
    /// Shows or hides the panel: shown, it checks the document on show if
    /// it has not (or its last check was stopped) and takes the focus;
    /// hidden, the outline goes.
    void setShown(bool shown);
    void toggle() { setShown(isHidden()); }
    bool isHidden() const;
    /// The width the panel takes at the right of the page area (0: hidden).
    int width() const;
    /// Puts the panel at the right of the window, from \a top down.
    void place(int top);
    /// A finding of \a page0 (0-based) at \a twips chosen (an empty place:
    /// the page only): its page on show, the place in view and outlined.
    void goTo(int page0, const QRectF &twips);

Q_SIGNALS:
    /// The panel was shown or hidden: the window lays itself out again.
    void visibilityChanged(bool visible);

private:
    void outline(int32_t page, const QRectF &twips);

    ViewerModel &m_model;
    PageNavigator &m_navigator;
    QList<DocumentView *> m_views;
    QWidget *m_window;
    LayoutPanel *m_panel;
    QAction *m_action;
};

} // namespace qv
