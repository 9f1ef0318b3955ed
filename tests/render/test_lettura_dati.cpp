// SPDX-License-Identifier: MIT
// The replay of spool files onto a recording target: call order, page
// positioning, text collection, record handlers and errors.
#include "SpoolFixture.h"

#include "render/LetturaDati.h"
#include "spool/SpoolReader.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPicture>

#include <sys/stat.h>

#include <functional>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class Replay : public TempEnvTest
{
protected:
    QString spool(const QStringList &lines, const QString &name = QStringLiteral("qv1.tmp"))
    {
        return writeSpool(env.tempFolder() + name, lines);
    }

    /// 1-based positions of the line after every "#newpage@" line, as the page index stores them.
    static QList<int32_t> pageStarts(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QList<int32_t> starts{1};
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (line == "#newpage@\r\n")
                starts << int32_t(f.pos() + 1);
        }
        return starts;
    }

    Error replayError(DrawTarget &t, const QString &path, int16_t page = 1, int32_t pos = 0)
    {
        try {
            LetturaDati::DisegnaPagina(t, path,
                                       pos ? LetturaDati::PageSpec::at(pos) : LetturaDati::PageSpec::page(page));
        } catch (const Error &e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return Error(0, {}, {});
    }
};

TEST_F(Replay, WorkedExampleMakesTheCallsInOrder)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(workedExample()), LetturaDati::PageSpec::page(1));
    const QString y = QString::number(2880 - RecordingTarget::LetterHeight);
    EXPECT_EQ(t.calls, QStringList({"Cls", "FontName Arial", "FontSize 10", "FontItalic false", "FontBold false",
                                    "FontUnderline false", "FontStrikethru false", "ForeColor 0",
                                    "FontTransparent true", "CurrentX 1440", "CurrentY " + y, "Print Totale",
                                    "DrawMode 13", "DrawStyle 0", "DrawWidth 1", "FillColor 0", "ForeColor 0",
                                    "FillStyle 1", "Line 1440,3000,5760,3600 box"}));
}

TEST_F(Replay, SecondPageOfTheWorkedExampleIsEmpty)
{
    const QString path = spool(workedExample());
    RecordingTarget byCount, byPosition;
    LetturaDati::DisegnaPagina(byCount, path, LetturaDati::PageSpec::page(2));
    LetturaDati::DisegnaPagina(byPosition, path, LetturaDati::PageSpec::at(pageStarts(path).at(1)));
    EXPECT_EQ(byCount.calls, QStringList{"Cls"});
    EXPECT_EQ(byPosition.calls, QStringList{"Cls"});
}

TEST_F(Replay, EmptyPathTouchesNothing)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, QString(), LetturaDati::PageSpec::page(1));
    EXPECT_TRUE(t.calls.isEmpty());
}

TEST_F(Replay, PageBeyondTheLastLeavesTheSurfaceCleared)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(workedExample() + textRecord(10, 300, {"B"})), LetturaDati::PageSpec::page(3));
    EXPECT_EQ(t.calls, QStringList{"Cls"});
}

TEST_F(Replay, EveryPageOnTheSurfaceDrawsAllPagesOverEachOther)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(
        t, spool(textRecord(10, 300, {"A"}) + QStringList{"#newpage@"} + textRecord(10, 300, {"B"})),
        LetturaDati::PageSpec::everyPage());
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "Print A", "Print B"}));
}

