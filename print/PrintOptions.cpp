// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The print options' printers, over the platform layer.
#include <qvpreview/PrintOptions.h>

#include "platform/Devices.h"
#include "spool/SpoolFormat.h"

#include <qvpreview/Error.h>

#include <QDebug>

#include <ostream>

namespace qv {

namespace {

QString pagina(const std::optional<int32_t> &page)
{
    return page ? QString::number(*page) : QStringLiteral("-");
}

QString testo(const PrintOptions &o)
{
    QString s = QStringLiteral("pagine %1..%2, copie %3").arg(pagina(o.firstPage), pagina(o.lastPage)).arg(o.copies);
    if (!o.printer.isEmpty())
        s += QStringLiteral(", stampante \"%1\"").arg(o.printer);
    if (!o.pdfFile.isEmpty())
        s += QStringLiteral(", PDF \"%1\"").arg(o.pdfFile);
    if (!o.title.isEmpty())
        s += QStringLiteral(", titolo \"%1\"").arg(o.title);
    return s;
}

} // namespace

QDebug operator<<(QDebug debug, const PrintOptions &options)
{
    QDebugStateSaver saver(debug);
    debug.nospace().noquote() << "PrintOptions(" << testo(options) << ')';
    return debug;
}

void PrintTo(const PrintOptions &options, std::ostream *os)
{
    *os << testo(options).toStdString();
}

QStringList printerNames()
{
    QStringList names;
    for (const platform::PrinterDesc &p : platform::printers())
        names << p.name;
    return names;
}

QString currentPrinterName()
{
    const auto printer = platform::currentPrinter();
    return printer ? printer->name : QString();
}

bool setCurrentPrinter(const QString &name)
{
    return platform::setCurrentPrinter(name);
}

QPageLayout currentPageLayout()
{
    return platform::currentPageLayout();
}

void setCurrentPageLayout(const QPageLayout &layout)
{
    const QString problem = spool::pageLayoutProblem(layout);
    if (!problem.isEmpty())
        throw Error(ErrInvalidPropertyValue, QStringLiteral("setCurrentPageLayout")).withDetail(problem);
    platform::setChosenPageLayout(layout);
}

void resetCurrentPageLayout()
{
    platform::setChosenPageLayout(std::nullopt);
}

bool isPageLayoutChosen()
{
    return platform::chosenPageLayout().has_value();
}

QString pdfPrinterName()
{
    return platform::pdfPrinterName();
}

void setPdfOutputFile(const QString &path)
{
    platform::setPdfOutputFile(path);
}

QString pdfOutputFile()
{
    return platform::pdfOutputFile();
}

} // namespace qv
