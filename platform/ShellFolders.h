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

/// Makes sure that the key of \a hive exists: when it does not, creates it
/// holding xdgShellFolders(\a hive), in one transaction. A key that exists is
/// never changed, so a value set in the store (or removed from it) stays as
/// it was. True when the key exists afterwards; false when it is missing and
/// the hive cannot be written (the machine-wide hives for a user who is not
/// the superuser, a damaged database).
bool seedShellFolders(Hive hive);

} // namespace qv::platform
