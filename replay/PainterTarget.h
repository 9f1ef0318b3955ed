// qvPreview - print preview for Qt applications.
// The one renderer: a drawing target that draws on a QPainter whose
// coordinates are twips. The page surface's frozen drawing, the printer and
// any export all draw through it.
#pragma once

#include "replay/DrawTarget.h"

class QPainter;

namespace qv {

class PainterTarget : public DrawTarget
{
public:
    /// Draws on \a painter, which must already map twips to its device.
    /// \a kind is what the target reports to the replay.
    explicit PainterTarget(QPainter &painter, TargetKind kind = TargetKind::PageSurface);

    TargetKind kind() const override { return m_kind; }

    double TextHeight(const QString &text) override;
    double TextWidth(const QString &text) override;
    void Cls() override;
    void Print(const QString &text) override;
    void Line(double x1, double y1, double x2, double y2, LineKind kind) override;
    void PSet(double x, double y, int32_t color) override;
    void Circle(double x, double y, double radius, int32_t color, double start, double end,
                double aspect) override;
    void PaintPicture(const PictureData &picture, double x, double y, double width,
                      double height) override;

protected:
    QPainter &painter() { return m_painter; }

private:
    QPainter &m_painter;
    TargetKind m_kind;
};

} // namespace qv
