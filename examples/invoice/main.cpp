// SPDX-License-Identifier: MIT
// qv_invoice: a small host of the print-preview control. It records a
// two-page Italian invoice (heading, customer box, a table of items that
// runs over onto the second page, totals and a wrapped note) and prints
// where the spool file is and what it holds. Then, with a display, it opens
// the preview of the document; without one (or with --print) it renders
// every page to a PNG file and prints the document to a PDF file, both in
// the output folder (--out DIR; default "output" beside the program), and
// says where they are. Printing discards the document; --keep leaves the
// spool file and its pictures on disk instead of printing. --preview opens
// the preview even where no display is detected.
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

struct Riga
{
    const char *codice;
    const char *descrizione;
    int quantita;
    double prezzo;
};

const Riga Righe[] = {
    {"EL-0101", "Cavo unipolare FS17 1,5 mm² nero, matassa da 100 m", 4, 38.90},
    {"EL-0102", "Cavo unipolare FS17 2,5 mm² blu, matassa da 100 m", 3, 59.50},
    {"EL-0230", "Interruttore magnetotermico 1P+N 16 A, curva C, potere di interruzione 4,5 kA", 12, 14.20},
    {"EL-0231", "Interruttore differenziale puro 2P 40 A 30 mA tipo A", 2, 64.00},
    {"EL-0415", "Quadro da parete 36 moduli IP40 con portella trasparente fumé", 1, 118.00},
    {"EL-0520", "Scatola di derivazione stagna 150x110x70 mm con passacavi", 25, 3.85},
    {"EL-0610", "Presa bipasso 10/16 A serie civile bianca", 40, 2.95},
    {"EL-0611", "Presa Schuko 16 A con terra laterale e centrale", 20, 4.60},
    {"EL-0700", "Plafoniera LED 36 W 4000 K IP65 da 120 cm per ambienti industriali", 18, 42.00},
    {"EL-0801", "Tubo corrugato flessibile diametro 25 mm, rotolo da 50 m", 6, 21.40},
    {"EL-0802", "Canalina in PVC 40x25 mm con coperchio, barra da 2 m", 30, 3.10},
    {"SV-0001", "Manodopera: posa in opera dell'impianto, ore di lavoro di due tecnici specializzati", 32, 35.00},
    {"SV-0002", "Collaudo, verifica dell'impianto di terra e rilascio della dichiarazione di conformità", 1, 250.00},
};

QString euro(double value)
{
    // An invoice shows Italian amounts ("1.234,50"); the spool file stores
    // only positions in its own notation, so the locale is the host's business.
    return QLocale(QLocale::Italian, QLocale::Italy).toString(value, 'f', 2) + QStringLiteral(" €");
}

QImage logo()
{
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 90, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(4, 4, 52, 52);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    painter.drawText(QRect(4, 4, 52, 52), Qt::AlignCenter, QStringLiteral("R"));
    painter.setPen(QColor(0, 90, 160));
    painter.drawText(QRect(60, 4, 60, 52), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("ossi"));
    return image;
}

// Layout in millimetres on the printer's page.
constexpr float Left = 15;
constexpr float ColCodice = 15, ColDescr = 38, ColQta = 128, ColPrezzo = 146, ColImporto = 170;
constexpr float Right = 195;

void intestazione(qv::PrintPreview &pp, int pagina)
{
    pp.StampaPicture(logo(), Left, 10, 30, 15);
    pp.setFontSize(16);
    pp.setFontBold(true);
    pp.StampaTesto(50, 18, QStringLiteral("Rossi Impianti Elettrici S.r.l."));
    pp.setFontSize(9);
    pp.setFontBold(false);
    pp.StampaTesto(50, 23, QStringLiteral("Via dell'Industria 14 - 40138 Bologna (BO) - P. IVA 01234567890"));
    pp.StampaCampo(Left, 34, QStringLiteral("Pagina %1 di 2").arg(pagina), Right - Left, qv::PP_destra, false);
    pp.linea(Left, 36, Right, 36, false, false);
}

void testataTabella(qv::PrintPreview &pp, float y)
{
    pp.setFillStyle(0);
    pp.setFillColor(0xE0E0E0);
    pp.linea(Left, y - 5, Right, y + 1.5f, true, false);
    pp.setFillStyle(1);
    pp.setFontBold(true);
    pp.StampaTesto(ColCodice + 1, y, QStringLiteral("Codice"));
    pp.StampaTesto(ColDescr, y, QStringLiteral("Descrizione"));
    pp.StampaCampo(ColQta, y, QStringLiteral("Q.tà"), 14, qv::PP_destra, false);
    pp.StampaCampo(ColPrezzo, y, QStringLiteral("Prezzo"), 20, qv::PP_destra, false);
    pp.StampaCampo(ColImporto, y, QStringLiteral("Importo"), Right - ColImporto - 1, qv::PP_destra, false);
    pp.setFontBold(false);
}

