// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: opening documents and addresses, starting programs with or
// without waiting, and waiting.
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include "platform/Platform.h"
#include "platform/Processi.h"
#include "util/Registro.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace qv {

namespace {

/// What EseguiEx adds to the file name for a failure.
QString testoEsito(platform::OpenResult result)
{
    switch (result) {
    case platform::OpenResult::NotFound: return QCoreApplication::translate("qv::qvUtilita", ": file non trovato!");
    case platform::OpenResult::NoAssociation:
        return QCoreApplication::translate("qv::qvUtilita", ": nessun programma associato a questo tipo di file!");
    default: return QCoreApplication::translate("qv::qvUtilita", ": accesso negato!");
    }
}

void boxErrore(const QString &text, platform::MessageIcon icon)
{
    platform::messageBox(nullptr, text, QCoreApplication::translate("qv::qvUtilita", "Errore"), icon);
}

} // namespace

bool qvUtilita::EseguiEx(int32_t hWnd, const QString &file, bool muto)
{
    Q_UNUSED(hWnd);
    try {
        const platform::OpenResult result = platform::openDocument(file);
        if (result == platform::OpenResult::Opened)
            return true;
        if (!muto)
            boxErrore(file + testoEsito(result), platform::MessageIcon::Critical);
        return false;
    } catch (...) {
        if (!muto)
            boxErrore(MessaggioErroreITA(-1), platform::MessageIcon::Critical);
        return false;
    }
}

void qvUtilita::WaitSecondi(int16_t sec)
{
    if (sec < 0)
        return;
    // The end is the start of the second that follows the current second
    // by sec; it is waited for on the monotonic clock, which midnight and
    // changes of the system time do not move.
    const qint64 intoSecond = QDateTime::currentMSecsSinceEpoch() % 1000;
    const QDeadlineTimer end(qint64(sec + 1) * 1000 - intoSecond, Qt::PreciseTimer);
    while (!end.hasExpired()) {
        if (QCoreApplication::instance()) {
            // The program's windows go on receiving their events meanwhile.
            QEventLoop loop;
            QTimer::singleShot(std::max<qint64>(end.remainingTime(), 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        } else {
            QThread::msleep(std::max<qint64>(end.remainingTime(), 0));
        }
    }
}

void qvUtilita::GoWeb(int32_t hWnd, const QString &indirizzoWeb)
{
    Q_UNUSED(hWnd);
    (void)platform::openUrl(indirizzoWeb);
}

void qvUtilita::EMail(int32_t hWnd)
{
    Q_UNUSED(hWnd);
    (void)platform::openUrl(QStringLiteral("Mailto:") + QString::fromLatin1(IndirizzoEMail));
}

bool qvUtilita::StartApplicazione(const QString &applicazione)
{
    try {
        QString programma;
        if (!Registro::LeggiAppPath(applicazione, programma)) {
            boxErrore(applicazione + QCoreApplication::translate("qv::qvUtilita", ": Applicazione non trovata."),
                      platform::MessageIcon::Warning);
            return false;
        }
        if (!platform::startDetached(programma)) {
            boxErrore(programma + QStringLiteral(": ") + errorText(ErrFileNotFound), platform::MessageIcon::Critical);
            return false;
        }
        return true;
    } catch (...) {
        boxErrore(MessaggioErroreITA(-1), platform::MessageIcon::Critical);
        return false;
    }
}

bool qvUtilita::ShellSospensiva(const QString &ToRun, const std::optional<QString> &COMMANDLINE)
{
    try {
        const QString line = COMMANDLINE ? ToRun + QLatin1Char(' ') + *COMMANDLINE : ToRun;
        const std::optional<QStringList> words = platform::splitCommandLine(line);
        return words && platform::runAndWait(*words).has_value();
    } catch (...) {
        return false;
    }
}

void qvUtilita::Sleep(int32_t millisecondi)
{
    if (millisecondi > 0)
        QThread::msleep(ulong(millisecondi));
}

} // namespace qv
