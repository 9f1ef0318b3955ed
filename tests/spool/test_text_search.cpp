// SPDX-License-Identifier: MIT
// Find in a document: what matches in one record's text, and where the
// matches of a spool file lie (page, record, position), read page by page,
// from any page on, stopped on request, and the errors of a broken file.
#include "spool/TextSearch.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>

#include <gtest/gtest.h>

#include <QTest>

#include <atomic>
#include <limits>
#include <thread>

namespace qv::spool {
namespace {

// --- One record's text ----------------------------------------------------------------

struct TextCase
{
    const char *name;
    QStringList lines; ///< the record's text lines as drawn
    const char *query;
    QList<int32_t> offsets; ///< in the lines joined by one space
    QList<LineSpan> spans;  ///< {line, start, length, offset}
};

class RecordText : public ::testing::TestWithParam<TextCase>
{};

TEST_P(RecordText, MatchesAndTheirStretchesOnTheDrawnLines)
{
    const TextCase &c = GetParam();
    const TextSearch search(QString::fromUtf8(c.query));
    EXPECT_EQ(search.offsetsIn(c.lines.join(QLatin1Char(' '))), c.offsets);
    EXPECT_EQ(search.spansIn(c.lines), c.spans);
}

INSTANTIATE_TEST_SUITE_P(
    TextSearch, RecordText,
    ::testing::Values(
        TextCase{
            "CaseBlind", {"Totale TOTALE totale"}, "ToTaLe", {0, 7, 14}, {{0, 0, 6, 0}, {0, 7, 6, 7}, {0, 14, 6, 14}}},
        TextCase{"AccentedLettersFoldToo", {"PERCHÉ così"}, "perché", {0}, {{0, 0, 6, 0}}},
        TextCase{"OffsetsCountCharactersNotBytes", {"città più Roma"}, "roma", {10}, {{0, 10, 4, 10}}},
        TextCase{"MatchesDoNotOverlap", {"aaaaa"}, "aa", {0, 2}, {{0, 0, 2, 0}, {0, 2, 2, 2}}},
        TextCase{"AcrossALineEndTheLinesJoinWithASpace",
                 {"Ditta Rossi", "S.r.l. Milano"},
                 "rossi s.r.l",
                 {6},
                 {{0, 6, 5, 6}, {1, 0, 5, 6}}},
        TextCase{"OnTheSecondLine", {"uno", "", "tre due"}, "due", {9}, {{2, 4, 3, 9}}},
        TextCase{"NoMatch", {"Fattura"}, "nota", {}, {}},
        TextCase{"EmptyQueryMatchesNothing", {"Fattura"}, "", {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Match case and whole words ------------------------------------------------------

struct OptionCase
{
    const char *name;
    const char *text;
    const char *query;
    bool matchCase, wholeWords;
    QList<int32_t> offsets;
};

class RecordOptions : public ::testing::TestWithParam<OptionCase>
{};

TEST_P(RecordOptions, MatchAsTheOptionsSay)
{
    const OptionCase &c = GetParam();
    FindOptions options;
    options.matchCase = c.matchCase;
    options.wholeWords = c.wholeWords;
    EXPECT_EQ(TextSearch(QString::fromUtf8(c.query), options).offsetsIn(QString::fromUtf8(c.text)), c.offsets);
}

INSTANTIATE_TEST_SUITE_P(
    TextSearch, RecordOptions,
    ::testing::Values(
        OptionCase{"CaseCounts", "Totale TOTALE totale", "totale", true, false, {14}},
        OptionCase{"CaseCountsBeyondAscii", "PERCHÉ perché", "PERCHÉ", true, false, {0}},
        OptionCase{"WholeWordsOnly", "tot totale (tot) tot. totò _tot tot", "tot", false, true, {0, 12, 17, 32}},
        OptionCase{"WholeWordsAfterAnAccentedLetter", "èrosa rosa", "rosa", false, true, {6}},
        OptionCase{"AWordThatFailsDoesNotHideTheNext", "aab ab", "ab", false, true, {4}},
        OptionCase{"BothOptions", "Rossi rossi ROSSI Rossini", "Rossi", true, true, {0}},
        // A sign that folds onto a letter (KELVIN SIGN onto "k").
        OptionCase{"FoldingReachesBeyondAscii", "5 \u212A", "k", false, false, {2}},
        // Letters past the basic plane fold too (DESERET CAPITAL LONG I).
        OptionCase{"FoldingBeyondTheBasicPlane", "x \U00010400 \U00010428", "\U00010428", false, false, {2, 5}}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Time and memory bounded whatever the text and the query --------------------------

/// One record of \a letters characters over one page: 'a' throughout, or
/// 'a' with an accented letter at its start (decoded, not searched as bytes).
QByteArray longRecord(qsizetype letters, bool accented)
{
    QByteArray text(letters, 'a');
    if (accented)
        text.replace(0, 2, "\xc3\xa0");
    return "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n1,1\r\n" + text + "\r\n#endprint@\r\n";
}

class BoundedSearch : public test::TempEnvTest, public ::testing::WithParamInterface<bool>
{};

// A query that matches all but its first character at every place of the
// text: a search that compares it anew at each place takes minutes over
// 6 MB (a 20,000-letter query over 1 MB took 6 s); the matcher never goes
// back in the text. A cancel stops it inside
// the record.
TEST_P(BoundedSearch, APathologicalQueryTakesLinearTimeAndCancelStopsItInsideTheRecord)
{
    constexpr qsizetype Letters = 6 * 1024 * 1024;
    const QString path =
        test::writeAll(env.tempFolder() + QStringLiteral("lungo.tmp"), longRecord(Letters, GetParam()));
    const PageIndex index = buildPageIndex(path, QStringLiteral("Prova"));
    // Unlike at its start (what took the old search minutes), and unlike at
    // its end (where the matcher falls back along its table at every place).
    const QString unlikeFirst = QLatin1Char('b') + QString(100000, QLatin1Char('a'));
    const QString unlikeLast = QString(100000, QLatin1Char('a')) + QLatin1Char('b');
    QString query;
    struct Run
    {
        std::atomic_bool cancel{false}, over{false};
        TextSearch::Outcome outcome;
        qsizetype matches = -1;
        std::thread thread;
    };
    const auto start = [&](Run &run) {
        run.thread = std::thread([&] {
            run.outcome = TextSearch(query).run(
                path, index, 1, 1,
                [&](int32_t, const QList<TextMatch> &m) {
                    run.matches = m.size();
                    return true;
                },
                &run.cancel);
            run.over = true;
        });
    };
    for (const QString &q : {unlikeFirst, unlikeLast}) {
        query = q;
        Run whole;
        start(whole);
        const bool ended = QTest::qWaitFor([&] { return whole.over.load(); }, 60000);
        whole.cancel = true;
        whole.thread.join();
        ASSERT_TRUE(ended) << "the search did not end";
        EXPECT_TRUE(whole.outcome.complete);
        EXPECT_EQ(whole.matches, 0);
    }

    Run cancelled;
    start(cancelled);
    cancelled.cancel = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.over.load(); }, 60000)) << "the cancel was not seen";
    cancelled.thread.join();
    EXPECT_FALSE(cancelled.outcome.complete);
}

INSTANTIATE_TEST_SUITE_P(TextSearch, BoundedSearch, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Decoded" : "AsBytes"; });

// --- A spool file ---------------------------------------------------------------------

QByteArray text(const QByteArray &x, const QByteArray &y, const QByteArray &lines)
{
    return "#print@\r\n\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#\r\n" + x + "," + y + "\r\n" + lines
           + "\r\n#endprint@\r\n";
}

const QByteArray Box = "#line@\r\n0,13,1,0,0,1\r\n100,100,2000,2000,#TRUE#,#FALSE#\r\n";

class SpoolSearch : public test::TempEnvTest
{
protected:
    QString write(const QByteArray &bytes)
    {
        return test::writeAll(env.tempFolder() + QStringLiteral("doc.tmp"), bytes);
    }

    /// Every page searched, with its matches, from \a first to \a last.
    QList<std::pair<int32_t, QList<TextMatch>>> pages(const QString &query, int32_t first = 1, int32_t last = 99)
    {
        QList<std::pair<int32_t, QList<TextMatch>>> seen;
        const QString path = env.tempFolder() + QStringLiteral("doc.tmp");
        EXPECT_TRUE(TextSearch(query).run(path, buildPageIndex(path, QStringLiteral("Prova")), first, last,
                                          [&](int32_t page, const QList<TextMatch> &m) {
                                              seen.append({page, m});
                                              return true;
                                          }));
        return seen;
    }
};

TEST_F(SpoolSearch, ReportsEveryPageWithThePageRecordAndPositionOfItsMatches)
{
    write(text("1440", "2880", "Fattura n. 1") + Box + text("500", "600", "Totale fattura") + "#newpage@\r\n"
          + "#newpage@\r\n" + text("100", "200", "Nota") + text("300.5", "400", "FATTURA\r\nseconda riga"));
    const auto seen = pages(QStringLiteral("fattura"));
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0].first, 1);
    EXPECT_EQ(seen[0].second, (QList<TextMatch>{{1, 0, 1440, 2880, 0, 7}, {1, 1, 500, 600, 7, 7}}));
    EXPECT_EQ(seen[1].first, 2);
    EXPECT_TRUE(seen[1].second.isEmpty()) << "a page without matches is reported too";
    EXPECT_EQ(seen[2].first, 3);
    EXPECT_EQ(seen[2].second, (QList<TextMatch>{{3, 1, 300.5f, 400, 0, 7}}));
}

TEST_F(SpoolSearch, AFirstPageLaterThanOneStartsAtItsIndexedPosition)
{
    QByteArray doc;
    for (int page = 1; page <= 5; ++page)
        doc += text("100", QByteArray::number(page * 100), "pagina " + QByteArray::number(page)) + "#newpage@\r\n";
    write(doc);
    const auto seen = pages(QStringLiteral("pagina"), 3, 4);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].first, 3);
    EXPECT_EQ(seen[0].second, (QList<TextMatch>{{3, 0, 100, 300, 0, 6}}));
    EXPECT_EQ(seen[1].second, (QList<TextMatch>{{4, 0, 100, 400, 0, 6}}));
    EXPECT_EQ(pages(QStringLiteral("pagina"), 7, 9).size(), 0) << "pages past the end";
}

// The window searches while its page index is still being built: the pages
// past the known starts are read on, up to the last page asked or the file's end.
TEST_F(SpoolSearch, AnIndexThatEndsEarlyIsReadOnPastItsEnd)
{
    QByteArray doc;
    for (int page = 1; page <= 5; ++page)
        doc += text("100", QByteArray::number(page * 100), "pagina " + QByteArray::number(page)) + "#newpage@\r\n";
    const QString path = write(doc);
    const PageIndex whole = buildPageIndex(path, QStringLiteral("Prova"));
    struct Case
    {
        qsizetype known;
        int32_t first, last;
        QList<int32_t> matchPages, pagesSeen;
    };
    const Case cases[] = {
        {2, 1, 5, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
        {2, 2, 4, {2, 3, 4}, {2, 3, 4}},
        {1, 1, std::numeric_limits<int32_t>::max(), {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6}},
        {2, 3, 5, {}, {}}, // the first page's start is not known
    };
    for (const Case &c : cases) {
        QList<int32_t> matchPages, pagesSeen;
        EXPECT_TRUE(TextSearch(QStringLiteral("pagina"))
                        .run(path, whole.first(c.known), c.first, c.last, [&](int32_t page, const QList<TextMatch> &m) {
                            pagesSeen.append(page);
                            for (const TextMatch &match : m)
                                matchPages.append(match.page);
                            return true;
                        }));
        EXPECT_EQ(matchPages, c.matchPages) << c.known << " known, " << c.first << " to " << c.last;
        EXPECT_EQ(pagesSeen, c.pagesSeen) << c.known << " known, " << c.first << " to " << c.last;
    }
}

// A page break line in a text (only a file written by other means holds
// one) ends a page as the page index counts it; the text belongs to the page
// it starts on, where the replay draws it whole.
TEST_F(SpoolSearch, APageBreakLineInsideATextCountsAsThePageIndexCountsIt)
{
    write(text("1", "2", "prima\r\n#newpage@\r\nancora prima") + text("3", "4", "dopo prima"));
    const auto seen = pages(QStringLiteral("prima"));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].second, (QList<TextMatch>{{1, 0, 1, 2, 0, 5}, {1, 0, 1, 2, 23, 5}}));
    EXPECT_EQ(seen[1].second, (QList<TextMatch>{{2, 0, 3, 4, 5, 5}}));
}

TEST_F(SpoolSearch, ValuesSpreadAcrossLinesReadAsTheReplayReadsThem)
{
    write("#print@\r\n\"Arial\",10,#FALSE#,\r\n#FALSE#,#FALSE#,#FALSE#,0,#TRUE#,720\r\n1440\r\nUno "
          "due\r\n#endprint@\r\n");
    const auto seen = pages(QStringLiteral("due"));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].second, (QList<TextMatch>{{1, 0, 720, 1440, 4, 3}}));
}

