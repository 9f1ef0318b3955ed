// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FrmAnteprima.h"

#include "preview/FindBar.h"

#include "dialogs/FrmOpzioni.h"
#include "dialogs/PrintCommand.h"
#include "imaging/ModuloConversione.h"
#include "platform/CursoreOccupato.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/BarraScorrimento.h"
#include "preview/ContinuousView.h"
#include "preview/ImmaginePagina.h"
#include "preview/PageShadow.h"
#include "preview/PreviewToolbar.h"
#include "preview/RememberedWindow.h"
#include "preview/RenderAhead.h"
#include "preview/ThumbnailPane.h"
#include "preview/ZoomBox.h"
#include "print/MotoreStampa.h"
#include "render/LetturaDati.h"
#include "spool/PageIndexer.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"
#include "spool/Win.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <qvpreview/Error.h>
#include <qvpreview/Types.h>
#include <qvpreview/qvUtilita.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>

namespace qv {

namespace {

// Design geometry, in twips.
constexpr double ClientWidth = 8715;
constexpr double ClientHeight = 5940;
constexpr double Picture1Top = 600;

const char CaptionIniziale[] = QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Anteprima di Stampa");

const QString QualitaApp = QStringLiteral("QVPREVIEW");
const QString QualitaSection = QStringLiteral("OPZIONE");
const QString QualitaKey = QStringLiteral("QUALITA");

int px(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

/// A cursor drawn from one of the window's SVG pictures, hot spot in the middle.
QCursor cursoreSvg(const QString &path, Qt::CursorShape riserva)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QCursor(riserva);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

/// The error that \a errore holds, as a qv::Error.
Error erroreDi(std::exception_ptr errore)
{
    try {
        std::rethrow_exception(errore);
    } catch (const Error &e) {
        return e;
    } catch (...) {
        return Error(ErrInternal, QStringLiteral("FrmAnteprima"), descrizioneErrore(errore));
    }
}

} // namespace

FrmAnteprima::FrmAnteprima(QWidget *parent) : QDialog(parent), m_input(*this, m_vista)
{
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", CaptionIniziale));
    setSizeGripEnabled(false);
    creaControlli();
    m_anticipo = new RenderAhead(m_worker, this);
    // The window's signals of the page index, for its callers.
    connect(&m_model, &ViewerModel::indexGrew, this, &FrmAnteprima::knownPageCountChanged);
    connect(&m_model, &ViewerModel::indexFinished, this, [this] {
        indexFinished();
        emit pageIndexFinished();
    });
    connect(&m_model, &ViewerModel::pageCountChanged, this, [this] { pageCountChanged(); });
    connect(&m_model, &ViewerModel::currentPageChanged, this, [this](int32_t page) {
        // The continuous view sets the page as it is scrolled; the page
        // commands show the indicator themselves.
        if (!continuaAttiva())
            return;
        AggiornaNumeroPagina();
        mostraErrore(QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte").arg(page + 1),
                     m_continua->errore(page));
    });
}

FrmAnteprima::~FrmAnteprima()
{
    // The page field outlives this part of the window: losing the focus as
    // it goes, it would call back into a window already destroyed.
    Text1->disconnect(this);
    unload();
    // The worker's last result must not reach a window half destroyed, nor
    // the views the model that goes before them.
    delete m_anticipo;
    m_anticipo = nullptr;
    delete m_continua;
    m_continua = nullptr;
    delete m_miniature;
    m_miniature = nullptr;
}

QString FrmAnteprima::IndirizzoSito()
{
    return QString::fromLatin1(qvUtilita::SitoWeb);
}

void FrmAnteprima::setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook)
{
    MotoreStampa::setStampaHookForTesting(std::move(hook));
}

// --- Controls -----------------------------------------------------------------

void FrmAnteprima::creaControlli()
{
    creaBarraStrumenti();
    creaPagina();
    creaBarreScorrimento();
    creaBarraErrore();
    createFindBar();
    creaVisteDocumento();

    // Esc closes the window whichever of its controls has the focus (the
    // find bar first, while it is open).
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (!m_find->isHidden())
            m_find->close();
        else
            Chiudi();
    });

    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    disponi();
}

/// The toolbar with the page indicator, the quality box, the maker's address
/// and the pop-up menu (PreviewToolbar), wired to the window: their commands,
/// a page number typed into the indicator, a change of quality.
void FrmAnteprima::creaBarraStrumenti()
{
    m_barra = new PreviewToolbar(this);
    Toolbar1 = m_barra->toolbar();
    Text1 = m_barra->indicatore();
    chkMassima = m_barra->qualita();
    lblsito = m_barra->sito();
    mnfile = m_barra->menu();
    connect(m_barra, &PreviewToolbar::comando, this, [this](PreviewCommand c) { comando(c, true); });
    connect(Text1, &QLineEdit::returnPressed, this, [this] { VaiAPagina(); });
    connect(Text1, &QLineEdit::editingFinished, this, [this] {
        if (!Text1->hasFocus())
            AggiornaNumeroPagina();
    });
    connect(chkMassima, &QCheckBox::toggled, &m_model, &ViewerModel::setBestQuality);
    connect(chkMassima, &QCheckBox::clicked, this, [this] { AggiornaScroll(); });

    // The zoom box at the end of the toolbar.
    m_zoomBox = new ZoomBox(Toolbar1);
    cmbZoom = m_zoomBox->casella();
    Toolbar1->addWidget(cmbZoom);
    connect(m_zoomBox, &ZoomBox::zoomScelto, this, [this](double fattore) { setZoom(fattore); });
    connect(m_zoomBox, &ZoomBox::comando, this, [this](PreviewCommand c) { comando(c, true); });
    connect(m_zoomBox, &ZoomBox::rifiutato, this, [] { platform::beep(); });
    connect(m_zoomBox, &ZoomBox::finito, this, [this] { Picture1->setFocus(Qt::OtherFocusReason); });
}

