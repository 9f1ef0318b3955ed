// SPDX-License-Identifier: MIT
// qv_qtdocument: a Qt host that prints HTML with QTextDocument, as it did
// with Qt's QPrintPreviewDialog; switching it was changing that one type to
// qv::PrintPreviewDialog and its include. It makes an invoice and a report.
// With a display it opens the preview of each; without one (or with
// --print) it records each on a qv::PreviewPrinter, prints the recording to
// a PDF file in the output folder (--out DIR; default "output" beside the
// program) and says where it is.
#include <qvpreview/PreviewPrinter.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreviewDialog.h> // was <QPrintPreviewDialog>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

QString invoiceHtml()
{
    QString html =
        QStringLiteral("<html><body style='font-family:\"DejaVu Serif\"; font-size:10pt'>"
                       "<table width='100%'><tr><td><img src='logo.png' width='120' height='60'></td>"
                       "<td align='right'><h1 style='font-family:\"DejaVu Sans\"'>Fattura 2026/042</h1>"
                       "<p>Rossi e Figli S.r.l.<br>Via Roma 12, 10121 Torino</p></td></tr></table>"
                       "<table border='1' cellspacing='0' cellpadding='3' width='100%'>"
                       "<thead><tr><th>Codice</th><th>Descrizione</th><th>Quantità</th><th>Importo</th></tr></thead>");
    for (int i = 1; i <= 80; ++i)
        html += QStringLiteral("<tr><td style='font-family:\"DejaVu Sans Mono\"'>ART-%1</td>"
                               "<td>Articolo %1 della fornitura</td><td align='right'>%2</td>"
                               "<td align='right'>%3,00 €</td></tr>")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .arg(i % 5 + 1)
                    .arg(i * 11);
    return html
           + QStringLiteral("</table><p><b>Totale dovuto</b> entro trenta giorni dalla data della fattura.</p>"
                            "</body></html>");
}

QString reportHtml()
{
    QString html = QStringLiteral("<html><body style='font-family:\"DejaVu Sans\"; font-size:11pt'>"
                                  "<h1>Relazione trimestrale</h1>");
    for (int chapter = 1; chapter <= 6; ++chapter) {
        html += QStringLiteral("<h2>Capitolo %1</h2><p>Risultati e azioni previste.</p><ul>").arg(chapter);
        for (int item = 1; item <= 5; ++item)
            html += QStringLiteral("<li>Punto %1.%2</li>").arg(chapter).arg(item);
        html += QStringLiteral("</ul><table border='1' cellspacing='0' cellpadding='2'>");
        for (int row = 1; row <= 30; ++row)
            html += QStringLiteral("<tr><td>Voce %1-%2</td><td>%3</td></tr>").arg(chapter).arg(row).arg(row * chapter);
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("</body></html>");
}

QImage logo()
{
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(QColor(20, 70, 140));
    QPainter p(&image);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Rossi"));
    return image;
}

/// What the host's slot did with Qt's dialog, and still does.
void printDocument(const QString &html, QPrinter *printer)
{
    QTextDocument doc;
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo.png")), logo());
    doc.setHtml(html);
    doc.print(printer);
}

bool haveDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    bool print = false;
    QString outFolder;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--print")
            print = true;
        else if (arg == "--out" && i + 1 < argc)
            outFolder = QFile::decodeName(argv[++i]);
        else {
            std::fprintf(stderr, "Uso: qv_qtdocument [--print] [--out CARTELLA]\n");
            return 2;
        }
    }
    if (!haveDisplay()) {
        print = true;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (outFolder.isEmpty())
        outFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    outFolder = QDir(outFolder).absolutePath() + QLatin1Char('/');
    QDir().mkpath(outFolder);

    const struct
    {
        const char *name;
        QString html;
    } documents[] = {{"fattura", invoiceHtml()}, {"rapporto", reportHtml()}};
    for (const auto &document : documents) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QString::fromUtf8(document.name));
        if (!print) {
            // The preview, exactly as with QPrintPreviewDialog.
            qv::PrintPreviewDialog preview(&printer);
            QObject::connect(&preview, &qv::PrintPreviewDialog::paintRequested,
                             [&](QPrinter *target) { printDocument(document.html, target); });
            preview.exec();
            continue;
        }
        // Without a display: the same slot records on a PreviewPrinter, and
        // the recording prints to PDF through the component's print path.
        qv::PreviewPrinter recorder;
        recorder.takeSettingsFrom(printer);
        recorder.setOutputFormat(QPrinter::PdfFormat);
        printDocument(document.html, &recorder);
        if (recorder.recordingError()) {
            std::fprintf(stderr, "%s\n", recorder.recordingError()->what());
            return 1;
        }
        qv::PrintOptions options;
        options.pdfFile = outFolder + QString::fromUtf8(document.name) + QStringLiteral(".pdf");
        options.title = QString::fromUtf8(document.name);
        try {
            const QString pdf = qv::SpoolFile(recorder.spoolPath()).print(options);
            std::printf("Pagine: %d, stampato in PDF: %s\n", recorder.pageCount(), qPrintable(pdf));
        } catch (const qv::Error &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    return 0;
}
