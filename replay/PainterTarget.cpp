// qvPreview - print preview for Qt applications.
// First cut of the renderer: solid pens and fills only. Raster operations,
// pen styles, fill patterns and the arc conventions come with the replay.
#include "replay/PainterTarget.h"

#include <QPainter>
#include <QPainterPath>

namespace qv {

namespace {
QColor rgb(int32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
} // namespace

PainterTarget::PainterTarget(QPainter &painter, TargetKind kind)
    : m_painter(painter)
    , m_kind(kind)
{
}

double PainterTarget::TextHeight(const QString &text)
{
    return textHeightTwips(makeTwipsFont(m_state.font), text);
}

double PainterTarget::TextWidth(const QString &text)
{
    return textWidthTwips(makeTwipsFont(m_state.font), text);
}

void PainterTarget::Cls()
{
    m_state.currentX = 0;
    m_state.currentY = 0;
}

void PainterTarget::Print(const QString &text)
{
    const QFont font = makeTwipsFont(m_state.font);
    m_painter.setFont(font);
    m_painter.setPen(rgb(m_state.foreColor));
    const double line = lineHeightTwips(font);
    const double ascent = ascentTwips(font);
    double y = m_state.currentY;
    for (const QString &part : splitTextLines(text)) {
        m_painter.drawText(QPointF(m_state.currentX, y + ascent), part);
        y += line;
    }
    m_state.currentY = y;
}

void PainterTarget::Line(double x1, double y1, double x2, double y2, LineKind kind)
{
    m_painter.setPen(QPen(rgb(m_state.foreColor), 0));
    if (kind == LineKind::Line) {
        m_painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
        return;
    }
    const QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    m_painter.setBrush(kind == LineKind::BoxFilled ? QBrush(rgb(m_state.foreColor)) : QBrush());
    m_painter.drawRect(box);
    m_painter.setBrush(QBrush());
}

void PainterTarget::PSet(double x, double y, int32_t color)
{
    m_painter.setPen(QPen(rgb(color), 0));
    m_painter.drawPoint(QPointF(x, y));
}

void PainterTarget::Circle(double x, double y, double radius, int32_t color, double, double,
                           double aspect)
{
    m_painter.setPen(QPen(rgb(color), 0));
    m_painter.setBrush(QBrush());
    const double rx = aspect > 1 ? radius / aspect : radius;
    const double ry = aspect > 1 ? radius : radius * aspect;
    m_painter.drawEllipse(QPointF(x, y), rx, ry);
}

void PainterTarget::PaintPicture(const PictureData &picture, double x, double y, double width,
                                 double height)
{
    picture.paint(m_painter, QRectF(x, y, width, height));
}

} // namespace qv