TEST_F(SpoolSearch, TheSinkAndTheCancelFlagStopTheSearch)
{
    QByteArray doc;
    for (int page = 1; page <= 4; ++page)
        doc += text("1", "1", "x") + "#newpage@\r\n";
    const QString path = write(doc);
    const PageIndex index = buildPageIndex(path, QStringLiteral("Prova"));
    int calls = 0;
    EXPECT_FALSE(TextSearch(QStringLiteral("x")).run(path, index, 1, 5, [&](int32_t page, const QList<TextMatch> &) {
        ++calls;
        return page < 2;
    }));
    EXPECT_EQ(calls, 2);
    std::atomic_bool cancel{true};
    calls = 0;
    EXPECT_FALSE(TextSearch(QStringLiteral("x"))
                     .run(
                         path, index, 1, 5, [&](int32_t, const QList<TextMatch> &) { return ++calls, true; }, &cancel));
    EXPECT_EQ(calls, 0);
}

// The search collects at most its limit: it stops at the one past it, the
// page so far handed over, and says there are more; exactly the limit is a
// complete search.
TEST_F(SpoolSearch, TheMatchLimitStopsTheSearchAndSaysSo)
{
    const QString path = write(text("1", "1", "x x") + "#newpage@\r\n" + text("2", "2", "x x x") + text("3", "3", "x"));
    const PageIndex index = buildPageIndex(path, QStringLiteral("Prova"));
    struct Case
    {
        qsizetype limit;
        bool complete, limited;
        qsizetype matches;
        QList<int32_t> pages;
    };
    for (const Case &c : {Case{3, false, true, 3, {1, 2}}, Case{6, true, false, 6, {1, 2}},
                          Case{0, false, true, 0, {1}}, Case{-1, true, false, 6, {1, 2}}}) {
        TextSearch search(QStringLiteral("x"));
        search.setMaxMatches(c.limit);
        qsizetype matches = 0;
        QList<int32_t> pages;
        const TextSearch::Outcome outcome = search.run(path, index, 1, 9, [&](int32_t page, const QList<TextMatch> &m) {
            pages << page;
            matches += m.size();
            return true;
        });
        EXPECT_EQ(outcome.complete, c.complete) << c.limit;
        EXPECT_EQ(outcome.limited, c.limited) << c.limit;
        EXPECT_EQ(outcome.matches, c.matches) << c.limit;
        EXPECT_EQ(matches, c.matches) << c.limit;
        EXPECT_EQ(pages, c.pages) << c.limit;
    }
}

