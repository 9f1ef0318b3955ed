// SPDX-License-Identifier: MIT
// The layout panel in the preview window on a real X server (Xvfb), driven
// as a user drives it: Ctrl+L to the widget with the focus shows the panel,
// a click on a finding shows its page with the finding outlined, in the
// single page and in the continuous view; Ctrl+L hides it with the outline.
// The window's screenshot is kept as a test artefact (layout-window-<scale>x.png).
#include "preview/ContinuousView.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "preview/LayoutLink.h"
#include "preview/LayoutPanel.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace qv {
namespace {

/// Three pages of 11520 x 15872 twips (no printer); page 3 has a line above
/// its top edge, off the page.
QByteArray document()
{
    const QByteArray offPage("#line@\r\n0,13,1,0,0,1\r\n1440,-400,5000,-400,#FALSE#,#FALSE#\r\n");
    return test::testo(1440, 1000, "Pagina 1", 12) + "#newpage@\r\n" + test::testo(1440, 1000, "Pagina 2", 12)
           + "#newpage@\r\n" + test::testo(1440, 1000, "Pagina 3", 12) + offPage;
}

void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    ASSERT_TRUE(focus);
    QTest::keyClick(focus, k, mods);
}

TEST(LayoutWindowXvfb, CtrlLShowsTheFindingsAndAClickOutlinesOneOnItsPage)
{
    test::TempEnv env;
    test::TempEnv::noPrinters();
    const QString spool = env.tempFolder() + QStringLiteral("impaginazione.tmp");
    QFile f(spool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(document());
    f.close();

    FrmAnteprima w;
    w.setFileTemporaneo(spool);
    w.setPagineTotali(3);
    w.InizializzaAnteprima();
    w.resize(900, 700);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isActiveWindow(); }, 10000));
    LayoutPanel *panel = w.layoutPanel()->panel();
    ASSERT_TRUE(panel->isHidden()) << "nothing new on show until the user asks";
    const int pageAreaWidth = w.Picture1->width();

    QSignalSpy checked(panel, &LayoutPanel::checked);
    key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_LT(w.Picture1->width(), pageAreaWidth) << "the panel takes its room beside the page";
    EXPECT_TRUE(w.findChild<QAction *>(QStringLiteral("mnimpaginazione"))->isChecked());
    ASSERT_TRUE(checked.wait(30000));

    // The off-page line of page 3, among the rows (fonts may add others).
    QTreeWidget *list = panel->list();
    QTreeWidgetItem *offPage = nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        for (int j = 0; j < list->topLevelItem(i)->childCount(); ++j) {
            QTreeWidgetItem *row = list->topLevelItem(i)->child(j);
            const LayoutFinding &found = panel->check().findings.at(row->data(0, Qt::UserRole).toInt());
            if (found.page == 3 && found.kind == LayoutFinding::OffPage)
                offPage = row;
        }
    ASSERT_TRUE(offPage) << "the line off page 3 is listed";
    const QRectF place = panel->check().findings.at(offPage->data(0, Qt::UserRole).toInt()).place;
    list->scrollToItem(offPage);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(offPage).center());
    EXPECT_EQ(w.model().currentPage(), 2);
    EXPECT_EQ(w.Image1->outline(), place) << "page 3 on show, the finding outlined";

    QDir().mkpath(QStringLiteral(QV_ARTIFACT_DIR));
    const QString file = QStringLiteral(QV_ARTIFACT_DIR "/layout-window-%1x.png").arg(qRound(w.devicePixelRatioF()));
    EXPECT_TRUE(w.grab().save(file));
    std::printf("screenshot: %s\n", qPrintable(file));

    // The continuous view outlines it on page 3 too, and turning the page
    // in the single view leaves the other pages without it.
    key(Qt::Key_PageDown);
    key(Qt::Key_F8);
    ASSERT_TRUE(w.continuaAttiva());
    auto *page3 = w.vistaContinua()->findChild<ImmaginePagina *>(QStringLiteral("pagina3"));
    ASSERT_TRUE(page3);
    EXPECT_EQ(page3->outline(), place);
    key(Qt::Key_F8);
    key(Qt::Key_Home);
    ASSERT_EQ(w.model().currentPage(), 0);
    EXPECT_TRUE(w.Image1->outline().isNull()) << "page 1 has no finding chosen";
    key(Qt::Key_End);
    EXPECT_EQ(w.Image1->outline(), place);

    // Ctrl+L again closes the panel, and the outline goes with it.
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(w.Image1->outline().isNull());
    EXPECT_EQ(w.Picture1->width(), pageAreaWidth);
    w.close();
}

} // namespace
} // namespace qv
