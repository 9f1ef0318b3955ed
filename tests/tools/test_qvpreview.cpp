// SPDX-License-Identifier: MIT
// The qvpreview command-line tool, run as a user runs it: its exit codes,
// what it writes on standard output and standard error, and its files (PNG
// pages, PDF files, jobs on the CUPS test queue).
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "support/FileLimit.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <memory>
#include <optional>

using namespace qv;

// Readable failure messages for QString values.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

Result runTool(const QStringList &args,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(QVPREVIEW_BIN), args);
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const auto m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

/// The words "pagina-..." of \a pdf, one per page, in page order.
QStringList pageWords(const QString &pdf)
{
    QStringList words;
    for (const QString &page : pdfText(pdf).split(QChar(0x0c))) {
        const auto m = QRegularExpression(QStringLiteral("pagina-\\w+")).match(page);
        if (m.hasMatch())
            words << m.captured(0);
    }
    return words;
}

class Tool : public qv::test::TempEnvTest
{
protected:
    /// A two-page document recorded by the control and copied out of its
    /// temporary folder: two texts, a box, a line and a circle.
    void SetUp() override
    {
        doc = env.root() + QStringLiteral("fattura.qv");
        PrintPreview pp;
        pp.StampaTesto(1440, 1440, QStringLiteral("pagina-uno"));
        pp.linea(1440, 2000, 5000, 3000, true, false);
        pp.NuovaPagina();
        pp.StampaTesto(1440, 1440, QStringLiteral("pagina-due"));
        pp.linea(1440, 2000, 5000, 2000, false, false);
        pp.Cerchio(3000, 5000, 500);
        ASSERT_TRUE(QFile::copy(pp.spoolPath(), doc));
    }

    QString path(const char *name) const { return env.root() + QLatin1String(name); }

    QString doc;
};

TEST_F(Tool, CheckReportsPagesAndRecords)
{
    const Result r = runTool({QStringLiteral("check"), doc});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    for (const char *line :
         {"pagine: 2\n", "testi: 2\n", "linee: 1\n", "riquadri: 1\n", "cerchi: 1\n", "immagini: 0\n"})
        EXPECT_TRUE(r.out.contains(QLatin1String(line))) << line << "\n" << qPrintable(r.out);
}

/// A document recorded on chosen papers, and what check and render say of it.
struct Papers
{
    const char *name;
    QList<QPageLayout> pages; // one layout a page; an invalid one: none chosen
    const char *report;       // the lines after the counts
};

class ToolPapers : public Tool, public ::testing::WithParamInterface<Papers>
{};

TEST_P(ToolPapers, CheckReportsThePagesSizesAndRenderDrawsThem)
{
    doc = path("fogli.qv");
    {
        PrintPreview pp;
        for (qsizetype i = 0; i < GetParam().pages.size(); ++i) {
            if (i > 0)
                pp.NuovaPagina();
            if (GetParam().pages[i].isValid())
                qv::setCurrentPageLayout(GetParam().pages[i]);
            else
                qv::resetCurrentPageLayout();
            pp.StampaTesto(1440, 1440, QStringLiteral("pagina"));
        }
        qv::resetCurrentPageLayout();
        ASSERT_TRUE(QFile::copy(pp.spoolPath(), doc));
    }
    Result r = runTool({QStringLiteral("check"), doc});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    const qsizetype counts = r.out.indexOf(QLatin1String("immagini: 0\n"));
    ASSERT_GE(counts, 0) << qPrintable(r.out);
    EXPECT_EQ(r.out.mid(counts + 12), QString::fromUtf8(GetParam().report));

    // Each page renders at its own size, whatever printer the tool finds.
    for (qsizetype i = 0; i < GetParam().pages.size(); ++i) {
        if (!GetParam().pages[i].isValid())
            continue;
        const QString png = path("pagina.png");
        r = runTool({QStringLiteral("render"), doc, QStringLiteral("--page"), QString::number(i + 1),
                     QStringLiteral("--png"), png});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
        const QImage image(png);
        const QSizeF mm = GetParam().pages[i].paintRect(QPageLayout::Millimeter).size();
        EXPECT_NEAR(double(image.width()) / image.height(), mm.width() / mm.height(), 0.01) << "page " << i + 1;
    }
}

const QPageLayout A4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
const QPageLayout A4Landscape(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                              QPageLayout::Millimeter);
const QPageLayout USLetter(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF());

INSTANTIATE_TEST_SUITE_P(Cases, ToolPapers,
                         ::testing::Values(Papers{"OneSize", {A4, A4}, "formato: 210 x 297 mm verticale\n"},
                                           Papers{"ThreeSizes",
                                                  {A4, A4Landscape, A4Landscape, USLetter},
                                                  "formati:\n  pagina 1: 210 x 297 mm verticale\n"
                                                  "  pagine 2-3: 297 x 210 mm orizzontale\n"
                                                  "  pagina 4: 215.9 x 279.4 mm verticale\n"},
                                           Papers{"NoneRecordedReportsAsAlways", {QPageLayout(), QPageLayout()}, ""}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Tool, CheckNamesTheFirstBrokenLine)
{
    QFile f(doc);
    ASSERT_TRUE(f.open(QIODevice::Append));
    // The stroke line after the tag is the first line that is wrong.
    const int brokenLine = int(qv::test::readAll(doc).count('\n')) + 2;
    f.write("#line@\r\nuno;due\r\n#line@\r\ntre\r\n");
    f.close();
    const Result r = runTool({QStringLiteral("check"), doc});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("qvpreview: ") + doc)) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QRegularExpression(QStringLiteral("riga %1\\b").arg(brokenLine)))) << qPrintable(r.err);
    EXPECT_FALSE(r.err.contains(QRegularExpression(QStringLiteral("riga %1\\b").arg(brokenLine + 1))))
        << qPrintable(r.err);
}

TEST_F(Tool, RenderWritesThePageAtTheZoom)
{
    const QString png100 = path("p100.png"), png50 = path("p50.png");
    const Result r = runTool({QStringLiteral("render"), doc, QStringLiteral("--page"), QStringLiteral("2"),
                              QStringLiteral("--png"), png100});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    const Result half = runTool({QStringLiteral("render"), doc, QStringLiteral("--page=2"), QStringLiteral("--zoom"),
                                 QStringLiteral("50"), QStringLiteral("--png"), png50});
    ASSERT_EQ(half.exitCode, 0) << qPrintable(half.err);
    const QImage full(png100), small(png50);
    ASSERT_FALSE(full.isNull());
    ASSERT_FALSE(small.isNull());
    // The page of the current printer (or the default page) at the screen's
    // twips per pixel, which the tool sees as this test does.
    const auto printer = platform::currentPrinter();
    const QSizeF twips = printer ? printer->drawableTwips : QSizeF(11520, 15872);
    EXPECT_NEAR(full.width(), twips.width() / platform::twipsPerPixelX(), 1.0);
    EXPECT_NEAR(full.height(), twips.height() / platform::twipsPerPixelY(), 1.0);
    EXPECT_NEAR(small.width(), full.width() / 2.0, 1.0);
    EXPECT_NEAR(small.height(), full.height() / 2.0, 1.0);
    // Something was drawn: the page is not blank.
    bool ink = false;
    for (int y = 0; y < full.height() && !ink; y += 2)
        for (int x = 0; x < full.width() && !ink; x += 2)
            ink = qGray(full.pixel(x, y)) < 128;
    EXPECT_TRUE(ink);
}