// The text of a record with a match goes to the text sink, once, as
// written (its lines joined by one space), before its page's sink.
TEST_F(SpoolSearch, TheTextSinkGetsEachMatchedRecordOnceBeforeItsPage)
{
    const QString path = write(text("1", "1", "Nota") + text("1", "2", "Fattura FATTURA\r\nriga") + "#newpage@\r\n"
                               + text("2", "2", "fattura"));
    TextSearch search(QStringLiteral("fattura"));
    QStringList seen;
    search.setTextSink([&](int32_t page, int32_t record, const QString &t) {
        seen << QStringLiteral("%1/%2:%3").arg(page).arg(record).arg(t);
    });
    search.run(path, buildPageIndex(path, QStringLiteral("Prova")), 1, 9, [&](int32_t page, const QList<TextMatch> &) {
        seen << QStringLiteral("page %1").arg(page);
        return true;
    });
    EXPECT_EQ(seen, (QStringList{"1/1:Fattura FATTURA riga", "page 1", "2/0:fattura", "page 2"}));
}

TEST_F(SpoolSearch, ABrokenRecordIsAnErrorNamingTheFileAfterThePagesBefore)
{
    const QString path = write(text("1", "1", "ok") + "#newpage@\r\n" + text("2", "2", "ok") + text("abc", "1", "ok"));
    QList<int32_t> reported;
    int found = 0;
    try {
        TextSearch(QStringLiteral("ok"))
            .run(path, buildPageIndex(path, QStringLiteral("Prova")), 1, 9,
                 [&](int32_t page, const QList<TextMatch> &m) {
                     reported << page;
                     found += int(m.size());
                     return true;
                 });
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrTypeMismatch);
        EXPECT_EQ(e.source(), TextSearch::DefaultSource);
        EXPECT_EQ(e.file(), path);
        EXPECT_TRUE(e.description().contains(QLatin1String("abc"))) << qPrintable(e.description());
    }
    EXPECT_EQ(reported, (QList<int32_t>{1, 2}));
    EXPECT_EQ(found, 2) << "the matches read before the error are reported";
}

TEST_F(SpoolSearch, AMissingFileIsError53)
{
    const Document missing = Document::onFile(env.tempFolder() + QStringLiteral("none.tmp"));
    try {
        TextSearch(QStringLiteral("x")).findAll(missing);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrFileNotFound);
    }
}

TEST_F(SpoolSearch, FindAllOnADocumentGivesEveryMatchInOrder)
{
    const QString path = write(text("1", "1", "a b a") + "#newpage@\r\n" + text("2", "2", "A"));
    const QList<TextMatch> all = TextSearch(QStringLiteral("a")).findAll(Document::onFile(path));
    EXPECT_EQ(all, (QList<TextMatch>{{1, 0, 1, 1, 0, 1}, {1, 0, 1, 1, 4, 1}, {2, 0, 2, 2, 0, 1}}));
}

} // namespace
} // namespace qv::spool
