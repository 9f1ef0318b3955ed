// SPDX-License-Identifier: MIT
// The drop-in for QPrintPreviewWidget inside a host's window on a real X
// server (Xvfb): the host's own buttons clicked, keys sent to the focus
// widget. The page area fills the widget (no toolbar of the window shows),
// Esc is the host's, the zoom and page slots do what Qt's do, a change of
// orientation records again at the page on show, and print() prints the
// recording to the host's printer. Only the single page view is shown here.
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/control/QtScenes.h"
#include "tests/render/PdfTools.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewWidget.h>
#include <qvpreview/SpoolFile.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace qv {
namespace {

/// A host as a Qt developer writes one: a dialog with its own buttons over
/// the preview widget, the slot painting three pages "pagina N".
class Host : public QDialog
{
public:
    explicit Host(QPrinter &printer) : preview(new PrintPreviewWidget(&printer, this))
    {
        auto *layout = new QVBoxLayout(this);
        auto *buttons = new QHBoxLayout;
        layout->addLayout(buttons);
        layout->addWidget(preview, 1);
        const auto add = [&](const char *name, std::function<void()> slot) {
            auto *button = new QPushButton(QString::fromLatin1(name), this);
            button->setObjectName(QString::fromLatin1(name));
            button->setFocusPolicy(Qt::NoFocus); // the keys stay the preview's
            buttons->addWidget(button);
            connect(button, &QPushButton::clicked, this, slot);
        };
        add("next", [this] { preview->setCurrentPage(preview->currentPage() + 1); });
        add("page99", [this] { preview->setCurrentPage(99); });
        add("zoomIn", [this] { preview->zoomIn(); });
        add("zoomOut", [this] { preview->zoomOut(2); });
        add("zoom2", [this] { preview->setZoomFactor(2); });
        add("zoom9", [this] { preview->setZoomFactor(9); });
        add("width", [this] { preview->fitToWidth(); });
        add("view", [this] { preview->fitInView(); });
        add("landscape", [this] { preview->setLandscapeOrientation(); });
        add("single", [this] { preview->setSinglePageViewMode(); });
        connect(preview, &PrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
            painted.push_back(printer->pageLayout());
            QPainter p(printer);
            for (int page = 1; page <= 3; ++page) {
                if (page > 1)
                    printer->newPage();
                p.drawText(QPointF(500, 500), QStringLiteral("pagina %1").arg(page));
            }
        });
        resize(700, 800);
    }

    void click(const char *name)
    {
        auto *button = findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    FrmAnteprima *window() const { return preview->findChild<FrmAnteprima *>(); }

    PrintPreviewWidget *preview;
    std::vector<QPageLayout> painted;
};

class WidgetXvfb : public ::testing::Test
{
protected:
    WidgetXvfb()
    {
        test::TempEnv::onlyThePdfPrinter();
        test::useA4Pdf(printer, env.root() + QStringLiteral("host.pdf"));
    }
    ~WidgetXvfb() override { platform::setPrintersForTesting(std::nullopt); }

    /// Shows the host and waits until its window is on the screen with the
    /// page area in focus.
    void open()
    {
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        ASSERT_NE(host.window(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 5000));
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key(key), modifiers);
    }

    test::TempEnv env;
    QPrinter printer{QPrinter::HighResolution};
    Host host{printer};
};

TEST_F(WidgetXvfb, RecordsOnFirstShowAndFillsTheWidgetWithThePage)
{
    EXPECT_EQ(host.preview->pageCount(), 0);
    EXPECT_EQ(host.preview->currentPage(), 0);
    EXPECT_EQ(host.preview->zoomMode(), PrintPreviewWidget::FitInView);
    open();
    ASSERT_EQ(host.painted.size(), 1u);
    EXPECT_EQ(host.preview->pageCount(), 3);
    EXPECT_EQ(host.preview->currentPage(), 1);
    EXPECT_EQ(host.preview->zoomMode(), PrintPreviewWidget::FitInView);
    EXPECT_EQ(host.preview->viewMode(), PrintPreviewWidget::SinglePageView);

    // The window is a part of the host's window, its toolbar out of sight,
    // its page area over the whole widget.
    FrmAnteprima &window = *host.window();
    EXPECT_FALSE(window.isWindow());
    EXPECT_FALSE(window.Toolbar1->isVisible());
    EXPECT_FALSE(window.chkMassima->isVisible());
    const QRect area(window.Picture1->mapTo(host.preview, QPoint(0, 0)), window.Picture1->size());
    EXPECT_EQ(area.top(), 0);
    EXPECT_EQ(area.left(), 0);
    EXPECT_GT(area.height(), host.preview->height() * 3 / 4);
    // The whole page fits: no vertical scrolling.
    EXPECT_FALSE(window.VScroll1->isEnabled() && window.VScroll1->maximum() > 0);
    // The host closes what it embeds: no "Chiudi" in the page's menu.
    QAction *close = window.mnfile->findChild<QAction *>(QStringLiteral("mnchiudi"));
    ASSERT_NE(close, nullptr);
    EXPECT_FALSE(close->isVisible());

    // Resized with the host, the fitted page follows.
    const double before = host.preview->zoomFactor();
    host.resize(host.width(), host.height() * 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.preview->zoomFactor() > before * 1.5; }, 5000))
        << before << " " << host.preview->zoomFactor();
}