/// The find bar under the toolbar, hidden until Ctrl+F (F3 and Shift+F3 go
/// to the next and previous match): it searches the document on show from
/// the page on show, goes to the page of the current match and has the page
/// highlight the matches.
void FrmAnteprima::createFindBar()
{
    m_find = new FindBar(
        [this] {
            FindBar::Document document;
            document.path = FileTemporaneo();
            // The starts known so far; the search reads on past them, so a
            // document still being indexed is searched whole: to the window's
            // page count, or to the file's end while that count follows the index.
            document.index = m_model.index() ? m_model.index()->startsFrom(0) : spool::PageIndex{1};
            if (m_model.index() && m_model.index()->exceededPageCount())
                document.index = spool::PageIndex{1};
            document.index.resize(std::clamp<qsizetype>(document.index.size(), 1, std::max(m_model.pageCount(), 1)));
            document.pages = m_model.countFromIndex() && !m_model.indexComplete() ? std::numeric_limits<int32_t>::max()
                                                                                  : m_model.pageCount();
            document.currentPage = m_model.currentPage() + 1;
            return document;
        },
        this);
    m_find->hide();
    m_find->results()->setWorker(&m_worker); // the search is a kind of job of the one worker
    connect(m_find, &FindBar::showPage, this, [this](int32_t page) {
        attendiPagina(page); // a match past the pages indexed so far
        if (page != m_model.currentPage() + 1)
            dopoNavigazione(m_model.goTo(page), false);
    });
    connect(m_find->results(), &FindResults::highlightChanged, this,
            [this] { Image1->setHighlight(m_find->results()->highlightFor(m_model.currentPage() + 1)); });
    connect(m_find, &FindBar::visibilityChanged, this, [this](bool visible) {
        disponi();
        if (!visible)
            Picture1->setFocus(Qt::OtherFocusReason);
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

/// The grey viewport Picture1 and the page image Image1 in it, with the hand cursors.
void FrmAnteprima::creaPagina()
{
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::NoFrame);
    Picture1->setAutoFillBackground(true);
    QPalette pal = Picture1->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    Picture1->setPalette(pal);
    Picture1->setFocusPolicy(Qt::StrongFocus);

    Image1 = new ImmaginePagina(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->installEventFilter(this);
    ChiusaImage = cursoreSvg(QStringLiteral(":/qvpreview/icons/mano_chiusa.svg"), Qt::ClosedHandCursor);
    ApertaImage = cursoreSvg(QStringLiteral(":/qvpreview/icons/mano_aperta.svg"), Qt::OpenHandCursor);
    Image1->setCursor(ApertaImage);
}

/// The two scroll bars; they move the page through the geometry.
void FrmAnteprima::creaBarreScorrimento()
{
    HScroll1 = new BarraScorrimento(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    VScroll1 = new BarraScorrimento(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    for (QScrollBar *bar : {HScroll1, VScroll1}) {
        bar->setMinimum(0);
        bar->setMaximum(0);
        bar->setSingleStep(30); // 300 twips
        bar->installEventFilter(this);
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_applicando)
            return;
        m_vista.geometria().setValoreH(v);
        applicaGeometria();
    });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_applicando)
            return;
        m_vista.geometria().setValoreV(v);
        applicaGeometria();
    });
}

/// The bar that shows a reading error over the top of the page, with a
/// button that hides it. Hidden until an error is shown.
void FrmAnteprima::creaBarraErrore()
{
    fraErrore = new QFrame(this);
    fraErrore->setObjectName(QStringLiteral("fraErrore"));
    fraErrore->setFrameShape(QFrame::Box);
    fraErrore->setAutoFillBackground(true);
    QPalette pal = fraErrore->palette();
    pal.setColor(QPalette::Window, QColor(0xfd, 0xe2, 0xe1));
    pal.setColor(QPalette::WindowText, QColor(0x8a, 0x1c, 0x1c));
    fraErrore->setPalette(pal);
    auto *layout = new QHBoxLayout(fraErrore);
    layout->setContentsMargins(8, 4, 4, 4);
    lblErrore = new QLabel(fraErrore);
    lblErrore->setObjectName(QStringLiteral("lblErrore"));
    lblErrore->setWordWrap(true);
    // The file name and the line can be selected and copied.
    lblErrore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblErrore->setTextFormat(Qt::PlainText);
    layout->addWidget(lblErrore, 1);
    auto *nascondi = new QToolButton(fraErrore);
    nascondi->setObjectName(QStringLiteral("cmdNascondiErrore"));
    nascondi->setText(QStringLiteral("\u00d7"));
    nascondi->setToolTip(QCoreApplication::translate("qv::FrmAnteprima", "Nascondi"));
    nascondi->setAutoRaise(true);
    nascondi->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(nascondi, 0, Qt::AlignTop);
    connect(nascondi, &QToolButton::clicked, fraErrore, &QWidget::hide);
    fraErrore->hide();
}

QAction *FrmAnteprima::pulsante(const QString &key) const
{
    return m_barra->pulsante(key);
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
    m_picture2 = std::make_unique<PageSurface>();
    m_fileImmagine = Win::NomeFileImmagine();
    m_model.setIndex(nullptr);
    m_daInizializzare = true;
    // A fresh window: its design size at the top-left corner of the screen,
    // the design caption, the page at its first place with both scroll bars
    // at 0, no zoom fitted, no error and no drag from the last showing.
    m_vista = PageView();
    m_aperturaFatta = false;
    m_primoErrore.reset();
    m_input.azzera();
    fraErrore->hide();
    // One page at a time and no thumbnails, whatever the last showing had.
    m_model.setViewMode(ViewerModel::ViewMode::SinglePage);
    m_continua->hide();
    m_continua->ricarica();
    m_miniature->hide();
    for (QWidget *w :
         {static_cast<QWidget *>(Picture1), static_cast<QWidget *>(HScroll1), static_cast<QWidget *>(VScroll1)})
        w->show();
    m_barra->mostraViste(false, false);
    Image1->setCursor(ApertaImage);
    setWindowState(Qt::WindowNoState);
    setWindowTitle(QCoreApplication::translate("qv::FrmAnteprima", CaptionIniziale));
    move(0, 0);
    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    disponi();
    Picture1->setFocus(Qt::OtherFocusReason);
    Aggiorna();
    m_model.setCurrentPage(0);
    leggiQualita();
    mostraZoom();
}

void FrmAnteprima::leggiQualita()
{
    try {
        const QString predefinito = qvUtilita().IsWindowsNT() ? QStringLiteral("Min") : QStringLiteral("Max");
        const QString valore = platform::readUserSetting(QualitaApp, QualitaSection, QualitaKey, predefinito);
        chkMassima->setChecked(valore.toUpper() == QStringLiteral("MAX"));
    } catch (...) {
        // The check box keeps its state.
    }
}

