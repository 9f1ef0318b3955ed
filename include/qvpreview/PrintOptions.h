// qvPreview - print preview for Qt applications.
// What to print and where: the print options of a spool file, and the
// printers of the machine.
#pragma once

#include <qvpreview/Export.h>

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
/// The name of the built-in PDF printer ("PDF").
QV_EXPORT QString pdfPrinterName();
/// The file that the PDF printer writes when the print options name none;
/// empty (the default): a new file "<title>-<date-time>.pdf" in
/// $QVPREVIEW_PDF_DIR, else in the user's documents folder.
QV_EXPORT void setPdfOutputFile(const QString &path);
/// The file set with setPdfOutputFile(); empty by default.
QV_EXPORT QString pdfOutputFile();

} // namespace qv
