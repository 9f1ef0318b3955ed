// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What to print and where: the print options of a spool file, and the
// printers of the machine.
#pragma once

#include <qvpreview/Export.h>

#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <iosfwd>
#include <optional>

class QDebug;

namespace qv {

/// The options of one print job. The preview window's print options dialog
/// gives the range and the copies; the rest says where the job goes.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp PrintOptions
struct QV_EXPORT PrintOptions
{
    /// First page to print, 1-based; left out: page 1. A range partly outside
    /// the document prints the pages inside it.
    std::optional<int32_t> firstPage;
    /// Last page to print; left out: the document's last page.
    std::optional<int32_t> lastPage;
    /// Copies, collated (1, 2, 3, 1, 2, 3); 0 or fewer prints nothing (no job
    /// is started, no PDF file written); at most 32767.
    int32_t copies = 1;
    /// The printer by name (see printerNames()); empty: the current printer.
    QString printer;
    /// When set, the job goes to this PDF file through the built-in PDF
    /// printer, whatever \a printer says.
    QString pdfFile;
    /// The job's name; empty: "Anteprima di Stampa".
    QString title;

    /// Equal when every field is.
    bool operator==(const PrintOptions &) const = default;
};

/// Writes \a options to a debug stream, every field named.
QV_EXPORT QDebug operator<<(QDebug debug, const PrintOptions &options);
/// Prints \a options in GoogleTest's failure messages.
QV_EXPORT void PrintTo(const PrintOptions &options, std::ostream *os);

/// The installed printers by name: the CUPS queues, then the built-in PDF
/// printer (pdfPrinterName()), which is always there.
QV_EXPORT QStringList printerNames();
/// The name of the printer that prints when no other is named: the one chosen
/// with setCurrentPrinter(), else CUPS's default destination, else the PDF
/// printer. Empty when no printer is installed.
QV_EXPORT QString currentPrinterName();
/// Chooses the current printer by name; an empty name goes back to the
/// default. False (and nothing changes) when no printer has that name.
QV_EXPORT bool setCurrentPrinter(const QString &name);
/// The page layout of the current printer: the paper (a QPageSize), its
/// orientation and the margins, in Qt's terms. It is the one chosen with
/// setCurrentPageLayout(), else the current printer's own: a CUPS queue's
/// default media with the queue's margins, the built-in PDF printer's
/// paper of the locale (Letter where QLocale::system() measures in the US
/// system, A4 elsewhere) without margins. Without any printer, a custom
/// page of 11520 x 15872 twips without margins.
///
/// The area within the margins is the page a document is drawn on:
/// PrintPreview::PageWidth() and PageHeight() give it, the control
/// centres and measures on it, and coordinates count from its top-left
/// corner. A document records the layout chosen here with every page it
/// starts while one is chosen, so that the window, the tool, SpoolFile and
/// the printer show and print that page on that paper wherever the file
/// goes; a page recorded while none is chosen is laid out on the current
/// printer's page when it is read, as always.
QV_EXPORT QPageLayout currentPageLayout();
/// Chooses the page layout for the pages recorded from now on (also a page
/// already begun, while nothing is recorded on it), whatever printer is
/// current. Lengths in any of QPageLayout's units. Throws qv::Error 380
/// (source "setCurrentPageLayout", the detail saying what is wrong) for a
/// layout that is no page: invalid, a side of more than 200 inches, margins
/// below 0 or that leave no room to draw; the layout stays as it was.
///
/// To let the user choose with Qt's page setup dialog on the current
/// printer:
/// \code
/// QPrinter printer;
/// printer.setPageLayout(qv::currentPageLayout());
/// if (QPageSetupDialog(&printer).exec() == QDialog::Accepted) qv::setCurrentPageLayout(printer.pageLayout());
/// \endcode
QV_EXPORT void setCurrentPageLayout(const QPageLayout &layout);
/// Forgets the chosen layout: the current printer's own page again, and the
/// pages recorded from now on carry no layout.
QV_EXPORT void resetCurrentPageLayout();
/// True while a layout chosen with setCurrentPageLayout() is in force.
QV_EXPORT bool isPageLayoutChosen();

/// The name of the built-in PDF printer ("PDF").
QV_EXPORT QString pdfPrinterName();
/// The file that the PDF printer writes when the print options name none;
/// empty (the default): a new file "<title>-<date-time>.pdf" in
/// $QVPREVIEW_PDF_DIR, else in the user's documents folder.
QV_EXPORT void setPdfOutputFile(const QString &path);
/// The file set with setPdfOutputFile(); empty by default.
QV_EXPORT QString pdfOutputFile();

} // namespace qv
