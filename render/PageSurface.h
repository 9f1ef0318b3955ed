// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The page surface: the hidden, page-sized drawing surface of the preview
// window. The replay draws on it and the preview shows it; it measures text
// through PageMetrics, as the control does.
//
// The surface keeps its drawing as a list of the drawing-target calls it
// received (a vector picture of the page, in twips), not as pixels: the
// preview rasterises the frozen drawing at exactly the size it shows, so the
// page stays sharp at every zoom and device pixel ratio, and a zoom step
// never replays the spool file.
//
// What one page may hold is bounded (memoryBudget()): the recorded calls and
// the decoded pictures they draw, each picture counted once however often
// it is drawn. A call past the budget throws PageTooLarge, so that a hostile
// or runaway spool file ends with an error instead of exhausting memory.
#pragma once

#include "render/DrawTarget.h"
#include "render/PageMetrics.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <deque>
#include <functional>
#include <memory>
#include <unordered_set>

class QPainter;

namespace qv {

struct TextHighlight;

/// The frozen drawing of one page: the calls a page surface received since
/// its last Cls(), ready to be painted onto any painter at any scale.
class PageDrawing
{
public:
    using Call = std::function<void(DrawTarget &)>;

    explicit PageDrawing(QSize sizeTwips) : m_size(sizeTwips) {}

    /// The page size in twips.
    QSize sizeTwips() const { return m_size; }
    /// Number of recorded calls.
    std::size_t callCount() const { return m_calls.size(); }

    /// Paints the drawing onto \a painter, whose coordinates must be twips
    /// (the caller sets the transform to the device). The page background is
    /// not painted. Raster operations need a raster device (a QImage).
    /// Text wholly outside \a visibleTwips, when it is valid, is not drawn.
    /// With \a highlight, the matches of its find are highlighted behind
    /// the text (PainterTarget::setHighlight).
    void paint(QPainter &painter, const QRectF &visibleTwips = QRectF(),
               const TextHighlight *highlight = nullptr) const;
    /// Replays the recorded calls onto another target.
    void replay(DrawTarget &target) const;
    /// The page rasterised at \a pixelsPerTwip on a white background: the
    /// whole page, or only \a clipTwips of it (the image then covers that
    /// rectangle). \a highlight as for paint().
    QImage render(double pixelsPerTwip, const QRectF &clipTwips = QRectF(),
                  const TextHighlight *highlight = nullptr) const;

    void append(Call call) { m_calls.push_back(std::move(call)); }

private:
    QSize m_size;
    // A deque grows in blocks: no reallocation that holds the list twice.
    std::deque<Call> m_calls;
};

using FrozenPage = std::shared_ptr<const PageDrawing>;

class PageSurface : public DrawTarget
{
public:
    PageSurface();

    /// Page size in twips (LarghezzaPagina x AltezzaPagina).
    int32_t Width() const { return m_metrics.Width(); }
    int32_t Height() const { return m_metrics.Height(); }
    void setSize(int32_t widthTwips, int32_t heightTwips);

    // Measuring, in twips, in the current font (unrounded), through the same
    // PageMetrics that the control measures with.
    double TextHeight(const QString &text) override;
    double TextWidth(const QString &text) override;

    // Drawing: recorded into the current drawing.
    void Cls() override;
    void Print(const QString &text) override;
    void Line(double x1, double y1, double x2, double y2, LineKind kind) override;
    void PSet(double x, double y, int32_t color) override;
    void Circle(double x, double y, double radius, int32_t color, double start, double end, double aspect) override;
    void PaintPicture(const PictureData &picture, double x, double y, double width, double height) override;
    void drawPainterOp(const PainterOp &op) override;

    /// Freezes the surface: its drawing so far, as a picture that later
    /// drawing on the surface does not change.
    FrozenPage Picture() const;
    /// Takes \a drawing, a page replayed onto another surface of the same
    /// size (in another thread, ahead of time), as this surface's drawing,
    /// as if the replay had drawn it here; \a memoryUsed is what it held there.
    void adopt(FrozenPage drawing, qint64 memoryUsed);
    /// The page at the screen's resolution (one pixel per screen pixel at 100 %).
    QImage image() const;

    /// The most that one page may hold, in bytes: 192 MiB unless set.
    static constexpr qint64 DefaultMemoryBudget = PageMemoryBudget;
    qint64 memoryBudget() const { return m_budget; }
    /// Sets the budget for the drawing from now on (tests use small ones).
    void setMemoryBudget(qint64 bytes) { m_budget = bytes; }
    /// What the current page holds: an estimate of its recorded calls (each
    /// call's own size with its allocation, and the text it draws) plus the
    /// decoded pictures, each counted once.
    qint64 memoryUsed() const { return m_used; }
    qint64 memoryLeft() const override { return std::max<qint64>(0, m_budget - m_used); }

private:
    template <class F>
    void record(F call, qint64 extraBytes = 0);
    void startDrawing();
    PageMetrics &metrics();

    PageMetrics m_metrics;
    std::shared_ptr<PageDrawing> m_drawing;
    mutable bool m_shared = false;
    qint64 m_budget = DefaultMemoryBudget;
    qint64 m_used = 0;
    std::unordered_set<qint64> m_pictures; // identities of the pictures counted
};

} // namespace qv
