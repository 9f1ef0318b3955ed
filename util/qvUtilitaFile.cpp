// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: paths, folders, temporary files, file tests and expansion of
// compressed files.
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "util/Registro.h"
#include "util/Testo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace qv {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

qsizetype lastSeparator(const QString &path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

/// The run-time error number that stands for a failed file creation.
int errorNumberOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return ErrPathNotFound;
    case ENOSPC:
    case EDQUOT: return ErrDiskFull;
    case EMFILE:
    case ENFILE: return ErrTooManyFiles;
    case EEXIST: return ErrFileAlreadyExists;
    case ENAMETOOLONG: return ErrBadFileNameOrNumber;
    case EIO: return ErrDeviceIO;
    default: return ErrPathFileAccess; // EACCES, EPERM, EROFS and the rest
    }
}

} // namespace

bool qvUtilita::CreaPercorsoDirectory(QString &path)
{
    try {
        if (Testo::trimBlanks(path).isEmpty())
            return false;
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        if (QFileInfo(path).isDir())
            return true;
        for (qsizetype next = path.indexOf(QLatin1Char('/')); next >= 0;
             next = path.indexOf(QLatin1Char('/'), next + 1)) {
            const QString level = path.left(next + 1);
            // Another process may create the level at the same moment.
            if (!QFileInfo(level).isDir() && !QDir().mkdir(level) && !QFileInfo(level).isDir())
                return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool qvUtilita::FileAperto(const QString &file)
{
    try {
        return platform::fileInUseByOthers(file);
    } catch (...) {
        return false;
    }
}

QString qvUtilita::AggiungiSepDir(QString &percorso)
{
    percorso = Testo::trimBlanks(percorso);
    if (!percorso.isEmpty() && !isSeparator(percorso.back()))
        percorso += QLatin1Char('/');
    return percorso;
}

QString qvUtilita::DeterminaSoloFileName(const QString &pathname)
{
    return pathname.mid(lastSeparator(pathname) + 1);
}

QString qvUtilita::EstraiEstensione(const QString &filename)
{
    const qsizetype dot = filename.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? filename.mid(dot + 1) : QString();
}

void qvUtilita::CurDirApp()
{
    const QString folder = platform::moduleFolder();
    if (!folder.isEmpty())
        (void)QDir::setCurrent(folder);
}

QString qvUtilita::GetFileTemporaneo()
{
    const QString folder = GetDirectoryTemp();
    const QString file = platform::createUniqueFile(folder, QStringLiteral("qv"));
    return file.isEmpty() ? folder + QStringLiteral("qv12345.tmp") : file;
}

QString qvUtilita::GetDirectoryTemp()
{
    QString folder = platform::systemTempFolder();
    if (folder.isEmpty())
        folder = platform::moduleFolder();
    return AggiungiSepDir(folder);
}

bool qvUtilita::WriteAccess(const QString &strDirName)
{
    QString folder = strDirName;
    AggiungiSepDir(folder);
    // The probe is always a new file: a file of the user's that has the
    // probe's name is never opened, emptied or deleted.
    QString probe = folder + QStringLiteral("120asd12.tmp");
    int error = platform::createNewFile(probe);
    for (int attempt = 1; error == EEXIST && attempt <= 100; ++attempt) {
        probe = folder + QStringLiteral("120asd12-%1.tmp").arg(attempt);
        error = platform::createNewFile(probe);
    }
    if (error == 0) {
        QFile::remove(probe);
        return true;
    }
    const int number = errorNumberOf(error);
    platform::messageBox(nullptr,
                         QCoreApplication::translate("qv::qvUtilita", "Errore # ") + Testo::numberText(number)
                             + QLatin1Char('\r') + errorText(number),
                         QCoreApplication::translate("qv::qvUtilita", "Errore"), platform::MessageIcon::Critical);
    return false;
}

bool qvUtilita::DirectoryRete()
{
    try {
        const QString folder = platform::moduleFolder();
        return !folder.isEmpty() && platform::isOnNetworkFileSystem(folder);
    } catch (...) {
        return false;
    }
}

bool qvUtilita::Decomprimi(const QString &sorgente, const QString &destinazione)
{
    try {
        return platform::expandFile(sorgente, destinazione) != platform::ExpandResult::Failed;
    } catch (...) {
        return false;
    }
}

QString qvUtilita::CartellaApplicazione(const QString &applicazione)
{
    try {
        QString program;
        if (!Registro::LeggiAppPath(applicazione, program))
            return QString();
        return EstraiPath(program);
    } catch (...) {
        return QString();
    }
}

QString qvUtilita::EstraiPath(const QString &filename)
{
    const qsizetype last = lastSeparator(filename);
    if (last > 0)
        return filename.left(last + 1);
    // "/name" is a file of the root folder; "\name" names no folder.
    return last == 0 && filename.front() == QLatin1Char('/') ? QStringLiteral("/") : QString();
}

} // namespace qv
