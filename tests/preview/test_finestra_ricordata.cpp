// What the preview window remembers in the user's settings, read back
// whatever the file holds, and the control's window properties that refuse
// what no window can be.
#include "platform/Devices.h"
#include "preview/RememberedWindow.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QFile>

#include <gtest/gtest.h>

namespace qv {
namespace {

using Ricordo = test::TempEnvTest;

TEST_F(Ricordo, NothingBeforeTheFirstWindowThenWhatWasWritten)
{
    EXPECT_FALSE(RememberedWindow::leggi());
    for (const RememberedWindow &r :
         {RememberedWindow{QRect(10, 20, 800, 600), true, PageView::Adattamento::Nessuno, 1.37, 1},
          RememberedWindow{QRect(-50, 0, 1, 1), false, PageView::Adattamento::Larghezza, 1, 0},
          RememberedWindow{QRect(0, 0, 1920, 1080), false, PageView::Adattamento::Pagina, 1, 7}}) {
        ASSERT_TRUE(r.scrivi());
        const std::optional<RememberedWindow> letto = RememberedWindow::leggi();
        ASSERT_TRUE(letto);
        EXPECT_EQ(letto->geometria, r.geometria);
        EXPECT_EQ(letto->massimizzata, r.massimizzata);
        EXPECT_EQ(letto->adattamento, r.adattamento);
        EXPECT_DOUBLE_EQ(letto->zoom, r.zoom);
        EXPECT_EQ(letto->vista, r.vista);
    }
}

struct Valori
{
    const char *geometria, *zoom, *vista;
    QRect attesaGeometria;
    double attesoZoom;
    int attesaVista;
};

class RicordoGuasto : public test::TempEnvTest, public ::testing::WithParamInterface<Valori>
{};

/// A file edited by hand or left by another version: what cannot be read is
/// left at its default, the rest is kept.
TEST_P(RicordoGuasto, WhatCannotBeReadIsLeftAtItsDefault)
{
    const Valori &v = GetParam();
    const QString app = QStringLiteral("QVPREVIEW"), sezione = QStringLiteral("FINESTRA");
    platform::writeUserSetting(app, sezione, QStringLiteral("GEOMETRIA"), QString::fromUtf8(v.geometria));
    platform::writeUserSetting(app, sezione, QStringLiteral("ZOOM"), QString::fromUtf8(v.zoom));
    platform::writeUserSetting(app, sezione, QStringLiteral("VISTA"), QString::fromUtf8(v.vista));
    const std::optional<RememberedWindow> r = RememberedWindow::leggi();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->geometria, v.attesaGeometria);
    EXPECT_DOUBLE_EQ(r->zoom, v.attesoZoom);
    EXPECT_EQ(r->adattamento, PageView::Adattamento::Nessuno);
    EXPECT_EQ(r->vista, v.attesaVista);
}

INSTANTIATE_TEST_SUITE_P(Files, RicordoGuasto,
                         ::testing::Values(Valori{"1 2 300 400", "250", "1", QRect(1, 2, 300, 400), 2.5, 1},
                                           Valori{"1 2 300", "abc", "x", QRect(), 1, 0},
                                           Valori{"1 2 0 400", "0", "", QRect(), 1, 0},
                                           Valori{"a b c d", "-50", "2", QRect(), 1, 2},
                                           Valori{"1 2 99999 400", "inf", "3", QRect(), 1, 3},
                                           Valori{" 5  6  7  8 ", "401", "0", QRect(5, 6, 7, 8), 1, 0},
                                           Valori{"1,2,300,400", "nan", "1.5", QRect(), 1, 0}));

TEST(ProprietaFinestra, DefaultsOffAndRefusesWhatNoWindowCanBe)
{
    PrintPreview pp;
    EXPECT_EQ(pp.previewWindowOptions(), PreviewWindowOptions());
    for (const QSize &size : {QSize(0, 300), QSize(300, -1), QSize(-1, 1)}) {
        try {
            pp.setPreviewSize(size);
            ADD_FAILURE() << size.width() << " x " << size.height() << " accepted";
        } catch (const Error &e) {
            EXPECT_EQ(e.number(), 380);
        }
    }
    EXPECT_THROW(pp.setPreviewFit(3), Error);
    EXPECT_THROW(pp.setPreviewFit(-1), Error);
    PreviewWindowOptions cattive;
    cattive.remember = true;
    cattive.size = QSize(10, 0);
    EXPECT_THROW(pp.setPreviewWindowOptions(cattive), Error);
    EXPECT_EQ(pp.previewWindowOptions(), PreviewWindowOptions()); // nothing changed
    // Written by name, as a form designer writes them: refused with a
    // warning, never thrown.
    EXPECT_NO_THROW(pp.setProperty("previewFit", 5));
    EXPECT_EQ(pp.previewFit(), 0);
    EXPECT_TRUE(pp.setProperty("previewSize", QSize(640, 480)));
    EXPECT_TRUE(pp.setProperty("previewRemembers", true));
    EXPECT_TRUE(pp.setProperty("previewPageShadow", true));
    EXPECT_TRUE(pp.setProperty("previewMaximized", true));
    EXPECT_TRUE(pp.setProperty("previewFit", 2));
    PreviewWindowOptions attese;
    attese.size = QSize(640, 480);
    attese.remember = attese.pageShadow = attese.maximized = true;
    attese.fit = PreviewWindowOptions::FitWidth;
    EXPECT_EQ(pp.previewWindowOptions(), attese);
    pp.setPreviewSize(QSize()); // back to the design size
    EXPECT_FALSE(pp.previewSize().isValid());
}

} // namespace
} // namespace qv