/// One of the host's buttons, clicked on the first page fitted in view,
/// and what the widget then says.
struct Click
{
    const char *name;
    std::vector<const char *> buttons;
    int page;
    PrintPreviewWidget::ZoomMode mode;
    std::function<bool(double fitted, double factor)> zoom;
};

class WidgetClicks : public WidgetXvfb, public ::testing::WithParamInterface<Click>
{};

TEST_P(WidgetClicks, DoWhatQtsSlotsDo)
{
    open();
    const double fitted = host.preview->zoomFactor();
    QSignalSpy changed(host.preview, &PrintPreviewWidget::previewChanged);
    for (const char *button : GetParam().buttons)
        host.click(button);
    EXPECT_EQ(host.preview->currentPage(), GetParam().page);
    EXPECT_EQ(host.preview->zoomMode(), GetParam().mode);
    EXPECT_TRUE(GetParam().zoom(fitted, host.preview->zoomFactor()))
        << "fitted " << fitted << ", now " << host.preview->zoomFactor();
    EXPECT_GE(changed.count(), 1);
    // Nothing was recorded again.
    EXPECT_EQ(host.painted.size(), 1u);
}

const auto near = [](double expected) {
    return [expected](double, double factor) { return std::abs(factor - expected) < 0.01; };
};

INSTANTIATE_TEST_SUITE_P(
    Buttons, WidgetClicks,
    ::testing::Values(
        Click{"NextPage", {"next"}, 2, PrintPreviewWidget::FitInView, [](double f, double z) { return z == f; }},
        Click{"PastTheLastIsIgnored",
              {"next", "page99"},
              2,
              PrintPreviewWidget::FitInView,
              [](double f, double z) { return z == f; }},
        Click{"ZoomIn",
              {"zoomIn"},
              1,
              PrintPreviewWidget::CustomZoom,
              [](double f, double z) { return std::abs(z - f * 1.1) < 0.01; }},
        Click{"ZoomOutBy2", {"zoom2", "zoomOut"}, 1, PrintPreviewWidget::CustomZoom, near(1.0)},
        Click{"Factor", {"zoom2"}, 1, PrintPreviewWidget::CustomZoom, near(2.0)},
        Click{"FactorKeptAt400", {"zoom9"}, 1, PrintPreviewWidget::CustomZoom, near(4.0)},
        Click{"FitToWidth", {"width"}, 1, PrintPreviewWidget::FitToWidth, [](double f, double z) { return z > f; }},
        Click{"BackToFitInView",
              {"zoom2", "view"},
              1,
              PrintPreviewWidget::FitInView,
              [](double f, double z) { return std::abs(z - f) < 0.001; }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WidgetXvfb, KeysToTheFocusWidgetDriveThePreviewAndEscIsTheHosts)
{
    open();
    QSignalSpy changed(host.preview, &PrintPreviewWidget::previewChanged);
    key(Qt::Key_End);
    EXPECT_EQ(host.preview->currentPage(), 3);
    EXPECT_GE(changed.count(), 1);
    key(Qt::Key_W);
    EXPECT_EQ(host.preview->zoomMode(), PrintPreviewWidget::FitToWidth);
    key(Qt::Key_Plus);
    EXPECT_EQ(host.preview->zoomMode(), PrintPreviewWidget::CustomZoom);

    // Esc closes the find bar first, the preview staying.
    FrmAnteprima &window = *host.window();
    key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.findBar()->isVisible(); }, 5000));
    key(Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.findBar()->isVisible(); }, 5000));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(host.isVisible());

    // Then it goes on to the host's dialog, which closes; the preview never hid.
    QSignalSpy finished(&host, &QDialog::finished);
    key(Qt::Key_Escape);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(5000));
    EXPECT_EQ(finished.first().first().toInt(), int(QDialog::Rejected));
    EXPECT_FALSE(window.isHidden());
}

