// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The thin layer between the component and Linux/Qt that the control, the
// utility class and the installer share: temporary files, message boxes, the
// folder picker, the screen's metrics, opening addresses, the system version, the system and
// Windows folders, the running program and the user's number format. Every
// other folder calls this layer instead of reaching for the file system or
// the desktop directly; tests replace its answers through the *ForTesting
// hooks. The printers, the beep and the per-user settings, which only the control uses,
// are in platform/Devices.h.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

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

// --- Screen ---------------------------------------------------------------

/// Twips per screen pixel, horizontally and vertically (15 at 96 dpi).
double twipsPerPixelX();
double twipsPerPixelY();
/// Overrides the screen's twips per pixel (0: back to the real screen).
void setTwipsPerPixelForTesting(double x, double y);

// --- Message boxes and the folder picker ---------------------------------

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

// --- Folders, the running program, numbers --------------------------------

/// \a path with a trailing "/" (added when it has none).
QString folderPath(QString path);

/// The system folder, where the control library is installed and where hosts
/// load it from: $QVPREVIEW_SYSTEM_DIR when it is set and not empty, else the
/// library folder of this installation (/usr/local/lib by default), as
/// configured (a trailing "/" is not added). Empty when it does not name an
/// existing folder.
QString systemFolder();

/// The Windows folder, the system-wide folder for the settings of programs:
/// $QVPREVIEW_WINDOWS_DIR when it is set and not empty, else "/etc", as
/// configured; not checked for existence.
QString windowsFolder();

/// The Debian package that owns \a path in dpkg's database
/// ("libqvpreview1:amd64"), found with "dpkg-query -S" for the path as given
/// and for the file it resolves to (a link, a merged /lib); empty when no
/// package owns it or dpkg is not installed. A file dpkg owns is replaced
/// by the package manager, never behind its back.
QString debianPackageOwning(const QString &path);
/// Replaces the answer of debianPackageOwning (nullptr: ask dpkg again).
void setDebianPackageOwnerForTesting(std::function<QString(const QString &path)> handler);

/// The full path of the running program (not of a library it has loaded);
/// empty when the system cannot tell.
QString programFile();

/// \a value written as the user's locale (QLocale()) writes numbers, with
/// \a decimals digits after the decimal separator and the thousands grouped.
QString localeNumberText(double value, int decimals);

} // namespace qv::platform
