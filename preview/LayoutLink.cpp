// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/LayoutLink.h"

#include "preview/LayoutPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTreeWidget>

#include <algorithm>

namespace qv {

namespace {

/// The panel's width, in pixels, and the least page area it leaves.
constexpr int PanelWidth = 260;
constexpr int LeastPageArea = 200;

} // namespace

LayoutLink::LayoutLink(ViewerModel &model, PageNavigator &navigator, PageWorker &worker, QList<DocumentView *> views,
                       QWidget *window, QMenu *menu)
    : QObject(window)
    , m_model(model)
    , m_navigator(navigator)
    , m_views(std::move(views))
    , m_window(window)
    , m_panel(new LayoutPanel(window))
{
    m_panel->setWorker(&worker);
    connect(m_panel, &LayoutPanel::goTo, this, &LayoutLink::goTo);
    m_action = menu->addAction(QCoreApplication::translate("qv::LayoutLink", "Controllo dell'&impaginazione\tCtrl+L"));
    m_action->setObjectName(QStringLiteral("mnimpaginazione"));
    m_action->setCheckable(true);
    connect(m_action, &QAction::triggered, this, [this](bool on) { setShown(on); });
}

bool LayoutLink::isHidden() const
{
    return m_panel->isHidden();
}

void LayoutLink::setShown(bool shown)
{
    m_action->setChecked(shown);
    if (shown == !isHidden())
        return;
    if (shown) {
        const LayoutCheck &last = m_panel->check();
        if (m_panel->document() != m_model.document() || (!m_panel->isChecking() && last.cancelled))
            m_panel->setDocument(m_model.document());
    } else {
        outline(-1, QRectF());
    }
    m_panel->setVisible(shown);
    emit visibilityChanged(shown);
    if (shown)
        m_panel->list()->setFocus(Qt::ShortcutFocusReason);
}

int LayoutLink::width() const
{
    return isHidden() ? 0 : std::clamp(m_window->width() - LeastPageArea, 0, PanelWidth);
}

void LayoutLink::place(int top)
{
    if (const int w = width())
        m_panel->setGeometry(m_window->width() - w, top, w, std::max(0, m_window->height() - top));
}

void LayoutLink::goTo(int page0, const QRectF &twips)
{
    // As a find's match: the page indexed first where the growing index
    // has not reached it, then the place brought into view.
    const int32_t page = page0 + 1;
    m_navigator.reachPage(page);
    if (page0 != m_model.currentPage())
        m_navigator.goTo(page, false);
    if (page0 != m_model.currentPage())
        return; // not in the document (any more): nothing outlined
    outline(page0, twips);
    for (DocumentView *view : m_views)
        if (view->isActive() && !twips.isNull())
            view->reveal(page0, twips);
}

void LayoutLink::outline(int32_t page, const QRectF &twips)
{
    for (DocumentView *view : m_views)
        view->setOutline(twips.isNull() ? -1 : page, twips);
}

} // namespace qv