TEST_F(Tool, RenderRefusesAPageBeyondTheDocument)
{
    const Result r = runTool({QStringLiteral("render"), doc, QStringLiteral("--page"), QStringLiteral("3"),
                              QStringLiteral("--png"), path("p.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("2 pagine"))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(path("p.png")));
}

TEST_F(Tool, PrintToPdf)
{
    const QString pdf = path("tutto.pdf");
    const Result r = runTool({QStringLiteral("print"), doc, QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_EQ(pageWords(pdf), QStringList({"pagina-uno", "pagina-due"}));

    const QString range = path("range.pdf");
    const Result r2 = runTool({QStringLiteral("print"), doc, QStringLiteral("--pages"), QStringLiteral("2-2"),
                               QStringLiteral("--copies"), QStringLiteral("3"), QStringLiteral("--pdf"), range});
    ASSERT_EQ(r2.exitCode, 0) << qPrintable(r2.err);
    EXPECT_EQ(pageWords(range), QStringList({"pagina-due", "pagina-due", "pagina-due"}));
}

/// The Title of a PDF file's information, as pdfinfo reads it.
QString pdfTitle(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const auto m = QRegularExpression(QStringLiteral("^Title:\\s+(.*)$"), QRegularExpression::MultilineOption)
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

struct JobTitleCase
{
    const char *file;  // the spool file's name
    const char *title; // --title, or nullptr
    const char *expected;
};

class JobTitle : public Tool, public ::testing::WithParamInterface<JobTitleCase>
{};

/// The job is named after the document, never after a temporary name.
TEST_P(JobTitle, IsTheTitleGivenOrTheFilesName)
{
    const JobTitleCase &c = GetParam();
    const QString spool = env.root() + QString::fromLatin1(c.file);
    ASSERT_TRUE(QFile::copy(doc, spool));
    const QString pdf = path("titolo.pdf");
    QStringList args{QStringLiteral("print"), spool, QStringLiteral("--pdf"), pdf};
    if (c.title)
        args << QStringLiteral("--title") << QString::fromUtf8(c.title);
    const Result r = runTool(args);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(pdfTitle(pdf), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Names, JobTitle,
                         ::testing::Values(JobTitleCase{"fattura-42.qv", nullptr, "fattura-42"},
                                           JobTitleCase{"qv4HN3gt.tmp", nullptr, "4HN3gt"},
                                           JobTitleCase{"qv12345.tmp", nullptr, "12345"},
                                           // Not a temporary name: the name stays whole.
                                           JobTitleCase{"qvestimate.tmp", nullptr, "qvestimate"},
                                           JobTitleCase{"qv4HN3gt.qv", nullptr, "qv4HN3gt"},
                                           JobTitleCase{"qv4HN3gt.tmp", "Fattura n. 42", "Fattura n. 42"},
                                           JobTitleCase{"doc.qv", "Preventivo è pronto", "Preventivo è pronto"}),
                         [](const auto &info) { return "case" + std::to_string(info.index); });

/// The tool run with its standard streams on a pseudo-terminal, as in a
/// terminal window: everything it wrote there, and its exit code (-1 when a
/// signal ended it). Once it has written \a waitFor, \a keys are typed on
/// the terminal ("\x03" is Ctrl+C: the terminal sends it SIGINT).
Result runOnTerminal(const QStringList &args, const QByteArray &waitFor = {}, const QByteArray &keys = {})
{
    Result r;
    const QByteArray program = QByteArrayLiteral(QVPREVIEW_BIN);
    QList<QByteArray> bytes;
    for (const QString &a : args)
        bytes << QFile::encodeName(a);
    std::vector<char *> argv{const_cast<char *>(program.constData())};
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0)
        return r;
    if (pid == 0) {
        ::execv(program.constData(), argv.data());
        ::_exit(127);
    }
    QByteArray seen;
    char buffer[4096];
    bool typed = keys.isEmpty();
    for (;;) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got > 0) {
            seen.append(buffer, got);
            if (!typed && seen.contains(waitFor))
                typed = ::write(terminal, keys.constData(), size_t(keys.size())) == keys.size();
        } else if (got < 0 && errno == EINTR)
            continue;
        else
            break; // EIO: the tool closed the terminal
    }
    ::close(terminal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = QString::fromUtf8(seen);
    return r;
}

/// Printing tells its progress by sheet on a terminal, on one line rewritten
/// with a carriage return, and nothing when standard error is no terminal
/// (a pipe, a file): a log is not filled with progress lines.
struct ProgressCase
{
    const char *name;
    bool terminal;
};

class PrintProgress : public Tool, public ::testing::WithParamInterface<ProgressCase>
{};

TEST_P(PrintProgress, OnlyOnATerminal)
{
    const QString pdf = path("progresso.pdf");
    const QStringList args{QStringLiteral("print"), doc, QStringLiteral("--pdf"), pdf};
    const Result r = GetParam().terminal ? runOnTerminal(args) : runTool(args);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(pdfPages(pdf), 2);
    if (GetParam().terminal) {
        EXPECT_TRUE(r.err.contains(QStringLiteral("\rstampa: foglio 1 di 2\rstampa: foglio 2 di 2\r\n")))
            << qPrintable(r.err);
    } else {
        EXPECT_FALSE(r.err.contains(QStringLiteral("foglio"))) << qPrintable(r.err);
        EXPECT_FALSE(r.err.contains(QLatin1Char('\r'))) << qPrintable(r.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, PrintProgress,
                         ::testing::Values(ProgressCase{"Pipe", false}, ProgressCase{"Terminal", true}),
                         [](const auto &info) { return std::string(info.param.name); });

/// A document long enough that its print is still running when a key typed
/// after its first sheet reaches the tool.
QString longDocument(const QString &file, int pages)
{
    PrintPreview pp;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            pp.NuovaPagina();
        pp.StampaTesto(1440, 1440, QStringLiteral("pagina-%1").arg(page));
        pp.linea(1440, 2000, 9000, 9000, true, false);
    }
    QFile::remove(file);
    return QFile::copy(pp.spoolPath(), file) ? file : QString();
}

// Ctrl+C during a print to PDF: the job is aborted before its next sheet, the
// tool says so and exits with 130, and no PDF file is left; an old file of
// that name stays as it was.
TEST_F(Tool, CtrlCStopsAPrintToPdfAndLeavesNoFile)
{
    const QString big = longDocument(path("lungo.qv"), 20000);
    ASSERT_FALSE(big.isEmpty());
    const QString pdf = path("lungo.pdf");
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("vecchio");
    }
    const QStringList before = QDir(path("")).entryList(QDir::Files);
    const Result r = runOnTerminal({QStringLiteral("print"), big, QStringLiteral("--pdf"), pdf},
                                   QByteArrayLiteral("stampa: foglio 1 di 20000"), QByteArrayLiteral("\x03"));
    EXPECT_EQ(r.exitCode, 130) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("interrotta"))) << qPrintable(r.err);
    EXPECT_FALSE(r.err.contains(QStringLiteral("foglio 20000 di 20000"))) << "it printed to the end";
    EXPECT_FALSE(r.err.contains(QStringLiteral("stampato su"))) << qPrintable(r.err);
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("vecchio"));
    EXPECT_EQ(QDir(path("")).entryList(QDir::Files), before) << "a file was left beside the PDF";
}

/// Sets \a running to whether the CUPS scheduler answers (scripts/
/// services.sh starts one); a test without it fails in CI and is skipped
/// elsewhere (the caller returns).
void needCups(bool &running)
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-r")});
    running = lpstat.waitForFinished(10000) && lpstat.exitCode() == 0
              && QString::fromUtf8(lpstat.readAllStandardOutput()).contains(QStringLiteral("is running"));
    if (running)
        return;
    if (qgetenv("CI") == "true")
        FAIL() << "no CUPS scheduler answers (scripts/services.sh starts one)";
    GTEST_SKIP() << "no CUPS scheduler answers; scripts/services.sh starts one";
}

/// Where the test queue's PDF files land.
QString cupsPdfFolder()
{
    return qEnvironmentVariableIsEmpty("QV_CUPS_PDF_DIR") ? QStringLiteral("/var/spool/cups-pdf-qv")
                                                          : qEnvironmentVariable("QV_CUPS_PDF_DIR");
}

// Ctrl+C during a print on the CUPS test queue: the job is never handed
// over. A later job on the queue comes out, and none named after the
// interrupted one does.
TEST_F(Tool, CtrlCStopsAPrintOnTheCupsQueueWithoutAJob)
{
    bool cups = false;
    needCups(cups);
    if (!cups)
        return;
    const QString outDir = cupsPdfFolder();
    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString stopped = QStringLiteral("qvstop") + stamp, after = QStringLiteral("qvdopo") + stamp;
    const QString big = longDocument(path("") + stopped + QStringLiteral(".qv"), 20000);
    ASSERT_FALSE(big.isEmpty());
    const Result r =
        runOnTerminal({QStringLiteral("print"), big, QStringLiteral("--printer"), QStringLiteral("qvtest")},
                      QByteArrayLiteral("stampa: foglio 1 di 20000"), QByteArrayLiteral("\x03"));
    EXPECT_EQ(r.exitCode, 130) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("interrotta"))) << qPrintable(r.err);

    // The queue prints in order: once the later job is out, an earlier one
    // would be too.
    const QString next = path("") + after + QStringLiteral(".qv");
    ASSERT_TRUE(QFile::copy(doc, next));
    ASSERT_EQ(runTool({QStringLiteral("print"), next, QStringLiteral("--printer"), QStringLiteral("qvtest")}).exitCode,
              0);
    QStringList out;
    for (int i = 0; i < 600; ++i) {
        out = QDir(outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        if (std::any_of(out.begin(), out.end(), [&](const QString &f) { return f.contains(after); }))
            break;
        QThread::msleep(100);
    }
    ASSERT_TRUE(std::any_of(out.begin(), out.end(), [&](const QString &f) { return f.contains(after); }))
        << "the later job never came out of " << qPrintable(outDir);
    for (const QString &f : out) {
        EXPECT_FALSE(f.contains(stopped)) << "the interrupted job was printed: " << qPrintable(f);
        if (f.contains(after))
            QFile::remove(outDir + QLatin1Char('/') + f);
    }
}

