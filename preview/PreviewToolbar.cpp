// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PreviewToolbar.h"

#include "platform/Devices.h"

#include "dialogs/DialogTwips.h"
#include "preview/ViewerModel.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <qvpreview/qvUtilita.h>

#include <algorithm>
#include <utility>

namespace qv {

namespace {

// Design geometry, in twips.
constexpr double Text1Width = 1100;
constexpr double ChkLeft = 6030, ChkTop = 0, ChkWidth = 1950, ChkHeight = 420;

} // namespace

PreviewToolbar::PreviewToolbar(QWidget *finestra) : QObject(finestra), m_finestra(finestra)
{
    creaBarraStrumenti();
    creaMenu();
    describe();
}

/// What a screen reader says of each control: a name and a description
/// that gives its key. The maker's address is reached with Tab and opened
/// with Enter as well as with a click.
void PreviewToolbar::describe()
{
    const auto text = [](const char *source) { return QCoreApplication::translate("qv::PreviewToolbar", source); };
    const auto set = [&](QWidget *w, const char *name, const char *description) {
        if (!w)
            return;
        w->setAccessibleName(text(name));
        w->setAccessibleDescription(text(description));
    };
    set(m_toolbar, QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Barra degli strumenti"),
        QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Zoom, stampa, pagine e viste; ogni pulsante ha anche un tasto"));
    const struct
    {
        const char *key, *name, *description;
    } buttons[] = {
        {"riduci", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Riduci"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Riduce lo zoom di un passo (tasto meno)")},
        {"ingrandisci", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Ingrandisci"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Aumenta lo zoom di un passo (tasto più)")},
        {"reale", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Dimensione reale"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Mostra la pagina al 100% (Ctrl+0)")},
        {"stampa", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Stampa"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Sceglie le pagine e le copie e stampa il documento (Ctrl+P)")},
        {"prima", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Prima pagina"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Va alla prima pagina (Home)")},
        {"precedente", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Pagina precedente"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Va alla pagina precedente (Ctrl+Pag su)")},
        {"successiva", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Pagina successiva"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Va alla pagina successiva (Ctrl+Pag giù)")},
        {"ultima", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Ultima pagina"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Va all'ultima pagina (Fine)")},
        {"esci", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Chiudi l'anteprima"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Chiude la finestra dell'anteprima (Esc)")},
        {"continua", QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Pagine continue"),
         QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Mostra le pagine una sotto l'altra (F8); la freccia apre il menu "
                                                 "delle viste")},
    };
    for (const auto &b : buttons)
        if (QAction *action = pulsante(QLatin1String(b.key)))
            set(m_toolbar->widgetForAction(action), b.name, b.description);
    set(m_indicatore, QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Numero di pagina"),
        QT_TRANSLATE_NOOP("qv::PreviewToolbar", "La pagina mostrata e quante sono: scrivere un numero e premere Invio "
                                                "per andarci (Ctrl+G porta qui)"));
    set(m_qualita, QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Massima qualità"),
        QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Attiva, mostra le pagine a colori pieni invece che in 256 colori"));
    set(m_sito, QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Sito del produttore"),
        QT_TRANSLATE_NOOP("qv::PreviewToolbar", "Apre il sito del produttore nel browser (Invio)"));
    m_sito->setFocusPolicy(Qt::TabFocus);
    m_menu->setAccessibleName(QCoreApplication::translate("qv::PreviewToolbar", "Menu della pagina"));
    m_menuViste->setAccessibleName(QCoreApplication::translate("qv::PreviewToolbar", "Menu delle viste"));
}

