// SPDX-License-Identifier: MIT
// The preview window on a spool file that another process appends to, on a
// real X server (Xvfb), as `qvpreview view --follow` opens it: the page
// count, the page indicator and the thumbnails follow the pages written, a
// record still being written is not shown until whole, a page on show that
// grows is drawn again, a find's count grows with the document, and a file
// cut short is told in the error bar. The writer is a child process (cat
// appending to the file), so the window learns of each write as it would of
// any other program's.
#include <qvpreview/PrintPreview.h>

#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "preview/ThumbnailPane.h"
#include "support/TestEnv.h"
#include "support/WindowOnShow.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace qv {
namespace {

QByteArray page(int number)
{
    return test::testo(1440, 1000, "Pagina " + QByteArray::number(number), 12);
}

class FollowXvfb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::TempEnv::noPrinters();
        spool = env.tempFolder() + QStringLiteral("segui.tmp");
        test::writeAll(spool, page(1));
        w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setCountPagesFromIndex(true);
        w->setFollowing(true);
        w->setPagineTotali(1);
        w->InizializzaAnteprima();
        test::showActive(*w);
        ASSERT_TRUE(until([&] { return w->model().wholeEnd() == QFileInfo(spool).size(); }));
    }

    /// Appends \a bytes to the spool file from a child process.
    void append(const QByteArray &bytes)
    {
        const QString piece = test::writeAll(env.tempFolder() + QStringLiteral("pezzo.tmp"), bytes);
        QProcess cat;
        cat.setStandardOutputFile(spool, QIODevice::Append);
        cat.start(QStringLiteral("cat"), {piece});
        ASSERT_TRUE(cat.waitForFinished(30000));
        ASSERT_EQ(cat.exitCode(), 0);
    }
    /// Waits until the window has read the file as far as its lines are whole.
    bool caughtUp()
    {
        const QByteArray bytes = test::readAll(spool);
        const qint64 whole = bytes.lastIndexOf('\n') + 1;
        return until([&] { return w->model().wholeEnd() == whole && w->model().index()->caughtUp(); });
    }
    static bool until(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 20000); }
    QString indicator() const { return w->Text1->text(); }
    void find(const QString &text)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    QString findLabel() const { return w->findBar()->label()->text(); }

    test::TempEnv env;
    QString spool;
    std::unique_ptr<FrmAnteprima> w;
};

TEST_F(FollowXvfb, TheCountTheIndicatorAndTheThumbnailsFollowThePagesWritten)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    ASSERT_TRUE(pane->isVisible());
    EXPECT_EQ(indicator(), QStringLiteral(" 1/1"));
    QSignalSpy ready(pane, &ThumbnailPane::miniaturaPronta);
    for (int p = 2; p <= 4; ++p) {
        append("#newpage@\r\n" + page(p));
        ASSERT_TRUE(until([&] { return w->PagineTotali() == p; })) << p;
        EXPECT_EQ(indicator(), QStringLiteral(" 1/%1").arg(p));
        EXPECT_EQ(pane->pagineTotali(), p);
    }
    EXPECT_FALSE(w->model().pageCountFinal()) << "more pages may come";
    // The new pages' thumbnails are made, and "ultima" goes to the last page written.
    ASSERT_TRUE(until([&] {
        for (const QList<QVariant> &args : ready)
            if (args.at(0).toInt() == 3)
                return true;
        return false;
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w->PaginaVisualizzata() + 1, 4);
    const QDir folder(QStringLiteral(QV_ARTIFACT_DIR));
    QDir().mkpath(folder.path());
    EXPECT_TRUE(w->grab().save(folder.filePath(QStringLiteral("follow.png"))));
}

TEST_F(FollowXvfb, ARecordStillBeingWrittenIsNotShownAndThePageOnShowIsDrawnAgainWhenWhole)
{
    find(QStringLiteral("Seconda"));
    ASSERT_TRUE(until([&] { return findLabel() == QStringLiteral("Nessuna corrispondenza"); }))
        << qPrintable(findLabel());
    const QImage before = w->Image1->grab().toImage();
    const QByteArray record = test::testo(1440, 4000, "Seconda riga", 24);
    const qsizetype cut = record.indexOf("#endprint@");
    append(record.left(cut)); // every line but the last
    ASSERT_TRUE(caughtUp());
    EXPECT_TRUE(w->fraErrore->isHidden()) << qPrintable(w->lblErrore->text());
    // The page that grew is searched again, and still holds no match.
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done(); }));
    EXPECT_EQ(findLabel(), QStringLiteral("Nessuna corrispondenza"));
    EXPECT_EQ(w->Image1->grab().toImage(), before) << "the half record is not drawn";

    append(record.mid(cut));
    ASSERT_TRUE(until([&] { return findLabel() == QStringLiteral("1 di 1"); })) << qPrintable(findLabel());
    ASSERT_TRUE(until([&] { return w->Image1->grab().toImage() != before; })) << "the page on show is drawn again";
    EXPECT_TRUE(w->fraErrore->isHidden());
}

