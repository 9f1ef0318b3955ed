// qvPreview - print preview for Qt applications.
// The replay: the only reader of the spool file.
#pragma once

#include "replay/DrawTarget.h"

#include <QString>
#include <QVariant>

#include <cstdint>

namespace qv::LetturaDati {

/// Draws page \a Pagina (1-based; -1: every page, one after another) of the
/// spool file \a FileTemporaneo onto \a Destinazione. \a Abbandona (printer
/// only) discards the print job at the end instead of sending it.
/// \a PosizioneInizio is the stored 1-based byte position of the page's first
/// line (64-bit: pages of a spool file past 2 GiB are reached too), or 0 to
/// find the page by counting page breaks.
/// Errors (a missing file, a record cut short, a value that is no number)
/// end the call with a qv::Error naming the line and what was expected; what
/// was drawn so far stays drawn and the file is closed.
void DisegnaPagina(DrawTarget &Destinazione, const QString &FileTemporaneo, int16_t Pagina,
                   const QVariant &Abbandona = QVariant(), qint64 PosizioneInizio = 0);

} // namespace qv::LetturaDati
