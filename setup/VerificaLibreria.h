// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The check of the library the installer is about to put in place: a
// library that hosts cannot load whole would take every host down with it,
// so nothing is replaced unless the new file is the right version and whole.
#pragma once

#include "util/LetturaVersione.h"

#include <QString>

#include <cstdint>

namespace qv::VerificaLibreria {

/// What the examination of an ELF file found.
enum class Elf {
    Intero,      ///< a shared library of this machine, every part inside the file
    NonLibreria, ///< not an ELF shared library of this machine's class, byte order and processor
    Troncato, ///< damaged: a header table, a segment or a section ends beyond the file, or a table's entries have the
              ///< wrong size
};

/// Reads bytes of the file; called only for ranges inside it.
using ReadAt = LetturaVersione::ReadAt;

/// Examines the ELF file of \a size bytes read through \a readAt: whether it
/// is a shared library for this machine, and whether its program header
/// table, its section header table, every segment's bytes in the file and
/// every section's bytes (sections without bytes in the file aside) lie
/// within its \a size bytes.
Elf esamina(uint64_t size, const ReadAt &readAt);

/// Checks the library \a path before it replaces the installed one: a
/// regular file (or a link to one; a FIFO or a device is never opened for a
/// blocking read), whose version record reads as \a versione ("1.2.0.48"),
/// and a whole ELF shared library of this machine (esamina()). Throws
/// qv::Error naming the file and what is wrong: 53 when it is missing, 75
/// when it is not a regular file or cannot be opened, 57 for a read error,
/// 48 (the library cannot be loaded) for another version or a file that is
/// not a whole library.
void verifica(const QString &path, const QString &versione);

} // namespace qv::VerificaLibreria
