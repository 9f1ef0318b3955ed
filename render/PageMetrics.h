// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The measuring side of the page surface: the page size, the scale
// conversions and the text metrics, all in twips. The control keeps one of
// its own to convert the host's units and to measure text without loading
// the preview window; the page surface measures through one for the replay.
// Both give the same results, to the twip.
#pragma once

#include "render/TextMetrics.h"

#include <QFont>
#include <QPageLayout>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv {

class PageMetrics
{
public:
    /// A page of the default size (11520 x 15872 twips), font Arial 10.
    PageMetrics();

    /// Page size in twips.
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    void setSize(int32_t widthTwips, int32_t heightTwips);
    void setSize(QSize twips) { setSize(twips.width(), twips.height()); }

    /// The current printer's drawable area in whole twips (halves to even):
    /// the page layout the host chose (platform::chosenPageLayout()) within
    /// its margins, else the printer's own area; the default page (11520 x
    /// 15872) without a printer or when the printer reports no area.
    static QSize printerPageTwips();
    /// The drawable area of a page laid out as \a recorded (its layout
    /// record) in whole twips; without a record, printerPageTwips().
    static QSize pageTwips(const std::optional<QPageLayout> &recorded);
    /// The area within the margins of \a layout in twips, unrounded.
    static QSizeF drawableTwips(const QPageLayout &layout);

    /// Twips per unit of \a scaleMode (QV_SCALEMODE), horizontally or vertically.
    /// Pixels are the screen's; the user scale (0) and unknown modes are twips.
    static double twipsPerUnitX(int32_t scaleMode);
    static double twipsPerUnitY(int32_t scaleMode);
    /// Converts a horizontal / vertical length between two scale modes, unrounded.
    static double ScaleX(double value, int32_t fromMode, int32_t toMode);
    static double ScaleY(double value, int32_t fromMode, int32_t toMode);

    /// The font that TextWidth() and TextHeight() measure in.
    const FontAttributes &font() const { return m_fontKey; }
    void setFont(const FontAttributes &font);
    /// Width in twips of \a text in the current font, unrounded (the widest
    /// line of a text with line breaks).
    double TextWidth(const QString &text);
    /// Height in twips of \a text in the current font: one line height per line, unrounded.
    double TextHeight(const QString &text);

private:
    const QFont &currentFont();

    int32_t m_width;
    int32_t m_height;
    FontAttributes m_fontKey;
    QFont m_font;
    bool m_fontValid = false;
};

} // namespace qv
