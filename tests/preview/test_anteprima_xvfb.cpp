// The preview window on a real X server (Xvfb): it opens, shows the first
// page of an invoice at 200 %, and its screenshot is kept as a test artefact.
// Run as its own program, on the display that support/XServer.h finds or
// starts.
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdio>

namespace qv {
namespace {

TEST(AnteprimaXvfb, OpensAndShowsTheFirstPage)
{
    test::TempEnv env;
    test::TempEnv::noPrinters();
    const QString spool = env.tempFolder() + QStringLiteral("fattura.tmp");
    ASSERT_TRUE(test::scriviDocumento(spool, 3, true, 20));

    FrmAnteprima w;
    w.setFileTemporaneo(spool);
    w.setPagineTotali(3);
    w.setTitolo(QStringLiteral("Fatture di prova"));
    w.InizializzaAnteprima();
    w.resize(900, 700);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.pulsante(QStringLiteral("ingrandisci"))->trigger();
    w.pulsante(QStringLiteral("successiva"))->trigger();
    QTest::qWait(300);

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Fatture di prova    200%"));
    EXPECT_EQ(w.Text1->text(), QStringLiteral(" 2/3"));
    EXPECT_FALSE(w.Image1->raster().isNull());

    QScreen *screen = w.screen();
    ASSERT_NE(screen, nullptr);
    QPixmap shot = screen->grabWindow(w.winId());
    if (shot.isNull() || shot.size().isEmpty())
        shot = w.grab();
    // The page area is mostly white paper with dark text on it.
    const QImage page = shot.toImage().copy(w.Picture1->geometry().intersected(shot.rect()));
    int white = 0, dark = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2) {
            const int g = qGray(page.pixel(x, y));
            white += g > 240;
            dark += g < 100;
        }
    EXPECT_GT(white, dark);
    EXPECT_GT(dark, 50);

    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/preview.png");
    EXPECT_TRUE(shot.save(file));
    std::printf("screenshot: %s\n", qPrintable(file));
    w.reject();
}

} // namespace
} // namespace qv

int main(int argc, char **argv)
{
    qv::test::OwnXvfb own;
    if (qv::test::displayForTests(own, QStringLiteral(QV_ARTIFACT_DIR)).isEmpty())
        return qv::test::noXServerExitCode();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
