// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The "Shell Folders" key of the key store, filled from the XDG folders of
// the user and of the machine: the utility class reads the special folders
// (documents, desktop, pictures, autostart, ...) from that key, and this is
// where the key gets its values on Linux. The table of which value comes
// from which folder is in docs/utility.md.
#pragma once

#include "platform/KeyStore.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace qv::platform {

/// The key that holds one text value per special folder, in the current-user
/// hive (the user's folders) and in the local-machine hive (the folders of
/// all users, values named "Common ...").
QString shellFoldersKey();

/// The values that the key of \a hive gets from the XDG folders: value name
/// and folder path (absolute, without a trailing "/"). Folders without a
/// Linux counterpart ("SendTo", "Cookies", "Common Pictures", ...) are not
/// listed. The user's folders come from $XDG_CONFIG_HOME/user-dirs.dirs
/// and the XDG_*_HOME variables (through QStandardPaths), those of all users
/// from the first entries of $XDG_DATA_DIRS and $XDG_CONFIG_DIRS. Empty for
/// the classes-root hive.
QList<std::pair<QString, QString>> xdgShellFolders(Hive hive);

/// The folder that xdgShellFolders(\a hive) gives for the value \a name
/// (compared without regard to case); nullopt when it gives none.
std::optional<QString> xdgShellFolder(Hive hive, const QString &name);

/// The key of the current-user hive that records, for each value that
/// follows the user's user-dirs.dirs ("Personal", "Desktop", "My Pictures"),
/// the folder last seeded into the Shell Folders key.
QString seededShellFoldersKey();

/// Makes sure that the key of \a hive exists and follows the user's folders:
/// - a missing key is created holding xdgShellFolders(\a hive);
/// - a value seeded from user-dirs.dirs that still holds what was seeded
///   gets the folder that file names now (when the user moved it);
/// - any other value stays as it is: one that a program set in the store,
///   one removed from it, and every value of the machine-wide hives.
/// All in one transaction. True when the key exists afterwards; false when it
/// is missing and the hive cannot be written (the machine-wide hives for a
/// user who is not the superuser, a damaged database).
bool seedShellFolders(Hive hive);

/// Makes the user's folder \a path when it is missing: every missing level,
/// private to the user (mode 0700), as the desktop keeps its folders. A
/// path that is not absolute is left alone. True when \a path is a folder
/// afterwards.
bool makeUserFolder(const QString &path);

} // namespace qv::platform
