// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FrmAnteprima.h"

#include "imaging/ModuloConversione.h"
#include "platform/CursoreOccupato.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/ErrorBar.h"
#include "preview/FindBar.h"
#include "preview/PageNavigator.h"
#include "preview/PageShadow.h"
#include "preview/PreviewToolbar.h"
#include "preview/RememberedWindow.h"
#include "preview/SinglePageView.h"
#include "preview/ThumbnailPane.h"
#include "preview/WindowPrint.h"
#include "preview/ZoomBox.h"
#include "print/MotoreStampa.h"
#include "render/PageMetrics.h"
#include "spool/SpoolFormat.h"
#include "spool/Win.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSvgRenderer>
#include <QToolBar>
#include <QWheelEvent>

#include <qvpreview/qvUtilita.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qv {

namespace {

// Design geometry, in twips.
constexpr double ClientWidth = 8715;
constexpr double ClientHeight = 5940;
constexpr double Picture1Top = 600;

const char InitialCaption[] = QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Anteprima di Stampa");

const QString QualityApp = QStringLiteral("QVPREVIEW");
const QString QualitySection = QStringLiteral("OPZIONE");
const QString QualityKey = QStringLiteral("QUALITA");

int px(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

/// A cursor drawn from one of the window's SVG pictures, hot spot in the middle.
QCursor svgCursor(const QString &path, Qt::CursorShape fallback)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QCursor(fallback);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

/// Where a find's match lies on its page, in twips: its record's place, a
/// line high (the match's own place in its line is the painter's to measure).
QRectF matchRect(const spool::TextMatch &match)
{
    constexpr double Line = 300;
    return QRectF(match.x, match.y - Line, std::max(Line, match.length * 120.0), Line * 1.5);
}

} // namespace

FrmAnteprima::FrmAnteprima(QWidget *parent) : QDialog(parent), m_input(*this, m_zoom)
{
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", InitialCaption));
    setSizeGripEnabled(false);
    m_ahead = new RenderAhead(m_worker, this);
    m_navigator = new PageNavigator(
        m_model, [this]() -> DocumentView & { return view(); }, this);
    connect(m_navigator, &PageNavigator::shown, this, &FrmAnteprima::showPageError);
    connect(m_navigator, &PageNavigator::stayed, this, &FrmAnteprima::AggiornaNumeroPagina);
    buildToolbar();
    buildFindBar();
    buildViews();
    m_errorBar = new ErrorBar(this);
    fraErrore = m_errorBar;
    lblErrore = m_errorBar->label();

    // Esc closes the window whichever of its controls has the focus (the
    // find bar first, while it is open).
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (!m_find->isHidden())
            m_find->close();
        else
            reject();
    });

    // The window's signals of the page index, for its callers; the page
    // indicator follows the page on show and the count.
    connect(&m_model, &ViewerModel::indexGrew, this, &FrmAnteprima::knownPageCountChanged);
    connect(&m_model, &ViewerModel::indexFinished, this, [this] {
        indexFinished();
        emit pageIndexFinished();
    });
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] {
        if (m_loaded)
            m_toolbar->mostraPagina(m_model, Text1->hasFocus());
    });
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this] { AggiornaNumeroPagina(); });

    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    layOut();
}

