// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <QColor>

#include <cstdint>

namespace qv {

/// Alignment of a text inside its field. Any other number is taken as left.
enum QV_ALLINEAMENTO : int32_t {
    PP_Sinistra = 0, ///< left
    PP_destra = 1,   ///< right
    PP_Centrato = 2, ///< centred
};

/// Units of the coordinates and lengths that a host passes to the control.
enum QV_SCALEMODE : int32_t {
    SM_User = 0,        ///< the page surface's custom scale (1:1 with twips here)
    SM_Twips = 1,       ///< 1/1440 inch
    SM_Points = 2,      ///< 20 twips
    SM_Pixels = 3,      ///< the screen's twips per pixel
    SM_Characters = 4,  ///< 120 twips across, 240 twips down
    SM_Inches = 5,      ///< 1440 twips
    SM_Millimeters = 6, ///< 1440 / 25.4 twips
    SM_Centimeters = 7, ///< 14400 / 25.4 twips
};

/// The page width used when no printer is installed, in twips.
inline constexpr int32_t DefaultPageWidthTwips = 11520;
/// The page height used when no printer is installed, in twips.
inline constexpr int32_t DefaultPageHeightTwips = 15872;

/// \a color as a colour value of the control, red + 256 x green + 65536 x
/// blue (0 to 16777215), from its RGB components; its alpha is dropped, as
/// the recorded document has none. -1 for an invalid QColor.
inline int32_t colorValue(const QColor &color)
{
    if (!color.isValid())
        return -1;
    const QColor rgb = color.toRgb();
    return int32_t(rgb.red()) + 256 * int32_t(rgb.green()) + 65536 * int32_t(rgb.blue());
}

/// A colour value of the control (red + 256 x green + 65536 x blue) as an
/// opaque QColor; an invalid QColor for a value outside 0 to 16777215.
inline QColor toQColor(int32_t value)
{
    if (value < 0 || value > 0xFFFFFF)
        return QColor();
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace qv
