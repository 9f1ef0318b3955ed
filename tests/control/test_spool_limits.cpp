// SPDX-License-Identifier: MIT
// Documents at the limits of the spool file, through the control, the public
// SpoolFile, the print engine and the preview's page index: texts at the one
// length limit of the writer and the reader, pages past 2 GiB of the file,
// and more page breaks than the 16-bit page numbers reach.
#include "platform/Devices.h"
#include "print/MotoreStampa.h"
#include "spool/Document.h"
#include "spool/SpoolFormat.h"
#include "support/TestEnv.h"
#include "tests/preview/SpoolDiProva.h"
#include "tests/render/PdfTools.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace qv;

namespace {

/// True when \a image has a pixel that is not white in the rectangle \a area.
bool inkIn(const QImage &image, const QRect &area)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y) != Qt::white)
                return true;
    return false;
}

class Limits : public test::TempEnvTest
{
protected:
    /// Only the built-in PDF printer, with an A4 page.
    Limits() { test::TempEnv::onlyThePdfPrinter(); }

    /// The bytes of a document with one text per page, recorded by the control.
    static QByteArray pages(const QStringList &texts)
    {
        PrintPreview pp;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i > 0)
                pp.NuovaPagina();
            pp.StampaTesto(1440, 1440, texts.at(i));
        }
        return test::readAll(pp.spoolPath());
    }
};

// --- One length limit for the writer and the reader ------------------------------------

TEST_F(Limits, ATextTheReplayCouldNotReadIsRefusedWhenRecorded)
{
    PrintPreview pp;
    pp.StampaTesto(1440, 1440, QStringLiteral("prima"));
    const QByteArray before = test::readAll(pp.spoolPath());

    const QString tooLong = QString(int(spool::MaxTextBytes) + 1, QLatin1Char('x'));
    try {
        pp.StampaTesto(1440, 2000, tooLong);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), 1001);
        EXPECT_EQ(e.source(), QStringLiteral("StampaTesto"));
    }
    // Three lines of 4 MiB: each line fits, the text does not.
    const QString line(4 << 20, QLatin1Char('y'));
    EXPECT_THROW(pp.StampaTesto(1440, 2000, line + QStringLiteral("\r\n") + line + QStringLiteral("\r\n") + line),
                 Error);
    EXPECT_EQ(test::readAll(pp.spoolPath()), before) << "nothing of a refused text is written";

    // The longest text that fits is recorded and read back whole.
    pp.StampaTesto(1440, 2000, QString(int(spool::MaxTextBytes), QLatin1Char('z')));
    const SpoolCheck check = SpoolFile(pp.spoolPath()).check();
    EXPECT_TRUE(check.ok()) << (check.error ? check.error->description().toStdString() : "");
    EXPECT_EQ(check.texts, 2);
}

// A line longer than the reader's limit (written by other means) stops the
// replay of its page, never the page-start scan: the print engine and the
// page index still find every page.
TEST_F(Limits, ALongLineStopsItsPageOnly)
{
    const QString path = test::writeAll(env.root() + QStringLiteral("lunga.qv"),
                                        pages({QStringLiteral("uno")}) + QByteArray(spool::MaxLineBytes + 10, 'x')
                                            + "\r\n#newpage@\r\n" + pages({QStringLiteral("due")}));
    const QList<qint64> starts = spool::buildPageIndex(path, QStringLiteral("MotoreStampa"));
    ASSERT_EQ(starts.size(), 2);
    const SpoolFile file(path);
    std::optional<Error> error;
    file.renderPage(2, 96, &error);
    EXPECT_FALSE(error) << error->description().toStdString();
    file.renderPage(1, 96, &error);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->description().contains(QStringLiteral("troppo lunga"))) << error->description().toStdString();
}

// --- Pages past 2 GiB of the file ----------------------------------------------------------

class PastTwoGiB : public Limits
{
protected:
    void SetUp() override
    {
        // Page 1, then a hole (read as zeros, taking no disk), then page 2
        // starting past 2 GiB.
        path = env.root() + QStringLiteral("grande.qv");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pages({QStringLiteral("pagina-uno")}));
        const qint64 hole = (qint64(1) << 31) + 4096;
        ASSERT_TRUE(f.seek(hole));
        f.write("\r\n#newpage@\r\n");
        secondPage = f.pos() + 1;
        f.write(pages({QStringLiteral("pagina-due")}));
        f.close();
    }

    QString path;
    qint64 secondPage = 0;
};

