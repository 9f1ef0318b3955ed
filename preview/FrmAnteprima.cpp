// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FrmAnteprima.h"

#include "platform/CursoreOccupato.h"
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/ErrorBar.h"
#include "preview/FindBar.h"
#include "preview/LayoutLink.h"
#include "preview/PageNavigator.h"
#include "preview/PreviewToolbar.h"
#include "preview/RememberedWindow.h"
#include "preview/SinglePageView.h"
#include "preview/ThumbnailPane.h"
#include "preview/WindowPrint.h"
#include "preview/ZoomBox.h"
#include "preview/ZoomControl.h"
#include "print/MotoreStampa.h"
#include "render/PageMetrics.h"
#include "spool/SpoolFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QWheelEvent>

#include <qvpreview/qvUtilita.h>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// Design geometry, in twips.
constexpr double ClientWidth = 8715;
constexpr double ClientHeight = 5940;
constexpr double Picture1Top = 600;

const char InitialCaption[] = QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Anteprima di Stampa");

int px(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

} // namespace

FrmAnteprima::FrmAnteprima(QWidget *parent) : QDialog(parent), m_input(*this, m_zoom)
{
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", InitialCaption));
    setSizeGripEnabled(false);
    const auto currentView = [this]() -> DocumentView & { return view(); };
    m_ahead = new RenderAhead(m_worker, this);
    m_navigator = new PageNavigator(m_model, currentView, this);
    connect(m_navigator, &PageNavigator::shown, this, &FrmAnteprima::showPageError);
    connect(m_navigator, &PageNavigator::stayed, this, &FrmAnteprima::AggiornaNumeroPagina);
    buildToolbar();
    m_zoomControl = new ZoomControl(m_zoom, m_model, *m_zoomBox, currentView, this);
    connect(m_zoomControl, &ZoomControl::shown, this, &FrmAnteprima::showCaption);
    buildFindBar();
    buildViews();
    buildAccess();

    // Esc closes the window whichever of its controls has the focus (the
    // find bar first, while it is open).
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] { m_find->isHidden() ? reject() : m_find->close(); });

    // The window's signals of the page index, for its callers.
    connect(&m_model, &ViewerModel::indexGrew, this, &FrmAnteprima::knownPageCountChanged);
    connect(&m_model, &ViewerModel::indexFinished, this, [this] {
        indexFinished();
        emit pageIndexFinished();
    });
    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    layOut();
}

FrmAnteprima::~FrmAnteprima()
{
    // The page field outlives this part of the window: losing the focus as
    // it goes, it would call back into a window already destroyed.
    Text1->disconnect();
    unload();
    // The worker's last result must not reach a window half destroyed, nor
    // the views the model that goes before them.
    delete m_single;
    delete m_ahead;
    deleteOtherViews();
    delete m_thumbnails;
}

QString FrmAnteprima::IndirizzoSito()
{
    return QString::fromLatin1(qvUtilita::SitoWeb);
}

void FrmAnteprima::setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook)
{
    MotoreStampa::setStampaHookForTesting(std::move(hook));
}

// --- The parts ------------------------------------------------------------------------

void FrmAnteprima::buildToolbar()
{
    m_toolbar = new PreviewToolbar(this);
    Toolbar1 = m_toolbar->toolbar();
    Text1 = m_toolbar->indicatore();
    chkMassima = m_toolbar->qualita();
    lblsito = m_toolbar->sito();
    mnfile = m_toolbar->menu();
    connect(m_toolbar, &PreviewToolbar::comando, this, [this](PreviewCommand c) { comando(c, true); });
    m_toolbar->follow(m_model);
    connect(m_toolbar, &PreviewToolbar::pageTyped, this, &FrmAnteprima::VaiAPagina);
    connect(chkMassima, &QCheckBox::toggled, &m_model, &ViewerModel::setBestQuality);
    connect(chkMassima, &QCheckBox::clicked, this, &FrmAnteprima::AggiornaScroll);
    m_zoomBox = new ZoomBox(Toolbar1);
    cmbZoom = m_zoomBox->casella();
    Toolbar1->addWidget(cmbZoom);
}

