// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "util/Versione.h"

#include <qvpreview/Error.h>

#include <algorithm>
#include <cmath>

namespace qv::Versione {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isSign(QChar c)
{
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

} // namespace

double valoreNumerico(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    double sign = 1;
    if (i < n && isSign(text[i]))
        sign = text[i++] == QLatin1Char('-') ? -1 : 1;
    double mantissa = 0;
    for (; i < n && isDigit(text[i]); ++i)
        mantissa = mantissa * 10 + (text[i].unicode() - '0');
    // An exponent counts only when a digit follows its letter (and sign).
    if (i < n && QStringLiteral("EeDd").contains(text[i])) {
        qsizetype j = i + 1;
        int exponentSign = 1;
        if (j < n && isSign(text[j]))
            exponentSign = text[j++] == QLatin1Char('-') ? -1 : 1;
        if (j < n && isDigit(text[j])) {
            int exponent = 0;
            for (; j < n && isDigit(text[j]); ++j)
                exponent = std::min(exponent * 10 + (text[j].unicode() - '0'), 1000);
            mantissa *= std::pow(10.0, exponentSign * exponent);
        }
    }
    return sign * mantissa;
}

int16_t GetParteVersione(const QString &s, int16_t n)
{
    QStringView rest = s;
    double value = 0;
    for (int pass = 1; pass <= n; ++pass) {
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            value = valoreNumerico(rest);
        } else {
            value = valoreNumerico(rest.left(dot));
            rest = rest.mid(dot + 1);
        }
    }
    // Round half to even, as the 16-bit conversion does.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -32768 && rounded <= 32767))
        throw Error(ErrOverflow, QStringLiteral("ConfrontaVersione"));
    return int16_t(rounded);
}

int32_t ConfrontaNumeri(int16_t a, int16_t b)
{
    return a > b ? 1 : (a < b ? -1 : 0);
}

} // namespace qv::Versione
