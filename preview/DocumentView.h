// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What every view of the preview window does for the window: one page at a
// time (SinglePageView), every page one under another (ContinuousView), and
// any further way of laying the document out (facing pages, an overview of
// all pages). The window holds one view per mode of ViewerModel::ViewMode,
// shows the one the model names and hands it the keys, the wheel and the
// zoom; no view knows of the others, and each reads the model it was given.
#pragma once

#include "preview/PageView.h"
#include "preview/ViewerModel.h"
#include "spool/TextSearch.h"

#include <QColor>
#include <QPalette>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>

namespace qv {

class DocumentView
{
public:
    /// The mode of the model this view shows.
    virtual ViewerModel::ViewMode mode() const = 0;

    /// Shown (\a active: from the model's page on show, with the keyboard
    /// focus) or hidden (keeping no page).
    virtual void setActive(bool active) = 0;
    virtual bool isActive() const = 0;
    /// Takes the keyboard focus (after a dialog, the find bar or the zoom box).
    virtual void takeFocus() = 0;
    /// The widget that has the focus while the view is on show.
    virtual QWidget *focusTarget() const = 0;
    /// Lays the view out over \a area (pixels of the window: viewport and
    /// scroll bars), with the twips \a viewportTwips its page viewport has;
    /// with \a followZoom a fitted zoom is fitted again. True when the zoom
    /// follows the viewport and so changed.
    virtual bool setArea(const QRect &area, QSizeF viewportTwips, bool followZoom) = 0;

    /// The page on show changed by a page command, or is to be drawn again:
    /// shows it. Returns the error met reading it.
    virtual std::exception_ptr showCurrentPage() = 0;
    /// Reads the pages on show again ("Aggiorna"); the error of the page on show.
    virtual std::exception_ptr reload() = 0;
    /// The zoom (the shared PageView) or the quality changed: draws again at
    /// the new size.
    virtual void zoomChanged() = 0;
    /// The error met reading \a page (0-based), where the view keeps it.
    virtual std::exception_ptr error(int32_t page) const = 0;

    /// Scrolls down by \a twips (up when negative); false, with nothing
    /// moved, at that end of what the view scrolls (the page or the document).
    virtual bool scrollVertical(double twips) = 0;
    virtual void scrollHorizontal(double twips) = 0;
    /// Whether a page command turns to the page next to the one on show
    /// when the view cannot scroll further (the single page does, the
    /// continuous view scrolls through page boundaries by itself).
    virtual bool turnsPages() const = 0;
    /// After a page turn by scrolling: the new page from its top (\a fromTop)
    /// or from its bottom.
    virtual void showFrom(bool fromTop) = 0;
    /// How far a screen's scroll (PgDn, Space) goes, in twips.
    virtual double screenHeight() const = 0;
    /// One zoom command about \a global (screen coordinates): the point of
    /// the page under it stays there, as far as the view scrolls. False at
    /// the command's limit.
    virtual bool zoomAbout(PageView::Zoom zoom, QPointF global) = 0;

    /// Brings \a rect (twips of page \a page, 0-based) into view: a find's
    /// match, at any zoom.
    virtual void reveal(int32_t page, const QRectF &rect) = 0;
    /// The find's highlights changed: the pages on show take them again.
    virtual void highlightsChanged() = 0;
    /// Outlines \a twips (page twips, a layout finding's place) on page
    /// \a page (0-based) while it is on show, until another outline is set;
    /// page -1 removes it. A view that draws no outline ignores it.
    virtual void setOutline(int32_t page, const QRectF &twips)
    {
        (void)page;
        (void)twips;
    }

    /// Gives \a area the grey every view shows around and between its pages.
    static void setPageAreaBackground(QWidget *area)
    {
        area->setAutoFillBackground(true);
        QPalette pal = area->palette();
        pal.setColor(QPalette::Window, QColor(128, 128, 128));
        pal.setColor(QPalette::Base, QColor(128, 128, 128));
        area->setPalette(pal);
    }

    /// Where a find's match lies on its page, in twips: its record's place,
    /// a line high (its place within the line is the painter's to measure).
    static QRectF matchArea(const spool::TextMatch &match)
    {
        constexpr double Line = 300;
        return QRectF(match.x, match.y - Line, std::max(Line, match.length * 120.0), Line * 1.5);
    }

protected:
    ~DocumentView() = default;
};

} // namespace qv
