// SPDX-License-Identifier: MIT
// A spool file that another program is still appending to: the page index
// reads on from where it stopped and takes a page break only once its line
// is whole; the replay and the search read as far as the lines are whole
// and leave a record still being written out; a file cut short or replaced
// ends the index with an error that says so.
#include "render/LetturaDati.h"
#include "render/PageSurface.h"
#include "spool/Document.h"
#include "spool/PageIndexer.h"
#include "spool/TextSearch.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"

#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace qv {
namespace {

/// Runs the index's jobs when the test says, on the test's thread.
struct ManualRunner
{
    std::deque<spool::BackgroundJob> jobs;
    spool::JobRunner runner()
    {
        return [this](spool::BackgroundJob job) { jobs.push_back(std::move(job)); };
    }
    void runAll()
    {
        const std::atomic<bool> notCancelled{false};
        while (!jobs.empty()) {
            spool::BackgroundJob job = std::move(jobs.front());
            jobs.pop_front();
            job(notCancelled);
        }
    }
};

void append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

/// A file written in pieces, and after each piece the pages the index knows.
struct Growth
{
    const char *name;
    QList<QByteArray> pieces;
    QList<qsizetype> known;
};

class FollowedIndexTest : public test::TempEnvTest, public ::testing::WithParamInterface<Growth>
{};

TEST_P(FollowedIndexTest, APageBreakCountsOnceItsLineIsWhole)
{
    const Growth &growth = GetParam();
    const QString path = env.tempFolder() + QStringLiteral("segue.tmp");
    test::writeAll(path, QByteArray());
    ManualRunner jobs;
    const auto index = spool::Document::onFile(path).followingIndexer(QStringLiteral("test"), jobs.runner());
    jobs.runAll();
    EXPECT_TRUE(index->caughtUp());
    QByteArray whole;
    for (qsizetype i = 0; i < growth.pieces.size(); ++i) {
        append(path, growth.pieces[i]);
        whole += growth.pieces[i];
        index->resume();
        jobs.runAll();
        EXPECT_EQ(index->known(), growth.known[i]) << "after piece " << i;
        EXPECT_FALSE(index->finished());
        EXPECT_TRUE(index->caughtUp());
        EXPECT_EQ(index->wholeEnd(), whole.lastIndexOf('\n') + 1) << "after piece " << i;
    }
    // Once whole, the starts are those of the file read at once.
    EXPECT_EQ(index->startsFrom(0), spool::buildPageIndex(path, QStringLiteral("test")));
    EXPECT_FALSE(index->error());
}

const QByteArray Text = test::testo(1440, 1440, "Riga");

INSTANTIATE_TEST_SUITE_P(
    Pieces, FollowedIndexTest,
    ::testing::Values(Growth{"WholeRecords", {Text + "#newpage@\r\n", Text + "#newpage@\r\n"}, {2, 3}},
                      Growth{"TagCutInTwo", {Text + "#newpa", "ge@\r\n", Text}, {1, 2, 2}},
                      Growth{"TagWithoutLineEnd", {Text + "#newpage@", "\r\n"}, {1, 2}},
                      Growth{"TagWithCarriageReturnOnly", {Text + "#newpage@\r", "\n" + Text}, {1, 2}},
                      Growth{"LineFeedOnly", {"#newpage@", "\n#newpage@\n"}, {1, 3}},
                      Growth{"TextLineThatIsNoTag", {"#newpage@x", "\r\n"}, {1, 1}}),
    [](const auto &info) { return std::string(info.param.name); });

class FollowTest : public test::TempEnvTest
{};

TEST_F(FollowTest, ResumeQueuesOneScanAtATimeAndWaitersReturnAtTheEnd)
{
    const QString path = test::writeAll(env.tempFolder() + QStringLiteral("uno.tmp"), Text);
    ManualRunner jobs;
    const auto index = spool::Document::onFile(path).followingIndexer(QStringLiteral("test"), jobs.runner());
    jobs.runAll();
    for (int i = 0; i < 5; ++i)
        index->resume();
    EXPECT_EQ(jobs.jobs.size(), 1u);
    jobs.runAll();
    // Nothing more is there: a wait for a page that has not come returns.
    EXPECT_EQ(index->waitForPage(2), std::nullopt);
    index->waitForFinished();
    EXPECT_FALSE(index->finished());
}

TEST_F(FollowTest, CatchUpScansOnTheCallersThread)
{
    const QString path = test::writeAll(env.tempFolder() + QStringLiteral("ospite.tmp"), Text);
    ManualRunner jobs;
    const auto index = spool::Document::onFile(path).followingIndexer(QStringLiteral("test"), jobs.runner());
    jobs.runAll();
    append(path, "#newpage@\r\n" + Text);
    index->catchUp();
    EXPECT_EQ(index->known(), 2);
    EXPECT_TRUE(jobs.jobs.empty());
}

struct Change
{
    const char *name;
    std::function<void(const QString &path)> change;
    const char *says;
};

class ChangedFileTest : public test::TempEnvTest, public ::testing::WithParamInterface<Change>
{};

TEST_P(ChangedFileTest, EndsTheIndexWithAnErrorThatSaysSo)
{
    const QString path = test::writeAll(env.tempFolder() + QStringLiteral("cambia.tmp"), Text + "#newpage@\r\n" + Text);
    ManualRunner jobs;
    const auto index = spool::Document::onFile(path).followingIndexer(QStringLiteral("test"), jobs.runner());
    jobs.runAll();
    GetParam().change(path);
    index->resume();
    jobs.runAll();
    ASSERT_TRUE(index->finished());
    ASSERT_TRUE(index->error());
    EXPECT_EQ(index->error()->number(), ErrPathFileAccess);
    EXPECT_TRUE(index->error()->description().contains(QLatin1String(GetParam().says)))
        << index->error()->description().toStdString();
    // The pages known stay.
    EXPECT_EQ(index->known(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedFileTest,
    ::testing::Values(Change{"Truncated", [](const QString &path) { ASSERT_TRUE(QFile::resize(path, 10)); },
                             "accorciato"},
                      Change{"Replaced",
                             [](const QString &path) {
                                 ASSERT_TRUE(QFile::remove(path));
                                 test::writeAll(path, Text + Text + Text);
                             },
                             "sostituito"},
                      Change{"Deleted", [](const QString &path) { ASSERT_TRUE(QFile::remove(path)); }, "cancellato"}),
    [](const auto &info) { return std::string(info.param.name); });

/// A page whose last record is still being written, cut at a line end and
/// inside a line: the replay and the search up to the whole lines leave it
/// out without an error; the plain replay still reports the file cut short.
struct HalfRecord
{
    const char *name;
    QByteArray tail;
};

class HalfRecordTest : public test::TempEnvTest, public ::testing::WithParamInterface<HalfRecord>
{};

TEST_P(HalfRecordTest, IsNotReadUntilWhole)
{
    const QByteArray bytes = test::testo(1440, 1440, "Prima") + GetParam().tail;
    const QString path = test::writeAll(env.tempFolder() + QStringLiteral("mezzo.tmp"), bytes);
    const qint64 whole = bytes.lastIndexOf('\n') + 1;
    PageSurface surface;
    EXPECT_NO_THROW(LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::at(1).upTo(whole)));
    EXPECT_THROW(LetturaDati::DisegnaPagina(surface, path, LetturaDati::PageSpec::at(1)), Error);

    const auto matches = [&](const QString &what) {
        spool::TextSearch search(what);
        search.setEnd(whole);
        qsizetype n = 0;
        search.run(path, spool::PageIndex{1}, 1, 1, [&](int32_t, const QList<spool::TextMatch> &m) {
            n += m.size();
            return true;
        });
        return n;
    };
    EXPECT_EQ(matches(QStringLiteral("Prima")), 1);
    EXPECT_EQ(matches(QStringLiteral("Seconda")), 0);
}

INSTANTIATE_TEST_SUITE_P(Tails, HalfRecordTest,
                         ::testing::Values(HalfRecord{"TextWithoutItsEnd",
                                                      "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#"
                                                      "\r\n1440,2880\r\nSeconda\r\n"},
                                           HalfRecord{"TextCutInALine", "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FA"},
                                           HalfRecord{"BoxWithoutItsValues", "#line@\r\n0,13,1,0,0,1\r\n"},
                                           HalfRecord{"BoxCutInItsValues", "#line@\r\n0,13,1,0,0,1\r\n1440,3000,57"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv
