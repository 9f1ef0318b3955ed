// qvPreview - print preview for Qt applications.
#include "print/PrinterTarget.h"

#include "platform/FileSystem.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QPdfWriter>
#include <QPrinter>

namespace qv {

namespace {
const QString Source = QStringLiteral("Stampa");
} // namespace

PrinterTarget::PrinterTarget(const platform::PrinterDesc &printer, const QString &jobTitle, const QString &pdfFile)
    : m_printerName(printer.name)
{
    if (printer.pdf) {
        // Qt's PDF engine ignores failed writes on a file it opens itself;
        // on a device of ours every write is checked, and the file is put in
        // place only when it is whole.
        m_pdfFile = platform::pdfOutputPath(jobTitle, pdfFile);
        m_output = std::make_unique<platform::OutputFile>(m_pdfFile);
        if (!m_output->open())
            throw Error(ErrPrinter, Source,
                        QCoreApplication::translate(
                            "qv::PrinterTarget",
                            "Impossibile avviare la stampa su \"%1\": impossibile scrivere il file \"%2\": %3")
                            .arg(m_printerName, m_pdfFile, m_output->errorString()));
        m_pdf = platform::createPdfWriter(m_output->device(), jobTitle);
        m_device = m_pdf.get();
    } else {
        m_printer = platform::createPrinter(printer, jobTitle);
        m_device = m_printer.get();
    }
    if (!m_painter.begin(m_device)) {
        m_output.reset();
        QString dove = QStringLiteral("\"%1\"").arg(m_printerName);
        if (!m_pdfFile.isEmpty())
            dove += QCoreApplication::translate("qv::PrinterTarget", " (file \"%1\")").arg(m_pdfFile);
        throw Error(ErrPrinter, Source,
                    QCoreApplication::translate("qv::PrinterTarget", "Impossibile avviare la stampa su %1").arg(dove));
    }
    setPainter(&m_painter);
    m_sheets = 1;
    applyScale();
}

PrinterTarget::~PrinterTarget()
{
    if (m_painter.isActive())
        abortJob();
}

void PrinterTarget::applyScale()
{
    if (!m_painter.isActive())
        return;
    // The replay draws in twips: device pixels per twip.
    const double x = m_device->logicalDpiX() / 1440.0;
    const double y = m_device->logicalDpiY() / 1440.0;
    m_painter.resetTransform();
    m_painter.scale(x, y);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

void PrinterTarget::Cls()
{
    m_state.currentX = 0;
    m_state.currentY = 0;
}

void PrinterTarget::pdfWriteFailed(const QString &reason)
{
    throw Error(ErrPrinter, Source,
                QCoreApplication::translate("qv::PrinterTarget",
                                            "Impossibile scrivere il file PDF \"%1\" della stampante \"%2\": %3")
                    .arg(m_pdfFile, m_printerName, reason));
}

void PrinterTarget::newSheet()
{
    if (!m_painter.isActive())
        return;
    // A full disk stops a long job at the sheet where it happened.
    if (m_output && m_output->failed())
        pdfWriteFailed(m_output->errorString());
    if (!m_device->newPage())
        throw Error(ErrPrinter, Source,
                    QCoreApplication::translate("qv::PrinterTarget",
                                                "Impossibile iniziare un nuovo foglio sulla stampante \"%1\"")
                        .arg(m_printerName));
    ++m_sheets;
    m_state.currentX = 0;
    m_state.currentY = 0;
    applyScale();
}

void PrinterTarget::finishJob()
{
    if (!m_painter.isActive())
        return;
    const bool ended = m_painter.end();
    if (m_output) {
        if (!ended) {
            m_output->discard();
            pdfWriteFailed(QCoreApplication::translate("qv::PrinterTarget", "il documento non è stato completato"));
        }
        if (!m_output->commit())
            pdfWriteFailed(m_output->errorString());
        return;
    }
    if (!ended || m_printer->printerState() == QPrinter::Error)
        throw Error(
            ErrPrinter, Source,
            QCoreApplication::translate("qv::PrinterTarget", "Impossibile completare la stampa sulla stampante \"%1\"")
                .arg(m_printerName));
}

void PrinterTarget::abortJob()
{
    if (!m_painter.isActive())
        return;
    if (m_printer)
        m_printer->abort();
    m_painter.end();
    // A PDF that was not finished never reaches its name.
    if (m_output)
        m_output->discard();
}

} // namespace qv
