// SPDX-License-Identifier: MIT
// The spool format's home: tags, the attribute lines written and read back,
// the reader's value stream and line numbers, and the page-start scan with
// its line counts against a line-by-line read.
#include "spool/Document.h"
#include "spool/PageStarts.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"
#include "spool/SpoolWriter.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>

#include <gtest/gtest.h>

#include <ostream>

namespace qv::spool {

void PrintTo(const FontLine &f, std::ostream *os)
{
    *os << f.fontName.toStdString() << ',' << f.fontSize << ',' << f.fontItalic << f.fontBold << f.fontUnderline
        << f.fontStrikethru << ',' << f.foreColor << ',' << f.fontTransparent;
}

void PrintTo(const StrokeLine &s, std::ostream *os)
{
    *os << s.foreColor << ',' << s.drawMode << ',' << s.drawWidth << ',' << s.drawStyle << ',' << s.fillColor << ','
        << s.fillStyle;
}

namespace {

class FormatFile : public test::TempEnvTest
{
protected:
    QString write(const QByteArray &bytes, const char *name = "qvformat.tmp")
    {
        return test::writeAll(env.tempFolder() + QLatin1String(name), bytes);
    }
};

// --- Tags ------------------------------------------------------------------------

struct TagCase
{
    const char *line;
    bool tag;
};

class Tags : public ::testing::TestWithParam<TagCase>
{};

TEST_P(Tags, AreWholeLinesCaseAndAll)
{
    const QByteArray line(GetParam().line);
    EXPECT_EQ(isTagLine(QByteArrayView(line)), GetParam().tag);
    EXPECT_EQ(isTagLine(QStringView(QString::fromLatin1(line))), GetParam().tag);
}

INSTANTIATE_TEST_SUITE_P(Lines, Tags,
                         ::testing::Values(TagCase{TagPrint, true}, TagCase{TagEndPrint, true},
                                           TagCase{TagNewPage, true}, TagCase{TagLine, true}, TagCase{TagPSet, true},
                                           TagCase{TagCircle, true}, TagCase{TagPaint, true},
                                           TagCase{"#NEWPAGE@", false}, TagCase{"#newpage@ ", false},
                                           TagCase{" #line@", false}, TagCase{"#text@", false}, TagCase{"#@", false},
                                           TagCase{"", false}));

struct GuardCase
{
    QString text;
    QString written;
};

class TextGuard : public ::testing::TestWithParam<GuardCase>
{};

TEST_P(TextGuard, KeepsTextLinesFromReadingAsTags)
{
    EXPECT_EQ(guardTextLines(GetParam().text), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextGuard,
                         ::testing::Values(GuardCase{"Totale", "Totale"}, GuardCase{"a@b", "a@b"},
                                           GuardCase{"uno\r\n#newpage@\r\ndue", "uno\r\n#newpage@ \r\ndue"},
                                           GuardCase{"#endprint@", "#endprint@ "}, GuardCase{"x\n#line@", "x\n#line@ "},
                                           GuardCase{"#newpage@x", "#newpage@x"}));

// --- Attribute lines: one writer, one reader ----------------------------------------

struct AttributeCase
{
    const char *name;
    FontLine font;
    StrokeLine stroke;
};

class AttributeLines : public FormatFile, public ::testing::WithParamInterface<AttributeCase>
{};

TEST_P(AttributeLines, ReadBackAsWritten)
{
    Record record(TagPrint);
    ScriviAttributiFont(record, GetParam().font);
    ScriviAttributiTratto(record, GetParam().stroke);
    SpoolReader in;
    in.open(write(record.bytes()));
    EXPECT_EQ(in.readLine(), QString::fromLatin1(TagPrint));
    EXPECT_EQ(LeggiAttributiFont(in), GetParam().font);
    EXPECT_EQ(LeggiAttributiTratto(in), GetParam().stroke);
    EXPECT_TRUE(in.atEnd());
}

INSTANTIATE_TEST_SUITE_P(
    Values, AttributeLines,
    ::testing::Values(AttributeCase{"Defaults", FontLine{"Arial"}, StrokeLine{}},
                      AttributeCase{"Extremes",
                                    FontLine{"Times New Roman", 2160, true, true, true, true, 16777215, false},
                                    StrokeLine{16777215, 16, 32767, 6, 16777215, 7}},
                      AttributeCase{"CommaInTheName", FontLine{"Nome, con virgola", 1}, StrokeLine{0, 0, 0, 0, 0, 0}},
                      AttributeCase{"AccentedName", FontLine{"Città àèìòù", 8}, StrokeLine{255, 7, 3, 2, 65280, 3}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- The reader ------------------------------------------------------------------

/// A page layout written as its record and read back at its page's start.
struct LayoutCase
{
    const char *name;
    QPageLayout layout;
    QPageSize::PageSizeId id; // the paper the reader names
};

class PageLayoutRecords : public FormatFile, public ::testing::WithParamInterface<LayoutCase>
{};

TEST_P(PageLayoutRecords, ReadBackAsWrittenWhereAPageStarts)
{
    Record page(TagPage);
    writePageLayout(page, GetParam().layout);
    Record point(TagPSet);
    ScriviAttributiTratto(point, StrokeLine());
    point.single(10).single(10).endLine();
    // The record at the file start, and again as the first line of page 2.
    const QByteArray bytes = page.bytes() + point.bytes() + "#newpage@\r\n" + page.bytes() + point.bytes();
    const QString path = write(bytes);
    const qint64 second = bytes.indexOf("#newpage@\r\n") + 12;
    for (const qint64 start : {qint64(1), second}) {
        const std::optional<QPageLayout> read = pageLayoutAt(path, start, QStringLiteral("Prova"));
        ASSERT_TRUE(read) << "at " << start;
        EXPECT_EQ(read->pageSize().id(), GetParam().id);
        EXPECT_EQ(read->orientation(), GetParam().layout.orientation());
        const QRectF want = GetParam().layout.paintRect(QPageLayout::Millimeter);
        const QRectF got = read->paintRect(QPageLayout::Millimeter);
        EXPECT_NEAR(got.left(), want.left(), 0.001);
        EXPECT_NEAR(got.top(), want.top(), 0.001);
        EXPECT_NEAR(got.width(), want.width(), 0.001);
        EXPECT_NEAR(got.height(), want.height(), 0.001);
        EXPECT_TRUE(pageLayoutProblem(*read).isEmpty());
    }
    // Elsewhere than at a page's first line there is no layout of a page.
    EXPECT_FALSE(pageLayoutAt(path, page.bytes().size() + 1, QStringLiteral("Prova")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageLayoutRecords,
    ::testing::Values(
        LayoutCase{"A4Portrait", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()),
                   QPageSize::A4},
        LayoutCase{"A4LandscapeMarginsInMm",
                   QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 15, 20, 25),
                               QPageLayout::Millimeter),
                   QPageSize::A4},
        LayoutCase{"LegalMarginsInInches",
                   QPageLayout(QPageSize(QPageSize::Legal), QPageLayout::Portrait, QMarginsF(0.5, 1, 0.75, 1.25),
                               QPageLayout::Inch),
                   QPageSize::Legal},
        LayoutCase{"CustomLabel",
                   QPageLayout(QPageSize(QSizeF(89, 36), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                               QPageLayout::Landscape, QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter),
                   QPageSize::Custom}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FormatFile, WholeLineAfterValuesIsTheRestOfTheValueLine)
{
    SpoolReader in;
    in.open(write("1,2,resto,della riga\r\nseguente\r\n"));
    EXPECT_EQ(in.integer("a"), 1);
    EXPECT_EQ(in.integer("b"), 2);
    EXPECT_EQ(in.readLine(), QStringLiteral("resto,della riga"));
    EXPECT_EQ(in.readLine(), QStringLiteral("seguente"));
    EXPECT_TRUE(in.atEnd());
}

TEST_F(FormatFile, ValueThatEndsItsLineLeavesTheReaderOnTheNextLine)
{
    SpoolReader in;
    in.open(write("1,2\r\n\r\n3,\r\nriga\r\n"));
    EXPECT_EQ(in.integer("a"), 1);
    EXPECT_EQ(in.integer("b"), 2);
    // A blank line between values is skipped; a comma at a line end only separates.
    EXPECT_EQ(in.integer("c"), 3);
    EXPECT_EQ(in.readLine(), QStringLiteral("riga"));
}

TEST_F(FormatFile, ErrorsNameTheSourceTheFileAndTheLine)
{
    const QString path = write("#pset@\r\n0,13,1\r\n0,0,1\r\nx,1\r\n");
    SpoolReader in(QStringLiteral("Prova"));
    in.open(path);
    in.readLine();
    LeggiAttributiTratto(in);
    try {
        in.single("x");
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrTypeMismatch);
        EXPECT_EQ(e.source(), QStringLiteral("Prova"));
        EXPECT_EQ(e.file(), path);
        EXPECT_EQ(e.line(), 4);
        EXPECT_TRUE(e.description().contains(path)) << qPrintable(e.description());
        EXPECT_TRUE(e.description().contains(QStringLiteral("riga 4"))) << qPrintable(e.description());
    }
}

TEST_F(FormatFile, MissingFileIsFiftyThreeWithItsPath)
{
    const QString path = env.tempFolder() + QStringLiteral("manca.tmp");
    SpoolReader in(QStringLiteral("Prova"));
    try {
        in.open(path);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrFileNotFound);
        EXPECT_EQ(e.file(), path);
        EXPECT_TRUE(e.description().startsWith(errorText(ErrFileNotFound))) << qPrintable(e.description());
        EXPECT_TRUE(e.description().contains(path));
    }
    EXPECT_THROW(PageStartScanner(path, QStringLiteral("Prova")), Error);
}

// --- The page-start scan: positions and line counts as a line reader sees them ---------

struct ScanCase
{
    const char *name;
    QByteArray bytes;
};

class PageScan : public FormatFile, public ::testing::WithParamInterface<ScanCase>
{};

TEST_P(PageScan, PositionsAndLineCountsMatchALineByLineRead)
{
    const QString path = write(GetParam().bytes);
    QList<qint64> positions, lines;
    {
        SpoolReader reader;
        reader.open(path);
        while (!reader.atEnd()) {
            if (reader.readLineView() == QByteArrayView(TagNewPage)) {
                positions << reader.position();
                lines << reader.lineNumber();
            }
        }
    }
    PageStartScanner scanner(path, QStringLiteral("Prova"), true);
    QList<qint64> scannedPositions, scannedLines;
    while (const auto start = scanner.next()) {
        scannedPositions << *start;
        scannedLines << scanner.linesBefore();
    }
    EXPECT_EQ(scannedPositions, positions);
    EXPECT_EQ(scannedLines, lines);
    EXPECT_EQ(buildPageIndex(path, QStringLiteral("Prova")), QList<qint64>{1} + positions);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PageScan,
    ::testing::Values(ScanCase{"CrLf", "a\r\n#newpage@\r\nb\r\n#newpage@\r\n"},
                      ScanCase{"LfOnly", "a\n\n#newpage@\nb\n"}, ScanCase{"BreakFirst", "#newpage@\r\nx\r\n"},
                      ScanCase{"BreakLastWithoutLineEnd", "a\r\nb\r\n#newpage@"},
                      ScanCase{"BreakLastWithCrOnly", "a\r\n#newpage@\r"}, ScanCase{"NoBreaks", "a\r\nb\r\n"},
                      ScanCase{"Empty", ""},
                      ScanCase{"LookAlikes", "#newpage@ \r\n #newpage@\r\n#newpage@\r\r\nx#newpage@\r\n#newpage@\r\n"},
                      ScanCase{"LongLinesAcrossBlocks", QByteArray(1024 * 1024 - 5, 'x') + "\r\n#newpage@\r\n"
                                                            + QByteArray(1024 * 1024 + 7, 'y') + "\n\n#newpage@\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Files that do not end where their size says, or cannot be read ---------------

// Files of /sys claim 4096 bytes and give a few: the first read that gives
// nothing is the end, whatever the size says.
TEST(SpoolReaderEnd, AShortReadingFileEndsAtItsLastByte)
{
    const QString path = QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled");
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly) || probe.readAll().size() >= QFileInfo(path).size())
        GTEST_SKIP() << path.toStdString() << " does not read short here";
    SpoolReader in;
    in.open(path);
    int lines = 0;
    while (!in.atEnd() && lines < 100) {
        in.readLineView();
        ++lines;
    }
    EXPECT_EQ(lines, 1);
    EXPECT_THROW(in.readLineView(), Error);
}

// A read that fails (an I/O error) is error 75 naming the file, not an end.
TEST(SpoolReaderEnd, AReadErrorIsSeventyFiveWithThePath)
{
    const QString path = QStringLiteral("/proc/self/mem");
    SpoolReader in(QStringLiteral("Prova"));
    in.open(path);
    try {
        in.atEnd();
        in.readLineView();
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrPathFileAccess);
        EXPECT_TRUE(e.description().contains(path)) << e.description().toStdString();
    }
    EXPECT_THROW(buildPageIndex(path, QStringLiteral("Prova")), Error);
}

TEST_F(FormatFile, AValueExpectedAtTheEndNamesTheLineAfterTheLast)
{
    SpoolReader in;
    in.open(write("1\r\n2\r\n"));
    EXPECT_EQ(in.integer("a"), 1);
    EXPECT_EQ(in.integer("b"), 2);
    EXPECT_TRUE(in.atEnd());
    try {
        in.integer("c");
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrInputPastEnd);
        EXPECT_EQ(e.line(), 3);
    }
}

// --- One limit for the writer and the reader --------------------------------------

struct FitCase
{
    const char *name;
    QString text;
    bool fits;
};

class TextLimit : public FormatFile, public ::testing::WithParamInterface<FitCase>
{};

// What textFits accepts, the reader reads back whole; what it refuses, the
// reader would refuse too (or is within a few bytes of the limit).
TEST_P(TextLimit, TheWriterAcceptsWhatTheReaderReadsBack)
{
    const FitCase &c = GetParam();
    EXPECT_EQ(textFits(c.text), c.fits);
    Record record(TagPrint);
    record.rawLine(c.text);
    record.tag(TagEndPrint);
    SpoolReader in;
    in.open(write(record.bytes()));
    in.readLineView();
    QByteArray collected;
    bool readable = true;
    for (;;) {
        QByteArrayView line;
        try {
            line = in.readLineView();
        } catch (const Error &) {
            readable = false;
            break;
        }
        if (line == QByteArrayView(TagEndPrint))
            break;
        collected += line;
        collected += "\r\n";
    }
    collected.chop(2);
    if (readable)
        readable = collected.size() <= MaxTextBytes;
    EXPECT_EQ(readable, c.fits) << collected.size();
}

const qsizetype Limit = qsizetype(MaxTextBytes);

INSTANTIATE_TEST_SUITE_P(
    Texts, TextLimit,
    ::testing::Values(FitCase{"Short", QStringLiteral("Fattura n. 42"), true},
                      FitCase{"ExactlyTheLimit", QString(Limit, QLatin1Char('x')), true},
                      FitCase{"OneByteOver", QString(Limit + 1, QLatin1Char('x')), false},
                      FitCase{"ThreeLinesOfAThird",
                              QString(Limit / 3 - 2, QLatin1Char('x')) + QStringLiteral("\r\n")
                                  + QString(Limit / 3 - 2, QLatin1Char('y')) + QStringLiteral("\r\n")
                                  + QString(Limit / 3 - 2, QLatin1Char('z')),
                              true},
                      FitCase{"ThreeLinesOfFourMiB",
                              QString(4 << 20, QLatin1Char('x')) + QStringLiteral("\r\n")
                                  + QString(4 << 20, QLatin1Char('y')) + QStringLiteral("\r\n")
                                  + QString(4 << 20, QLatin1Char('z')),
                              false},
                      // A lone LF ends a line as CR LF does, and is collected as CR LF.
                      FitCase{"LoneLineFeedsCountAsCrLf",
                              QString(Limit - 1, QLatin1Char('x')).replace(0, 2, QStringLiteral("\n\n")), false},
                      FitCase{"TwoByteCharactersAtTheLimit", QString(Limit / 2, QChar(0x00E8)), true},
                      FitCase{"TwoByteCharactersOverTheLimit", QString(Limit / 2 + 1, QChar(0x00E8)), false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv::spool
