// qvPreview - print preview for Qt applications.
// The thin layer between the component and Linux/Qt: temporary files,
// printers, screen metrics, beep, message boxes, the folder picker, per-user
// settings, opening addresses and the system version. Every other folder calls
// this layer instead of reaching for QPrinter, the file system or the desktop
// directly; tests replace its answers through the *ForTesting hooks.
#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class QPdfWriter;
class QPrinter;
class QWidget;

namespace qv::platform {

// --- Temporary folder and unique names ------------------------------------

/// $TMPDIR, else "/tmp/"; always ends with "/". Empty when neither exists.
QString systemTempFolder();
/// Creates a new empty file "<folder><prefix>XXXXXX.tmp" atomically and
/// returns its path, or an empty string when no file can be created.
QString createUniqueFile(const QString &folder, const QString &prefix);
/// Folder of the running module (the control library itself), ending with
/// "/"; the current folder when the module is not known.
QString libraryFolder();

// --- Printers -------------------------------------------------------------

/// One installed printer.
struct PrinterDesc
{
    QString name;          ///< CUPS queue name, or pdfPrinterName() for the built-in PDF printer
    bool pdf = false;      ///< the built-in PDF printer
    QSizeF drawableTwips;  ///< the area the printer can draw on, in twips

    bool operator==(const PrinterDesc &) const = default;
};

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
/// with the PDF printer's page: A4 without margins, 1200 dots per inch, the
/// document titled \a jobTitle.
std::unique_ptr<QPdfWriter> createPdfWriter(QIODevice *device, const QString &jobTitle);
/// A QPrinter set up for the CUPS queue \a printer, in high resolution, with
/// the job named \a jobTitle. The built-in PDF printer is no QPrinter: it is
/// a createPdfWriter() on a file written whole or not at all.
std::unique_ptr<QPrinter> createPrinter(const PrinterDesc &printer, const QString &jobTitle);

/// Replaces the printer list (nullopt: back to the real one). An empty list
/// makes every "no printer" path reachable.
void setPrintersForTesting(std::optional<QList<PrinterDesc>> list);

// --- Screen ---------------------------------------------------------------

/// Twips per screen pixel, horizontally and vertically (15 at 96 dpi).
double twipsPerPixelX();
double twipsPerPixelY();
/// Overrides the screen's twips per pixel (0: back to the real screen).
void setTwipsPerPixelForTesting(double x, double y);

// --- Beep, message boxes and the folder picker ----------------------------

/// The system beep.
void beep();
/// Replaces the beep (tests count beeps); an empty function restores it.
void setBeepHandlerForTesting(std::function<void()> handler);

/// Icon styles of a message box.
enum class MessageIcon { None = 0, Critical = 16, Warning = 48, Information = 64 };
/// A modal message box with an OK button.
void messageBox(QWidget *parent, const QString &text, const QString &title, MessageIcon icon);
void setMessageBoxHandlerForTesting(
    std::function<void(const QString &text, const QString &title, MessageIcon icon)> handler);

/// The desktop's folder picker, modal over \a parent (none: over no window)
/// and titled \a title; only existing folders can be chosen. Returns the
/// chosen folder's absolute path, without a trailing "/" (the root folder is
/// "/"); empty when the user cancels, and without a widget application.
QString chooseFolder(QWidget *parent, const QString &title);

// --- Per-user settings (application, section, key) ------------------------

/// Reads a per-user setting; \a defaultValue when absent.
QString readUserSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue);
/// Writes a per-user setting; false when the store could not be written.
bool writeUserSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value);

// --- Shell ------------------------------------------------------------------

/// Opens an address (web page, mailto:) with the desktop's default program.
bool openUrl(const QString &url);
void setOpenUrlHandlerForTesting(std::function<bool(const QString &)> handler);

// --- System version ---------------------------------------------------------

struct SystemVersion
{
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 3; ///< 3: Linux, not a Windows family (2 would be Windows NT)
    QString servicePack;
};
/// The running kernel's version; nullopt when it cannot be read.
std::optional<SystemVersion> systemVersion();
void setSystemVersionForTesting(std::optional<std::optional<SystemVersion>> version);

} // namespace qv::platform
