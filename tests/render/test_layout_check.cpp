// SPDX-License-Identifier: MIT
// The layout check: where records land against a page's two areas, fields
// that cut or overflow, unreadable pictures, replaced faces, and a check
// that stops at an error or when told to.
#include "SpoolFixture.h"

#include "render/LayoutCheck.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QFontDatabase>

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

// A4 portrait, margins 1 cm left and right, 1.5 cm top and bottom: the
// printable area is 10771.65 x 15137 twips from (566.93, 850.39) on the paper.
const QString A4Margins = QStringLiteral("11905.51,16837.79,0,566.9291,850.3937,566.9291,850.3937");
constexpr double PrintableWidth = 11905.51 - 2 * 566.9291;
constexpr double PrintableHeight = 16837.79 - 2 * 850.3937;

QStringList line(double x1, double y1, double x2, double y2, bool box = false)
{
    return {QStringLiteral("#line@"), QStringLiteral("0,13,1,0,0,1"),
            QStringLiteral("%1,%2,%3,%4,%5,#FALSE#").arg(x1).arg(y1).arg(x2).arg(y2).arg(box ? "#TRUE#" : "#FALSE#")};
}

QStringList page(const QStringList &records)
{
    return QStringList{QStringLiteral("#page@"), A4Margins} + records;
}

/// The findings of \a check other than replaced fonts (which depend on the
/// machine's fonts), as "page:line:kind".
QStringList placed(const LayoutCheck &check)
{
    QStringList out;
    for (const LayoutFinding &f : check.findings)
        if (f.kind != LayoutFinding::FontSubstituted)
            out << QStringLiteral("%1:%2:%3").arg(f.page).arg(f.line).arg(int(f.kind));
    return out;
}

class LayoutChecking : public TempEnvTest
{
protected:
    LayoutChecking() { TempEnv::noPrinters(); }
    LayoutCheck check(const QStringList &lines) { return checkLayout(writeSpool(env.tempFolder() + "qv1.tmp", lines)); }
};

struct PlaceCase
{
    const char *name;
    QStringList record; ///< one record at line 3, after the page layout
    int kind;           ///< the finding expected, -1 none
};

void PrintTo(const PlaceCase &c, std::ostream *os)
{
    *os << c.name;
}

class Placement : public LayoutChecking, public ::testing::WithParamInterface<PlaceCase>
{};