void FrmAnteprima::unload()
{
    if (!m_loaded)
        return;
    if (!m_fileImmagine.isEmpty())
        QFile::remove(m_fileImmagine);
    m_fileImmagine.clear();
    try {
        platform::writeUserSetting(QualitaApp, QualitaSection, QualitaKey,
                                   chkMassima->isChecked() ? QStringLiteral("Max") : QStringLiteral("Min"));
    } catch (...) {
        // The window closes anyway.
    }
    // A scan still running stops; a complete index stays with the window.
    if (!m_model.indexComplete())
        m_model.setIndex(nullptr);
    m_anticipo->want({});
    m_anticipo->setView({});
    // Closing stops every background job and waits for the one running.
    m_worker.stopAll();
    m_rasterPronto.reset();
    m_erroreMostrato = nullptr;
    m_paginaMostrata = -1;
    m_picture2.reset();
    m_continua->ricarica(); // the window is hidden: its pages go
    m_loaded = false;
}

void FrmAnteprima::done(int result)
{
    if (m_loaded && m_windowOptions.remember)
        ricordaFinestra();
    unload();
    QDialog::done(result);
}

void FrmAnteprima::Chiudi()
{
    reject();
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

/// The count changed (set, or following the index): the indicator shows it,
/// and a page number being typed into it stays as it is.
void FrmAnteprima::pageCountChanged()
{
    if (m_loaded)
        m_barra->mostraPagina(m_model, Text1->hasFocus());
}

PageSurface &FrmAnteprima::Picture2()
{
    ensureLoaded();
    return *m_picture2;
}

void FrmAnteprima::Aggiorna()
{
    ensureLoaded();
    const QSize pagina = PageMetrics::printerPageTwips();
    m_larghezzaPagina = pagina.width();
    m_altezzaPagina = pagina.height();
    m_picture2->setSize(m_larghezzaPagina, m_altezzaPagina);
    m_vista.setPagina(m_larghezzaPagina, m_altezzaPagina);
    applicaGeometria();
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
    const QSize pagina = PageMetrics::pageTwips(layout);
    if (pagina == QSize(m_larghezzaPagina, m_altezzaPagina))
        return;
    m_larghezzaPagina = pagina.width();
    m_altezzaPagina = pagina.height();
    m_picture2->setSize(m_larghezzaPagina, m_altezzaPagina);
    m_vista.setPagina(m_larghezzaPagina, m_altezzaPagina);
    applicaGeometria();
}

// --- Window events ----------------------------------------------------------------

bool FrmAnteprima::event(QEvent *e)
{
    // An activation that arrives after the window closed does not load it
    // again (that would also forget the error it showed).
    if (e->type() == QEvent::WindowActivate && isVisible()) {
        ensureLoaded();
        AggiornaNumeroPagina();
        if (m_daInizializzare)
            InizializzaAnteprima();
    }
    return QDialog::event(e);
}

void FrmAnteprima::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    disponi();
}

void FrmAnteprima::disponi()
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const double w = width() * tx;
    const double h = height() * ty;
    const double vsWidth = VScroll1->sizeHint().width() * tx;
    const double hsHeight = HScroll1->sizeHint().height() * ty;

    // The find bar, when open, lies between the toolbar and the page; the
    // thumbnail pane, when shown, takes the left of the page area under it.
    const int findHeight = m_find->isHidden() ? 0 : m_find->sizeHint().height();
    if (findHeight > 0)
        m_find->setGeometry(0, px(Picture1Top, ty), width(), findHeight);
    const double top = Picture1Top + findHeight * ty;
    const int sinistra = m_miniature && !m_miniature->isHidden() ? m_miniature->larghezzaPreferita() : 0;
    const double vpWidth = std::max(0.0, w - vsWidth - sinistra * tx);
    const double vpHeight = std::max(0.0, h - top - hsHeight);
    Picture1->setGeometry(sinistra, px(Picture1Top, ty) + findHeight, px(vpWidth, tx), px(vpHeight, ty));
    VScroll1->setGeometry(Picture1->geometry().right() + 1, Picture1->y(), px(vsWidth, tx), Picture1->height());
    HScroll1->setGeometry(sinistra, Picture1->geometry().bottom() + 1, Picture1->width(), px(hsHeight, ty));
    if (sinistra > 0)
        m_miniature->setGeometry(0, Picture1->y(), sinistra, std::max(0, height() - Picture1->y()));
    // The continuous view has scroll bars of its own, where the page's are.
    if (m_continua)
        m_continua->setGeometry(Picture1->x(), Picture1->y(), Picture1->width() + VScroll1->width(),
                                Picture1->height() + HScroll1->height());

    // A fitted zoom follows the window while it is loaded. With the page's
    // shadow the page has a margin on every side of the viewport.
    const bool adattata = m_vista.setViewport(std::max(0.0, vpWidth - 2 * m_margine * tx),
                                              std::max(0.0, vpHeight - 2 * m_margine * ty), m_loaded);
    applicaGeometria();
    if (adattata) {
        AggiornaScroll();
        aggiornaCaption();
    }

    if (!fraErrore->isHidden()) {
        const int larghezza = Picture1->width();
        const int altezza =
            fraErrore->hasHeightForWidth() ? fraErrore->heightForWidth(larghezza) : fraErrore->sizeHint().height();
        fraErrore->setGeometry(Picture1->x(), Picture1->y(), larghezza, std::min(altezza, Picture1->height()));
        fraErrore->raise();
    }

    m_barra->disponi(width(), px(Picture1Top, ty));
    programmaAnticipo();
}

bool FrmAnteprima::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Image1) {
        GeometriaPagina &geom = m_vista.geometria();
        const double tx = platform::twipsPerPixelX();
        const double ty = platform::twipsPerPixelY();
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                Image1->setCursor(ChiusaImage);
                geom.inizioTrascinamento(me->position().x() * tx, me->position().y() * ty);
            }
            break;
        }
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (geom.trascinamento()) {
                geom.trascina(me->position().x() * tx, me->position().y() * ty);
                applicaGeometria();
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                Image1->setCursor(ApertaImage);
                geom.fineTrascinamento();
            } else if (me->button() == Qt::RightButton) {
                mnfile->popup(me->globalPosition().toPoint());
            }
            break;
        }
        default: break;
        }
    } else if (watched == HScroll1 || watched == VScroll1) {
        // The scroll bars never keep the keyboard focus: a click on one
        // leaves (or puts) it on the viewport.
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)
            Picture1->setFocus(Qt::OtherFocusReason);
    }
    return QDialog::eventFilter(watched, e);
}