/// The toolbar with its buttons and the page indicator Text1, the quality
/// check box over its right end and the maker's address.
void PreviewToolbar::creaBarraStrumenti()
{
    m_toolbar = new QToolBar(m_finestra);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setIconSize(QSize(20, 20));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    // Each button carries its key (as data and object name) and its command.
    auto addButton = [&](const QString &key, const QString &tooltip, PreviewCommand c) {
        QAction *action = m_toolbar->addAction(QIcon(QStringLiteral(":/qvpreview/icons/%1.svg").arg(key)), tooltip);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(tooltip);
        connect(action, &QAction::triggered, this, [this, c] { Q_EMIT comando(c); });
    };
    addButton(QStringLiteral("riduci"), QCoreApplication::translate("qv::FrmAnteprima", "Riduci"),
              PreviewCommand::Riduci);
    addButton(QStringLiteral("ingrandisci"), QCoreApplication::translate("qv::FrmAnteprima", "Ingradisci"),
              PreviewCommand::Ingrandisci);
    addButton(QStringLiteral("reale"), QCoreApplication::translate("qv::FrmAnteprima", "Dimensione Reale"),
              PreviewCommand::DimensioneReale);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("stampa"), QCoreApplication::translate("qv::FrmAnteprima", "Stampa"),
              PreviewCommand::Stampa);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("prima"), QCoreApplication::translate("qv::FrmAnteprima", "Prima Pagina"),
              PreviewCommand::PrimaPagina);
    addButton(QStringLiteral("precedente"), QCoreApplication::translate("qv::FrmAnteprima", "Pagina Precedente"),
              PreviewCommand::PaginaPrecedente);
    // The page indicator " 3/5" also takes a typed page number: the window
    // goes there on Enter and shows the indicator again when it is left.
    m_indicatore = new QLineEdit(m_finestra);
    m_indicatore->setObjectName(QStringLiteral("Text1"));
    m_indicatore->setAlignment(Qt::AlignCenter);
    m_indicatore->setFixedWidth(twips::px(Text1Width));
    m_indicatore->setToolTip(
        QCoreApplication::translate("qv::FrmAnteprima", "Numero di pagina: scrivere un numero e premere Invio"));
    m_indicatore->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\s*\\d{0,10}\\s*(/\\s*\\d{0,10}\\s*)?")), m_indicatore));
    m_indicatore->installEventFilter(this);
    m_toolbar->addWidget(m_indicatore);
    addButton(QStringLiteral("successiva"), QCoreApplication::translate("qv::FrmAnteprima", "Pagina Successiva"),
              PreviewCommand::PaginaSuccessiva);
    addButton(QStringLiteral("ultima"), QCoreApplication::translate("qv::FrmAnteprima", "Ultima Pagina"),
              PreviewCommand::UltimaPagina);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("esci"), QCoreApplication::translate("qv::FrmAnteprima", "Chiudi Anteprima"),
              PreviewCommand::Chiudi);
    creaViste();

    m_qualita = new QCheckBox(QCoreApplication::translate("qv::FrmAnteprima", "Massima qualità"), m_finestra);
    m_qualita->setObjectName(QStringLiteral("chkMassima"));
    m_qualita->setGeometry(twips::rect(ChkLeft, ChkTop, ChkWidth, ChkHeight));

    m_sito = new QLabel(QString::fromLatin1(qvUtilita::SitoWeb), m_finestra);
    m_sito->setObjectName(QStringLiteral("lblsito"));
    m_sito->setStyleSheet(QStringLiteral("color: blue;"));
    m_sito->setCursor(Qt::PointingHandCursor);
    m_sito->adjustSize();
    m_sito->installEventFilter(this);
}