// A document of five pages, each with its own records; every page positioned
// by counting and by stored position must draw the same calls.
TEST_F(Replay, CountingStoredPositionAndOneOpenReaderGiveTheSameDrawing)
{
    QStringList lines;
    for (int p = 1; p <= 5; ++p) {
        lines << textRecord(100 * p, 500, {QStringLiteral("Pagina %1").arg(p), "seconda riga"});
        lines << "#line@"
              << "255,13,2,0,0,0" << QStringLiteral("0,%1,100,200,#TRUE#,#TRUE#").arg(p);
        if (p < 5)
            lines << "#newpage@";
    }
    const QString path = spool(lines);
    const QList<int32_t> starts = pageStarts(path);
    ASSERT_EQ(starts.size(), 5);
    for (int16_t p = 1; p <= 5; ++p) {
        RecordingTarget byCount, byPosition;
        LetturaDati::DisegnaPagina(byCount, path, LetturaDati::PageSpec::page(p));
        LetturaDati::DisegnaPagina(byPosition, path, LetturaDati::PageSpec::at(starts.at(p - 1)));
        EXPECT_EQ(byCount.calls, byPosition.calls) << "page " << p;
        EXPECT_THAT(byCount.drawing(), ElementsAre("Cls", QStringLiteral("Print Pagina %1|seconda riga").arg(p),
                                                   QStringLiteral("Line 0,%1,100,200 filled").arg(p)));
    }
    // A print job draws its pages through one reader, left wherever the
    // page before ended: pages out of order and again come out the same.
    spool::SpoolReader reader(QStringLiteral("Stampa"));
    reader.open(path);
    for (const int16_t p : {5, 2, 1, 4, 4, 3, 1}) {
        RecordingTarget own, shared, sharedByCount;
        LetturaDati::DisegnaPagina(own, path, LetturaDati::PageSpec::page(p));
        LetturaDati::DisegnaPagina(shared, reader, LetturaDati::PageSpec::at(starts.at(p - 1)));
        LetturaDati::DisegnaPagina(sharedByCount, reader, LetturaDati::PageSpec::page(p));
        EXPECT_EQ(shared.calls, own.calls) << "page " << p;
        EXPECT_EQ(sharedByCount.calls, own.calls) << "page " << p;
    }
}

TEST_F(Replay, PageBreakInsideATextCountsWhenCountingButIsTextInTheLoop)
{
    const QString path = spool(textRecord(0, 300, {"uno", "#newpage@", "due"}) + textRecord(0, 600, {"tre"}));
    RecordingTarget page1;
    LetturaDati::DisegnaPagina(page1, path, LetturaDati::PageSpec::page(1));
    EXPECT_EQ(page1.drawing(), QStringList({"Cls", "Print uno|#newpage@|due", "Print tre"}));
    // Counting takes the text line for a page break: page 2 starts after it;
    // "due" and "#endprint@" are then no tags and are skipped.
    RecordingTarget page2;
    LetturaDati::DisegnaPagina(page2, path, LetturaDati::PageSpec::page(2));
    EXPECT_EQ(page2.drawing(), QStringList({"Cls", "Print tre"}));
}

TEST_F(Replay, EndPrintInsideATextEndsItAndTheRestIsSkipped)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(textRecord(0, 300, {"A", "#endprint@", "B"}) + textRecord(0, 600, {"C"})),
                               LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "Print A", "Print C"}));
}

struct TextCase
{
    QStringList lines;
    QString printed;
};

class TextCollection : public Replay, public ::testing::WithParamInterface<TextCase>
{};

TEST_P(TextCollection, JoinsLinesWithCrLf)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(textRecord(0, 300, GetParam().lines)), LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "Print " + GetParam().printed}));
}

INSTANTIATE_TEST_SUITE_P(Texts, TextCollection,
                         ::testing::Values(TextCase{{"AB"}, "AB"}, TextCase{{"A", "B"}, "A|B"}, TextCase{{""}, "|"},
                                           TextCase{{}, ""}, TextCase{{"x, \"y\""}, "x, \"y\""},
                                           TextCase{{"àèìòù €"}, "àèìòù €"}));

TEST_F(Replay, SmallFontSizeIsSetBeforeAndAfterTheName)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(textRecord(0, 300, {"x"}, 6)), LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.calls.mid(1, 3), QStringList({"FontSize 6", "FontName Arial", "FontSize 6"}));
    RecordingTarget big;
    LetturaDati::DisegnaPagina(big, spool(textRecord(0, 300, {"x"}, 8)), LetturaDati::PageSpec::page(1));
    EXPECT_EQ(big.calls.mid(1, 2), QStringList({"FontName Arial", "FontSize 8"}));
}