/// A command of the toolbar, the menu or the keys; \a suono: beep when it
/// is at its limit. The page commands show the busy pointer.
void FrmAnteprima::comando(PreviewCommand c, bool suono)
{
    using C = PreviewCommand;
    using Zoom = PageView::Zoom;
    const auto pagina = [&](ViewerModel::PageCommand passo) {
        CursoreOccupato busy;
        dopoNavigazione(m_model.go(passo), suono);
    };
    using P = ViewerModel::PageCommand;
    switch (c) {
    case C::Riduci: return applicaZoom(Zoom::Riduci, suono);
    case C::Ingrandisci: return applicaZoom(Zoom::Ingrandisci, suono);
    case C::DimensioneReale: return applicaZoom(Zoom::DimensioneReale, suono);
    case C::AdattaPagina: return applicaZoom(Zoom::AdattaPagina, suono);
    case C::AdattaLarghezza: return applicaZoom(Zoom::AdattaLarghezza, suono);
    case C::Aggiorna:
        AggiornaNumeroPagina();
        if (continuaAttiva()) {
            m_continua->ricarica();
            mostraErrore(QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte")
                             .arg(m_model.currentPage() + 1),
                         m_continua->errore(m_model.currentPage()));
            return;
        }
        MostraPagina();
        return;
    case C::Stampa: StampaDocumento(); return;
    case C::PrimaPagina: return pagina(P::First);
    case C::PaginaPrecedente: return pagina(P::Previous);
    case C::PaginaSuccessiva: attendiPagina(qint64(m_model.currentPage()) + 2); return pagina(P::Next);
    case C::UltimaPagina: attendiPagina(std::numeric_limits<qint64>::max()); return pagina(P::Last);
    case C::Chiudi: return Chiudi();
    case C::VistaContinua: return attivaContinua(!continuaAttiva());
    case C::Miniature: return mostraMiniature(m_miniature->isHidden());
    }
}

// --- Page display -------------------------------------------------------------------

void FrmAnteprima::InizializzaAnteprima()
{
    // A page 1 that cannot be read in full is shown as far as it was drawn,
    // with the error; the page index is still built, so the other pages can
    // be reached.
    std::exception_ptr errore;
    try {
        ensureLoaded();
        m_model.setIndex(nullptr);
        m_model.setCurrentPage(0);
        m_paginaMostrata = 0;
        m_inizioMostrato = 1;
        m_erroreMostrato = nullptr;
        try {
            dimensionaPagina(1);
            LetturaDati::DisegnaPagina(*m_picture2, FileTemporaneo(), LetturaDati::PageSpec::page(1));
        } catch (...) {
            errore = std::current_exception();
            m_erroreMostrato = errore;
        }
        DimensioneReale();
        if (!FileTemporaneo().isEmpty()) {
            {
                CursoreOccupato busy;
                const int32_t totali = m_model.pageCount();
                const QString source = QStringLiteral("FrmAnteprima");
                // The document's growing index, held against the page count
                // the window shows, or counting the pages; a long document
                // has page 1 on show while the rest comes in the background.
                // The scan is a kind of job of the window's one worker.
                if (m_model.countFromIndex()) {
                    m_model.setIndex(m_model.document()->pageIndexer(source, std::nullopt, m_worker.runner()));
                } else if (totali >= 2) {
                    m_model.setIndex(m_model.document()->pageIndexer(source, totali, m_worker.runner()));
                } else {
                    // Opened without blocking: a FIFO in the file's place is
                    // refused (error 75), never waited on.
                    QFile file(FileTemporaneo());
                    try {
                        spool::openForReading(file, source);
                    } catch (const Error &e) {
                        if (e.number() != ErrFileNotFound)
                            throw;
                        throw Error(ErrFileNotFound, source,
                                    QCoreApplication::translate("qv::FrmAnteprima", "File non trovato: %1")
                                        .arg(FileTemporaneo()));
                    }
                }
            }
            AggiornaNumeroPagina();
            m_daInizializzare = false;
        }
    } catch (...) {
        // What is shown stays, and the next activation tries again.
        if (!errore)
            errore = std::current_exception();
    }
    // The window as the host asked for it, or as the user left it: once the
    // page and its index are there, so that a remembered view can show them.
    if (m_loaded) {
        try {
            applicaApertura();
        } catch (...) {
            // The window opens as it always has.
        }
    }
    mostraErrore(QCoreApplication::translate("qv::FrmAnteprima", "Pagina 1 mostrata solo in parte"), errore);
}

void FrmAnteprima::MostraPagina()
{
    ensureLoaded();
    const int32_t pagina = m_model.currentPage();
    const qint64 inizio = inizioPagina(pagina);
    // A redraw of the page on show reads it again; another page may have
    // been made ahead, for the page size and zoom of now.
    const bool altra = pagina != m_paginaMostrata;
    if (altra)
        lasciaPagina();
    dimensionaPagina(inizio);
    m_anticipo->setView(vistaAnticipo());
    std::exception_ptr errore;
    if (std::optional<PreparedPage> pronta = inizio > 0 && altra ? m_anticipo->take(pagina, inizio) : std::nullopt) {
        // Made ahead while the user read the last page.
        m_picture2->adopt(std::move(pronta->drawing), pronta->memoryUsed);
        errore = pronta->error;
        if (!pronta->raster.isNull())
            m_rasterPronto = std::move(pronta->raster);
    } else {
        try {
            LetturaDati::DisegnaPagina(Picture2(), FileTemporaneo(),
                                       inizio > 0 ? LetturaDati::PageSpec::at(inizio)
                                                  : LetturaDati::PageSpec::page(int32_t(pagina) + 1));
        } catch (...) {
            // A page that cannot be replayed completely (a picture file gone, a
            // record cut short) is shown as far as it was drawn, with the error;
            // the window stays.
            errore = std::current_exception();
        }
    }
    m_paginaMostrata = pagina;
    m_inizioMostrato = inizio;
    m_erroreMostrato = errore;
    AggiornaScroll();
    mostraErrore(
        QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte").arg(int32_t(pagina) + 1),
        errore);
}

