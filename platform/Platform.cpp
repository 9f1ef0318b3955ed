// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The system services that the control, the utility class and the installer
// share (platform/Platform.h). Printers, the screen, the beep and the
// per-user settings, which only the control needs, are in Devices.cpp.
#include "platform/Platform.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#ifndef QV_SYSTEM_FOLDER
#define QV_SYSTEM_FOLDER "/usr/local/lib"
#endif

namespace qv::platform {

namespace {

struct State
{
    std::function<void(const QString &, const QString &, MessageIcon)> messageBox;
    std::function<bool(const QString &)> openUrl;
    std::optional<std::optional<SystemVersion>> testVersion;
};

State &state()
{
    static State s;
    return s;
}

/// The value of the environment variable \a name, else \a fallback.
QString configured(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

} // namespace

// --- Temporary folder and unique names ------------------------------------

QString systemTempFolder()
{
    QString dir = qEnvironmentVariable("TMPDIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStringLiteral("/tmp");
    if (!QFileInfo(dir).isDir())
        return QString();
    return folderPath(dir);
}

QString createUniqueFile(const QString &folder, const QString &prefix)
{
    QByteArray templ = QFile::encodeName(folder + prefix + QStringLiteral("XXXXXX.tmp"));
    const int fd = ::mkstemps(templ.data(), 4);
    if (fd < 0)
        return QString();
    ::close(fd);
    return QFile::decodeName(templ);
}

QString libraryFolder()
{
    const QString folder = moduleFolder();
    return folderPath(folder.isEmpty() ? QDir::currentPath() : folder);
}

// --- Message boxes ----------------------------------------------------------

void messageBox(QWidget *parent, const QString &text, const QString &title, MessageIcon icon)
{
    if (state().messageBox) {
        state().messageBox(text, title, icon);
        return;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::Critical: qicon = QMessageBox::Critical; break;
    case MessageIcon::Warning: qicon = QMessageBox::Warning; break;
    case MessageIcon::Information: qicon = QMessageBox::Information; break;
    case MessageIcon::None: break;
    }
    // A text may break its lines with a carriage return alone; the box
    // breaks lines at line feeds.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(qicon, title, shown, QMessageBox::Ok, parent);
    box.exec();
}

void setMessageBoxHandlerForTesting(std::function<void(const QString &, const QString &, MessageIcon)> handler)
{
    state().messageBox = std::move(handler);
}

QString chooseFolder(QWidget *parent, const QString &title)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return QString();
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || !QFileInfo(chosen.first()).isDir())
        return QString();
    return QDir::cleanPath(QFileInfo(chosen.first()).absoluteFilePath());
}

// --- Shell ------------------------------------------------------------------

bool openUrl(const QString &url)
{
    if (state().openUrl)
        return state().openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void setOpenUrlHandlerForTesting(std::function<bool(const QString &)> handler)
{
    state().openUrl = std::move(handler);
}

// --- System version ---------------------------------------------------------

std::optional<SystemVersion> systemVersion()
{
    if (state().testVersion)
        return *state().testVersion;
    struct utsname names
    {};
    if (::uname(&names) != 0)
        return std::nullopt;
    SystemVersion v;
    const QStringList parts = QString::fromLatin1(names.release).split(QRegularExpression(QStringLiteral("[.\\-+]")));
    if (parts.size() > 0)
        v.major = parts[0].toUInt();
    if (parts.size() > 1)
        v.minor = parts[1].toUInt();
    if (parts.size() > 2)
        v.build = parts[2].toUInt();
    v.platformId = 3;
    v.servicePack = QString::fromLatin1(names.version).left(127);
    return v;
}

void setSystemVersionForTesting(std::optional<std::optional<SystemVersion>> version)
{
    state().testVersion = std::move(version);
}

// --- Folders -----------------------------------------------------------------

QString folderPath(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// --- System and Windows folders ---------------------------------------------

QString systemFolder()
{
    const QString folder = configured("QVPREVIEW_SYSTEM_DIR", QStringLiteral(QV_SYSTEM_FOLDER));
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString windowsFolder()
{
    return configured("QVPREVIEW_WINDOWS_DIR", QStringLiteral("/etc"));
}

// --- The package manager ----------------------------------------------------

namespace {

std::function<QString(const QString &)> packageOwnerHandler;

/// The packages that dpkg lists for exactly \a path: "dpkg-query -S" matches
/// patterns, so only a line naming the path itself counts ("pkg, pkg2: path").
QString askDpkg(const QString &path)
{
    if (path.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("dpkg-query")).isEmpty())
        return QString();
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), path});
    // The database is local: a query that does not end in half a minute
    // (a locked or broken database) counts as no answer.
    if (!query.waitForFinished(30000)) {
        query.kill();
        query.waitForFinished();
        return QString();
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return QString();
    const QString suffix = QStringLiteral(": ") + path;
    for (const QString &line : QString::fromLocal8Bit(query.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("diversion ")) || !line.endsWith(suffix))
            continue;
        return line.left(line.size() - suffix.size()).trimmed();
    }
    return QString();
}

} // namespace

QString debianPackageOwning(const QString &path)
{
    if (packageOwnerHandler)
        return packageOwnerHandler(path);
    QString owner = askDpkg(QFileInfo(path).absoluteFilePath());
    if (owner.isEmpty()) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (!resolved.isEmpty() && resolved != QFileInfo(path).absoluteFilePath())
            owner = askDpkg(resolved);
    }
    return owner;
}

void setDebianPackageOwnerForTesting(std::function<QString(const QString &path)> handler)
{
    packageOwnerHandler = std::move(handler);
}

// --- The running program ----------------------------------------------------

QString programFile()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || size_t(length) >= sizeof buffer)
        return QString();
    return QFile::decodeName(QByteArray(buffer, length));
}

// --- Numbers ----------------------------------------------------------------

QString localeNumberText(double value, int decimals)
{
    return QLocale().toString(value, 'f', decimals);
}

// --- Screen ---------------------------------------------------------------

namespace {
struct ScreenOverride
{
    double x = 0;
    double y = 0;
};

ScreenOverride &screenState()
{
    static ScreenOverride overrides;
    return overrides;
}

double screenTwipsPerPixel(bool horizontal)
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (QScreen *screen = app->primaryScreen()) {
            const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
            if (dpi > 0)
                return 1440.0 / dpi; // twips per inch
        }
    }
    return 15.0;
}
} // namespace

double twipsPerPixelX()
{
    return screenState().x > 0 ? screenState().x : screenTwipsPerPixel(true);
}

double twipsPerPixelY()
{
    return screenState().y > 0 ? screenState().y : screenTwipsPerPixel(false);
}

void setTwipsPerPixelForTesting(double x, double y)
{
    screenState().x = x;
    screenState().y = y;
}

} // namespace qv::platform
