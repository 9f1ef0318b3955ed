// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/PageSurface.h"

#include "platform/Platform.h"
#include "render/PainterOp.h"
#include "render/PainterTarget.h"

#include <QCoreApplication>
#include <QPainter>

#include <qvpreview/Types.h>

#include <cmath>

namespace qv {

// --- PageDrawing ------------------------------------------------------------

void PageDrawing::replay(DrawTarget &target) const
{
    for (const Call &call : m_calls)
        call(target);
}

void PageDrawing::paint(QPainter &painter, const QRectF &visibleTwips, const TextHighlight *highlight) const
{
    PainterTarget target(painter);
    target.setVisibleArea(visibleTwips);
    target.setHighlight(highlight);
    replay(target);
}

QImage PageDrawing::render(double pixelsPerTwip, const QRectF &clipTwips, const TextHighlight *highlight) const
{
    const QRectF area = clipTwips.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(m_size)) : clipTwips;
    const QSize pixels(std::max(1, int(std::ceil(area.width() * pixelsPerTwip))),
                       std::max(1, int(std::ceil(area.height() * pixelsPerTwip))));
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(pixelsPerTwip, pixelsPerTwip);
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    paint(painter, area, highlight);
    return image;
}

// --- PageSurface --------------------------------------------------------------

PageSurface::PageSurface() : m_drawing(std::make_shared<PageDrawing>(QSize(Width(), Height()))) {}

void PageSurface::setSize(int32_t widthTwips, int32_t heightTwips)
{
    m_metrics.setSize(widthTwips, heightTwips);
    // A new page size starts a new, empty drawing of that size.
    startDrawing();
}

void PageSurface::startDrawing()
{
    m_drawing = std::make_shared<PageDrawing>(QSize(Width(), Height()));
    m_shared = false;
    m_used = 0;
    m_pictures.clear();
}

PageMetrics &PageSurface::metrics()
{
    m_metrics.setFont(m_state.font);
    return m_metrics;
}

double PageSurface::TextHeight(const QString &text)
{
    return metrics().TextHeight(text);
}

double PageSurface::TextWidth(const QString &text)
{
    return metrics().TextWidth(text);
}

namespace {
/// What the allocator adds to each block it hands out, about.
constexpr qint64 AllocationOverhead = 16;
} // namespace

template <class F>
void PageSurface::record(F call, qint64 extraBytes)
{
    // The call as the drawing keeps it: its slot in the list, and its
    // captures on the heap.
    const qint64 cost = qint64(sizeof(PageDrawing::Call)) + qint64(sizeof(F)) + AllocationOverhead + extraBytes;
    if (cost > m_budget - m_used)
        throw PageTooLarge(
            ErrOutOfMemory, QStringLiteral("DisegnaPagina"),
            QCoreApplication::translate("qv::PageSurface", "pagina troppo grande: oltre %1 MiB fra disegni e immagini")
                .arg(double(m_budget) / (1024 * 1024), 0, 'g', 4));
    m_used += cost;
    if (m_shared) {
        m_drawing = std::make_shared<PageDrawing>(*m_drawing);
        m_shared = false;
    }
    m_drawing->append(std::move(call));
}

void PageSurface::Cls()
{
    startDrawing();
    m_state.currentX = 0;
    m_state.currentY = 0;
}

void PageSurface::Print(const QString &text)
{
    const DrawState s = m_state;
    record(
        [s, text](DrawTarget &t) {
            t.setState(s);
            t.Print(text);
        },
        qint64(text.size()) * 2 + AllocationOverhead + 16);
    m_state.currentY += TextHeight(text);
}

void PageSurface::Line(double x1, double y1, double x2, double y2, LineKind kind)
{
    const DrawState s = m_state;
    record([=](DrawTarget &t) {
        t.setState(s);
        t.Line(x1, y1, x2, y2, kind);
    });
    m_state.currentX = x2;
    m_state.currentY = y2;
}

void PageSurface::PSet(double x, double y, int32_t color)
{
    const DrawState s = m_state;
    record([=](DrawTarget &t) {
        t.setState(s);
        t.PSet(x, y, color);
    });
    m_state.currentX = x;
    m_state.currentY = y;
}

void PageSurface::Circle(double x, double y, double radius, int32_t color, double start, double end, double aspect)
{
    const DrawState s = m_state;
    record([=](DrawTarget &t) {
        t.setState(s);
        t.Circle(x, y, radius, color, start, end, aspect);
    });
    m_state.currentX = x;
    m_state.currentY = y;
}

void PageSurface::PaintPicture(const PictureData &picture, double x, double y, double width, double height)
{
    const DrawState s = m_state;
    // A picture already on the page costs nothing more; the set of counted
    // pictures changes only once the call is recorded.
    const qint64 identity = picture.identity();
    const bool counted = picture.isNull() || m_pictures.count(identity);
    record(
        [=](DrawTarget &t) {
            t.setState(s);
            t.PaintPicture(picture, x, y, width, height);
        },
        counted ? 0 : picture.memoryBytes());
    if (!counted)
        m_pictures.insert(identity);
}

void PageSurface::drawPainterOp(const PainterOp &op)
{
    // An image already on the page costs nothing more, as a picture's does.
    const bool image = op.kind == PainterOp::Kind::Image && !op.picture.isNull();
    const qint64 identity = image ? op.picture.identity() : 0;
    const bool counted = !image || m_pictures.count(identity);
    const qint64 own = op.memoryBytes() - (image ? op.picture.memoryBytes() : 0);
    record([op](DrawTarget &t) { t.drawPainterOp(op); }, own + (counted ? 0 : op.picture.memoryBytes()));
    if (!counted)
        m_pictures.insert(identity);
}

FrozenPage PageSurface::Picture() const
{
    m_shared = true;
    return m_drawing;
}

void PageSurface::adopt(FrozenPage drawing, qint64 memoryUsed)
{
    // Shared: the next call recorded copies it first, so the frozen page
    // never changes under whoever holds it.
    m_drawing = std::const_pointer_cast<PageDrawing>(std::move(drawing));
    m_shared = true;
    m_used = memoryUsed;
    m_pictures.clear();
}

QImage PageSurface::image() const
{
    return Picture()->render(1.0 / platform::twipsPerPixelX());
}

} // namespace qv