/// The find bar under the toolbar, hidden until Ctrl+F (F3 and Shift+F3 go
/// to the next and previous match): going to a match shows its page and
/// brings the match into the view on show.
void FrmAnteprima::buildFindBar()
{
    m_find = new FindBar([this] { return m_model.searchDocument(); }, this);
    m_find->hide();
    m_find->results()->setWorker(&m_worker); // the search is a kind of job of the one worker
    connect(m_find, &FindBar::showPage, this,
            [this](int32_t page) { m_navigator->showMatch(page, m_find->current()); });
    connect(m_find, &FindBar::visibilityChanged, this, [this](bool visible) {
        layOut();
        if (!visible)
            view().takeFocus();
    });
    const auto shortcut = [this](const QKeySequence &keys, void (FindBar::*action)()) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, m_find, action);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), &FindBar::open);
    shortcut(QKeySequence(Qt::Key_F3), &FindBar::next);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindBar::previous);
}

/// The views, one a mode of the model (the single page: Picture1, Image1 and
/// the scroll bars; the others in FrmAnteprimaViews.cpp), and the thumbnail pane.
void FrmAnteprima::buildViews()
{
    const auto to256 = [this](const QImage &raster) { return m_bitmap.convert(raster); };
    const auto menu = [this](QPoint global) { mnfile->popup(global); };
    ChiusaImage = SinglePageView::svgCursor(QStringLiteral(":/qvpreview/icons/mano_chiusa.svg"), Qt::ClosedHandCursor);
    ApertaImage = SinglePageView::svgCursor(QStringLiteral(":/qvpreview/icons/mano_aperta.svg"), Qt::OpenHandCursor);

    m_single = new SinglePageView(m_model, m_zoom, *m_ahead, *m_find->results(), this);
    Picture1 = m_single->viewport();
    Image1 = m_single->image();
    HScroll1 = m_single->horizontalBar();
    VScroll1 = m_single->verticalBar();
    m_single->setCursors(ApertaImage, ChiusaImage);
    m_single->setConverter(to256);
    m_single->setAheadAllowed([this] { return m_loaded && !m_toInitialise; });
    connect(m_single, &SinglePageView::menuRequested, this, menu);

    buildOtherViews(to256, menu); // the continuous view, the facing pages, the overview

    m_thumbnails = new ThumbnailPane(m_model, m_worker, this);
    m_thumbnails->hide();
    connect(m_thumbnails, &ThumbnailPane::paginaScelta, this,
            [this](int32_t page) { m_navigator->goTo(qint64(page) + 1); });

    m_layout = new LayoutLink(m_model, *m_navigator, m_worker, m_views, this, m_toolbar->menuViste());
    connect(m_layout, &LayoutLink::visibilityChanged, this, [this](bool shown) {
        layOut();
        if (!shown)
            view().takeFocus();
    });
    auto *ctrlL = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    ctrlL->setContext(Qt::WindowShortcut);
    connect(ctrlL, &QShortcut::activated, m_layout, &LayoutLink::toggle);
}

DocumentView &FrmAnteprima::view() const
{
    for (DocumentView *view : m_views)
        if (view->mode() == m_model.viewMode())
            return *view;
    return *m_single;
}

// --- Load, unload ---------------------------------------------------------------

void FrmAnteprima::load()
{
    m_loaded = true;
    m_single->open();
    m_bitmap.open();
    m_model.setIndex(nullptr);
    m_toInitialise = true;
    // A fresh window, whatever the last showing had: design size and caption,
    // the page at 100 % at its first place, one page at a time, no thumbnails.
    m_zoom = PageView();
    m_openingDone = false;
    m_errorBar->forgetFirst();
    m_input.azzera();
    m_errorBar->hide();
    m_model.setViewMode(ViewerModel::ViewMode::SinglePage);
    for (DocumentView *v : m_views)
        v->setActive(v == m_single);
    m_thumbnails->hide();
    m_layout->setShown(false);
    m_toolbar->mostraViste(false, false);
    setWindowState(Qt::WindowNoState);
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", InitialCaption));
    move(0, 0);
    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    layOut();
    m_single->takeFocus();
    Aggiorna();
    m_model.setCurrentPage(0);
    m_toolbar->readQuality();
    m_zoomBox->mostra(m_zoom.geometria().zoom(), m_zoom.geometria().passi());
}

void FrmAnteprima::unload()
{
    if (!m_loaded)
        return;
    m_bitmap.remove();
    m_toolbar->saveQuality();
    // A scan still running stops; a complete index stays with the window.
    if (!m_model.indexComplete())
        m_model.setIndex(nullptr);
    m_ahead->want({});
    m_ahead->setView({});
    // Closing stops every background job and waits for the one running.
    m_worker.stopAll();
    m_single->close();
    forgetViewPages(); // the window is hidden: its pages go
    m_loaded = false;
}