/// Shows \a errore in the bar over the page, after \a dove (what it
/// affected), and keeps the first one; no error hides the bar.
void FrmAnteprima::mostraErrore(const QString &dove, std::exception_ptr errore)
{
    if (!errore) {
        fraErrore->hide();
        return;
    }
    const Error e = erroreDi(errore);
    if (!m_primoErrore)
        m_primoErrore = e;
    lblErrore->setText(dove + QStringLiteral(": ") + e.description());
    fraErrore->show();
    disponi();
}

void FrmAnteprima::AggiornaScroll()
{
    ensureLoaded();
    // No centring here: a redraw after a drag leaves the page where the drag
    // put it (centring would put it back on the scroll bars' 10-twip grid).
    // The zoom commands centre before they come here, so the 256-colour
    // raster is made for the area that will be visible.
    m_vista.geometria().aggiornaMassimi();
    applicaGeometria();
    if (continuaAttiva()) {
        aggiornaContinua();
        return;
    }
    const FrozenPage pagina = m_picture2->Picture();
    Image1->clearPicture();
    Image1->setHighlight(m_find->results()->highlightFor(m_model.currentPage() + 1));
    if (m_model.bestQuality()) {
        m_immagineConvertita = false;
        Image1->setConvertitore({});
        Image1->setPicture(pagina);
        if (m_rasterPronto)
            Image1->adoptRaster(std::move(*m_rasterPronto));
    } else {
        Image1->setConvertitore([this](const QImage &raster) { return convertiA256(raster); });
        Image1->setPicture(pagina);
        m_immagineConvertita = Image1->prepara();
    }
    m_rasterPronto.reset();
    programmaAnticipo();
}

QImage FrmAnteprima::convertiA256(const QImage &raster)
{
    // The 256-colour bitmap file holds the rasterised part of the page at the
    // resolution it is shown with (the visible area and a margin, at most
    // ImmaginePagina::PixelMassimi pixels), not the whole page at 100 %: it
    // stays as sharp as the full-colour display and costs the same whatever
    // the zoom.
    // The loaded bitmap is expanded once here, not at every paint.
    QImage caricata;
    if (ModuloConversione::SalvaBitmap256(raster, m_fileImmagine) && CaricaImmagine(caricata))
        return ModuloConversione::ImmagineRGB32(caricata);
    return QImage();
}

bool FrmAnteprima::CaricaImmagine(QImage &immagine)
{
    QImage loaded;
    // The file is always our own bitmap: no format probing.
    if (m_fileImmagine.isEmpty() || !loaded.load(m_fileImmagine, "BMP"))
        return false;
    immagine = std::move(loaded);
    return true;
}

void FrmAnteprima::CentraImmagine()
{
    m_vista.geometria().centra();
    applicaGeometria();
}

void FrmAnteprima::SincronizzaScroll()
{
    m_vista.geometria().sincronizzaScroll();
    applicaGeometria();
}

void FrmAnteprima::applicaGeometria()
{
    if (!Image1)
        return;
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const GeometriaPagina &geom = m_vista.geometria();
    const QRectF r = geom.immagine();
    const QRect geometry(px(r.left(), tx) + m_margine, px(r.top(), ty) + m_margine, std::max(1, px(r.width(), tx)),
                         std::max(1, px(r.height(), ty)));
    if (Image1->geometry() != geometry) {
        Image1->setGeometry(geometry);
        // The shadow around the page moves with it.
        if (m_margine)
            Picture1->update();
    }
    m_applicando = true;
    const StatoScroll &h = geom.scrollH();
    const StatoScroll &v = geom.scrollV();
    HScroll1->setRange(0, h.massimo);
    HScroll1->setValue(h.valore);
    HScroll1->setEnabled(h.abilitato);
    HScroll1->setPageStep(std::max(1, int(geom.viewport().width() / GeometriaPagina::TwipsPerUnita)));
    VScroll1->setRange(0, v.massimo);
    VScroll1->setValue(v.valore);
    VScroll1->setEnabled(v.abilitato);
    VScroll1->setPageStep(std::max(1, int(geom.viewport().height() / GeometriaPagina::TwipsPerUnita)));
    m_applicando = false;
}

// --- Zoom ----------------------------------------------------------------------------

void FrmAnteprima::DimensioneReale()
{
    applicaZoom(PageView::Zoom::DimensioneReale);
}

// One zoom step: \a zoom changes the size of the page (not at a limit, which
// beeps when \a suono); the picture, caption and centring follow, with
// repaints held back so the page is drawn once at its new size.
void FrmAnteprima::applicaZoom(PageView::Zoom zoom, bool suono)
{
    cambiaZoom([&] { return m_vista.zoom(zoom); }, suono);
}

void FrmAnteprima::cambiaZoom(const std::function<bool()> &passo, bool suono)
{
    ensureLoaded();
    Picture1->setUpdatesEnabled(false);
    if (passo())
        AggiornaScroll();
    else if (suono)
        platform::beep();
    aggiornaCaption();
    CentraImmagine();
    Picture1->setUpdatesEnabled(true);
}

bool FrmAnteprima::setZoom(double factor)
{
    bool fatto = false;
    cambiaZoom([&] { return fatto = m_vista.zoomA(factor); }, true);
    return fatto;
}

/// Ctrl and the wheel: the point of the page under the pointer stays under
/// it; over the toolbar or the scroll bars the zoom is about the middle of
/// the page's view.
void FrmAnteprima::zoomRotella(bool ingrandisci, QPointF globale)
{
    const PageView::Zoom zoom = ingrandisci ? PageView::Zoom::Ingrandisci : PageView::Zoom::Riduci;
    if (continuaAttiva()) {
        zoomContinuaAttorno(zoom, globale);
        return;
    }
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    QPointF locale = Picture1->mapFromGlobal(globale);
    if (!Picture1->rect().contains(locale.toPoint()))
        locale = QRectF(Picture1->rect()).center();
    const QPointF punto((locale.x() - m_margine) * tx, (locale.y() - m_margine) * ty);
    cambiaZoom([&] { return m_vista.zoomAttorno(zoom, punto); }, false);
}

