// qvPreview - print preview for Qt applications.
#include "preview/FrmAnteprima.h"

#include "imaging/ModuloConversione.h"
#include "platform/CursoreOccupato.h"
#include "platform/Platform.h"
#include "preview/BarraScorrimento.h"
#include "preview/FrmOpzioni.h"
#include "preview/ImmaginePagina.h"
#include "preview/IndicePagine.h"
#include "replay/LetturaDati.h"
#include "replay/MotoreStampa.h"
#include "replay/Win.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
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

#include <cmath>
#include <functional>
#include <exception>

namespace qv {

namespace {

// Design geometry, in twips.
constexpr double ClientWidth = 8715;
constexpr double ClientHeight = 5940;
constexpr double Picture1Top = 600;
constexpr double Text1Width = 1100;
constexpr double ChkLeft = 6030, ChkTop = 0, ChkWidth = 1950, ChkHeight = 420;

const QString CaptionIniziale = QStringLiteral("Anteprima di Stampa");

// One line of scrolling (an arrow key, a click on a scroll bar's arrow), in
// twips; a wheel notch scrolls the system's number of lines.
constexpr double RigaTwips = 300;
// One notch of a mouse wheel, in eighths of a degree.
constexpr int Scatto = 120;

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

FrmAnteprima::FrmAnteprima(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(CaptionIniziale);
    setSizeGripEnabled(false);
    creaControlli();
}

FrmAnteprima::~FrmAnteprima()
{
    // The page field outlives this part of the window: losing the focus as
    // it goes, it would call back into a window already destroyed.
    Text1->disconnect(this);
    unload();
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
    creaMenu();
    creaBarraErrore();

    // Esc closes the window whichever of its controls has the focus.
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] { Chiudi(); });

    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    disponi();
}

/// The toolbar with its buttons and the page indicator Text1, the quality
/// check box over its right end and the maker's address.
void FrmAnteprima::creaBarraStrumenti()
{
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    auto addButton = [this](const QString &key, const QString &tooltip) {
        QAction *action = Toolbar1->addAction(QIcon(QStringLiteral(":/qvpreview/icons/%1.svg").arg(key)), tooltip);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(tooltip);
        return action;
    };
    addButton(QStringLiteral("riduci"), QStringLiteral("Riduci"));
    addButton(QStringLiteral("ingrandisci"), QStringLiteral("Ingradisci"));
    addButton(QStringLiteral("reale"), QStringLiteral("Dimensione Reale"));
    Toolbar1->addSeparator();
    addButton(QStringLiteral("stampa"), QStringLiteral("Stampa"));
    Toolbar1->addSeparator();
    addButton(QStringLiteral("prima"), QStringLiteral("Prima Pagina"));
    addButton(QStringLiteral("precedente"), QStringLiteral("Pagina Precedente"));
    // The page indicator " 3/5" also takes a typed page number: Enter goes
    // there, leaving the field shows the indicator again.
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFixedWidth(px(Text1Width, tx));
    Text1->setToolTip(QStringLiteral("Numero di pagina: scrivere un numero e premere Invio"));
    Text1->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\s*\\d{0,10}\\s*(/\\s*\\d{0,10}\\s*)?")), Text1));
    Text1->installEventFilter(this);
    connect(Text1, &QLineEdit::returnPressed, this, [this] { VaiAPagina(); });
    connect(Text1, &QLineEdit::editingFinished, this, [this] {
        if (!Text1->hasFocus())
            AggiornaNumeroPagina();
    });
    Toolbar1->addWidget(Text1);
    addButton(QStringLiteral("successiva"), QStringLiteral("Pagina Successiva"));
    addButton(QStringLiteral("ultima"), QStringLiteral("Ultima Pagina"));
    Toolbar1->addSeparator();
    addButton(QStringLiteral("esci"), QStringLiteral("Chiudi Anteprima"));
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction *action) { Toolbar1_ButtonClick(action->data().toString()); });

    chkMassima = new QCheckBox(QStringLiteral("Massima qualità"), this);
    chkMassima->setObjectName(QStringLiteral("chkMassima"));
    chkMassima->setGeometry(px(ChkLeft, tx), px(ChkTop, ty), px(ChkWidth, tx), px(ChkHeight, ty));
    connect(chkMassima, &QCheckBox::clicked, this, [this] { AggiornaScroll(); });

    lblsito = new QLabel(IndirizzoSito(), this);
    lblsito->setObjectName(QStringLiteral("lblsito"));
    lblsito->setStyleSheet(QStringLiteral("color: blue;"));
    lblsito->setCursor(Qt::PointingHandCursor);
    lblsito->adjustSize();
    lblsito->installEventFilter(this);
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
        m_geom.setValoreH(v);
        applicaGeometria();
    });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        if (m_applicando)
            return;
        m_geom.setValoreV(v);
        applicaGeometria();
    });
}