FrmAnteprima::~FrmAnteprima()
{
    // The page field outlives this part of the window: losing the focus as
    // it goes, it would call back into a window already destroyed.
    Text1->disconnect(this);
    unload();
    // The worker's last result must not reach a window half destroyed, nor
    // the views the model that goes before them.
    delete m_single;
    delete m_ahead;
    delete m_continuous;
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

QString FrmAnteprima::testoStampatoInPdf(const QString &file)
{
    return WindowPrint::printedToPdf(file);
}

// --- The parts ------------------------------------------------------------------------

/// The toolbar with the page indicator, the quality box, the maker's address,
/// the pop-up menu (PreviewToolbar) and the zoom box, wired to the window.
void FrmAnteprima::buildToolbar()
{
    m_toolbar = new PreviewToolbar(this);
    Toolbar1 = m_toolbar->toolbar();
    Text1 = m_toolbar->indicatore();
    chkMassima = m_toolbar->qualita();
    lblsito = m_toolbar->sito();
    mnfile = m_toolbar->menu();
    connect(m_toolbar, &PreviewToolbar::comando, this, [this](PreviewCommand c) { comando(c, true); });
    connect(Text1, &QLineEdit::returnPressed, this, [this] { VaiAPagina(); });
    connect(Text1, &QLineEdit::editingFinished, this, [this] {
        if (!Text1->hasFocus())
            AggiornaNumeroPagina();
    });
    connect(chkMassima, &QCheckBox::toggled, &m_model, &ViewerModel::setBestQuality);
    connect(chkMassima, &QCheckBox::clicked, this, [this] { AggiornaScroll(); });

    m_zoomBox = new ZoomBox(Toolbar1);
    cmbZoom = m_zoomBox->casella();
    Toolbar1->addWidget(cmbZoom);
    connect(m_zoomBox, &ZoomBox::zoomScelto, this, [this](double factor) { setZoom(factor); });
    connect(m_zoomBox, &ZoomBox::comando, this, [this](PreviewCommand c) { comando(c, true); });
    connect(m_zoomBox, &ZoomBox::rifiutato, this, [] { platform::beep(); });
    // The keys go back to the view on show, whichever it is.
    connect(m_zoomBox, &ZoomBox::finito, this, [this] { view().takeFocus(); });
}

/// The find bar under the toolbar, hidden until Ctrl+F (F3 and Shift+F3 go
/// to the next and previous match): it searches the document from the page
/// on show; going to a match shows its page and brings it into view.
void FrmAnteprima::buildFindBar()
{
    m_find = new FindBar([this] { return m_model.searchDocument(); }, this);
    m_find->hide();
    connect(m_find, &FindBar::showPage, this, [this](int32_t page) {
        m_navigator->reachPage(page); // a match past the pages indexed so far
        if (page != m_model.currentPage() + 1)
            m_navigator->goTo(page, false);
        if (const spool::TextMatch *match = m_find->current(); match && match->page == page)
            view().reveal(page - 1, matchRect(*match));
    });
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

/// The views (one page at a time, Picture1 and its scroll bars; the pages
/// one under another) and the thumbnail pane; only the single page is shown
/// when the window loads.
void FrmAnteprima::buildViews()
{
    const auto to256 = [this](const QImage &raster) { return convertTo256(raster); };
    ChiusaImage = svgCursor(QStringLiteral(":/qvpreview/icons/mano_chiusa.svg"), Qt::ClosedHandCursor);
    ApertaImage = svgCursor(QStringLiteral(":/qvpreview/icons/mano_aperta.svg"), Qt::OpenHandCursor);

    m_single = new SinglePageView(m_model, m_zoom, *m_ahead, *m_find->results(), this);
    Picture1 = m_single->viewport();
    Image1 = m_single->image();
    HScroll1 = m_single->horizontalBar();
    VScroll1 = m_single->verticalBar();
    m_single->setCursors(ApertaImage, ChiusaImage);
    m_single->setConverter(to256);
    m_single->setAheadAllowed([this] { return m_loaded && !m_toInitialise; });
    connect(m_single, &SinglePageView::menuRequested, this, [this](QPoint global) { mnfile->popup(global); });

    m_continuous = new ContinuousView(m_model, m_zoom, *m_find->results(), this);
    m_continuous->hide();
    m_continuous->setCursors(ApertaImage, ChiusaImage);
    m_continuous->setConverter(to256);
    connect(m_continuous, &ContinuousView::menuRequested, this, [this](QPoint global) { mnfile->popup(global); });
    connect(m_continuous, &ContinuousView::zoomWheel, this, [this](const QWheelEvent &e) { m_input.rotella(e); });
    connect(m_continuous, &ContinuousView::pageScrolled, this,
            [this](int32_t page) { showPageError(page, m_continuous->error(page)); });

    m_views = {m_single, m_continuous};

    m_thumbnails = new ThumbnailPane(m_model, m_worker, this);
    m_thumbnails->hide();
    connect(m_thumbnails, &ThumbnailPane::paginaScelta, this,
            [this](int32_t page) { m_navigator->goTo(qint64(page) + 1); });
}

DocumentView &FrmAnteprima::view() const
{
    for (DocumentView *view : m_views)
        if (view->mode() == m_model.viewMode())
            return *view;
    return *m_single;
}

QAction *FrmAnteprima::pulsante(const QString &key) const
{
    return m_toolbar->pulsante(key);
}

// --- Load, unload ---------------------------------------------------------------

void FrmAnteprima::ensureLoaded()
{
    if (!m_loaded)
        load();
}

void FrmAnteprima::load()
{
    m_loaded = true;
    m_single->open();
    m_imageFile = Win::NomeFileImmagine();
    m_model.setIndex(nullptr);
    m_toInitialise = true;
    // A fresh window: its design size at the top-left corner of the screen,
    // the design caption, the page at its first place with both scroll bars
    // at 0, no zoom fitted, no error and no drag from the last showing; one
    // page at a time and no thumbnails, whatever the last showing had.
    m_zoom = PageView();
    m_openingDone = false;
    m_firstError.reset();
    m_input.azzera();
    m_errorBar->hide();
    m_model.setViewMode(ViewerModel::ViewMode::SinglePage);
    for (DocumentView *v : m_views)
        v->setActive(v == m_single);
    m_thumbnails->hide();
    m_toolbar->mostraViste(false, false);
    setWindowState(Qt::WindowNoState);
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", InitialCaption));
    move(0, 0);
    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    layOut();
    m_single->takeFocus();
    Aggiorna();
    m_model.setCurrentPage(0);
    readQuality();
    m_zoomBox->mostra(m_zoom.geometria().zoom(), m_zoom.geometria().passi());
}

void FrmAnteprima::readQuality()
{
    try {
        const QString fallback = qvUtilita().IsWindowsNT() ? QStringLiteral("Min") : QStringLiteral("Max");
        const QString value = platform::readUserSetting(QualityApp, QualitySection, QualityKey, fallback);
        chkMassima->setChecked(value.toUpper() == QStringLiteral("MAX"));
    } catch (...) {
        // The check box keeps its state.
    }
}

void FrmAnteprima::unload()
{
    if (!m_loaded)
        return;
    if (!m_imageFile.isEmpty())
        QFile::remove(m_imageFile);
    m_imageFile.clear();
    try {
        platform::writeUserSetting(QualityApp, QualitySection, QualityKey,
                                   chkMassima->isChecked() ? QStringLiteral("Max") : QStringLiteral("Min"));
    } catch (...) {
        // The window closes anyway.
    }
    // A scan still running stops; a complete index stays with the window.
    if (!m_model.indexComplete())
        m_model.setIndex(nullptr);
    m_ahead->want({});
    m_ahead->setView({});
    // Closing stops every background job and waits for the one running.
    m_worker.stopAll();
    m_single->close();
    m_continuous->reloadPages(); // the window is hidden: its pages go
    m_loaded = false;
}

void FrmAnteprima::done(int result)
{
    if (m_loaded && m_windowOptions.remember)
        rememberWindow();
    unload();
    QDialog::done(result);
}

// --- Public interface -------------------------------------------------------------

void FrmAnteprima::setTitolo(const QString &value)
{
    m_titolo = value;
}

void FrmAnteprima::setFileTemporaneo(const QString &value)
{
    setDocumento(std::make_shared<const spool::Document>(spool::Document::onFile(value)));
}

void FrmAnteprima::setDocumento(std::shared_ptr<const spool::Document> documento)
{
    m_model.setDocument(std::move(documento));
}

void FrmAnteprima::setPrintListener(std::function<void(const PrintOutcome &)> listener)
{
    m_printListener = std::move(listener);
}

void FrmAnteprima::setPagineTotali(int32_t value)
{
    ensureLoaded();
    // The views and the thumbnails follow the model's count.
    m_model.setPageCount(value);
    AggiornaNumeroPagina();
}

int16_t FrmAnteprima::PaginaVisualizzata() const
{
    return int16_t(std::min<int32_t>(m_model.currentPage(), INT16_MAX));
}

PageSurface &FrmAnteprima::Picture2()
{
    ensureLoaded();
    return *m_single->surface();
}

void FrmAnteprima::Aggiorna()
{
    ensureLoaded();
    m_single->setPageSize(PageMetrics::printerPageTwips());
    m_single->applyGeometry();
}

void FrmAnteprima::dimensionaPagina(qint64 inizio)
{
    if (inizio <= 0 || FileTemporaneo().isEmpty())
        return;
    std::optional<QPageLayout> layout;
    try {
        layout = spool::pageLayoutAt(FileTemporaneo(), inizio, QStringLiteral("FrmAnteprima"));
    } catch (...) {
        // The replay of the page meets the same record and shows its error.
    }
    ensureLoaded();
    m_single->setPageSize(PageMetrics::pageTwips(layout));
}

QVector<qint64> FrmAnteprima::PosizioniPagine()
{
    m_model.waitForIndex();
    QVector<qint64> positions(qsizetype(std::max<int32_t>(m_model.pageCount(), 0)) + 1, 0);
    positions[0] = 1;
    if (spool::PageIndexer *index = m_model.index()) {
        const spool::PageIndex starts = index->startsFrom(0);
        for (qsizetype i = 0; i < starts.size() && i < positions.size(); ++i)
            positions[i] = starts[i];
    }
    return positions;
}

int32_t FrmAnteprima::knownPageCount() const
{
    return m_model.knownPages();
}

bool FrmAnteprima::pageIndexComplete() const
{
    return m_model.indexComplete();
}

// --- Window events ----------------------------------------------------------------

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

void FrmAnteprima::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    layOut();
}

void FrmAnteprima::keyPressEvent(QKeyEvent *e)
{
    if (m_input.tasto(*e))
        e->accept();
    else
        QDialog::keyPressEvent(e);
}

void FrmAnteprima::wheelEvent(QWheelEvent *e)
{
    e->accept();
    m_input.rotella(*e);
}

/// The toolbar over everything; the find bar, when open, between it and the
/// page; the thumbnail pane, when shown, at the left of the page area under
/// them; the views over the rest (each with its scroll bars).
void FrmAnteprima::layOut()
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const int vsWidth = VScroll1->sizeHint().width();
    const int hsHeight = HScroll1->sizeHint().height();
    const int findHeight = m_find->isHidden() ? 0 : m_find->sizeHint().height();
    if (findHeight > 0)
        m_find->setGeometry(0, px(Picture1Top, ty), width(), findHeight);
    const double top = Picture1Top + findHeight * ty;
    const int left = !m_thumbnails->isHidden() ? m_thumbnails->larghezzaPreferita() : 0;
    const QSizeF viewport(std::max(0.0, (width() - vsWidth - left) * tx),
                          std::max(0.0, height() * ty - top - hsHeight * ty));
    const QRect area(left, px(Picture1Top, ty) + findHeight, px(viewport.width(), tx) + vsWidth,
                     px(viewport.height(), ty) + hsHeight);
    if (left > 0)
        m_thumbnails->setGeometry(0, area.y(), left, std::max(0, height() - area.y()));
    // A fitted zoom follows the window while it is loaded.
    bool fitted = false;
    for (DocumentView *v : m_views)
        fitted = v->setArea(area, viewport, m_loaded) || fitted;
    if (fitted) {
        view().zoomChanged();
        showCaption();
    }
    m_errorBar->place(Picture1->geometry());
    m_toolbar->disponi(width(), px(Picture1Top, ty));
}

