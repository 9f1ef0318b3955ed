// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/Win.h"

#include "platform/Platform.h"

namespace qv::Win {

QString CartellaTemporanea()
{
    QString folder = platform::systemTempFolder();
    if (folder.isEmpty())
        folder = platform::libraryFolder();
    // A folder given without its final separator gets one; trailing blanks of
    // a folder that already ends with one are kept as they are.
    QString trimmed = folder;
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    if (trimmed.endsWith(QLatin1Char('/')))
        return folder;
    return trimmed + QLatin1Char('/');
}

QString NomeFileSpool()
{
    const QString name = platform::createUniqueFile(CartellaTemporanea(), QStringLiteral("qv"));
    if (name.isEmpty())
        return CartellaTemporanea() + QStringLiteral("qv12345.tmp");
    return name;
}

QString NomeFileImmagine()
{
    return platform::createUniqueFile(CartellaTemporanea(), QStringLiteral("qvm"));
}

} // namespace qv::Win