/// Output that cannot be written: the command fails with 1 and names the
/// file and the reason; an old file there stays as it was, no other file is
/// left in its folder, and the spool file is never written over.
struct OutputFailureCase
{
    const char *name;
    const char *command; ///< "print" or "render"
    /// The output path (DOC: the spool file itself, LINK: a link to it,
    /// SMALL/...: on a full small disk, DIR/...: in the test's folder).
    const char *target;
    const char *says; ///< what standard error must hold besides the path; "" with \a reason
    int reason = 0;   ///< the errno whose text standard error must hold
    bool fileSizeLimit = false;
};

void PrintTo(const OutputFailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class OutputFailure : public Tool, public ::testing::WithParamInterface<OutputFailureCase>
{};

TEST_P(OutputFailure, ExitsWithOneAndKeepsWhatWasThere)
{
    const OutputFailureCase &c = GetParam();
    QString target = QString::fromUtf8(c.target);
    std::unique_ptr<qv::test::SmallDisk> disk;
    if (target == "DOC") {
        target = doc;
    } else if (target == "LINK") {
        target = path("collegamento.pdf");
        ASSERT_TRUE(QFile::link(doc, target));
    } else if (target.startsWith("SMALL/")) {
        disk = std::make_unique<qv::test::SmallDisk>(path("piccolo"), 8);
        if (!disk->mounted())
            GTEST_SKIP() << "no tmpfs can be mounted here";
        target = disk->folder() + target.mid(6);
    } else if (target.startsWith("DIR/")) {
        target = path("") + target.mid(4);
    } else if (!QFileInfo(target).exists() || QFileInfo(target).isFile()) {
        GTEST_SKIP() << qPrintable(target) << " is not a device here";
    }
    const bool regular = !target.startsWith("/dev/") && QFileInfo(QFileInfo(target).absolutePath()).isDir();
    const QByteArray spool = qv::test::readAll(doc);
    const QByteArray old = "il file di prima";
    if (regular && !QFileInfo(target).exists())
        qv::test::writeAll(target, old);
    const QByteArray before = regular ? qv::test::readAll(target) : QByteArray();
    const QStringList folder =
        regular ? QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden) : QStringList();

    QStringList args{QString::fromUtf8(c.command), doc};
    if (args.first() == "print")
        args << "--copies"
             << "40"
             << "--pdf" << target;
    else
        args << "--page"
             << "1"
             << "--zoom"
             << "400"
             << "--png" << target;
    Result r;
    {
        std::optional<qv::test::FileSizeLimit> limit;
        if (c.fileSizeLimit)
            limit.emplace(4096);
        r = runTool(args);
    }
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.out);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
    EXPECT_TRUE(r.err.contains(target)) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(c.reason ? qt_error_string(c.reason) : QString::fromUtf8(c.says))) << qPrintable(r.err);
    EXPECT_EQ(qv::test::readAll(doc), spool);
    if (regular) {
        EXPECT_EQ(qv::test::readAll(target), before);
        EXPECT_EQ(QDir(QFileInfo(target).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden), folder);
    }
    EXPECT_TRUE(env.tempFiles("qvm").isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Tool, OutputFailure,
    ::testing::Values(OutputFailureCase{"PrintToDevFull", "print", "/dev/full", "non è un file regolare"},
                      OutputFailureCase{"PrintToAFullDisk", "print", "SMALL/pieno.pdf", "", ENOSPC},
                      OutputFailureCase{"PrintPastTheFileSizeLimit", "print", "DIR/limite.pdf", "", EFBIG, true},
                      OutputFailureCase{"PrintIntoAMissingFolder", "print", "DIR/manca/out.pdf", "non esiste"},
                      OutputFailureCase{"PrintOverTheSpoolFile", "print", "DOC", "file di stampa"},
                      OutputFailureCase{"PrintOverALinkToTheSpoolFile", "print", "LINK", "file di stampa"},
                      OutputFailureCase{"RenderToDevFull", "render", "/dev/full", "non è un file regolare"},
                      OutputFailureCase{"RenderToAFullDisk", "render", "SMALL/pieno.png", "", ENOSPC},
                      OutputFailureCase{"RenderPastTheFileSizeLimit", "render", "DIR/limite.png", "", EFBIG, true},
                      OutputFailureCase{"RenderOverTheSpoolFile", "render", "DOC", "file di stampa"}),
    [](const auto &info) { return std::string(info.param.name); });

