// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include "preview/Bitmap256File.h"
#include "preview/DocumentView.h"
#include "preview/ErrorBar.h"
#include "preview/ImmaginePagina.h"
#include "preview/PageNavigator.h"
#include "preview/PageView.h"
#include "preview/PageWorker.h"
#include "preview/PreviewInput.h"
#include "preview/PreviewToolbar.h"
#include "preview/RenderAhead.h"
#include "preview/SinglePageView.h"
#include "preview/ViewerModel.h"
#include "preview/WindowPrint.h"
#include "preview/ZoomControl.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "spool/Document.h"

#include <qvpreview/Error.h>
#include <qvpreview/PreviewWindowOptions.h>

#include <QCursor>
#include <QDialog>
#include <QList>
#include <QString>
#include <QVector>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QToolBar;

namespace qv {

class DocumentFollower;
class FindBar;
class LayoutLink;
class ZoomBox;
class ImmaginePagina;
class ContinuousView;
class OverviewView;
class ThumbnailPane;
class MotoreStampa;
struct PrintOutcome;

/// The print-preview window. The control creates one with itself and keeps
/// it hidden until the host asks for the preview; the control converts and
/// measures on a PageMetrics of its own meanwhile, which gives the same
/// results as the page surface Picture2(). The window is "loaded" (page
/// image file, quality setting, printer page) on the first use of its page
/// surface or of any other of its parts, which the control makes when it
/// shows it, and unloaded when it closes; the next use loads it afresh.
///
/// Shown (modally, by the control) it displays one page of the spool file
/// FileTemporaneo() at zoom steps from 400 % down to about 2000 twips wide,
/// or fitted to the window, with scroll bars, dragging with the mouse, the
/// wheel and the keys of a document viewer, page navigation (also by a page
/// number typed into the page indicator), a pop-up menu and printing through
/// the print options dialog. A page that cannot be read in full is shown as
/// far as it was drawn, with the reader's error in a bar over the page.
/// docs/preview.md describes the window as its user sees it.
///
/// The window wires its parts: the toolbar and the pop-up menu
/// (PreviewToolbar), the keys and the wheel (PreviewInput), what is shown
/// (ViewerModel: the document and its page index, the page on show, the
/// count, the view, the zoom and the quality, which every part observes)
/// and the zoom and scroll state of the page (PageView). Each command of the toolbar, the menu or the keys is carried
/// out in comando(); the window draws the page and moves its widgets to the
/// state.
class FrmAnteprima : public QDialog, private PreviewInput::Finestra
{
    Q_OBJECT
public:
    explicit FrmAnteprima(QWidget *parent = nullptr);
    ~FrmAnteprima() override;

    // Public interface, as the control uses it.
    /// Title shown in the caption before the zoom percentage and given to
    /// the print job. Default "Anteprima di Stampa".
    QString titolo() const { return m_titolo; }
    void setTitolo(const QString &value) { m_titolo = value; }
    /// Full path of the spool file on show.
    QString FileTemporaneo() const { return m_model.path(); }
    /// Shows the spool file at \a value as it stands (spool::Document::onFile).
    void setFileTemporaneo(const QString &value)
    {
        setDocumento(std::make_shared<const spool::Document>(spool::Document::onFile(value)));
    }
    /// The document on show: its file, its page index; the window prints it.
    void setDocumento(std::shared_ptr<const spool::Document> documento) { m_model.setDocument(std::move(documento)); }
    /// Called after each print command of the window with how it went (the
    /// control reports it through lastPrintError()).
    void setPrintListener(std::function<void(const PrintOutcome &)> listener) { m_printListener = std::move(listener); }
    /// Number of pages of the document; setting it refreshes the page indicator.
    int32_t PagineTotali() const { return m_model.pageCount(); }
    void setPagineTotali(int32_t value)
    {
        ensureLoaded();
        m_model.setPageCount(value); // the views and the thumbnails follow it
        AggiornaNumeroPagina();
    }
    /// First display of the document: page 1 at 100 % and the page index.
    /// Any error ends it silently, and the next activation tries again.
    void InizializzaAnteprima();
    /// Scroll ranges and the displayed picture from the page surface (no replay).
    void AggiornaScroll();
    /// Sizes the page surface to the current printer's drawable area
    /// (11520 x 15872 twips without a printer).
    void Aggiorna();
    /// Sizes the page surface for the page that starts at \a inizio (a
    /// position of the page index; 0, not known yet, keeps the size): the
    /// area of the page's recorded layout, else the printer's page. A page
    /// of another size than the one on show sets the view to it at 100 %.
    void dimensionaPagina(qint64 inizio)
    {
        ensureLoaded();
        if (inizio > 0)
            m_single->setPageSize(m_model.pageTwipsAt(inizio));
    }