TEST_P(Placement, FindsWhereTheRecordLies)
{
    const LayoutCheck found = check(page(GetParam().record));
    ASSERT_FALSE(found.error) << found.error->what();
    EXPECT_EQ(found.pages, 1);
    const QStringList expected =
        GetParam().kind < 0 ? QStringList() : QStringList{QStringLiteral("1:3:%1").arg(GetParam().kind)};
    EXPECT_EQ(placed(found), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, Placement,
    ::testing::Values(
        PlaceCase{"LineInside", line(100, 100, 5000, 100), -1},
        PlaceCase{"BoxToTheEdges", line(0, 0, PrintableWidth, PrintableHeight, true), -1},
        PlaceCase{"LineIntoTheRightMargin", line(100, 100, 11000, 100), LayoutFinding::OutsidePrintable},
        PlaceCase{"LineBeyondThePaper", line(100, 100, 12000, 100), LayoutFinding::OffPage},
        PlaceCase{"BoxIntoTheTopMargin", line(100, -500, 900, 200, true), LayoutFinding::OutsidePrintable},
        PlaceCase{"BoxAboveThePaper", line(100, -1000, 900, 200, true), LayoutFinding::OffPage},
        PlaceCase{"PointInTheLeftMargin",
                  {QStringLiteral("#pset@"), QStringLiteral("0,13,1,0,0,1"), QStringLiteral("-300,100")},
                  LayoutFinding::OutsidePrintable},
        PlaceCase{"CircleAcrossTheLeftEdge",
                  {QStringLiteral("#circle@"), QStringLiteral("0,13,1,0,0,1"), QStringLiteral("100,1000,300,-1,0,0,1")},
                  LayoutFinding::OutsidePrintable},
        // A flat ellipse (aspect 0.1) is only 30 twips high: it stays inside.
        PlaceCase{"FlatEllipseInside",
                  {QStringLiteral("#circle@"), QStringLiteral("0,13,1,0,0,1"), QStringLiteral("400,50,300,-1,0,0,0.1")},
                  -1},
        PlaceCase{"TextRunningIntoTheMargin", textRecord(PrintableWidth - 100, 2000, {QStringLiteral("Tot")}),
                  LayoutFinding::OutsidePrintable},
        PlaceCase{"TextBelowThePaper", textRecord(1440, 17000, {QStringLiteral("Totale")}), LayoutFinding::OffPage},
        PlaceCase{"TextInside", textRecord(1440, 2880, {QStringLiteral("Totale")}), -1}));

TEST_F(LayoutChecking, APageWithoutLayoutIsThePrintersPage)
{
    // No printer: the default page, 11520 x 15872 twips without margins.
    const LayoutCheck found = check(line(0, 0, 11520, 15872, true) + line(0, 0, 11600, 100));
    EXPECT_EQ(placed(found), QStringList{QStringLiteral("1:4:%1").arg(int(LayoutFinding::OffPage))});
}

TEST_F(LayoutChecking, FieldsThatCutOrOverflowTheirText)
{
    const QStringList field{QStringLiteral("#field@"), QStringLiteral("1440,100,6")};
    const QStringList wide{QStringLiteral("#field@"), QStringLiteral("1440,100000,0")};
    const LayoutCheck found =
        check(page(field + textRecord(1440, 2000, {QStringLiteral("Descrizione dell'articolo")})    // cut and too wide
                   + wide + textRecord(1440, 2500, {QStringLiteral("Descrizione")})                 // fits
                   + textRecord(1440, 3000, {QStringLiteral("Descrizione dell'articolo lunga")}))); // no field
    EXPECT_EQ(placed(found), (QStringList{QStringLiteral("1:5:%1").arg(int(LayoutFinding::TextCut)),
                                          QStringLiteral("1:5:%1").arg(int(LayoutFinding::TextOverflow))}));
    ASSERT_GE(found.findings.size(), 2);
    const LayoutFinding &cut = found.findings[0];
    EXPECT_EQ(cut.place.left(), 1440);
    EXPECT_EQ(cut.place.width(), 100);
    EXPECT_TRUE(cut.text.contains(QStringLiteral("6 caratteri"))) << qPrintable(cut.text);
}

TEST_F(LayoutChecking, AFieldRecordOfNoWidthIsAnError)
{
    for (const char *values : {"1440,-5,0", "1440,100,-1"}) {
        const LayoutCheck found = check(page({QStringLiteral("#field@"), QLatin1String(values)}));
        ASSERT_TRUE(found.error) << values;
        EXPECT_EQ(found.error->number(), 6) << values;
        EXPECT_EQ(found.error->line(), 4) << values;
    }
}

TEST_F(LayoutChecking, AnUnreadablePictureIsListedAndTheCheckGoesOn)
{
    const QString missing = env.tempFolder() + "qvm-missing.png";
    const QString broken = writeAll(env.tempFolder() + "qvm-broken.png", "not a picture");
    const LayoutCheck found =
        check(page(QStringList{QStringLiteral("#paint@"), QStringLiteral("\"%1\",100,100,1000,1000").arg(missing),
                               QStringLiteral("#paint@"), QStringLiteral("\"%1\",100,100,1000,1000").arg(broken)}
                   + line(0, 0, 20000, 0)));
    ASSERT_FALSE(found.error) << found.error->what();
    EXPECT_EQ(placed(found), (QStringList{QStringLiteral("1:3:%1").arg(int(LayoutFinding::PictureUnreadable)),
                                          QStringLiteral("1:5:%1").arg(int(LayoutFinding::PictureUnreadable)),
                                          QStringLiteral("1:7:%1").arg(int(LayoutFinding::OffPage))}));
    EXPECT_EQ(found.findings[0].place, QRectF(100, 100, 1000, 1000));
    EXPECT_TRUE(found.findings[0].text.contains(missing)) << qPrintable(found.findings[0].text);
}

TEST_F(LayoutChecking, AReplacedFaceIsToldOncePerPage)
{
    const QStringList font{QStringLiteral("#print@"),
                           QStringLiteral("\"Nessun Carattere QV\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#"),
                           QStringLiteral("1440,2000"), QStringLiteral("Ciao"), QStringLiteral("#endprint@")};
    const LayoutCheck found = check(font + font + QStringList{QStringLiteral("#newpage@")} + font);
    QList<int> pages;
    for (const LayoutFinding &f : found.findings) {
        ASSERT_EQ(f.kind, LayoutFinding::FontSubstituted);
        EXPECT_EQ(f.fontAsked, QStringLiteral("Nessun Carattere QV"));
        EXPECT_FALSE(f.fontUsed.isEmpty());
        pages << f.page;
    }
    EXPECT_EQ(pages, (QList<int>{1, 2}));
    // A face that is there is no finding, nor one drawn with a face made to
    // its metrics.
    const QStringList families = QFontDatabase::families();
    for (const QString &present : {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}) {
        if (families.contains(present)) {
            EXPECT_EQ(substitutedFace(present, false, false), QString()) << qPrintable(present);
        }
    }
    if (families.contains(QStringLiteral("Liberation Sans")) && !families.contains(QStringLiteral("Arial"))) {
        EXPECT_EQ(substitutedFace(QStringLiteral("Arial"), true, false), QString());
    }
}

TEST_F(LayoutChecking, StopsAtAnErrorWithWhatItFoundBefore)
{
    const LayoutCheck found = check(line(0, 0, 20000, 0)
                                    + QStringList{QStringLiteral("#newpage@"), QStringLiteral("#line@"),
                                                  QStringLiteral("0,13,1,0,0,1"), QStringLiteral("1,2,tre")});
    ASSERT_TRUE(found.error);
    EXPECT_EQ(found.error->line(), 7);
    EXPECT_EQ(placed(found), QStringList{QStringLiteral("1:1:%1").arg(int(LayoutFinding::OffPage))});
    EXPECT_FALSE(found.clean());
}

TEST_F(LayoutChecking, StopsWhenTold)
{
    QStringList pages;
    for (int i = 0; i < 10; ++i)
        pages << line(0, 0, 20000, 0) << QStringLiteral("#newpage@");
    QList<int> told;
    const LayoutCheck found = checkLayout(writeSpool(env.tempFolder() + "qv1.tmp", pages), [&](int32_t p) {
        told << p;
        return p < 3;
    });
    EXPECT_TRUE(found.cancelled);
    EXPECT_EQ(told, (QList<int>{1, 2, 3}));
    EXPECT_EQ(placed(found).size(), 2);
}

TEST_F(LayoutChecking, TheControlRecordsItsFieldsOnlyWhenAsked)
{
    // By default a fitted text is a plain text record, as readers of the
    // plain format expect.
    {
        PrintPreview plain;
        ASSERT_FALSE(plain.fieldsRecorded());
        const float fits = plain.TextWidth(QStringLiteral("alfa beta")) + 1;
        ASSERT_EQ(plain.StampaCampo(100, 300, QStringLiteral("alfa beta gamma"), fits, PP_Sinistra, true), 10);
        EXPECT_FALSE(test::readAll(plain.spoolPath()).contains("#field@"));
        plain.AnnullaStampa();
    }
    PrintPreview pp;
    pp.setFieldsRecorded(true);
    const float fits = pp.TextWidth(QStringLiteral("alfa beta")) + 1;
    ASSERT_EQ(pp.StampaCampo(100, 300, QStringLiteral("alfa beta gamma"), fits, PP_Sinistra, true), 10);
    ASSERT_EQ(pp.StampaCampo(100, 600, QStringLiteral("alfa"), fits, PP_Sinistra, true), 4);
    // A block's lines wrap by design: no line of it is a cut.
    int16_t lines = 0;
    float spacing = 0;
    pp.StampaCampoMultilinea(100, 900, QStringLiteral("alfa beta gamma delta"), fits, PP_Sinistra, lines, spacing);
    ASSERT_GE(pp.lastBlockLines(), 2);
    const LayoutCheck found = checkLayout(pp.spoolPath());
    ASSERT_FALSE(found.error) << found.error->what();
    EXPECT_EQ(placed(found), QStringList{QStringLiteral("1:3:%1").arg(int(LayoutFinding::TextCut))});
    EXPECT_TRUE(found.findings.value(0).text.contains(QStringLiteral("5 caratteri")))
        << qPrintable(found.findings.value(0).text);
    pp.AnnullaStampa();
}

TEST(LayoutOutline, MapsTwipsOntoThePageAsShown)
{
    // A page of 1440 x 2880 twips shown at (10, 20), 144 x 288 pixels.
    EXPECT_EQ(findingOnPage(QRectF(720, 1440, 144, 288), QRectF(10, 20, 144, 288), 1440, 2880),
              QRectF(82, 164, 14.4, 28.8));
    EXPECT_EQ(findingOnPage(QRectF(1, 1, 1, 1), QRectF(0, 0, 10, 10), 0, 100), QRectF());
}

} // namespace