// The preview window's page image file is made only when the window shows a
// page: rendering and printing leave none.
TEST_F(Tool, RenderAndPrintMakeNoPageImageFile)
{
    ASSERT_EQ(runTool({QStringLiteral("render"), doc, QStringLiteral("--page"), QStringLiteral("1"),
                       QStringLiteral("--png"), path("p.png")})
                  .exitCode,
              0);
    const Result printed = runTool({QStringLiteral("print"), doc, QStringLiteral("--pdf"), path("p.pdf")});
    ASSERT_EQ(printed.exitCode, 0) << qPrintable(printed.err);
    EXPECT_EQ(printed.out, QStringLiteral("%1: stampato su PDF (%2)\n").arg(doc, path("p.pdf")));
    EXPECT_TRUE(env.tempFiles().isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

TEST_F(Tool, PrintToTheCupsTestQueue)
{
    bool cups = false;
    needCups(cups);
    if (!cups)
        return;
    const QString outDir = cupsPdfFolder();
    const QSet<QString> before = [&] {
        const QStringList l = QDir(outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        return QSet<QString>(l.begin(), l.end());
    }();
    // A job name of its own, so that the file is told apart from other jobs.
    const QString job = QStringLiteral("qvcli%1").arg(QDateTime::currentMSecsSinceEpoch());
    const QString named = path("") + job + QStringLiteral(".qv");
    ASSERT_TRUE(QFile::copy(doc, named));
    const Result r = runTool({QStringLiteral("print"), named, QStringLiteral("--printer"), QStringLiteral("qvtest")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("qvtest"))) << qPrintable(r.out);

    // cups-pdf writes the file a little later; wait for it, bounded.
    QString found;
    for (int i = 0; i < 600 && found.isEmpty(); ++i) {
        for (const QString &f : QDir(outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (!before.contains(f) && f.contains(job))
                found = outDir + QLatin1Char('/') + f;
        if (found.isEmpty())
            QThread::msleep(100);
    }
    ASSERT_FALSE(found.isEmpty()) << "no new PDF file named after " << qPrintable(job) << " in " << qPrintable(outDir);
    // The file may still be growing: wait until poppler reads it whole.
    int pages = -1;
    for (int i = 0; i < 100 && pages != 2; ++i) {
        pages = pdfPages(found);
        if (pages != 2)
            QThread::msleep(100);
    }
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(pageWords(found), QStringList({"pagina-uno", "pagina-due"}));
    QFile::remove(found);
}

TEST_F(Tool, HelpGoesToStandardOutput)
{
    for (const QStringList &args : {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
                                    QStringList{QStringLiteral("print"), QStringLiteral("--help")}}) {
        const Result r = runTool(args);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Uso: qvpreview"))) << qPrintable(r.out);
        for (const char *command : {"view FILE", "print FILE", "render FILE", "check FILE", "find FILE TESTO"})
            EXPECT_TRUE(r.out.contains(QLatin1String(command))) << command;
        EXPECT_TRUE(r.err.isEmpty());
    }
}

TEST_F(Tool, VersionIsTheLibrarys)
{
    const Result r = runTool({QStringLiteral("--version")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringLiteral("qvpreview 1.2.0.48\n"));
}

TEST_F(Tool, ViewWithoutADisplayFailsAtOnce)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const Result r = runTool({QStringLiteral("view"), doc}, environment);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("schermo"))) << qPrintable(r.err);
}

TEST_F(Tool, ViewTakesFollowBeforeOrAfterTheFile)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString missing = path("manca.tmp");
    for (const QStringList &args : {QStringList{QStringLiteral("view"), QStringLiteral("--follow"), missing},
                                    QStringList{QStringLiteral("view"), missing, QStringLiteral("--follow")}}) {
        // The option is taken: the file is what fails.
        const Result r = runTool(args, environment);
        EXPECT_EQ(r.exitCode, 1) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QStringLiteral("non trovato"))) << qPrintable(r.err);
    }
}

/// Command lines that are wrong as command lines: exit 2, a message and the
/// hint on standard error, nothing on standard output.
class UsageError : public Tool, public ::testing::WithParamInterface<std::pair<const char *, QStringList>>
{};

TEST_P(UsageError, ExitsWithTwo)
{
    QStringList args;
    for (const QString &a : GetParam().second)
        args << (a == QLatin1String("DOC") ? doc : a == QLatin1String("OUT") ? path("out.x") : a);
    const Result r = runTool(args);
    EXPECT_EQ(r.exitCode, 2) << qPrintable(r.err);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("qvpreview: "))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--help"))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(path("out.x")));
}

