// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The print command that the control and the preview window share: ask the
// print options (or take the defaults), check that the document's own spool
// file is still there, print it through the print engine, and say how it went.
#pragma once

#include "spool/Document.h"
#include "spool/PageIndexer.h"

#include <qvpreview/Error.h>

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

namespace qv {

/// What the print command is asked to do.
struct PrintRequest
{
    /// The print options dialog's parent.
    QWidget *parent = nullptr;
    /// Shows the print options dialog first; without it every page prints.
    bool askOptions = true;
    /// The page count the dialog offers.
    int32_t pages = 1;
    /// The document's page index while it may still be being built (the
    /// window's growing index), or null. The command waits for it to be
    /// complete before it asks the options or prints, showing a dialog over
    /// \a parent after progressDelay() with the pages counted so far and a
    /// button that cancels the print (Cancelled). So "Tutte le Pagine" and
    /// the page fields are the whole document's, never the pages indexed so
    /// far. It must outlive the call.
    const spool::PageIndexer *index = nullptr;
    /// With \a index: the count offered is the complete index's (a document
    /// whose pages nobody counted); without: \a pages stays.
    bool pagesFromIndex = false;
    /// The page on show, offered as the current page; 0: none.
    int32_t currentPage = 0;
    /// The copies the dialog starts with, or that print without it.
    int16_t copies = 1;
    /// The print job's name.
    QString title;
    /// Names the command in its errors ("InviaAllaStampante").
    QString source;
    /// A print that takes longer than half a second shows its progress by
    /// sheet in a dialog over \a parent, with a button that cancels it
    /// between two pages (the job is then aborted: nothing is printed, no
    /// PDF file is written, the document stays).
    bool showProgress = false;
};

/// How the print command went.
struct PrintOutcome
{
    enum class Result {
        Printed,   ///< handed to the printer; pdfFile() names a PDF written
        Cancelled, ///< the user cancelled the options dialog, or the print in progress (nothing came out)
        Empty,     ///< the document has nothing recorded: nothing to print
        NoCopies,  ///< 0 or fewer copies asked for: nothing printed, nothing written
        NoPrinter, ///< no printer is installed (error 482, before any dialog)
        Failed,    ///< error says why; nothing was discarded
    };
    Result result = Result::Failed;
    /// The PDF file written on the built-in PDF printer; empty otherwise.
    QString pdfFile;
    /// Why it did not print (NoPrinter, Failed): 482 with the printer's
    /// error, 53 when the document's spool file was deleted or replaced
    /// since its last record, the replay's error for a document that
    /// cannot be read.
    std::optional<Error> error;
};

/// How long a print runs before its progress dialog shows: 500 ms.
int progressDelay();
/// Sets that delay (tests show the dialog at once with 0); below 0 restores it.
void setProgressDelayForTesting(int milliseconds);

/// Asks the options (when \a request says so), then prints \a document:
/// only its own spool file, never a file that took its name. Never throws.
PrintOutcome printDocument(const std::shared_ptr<const spool::Document> &document, const PrintRequest &request);

} // namespace qv
