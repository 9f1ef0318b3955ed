// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: file versions and their comparison, the running system, the
// system and Windows folders, volume serials, the user's number separators
// and the development-environment test.
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include "platform/Platform.h"
#include "platform/Volumi.h"
#include "util/LetturaVersione.h"
#include "util/Testo.h"
#include "util/Versione.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace qv {

namespace {

constexpr int ServicePackLength = 128;

/// The platform identifiers of the system version.
enum Piattaforma : uint32_t { Win32s = 0, Windows9x = 1, WindowsNT = 2 };

/// The path of the volume that a drive letter or a path names: "c" (also
/// "c:" and "c:\") is the root file system, an absolute path stands for
/// itself; anything else names no volume.
QString volumePath(const QString &letteraDrive)
{
    if (letteraDrive.startsWith(QLatin1Char('/')))
        return letteraDrive;
    QString letter = letteraDrive;
    if (letter.endsWith(QLatin1Char('\\')) || letter.endsWith(QLatin1Char('/')))
        letter.chop(1);
    if (letter.endsWith(QLatin1Char(':')))
        letter.chop(1);
    return letter.compare(QLatin1String("c"), Qt::CaseInsensitive) == 0 ? QStringLiteral("/") : QString();
}

QString serialText(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const std::optional<uint32_t> serial = platform::volumeSerial(path);
    return serial ? QString::number(int32_t(*serial)) : QString();
}

/// The code of the character in the second position of \a text when it is
/// "," or "."; 0 otherwise.
uint8_t separatorOf(const QString &text)
{
    if (text.size() < 2)
        return 0;
    const QChar c = text.at(1);
    return c == QLatin1Char(',') || c == QLatin1Char('.') ? uint8_t(c.unicode()) : 0;
}

} // namespace

QString qvUtilita::CartellaWindows()
{
    try {
        QString folder = Testo::trimBlanks(StripTerminator(platform::windowsFolder()));
        if (folder.isEmpty())
            return QStringLiteral("/");
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        return folder;
    } catch (...) {
        return QStringLiteral("/");
    }
}

QString qvUtilita::GetSerialHD()
{
    return GetSerialDrive(QStringLiteral("c"));
}

QString qvUtilita::GetSerialDrive(const QString &letteraDrive)
{
    try {
        return serialText(volumePath(letteraDrive));
    } catch (...) {
        return QString();
    }
}

bool qvUtilita::IsVBEnvironment()
{
    static constexpr std::array<const char *, 8> Ambienti = {"vb.exe",  "vb32.exe",   "vb5.exe", "vb5cce.exe",
                                                             "vb6.exe", "vb6cce.exe", "vb7.exe", "vb7cce.exe"};
    try {
        const QString program = StripTerminator(platform::programFile());
        qsizetype last = -1;
        for (const QChar separator : {QLatin1Char(':'), QLatin1Char('\\'), QLatin1Char('/')})
            last = std::max(last, program.lastIndexOf(separator));
        const QString name = program.mid(last + 1).toLower();
        return std::any_of(Ambienti.begin(), Ambienti.end(),
                           [&](const char *ambiente) { return name == QLatin1String(ambiente); });
    } catch (...) {
        return false;
    }
}

QString qvUtilita::GetWindowsSysDir()
{
    QString folder = StripTerminator(platform::systemFolder());
    if (folder.isEmpty())
        return QString();
    return AggiungiSepDir(folder);
}

QString qvUtilita::GetVersione(const QString &file)
{
    // Only a regular file is read: a folder, a device or a pipe has no
    // version (and a pipe would block the read).
    const QFileInfo info(file);
    if (file.isEmpty() || !info.exists() || !info.isFile())
        return QStringLiteral("0.0.0.0");
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(ErrPathFileAccess, QStringLiteral("GetVersione")).at(file);
    const std::optional<LetturaVersione::FileVersion> version =
        LetturaVersione::read(uint64_t(f.size()), [&](uint64_t offset, char *buffer, size_t length) {
            if (!f.seek(qint64(offset)) || f.read(buffer, qint64(length)) != qint64(length))
                throw Error(ErrDeviceIO, QStringLiteral("GetVersione")).at(file);
        });
    if (!version)
        return QStringLiteral("0.0.0.0");
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version->major)
        .arg(version->minor)
        .arg(version->build)
        .arg(version->revision);
}

int32_t qvUtilita::ConfrontaVersione(const QString &VersioneA, const QString &VersioneB)
{
    int16_t a[4];
    int16_t b[4];
    for (int16_t part = 1; part <= 4; ++part) {
        a[part - 1] = Versione::GetParteVersione(VersioneA, part);
        b[part - 1] = Versione::GetParteVersione(VersioneB, part);
    }
    for (int i = 0; i < 4; ++i)
        if (const int32_t r = Versione::ConfrontaNumeri(a[i], b[i]))
            return r;
    return 0;
}

uint8_t qvUtilita::GetSeparatoreDecimale()
{
    try {
        return separatorOf(platform::localeNumberText(1.2, 2));
    } catch (...) {
        return 0;
    }
}

uint8_t qvUtilita::GetSeparatoreMigliaia()
{
    try {
        return separatorOf(platform::localeNumberText(1000, 2));
    } catch (...) {
        return 0;
    }
}

int32_t qvUtilita::InfoSO()
{
    const std::optional<platform::SystemVersion> v = platform::systemVersion();
    if (!v)
        return 0;
    switch (v->platformId) {
    case Win32s: return 1;
    case Windows9x:
        if (v->major == 4 && v->minor == 0)
            return 3;
        if (v->major == 4 && v->minor == 10)
            return 5;
        return 6;
    case WindowsNT:
        if (v->major < 4)
            return 2;
        if (v->major == 4)
            return 4;
        if (v->major == 5 && v->minor != 1)
            return 7;
        return 8;
    default: return 0;
    }
}

QString qvUtilita::InfoSOVersione()
{
    const std::optional<platform::SystemVersion> v = platform::systemVersion();
    if (!v)
        return QString();
    QString name;
    switch (InfoSO()) {
    case 1: name = QStringLiteral("Wins32 "); break;
    case 3: name = QStringLiteral("Windows 95"); break;
    case 5: name = QStringLiteral("Windows 98"); break;
    case 6: name = QStringLiteral("Windows Millennium"); break;
    case 7: name = QStringLiteral("Windows 2000"); break;
    case 8: name = QStringLiteral("Windows XP"); break;
    case 2:
    case 4: name = QStringLiteral("Windows NT"); break;
    default: break;
    }
    // The service-pack field is 128 characters long, NUL-padded.
    QString servicePack = v->servicePack.left(ServicePackLength);
    servicePack += QString(ServicePackLength - servicePack.size(), QChar(0));
    return name + QLatin1Char(' ') + QString::number(v->major) + QLatin1Char('.') + QString::number(v->minor)
           + QLatin1Char('.') + QString::number(v->build) + QLatin1Char(' ') + servicePack;
}

} // namespace qv