TEST_F(PastTwoGiB, IsRenderedIndexedAndPrinted)
{
    const SpoolFile file(path);
    ASSERT_EQ(file.pageCount(), 2);

    std::optional<Error> error;
    const QImage page = file.renderPage(2, 96, &error);
    EXPECT_FALSE(error) << error->description().toStdString();
    // The text at one inch from the top left corner.
    EXPECT_TRUE(inkIn(page, QRect(96, 80, 100, 20)));

    EXPECT_EQ(test::indiceFinestra(path, 2), (QVector<qint64>{1, secondPage, 0}));

    PrintOptions options;
    options.firstPage = 2;
    options.lastPage = 2;
    options.pdfFile = env.root() + QStringLiteral("grande.pdf");
    file.print(options);
    EXPECT_EQ(test::pdfPageTexts(options.pdfFile), QStringList{QStringLiteral("pagina-due")});
}

// --- More page breaks than 16-bit page numbers reach -------------------------------------

class ManyPages : public Limits
{
protected:
    void SetUp() override
    {
        // 40,000 pages: a text on page 1 and on page 32767, the rest empty.
        QByteArray bytes = pages({QStringLiteral("prima")});
        for (int page = 2; page <= Pages; ++page) {
            bytes += "#newpage@\r\n";
            if (page == 32767)
                bytes += pages({QStringLiteral("ultima")});
        }
        path = test::writeAll(env.root() + QStringLiteral("molte.qv"), bytes);
    }

    static constexpr int Pages = 40000;
    QString path;
};

TEST_F(ManyPages, TheFirst32767AreCheckedRenderedAndIndexed)
{
    const SpoolFile file(path);
    const SpoolCheck check = file.check();
    EXPECT_TRUE(check.ok()) << check.error->description().toStdString();
    EXPECT_EQ(check.pages, Pages);
    EXPECT_EQ(check.texts, 2);

    for (const int page : {1, 32767}) {
        std::optional<Error> error;
        const QImage image = file.renderPage(page, 96, &error);
        EXPECT_FALSE(error) << page;
        EXPECT_TRUE(inkIn(image, QRect(96, 80, 100, 20))) << page;
    }

    // The control's count stops at 32767: the index holds those pages.
    const QVector<qint64> index = test::indiceFinestra(path, 32767);
    ASSERT_EQ(index.size(), 32768);
    EXPECT_EQ(index.at(32766), spool::buildPageIndex(path, QStringLiteral("Prova")).at(32766));
    // A smaller count that the file contradicts is still an error.
    EXPECT_THROW(test::indiceFinestra(path, 100), Error);
}

// --- Files that do not end where their size says, or cannot be read --------------------

// A file of /sys claims 4096 bytes and gives 23: the check, the rendering and
// the print end (each used to spin at the claimed size for ever).
TEST_F(Limits, AShortReadingFileEnds)
{
    const QString path = QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled");
    if (!QFile::exists(path))
        GTEST_SKIP() << "no such file here";
    const SpoolFile file(path);
    EXPECT_TRUE(file.check().ok());
    std::optional<Error> error;
    file.renderPage(1, 96, &error);
    EXPECT_FALSE(error);
    PrintOptions options;
    options.pdfFile = env.root() + QStringLiteral("breve.pdf");
    file.print(options);
    EXPECT_EQ(test::pdfPages(options.pdfFile), 1);
}

// A file whose reads fail: the check and the print fail alike, naming it.
TEST_F(Limits, AReadErrorFailsTheCheckAndThePrintAlike)
{
    const QString path = QStringLiteral("/proc/self/mem");
    const SpoolFile file(path);
    const SpoolCheck check = file.check();
    ASSERT_FALSE(check.ok());
    EXPECT_EQ(check.error->number(), ErrPathFileAccess);
    PrintOptions options;
    options.pdfFile = env.root() + QStringLiteral("mem.pdf");
    try {
        file.print(options);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), check.error->number());
        EXPECT_TRUE(e.description().contains(path)) << e.description().toStdString();
    }
    EXPECT_FALSE(QFile::exists(options.pdfFile));
}

} // namespace
