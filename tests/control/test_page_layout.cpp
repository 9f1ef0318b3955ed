// SPDX-License-Identifier: MIT
// Pages laid out as the host chooses: the page layout recorded with each
// page it starts, read back by SpoolFile whatever printer is current, and
// printed on the recorded paper, to PDF and through the CUPS test queue,
// with the content where it was recorded.
#include "platform/Devices.h"
#include "support/TestEnv.h"
#include "tests/render/PdfTools.h"

#include <qvpreview/Error.h>
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

using namespace qv;

namespace {

constexpr double PointsPerMm = 72 / 25.4;

QPageLayout layout(QPageSize::PageSizeId size, QPageLayout::Orientation orientation, QMarginsF marginsMm = {})
{
    return QPageLayout(QPageSize(size), orientation, marginsMm, QPageLayout::Millimeter);
}

const QPageLayout A4Portrait = layout(QPageSize::A4, QPageLayout::Portrait);
const QPageLayout A4Landscape = layout(QPageSize::A4, QPageLayout::Landscape, QMarginsF(10, 15, 10, 15));
const QPageLayout Letter = layout(QPageSize::Letter, QPageLayout::Portrait);

/// The same page: paper, orientation and margins, to a hundredth of a point.
::testing::AssertionResult samePage(const std::optional<QPageLayout> &got, const std::optional<QPageLayout> &want)
{
    if (got.has_value() != want.has_value())
        return ::testing::AssertionFailure()
               << (got ? "a layout" : "no layout") << " instead of " << (want ? "a layout" : "none");
    if (!got)
        return ::testing::AssertionSuccess();
    const QRectF g = got->fullRect(QPageLayout::Point), w = want->fullRect(QPageLayout::Point);
    const QRectF gp = got->paintRect(QPageLayout::Point), wp = want->paintRect(QPageLayout::Point);
    const auto near = [](const QRectF &a, const QRectF &b) {
        return std::abs(a.left() - b.left()) < 0.01 && std::abs(a.top() - b.top()) < 0.01
               && std::abs(a.width() - b.width()) < 0.01 && std::abs(a.height() - b.height()) < 0.01;
    };
    if (near(g, w) && near(gp, wp) && got->orientation() == want->orientation()
        && got->pageSize().id() == want->pageSize().id())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "page " << g.width() << " x " << g.height() << " drawn from " << gp.left()
                                         << ", " << gp.top() << " instead of " << w.width() << " x " << w.height()
                                         << " from " << wp.left() << ", " << wp.top();
}

class PageLayouts : public test::TempEnvTest
{
protected:
    PageLayouts()
    {
        // A printer whose page is none of the recorded ones.
        test::TempEnv::onePrinter(9000, 12000, QStringLiteral("Stretta"));
        pp.setScaleMode(SM_Millimeters);
    }

    /// The spool file as it stands, as a file of its own.
    SpoolFile file() const { return SpoolFile(pp.spoolPath()); }

