// qvPreview - print preview for Qt applications.
#include "preview/ImmaginePagina.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <cmath>

namespace qv {

ImmaginePagina::ImmaginePagina(QWidget *parent)
    : QWidget(parent)
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

void ImmaginePagina::rasterizza(const QRect &richiesta)
{
    m_cacheValida = false;
    m_cache = QImage();
    if (!m_page || width() <= 0 || height() <= 0)
        return;

    const double ratio = dpr();
    const QRect tutta = rect();
    const int margine = m_convertitore ? 0 : Margine;
    QRect area = (areaVisibile() | richiesta).adjusted(-margine, -margine, margine, margine) & tutta;
    auto pixel = [&](const QRect &r) { return qint64(std::ceil(r.width() * ratio)) * qint64(std::ceil(r.height() * ratio)); };
    if (pixel(area) > PixelMassimi)
        area = richiesta & tutta;
    if (area.isEmpty())
        return;

    // Logical pixels per twip at this zoom, then the device resolution.
    const double perTwip = double(width()) / m_page->sizeTwips().width();
    double scala = ratio;
    if (pixel(area) > PixelMassimi)
        scala = ratio * std::sqrt(double(PixelMassimi) / double(pixel(area)));
    const QRectF twips(area.x() / perTwip, area.y() / perTwip, area.width() / perTwip, area.height() / perTwip);
    QImage raster = m_page->render(perTwip * scala, twips, m_highlight.get());
    ++m_rasterizzazioni;

    m_cacheConvertita = false;
    if (m_convertitore) {
        QImage convertita = m_convertitore(raster);
        if (!convertita.isNull()) {
            raster = std::move(convertita);
            m_cacheConvertita = true;
        }
    }
    // The raster covers exactly the area: its own pixel ratio makes it so.
    raster.setDevicePixelRatio(double(raster.width()) / area.width());
    m_cache = std::move(raster);
    m_cacheArea = area;
    m_cacheSize = size();
    m_cacheDpr = ratio;
    m_cacheValida = true;
}

bool ImmaginePagina::prepara()
{
    QRect area = areaVisibile();
    if (area.isEmpty())
        area = QRect(0, 0, 1024, 1024) & rect();
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
}

} // namespace qv
