// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What only the control and its window use of the desk: the printers (CUPS
// queues and the built-in PDF printer), the beep and the per-user settings.
// The installer and the utility class never link this part
// (platform/Platform.h is what they share with the control); tests replace
// its answers through the *ForTesting hooks.
#pragma once

#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class QPdfWriter;
class QPrinter;

namespace qv::platform {

// --- Printers -------------------------------------------------------------

/// One installed printer.
struct PrinterDesc
{
    QString name;         ///< CUPS queue name, or pdfPrinterName() for the built-in PDF printer
    bool pdf = false;     ///< the built-in PDF printer
    QSizeF drawableTwips; ///< the area the printer can draw on, in twips
    /// The printer's own page: its paper, orientation and margins. Left
    /// invalid, the page is drawableTwips without margins.
    QPageLayout layout = QPageLayout();

    bool operator==(const PrinterDesc &) const = default;
};

/// The page of \a printer as it comes: its layout, or drawableTwips without
/// margins when it has none (the default page when that is empty too).
QPageLayout defaultPageLayout(const PrinterDesc &printer);
/// The paper of the user's locale: Letter where the measurement system is
/// the US one, A4 everywhere else.
QPageSize localePaper();
/// The page the current printer prints on: the layout chosen with
/// setChosenPageLayout(), else the current printer's own
/// (defaultPageLayout()), else, without a printer, the default page
/// (11520 x 15872 twips, no margins).
QPageLayout currentPageLayout();
/// The layout the host chose for the pages from now on; nullopt: none
/// chosen, the current printer's own.
std::optional<QPageLayout> chosenPageLayout();
/// Chooses the page layout (nullopt: back to the current printer's own).
/// The caller has checked it (spool::pageLayoutProblem()).
void setChosenPageLayout(std::optional<QPageLayout> layout);

/// Name of the built-in PDF printer, always installed.
QString pdfPrinterName();
/// The installed printers: CUPS queues, then the built-in PDF printer.
QList<PrinterDesc> printers();
/// The current printer: the one chosen with setCurrentPrinter(), else CUPS's
/// default destination, else the PDF printer. Empty when no printer is installed.
std::optional<PrinterDesc> currentPrinter();
/// Chooses the current printer by name; an empty name goes back to the default.
/// Returns false (and changes nothing) when no printer has that name.
bool setCurrentPrinter(const QString &name);
/// The file the next PDF print writes; empty: a new name in pdfOutputFolder().
void setPdfOutputFile(const QString &path);
QString pdfOutputFile();
/// $QVPREVIEW_PDF_DIR, else the user's documents folder, created when it is
/// missing; the home folder when it cannot be created (ends with "/").
QString pdfOutputFolder();
/// The file a PDF print named \a jobTitle writes: \a pdfFile, else
/// pdfOutputFile(), else "<title>-<date-time>.pdf" in pdfOutputFolder().
QString pdfOutputPath(const QString &jobTitle, const QString &pdfFile = QString());
/// A PDF writer on \a device (which stays the caller's, open for writing)
/// with the PDF printer's page (\a layout; left invalid, the paper of the
/// locale without margins), 1200 dots per inch, the document titled
/// \a jobTitle.
std::unique_ptr<QPdfWriter> createPdfWriter(QIODevice *device, const QString &jobTitle,
                                            const QPageLayout &layout = QPageLayout());
/// A QPrinter set up for the CUPS queue \a printer, in high resolution, with
/// the job named \a jobTitle. The built-in PDF printer is no QPrinter: it is
/// a createPdfWriter() on a file written whole or not at all.
std::unique_ptr<QPrinter> createPrinter(const PrinterDesc &printer, const QString &jobTitle);

/// Replaces the printer list (nullopt: back to the real one). An empty list
/// makes every "no printer" path reachable. A chosen page layout is forgotten.
void setPrintersForTesting(std::optional<QList<PrinterDesc>> list);

// --- Beep ------------------------------------------------------------------

/// The system beep.
void beep();
/// Replaces the beep (tests count beeps); an empty function restores it.
void setBeepHandlerForTesting(std::function<void()> handler);

// --- Per-user settings (application, section, key) ------------------------

// The store is one INI file per application, $XDG_CONFIG_HOME/<application>.ini
// (else ~/.config), in the text QSettings reads and writes.

/// Reads a per-user setting; \a defaultValue when absent, and also when the
/// file is no regular file (a FIFO, a folder), is longer than 1 MiB or cannot
/// be read: reading never blocks.
QString readUserSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue);
/// Writes a per-user setting; false when the store could not be written.
bool writeUserSetting(const QString &application, const QString &section, const QString &key, const QString &value);
/// Writes several settings of one section at once, in one replacement of the
/// file (written whole or not at all), under the lock "<file>.lock" that
/// QSettings takes too. The lock is waited for at most a second; anything
/// but a regular file at the lock's name fails at once. False, and the file
/// as it was, when the lock cannot be had, the file cannot be read (so its
/// other values are never lost) or cannot be written.
bool writeUserSettings(const QString &application, const QString &section,
                       const QList<std::pair<QString, QString>> &values);

} // namespace qv::platform