/// The same in the continuous view: the page under the pointer (or the
/// nearest one) keeps the point under it, as far as the view scrolls.
void FrmAnteprima::zoomContinuaAttorno(PageView::Zoom zoom, QPointF globale)
{
    QWidget *viewport = m_continua->viewport();
    QPointF locale = viewport->mapFromGlobal(globale);
    if (!viewport->rect().contains(locale.toPoint()))
        locale = QRectF(viewport->rect()).center();
    // Of the pages around the current one, the one whose band holds the point.
    const int32_t corrente = m_continua->paginaCorrente();
    int32_t pagina = corrente;
    for (int32_t p = std::max(0, corrente - 2); p <= corrente + 2 && p < m_continua->pagineTotali(); ++p) {
        const QRect r = m_continua->rettangoloPagina(p);
        if (locale.y() >= r.top() - ContinuousView::Spazio && locale.y() <= r.bottom() + ContinuousView::Spazio)
            pagina = p;
    }
    const QRect prima = m_continua->rettangoloPagina(pagina);
    if (prima.isEmpty())
        return applicaZoom(zoom, false);
    const double fx = (locale.x() - prima.left()) / prima.width();
    const double fy = (locale.y() - prima.top()) / prima.height();
    applicaZoom(zoom, false);
    const QRect dopo = m_continua->rettangoloPagina(pagina);
    m_continua->scorri(int(std::lround(dopo.top() + fy * dopo.height() - locale.y())));
    m_continua->scorriOrizzontale(int(std::lround(dopo.left() + fx * dopo.width() - locale.x())));
}

void FrmAnteprima::mostraZoom()
{
    if (m_zoomBox)
        m_zoomBox->mostra(m_vista.geometria().zoom(), m_vista.geometria().passi());
}

void FrmAnteprima::aggiornaCaption()
{
    // The control's default title is the design caption, in the user's language.
    const QString titolo = m_titolo == QLatin1String(CaptionIniziale)
                               ? QCoreApplication::translate("qv::FrmAnteprima", CaptionIniziale)
                               : m_titolo;
    setWindowTitle(titolo + QStringLiteral("    ") + QString::number(m_vista.geometria().percentuale())
                   + QLatin1Char('%'));
    m_model.setZoom(m_vista.geometria().zoom());
    mostraZoom();
}

// --- Navigation -------------------------------------------------------------------------

void FrmAnteprima::dopoNavigazione(ViewerModel::Step esito, bool suono)
{
    if (esito == ViewerModel::Step::AtLimit) {
        if (suono)
            platform::beep();
        return;
    }
    AggiornaNumeroPagina();
    // The continuous view follows the model's page by itself.
    if (esito == ViewerModel::Step::Changed && !continuaAttiva())
        MostraPagina();
}

