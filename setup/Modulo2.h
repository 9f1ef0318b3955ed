// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Modulo2: the helpers of the installer's window.
#pragma once

#include <QString>

namespace qv::Modulo2 {

/// Gives \a path a trailing separator: when \a path, without its trailing
/// blanks, does not end with "/" (or "\"), it becomes that text followed by
/// "/"; otherwise it stays exactly as it was, trailing blanks included. An
/// empty path becomes "/".
void AggiungiBackslash(QString &path);

/// The system folder, where the control library is installed
/// ($QVPREVIEW_SYSTEM_DIR, else the library folder of this installation),
/// cut at its first NUL and with a trailing "/"; the empty text when it
/// cannot be determined (it is not an existing folder).
QString DirectorySystem();

/// The characters of \a s before its first NUL; \a s when it has none.
/// Throws qv::Error 6 ("Overflow") when the NUL lies beyond position 32767,
/// where a 16-bit position cannot hold it.
QString TroncaAlNull(const QString &s);

} // namespace qv::Modulo2
