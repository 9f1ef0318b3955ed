// qvPreview - print preview for Qt applications.
#include "replay/PrinterTarget.h"

#include "replay/PageMetrics.h"

#include <qvpreview/Error.h>

#include <QFile>
#include <QPrinter>

namespace qv {

PrinterTarget::PrinterTarget(const platform::PrinterDesc &printer, const QString &jobTitle, const QString &pdfFile)
    : PainterTarget(TargetKind::Printer)
    , m_printer(platform::createPrinter(printer, jobTitle, pdfFile))
{
    if (!m_printer || !m_painter.begin(m_printer.get())) {
        QString dove = QStringLiteral("\"%1\"").arg(printer.name);
        if (m_printer && !m_printer->outputFileName().isEmpty())
            dove += QStringLiteral(" (file \"%1\")").arg(m_printer->outputFileName());
        throw Error(ErrPrinter, QStringLiteral("Stampa"), QStringLiteral("Impossibile avviare la stampa su %1").arg(dove));
    }
    setPainter(&m_painter);
    m_sheets = 1;
    applyScale();
}

PrinterTarget::~PrinterTarget()
{
    if (m_painter.isActive())
        KillDoc();
}

int PrinterTarget::PrinterCount() const
{
    return int(platform::printers().size());
}

void PrinterTarget::setScaleMode(int32_t mode)
{
    m_scaleMode = mode;
    applyScale();
}

void PrinterTarget::applyScale()
{
    if (!m_painter.isActive())
        return;
    // Device pixels per twip, times twips per unit of the scale mode.
    const double x = m_printer->resolution() / 1440.0 * PageMetrics::twipsPerUnitX(m_scaleMode);
    const double y = m_printer->resolution() / 1440.0 * PageMetrics::twipsPerUnitY(m_scaleMode);
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

void PrinterTarget::NewPage()
{
    if (!m_painter.isActive())
        return;
    if (!m_printer->newPage())
        throw Error(ErrPrinter, QStringLiteral("Stampa"), QStringLiteral("Impossibile iniziare un nuovo foglio"));
    ++m_sheets;
    m_state.currentX = 0;
    m_state.currentY = 0;
    applyScale();
}

void PrinterTarget::EndDoc()
{
    if (!m_hold)
        finishJob();
}

void PrinterTarget::finishJob()
{
    if (m_painter.isActive() && !m_painter.end())
        throw Error(ErrPrinter, QStringLiteral("Stampa"), QStringLiteral("Impossibile completare la stampa"));
}

void PrinterTarget::KillDoc()
{
    if (!m_painter.isActive())
        return;
    m_printer->abort();
    m_painter.end();
    // A file printer has written its file all the same: a discarded job leaves none.
    if (!m_printer->outputFileName().isEmpty())
        QFile::remove(m_printer->outputFileName());
}

} // namespace qv
