// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Device-independent text metrics. Every font is made with its pixel size in
// twips (a 10-point font is 200 units high) and without hinting, so a width
// measured here is the font's design width: the same on any screen, at any
// zoom and on the printer, where the painter maps twips to device pixels.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>

namespace qv {

/// The font settings that a text record carries.
struct FontAttributes
{
    QString name = QStringLiteral("Arial");
    int32_t size = 10; ///< points
    bool italic = false;
    bool bold = false;
    bool underline = false;
    bool strikethru = false;

    bool operator==(const FontAttributes &) const = default;
};

/// The QFont that measures and draws \a attributes in twips units.
/// Sizes below 1 point are taken as 1.
QFont makeTwipsFont(const FontAttributes &attributes);

/// Width in twips of \a text in \a font (made by makeTwipsFont), unrounded;
/// the widest line when the text holds line breaks (CR LF or LF).
double textWidthTwips(const QFont &font, const QString &text);
/// Height in twips of one line of text (ascent plus descent), unrounded.
double lineHeightTwips(const QFont &font);
/// Ascent in twips, unrounded: where the baseline lies below the top of a line.
double ascentTwips(const QFont &font);
/// Height in twips of \a text: one line height per line.
double textHeightTwips(const QFont &font, const QString &text);

/// Splits a text at its line breaks (CR LF, or LF alone).
QStringList splitTextLines(const QString &text);

} // namespace qv
