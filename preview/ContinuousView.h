// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The continuous view of the preview window: every page one under another,
// with a gap between them, scrolled as one document; and the facing pages,
// two pages a row as in a book, scrolled the same way.
#pragma once

#include "preview/DocumentView.h"
#include "preview/ImmaginePagina.h"
#include "preview/SpreadLayout.h"
#include "render/PageSurface.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <QSize>
#include <QWheelEvent>

#include <cstdint>
#include <exception>
#include <map>

namespace qv {

class FindResults;

/// Shows the pages of the model's document one under another, each at its
/// own size (its recorded page layout) at the zoom of the PageView it shares
/// with the window's other views, with a gap of Gap pixels around each.
/// In the mode Facing the pages stand two a row, as in a book: page 1 alone
/// at the right (firstAlone(), the default) or beside page 2, the two
/// pages of a row SpineTwips apart at the zoom. Every page is taken to have
/// the size of page 1 until the view replays it; only the pages of another
/// size are kept (by page), so the positions are arithmetic on page 1's
/// size, the page count and those few pages (SpreadLayout): nothing is
/// read to lay out the document.
///
/// Only the pages in view and one page (a row) on either side are replayed (onto a
/// page surface of the view's own), and only the pages in view get a widget
/// (an ImmaginePagina, which rasterises just its visible part at the current
/// zoom); a page that leaves that range is forgotten. Memory therefore
/// follows the size of the view, not the length of the document.
///
/// The keys are left to the window (which scrolls the view through
/// DocumentView); the wheel scrolls the view, Ctrl and the wheel go to the
/// window (zoomWheel). The left button drags the document, the right one
/// asks for the window's menu.
class ContinuousView : public QAbstractScrollArea, public DocumentView
{
    Q_OBJECT
public:
    /// Gap between two pages and around the document, in logical pixels.
    static constexpr int Gap = 12;
    /// Between the two pages of a row of facing pages, in twips at 100 %
    /// (12 pixels), drawn at the zoom: a spread fitted to the window fits.
    static constexpr int SpineTwips = 180;

    /// A view of \a model at \a zoom, with the highlights of \a find: its
    /// page count and its page on show, which the view scrolls to when it
    /// changes elsewhere and sets as it is scrolled. \a mode: Continuous,
    /// or Facing for two pages a row.
    ContinuousView(ViewerModel &model, PageView &zoom, const FindResults &find, QWidget *parent = nullptr,
                   ViewerModel::ViewMode viewMode = ViewerModel::ViewMode::Continuous);

    /// Facing pages: page 1 alone at the right of the first row, as a book
    /// opens (true, the default), or beside page 2. The page in view stays.
    void setFirstAlone(bool alone);
    bool firstAlone() const { return m_layout.firstAlone(); }
    /// Where the pages lie, in logical pixels.
    const SpreadLayout &layout() const { return m_layout; }

    /// The 256-colour conversion of the rasters, used while the model asks
    /// for 256 colours.
    void setConverter(ImmaginePagina::Convertitore converter);
    /// The cursors over the pages, and while dragging.
    void setCursors(const QCursor &open, const QCursor &closed);

    /// The size of the page on show on the screen, in logical pixels, and of
    /// page \a page (0-based) as the view lays it out now.
    QSize pageSize() const { return pageSize(currentPage()); }
    QSize pageSize(int32_t page) const;
    /// The number of pages, the model's. It may grow (or shrink) while the
    /// view is shown: the part of the document in view stays where it is.
    int32_t pageCount() const;
    /// The page on show (0-based), the model's: while the view is shown, the
    /// page that fills most of it.
    int32_t currentPage() const;

    /// Shows page \a page (0-based) from its top; it becomes the current page.
    void goToPage(int32_t page);
    /// Scrolls down by \a pixels (up when negative); false, with nothing
    /// moved, at that end of the document.
    bool scrollBy(int pixels);
    /// Scrolls right by \a pixels (left when negative).
    void scrollSideways(int pixels);
    /// Replays the pages in view again (the document or the quality changed).
    void reloadPages();
    /// Whether each page casts its shadow on the grey background (the
    /// window's pageShadow option; on by default), from the next pages laid.
    void setShadow(bool on) { m_shadow = on; }

