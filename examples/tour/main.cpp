// SPDX-License-Identifier: MIT
// A tour of qvPreview's public classes: each block between "//! [name]"
// marks is the example on that class's page of the API reference. The
// program runs them all without a display and checks what they give:
//   QT_QPA_PLATFORM=offscreen qv_tour OUT-FOLDER
#include <qvpreview/CPalette.h>
#include <qvpreview/Error.h>
#include <qvpreview/PreviewWindowOptions.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/PropertyBag.h>
#include <qvpreview/PropertyPageSite.h>
#include <qvpreview/SpoolFile.h>
#include <qvpreview/VersionRecord.h>
#include <qvpreview/qvUtilita.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString out; // the folder the tour writes into

void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "tour: %s failed\n", what);
        std::exit(1);
    }
}

/// Records a two-page invoice; the spool file stays until the control goes.
void recordInvoice(qv::PrintPreview &pp)
{
    //! [PrintPreview]
    pp.setScaleMode(qv::SM_Millimeters);
    pp.setTitolo("Fattura 42");
    pp.setFieldsRecorded(true); // lets the layout check name a text its field cut
    pp.setFontName("Arial");
    pp.setFontSize(14);
    pp.StampaCentrato(20, "Fattura n. 42");
    pp.setFontSize(10);
    pp.StampaCampo(20, 40, "Descrizione dell'articolo", 80, qv::PP_Sinistra, true);
    pp.linea(20, 42, 190, 42, false, false);
    pp.NuovaPagina();
    pp.StampaTesto(20, 20, "Totale: 1.234,00 EUR");
    // pp.ShowAnteprima() opens the modal preview; pp.InviaAllaStampante(true)
    // asks for a page range and prints.
    //! [PrintPreview]
}

void spoolFile(const qv::PrintPreview &pp)
{
    //! [SpoolFile]
    const qv::SpoolFile spool(pp.spoolPath());
    const QSize size = spool.savePage(1, 96, out + "/page1.png"); // pixels at 96 dpi
    const QImage page2 = spool.renderPage(2, 150);
    //! [SpoolFile]
    require(spool.pageCount() == 2 && size.width() > 700 && !page2.isNull(), "SpoolFile");

    //! [PrintOptions]
    qv::PrintOptions options;
    options.firstPage = 2; // pages 2 to the end
    options.copies = 2;    // collated
    options.title = "Fattura 42";
    options.pdfFile = out + "/fattura.pdf"; // or options.printer = "qvtest"
    const QString written = spool.print(options);
    //! [PrintOptions]
    require(written == options.pdfFile && QFileInfo(written).size() > 0, "PrintOptions");

    //! [SpoolCheck]
    const qv::SpoolCheck check = spool.check();
    if (!check.ok())
        std::fprintf(stderr, "%s\n", check.error->what());
    else
        std::printf("%d pages, %d texts, %d lines\n", check.pages, check.texts, check.lines);
    //! [SpoolCheck]
    require(check.ok() && check.pages == 2 && check.texts == 3 && check.lines == 1, "SpoolCheck");

    //! [SpoolMatch]
    for (const qv::SpoolMatch &match : spool.find("totale"))
        std::printf("page %d at %.0f, %.0f twips: %s\n", match.page, match.x, match.y, qPrintable(match.text));
    //! [SpoolMatch]
    const QList<qv::SpoolMatch> matches = spool.find("totale");
    require(matches.size() == 1 && matches[0].page == 2 && matches[0].offset == 0, "SpoolMatch");

    //! [LayoutCheck]
    const qv::LayoutCheck layout = spool.checkLayout();
    for (const qv::LayoutFinding &finding : layout.findings)
        std::printf("page %d, line %lld: %s\n", finding.page, finding.line, qPrintable(finding.text));
    //! [LayoutCheck]
    // "Descrizione dell'articolo" fits its field; the fonts may be replaced.
    require(!layout.error && layout.pages == 2, "LayoutCheck");
    for (const qv::LayoutFinding &finding : layout.findings)
        require(finding.kind == qv::LayoutFinding::FontSubstituted, "LayoutCheck");
}

/// Compiled, never called by the tour: the window needs a user.
[[maybe_unused]] void previewWindow(const qv::SpoolFile &spool)
{
    //! [PreviewWindowOptions]
    qv::PreviewWindowOptions options;
    options.fit = qv::PreviewWindowOptions::FitWidth; // the page as wide as the window
    options.remember = true;                          // size, place and zoom, for the next time
    options.pageShadow = true;
    spool.showPreview("Fattura 42", options); // modal: returns when the user closes it
    //! [PreviewWindowOptions]
}