INSTANTIATE_TEST_SUITE_P(
    Tool, UsageError,
    ::testing::Values(std::pair{"NoCommand", QStringList{}}, std::pair{"UnknownCommand", QStringList{"stampa", "DOC"}},
                      std::pair{"NoFile", QStringList{"check"}},
                      std::pair{"TwoFiles", QStringList{"check", "DOC", "DOC"}},
                      std::pair{"UnknownOption", QStringList{"check", "DOC", "--pages", "1-2"}},
                      std::pair{"FollowIsOnlyView", QStringList{"check", "DOC", "--follow"}},
                      std::pair{"UnknownShortOption", QStringList{"check", "-x", "DOC"}},
                      std::pair{"RenderWithoutPage", QStringList{"render", "DOC", "--png", "OUT"}},
                      std::pair{"RenderWithoutPng", QStringList{"render", "DOC", "--page", "1"}},
                      std::pair{"PageNotANumber", QStringList{"render", "DOC", "--page", "uno", "--png", "OUT"}},
                      std::pair{"ZoomOutOfRange",
                                QStringList{"render", "DOC", "--page", "1", "--zoom", "0", "--png", "OUT"}},
                      std::pair{"ReversedRange", QStringList{"print", "DOC", "--pages", "2-1", "--pdf", "OUT"}},
                      std::pair{"NoCopies", QStringList{"print", "DOC", "--copies", "0", "--pdf", "OUT"}},
                      std::pair{"EmptyPdfName", QStringList{"print", "DOC", "--pdf="}},
                      std::pair{"MissingValue", QStringList{"print", "DOC", "--pdf"}},
                      std::pair{"PdfAndPrinter", QStringList{"print", "DOC", "--pdf", "OUT", "--printer", "qvtest"}}),
    [](const auto &info) { return std::string(info.param.first); });

class MissingFile : public Tool, public ::testing::WithParamInterface<QStringList>
{};

TEST_P(MissingFile, ExitsWithOneAndSaysSo)
{
    const QString missing = path("non-esiste.qv");
    QStringList args = GetParam();
    args.insert(1, missing);
    const Result r = runTool(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
    EXPECT_EQ(r.err, QStringLiteral("qvpreview: %1: file non trovato\n").arg(missing));
}

INSTANTIATE_TEST_SUITE_P(Tool, MissingFile,
                         ::testing::Values(QStringList{"check"}, QStringList{"render", "--page", "1", "--png", "x.png"},
                                           QStringList{"print", "--pdf", "x.pdf"}),
                         [](const auto &info) { return info.param.first().toStdString(); });

// --- check --layout ------------------------------------------------------------

/// A document on a recorded A4 page (1 cm margins) in a face every machine
/// here has as itself, so that only what is placed counts.
QByteArray layoutText(double x, double y, const char *text)
{
    return QByteArray("#print@\r\n\"Liberation Sans\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n")
           + QByteArray::number(x) + ',' + QByteArray::number(y) + "\r\n" + text + "\r\n#endprint@\r\n";
}

const QByteArray A4Page = "#page@\r\n11905.51,16837.79,0,566.9291,566.9291,566.9291,566.9291\r\n";

TEST_F(Tool, CheckLayoutListsTheFindingsPageByPageAndExitsWithOne)
{
    const QString clean = qv::test::writeAll(path("pulito.qv"), A4Page + layoutText(1440, 1440, "Totale"));
    Result r = runTool({QStringLiteral("check"), QStringLiteral("--layout"), clean});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out, clean + QStringLiteral(": nessuna segnalazione in 1 pagina\n"));

    // Page 2: a field that cut 5 characters (its text record at line 13),
    // and a line beyond the paper's right edge (line 18).
    const QString found = qv::test::writeAll(path("segnalazioni.qv"),
                                             A4Page + layoutText(1440, 1440, "Totale") + "#newpage@\r\n" + A4Page
                                                 + "#field@\r\n1440,3000,5\r\n" + layoutText(1440, 1440, "Descrizione")
                                                 + "#line@\r\n0,13,1,0,0,1\r\n100,100,20000,100,#FALSE#,#FALSE#\r\n");
    r = runTool({QStringLiteral("check"), found, QStringLiteral("--layout")});
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("pagina 2:\n"
                                    "  riga 13: testo tagliato dal campo: 5 caratteri non stampati "
                                    "(x 1440, y 1217, 3000 x 223 twip)\n"
                                    "  riga 18: linea fuori dalla pagina (x 100, y 100, 19900 x 0 twip)\n")
                         + found + QStringLiteral(": 2 segnalazioni in 2 pagine\n"));

    // A file broken half way: what was found before, then the error.
    const QString broken = qv::test::writeAll(
        path("rotto.qv"), A4Page + "#line@\r\n0,13,1,0,0,1\r\n100,100,20000,100,#FALSE#,#FALSE#\r\n#line@\r\n1,x\r\n");
    r = runTool({QStringLiteral("check"), QStringLiteral("--layout"), broken});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("pagina 1:\n  riga 3: linea fuori dalla pagina"))) << qPrintable(r.out);
    EXPECT_TRUE(r.err.contains(QStringLiteral("riga 7"))) << qPrintable(r.err);

    r = runTool({QStringLiteral("check"), QStringLiteral("--layout"), path("non-esiste.qv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("qvpreview: %1: file non trovato\n").arg(path("non-esiste.qv")));
}

// --- find ----------------------------------------------------------------------

/// "find FILE TEXT" as grep does it: a line for each match, 0 when found, 1
/// when nothing was (and nothing is said), 2 for an error naming the file.
struct FindCase
{
    const char *name;
    QStringList args; ///< after "find"; DOC, MISSING and BROKEN stand for files
    int exitCode;
    QStringList out;     ///< the lines written; {x} and {y} stand for coordinates that depend on the fonts
    const char *errPart; ///< what standard error holds; empty: nothing
};

class Find : public Tool, public ::testing::WithParamInterface<FindCase>
{
protected:
    void SetUp() override
    {
        Tool::SetUp();
        // Every kind of text command, and a second page.
        doc = env.root() + QStringLiteral("testi.qv");
        PrintPreview pp;
        pp.StampaTesto(1440, 2880, QStringLiteral("Ditta Rossi\r\nS.r.l. Milano"));
        pp.StampaCentrato(4000, QStringLiteral("FATTURA n. 12 - PERCHÉ"));
        pp.StampaCampo(1440, 5000, QStringLiteral("Totale fattura"), 4000, PP_destra, false);
        pp.NuovaPagina();
        int16_t lines = 0;
        float spacing = 0;
        pp.StampaCampoMultilinea(1440, 1440, QStringLiteral("Prima riga\r\nseconda fattura, sconto -5%"), 9000,
                                 PP_Sinistra, lines, spacing);
        // Texts longer than a match's context.
        pp.NuovaPagina();
        pp.StampaTesto(1440, 1440,
                       QStringLiteral("inizio") + QString(50, u'x') + QStringLiteral("ago") + QString(50, u'y')
                           + QStringLiteral("fine"));
        pp.StampaTesto(1440, 2880,
                       QString(30, u'x').replace(u'x', QStringLiteral("\U0001F600")) + QStringLiteral("qzeta"));
        ASSERT_TRUE(QFile::copy(pp.spoolPath(), doc));
        broken = env.root() + QStringLiteral("rotto.qv");
        qv::test::writeAll(broken, qv::test::readAll(doc) + "#print@\r\n\"Arial\",10,uno\r\n");
    }
    QString broken;
};

TEST_P(Find, WritesEachMatchAndExitsAsGrepDoes)
{
    const FindCase &c = GetParam();
    QStringList args{QStringLiteral("find")};
    for (const QString &a : c.args)
        args << (a == QLatin1String("DOC")       ? doc
                 : a == QLatin1String("MISSING") ? path("non-esiste.qv")
                 : a == QLatin1String("BROKEN")  ? broken
                                                 : a);
    const Result r = runTool(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(r.err);
    QStringList lines = r.out.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.takeLast(), QString()) << "every line ends";
    ASSERT_EQ(lines.size(), c.out.size()) << qPrintable(r.out);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString pattern = QRegularExpression::escape(c.out[i])
                                    .replace(QStringLiteral("\\{x\\}"), QStringLiteral("\\d+(\\.\\d+)?"))
                                    .replace(QStringLiteral("\\{y\\}"), QStringLiteral("\\d+(\\.\\d+)?"));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(lines[i]).hasMatch())
            << qPrintable(lines[i]) << " is not " << qPrintable(c.out[i]);
    }
    if (*c.errPart)
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("qvpreview: ")) && r.err.contains(QString::fromUtf8(c.errPart)))
            << qPrintable(r.err);
    else
        EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
}

