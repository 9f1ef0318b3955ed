// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The printer as a drawing target: the one renderer on a QPainter over a
// QPrinter, scaled so that the replay draws in twips from the top-left corner
// of the printable area.
#pragma once

#include "platform/Devices.h"
#include "render/PainterTarget.h"

#include <QPageLayout>
#include <QPainter>

#include <memory>
#include <optional>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace qv {

namespace platform {
class OutputFile;
}

class PrinterTarget : public PainterTarget
{
public:
    /// Starts a print job named \a jobTitle on \a printer (a CUPS queue or
    /// the built-in PDF printer, writing \a pdfFile when it is given, else
    /// platform::pdfOutputPath()). A PDF is written to a temporary file
    /// beside its target and put in place only when the job ends whole, so a
    /// failed or discarded job leaves the old file untouched. Throws
    /// qv::Error 482 when the job cannot start, naming the printer, the file
    /// and the system's reason.
    /// The first sheet is laid out as \a firstSheet says (see newSheet()).
    PrinterTarget(const platform::PrinterDesc &printer, const QString &jobTitle, const QString &pdfFile = QString(),
                  const std::optional<QPageLayout> &firstSheet = std::nullopt);
    /// A job that was neither finished nor aborted is discarded here.
    ~PrinterTarget() override;
    PrinterTarget(const PrinterTarget &) = delete;
    PrinterTarget &operator=(const PrinterTarget &) = delete;

    /// A printer is never cleared: only the current position is reset.
    void Cls() override;

    // The job, driven by its owner (the print engine); the replay only draws.
    /// Ends the sheet and starts a new one. With \a layout (a page's layout
    /// record) the sheet is that paper, turned so, and the page is drawn
    /// from its recorded margins on, whatever margins the printer has; without
    /// it the sheet is the printer's own page, drawn from the printer's
    /// margins, as a job without layouts is. A CUPS job has one paper: a
    /// sheet of another paper than the job's ends the job there and starts
    /// the next one, titled "<title> (2)", "(3)" and so on (a PDF file holds
    /// every paper). Throws 482 when the printer refuses, or when the PDF
    /// file could not be written so far.
    void newSheet(const std::optional<QPageLayout> &layout = std::nullopt);
    /// Ends the job: it goes to the printer, or the PDF file is complete and
    /// in place. Throws 482 (naming the printer or the file and the system's
    /// reason) when it cannot be completed: a PDF whose writes, sync or
    /// rename failed is then not in place.
    void finishJob();
    /// Discards the job: nothing comes out of the printer, no PDF file is
    /// written (an old one stays as it was). Of a CUPS job split by paper,
    /// the parts already ended have gone to the printer.
    void abortJob();

    /// Sheets started so far (1 once the job is open).
    int sheets() const { return m_sheets; }
    /// True while the job is open.
    bool isActive() const { return m_painter.isActive(); }
    /// The PDF file the job writes; empty on a CUPS queue.
    QString pdfFile() const { return m_pdfFile; }

    /// The page layout of the sheet being printed, as the device has it.
    QPageLayout sheetLayout() const;

private:
    void layOutSheet(const std::optional<QPageLayout> &layout);
    void beginJob();
    void nextJob(const std::optional<QPageLayout> &layout);
    void applyScale();
    [[noreturn]] void pdfWriteFailed(const QString &reason);

    platform::PrinterDesc m_desc;
    QString m_jobTitle;
    int m_jobs = 1;
    QPageSize m_jobPaper; // the paper of the CUPS job being printed
    QString m_printerName;
    QString m_pdfFile;
    std::unique_ptr<platform::OutputFile> m_output;
    /// The PDF writer's many small writes, gathered into large ones on
    /// their way to m_output (one system call per 256 KiB, not per object).
    class WriteBuffer;
    std::unique_ptr<WriteBuffer> m_buffer;
    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    int m_sheets = 0;
    // The device's own page, as it was made, for the sheets without a
    // layout; and where the page's origin lies on the sheet, in twips.
    QPageLayout m_ownLayout;
    bool m_ownFullPage = false;
    bool m_laidOut = false;
    QPointF m_originTwips;
};

} // namespace qv
