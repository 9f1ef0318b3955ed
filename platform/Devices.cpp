// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/Devices.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QLockFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

namespace qv::platform {

namespace {

struct State
{
    std::optional<QList<PrinterDesc>> testPrinters;
    std::optional<QList<PrinterDesc>> cachedPrinters;
    QString chosenPrinter;
    std::optional<QPageLayout> chosenLayout;
    QString pdfFile;
    std::function<void()> beep;
};

State &state()
{
    static State s;
    return s;
}

constexpr double TwipsPerInch = 1440.0;

QSizeF drawableAreaOf(QPrinter &printer)
{
    const QRectF inches = printer.pageLayout().paintRect(QPageLayout::Inch);
    return QSizeF(inches.width() * TwipsPerInch, inches.height() * TwipsPerInch);
}

QPageLayout pdfLayout()
{
    return QPageLayout(localePaper(), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

QSizeF drawableAreaOf(const QPageLayout &layout)
{
    const QRectF mm = layout.paintRect(QPageLayout::Millimeter);
    return QSizeF(mm.width() / 25.4 * TwipsPerInch, mm.height() / 25.4 * TwipsPerInch);
}

QList<PrinterDesc> realPrinters()
{
    QList<PrinterDesc> list;
    const auto infos = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo &info : infos) {
        QPrinter printer(info, QPrinter::HighResolution);
        list.append(PrinterDesc{info.printerName(), false, drawableAreaOf(printer), printer.pageLayout()});
    }
    const QPageLayout pdf = pdfLayout();
    list.append(PrinterDesc{pdfPrinterName(), true, drawableAreaOf(pdf), pdf});
    return list;
}

} // namespace

// --- Printers -------------------------------------------------------------

QString pdfPrinterName()
{
    return QStringLiteral("PDF");
}

QList<PrinterDesc> printers()
{
    State &s = state();
    if (s.testPrinters)
        return *s.testPrinters;
    if (!s.cachedPrinters)
        s.cachedPrinters = realPrinters();
    return *s.cachedPrinters;
}

std::optional<PrinterDesc> currentPrinter()
{
    const QList<PrinterDesc> list = printers();
    if (list.isEmpty())
        return std::nullopt;
    const State &s = state();
    QString wanted = s.chosenPrinter;
    if (wanted.isEmpty() && !s.testPrinters)
        wanted = QPrinterInfo::defaultPrinterName();
    for (const PrinterDesc &p : list)
        if (p.name == wanted)
            return p;
    for (const PrinterDesc &p : list)
        if (p.pdf)
            return p;
    return list.first();
}

bool setCurrentPrinter(const QString &name)
{
    if (!name.isEmpty()) {
        const QList<PrinterDesc> list = printers();
        const bool known = std::any_of(list.begin(), list.end(), [&](const PrinterDesc &p) { return p.name == name; });
        if (!known)
            return false;
    }
    state().chosenPrinter = name;
    return true;
}

QPageSize localePaper()
{
    // The C locale is no country's: A4, as always.
    const QLocale locale = QLocale::system();
    const bool us = locale.language() != QLocale::C && locale.measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(us ? QPageSize::Letter : QPageSize::A4);
}

QPageLayout defaultPageLayout(const PrinterDesc &printer)
{
    if (printer.layout.isValid())
        return printer.layout;
    QSizeF twips = printer.drawableTwips;
    if (!(twips.width() > 0 && twips.height() > 0))
        twips = QSizeF(11520, 15872);
    return QPageLayout(QPageSize(twips / TwipsPerInch * 25.4, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QPageLayout currentPageLayout()
{
    if (state().chosenLayout)
        return *state().chosenLayout;
    return defaultPageLayout(currentPrinter().value_or(PrinterDesc{}));
}

std::optional<QPageLayout> chosenPageLayout()
{
    return state().chosenLayout;
}

void setChosenPageLayout(std::optional<QPageLayout> layout)
{
    state().chosenLayout = std::move(layout);
}

void setPdfOutputFile(const QString &path)
{
    state().pdfFile = path;
}

QString pdfOutputFile()
{
    return state().pdfFile;
}

QString pdfOutputFolder()
{
    QString dir = qEnvironmentVariable("QVPREVIEW_PDF_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // A desktop without a documents folder yet (a new account, a server)
    // gets one; where it cannot be made, the PDF goes to the home folder.
    if (dir.isEmpty() || !(QFileInfo(dir).isDir() || QDir().mkpath(dir)))
        dir = QDir::homePath();
    return folderPath(dir);
}

QString pdfOutputPath(const QString &jobTitle, const QString &pdfFile)
{
    QString file = pdfFile.isEmpty() ? state().pdfFile : pdfFile;
    if (!file.isEmpty())
        return file;
    QString base = jobTitle;
    base.replace(QRegularExpression(QStringLiteral("[^\\w\\- ]")), QStringLiteral("_"));
    if (base.trimmed().isEmpty())
        base = QStringLiteral("qvpreview");
    return pdfOutputFolder() + base + QLatin1Char('-')
           + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")) + QStringLiteral(".pdf");
}

std::unique_ptr<QPdfWriter> createPdfWriter(QIODevice *device, const QString &jobTitle, const QPageLayout &layout)
{
    auto writer = std::make_unique<QPdfWriter>(device);
    writer->setPageLayout(layout.isValid() ? layout : pdfLayout());
    writer->setResolution(1200);
    writer->setTitle(jobTitle);
    writer->setCreator(QStringLiteral("qvPreview"));
    return writer;
}

std::unique_ptr<QPrinter> createPrinter(const PrinterDesc &printer, const QString &jobTitle)
{
    auto qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    qprinter->setPrinterName(printer.name);
    qprinter->setOutputFormat(QPrinter::NativeFormat);
    qprinter->setFullPage(false);
    qprinter->setDocName(jobTitle);
    qprinter->setCreator(QStringLiteral("qvPreview"));
    return qprinter;
}

void setPrintersForTesting(std::optional<QList<PrinterDesc>> list)
{
    state().testPrinters = std::move(list);
    state().chosenPrinter.clear();
    state().chosenLayout.reset();
}

// --- Beep -----------------------------------------------------------------

void beep()
{
    if (state().beep) {
        state().beep();
        return;
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

void setBeepHandlerForTesting(std::function<void()> handler)
{
    state().beep = std::move(handler);
}

// --- Per-user settings ------------------------------------------------------

namespace {

/// The longest settings file read: far more than the few keys it holds.
constexpr int64_t MaxSettingsBytes = 1024 * 1024;
/// How long a write waits for another writer's lock of the file.
constexpr int SettingsLockWaitMs = 1000;

QString settingsFile(const QString &application)
{
    QString dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return folderPath(dir) + application + QStringLiteral(".ini");
}

/// The settings file's text: empty when it is missing, nullopt when it
/// cannot be had (not a regular file, such as a FIFO or a folder, too long,
/// unreadable). Never blocks.
std::optional<QByteArray> readSettingsText(const QString &path)
{
    QByteArray text;
    switch (readRegularFile(path, MaxSettingsBytes, text)) {
    case OpenRegularResult::Opened: return text;
    case OpenRegularResult::NotFound: return QByteArray();
    case OpenRegularResult::NotRegular:
    case OpenRegularResult::TooLarge:
    case OpenRegularResult::Failed: break;
    }
    return std::nullopt;
}

// The file is the INI text that QSettings reads and writes (IniFormat):
// "[SECTION]" lines, "KEY=value" lines, values escaped and quoted as
// QSettings does, so that a file written by either reads back in both.

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// A value as QSettings writes a text: '"' and '\' escaped, control
/// characters as escapes, in quotes when it holds ';', ',' or '=' or starts
/// or ends with a blank; a leading '@' doubled.
QByteArray escapedValue(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    bool needsQuotes = false;
    bool escapeNextHexDigit = false;
    if (utf8.startsWith('@'))
        out += '@';
    for (const char c : utf8) {
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextHexDigit && isHexDigit(c)) {
            out += "\\x" + QByteArray::number(uint8_t(c), 16);
            continue;
        }
        escapeNextHexDigit = false;
        switch (c) {
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (uint8_t(c) < 0x20 || c == 0x7f) {
                out += "\\x" + QByteArray::number(uint8_t(c), 16);
                escapeNextHexDigit = true;
            } else {
                out += c;
            }
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

/// The text of a value as QSettings reads one: quotes removed, escapes
/// resolved, blanks outside quotes at either end dropped.
QString unescapedValue(QByteArrayView raw)
{
    raw = raw.trimmed();
    QByteArray out;
    bool quoted = false;
    qsizetype keep = 0; // out's length up to its last character that is no blank outside quotes
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
            keep = out.size();
            continue;
        }
        if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[++i];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'a': out += '\a'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'v': out += '\v'; break;
            case 'x': {
                uint code = 0;
                qsizetype digits = 0;
                while (i + 1 < raw.size() && isHexDigit(raw[i + 1]) && digits < 4) {
                    code = code * 16 + uint(QByteArray(1, raw[++i]).toUInt(nullptr, 16));
                    ++digits;
                }
                out += QString(QChar(char16_t(code))).toUtf8();
                break;
            }
            default: out += e; break;
            }
            keep = out.size();
            continue;
        }
        out += c;
        if (quoted || c != ' ')
            keep = out.size();
    }
    out.truncate(keep);
    if (out.startsWith("@@"))
        out.remove(0, 1);
    return QString::fromUtf8(out);
}

/// The section a "[SECTION]" line opens, or nullopt for any other line.
std::optional<QByteArrayView> sectionOf(QByteArrayView line)
{
    line = line.trimmed();
    if (!line.startsWith('[') || !line.endsWith(']'))
        return std::nullopt;
    return line.sliced(1, line.size() - 2).trimmed();
}

/// The key of a "KEY=value" line, or nullopt for any other line.
std::optional<QByteArrayView> keyOf(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.front() == ';' || trimmed.front() == '#')
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return line.first(eq).trimmed();
}

QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

std::optional<QString> valueIn(const QByteArray &text, const QString &section, const QString &key)
{
    const QByteArray wantedSection = section.toUtf8(), wantedKey = key.toUtf8();
    bool inSection = false;
    std::optional<QString> found;
    for (const QByteArray &line : linesOf(text)) {
        if (const std::optional<QByteArrayView> s = sectionOf(line)) {
            inSection = *s == wantedSection;
        } else if (inSection) {
            const std::optional<QByteArrayView> k = keyOf(line);
            if (k && *k == wantedKey)
                found = unescapedValue(line.sliced(line.indexOf('=') + 1));
        }
    }
    return found;
}

/// \a text with \a values set in \a section: a key's line replaced where it
/// is, a new key added at the end of its section, a new section at the end;
/// every other line kept as it was.
QByteArray withValues(const QByteArray &text, const QString &section, const QList<std::pair<QString, QString>> &values)
{
    const QByteArray wantedSection = section.toUtf8();
    QList<QByteArray> lines = linesOf(text);
    for (const auto &[key, value] : values) {
        const QByteArray wantedKey = key.toUtf8();
        const QByteArray newLine = wantedKey + '=' + escapedValue(value);
        qsizetype sectionEnd = -1; // the line after the last non-blank line of the section
        bool inSection = false;
        bool replaced = false;
        for (qsizetype i = 0; i < lines.size() && !replaced; ++i) {
            if (const std::optional<QByteArrayView> s = sectionOf(lines[i])) {
                inSection = *s == wantedSection;
                if (inSection)
                    sectionEnd = i + 1;
                continue;
            }
            if (!inSection)
                continue;
            const std::optional<QByteArrayView> k = keyOf(lines[i]);
            if (k && *k == wantedKey) {
                lines[i] = newLine;
                replaced = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                sectionEnd = i + 1;
            }
        }
        if (replaced)
            continue;
        if (sectionEnd >= 0) {
            lines.insert(sectionEnd, newLine);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QByteArray());
            lines.append('[' + wantedSection + ']');
            lines.append(newLine);
        }
    }
    QByteArray out;
    for (const QByteArray &line : std::as_const(lines))
        out += line + '\n';
    return out;
}

} // namespace

QString readUserSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue)
{
    const std::optional<QByteArray> text = readSettingsText(settingsFile(application));
    if (!text)
        return defaultValue;
    return valueIn(*text, section, key).value_or(defaultValue);
}

bool writeUserSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    return writeUserSettings(application, section, {{key, value}});
}

bool writeUserSettings(const QString &application, const QString &section,
                       const QList<std::pair<QString, QString>> &values)
{
    const QString path = settingsFile(application);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The lock QSettings takes too. Anything but a regular file in its place
    // (a folder) can never be taken: refused at once. A lock that another
    // writer holds is waited for, but not for long.
    const QString lockPath = path + QStringLiteral(".lock");
    const QFileInfo lockInfo(lockPath);
    if ((lockInfo.exists() || lockInfo.isSymLink()) && !lockInfo.isFile())
        return false;
    QLockFile lock(lockPath);
    if (!lock.tryLock(SettingsLockWaitMs))
        return false;
    // A file that cannot be read is not written over: what it holds would be lost.
    const std::optional<QByteArray> text = readSettingsText(path);
    if (!text)
        return false;
    return writeFileWhole(path, withValues(*text, section, values), LinkAtName::Follow) == 0;
}

} // namespace qv::platform
