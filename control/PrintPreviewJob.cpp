// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Ending a document: the modal preview, printing through the print command
// that the preview window shares (optionally after the print options
// dialog), and the about box.
#include <qvpreview/PrintPreview.h>

#include "control/PrintPreviewInterno.h"
#include "dialogs/FrmInfo.h"
#include "dialogs/PrintCommand.h"
#include "preview/FrmAnteprima.h"

namespace qv {

void PrintPreview::Private::riporta(const PrintOutcome &esito)
{
    erroreStampa = esito.error;
    ultimoPdf = esito.pdfFile;
}

void PrintPreview::ApriAnteprima()
{
    FrmAnteprima &finestra = d->interno->anteprima();
    finestra.setDocumento(d->document);
    finestra.setPagineTotali(TotalePagine());
    finestra.setTitolo(d->titolo);
    finestra.setWindowOptions(d->finestra);
    // The window's print command reports to the host as InviaAllaStampante() does.
    finestra.setPrintListener([this](const PrintOutcome &esito) { d->riporta(esito); });
    finestra.InizializzaAnteprima();
    finestra.exec();
    // The window unloaded as it closed: the next measure takes the printer's page again.
    d->interno->paginaDaAggiornare();
}

void PrintPreview::ShowAnteprima()
{
    ApriAnteprima();
}

void PrintPreview::InviaAllaStampante(bool finestraDialogo)
{
    PrintRequest richiesta;
    richiesta.parent = this;
    richiesta.askOptions = finestraDialogo;
    richiesta.pages = TotalePagine();
    richiesta.copies = d->copie;
    richiesta.title = d->titolo;
    richiesta.source = QStringLiteral("InviaAllaStampante");
    // The host hears nothing of a failed print but can ask for it
    // (lastPrintError()); the document then stays, so that it can be printed
    // again or previewed. A printed or a cancelled document is discarded.
    const PrintOutcome esito = printDocument(d->document, richiesta);
    d->riporta(esito);
    if (esito.result == PrintOutcome::Result::Printed || esito.result == PrintOutcome::Result::Cancelled)
        AnnullaStampa();
}

void PrintPreview::AboutBox()
{
    FrmInfo informazioni(this);
    informazioni.exec();
}

} // namespace qv
