// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ImmaginePagina.h"

#include "preview/LayoutPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace qv {

ImmaginePagina::ImmaginePagina(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImmaginePagina::setPicture(FrozenPage page)
{
    m_page = std::move(page);
    m_cacheValida = false;
    update();
}

void ImmaginePagina::setHighlight(std::shared_ptr<const TextHighlight> highlight)
{
    if (highlight == m_highlight)
        return;
    m_highlight = std::move(highlight);
    m_cacheValida = false;
    update();
}

void ImmaginePagina::setConvertitore(Convertitore convertitore)
{
    m_convertitore = std::move(convertitore);
    m_cacheValida = false;
    update();
}

double ImmaginePagina::dpr() const
{
    return m_dprTest > 0 ? m_dprTest : devicePixelRatioF();
}

QRect ImmaginePagina::areaVisibile() const
{
    QRect area = rect();
    if (QWidget *viewport = parentWidget())
        area &= QRect(mapFromParent(QPoint(0, 0)), viewport->size());
    return area;
}

bool ImmaginePagina::coperta(const QRect &richiesta) const
{
    return m_cacheValida && m_cacheSize == size() && m_cacheDpr == dpr() && m_cacheArea.contains(richiesta);
}

void ImmaginePagina::resizeEvent(QResizeEvent *event)
{
    m_cacheValida = false;
    QWidget::resizeEvent(event);
}

PageRaster ImmaginePagina::rasterFor(const FrozenPage &page, QSize widgetSize, double ratio, QRect wanted, int margine,
                                     QRect fallback, const TextHighlight *highlight)
{
    PageRaster out;
    if (!page || widgetSize.width() <= 0 || widgetSize.height() <= 0)
        return out;
    const QRect tutta(QPoint(0, 0), widgetSize);
    QRect area = wanted.adjusted(-margine, -margine, margine, margine) & tutta;
    auto pixel = [&](const QRect &r) {
        return qint64(std::ceil(r.width() * ratio)) * qint64(std::ceil(r.height() * ratio));
    };
    if (pixel(area) > PixelMassimi)
        area = (fallback.isNull() ? wanted : fallback) & tutta;
    if (area.isEmpty())
        return out;

    // Logical pixels per twip at this zoom, then the device resolution.
    const double perTwip = double(widgetSize.width()) / page->sizeTwips().width();
    double scala = ratio;
    if (pixel(area) > PixelMassimi)
        scala = ratio * std::sqrt(double(PixelMassimi) / double(pixel(area)));
    const QRectF twips(area.x() / perTwip, area.y() / perTwip, area.width() / perTwip, area.height() / perTwip);
    out.image = page->render(perTwip * scala, twips, highlight);
    // The raster covers exactly the area: its own pixel ratio makes it so.
    out.image.setDevicePixelRatio(double(out.image.width()) / area.width());
    out.page = page;
    out.area = area;
    out.widgetSize = widgetSize;
    out.dpr = ratio;
    return out;
}

void ImmaginePagina::rasterizza(const QRect &richiesta)
{
    m_cacheValida = false;
    m_cache = QImage();
    const int margine = m_convertitore ? 0 : Margine;
    PageRaster made =
        rasterFor(m_page, size(), dpr(), areaVisibile() | richiesta, margine, richiesta, m_highlight.get());
    if (made.isNull())
        return;
    ++m_rasterizzazioni;
    QImage raster = std::move(made.image);

    m_cacheConvertita = false;
    if (m_convertitore) {
        QImage convertita = m_convertitore(raster);
        if (!convertita.isNull()) {
            raster = std::move(convertita);
            m_cacheConvertita = true;
        }
    }
    // The raster covers exactly the area: its own pixel ratio makes it so.
    raster.setDevicePixelRatio(double(raster.width()) / made.area.width());
    m_cache = std::move(raster);
    m_cacheArea = made.area;
    m_cacheSize = size();
    m_cacheDpr = made.dpr;
    m_cacheValida = true;
}

bool ImmaginePagina::adoptRaster(PageRaster raster)
{
    // Made without the find's highlight: taken only while there is none.
    if (raster.isNull() || m_convertitore || m_highlight || !m_page || raster.page != m_page
        || raster.widgetSize != size() || raster.dpr != dpr())
        return false;
    m_cache = std::move(raster.image);
    m_cacheArea = raster.area;
    m_cacheSize = raster.widgetSize;
    m_cacheDpr = raster.dpr;
    m_cacheConvertita = false;
    m_cacheValida = true;
    update();
    return true;
}

QRect ImmaginePagina::areaDaPreparare() const
{
    QRect area = areaVisibile();
    if (area.isEmpty())
        area = QRect(0, 0, 1024, 1024) & rect();
    return area;
}

bool ImmaginePagina::prepara()
{
    const QRect area = areaDaPreparare();
    if (!coperta(area))
        rasterizza(area);
    return m_cacheConvertita;
}

void ImmaginePagina::paintEvent(QPaintEvent *event)
{
    const QRect richiesta = event->rect();
    if (!coperta(richiesta))
        rasterizza(richiesta);
    QPainter painter(this);
    if (!m_cacheValida) {
        painter.fillRect(richiesta, Qt::white);
        return;
    }
    // The raster is opaque: only what it leaves uncovered needs the white.
    for (const QRect &r : QRegion(richiesta).subtracted(m_cacheArea))
        painter.fillRect(r, Qt::white);
    painter.setClipRect(richiesta);
    painter.drawImage(m_cacheArea.topLeft(), m_cache);
    if (!m_outline.isNull() && m_page) {
        // A place off the page is outlined along the page's edge nearest to
        // it, a few pixels deep, where it can be seen.
        const QSizeF page(m_page->sizeTwips());
        constexpr double Depth = 120;
        QRectF shown = m_outline.normalized();
        shown.setCoords(std::clamp(shown.left(), 0.0, std::max(0.0, page.width() - Depth)),
                        std::clamp(shown.top(), 0.0, std::max(0.0, page.height() - Depth)),
                        std::clamp(shown.right(), std::min(Depth, page.width()), page.width()),
                        std::clamp(shown.bottom(), std::min(Depth, page.height()), page.height()));
        paintFindingOutline(painter, QRectF(rect()), page, shown);
    }
}

void ImmaginePagina::setOutline(const QRectF &twips)
{
    if (twips == m_outline)
        return;
    m_outline = twips;
    update();
}

} // namespace qv
