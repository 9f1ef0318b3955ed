// qvPreview - print preview for Qt applications.
// Ending a document: the modal preview, printing through the print engine
// (optionally after the print options dialog), and the about box.
#include <qvpreview/PrintPreview.h>
#include <qvpreview/VersionRecord.h>

#include "platform/CursoreOccupato.h"
#include "control/PrintPreviewInterno.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "preview/FrmInfo.h"
#include "preview/FrmOpzioni.h"
#include "replay/MotoreStampa.h"

#include <QApplication>
#include <QCursor>
#include <QtGlobal>

#include <algorithm>
#include <exception>

namespace qv {

namespace {

// The library's version record, kept in its own section of the shared
// library even though nothing in the library refers to it by address.
[[gnu::section("qv_version"), gnu::used]] const VersionRecord VersioneLibreria = {
    {'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'}, "qvPreview",
    QV_VERSION_MAJOR, QV_VERSION_MINOR, QV_VERSION_PATCH, QV_VERSION_TWEAK};

/// The dialog gives pages as 32-bit numbers and the engine takes 16-bit
/// ones: a page beyond the 16-bit range means "as far as it goes", never a
/// number that wrapped round to another page.
int16_t pagina16(int32_t value)
{
    return int16_t(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

QString descrizione(std::exception_ptr errore)
{
    try {
        std::rethrow_exception(errore);
    } catch (const Error &e) {
        return QStringLiteral("%1 (%2): %3").arg(e.number()).arg(e.source(), e.description());
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("errore sconosciuto");
    }
}

} // namespace

const VersionRecord &libraryVersion()
{
    return VersioneLibreria;
}

void PrintPreview::ApriAnteprima()
{
    FrmAnteprima &finestra = m_interno->anteprima();
    finestra.setFileTemporaneo(m_spool);
    finestra.setPagineTotali(m_pagine);
    finestra.setTitolo(m_titolo);
    finestra.InizializzaAnteprima();
    finestra.exec();
    // The window unloaded as it closed: the next measure takes the printer's page again.
    m_interno->paginaDaAggiornare();
}

void PrintPreview::ShowAnteprima()
{
    ApriAnteprima();
}

void PrintPreview::InviaAllaStampante(bool finestraDialogo)
{
    try {
        if (platform::printers().isEmpty())
            return;

        FrmOpzioni opzioni(this);
        opzioni.setAnnulla(false);
        opzioni.setPagineTotali(m_pagine);
        opzioni.setCopie(m_copie);
        if (finestraDialogo) {
            opzioni.exec();
            if (opzioni.Annulla()) {
                AnnullaStampa();
                return;
            }
        }

        if (m_spool.isEmpty())
            return;

        MotoreStampa motore;
        motore.setCopie(finestraDialogo ? opzioni.Copie() : m_copie);
        motore.setFileTemporaneo(m_spool);
        if (finestraDialogo) {
            motore.setInizio(pagina16(opzioni.Inizio()));
            motore.setFine(pagina16(opzioni.Fine()));
        }
        motore.setTitolo(m_titolo);
        {
            CursoreOccupato occupato;
            motore.Stampa();
        }

        AnnullaStampa();
    } catch (...) {
        // The host hears nothing of a failed print; the document stays, so
        // that it can be printed again or previewed.
        qWarning("qvpreview: stampa non riuscita: %s", qPrintable(descrizione(std::current_exception())));
    }
}

void PrintPreview::AboutBox()
{
    FrmInfo informazioni(this);
    informazioni.exec();
}

} // namespace qv
