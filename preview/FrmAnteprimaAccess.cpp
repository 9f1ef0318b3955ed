// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The window without a mouse: what each of its parts says to assistive
// technology (a screen reader reads the name and the description), the tab
// order, and the keys that move the focus from part to part or open the
// page's pop-up menu.
#include "preview/FrmAnteprima.h"

#include "preview/ContinuousView.h"
#include "preview/ErrorBar.h"
#include "preview/FindBar.h"
#include "preview/LayoutLink.h"
#include "preview/LayoutPanel.h"
#include "preview/ThumbnailPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <vector>

namespace qv {

namespace {

/// What a view says of itself, by its mode.
struct ViewText
{
    ViewerModel::ViewMode mode;
    const char *name;
    const char *description;
};

const ViewText ViewTexts[] = {
    {ViewerModel::ViewMode::SinglePage, QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Pagina del documento"),
     QT_TRANSLATE_NOOP("qv::FrmAnteprima",
                       "Una pagina alla volta: frecce, Pag su e Pag giù scorrono, Ctrl+Pag su e Ctrl+Pag giù cambiano "
                       "pagina, Home e Fine vanno alla prima e all'ultima, + e - cambiano lo zoom, Maiusc+F10 apre "
                       "il menu della pagina, F6 passa alla parte seguente")},
    {ViewerModel::ViewMode::Continuous, QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Pagine continue"),
     QT_TRANSLATE_NOOP("qv::FrmAnteprima",
                       "Le pagine una sotto l'altra: frecce, Pag su e Pag giù scorrono il documento, Ctrl+Pag su e "
                       "Ctrl+Pag giù cambiano pagina, Maiusc+F10 apre il menu della pagina, F6 passa alla parte "
                       "seguente")},
    {ViewerModel::ViewMode::Facing, QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Pagine affiancate"),
     QT_TRANSLATE_NOOP("qv::FrmAnteprima",
                       "Due pagine una accanto all'altra: Ctrl+Pag su e Ctrl+Pag giù cambiano pagina, Maiusc+F10 "
                       "apre il menu della pagina, F6 passa alla parte seguente")},
    {ViewerModel::ViewMode::Overview, QT_TRANSLATE_NOOP("qv::FrmAnteprima", "Panoramica delle pagine"),
     QT_TRANSLATE_NOOP("qv::FrmAnteprima",
                       "Tutte le pagine in una griglia: Invio apre la pagina scelta, F6 passa alla parte seguente")},
};

QString translated(const char *text)
{
    return QCoreApplication::translate("qv::FrmAnteprima", text);
}

} // namespace

void FrmAnteprima::buildAccess()
{
    m_errorBar = new ErrorBar(this);
    fraErrore = m_errorBar;
    lblErrore = m_errorBar->label();

    setAccessibleName(QCoreApplication::translate("qv::FrmAnteprima", "Anteprima di stampa"));
    setAccessibleDescription(QCoreApplication::translate(
        "qv::FrmAnteprima", "L'anteprima del documento: F6 e Maiusc+F6 passano tra la pagina, le miniature, il "
                            "pannello dell'impaginazione, la ricerca e la barra degli strumenti; Ctrl+G porta al "
                            "numero di pagina"));
    for (DocumentView *v : m_views)
        for (const ViewText &t : ViewTexts)
            if (t.mode == v->mode()) {
                v->focusTarget()->setAccessibleName(translated(t.name));
                v->focusTarget()->setAccessibleDescription(translated(t.description));
            }

    // The marks of a find's matches on the thumbnails; Esc in the pane
    // gives the keys back to the page.
    m_thumbnails->setFindResults(m_find->results());
    connect(m_thumbnails, &ThumbnailPane::leaveRequested, this, [this] { view().takeFocus(); });

    // Tab goes along the window as it is drawn: the toolbar's fields, the
    // find bar, the thumbnails, the page, the layout panel, the error bar.
    // Parts that are hidden are passed over.
    std::vector<QWidget *> order = {Text1,
                                    cmbZoom,
                                    chkMassima,
                                    lblsito,
                                    m_find->field(),
                                    m_find->matchCaseButton(),
                                    m_find->wholeWordsButton(),
                                    m_thumbnails};
    for (DocumentView *v : m_views)
        order.push_back(v->focusTarget());
    order.push_back(m_layout->panel()->list());
    order.push_back(m_errorBar->label());
    order.push_back(m_errorBar->hideButton());
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    const auto shortcut = [this](const QKeySequence &keys, QWidget *on, Qt::ShortcutContext context, auto action) {
        auto *s = new QShortcut(keys, on);
        s->setContext(context);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_F6), this, Qt::WindowShortcut, [this] { cycleFocus(+1); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this, Qt::WindowShortcut, [this] { cycleFocus(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this, Qt::WindowShortcut,
             [this] { Text1->setFocus(Qt::ShortcutFocusReason); });
    // The page's pop-up menu from the keyboard, in the middle of the view.
    for (DocumentView *v : m_views) {
        QWidget *target = v->focusTarget();
        const auto popup = [this, target] { mnfile->popup(target->mapToGlobal(target->rect().center())); };
        shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), target, Qt::WidgetShortcut, popup);
        shortcut(QKeySequence(Qt::Key_Menu), target, Qt::WidgetShortcut, popup);
    }
}

void FrmAnteprima::cycleFocus(int direction)
{
    // Each part: what it holds, and where its focus goes.
    struct Part
    {
        QWidget *root;
        QWidget *target;
    };
    std::vector<Part> parts;
    parts.push_back({view().focusTarget(), view().focusTarget()});
    if (!m_thumbnails->isHidden())
        parts.push_back({m_thumbnails, m_thumbnails});
    if (!m_layout->isHidden())
        parts.push_back({m_layout->panel(), m_layout->panel()->list()});
    if (!m_find->isHidden())
        parts.push_back({m_find, m_find->field()});
    parts.push_back({Toolbar1, Text1});

    QWidget *focus = QApplication::focusWidget();
    int at = -1;
    for (size_t i = 0; i < parts.size() && at < 0; ++i)
        if (focus && (focus == parts[i].root || parts[i].root->isAncestorOf(focus)))
            at = int(i);
    // The quality box and the maker's address stand over the toolbar.
    if (at < 0 && (focus == chkMassima || focus == lblsito))
        at = int(parts.size()) - 1;
    const int n = int(parts.size());
    const int next = at < 0 ? (direction > 0 ? 0 : n - 1) : (at + direction + n) % n;
    parts[size_t(next)].target->setFocus(Qt::ShortcutFocusReason);
    if (auto *field = qobject_cast<QLineEdit *>(parts[size_t(next)].target))
        field->selectAll();
}

} // namespace qv