    PrintPreview pp;
};

// --- Recording ----------------------------------------------------------------------

TEST_F(PageLayouts, NothingChosenWritesTheFileAsItAlwaysWas)
{
    pp.setScaleMode(SM_Twips);
    EXPECT_FALSE(isPageLayoutChosen());
    pp.StampaTesto(1440, 2880, QStringLiteral("Totale\r\n#page@"));
    pp.linea(1440, 3000, 5760, 3600, true, false);
    pp.NuovaPagina();
    EXPECT_EQ(test::readAll(pp.spoolPath()),
              QByteArray("#print@\r\n"
                         "\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                         "1440,2880\r\n"
                         "Totale\r\n"
                         "#page@\r\n" // a host's text line, as it stands
                         "#endprint@\r\n"
                         "#line@\r\n"
                         "0,13,1,0,0,1\r\n"
                         "1440,3000,5760,3600,#TRUE#,#FALSE#\r\n"
                         "#newpage@\r\n"));
    EXPECT_FALSE(file().pageLayout(1));
    EXPECT_EQ(file().check().texts, 1);
}

TEST_F(PageLayouts, AChosenLayoutTravelsAsTheFirstLinesOfEachPage)
{
    setCurrentPageLayout(A4Portrait);
    pp.StampaTesto(20, 30, QStringLiteral("uno"));
    pp.NuovaPagina();
    EXPECT_EQ(test::readAll(pp.spoolPath()), QByteArray("#page@\r\n"
                                                        "11905.51,16837.79,0,0,0,0,0\r\n"
                                                        "#print@\r\n"
                                                        "\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                                                        "1133.858,1700.787\r\n"
                                                        "uno\r\n"
                                                        "#endprint@\r\n"
                                                        "#newpage@\r\n"));
}

/// A document recorded step by step, and the layout each page reads back with.
struct Recording
{
    const char *name;
    std::function<void(PrintPreview &)> record;
    QList<std::optional<QPageLayout>> pages;
};

class Recordings : public PageLayouts, public ::testing::WithParamInterface<Recording>
{};

TEST_P(Recordings, GiveEachPageTheLayoutInForceWhenItBegan)
{
    GetParam().record(pp);
    const SpoolFile spool = file();
    ASSERT_EQ(spool.pageCount(), GetParam().pages.size());
    for (int page = 1; page <= spool.pageCount(); ++page)
        EXPECT_TRUE(samePage(spool.pageLayout(page), GetParam().pages.at(page - 1))) << "page " << page;
    // The check reads every page's layout in its one pass.
    const SpoolCheck check = spool.check();
    ASSERT_TRUE(check.ok()) << qPrintable(check.error->description());
    int32_t page = 0;
    for (const SpoolLayoutRun &run : check.layouts)
        for (int32_t p = run.firstPage; p <= run.lastPage; ++p) {
            EXPECT_EQ(p, ++page);
            const std::optional<QPageLayout> &want = GetParam().pages.at(p - 1);
            EXPECT_EQ(run.recorded, want.has_value()) << "page " << p;
            EXPECT_TRUE(samePage(run.layout, want ? want : currentPageLayout())) << "page " << p;
        }
    EXPECT_EQ(page, spool.pageCount());
}

INSTANTIATE_TEST_SUITE_P(Cases, Recordings,
                         ::testing::Values(Recording{"ChosenBeforeTheFirstRecord",
                                                     [](PrintPreview &pp) {
                                                         setCurrentPageLayout(A4Landscape);
                                                         pp.StampaTesto(20, 30, "uno");
                                                         pp.NuovaPagina();
                                                         pp.linea(10, 10, 50, 50, false, false);
                                                     },
                                                     {A4Landscape, A4Landscape}},
                                           Recording{"ChangedAtEachPageBreak",
                                                     [](PrintPreview &pp) {
                                                         setCurrentPageLayout(A4Portrait);
                                                         pp.StampaTesto(20, 30, "uno");
                                                         pp.NuovaPagina();
                                                         setCurrentPageLayout(A4Landscape);
                                                         pp.StampaCentrato(30, "due");
                                                         pp.NuovaPagina();
                                                         setCurrentPageLayout(Letter);
                                                         pp.Punto(20, 30);
                                                     },
                                                     {A4Portrait, A4Landscape, Letter}},
                                           Recording{"ChosenOnAPageWithRecordsTakesTheNextOne",
                                                     [](PrintPreview &pp) {
                                                         pp.StampaTesto(20, 30, "uno");
                                                         setCurrentPageLayout(A4Landscape);
                                                         pp.StampaTesto(20, 40, "ancora uno");
                                                         pp.NuovaPagina();
                                                         pp.StampaTesto(20, 30, "due");
                                                     },
                                                     {std::nullopt, A4Landscape}},
                                           Recording{"AnEmptyPageKeepsItsLayout",
                                                     [](PrintPreview &pp) {
                                                         setCurrentPageLayout(Letter);
                                                         pp.NuovaPagina();
                                                         setCurrentPageLayout(A4Landscape);
                                                         pp.NuovaPagina();
                                                         pp.Cerchio(50, 50, 10);
                                                     },
                                                     {Letter, A4Landscape, A4Landscape}},
                                           Recording{"ResetGoesBackToThePrintersPage",
                                                     [](PrintPreview &pp) {
                                                         setCurrentPageLayout(A4Landscape);
                                                         pp.StampaTesto(20, 30, "uno");
                                                         pp.NuovaPagina();
                                                         resetCurrentPageLayout();
                                                         pp.StampaTesto(20, 30, "due");
                                                     },
                                                     {A4Landscape, std::nullopt}},
                                           Recording{"ANewDocumentStartsItsFirstPageAfresh",
                                                     [](PrintPreview &pp) {
                                                         pp.StampaTesto(20, 30, "scartato");
                                                         pp.AnnullaStampa();
                                                         setCurrentPageLayout(Letter);
                                                         pp.StampaTesto(20, 30, "uno");
                                                     },
                                                     {Letter}}),
                         [](const auto &info) { return std::string(info.param.name); });

/// A chosen layout and the page the control measures and centres on.
struct Geometry
{
    const char *name;
    QPageLayout layout;
    double widthMm;
    double heightMm;
};

class Geometries : public PageLayouts, public ::testing::WithParamInterface<Geometry>
{};

TEST_P(Geometries, ArePageWidthAndHeightWithinTheMargins)
{
    EXPECT_NEAR(pp.PageWidth(), 9000 / 1440.0 * 25.4, 0.01); // the printer's page, before
    setCurrentPageLayout(GetParam().layout);
    EXPECT_NEAR(pp.PageWidth(), GetParam().widthMm, 0.01);
    EXPECT_NEAR(pp.PageHeight(), GetParam().heightMm, 0.01);
    EXPECT_EQ(SpoolFile::pageSizeTwips(), QSize(int(std::nearbyint(GetParam().widthMm / 25.4 * 1440)),
                                                int(std::nearbyint(GetParam().heightMm / 25.4 * 1440))));

    // A centred text is centred on the chosen page, not on the printer's.
    pp.StampaCentrato(30, QStringLiteral("Centrato"));
    const QList<SpoolMatch> found = file().find(QStringLiteral("Centrato"));
    ASSERT_EQ(found.size(), 1);
    const double textTwips = pp.TextWidth(QStringLiteral("Centrato")) / 25.4 * 1440;
    EXPECT_NEAR(found.first().x, (GetParam().widthMm / 25.4 * 1440 - textTwips) / 2, 30);
}

INSTANTIATE_TEST_SUITE_P(Cases, Geometries,
                         ::testing::Values(Geometry{"A4Portrait", A4Portrait, 210, 297},
                                           Geometry{"A4LandscapeWithMargins", A4Landscape, 277, 180},
                                           Geometry{"Letter", Letter, 215.9, 279.4}),
                         [](const auto &info) { return std::string(info.param.name); });

/// Layouts that are no page.
struct Refused
{
    const char *name;
    QPageLayout layout;
};

class RefusedLayouts : public PageLayouts, public ::testing::WithParamInterface<Refused>
{};

TEST_P(RefusedLayouts, AreError380AndChangeNothing)
{
    setCurrentPageLayout(Letter);
    try {
        setCurrentPageLayout(GetParam().layout);
        FAIL() << "accepted";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrInvalidPropertyValue);
        EXPECT_EQ(e.source(), QStringLiteral("setCurrentPageLayout"));
        EXPECT_FALSE(e.detail().isEmpty());
    }
    EXPECT_TRUE(samePage(currentPageLayout(), Letter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedLayouts,
    ::testing::Values(Refused{"Invalid", QPageLayout()},
                      Refused{"LongerThan200Inches", QPageLayout(QPageSize(QSizeF(8.5, 201), QPageSize::Inch),
                                                                 QPageLayout::Portrait, QMarginsF())},
                      Refused{"MarginsMeetAcross", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                               QMarginsF(105, 0, 105, 0), QPageLayout::Millimeter)},
                      Refused{"MarginsMeetDown", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                                             QMarginsF(0, 110, 0, 100), QPageLayout::Millimeter)}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Reading ------------------------------------------------------------------------

/// A document of a portrait A4 page, a landscape A4 page (margins 10 and 15
/// mm) and a Letter page, each with a text at (20 mm, 30 mm).
void recordThreePapers(PrintPreview &pp)
{
    const QPageLayout papers[] = {A4Portrait, A4Landscape, Letter};
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            pp.NuovaPagina();
        setCurrentPageLayout(papers[i]);
        pp.StampaTesto(20, 30, QStringLiteral("Foglio%1").arg(i + 1));
    }
    resetCurrentPageLayout();
}

TEST_F(PageLayouts, EveryPageIsShownAtItsOwnSizeWhateverPrinterIsCurrent)
{
    recordThreePapers(pp);
    const QSize sizes[] = {QSize(11906, 16838), QSize(15704, 10205), QSize(12240, 15840)};
    for (const QSizeF printer : {QSizeF(9000, 12000), QSizeF(16838, 11906)}) {
        test::TempEnv::onePrinter(printer.width(), printer.height(), QStringLiteral("Altra"));
        const SpoolFile spool = file();
        for (int page = 1; page <= 3; ++page) {
            EXPECT_EQ(spool.pageSizeTwips(page), sizes[page - 1]) << "page " << page;
            const QImage image = spool.renderPage(page, 72);
            EXPECT_EQ(image.size(), QSize(int(std::ceil(sizes[page - 1].width() / 20.0)),
                                          int(std::ceil(sizes[page - 1].height() / 20.0))))
                << "page " << page;
        }
    }
}

TEST_F(PageLayouts, AFileWithoutLayoutsReadsAsItAlwaysDid)
{
    // Written before pages carried layouts: every page is the current printer's.
    const QString old = test::writeAll(env.root() + QStringLiteral("vecchio.qv"),
                                       "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n"
                                       "1440,2880\r\nTotale\r\n#endprint@\r\n#newpage@\r\n"
                                       "#pset@\r\n0,13,1,0,0,1\r\n1440,1440\r\n");
    const SpoolFile spool(old);
    ASSERT_EQ(spool.pageCount(), 2);
    for (int page = 1; page <= 2; ++page) {
        EXPECT_FALSE(spool.pageLayout(page));
        EXPECT_EQ(spool.pageSizeTwips(page), QSize(9000, 12000));
        EXPECT_EQ(spool.renderPage(page, 96).size(), QSize(600, 800));
    }
    const SpoolCheck check = spool.check();
    ASSERT_TRUE(check.ok());
    EXPECT_EQ(check.texts, 1);
    EXPECT_EQ(check.points, 1);
    ASSERT_EQ(check.layouts.size(), 1);
    EXPECT_EQ(check.layouts.first(), (SpoolLayoutRun{1, 2, currentPageLayout(), false}));
}

/// A layout record that is no page, and where the error says it is.
struct Malformed
{
    const char *name;
    QByteArray body;
    int number;
    int line;
};

class MalformedRecords : public PageLayouts, public ::testing::WithParamInterface<Malformed>
{};

TEST_P(MalformedRecords, AreRefusedWithTheFileAndLine)
{
    const QString path = test::writeAll(env.root() + QStringLiteral("rotto.qv"),
                                        "#pset@\r\n0,13,1,0,0,1\r\n10,10\r\n#newpage@\r\n" + GetParam().body);
    const SpoolFile spool(path);
    const SpoolCheck check = spool.check();
    ASSERT_FALSE(check.ok());
    EXPECT_EQ(check.error->number(), GetParam().number) << qPrintable(check.error->description());
    EXPECT_EQ(check.error->file(), path);
    EXPECT_EQ(check.error->line(), GetParam().line) << qPrintable(check.error->description());
    EXPECT_TRUE(check.error->description().contains(path));
    EXPECT_GE(check.points, 1); // page 1 was read

    // Rendering the page shows the same error; printing it starts no job.
    std::optional<Error> error;
    spool.renderPage(2, 72, &error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), GetParam().number);
    PrintOptions options;
    options.pdfFile = env.pdfFolder() + QStringLiteral("rotto.pdf");
    test::TempEnv::onlyThePdfPrinter();
    EXPECT_THROW(spool.print(options), Error);
    EXPECT_FALSE(QFileInfo::exists(options.pdfFile));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedRecords,
    ::testing::Values(
        Malformed{"NoWidth", "#page@\r\n0,16838,0,0,0,0,0\r\n", ErrInvalidFileFormat, 6},
        Malformed{"NegativeHeight", "#page@\r\n11906,-1,0,0,0,0,0\r\n", ErrInvalidFileFormat, 6},
        Malformed{"Over200Inches", "#page@\r\n11906,288001,0,0,0,0,0\r\n", ErrInvalidFileFormat, 6},
        Malformed{"OrientationTwo", "#page@\r\n11906,16838,2,0,0,0,0\r\n", ErrInvalidFileFormat, 6},
        Malformed{"NegativeMargin", "#page@\r\n11906,16838,0,0,-1,0,0\r\n", ErrInvalidFileFormat, 6},
        Malformed{"MarginsLeaveNoRoom", "#page@\r\n11906,16838,1,0,8419,0,8419\r\n", ErrInvalidFileFormat, 6},
        Malformed{"NoNumber", "#page@\r\nA4,16838,0,0,0,0,0\r\n", ErrTypeMismatch, 6},
        Malformed{"CutShort", "#page@\r\n11906,16838,0\r\n", ErrInputPastEnd, 7},
        Malformed{"NotAtThePageStart", "#pset@\r\n0,13,1,0,0,1\r\n10,10\r\n#page@\r\n11906,16838,0,0,0,0,0\r\n",
                  ErrInvalidFileFormat, 8}),
    [](const auto &info) { return std::string(info.param.name); });

