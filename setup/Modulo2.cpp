// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "setup/Modulo2.h"

#include <qvpreview/Error.h>

#include "platform/Platform.h"

namespace qv::Modulo2 {

void AggiungiBackslash(QString &path)
{
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char(' '))
        --end;
    const QString trimmed = path.left(end);
    if (!trimmed.endsWith(QLatin1Char('/')) && !trimmed.endsWith(QLatin1Char('\\')))
        path = trimmed + QLatin1Char('/');
}

QString DirectorySystem()
{
    const QString folder = platform::systemFolder();
    if (folder.isEmpty())
        return QString();
    QString path = TroncaAlNull(folder);
    AggiungiBackslash(path);
    return path;
}

QString TroncaAlNull(const QString &s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    if (nul < 0)
        return s;
    if (nul + 1 > 32767)
        throw Error(ErrOverflow, QStringLiteral("TroncaAlNull"));
    return s.left(nul);
}

} // namespace qv::Modulo2
