// SPDX-License-Identifier: MIT
// Print pressed while the page index of a spool file is still being built,
// in the window SpoolFile::showPreview opens (the count follows the index):
// the print waits for the index, with its progress and a Cancel button, and
// then offers and prints the whole document, never the pages known so far.
// The scan is held by the test (an index that knows page 1 only until the
// test completes it), so the order of events is the same on every run.
#include "dialogs/PrintCommand.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "spool/Document.h"
#include "spool/PageIndexer.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"
#include "tests/render/PdfTools.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace qv {
namespace {

struct WaitCase
{
    const char *name;
    /// The user cancels the wait instead of letting the index finish.
    bool cancel;
};

class PrintWhileIndexing : public test::TempEnvTest, public ::testing::WithParamInterface<WaitCase>
{
protected:
    void SetUp() override
    {
        platform::setPrintersForTesting(
            QList<platform::PrinterDesc>{{platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
        platform::setBeepHandlerForTesting([] {});
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &t, const QString &, platform::MessageIcon) { messages << t; });
        setProgressDelayForTesting(0);
    }
    void TearDown() override
    {
        setProgressDelayForTesting(-1);
        platform::setPdfOutputFile({});
    }
    QStringList messages;
};

TEST_P(PrintWhileIndexing, WaitsForTheWholeDocument)
{
    const QString path = env.tempFolder() + QStringLiteral("sei.tmp");
    ASSERT_TRUE(test::scriviDocumento(path, 6));
    const QString folder = env.root() + QStringLiteral("pdf");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pdf = folder + QStringLiteral("/tutte.pdf");
    platform::setPdfOutputFile(pdf);

    // The window as SpoolFile::showPreview opens it.
    FrmAnteprima w;
    w.setDocumento(std::make_shared<const spool::Document>(spool::Document::onFile(path)));
    w.setCountPagesFromIndex(true);
    w.setPagineTotali(1);
    w.InizializzaAnteprima();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // A slow disk: the scan has found page 1 only, and is held there.
    auto held = std::make_shared<spool::PageIndexer>(path, QStringLiteral("test"));
    w.model().setIndex(held);
    ASSERT_EQ(w.PagineTotali(), 1);
    ASSERT_FALSE(w.pageIndexComplete());
    std::optional<PrintOutcome> outcome;
    w.setPrintListener([&](const PrintOutcome &o) { outcome = o; });

    // The user: the wait's dialog is on show first (the options not yet);
    // then the options dialog, whose page fields are read and confirmed.
    int waits = 0, options = 0;
    bool optionsBeforeIndex = false;
    QString lastPageOffered;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto *wait = w.findChild<QProgressDialog *>(QStringLiteral("attesaIndice"));
        if (wait && wait->isVisible() && !wait->wasCanceled() && waits == 0) {
            ++waits;
            if (GetParam().cancel)
                QTest::mouseClick(wait->findChild<QPushButton *>(), Qt::LeftButton);
            else // the scan reaches the end of the file
                held->setComplete(spool::buildPageIndex(path, QStringLiteral("test")));
            return;
        }
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->windowTitle() == QStringLiteral("Opzioni")) {
            ++options;
            optionsBeforeIndex = !held->finished();
            lastPageOffered = dialog->findChild<QLineEdit *>(QStringLiteral("TxtFine"))->text();
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        }
    });
    user.start(1);
    QTest::mouseClick(w.Toolbar1->widgetForAction(w.pulsante(QStringLiteral("stampa"))), Qt::LeftButton);
    user.stop();

    EXPECT_EQ(waits, 1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(w.findChild<QProgressDialog *>(QStringLiteral("attesaIndice")), nullptr);
    if (GetParam().cancel) {
        EXPECT_EQ(outcome->result, PrintOutcome::Result::Cancelled);
        EXPECT_EQ(options, 0);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        return;
    }
    EXPECT_EQ(outcome->result, PrintOutcome::Result::Printed) << qPrintable(messages.join('\n'));
    EXPECT_EQ(options, 1);
    EXPECT_FALSE(optionsBeforeIndex);
    EXPECT_EQ(lastPageOffered, QStringLiteral("6"));
    EXPECT_EQ(test::pdfPages(pdf), 6);
    EXPECT_EQ(w.PagineTotali(), 6);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintWhileIndexing,
                         ::testing::Values(WaitCase{"IndexFinishes", false}, WaitCase{"UserCancels", true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv
