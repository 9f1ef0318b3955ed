// SPDX-License-Identifier: MIT
// Printing spool files: the printer target on the built-in PDF printer and on
// the CUPS queue "qvtest", and the print engine's pages, copies and ranges.
// Printed PDF files are read back with pdfinfo, pdftotext, pdftoppm and qpdf.
#include "spool/Document.h"
#include "tests/render/PdfTools.h"
#include "tests/render/SpoolFixture.h"

#include "print/MotoreStampa.h"
#include "print/PrinterTarget.h"
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "support/FileLimit.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

using namespace qv;
using namespace qv::test;

namespace {

platform::PrinterDesc pdfPrinter()
{
    for (const platform::PrinterDesc &p : platform::printers())
        if (p.pdf)
            return p;
    return platform::PrinterDesc{platform::pdfPrinterName(), true, QSizeF(11906, 16838)};
}

/// A document of \a pages pages: "Pagina n" on each, a box and a line.
QStringList document(int pages)
{
    QStringList lines;
    for (int p = 1; p <= pages; ++p) {
        lines << textRecord(1440, 1440 + 200 * p, {QStringLiteral("Pagina %1").arg(p)}, 14);
        lines << "#line@"
              << "0,13,1,0,0,1"
              << "1440,3000,5760,3600,#TRUE#,#FALSE#";
        lines << "#line@"
              << "255,13,3,0,0,1" << QStringLiteral("1440,4000,%1,4000,#FALSE#,#FALSE#").arg(1440 + 500 * p);
        if (p < pages)
            lines << "#newpage@";
    }
    return lines;
}

class Printing : public TempEnvTest
{
protected:
    void SetUp() override
    {
        platform::setPrintersForTesting(QList<platform::PrinterDesc>{pdfPrinter()});
        pdf = env.pdfFolder() + "out.pdf";
        platform::setPdfOutputFile(pdf);
    }
    QString spool(const QStringList &lines) { return writeSpool(env.tempFolder() + "qv1.tmp", lines); }

    Error stampaError(MotoreStampa &engine)
    {
        try {
            engine.Stampa();
        } catch (const Error &e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return Error(0, {}, {});
    }

    QString pdf;
};

TEST_F(Printing, EveryPageGivesOneSheetPerPageBreakPlusOne)
{
    MotoreStampa engine;
    engine.setFileTemporaneo(spool(document(4) + QStringList{"#newpage@"}));
    engine.Stampa();
    EXPECT_EQ(pdfPages(pdf), 5);
    EXPECT_EQ(pdfPageTexts(pdf), QStringList({"Pagina 1", "Pagina 2", "Pagina 3", "Pagina 4", ""}));
}

TEST_F(Printing, AbortedJobLeavesNoOutput)
{
    {
        PrinterTarget target(pdfPrinter(), "Abbandonato");
        LetturaDati::DisegnaPagina(target, spool(document(2)), LetturaDati::PageSpec::page(1));
        target.abortJob();
        EXPECT_FALSE(target.isActive());
    }
    EXPECT_LE(QFileInfo(pdf).size(), 0) << "no PDF document written";
}

// The replay draws and nothing else: the job stays open, on its one sheet,
// until its owner ends it.
TEST_F(Printing, DrawingLeavesTheJobToItsOwner)
{
    PrinterTarget target(pdfPrinter(), "Due");
    LetturaDati::DisegnaPagina(target, spool(document(2)), LetturaDati::PageSpec::everyPage());
    EXPECT_TRUE(target.isActive()) << "neither ended nor discarded";
    EXPECT_EQ(target.sheets(), 1);
    target.finishJob();
    EXPECT_FALSE(target.isActive());
    EXPECT_EQ(pdfPages(pdf), 1);
}

TEST_F(Printing, PrinterDrawsInTwips)
{
    const QString path = spool({"#line@", "0,13,1,0,0,1", "1440,1440,2880,2880,#TRUE#,#TRUE#"});
    {
        PrinterTarget target(pdfPrinter(), "Scala");
        LetturaDati::DisegnaPagina(target, path, LetturaDati::PageSpec::page(1));
        target.finishJob();
    }
    const QImage page = pdfPageImage(pdf, 1, 96);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.pixel(144, 144), qRgb(0, 0, 0)) << "inside the box, one inch from the corner";
    EXPECT_EQ(page.pixel(90, 144), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(200, 144), qRgb(255, 255, 255));
}

TEST_F(Printing, EngineprintsCollatedCopiesAsOneNamedJob)
{
    MotoreStampa engine;
    engine.setCopie(2);
    engine.setFileTemporaneo(spool(document(3)));
    engine.setTitolo("Fattura 17");
    std::vector<std::pair<int, int>> progress;
    engine.setProgress([&](int done, int total) { progress.emplace_back(done, total); });
    engine.Stampa();
    EXPECT_EQ(pdfPages(pdf), 6);
    EXPECT_EQ(pdfPageTexts(pdf), QStringList({"Pagina 1", "Pagina 2", "Pagina 3", "Pagina 1", "Pagina 2", "Pagina 3"}));
    EXPECT_EQ(pdfInfoField(pdf, "Title"), "Fattura 17");
    int code = -1;
    const auto check = run("qpdf", {"--check", pdf}, &code);
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(code, 0) << check->toStdString();
    ASSERT_EQ(progress.size(), 6u);
    EXPECT_EQ(progress.front(), std::make_pair(1, 6));
    EXPECT_EQ(progress.back(), std::make_pair(6, 6));
}

class NoCopies : public Printing, public ::testing::WithParamInterface<int16_t>
{};

TEST_P(NoCopies, PrintNothingAndLeaveTheOldFile)
{
    writeAll(pdf, "vecchio");
    MotoreStampa engine;
    engine.setCopie(GetParam());
    engine.setFileTemporaneo(spool(document(2)));
    int sheets = 0;
    engine.setProgress([&](int, int) { ++sheets; });
    engine.Stampa();
    EXPECT_EQ(sheets, 0);
    EXPECT_EQ(engine.FileScritto(), QString());
    EXPECT_EQ(readAll(pdf), "vecchio");
    // The file and the range are still checked.
    engine.setInizio(5);
    EXPECT_EQ(stampaError(engine).number(), ErrSubscriptOutOfRange);
}

INSTANTIATE_TEST_SUITE_P(Copies, NoCopies, ::testing::Values(int16_t(0), int16_t(-1), int16_t(INT16_MIN)));

struct RangeCase
{
    int inizio, fine; ///< 0: not set
    QStringList printed;
};

class Ranges : public Printing, public ::testing::WithParamInterface<RangeCase>
{};

TEST_P(Ranges, PrintWhatLiesInsideTheDocument)
{
    MotoreStampa engine;
    engine.setFileTemporaneo(spool(document(3)));
    if (GetParam().inizio)
        engine.setInizio(GetParam().inizio);
    if (GetParam().fine)
        engine.setFine(GetParam().fine);
    engine.Stampa();
    EXPECT_EQ(pdfPageTexts(pdf), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Pages, Ranges,
                         ::testing::Values(RangeCase{0, 0, {"Pagina 1", "Pagina 2", "Pagina 3"}},
                                           RangeCase{2, 2, {"Pagina 2"}}, RangeCase{2, 9, {"Pagina 2", "Pagina 3"}},
                                           RangeCase{-4, 1, {"Pagina 1"}}, RangeCase{3, 0, {"Pagina 3"}},
                                           RangeCase{0, 2, {"Pagina 1", "Pagina 2"}}));

// Print options as the engine takes them: pages in 32 bits, copies held
// within its 16-bit range (never wrapped round), a range left out stays out.
struct OptionsCase
{
    const char *name;
    PrintOptions options;
    int16_t copie;
    int32_t inizio, fine; ///< 0 when left out
    QString titolo;
};

class EngineOptions : public ::testing::TestWithParam<OptionsCase>
{};

TEST_P(EngineOptions, SetUpTheEngine)
{
    const OptionsCase &c = GetParam();
    const MotoreStampa m = MotoreStampa::conOpzioni(QStringLiteral("/tmp/qv1.tmp"), c.options);
    EXPECT_EQ(m.FileTemporaneo(), QStringLiteral("/tmp/qv1.tmp"));
    EXPECT_EQ(m.Copie(), c.copie);
    EXPECT_EQ(m.Inizio(), c.inizio);
    EXPECT_EQ(m.Fine(), c.fine);
    EXPECT_EQ(m.Titolo(), c.titolo);
    EXPECT_EQ(m.Stampante(), c.options.printer);
    EXPECT_EQ(m.FilePdf(), c.options.pdfFile);
}

INSTANTIATE_TEST_SUITE_P(
    Options, EngineOptions,
    ::testing::Values(OptionsCase{"Defaults", PrintOptions{}, 1, 0, 0, "Anteprima di Stampa"},
                      OptionsCase{"RangeCopiesTitle", PrintOptions{2, 5, 3, "qvtest", {}, "Fatture"}, 3, 2, 5,
                                  "Fatture"},
                      OptionsCase{"PagesBeyondSixteenBits", PrintOptions{-40000, 40000, 70000, {}, {}, {}}, 32767,
                                  -40000, 40000, "Anteprima di Stampa"},
                      OptionsCase{"OnlyTheLastPage", PrintOptions{std::nullopt, 4, -2, {}, "/tmp/x.pdf", {}}, -2, 0, 4,
                                  "Anteprima di Stampa"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Printing, OptionsChooseThePdfFileOrAPrinterByName)
{
    const QString path = spool(document(2));
    const QString own = env.pdfFolder() + "proprio.pdf";
    MotoreStampa::conOpzioni(path, PrintOptions{2, std::nullopt, 1, {}, own, {}}).Stampa();
    EXPECT_EQ(pdfPageTexts(own), QStringList{"Pagina 2"});
    EXPECT_FALSE(QFileInfo::exists(pdf)); // the default PDF file is left alone
    EXPECT_EQ(platform::pdfOutputFile(), pdf);

    MotoreStampa byName =
        MotoreStampa::conOpzioni(path, PrintOptions{std::nullopt, std::nullopt, 1, "Nessuna", {}, {}});
    const Error e = stampaError(byName);
    EXPECT_EQ(e.number(), ErrPrinter);
    EXPECT_TRUE(e.description().contains(QStringLiteral("\"Nessuna\""))) << qPrintable(e.description());
    MotoreStampa::conOpzioni(path, PrintOptions{std::nullopt, std::nullopt, 1, platform::pdfPrinterName(), {}, {}})
        .Stampa();
    EXPECT_EQ(pdfPages(pdf), 2);
}

TEST_F(Printing, AFileThatCannotBeWrittenIsNamedInTheError)
{
    const QString unwritable = env.root() + "manca/cartella/out.pdf";
    MotoreStampa engine = MotoreStampa::conOpzioni(spool(document(1)), PrintOptions{{}, {}, 1, {}, unwritable, {}});
    const Error e = stampaError(engine);
    EXPECT_EQ(e.number(), ErrPrinter);
    EXPECT_TRUE(e.description().contains(unwritable)) << qPrintable(e.description());
    EXPECT_TRUE(e.description().contains(QStringLiteral("la cartella \"%1manca/cartella\" non esiste").arg(env.root())))
        << qPrintable(e.description());
}

// --- Output that fails while it is written ------------------------------------------

/// Where a PDF write fails: the place the output goes, set up by \a prepare
/// (which returns the target, or an empty text to skip with \a why), and the
/// reason the error must name.
struct WriteFailureCase
{
    const char *name;
    std::function<QString(TempEnv &env, std::unique_ptr<SmallDisk> &disk)> prepare;
    int reason; ///< the errno whose text the error carries; 0: \a says
    bool fileSizeLimit = false;
    const char *says = ""; ///< the text the error carries when it is not the system's
};

void PrintTo(const WriteFailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class WriteFailures : public Printing, public ::testing::WithParamInterface<WriteFailureCase>
{};

bool isCharacterDevice(const char *path)
{
    struct stat info
    {};
    return ::stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// A failed write is an error that names the file and the reason; the PDF
// that was at the target before stays as it was, and nothing else is left
// in its folder.
TEST_P(WriteFailures, AreErrorsAndLeaveTheOldFile)
{
    std::unique_ptr<SmallDisk> disk;
    const QString target = GetParam().prepare(env, disk);
    if (target.isEmpty())
        GTEST_SKIP() << "not available on this machine";
    const bool regular = !target.startsWith("/dev/");
    const QByteArray old = "vecchio PDF, da non perdere";
    if (regular)
        writeAll(target, old);
    const QStringList before = QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden);

    // Sixty sheets: more than the small disk and the size limit hold.
    MotoreStampa engine = MotoreStampa::conOpzioni(spool(document(3)), PrintOptions{{}, {}, 20, {}, target, {}});
    std::optional<FileSizeLimit> limit;
    if (GetParam().fileSizeLimit)
        limit.emplace(4096);
    const Error e = stampaError(engine);
    limit.reset();

    EXPECT_EQ(e.number(), ErrPrinter);
    EXPECT_TRUE(e.description().contains(target)) << qPrintable(e.description());
    const QString reason = GetParam().reason ? qt_error_string(GetParam().reason) : QString::fromUtf8(GetParam().says);
    EXPECT_TRUE(e.description().contains(reason)) << qPrintable(e.description());
    EXPECT_TRUE(engine.FileScritto().isEmpty());
    if (regular) {
        EXPECT_EQ(readAll(target), old);
        EXPECT_EQ(QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Output, WriteFailures,
                         ::testing::Values(
                             // A device is never written to (nor replaced by a file): refused at once.
                             WriteFailureCase{"DevFull",
                                              [](TempEnv &, std::unique_ptr<SmallDisk> &) {
                                                  return isCharacterDevice("/dev/full") ? QStringLiteral("/dev/full")
                                                                                        : QString();
                                              },
                                              0, false, "non è un file regolare"},
                             WriteFailureCase{"FileSizeLimit",
                                              [](TempEnv &env, std::unique_ptr<SmallDisk> &) {
                                                  return env.pdfFolder() + "limite.pdf";
                                              },
                                              EFBIG, true},
                             WriteFailureCase{"FullDisk",
                                              [](TempEnv &env, std::unique_ptr<SmallDisk> &disk) {
                                                  disk = std::make_unique<SmallDisk>(env.root() + "piccolo", 16);
                                                  return disk->mounted() ? disk->folder() + "pieno.pdf" : QString();
                                              },
                                              ENOSPC}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Printing, TheSpoolFileIsNeverItsOwnPdf)
{
    const QString path = spool(document(1));
    const QByteArray recorded = readAll(path);
    const QString link = env.pdfFolder() + "collegamento.pdf";
    const QString hardLink = env.pdfFolder() + "stesso.pdf";
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(hardLink).constData()), 0);
    for (const QString &target : {path, link, hardLink}) {
        MotoreStampa engine = MotoreStampa::conOpzioni(path, PrintOptions{{}, {}, 1, {}, target, {}});
        const Error e = stampaError(engine);
        EXPECT_EQ(e.number(), ErrPrinter) << qPrintable(target);
        EXPECT_TRUE(e.description().contains(target)) << qPrintable(e.description());
        EXPECT_EQ(readAll(path), recorded) << qPrintable(target);
    }
}

TEST_F(Printing, APdfThroughALinkReplacesTheFileItPointsAt)
{
    const QString real = env.pdfFolder() + "vero.pdf";
    const QString link = env.pdfFolder() + "collegamento.pdf";
    writeAll(real, "vecchio");
    ASSERT_TRUE(QFile::link(real, link));
    MotoreStampa engine = MotoreStampa::conOpzioni(spool(document(2)), PrintOptions{{}, {}, 1, {}, link, {}});
    engine.Stampa();
    EXPECT_EQ(engine.FileScritto(), link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(pdfPageTexts(real), QStringList({"Pagina 1", "Pagina 2"}));
}

/// The default PDF name on a new account: HOME without a documents folder
/// (made for it), or with a file where that folder would be (the PDF goes
/// to the home folder).
class DefaultPdfFolder : public Printing, public ::testing::WithParamInterface<bool>
{};

TEST_P(DefaultPdfFolder, IsMadeOrTheHomeFolderTakesItsPlace)
{
    const bool blocked = GetParam();
    const QString home = env.root() + "casa";
    QDir().mkpath(home);
    if (blocked)
        writeAll(home + "/Documents", "un file, non una cartella");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("QVPREVIEW_PDF_DIR");
    platform::setPdfOutputFile({});
    MotoreStampa engine = MotoreStampa::conOpzioni(spool(document(1)), PrintOptions{{}, {}, 1, {}, {}, "Ordine 5"});
    engine.Stampa();
    qputenv("HOME", oldHome);
    const QString folder = blocked ? home : home + "/Documents";
    EXPECT_TRUE(engine.FileScritto().startsWith(folder + "/Ordine 5-")) << qPrintable(engine.FileScritto());
    EXPECT_EQ(pdfPageTexts(engine.FileScritto()), QStringList{"Pagina 1"});
}

INSTANTIATE_TEST_SUITE_P(Home, DefaultPdfFolder, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Blocked" : "Missing"; });

// --- Cancel ------------------------------------------------------------------

/// A job and the sheet during whose drawing the user pressed cancel (seen by
/// the engine's cancel check from then on); 0: never.
struct CancelCase
{
    const char *name;
    int pages, copies;
    int cancelAtSheet;
};

class Cancel : public Printing, public ::testing::WithParamInterface<CancelCase>
{};

// A cancel pressed before the job is finished aborts it, also while the last
// sheet is drawn: no PDF file, not even a part of one, and no "printed".
TEST_P(Cancel, BeforeTheJobIsFinishedAbortsIt)
{
    const CancelCase &c = GetParam();
    MotoreStampa engine;
    engine.setFileTemporaneo(spool(document(c.pages)));
    engine.setCopie(int16_t(c.copies));
    bool pressed = false;
    int sheets = 0;
    engine.setProgress([&](int done, int total) {
        EXPECT_EQ(total, c.pages * c.copies);
        sheets = done;
        // Pressed while this sheet was drawn: the check sees it after it.
        pressed = pressed || done == c.cancelAtSheet;
    });
    engine.setCancelCheck([&] { return pressed; });
    bool cancelled = false;
    try {
        engine.Stampa();
    } catch (const PrintCancelled &) {
        cancelled = true;
    }
    EXPECT_EQ(cancelled, c.cancelAtSheet > 0);
    EXPECT_EQ(sheets, c.cancelAtSheet > 0 ? c.cancelAtSheet : c.pages * c.copies) << "sheets drawn";
    EXPECT_EQ(QFileInfo::exists(pdf), c.cancelAtSheet == 0);
    EXPECT_EQ(engine.FileScritto(), c.cancelAtSheet == 0 ? pdf : QString());
    if (c.cancelAtSheet) {
        EXPECT_EQ(QDir(env.pdfFolder()).entryList(QDir::Files | QDir::Hidden), QStringList()) << "no part of a PDF";
    } else {
        EXPECT_EQ(pdfPages(pdf), c.pages * c.copies);
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, Cancel,
                         ::testing::Values(CancelCase{"Never", 3, 1, 0}, CancelCase{"DuringTheFirstSheet", 3, 1, 1},
                                           CancelCase{"DuringAMiddleSheet", 3, 1, 2},
                                           CancelCase{"DuringTheLastSheet", 3, 1, 3},
                                           CancelCase{"DuringTheOnlySheet", 1, 1, 1},
                                           CancelCase{"DuringTheLastSheetOfTheLastCopy", 2, 2, 4}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Printing, RangeWithNoPageOfTheDocumentIsAnErrorAndNoJob)
{
    for (auto [from, to] : {std::pair{4, 9}, std::pair{3, 2}, std::pair{0, 0}}) {
        MotoreStampa engine;
        engine.setFileTemporaneo(spool(document(3)));
        engine.setInizio(from);
        engine.setFine(to);
        const Error e = stampaError(engine);
        EXPECT_EQ(e.number(), 9) << from << "-" << to;
        EXPECT_EQ(e.source(), "MotoreStampa");
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
}

TEST_F(Printing, NoPrinterIsAnError)
{
    TempEnv::noPrinters();
    MotoreStampa engine;
    engine.setFileTemporaneo(spool(document(1)));
    const Error e = stampaError(engine);
    EXPECT_EQ(e.number(), 482);
    EXPECT_EQ(e.description(), "Per poter Stampare bisogna avere una stampante installata.");
}

TEST_F(Printing, MissingSpoolFileIsAnErrorBeforeAnyJob)
{
    MotoreStampa engine;
    engine.setFileTemporaneo(env.tempFolder() + "gone.tmp");
    EXPECT_EQ(stampaError(engine).number(), 53);
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

/// A broken line on the last page: the error names who read it, and the job
/// is discarded.
struct BrokenCase
{
    const char *name;
    QStringList lastPage;
    const char *source;
};

class BrokenRecord : public Printing, public ::testing::WithParamInterface<BrokenCase>
{};

TEST_P(BrokenRecord, DiscardsTheJobAndNamesWhoReadIt)
{
    MotoreStampa engine;
    engine.setFileTemporaneo(spool(document(2) + QStringList{"#newpage@"} + GetParam().lastPage));
    const Error e = stampaError(engine);
    EXPECT_EQ(e.number(), 13);
    EXPECT_EQ(e.source(), GetParam().source);
    EXPECT_LE(QFileInfo(pdf).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Records, BrokenRecord,
    ::testing::Values(BrokenCase{"Point", {"#pset@", "0,13,1,0,0,1", "uno,2"}, "DisegnaPagina"},
                      // The same reader drew the pages before: reading a layout, it names
                      // the engine again.
                      BrokenCase{"PageLayout", {"#page@", "larga,16838,0,0,0,0,0"}, "MotoreStampa"},
                      // Drawn while a painter operation's state is still set on the printer.
                      BrokenCase{"AfterAPainterOperation",
                                 {"#qpath@", "0,2", "0,0,0", "1,100,100", "#pset@", "0,13,1,0,0,1", "uno,2"},
                                 "DisegnaPagina"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Printing, PageStartsCountEveryPageBreakLine)
{
    const QString path = spool(workedExample() + textRecord(0, 300, {"#newpage@"}));
    const QList<qint64> starts = spool::buildPageIndex(path, QStringLiteral("MotoreStampa"));
    ASSERT_EQ(starts.size(), 3);
    EXPECT_EQ(starts.at(0), 1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(f.seek(starts.at(1) - 1));
    EXPECT_EQ(f.readLine(), "#print@\r\n");
    ASSERT_TRUE(f.seek(starts.at(2) - 1));
    EXPECT_EQ(f.readLine(), "#endprint@\r\n");
}

// --- Preview against print --------------------------------------------------------

/// Ink of \a image: any pixel that is not white. Pen widths are device
/// pixels, so a one-pixel line prints 1/1200 inch wide and poppler renders it
/// as a faint anti-aliased trace at 96 dpi: it still counts as ink.
bool ink(const QImage &image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    const QRgb c = image.pixel(x, y);
    return qRed(c) < 250 || qGreen(c) < 250 || qBlue(c) < 250;
}

/// Ink pixels of \a a with no ink of \a b within one pixel.
int unmatched(const QImage &a, const QImage &b, int *total)
{
    int missing = 0;
    *total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (!ink(a, x, y))
                continue;
            ++*total;
            const int r = 1;
            bool near = false;
            for (int dy = -r; dy <= r && !near; ++dy)
                for (int dx = -r; dx <= r && !near; ++dx)
                    near = ink(b, x + dx, y + dy);
            missing += !near;
        }
    return missing;
}

// The same records on the page surface and on the PDF printer, both rendered
// at 96 dpi. Anti-aliasing and glyph rasterisation differ between Qt and
// poppler, and a wide pen is narrower on the printer's finer pixels, so every
// ink pixel of one image must have ink within one pixel in the other, with at
// most 1 % of the ink pixels allowed to miss. 96 dpi makes a hatch cell
// exactly 8 pixels: poppler tiles a pattern in whole pixels, so at other
// resolutions its hatch drifts against the true one.
TEST_F(Printing, PreviewPageAndPrintedPageAgree)
{
    QStringList lines = document(1);
    lines << textRecord(2000, 6000, {"Totale fattura 1.234,56", "seconda riga"}, 12);
    lines << "#line@"
          << "16711680,13,2,0,255,0"
          << "6000,5000,9000,7000,#TRUE#,#FALSE#";
    lines << "#circle@"
          << "0,13,1,0,0,1"
          << "4000,9000,1000,-1,2,2,0.5";
    lines << "#line@"
          << "0,13,1,0,16711680,6"
          << "6000,8000,9000,10000,#TRUE#,#FALSE#"; // a blue cross hatch
    const QString path = spool(lines);

    PageSurface surface;
    LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::page(1));
    const double dpi = 96;
    const QImage preview = surface.Picture()->render(dpi / 1440.0);

    {
        PrinterTarget target(pdfPrinter(), "Confronto");
        LetturaDati::DisegnaPagina(target, path, LetturaDati::PageSpec::page(1));
        target.finishJob();
    }
    const QImage printedPage = pdfPageImage(pdf, 1, int(dpi));
    ASSERT_FALSE(printedPage.isNull());
    const QImage printed = printedPage.copy(QRect(QPoint(0, 0), preview.size()));

    int previewInk = 0, printedInk = 0;
    const int missingInPrint = unmatched(preview, printed, &previewInk);
    const int missingInPreview = unmatched(printed, preview, &printedInk);
    ASSERT_GT(previewInk, 1000);
    EXPECT_LE(missingInPrint, previewInk / 100) << "of " << previewInk;
    EXPECT_LE(missingInPreview, printedInk / 100) << "of " << printedInk;
}

// --- CUPS ---------------------------------------------------------------------------

/// Waits (at most \a seconds) for a PDF whose name holds \a title in \a folder
/// that pdfinfo can read; its path, or an empty text.
QString waitForCupsPdf(const QString &folder, const QString &title, int seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        for (const QFileInfo &f : QDir(folder).entryInfoList({"*.pdf"}, QDir::Files))
            if (f.fileName().contains(title) && pdfPages(f.filePath()) > 0) {
                // cups-pdf writes the file in one go; a readable page count means it is complete.
                QThread::msleep(300);
                return f.filePath();
            }
        QThread::msleep(200);
    }
    return {};
}

TEST_F(Printing, ThreePagesTwiceOnTheCupsQueue)
{
    platform::setPrintersForTesting(std::nullopt);
    const bool ci = qEnvironmentVariable("CI") == "true";
    const QList<platform::PrinterDesc> installed = platform::printers();
    const bool haveQueue = std::any_of(installed.begin(), installed.end(),
                                       [](const platform::PrinterDesc &p) { return p.name == "qvtest"; });
    if (!haveQueue) {
        const QString why = "no CUPS daemon reachable with the queue \"qvtest\" (run scripts/services.sh)";
        if (ci)
            FAIL() << why.toStdString();
        GTEST_SKIP() << why.toStdString();
    }
    ASSERT_TRUE(platform::setCurrentPrinter("qvtest"));
    const QString folder = qEnvironmentVariable("QV_CUPS_PDF_DIR", "/var/spool/cups-pdf-qv");
    const QString title = "qvreplay" + QUuid::createUuid().toString(QUuid::Id128).left(12);

    MotoreStampa engine;
    engine.setCopie(2);
    engine.setFileTemporaneo(spool(document(3)));
    engine.setTitolo(title);
    engine.Stampa();
    platform::setCurrentPrinter(QString());

    const QString out = waitForCupsPdf(folder, title, 60);
    ASSERT_FALSE(out.isEmpty()) << "cups-pdf wrote no file for " << title.toStdString() << " in "
                                << folder.toStdString() << " within 60 s";
    EXPECT_EQ(pdfPages(out), 6);
    EXPECT_EQ(pdfPageTexts(out), QStringList({"Pagina 1", "Pagina 2", "Pagina 3", "Pagina 1", "Pagina 2", "Pagina 3"}));
    QFile::remove(out);
}

} // namespace
