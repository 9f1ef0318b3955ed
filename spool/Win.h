// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Temporary folder and the names of a document's temporary files.
#pragma once

#include <QString>

#include <cstdint>

namespace qv::Win {

/// The temporary folder, always ending with "/" ($TMPDIR, else /tmp/, else
/// the control library's own folder).
QString CartellaTemporanea();
/// A new, empty spool file "qv*.tmp" in the temporary folder; when none can be
/// created, the fixed name "qv12345.tmp" there (not created).
QString NomeFileSpool();
/// A new, empty picture file "qvm*.tmp" in the temporary folder, or an empty
/// string when none can be created.
QString NomeFileImmagine();

} // namespace qv::Win
