// SPDX-License-Identifier: MIT
// The document: its one page index (built, held against a recorded page
// count, kept while the file stays the same), its own file and its discarding.
#include "spool/Document.h"
#include "spool/PageStarts.h"
#include "spool/SpoolReader.h"
#include "support/Blocking.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>
#include <qvpreview/SpoolFile.h>

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace qv::spool {
namespace {

class DocumentTest : public test::TempEnvTest
{
protected:
    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("doc.tmp"))
    {
        return test::writeAll(env.tempFolder() + name, bytes);
    }
};

// --- The index held against a recorded page count ----------------------------------

struct CountCase
{
    const char *name;
    int starts;       ///< entries of the full index
    int32_t pages;    ///< the recorded count
    int expectedSize; ///< entries kept; -1: error 9
};

class PageCount : public ::testing::TestWithParam<CountCase>
{};

TEST_P(PageCount, KeepsTheIndexOrRefusesASurplus)
{
    const CountCase &c = GetParam();
    PageIndex index;
    for (int i = 0; i < c.starts; ++i)
        index << 1 + 10 * i;
    if (c.expectedSize < 0) {
        try {
            limitToPageCount(index, c.pages, QStringLiteral("/tmp/qv1.tmp"), QStringLiteral("Prova"));
            FAIL() << "no error";
        } catch (const Error &e) {
            EXPECT_EQ(e.number(), ErrSubscriptOutOfRange);
            EXPECT_EQ(e.source(), QStringLiteral("Prova"));
            EXPECT_EQ(e.file(), QStringLiteral("/tmp/qv1.tmp"));
        }
        return;
    }
    const PageIndex kept = limitToPageCount(index, c.pages, QStringLiteral("/tmp/qv1.tmp"), QStringLiteral("Prova"));
    EXPECT_EQ(kept, index.first(c.expectedSize));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PageCount,
    ::testing::Values(CountCase{"AsRecorded", 3, 3, 3}, CountCase{"OneStartMoreIsTolerated", 4, 3, 4},
                      CountCase{"TwoMoreIsAnError", 5, 3, -1}, CountCase{"FewerBreaksThanPages", 2, 5, 2},
                      CountCase{"OnePageWithABreak", 2, 1, 2}, CountCase{"OnePageWithTwoBreaks", 3, 1, -1},
                      CountCase{"ZeroPages", 2, 0, -1}, CountCase{"JustBelowTheCap", 32769, 32766, -1},
                      CountCase{"AtTheCapTheRestIsCut", 40000, 32767, 32768},
                      CountCase{"AboveTheCapTheRestIsCut", 40000, 39000, 39001}),
    [](const auto &info) { return std::string(info.param.name); });

// --- The index of a file --------------------------------------------------------------

struct IndexCase
{
    const char *name;
    QByteArray bytes;
    PageIndex index;
};

class FileIndex : public DocumentTest, public ::testing::WithParamInterface<IndexCase>
{};

TEST_P(FileIndex, IsEveryPageStart)
{
    const QString path = write(GetParam().bytes);
    EXPECT_EQ(buildPageIndex(path, QStringLiteral("Prova")), GetParam().index);
    const Document document = Document::onFile(path);
    EXPECT_EQ(document.pageIndex(QStringLiteral("Prova")), GetParam().index);
    EXPECT_EQ(document.pageCount(QStringLiteral("Prova")), GetParam().index.size());
}

INSTANTIATE_TEST_SUITE_P(Files, FileIndex,
                         ::testing::Values(IndexCase{"Empty", "", {1}}, IndexCase{"NoBreak", "a\r\nb\r\n", {1}},
                                           IndexCase{"CrLf", "a\r\n#newpage@\r\nb\r\n", {1, 15}},
                                           IndexCase{"LfOnly", "a\n#newpage@\nb\n", {1, 13}},
                                           IndexCase{"TrailingBreak", "#newpage@\r\n", {1, 12}},
                                           IndexCase{"BreakWithoutLineEnd", "a\r\n#newpage@", {1, 13}},
                                           IndexCase{"TagWithABlankIsText", "#newpage@ \r\nx\r\n", {1}},
                                           IndexCase{"TextLineThatReadsAsABreak",
                                                     "#print@\r\nf\r\n1,2\r\n#newpage@\r\n#endprint@\r\n",
                                                     {1, 29}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DocumentTest, IndexFollowsTheFileAsItChanges)
{
    const QString path = write("a\r\n#newpage@\r\n");
    const Document document = Document::onFile(path);
    EXPECT_EQ(document.pageIndex(QStringLiteral("Prova")).size(), 2);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("b\r\n#newpage@\r\n");
    }
    EXPECT_EQ(document.pageIndex(QStringLiteral("Prova")), (PageIndex{1, 15, 29})) << "a longer file is scanned again";
    // Another file under the name, of the same size.
    const QString other = write("#newpage@\r\n#newpage@\r\nab\r\n\r\n", QStringLiteral("altro.tmp"));
    ASSERT_EQ(QFile(other).size(), QFile(path).size());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_EQ(document.pageIndex(QStringLiteral("Prova")), (PageIndex{1, 12, 23}))
        << "a replaced file is scanned again";
    ASSERT_TRUE(QFile::remove(path));
    try {
        document.pageIndex(QStringLiteral("Prova"));
        FAIL() << "a vanished file still had an index";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrFileNotFound);
        EXPECT_EQ(e.source(), QStringLiteral("Prova"));
    }
}

TEST_F(DocumentTest, RecordedCountHoldsTheIndex)
{
    Document document;
    document.start(env.tempFolder() + QStringLiteral("qvrec.tmp"));
    ASSERT_TRUE(document.claim());
    ASSERT_TRUE(document.append("#newpage@\r\n#newpage@\r\n"));
    document.addPage();
    EXPECT_EQ(document.pageCount(QStringLiteral("Prova")), 2) << "the count is the recorded one";
    EXPECT_EQ(document.pageIndex(QStringLiteral("Prova"), 2).size(), 3);
    EXPECT_THROW(document.pageIndex(QStringLiteral("Prova"), 1), Error);
    for (int i = 0; i < 40000; ++i)
        document.addPage();
    EXPECT_EQ(document.pageCount(QStringLiteral("Prova")), Document::MaxRecordedPages);
}

// --- The document's own file ------------------------------------------------------------

TEST_F(DocumentTest, DiscardRemovesOnlyWhatIsTheDocuments)
{
    const QString path = env.tempFolder() + QStringLiteral("qvown.tmp");
    const QString picture = write("png", QStringLiteral("qvpic.tmp"));
    Document document;
    EXPECT_EQ(document.pageCount(QStringLiteral("Prova")), 1) << "no document: one empty page";
    document.start(path);
    EXPECT_FALSE(document.isOwnFile()) << "no file claimed yet";
    ASSERT_TRUE(document.claim());
    document.addPicture(picture);
    EXPECT_TRUE(document.isOwnFile());

    // The name taken by a link to another file: neither is the document's.
    const QString elsewhere = write("altro", QStringLiteral("altrove.tmp"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(elsewhere, path));
    EXPECT_FALSE(document.isOwnFile());
    EXPECT_FALSE(document.append("#newpage@\r\n"));
    document.discard();
    EXPECT_TRUE(QFileInfo(path).isSymLink()) << "a link that took the name stays";
    EXPECT_TRUE(QFile::exists(elsewhere));
    EXPECT_FALSE(QFile::exists(picture)) << "the pictures were the document's";
    EXPECT_TRUE(document.isEmpty());
    EXPECT_TRUE(document.pictures().isEmpty());
    EXPECT_FALSE(document.identity());
}

TEST_F(DocumentTest, AFileOpenedThroughALinkIsItsOwn)
{
    const QString file = write("a\r\n", QStringLiteral("vero.tmp"));
    const QString link = env.tempFolder() + QStringLiteral("collegamento.tmp");
    ASSERT_TRUE(QFile::link(file, link));
    const Document document = Document::onFile(link);
    EXPECT_TRUE(document.isOwnFile());
    // Made while the first still exists, so it cannot get its inode.
    const QString replacement = write("b\r\n", QStringLiteral("nuovo.tmp"));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(replacement, file));
    EXPECT_FALSE(document.isOwnFile()) << "another file behind the same name";
    EXPECT_FALSE(Document::onFile(env.tempFolder() + QStringLiteral("manca.tmp")).isOwnFile());
}

} // namespace
} // namespace qv::spool

