// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/Collegamento.h"

#include "platform/FileSystem.h"

#include <QMimeDatabase>

namespace qv::platform {

namespace {

/// The opener a launcher to a document starts, with the document as its
/// last argument: GIO's, which reads the desktop's MIME associations.
const char *const DocumentOpener[] = {"gio", "open"};

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QChar(0));
}

/// A value of type string: backslashes doubled, tabs written "\t", and a
/// leading blank written "\s" so that the reader keeps it.
QString escapedValue(const QString &text)
{
    QString value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char(' ') && i == 0)
            value += QStringLiteral("\\s");
        else
            value += c;
    }
    return value;
}

/// The program as one quoted argument of the Exec key: within double quotes
/// the characters " ` $ \ get a backslash, and "%" (which starts a field
/// code) is doubled. Not yet escaped as a string value.
QString quotedArgument(const QString &program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

/// The Exec key's value: the program, or the opener and the document.
QString execValue(const Launcher &launcher)
{
    QString command;
    if (launcher.opensDocument)
        for (const char *word : DocumentOpener)
            command += QString::fromLatin1(word) + QLatin1Char(' ');
    return escapedValue(command + quotedArgument(launcher.program));
}

} // namespace

QString launcherFile(const QString &path)
{
    if (path.endsWith(QLatin1String(".desktop")))
        return path;
    if (path.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
        return path.chopped(4) + QStringLiteral(".desktop");
    return path + QStringLiteral(".desktop");
}

std::optional<QByteArray> desktopEntry(const Launcher &launcher)
{
    for (const QString *text : {&launcher.name, &launcher.program, &launcher.workingFolder, &launcher.icon})
        if (holdsLineBreak(*text))
            return std::nullopt;
    if (launcher.name.trimmed().isEmpty() || launcher.program.isEmpty())
        return std::nullopt;
    QString entry = QStringLiteral("[Desktop Entry]\nType=Application\n");
    entry += QStringLiteral("Name=") + escapedValue(launcher.name) + QLatin1Char('\n');
    entry += QStringLiteral("Exec=") + execValue(launcher) + QLatin1Char('\n');
    if (!launcher.workingFolder.isEmpty())
        entry += QStringLiteral("Path=") + escapedValue(launcher.workingFolder) + QLatin1Char('\n');
    QString icon = launcher.icon;
    if (icon.isEmpty() && launcher.opensDocument)
        icon = QMimeDatabase().mimeTypeForFile(launcher.program).genericIconName();
    if (!icon.isEmpty())
        entry += QStringLiteral("Icon=") + escapedValue(icon) + QLatin1Char('\n');
    entry += QStringLiteral("Terminal=false\n");
    return entry.toUtf8();
}

bool writeLauncher(const QString &file, const Launcher &launcher)
{
    const std::optional<QByteArray> entry = desktopEntry(launcher);
    return entry && writeFileWhole(file, *entry, LinkAtName::Replace, 0744) == 0;
}

} // namespace qv::platform