/// True when windows can be shown: a display is set and Qt is not told to
/// draw off screen.
bool haveDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// Renders every page of the document into "pagina-N.png" in \a folder at
/// the screen's resolution; returns the files written.
QStringList renderPages(qv::PrintPreview &pp, const QString &folder)
{
    QStringList files;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dotsPerInch = screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96.0;
    const qv::SpoolFile spool(pp.spoolPath());
    for (int page = 1; page <= pp.TotalePagine(); ++page) {
        const QString file = folder + QStringLiteral("pagina-%1.png").arg(page);
        if (!spool.renderPage(page, dotsPerInch).save(file, "PNG"))
            throw qv::Error(qv::ErrPathFileAccess, QStringLiteral("qv_invoice"),
                            QStringLiteral("impossibile scrivere %1").arg(file));
        files << file;
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    bool preview = false;
    bool print = false;
    bool keep = false;
    QString outFolder;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--preview")
            preview = true;
        else if (arg == "--print")
            print = true;
        else if (arg == "--keep")
            keep = true;
        else if (arg == "--out" && i + 1 < argc)
            outFolder = QFile::decodeName(argv[++i]);
        else {
            std::fprintf(stderr, "Uso: qv_invoice [--preview | --print] [--keep] [--out CARTELLA]\n");
            return 2;
        }
    }
    if (!print && !preview)
        preview = haveDisplay();
    if (!preview && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (outFolder.isEmpty())
        outFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    outFolder = QDir(outFolder).absolutePath() + QLatin1Char('/');

    // With --keep the control is never destroyed, so its files stay on disk.
    auto *control = new qv::PrintPreview;
    qv::PrintPreview &pp = *control;
    pp.setTitolo(QStringLiteral("Fattura n. 2024/0187"));
    pp.setScaleMode(qv::SM_Millimeters);
    pp.setFontName(QStringLiteral("Arial"));

    intestazione(pp, 1);
    pp.setFontSize(14);
    pp.setFontBold(true);
    pp.StampaCentrato(48, QStringLiteral("FATTURA N. 2024/0187 DEL 12/03/2024"));
    pp.setFontSize(10);
    pp.setFontBold(false);

    // Customer box.
    pp.linea(110, 54, Right, 78, true, false);
    pp.setFontBold(true);
    pp.StampaTesto(113, 60, QStringLiteral("Spett.le"));
    pp.setFontBold(false);
    pp.StampaTesto(113, 65, QStringLiteral("Officine Meccaniche Bianchi S.p.A."));
    pp.StampaTesto(113, 70, QStringLiteral("Via Emilia Ponente 220"));
    pp.StampaTesto(113, 75, QStringLiteral("40133 Bologna (BO)"));
    pp.StampaTesto(Left, 65, QStringLiteral("Pagamento: bonifico bancario a 30 giorni d.f."));
    pp.StampaTesto(Left, 70, QStringLiteral("IBAN: IT60 X054 2811 1010 0000 0123 456"));

    float y = 92;
    testataTabella(pp, y);
    y += 7;
    double imponibile = 0;
    const float larghezzaDescr = ColQta - ColDescr - 2;
    const int righePrimaPagina = 8;
    int indice = 0;
    for (const Riga &r : Righe) {
        if (indice++ == righePrimaPagina) {
            pp.setFontSize(9);
            pp.StampaCampo(Left, 285, QStringLiteral("segue..."), Right - Left, qv::PP_destra, false);
            pp.NuovaPagina();
            intestazione(pp, 2);
            y = 50;
            testataTabella(pp, y);
            y += 7;
        }
        pp.setFontSize(9);
        const double importo = r.quantita * r.prezzo;
        imponibile += importo;
        const QString descrizione = QString::fromUtf8(r.descrizione);
        pp.StampaTesto(ColCodice + 1, y, QString::fromLatin1(r.codice));
        // At most two lines of description; what does not fit is cut.
        int16_t righe = 2;
        float interlinea = 0;
        pp.StampaCampoMultilinea(ColDescr, y, descrizione, larghezzaDescr, qv::PP_Sinistra, righe, interlinea);
        const int usate = std::max(1, pp.lastBlockLines()); // the lines the description took
        pp.StampaCampo(ColQta, y, QString::number(r.quantita), 14, qv::PP_destra, false);
        pp.StampaCampo(ColPrezzo, y, euro(r.prezzo), 20, qv::PP_destra, false);
        pp.StampaCampo(ColImporto, y, euro(importo), Right - ColImporto - 1, qv::PP_destra, false);
        y += float(usate) * interlinea + 2.5f;
        pp.setDrawStyle(2);
        pp.linea(Left, y - 4, Right, y - 4, false, false);
        pp.setDrawStyle(0);
    }

    // Totals.
    const double iva = imponibile * 0.22;
    y += 6;
    pp.setFontSize(10);
    pp.linea(130, y - 6, Right, y + 14, true, false);
    pp.StampaTesto(133, y, QStringLiteral("Imponibile"));
    pp.StampaCampo(160, y, euro(imponibile), Right - 163, qv::PP_destra, false);
    pp.StampaTesto(133, y + 6, QStringLiteral("IVA 22%"));
    pp.StampaCampo(160, y + 6, euro(iva), Right - 163, qv::PP_destra, false);
    pp.setFontBold(true);
    pp.StampaTesto(133, y + 12, QStringLiteral("Totale"));
    pp.StampaCampo(160, y + 12, euro(imponibile + iva), Right - 163, qv::PP_destra, false);
    pp.setFontBold(false);

    // A wrapped note and a stamp.
    pp.setFontSize(8);
    pp.setFontItalic(true);
    int16_t righe = 0;
    float interlinea = 0;
    pp.StampaCampoMultilinea(Left, y + 26,
                             QStringLiteral("Note: la merce viaggia a rischio e pericolo del committente. In caso di "
                                            "ritardato pagamento saranno applicati gli interessi di mora previsti dal "
                                            "D.Lgs. 231/2002.\r\nContributo ambientale CONAI assolto ove dovuto."),
                             Right - Left, qv::PP_Sinistra, righe, interlinea);
    pp.setFontItalic(false);
    pp.setForeColor(0x0000C0);
    pp.setDrawWidth(2);
    pp.Cerchio(175, 270, 12);
    pp.setFontSize(9);
    pp.StampaCampo(163, 271, QStringLiteral("PAGATO"), 24, qv::PP_Centrato, false);

    const QString spool = pp.spoolPath();
    QFile file(spool);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    QTextStream out(stdout);
    out << "File di spool: " << spool << "\n";
    out << "Pagine: " << pp.TotalePagine() << ", record: " << bytes.count("\r\n#") + (bytes.startsWith('#') ? 1 : 0)
        << ", byte: " << bytes.size() << ", immagini: " << pp.pictureFiles().size() << "\n";
    out << "Pagina in mm: " << pp.PageWidth() << " x " << pp.PageHeight() << "\n";
    out << "----- contenuto -----\n";
    out.flush();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);

    if (preview) {
        pp.ShowAnteprima();
    } else {
        // No display: the pages as pictures, and the document as a PDF file.
        if (!QDir().mkpath(outFolder)) {
            std::fprintf(stderr, "qv_invoice: impossibile creare la cartella %s\n", qPrintable(outFolder));
            return 1;
        }
        try {
            for (const QString &png : renderPages(pp, outFolder))
                std::printf("Pagina disegnata: %s\n", qPrintable(png));
        } catch (const qv::Error &e) {
            std::fprintf(stderr, "qv_invoice: %s\n", qPrintable(e.description()));
            return 1;
        }
        if (!keep) {
            const QString pdf = outFolder + QStringLiteral("fattura.pdf");
            QFile::remove(pdf);
            qv::setCurrentPrinter(qv::pdfPrinterName());
            qv::setPdfOutputFile(pdf);
            pp.InviaAllaStampante();
            // A print that fails keeps the document: that is how the host tells.
            if (!pp.spoolPath().isEmpty() || !QFile::exists(pdf)) {
                std::fprintf(stderr, "qv_invoice: stampa in PDF non riuscita\n");
                return 1;
            }
            std::printf("Stampato in PDF: %s\n", qPrintable(pdf));
        }
        std::fflush(stdout);
    }
    if (keep) {
        std::printf("----- il file di spool e le immagini restano in %s -----\n",
                    qPrintable(spool.left(spool.lastIndexOf(QLatin1Char('/')) + 1)));
        return 0;
    }
    delete control; // discards the document: spool file and pictures
    return 0;
}
