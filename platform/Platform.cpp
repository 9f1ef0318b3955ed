// qvPreview - print preview for Qt applications.
#include "platform/Platform.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>

namespace qv::platform {

namespace {

struct State
{
    std::optional<QList<PrinterDesc>> testPrinters;
    std::optional<QList<PrinterDesc>> cachedPrinters;
    QString chosenPrinter;
    QString pdfFile;
    double testTwipsX = 0;
    double testTwipsY = 0;
    std::function<void()> beep;
    std::function<void(const QString &, const QString &, MessageIcon)> messageBox;
    std::function<bool(const QString &)> openUrl;
    std::optional<std::optional<SystemVersion>> testVersion;
};

State &state()
{
    static State s;
    return s;
}

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
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

// --- Temporary folder and unique names ------------------------------------

QString systemTempFolder()
{
    QString dir = qEnvironmentVariable("TMPDIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStringLiteral("/tmp");
    if (!QFileInfo(dir).isDir())
        return QString();
    return withSlash(dir);
}

QString createUniqueFile(const QString &folder, const QString &prefix)
{
    QByteArray templ = QFile::encodeName(folder + prefix + QStringLiteral("XXXXXX.tmp"));
    const int fd = ::mkstemps(templ.data(), 4);
    if (fd < 0)
        return QString();
    ::close(fd);
    return QFile::decodeName(templ);
}

QString libraryFolder()
{
    const QString folder = moduleFolder();
    return withSlash(folder.isEmpty() ? QDir::currentPath() : folder);
}

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
        const bool known = std::any_of(list.begin(), list.end(),
                                       [&](const PrinterDesc &p) { return p.name == name; });
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
    if (dir.isEmpty())
        dir = QDir::homePath();
    return withSlash(dir);
}

std::unique_ptr<QPrinter> createPrinter(const PrinterDesc &printer, const QString &jobTitle, const QString &pdfFile)
{
    auto qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (printer.pdf) {
        qprinter->setOutputFormat(QPrinter::PdfFormat);
        qprinter->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                            QMarginsF(0, 0, 0, 0)));
        QString file = pdfFile.isEmpty() ? state().pdfFile : pdfFile;
        if (file.isEmpty()) {
            QString base = jobTitle;
            base.replace(QRegularExpression(QStringLiteral("[^\\w\\- ]")), QStringLiteral("_"));
            if (base.trimmed().isEmpty())
                base = QStringLiteral("qvpreview");
            file = pdfOutputFolder() + base + QLatin1Char('-')
                   + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")) + QStringLiteral(".pdf");
        }
        qprinter->setOutputFileName(file);
    } else {
        qprinter->setPrinterName(printer.name);
        qprinter->setOutputFormat(QPrinter::NativeFormat);
    }
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

// --- Screen ---------------------------------------------------------------

namespace {
double screenTwipsPerPixel(bool horizontal)
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (QScreen *screen = app->primaryScreen()) {
            const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
            if (dpi > 0)
                return TwipsPerInch / dpi;
        }
    }
    return 15.0;
}
} // namespace

double twipsPerPixelX()
{
    return state().testTwipsX > 0 ? state().testTwipsX : screenTwipsPerPixel(true);
}

double twipsPerPixelY()
{
    return state().testTwipsY > 0 ? state().testTwipsY : screenTwipsPerPixel(false);
}

void setTwipsPerPixelForTesting(double x, double y)
{
    state().testTwipsX = x;
    state().testTwipsY = y;
}

// --- Beep, message boxes and the folder picker ----------------------------

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

void messageBox(QWidget *parent, const QString &text, const QString &title, MessageIcon icon)
{
    if (state().messageBox) {
        state().messageBox(text, title, icon);
        return;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::Critical: qicon = QMessageBox::Critical; break;
    case MessageIcon::Warning: qicon = QMessageBox::Warning; break;
    case MessageIcon::Information: qicon = QMessageBox::Information; break;
    case MessageIcon::None: break;
    }
    // A text may break its lines with a carriage return alone; the box
    // breaks lines at line feeds.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(qicon, title, shown, QMessageBox::Ok, parent);
    box.exec();
}

void setMessageBoxHandlerForTesting(
    std::function<void(const QString &, const QString &, MessageIcon)> handler)
{
    state().messageBox = std::move(handler);
}

QString chooseFolder(QWidget *parent, const QString &title)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return QString();
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || !QFileInfo(chosen.first()).isDir())
        return QString();
    return QDir::cleanPath(QFileInfo(chosen.first()).absoluteFilePath());
}

// --- Per-user settings ------------------------------------------------------

namespace {
QString settingsFile(const QString &application)
{
    QString dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return withSlash(dir) + application + QStringLiteral(".ini");
}
} // namespace

QString readUserSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue)
{
    QSettings settings(settingsFile(application), QSettings::IniFormat);
    return settings.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

bool writeUserSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value)
{
    QSettings settings(settingsFile(application), QSettings::IniFormat);
    settings.setValue(section + QLatin1Char('/') + key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// --- Shell ------------------------------------------------------------------

bool openUrl(const QString &url)
{
    if (state().openUrl)
        return state().openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void setOpenUrlHandlerForTesting(std::function<bool(const QString &)> handler)
{
    state().openUrl = std::move(handler);
}

// --- System version ---------------------------------------------------------

std::optional<SystemVersion> systemVersion()
{
    if (state().testVersion)
        return *state().testVersion;
    struct utsname names{};
    if (::uname(&names) != 0)
        return std::nullopt;
    SystemVersion v;
    const QStringList parts = QString::fromLatin1(names.release).split(QRegularExpression(QStringLiteral("[.\\-+]")));
    if (parts.size() > 0) v.major = parts[0].toUInt();
    if (parts.size() > 1) v.minor = parts[1].toUInt();
    if (parts.size() > 2) v.build = parts[2].toUInt();
    v.platformId = 3;
    v.servicePack = QString::fromLatin1(names.version).left(127);
    return v;
}

void setSystemVersionForTesting(std::optional<std::optional<SystemVersion>> version)
{
    state().testVersion = std::move(version);
}

} // namespace qv::platform
