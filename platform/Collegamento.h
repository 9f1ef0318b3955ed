// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Launchers: what Windows keeps in a shortcut file is, on a freedesktop
// desktop, a ".desktop" entry of type Application (program, working folder,
// icon), which menus, file managers and the desktop show and start. A
// launcher to a document or a folder starts the desktop's opener, which
// opens it with its default application.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qv::platform {

/// One launcher.
struct Launcher
{
    QString name;          ///< the name the desktop shows
    QString program;       ///< the program to start, a full path
    QString workingFolder; ///< the folder it starts in
    QString icon;          ///< an icon file or an icon theme name
    /// False: program is started. True: program names a document or a
    /// folder, opened with its default application ("gio open", which reads
    /// the desktop's MIME associations); an empty icon then becomes the
    /// generic icon of its type ("text-x-generic", "folder").
    bool opensDocument = false;
};

/// The file name a launcher asked for as \a path gets: a name ending in
/// ".lnk" (any case) ends in ".desktop" instead, a name already ending in
/// ".desktop" stays, any other gets ".desktop" appended.
QString launcherFile(const QString &path);

/// The text of the ".desktop" entry for \a launcher (UTF-8, lines ended by
/// LF). The program is quoted for the Exec key and every value is escaped
/// as the freedesktop desktop entry format asks. nullopt when a text holds a line
/// break or a NUL, which no entry can hold, or the name or program is empty.
std::optional<QByteArray> desktopEntry(const Launcher &launcher);

/// Writes the entry of \a launcher as the file \a file, whole or not at all
/// (platform::writeFileWhole: a symbolic link at the name is replaced, not
/// followed; a device, FIFO or socket there is refused), readable by all and
/// executable by its owner (desktops start only launchers marked
/// executable). False when the entry cannot be made or written.
bool writeLauncher(const QString &file, const Launcher &launcher);

} // namespace qv::platform