/// The pop-up menu of the page.
void FrmAnteprima::creaMenu()
{
    mnfile = new QMenu(QStringLiteral("&File"), this);
    mnfile->setObjectName(QStringLiteral("mnfile"));
    auto addItem = [this](const QString &name, const QString &text, auto slot) {
        QAction *action = mnfile->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    addItem(QStringLiteral("mnriduci"), QStringLiteral("&Riduci"), [this] { Riduci(); });
    addItem(QStringLiteral("mningrandisci"), QStringLiteral("&Ingrandisci"), [this] { Ingrandisci(); });
    addItem(QStringLiteral("mn100"), QStringLiteral("100%"), [this] { DimensioneReale(); });
    addItem(QStringLiteral("mnpagina"), QStringLiteral("Adatta alla &pagina\tF"), [this] { AdattaPagina(); });
    addItem(QStringLiteral("mnlarghezza"), QStringLiteral("Adatta alla &larghezza\tW"), [this] { AdattaLarghezza(); });
    mnfile->addSeparator();
    addItem(QStringLiteral("mnaggiorna"), QStringLiteral("Aggiorna"), [this] {
        AggiornaNumeroPagina();
        MostraPagina();
    });
    mnfile->addSeparator();
    addItem(QStringLiteral("mnstampa"), QStringLiteral("&Stampa"), [this] { StampaDocumento(); });
    mnfile->addSeparator();
    addItem(QStringLiteral("mnchiudi"), QStringLiteral("&Chiudi"), [this] { Chiudi(); });
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
    nascondi->setToolTip(QStringLiteral("Nascondi"));
    nascondi->setAutoRaise(true);
    nascondi->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(nascondi, 0, Qt::AlignTop);
    connect(nascondi, &QToolButton::clicked, fraErrore, &QWidget::hide);
    fraErrore->hide();
}

QAction *FrmAnteprima::pulsante(const QString &key) const
{
    for (QAction *action : Toolbar1->actions())
        if (action->data().toString() == key)
            return action;
    return nullptr;
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
    m_posizioniPagine = QVector<qint64>(1, 0);
    m_daInizializzare = true;
    // A fresh window: its design size at the top-left corner of the screen,
    // the design caption, the page at its first place with both scroll bars
    // at 0, no zoom fitted, no error and no drag from the last showing.
    m_geom = GeometriaPagina();
    m_adatta = Adattamento::Nessuno;
    m_primoErrore.reset();
    m_restoZoom = m_restoPagina = 0;
    fraErrore->hide();
    Image1->setCursor(ApertaImage);
    setWindowState(Qt::WindowNoState);
    setWindowTitle(CaptionIniziale);
    move(0, 0);
    resize(px(ClientWidth, platform::twipsPerPixelX()), px(ClientHeight, platform::twipsPerPixelY()));
    disponi();
    Picture1->setFocus(Qt::OtherFocusReason);
    Aggiorna();
    m_nav.setPaginaVisualizzata(0);
    leggiQualita();
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
    m_picture2.reset();
    m_loaded = false;
}

void FrmAnteprima::done(int result)
{
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
    m_fileTemporaneo = value;
}

void FrmAnteprima::setPagineTotali(int32_t value)
{
    ensureLoaded();
    m_nav.setPagineTotali(value);
    AggiornaNumeroPagina();
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
    m_geom.setPagina(m_larghezzaPagina, m_altezzaPagina);
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

    Toolbar1->setGeometry(0, 0, width(), std::min(px(Picture1Top, ty), Toolbar1->sizeHint().height()));
    chkMassima->raise();

    const double vpWidth = std::max(0.0, w - vsWidth);
    const double vpHeight = std::max(0.0, h - Picture1Top - hsHeight);
    Picture1->setGeometry(0, px(Picture1Top, ty), px(vpWidth, tx), px(vpHeight, ty));
    VScroll1->setGeometry(Picture1->geometry().right() + 1, Picture1->y(), px(vsWidth, tx), Picture1->height());
    HScroll1->setGeometry(0, Picture1->geometry().bottom() + 1, Picture1->width(), px(hsHeight, ty));

    m_geom.setViewport(vpWidth, vpHeight);
    if (m_loaded && m_adatta == Adattamento::Pagina)
        m_geom.adattaPagina();
    else if (m_loaded && m_adatta == Adattamento::Larghezza)
        m_geom.adattaLarghezza();
    m_geom.aggiornaMassimi();
    m_geom.centra();
    applicaGeometria();
    if (m_loaded && m_adatta != Adattamento::Nessuno) {
        AggiornaScroll();
        aggiornaCaption();
    }

    if (!fraErrore->isHidden()) {
        const int larghezza = Picture1->width();
        const int altezza = fraErrore->hasHeightForWidth() ? fraErrore->heightForWidth(larghezza)
                                                           : fraErrore->sizeHint().height();
        fraErrore->setGeometry(Picture1->x(), Picture1->y(), larghezza, std::min(altezza, Picture1->height()));
        fraErrore->raise();
    }

    lblsito->move(px(w - lblsito->width() * tx - 100, tx), px(Picture1Top, ty) - lblsito->height());
    lblsito->raise();
}

bool FrmAnteprima::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Image1) {
        const double tx = platform::twipsPerPixelX();
        const double ty = platform::twipsPerPixelY();
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                Image1->setCursor(ChiusaImage);
                m_geom.inizioTrascinamento(me->position().x() * tx, me->position().y() * ty);
            }
            break;
        }
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (m_geom.trascinamento()) {
                m_geom.trascina(me->position().x() * tx, me->position().y() * ty);
                applicaGeometria();
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() == Qt::LeftButton) {
                Image1->setCursor(ApertaImage);
                m_geom.fineTrascinamento();
            } else if (me->button() == Qt::RightButton) {
                mnfile->popup(me->globalPosition().toPoint());
            }
            break;
        }
        default:
            break;
        }
    } else if (watched == HScroll1 || watched == VScroll1) {
        // The scroll bars never keep the keyboard focus: a click on one
        // leaves (or puts) it on the viewport.
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)
            Picture1->setFocus(Qt::OtherFocusReason);
    } else if (watched == Text1) {
        // The page indicator is selected whole when it gets the focus, so a
        // typed number replaces it (after a click, once the click is done).
        if (e->type() == QEvent::FocusIn) {
            Text1->selectAll();
            if (static_cast<QFocusEvent *>(e)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, Text1, [this] { Text1->selectAll(); });
        }
    } else if (watched == lblsito) {
        if (e->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
            qvUtilita().Homepage(int32_t(winId()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void FrmAnteprima::Toolbar1_ButtonClick(const QString &key)
{
    if (key == QLatin1String("riduci")) {
        Riduci();
    } else if (key == QLatin1String("ingrandisci")) {
        Ingrandisci();
    } else if (key == QLatin1String("reale")) {
        DimensioneReale();
    } else if (key == QLatin1String("stampa")) {
        StampaDocumento();
    } else if (key == QLatin1String("prima")) {
        CursoreOccupato busy;
        PrimaPagina();
    } else if (key == QLatin1String("precedente")) {
        CursoreOccupato busy;
        PaginaPrecedente();
    } else if (key == QLatin1String("successiva")) {
        CursoreOccupato busy;
        PaginaSuccessiva();
    } else if (key == QLatin1String("ultima")) {
        CursoreOccupato busy;
        UltimaPagina();
    } else if (key == QLatin1String("esci")) {
        Chiudi();
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
        m_nav.setPaginaVisualizzata(0);
        try {
            LetturaDati::DisegnaPagina(*m_picture2, m_fileTemporaneo, 1, QVariant(false), 0);
        } catch (...) {
            errore = std::current_exception();
        }
        DimensioneReale();
        const int32_t totali = m_nav.pagineTotali();
        m_posizioniPagine = QVector<qint64>(std::max<int32_t>(totali, 0) + 1, 0);
        m_posizioniPagine[0] = 1;
        if (!m_fileTemporaneo.isEmpty()) {
            {
                CursoreOccupato busy;
                if (totali >= 2) {
                    m_posizioniPagine = IndicePagine::Costruisci(m_fileTemporaneo, totali);
                } else {
                    QFile file(m_fileTemporaneo);
                    if (!file.open(QIODevice::ReadOnly))
                        throw Error(ErrFileNotFound, QStringLiteral("FrmAnteprima"),
                                    QStringLiteral("File non trovato: %1").arg(m_fileTemporaneo));
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
    mostraErrore(QStringLiteral("Pagina 1 mostrata solo in parte"), errore);
}

void FrmAnteprima::MostraPagina()
{
    const int16_t pagina = m_nav.paginaVisualizzata();
    const qint64 inizio = pagina >= 0 && pagina < m_posizioniPagine.size() ? m_posizioniPagine[pagina] : 0;
    std::exception_ptr errore;
    try {
        LetturaDati::DisegnaPagina(Picture2(), m_fileTemporaneo, int16_t(pagina + 1), QVariant(false), inizio);
    } catch (...) {
        // A page that cannot be replayed completely (a picture file gone, a
        // record cut short) is shown as far as it was drawn, with the error;
        // the window stays.
        errore = std::current_exception();
    }
    AggiornaScroll();
    mostraErrore(QStringLiteral("Pagina %1 mostrata solo in parte").arg(int32_t(pagina) + 1), errore);
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
    m_geom.aggiornaMassimi();
    applicaGeometria();
    const FrozenPage pagina = m_picture2->Picture();
    Image1->clearPicture();
    if (chkMassima->isChecked()) {
        m_immagineConvertita = false;
        Image1->setConvertitore({});
        Image1->setPicture(pagina);
    } else {
        Image1->setConvertitore([this](const QImage &raster) { return convertiA256(raster); });
        Image1->setPicture(pagina);
        m_immagineConvertita = Image1->prepara();
    }
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
    m_geom.centra();
    applicaGeometria();
}

void FrmAnteprima::SincronizzaScroll()
{
    m_geom.sincronizzaScroll();
    applicaGeometria();
}

void FrmAnteprima::applicaGeometria()
{
    if (!Image1)
        return;
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    const QRectF r = m_geom.immagine();
    const QRect geometry(px(r.left(), tx), px(r.top(), ty), std::max(1, px(r.width(), tx)),
                         std::max(1, px(r.height(), ty)));
    if (Image1->geometry() != geometry)
        Image1->setGeometry(geometry);
    m_applicando = true;
    const StatoScroll &h = m_geom.scrollH();
    const StatoScroll &v = m_geom.scrollV();
    HScroll1->setRange(0, h.massimo);
    HScroll1->setValue(h.valore);
    HScroll1->setEnabled(h.abilitato);
    HScroll1->setPageStep(std::max(1, int(m_geom.viewport().width() / GeometriaPagina::TwipsPerUnita)));
    VScroll1->setRange(0, v.massimo);
    VScroll1->setValue(v.valore);
    VScroll1->setEnabled(v.abilitato);
    VScroll1->setPageStep(std::max(1, int(m_geom.viewport().height() / GeometriaPagina::TwipsPerUnita)));
    m_applicando = false;
}

// --- Zoom ----------------------------------------------------------------------------

void FrmAnteprima::Riduci(bool suono)
{
    applicaZoom([this] { return m_geom.riduci(); }, Adattamento::Nessuno, suono);
}

void FrmAnteprima::Ingrandisci(bool suono)
{
    applicaZoom([this] { return m_geom.ingrandisci(); }, Adattamento::Nessuno, suono);
}

void FrmAnteprima::DimensioneReale()
{
    applicaZoom(
        [this] {
            m_geom.dimensioneReale();
            return true;
        },
        Adattamento::Nessuno);
}

void FrmAnteprima::AdattaPagina()
{
    applicaZoom([this] { return m_geom.adattaPagina(); }, Adattamento::Pagina);
}

void FrmAnteprima::AdattaLarghezza()
{
    applicaZoom([this] { return m_geom.adattaLarghezza(); }, Adattamento::Larghezza);
}

// One zoom step: \a passo changes the size of the page (false: at a limit,
// which beeps when \a suono); the picture, caption and centring follow, with
// repaints held back so the page is drawn once at its new size. \a modo says
// whether the new zoom follows the window's size from now on.
void FrmAnteprima::applicaZoom(const std::function<bool()> &passo, Adattamento modo, bool suono)
{
    ensureLoaded();
    Picture1->setUpdatesEnabled(false);
    if (passo()) {
        m_adatta = modo;
        m_geom.centra();
        AggiornaScroll();
    } else if (suono) {
        platform::beep();
    }
    aggiornaCaption();
    CentraImmagine();
    Picture1->setUpdatesEnabled(true);
}

void FrmAnteprima::aggiornaCaption()
{
    setWindowTitle(m_titolo + QStringLiteral("    ") + QString::number(m_geom.percentuale()) + QLatin1Char('%'));
}

// --- Navigation -------------------------------------------------------------------------

void FrmAnteprima::dopoNavigazione(NavigazionePagine::Esito esito, bool suono)
{
    if (esito == NavigazionePagine::Limite) {
        if (suono)
            platform::beep();
        return;
    }
    AggiornaNumeroPagina();
    if (esito == NavigazionePagine::Cambiata)
        MostraPagina();
}

void FrmAnteprima::PrimaPagina()
{
    dopoNavigazione(m_nav.prima());
}

void FrmAnteprima::PaginaPrecedente()
{
    dopoNavigazione(m_nav.precedente());
}

void FrmAnteprima::PaginaSuccessiva()
{
    dopoNavigazione(m_nav.successiva());
}

void FrmAnteprima::UltimaPagina()
{
    dopoNavigazione(m_nav.ultima());
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
        dopoNavigazione(m_nav.vai(ok && pagina <= INT32_MAX ? int32_t(pagina) : -1));
    }
    AggiornaNumeroPagina();
    Picture1->setFocus(Qt::OtherFocusReason);
}

void FrmAnteprima::AggiornaNumeroPagina()
{
    Text1->setText(m_nav.indicatore());
    aggiornaPulsantiPagina();
}

/// The page buttons are greyed out where their command would only beep: the
/// first two on the first page, the last two on the last. The keys that give
/// the same commands still beep there.
void FrmAnteprima::aggiornaPulsantiPagina()
{
    const std::pair<const char *, NavigazionePagine::Esito (NavigazionePagine::*)()> pulsanti[] = {
        {"prima", &NavigazionePagine::prima},
        {"precedente", &NavigazionePagine::precedente},
        {"successiva", &NavigazionePagine::successiva},
        {"ultima", &NavigazionePagine::ultima},
    };
    for (const auto &[key, comando] : pulsanti)
        if (QAction *action = pulsante(QLatin1String(key)))
            action->setEnabled(m_nav.possibile(comando));
}

// --- Keys and wheel ---------------------------------------------------------------------

void FrmAnteprima::keyPressEvent(QKeyEvent *e)
{
    if (tasto(*e))
        e->accept();
    else
        QDialog::keyPressEvent(e);
}

/// The keys of a document viewer, for the keys that the focused control
/// leaves to the window. True when \a e was one of them.
bool FrmAnteprima::tasto(const QKeyEvent &e)
{
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const double schermo = m_geom.viewport().height();
    switch (e.key()) {
    case Qt::Key_PageDown:
        scorriVerticale(schermo, true, true);
        return true;
    case Qt::Key_PageUp:
        scorriVerticale(-schermo, true, true);
        return true;
    case Qt::Key_Space:
        if (ctrl)
            return false;
        scorriVerticale(shift ? -schermo : schermo, true, true);
        return true;
    case Qt::Key_Down:
        scorriVerticale(RigaTwips, true, true);
        return true;
    case Qt::Key_Up:
        scorriVerticale(-RigaTwips, true, true);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Left: {
        const bool avanti = e.key() == Qt::Key_Right;
        // A page as narrow as the window has nothing to scroll sideways: the
        // arrow turns the page, as in a book.
        if (!m_geom.scrollH().abilitato)
            paginaAccanto(avanti, true);
        else
            scorriOrizzontale(avanti ? RigaTwips : -RigaTwips);
        return true;
    }
    case Qt::Key_Home: {
        CursoreOccupato busy;
        PrimaPagina();
        return true;
    }
    case Qt::Key_End: {
        CursoreOccupato busy;
        UltimaPagina();
        return true;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Ingrandisci();
        return true;
    case Qt::Key_Minus:
        Riduci();
        return true;
    case Qt::Key_0:
        if (!ctrl)
            return false;
        DimensioneReale();
        return true;
    case Qt::Key_P:
        if (!ctrl)
            return false;
        StampaDocumento();
        return true;
    case Qt::Key_F:
        if (ctrl || shift)
            return false;
        AdattaPagina();
        return true;
    case Qt::Key_W:
        if (ctrl || shift)
            return false;
        AdattaLarghezza();
        return true;
    default:
        return false;
    }
}

/// The wheel scrolls the page, and at the end of a page one more notch goes
/// on to the next page (or back to the previous one); Ctrl and the wheel
/// zoom by the zoom steps. The wheel never beeps.
void FrmAnteprima::wheelEvent(QWheelEvent *e)
{
    e->accept();
    const QPoint delta = e->angleDelta();
    if (e->modifiers() & Qt::ControlModifier) {
        m_restoZoom += delta.y() ? delta.y() : delta.x();
        for (; m_restoZoom >= Scatto; m_restoZoom -= Scatto)
            Ingrandisci(false);
        for (; m_restoZoom <= -Scatto; m_restoZoom += Scatto)
            Riduci(false);
        return;
    }
    const bool orizzontale = delta.y() == 0 || (e->modifiers() & Qt::ShiftModifier);
    const int gradi = delta.y() ? delta.y() : delta.x();
    if (gradi == 0)
        return;
    // Turning the wheel away from the user (positive) shows what lies above.
    const double twips = -double(gradi) / Scatto * QApplication::wheelScrollLines() * RigaTwips;
    if (orizzontale) {
        scorriOrizzontale(twips);
        return;
    }
    const bool allaFine = twips > 0 ? m_geom.inFondo() : m_geom.inCima();
    if (!allaFine) {
        m_restoPagina = 0;
        scorriVerticale(twips, false, false);
        return;
    }
    // At the end of the page: a whole notch (or a touchpad's worth of one)
    // turns the page.
    if ((m_restoPagina > 0) != (gradi > 0))
        m_restoPagina = 0;
    m_restoPagina += gradi;
    if (std::abs(m_restoPagina) >= Scatto) {
        m_restoPagina = 0;
        paginaAccanto(twips > 0, false);
    }
}

void FrmAnteprima::scorriVerticale(double twips, bool cambiaPagina, bool suono)
{
    if (twips > 0 ? m_geom.inFondo() : m_geom.inCima()) {
        if (cambiaPagina)
            paginaAccanto(twips > 0, suono);
        return;
    }
    const int unita = int(std::lround(twips / GeometriaPagina::TwipsPerUnita));
    VScroll1->setValue(VScroll1->value() + (unita ? unita : twips > 0 ? 1 : -1));
}

void FrmAnteprima::scorriOrizzontale(double twips)
{
    const int unita = int(std::lround(twips / GeometriaPagina::TwipsPerUnita));
    HScroll1->setValue(HScroll1->value() + (unita ? unita : twips > 0 ? 1 : -1));
}

/// The next page shown from its top, or the previous one from its bottom, as
/// a reader scrolling through the document expects; at the first or last
/// page nothing changes (a beep when \a suono).
void FrmAnteprima::paginaAccanto(bool avanti, bool suono)
{
    CursoreOccupato busy;
    const NavigazionePagine::Esito esito = avanti ? m_nav.successiva() : m_nav.precedente();
    dopoNavigazione(esito, suono);
    if (esito != NavigazionePagine::Cambiata)
        return;
    if (m_geom.scrollV().abilitato) {
        m_geom.setValoreV(avanti ? 0 : m_geom.scrollV().massimo);
        applicaGeometria();
    }
}

// --- Printing ------------------------------------------------------------------------------

QString FrmAnteprima::testoStampatoInPdf(const QString &file)
{
    return QStringLiteral("Il documento è stato stampato nel file PDF:\n%1").arg(QDir::toNativeSeparators(file));
}

void FrmAnteprima::StampaDocumento()
{
    std::exception_ptr errore;
    try {
        if (platform::printers().isEmpty()) {
            platform::messageBox(this, MotoreStampa::testoNessunaStampante(), QStringLiteral("Stampa"),
                                 platform::MessageIcon::Information);
            return;
        }
        std::optional<PrintOptions> opzioni = FrmOpzioni::Chiedi(this, m_nav.pagineTotali(),
                                                                 int32_t(m_nav.paginaVisualizzata()) + 1, 1);
        if (!opzioni)
            return;
        opzioni->title = m_titolo;
        const QString pdf = MotoreStampa::StampaConOpzioni(m_fileTemporaneo, *opzioni);
        // A PDF lands in a folder the user did not choose: say where.
        if (!pdf.isEmpty())
            platform::messageBox(this, testoStampatoInPdf(pdf), QStringLiteral("Stampa"),
                                 platform::MessageIcon::Information);
    } catch (...) {
        errore = std::current_exception();
    }
    if (errore)
        platform::messageBox(this, descrizioneErrore(errore), QString(), platform::MessageIcon::None);
}

} // namespace qv
