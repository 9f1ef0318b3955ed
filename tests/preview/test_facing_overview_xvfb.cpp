// SPDX-License-Identifier: MIT
// The facing pages and the overview of the preview window on a real X
// server (Xvfb), driven by the keys of the widget with the focus, the menu
// of the views and clicks, as a user drives them. Screenshots of both and of
// the single page are kept as test artefacts (affiancate-<scale>x.png, ...).
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/OverviewView.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolWriter.h"
#include "support/TestEnv.h"
#include "support/WindowOnShow.h"
#include "tests/preview/SpoolDiProva.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace qv {
namespace {

using Mode = ViewerModel::ViewMode;

class FacingXvfb : public ::testing::Test
{
protected:
    /// A window on \a pages pages ("Pagina n" on each, or invoices).
    void open(int pages, bool invoices = false)
    {
        test::TempEnv::noPrinters();
        spool = env.tempFolder() + QStringLiteral("documento.tmp");
        ASSERT_TRUE(test::scriviDocumento(spool, pages, invoices, 20));
        show(pages);
    }
    /// A portrait report with a landscape page 3 and a Letter page 5, of \a pages pages.
    void openMixed(int pages)
    {
        test::TempEnv::noPrinters();
        const auto layout = [](QPageSize::PageSizeId id, QPageLayout::Orientation o) {
            spool::Record record(spool::TagPage);
            spool::writePageLayout(record, QPageLayout(QPageSize(id), o, QMarginsF(10, 10, 10, 10)));
            return record.bytes();
        };
        QByteArray doc;
        for (int p = 1; p <= pages; ++p) {
            if (p > 1)
                doc += "#newpage@\r\n";
            doc += p == 3   ? layout(QPageSize::A4, QPageLayout::Landscape)
                   : p == 5 ? layout(QPageSize::Letter, QPageLayout::Portrait)
                            : layout(QPageSize::A4, QPageLayout::Portrait);
            doc += test::testo(1440, 1000, "Pagina " + QByteArray::number(p), 12);
        }
        spool = env.tempFolder() + QStringLiteral("formati.tmp");
        QFile f(spool);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(doc);
        f.close();
        show(pages);
    }
    void show(int pages)
    {
        platform::setBeepHandlerForTesting([this] { ++beeps; });
        w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(pages);
        w->setTitolo(QStringLiteral("Viste"));
        w->InizializzaAnteprima();
        test::showActive(*w);
    }

    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { test::keyToFocus(*w, k, mods); }
    /// An item of the views' menu.
    QAction *item(const char *name)
    {
        QMenu *menu = w->findChild<QMenu *>(QStringLiteral("mnviste"));
        return menu ? menu->findChild<QAction *>(QLatin1String(name)) : nullptr;
    }
    ContinuousView &facing() { return *w->vistaAffiancata(); }
    OverviewView &overview() { return *w->panoramica(); }
    int32_t page() const { return w->model().currentPage(); }

    /// What the window shows, saved as \a name-<scale>x.png in the artefacts.
    void shoot(const QString &name)
    {
        QCoreApplication::processEvents();
        const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/%1-%2x.png").arg(name).arg(qRound(w->devicePixelRatioF()));
        EXPECT_TRUE(w->grab().save(file));
        std::printf("screenshot: %s\n", qPrintable(file));
    }

    void TearDown() override { platform::setBeepHandlerForTesting({}); }