TEST_F(Replay, RecordsOfEveryKind)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = env.tempFolder() + "qvm1.tmp";
    ASSERT_TRUE(image.save(picture, "PNG"));
    RecordingTarget t;
    LetturaDati::DisegnaPagina(
        t,
        spool({"#line@", "0,13,1,0,0,1", "1,2,3,4,#FALSE#,#TRUE#",        // pieno without rettangolo: a line
               "#pset@", "65280,13,3,0,0,1", "7,8",                       // a point in its own colour
               "#circle@", "16711680,13,1,0,0,1", "100,200,50,-1,2,2,1",  // -1: the pen colour
               "#circle@", "0,13,1,0,0,1", "100,200,50,255,-.5,-1.5,0.5", // an explicit red pie
               "garbage line", "",                                        // no tags: skipped
               "#paint@", "\"" + picture + "\",10,20,300,400"}),
        LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.drawing(),
              QStringList({"Cls", "Line 1,2,3,4 line", "PSet 7,8 65280", "Circle 100,200 r50 c16711680 2 2 a1",
                           "Circle 100,200 r50 c255 -0.5 -1.5 a0.5", "PaintPicture 4x3 at 10,20 300x400"}));
    // The stroke attributes are set in their fixed order before each figure.
    const int pset = int(t.calls.indexOf("PSet 7,8 65280"));
    EXPECT_EQ(t.calls.mid(pset - 6, 6), QStringList({"DrawMode 13", "DrawStyle 0", "DrawWidth 3", "FillColor 0",
                                                     "ForeColor 65280", "FillStyle 1"}));
}

TEST_F(Replay, ValuesMayWrapAcrossLinesAndUseAnyNumberNotation)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t,
                               spool({"#line@", "0,13", "1,0,", "0,1", "1.44E+03,.5,-0.25,2e1,#TRUE#,#FALSE#", "#pset@",
                                      "0,13,1,0,0,1", "+3.,  4 "}),
                               LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "Line 1440,0.5,-0.25,20 box", "PSet 3,4 0"}));
}

// A record's values are one stream across line ends: wherever the lines
// break, the record replays the same. Values left over on a line are read by
// the next record's fields; the rest of a line is then no tag and skipped.
struct LayoutCase
{
    const char *name;
    QStringList lines;
    QStringList drawing;
};

class ValueLayouts : public Replay, public ::testing::WithParamInterface<LayoutCase>
{};

TEST_P(ValueLayouts, ReplayAsOneStream)
{
    RecordingTarget t;
    LetturaDati::DisegnaPagina(t, spool(GetParam().lines), LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.drawing(), QStringList{"Cls"} + GetParam().drawing);
}

const QStringList LineFrom1440 = {"Line 1440,1440,5000,1440 line"};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ValueLayouts,
    ::testing::Values(
        LayoutCase{
            "GroupsOnTheirOwnLines", {"#line@", "0,13,1,0,0,1", "1440,1440,5000,1440,#FALSE#,#FALSE#"}, LineFrom1440},
        LayoutCase{"StrokeLineRunsOn", {"#line@", "0,13,1,0,0,1,1440", "1440,5000,1440,#FALSE#,#FALSE#"}, LineFrom1440},
        LayoutCase{"AllOnOneLine", {"#line@", "0,13,1,0,0,1,1440,1440,5000,1440,#FALSE#,#FALSE#"}, LineFrom1440},
        LayoutCase{"OneValuePerLine",
                   {"#line@", "0", "13", "1", "0", "0", "1", "1440", "1440", "5000", "1440", "#FALSE#", "#FALSE#"},
                   LineFrom1440},
        LayoutCase{
            "FontAndPositionOnOneLine",
            {"#print@", "\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#,1440,2880", "Totale", "#endprint@"},
            {"Print Totale"}},
        LayoutCase{"LeftOverValuesFeedTheNextFields",
                   {"#pset@", "0,13,1,0,0,1,99", "5,6,7", "#pset@", "0,13,1,0,0,1", "8,9"},
                   {"PSet 99,5 0", "PSet 8,9 0"}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Errors -------------------------------------------------------------------

struct ErrorCase
{
    const char *name;
    QStringList lines;
    int number;
    const char *where; ///< part of the description: the line and what was expected
};

class ReplayErrors : public Replay, public ::testing::WithParamInterface<ErrorCase>
{};

TEST_P(ReplayErrors, NameTheLineAndKeepWhatWasDrawn)
{
    const ErrorCase &c = GetParam();
    RecordingTarget t;
    // A first record that draws, then the bad one.
    const QString path = spool(QStringList{"#pset@", "0,13,1,0,0,1", "1,1"} + c.lines);
    const Error e = replayError(t, path);
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), "DisegnaPagina");
    EXPECT_THAT(e.description().toStdString(), HasSubstr(c.where));
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "PSet 1,1 0"}));
    // The file was closed: it can be removed and rewritten at once.
    EXPECT_TRUE(QFile::remove(path));
}

