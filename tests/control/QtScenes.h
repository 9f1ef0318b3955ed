// SPDX-License-Identifier: MIT
// Pages painted with QPainter as Qt printing code paints them: the scenes
// that the recording printer's tests record, replay and compare.
#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPrinter>
#include <QRadialGradient>
#include <QStaticText>
#include <QString>
#include <QTextDocument>

#include <cstdlib>
#include <functional>

namespace qv::test {

using Scene = std::function<void(QPainter &, QPrinter &)>;

/// A4 portrait without margins, written as PDF: the page of the built-in PDF
/// printer, so that a page recorded on it prints where it was painted.
inline void useA4Pdf(QPrinter &printer, const QString &pdfFile = QString())
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setFullPage(false);
}

/// Millimetres in the printer's device pixels.
inline double mm(const QPrinter &printer, double millimetres)
{
    return millimetres * printer.resolution() / 25.4;
}

/// A chart: axes, gradient bars, a dashed curve, a clipped area and rotated
/// axis labels.
inline void chartScene(QPainter &p, QPrinter &printer)
{
    const double u = mm(printer, 1);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 0.5 * u));
    p.drawLine(QPointF(20 * u, 150 * u), QPointF(190 * u, 150 * u));
    p.drawLine(QPointF(20 * u, 150 * u), QPointF(20 * u, 30 * u));
    for (int i = 0; i < 6; ++i) {
        QLinearGradient g(QPointF(0, 150 * u), QPointF(0, 40 * u));
        g.setColorAt(0, QColor(20, 60, 160));
        g.setColorAt(1, QColor(120, 200, 255));
        p.setBrush(g);
        p.setPen(QPen(QColor(10, 30, 90), 0.3 * u));
        const double h = (30 + 15 * ((i * 7) % 6)) * u;
        p.drawRect(QRectF((30 + i * 26) * u, 150 * u - h, 18 * u, h));
    }
    QPainterPath curve(QPointF(25 * u, 120 * u));
    for (int i = 1; i <= 8; ++i)
        curve.cubicTo(QPointF((25 + i * 20 - 10) * u, (60 + (i % 3) * 20) * u),
                      QPointF((25 + i * 20 - 5) * u, (100 - (i % 2) * 30) * u), QPointF((25 + i * 20) * u, 90 * u));
    QPen dashed(QColor(200, 30, 30), 0.8 * u, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.save();
    p.setClipRect(QRectF(120 * u, 160 * u, 60 * u, 40 * u));
    QRadialGradient r(QPointF(150 * u, 180 * u), 40 * u);
    r.setColorAt(0, Qt::yellow);
    r.setColorAt(1, Qt::darkGreen);
    p.setBrush(r);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(150 * u, 180 * u), 45 * u, 30 * u);
    p.restore();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.translate((38 + i * 26) * u, 156 * u);
        p.rotate(45);
        p.drawText(QPointF(0, 0), QStringLiteral("Trimestre %1").arg(i + 1));
        p.restore();
    }
    p.save();
    p.translate(12 * u, 110 * u);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), QStringLiteral("Fatturato"));
    p.restore();
    p.setOpacity(0.4);
    p.fillRect(QRectF(30 * u, 210 * u, 80 * u, 20 * u), QColor(0, 128, 0));
    p.setOpacity(1);
    p.drawText(QPointF(30 * u, 250 * u), QStringLiteral("Grafico delle vendite"));
}

/// Every brush pattern of Qt, a box each, with its name.
inline void brushScene(QPainter &p, QPrinter &printer)
{
    const double u = mm(printer, 1);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    p.setFont(font);
    for (int style = Qt::SolidPattern; style <= Qt::DiagCrossPattern; ++style) {
        const int i = style - Qt::SolidPattern;
        const QRectF box((15 + (i % 4) * 47) * u, (20 + (i / 4) * 50) * u, 40 * u, 35 * u);
        p.setPen(QPen(Qt::black, 0.3 * u));
        p.setBrush(QBrush(QColor(30, 30, 140), Qt::BrushStyle(style)));
        p.drawRect(box);
        p.setPen(Qt::black);
        p.drawText(box.bottomLeft() + QPointF(0, 5 * u), QStringLiteral("Motivo %1").arg(style));
    }
}