    test::TempEnv env;
    int beeps = 0;
    QString spool;
    std::unique_ptr<FrmAnteprima> w;
};

// Page 1 alone at the right, as a book opens, or beside page 2: the rows
// and the pages' places, and the page commands that go through them.
class FacingRows : public FacingXvfb, public ::testing::WithParamInterface<bool>
{};

TEST_P(FacingRows, PagesStandTwoARowAsTheChoiceSays)
{
    const bool alone = GetParam();
    open(5, true); // invoices, for the screenshots
    EXPECT_EQ(w->model().viewMode(), Mode::SinglePage) << "the window opens as it always has";
    key(Qt::Key_D);
    ASSERT_EQ(w->model().viewMode(), Mode::Facing);
    ASSERT_TRUE(facing().isVisible());
    EXPECT_FALSE(w->Picture1->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &facing());
    EXPECT_TRUE(item("mnaffiancate")->isChecked());
    ASSERT_TRUE(item("mnprimasola")->isChecked()) << "a book by default";
    if (!alone)
        item("mnprimasola")->trigger();
    key(Qt::Key_Minus);
    key(Qt::Key_Minus); // 25 %: every row in view

    const int middle = facing().viewport()->width() / 2;
    const QRect p1 = facing().pageRect(0), p2 = facing().pageRect(1), p3 = facing().pageRect(2);
    if (alone) {
        EXPECT_GT(p1.left(), middle) << "page 1 at the right of the spine";
        EXPECT_EQ(p2.top(), p3.top());
        EXPECT_GT(p2.top(), p1.bottom());
        EXPECT_LT(p2.right(), middle);
        EXPECT_GT(p3.left(), middle);
    } else {
        EXPECT_EQ(p1.top(), p2.top());
        EXPECT_LT(p1.right(), middle);
        EXPECT_GT(p2.left(), middle);
        EXPECT_GT(p3.top(), p1.bottom());
    }
    EXPECT_EQ(facing().pageSize(0), facing().pageSize(1));
    // Each page replayed on a surface of its own size, page 1 too (shown
    // before the view had worked its sizes out).
    for (int32_t p = 0; p < 3; ++p) {
        ASSERT_NE(facing().widgetOf(p), nullptr) << p;
        ASSERT_NE(facing().widgetOf(p)->Picture(), nullptr) << p;
        EXPECT_EQ(facing().widgetOf(p)->Picture()->sizeTwips(), w->model().pageTwips(p)) << p;
    }
    const QRect &leftPage = alone ? p2 : p1, &rightPage = alone ? p3 : p2;
    EXPECT_EQ(rightPage.left() - leftPage.right() - 1, facing().layout().spine()) << "the spine between them";
    EXPECT_EQ(facing().layout().spine(), 3) << "12 pixels at 100 %, at the zoom";
    // A widget for each page in view, no more.
    int inView = 0;
    for (int32_t p = 0; p < 5; ++p)
        inView += facing().pageRect(p).intersects(facing().viewport()->rect());
    EXPECT_EQ(facing().pagesShown(), inView);

    // The page commands, the keys and the page field go through the rows.
    w->pulsante(QStringLiteral("successiva"))->trigger();
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 2/5"));
    key(Qt::Key_End);
    EXPECT_EQ(page(), 4);
    EXPECT_FALSE(w->pulsante(QStringLiteral("ultima"))->isEnabled());
    w->Text1->setFocus();
    w->Text1->setText(QStringLiteral("3"));
    QTest::keyClick(w->Text1, Qt::Key_Return);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(QApplication::focusWidget(), &facing());
    key(Qt::Key_Home);
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(beeps, 0);
    shoot(alone ? QStringLiteral("affiancate") : QStringLiteral("affiancate-coppie"));

    // D again: the single page, on the page on show.
    w->pulsante(QStringLiteral("successiva"))->trigger();
    key(Qt::Key_D);
    EXPECT_EQ(w->model().viewMode(), Mode::SinglePage);
    EXPECT_TRUE(w->Picture1->isVisible());
    EXPECT_EQ(facing().pagesInMemory(), 0) << "hidden, it keeps nothing";
    EXPECT_EQ(w->PaginaVisualizzata(), 1);
    EXPECT_FALSE(item("mnaffiancate")->isChecked());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Viste    25%")) << "the zoom stays";
    if (alone)
        shoot(QStringLiteral("pagina-singola"));
}

INSTANTIATE_TEST_SUITE_P(FirstPage, FacingRows, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "AloneAtTheRight" : "BesidePageTwo";
                         });

