// SPDX-License-Identifier: MIT
#include "Cli.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace qvcli {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

int usageError(const QString &message)
{
    err() << "qvpreview: " << message << "\n"
          << QCoreApplication::translate("qvpreview", "Provare 'qvpreview --help' per maggiori informazioni.") << "\n";
    err().flush();
    return Usage;
}

int failure(const QString &message)
{
    err() << "qvpreview: " << message << "\n";
    err().flush();
    return Failure;
}

QString describe(const qv::Error &e)
{
    return QCoreApplication::translate("qvpreview", "errore %1 (%2): %3")
        .arg(e.number())
        .arg(e.source(), e.description());
}

std::optional<int> parseInt(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < minimum || v > maximum)
        return std::nullopt;
    return v;
}

bool checkReadable(const QString &path, QString &message)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        message = QCoreApplication::translate("qvpreview", "%1: file non trovato").arg(path);
        return false;
    }
    if (!info.isFile() || !info.isReadable()) {
        message = QCoreApplication::translate("qvpreview", "%1: non è un file leggibile").arg(path);
        return false;
    }
    return true;
}

} // namespace qvcli
