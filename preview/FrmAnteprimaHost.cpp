// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What a wrapper of the window asks of it: toolbar items of its own, and the
// page to show when it opens the window again on a new recording.
#include "preview/FrmAnteprima.h"

#include "preview/PageNavigator.h"

#include <QAction>
#include <QToolBar>

#include <algorithm>

namespace qv {

void FrmAnteprima::addToolbarActions(const QList<QAction *> &actions)
{
    if (actions.isEmpty())
        return;
    Toolbar1->addSeparator();
    Toolbar1->addActions(actions);
}

void FrmAnteprima::showPage(int64_t page)
{
    m_navigator->reachPage(page);
    m_navigator->goTo(std::clamp<int64_t>(page, 1, std::max<int32_t>(m_model.pageCount(), 1)), false);
    AggiornaNumeroPagina();
}

} // namespace qv