    /// The page surface at 100 %, in twips; loads the window first.
    PageSurface &Picture2()
    {
        ensureLoaded();
        return *m_single->surface();
    }

    /// Page size in twips at 100 %.
    int32_t LarghezzaPagina() const { return m_zoom.pageTwips().width(); }
    int32_t AltezzaPagina() const { return m_zoom.pageTwips().height(); }

    bool isLoaded() const { return m_loaded; }
    /// Runs the load steps if the window is not loaded yet.
    void ensureLoaded()
    {
        if (!m_loaded)
            load();
    }
    /// Unloads the window: deletes its page image file, saves the quality
    /// option and forgets its page surface.
    void unload();

    /// The first error met while showing the document since the window
    /// loaded (a page that could not be read in full, a page index that could
    /// not be built); it stays after the window closed, until it loads again.
    const std::optional<Error> &PrimoErrore() const { return m_errorBar->first(); }

    /// Path of this window's temporary 256-colour page image file.
    QString FileImmagine() const { return m_bitmap.path(); }

    // State, read by tests and by the control.
    /// 0-based index of the page on show, as a 16-bit number: pages past
    /// 32,767 read as 32,767 here (model().currentPage() has them all).
    int16_t PaginaVisualizzata() const { return int16_t(std::min<int32_t>(m_model.currentPage(), INT16_MAX)); }
    /// 1-based start positions of the pages in the spool file (0: unknown),
    /// elements 0 to PagineTotali(). While the page index is built in the
    /// background, waits for it first.
    QVector<qint64> PosizioniPagine() { return m_model.allStarts(); }
    /// What the window shows: the document, its page index, the page on
    /// show, the count, the view, the zoom and the quality.
    ViewerModel &model() { return m_model; }
    const ViewerModel &model() const { return m_model; }
    bool ImmagineConvertita() const { return m_single->converted(); }
    bool DaInizializzare() const { return m_toInitialise; }
    bool Trascinamento() const { return m_zoom.geometria().trascinamento(); }
    /// Zoom, position and scroll state of the displayed page, in twips.
    const GeometriaPagina &Geometria() const { return m_zoom.geometria(); }

    /// "Il documento è stato stampato nel file PDF:" and \a file on the next
    /// line: what the user is told after printing from the window on the
    /// built-in PDF printer.
    static QString testoStampatoInPdf(const QString &file) { return WindowPrint::printedToPdf(file); }

    /// The maker's web address shown by lblsito.
    static QString IndirizzoSito();

    /// Replaces printing: the hook receives the configured print engine
    /// instead of its Stampa() being called (an empty function restores
    /// printing). An exception thrown by the hook is handled as a print error.
    static void setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook);

    // The window's controls.
    QToolBar *Toolbar1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QCheckBox *chkMassima = nullptr;
    QLabel *lblsito = nullptr;
    QFrame *Picture1 = nullptr;
    ImmaginePagina *Image1 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QMenu *mnfile = nullptr;
    /// The bar over the page that shows a reading error, its text and its
    /// "hide" button.
    QFrame *fraErrore = nullptr;
    QLabel *lblErrore = nullptr;
    QCursor ChiusaImage;
    QCursor ApertaImage;

    /// The find bar (Ctrl+F), hidden until asked for.
    FindBar *findBar() const { return m_find; }
    /// The toolbar button with \a key ("riduci", ..., "esci"), or null.
    QAction *pulsante(const QString &key) const { return m_toolbar->pulsante(key); }

    void done(int result) override;

