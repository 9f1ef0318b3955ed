// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The drop-in for QPrintPreviewDialog: records the host's slot on a
// PreviewPrinter and shows the recording in the preview window, which prints
// it through the one print command.
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewDialog.h>

#include "dialogs/PrintCommand.h"
#include "preview/FrmAnteprima.h"
#include "spool/Document.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QPrinter>

namespace qv {

class Q_DECL_HIDDEN PrintPreviewDialog::Private
{
public:
    explicit Private(QPrinter *host) : printer(host ? host : new QPrinter(QPrinter::HighResolution)), own(!host) {}
    ~Private()
    {
        if (own)
            delete printer;
    }

    QPrinter *printer;
    bool own;
    PreviewPrinter recorder;
    std::unique_ptr<FrmAnteprima> window;
    bool running = false;
    bool queued = false;
    bool printed = false;
    QPointer<QObject> receiver;
    QByteArray member;
};

PrintPreviewDialog::PrintPreviewDialog(QWidget *parent, Qt::WindowFlags flags)
    : PrintPreviewDialog(nullptr, parent, flags)
{}

PrintPreviewDialog::PrintPreviewDialog(QPrinter *printer, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , d(std::make_unique<Private>(printer))
{}

PrintPreviewDialog::~PrintPreviewDialog()
{
    if (d->window)
        d->window->reject();
}

QPrinter *PrintPreviewDialog::printer()
{
    return d->printer;
}

PreviewPrinter *PrintPreviewDialog::recorder()
{
    return &d->recorder;
}

void PrintPreviewDialog::open(QObject *receiver, const char *member)
{
    connect(this, SIGNAL(finished(int)), receiver, member);
    d->receiver = receiver;
    d->member = member;
    open();
}

void PrintPreviewDialog::setVisible(bool visible)
{
    if (!visible) {
        if (d->window && d->running)
            d->window->reject();
        return;
    }
    // The window opens from the event loop: open() and show() return at once.
    if (d->running || d->queued)
        return;
    d->queued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d->queued = false;
            if (!d->running)
                exec();
        },
        Qt::QueuedConnection);
}

namespace {

/// The printer that the print options dialog offers first while the window
/// is open: the host's, then the one before it again.
class OfferedPrinter
{
public:
    explicit OfferedPrinter(const QPrinter &printer)
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
    ~OfferedPrinter()
    {
        setPdfOutputFile(m_pdfFile);
        if (m_chosen)
            setCurrentPrinter(m_printer);
    }
    OfferedPrinter(const OfferedPrinter &) = delete;
    OfferedPrinter &operator=(const OfferedPrinter &) = delete;

private:
    QString m_printer;
    QString m_pdfFile;
    bool m_chosen;
};

} // namespace

int PrintPreviewDialog::exec()
{
    if (d->running)
        return QDialog::Rejected;
    d->running = true;
    d->printed = false;
    setResult(QDialog::Rejected);

    // The host's slot paints on the recording printer, set as its printer is.
    d->recorder.takeSettingsFrom(*d->printer);
    Q_EMIT paintRequested(&d->recorder);
    if (!d->recorder.document()) {
        // Nothing painted: one blank page.
        QPainter blank(&d->recorder);
    }

    const std::shared_ptr<spool::Document> document = d->recorder.document();
    if (document) {
        d->window = std::make_unique<FrmAnteprima>(parentWidget());
        FrmAnteprima &window = *d->window;
        window.setDocumento(document);
        window.setPagineTotali(d->recorder.pageCount());
        const QString title = d->printer->docName();
        if (!title.isEmpty())
            window.setTitolo(title);
        window.setPrintListener([this](const PrintOutcome &outcome) {
            if (outcome.result == PrintOutcome::Result::Printed)
                d->printed = true;
        });
        OfferedPrinter offered(*d->printer);
        window.InizializzaAnteprima();
        window.exec();
        d->window.reset();
    }
    d->running = false;
    done(d->printed ? QDialog::Accepted : QDialog::Rejected);
    return result();
}

void PrintPreviewDialog::done(int result)
{
    if (d->running && d->window) {
        // Closing the window ends exec(), which comes back here.
        d->printed = d->printed || result == QDialog::Accepted;
        d->window->done(result);
        return;
    }
    QDialog::done(result);
    if (d->receiver) {
        disconnect(this, SIGNAL(finished(int)), d->receiver, d->member.constData());
        d->receiver = nullptr;
    }
}

} // namespace qv