// --- On paper -----------------------------------------------------------------------

/// The size in points of each page that pdfinfo reports.
QList<QSizeF> pdfPageSizes(const QString &pdf, int pages)
{
    QList<QSizeF> sizes;
    const auto out =
        test::run(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), QStringLiteral("-f"), QStringLiteral("1"),
                                              QStringLiteral("-l"), QString::number(pages), pdf});
    if (!out)
        return sizes;
    static const QRegularExpression size(QStringLiteral("^Page +\\d+ size: +([0-9.]+) x ([0-9.]+) pts"),
                                         QRegularExpression::MultilineOption);
    for (auto it = size.globalMatch(*out); it.hasNext();) {
        const auto m = it.next();
        sizes.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
    }
    return sizes;
}

/// A word on a printed sheet: the sheet's size and the word's box, in
/// points from the sheet's top-left corner (pdftotext -bbox).
struct SheetWord
{
    QSizeF sheet;
    QRectF box;
};

/// Every word "Foglio<n>" of the PDF files \a pdfs, by its text.
QMap<QString, SheetWord> sheetWords(const QStringList &pdfs)
{
    QMap<QString, SheetWord> words;
    static const QRegularExpression item(
        QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">|<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                       "xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(Foglio\\d)<"));
    for (const QString &pdf : pdfs) {
        const auto out = test::run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        if (!out)
            continue;
        QSizeF sheet;
        for (auto it = item.globalMatch(*out); it.hasNext();) {
            const auto m = it.next();
            if (!m.captured(1).isEmpty())
                sheet = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            else
                words.insert(m.captured(7),
                             SheetWord{sheet, QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                                                     QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()))});
        }
    }
    return words;
}