/// Text in the ways Qt code draws it: drawText, a text layout (QStaticText),
/// and a rich text document drawn with drawContents.
inline void textScene(QPainter &p, QPrinter &printer)
{
    const double u = mm(printer, 1);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(14);
    p.setFont(font);
    p.drawText(QPointF(20 * u, 30 * u), QStringLiteral("Fattura numero 42"));
    font.setPointSize(10);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 160));
    p.drawText(QRectF(20 * u, 40 * u, 170 * u, 20 * u), Qt::AlignRight, QStringLiteral("Condizioni di pagamento"));
    const QStaticText stat(QStringLiteral("Testo statico preparato"));
    p.drawStaticText(QPointF(20 * u, 70 * u), stat);
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    doc.setHtml(QStringLiteral("<h2>Riepilogo</h2><table border=1 cellpadding=4><tr><td>Articolo</td><td>Prezzo</td>"
                               "</tr><tr><td>Sedia</td><td><b>120,00</b></td></tr></table>"
                               "<ul><li>primo punto</li><li>secondo punto</li></ul>"));
    doc.setTextWidth(160 * u);
    p.save();
    p.translate(20 * u, 90 * u);
    doc.drawContents(&p);
    p.restore();
}

/// An image, stretched, as a texture brush, and drawn at half opacity.
inline void imageScene(QPainter &p, QPrinter &printer)
{
    const double u = mm(printer, 1);
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 6, y * 8, (x + y) * 3, 255));
    p.drawImage(QRectF(20 * u, 20 * u, 80 * u, 60 * u), image);
    p.drawImage(QRectF(110 * u, 20 * u, 40 * u, 30 * u), image, QRectF(10, 5, 20, 15));
    p.fillRect(QRectF(110 * u, 100 * u, 60 * u, 45 * u), QBrush(image));
    p.setOpacity(0.5);
    p.drawImage(QRectF(20 * u, 100 * u, 80 * u, 60 * u), image);
}

/// Operations in one painter state, one after the other: a tiled pixmap, then
/// a box in a pattern brush (whose origin the tiles must not move), then
/// text right to left and left to right in one font.
inline void sharedStateScene(QPainter &p, QPrinter &printer)
{
    const double u = mm(printer, 1);
    QImage tile(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x)
            tile.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(200, 40, 40) : qRgb(250, 230, 120));
    p.setPen(QPen(Qt::black, 0.3 * u));
    p.setBrush(QBrush(QColor(30, 30, 140), Qt::Dense4Pattern));
    p.setBrushOrigin(QPointF(0.27 * u, 0.27 * u));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(12);
    p.setFont(font);
    p.drawTiledPixmap(QRectF(20 * u, 20 * u, 70 * u, 40 * u), QPixmap::fromImage(tile), QPointF(5, 3));
    p.drawRect(QRectF(100 * u, 20 * u, 80 * u, 60 * u));
    p.drawText(QPointF(20 * u, 100 * u), QStringLiteral("שלום עולם"));
    p.drawText(QPointF(20 * u, 110 * u), QStringLiteral("Ciao mondo"));
    p.drawRect(QRectF(20 * u, 120 * u, 60 * u, 40 * u));
}

/// Pixels whose colour differs by more than \a tolerance in a channel.
inline double differingShare(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size())
        return 1;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(qRed(pa[x]) - qRed(pb[x])) > tolerance || std::abs(qGreen(pa[x]) - qGreen(pb[x])) > tolerance
                || std::abs(qBlue(pa[x]) - qBlue(pb[x])) > tolerance)
                ++differing;
    }
    return double(differing) / (double(a.width()) * a.height());
}

} // namespace qv::test
