// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "print/PrinterTarget.h"

#include "platform/FileSystem.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>

namespace qv {

namespace {
const QString Source = QStringLiteral("Stampa");
} // namespace

/// A write-only sequential device that passes what is written on to
/// \a target in blocks of Block bytes; flush() passes the rest. The bytes and
/// their order are the target's as if written directly: the PDF engine's
/// many small writes cost one system call a block instead of one each.
class PrinterTarget::WriteBuffer : public QIODevice
{
public:
    explicit WriteBuffer(QIODevice *target) : m_target(target)
    {
        m_pending.reserve(Block);
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    /// Passes on what is gathered; false when the target refused part of it.
    bool flush()
    {
        if (m_pending.isEmpty())
            return true;
        const bool whole = m_target->write(m_pending) == m_pending.size();
        m_pending.resize(0);
        return whole;
    }
    /// Forgets what is gathered (the job is discarded).
    void drop() { m_pending.resize(0); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_pending.size() + size > Block && !flush())
            return -1;
        if (size >= Block)
            return m_target->write(data, size);
        m_pending.append(data, size);
        return size;
    }

private:
    static constexpr qsizetype Block = 256 * 1024;
    QIODevice *m_target;
    QByteArray m_pending;
};

PrinterTarget::PrinterTarget(const platform::PrinterDesc &printer, const QString &jobTitle, const QString &pdfFile,
                             const std::optional<QPageLayout> &firstSheet)
    : m_desc(printer)
    , m_jobTitle(jobTitle)
    , m_printerName(printer.name)
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
        m_buffer = std::make_unique<WriteBuffer>(m_output->device());
        m_pdf = platform::createPdfWriter(m_buffer.get(), jobTitle, printer.layout);
        m_device = m_pdf.get();
    } else {
        m_printer = platform::createPrinter(printer, jobTitle);
        m_device = m_printer.get();
        m_ownFullPage = m_printer->fullPage();
    }
    m_ownLayout = m_device->pageLayout();
    layOutSheet(firstSheet);
    m_jobPaper = firstSheet ? firstSheet->pageSize() : m_ownLayout.pageSize();
    beginJob();
}

void PrinterTarget::beginJob()
{
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

QPageLayout PrinterTarget::sheetLayout() const
{
    return m_device->pageLayout();
}

void PrinterTarget::layOutSheet(const std::optional<QPageLayout> &layout)
{
    if (!layout) {
        // The printer's own page: as it was made, once a sheet changed it.
        if (m_laidOut) {
            if (m_printer)
                m_printer->setFullPage(m_ownFullPage);
            m_device->setPageLayout(m_ownLayout);
            m_laidOut = false;
        }
        m_originTwips = QPointF();
        return;
    }
    // The recorded paper, turned as recorded, drawn from its very corner:
    // the recorded margins place the page, so the printer's own margins
    // cannot shift it. A printer that cannot reach a margin clips there.
    QPageLayout sheet(layout->pageSize(), layout->orientation(), QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    sheet.setMode(QPageLayout::FullPageMode);
    if (m_printer) {
        m_printer->setFullPage(true);
        m_printer->setPageSize(layout->pageSize());
        m_printer->setPageOrientation(layout->orientation());
    } else {
        m_device->setPageLayout(sheet);
    }
    m_laidOut = true;
    const QMarginsF margins = layout->margins(QPageLayout::Point);
    m_originTwips = QPointF(margins.left() * 20, margins.top() * 20);
}

void PrinterTarget::applyScale()
{
    if (!m_painter.isActive())
        return;
    // The replay draws in twips: device pixels per twip, from the page's
    // origin on the sheet.
    const double x = m_device->logicalDpiX() / 1440.0;
    const double y = m_device->logicalDpiY() / 1440.0;
    m_painter.resetTransform();
    m_painter.scale(x, y);
    m_painter.translate(m_originTwips);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

void PrinterTarget::Cls()
{
    endPainterOps();
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

void PrinterTarget::newSheet(const std::optional<QPageLayout> &layout)
{
    endPainterOps();
    if (!m_painter.isActive())
        return;
    // A full disk stops a long job at the sheet where it happened.
    if (m_output && m_output->failed())
        pdfWriteFailed(m_output->errorString());
    // A CUPS job prints on one paper: another paper is another job.
    if (m_printer && !(layout ? layout->pageSize() : m_ownLayout.pageSize()).isEquivalentTo(m_jobPaper))
        return nextJob(layout);
    // A page's paper is set before its sheet begins.
    layOutSheet(layout);
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

void PrinterTarget::nextJob(const std::optional<QPageLayout> &layout)
{
    endPainterOps();
    if (!m_painter.end() || m_printer->printerState() == QPrinter::Error)
        throw Error(
            ErrPrinter, Source,
            QCoreApplication::translate("qv::PrinterTarget", "Impossibile completare la stampa sulla stampante \"%1\"")
                .arg(m_printerName));
    ++m_jobs;
    m_printer = platform::createPrinter(m_desc, QStringLiteral("%1 (%2)").arg(m_jobTitle).arg(m_jobs));
    m_device = m_printer.get();
    m_ownFullPage = m_printer->fullPage();
    m_ownLayout = m_device->pageLayout();
    m_laidOut = false;
    layOutSheet(layout);
    m_jobPaper = layout ? layout->pageSize() : m_ownLayout.pageSize();
    const int sheets = m_sheets;
    beginJob();
    m_sheets = sheets + 1;
    m_state.currentX = 0;
    m_state.currentY = 0;
}

void PrinterTarget::finishJob()
{
    endPainterOps();
    if (!m_painter.isActive())
        return;
    const bool ended = m_painter.end();
    if (m_output) {
        // A write that failed says why (a full disk, a size limit).
        if (!m_buffer->flush() || m_output->failed()) {
            const QString reason = m_output->errorString();
            m_output->discard();
            pdfWriteFailed(reason);
        }
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

namespace {

/// Qt's CUPS print engine's property of the options that go with the job
/// (its private QPrintEngine key, stable since Qt 5).
constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

/// Qt's CUPS engine hands the job to the scheduler when its painter ends,
/// and its abort() does nothing. A job asked for with no copies is refused
/// by the scheduler ("Bad copies value 0"): nothing is queued, nothing
/// printed. (The copies are printed one by one: the job itself asks for
/// none, so this option is the only one of its kind.)
void refuseCupsJob(QPrinter &printer)
{
    QPrintEngine *engine = printer.printEngine();
    if (!engine)
        return;
    QStringList options = engine->property(CupsOptions).toStringList();
    options << QStringLiteral("copies") << QStringLiteral("0");
    engine->setProperty(CupsOptions, options);
}

} // namespace

void PrinterTarget::abortJob()
{
    endPainterOps();
    if (!m_painter.isActive())
        return;
    if (m_printer) {
        m_printer->abort();
        if (m_printer->outputFormat() == QPrinter::NativeFormat)
            refuseCupsJob(*m_printer);
    }
    m_painter.end();
    // A PDF that was not finished never reaches its name.
    if (m_output) {
        m_buffer->drop();
        m_output->discard();
    }
}

} // namespace qv
