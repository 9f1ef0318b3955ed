// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/PrintCommand.h"

#include "dialogs/FrmOpzioni.h"
#include "platform/Devices.h"
#include "print/MotoreStampa.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>

#include <algorithm>
#include <exception>
#include <limits>

namespace qv {

namespace {
int &delay()
{
    static int milliseconds = 500;
    return milliseconds;
}
} // namespace

int progressDelay()
{
    return delay();
}

void setProgressDelayForTesting(int milliseconds)
{
    delay() = milliseconds < 0 ? 500 : milliseconds;
}

namespace {

/// Waits for \a index to be complete, with a dialog over \a parent that
/// shows the pages counted so far once the wait has taken progressDelay();
/// false when the user cancelled it first.
bool waitForIndex(const spool::PageIndexer &index, QWidget *parent)
{
    if (index.finished())
        return true;
    QProgressDialog dialog(QCoreApplication::translate("qv::PrintCommand", "Conteggio delle pagine..."),
                           QCoreApplication::translate("qv::PrintCommand", "Annulla"), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("attesaIndice"));
    dialog.setWindowTitle(QCoreApplication::translate("qv::PrintCommand", "Stampa"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(progressDelay());
    QEventLoop loop;
    QObject::connect(&index, &spool::PageIndexer::grew, &dialog, [&dialog](qsizetype known) {
        dialog.setLabelText(
            QCoreApplication::translate("qv::PrintCommand", "Conteggio delle pagine: %1 finora...").arg(known));
    });
    QObject::connect(&index, &spool::PageIndexer::done, &loop, &QEventLoop::quit);
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    // Asked again once connected: a scan that ended meanwhile is not waited for.
    if (!index.finished())
        loop.exec();
    return index.finished() && !dialog.wasCanceled();
}

/// The page count to offer: the whole index's when it counts the pages.
int32_t pagesToOffer(const PrintRequest &request)
{
    if (!request.index || !request.pagesFromIndex || request.index->exceededPageCount())
        return request.pages;
    return int32_t(std::clamp<qsizetype>(request.index->known(), 1, std::numeric_limits<int32_t>::max()));
}

} // namespace

PrintOutcome printDocument(const std::shared_ptr<const spool::Document> &document, const PrintRequest &request)
{
    PrintOutcome outcome;
    try {
        if (platform::printers().isEmpty()) {
            outcome.result = PrintOutcome::Result::NoPrinter;
            outcome.error = Error(ErrPrinter, request.source, MotoreStampa::testoNessunaStampante());
            return outcome;
        }

        // Never the pages known so far: the index is waited for first.
        if (request.index && !waitForIndex(*request.index, request.parent)) {
            outcome.result = PrintOutcome::Result::Cancelled;
            return outcome;
        }
        PrintOptions options;
        options.copies = request.copies;
        if (request.askOptions) {
            const std::optional<PrintOptions> chosen =
                FrmOpzioni::Chiedi(request.parent, pagesToOffer(request), request.currentPage, request.copies);
            if (!chosen) {
                outcome.result = PrintOutcome::Result::Cancelled;
                return outcome;
            }
            options = *chosen;
        }
        if (!document || document->isEmpty()) {
            outcome.result = PrintOutcome::Result::Empty;
            return outcome;
        }
        // No copies asked for: nothing goes to paper or into a file, so the
        // document stays for a later print.
        if (options.copies < 1) {
            outcome.result = PrintOutcome::Result::NoCopies;
            return outcome;
        }
        // Only the document's own file is printed: a name that now leads
        // elsewhere (the file deleted, or replaced by a link or another
        // file) is an error, and nothing is discarded.
        const QString &path = document->path();
        if (!document->isOwnFile())
            throw Error(ErrFileNotFound, request.source,
                        QCoreApplication::translate("qv::PrintPreview",
                                                    "Il file di stampa \"%1\" non è più quello del documento: "
                                                    "è stato cancellato o sostituito")
                            .arg(path))
                .at(path);
        options.title = request.title;
        std::function<void(int, int)> progress;
        std::function<bool()> cancelled;
        std::unique_ptr<QProgressDialog> dialog;
        if (request.showProgress) {
            // Shown once the print has taken half a second; setValue() lets
            // the dialog's Cancel button be pressed between two pages.
            dialog = std::make_unique<QProgressDialog>(
                QCoreApplication::translate("qv::PrintCommand", "Stampa in corso..."),
                QCoreApplication::translate("qv::PrintCommand", "Annulla"), 0, 1, request.parent);
            dialog->setObjectName(QStringLiteral("progressoStampa"));
            dialog->setWindowTitle(QCoreApplication::translate("qv::PrintCommand", "Stampa"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(progressDelay());
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setValue(0);
            progress = [&dialog](int done, int total) {
                dialog->setMaximum(total);
                dialog->setLabelText(QCoreApplication::translate("qv::PrintCommand", "Stampa del foglio %1 di %2...")
                                         .arg(std::min(done + 1, total))
                                         .arg(total));
                dialog->setValue(done);
            };
            cancelled = [&dialog] { return dialog->wasCanceled(); };
        }
        try {
            outcome.pdfFile = MotoreStampa::StampaConOpzioni(document, options, progress, cancelled);
            outcome.result = PrintOutcome::Result::Printed;
        } catch (const PrintCancelled &) {
            outcome.result = PrintOutcome::Result::Cancelled;
        }
    } catch (const Error &e) {
        outcome.result = PrintOutcome::Result::Failed;
        outcome.error = e;
    } catch (...) {
        outcome.result = PrintOutcome::Result::Failed;
        outcome.error = Error(ErrPrinter, request.source, descrizioneErrore(std::current_exception()));
    }
    return outcome;
}

} // namespace qv