INSTANTIATE_TEST_SUITE_P(
    Tool, Find,
    ::testing::Values(
        FindCase{"AcrossTheLinesOfOneText", {"DOC", "rossi s.r.l"}, 0, {"1:1440,2880:7:Ditta Rossi S.r.l. Milano"}, ""},
        FindCase{"EveryKindOfTextInPageOrder",
                 {"DOC", "Fattura"},
                 0,
                 {"1:{x},{y}:1:FATTURA n. 12 - PERCHÉ", "1:{x},{y}:8:Totale fattura",
                  "2:1440,{y}:9:seconda fattura, sconto -5%"},
                 ""},
        FindCase{"CaseBlindBeyondAscii", {"DOC", "perché"}, 0, {"1:{x},{y}:17:FATTURA n. 12 - PERCHÉ"}, ""},
        FindCase{"ATextStartingWithADashAfterTheDashes",
                 {"DOC", "--", "-5%"},
                 0,
                 {"2:1440,{y}:25:seconda fattura, sconto -5%"},
                 ""},
        FindCase{
            "InTheMiddleOfALongTextWithItsContext",
            {"DOC", "ago"},
            0,
            {"3:1440,1440:57:…xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxagoyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy…"},
            ""},
        FindCase{"AtTheStartOfALongText",
                 {"DOC", "inizio"},
                 0,
                 {"3:1440,1440:1:inizioxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…"},
                 ""},
        FindCase{"AtTheEndOfALongText",
                 {"DOC", "fine"},
                 0,
                 {"3:1440,1440:110:…yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyfine"},
                 ""},
        FindCase{"NeverHalfACharacter", {"DOC", "zeta"}, 0, {"3:1440,2880:62:…😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀qzeta"}, ""},
        FindCase{"MatchCase",
                 {"DOC", "--match-case", "fattura"},
                 0,
                 {"1:{x},{y}:8:Totale fattura", "2:1440,{y}:9:seconda fattura, sconto -5%"},
                 ""},
        FindCase{"MatchCaseBeyondAscii", {"DOC", "perché", "--match-case"}, 1, {}, ""},
        FindCase{"WholeWordsOnly", {"DOC", "--whole-words", "fattur"}, 1, {}, ""},
        FindCase{
            "WholeWordsFindANumber", {"DOC", "--whole-words", "12"}, 0, {"1:{x},{y}:12:FATTURA n. 12 - PERCHÉ"}, ""},
        FindCase{"NothingFoundSaysNothing", {"DOC", "nota di credito"}, 1, {}, ""},
        FindCase{"AMissingFile", {"MISSING", "x"}, 2, {}, "non-esiste.qv: file non trovato"},
        FindCase{"ABrokenRecordNamesTheFileAndLine", {"BROKEN", "x"}, 2, {}, "rotto.qv: errore 13 ("},
        FindCase{"AnEmptyText", {"DOC", ""}, 2, {}, "il testo da cercare è vuoto"},
        FindCase{"NoText", {"DOC"}, 2, {}, "manca il testo da cercare"}),
    [](const auto &info) { return std::string(info.param.name); });