// --- Commands ----------------------------------------------------------------------------

/// A command of the toolbar, the menu or the keys; \a beep: beep when it is
/// at its limit. The page commands show the busy pointer.
void FrmAnteprima::comando(PreviewCommand c, bool beep)
{
    using C = PreviewCommand;
    using P = ViewerModel::PageCommand;
    const auto zoom = [&](PageView::Zoom z) { changeZoom([&] { return m_zoom.zoom(z); }, beep); };
    const auto page = [&](P step) { m_navigator->go(step, beep); };
    switch (c) {
    case C::Riduci: return zoom(PageView::Zoom::Riduci);
    case C::Ingrandisci: return zoom(PageView::Zoom::Ingrandisci);
    case C::DimensioneReale: return zoom(PageView::Zoom::DimensioneReale);
    case C::AdattaPagina: return zoom(PageView::Zoom::AdattaPagina);
    case C::AdattaLarghezza: return zoom(PageView::Zoom::AdattaLarghezza);
    case C::Aggiorna:
        ensureLoaded();
        AggiornaNumeroPagina();
        return showPageError(m_model.currentPage(), view().reload());
    case C::Stampa: return print();
    case C::PrimaPagina: return page(P::First);
    case C::PaginaPrecedente: return page(P::Previous);
    case C::PaginaSuccessiva: return page(P::Next);
    case C::UltimaPagina: return page(P::Last);
    case C::Chiudi: return reject();
    case C::VistaContinua:
        return setViewMode(m_model.viewMode() == ViewerModel::ViewMode::Continuous ? ViewerModel::ViewMode::SinglePage
                                                                                   : ViewerModel::ViewMode::Continuous);
    case C::Miniature: return showThumbnails(m_thumbnails->isHidden());
    }
}