    /// The continuous view (pages one under another, F8, the toolbar's
    /// "continua"), shown instead of Picture1 while it is on; off when the
    /// window loads.
    ContinuousView *vistaContinua() const { return m_continuous; }
    bool continuaAttiva() const { return m_model.viewMode() == ViewerModel::ViewMode::Continuous; }
    /// The facing pages (two a row, as a book; D, "mnaffiancate" in the
    /// views' menu, page 1 alone at the right while "mnprimasola" is
    /// checked), shown instead of Picture1 while they are on.
    ContinuousView *vistaAffiancata() const { return m_facing; }
    /// The overview (a grid of every page; G, "mnpanoramica"): a click or
    /// Enter opens the page in the single page.
    OverviewView *panoramica() const { return m_overview; }
    /// The thumbnail pane at the left (F9), hidden when the window loads.
    ThumbnailPane *miniature() const { return m_thumbnails; }
    /// The layout check's panel at the right (Ctrl+L), hidden when the window loads.
    LayoutLink *layoutPanel() const { return m_layout; }
    // Opening, remembering and the zoom box.
    /// How the window opens and whether it remembers the user's last window
    /// (PreviewWindowOptions); taken when the document is first shown
    /// (InizializzaAnteprima()). Default: every option off.
    void setWindowOptions(const PreviewWindowOptions &options) { m_windowOptions = options; }
    /// Shows the page at \a factor (1 = 100 %, above 0 up to 400 %), as a
    /// zoom typed into the zoom box; false, with a beep, outside that range.
    bool setZoom(double factor)
    {
        ensureLoaded();
        return m_zoomControl->setFactor(factor);
    }
    /// The zoom box at the end of the toolbar: the zoom in use, a typed
    /// percentage, the steps and the fitted zooms.
    QComboBox *cmbZoom = nullptr;

    /// Pages whose start in the spool file is known so far: all of them
    /// once the page index is complete. The index of a long document is
    /// built in the background after the first page is shown; a page not
    /// indexed yet is waited for when it is asked for.
    int32_t knownPageCount() const { return m_model.knownPages(); }
    /// True once the page index is complete (or could not be built).
    bool pageIndexComplete() const { return m_model.indexComplete(); }
    /// The page count follows the page index as it is built (a spool file
    /// whose pages nobody counted, as SpoolFile::showPreview shows): the
    /// count grows with the index (setPagineTotali()), and the last page or a
    /// page number beyond the count waits for the index to get there. Off
    /// by default: the count is the one given.
    void setCountPagesFromIndex(bool on) { m_model.setCountFromIndex(on); }
    /// Follows a spool file that another program is still appending to
    /// (before InizializzaAnteprima(); it counts the pages from the index):
    /// new pages are shown as they come, the page count and the thumbnails
    /// follow, a page on show that grows is drawn again, a find searches the
    /// new pages, and a record still being written is shown once whole. A
    /// file cut short or replaced is told in the error bar; what was shown
    /// stays. Off by default. Defined in FrmAnteprimaFollow.cpp.
    void setFollowing(bool on);
    bool following() const { return m_model.following(); }
    /// Following: reads what was appended at once and paints the window
    /// before returning (a host that records on this thread, at a page
    /// break); nothing otherwise.
    void followNow();

    /// The pages next to the one on show, made ahead in a worker thread
    /// (null until the window loads).
    RenderAhead *renderAhead() const { return m_ahead; }

    // --- For a wrapper that adds items of its own (qv::PrintPreviewDialog);
    // defined in FrmAnteprimaHost.cpp.
    /// Appends \a actions to the toolbar after a separator, at its end; the
    /// actions stay the caller's.
    void addToolbarActions(const QList<QAction *> &actions);
    /// Shows page \a page (1-based) as a number typed into the page field
    /// does, without a beep: waits for its start while the index is built;
    /// past the last page, the last page. Call it once the document is shown
    /// (after InizializzaAnteprima()).
    void showPage(int64_t page);

