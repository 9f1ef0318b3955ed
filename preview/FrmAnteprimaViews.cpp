// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The window's views besides the single page: the continuous view, the
// facing pages and the overview, each a mode of the model, and their items
// in the menu of the views.
#include "preview/FrmAnteprima.h"

#include "preview/ContinuousView.h"
#include "preview/FindBar.h"
#include "preview/OverviewView.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace qv {

void FrmAnteprima::buildOtherViews(const ImmaginePagina::Convertitore &to256, const std::function<void(QPoint)> &menu)
{
    using M = ViewerModel::ViewMode;
    for (const M mode : {M::Continuous, M::Facing}) {
        auto *view = new ContinuousView(m_model, m_zoom, *m_find->results(), this, mode);
        view->hide();
        view->setCursors(ApertaImage, ChiusaImage);
        view->setConverter(to256);
        connect(view, &ContinuousView::menuRequested, this, menu);
        connect(view, &ContinuousView::zoomWheel, this, [this](const QWheelEvent &e) { m_input.rotella(e); });
        connect(view, &ContinuousView::pageScrolled, this,
                [this, view](int32_t page) { showPageError(page, view->error(page)); });
        (mode == M::Continuous ? m_continuous : m_facing) = view;
    }

    m_overview = new OverviewView(m_model, m_zoom, m_worker, this);
    m_overview->hide();
    connect(m_overview, &OverviewView::menuRequested, this, menu);
    connect(m_overview, &OverviewView::zoomWheel, this, [this](const QWheelEvent &e) { m_input.rotella(e); });
    // The page chosen, in the single page.
    connect(m_overview, &OverviewView::pageOpened, this, [this](int32_t page) {
        m_navigator->goTo(qint64(page) + 1, false);
        setViewMode(M::SinglePage);
        showViewChecks();
    });
    m_views = {m_single, m_continuous, m_facing, m_overview};

    // Their items in the views' menu, after the continuous view's, then a
    // line before the panes.
    QMenu *views = m_toolbar->menuViste();
    QAction *panes = views->findChild<QAction *>(QStringLiteral("mnminiature"));
    const auto item = [views, panes](const char *name, const QString &text, bool checked) {
        auto *action = new QAction(text, views);
        views->insertAction(panes, action);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    };
    connect(item("mnaffiancate", QCoreApplication::translate("qv::FrmAnteprima", "Pagine &affiancate\tD"), false),
            &QAction::triggered, this, [this] { comando(PreviewCommand::VistaAffiancata, true); });
    connect(item("mnprimasola", QCoreApplication::translate("qv::FrmAnteprima", "Prima pagina da &sola"), true),
            &QAction::toggled, m_facing, &ContinuousView::setFirstAlone);
    connect(item("mnpanoramica", QCoreApplication::translate("qv::FrmAnteprima", "Panoramica delle pa&gine\tG"), false),
            &QAction::triggered, this, [this] { comando(PreviewCommand::Panoramica, true); });
    views->insertSeparator(panes);
    connect(&m_model, &ViewerModel::viewModeChanged, this, &FrmAnteprima::showViewChecks);
}

/// A view's command: that view, or the single page again when it is on show.
void FrmAnteprima::toggleView(PreviewCommand command)
{
    using M = ViewerModel::ViewMode;
    const M wanted = command == PreviewCommand::VistaContinua     ? M::Continuous
                     : command == PreviewCommand::VistaAffiancata ? M::Facing
                                                                  : M::Overview;
    setViewMode(m_model.viewMode() == wanted ? M::SinglePage : wanted);
    showViewChecks();
}

/// The views' items checked as the model's view says.
void FrmAnteprima::showViewChecks()
{
    QMenu *views = m_toolbar->menuViste();
    if (QAction *action = views->findChild<QAction *>(QStringLiteral("mnaffiancate")))
        action->setChecked(m_model.viewMode() == ViewerModel::ViewMode::Facing);
    if (QAction *action = views->findChild<QAction *>(QStringLiteral("mnpanoramica")))
        action->setChecked(m_model.viewMode() == ViewerModel::ViewMode::Overview);
}

void FrmAnteprima::forgetViewPages()
{
    m_continuous->reloadPages();
    m_facing->reloadPages();
    m_overview->setActive(false);
}

void FrmAnteprima::deleteOtherViews()
{
    delete m_continuous;
    delete m_facing;
    delete m_overview;
    m_continuous = m_facing = nullptr;
    m_overview = nullptr;
}

void FrmAnteprima::setViewsShadow(bool on)
{
    m_continuous->setShadow(on);
    m_facing->setShadow(on);
    m_overview->setShadow(on);
}

} // namespace qv