/// Shows \a mode's view instead of the one on show, from the page on show.
void FrmAnteprima::setViewMode(ViewerModel::ViewMode mode)
{
    ensureLoaded();
    DocumentView &before = view();
    m_model.setViewMode(mode);
    m_toolbar->mostraViste(mode == ViewerModel::ViewMode::Continuous, !m_thumbnails->isHidden());
    DocumentView &now = view();
    if (&before != &now)
        before.setActive(false);
    layOut();
    now.setActive(true);
    showPageError(m_model.currentPage(), now.showCurrentPage());
    now.takeFocus();
}

void FrmAnteprima::showThumbnails(bool show)
{
    ensureLoaded();
    if (show) {
        m_thumbnails->setDocumento(FileTemporaneo(), m_model.pageTwips(0), [this](int32_t page) {
            const qint64 start = m_model.pageStart(page);
            return start > 0 ? LetturaDati::PageSpec::at(start) : LetturaDati::PageSpec::page(page + 1);
        });
    }
    m_thumbnails->setVisible(show);
    m_toolbar->mostraViste(m_model.viewMode() == ViewerModel::ViewMode::Continuous, show);
    layOut();
    if (show)
        m_thumbnails->setPaginaCorrente(m_model.currentPage());
}

void FrmAnteprima::print()
{
    WindowPrint::print(this, m_model, m_titolo, m_printListener);
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
                m_model.openIndex(QStringLiteral("FrmAnteprima"));
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
    showError(QCoreApplication::translate("qv::FrmAnteprima", "Pagina 1 mostrata solo in parte"), error);
}

