// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/PageNavigator.h"

#include "platform/CursoreOccupato.h"
#include "platform/Devices.h"

#include <QRegularExpression>

#include <limits>

namespace qv {

PageNavigator::PageNavigator(ViewerModel &model, std::function<DocumentView &()> view, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_view(std::move(view))
{}

void PageNavigator::reachPage(qint64 number)
{
    if (!m_model.countFromIndex() || m_model.indexComplete() || number <= m_model.pageCount())
        return;
    CursoreOccupato busy;
    m_model.waitForPageNumber(number);
}

void PageNavigator::after(ViewerModel::Step step, bool beep)
{
    if (step == ViewerModel::Step::AtLimit) {
        if (beep)
            platform::beep();
        return;
    }
    if (step == ViewerModel::Step::Same) {
        Q_EMIT stayed();
        return;
    }
    // The indicator follows the model's page by itself.
    Q_EMIT shown(m_model.currentPage(), m_view().showCurrentPage());
}

void PageNavigator::go(ViewerModel::PageCommand command, bool beep)
{
    if (command == ViewerModel::PageCommand::Next)
        reachPage(qint64(m_model.currentPage()) + 2);
    else if (command == ViewerModel::PageCommand::Last)
        reachPage(std::numeric_limits<qint64>::max());
    CursoreOccupato busy;
    after(m_model.go(command), beep);
}

void PageNavigator::goTo(qint64 number, bool beep)
{
    CursoreOccupato busy;
    reachPage(number);
    after(m_model.goTo(number), beep);
}

void PageNavigator::goToTyped(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch m = number.match(text);
    bool ok = false;
    const qlonglong page = m.hasMatch() ? m.captured(1).toLongLong(&ok) : 0;
    goTo(ok ? page : -1);
}

void PageNavigator::showMatch(int32_t page, const spool::TextMatch *match)
{
    reachPage(page);
    if (page != m_model.currentPage() + 1)
        goTo(page, false);
    if (match && match->page == page)
        m_view().reveal(page - 1, DocumentView::matchArea(*match));
}

void PageNavigator::turn(bool forward, bool beep)
{
    CursoreOccupato busy;
    if (forward)
        reachPage(qint64(m_model.currentPage()) + 2);
    const ViewerModel::Step step =
        m_model.go(forward ? ViewerModel::PageCommand::Next : ViewerModel::PageCommand::Previous);
    after(step, beep);
    if (step == ViewerModel::Step::Changed)
        m_view().showFrom(forward);
}

void PageNavigator::scroll(double twips, bool turnPage, bool beep)
{
    DocumentView &view = m_view();
    if (view.scrollVertical(twips) || !turnPage)
        return;
    // At the end of the page the single view turns it; the continuous view
    // scrolls through page boundaries, and only the document's ends stop it.
    if (view.turnsPages())
        turn(twips > 0, beep);
    else if (beep)
        platform::beep();
}

} // namespace qv
