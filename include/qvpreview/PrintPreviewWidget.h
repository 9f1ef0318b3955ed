// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// A drop-in for QPrintPreviewWidget: the component's page area inside a
// host's own window, driven by the host's controls through the same
// constructors, signals and slots as Qt's widget.
#pragma once

#include <qvpreview/Error.h>
#include <qvpreview/Export.h>
#include <qvpreview/PreviewPrinter.h>

#include <QPageLayout>
#include <QWidget>

#include <memory>
#include <optional>

class QPrinter;

namespace qv {

/// Switching a host from Qt's widget is changing the type and the include:
///
///     auto *preview = new qv::PrintPreviewWidget(&printer, this);
///     connect(preview, &qv::PrintPreviewWidget::paintRequested, this, &Host::paint);
///     layout->addWidget(preview);
///
/// The widget shows the page area of the component's preview window (the
/// page with its scroll bars, dragging, the wheel, the keys of the window,
/// its pop-up menu, find with Ctrl+F, thumbnails with F9), without its
/// toolbar: the host puts its own controls around it and connects them to
/// the slots below. Esc is the host's (it closes the find bar first when that
/// is open) and the pop-up menu has no "Chiudi".
///
/// The first time the widget is shown, or at updatePreview(),
/// paintRequested() is emitted with a PreviewPrinter that has the settings
/// of printer() (its name, output format and file, page layout, resolution,
/// copies...): the slot paints on it as on that printer, and the widget
/// shows the recording. A slot that paints nothing gives one blank page.
///
/// Pages are numbered from 1. The zoom factor is the page's size on the
/// screen over its size on paper (1 = 100 %); the widget keeps it between
/// the page about 2000 twips (1.4 inches) wide and 4 (400 %).
class QV_EXPORT PrintPreviewWidget : public QWidget
{
    Q_OBJECT
public:
    /// How the pages are laid out; the values are those of Qt's widget.
    enum ViewMode {
        SinglePageView,  ///< one page at a time (the default)
        FacingPagesView, ///< two pages side by side, as a book
        AllPagesView,    ///< every page in a grid
    };
    Q_ENUM(ViewMode)
    /// How the zoom is chosen; the values are those of Qt's widget.
    enum ZoomMode {
        CustomZoom, ///< a factor of its own (setZoomFactor(), zoomIn(), zoomOut())
        FitToWidth, ///< the page's width fills the view, also as the view is resized
        FitInView,  ///< the whole page fits in the view, also as it is resized (the default)
    };
    Q_ENUM(ZoomMode)

    /// A widget for \a printer, which stays the host's and must outlive it;
    /// \a parent and \a flags as for any QWidget.
    explicit PrintPreviewWidget(QPrinter *printer, QWidget *parent = nullptr,
                                Qt::WindowFlags flags = Qt::WindowFlags());
    /// A widget with a printer of its own (a QPrinter of high resolution).
    explicit PrintPreviewWidget(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~PrintPreviewWidget() override;

    /// The printer given to the constructor, or the widget's own.
    QPrinter *printer() const;
    /// The recording printer that paintRequested() paints on; its recording
    /// stays until the next one (PreviewPrinter::keepSpoolFile() keeps it).
    PreviewPrinter *recorder();

    /// The zoom factor of the page on show (1 = 100 %); 1 before the
    /// first recording.
    qreal zoomFactor() const;
    /// The orientation of printer()'s page layout.
    QPageLayout::Orientation orientation() const;
    /// The view on show: SinglePageView unless one of the others was chosen
    /// (a continuous view chosen with F8 reads as SinglePageView).
    ViewMode viewMode() const;
    /// The zoom mode: FitInView by default; CustomZoom after a factor was
    /// set or the user zoomed with the keys or the wheel.
    ZoomMode zoomMode() const;
    /// The page on show, 1 to pageCount(); 0 before the first recording.
    int currentPage() const;
    /// Pages of the recording on show; 0 before the first recording.
    int pageCount() const;
    /// The error of the last print() that failed (error 482 for a printer
    /// that cannot print, with the reason); empty after one that printed.
    const std::optional<qv::Error> &lastPrintError() const;

    /// Records on the first show (as Qt's widget does), then shows.
    void setVisible(bool visible) override;
    /// The preview window's design size, without its toolbar.
    QSize sizeHint() const override;

public Q_SLOTS:
    /// Prints the recording on show to printer() through the component's
    /// print path, without a dialog: on its CUPS queue (the current printer
    /// when it names none), or for a printer writing PDF to its output file
    /// (none: a new file in the PDF printer's folder, see
    /// qv::setPdfOutputFile()), printer()'s copies, and its page range
    /// (QPrinter::PageRange: fromPage() to toPage(); CurrentPage: the page
    /// on show; otherwise every page). Records first when nothing was
    /// recorded yet. False, with lastPrintError() saying why, when it did
    /// not print. (Qt's widget emits paintRequested() on printer() instead.)
    bool print();

    /// Zooms in by \a factor (1.1: 10 % larger), a CustomZoom.
    void zoomIn(qreal factor = 1.1);
    /// Zooms out by \a factor (1.1: 10 % smaller), a CustomZoom.
    void zoomOut(qreal factor = 1.1);
    /// Shows the page at \a factor (1 = 100 %, kept within the range
    /// above), a CustomZoom.
    void setZoomFactor(qreal factor);
    /// Sets the zoom mode; CustomZoom keeps the factor on show.
    void setZoomMode(ZoomMode mode);
    /// setZoomMode(FitToWidth).
    void fitToWidth();
    /// setZoomMode(FitInView).
    void fitInView();

    /// Sets \a orientation on printer()'s page layout and records again
    /// (paintRequested()) at the page on show.
    void setOrientation(QPageLayout::Orientation orientation);
    /// setOrientation(QPageLayout::Portrait).
    void setPortraitOrientation();
    /// setOrientation(QPageLayout::Landscape).
    void setLandscapeOrientation();

    /// Shows page \a page (1-based); a number outside 1 to pageCount() is
    /// ignored, as in Qt's widget.
    void setCurrentPage(int page);

    /// Shows the pages as \a mode says.
    void setViewMode(ViewMode mode);
    /// setViewMode(SinglePageView).
    void setSinglePageViewMode();
    /// setViewMode(FacingPagesView).
    void setFacingPagesViewMode();
    /// setViewMode(AllPagesView).
    void setAllPagesViewMode();

    /// Records again: emits paintRequested() and shows the new recording at
    /// the page on show (the last page when it has fewer pages), in the same
    /// view and zoom mode.
    void updatePreview();

Q_SIGNALS:
    /// Paint the document on \a printer (a PreviewPrinter), page by page.
    void paintRequested(QPrinter *printer);
    /// The preview changed: a new recording, another page on show, another
    /// zoom or view.
    void previewChanged();

protected:
    /// Keeps the page area over the whole widget.
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace qv