INSTANTIATE_TEST_SUITE_P(
    Bad, ReplayErrors,
    ::testing::Values(
        ErrorCase{"TextWithoutEnd",
                  {"#print@", "\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#", "1,2", "testo"},
                  62,
                  "riga 8: fine del file inattesa, atteso \"#endprint@\""},
        ErrorCase{"RecordCutShort",
                  {"#line@", "0,13,1,0,0,1", "1,2,3"},
                  62,
                  "riga 7: fine del file inattesa, atteso il valore y2"},
        ErrorCase{"NotANumber",
                  {"#line@", "0,13,abc,0,0,1", "1,2,3,4,#TRUE#,#TRUE#"},
                  13,
                  "riga 5: atteso un numero per DrawWidth, trovato \"abc\""},
        ErrorCase{"NaN", {"#pset@", "0,13,1,0,0,1", "nan,1"}, 13, "riga 6: atteso un numero per x"},
        ErrorCase{"Infinity", {"#pset@", "0,13,1,0,0,1", "1,-inf"}, 13, "riga 6: atteso un numero per y"},
        ErrorCase{"DecimalComma", {"#pset@", "0,13,1,0,0,1", "1;5,2"}, 13, "per x"},
        ErrorCase{"HugeFloat",
                  {"#pset@", "0,13,1,0,0,1", "1e39,2"},
                  6,
                  "riga 6: valore fuori dall'intervallo a 32 bit per x"},
        ErrorCase{"HugeDouble", {"#pset@", "0,13,1,0,0,1", "1e999,2"}, 6, "riga 6: valore fuori dall'intervallo"},
        ErrorCase{"HugeInteger", {"#pset@", "9999999999,13,1,0,0,1", "1,2"}, 6, "riga 5: valore intero fuori"},
        ErrorCase{"NotABoolean",
                  {"#line@", "0,13,1,0,0,1", "1,2,3,4,#VERO#,#TRUE#"},
                  13,
                  "riga 6: atteso #TRUE# o #FALSE# per rettangolo"},
        ErrorCase{"UnclosedQuote", {"#paint@", "\"/tmp/x,1,2,3,4"}, 13, "riga 5: testo senza virgolette"},
        ErrorCase{"MissingPicture",
                  {"#paint@", "\"/nonexistent/qvm.tmp\",1,2,3,4"},
                  53,
                  "riga 5: immagine non caricabile \"/nonexistent/qvm.tmp\""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Replay, PictureFileThatHoldsNoPictureIsAnError)
{
    const QString notPicture = spool({"just text"}, "qvm2.tmp");
    RecordingTarget t;
    const Error e = replayError(t, spool({"#paint@", "\"" + notPicture + "\",1,2,3,4"}));
    EXPECT_EQ(e.number(), 481);
    EXPECT_THAT(e.description().toStdString(), HasSubstr("riga 2: immagine non caricabile"));
}

TEST_F(Replay, MissingSpoolFileIsErrorFiftyThreeAfterTheClear)
{
    RecordingTarget t;
    const Error e = replayError(t, env.tempFolder() + "gone.tmp");
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.source(), "DisegnaPagina");
    EXPECT_EQ(t.calls, QStringList{"Cls"});
}

TEST_F(Replay, ErrorOnAPageFoundByCountingNamesTheFileAndItsLine)
{
    // Page 2 is found by the page-start scan; its line numbers still count
    // from the start of the file.
    const QString path = spool(workedExample() + QStringList{"#pset@", "0,13,1,0,0,1", "x,1"});
    RecordingTarget t;
    const Error e = replayError(t, path, 2);
    EXPECT_EQ(e.number(), 13);
    EXPECT_EQ(e.file(), path);
    EXPECT_EQ(e.line(), 12);
    EXPECT_THAT(e.description().toStdString(), HasSubstr("riga 12: atteso un numero per x"));
    EXPECT_THAT(e.description().toStdString(), HasSubstr(path.toStdString()));
}

TEST_F(Replay, ErrorThroughAnOpenReaderIsTheReplaysAndTheReaderGoesOn)
{
    const QString path = spool(workedExample() + QStringList{"#pset@", "0,13,1,0,0,1", "x,1"});
    spool::SpoolReader reader(QStringLiteral("Stampa"));
    reader.open(path);
    RecordingTarget t;
    try {
        LetturaDati::DisegnaPagina(t, reader, LetturaDati::PageSpec::page(2));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.source(), "DisegnaPagina");
        EXPECT_EQ(e.line(), 12);
    }
    RecordingTarget first;
    LetturaDati::DisegnaPagina(first, reader, LetturaDati::PageSpec::page(1));
    EXPECT_THAT(first.drawing(), ElementsAre("Cls", "Print Totale", "Line 1440,3000,5760,3600 box"));
}

