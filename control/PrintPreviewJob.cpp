// qvPreview - print preview for Qt applications.
// Ending a document: the modal preview, printing through the print engine
// (optionally after the print options dialog), and the about box.
#include <qvpreview/PrintPreview.h>

#include "control/PrintPreviewInterno.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "preview/FrmInfo.h"
#include "preview/FrmOpzioni.h"
#include "replay/MotoreStampa.h"

#include <exception>
#include <optional>

namespace qv {

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
    m_erroreStampa.reset();
    m_ultimoPdf.clear();
    try {
        if (platform::printers().isEmpty()) {
            m_erroreStampa = Error(ErrPrinter, QStringLiteral("InviaAllaStampante"),
                                   MotoreStampa::testoNessunaStampante());
            return;
        }

        PrintOptions opzioni;
        opzioni.copies = m_copie;
        if (finestraDialogo) {
            const std::optional<PrintOptions> scelte = FrmOpzioni::Chiedi(this, m_pagine, 0, m_copie);
            if (!scelte) {
                AnnullaStampa();
                return;
            }
            opzioni = *scelte;
        }
        if (m_spool.isEmpty())
            return;
        // No copies asked for: nothing to print, and nothing was put on
        // paper or into a file, so the document stays for a later print.
        if (opzioni.copies < 1)
            return;
        // Only the document's own file is printed: a name that now leads
        // elsewhere (the file deleted, or replaced by a link or another
        // file) is an error, and nothing is discarded.
        if (!m_interno->spoolDelDocumento(m_spool))
            throw Error(ErrFileNotFound, QStringLiteral("InviaAllaStampante"),
                        QStringLiteral("Il file di stampa \"%1\" non è più quello del documento: è stato cancellato "
                                       "o sostituito")
                            .arg(m_spool))
                .at(m_spool);
        opzioni.title = m_titolo;
        m_ultimoPdf = MotoreStampa::StampaConOpzioni(m_spool, opzioni);
        AnnullaStampa();
    } catch (const Error &e) {
        // The host hears nothing of a failed print but can ask for it
        // (lastPrintError()); the document stays, so that it can be printed
        // again or previewed.
        m_erroreStampa = e;
    } catch (...) {
        m_erroreStampa = Error(ErrPrinter, QStringLiteral("InviaAllaStampante"),
                               descrizioneErrore(std::current_exception()));
    }
}

void PrintPreview::AboutBox()
{
    FrmInfo informazioni(this);
    informazioni.exec();
}

} // namespace qv