TEST_F(WidgetXvfb, OrientationRecordsAgainAtThePageOnShowInTheSameZoomMode)
{
    open();
    host.click("next");
    host.click("width");
    QSignalSpy changed(host.preview, &PrintPreviewWidget::previewChanged);
    host.click("landscape");
    ASSERT_EQ(host.painted.size(), 2u);
    EXPECT_EQ(host.painted[0].orientation(), QPageLayout::Portrait);
    EXPECT_EQ(host.painted[1].orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(host.preview->orientation(), QPageLayout::Landscape);
    EXPECT_EQ(host.preview->currentPage(), 2);
    EXPECT_EQ(host.preview->pageCount(), 3);
    EXPECT_EQ(host.preview->zoomMode(), PrintPreviewWidget::FitToWidth);
    EXPECT_GE(changed.count(), 1);
    // The window shows the new recording, on its paper.
    EXPECT_EQ(host.window()->FileTemporaneo(), host.preview->recorder()->spoolPath());
    const std::optional<QPageLayout> recorded = SpoolFile(host.preview->recorder()->spoolPath()).pageLayout(2);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->orientation(), QPageLayout::Landscape);
    EXPECT_TRUE(host.window()->isVisible());

    // updatePreview() paints again, at the same page.
    host.preview->updatePreview();
    EXPECT_EQ(host.painted.size(), 3u);
    EXPECT_EQ(host.preview->currentPage(), 2);
}

TEST_F(WidgetXvfb, TheContinuousViewReadsAsSinglePageAndTheSlotShowsTheSinglePage)
{
    open();
    key(Qt::Key_F8);
    EXPECT_EQ(host.window()->model().viewMode(), ViewerModel::ViewMode::Continuous);
    EXPECT_EQ(host.preview->viewMode(), PrintPreviewWidget::SinglePageView);
    host.click("single");
    EXPECT_EQ(host.window()->model().viewMode(), ViewerModel::ViewMode::SinglePage);
}

/// The host's printer's range and copies, and the pages its PDF then has.
struct Range
{
    const char *name;
    QPrinter::PrintRange range;
    int from, to, copies;
    QStringList pages;
};

class WidgetPrint : public WidgetXvfb, public ::testing::WithParamInterface<Range>
{};

TEST_P(WidgetPrint, PrintsTheRecordingToTheHostsPrinter)
{
    open();
    host.click("next"); // the page on show: 2
    printer.setPrintRange(GetParam().range);
    printer.setFromTo(GetParam().from, GetParam().to);
    printer.setCopyCount(GetParam().copies);
    const QString pdf = printer.outputFileName();
    ASSERT_TRUE(host.preview->print()) << (host.preview->lastPrintError() ? host.preview->lastPrintError()->what()
                                                                          : "");
    EXPECT_FALSE(host.preview->lastPrintError());
    QStringList texts;
    for (const QString &page : test::pdfPageTexts(pdf))
        texts << page.simplified();
    EXPECT_EQ(texts, GetParam().pages);
    EXPECT_EQ(host.painted.size(), 1u); // printed as recorded, not painted again
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, WidgetPrint,
    ::testing::Values(Range{"All", QPrinter::AllPages, 0, 0, 1, {"pagina 1", "pagina 2", "pagina 3"}},
                      Range{"FromTo", QPrinter::PageRange, 2, 3, 1, {"pagina 2", "pagina 3"}},
                      Range{"CurrentPageTwice", QPrinter::CurrentPage, 0, 0, 2, {"pagina 2", "pagina 2"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WidgetXvfb, APrintThatFailsIsReported)
{
    open();
    // A PDF file in a folder that is not there.
    const QString pdf = env.root() + QStringLiteral("manca/stampa.pdf");
    printer.setOutputFileName(pdf);
    EXPECT_FALSE(host.preview->print());
    ASSERT_TRUE(host.preview->lastPrintError());
    EXPECT_EQ(host.preview->lastPrintError()->number(), int(ErrPrinter)) << host.preview->lastPrintError()->what();
    EXPECT_FALSE(QFile::exists(pdf));
    // The next print that works clears it.
    printer.setOutputFileName(env.root() + QStringLiteral("stampa.pdf"));
    EXPECT_TRUE(host.preview->print());
    EXPECT_FALSE(host.preview->lastPrintError());
}

} // namespace
} // namespace qv
