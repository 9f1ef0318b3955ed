// SPDX-License-Identifier: MIT
// The layout panel on a real X server (Xvfb), driven as a user drives it:
// a click on a finding, or the arrow keys and Enter to the widget that has
// the focus, asks to go to its page and place. Screenshots of the panel and
// of a page with a finding's outline are kept as test artefacts.
#include "preview/LayoutPanel.h"
#include "render/LayoutCheck.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace qv {
namespace {

QByteArray line(int x1, int y1, int x2, int y2)
{
    return QByteArray("#line@\r\n0,13,1,0,0,1\r\n") + QByteArray::number(x1) + ',' + QByteArray::number(y1) + ','
           + QByteArray::number(x2) + ',' + QByteArray::number(y2) + ",#FALSE#,#FALSE#\r\n";
}

/// Three pages (no printer: 11520 x 15872 twips each): page 1 a line off
/// its right edge, page 2 clean, page 3 a field that cut its text and a
/// line above the page.
QByteArray document()
{
    QByteArray doc = test::testo(1440, 1000, "Pagina 1", 12) + line(1440, 3000, 13000, 3000) + "#newpage@\r\n";
    doc += test::testo(1440, 1000, "Pagina 2", 12) + "#newpage@\r\n";
    doc += "#field@\r\n1440,2000,7\r\n" + test::testo(1440, 2000, "Descrizione", 12) + line(1440, -400, 5000, -400);
    return doc;
}

class LayoutPanelXvfb : public ::testing::Test
{
protected:
    void SetUp() override { test::TempEnv::noPrinters(); }

    std::shared_ptr<const spool::Document> write(const QByteArray &bytes)
    {
        const QString path = env.tempFolder() + QStringLiteral("controllo.tmp");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        return std::make_shared<const spool::Document>(spool::Document::onFile(path));
    }

    /// The panel shown on \a doc, its check done.
    void open(const QByteArray &doc)
    {
        panel = std::make_unique<LayoutPanel>();
        ASSERT_TRUE(panel->isHidden()) << "the window shows it on demand";
        panel->resize(420, 320);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
        QSignalSpy checked(panel.get(), &LayoutPanel::checked);
        panel->setDocument(write(doc));
        ASSERT_TRUE(checked.wait(30000));
    }

    /// The rows of findings (not of pages), in order.
    QList<QTreeWidgetItem *> findingRows() const
    {
        QList<QTreeWidgetItem *> rows;
        for (int i = 0; i < panel->list()->topLevelItemCount(); ++i)
            for (int j = 0; j < panel->list()->topLevelItem(i)->childCount(); ++j)
                rows << panel->list()->topLevelItem(i)->child(j);
        return rows;
    }

    void screenshot(const QString &name)
    {
        QDir().mkpath(QStringLiteral(QV_ARTIFACT_DIR));
        // One file for each scale the test runs at (QT_SCALE_FACTOR).
        const QString scaled = QStringLiteral("%1@%2x.png").arg(name).arg(panel->devicePixelRatioF());
        panel->grab().save(QStringLiteral(QV_ARTIFACT_DIR "/") + scaled);
    }

    test::TempEnv env;
    std::unique_ptr<LayoutPanel> panel;
};

/// The findings that do not depend on the machine's fonts ("Arial" may be drawn by another face).
QList<LayoutFinding> placed(const LayoutCheck &check)
{
    QList<LayoutFinding> out;
    for (const LayoutFinding &f : check.findings)
        if (f.kind != LayoutFinding::FontSubstituted)
            out << f;
    return out;
}

TEST_F(LayoutPanelXvfb, ListsTheFindingsPageByPage)
{
    open(document());
    const QList<LayoutFinding> found = placed(panel->check());
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].page, 1);
    EXPECT_EQ(found[0].kind, LayoutFinding::OffPage);
    EXPECT_EQ(found[1].kind, LayoutFinding::TextCut);
    EXPECT_EQ(found[2].kind, LayoutFinding::OffPage);
    EXPECT_EQ(found[2].page, 3);
    QTreeWidget *list = panel->list();
    // One row per page with findings (page 2 has none unless its font is replaced).
    QStringList pages;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        pages << list->topLevelItem(i)->text(0).section(QLatin1Char(' '), 0, 1);
    EXPECT_TRUE(pages.contains(QStringLiteral("Pagina 1")) && pages.contains(QStringLiteral("Pagina 3")))
        << qPrintable(pages.join(QLatin1Char(',')));
    EXPECT_TRUE(findingRows().value(0)->text(0).startsWith(QStringLiteral("riga ")));
    screenshot(QStringLiteral("layout-panel"));
}