// One text of many letters, each a match: every line holds the match and a
// bounded context, never the whole text, so the output grows with the
// matches alone.
TEST_F(Tool, FindWritesABoundedLineForEachMatchOfALongText)
{
    constexpr int Letters = 3000;
    const QString file = path("lungo.qv");
    {
        PrintPreview pp;
        pp.StampaTesto(1440, 1440, QString(Letters, u'a'));
        ASSERT_TRUE(QFile::copy(pp.spoolPath(), file));
    }
    const Result r = runTool({QStringLiteral("find"), file, QStringLiteral("a")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    QStringList lines = r.out.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.takeLast(), QString());
    ASSERT_EQ(lines.size(), Letters);
    // "1:1440,1440:COLUMN:" and at most 40 letters, the match, 40 letters and two marks.
    for (const QString &line : std::as_const(lines))
        ASSERT_LE(line.size(), QStringLiteral("1:1440,1440:%1:").arg(Letters).size() + 40 + 1 + 40 + 2)
            << qPrintable(line.left(200));
    EXPECT_EQ(lines[Letters / 2], QStringLiteral("1:1440,1440:%1:…%2…").arg(Letters / 2 + 1).arg(QString(81, u'a')));
}

// Past 100,000 matches the tool writes the first 100,000 and says there are
// more: its memory stays bounded whatever the file holds.
TEST_F(Tool, FindStopsAtItsLimitAndSaysSo)
{
    const QString file = path("molte.qv");
    {
        PrintPreview pp;
        pp.StampaTesto(1440, 1440, QString(100010, u'a'));
        ASSERT_TRUE(QFile::copy(pp.spoolPath(), file));
    }
    const Result r = runTool({QStringLiteral("find"), file, QStringLiteral("a")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err.left(500));
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 100000);
    EXPECT_TRUE(r.err.contains(QStringLiteral("oltre 100000 occorrenze"))) << qPrintable(r.err);
}

// --- pages past 16 bits ----------------------------------------------------------

/// A document of 40,000 pages: the tool takes every page the document has.
struct PagesCase
{
    const char *name;
    QStringList args; ///< DOC and OUT stand for the document and an output file
    int exitCode;
    const char *outPart, *errPart; ///< what standard output and error hold
    QStringList words;             ///< the words of the PDF written, page by page
};

class ManyPages : public Tool, public ::testing::WithParamInterface<PagesCase>
{
protected:
    static constexpr int Pages = 40000;
    void SetUp() override
    {
        Tool::SetUp();
        // Pages 39,999 and 40,000 are the two pages of the fixture's document.
        const QByteArray two = qv::test::readAll(doc);
        const QByteArray newPage = "#newpage@\r\n";
        ASSERT_EQ(two.count(newPage), 1);
        QByteArray many;
        for (int i = 0; i < Pages - 2; ++i)
            many += newPage;
        big = qv::test::writeAll(path("grande.qv"), many + two);
    }
    QString big;
};

TEST_P(ManyPages, EveryPageIsTakenAndTheLimitNamed)
{
    const PagesCase &c = GetParam();
    QStringList args;
    for (const QString &a : c.args)
        args << (a == QLatin1String("DOC") ? big : a == QLatin1String("OUT") ? path("out.x") : a);
    const Result r = runTool(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.outPart))) << qPrintable(r.out);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.errPart))) << qPrintable(r.err);
    if (!c.words.isEmpty()) {
        EXPECT_EQ(pageWords(path("out.x")), c.words);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tool, ManyPages,
    ::testing::Values(
        PagesCase{"CheckCountsThem", {"check", "DOC"}, 0, "pagine: 40000\n", "", {}},
        PagesCase{"FindReportsTheLastPage", {"find", "DOC", "pagina-due"}, 0, "40000:1440,1440:1:pagina-due", "", {}},
        PagesCase{"RenderTheLastPage",
                  {"render", "DOC", "--page", "40000", "--png", "OUT"},
                  0,
                  "pagina 40000 di 40000",
                  "",
                  {}},
        PagesCase{"PrintTheLastTwoPages",
                  {"print", "DOC", "--pages", "39999-40000", "--pdf", "OUT"},
                  0,
                  "stampato",
                  "",
                  {"pagina-uno", "pagina-due"}},
        PagesCase{"PrintTheLastPageAlone",
                  {"print", "DOC", "--pages", "40000", "--pdf", "OUT"},
                  0,
                  "stampato",
                  "",
                  {"pagina-due"}},
        PagesCase{"RenderPastTheLastPageNamesTheCount",
                  {"render", "DOC", "--page", "40001", "--png", "OUT"},
                  1,
                  "",
                  "il documento ha 40000 pagine, la pagina 40001 non esiste",
                  {}},
        PagesCase{"PrintPastTheLastPageNamesTheCount",
                  {"print", "DOC", "--pages", "40001-40002", "--pdf", "OUT"},
                  1,
                  "",
                  "(40000 pagine)",
                  {}},
        PagesCase{"APageBeyond32BitsNamesTheLimit",
                  {"render", "DOC", "--page", "2147483648", "--png", "OUT"},
                  2,
                  "",
                  "numero di pagina non valido (da 1 a 2147483647): 2147483648",
                  {}},
        PagesCase{"ARangeFromPageZeroNamesTheLimit",
                  {"print", "DOC", "--pages", "0-3", "--pdf", "OUT"},
                  2,
                  "",
                  "(atteso A-B, con 1 <= A <= B <= 2147483647)",
                  {}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- the user's language -------------------------------------------------------

/// The tool's language comes from the environment (LANGUAGE, LC_ALL,
/// LC_MESSAGES, LANG): English where it asks for English, Italian otherwise.
struct ToolLanguage
{
    const char *name;
    QList<std::pair<const char *, const char *>> variables;
    bool english;
};

class Language : public Tool, public ::testing::WithParamInterface<ToolLanguage>
{
protected:
    Result run(const QStringList &args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            environment.remove(QLatin1String(name));
        for (const auto &[name, value] : GetParam().variables)
            environment.insert(QLatin1String(name), QLatin1String(value));
        return runTool(args, environment);
    }
    QString expected(const char *italian, const char *english) const
    {
        return QString::fromUtf8(GetParam().english ? english : italian);
    }
};

TEST_P(Language, HelpAndUsageErrors)
{
    Result r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(
        expected("Uso: qvpreview COMANDO FILE [OPZIONI]\n", "Usage: qvpreview COMMAND FILE [OPTIONS]\n")))
        << qPrintable(r.out);
    r = run({QStringLiteral("stampa"), doc});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, expected("qvpreview: comando sconosciuto: stampa\n"
                              "Provare 'qvpreview --help' per maggiori informazioni.\n",
                              "qvpreview: unknown command: stampa\n"
                              "Try 'qvpreview --help' for more information.\n"));
    r = run({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(expected("qvpreview: manca il comando\n", "qvpreview: missing command\n")))
        << qPrintable(r.err);
}

TEST_P(Language, CheckReportAndTheLibrarysErrors)
{
    Result r = run({QStringLiteral("check"), doc});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out,
              doc
                  + expected(": valido\npagine: 2\ntesti: 2\nlinee: 1\nriquadri: 1\npunti: 0\ncerchi: 1\nimmagini: 0\n",
                             ": valid\npages: 2\ntexts: 2\nlines: 1\nboxes: 1\npoints: 0\ncircles: 1\npictures: 0\n"));
    // The spool reader's message and the catalogue's text, with the error's number.
    QFile f(doc);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("#line@\r\n");
    f.close();
    r = run({QStringLiteral("check"), doc});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(expected(": errore 62 (", ": error 62 ("))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(expected("Errore nel file di stampa \"", "Error in the print file \"")))
        << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(expected("fine del file inattesa", "unexpected end of file"))) << qPrintable(r.err);
}