void errors()
{
    qv::PrintPreview pp;
    //! [Error]
    try {
        pp.setFontSize(0);
    } catch (const qv::Error &e) {
        // 380 "Valore di proprietà non valido", source "FontSize",
        // detail "FontSize = 0 (ammessi da 1 a 2160)"
        std::fprintf(stderr, "error %d in %s: %s\n", e.number(), qPrintable(e.source()), e.what());
    }
    //! [Error]
    try {
        pp.setFontSize(0);
        require(false, "Error");
    } catch (const qv::Error &e) {
        require(e.number() == 380 && e.source() == "FontSize", "Error");
    }
}

void palettes()
{
    //! [CPalette]
    qv::CPalette palette;
    palette.CreateHalfTone(); // the 256 colours of the preview's 256-colour mode
    const int32_t orange = palette.ClosestIndex(255, 128, 0);
    const qv::PaletteEntry entry = palette.Entry(orange);
    std::printf("orange is %d: %d, %d, %d\n", orange, entry.red, entry.green, entry.blue);
    if (!palette.SaveToJASCFile(out + "/mezzitoni.pal"))
        std::fprintf(stderr, "not saved\n");
    qv::CPalette copy;
    copy.LoadFromJASCFile(out + "/mezzitoni.pal"); // throws qv::Error with file and line
    //! [CPalette]
    require(copy.Count() == palette.Count() && copy.Entry(orange) == entry, "CPalette");

    //! [PaletteEntry]
    qv::CPalette mine;
    mine.Add(255, 0, 0);
    mine.Add(0, 0, 255);
    const qv::PaletteEntry blue = mine.Entry(mine.ClosestIndex(10, 10, 200));
    //! [PaletteEntry]
    require(blue == qv::PaletteEntry{0, 0, 255, 0}, "PaletteEntry");
}

void properties()
{
    //! [PropertyBag]
    qv::PrintPreview designed;
    designed.InitProperties();
    designed.setTitolo("Fattura");
    designed.setScaleMode(qv::SM_Millimeters);
    qv::MemoryPropertyBag bag; // or a bag of one's own over a form file
    designed.WriteProperties(bag);
    qv::PrintPreview loaded;
    loaded.ReadProperties(bag); // titolo "Fattura", ScaleMode 6
    //! [PropertyBag]
    require(loaded.titolo() == "Fattura" && loaded.ScaleMode() == qv::SM_Millimeters && bag.values().size() == 2,
            "PropertyBag");

    //! [PropertyPage]
    // A container's site: which controls the page edits, and its changed flag.
    struct Site : qv::PropertyPageSite
    {
        QList<QObject *> controls;
        bool changed = false;
        QList<QObject *> SelectedControls() const override { return controls; }
        bool Changed() const override { return changed; }
        void setChanged(bool value) override { changed = value; }
    } site;
    site.controls = {&loaded};
    std::unique_ptr<QWidget> widget(qv::CreaPaginaAnteprima(&site));
    auto *page = dynamic_cast<qv::PropertyPage *>(widget.get());
    page->SelectionChanged(); // the field shows "Fattura"
    // ... the user edits the title; Changed() turns true ...
    page->ApplyChanges(); // the title goes back to the control, without outer spaces
    //! [PropertyPage]
    require(page->Caption() == "Anteprima" && !site.changed && loaded.titolo() == "Fattura", "PropertyPage");
}

void utilities()
{
    //! [qvUtilita]
    qv::qvUtilita utilita;
    const QString installed = utilita.GetVersione("/usr/lib/libqvpreview.so.1"); // "0.0.0.0" without a record
    if (utilita.ConfrontaVersione("1.2.0.48", installed) == 1)
        std::printf("%s is older than 1.2.0.48\n", qPrintable(installed));
    //! [qvUtilita]
    require(utilita.ConfrontaVersione("1.2.0.48", "1.2.0.47") == 1
                && utilita.ConfrontaVersione("1.2.0.48", "1.10.0.0") == -1,
            "qvUtilita");

    //! [VersionRecord]
    const qv::VersionRecord &version = qv::libraryVersion();
    std::printf("%s %u.%u.%u.%u\n", version.product, version.major, version.minor, version.patch, version.revision);
    //! [VersionRecord]
    require(version.major == 1 && version.minor == 2, "VersionRecord");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 || !QDir().mkpath(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: qv_tour OUT-FOLDER\n");
        return 2;
    }
    out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    {
        qv::PrintPreview pp;
        recordInvoice(pp);
        spoolFile(pp);
        pp.AnnullaStampa();
    }
    errors();
    palettes();
    properties();
    utilities();
    std::printf("tour: every example ran\n");
    return 0;
}
