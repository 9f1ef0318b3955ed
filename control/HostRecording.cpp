// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "control/HostRecording.h"

#include "spool/Document.h"

#include <qvpreview/PrintOptions.h>

#include <QPainter>
#include <QPrinter>

namespace qv {

HostRecording::HostRecording(QPrinter *host)
    : m_printer(host ? host : new QPrinter(QPrinter::HighResolution))
    , m_own(!host)
{}

HostRecording::~HostRecording()
{
    if (m_own)
        delete m_printer;
}

std::shared_ptr<spool::Document> HostRecording::record(const std::function<void(QPrinter *)> &paint)
{
    // The host's slot paints on the recording printer, set as its printer is.
    m_recorder.takeSettingsFrom(*m_printer);
    paint(&m_recorder);
    if (!m_recorder.document()) {
        // Nothing painted: one blank page.
        QPainter blank(&m_recorder);
    }
    return m_recorder.document();
}

OfferedPrinter::OfferedPrinter(const QPrinter &printer)
    : m_printer(currentPrinterName())
    , m_pdfFile(pdfOutputFile())
    , m_chosen(false)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        m_chosen = setCurrentPrinter(pdfPrinterName());
        if (!printer.outputFileName().isEmpty())
            setPdfOutputFile(printer.outputFileName());
    } else if (!printer.printerName().isEmpty()) {
        m_chosen = setCurrentPrinter(printer.printerName());
    }
}

OfferedPrinter::~OfferedPrinter()
{
    setPdfOutputFile(m_pdfFile);
    if (m_chosen)
        setCurrentPrinter(m_printer);
}

} // namespace qv
