// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/TextMetrics.h"

#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>

namespace qv {

namespace {
constexpr int TwipsPerPoint = 20;
constexpr int MaxPoints = 2160;
} // namespace

QFont makeTwipsFont(const FontAttributes &a)
{
    QFont font(a.name);
    font.setPixelSize(std::clamp(a.size, 1, MaxPoints) * TwipsPerPoint);
    font.setItalic(a.italic);
    font.setBold(a.bold);
    font.setUnderline(a.underline);
    font.setStrikeOut(a.strikethru);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::PreferQuality));
    return font;
}

QStringList splitTextLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

double textWidthTwips(const QFont &font, const QString &text)
{
    const QFontMetricsF metrics(font);
    if (!text.contains(QLatin1Char('\n')))
        return metrics.horizontalAdvance(text);
    double widest = 0;
    for (const QString &line : splitTextLines(text))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

double lineHeightTwips(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return metrics.ascent() + metrics.descent();
}

double ascentTwips(const QFont &font)
{
    return QFontMetricsF(font).ascent();
}

double textHeightTwips(const QFont &font, const QString &text)
{
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    return lineHeightTwips(font) * double(lines);
}

} // namespace qv
