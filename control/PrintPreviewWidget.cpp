// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The drop-in for QPrintPreviewWidget: the preview window as a child widget
// whose toolbar's band is kept above the widget's top edge, out of sight, so
// that the page area fills the widget. The recording is the dialog's
// (HostRecording); the commands go to the window's own zoom, navigation and
// views.
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewWidget.h>
#include <qvpreview/SpoolFile.h>

#include "control/HostRecording.h"
#include "preview/FrmAnteprima.h"
#include "spool/Document.h"

#include <QEvent>
#include <QPrinter>
#include <QResizeEvent>

#include <algorithm>

namespace qv {

namespace {

PrintPreviewWidget::ViewMode fromModel(ViewerModel::ViewMode mode)
{
    switch (mode) {
    case ViewerModel::ViewMode::Facing: return PrintPreviewWidget::FacingPagesView;
    case ViewerModel::ViewMode::Overview: return PrintPreviewWidget::AllPagesView;
    case ViewerModel::ViewMode::SinglePage:
    case ViewerModel::ViewMode::Continuous: break;
    }
    return PrintPreviewWidget::SinglePageView;
}

ViewerModel::ViewMode toModel(PrintPreviewWidget::ViewMode mode)
{
    switch (mode) {
    case PrintPreviewWidget::FacingPagesView: return ViewerModel::ViewMode::Facing;
    case PrintPreviewWidget::AllPagesView: return ViewerModel::ViewMode::Overview;
    case PrintPreviewWidget::SinglePageView: break;
    }
    return ViewerModel::ViewMode::SinglePage;
}

} // namespace

class Q_DECL_HIDDEN PrintPreviewWidget::Private : public QObject
{
public:
    Private(PrintPreviewWidget &widget, QPrinter *host) : q(widget), recording(host)
    {
        window = std::make_unique<FrmAnteprima>(&q);
        window->embed();
        window->hide(); // until the first recording
        window->installEventFilter(this);
        const ViewerModel &model = window->model();
        const auto changed = [this] {
            if (!rebuilding && window->isLoaded())
                Q_EMIT q.previewChanged();
        };
        connect(&model, &ViewerModel::currentPageChanged, this, changed);
        connect(&model, &ViewerModel::zoomChanged, this, changed);
        connect(&model, &ViewerModel::viewModeChanged, this, changed);
        connect(&model, &ViewerModel::pageCountChanged, this, changed);
    }

    bool shown() const { return window->isLoaded() && window->PagineTotali() > 0; }

    /// The window over the whole widget, its toolbar's band above the top.
    void place()
    {
        const int top = window->embeddedTop();
        const QRect wanted(0, -top, q.width(), q.height() + top);
        if (window->geometry() != wanted)
            window->setGeometry(wanted);
    }

    void applyZoom(ZoomMode mode, double factor)
    {
        if (!shown())
            return;
        switch (mode) {
        case FitToWidth: window->fitZoom(true); break;
        case FitInView: window->fitZoom(false); break;
        case CustomZoom: window->zoomTo(factor); break;
        }
    }

    PrintPreviewWidget &q;
    HostRecording recording;
    // Declared after the recording, so destroyed before it: the window
    // stops reading the recording's files before they go.
    std::unique_ptr<FrmAnteprima> window;
    bool initialized = false;
    bool rebuilding = false;
    // What is asked for before anything is on show.
    ZoomMode zoomMode = FitInView;
    double zoomFactor = 1;
    ViewMode viewMode = SinglePageView;
    std::optional<qv::Error> printError;

protected:
    /// The window loads itself at its design size and place (as a dialog
    /// does): it is put back over the widget at once.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window.get() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            place();
        return false;
    }
};

PrintPreviewWidget::PrintPreviewWidget(QPrinter *printer, QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , d(std::make_unique<Private>(*this, printer))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

PrintPreviewWidget::PrintPreviewWidget(QWidget *parent, Qt::WindowFlags flags)
    : PrintPreviewWidget(nullptr, parent, flags)
{}

PrintPreviewWidget::~PrintPreviewWidget()
{
    // Nothing from a window going away reaches the widget.
    d->window->removeEventFilter(d.get());
    QObject::disconnect(&d->window->model(), nullptr, d.get(), nullptr);
}

QPrinter *PrintPreviewWidget::printer() const
{
    return d->recording.printer();
}

PreviewPrinter *PrintPreviewWidget::recorder()
{
    return &d->recording.recorder();
}

qreal PrintPreviewWidget::zoomFactor() const
{
    return d->shown() ? d->window->model().zoom() : d->zoomFactor;
}

QPageLayout::Orientation PrintPreviewWidget::orientation() const
{
    return printer()->pageLayout().orientation();
}

PrintPreviewWidget::ViewMode PrintPreviewWidget::viewMode() const
{
    return d->shown() ? fromModel(d->window->model().viewMode()) : d->viewMode;
}

PrintPreviewWidget::ZoomMode PrintPreviewWidget::zoomMode() const
{
    if (!d->shown())
        return d->zoomMode;
    switch (d->window->zoomFitting()) {
    case PageView::Adattamento::Larghezza: return FitToWidth;
    case PageView::Adattamento::Pagina: return FitInView;
    case PageView::Adattamento::Nessuno: break;
    }
    return CustomZoom;
}

int PrintPreviewWidget::currentPage() const
{
    return d->shown() ? d->window->model().currentPage() + 1 : 0;
}

int PrintPreviewWidget::pageCount() const
{
    return d->shown() ? d->window->PagineTotali() : 0;
}

const std::optional<qv::Error> &PrintPreviewWidget::lastPrintError() const
{
    return d->printError;
}

void PrintPreviewWidget::setVisible(bool visible)
{
    if (visible && !d->initialized)
        updatePreview();
    QWidget::setVisible(visible);
}

QSize PrintPreviewWidget::sizeHint() const
{
    const QSize design = d->window->isLoaded() ? d->window->size() : d->window->sizeHint();
    const int top = d->window->embeddedTop();
    return QSize(design.width(), std::max(design.height() - top, top));
}

void PrintPreviewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    d->place();
}