void expectNear(QPointF got, QPointF want, const char *what)
{
    EXPECT_NEAR(got.x(), want.x(), 0.5) << what;
    EXPECT_NEAR(got.y(), want.y(), 0.5) << what;
}

const QSizeF A4Points(210 * PointsPerMm, 297 * PointsPerMm);
const QSizeF LetterPoints(612, 792);

TEST_F(PageLayouts, ThreePapersPrintToPdfWhateverPrinterIsCurrent)
{
    recordThreePapers(pp);
    // The current printer is none of the papers, with margins of its own.
    const platform::PrinterDesc narrow{
        QStringLiteral("Stretta"), false, QSizeF(9000, 12000),
        QPageLayout(QPageSize(QPageSize::B5), QPageLayout::Landscape, QMarginsF(7, 9, 7, 9), QPageLayout::Millimeter)};
    const platform::PrinterDesc pdfPrinter{platform::pdfPrinterName(), true, QSizeF(11906, 16838)};
    for (const QString &current : {platform::pdfPrinterName(), QStringLiteral("Stretta")}) {
        platform::setPrintersForTesting(QList<platform::PrinterDesc>{narrow, pdfPrinter});
        ASSERT_TRUE(setCurrentPrinter(current));
        PrintOptions options;
        options.pdfFile = env.pdfFolder() + current + QStringLiteral(".pdf");
        EXPECT_EQ(file().print(options), options.pdfFile);

        // Three sheets of the three papers, as turned...
        const QList<QSizeF> sizes = pdfPageSizes(options.pdfFile, 3);
        ASSERT_EQ(sizes.size(), 3);
        expectNear(QPointF(sizes[0].width(), sizes[0].height()), QPointF(A4Points.width(), A4Points.height()), "A4");
        expectNear(QPointF(sizes[1].width(), sizes[1].height()), QPointF(A4Points.height(), A4Points.width()),
                   "A4 landscape");
        expectNear(QPointF(sizes[2].width(), sizes[2].height()), QPointF(612, 792), "Letter");
        // ... each text where it was recorded: 20 mm, 30 mm from its margins.
        const QMap<QString, SheetWord> words = sheetWords({options.pdfFile});
        ASSERT_EQ(words.size(), 3);
        expectNear(words["Foglio1"].box.bottomLeft(), QPointF(20, 30) * PointsPerMm, "Foglio1");
        expectNear(words["Foglio2"].box.bottomLeft(), QPointF(30, 45) * PointsPerMm, "Foglio2");
        expectNear(words["Foglio3"].box.bottomLeft(), QPointF(20, 30) * PointsPerMm, "Foglio3");
    }
}