/// The views, added after the classic buttons: a toggle for the continuous
/// view ("continua", checked while it is on) whose arrow opens the menu of
/// the views ("mnviste": the continuous view, the thumbnail pane). The
/// toggle carries no button key, so the classic buttons stay as they were.
void PreviewToolbar::creaViste()
{
    m_menuViste = new QMenu(QCoreApplication::translate("qv::PreviewToolbar", "Viste"), m_finestra);
    m_menuViste->setObjectName(QStringLiteral("mnviste"));
    auto addItem = [this](const QString &name, const QString &text, PreviewCommand c) {
        QAction *action = m_menuViste->addAction(text);
        action->setObjectName(name);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, c] { Q_EMIT comando(c); });
    };
    addItem(QStringLiteral("mncontinua"), QCoreApplication::translate("qv::PreviewToolbar", "Pagine c&ontinue\tF8"),
            PreviewCommand::VistaContinua);
    addItem(QStringLiteral("mnminiature"), QCoreApplication::translate("qv::PreviewToolbar", "&Miniature\tF9"),
            PreviewCommand::Miniature);

    const QString tip = QCoreApplication::translate("qv::PreviewToolbar", "Pagine continue (F8)");
    QAction *continua = m_toolbar->addAction(QIcon(QStringLiteral(":/qvpreview/icons/continua.svg")), tip);
    continua->setObjectName(QStringLiteral("continua"));
    continua->setToolTip(tip);
    continua->setCheckable(true);
    continua->setMenu(m_menuViste);
    connect(continua, &QAction::triggered, this, [this] { Q_EMIT comando(PreviewCommand::VistaContinua); });
    if (auto *button = qobject_cast<QToolButton *>(m_toolbar->widgetForAction(continua)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

/// The pop-up menu of the page.
void PreviewToolbar::creaMenu()
{
    m_menu = new QMenu(QCoreApplication::translate("qv::FrmAnteprima", "&File"), m_finestra);
    m_menu->setObjectName(QStringLiteral("mnfile"));
    auto addItem = [this](const QString &name, const QString &text, PreviewCommand c) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, c] { Q_EMIT comando(c); });
    };
    addItem(QStringLiteral("mnriduci"), QCoreApplication::translate("qv::FrmAnteprima", "&Riduci"),
            PreviewCommand::Riduci);
    addItem(QStringLiteral("mningrandisci"), QCoreApplication::translate("qv::FrmAnteprima", "&Ingrandisci"),
            PreviewCommand::Ingrandisci);
    addItem(QStringLiteral("mn100"), QStringLiteral("100%"), PreviewCommand::DimensioneReale);
    addItem(QStringLiteral("mnpagina"), QCoreApplication::translate("qv::FrmAnteprima", "Adatta alla &pagina\tF"),
            PreviewCommand::AdattaPagina);
    addItem(QStringLiteral("mnlarghezza"), QCoreApplication::translate("qv::FrmAnteprima", "Adatta alla &larghezza\tW"),
            PreviewCommand::AdattaLarghezza);
    m_menu->addSeparator();
    addItem(QStringLiteral("mnaggiorna"), QCoreApplication::translate("qv::FrmAnteprima", "Aggiorna"),
            PreviewCommand::Aggiorna);
    m_menu->addSeparator();
    addItem(QStringLiteral("mnstampa"), QCoreApplication::translate("qv::FrmAnteprima", "&Stampa"),
            PreviewCommand::Stampa);
    m_menu->addSeparator();
    addItem(QStringLiteral("mnchiudi"), QCoreApplication::translate("qv::FrmAnteprima", "&Chiudi"),
            PreviewCommand::Chiudi);
}

void PreviewToolbar::readQuality()
{
    try {
        const QString fallback = qvUtilita().IsWindowsNT() ? QStringLiteral("Min") : QStringLiteral("Max");
        const QString value = platform::readUserSetting(QStringLiteral("QVPREVIEW"), QStringLiteral("OPZIONE"),
                                                        QStringLiteral("QUALITA"), fallback);
        m_qualita->setChecked(value.toUpper() == QStringLiteral("MAX"));
    } catch (...) {
        // The check box keeps its state.
    }
}

void PreviewToolbar::saveQuality() const
{
    try {
        platform::writeUserSetting(QStringLiteral("QVPREVIEW"), QStringLiteral("OPZIONE"), QStringLiteral("QUALITA"),
                                   m_qualita->isChecked() ? QStringLiteral("Max") : QStringLiteral("Min"));
    } catch (...) {
        // The window closes anyway.
    }
}

