// SPDX-License-Identifier: MIT
// The drop-in for QPrintPreviewDialog, driven as a host drives Qt's: the slot
// connected to paintRequested paints on a printer set as the host's, the
// preview window shows the recording, and exec(), open() and done() end as
// Qt's dialog does; while the window is open its print options offer the
// host's printer.
#include "preview/FrmAnteprima.h"
#include "support/TestEnv.h"
#include "tests/control/QtScenes.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewDialog.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace qv;

namespace {

class Dialog : public test::TempEnvTest
{
protected:
    Dialog()
    {
        test::TempEnv::onlyThePdfPrinter();
        test::useA4Pdf(host, env.root() + QStringLiteral("host.pdf"));
        host.setDocName(QStringLiteral("Fattura di prova"));
    }

    /// Calls \a user once with the preview window, once it is on show.
    void whenShown(const std::function<void(FrmAnteprima &)> &user)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, user] {
            auto *window = qobject_cast<FrmAnteprima *>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || seen++)
                return;
            user(*window);
        });
        poll.start(10);
    }

    QPrinter host{QPrinter::HighResolution};
    QTimer poll;
    int seen = 0;
};

/// Three pages, the second with the document's name on it.
void threePages(QPrinter *printer)
{
    QPainter p(printer);
    p.drawText(QPointF(500, 500), QStringLiteral("prima"));
    printer->newPage();
    p.drawText(QPointF(500, 500), printer->docName());
    printer->newPage();
    p.drawRect(QRectF(100, 100, 2000, 1000));
}

TEST_F(Dialog, ExecRecordsTheSlotAndShowsItsPages)
{
    PrintPreviewDialog dialog(&host);
    EXPECT_EQ(dialog.printer(), &host);
    int painted = 0;
    QObject::connect(&dialog, &PrintPreviewDialog::paintRequested, [&](QPrinter *printer) {
        ++painted;
        // The recording printer, set as the host's printer is.
        EXPECT_EQ(printer, dialog.recorder());
        EXPECT_EQ(printer->docName(), host.docName());
        EXPECT_TRUE(printer->pageLayout().isEquivalentTo(host.pageLayout()));
        EXPECT_EQ(printer->resolution(), host.resolution());
        threePages(printer);
    });
    QSignalSpy finished(&dialog, &QDialog::finished);
    QString offered, offeredFile;
    int pages = 0;
    whenShown([&](FrmAnteprima &window) {
        pages = window.PagineTotali();
        offered = currentPrinterName();
        offeredFile = pdfOutputFile();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(pages, 3);
    // The window's print options offered the host's printer, and the
    // choice before it is back afterwards.
    EXPECT_EQ(offered, pdfPrinterName());
    EXPECT_EQ(offeredFile, host.outputFileName());
    EXPECT_TRUE(pdfOutputFile().isEmpty());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog.recorder()->pageCount(), 3);
    EXPECT_EQ(SpoolFile(dialog.recorder()->spoolPath()).find(QStringLiteral("Fattura di prova")).value(0).page, 2);
}

TEST_F(Dialog, OpenReturnsAtOnceAndDoneClosesTheWindow)
{
    PrintPreviewDialog dialog(&host);
    QObject::connect(&dialog, &PrintPreviewDialog::paintRequested, threePages);
    QSignalSpy finished(&dialog, &QDialog::finished);
    whenShown([&](FrmAnteprima &) { dialog.done(QDialog::Accepted); });
    dialog.open();
    EXPECT_EQ(seen, 0); // not yet: the window opens from the event loop
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(finished.value(0).value(0).toInt(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
}

TEST_F(Dialog, ASlotThatPaintsNothingShowsOneBlankPage)
{
    PrintPreviewDialog dialog; // a printer of its own
    ASSERT_NE(dialog.printer(), nullptr);
    int pages = 0;
    whenShown([&](FrmAnteprima &window) {
        pages = window.PagineTotali();
        window.reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(pages, 1);
    // Each exec() records again: the second shows the new recording.
    QObject::connect(&dialog, &PrintPreviewDialog::paintRequested, threePages);
    seen = 0;
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(pages, 3);
}

} // namespace
