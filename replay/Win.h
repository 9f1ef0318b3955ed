// qvPreview - print preview for Qt applications.
// Temporary folder and the names of a document's temporary files.
#pragma once

#include <QString>

#include <cstdint>

class QLineEdit;

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

/// Key filter of the numeric text fields: returns \a KeyAscii unchanged when
/// it is 8 (backspace) or a digit "0" to "9"; for any other character sets
/// \a KeyAscii to 0 and returns 0, so that the character is discarded.
int16_t SoloNumeri(int16_t &KeyAscii);
/// Selects the whole text of \a testo (from 0, its whole length). A null
/// field is ignored.
void SelezionaTesto(QLineEdit *testo);

} // namespace qv::Win