void PreviewToolbar::mostraViste(bool continua, bool miniature)
{
    if (QAction *action = pulsante(QStringLiteral("continua")))
        action->setChecked(continua);
    if (QAction *action = m_menuViste->findChild<QAction *>(QStringLiteral("mncontinua")))
        action->setChecked(continua);
    if (QAction *action = m_menuViste->findChild<QAction *>(QStringLiteral("mnminiature")))
        action->setChecked(miniature);
}

QAction *PreviewToolbar::pulsante(const QString &key) const
{
    for (QAction *action : m_toolbar->actions())
        if (action->data().toString() == key)
            return action;
    // The views' toggle, which has no button key.
    return key == QLatin1String("continua") ? m_toolbar->findChild<QAction *>(key) : nullptr;
}

void PreviewToolbar::mostraPagina(const ViewerModel &model, bool keepText)
{
    // The field is as wide as the document's largest indicator (" 40000/40000").
    const QString widest = ViewerModel::indicator(model.pageCount(), model.pageCount());
    const QFontMetrics metrics(m_indicatore->font());
    const int width = std::max(twips::px(Text1Width), metrics.horizontalAdvance(widest + QStringLiteral("  ")) + 8);
    if (m_indicatore->width() != width)
        m_indicatore->setFixedWidth(width);
    if (!keepText)
        m_indicatore->setText(model.indicator());
    using C = ViewerModel::PageCommand;
    const std::pair<const char *, C> buttons[] = {
        {"prima", C::First},
        {"precedente", C::Previous},
        {"successiva", C::Next},
        {"ultima", C::Last},
    };
    for (const auto &[key, command] : buttons)
        if (QAction *action = pulsante(QLatin1String(key)))
            // While the count follows an index still being built, more pages come.
            action->setEnabled(model.canGo(command)
                               || (!model.pageCountFinal() && (command == C::Next || command == C::Last)));
}

void PreviewToolbar::follow(const ViewerModel &model)
{
    connect(&model, &ViewerModel::currentPageChanged, this, [this, &model] { mostraPagina(model); });
    connect(&model, &ViewerModel::pageCountChanged, this,
            [this, &model] { mostraPagina(model, m_indicatore->hasFocus()); });
    connect(m_indicatore, &QLineEdit::returnPressed, this, [this] { Q_EMIT pageTyped(m_indicatore->text()); });
    connect(m_indicatore, &QLineEdit::editingFinished, this, [this, &model] {
        if (!m_indicatore->hasFocus())
            mostraPagina(model);
    });
}

void PreviewToolbar::disponi(int larghezza, int altoPagina)
{
    m_toolbar->setGeometry(0, 0, larghezza, std::min(altoPagina, m_toolbar->sizeHint().height()));
    // The quality box stands over the toolbar's free right end: after the
    // last item, when the items reach its place.
    m_qualita->move(std::max(twips::px(ChkLeft), m_toolbar->sizeHint().width() + 4), m_qualita->y());
    m_qualita->raise();
    const double tx = platform::twipsPerPixelX();
    m_sito->move(twips::px(larghezza * tx - m_sito->width() * tx - 100), altoPagina - m_sito->height());
    m_sito->raise();
}

bool PreviewToolbar::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_indicatore) {
        // The page indicator is selected whole when it gets the focus, so a
        // typed number replaces it (after a click, once the click is done).
        if (e->type() == QEvent::FocusIn) {
            m_indicatore->selectAll();
            if (static_cast<QFocusEvent *>(e)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, m_indicatore, [this] { m_indicatore->selectAll(); });
        }
    } else if (watched == m_sito) {
        const bool enter = e->type() == QEvent::KeyPress
                           && (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Return
                               || static_cast<QKeyEvent *>(e)->key() == Qt::Key_Enter
                               || static_cast<QKeyEvent *>(e)->key() == Qt::Key_Space);
        if (enter
            || (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton)) {
            qvUtilita().Homepage(int32_t(m_finestra->winId()));
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}

} // namespace qv