TEST_F(FollowXvfb, TheFindCountGrowsWithTheDocument)
{
    find(QStringLiteral("pagina"));
    ASSERT_TRUE(until([&] { return findLabel() == QStringLiteral("1 di 1"); })) << qPrintable(findLabel());
    append("#newpage@\r\n" + page(2) + "#newpage@\r\n" + page(3));
    ASSERT_TRUE(until([&] { return findLabel() == QStringLiteral("1 di 3"); })) << qPrintable(findLabel());
    // The current match stays where it was; the new ones are reached from it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(findLabel(), QStringLiteral("2 di 3"));
    EXPECT_EQ(w->PaginaVisualizzata() + 1, 2);
}

TEST_F(FollowXvfb, AFileCutShortIsToldInTheErrorBar)
{
    append("#newpage@\r\n" + page(2));
    ASSERT_TRUE(until([&] { return w->PagineTotali() == 2; }));
    ASSERT_TRUE(QFile::resize(spool, 20));
    ASSERT_TRUE(until([&] { return w->fraErrore->isVisible(); }));
    EXPECT_TRUE(w->lblErrore->text().contains(QStringLiteral("accorciato"))) << qPrintable(w->lblErrore->text());
    EXPECT_EQ(w->PagineTotali(), 2) << "the pages read stay";
    ASSERT_TRUE(w->PrimoErrore());
    EXPECT_EQ(w->PrimoErrore()->number(), ErrPathFileAccess);
}

/// The window a host opens while it records: it shows page 1 once its page
/// break is recorded, before NuovaPagina() returns and without the host's
/// event loop running, follows the count, and goes with the document.
TEST(FollowHostXvfb, ThePreviewWhileRecordingShowsPage1AtItsPageBreak)
{
    test::TempEnv env;
    test::TempEnv::noPrinters();
    PrintPreview pp;
    pp.showPreviewWhileRecording(); // before the first record
    ASSERT_TRUE(pp.previewWhileRecordingShown());
    FrmAnteprima *window = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *f = qobject_cast<FrmAnteprima *>(top); f && f->isVisible())
            window = f;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(window->following());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->model().index() && window->model().index()->caughtUp(); }));
    const QImage blank = window->Image1->grab().toImage();

    // No event loop runs from here to the checks: the page break itself shows page 1.
    pp.setFontSize(24);
    pp.StampaTesto(1440, 1440, QStringLiteral("Prima pagina del rapporto"));
    pp.NuovaPagina();
    EXPECT_EQ(window->Text1->text(), QStringLiteral(" 1/2"));
    EXPECT_NE(window->Image1->grab().toImage(), blank) << "page 1 drawn at its page break";
    for (int p = 2; p <= 50; ++p) {
        pp.StampaTesto(1440, 1440, QStringLiteral("Pagina %1").arg(p));
        pp.NuovaPagina();
    }
    // Between the breaks the window reads on as the host's event loop runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PagineTotali() == 51; }, 20000));
    EXPECT_FALSE(window->fraErrore->isVisible()) << qPrintable(window->lblErrore->text());
    pp.AnnullaStampa();
    EXPECT_FALSE(pp.previewWhileRecordingShown()) << "the window goes with the document";
}

} // namespace
} // namespace qv