// Pages of other sizes and orientations, each at its own, meet at the
// spine; a spread fitted to the width fills the window.
TEST_F(FacingXvfb, PagesOfOtherSizesMeetAtTheSpineAndFit)
{
    openMixed(6);
    item("mnaffiancate")->trigger();
    ASSERT_EQ(w->model().viewMode(), Mode::Facing);
    w->model().setCurrentPage(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return facing().widgetOf(2) != nullptr; }));
    const QSize a4 = facing().pageSize(1), turned = facing().pageSize(2);
    EXPECT_LT(a4.width(), a4.height());
    EXPECT_GT(turned.width(), turned.height());
    EXPECT_NEAR(turned.width(), a4.height(), 2);
    const QRect left = facing().pageRect(1), right = facing().pageRect(2);
    EXPECT_EQ(left.center().y(), right.center().y()) << "centred on their row";
    EXPECT_EQ(facing().widgetOf(2)->size(), turned);
    // The row is as high as its A4 page; the next row starts a gap under it.
    EXPECT_EQ(facing().pageRect(3).top() - left.bottom() - 1, ContinuousView::Gap);
    EXPECT_EQ(right.left() - left.right() - 1, facing().layout().spine());

    key(Qt::Key_W); // the spread as wide as the window
    const QRect l2 = facing().pageRect(1), r2 = facing().pageRect(2);
    EXPECT_EQ(facing().horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(l2.left(), 0);
    EXPECT_LE(r2.right(), facing().viewport()->width());
    EXPECT_GE(r2.right(), facing().viewport()->width() - 3) << "the widest page reaches the edge";
    key(Qt::Key_F); // the spread in the window
    const QRect l3 = facing().pageRect(1);
    EXPECT_LE(l3.height(), facing().viewport()->height());
    // Letter (page 5): narrower and shorter than A4 beside it.
    w->model().setCurrentPage(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return facing().widgetOf(4) != nullptr; }));
    EXPECT_LT(facing().pageSize(4).height(), facing().pageSize(3).height());
    shoot(QStringLiteral("affiancate-formati"));
}

TEST_F(FacingXvfb, AFindShowsItsMatchOnTheFacingPages)
{
    open(40);
    key(Qt::Key_D);
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(w->findBar()->field(), QStringLiteral("pagina 27"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page() == 26; }, 10000));
    ASSERT_NE(facing().widgetOf(26), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return facing().widgetOf(26)->highlight() != nullptr; }, 10000));
    // The match (at 1440, 2880 twips on its page) is in view.
    const int matchY = facing().pageRect(26).top() + int(2880 * w->model().zoom() / platform::twipsPerPixelY());
    EXPECT_GE(matchY, 0);
    EXPECT_LT(matchY, facing().viewport()->height());
    QTest::keyClick(w->findBar()->field(), Qt::Key_Escape);
    EXPECT_EQ(facing().widgetOf(26)->highlight(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), &facing());
}

// The overview: the keys move the mark, Enter or a click opens the page.
TEST_F(FacingXvfb, TheOverviewsKeysMoveTheMarkAndEnterOpensThePage)
{
    open(100);
    key(Qt::Key_G);
    ASSERT_EQ(w->model().viewMode(), Mode::Overview);
    ASSERT_TRUE(overview().isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &overview());
    EXPECT_TRUE(item("mnpanoramica")->isChecked());
    const int columns = overview().columns();
    ASSERT_GE(columns, 3);

    struct Step
    {
        Qt::Key key;
        int32_t page;
    };
    const int32_t screen =
        columns * std::max(1, overview().viewport()->height() / (overview().cellSize().height() + OverviewView::Gap));
    for (const Step &s : {Step{Qt::Key_Right, 1}, Step{Qt::Key_Down, 1 + columns}, Step{Qt::Key_Left, columns},
                          Step{Qt::Key_Up, 0}, Step{Qt::Key_PageDown, screen}, Step{Qt::Key_End, 99},
                          Step{Qt::Key_PageUp, 99 - screen}, Step{Qt::Key_Home, 0}}) {
        key(s.key);
        EXPECT_EQ(page(), s.page) << "key " << s.key;
        EXPECT_TRUE(overview().viewport()->rect().contains(overview().cellRect(page()))) << "key " << s.key;
    }
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/100"));
    EXPECT_EQ(beeps, 0);
    key(Qt::Key_Left); // nothing before page 1
    key(Qt::Key_Up);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(page(), 0);

    // The page buttons move the mark too.
    w->pulsante(QStringLiteral("ultima"))->trigger();
    EXPECT_EQ(page(), 99);
    EXPECT_TRUE(overview().viewport()->rect().contains(overview().cellRect(99)));
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Return);
    EXPECT_EQ(w->model().viewMode(), Mode::SinglePage);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 3/100"));
    EXPECT_TRUE(w->Picture1->isVisible());
    EXPECT_FALSE(item("mnpanoramica")->isChecked());
    EXPECT_EQ(overview().imagesHeld(), 0) << "hidden, it keeps nothing";
}

TEST_F(FacingXvfb, AClickInTheOverviewOpensThatPage)
{
    openMixed(12);
    item("mnpanoramica")->trigger();
    ASSERT_EQ(w->model().viewMode(), Mode::Overview);
    // The small pages in view come from the worker, each at its own shape.
    for (int32_t p : {0, 2, 4})
        ASSERT_TRUE(QTest::qWaitFor([&] { return overview().hasImage(p); }, 10000)) << p;
    const QRect portrait = overview().pictureRect(0), turned = overview().pictureRect(2);
    EXPECT_LT(portrait.width(), portrait.height());
    EXPECT_GT(turned.width(), turned.height());
    EXPECT_EQ(overview().cellRect(2).size(), overview().cellRect(0).size()) << "one size of cell";
    EXPECT_LE(overview().imagesHeld(), 12);
    shoot(QStringLiteral("panoramica"));

    QTest::mouseClick(overview().viewport(), Qt::LeftButton, Qt::NoModifier, overview().cellRect(4).center());
    EXPECT_EQ(w->model().viewMode(), Mode::SinglePage);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 5/12"));
    EXPECT_EQ(w->PaginaVisualizzata(), 4);
    shoot(QStringLiteral("panoramica-aperta"));

    // From the menu again: the overview, then the facing pages, then back to one page.
    item("mnpanoramica")->trigger();
    EXPECT_EQ(w->model().viewMode(), Mode::Overview);
    EXPECT_TRUE(overview().viewport()->rect().contains(overview().cellRect(4)));
    item("mnaffiancate")->trigger();
    EXPECT_EQ(w->model().viewMode(), Mode::Facing);
    EXPECT_FALSE(item("mnpanoramica")->isChecked());
    EXPECT_TRUE(item("mnaffiancate")->isChecked());
    EXPECT_EQ(page(), 4);
    item("mnaffiancate")->trigger();
    EXPECT_EQ(w->model().viewMode(), Mode::SinglePage);
    EXPECT_FALSE(item("mnaffiancate")->isChecked());
}

// The zoom sets the size of the small pages; the grid follows the window.
TEST_F(FacingXvfb, TheOverviewFollowsTheZoomAndTheWindow)
{
    open(1000);
    key(Qt::Key_G);
    const int columns = overview().columns();
    const QSize box = overview().boxSize();
    key(Qt::Key_Minus);
    EXPECT_LT(overview().boxSize().width(), box.width());
    EXPECT_GT(overview().columns(), columns);
    key(Qt::Key_Plus);
    EXPECT_EQ(overview().boxSize(), box);
    w->resize(600, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return overview().columns() < columns; }));
    // Far into the document, only the small pages in view are held.
    key(Qt::Key_End);
    ASSERT_TRUE(QTest::qWaitFor([&] { return overview().hasImage(999); }, 10000));
    const int cells = overview().columns() * (overview().viewport()->height() / overview().cellSize().height() + 3);
    EXPECT_LE(overview().imagesHeld(), cells);
    EXPECT_LT(overview().imagesMade(), 200);
}

} // namespace
} // namespace qv
