// SPDX-License-Identifier: MIT
// Closing the window during each kind of background job: the index's scan of
// a long file, the pages made ahead, the thumbnails, find and the layout check. The close
// stops the job and returns; a job never holds it, not even when the spool
// file was replaced by a FIFO while shown (every reader opens without
// blocking and refuses it). Driven as a user drives the window; run by the
// sanitized CI build with the rest of the suite.
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/LayoutLink.h"
#include "preview/LayoutPanel.h"
#include "preview/RenderAhead.h"
#include "preview/ThumbnailPane.h"
#include "spool/PageIndexer.h"
#include "support/Blocking.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include "platform/Devices.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace qv {
namespace {

enum class Job { IndexScan, PagesAhead, Thumbnails, Find, LayoutCheck };

struct CloseCase
{
    const char *name;
    Job job;
};

class CloseDuringJob : public test::TempEnvTest, public ::testing::WithParamInterface<CloseCase>
{
protected:
    void SetUp() override
    {
        platform::setTwipsPerPixelForTesting(15, 15);
        test::TempEnv::noPrinters();
        platform::setBeepHandlerForTesting([] {});
        platform::setMessageBoxHandlerForTesting([](const QString &, const QString &, platform::MessageIcon) {});
    }

    static void premi(FrmAnteprima &w, const char *key)
    {
        QAction *action = w.pulsante(QString::fromLatin1(key));
        ASSERT_NE(action, nullptr);
        QTest::mouseClick(w.Toolbar1->widgetForAction(action), Qt::LeftButton);
    }
};

TEST_P(CloseDuringJob, StopsTheJobAndReturns)
{
    const Job job = GetParam().job;
    const QString path = env.tempFolder() + QStringLiteral("chiudi.tmp");
    const qint64 sparseSize = qint64(8) << 30;
    if (job == Job::IndexScan) {
        // One page, then 8 GB of a hole: a scan that finds no page break.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_GT(file.write("una pagina\r\n"), 0);
        ASSERT_TRUE(file.resize(sparseSize));
    } else {
        ASSERT_TRUE(test::scriviDocumento(path, 300, true, 20)); // over 1 MiB: indexed in the background
    }
    auto w = std::make_unique<FrmAnteprima>();
    w->setFileTemporaneo(path);
    w->setCountPagesFromIndex(true);
    w->setPagineTotali(1);
    w->InizializzaAnteprima();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    spool::PageIndexer *index = w->model().index();
    ASSERT_NE(index, nullptr);

    std::atomic<bool> stopped{false};
    std::atomic<qint64> scanned{-1};
    if (job == Job::IndexScan) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return index->bytesScanned() > 0; }, 30000));
        QObject::connect(
            index, &spool::PageIndexer::done, index,
            [&, index] {
                scanned = index->bytesScanned();
                stopped = index->stopped();
            },
            Qt::DirectConnection);
        premi(*w, "esci");
        EXPECT_FALSE(w->isVisible());
        EXPECT_TRUE(stopped) << "the close waited for the whole scan";
        EXPECT_LT(scanned.load(), sparseSize);
        return;
    }

    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pageIndexComplete(); }, 30000));
    if (job == Job::PagesAhead) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->renderAhead()->readyCount() > 0; }, 30000));
    }
    if (job == Job::Thumbnails) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->miniature()->haMiniatura(0); }, 30000));
    }
    // The shown file becomes a FIFO ("rm f; mkfifo f"); then the user goes
    // on, queuing jobs that read it, and closes.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(test::makeFifo(path), path);
    const bool rescued = test::blockedOnFifo(path, [&] {
        switch (job) {
        case Job::PagesAhead:
            premi(*w, "successiva");
            premi(*w, "successiva");
            break;
        case Job::Thumbnails:
            w->miniature()->scrollTo(w->miniature()->model()->index(250, 0));
            w->miniature()->viewport()->repaint();
            break;
        case Job::Find:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Fattura"));
            break;
        case Job::LayoutCheck: QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier); break;
        case Job::IndexScan: break;
        }
        QCoreApplication::processEvents();
        premi(*w, "esci");
    });
    EXPECT_FALSE(rescued) << "a job or the close waited in opening the FIFO";
    EXPECT_FALSE(w->isVisible());
    // Every job was stopped and told its caller (through the event loop).
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->renderAhead()->busy(); }, 30000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->layoutPanel()->panel()->isChecking(); }, 30000));
}

// A one-page document whose file is a FIFO when the window opens: it opens
// with the error, and closes, never waiting in open().
TEST_F(CloseDuringJob, AFileThatIsAFifoOpensWithItsErrorAndCloses)
{
    const QString fifo = test::makeFifo(env.tempFolder() + QStringLiteral("pipe.tmp"));
    ASSERT_FALSE(fifo.isEmpty());
    auto w = std::make_unique<FrmAnteprima>();
    std::optional<int> error;
    const bool rescued = test::blockedOnFifo(fifo, [&] {
        w->setFileTemporaneo(fifo);
        w->setPagineTotali(1);
        w->InizializzaAnteprima();
        w->show();
        error = w->PrimoErrore() ? std::optional<int>(w->PrimoErrore()->number()) : std::nullopt;
        premi(*w, "esci");
    });
    EXPECT_FALSE(rescued) << "the window waited in opening the FIFO";
    EXPECT_EQ(error, std::optional<int>(75));
    EXPECT_FALSE(w->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Jobs, CloseDuringJob,
                         ::testing::Values(CloseCase{"IndexScan", Job::IndexScan},
                                           CloseCase{"PagesAhead", Job::PagesAhead},
                                           CloseCase{"Thumbnails", Job::Thumbnails}, CloseCase{"Find", Job::Find},
                                           CloseCase{"LayoutCheck", Job::LayoutCheck}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv
