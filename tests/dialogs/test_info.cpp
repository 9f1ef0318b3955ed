// SPDX-License-Identifier: MIT
// The about box: its texts and its two links.
#include "dialogs/FrmInfo.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <ostream>

namespace qv {
namespace {

class InfoTest : public test::TempEnvTest
{
protected:
    void SetUp() override { platform::setTwipsPerPixelForTesting(15, 15); }

    QLabel *label(const char *name)
    {
        auto *l = box.findChild<QLabel *>(QLatin1String(name));
        EXPECT_NE(l, nullptr) << name;
        return l;
    }
    static QColor colore(QLabel *l) { return l->palette().color(QPalette::WindowText); }

    FrmInfo box;
};

TEST_F(InfoTest, CaptionVersionAndLinks)
{
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Informazioni sul PrintPreview..."));
    EXPECT_EQ(box.size(), QSize(435, 212));
    EXPECT_EQ(label("Label1")->text(), QStringLiteral("qvPreview v1.2.48"));
    EXPECT_TRUE(label("Label1")->font().bold());
    EXPECT_EQ(label("Label3")->text(), QStringLiteral("https://qvpreview.example.org"));
    EXPECT_EQ(label("Label3")->toolTip(), QStringLiteral("Il mio sito ufficiale"));
    EXPECT_EQ(label("Label4")->text(), QStringLiteral("E-Mail: info@qvpreview.example.org"));
    EXPECT_EQ(label("Label4")->toolTip(), QStringLiteral("Scrivimi..."));
    for (const char *name : {"Label3", "Label4"}) {
        EXPECT_EQ(colore(label(name)), QColor(0, 0, 255)) << name;
        EXPECT_EQ(label(name)->cursor().shape(), Qt::PointingHandCursor) << name;
    }
    EXPECT_EQ(box.findChild<QPushButton *>(QStringLiteral("Command1"))->text(), QStringLiteral("&OK"));
}

TEST_F(InfoTest, PicturesAreDrawn)
{
    const QPixmap icon = label("Image1")->pixmap();
    const QPixmap banner = label("Image2")->pixmap();
    ASSERT_FALSE(icon.isNull());
    ASSERT_FALSE(banner.isNull());
    EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32));
    EXPECT_EQ(banner.deviceIndependentSize().toSize(), QSize(265, 80));
    // Not left blank: the banner's background is drawn.
    const QImage image = banner.toImage();
    EXPECT_GT(qAlpha(image.pixel(image.width() / 2, 2)), 0);
}

struct LinkCase
{
    const char *label;
    const char *target;
};

void PrintTo(const LinkCase &c, std::ostream *os)
{
    *os << c.label;
}

class CollegamentoTest : public InfoTest, public ::testing::WithParamInterface<LinkCase>
{};

TEST_P(CollegamentoTest, ClickOpensTheTargetWhileTheLinkIsRed)
{
    QStringList opened;
    QList<QColor> colourWhenOpened;
    QLabel *link = label(GetParam().label);
    platform::setOpenUrlHandlerForTesting([&](const QString &url) {
        opened << url;
        colourWhenOpened << colore(link);
        return true;
    });
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QString::fromUtf8(GetParam().target)});
    EXPECT_EQ(colourWhenOpened, QList<QColor>{QColor(255, 0, 0)});
    EXPECT_EQ(colore(link), QColor(0, 0, 255));
    EXPECT_TRUE(box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Links, CollegamentoTest,
                         ::testing::Values(LinkCase{"Label3", "https://qvpreview.example.org"},
                                           LinkCase{"Label4", "mailto:info@qvpreview.example.org"}));

TEST_F(InfoTest, ALinkThatCannotOpenStillFlashesAndChangesNothing)
{
    int calls = 0;
    platform::setOpenUrlHandlerForTesting([&](const QString &) {
        ++calls;
        return false;
    });
    platform::setMessageBoxHandlerForTesting([](const QString &text, const QString &, platform::MessageIcon) {
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
    });
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(label("Label3"), Qt::LeftButton);
    QTest::mouseClick(label("Label3"), Qt::LeftButton);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(colore(label("Label3")), QColor(0, 0, 255));
    EXPECT_TRUE(box.isVisible());
}

TEST_F(InfoTest, OtherClicksOpenNothing)
{
    int calls = 0;
    platform::setOpenUrlHandlerForTesting([&](const QString &) {
        ++calls;
        return true;
    });
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(label("Label3"), Qt::RightButton);
    QTest::mouseClick(label("Label1"), Qt::LeftButton);
    QTest::mouseClick(label("Image2"), Qt::LeftButton);
    EXPECT_EQ(calls, 0);
}

TEST_F(InfoTest, OkCloses)
{
    QTimer::singleShot(0, &box, [this] {
        QTest::mouseClick(box.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace qv
