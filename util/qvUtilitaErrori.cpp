// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: error texts, the error message box and the log file.
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "util/Testo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <exception>
#include <new>

namespace qv {

namespace {

/// The highest number of the classic run-time error table; the catalogue's
/// numbers above it are the component's own.
constexpr int LastRunTimeError = 999;

struct CurrentError
{
    int number = 0;
    QString description;
};

/// The number and description of the exception being handled.
CurrentError currentError()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return {};
    try {
        std::rethrow_exception(current);
    } catch (const Error &e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc &) {
        return {ErrOutOfMemory, errorText(ErrOutOfMemory)};
    } catch (const std::exception &e) {
        return {ErrInternal, QString::fromUtf8(e.what())};
    } catch (...) {
        return {ErrInternal, errorText(ErrInternal)};
    }
}

/// The module's file name without its extension; for a shared library
/// without ".so" and the version after it ("libqvpreview.so.1" gives
/// "libqvpreview").
QString moduleBaseName(const QString &fileName)
{
    for (qsizetype so = fileName.indexOf(QLatin1String(".so")); so > 0;
         so = fileName.indexOf(QLatin1String(".so"), so + 1)) {
        if (so + 3 == fileName.size() || fileName.at(so + 3) == QLatin1Char('.'))
            return fileName.left(so);
    }
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString defaultLogFile()
{
    const QString module = platform::moduleFile();
    if (module.isEmpty())
        return QString();
    QString folder = QFileInfo(module).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder + moduleBaseName(QFileInfo(module).fileName()) + QStringLiteral(".log");
}

} // namespace

QString qvUtilita::MessaggioErroreITA(int32_t codice)
{
    if (codice <= LastRunTimeError && hasErrorText(codice))
        return errorText(codice);
    return currentError().description;
}

void qvUtilita::PrintErrore()
{
    const CurrentError error = currentError();
    const QString text = error.number == ErrBadFileNameOrNumber
                             ? QCoreApplication::translate("qv::qvUtilita", "Impossibile leggere l'unità specificata.")
                             : error.description;
    platform::messageBox(nullptr, text,
                         QCoreApplication::translate("qv::qvUtilita", "Errore ") + Testo::numberText(error.number),
                         platform::MessageIcon::Information);
}

bool qvUtilita::ScriviLog(const QString &testo, const std::optional<QString> &filename, bool data,
                          bool CancellaPrecedente)
{
    try {
        const QString file = filename ? Testo::trimBlanks(*filename) : defaultLogFile();
        if (file.isEmpty())
            return false;
        QByteArray line;
        if (data)
            line = QLocale().toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MMM-dd hh:mm:ss ")).toUtf8();
        line += testo.toUtf8();
        line += "\r\n";
        // Only a log that is a regular file is deleted (or written below).
        if (CancellaPrecedente && (!QFileInfo(file).isFile() || !QFile::remove(file)))
            return false;
        // Appended under the file's lock, so lines of processes that log to
        // one file never mix; a failed write is taken back whole.
        return platform::appendToFile(file, line) == 0;
    } catch (...) {
        return false;
    }
}

} // namespace qv
