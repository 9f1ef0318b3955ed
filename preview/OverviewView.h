// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The overview of the preview window: every page of the document as a
// small picture in a grid, a mark on the page on show; a click or Enter
// opens the page marked.
#pragma once

#include "preview/DocumentView.h"
#include "preview/SpreadLayout.h"
#include "preview/ThumbnailWorker.h"

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPoint>
#include <QWheelEvent>

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_set>

namespace qv {

class PageWorker;

/// A grid of the model's pages, as many a row as the view is wide, each
/// in a cell of one size worked out from page 1's size and the zoom (a
/// small page is a quarter of the page at the window's zoom, between
/// MinWidth and MaxWidth pixels wide), with its number under it. A page
/// recorded on other paper or turned is drawn at its own shape in the
/// middle of its box, as in the thumbnail pane; the grid itself is
/// arithmetic (SpreadLayout), and no page has a widget or any data of its
/// own, so a document of any length opens its overview at once.
///
/// A small page is asked of the worker (ThumbnailWorker) only when its
/// cell is painted, the newest first; what it makes goes to the worker's
/// page cache, and the view holds the images of the rows in view (and one
/// on either side) only, so memory follows the size of the view.
///
/// The mark is the model's page on show: the arrows, PgUp / PgDn and
/// Home / End move it (and the page indicator follows), a click on a page
/// or Enter asks to open it (pageOpened). The wheel scrolls the grid,
/// Ctrl and the wheel go to the window (zoomWheel).
class OverviewView : public QAbstractScrollArea, public DocumentView
{
    Q_OBJECT
public:
    /// Between the cells and around the grid, in logical pixels.
    static constexpr int Gap = 12;
    /// Around a small page in its cell.
    static constexpr int Padding = 8;
    /// Between a small page and its number.
    static constexpr int TextGap = 4;
    /// The width of a small page: the page at the zoom divided by
    /// ZoomDivisor, at least MinWidth and at most MaxWidth pixels.
    static constexpr int ZoomDivisor = 4;
    static constexpr int MinWidth = 48;
    static constexpr int MaxWidth = 480;

    OverviewView(ViewerModel &model, PageView &zoom, PageWorker &worker, QWidget *parent = nullptr);
    ~OverviewView() override;

    /// The box a small page is fitted into, and a whole cell, in logical pixels.
    QSize boxSize() const { return m_box; }
    QSize cellSize() const { return m_layout.firstSize(); }
    /// Pages a row.
    int columns() const { return m_layout.columns(); }
    /// Where the cell of \a page lies, in the viewport's coordinates.
    QRect cellRect(int32_t page) const;
    /// Where its small page is drawn (its own shape within its box).
    QRect pictureRect(int32_t page) const;
    /// The page under \a point (viewport coordinates), or -1.
    int32_t pageAt(QPoint point) const;
    const SpreadLayout &layout() const { return m_layout; }
    /// Small pages held now (those in view and beside it), made so far, and
    /// whether \a page has its picture.
    int imagesHeld() const { return int(m_held.size()); }
    int imagesMade() const { return m_made; }
    bool hasImage(int32_t page) const { return m_held.count(page) > 0; }
    /// Whether each small page casts its shadow (the window's pageShadow
    /// option; on by default).
    void setShadow(bool on) { m_shadow = on; }

    // DocumentView
    ViewerModel::ViewMode mode() const override { return ViewerModel::ViewMode::Overview; }
    void setActive(bool active) override;
    bool isActive() const override { return !isHidden(); }
    void takeFocus() override { setFocus(Qt::OtherFocusReason); }
    QWidget *focusTarget() const override { return const_cast<OverviewView *>(this); }
    bool setArea(const QRect &area, QSizeF viewportTwips, bool followZoom) override;
    std::exception_ptr showCurrentPage() override;
    std::exception_ptr reload() override;
    void zoomChanged() override;
    std::exception_ptr error(int32_t) const override { return nullptr; }
    bool scrollVertical(double twips) override;
    void scrollHorizontal(double) override {}
    bool turnsPages() const override { return false; }
    void showFrom(bool) override {}
    double screenHeight() const override;
    bool zoomAbout(PageView::Zoom zoom, QPointF global) override;
    void reveal(int32_t page, const QRectF &) override { bringIntoView(page); }
    void highlightsChanged() override {}

Q_SIGNALS:
    /// A click on \a page (0-based), or Enter on the page marked.
    void pageOpened(int32_t page);
    /// The right button was released at \a global.
    void menuRequested(QPoint global);
    /// The wheel turned with Ctrl held: the window's zoom.
    void zoomWheel(const QWheelEvent &event);
    /// The small picture of \a page arrived from the worker.
    void imageReady(int32_t page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    /// The cells for the zoom, the view's width and the page count of now;
    /// the mark stays in view.
    void relayout();
    void updateBars();
    /// Forgets every small page and request (another document, size or
    /// pixel ratio).
    void restart();
    void bringIntoView(int32_t page);
    /// Moves the mark to \a page (clamped); a beep when it cannot move.
    void mark(qint64 page);
    void ask(int32_t page);
    void receive(int32_t page, const QImage &image, quint64 generation);
    std::shared_ptr<QPixmap> imageOf(int32_t page);
    int documentWidth() const;

    ViewerModel &m_model;
    PageView &m_zoom;
    PageWorker &m_worker;
    SpreadLayout m_layout;
    QSize m_box{1, 1};
    double m_dpr = 1;
    quint64 m_generation = 0;
    std::map<int32_t, std::shared_ptr<QPixmap>> m_held;
    std::unordered_set<int32_t> m_asked;
    int m_made = 0;
    int32_t m_pressed = -1;
    bool m_shadow = true;
    ThumbnailWorker m_jobs; // last: hands nothing over once the rest goes
};

} // namespace qv