TEST_F(Replay, ErrorAfterAStoredPositionNamesTheLineFromThere)
{
    const QString path = spool(workedExample() + QStringList{"#pset@", "0,13,1,0,0,1", "x,1"});
    RecordingTarget t;
    const int32_t start = pageStarts(path).at(1);
    const Error e = replayError(t, path, 2, start);
    EXPECT_THAT(e.description().toStdString(),
                HasSubstr(QStringLiteral("riga 3 dalla posizione %1").arg(start).toStdString()));
    EXPECT_EQ(replayError(t, path, 2, -5).number(), 63);
}

} // namespace

namespace {

TEST_F(Replay, LineLongerThanEightMebibytesIsAnErrorNotAnAllocation)
{
    const QString path = env.tempFolder() + "qvlong.tmp";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#pset@\r\n0,13,1,0,0,1\r\n1,1\r\n#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#"
                "\r\n1,2\r\n");
        f.write(QByteArray(spool::MaxLineBytes + 10, 'x'));
        f.write("\r\n#endprint@\r\n");
    }
    RecordingTarget t;
    const Error e = replayError(t, path);
    EXPECT_EQ(e.number(), 62);
    EXPECT_THAT(e.description().toStdString(), HasSubstr("riga 7"));
    EXPECT_EQ(t.drawing(), QStringList({"Cls", "PSet 1,1 0"}));
}

TEST_F(Replay, LineOfExactlyTheLimitIsRead)
{
    const QString path = env.tempFolder() + "qvlimit.tmp";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1,2\r\n");
        f.write(QByteArray(spool::MaxLineBytes, 'x'));
        f.write("\r\n#endprint@\r\n");
    }
    struct Lengths : RecordingTarget
    {
        qsizetype printed = -1;
        void Print(const QString &text) override { printed = text.size(); }
    } t;
    LetturaDati::DisegnaPagina(t, path, LetturaDati::PageSpec::page(1));
    EXPECT_EQ(t.printed, spool::MaxLineBytes);
}

// --- Picture files ----------------------------------------------------------------

namespace pictures {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage redImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

QByteArray qpicture()
{
    QPicture picture;
    {
        QPainter painter(&picture);
        painter.fillRect(0, 0, 40, 20, Qt::red);
        painter.drawText(5, 15, QStringLiteral("QPIC"));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer);
    return bytes;
}

const QByteArray Svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20mm\" "
                       "height=\"10mm\" viewBox=\"0 0 20 10\"><rect width=\"20\" height=\"10\" fill=\"red\"/></svg>";

} // namespace pictures

/// A target that keeps every picture it is asked to paint.
class PictureTarget : public RecordingTarget
{
public:
    void PaintPicture(const PictureData &p, double x, double y, double w, double h) override
    {
        painted.push_back(p);
        RecordingTarget::PaintPicture(p, x, y, w, h);
    }
    std::vector<PictureData> painted;
};

struct PictureCase
{
    const char *name;
    std::function<QByteArray()> content;
    int number;      ///< 0: painted
    const char *why; ///< part of the error's description, or "vector" / "raster"
};

void PrintTo(const PictureCase &c, std::ostream *os)
{
    *os << c.name;
}

class PictureFiles : public Replay, public ::testing::WithParamInterface<PictureCase>
{};

TEST_P(PictureFiles, OnlyRasterImagesAndSelfContainedSvgArePainted)
{
    const PictureCase &c = GetParam();
    const QString picture = env.tempFolder() + QStringLiteral("qvm1.tmp");
    test::writeAll(picture, c.content());
    PictureTarget t;
    const QString path = spool({"#paint@", "\"" + picture + "\",10,20,1440,720"});
    if (c.number == 0) {
        LetturaDati::DisegnaPagina(t, path, LetturaDati::PageSpec::page(1));
        ASSERT_EQ(t.painted.size(), 1u);
        EXPECT_FALSE(t.painted[0].isNull());
        EXPECT_EQ(t.painted[0].isVector(), std::string(c.why) == "vector");
        return;
    }
    const Error e = replayError(t, path);
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.line(), 2);
    EXPECT_THAT(e.description().toStdString(), HasSubstr(picture.toStdString()));
    EXPECT_THAT(e.description().toStdString(), HasSubstr(c.why));
    EXPECT_TRUE(t.painted.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Replay, PictureFiles,
    ::testing::Values(
        PictureCase{"Png", [] { return pictures::encoded(pictures::redImage(4, 3), "PNG"); }, 0, "raster"},
        PictureCase{"Bmp", [] { return pictures::encoded(pictures::redImage(4, 3), "BMP"); }, 0, "raster"},
        PictureCase{"Svg", [] { return pictures::Svg; }, 0, "vector"},
        PictureCase{"SvgWithByteOrderMark", [] { return "\xEF\xBB\xBF" + pictures::Svg; }, 0, "vector"},
        PictureCase{"QPicture", [] { return pictures::qpicture(); }, 481, "dati QPicture non ammessi"},
        PictureCase{"MutatedQPicture",
                    [] {
                        QByteArray bytes = pictures::qpicture();
                        for (qsizetype i = 12; i < bytes.size(); i += 7)
                            bytes[i] = char(0xFF);
                        return bytes;
                    },
                    481, "dati QPicture non ammessi"},
        PictureCase{"BrokenSvg", [] { return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect"); }, 481,
                    "documento SVG non valido"},
        PictureCase{"SvgNamingAnotherFile",
                    [] {
                        return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                          "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"10\" height=\"10\">"
                                          "<image xlink:href=\"/dev/zero\" width=\"10\" height=\"10\"/></svg>");
                    },
                    481, "riferimento esterno non ammesso: \"/dev/zero\""},
        PictureCase{"OtherImageFormat", [] { return pictures::encoded(pictures::redImage(4, 3), "XPM"); }, 481,
                    "formato non ammesso"},
        PictureCase{"Garbage", [] { return QByteArray(300, '\x07'); }, 481, "nessuna immagine"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Replay, PictureInAPipeIsRefusedWithoutWaiting)
{
    const QString fifo = env.tempFolder() + QStringLiteral("qvm-pipe.tmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    PictureTarget t;
    const Error e = replayError(t, spool({"#paint@", "\"" + fifo + "\",1,2,3,4"}));
    EXPECT_EQ(e.number(), 481);
    EXPECT_THAT(e.description().toStdString(), HasSubstr("non è un file"));
}

TEST_F(Replay, APictureFileIsDecodedOncePerPageAndSize)
{
    const QString picture = test::writeAll(env.tempFolder() + QStringLiteral("qvm1.tmp"),
                                           pictures::encoded(pictures::redImage(30, 20), "PNG"));
    const QString record = "\"" + picture + "\",0,0,1440,720";
    PictureTarget t;
    LetturaDati::DisegnaPagina(t,
                               spool({"#paint@", record, "#paint@", record, "#paint@", "\"" + picture + "\",0,0,20,20",
                                      "#newpage@", "#paint@", record}),
                               LetturaDati::PageSpec::everyPage());
    ASSERT_EQ(t.painted.size(), 4u);
    EXPECT_EQ(t.painted[0].identity(), t.painted[1].identity());
    EXPECT_NE(t.painted[0].identity(), t.painted[2].identity()); // drawn smaller: decoded at its own size
    EXPECT_EQ(t.painted[2].image().size(), QSize(9, 9));         // 20 twips at 600 dpi
    EXPECT_NE(t.painted[0].identity(), t.painted[3].identity()); // the next page decodes anew
}

TEST_F(Replay, LargePicturesAreDecodedAtMostAtPrintResolution)
{
    const QString picture = test::writeAll(env.tempFolder() + QStringLiteral("qvm1.tmp"),
                                           pictures::encoded(pictures::redImage(3000, 1500), "PNG"));
    PictureTarget t;
    // One inch by half an inch: 600 x 300 pixels; ten inches: the whole image.
    LetturaDati::DisegnaPagina(
        t, spool({"#paint@", "\"" + picture + "\",0,0,1440,720", "#paint@", "\"" + picture + "\",0,0,14400,7200"}),
        LetturaDati::PageSpec::page(1));
    ASSERT_EQ(t.painted.size(), 2u);
    EXPECT_EQ(t.painted[0].image().size(), QSize(600, 300));
    EXPECT_EQ(t.painted[1].image().size(), QSize(3000, 1500));
}

} // namespace
