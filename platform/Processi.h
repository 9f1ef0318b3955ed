// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Programs, libraries and the desktop's opener: command lines split into
// words, programs run and waited for or started on their own, the entry
// points of shared libraries, and documents opened with the default program
// for their type.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qv::platform {

// --- Command lines and programs --------------------------------------------

/// Splits \a line into words as a POSIX shell does, without any expansion:
/// blanks, tabs and line breaks separate words; inside '...' every character
/// stands for itself; inside "..." a backslash keeps only a following ", \,
/// $, ` or line break (which it removes); elsewhere a backslash keeps the next
/// character as it is. Quotes join the text around them into one word (''
/// is an empty word). nullopt for an unbalanced quote or a trailing lone
/// backslash.
std::optional<QStringList> splitCommandLine(const QString &line);

/// Runs the program \a arguments[0] with \a arguments (looked for in $PATH
/// when its name has no "/"), with this process's environment, current
/// folder and open files, and waits for it to end; the calling thread is
/// blocked meanwhile. Gives its exit status (0 to 255), 128 + the signal
/// that ended it, or -1 when the end could not be observed; nullopt when
/// the program could not be started (missing, not executable, not a
/// program, or \a arguments empty).
std::optional<int> runAndWait(const QStringList &arguments);

/// Starts the program \a program with \a arguments and returns without
/// waiting; the program outlives the caller and leaves no zombie. False when
/// it could not be started.
bool startDetached(const QString &program, const QStringList &arguments = {});

// --- Libraries --------------------------------------------------------------

/// What became of a call of a library's entry point.
enum class EntryCall {
    NotLoaded,    ///< the file could not be loaded as a shared library
    NoEntryPoint, ///< the library does not export the entry point itself
    Called,       ///< the entry point ran; its result is in the result field
};

struct EntryResult
{
    EntryCall outcome = EntryCall::NotLoaded;
    int32_t result = 0; ///< the entry point's result (an HRESULT: negative is a failure)
};

/// Loads the shared library \a path (a path without "/" is taken in the
/// current folder, never looked for in the library path; only a regular
/// file, or a link to one, is loaded), calls its entry point \a name, which
/// the library must define itself (one that only a library it depends on
/// defines is NoEntryPoint), a function without arguments that returns a 32-bit
/// result, and releases it again. The library stays mapped until the
/// program ends (libraries that register themselves with Qt or the C++
/// runtime cannot be unmapped safely). An exception that escapes the entry
/// point counts as the result E_UNEXPECTED.
EntryResult callLibraryEntryPoint(const QString &path, const char *name);

// --- Documents ----------------------------------------------------------------

/// What opening a document with the desktop's default program gave.
enum class OpenResult {
    Opened,        ///< the program was started
    NotFound,      ///< the file does not exist
    NoAssociation, ///< no program is registered for the file's type or the address's scheme
    AccessDenied,  ///< the file cannot be read
    Failed,        ///< the registered program could not be started
};

/// Opens \a target, a file path or an address with a scheme ("https://...",
/// "mailto:..."), with the default program that the desktop's MIME
/// associations (the freedesktop mimeapps.list files and the programs'
/// .desktop entries, as GIO reads them) name for its type, and returns
/// without waiting for it.
OpenResult openDocument(const QString &target);

} // namespace qv::platform
