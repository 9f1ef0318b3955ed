// SPDX-License-Identifier: MIT
// The Qt host that switched from QPrintPreviewDialog (examples/qtdocument),
// run without a display as CI runs it: its invoice and report come out as
// PDF files whose text is the documents' text.
#include "support/TestEnv.h"
#include "tests/render/PdfTools.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace qv;

namespace {

class QtDocumentExample : public test::TempEnvTest
{};

TEST_F(QtDocumentExample, PrintsItsDocumentsWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const QString out = env.root() + QStringLiteral("uscita");
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(QV_QTDOCUMENT_BIN), {QStringLiteral("--out"), out});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_EQ(p.exitCode(), 0) << qPrintable(QString::fromUtf8(p.readAllStandardError()));
    struct Expected
    {
        const char *file;
        int pages;
        QStringList words;
    };
    for (const Expected &e :
         {Expected{"/fattura.pdf", 3, {"Fattura 2026/042", "ART-0080", "Totale dovuto"}},
          Expected{"/rapporto.pdf", 6, {"Relazione trimestrale", "Capitolo 6", "Punto 6.5", "Voce 6-30"}}}) {
        const QString pdf = out + QLatin1String(e.file);
        EXPECT_TRUE(printed.contains(QStringLiteral("stampato in PDF: ") + pdf)) << qPrintable(printed);
        EXPECT_EQ(test::pdfPages(pdf), e.pages) << e.file;
        const QString text = test::pdfPageTexts(pdf).join(QLatin1Char(' '));
        for (const QString &word : e.words)
            EXPECT_TRUE(text.contains(word)) << qPrintable(word) << " in " << e.file;
    }
    // The recordings were printed and discarded with their pictures.
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qv")).isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

} // namespace
