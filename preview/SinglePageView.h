// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The single-page view of the preview window: one page at a time in a grey
// viewport, with two scroll bars, dragged with the mouse; the page made
// ahead by the worker when the user turns to it.
#pragma once

#include "preview/DocumentView.h"
#include "preview/ImmaginePagina.h"
#include "preview/RenderAhead.h"
#include "render/PageSurface.h"

#include <QCursor>
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QScrollBar;

namespace qv {

class FindResults;

/// The page on show (the model's) on its page surface, drawn by its widget
/// (ImmaginePagina) in the viewport at the zoom of a PageView, which this
/// view shares with the window's other views; the scroll bars and a drag
/// move the page through that geometry. The pages next to the one on show
/// are made ahead (RenderAhead), and the page left behind is kept there, so
/// that turning back and forth shows each at once.
class SinglePageView : public QObject, public DocumentView
{
    Q_OBJECT
public:
    /// A view of \a model at \a zoom, whose widgets are children of
    /// \a window; its pages ahead come from \a ahead, its highlights from
    /// \a find.
    SinglePageView(ViewerModel &model, PageView &zoom, RenderAhead &ahead, const FindResults &find, QWidget *window);

    /// The viewport (the window's Picture1), the page (Image1), the scroll
    /// bars (HScroll1, VScroll1).
    QFrame *viewport() const { return m_viewport; }
    ImmaginePagina *image() const { return m_image; }
    QScrollBar *horizontalBar() const { return m_hBar; }
    QScrollBar *verticalBar() const { return m_vBar; }
    /// The cursors over the page, and while dragging.
    void setCursors(const QCursor &open, const QCursor &closed);
    /// A cursor drawn from the SVG picture at \a path, its hot spot in the
    /// middle; \a fallback when the picture cannot be read.
    static QCursor svgCursor(const QString &path, Qt::CursorShape fallback);
    /// The page's shadow on the grey background, with a margin around the
    /// page (PageShadow), or none.
    void setShadow(bool on);

    /// The page surface the page on show is replayed onto (Picture2): made
    /// by open(), forgotten by close() with everything kept of the page.
    PageSurface *surface() const { return m_surface.get(); }
    void open();
    void close();
    /// The 256-colour conversion of the rasters (empty: full colour).
    void setConverter(ImmaginePagina::Convertitore converter) { m_converter = std::move(converter); }
    /// Pages are made ahead only while this holds (a document on show).
    void setAheadAllowed(std::function<bool()> allowed) { m_aheadAllowed = std::move(allowed); }

    /// Sizes the page surface and the zoom's page to \a twips (the page at
    /// 100 %); false when it had that size already.
    bool setPageSize(QSize twips);
    /// Moves the widgets to the geometry's page position, size and scroll state.
    void applyGeometry();
    /// The scroll ranges and the page's widget from the page surface, as it
    /// stands (no replay). True when the 256-colour conversion was made.
    bool redraw();
    /// Whether the last redraw() went through the 256-colour conversion.
    bool converted() const { return m_converted; }
    /// Replays page 1 onto the surface (the first display of a document).
    std::exception_ptr showFirstPage();

    // DocumentView
    ViewerModel::ViewMode mode() const override { return ViewerModel::ViewMode::SinglePage; }
    void setActive(bool active) override;
    bool isActive() const override;
    void takeFocus() override;
    QWidget *focusTarget() const override;
    bool setArea(const QRect &area, QSizeF viewportTwips, bool followZoom) override;
    std::exception_ptr showCurrentPage() override;
    std::exception_ptr reload() override { return showCurrentPage(); }
    void zoomChanged() override;
    std::exception_ptr error(int32_t page) const override;
    bool scrollVertical(double twips) override;
    void scrollHorizontal(double twips) override;
    bool turnsPages() const override { return true; }
    void showFrom(bool fromTop) override;
    double screenHeight() const override;
    bool zoomAbout(PageView::Zoom zoom, QPointF global) override;
    void reveal(int32_t page, const QRectF &rect) override;
    void highlightsChanged() override;
    void setOutline(int32_t page, const QRectF &twips) override;

    /// Asks for the pages next to the one on show once the window has
    /// settled (a page change, a zoom or a resize comes to several calls).
    void scheduleAhead();

Q_SIGNALS:
    /// The right button was released at \a global.
    void menuRequested(QPoint global);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RenderAhead::View aheadView() const;
    void makeAhead();
    void leavePage();

    ViewerModel &m_model;
    PageView &m_zoom;
    RenderAhead &m_ahead;
    const FindResults &m_find;
    // The layout finding outlined (setOutline()): its page, -1 for none, and place.
    int32_t m_outlinePage = -1;
    QRectF m_outlineTwips;
    QFrame *m_viewport = nullptr;
    ImmaginePagina *m_image = nullptr;
    QScrollBar *m_hBar = nullptr;
    QScrollBar *m_vBar = nullptr;
    QCursor m_open{Qt::OpenHandCursor};
    QCursor m_closed{Qt::ClosedHandCursor};
    std::unique_ptr<PageSurface> m_surface;
    ImmaginePagina::Convertitore m_converter;
    std::function<bool()> m_aheadAllowed;
    int m_margin = 0;
    bool m_applying = false;
    bool m_converted = false;
    bool m_aheadScheduled = false;
    // The page on show: its number, start and the error that stopped its
    // replay; its raster when it was made ahead.
    int32_t m_shownPage = -1;
    qint64 m_shownStart = 0;
    std::exception_ptr m_shownError;
    std::optional<PageRaster> m_readyRaster;
};

} // namespace qv
