// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Small text routines that several operations of qvUtilita share.
#pragma once

#include <QString>

namespace qv::Testo {

/// \a text without its leading and trailing blanks (character 32 only; tabs
/// and other white space stay).
inline QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

/// A number as classic BASIC's Str writes it: one blank before a
/// non-negative number (" 53"), the minus sign before a negative one ("-5").
inline QString numberText(int number)
{
    return number >= 0 ? QLatin1Char(' ') + QString::number(number) : QString::number(number);
}

} // namespace qv::Testo