    // --- For a host that shows the page area inside a window of its own
    // (qv::PrintPreviewWidget); defined in FrmAnteprimaEmbedded.cpp.
    /// Makes the window a child widget of its parent: the toolbar, the
    /// quality box and the maker's address are hidden, and neither Esc nor
    /// the menu's "Chiudi" closes it (Esc closes the find bar when it is
    /// open, and otherwise goes on to the host's window).
    void embed();
    /// Pixels above the page area, the toolbar's band, which a host that
    /// embeds the window keeps out of sight.
    int embeddedTop() const;
    /// Fits the page on show into the view (\a width: its width), without
    /// a beep; the zoom then follows the view's size.
    void fitZoom(bool width);
    /// The page at \a factor (1 = 100 %), brought within the window's range
    /// (the page about 2000 twips wide to 400 %), without a beep.
    void zoomTo(double factor);
    /// How the zoom follows the view's size.
    PageView::Adattamento zoomFitting() const { return m_zoom.adattamento(); }
    /// Shows the view of \a mode (a mode without a view of its own shows
    /// the single page).
    void showViewMode(ViewerModel::ViewMode mode) { setViewMode(mode); }

signals:
    /// More pages are indexed (knownPageCount()).
    void knownPageCountChanged(int32_t known);
    /// The page index is complete, or stopped at an error.
    void pageIndexFinished();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override
    {
        QDialog::resizeEvent(event);
        layOut();
    }
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override
    {
        event->accept();
        m_input.rotella(*event);
    }

private:
    void buildToolbar();
    void buildFindBar();
    void buildViews();
    // The views besides the single page, and their menu items (FrmAnteprimaViews.cpp).
    void buildOtherViews(const ImmaginePagina::Convertitore &to256, const std::function<void(QPoint)> &menu);
    void toggleView(PreviewCommand command);
    void showViewChecks();
    void forgetViewPages();
    void deleteOtherViews();
    void setViewsShadow(bool on);
    // Defined in FrmAnteprimaAccess.cpp: the error bar, what each part says
    // to assistive technology, the tab order and the keys that move the
    // focus between the parts.
    void buildAccess();
    /// Moves the focus to the next (\a direction +1) or previous (-1) part
    /// shown: the page, the thumbnails, the layout panel, the find bar, the
    /// toolbar's page field, round again.
    void cycleFocus(int direction);
    void load();
    void layOut();
    // What the toolbar, the menu, the keys and the wheel ask for.
    void comando(PreviewCommand command, bool beep) override;
    void scorriVerticale(double twips, bool turnPage, bool beep) override
    {
        m_navigator->scroll(twips, turnPage, beep);
    }
    void scorriOrizzontale(double twips) override { view().scrollHorizontal(twips); }
    void paginaAccanto(bool forward, bool beep) override { m_navigator->turn(forward, beep); }
    std::optional<double> screenHeight() const override { return view().screenHeight(); }
    void zoomRotella(bool zoomIn, QPointF global) override { m_zoomControl->wheel(zoomIn, global); }

    // The names the window has always had for these steps.
    void MostraPagina()
    {
        ensureLoaded();
        showPageError(m_model.currentPage(), view().showCurrentPage());
    }
    bool CaricaImmagine(QImage &image) { return m_bitmap.load(image); }
    void CentraImmagine()
    {
        m_zoom.geometria().centra();
        m_single->applyGeometry();
    }
    void SincronizzaScroll()
    {
        m_zoom.geometria().sincronizzaScroll();
        m_single->applyGeometry();
    }
    void DimensioneReale() { m_zoomControl->command(PageView::Zoom::DimensioneReale, true); }
    void AggiornaNumeroPagina() { m_toolbar->mostraPagina(m_model); }
    void VaiAPagina();

    /// The view of the model's mode.
    DocumentView &view() const;
    void setViewMode(ViewerModel::ViewMode mode);
    void showThumbnails(bool show);
    void showCaption(int percent);
    /// Shows \a error in the bar over the page, after \a where (what it
    /// affected), and keeps the first one; no error hides the bar.
    void showError(const QString &where, std::exception_ptr error)
    {
        if (m_errorBar->show(where, error))
            m_errorBar->place(Picture1->geometry());
    }
    void showPageError(int32_t page, std::exception_ptr error)
    {
        if (m_errorBar->showPage(page, error))
            m_errorBar->place(Picture1->geometry());
    }
    void indexFinished();
    /// The host's opening options and what was remembered. Once per load.
    void applyOpening();

    bool m_loaded = false;
    QString m_titolo = QStringLiteral("Anteprima di Stampa");
    ViewerModel m_model;
    // The one door to background page work: the pages made ahead and the thumbnails.
    PageWorker m_worker;
    std::function<void(const PrintOutcome &)> m_printListener;
    Bitmap256File m_bitmap;
    bool m_toInitialise = true;
    // The zoom, shared by the views; the page in view at 100 %.
    PageView m_zoom;
    PreviewInput m_input;
    PreviewToolbar *m_toolbar = nullptr;
    FindBar *m_find = nullptr;
    ErrorBar *m_errorBar = nullptr;
    RenderAhead *m_ahead = nullptr;
    PageNavigator *m_navigator = nullptr;
    ZoomControl *m_zoomControl = nullptr;
    SinglePageView *m_single = nullptr;
    ContinuousView *m_continuous = nullptr;
    ContinuousView *m_facing = nullptr;
    OverviewView *m_overview = nullptr;
    // One view per mode of the model.
    QList<DocumentView *> m_views;
    ThumbnailPane *m_thumbnails = nullptr;
    LayoutLink *m_layout = nullptr;
    DocumentFollower *m_follower = nullptr;
    /// Following: the pages from \a fromPage on grew.
    void pagesGrew(int32_t fromPage);
    PreviewWindowOptions m_windowOptions;
    ZoomBox *m_zoomBox = nullptr;
    bool m_openingDone = false;
};

} // namespace qv
