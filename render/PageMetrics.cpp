// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/PageMetrics.h"

#include "platform/Devices.h"
#include "platform/Platform.h"

#include <qvpreview/Types.h>

#include <QRectF>

#include <cmath>

namespace qv {

PageMetrics::PageMetrics() : m_width(DefaultPageWidthTwips), m_height(DefaultPageHeightTwips) {}

void PageMetrics::setSize(int32_t widthTwips, int32_t heightTwips)
{
    m_width = widthTwips;
    m_height = heightTwips;
}

namespace {

/// Whole twips, halves to even (the default rounding mode); nullopt for an
/// empty area.
std::optional<QSize> wholeTwips(QSizeF twips)
{
    const double w = std::nearbyint(twips.width());
    const double h = std::nearbyint(twips.height());
    if (!(w > 0 && h > 0))
        return std::nullopt;
    return QSize(int(std::min(w, double(INT32_MAX))), int(std::min(h, double(INT32_MAX))));
}

} // namespace

QSizeF PageMetrics::drawableTwips(const QPageLayout &layout)
{
    // Millimetres: Qt's points are whole ones.
    return layout.paintRect(QPageLayout::Millimeter).size() * (1440 / 25.4);
}

QSize PageMetrics::printerPageTwips()
{
    const QSize byDefault(DefaultPageWidthTwips, DefaultPageHeightTwips);
    if (const std::optional<QPageLayout> chosen = platform::chosenPageLayout())
        return wholeTwips(drawableTwips(*chosen)).value_or(byDefault);
    const auto printer = platform::currentPrinter();
    if (!printer)
        return byDefault;
    return wholeTwips(printer->drawableTwips).value_or(byDefault);
}

QSize PageMetrics::pageTwips(const std::optional<QPageLayout> &recorded)
{
    if (recorded)
        if (const std::optional<QSize> twips = wholeTwips(drawableTwips(*recorded)))
            return *twips;
    return printerPageTwips();
}

double PageMetrics::twipsPerUnitX(int32_t scaleMode)
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

double PageMetrics::twipsPerUnitY(int32_t scaleMode)
{
    switch (scaleMode) {
    case SM_Pixels: return platform::twipsPerPixelY();
    case SM_Characters: return 240.0;
    default: return twipsPerUnitX(scaleMode);
    }
}

double PageMetrics::ScaleX(double value, int32_t fromMode, int32_t toMode)
{
    return value * twipsPerUnitX(fromMode) / twipsPerUnitX(toMode);
}

double PageMetrics::ScaleY(double value, int32_t fromMode, int32_t toMode)
{
    return value * twipsPerUnitY(fromMode) / twipsPerUnitY(toMode);
}

void PageMetrics::setFont(const FontAttributes &font)
{
    if (!(m_fontKey == font)) {
        m_fontKey = font;
        m_fontValid = false;
    }
}

const QFont &PageMetrics::currentFont()
{
    if (!m_fontValid) {
        m_font = makeTwipsFont(m_fontKey);
        m_fontValid = true;
    }
    return m_font;
}

double PageMetrics::TextWidth(const QString &text)
{
    return textWidthTwips(currentFont(), text);
}

double PageMetrics::TextHeight(const QString &text)
{
    return textHeightTwips(currentFont(), text);
}

} // namespace qv