void FrmAnteprima::MostraPagina()
{
    ensureLoaded();
    showPageError(m_model.currentPage(), view().showCurrentPage());
}

void FrmAnteprima::showError(const QString &where, std::exception_ptr error)
{
    const std::optional<Error> shown = m_errorBar->show(where, error);
    if (shown && !m_firstError)
        m_firstError = shown;
    if (shown)
        layOut();
}

void FrmAnteprima::showPageError(int32_t page, std::exception_ptr error)
{
    showError(QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte").arg(page + 1), error);
}

void FrmAnteprima::AggiornaScroll()
{
    ensureLoaded();
    // The zoom commands centre before they come here, so the 256-colour
    // raster is made for the area that will be visible.
    if (&view() == m_single)
        m_converted = m_single->redraw();
    else
        view().zoomChanged();
}

QImage FrmAnteprima::convertTo256(const QImage &raster)
{
    // The 256-colour bitmap file holds the rasterised part of the page at the
    // resolution it is shown with (the visible area and a margin, at most
    // ImmaginePagina::PixelMassimi pixels), not the whole page at 100 %: it
    // stays as sharp as the full-colour display and costs the same whatever
    // the zoom. The loaded bitmap is expanded once here, not at every paint.
    QImage loaded;
    if (ModuloConversione::SalvaBitmap256(raster, m_imageFile) && CaricaImmagine(loaded))
        return ModuloConversione::ImmagineRGB32(loaded);
    return QImage();
}

bool FrmAnteprima::CaricaImmagine(QImage &image)
{
    QImage loaded;
    // The file is always our own bitmap: no format probing.
    if (m_imageFile.isEmpty() || !loaded.load(m_imageFile, "BMP"))
        return false;
    image = std::move(loaded);
    return true;
}

void FrmAnteprima::CentraImmagine()
{
    m_zoom.geometria().centra();
    m_single->applyGeometry();
}

void FrmAnteprima::SincronizzaScroll()
{
    m_zoom.geometria().sincronizzaScroll();
    m_single->applyGeometry();
}

// --- Zoom ----------------------------------------------------------------------------

void FrmAnteprima::DimensioneReale()
{
    changeZoom([this] { return m_zoom.zoom(PageView::Zoom::DimensioneReale); }, true);
}

void FrmAnteprima::changeZoom(const std::function<bool()> &step, bool beep)
{
    ensureLoaded();
    if (step()) {
        view().zoomChanged();
        m_converted = m_single->image()->convertita();
    } else if (beep) {
        platform::beep();
    }
    showCaption();
}

bool FrmAnteprima::setZoom(double factor)
{
    bool done = false;
    changeZoom([&] { return done = m_zoom.zoomA(factor); }, true);
    return done;
}

/// Ctrl and the wheel: the point of the page under the pointer stays under
/// it; over the toolbar or the scroll bars the zoom is about the middle of
/// the view.
void FrmAnteprima::zoomRotella(bool zoomIn, QPointF global)
{
    const PageView::Zoom zoom = zoomIn ? PageView::Zoom::Ingrandisci : PageView::Zoom::Riduci;
    changeZoom([&] { return view().zoomAbout(zoom, global); }, false);
}

void FrmAnteprima::showCaption()
{
    // The control's default title is the design caption, in the user's language.
    const QString title = m_titolo == QLatin1String(InitialCaption)
                              ? QCoreApplication::translate("qv::FrmAnteprima", InitialCaption)
                              : m_titolo;
    setWindowTitle(title + QStringLiteral("    ") + QString::number(m_zoom.geometria().percentuale())
                   + QLatin1Char('%'));
    m_model.setZoom(m_zoom.geometria().zoom());
    m_zoomBox->mostra(m_zoom.geometria().zoom(), m_zoom.geometria().passi());
}

// --- Navigation -------------------------------------------------------------------------

/// The page number typed into the page indicator: Enter goes there; a number
/// outside the document beeps. The indicator then shows the page on show and
/// the view gets the keys again.
void FrmAnteprima::VaiAPagina()
{
    m_navigator->goToTyped(Text1->text());
    AggiornaNumeroPagina();
    view().takeFocus();
}

void FrmAnteprima::AggiornaNumeroPagina()
{
    m_toolbar->mostraPagina(m_model);
}

void FrmAnteprima::scorriVerticale(double twips, bool turnPage, bool beep)
{
    m_navigator->scroll(twips, turnPage, beep);
}

void FrmAnteprima::scorriOrizzontale(double twips)
{
    view().scrollHorizontal(twips);
}

std::optional<double> FrmAnteprima::screenHeight() const
{
    return view().screenHeight();
}

void FrmAnteprima::paginaAccanto(bool forward, bool beep)
{
    m_navigator->turn(forward, beep);
}

// --- The page index in the background ---------------------------------------------------

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

// --- Opening and remembering ----------------------------------------------------------------

void FrmAnteprima::applyOpening()
{
    if (m_openingDone)
        return;
    m_openingDone = true;
    const PreviewWindowOptions &o = m_windowOptions;
    PageShadow *shadow = Image1->findChild<PageShadow *>();
    if (o.pageShadow && !shadow)
        new PageShadow(Image1);
    else if (!o.pageShadow && shadow)
        delete shadow;
    m_margin = o.pageShadow ? PageShadow::Margine : 0;
    m_single->setMargin(m_margin);
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
    using Zoom = PageView::Zoom;
    switch (opening.fit) {
    case PageView::Adattamento::Pagina: changeZoom([this] { return m_zoom.zoom(Zoom::AdattaPagina); }, false); break;
    case PageView::Adattamento::Larghezza:
        changeZoom([this] { return m_zoom.zoom(Zoom::AdattaLarghezza); }, false);
        break;
    case PageView::Adattamento::Nessuno:
        if (opening.setFactor)
            changeZoom([&] { return m_zoom.zoomA(opening.factor); }, false);
        break;
    }
    if (opening.continuous)
        setViewMode(ViewerModel::ViewMode::Continuous);
}

void FrmAnteprima::rememberWindow()
{
    RememberedWindow r;
    r.geometria = normalGeometry();
    r.massimizzata = isMaximized();
    r.adattamento = m_zoom.adattamento();
    r.zoom = m_zoom.geometria().zoom();
    r.vista = int(m_model.viewMode());
    // A window that cannot store its state still closes.
    r.scrivi();
}

} // namespace qv
