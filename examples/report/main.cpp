// SPDX-License-Identifier: MIT
// qv_report: an English host of the print-preview control. It records a
// multi-page sales report: a title, an introduction, and a table whose rows
// have a wrapped notes column and never break across pages (the table's
// heading is repeated on each page), with "Page N of M" in every footer.
//
// Row heights come from the control itself: each row's notes are laid out
// once on a scratch control, and lastBlockHeight() says how tall they are.
// With every height known the pages are worked out, so M is known before the
// first footer is recorded.
//
// With a display it opens the preview; without one (or with --print) it
// renders every page to "page-N.png" and prints the report to "report.pdf"
// in the output folder (--out DIR; default "output" beside the program).
// --rows N sets the number of table rows (default 60).
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Row
{
    QString id;
    QString region;
    QString product;
    QString notes;
    int units;
    double revenue;
};

/// The report's data: a fixed, repeatable set of rows whose notes run from
/// a few words to several lines. Each note ends with the row's id in
/// brackets, so a reader can see that no row is cut.
std::vector<Row> reportRows(int count)
{
    static const char *const Regions[] = {"North", "South", "East", "West", "Central"};
    static const char *const Products[] = {"Desk lamp",   "Office chair",   "Standing desk",
                                           "Monitor arm", "Filing cabinet", "Whiteboard"};
    static const char *const Remarks[] = {
        "Steady demand.",
        "Reorder placed early after a strong first month; stock levels are back to normal.",
        "Two large orders from a school district, delivered in three batches over six weeks; the second "
        "batch was delayed by the carrier and the customer received a discount on the freight.",
        "Promotion in the second half of the quarter.",
        "Returns slightly above average: a faulty hinge in one production lot was replaced free of charge, "
        "and the supplier has changed the part.",
        "New distributor signed; first deliveries expected next quarter, with a trial run of fifty units "
        "already shipped to their warehouse for inspection and photography for the catalogue.",
    };
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        Row r;
        r.id = QStringLiteral("R%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        r.region = QString::fromLatin1(Regions[i % 5]);
        r.product = QString::fromLatin1(Products[(i * 7) % 6]);
        r.notes = QString::fromLatin1(Remarks[(i * 5 + i / 6) % 6]) + QStringLiteral(" [%1]").arg(r.id);
        r.units = 20 + (i * 37) % 180;
        r.revenue = r.units * (19.5 + (i * 13) % 60);
        rows.push_back(r);
    }
    return rows;
}

QString money(double value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value, 'f', 2);
}

