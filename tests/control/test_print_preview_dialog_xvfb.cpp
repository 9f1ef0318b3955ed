// SPDX-License-Identifier: MIT
// The drop-in dialog's orientation and page setup items on a real X server
// (Xvfb), clicked as a user clicks them: each change is made on the host's
// printer, the slot paints again on the new layout and the window opens
// again on the new recording at the page it showed. The window a host gets
// from the control has no such items. The toolbar is kept as a screenshot
// (dialogo-orientamento-<scale>x.png).
#include "preview/FrmAnteprima.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/control/QtScenes.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/PrintPreviewDialog.h>
#include <qvpreview/SpoolFile.h>
#include <qvpreview/Translation.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QVariant>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace qv {
namespace {

/// Clicks the toolbar button of \a action in \a window.
void click(FrmAnteprima &window, QAction *action)
{
    ASSERT_NE(action, nullptr);
    QWidget *button = window.Toolbar1->widgetForAction(action);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

QAction *item(FrmAnteprima &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

/// Picks the entry of \a combo whose text contains \a text as a user does
/// with the keyboard: the list opened with a click, the arrow keys to the
/// entry, Enter.
bool pick(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchContains);
    if (index < 0)
        return false;
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView *list = combo->view();
    if (!QTest::qWaitFor([&] { return list->isVisible(); }, 5000))
        return false;
    for (int i = 0; i < combo->count() && list->currentIndex().row() != index; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : list, list->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
    }
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : list, Qt::Key_Return);
    return QTest::qWaitFor([&] { return !list->isVisible(); }, 5000) && combo->currentIndex() == index;
}

class DialogXvfb : public ::testing::Test
{
protected:
    DialogXvfb()
    {
        test::TempEnv::onlyThePdfPrinter();
        test::useA4Pdf(host, env.root() + QStringLiteral("host.pdf"));
    }
    test::TempEnv env;
    QPrinter host{QPrinter::HighResolution};
};

TEST_F(DialogXvfb, OrientationAndPaperRecordAgainAtTheSamePage)
{
    PrintPreviewDialog dialog(&host);
    // What each recording was painted on.
    std::vector<QPageLayout> painted;
    QObject::connect(&dialog, &PrintPreviewDialog::paintRequested, [&](QPrinter *printer) {
        painted.push_back(printer->pageLayout());
        QPainter p(printer);
        for (int page = 1; page <= 3; ++page) {
            if (page > 1)
                printer->newPage();
            p.drawText(QPointF(500, 500), QStringLiteral("pagina %1").arg(page));
        }
    });

    // The user, one step a window: page 2, then Landscape; then the page
    // setup's Letter; then Esci.
    std::vector<FrmAnteprima *> windows;
    std::vector<QString> indicators;
    std::vector<bool> landscapeChecked;
    QString failure;
    int step = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *setup = qobject_cast<QPageSetupDialog *>(modal); setup && step == 2) {
            step = 3;
            auto *size = setup->findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
            if (!size || !pick(size, QStringLiteral("Letter"))) {
                failure = QStringLiteral("no Letter in the page setup's paper list:");
                for (QComboBox *combo : setup->findChildren<QComboBox *>())
                    failure += QLatin1Char(' ') + combo->objectName() + QLatin1Char('/') + combo->currentText();
                setup->reject();
                windows.back()->reject();
                return;
            }
            auto *buttons = setup->findChild<QDialogButtonBox *>();
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            return;
        }
        auto *window = qobject_cast<FrmAnteprima *>(modal);
        if (!window || !window->isVisible() || !window->windowHandle() || !window->windowHandle()->isExposed()
            || window->property("qvVisto").toBool())
            return;
        // Marked, not compared by address: a new window may take the old one's.
        window->setProperty("qvVisto", true);
        windows.push_back(window);
        indicators.push_back(window->Text1->text());
        landscapeChecked.push_back(item(*window, "orizzontale") && item(*window, "orizzontale")->isChecked());
        switch (step) {
        case 0:
            click(*window, window->pulsante(QStringLiteral("successiva")));
            if (const QString shots = QStringLiteral(QV_ARTIFACT_DIR); QDir().mkpath(shots))
                window->Toolbar1->grab().save(
                    shots + QStringLiteral("/dialogo-orientamento-%1x.png").arg(window->devicePixelRatio()));
            step = 1;
            click(*window, item(*window, "orizzontale"));
            break;
        case 1:
            step = 2;
            // The page setup dialog runs its own loop: clicked from outside
            // this timer's call, so that the timer goes on in that loop.
            QTimer::singleShot(0, window, [window] { click(*window, item(*window, "impostaPagina")); });
            break;
        default: click(*window, window->pulsante(QStringLiteral("esci"))); break;
        }
    });
    user.start(10);
    const int result = dialog.exec();
    user.stop();

    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(painted.size(), 3u);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(painted[0].orientation(), QPageLayout::Portrait);
    EXPECT_EQ(painted[1].orientation(), QPageLayout::Landscape);
    EXPECT_EQ(painted[1].pageSize().id(), QPageSize::A4);
    EXPECT_EQ(painted[2].pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(painted[2].orientation(), QPageLayout::Landscape);
    // Each window opened at the page the one before showed.
    EXPECT_EQ(indicators,
              (std::vector<QString>{QStringLiteral(" 1/3"), QStringLiteral(" 2/3"), QStringLiteral(" 2/3")}));
    EXPECT_EQ(landscapeChecked, (std::vector<bool>{false, true, true}));
    // The changes are the host's printer's.
    EXPECT_EQ(host.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(host.pageLayout().pageSize().id(), QPageSize::Letter);
    // The last recording is on that paper: the window showed it so.
    const std::optional<QPageLayout> recorded = SpoolFile(dialog.recorder()->spoolPath()).pageLayout(2);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(recorded->orientation(), QPageLayout::Landscape);
}

/// The items' texts in a language, as the user reads them.
struct ItemTexts
{
    const char *name;
    const char *locale;
    QStringList texts; // portrait, landscape, page setup
};

class DialogItemTexts : public DialogXvfb, public ::testing::WithParamInterface<ItemTexts>
{
protected:
    void TearDown() override { installTranslator(QLocale::c()); }
};

TEST_P(DialogItemTexts, AreInTheUsersLanguage)
{
    ASSERT_TRUE(installTranslator(QLocale(QLatin1String(GetParam().locale))));
    PrintPreviewDialog dialog(&host);
    QStringList texts;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto *window = qobject_cast<FrmAnteprima *>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !texts.isEmpty())
            return;
        for (const char *name : {"verticale", "orizzontale", "impostaPagina"})
            texts << (item(*window, name) ? item(*window, name)->text() : QString());
        click(*window, window->pulsante(QStringLiteral("esci")));
    });
    user.start(10);
    dialog.exec();
    user.stop();
    EXPECT_EQ(texts, GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, DialogItemTexts,
    ::testing::Values(ItemTexts{"Italian", "it_IT", {"Verticale", "Orizzontale", "Imposta pagina..."}},
                      ItemTexts{"English", "en_US", {"Portrait", "Landscape", "Page setup..."}}),
    [](const auto &info) { return std::string(info.param.name); });

// The window of the control (PrintPreview::ShowAnteprima) has the toolbar
// it always had: no orientation, no page setup.
TEST_F(DialogXvfb, TheControlsWindowHasNoLayoutItems)
{
    PrintPreview control;
    control.StampaTesto(1440, 1440, QStringLiteral("pagina"));
    bool looked = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto *window = qobject_cast<FrmAnteprima *>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || looked)
            return;
        looked = true;
        EXPECT_EQ(item(*window, "orizzontale"), nullptr);
        EXPECT_EQ(item(*window, "verticale"), nullptr);
        EXPECT_EQ(item(*window, "impostaPagina"), nullptr);
        click(*window, window->pulsante(QStringLiteral("esci")));
    });
    user.start(10);
    control.ShowAnteprima();
    user.stop();
    EXPECT_TRUE(looked);
}

} // namespace
} // namespace qv
