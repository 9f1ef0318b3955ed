// SPDX-License-Identifier: MIT
// The preview window in a Wayland session: a headless weston of the test's
// own, Qt on its "wayland" platform. The window opens, its keys page, zoom,
// show the thumbnails and Esc closes it; the window helpers, which reach
// other programs' windows only on X11, say so and reach none.
// Skips (exit code 77) when weston or Qt's Wayland plugin is not installed,
// and fails instead when CI is "true".
#include <qvpreview/qvUtilita.h>

#include "platform/Devices.h"
#include "platform/WindowSystem.h"
#include "preview/FrmAnteprima.h"
#include "preview/ThumbnailPane.h"
#include "support/TestEnv.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace qv {
namespace {

class AnteprimaWayland : public ::testing::Test
{
protected:
    void apri(int pagine)
    {
        test::TempEnv::noPrinters();
        platform::setBeepHandlerForTesting([this] { ++beeps; });
        const QString spool = env.tempFolder() + QStringLiteral("documento.tmp");
        ASSERT_TRUE(test::scriviDocumento(spool, pagine, true, 20));
        w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(pagine);
        w->setTitolo(QStringLiteral("Wayland"));
        w->InizializzaAnteprima();
        w->resize(900, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    /// A key to the widget that has the focus: the application's focus
    /// widget once the compositor has activated the window, else the
    /// window's own (a headless compositor has no keyboard to give).
    void tasto(Qt::Key key)
    {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            focus = w->focusWidget();
        QTest::keyClick(focus ? focus : w.get(), key);
    }

    void TearDown() override { platform::setBeepHandlerForTesting({}); }

    test::TempEnv env;
    int beeps = 0;
    std::unique_ptr<FrmAnteprima> w;
};

TEST_F(AnteprimaWayland, KeysPageZoomShowTheThumbnailsAndEscCloses)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    apri(3);
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 1/3"));

    struct Passo
    {
        Qt::Key key;
        const char *indicatore;
        int pagina;
    };
    for (const Passo &p : {Passo{Qt::Key_End, " 3/3", 2}, Passo{Qt::Key_Home, " 1/3", 0}, Passo{Qt::Key_End, " 3/3", 2},
                           Passo{Qt::Key_Home, " 1/3", 0}}) {
        tasto(p.key);
        EXPECT_EQ(w->Text1->text(), QLatin1String(p.indicatore)) << p.key;
        EXPECT_EQ(w->PaginaVisualizzata(), p.pagina) << p.key;
    }

    const QString zoom = w->cmbZoom->currentText();
    tasto(Qt::Key_Plus);
    const QString ingrandito = w->cmbZoom->currentText();
    EXPECT_NE(ingrandito, zoom);
    tasto(Qt::Key_Minus);
    EXPECT_EQ(w->cmbZoom->currentText(), zoom);

    tasto(Qt::Key_F9);
    ASSERT_NE(w->miniature(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->miniature()->isVisible(); }, 10000));
    tasto(Qt::Key_F9);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->miniature()->isVisible(); }, 10000));
    EXPECT_EQ(beeps, 0);

    tasto(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 10000));
}

TEST_F(AnteprimaWayland, TheWindowHelpersReachNoOtherProgramsWindows)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    apri(1);
    EXPECT_EQ(platform::desktopWindows(), std::nullopt);
    EXPECT_FALSE(platform::bringWindowForward(uint32_t(w->winId())));
    EXPECT_FALSE(platform::setWindowAbove(uint32_t(w->winId()), true));
    EXPECT_FALSE(platform::setWindowAbove(1, false));

    qvUtilita utilita;
    // This program's own windows are still found by their titles.
    EXPECT_TRUE(utilita.ShowFinestraConTitolo(QStringLiteral("Wayland")));
    EXPECT_FALSE(utilita.ShowFinestraConTitolo(QStringLiteral("Nessuna finestra ha questo titolo")));
    // Keeping a window above cannot be asked of the compositor: nothing happens, nothing breaks.
    utilita.FinetraTopMost(int32_t(w->winId()), true);
    utilita.FinetraTopMost(int32_t(w->winId()), false);
    EXPECT_TRUE(w->isVisible());
}

} // namespace
} // namespace qv

namespace {

int skip(const char *why)
{
    const bool ci = qgetenv("CI") == "true";
    std::fprintf(stderr, "%s: %s\n", ci ? "FAILED" : "SKIPPED", why);
    return ci ? 1 : 77;
}

} // namespace

int main(int argc, char **argv)
{
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        return skip("weston is not installed");
    const QString plugin =
        QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqwayland-generic.so");
    if (!QFileInfo::exists(plugin))
        return skip("Qt's Wayland platform plugin is not installed (qt6-wayland)");

    // The compositor's socket in a runtime folder of the test's own.
    QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/qv-wayland-XXXXXX";
    if (!::mkdtemp(runtime.data()))
        return skip("no runtime folder for the compositor");
    ::setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    qv::test::ChildProcess compositor;
    const QString socket = QStringLiteral("qv-wayland-0");
    if (!compositor.start(weston,
                          {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + socket,
                           QStringLiteral("--idle-time=0"), QStringLiteral("--width=1280"),
                           QStringLiteral("--height=1024")},
                          folder + QStringLiteral("/weston.log")))
        return skip("weston does not start");
    // Ready when its socket is there; gone when it failed (see weston.log).
    const QString path = QString::fromLocal8Bit(runtime) + QLatin1Char('/') + socket;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!QFileInfo::exists(path) && compositor.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "FAILED: weston did not open %s (%s/weston.log)\n", qPrintable(path), qPrintable(folder));
        return 1;
    }
    ::setenv("WAYLAND_DISPLAY", socket.toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "wayland", 1);
    // No client-side decorations: a headless compositor shows no frame, and
    // Qt's decoration plugin keeps memory that LeakSanitizer reports once Qt
    // has unloaded the plugin (where no suppression can name it).
    ::setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 1);
    ::unsetenv("DISPLAY");

    int result = 1;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    QDir(QString::fromLocal8Bit(runtime)).removeRecursively();
    return result;
}