QString count(int value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

// Layout in millimetres.
constexpr float Left = 15;
constexpr float Right = 195;
constexpr float ColId = Left + 1, ColRegion = 28, ColProduct = 50, ColNotes = 82, ColUnits = 150, ColRevenue = 167;
constexpr float NotesWidth = ColUnits - ColNotes - 3;
constexpr float RowGap = 2;        // between a row's last line and the rule under it
constexpr float HeaderBottom = 30; // where a continuation page's table starts
constexpr float FooterSpace = 16;  // kept free at the page's foot

/// Where one table row goes: its page, and the lower edge of its first line.
struct Placed
{
    int page;
    float y;
};

void setBody(qv::PrintPreview &pp)
{
    pp.setFontName(QStringLiteral("Arial"));
    pp.setFontSize(9);
    pp.setFontBold(false);
    pp.setFontItalic(false);
    pp.setForeColor(0x000000);
}

/// How tall each row's notes are, laid out on a scratch control with the
/// same scale, font and page as the report.
std::vector<double> notesHeights(const std::vector<Row> &rows, float &lineHeight)
{
    qv::PrintPreview scratch;
    scratch.setScaleMode(qv::SM_Millimeters);
    setBody(scratch);
    std::vector<double> heights;
    for (const Row &r : rows) {
        int16_t lines = 0;
        float spacing = 0;
        scratch.StampaCampoMultilinea(ColNotes, 10, r.notes, NotesWidth, qv::PP_Sinistra, lines, spacing);
        heights.push_back(scratch.lastBlockHeight());
        lineHeight = spacing;
    }
    scratch.AnnullaStampa();
    return heights;
}

void pageHeader(qv::PrintPreview &pp)
{
    pp.setFontSize(8);
    pp.setForeColor(0x606060);
    pp.StampaTesto(Left, 12, QStringLiteral("Northwind Office Supplies"));
    pp.StampaCampo(Left, 12, QStringLiteral("Quarterly Sales Report, Q3 2024"), Right - Left, qv::PP_destra, false);
    pp.setForeColor(0xA0A0A0);
    pp.linea(Left, 14, Right, 14, false, false);
    setBody(pp);
}

void pageFooter(qv::PrintPreview &pp, int page, int pages, float pageHeight)
{
    const float y = pageHeight - 6;
    pp.setForeColor(0xA0A0A0);
    pp.linea(Left, y - 5, Right, y - 5, false, false);
    pp.setFontSize(8);
    pp.setForeColor(0x606060);
    pp.StampaTesto(Left, y, QStringLiteral("Printed with qvPreview"));
    pp.StampaCampo(Left, y, QStringLiteral("Page %1 of %2").arg(page).arg(pages), Right - Left, qv::PP_destra, false);
    setBody(pp);
}

void tableHeading(qv::PrintPreview &pp, float y)
{
    pp.setFillStyle(0);
    pp.setFillColor(0x5A3C1E); // dark blue: 30 + 256 x 60 + 65536 x 90
    pp.setForeColor(0x5A3C1E);
    pp.linea(Left, y - 5, Right, y + 1.5f, true, true);
    pp.setFillStyle(1);
    pp.setForeColor(0xFFFFFF);
    pp.setFontBold(true);
    pp.StampaTesto(ColId, y, QStringLiteral("ID"));
    pp.StampaTesto(ColRegion, y, QStringLiteral("Region"));
    pp.StampaTesto(ColProduct, y, QStringLiteral("Product"));
    pp.StampaTesto(ColNotes, y, QStringLiteral("Notes"));
    pp.StampaCampo(ColUnits, y, QStringLiteral("Units"), ColRevenue - ColUnits - 2, qv::PP_destra, false);
    pp.StampaCampo(ColRevenue, y, QStringLiteral("Revenue ($)"), Right - ColRevenue - 1, qv::PP_destra, false);
    setBody(pp);
}

bool haveDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    bool preview = false;
    bool print = false;
    int rowCount = 60;
    QString outFolder;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--preview")
            preview = true;
        else if (arg == "--print")
            print = true;
        else if (arg == "--out" && i + 1 < argc)
            outFolder = QFile::decodeName(argv[++i]);
        else if (arg == "--rows" && i + 1 < argc)
            rowCount = std::clamp(QByteArray(argv[++i]).toInt(), 1, 5000);
        else {
            std::fprintf(stderr, "Usage: qv_report [--preview | --print] [--rows N] [--out FOLDER]\n");
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
    // Pages are laid out for the printer the report goes to.
    if (!preview)
        qv::setCurrentPrinter(qv::pdfPrinterName());

    try {
        qv::PrintPreview pp;
        pp.setTitolo(QStringLiteral("Quarterly Sales Report"));
        pp.setScaleMode(qv::SM_Millimeters);
        setBody(pp);
        const float pageHeight = pp.PageHeight();
        const float bottom = pageHeight - FooterSpace;

        const std::vector<Row> rows = reportRows(rowCount);
        float lineHeight = 0;
        const std::vector<double> heights = notesHeights(rows, lineHeight);

        // First page: the title and an introduction, whose height says where the table starts.
        pageHeader(pp);
        pp.setFontSize(18);
        pp.setFontBold(true);
        pp.StampaTesto(Left, 30, QStringLiteral("Quarterly Sales Report"));
        pp.setFontSize(11);
        pp.setFontBold(false);
        pp.setForeColor(0x606060);
        pp.StampaTesto(Left, 37, QStringLiteral("July to September 2024, all regions"));
        setBody(pp);
        pp.setFontSize(10);
        int16_t lines = 0;
        float spacing = 0;
        pp.StampaCampoMultilinea(
            Left, 47,
            QStringLiteral("This report lists the quarter's sales by region and product. Each row gives the units "
                           "sold and the revenue, with the sales team's notes on anything out of the ordinary.\r\n"
                           "Figures are in US dollars, before tax and after returns."),
            Right - Left, qv::PP_Sinistra, lines, spacing);
        const float tableTop = 47 + float(pp.lastBlockHeight()) + 8;
        setBody(pp);

        // Where each row goes: a row that would run into the footer starts the next page.
        std::vector<Placed> placed;
        int page = 1;
        float y = tableTop + 7;
        for (size_t i = 0; i < rows.size(); ++i) {
            const float height = std::max(float(heights[i]), lineHeight) + RowGap;
            if (y + height - lineHeight > bottom) {
                ++page;
                y = HeaderBottom + 7;
            }
            placed.push_back(Placed{page, y});
            y += height;
        }
        const float totalsHeight = 12;
        int pages = page;
        float totalsY = y + 4;
        if (totalsY + totalsHeight > bottom) {
            pages = page + 1;
            totalsY = HeaderBottom + 4;
        }

        // The record, page by page, now that the page count is known.
        tableHeading(pp, tableTop);
        int current = 1;
        int units = 0;
        double revenue = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row &r = rows[i];
            if (placed[i].page != current) {
                pageFooter(pp, current, pages, pageHeight);
                pp.NuovaPagina();
                current = placed[i].page;
                pageHeader(pp);
                tableHeading(pp, HeaderBottom);
            }
            const float ry = placed[i].y;
            if (i % 2 == 1) {
                // A light band behind every other row.
                pp.setFillStyle(0);
                pp.setFillColor(0xF7F2EE);
                pp.setForeColor(0xF7F2EE);
                pp.linea(Left, ry - lineHeight - 0.6f, Right,
                         ry - lineHeight + std::max(float(heights[i]), lineHeight) + 0.6f, true, true);
                pp.setFillStyle(1);
                setBody(pp);
            }
            pp.StampaTesto(ColId, ry, r.id);
            pp.StampaTesto(ColRegion, ry, r.region);
            pp.StampaCampo(ColProduct, ry, r.product, ColNotes - ColProduct - 2, qv::PP_Sinistra, true);
            int16_t noteLines = 0;
            float noteSpacing = lineHeight;
            pp.StampaCampoMultilinea(ColNotes, ry, r.notes, NotesWidth, qv::PP_Sinistra, noteLines, noteSpacing);
            pp.StampaCampo(ColUnits, ry, count(r.units), ColRevenue - ColUnits - 2, qv::PP_destra, false);
            pp.StampaCampo(ColRevenue, ry, money(r.revenue), Right - ColRevenue - 1, qv::PP_destra, false);
            units += r.units;
            revenue += r.revenue;
        }
        if (pages != current) {
            pageFooter(pp, current, pages, pageHeight);
            pp.NuovaPagina();
            current = pages;
            pageHeader(pp);
        }
        pp.setForeColor(0x5A3C1E);
        pp.setDrawWidth(2);
        pp.linea(Left, totalsY - 5, Right, totalsY - 5, false, false);
        pp.setDrawWidth(1);
        setBody(pp);
        pp.setFontBold(true);
        pp.StampaTesto(ColId, totalsY, QStringLiteral("Total, %1 rows").arg(rows.size()));
        pp.StampaCampo(ColUnits, totalsY, count(units), ColRevenue - ColUnits - 2, qv::PP_destra, false);
        pp.StampaCampo(ColRevenue, totalsY, money(revenue), Right - ColRevenue - 1, qv::PP_destra, false);
        setBody(pp);
        pageFooter(pp, current, pages, pageHeight);

        std::printf("Spool file: %s\nPages: %d, rows: %zu\n", qPrintable(pp.spoolPath()), pp.TotalePagine(),
                    rows.size());
        std::fflush(stdout);

        if (preview) {
            pp.ShowAnteprima();
            return 0;
        }
        if (!QDir().mkpath(outFolder)) {
            std::fprintf(stderr, "qv_report: cannot create the folder %s\n", qPrintable(outFolder));
            return 1;
        }
        const QScreen *screen = QGuiApplication::primaryScreen();
        const double dotsPerInch = screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96.0;
        const qv::SpoolFile spool(pp.spoolPath());
        for (int p = 1; p <= pp.TotalePagine(); ++p) {
            const QString png = outFolder + QStringLiteral("page-%1.png").arg(p);
            spool.savePage(p, dotsPerInch, png);
            std::printf("Page rendered: %s\n", qPrintable(png));
        }
        const QString pdf = outFolder + QStringLiteral("report.pdf");
        QFile::remove(pdf);
        qv::setPdfOutputFile(pdf);
        pp.InviaAllaStampante();
        if (const auto &error = pp.lastPrintError()) {
            std::fprintf(stderr, "qv_report: printing to PDF failed: %s\n", error->what());
            return 1;
        }
        std::printf("Printed to PDF: %s\n", qPrintable(pdf));
    } catch (const qv::Error &e) {
        // what() gives the error's text and its detail (the value refused, the file and line).
        std::fprintf(stderr, "qv_report: error %d in %s: %s\n", e.number(), qPrintable(e.source()), e.what());
        return 1;
    }
    return 0;
}
