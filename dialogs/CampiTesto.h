// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Helpers of the dialogs' numeric text fields.
#pragma once

#include <QString>

#include <cstdint>

class QLineEdit;

namespace qv::CampiTesto {

/// Key filter of the numeric text fields: returns \a KeyAscii unchanged when
/// it is 8 (backspace) or a digit "0" to "9"; for any other character sets
/// \a KeyAscii to 0 and returns 0, so that the character is discarded.
int16_t SoloNumeri(int16_t &KeyAscii);
/// A text that arrives in a numeric field at once (pasted, dropped) passed
/// through the key filter character by character, as if it were typed: the
/// characters SoloNumeri keeps, without backspaces ("x7" gives "7").
QString SoloNumeri(const QString &testo);
/// Selects the whole text of \a testo (from 0, its whole length). A null
/// field is ignored.
void SelezionaTesto(QLineEdit *testo);

} // namespace qv::CampiTesto