/// Waits (at most \a seconds) until the PDF files that cups-pdf wrote for
/// the jobs titled \a title in \a folder hold \a pages pages; their paths,
/// or none.
QStringList waitForCupsPdfs(const QString &folder, const QString &title, int pages, int seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        QStringList files;
        int found = 0;
        for (const QFileInfo &f : QDir(folder).entryInfoList({"*.pdf"}, QDir::Files))
            if (f.fileName().contains(title)) {
                files << f.filePath();
                found += std::max(test::pdfPages(f.filePath()), 0);
            }
        if (found == pages)
            return files;
        QThread::msleep(200);
    }
    return {};
}

TEST_F(PageLayouts, ThreePapersPrintOnTheCupsQueue)
{
    platform::setPrintersForTesting(std::nullopt);
    const QStringList installed = printerNames();
    if (!installed.contains(QStringLiteral("qvtest"))) {
        const QString why = "no CUPS daemon reachable with the queue \"qvtest\" (run scripts/services.sh)";
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            FAIL() << why.toStdString();
        GTEST_SKIP() << why.toStdString();
    }
    ASSERT_TRUE(setCurrentPrinter(QStringLiteral("qvtest")));
    recordThreePapers(pp);
    const QString title = "qvpapers" + QUuid::createUuid().toString(QUuid::Id128).left(12);
    PrintOptions options;
    options.title = title;
    EXPECT_TRUE(file().print(options).isEmpty());
    setCurrentPrinter(QString());

    const QString folder = qEnvironmentVariable("QV_CUPS_PDF_DIR", "/var/spool/cups-pdf-qv");
    const QStringList out = waitForCupsPdfs(folder, title, 3, 60);
    ASSERT_FALSE(out.isEmpty()) << "cups-pdf wrote no 3 sheets for " << title.toStdString() << " in "
                                << folder.toStdString() << " within 60 s";
    const QMap<QString, SheetWord> words = sheetWords(out);
    ASSERT_EQ(words.size(), 3);
    // The A4 job: the portrait page, and the landscape page turned onto the
    // same paper, as a printer prints landscape.
    const SheetWord portrait = words["Foglio1"], landscape = words["Foglio2"], letter = words["Foglio3"];
    expectNear(QPointF(portrait.sheet.width(), portrait.sheet.height()), QPointF(A4Points.width(), A4Points.height()),
               "A4");
    expectNear(portrait.box.bottomLeft(), QPointF(20, 30) * PointsPerMm, "Foglio1");
    expectNear(QPointF(landscape.sheet.width(), landscape.sheet.height()), QPointF(A4Points.width(), A4Points.height()),
               "A4 landscape");
    // Turned a quarter: the landscape page's left edge is the sheet's bottom.
    expectNear(QPointF(landscape.box.right(), landscape.sheet.height() - landscape.box.bottom()),
               QPointF(45, 30) * PointsPerMm, "Foglio2");
    // The Letter job.
    expectNear(QPointF(letter.sheet.width(), letter.sheet.height()), QPointF(612, 792), "Letter");
    expectNear(letter.box.bottomLeft(), QPointF(20, 30) * PointsPerMm, "Foglio3");
    for (const QString &pdf : out)
        QFile::remove(pdf);
}

} // namespace