/// The page number typed into the page indicator: Enter goes there; a number
/// outside the document beeps. The indicator then shows the page on show and
/// the page gets the keys again.
void FrmAnteprima::VaiAPagina()
{
    static const QRegularExpression numero(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch m = numero.match(Text1->text());
    bool ok = false;
    const qlonglong pagina = m.hasMatch() ? m.captured(1).toLongLong(&ok) : 0;
    {
        CursoreOccupato busy;
        if (ok)
            attendiPagina(pagina);
        dopoNavigazione(m_model.goTo(ok ? pagina : -1));
    }
    AggiornaNumeroPagina();
    Picture1->setFocus(Qt::OtherFocusReason);
}

void FrmAnteprima::AggiornaNumeroPagina()
{
    m_barra->mostraPagina(m_model);
}

// --- Keys and wheel ---------------------------------------------------------------------

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

void FrmAnteprima::scorriVerticale(double twips, bool cambiaPagina, bool suono)
{
    if (continuaAttiva()) {
        // Through page boundaries; only the document's ends stop it.
        const int pixel = int(std::lround(twips / platform::twipsPerPixelY()));
        if (!m_continua->scorri(pixel == 0 ? (twips < 0 ? -1 : 1) : pixel) && cambiaPagina && suono)
            platform::beep();
        return;
    }
    if (m_vista.scorriVerticale(twips))
        applicaGeometria();
    else if (cambiaPagina)
        paginaAccanto(twips > 0, suono);
}

std::optional<double> FrmAnteprima::screenHeight() const
{
    // The continuous view scrolls by its own height, scroll bars and all.
    if (continuaAttiva())
        return m_continua->viewport()->height() * platform::twipsPerPixelY();
    return std::nullopt;
}

void FrmAnteprima::scorriOrizzontale(double twips)
{
    if (continuaAttiva()) {
        m_continua->scorriOrizzontale(int(std::lround(twips / platform::twipsPerPixelX())));
        return;
    }
    m_vista.scorriOrizzontale(twips);
    applicaGeometria();
}

/// The next page shown from its top, or the previous one from its bottom, as
/// a reader scrolling through the document expects; at the first or last
/// page nothing changes (a beep when \a suono).
void FrmAnteprima::paginaAccanto(bool avanti, bool suono)
{
    CursoreOccupato busy;
    if (avanti)
        attendiPagina(qint64(m_model.currentPage()) + 2);
    const ViewerModel::Step esito =
        m_model.go(avanti ? ViewerModel::PageCommand::Next : ViewerModel::PageCommand::Previous);
    dopoNavigazione(esito, suono);
    if (esito == ViewerModel::Step::Changed && !continuaAttiva() && m_vista.mostraDa(avanti))
        applicaGeometria();
}

// --- Continuous view and thumbnails -------------------------------------------------------

/// The continuous view, fed by replays onto a page surface of its own (the
/// page surface Picture2 keeps the single page), and the thumbnail pane.
/// Both are hidden until the user asks for them.
void FrmAnteprima::creaVisteDocumento()
{
    m_continua = new ContinuousView(m_model, this);
    m_continua->hide();
    m_continua->setCursori(ApertaImage, ChiusaImage);
    auto superficie = std::make_shared<PageSurface>();
    m_continua->setSorgente([this, superficie](int32_t pagina, std::exception_ptr &errore) {
        if (superficie->Width() != m_larghezzaPagina || superficie->Height() != m_altezzaPagina)
            superficie->setSize(m_larghezzaPagina, m_altezzaPagina);
        try {
            LetturaDati::DisegnaPagina(*superficie, FileTemporaneo(), posizioneDi(pagina));
        } catch (...) {
            errore = std::current_exception();
        }
        return superficie->Picture();
    });
    connect(m_continua, &ContinuousView::menuRichiesto, this, [this](QPoint globale) { mnfile->popup(globale); });
    // The matches of a find are lit on every page in view.
    m_continua->setEvidenziazione([this](int32_t pagina) { return m_find->results()->highlightFor(pagina + 1); });
    connect(m_find->results(), &FindResults::highlightChanged, m_continua, [this] {
        if (continuaAttiva())
            m_continua->aggiornaEvidenziazioni();
    });
    connect(m_find, &FindBar::visibilityChanged, m_continua, [this](bool visible) {
        if (!visible && continuaAttiva())
            m_continua->setFocus(Qt::OtherFocusReason);
    });
    connect(m_continua, &ContinuousView::rotellaZoom, this, [this](const QWheelEvent &e) { m_input.rotella(e); });
    connect(&m_model, &ViewerModel::qualityChanged, m_continua, [this] {
        if (continuaAttiva())
            aggiornaContinua();
    });

    m_miniature = new ThumbnailPane(m_model, m_worker, this);
    m_miniature->hide();
    connect(m_miniature, &ThumbnailPane::paginaScelta, this, [this](int32_t pagina) {
        CursoreOccupato busy;
        dopoNavigazione(m_model.goTo(qint64(pagina) + 1));
    });
}

LetturaDati::PageSpec FrmAnteprima::posizioneDi(int32_t pagina) const
{
    const qint64 inizio = m_model.pageStart(pagina);
    return inizio > 0 ? LetturaDati::PageSpec::at(inizio) : LetturaDati::PageSpec::page(pagina + 1);
}

/// Pages one under another (\a attiva) or one page at a time again, from
/// the page on show.
void FrmAnteprima::attivaContinua(bool attiva)
{
    ensureLoaded();
    m_model.setViewMode(attiva ? ViewerModel::ViewMode::Continuous : ViewerModel::ViewMode::SinglePage);
    m_barra->mostraViste(attiva, !m_miniature->isHidden());
    const int32_t pagina = m_model.currentPage();
    for (QWidget *w :
         {static_cast<QWidget *>(Picture1), static_cast<QWidget *>(HScroll1), static_cast<QWidget *>(VScroll1)})
        w->setVisible(!attiva);
    if (attiva) {
        disponi();
        aggiornaContinua();
        m_continua->show();
        m_continua->vaiAPagina(pagina);
        m_continua->setFocus(Qt::OtherFocusReason);
        mostraErrore(QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte")
                         .arg(int32_t(pagina) + 1),
                     m_continua->errore(pagina));
    } else {
        m_continua->hide();
        m_continua->ricarica(); // hidden, it keeps no page
        disponi();
        MostraPagina();
        Picture1->setFocus(Qt::OtherFocusReason);
    }
    if (!fraErrore->isHidden())
        fraErrore->raise();
}

void FrmAnteprima::mostraMiniature(bool mostra)
{
    ensureLoaded();
    if (mostra) {
        m_miniature->setDocumento(FileTemporaneo(), QSize(m_larghezzaPagina, m_altezzaPagina),
                                  [this](int32_t pagina) { return posizioneDi(pagina); });
    }
    m_miniature->setVisible(mostra);
    m_barra->mostraViste(continuaAttiva(), mostra);
    disponi();
    if (mostra)
        m_miniature->setPaginaCorrente(m_model.currentPage());
}

void FrmAnteprima::aggiornaContinua()
{
    const QRectF r = m_vista.geometria().immagine();
    m_continua->setDimensionePagina(QSize(std::max(1, px(r.width(), platform::twipsPerPixelX())),
                                          std::max(1, px(r.height(), platform::twipsPerPixelY()))));
    if (m_model.bestQuality())
        m_continua->setConvertitore({});
    else
        m_continua->setConvertitore([this](const QImage &raster) { return convertiA256(raster); });
}

// --- Printing ------------------------------------------------------------------------------

QString FrmAnteprima::testoStampatoInPdf(const QString &file)
{
    return QCoreApplication::translate("qv::FrmAnteprima", "Il documento è stato stampato nel file PDF:\n%1")
        .arg(QDir::toNativeSeparators(file));
}

void FrmAnteprima::StampaDocumento()
{
    PrintRequest request;
    request.parent = this;
    request.pages = m_model.pageCount();
    // While the index is built the command waits for it: never a part printed.
    request.index = m_model.index();
    request.pagesFromIndex = m_model.countFromIndex();
    request.currentPage = m_model.currentPage() + 1;
    request.title = m_titolo;
    request.source = QStringLiteral("FrmAnteprima");
    request.showProgress = true;
    const PrintOutcome outcome = printDocument(m_model.document(), request);
    if (m_printListener)
        m_printListener(outcome);
    switch (outcome.result) {
    case PrintOutcome::Result::Printed:
        // A PDF lands in a folder the user did not choose: say where.
        if (!outcome.pdfFile.isEmpty())
            platform::messageBox(this, testoStampatoInPdf(outcome.pdfFile),
                                 QCoreApplication::translate("qv::FrmAnteprima", "Stampa"),
                                 platform::MessageIcon::Information);
        break;
    case PrintOutcome::Result::NoPrinter:
        platform::messageBox(this, outcome.error->description(),
                             QCoreApplication::translate("qv::FrmAnteprima", "Stampa"),
                             platform::MessageIcon::Information);
        break;
    case PrintOutcome::Result::Failed:
        platform::messageBox(this, outcome.error->description(), QString(), platform::MessageIcon::None);
        break;
    case PrintOutcome::Result::Empty:
        platform::messageBox(this, QCoreApplication::translate("qv::MotoreStampa", "Nessun documento da stampare"),
                             QString(), platform::MessageIcon::None);
        break;
    case PrintOutcome::Result::Cancelled:
    case PrintOutcome::Result::NoCopies: break;
    }
}

// --- The page index in the background, the pages made ahead -----------------------------

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

/// The page index is complete: an error that stopped it is shown, and the
/// pages beside the one on show can be made ahead.
void FrmAnteprima::indexFinished()
{
    spool::PageIndexer *index = m_model.index();
    if (!index)
        return;
    if (index->exceededPageCount()) {
        // More page breaks than pages: as when the index is built at once,
        // the pages are found by counting, and the next activation tries again.
        m_daInizializzare = true;
    }
    if (m_model.countFromIndex() && !Text1->hasFocus())
        AggiornaNumeroPagina(); // the page buttons as the whole count says
    if (const std::optional<Error> errore = index->error())
        mostraErrore(QCoreApplication::translate("qv::FrmAnteprima", "Indice delle pagine incompleto"),
                     std::make_exception_ptr(*errore));
    programmaAnticipo();
}

/// The stored start of page \a pagina (0-based), waiting under the busy
/// pointer for the background scan to reach it; 0 when it is not known (the
/// page is then found by counting).
qint64 FrmAnteprima::inizioPagina(int32_t pagina)
{
    if (pagina > 0 && m_model.pageStart(pagina) == 0 && !m_model.indexComplete()) {
        CursoreOccupato busy;
        return m_model.waitForStart(pagina);
    }
    return m_model.pageStart(pagina);
}

/// While the page count follows the index: waits, under the busy pointer,
/// until page \a numero (1-based) is indexed or the index is complete.
void FrmAnteprima::attendiPagina(qint64 numero)
{
    if (!m_model.countFromIndex() || m_model.indexComplete() || numero <= m_model.pageCount())
        return;
    CursoreOccupato busy;
    m_model.waitForPageNumber(numero);
}

/// The page on show goes into the cache of pages made ahead, so that coming
/// back to it shows it at once.
void FrmAnteprima::lasciaPagina()
{
    if (m_paginaMostrata < 0 || m_inizioMostrato <= 0 || !Image1->Picture())
        return;
    PreparedPage lasciata;
    lasciata.page = m_paginaMostrata;
    lasciata.start = m_inizioMostrato;
    lasciata.drawing = Image1->Picture();
    lasciata.memoryUsed = m_picture2 ? m_picture2->memoryUsed() : 0;
    lasciata.error = m_erroreMostrato;
    if (!Image1->modo256() && !Image1->raster().isNull())
        lasciata.raster =
            PageRaster{Image1->Picture(), Image1->raster(), Image1->areaRaster(), Image1->size(), Image1->rasterDpr()};
    m_anticipo->keep(std::move(lasciata));
}

/// Asks for the pages next to the one on show once the window has settled
/// (a page change, a zoom or a resize comes to several calls).
void FrmAnteprima::programmaAnticipo()
{
    if (m_anticipoProgrammato || !m_loaded || !m_anticipo)
        return;
    m_anticipoProgrammato = true;
    QTimer::singleShot(0, this, [this] {
        m_anticipoProgrammato = false;
        anticipa();
    });
}

/// What the pages made ahead are made for now: the file, the page size,
/// the replay's budget and, in full colour, the page widget's size, pixel
/// ratio and the area on show (the whole page when it is rasterised whole,
/// so that scrolling does not make it stale).
RenderAhead::View FrmAnteprima::vistaAnticipo() const
{
    RenderAhead::View view;
    view.file = FileTemporaneo();
    view.pageTwips = QSize(m_larghezzaPagina, m_altezzaPagina);
    view.memoryBudget = m_picture2->memoryBudget();
    view.raster = m_model.bestQuality();
    if (view.raster) {
        view.widgetSize = Image1->size();
        view.dpr = Image1->rasterDpr();
        const qint64 pixel = qint64(std::ceil(view.widgetSize.width() * view.dpr))
                             * qint64(std::ceil(view.widgetSize.height() * view.dpr));
        view.area =
            pixel <= RenderAhead::WholePagePixels ? QRect(QPoint(0, 0), view.widgetSize) : Image1->areaDaPreparare();
    }
    return view;
}

void FrmAnteprima::anticipa()
{
    if (!m_loaded || FileTemporaneo().isEmpty() || m_daInizializzare)
        return;
    m_anticipo->setView(vistaAnticipo());
    const int32_t pagina = m_model.currentPage();
    QList<QPair<int32_t, qint64>> vicine;
    for (const int32_t vicina : {pagina + 1, pagina - 1})
        if (vicina >= 0 && vicina < m_model.pageCount())
            vicine.append({vicina, m_model.pageStart(vicina)});
    m_anticipo->want(vicine);
}

} // namespace qv