TEST_F(LayoutPanelXvfb, AClickGoesToTheFindingsPageAndPlace)
{
    open(document());
    QSignalSpy goTo(panel.get(), &LayoutPanel::goTo);
    QTreeWidgetItem *cut = nullptr;
    const QList<QTreeWidgetItem *> rows = findingRows();
    for (QTreeWidgetItem *row : rows)
        if (row->text(0).contains(QStringLiteral("tagliato")))
            cut = row;
    ASSERT_TRUE(cut);
    QTreeWidget *list = panel->list();
    list->scrollToItem(cut);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(cut).center());
    ASSERT_EQ(goTo.count(), 1);
    EXPECT_EQ(goTo[0][0].toInt(), 2); // page 3, 0-based
    EXPECT_EQ(goTo[0][1].toRectF().left(), 1440);
    EXPECT_EQ(goTo[0][1].toRectF().width(), 2000);
}

TEST_F(LayoutPanelXvfb, EnterOnTheFocusedRowGoesThere)
{
    open(document());
    QSignalSpy goTo(panel.get(), &LayoutPanel::goTo);
    panel->list()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }));
    // The first finding is current; Home goes to page 1's row, Down to its first finding.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(goTo.count(), 1);
    EXPECT_EQ(goTo[0][0].toInt(), 0);
    EXPECT_TRUE(goTo[0][1].toRectF().isNull()) << "a page's row goes to the page";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    // The keypad's Enter (it carries the keypad modifier) goes there too.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(goTo.count(), 2);
    EXPECT_EQ(goTo[1][0].toInt(), 0);
    EXPECT_EQ(goTo[1][1].toRectF(), panel->check().findings.value(0).place);
}

TEST_F(LayoutPanelXvfb, ACleanDocumentSaysSoAndAnErrorIsTold)
{
    open(test::testo(1440, 1000, "Pagina 1", 12));
    EXPECT_TRUE(placed(panel->check()).isEmpty());
    QSignalSpy checked(panel.get(), &LayoutPanel::checked);
    panel->setDocument(write(line(0, 0, 20000, 0) + "#line@\r\n0,13,1,0,0,1\r\n1,2,tre\r\n"));
    ASSERT_TRUE(checked.wait(30000));
    ASSERT_TRUE(panel->check().error);
    EXPECT_EQ(placed(panel->check()).size(), 1);
    const QLabel *status = panel->findChild<QLabel *>();
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->text().contains(QStringLiteral("interrotto"))) << qPrintable(status->text());
}

TEST_F(LayoutPanelXvfb, ClosingWhileItChecksStopsTheCheck)
{
    QByteArray big;
    for (int p = 0; p < 20000; ++p)
        big += line(0, 0, 20000, 0) + "#newpage@\r\n";
    panel = std::make_unique<LayoutPanel>();
    panel->setDocument(write(big));
    EXPECT_TRUE(panel->isChecking());
    panel.reset(); // waits for the thread, which stops at the next page
    SUCCEED();
}

TEST_F(LayoutPanelXvfb, TheOutlineFramesTheFindingOnThePage)
{
    open(document());
    const LayoutFinding cut = placed(panel->check()).value(1);
    ASSERT_EQ(cut.kind, LayoutFinding::TextCut);
    // Page 3 at 50 dpi with the outline, as a view would draw it.
    SpoolFile spool(write(document())->path());
    QImage page = spool.renderPage(3, 50);
    {
        QPainter painter(&page);
        paintFindingOutline(painter, QRectF(QPointF(0, 0), QSizeF(page.size())), QSizeF(spool.pageSizeTwips(3)),
                            cut.place);
    }
    // The frame is red around the field: 1440 twips at 50 dpi is 50 pixels from the left.
    const QRect frame = findingOnPage(cut.place, QRectF(QPointF(0, 0), QSizeF(page.size())),
                                      spool.pageSizeTwips(3).width(), spool.pageSizeTwips(3).height())
                            .toAlignedRect();
    EXPECT_NEAR(frame.left(), 50, 1);
    const QColor edge = page.pixelColor(frame.left() - 3, frame.center().y());
    EXPECT_GT(edge.red(), 180);
    EXPECT_LT(edge.green(), 100);
    QDir().mkpath(QStringLiteral(QV_ARTIFACT_DIR));
    page.save(QStringLiteral(QV_ARTIFACT_DIR "/layout-outline.png"));
}

} // namespace
} // namespace qv
