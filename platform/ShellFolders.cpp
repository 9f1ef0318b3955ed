// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/ShellFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

#include <cerrno>

namespace qv::platform {

namespace {

/// The first absolute folder of the colon-separated list in the variable
/// \a name, else \a fallback. Relative entries are invalid in XDG lists.
QString firstXdgDir(const char *name, const QString &fallback)
{
    const QStringList dirs = qEnvironmentVariable(name).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : dirs)
        if (QDir::isAbsolutePath(dir))
            return QDir::cleanPath(dir);
    return fallback;
}

QString userLocation(QStandardPaths::StandardLocation location)
{
    return QDir::cleanPath(QStandardPaths::writableLocation(location));
}

/// The folders that user-dirs.dirs names; they follow that file.
QList<std::pair<QString, QString>> userDirsFolders()
{
    return {
        {QStringLiteral("Personal"), userLocation(QStandardPaths::DocumentsLocation)},
        {QStringLiteral("Desktop"), userLocation(QStandardPaths::DesktopLocation)},
        {QStringLiteral("My Pictures"), userLocation(QStandardPaths::PicturesLocation)},
    };
}

/// A location that cannot be determined (no home folder) is left out.
QList<std::pair<QString, QString>> absoluteOnly(QList<std::pair<QString, QString>> folders)
{
    folders.removeIf([](const auto &folder) { return !QDir::isAbsolutePath(folder.second); });
    return folders;
}

QList<std::pair<QString, QString>> userFolders()
{
    const QString data = userLocation(QStandardPaths::GenericDataLocation);
    const QString applications = userLocation(QStandardPaths::ApplicationsLocation);
    QList<std::pair<QString, QString>> folders = userDirsFolders();
    folders += {
        {QStringLiteral("AppData"), data},
        {QStringLiteral("Startup"), userLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart")},
        {QStringLiteral("Start Menu"), applications},
        {QStringLiteral("Programs"), applications},
        // One desktop link per recently used document, as the Recent folder
        // holds one shortcut per document.
        {QStringLiteral("Recent"), data + QStringLiteral("/RecentDocuments")},
        {QStringLiteral("Fonts"), data + QStringLiteral("/fonts")},
        {QStringLiteral("Cache"), userLocation(QStandardPaths::GenericCacheLocation)},
    };
    return absoluteOnly(folders);
}

QList<std::pair<QString, QString>> machineFolders()
{
    const QString data = firstXdgDir("XDG_DATA_DIRS", QStringLiteral("/usr/local/share"));
    const QString config = firstXdgDir("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    const QString applications = data + QStringLiteral("/applications");
    return {
        {QStringLiteral("Common AppData"), data},
        {QStringLiteral("Common Startup"), config + QStringLiteral("/autostart")},
        {QStringLiteral("Common Start Menu"), applications},
        {QStringLiteral("Common Programs"), applications},
    };
}

/// The values of xdgShellFolders(\a hive) that follow user-dirs.dirs.
QList<std::pair<QString, StoredValue>> followedFolders(Hive hive)
{
    QList<std::pair<QString, StoredValue>> followed;
    if (hive != Hive::CurrentUser)
        return followed;
    for (const auto &[name, folder] : absoluteOnly(userDirsFolders()))
        followed.append({name, StoredValue::text(folder)});
    return followed;
}

/// What becomes of one followed value, given what the key holds, what was
/// last seeded and the folder of now.
enum class Seguito { Resta, Aggiorna, Registra };

Seguito seguito(const ReadResult &stored, const ReadResult &seeded, const StoredValue &now)
{
    if (seeded.found())
        return stored.found() && stored.value == seeded.value && seeded.value != now ? Seguito::Aggiorna
                                                                                     : Seguito::Resta;
    // A key filled before seeded folders were recorded: a value equal to
    // the folder of now is taken as seeded from now on.
    return stored.found() && stored.value == now ? Seguito::Registra : Seguito::Resta;
}

/// True when the key exists and no followed value needs a write: read
/// without taking the write lock, so that the common case costs one read.
bool upToDate(const KeyStore &store, const QList<std::pair<QString, StoredValue>> &followed)
{
    if (followed.isEmpty())
        return store.keyExists(shellFoldersKey());
    QList<std::pair<QString, QString>> wanted;
    for (const auto &[name, folder] : followed)
        wanted << std::pair{shellFoldersKey(), name} << std::pair{seededShellFoldersKey(), name};
    const QList<ReadResult> read = store.read(wanted);
    bool anyStored = false;
    for (qsizetype n = 0; n < followed.size(); ++n) {
        if (seguito(read[2 * n], read[2 * n + 1], followed[n].second) != Seguito::Resta)
            return false;
        anyStored = anyStored || read[2 * n].found();
    }
    return anyStored || store.keyExists(shellFoldersKey());
}

} // namespace

QString seededShellFoldersKey()
{
    return QStringLiteral("Software\\qvPreview\\Shell Folders seeded");
}

QString shellFoldersKey()
{
    return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
}

QList<std::pair<QString, QString>> xdgShellFolders(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser: return userFolders();
    case Hive::LocalMachine: return machineFolders();
    case Hive::ClassesRoot: break;
    }
    return {};
}

std::optional<QString> xdgShellFolder(Hive hive, const QString &name)
{
    const QList<std::pair<QString, QString>> folders = xdgShellFolders(hive);
    for (const auto &[value, folder] : folders)
        if (value.compare(name, Qt::CaseInsensitive) == 0)
            return folder;
    return std::nullopt;
}

bool seedShellFolders(Hive hive)
{
    const KeyStore store(hive);
    const QList<std::pair<QString, StoredValue>> followed = followedFolders(hive);
    if (upToDate(store, followed))
        return true;
    const QString key = shellFoldersKey();
    const QString seeded = seededShellFoldersKey();
    const bool done = store.transaction([&](KeyStore::Transaction &t) {
        if (!t.keyExists(key)) {
            if (t.failed() || !t.createKey(key))
                return false;
            for (const auto &[name, folder] : xdgShellFolders(hive))
                t.setValue(key, name, StoredValue::text(folder), false);
            for (const auto &[name, folder] : followed)
                t.setValue(seeded, name, folder, true);
            return !t.failed();
        }
        for (const auto &[name, folder] : followed) {
            switch (seguito(t.read(key, name), t.read(seeded, name), folder)) {
            case Seguito::Aggiorna: t.setValue(key, name, folder, false); [[fallthrough]];
            case Seguito::Registra: t.setValue(seeded, name, folder, true); break;
            case Seguito::Resta: break;
            }
        }
        return !t.failed();
    });
    return done || store.keyExists(key);
}

bool makeUserFolder(const QString &path)
{
    if (!QDir::isAbsolutePath(path))
        return false;
    if (QFileInfo(path).isDir())
        return true;
    const QString clean = QDir::cleanPath(path);
    qsizetype end = 0;
    do {
        end = clean.indexOf(QLatin1Char('/'), end + 1);
        const QString level = end < 0 ? clean : clean.left(end);
        if (::mkdir(QFile::encodeName(level).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    } while (end >= 0);
    return QFileInfo(path).isDir();
}

} // namespace qv::platform
