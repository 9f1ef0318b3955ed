// SPDX-License-Identifier: MIT
// Helper program of the process, opener and registration tests:
//   (no arguments)        writes "avviato" to the file $QV_MARCATORE_AVVIO
//   esci N                exits with status N
//   argomenti FILE ARGS   writes each of ARGS on a line of FILE
//   attendi FILE MS       sleeps MS milliseconds, then writes "fine" to FILE
//   apri FILE TARGET      writes TARGET to FILE (a program the desktop opens documents with)
//   crolla                ends by the signal SIGSEGV
//   vb                    exits with 1 when qvUtilita::IsVBEnvironment() is true, else 0
//   /REGSERVER            registers the class "qvProva.Programma" as served by this program
//   /UNREGSERVER          removes that registration
// Registration exits with $QV_PROVA_ESITO when it is set, else 0.
#include <qvpreview/qvUtilita.h>

#include "util/Registro.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QThread>

#include <csignal>
#include <cstdlib>

namespace {

const QString Classe = QStringLiteral("{6C1D2E2A-0F57-4A55-9A3C-2B9E1B7C5D10}");

bool scrivi(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int esitoRegistrazione()
{
    const QByteArray esito = qgetenv("QV_PROVA_ESITO");
    return esito.isEmpty() ? 0 : esito.toInt();
}

} // namespace

int main(int argc, char **argv)
{
    using namespace qv::Registro;
    if (argc == 1)
        return scrivi(QString::fromLocal8Bit(qgetenv("QV_MARCATORE_AVVIO")), "avviato") ? 0 : 1;
    const QByteArray command = argv[1];
    if (command == "esci" && argc == 3)
        return std::atoi(argv[2]);
    if (command == "argomenti" && argc >= 3) {
        QByteArray lines;
        for (int i = 3; i < argc; ++i)
            lines += QByteArray(argv[i]) + '\n';
        return scrivi(QString::fromLocal8Bit(argv[2]), lines) ? 0 : 1;
    }
    if (command == "attendi" && argc == 4) {
        QThread::msleep(ulong(std::atoi(argv[3])));
        return scrivi(QString::fromLocal8Bit(argv[2]), "fine") ? 0 : 1;
    }
    if (command == "apri" && argc == 4)
        return scrivi(QString::fromLocal8Bit(argv[2]), argv[3]) ? 0 : 1;
    if (command == "crolla") {
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
        return 1;
    }
    if (command == "vb")
        return qv::qvUtilita().IsVBEnvironment() ? 1 : 0;
    if (command == "/REGSERVER") {
        const QString self = QString::fromLocal8Bit(argv[0]);
        const bool ok =
            ScriviValoreRegistro(HKEY_CLASSES_ROOT, QStringLiteral("qvProva.Programma\\Clsid"), QString(), Classe, true)
            && ScriviValoreRegistro(HKEY_CLASSES_ROOT,
                                    QStringLiteral("Clsid\\") + Classe + QStringLiteral("\\LocalServer32"), QString(),
                                    self + QStringLiteral(" /automation"), true);
        return ok ? esitoRegistrazione() : 100;
    }
    if (command == "/UNREGSERVER") {
        CancellaChiaveRegistro(HKEY_CLASSES_ROOT, QStringLiteral("qvProva.Programma"));
        CancellaChiaveRegistro(HKEY_CLASSES_ROOT, QStringLiteral("Clsid\\") + Classe);
        return esitoRegistrazione();
    }
    return 100;
}