// --- Files that are no spool file -----------------------------------------------

namespace qv::spool {
namespace {

/// One reader of a spool file, run on \a path; it must throw qv::Error.
struct NotAFileReader
{
    const char *name;
    std::function<void(const QString &path)> read;
};

void PrintTo(const NotAFileReader &c, std::ostream *os)
{
    *os << c.name;
}

class NotAFile : public DocumentTest, public ::testing::WithParamInterface<NotAFileReader>
{
protected:
    /// What the reader threw on \a path, run under the FIFO guard.
    std::optional<Error> errorOn(const QString &path)
    {
        std::optional<Error> thrown;
        EXPECT_FALSE(test::blockedOnFifo(path, [&] {
            try {
                GetParam().read(path);
            } catch (const Error &e) {
                thrown = e;
            }
        })) << "the reader waited in open()";
        return thrown;
    }
};

// Every reader opens without blocking and reads only a regular file: a FIFO
// without a writer (put where the spool file was, as "rm f; mkfifo f" does
// while the file is shown) or a device that reads without end is refused
// with error 75, never waited on or read.
TEST_P(NotAFile, IsRefusedWithoutWaiting)
{
    const QString fifo = test::makeFifo(env.tempFolder() + QStringLiteral("pipe.qv"));
    ASSERT_FALSE(fifo.isEmpty());
    for (const QString &path : {fifo, QStringLiteral("/dev/zero")}) {
        const std::optional<Error> e = errorOn(path);
        ASSERT_TRUE(e.has_value()) << qPrintable(path);
        EXPECT_EQ(e->number(), ErrPathFileAccess) << qPrintable(path);
        EXPECT_TRUE(e->description().contains(path)) << qPrintable(e->description());
        EXPECT_TRUE(e->description().contains(QStringLiteral("non è un file regolare")))
            << qPrintable(e->description());
    }
}

// A document shown from a regular file whose name then leads to a FIFO.
TEST_P(NotAFile, IsRefusedWhenItReplacedTheShownFile)
{
    const QString path = write("uno\r\n#newpage@\r\ndue\r\n");
    const Document shown = Document::onFile(path);
    ASSERT_EQ(shown.pageCount(QStringLiteral("Prova")), 2);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(test::makeFifo(path), path);
    const std::optional<Error> e = errorOn(path);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->number(), ErrPathFileAccess);
    std::optional<Error> indexError;
    EXPECT_FALSE(test::blockedOnFifo(path, [&] {
        try {
            shown.pageIndex(QStringLiteral("Prova"));
        } catch (const Error &error) {
            indexError = error;
        }
    }));
    ASSERT_TRUE(indexError.has_value());
    EXPECT_EQ(indexError->number(), ErrPathFileAccess);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, NotAFile,
    ::testing::Values(
        NotAFileReader{"SpoolReader", [](const QString &path) { SpoolReader(QStringLiteral("Prova")).open(path); }},
        NotAFileReader{"PageStartScanner",
                       [](const QString &path) { PageStartScanner(path, QStringLiteral("Prova")).next(); }},
        NotAFileReader{"DocumentPageCount",
                       [](const QString &path) { Document::onFile(path).pageCount(QStringLiteral("Prova")); }},
        NotAFileReader{"SpoolFilePageCount", [](const QString &path) { SpoolFile(path).pageCount(); }},
        NotAFileReader{"SpoolFileFind", [](const QString &path) { SpoolFile(path).find(QStringLiteral("a")); }},
        NotAFileReader{"SpoolFileCheck",
                       [](const QString &path) {
                           if (const std::optional<Error> e = SpoolFile(path).check().error)
                               throw *e;
                       }},
        NotAFileReader{"SpoolFileRender", [](const QString &path) { SpoolFile(path).renderPage(1, 96); }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace qv::spool
