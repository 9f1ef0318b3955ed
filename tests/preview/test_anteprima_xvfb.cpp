// SPDX-License-Identifier: MIT
// The preview window on a real X server (Xvfb): it opens, shows the first
// page of an invoice at 200 %, and its screenshot is kept as a test artefact;
// "qvpreview view" of a broken file shows the reader's error in its window
// (screenshot view-broken.png).
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
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "support/XcbWindow.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

#ifdef QVPREVIEW_BIN
TEST(AnteprimaXvfb, ViewOfABrokenFileShowsItsError)
{
    test::TempEnv env;
    const QString spool = env.tempFolder() + QStringLiteral("rotto.tmp");
    {
        QFile file(spool);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(test::testo(1440, 2880, "Prima riga") + test::riquadro(1440, 3000, 5760, 3600)
                   + "#print@\r\n\"Arial\",1x0,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n");
    }
    QProcess view;
    view.start(QStringLiteral(QVPREVIEW_BIN), {QStringLiteral("view"), spool});
    ASSERT_TRUE(view.waitForStarted());

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_window_t window = 0;
    // The window shows up, and its page and error bar are drawn.
    for (int i = 0; i < 200 && !window && view.state() == QProcess::Running; ++i) {
        QTest::qWait(50);
        window = test::windowTitled(c, "rotto.tmp    "); // then its zoom, fitted to the width
    }
    ASSERT_NE(window, 0u) << view.readAllStandardError().constData();
    QTest::qWait(500);
    EXPECT_EQ(view.state(), QProcess::Running); // the error does not close it

    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(shot.save(folder + QStringLiteral("/view-broken.png")));
    // The error bar is light red across the top of the page area (below the toolbar).
    const QImage image = shot.toImage();
    int rosati = 0;
    for (int x = 10; x < image.width() - 30; x += 4) {
        const QColor p = image.pixelColor(x, 45);
        rosati += p.red() > 240 && p.green() > 200 && p.green() < 240 && p.blue() > 200;
    }
    EXPECT_GT(rosati, (image.width() - 40) / 8);

    xcb_disconnect(c);
    view.kill();
    view.waitForFinished();
}

/// The atom named \a name, or XCB_ATOM_NONE.
xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

/// The atoms of the _NET_WM_STATE property of \a window.
QList<xcb_atom_t> netWmState(xcb_connection_t *c, xcb_window_t window)
{
    QList<xcb_atom_t> atoms;
    xcb_get_property_reply_t *p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64), nullptr);
    if (p) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(p));
        for (int i = 0; i < xcb_get_property_value_length(p) / int(sizeof(xcb_atom_t)); ++i)
            atoms << values[i];
        std::free(p);
    }
    return atoms;
}

// "qvpreview view" asks to be maximised, so that the window manager fits its
// frame into the screen's free area: a client area as large as that area
// would put the frame past the screen's edge. (Without a window manager the
// request stands in the window's _NET_WM_STATE, where a manager reads it.)
TEST(AnteprimaXvfb, ViewOpensMaximised)
{
    test::TempEnv env;
    const QString spool = env.tempFolder() + QStringLiteral("massima.tmp");
    ASSERT_TRUE(test::scriviDocumento(spool, 2));
    QProcess view;
    view.start(QStringLiteral(QVPREVIEW_BIN), {QStringLiteral("view"), spool});
    ASSERT_TRUE(view.waitForStarted());
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_window_t window = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (window = test::windowTitled(c, "massima.tmp    ")) != 0 || view.state() != QProcess::Running; },
        60000));
    ASSERT_NE(window, 0u) << view.readAllStandardError().constData();
    const xcb_atom_t vertical = atom(c, "_NET_WM_STATE_MAXIMIZED_VERT");
    const xcb_atom_t horizontal = atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QList<xcb_atom_t> state = netWmState(c, window);
            return state.contains(vertical) && state.contains(horizontal);
        },
        30000))
        << "not asked to be maximised";
    xcb_disconnect(c);
    view.kill();
    view.waitForFinished();
}
#endif

} // namespace
} // namespace qv