INSTANTIATE_TEST_SUITE_P(
    Tool, Language,
    ::testing::Values(
        ToolLanguage{"NoLanguage", {}, false}, ToolLanguage{"CLocale", {{"LANG", "C.UTF-8"}}, false},
        ToolLanguage{"Italian", {{"LANG", "it_IT.UTF-8"}}, false},
        ToolLanguage{"GermanHasNoCatalogue", {{"LANG", "de_DE.UTF-8"}}, false},
        ToolLanguage{"English", {{"LANG", "en_US.UTF-8"}}, true},
        ToolLanguage{"EnglishMessagesOnItalian", {{"LANG", "it_IT.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, true},
        ToolLanguage{"EnglishOverAll", {{"LANG", "it_IT.UTF-8"}, {"LC_ALL", "en_US.UTF-8"}}, true},
        ToolLanguage{"ItalianPreferredToEnglish", {{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "it:en"}}, false}),
    [](const auto &info) { return std::string(info.param.name); });

#ifdef QV_INVOICE_BIN
TEST_F(Tool, TheExampleHostPrintsAndRendersWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const QString out = path("uscita");
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(QV_INVOICE_BIN), {QStringLiteral("--out"), out});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString stdoutText = QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_EQ(p.exitCode(), 0) << qPrintable(QString::fromUtf8(p.readAllStandardError()));
    // Where the spool file was and what it held, then where the files are.
    const auto spool =
        QRegularExpression(QStringLiteral("^File di spool: (\\S+)$"), QRegularExpression::MultilineOption)
            .match(stdoutText);
    ASSERT_TRUE(spool.hasMatch()) << qPrintable(stdoutText);
    EXPECT_TRUE(spool.captured(1).startsWith(env.tempFolder())) << qPrintable(spool.captured(1));
    EXPECT_FALSE(QFile::exists(spool.captured(1)));
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qv")).isEmpty()) << qPrintable(env.tempFiles().join(' '));
    EXPECT_TRUE(stdoutText.contains(QStringLiteral("Pagine: 2, record: "))) << qPrintable(stdoutText);
    EXPECT_TRUE(stdoutText.contains(QStringLiteral("#print@\r\n"))) << qPrintable(stdoutText);
    for (const char *png : {"/pagina-1.png", "/pagina-2.png"}) {
        EXPECT_TRUE(stdoutText.contains(QStringLiteral("Pagina disegnata: ") + out + QLatin1String(png)));
        EXPECT_FALSE(QImage(out + QLatin1String(png)).isNull()) << png;
    }
    const QString pdf = out + QStringLiteral("/fattura.pdf");
    EXPECT_TRUE(stdoutText.contains(QStringLiteral("Stampato in PDF: ") + pdf)) << qPrintable(stdoutText);
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("FATTURA N. 2024/0187"))) << qPrintable(pdfText(pdf));
}
#endif

#ifdef QV_REPORT_BIN
/// A word of a PDF page and its box, in points from the page's top.
struct Word
{
    QString text;
    double top;
    double bottom;
};

/// The words of each page of \a pdf, as pdftotext -bbox finds them.
QList<QList<Word>> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    QList<QList<Word>> pages;
    static const QRegularExpression word(QStringLiteral(
        "<page |<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\" xMax=\"[^\"]*\" yMax=\"([^\"]*)\">([^<]*)</word>"));
    for (const auto &m : word.globalMatch(QString::fromUtf8(p.readAllStandardOutput()))) {
        if (m.captured(0) == QLatin1String("<page "))
            pages.append(QList<Word>());
        else if (!pages.isEmpty())
            pages.last().append(Word{m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return pages;
}

/// The English example host, run without a display with a number of table rows.
class ReportExample : public Tool, public ::testing::WithParamInterface<int>
{};

TEST_P(ReportExample, BreaksTheTableBetweenRowsAndNumbersThePages)
{
    const int rows = GetParam();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const QString out = path("report");
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(QV_REPORT_BIN),
            {QStringLiteral("--out"), out, QStringLiteral("--rows"), QString::number(rows)});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString stdoutText = QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_EQ(p.exitCode(), 0) << qPrintable(QString::fromUtf8(p.readAllStandardError()));
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qv")).isEmpty()) << qPrintable(env.tempFiles().join(' '));

    const QString pdf = out + QStringLiteral("/report.pdf");
    EXPECT_TRUE(stdoutText.contains(QStringLiteral("Printed to PDF: ") + pdf)) << qPrintable(stdoutText);
    const int pages = pdfPages(pdf);
    ASSERT_GE(pages, 1);
    if (rows > 20) {
        EXPECT_GE(pages, 3);
    }
    const QStringList texts = pdfText(pdf).split(QChar(0x0c));
    ASSERT_GE(texts.size(), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString &text = texts[page - 1];
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages))) << page;
        EXPECT_TRUE(text.contains(QStringLiteral("Revenue ($)"))) << "the heading on page " << page;
        EXPECT_FALSE(QImage(out + QStringLiteral("/page-%1.png").arg(page)).isNull()) << page;
    }
    // Every row whole on one page: its id starts it, and its notes end with
    // the id in brackets on that same page.
    for (int row = 1; row <= rows; ++row) {
        const QString id = QStringLiteral("R%1").arg(row, 3, 10, QLatin1Char('0'));
        const QRegularExpression start(QStringLiteral("^") + id + QStringLiteral("\\b"),
                                       QRegularExpression::MultilineOption);
        int startPage = 0;
        int endPage = 0;
        for (int page = 1; page <= pages; ++page) {
            if (texts[page - 1].contains(start))
                startPage = startPage ? -1 : page;
            if (texts[page - 1].contains(QLatin1Char('[') + id + QLatin1Char(']')))
                endPage = endPage ? -1 : page;
        }
        EXPECT_GT(startPage, 0) << qPrintable(id);
        EXPECT_EQ(endPage, startPage) << qPrintable(id);
    }
    EXPECT_TRUE(texts[pages - 1].contains(QStringLiteral("Total, %1 rows").arg(rows)));

    // The rows' heights are right: each row begins below the end of the
    // previous row's notes, and the last one ends above the footer.
    const QList<QList<Word>> words = pdfWords(pdf);
    ASSERT_EQ(words.size(), pages);
    static const QRegularExpression rowId(QStringLiteral("^R\\d{3}$"));
    static const QRegularExpression rowEnd(QStringLiteral("^\\[R\\d{3}\\]$"));
    for (int page = 1; page <= pages; ++page) {
        double footer = 1e9;
        double lastEnd = 0;
        for (const Word &w : words[page - 1]) {
            if (w.text == QLatin1String("Printed"))
                footer = std::min(footer, w.top);
        }
        for (const Word &w : words[page - 1]) {
            if (rowId.match(w.text).hasMatch()) {
                EXPECT_GT(w.top, lastEnd) << qPrintable(w.text) << " overlaps the row above it";
            } else if (rowEnd.match(w.text).hasMatch()) {
                lastEnd = w.bottom;
                EXPECT_LT(w.bottom, footer) << qPrintable(w.text) << " runs into the footer";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportExample, ::testing::Values(1, 60, 140));
#endif

} // namespace
