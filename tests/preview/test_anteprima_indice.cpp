// SPDX-License-Identifier: MIT
// The page index scan gives the same positions as reading the file line by
// line with the replay's reader, whatever the line ends and block borders.
#include "spool/SpoolReader.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/Error.h>

#include <QFile>

#include <gtest/gtest.h>

namespace qv {
namespace {

/// The index as the line reader sees it.
QVector<qint64> perRighe(const QString &path, int32_t pagine)
{
    QVector<qint64> pos(pagine + 1, 0);
    pos[0] = 1;
    spool::SpoolReader reader;
    reader.open(path);
    int n = 0;
    while (!reader.atEnd()) {
        if (reader.readLineView() == QByteArrayView("#newpage@") && ++n <= pagine)
            pos[n] = reader.position();
    }
    return pos;
}

class IndiceTest : public test::TempEnvTest
{
protected:
    QString scrivi(const QByteArray &bytes)
    {
        return test::writeAll(env.tempFolder() + QStringLiteral("indice.tmp"), bytes);
    }
};

struct Caso
{
    const char *name;
    QByteArray bytes;
    int pagine;
};

class IndiceCasi : public IndiceTest, public ::testing::WithParamInterface<Caso>
{};

TEST_P(IndiceCasi, MatchesTheLineReader)
{
    const Caso &c = GetParam();
    const QString path = scrivi(c.bytes);
    EXPECT_EQ(test::indiceFinestra(path, c.pagine), perRighe(path, c.pagine));
}

INSTANTIATE_TEST_SUITE_P(
    Files, IndiceCasi,
    ::testing::Values(Caso{"crlf", "a\r\n#newpage@\r\nb\r\n#newpage@\r\n", 3}, Caso{"lfOnly", "a\n#newpage@\nb\n", 2},
                      Caso{"firstRecordIsABreak", "#newpage@\r\nx\r\n", 2},
                      Caso{"lastLineWithoutLineEnd", "a\r\n#newpage@", 2},
                      Caso{"lastLineWithCrOnly", "a\r\n#newpage@\r", 2},
                      Caso{"tagWithTrailingBlankIsNoBreak", "#newpage@ \r\n#newpage@\r\r\n #newpage@\r\n", 2},
                      Caso{"textLineThatReadsLikeABreakCounts", "#print@\r\nf\r\n1,2\r\n#newpage@\r\n#endprint@\r\n",
                           2},
                      Caso{"fewerBreaksThanPages", "a\r\n#newpage@\r\n", 4}, Caso{"emptyFile", "", 2},
                      Caso{"twelveBytes", "#newpage@\r\nx", 2},
                      Caso{"breakAfterLoneCrIsNoLineStart", "a\r#newpage@\r\n#newpage@\n", 3},
                      Caso{"onlyBreaks", "#newpage@\r\n#newpage@\r\n#newpage@\r\n", 4}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(IndiceTest, BreaksAcrossBlockBorders)
{
    // Place a page break line across the 1 MiB block border at every offset
    // around it, and a very long line before another break.
    for (int shift : {-11, -10, -9, -6, -1, 0, 1}) {
        QByteArray bytes(1024 * 1024 + shift, 'x');
        bytes += "\r\n#newpage@\r\n";
        bytes += QByteArray(1024 * 1024 + 512 * 1024, 'y') + "\r\n#newpage@\r\nend\r\n";
        const QString path = scrivi(bytes);
        const QVector<qint64> expected = perRighe(path, 3);
        ASSERT_EQ(test::indiceFinestra(path, 3), expected) << "shift " << shift;
        ASSERT_NE(expected[1], 0);
        ASSERT_NE(expected[2], 0);
    }
}

TEST_F(IndiceTest, InvoiceDocumentPositionsLandOnPageStarts)
{
    const QString path = env.tempFolder() + QStringLiteral("fattura.tmp");
    ASSERT_TRUE(test::scriviDocumento(path, 8, true, 3));
    const QVector<qint64> pos = test::indiceFinestra(path, 8);
    EXPECT_EQ(pos, perRighe(path, 8));
    spool::SpoolReader reader;
    reader.open(path);
    reader.seek(pos[7]);
    EXPECT_EQ(reader.readLine(), QStringLiteral("#print@"));
    reader.readLine();
    reader.readLine();
    EXPECT_EQ(reader.readLine(), QStringLiteral("Fattura n. 8"));
}

TEST_F(IndiceTest, MoreBreaksThanPagesIsAnError)
{
    const QString path = scrivi("#newpage@\r\n#newpage@\r\n#newpage@\r\n");
    EXPECT_THROW(test::indiceFinestra(path, 2), Error);
}

TEST_F(IndiceTest, MissingFileIsAnError)
{
    try {
        test::indiceFinestra(env.tempFolder() + QStringLiteral("manca.tmp"), 2);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), 53);
    }
}

} // namespace
} // namespace qv
