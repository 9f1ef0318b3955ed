// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: registering components, the usage counts of shared files, the
// servers of registered classes, the entries of installed programs and
// launchers.
#include <qvpreview/qvUtilita.h>

#include "platform/Collegamento.h"
#include "platform/Processi.h"
#include "util/Registro.h"
#include "util/Versione.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace qv {

namespace {

const QString SharedDlls = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
const QString Uninstall = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");

/// The shortest path that can name a component: one character and an extension.
constexpr qsizetype MinimumPath = 5;

enum class Tipo { Libreria, Programma, Nessuno };

/// The kind of component by the end of its name, case-blind: ".ocx",
/// ".dll" and shared libraries (".so", or ".so." and a version) are
/// libraries, ".exe" a program.
Tipo tipoComponente(const QString &path)
{
    static const QRegularExpression sharedLibrary(QStringLiteral("\\.so(\\.[0-9]+)*$"),
                                                  QRegularExpression::CaseInsensitiveOption);
    const QString extension = path.right(4).toUpper();
    if (extension == QLatin1String(".OCX") || extension == QLatin1String(".DLL")
        || sharedLibrary.match(path).hasMatch())
        return Tipo::Libreria;
    if (extension == QLatin1String(".EXE"))
        return Tipo::Programma;
    return Tipo::Nessuno;
}

/// Calls the entry point \a entry of the library; a negative result (a
/// failed HRESULT) is a failed registration.
bool registraDll(const QString &path, const char *entry)
{
    const platform::EntryResult call = platform::callLibraryEntryPoint(path, entry);
    return call.outcome == platform::EntryCall::Called && call.result >= 0;
}

/// Runs the program with \a argument and waits for it; it registered when it
/// ended with status 0. The path is passed as one word, blanks and all.
bool registraExe(const QString &path, const QString &argument)
{
    const std::optional<int> status = platform::runAndWait({path, argument});
    return status && *status == 0;
}

bool registra(const QString &path, bool registrare)
{
    if (path.size() < MinimumPath)
        return false;
    switch (tipoComponente(path)) {
    case Tipo::Libreria: return registraDll(path, registrare ? "DllRegisterServer" : "DllUnregisterServer");
    case Tipo::Programma:
        return registraExe(path, registrare ? QStringLiteral("/REGSERVER") : QStringLiteral("/UNREGSERVER"));
    case Tipo::Nessuno: break;
    }
    return false;
}

/// The usage count read as \a letto: -1 when there is none; nullopt when
/// the value does not read as a 32-bit number.
std::optional<int64_t> contatore(const std::optional<QString> &letto)
{
    if (!letto)
        return -1;
    const double value = std::nearbyint(Versione::valoreNumerico(*letto));
    if (!(value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return int64_t(value);
}

/// Writing \a count, unless it leaves the 32-bit range.
Registro::Modifica scrivi(int64_t count)
{
    if (count < std::numeric_limits<int32_t>::min() || count > std::numeric_limits<int32_t>::max())
        return {};
    return {Registro::Modifica::ScriviDWord, int32_t(count)};
}

/// Reads the usage count of \a path and writes what \a nuovo makes of it
/// in one transaction, so that processes counting at once never lose a
/// count, and a count that cannot be read is never taken for a missing one.
/// A number value is written into an existing key only; the key of the
/// counts is part of the system and made when missing.
bool aggiornaContatore(const QString &path, const std::function<Registro::Modifica(int64_t)> &nuovo)
{
    return Registro::ModificaValoreRegistro(Registro::HKEY_LOCAL_MACHINE, SharedDlls, path, true,
                                            [&](const std::optional<QString> &letto) {
                                                const std::optional<int64_t> n = contatore(letto);
                                                return n ? nuovo(*n) : Registro::Modifica{};
                                            });
}

QString pathServer(const QString &progId, const QString &server)
{
    QString clsid;
    if (!Registro::LeggiValoreRegistro(Registro::HKEY_CLASSES_ROOT, progId + QStringLiteral("\\Clsid"), QString(),
                                       clsid))
        return QString();
    QString path;
    if (!Registro::LeggiValoreRegistro(Registro::HKEY_CLASSES_ROOT,
                                       QStringLiteral("Clsid\\") + clsid + QLatin1Char('\\') + server, QString(), path))
        return QString();
    return path;
}

QString nomeValoreDisinstallazione(int32_t subchiave)
{
    switch (subchiave) {
    case 0: return QStringLiteral("ApplicationName");
    case 1: return QStringLiteral("DisplayName");
    case 2: return QStringLiteral("UninstallString");
    case 3: return QStringLiteral("AppToUninstall");
    default: return QString();
    }
}

} // namespace

bool qvUtilita::RegistraServer(const QString &pathfile)
{
    try {
        return registra(pathfile, true);
    } catch (...) {
        return false;
    }
}

bool qvUtilita::DeRegistraServer(const QString &pathfile)
{
    try {
        return registra(pathfile, false);
    } catch (...) {
        return false;
    }
}

bool qvUtilita::SetFileShared(const QString &pathfile, bool esisteGia)
{
    try {
        return aggiornaContatore(pathfile, [&](int64_t n) {
            if (esisteGia && n == -1)
                n = 0;
            return scrivi(n + 1);
        });
    } catch (...) {
        return false;
    }
}

bool qvUtilita::DecFileShared(const QString &pathfile)
{
    try {
        return aggiornaContatore(pathfile, [](int64_t n) {
            return n < 1 ? Registro::Modifica{Registro::Modifica::Cancella} : scrivi(n - 1);
        });
    } catch (...) {
        return false;
    }
}

QString qvUtilita::PathServerOcx(const QString &progId)
{
    try {
        return pathServer(progId, QStringLiteral("InprocServer32"));
    } catch (...) {
        return QString();
    }
}

QString qvUtilita::PathServerExe(const QString &progId)
{
    try {
        return pathServer(progId, QStringLiteral("LocalServer32"));
    } catch (...) {
        return QString();
    }
}

bool qvUtilita::CreaCollegamento(const QString &lnk_pathname, const QString &file, const QString &dir_lavoro)
{
    try {
        const QString launcher = platform::launcherFile(lnk_pathname);
        QString name = QFileInfo(launcher).completeBaseName();
        if (name.trimmed().isEmpty())
            name = QFileInfo(file).fileName();
        // A folder, or a file that cannot be run, is a document: the
        // launcher opens it with its default application. A program (or a
        // target that is not there yet) is started, with its own icon: the
        // target itself, as the desktop shows the icon a file carries.
        const QFileInfo target(file);
        const bool document = target.exists() && (target.isDir() || !target.isExecutable());
        return platform::writeLauncher(
            launcher, platform::Launcher{name, file, dir_lavoro, document ? QString() : file, document});
    } catch (...) {
        return false;
    }
}

QString qvUtilita::GetInfoDisinstallazione(const QString &chiave, int32_t subchiave)
{
    try {
        QString value;
        if (!Registro::LeggiValoreRegistro(Registro::HKEY_LOCAL_MACHINE, Uninstall + chiave,
                                           nomeValoreDisinstallazione(subchiave), value))
            return QString();
        return value;
    } catch (...) {
        return QString();
    }
}

bool qvUtilita::SetInfoDisinstallazione(const QString &chiave, int32_t subchiave, const QString &valore, bool crea)
{
    try {
        return Registro::ScriviValoreRegistro(Registro::HKEY_LOCAL_MACHINE, Uninstall + chiave,
                                              nomeValoreDisinstallazione(subchiave), valore, crea);
    } catch (...) {
        return false;
    }
}

} // namespace qv
