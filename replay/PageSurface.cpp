// qvPreview - print preview for Qt applications.
#include "replay/PageSurface.h"

#include "platform/Platform.h"
#include "replay/PainterTarget.h"

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

void PageDrawing::paint(QPainter &painter, const QRectF &visibleTwips) const
{
    PainterTarget target(painter, TargetKind::PageSurface);
    target.setVisibleArea(visibleTwips);
    replay(target);
}

QImage PageDrawing::render(double pixelsPerTwip, const QRectF &clipTwips) const
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
    paint(painter, area);
    return image;
}

// --- PageSurface --------------------------------------------------------------

PageSurface::PageSurface()
    : m_width(DefaultPageWidthTwips)
    , m_height(DefaultPageHeightTwips)
    , m_drawing(std::make_shared<PageDrawing>(QSize(m_width, m_height)))
{
}

void PageSurface::setSize(int32_t widthTwips, int32_t heightTwips)
{
    m_width = widthTwips;
    m_height = heightTwips;
    // A new page size starts a new, empty drawing of that size.
    m_drawing = std::make_shared<PageDrawing>(QSize(m_width, m_height));
    m_shared = false;
}

double PageSurface::twipsPerUnitX(int32_t scaleMode)
{
    switch (scaleMode) {
    case SM_Points: return 20.0;
    case SM_Pixels: return platform::twipsPerPixelX();
    case SM_Characters: return 120.0;
    case SM_Inches: return 1440.0;
    case SM_Millimeters: return 1440.0 / 25.4;
    case SM_Centimeters: return 14400.0 / 25.4;
    case SM_User:
    case SM_Twips:
    default: return 1.0;
    }
}

double PageSurface::twipsPerUnitY(int32_t scaleMode)
{
    switch (scaleMode) {
    case SM_Pixels: return platform::twipsPerPixelY();
    case SM_Characters: return 240.0;
    default: return twipsPerUnitX(scaleMode);
    }
}

double PageSurface::ScaleX(double value, int32_t fromMode, int32_t toMode) const
{
    return value * twipsPerUnitX(fromMode) / twipsPerUnitX(toMode);
}

double PageSurface::ScaleY(double value, int32_t fromMode, int32_t toMode) const
{
    return value * twipsPerUnitY(fromMode) / twipsPerUnitY(toMode);
}

const QFont &PageSurface::currentFont()
{
    if (!m_fontValid || !(m_fontKey == m_state.font)) {
        m_fontKey = m_state.font;
        m_font = makeTwipsFont(m_fontKey);
        m_fontValid = true;
    }
    return m_font;
}

double PageSurface::TextHeight(const QString &text)
{
    return textHeightTwips(currentFont(), text);
}

double PageSurface::TextWidth(const QString &text)
{
    return textWidthTwips(currentFont(), text);
}

void PageSurface::record(PageDrawing::Call call)
{
    if (m_shared) {
        m_drawing = std::make_shared<PageDrawing>(*m_drawing);
        m_shared = false;
    }
    m_drawing->append(std::move(call));
}

void PageSurface::Cls()
{
    m_drawing = std::make_shared<PageDrawing>(QSize(m_width, m_height));
    m_shared = false;
    m_state.currentX = 0;
    m_state.currentY = 0;
}

void PageSurface::Print(const QString &text)
{
    const DrawState s = m_state;
    record([s, text](DrawTarget &t) {
        t.setState(s);
        t.Print(text);
    });
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

void PageSurface::Circle(double x, double y, double radius, int32_t color, double start, double end,
                         double aspect)
{
    const DrawState s = m_state;
    record([=](DrawTarget &t) {
        t.setState(s);
        t.Circle(x, y, radius, color, start, end, aspect);
    });
    m_state.currentX = x;
    m_state.currentY = y;
}

void PageSurface::PaintPicture(const PictureData &picture, double x, double y, double width,
                               double height)
{
    const DrawState s = m_state;
    record([=](DrawTarget &t) {
        t.setState(s);
        t.PaintPicture(picture, x, y, width, height);
    });
}

FrozenPage PageSurface::Picture() const
{
    m_shared = true;
    return m_drawing;
}

QImage PageSurface::image() const
{
    return Picture()->render(1.0 / platform::twipsPerPixelX());
}

} // namespace qv