namespace qv {

// --- Opening and remembering ----------------------------------------------------------------

void FrmAnteprima::applicaApertura()
{
    if (m_aperturaFatta)
        return;
    m_aperturaFatta = true;
    const PreviewWindowOptions &o = m_windowOptions;
    PageShadow *ombra = Image1->findChild<PageShadow *>();
    if (o.pageShadow && !ombra) {
        m_margine = PageShadow::Margine;
        new PageShadow(Image1);
    } else if (!o.pageShadow && ombra) {
        m_margine = 0;
        delete ombra;
    }
    if (o == PreviewWindowOptions())
        return; // the window as it has always opened
    const std::optional<RememberedWindow> ricordo = o.remember ? RememberedWindow::leggi() : std::nullopt;

    // The size: remembered, else the host's, within the screen's free area.
    QScreen *schermo = QGuiApplication::primaryScreen();
    const QRect libero = schermo ? schermo->availableGeometry() : QRect(0, 0, 1280, 1024);
    if (ricordo && ricordo->geometria.isValid()) {
        QRect g = ricordo->geometria;
        g.setSize(g.size().boundedTo(libero.size()));
        // A window remembered on a screen that is gone comes back onto this one.
        if (!libero.intersects(g))
            g.moveTopLeft(libero.topLeft());
        setGeometry(g);
    } else if (o.size.isValid() && !o.size.isEmpty()) {
        QRect g(QPoint(), o.size.boundedTo(libero.size()));
        g.moveCenter(libero.center());
        setGeometry(g);
    }
    if (ricordo ? ricordo->massimizzata : o.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    disponi();

    // The zoom: remembered, else the host's fitting.
    if (ricordo) {
        switch (ricordo->adattamento) {
        case PageView::Adattamento::Pagina: applicaZoom(PageView::Zoom::AdattaPagina, false); break;
        case PageView::Adattamento::Larghezza: applicaZoom(PageView::Zoom::AdattaLarghezza, false); break;
        case PageView::Adattamento::Nessuno: cambiaZoom([&] { return m_vista.zoomA(ricordo->zoom); }, false); break;
        }
        if (ricordo->vista == int(ViewerModel::ViewMode::Continuous))
            attivaContinua(true);
    } else if (o.fit == PreviewWindowOptions::FitPage) {
        applicaZoom(PageView::Zoom::AdattaPagina, false);
    } else if (o.fit == PreviewWindowOptions::FitWidth) {
        applicaZoom(PageView::Zoom::AdattaLarghezza, false);
    }
}

void FrmAnteprima::ricordaFinestra()
{
    RememberedWindow r;
    r.geometria = normalGeometry();
    r.massimizzata = isMaximized();
    r.adattamento = m_vista.adattamento();
    r.zoom = m_vista.geometria().zoom();
    r.vista = int(m_model.viewMode());
    // A window that cannot store its state still closes.
    r.scrivi();
}

} // namespace qv