void PrintPreviewWidget::updatePreview()
{
    FrmAnteprima &window = *d->window;
    const int page = std::max(currentPage(), 1);
    const ZoomMode zoom = zoomMode();
    const double factor = zoomFactor();
    const ViewMode view = viewMode();
    d->initialized = true;
    d->rebuilding = true;
    // The window lets the old recording go before the slot paints the new
    // one over its files.
    window.hide();
    window.unload();
    window.setDocumento(nullptr);
    const std::shared_ptr<spool::Document> document =
        d->recording.record([this](QPrinter *recorder) { Q_EMIT paintRequested(recorder); });
    if (document) {
        window.setDocumento(document);
        window.setPagineTotali(d->recording.recorder().pageCount());
        const QString title = printer()->docName();
        if (!title.isEmpty())
            window.setTitolo(title);
        window.InizializzaAnteprima();
        window.show();
        d->place();
        if (view != SinglePageView)
            window.showViewMode(toModel(view));
        if (page > 1)
            window.showPage(page);
        d->applyZoom(zoom, factor);
    }
    d->rebuilding = false;
    Q_EMIT previewChanged();
}

bool PrintPreviewWidget::print()
{
    d->printError.reset();
    if (!d->initialized)
        updatePreview();
    const QPrinter &host = *printer();
    PrintOptions options;
    if (host.outputFormat() == QPrinter::PdfFormat) {
        options.printer = pdfPrinterName();
        options.pdfFile = host.outputFileName();
    } else {
        options.printer = host.printerName();
    }
    options.copies = host.copyCount();
    options.title = host.docName();
    switch (host.printRange()) {
    case QPrinter::PageRange:
        if (host.fromPage() > 0) {
            options.firstPage = host.fromPage();
            options.lastPage = std::max(host.toPage(), host.fromPage());
        }
        break;
    case QPrinter::CurrentPage: options.firstPage = options.lastPage = std::max(currentPage(), 1); break;
    case QPrinter::AllPages:
    case QPrinter::Selection: break;
    }
    try {
        const QString path = d->recording.recorder().spoolPath();
        if (path.isEmpty()) {
            if (const std::optional<qv::Error> &error = d->recording.recorder().recordingError())
                throw *error;
            throw qv::Error(ErrPrinter, QStringLiteral("PrintPreviewWidget"));
        }
        SpoolFile(path).print(options);
        return true;
    } catch (const qv::Error &error) {
        d->printError = error;
        return false;
    }
}

void PrintPreviewWidget::zoomIn(qreal factor)
{
    setZoomFactor(zoomFactor() * factor);
}

void PrintPreviewWidget::zoomOut(qreal factor)
{
    if (factor > 0)
        setZoomFactor(zoomFactor() / factor);
}

void PrintPreviewWidget::setZoomFactor(qreal factor)
{
    if (!(factor > 0))
        return;
    d->zoomMode = CustomZoom;
    d->zoomFactor = std::min<double>(factor, GeometriaPagina::ZoomMassimo);
    d->applyZoom(CustomZoom, factor);
}

void PrintPreviewWidget::setZoomMode(ZoomMode mode)
{
    d->zoomMode = mode;
    d->applyZoom(mode, zoomFactor());
}

void PrintPreviewWidget::fitToWidth()
{
    setZoomMode(FitToWidth);
}

void PrintPreviewWidget::fitInView()
{
    setZoomMode(FitInView);
}

void PrintPreviewWidget::setOrientation(QPageLayout::Orientation orientation)
{
    printer()->setPageOrientation(orientation);
    updatePreview();
}

void PrintPreviewWidget::setPortraitOrientation()
{
    setOrientation(QPageLayout::Portrait);
}

void PrintPreviewWidget::setLandscapeOrientation()
{
    setOrientation(QPageLayout::Landscape);
}

void PrintPreviewWidget::setCurrentPage(int page)
{
    if (d->shown() && page >= 1 && page <= pageCount())
        d->window->showPage(page);
}

void PrintPreviewWidget::setViewMode(ViewMode mode)
{
    d->viewMode = mode;
    if (d->shown())
        d->window->showViewMode(toModel(mode));
}

void PrintPreviewWidget::setSinglePageViewMode()
{
    setViewMode(SinglePageView);
}

void PrintPreviewWidget::setFacingPagesViewMode()
{
    setViewMode(FacingPagesView);
}

void PrintPreviewWidget::setAllPagesViewMode()
{
    setViewMode(AllPagesView);
}

} // namespace qv
