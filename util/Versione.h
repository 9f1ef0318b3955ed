// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Version texts of qvUtilita: "major.minor.build.revision", read part by
// part the lenient way of classic BASIC, and compared as numbers.
#pragma once

#include <QString>

#include <cstdint>

namespace qv::Versione {

/// The lenient numeric reading of the start of \a text: leading blanks and
/// tabs are skipped, then an optional sign, digits and an optional exponent
/// ("E" or "D", with its own sign) are read up to the first character that
/// cannot continue the number; no digits give 0.
double valoreNumerico(QStringView text);

/// Part \a n (from 1) of the version text \a s: each of \a n passes takes
/// the text before the first "." (and goes on after it) or, when there is no
/// "." left, the whole remaining text, so a missing part repeats the last one
/// present ("1.2": parts 3 and 4 are 2). The part is read with
/// valoreNumerico() and rounded half to even. Throws qv::Error 6 ("Overflow")
/// when it leaves the 16-bit range (-32768 to 32767); \a n below 1 gives 0.
int16_t GetParteVersione(const QString &s, int16_t n);

/// 1 when \a a > \a b, -1 when \a a < \a b, 0 when they are equal.
int32_t ConfrontaNumeri(int16_t a, int16_t b);

} // namespace qv::Versione