    /// Where page \a page lies, in the viewport's coordinates.
    QRect pageRect(int32_t page) const;
    /// The pages replayed and kept now (in view and beside it).
    int pagesInMemory() const { return int(m_pages.size()); }
    /// The pages that have a widget now (those in view).
    int pagesShown() const { return int(m_widgets.size()); }
    /// The widget of page \a page while it is in view, else null.
    ImmaginePagina *widgetOf(int32_t page) const;
    /// Number of replays so far (for tests).
    int replays() const { return m_replays; }

    // DocumentView
    ViewerModel::ViewMode mode() const override { return m_mode; }
    void setActive(bool active) override;
    bool isActive() const override { return !isHidden(); }
    void takeFocus() override { setFocus(Qt::OtherFocusReason); }
    QWidget *focusTarget() const override { return const_cast<ContinuousView *>(this); }
    bool setArea(const QRect &area, QSizeF viewportTwips, bool followZoom) override;
    std::exception_ptr showCurrentPage() override { return error(currentPage()); }
    std::exception_ptr reload() override;
    void zoomChanged() override;
    std::exception_ptr error(int32_t page) const override;
    bool scrollVertical(double twips) override;
    void scrollHorizontal(double twips) override;
    bool turnsPages() const override { return false; }
    void showFrom(bool) override {}
    double screenHeight() const override;
    bool zoomAbout(PageView::Zoom zoom, QPointF global) override;
    void reveal(int32_t page, const QRectF &rect) override;
    void highlightsChanged() override;
    void setOutline(int32_t page, const QRectF &twips) override;

Q_SIGNALS:
    /// The right button was released at \a global.
    void menuRequested(QPoint global);
    /// The wheel turned with Ctrl held: the window's zoom.
    void zoomWheel(const QWheelEvent &event);
    /// Scrolling made \a page (0-based) the page on show.
    void pageScrolled(int32_t page);

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    struct Page
    {
        FrozenPage drawing;
        std::exception_ptr error;
    };

    QSize pixelsOf(QSize twips) const;
    /// What the shared zoom fits for \a page: the page, or its row of
    /// facing pages (two places as wide as its widest page, and the spine).
    QSize zoomPage(int32_t page) const;
    int documentHeight() const;
    int documentWidth() const;
    void updateBars();
    /// The pages' sizes at the zoom of now; the point in the middle of the
    /// view stays on the same place of its page.
    void updateSizes();
    /// Learns the size of \a page from its layout; true when it differs
    /// from what the view had.
    bool learnSize(int32_t page);
    /// Lays the pages in view out, replays what is missing and forgets what
    /// left the view and its neighbours.
    void layoutPages();
    int32_t mostVisiblePage() const;
    void followScroll();
    void pageCountChanged();
    bool fullColour() const;

    ViewerModel &m_model;
    PageView &m_zoom;
    const FindResults &m_find;
    ViewerModel::ViewMode m_mode;
    // The layout finding outlined (setOutline()): its page, -1 for none, and place.
    int32_t m_outlinePage = -1;
    QRectF m_outlineTwips;
    PageSurface m_surface;
    bool m_following = false; // the view is setting the model's page
    bool m_shadow = true;     // each page with its shadow
    // Page 1's size at 100 % and the pages of another size; on the screen,
    // where they lie.
    QSize m_firstTwips;
    std::map<int32_t, QSize> m_otherTwips;
    SpreadLayout m_layout;
    ImmaginePagina::Convertitore m_converter;
    std::map<int32_t, Page> m_pages;
    std::map<int32_t, ImmaginePagina *> m_widgets;
    QCursor m_open{Qt::OpenHandCursor};
    QCursor m_closed{Qt::ClosedHandCursor};
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_valuesAtStart;
    bool m_moving = false; // a page was chosen: the current page stays it
    bool m_laying = false;
    int m_replays = 0;
    int m_wheelRest = 0;
};

} // namespace qv
