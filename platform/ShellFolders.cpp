// qvPreview - print preview for Qt applications.
#include "platform/ShellFolders.h"

#include <QDir>
#include <QStandardPaths>

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

QList<std::pair<QString, QString>> userFolders()
{
    const QString data = userLocation(QStandardPaths::GenericDataLocation);
    const QString applications = userLocation(QStandardPaths::ApplicationsLocation);
    QList<std::pair<QString, QString>> folders = {
        {QStringLiteral("Personal"), userLocation(QStandardPaths::DocumentsLocation)},
        {QStringLiteral("AppData"), data},
        {QStringLiteral("Desktop"), userLocation(QStandardPaths::DesktopLocation)},
        {QStringLiteral("Startup"), userLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart")},
        {QStringLiteral("Start Menu"), applications},
        {QStringLiteral("Programs"), applications},
        // One desktop link per recently used document, as the Recent folder
        // holds one shortcut per document.
        {QStringLiteral("Recent"), data + QStringLiteral("/RecentDocuments")},
        {QStringLiteral("My Pictures"), userLocation(QStandardPaths::PicturesLocation)},
        {QStringLiteral("Fonts"), data + QStringLiteral("/fonts")},
        {QStringLiteral("Cache"), userLocation(QStandardPaths::GenericCacheLocation)},
    };
    // A location that cannot be determined (no home folder) is left out.
    folders.removeIf([](const auto &folder) { return !QDir::isAbsolutePath(folder.second); });
    return folders;
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

} // namespace

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
    if (store.keyExists(shellFoldersKey()))
        return true;
    QList<std::pair<QString, StoredValue>> values;
    for (const auto &[name, folder] : xdgShellFolders(hive))
        values.append({name, StoredValue::text(folder)});
    return store.createKeyWithValues(shellFoldersKey(), values);
}

} // namespace qv::platform