void FrmAnteprima::done(int result)
{
    if (m_loaded && m_windowOptions.remember)
        RememberedWindow::of(*this, m_zoom, int(m_model.viewMode())).scrivi(); // or not: it closes
    unload();
    QDialog::done(result);
}

void FrmAnteprima::Aggiorna()
{
    ensureLoaded();
    m_single->setPageSize(PageMetrics::printerPageTwips());
    m_single->applyGeometry();
}

bool FrmAnteprima::event(QEvent *e)
{
    // An activation that arrives after the window closed does not load it
    // again (that would also forget the error it showed).
    if (e->type() == QEvent::WindowActivate && isVisible()) {
        ensureLoaded();
        AggiornaNumeroPagina();
        if (m_toInitialise)
            InizializzaAnteprima();
    }
    return QDialog::event(e);
}

void FrmAnteprima::keyPressEvent(QKeyEvent *e)
{
    if (m_input.tasto(*e))
        e->accept();
    else
        QDialog::keyPressEvent(e);
}

/// The toolbar over everything; the find bar, when open, between it and the
/// page; the thumbnail pane, when shown, at the left of the page area under
/// them; the views over the rest, each with its scroll bars.
void FrmAnteprima::layOut()
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const int vsWidth = VScroll1->sizeHint().width();
    const int hsHeight = HScroll1->sizeHint().height();
    const int findHeight = m_find->isHidden() ? 0 : m_find->sizeHint().height();
    if (findHeight > 0)
        m_find->setGeometry(0, px(Picture1Top, ty), width(), findHeight);
    const int left = !m_thumbnails->isHidden() ? m_thumbnails->larghezzaPreferita() : 0;
    const int right = m_layout->width();
    const QSizeF viewport(std::max(0.0, (width() - vsWidth - left - right) * tx),
                          std::max(0.0, (height() - findHeight - hsHeight) * ty - Picture1Top));
    const QRect area(left, px(Picture1Top, ty) + findHeight, px(viewport.width(), tx) + vsWidth,
                     px(viewport.height(), ty) + hsHeight);
    if (left > 0)
        m_thumbnails->setGeometry(0, area.y(), left, std::max(0, height() - area.y()));
    m_layout->place(area.y());
    // A fitted zoom follows the window while it is loaded.
    bool fitted = false;
    for (DocumentView *v : m_views)
        fitted = v->setArea(area, viewport, m_loaded) || fitted;
    if (fitted) {
        view().zoomChanged();
        m_zoomControl->show();
    }
    m_errorBar->place(Picture1->geometry());
    m_toolbar->disponi(width(), px(Picture1Top, ty));
}

// --- Commands ----------------------------------------------------------------------------

void FrmAnteprima::comando(PreviewCommand c, bool beep)
{
    using C = PreviewCommand;
    using P = ViewerModel::PageCommand;
    using Z = PageView::Zoom;
    ensureLoaded();
    switch (c) {
    case C::Riduci: return m_zoomControl->command(Z::Riduci, beep);
    case C::Ingrandisci: return m_zoomControl->command(Z::Ingrandisci, beep);
    case C::DimensioneReale: return m_zoomControl->command(Z::DimensioneReale, beep);
    case C::AdattaPagina: return m_zoomControl->command(Z::AdattaPagina, beep);
    case C::AdattaLarghezza: return m_zoomControl->command(Z::AdattaLarghezza, beep);
    case C::Aggiorna: AggiornaNumeroPagina(); return showPageError(m_model.currentPage(), view().reload());
    case C::Stampa: return WindowPrint::print(this, m_model, m_titolo, m_printListener);
    case C::PrimaPagina: return m_navigator->go(P::First, beep);
    case C::PaginaPrecedente: return m_navigator->go(P::Previous, beep);
    case C::PaginaSuccessiva: return m_navigator->go(P::Next, beep);
    case C::UltimaPagina: return m_navigator->go(P::Last, beep);
    case C::Chiudi: return reject();
    case C::VistaContinua:
    case C::VistaAffiancata:
    case C::Panoramica: return toggleView(c);
    case C::Miniature: return showThumbnails(m_thumbnails->isHidden());
    }
}

/// Shows \a mode's view instead of the one on show (the views follow the
/// model), from the page on show.
void FrmAnteprima::setViewMode(ViewerModel::ViewMode mode)
{
    ensureLoaded();
    m_model.setViewMode(mode);
    m_toolbar->mostraViste(mode == ViewerModel::ViewMode::Continuous, !m_thumbnails->isHidden());
    showPageError(m_model.currentPage(), view().showCurrentPage());
    view().takeFocus();
}

