// qvPreview - print preview for Qt applications.
#include "platform/Devices.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

namespace qv::platform {

namespace {

struct State
{
    std::optional<QList<PrinterDesc>> testPrinters;
    std::optional<QList<PrinterDesc>> cachedPrinters;
    QString chosenPrinter;
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

QSizeF pdfDrawableArea()
{
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return QSizeF(mm.width() / 25.4 * TwipsPerInch, mm.height() / 25.4 * TwipsPerInch);
}

QList<PrinterDesc> realPrinters()
{
    QList<PrinterDesc> list;
    const auto infos = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo &info : infos) {
        QPrinter printer(info, QPrinter::HighResolution);
        list.append(PrinterDesc{info.printerName(), false, drawableAreaOf(printer)});
    }
    list.append(PrinterDesc{pdfPrinterName(), true, pdfDrawableArea()});
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

std::unique_ptr<QPdfWriter> createPdfWriter(QIODevice *device, const QString &jobTitle)
{
    auto writer = std::make_unique<QPdfWriter>(device);
    writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
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
QString settingsFile(const QString &application)
{
    QString dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return folderPath(dir) + application + QStringLiteral(".ini");
}
} // namespace

QString readUserSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue)
{
    QSettings settings(settingsFile(application), QSettings::IniFormat);
    return settings.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

bool writeUserSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    QSettings settings(settingsFile(application), QSettings::IniFormat);
    settings.setValue(section + QLatin1Char('/') + key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace qv::platform
