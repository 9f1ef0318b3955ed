// SPDX-License-Identifier: MIT
// Fidelity to Qt's own printing: each document of the corpus is painted by
// one slot twice, once on Qt's QPrinter writing PDF and once on the recording
// printer, whose recording is then printed to PDF through the print engine.
// The two PDFs are rasterised at 150 dpi with pdftoppm and compared pixel by
// pixel, and their words read with pdftotext; find finds the documents' words.
//
// The measure: a pixel differs when one of its channels differs by more than
// 64 of 255 (an edge that moved by less than a quarter pixel changes its
// anti-aliased grey by less than that); at most 0.5 % of a page's pixels may
// differ.
#include "support/TestEnv.h"
#include "tests/control/QtScenes.h"
#include "tests/render/PdfTools.h"

#include <qvpreview/PreviewPrinter.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/SpoolFile.h>

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace qv;

namespace {

using Slot = std::function<void(QPrinter &)>;

/// A slot that paints \a scene with a painter of its own.
Slot painted(const test::Scene &scene)
{
    return [scene](QPrinter &printer) {
        QPainter painter(&printer);
        scene(painter, printer);
    };
}

QImage logo()
{
    QImage image(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(40 + x * 3, 90 + y * 4, 200 - x * 2));
    return image;
}

/// An invoice in HTML: a logo, three fonts, a table of 90 rows over 3 pages.
QString invoiceHtml()
{
    QString html =
        QStringLiteral("<html><body style='font-family:\"DejaVu Serif\"; font-size:10pt'>"
                       "<table width='100%'><tr><td><img src='logo.png' width='128' height='64'></td>"
                       "<td align='right'><h1 style='font-family:\"DejaVu Sans\"'>Fattura 2026/042</h1>"
                       "<p>Rossi e Figli S.r.l.<br>Via Roma 12, Torino</p></td></tr></table>"
                       "<table border='1' cellspacing='0' cellpadding='3' width='100%'>"
                       "<thead><tr><th>Codice</th><th>Descrizione</th><th>Quantità</th><th>Importo</th></tr></thead>");
    for (int i = 1; i <= 90; ++i)
        html += QStringLiteral("<tr><td style='font-family:\"DejaVu Sans Mono\"'>ART-%1</td><td>Articolo numero %1 "
                               "della fornitura</td><td align='right'>%2</td><td align='right'>%3,00</td></tr>")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .arg(i % 7 + 1)
                    .arg(i * 13);
    html += QStringLiteral("</table><p><b>Totale dovuto</b> entro trenta giorni.</p></body></html>");
    return html;
}

/// A report of 30 pages: headings, lists and a table that breaks across pages.
QString reportHtml()
{
    QString html = QStringLiteral("<html><body style='font-family:\"DejaVu Sans\"; font-size:11pt'>");
    for (int chapter = 1; chapter <= 24; ++chapter) {
        html += QStringLiteral("<h2>Capitolo %1</h2><p>Il capitolo %1 descrive i risultati del trimestre e le "
                               "azioni previste per quello seguente.</p><ul>")
                    .arg(chapter);
        for (int item = 1; item <= 6; ++item)
            html += QStringLiteral("<li>Punto %1.%2 della relazione</li>").arg(chapter).arg(item);
        html += QStringLiteral("</ul><ol><li>primo</li><li>secondo</li></ol>"
                               "<table border='1' cellspacing='0' cellpadding='2'>");
        for (int row = 1; row <= 40; ++row)
            html += QStringLiteral("<tr><td>Voce %1-%2</td><td>%3</td></tr>").arg(chapter).arg(row).arg(row * chapter);
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("</body></html>");
}

Slot printedDocument(const QString &html, bool withLogo)
{
    return [html, withLogo](QPrinter &printer) {
        QTextDocument doc;
        if (withLogo)
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo.png")), logo());
        doc.setHtml(html);
        doc.print(&printer);
    };
}

/// A QTextDocument of \a pages pages: one short paragraph each, a page break after it.
Slot longDocument(int pages)
{
    return [pages](QPrinter &printer) {
        QString html;
        for (int i = 1; i <= pages; ++i)
            html += QStringLiteral("<p%2>Pagina numero %1 del documento lungo</p>")
                        .arg(i)
                        .arg(i < pages ? QStringLiteral(" style='page-break-after:always'") : QString());
        QTextDocument doc;
        doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        doc.setHtml(html);
        doc.print(&printer);
    };
}

/// \a slot on a page of \a size in \a orientation, chosen by the slot on
/// the printer it is given before it paints, as a host's slot chooses it.
Slot onPaper(QPageSize::PageSizeId size, QPageLayout::Orientation orientation, Slot slot)
{
    return [size, orientation, slot](QPrinter &printer) {
        printer.setPageSize(QPageSize(size));
        printer.setPageOrientation(orientation);
        slot(printer);
    };
}

/// A chart and the text scene on one page (the landscape page).
void chartAndText(QPainter &p, QPrinter &printer)
{
    test::chartScene(p, printer);
    p.translate(test::mm(printer, 200), 0);
    test::textScene(p, printer);
}

/// A one-page letter in HTML: a heading, paragraphs, a small table.
QString letterHtml()
{
    QString html = QStringLiteral("<html><body style='font-family:\"DejaVu Serif\"; font-size:11pt'>"
                                  "<h2 style='font-family:\"DejaVu Sans\"'>Lettera di conferma</h2>");
    for (int i = 1; i <= 6; ++i)
        html += QStringLiteral("<p>Paragrafo %1: confermiamo la consegna della merce ordinata e il saldo entro la "
                               "fine del mese corrente.</p>")
                    .arg(i);
    html += QStringLiteral("<table border='1' cellspacing='0' cellpadding='3'>");
    for (int row = 1; row <= 8; ++row)
        html += QStringLiteral("<tr><td>Lotto %1</td><td align='right'>%2,50</td></tr>").arg(row).arg(row * 17);
    return html + QStringLiteral("</table></body></html>");
}

QStringList letterWords()
{
    QTextDocument doc;
    doc.setHtml(letterHtml());
    QStringList all = doc.toPlainText().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    all.removeDuplicates();
    return all;
}

struct Corpus
{
    const char *name;
    Slot slot;
    int pages;
    /// The pages rasterised and compared (all when empty).
    QList<int> compared;
    /// Words that find must find (a QTextDocument's).
    QStringList words;
    /// The first page at 150 dpi, in pixels (unchecked when empty): the
    /// paper and the orientation the slot chose.
    QSize paper = {};
};

QStringList words(const QString &pdf)
{
    const auto text = test::run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    return text ? text->split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts) : QStringList();
}

class Fidelity : public test::TempEnvTest, public ::testing::WithParamInterface<Corpus>
{
protected:
    Fidelity()
    {
        // A4, the page both PDFs are made on.
        test::TempEnv::onlyThePdfPrinter();
    }
};

TEST_P(Fidelity, OurPdfIsQtsPdf)
{
    const Corpus &c = GetParam();
    const QString qtPdf = env.root() + QStringLiteral("qt.pdf");
    const QString ourPdf = env.root() + QStringLiteral("nostro.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        test::useA4Pdf(printer, qtPdf);
        c.slot(printer);
    }
    PreviewPrinter recorder;
    test::useA4Pdf(recorder);
    c.slot(recorder);
    ASSERT_FALSE(recorder.recordingError().has_value()) << recorder.recordingError()->what();
    ASSERT_EQ(test::pdfPages(qtPdf), c.pages);
    ASSERT_EQ(recorder.pageCount(), c.pages);
    const SpoolFile spool(recorder.spoolPath());
    PrintOptions options;
    options.pdfFile = ourPdf;
    ASSERT_EQ(spool.print(options), ourPdf);

    ASSERT_EQ(test::pdfPages(ourPdf), c.pages);
    QList<int> pages = c.compared;
    if (pages.isEmpty())
        for (int p = 1; p <= c.pages; ++p)
            pages.append(p);
    double worst = 0;
    for (const int page : pages) {
        const QImage theirs = test::pdfPageImage(qtPdf, page, 150);
        const QImage ours = test::pdfPageImage(ourPdf, page, 150);
        ASSERT_FALSE(theirs.isNull());
        if (page == 1 && !c.paper.isEmpty()) {
            EXPECT_EQ(ours.size(), c.paper);
        }
        const double share = test::differingShare(theirs, ours, 64);
        EXPECT_LE(share, 0.005) << "page " << page;
        worst = std::max(worst, share);
    }
    std::printf("%s: %d pages, at most %.3f %% of a page's pixels differ\n", c.name, c.pages, worst * 100);
    EXPECT_EQ(words(ourPdf), words(qtPdf));
    if (qEnvironmentVariableIsSet("QV_KEEP_PDF")) {
        QFile::copy(qtPdf, QStringLiteral("/tmp/qt-%1.pdf").arg(QLatin1String(c.name)));
        QFile::copy(ourPdf, QStringLiteral("/tmp/our-%1.pdf").arg(QLatin1String(c.name)));
    }
    for (const QString &word : c.words)
        EXPECT_FALSE(spool.find(word).isEmpty()) << word.toStdString();
}

QStringList invoiceWords()
{
    QTextDocument doc;
    doc.setHtml(invoiceHtml());
    // The image's place holder (U+FFFC) is no word.
    return doc.toPlainText()
        .remove(QChar::ObjectReplacementCharacter)
        .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QStringList reportWords()
{
    QTextDocument doc;
    doc.setHtml(reportHtml());
    QStringList all = doc.toPlainText().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    all.removeDuplicates();
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, Fidelity,
    ::testing::Values(Corpus{"HtmlInvoice", printedDocument(invoiceHtml(), true), 3, {}, invoiceWords()},
                      Corpus{"HtmlReport", printedDocument(reportHtml(), false), 30, {1, 2, 15, 30}, reportWords()},
                      Corpus{"Chart", painted(test::chartScene), 1, {}, {}},
                      Corpus{"BrushPatterns", painted(test::brushScene), 1, {}, {}},
                      Corpus{"TextAllWays", painted(test::textScene), 1, {}, {QStringLiteral("statico")}},
                      Corpus{"Images", painted(test::imageScene), 1, {}, {}},
                      Corpus{"LandscapeA4",
                             onPaper(QPageSize::A4, QPageLayout::Landscape, painted(chartAndText)),
                             1,
                             {},
                             {QStringLiteral("statico")},
                             QSize(1755, 1240)},
                      Corpus{"LetterPage",
                             onPaper(QPageSize::Letter, QPageLayout::Portrait, printedDocument(letterHtml(), false)),
                             1,
                             {},
                             letterWords(),
                             QSize(1275, 1650)},
                      Corpus{"ThousandPages",
                             longDocument(1000),
                             1000,
                             {1, 500, 1000},
                             {QStringLiteral("Pagina numero 1 del"), QStringLiteral("numero 1000 del documento")}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