void FrmAnteprima::showThumbnails(bool show)
{
    ensureLoaded();
    if (show) {
        m_thumbnails->setDocumento(FileTemporaneo(), m_model.pageTwips(0),
                                   [this](int32_t page) { return m_model.pageSpec(page); });
    }
    m_thumbnails->setVisible(show);
    m_toolbar->mostraViste(m_model.viewMode() == ViewerModel::ViewMode::Continuous, show);
    layOut();
    if (show)
        m_thumbnails->setPaginaCorrente(m_model.currentPage());
}

// --- Page display -------------------------------------------------------------------

void FrmAnteprima::InizializzaAnteprima()
{
    // A page 1 that cannot be read in full is shown as far as it was drawn,
    // with the error; the page index is still built, so the other pages can
    // be reached.
    std::exception_ptr error;
    try {
        ensureLoaded();
        m_model.setIndex(nullptr);
        m_model.setCurrentPage(0);
        error = m_single->showFirstPage();
        DimensioneReale();
        if (!FileTemporaneo().isEmpty()) {
            {
                // A long document has page 1 on show while the rest of its
                // index comes in the background.
                CursoreOccupato busy;
                m_model.openIndex(QStringLiteral("FrmAnteprima"), m_worker.runner());
            }
            AggiornaNumeroPagina();
            m_toInitialise = false;
        }
    } catch (...) {
        // What is shown stays, and the next activation tries again.
        if (!error)
            error = std::current_exception();
    }
    // The window as the host asked for it, or as the user left it: once the
    // page and its index are there, so that a remembered view can show them.
    if (m_loaded) {
        try {
            applyOpening();
        } catch (...) {
            // The window opens as it always has.
        }
    }
    showPageError(0, error);
}

void FrmAnteprima::AggiornaScroll()
{
    ensureLoaded();
    // The scroll ranges and the picture from the page surface, no replay
    // (and no centring: a redraw after a drag leaves the page where it is).
    if (&view() == m_single)
        m_single->redraw();
    else
        view().zoomChanged();
}

void FrmAnteprima::showCaption(int percent)
{
    // The control's default title is the design caption, in the user's language.
    const QString title = m_titolo == QLatin1String(InitialCaption)
                              ? QCoreApplication::translate("qv::FrmAnteprima", InitialCaption)
                              : m_titolo;
    setWindowTitle(title + QStringLiteral("    ") + QString::number(percent) + QLatin1Char('%'));
}

void FrmAnteprima::VaiAPagina()
{
    m_navigator->goToTyped(Text1->text());
    AggiornaNumeroPagina();
    view().takeFocus();
}

/// The page index is complete: an error that stopped it is shown, and the
/// pages beside the one on show can be made ahead.
void FrmAnteprima::indexFinished()
{
    spool::PageIndexer *index = m_model.index();
    if (!index)
        return;
    // More page breaks than pages: as when the index is built at once, the
    // pages are found by counting, and the next activation tries again.
    if (index->exceededPageCount())
        m_toInitialise = true;
    if (m_model.countFromIndex() && !Text1->hasFocus())
        AggiornaNumeroPagina(); // the page buttons as the whole count says
    if (const std::optional<Error> error = index->error())
        showError(QCoreApplication::translate("qv::FrmAnteprima", "Indice delle pagine incompleto"),
                  std::make_exception_ptr(*error));
    m_single->scheduleAhead();
}

void FrmAnteprima::applyOpening()
{
    if (m_openingDone)
        return;
    m_openingDone = true;
    const PreviewWindowOptions &o = m_windowOptions;
    m_single->setShadow(o.pageShadow);
    setViewsShadow(o.pageShadow);
    if (o == PreviewWindowOptions())
        return; // the window as it has always opened
    QScreen *screen = QGuiApplication::primaryScreen();
    const WindowOpening opening = WindowOpening::of(o, o.remember ? RememberedWindow::leggi() : std::nullopt,
                                                    screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024));
    if (opening.geometry.isValid())
        setGeometry(opening.geometry);
    if (opening.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    layOut();
    m_zoomControl->open(opening.fit, opening.setFactor, opening.factor);
    if (opening.view > 0)
        setViewMode(ViewerModel::ViewMode(opening.view));
}

} // namespace qv
