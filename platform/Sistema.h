// qvPreview - print preview for Qt applications.
// System services of the utility class beyond those of Platform.h: the
// system and Windows folders, the running program, and numbers as the
// user's locale writes them. (Platform.h declares the services that the
// utility class shares with the control: temporary files, message boxes,
// opening addresses and the system version; they are defined in Sistema.cpp
// too.)
#pragma once

#include <QString>

namespace qv::platform {

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

/// The full path of the running program (not of a library it has loaded);
/// empty when the system cannot tell.
QString programFile();

/// \a value written as the user's locale (QLocale()) writes numbers, with
/// \a decimals digits after the decimal separator and the thousands grouped.
QString localeNumberText(double value, int decimals);

} // namespace qv::platform
