// qvPreview - print preview for Qt applications.
#include "platform/Devices.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
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
