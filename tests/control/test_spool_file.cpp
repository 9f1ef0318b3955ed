// SPDX-License-Identifier: MIT
// The public side of a spool file, through its installed headers: a page
// rendered onto a painter and into an image by the one renderer, printing
// with options, the check with the first error and its line, and errors that
// say what went wrong and where.
#include "support/TestEnv.h"
#include "tests/render/PdfTools.h"

#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace qv;

namespace {

class Spool : public test::TempEnvTest
{
protected:
    Spool()
    {
        test::TempEnv::noPrinters();
        // Two pages: a text and a box, then a text, a raster-operation line and a circle.
        pp.StampaTesto(1440, 1440, QStringLiteral("pagina-uno"));
        pp.linea(1440, 2000, 5000, 3000, true, false);
        pp.NuovaPagina();
        pp.StampaTesto(1440, 1440, QStringLiteral("pagina-due"));
        pp.setDrawMode(7);
        pp.setDrawWidth(4);
        pp.linea(1000, 1000, 6000, 1600, false, false);
        pp.Cerchio(3000, 5000, 500);
    }

    /// The document's spool file with \a lines appended (CR LF after each).
    QString withLines(const QByteArray &lines)
    {
        const QString copy = env.root() + QStringLiteral("copia.qv");
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(pp.spoolPath(), copy));
        QFile f(copy);
        EXPECT_TRUE(f.open(QIODevice::Append));
        f.write(lines);
        return copy;
    }

    PrintPreview pp;
};

TEST_F(Spool, PainterAndImageGiveTheSamePixels)
{
    const SpoolFile spool(pp.spoolPath());
    ASSERT_EQ(spool.pageCount(), 2);
    const QSize twips = SpoolFile::pageSizeTwips();
    EXPECT_EQ(twips, QSize(11520, 15872));
    for (int page = 1; page <= 2; ++page) {
        const QImage image = spool.renderPage(page, 96);
        ASSERT_EQ(image.size(), QSize(768, 1059)); // 11520 x 15872 twips at 96 dpi, rounded up
        QImage painted(image.size(), QImage::Format_RGB32);
        painted.fill(Qt::white);
        QPainter painter(&painted);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(96 / 1440.0, 96 / 1440.0);
        painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(twips)));
        spool.renderPage(page, painter);
        painter.end();
        EXPECT_EQ(painted, image) << "page " << page;
    }
    EXPECT_NE(spool.renderPage(1, 96), spool.renderPage(2, 96));
}

struct BadRender
{
    const char *name;
    int page;
    double dpi;
    int number;
};

class BadRenders : public Spool, public ::testing::WithParamInterface<BadRender>
{};

TEST_P(BadRenders, AreErrorsThatSayWhy)
{
    try {
        SpoolFile(pp.spoolPath()).renderPage(GetParam().page, GetParam().dpi);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), GetParam().number);
        EXPECT_EQ(e.source(), QStringLiteral("SpoolFile"));
        EXPECT_FALSE(e.description().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadRenders,
                         ::testing::Values(BadRender{"PageZero", 0, 96, ErrSubscriptOutOfRange},
                                           BadRender{"PageBeyondTheLast", 3, 96, ErrSubscriptOutOfRange},
                                           BadRender{"NoResolution", 1, 0, ErrInvalidProcedureCall},
                                           BadRender{"NegativeResolution", 1, -96, ErrInvalidProcedureCall},
                                           BadRender{"NotANumber", 1, std::numeric_limits<double>::quiet_NaN(),
                                                     ErrInvalidProcedureCall},
                                           BadRender{"TooLargeAnImage", 1, 4000, ErrInvalidProcedureCall}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Spool, APageReadInPartGivesWhatWasDrawnAndTheError)
{
    const QString path = withLines("#pset@\r\n0,13,1,0,0,1\r\nuno,2\r\n");
    const SpoolFile spool(path);
    std::optional<Error> error;
    const QImage partial = spool.renderPage(2, 96, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), ErrTypeMismatch);
    EXPECT_EQ(error->file(), path);
    EXPECT_GT(error->line(), 0);
    EXPECT_EQ(partial, SpoolFile(pp.spoolPath()).renderPage(2, 96)); // everything before the bad record
    EXPECT_THROW(spool.renderPage(2, 96), Error);
}

/// The preview of a file whose page 2 cannot be read in full, as a user
/// goes through it: End to the last page, then Esc.
struct Anteprima
{
    const char *name;
    bool rotto;
    bool conErrore; // the caller asks for the error (else it is thrown)
};

class Previews : public Spool, public ::testing::WithParamInterface<Anteprima>
{};

TEST_P(Previews, TheErrorShownComesBackAfterTheWindowCloses)
{
    const Anteprima &c = GetParam();
    const QString path = c.rotto ? withLines("#pset@\r\n0,13,1,0,0,1\r\nuno,2\r\n") : pp.spoolPath();
    int tasti = 0;
    QTimer utente;
    QObject::connect(&utente, &QTimer::timeout, [&] {
        QWidget *finestra = QApplication::activeModalWidget();
        if (!finestra || !finestra->isVisible() || tasti++)
            return;
        QTest::keyClick(finestra, Qt::Key_End);
        QTest::keyClick(finestra, Qt::Key_Escape);
    });
    utente.start(10);
    std::optional<Error> error;
    if (c.rotto && !c.conErrore) {
        EXPECT_THROW(SpoolFile(path).showPreview(QStringLiteral("Prova")), Error);
    } else {
        SpoolFile(path).showPreview(QStringLiteral("Prova"), c.conErrore ? &error : nullptr);
    }
    EXPECT_EQ(tasti, 1);
    EXPECT_EQ(error.has_value(), c.rotto && c.conErrore);
    if (error) {
        EXPECT_EQ(error->number(), ErrTypeMismatch);
        EXPECT_EQ(error->file(), path);
        EXPECT_TRUE(error->description().contains(QStringLiteral("trovato \"uno\"")))
            << error->description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Preview, Previews,
                         ::testing::Values(Anteprima{"brokenGivesTheError", true, true},
                                           Anteprima{"brokenThrows", true, false},
                                           Anteprima{"wholeFileNothing", false, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Spool, PageCountFollowsAGrowingFile)
{
    const SpoolFile spool(pp.spoolPath());
    EXPECT_EQ(spool.pageCount(), 2);
    pp.NuovaPagina();
    pp.StampaTesto(1440, 1440, QStringLiteral("pagina-tre"));
    EXPECT_EQ(spool.pageCount(), 3);
    EXPECT_NO_THROW(spool.renderPage(3, 48));
}

struct CheckCase
{
    const char *name;
    QByteArray appended;
    int number;  ///< 0: no error
    int badLine; ///< lines after the document's own
};

class Checks : public Spool, public ::testing::WithParamInterface<CheckCase>
{};

TEST_P(Checks, CountWhatIsDrawnOrNameTheFirstError)
{
    const QString path = withLines(GetParam().appended);
    const int documentLines = int(test::readAll(pp.spoolPath()).count('\n'));
    const SpoolCheck check = SpoolFile(path).check();
    EXPECT_EQ(check.pages, 2);
    EXPECT_EQ(check.texts, 2);
    EXPECT_EQ(check.boxes, 1);
    if (!GetParam().number) {
        EXPECT_TRUE(check.ok()) << qPrintable(check.error->description());
        EXPECT_EQ(check.lines, 2);
        EXPECT_EQ(check.points, 1);
        EXPECT_EQ(check.circles, 1);
        return;
    }
    ASSERT_FALSE(check.ok());
    EXPECT_EQ(check.error->number(), GetParam().number);
    EXPECT_EQ(check.error->file(), path);
    EXPECT_EQ(check.error->line(), documentLines + GetParam().badLine);
    EXPECT_TRUE(check.error->description().contains(QStringLiteral("riga %1").arg(documentLines + GetParam().badLine)))
        << qPrintable(check.error->description());
}

INSTANTIATE_TEST_SUITE_P(
    Files, Checks,
    ::testing::Values(
        CheckCase{"Valid", "#line@\r\n0,13,1,0,0,1\r\n1,2,3,4,#FALSE#,#FALSE#\r\n#pset@\r\n0,13,1,0,0,1\r\n5,6\r\n", 0,
                  0},
        CheckCase{"NotANumber", "#line@\r\nuno;due\r\n", ErrTypeMismatch, 2},
        CheckCase{"CutShort", "#line@\r\n0,13,1,0,0,1\r\n1,2\r\n", ErrInputPastEnd, 4},
        CheckCase{"MissingPicture", "#paint@\r\n\"/nonexistent/qvm.tmp\",1,2,3,4\r\n", ErrFileNotFound, 2}),
    [](const auto &info) { return std::string(info.param.name); });

struct PictureCheck
{
    const char *name;
    std::function<QByteArray()> content;
    int number; ///< 0: the picture loads
};

void PrintTo(const PictureCheck &c, std::ostream *os)
{
    *os << c.name;
}

class PictureChecks : public Spool, public ::testing::WithParamInterface<PictureCheck>
{};

TEST_P(PictureChecks, LoadEveryPictureAsTheRenderDoes)
{
    const QString picture = test::writeAll(env.root() + QStringLiteral("qvm1.tmp"), GetParam().content());
    const QString path = withLines("#paint@\r\n\"" + picture.toUtf8() + "\",1,2,300,400\r\n");
    const int documentLines = int(test::readAll(pp.spoolPath()).count('\n'));
    const SpoolCheck check = SpoolFile(path).check();
    if (!GetParam().number) {
        EXPECT_TRUE(check.ok()) << qPrintable(check.error->description());
        EXPECT_EQ(check.pictures, 1);
        return;
    }
    ASSERT_FALSE(check.ok());
    EXPECT_EQ(check.error->number(), GetParam().number);
    EXPECT_EQ(check.error->file(), path);
    EXPECT_EQ(check.error->line(), documentLines + 2);
    EXPECT_TRUE(check.error->description().contains(picture)) << qPrintable(check.error->description());
    EXPECT_EQ(check.pictures, 0);
}

QByteArray qpictureFile()
{
    QPicture picture;
    {
        QPainter painter(&picture);
        painter.drawEllipse(0, 0, 100, 50);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer);
    return bytes;
}

QByteArray pngFile()
{
    QImage image(5, 5, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureChecks,
    ::testing::Values(
        PictureCheck{"Png", pngFile, 0},
        PictureCheck{"Svg",
                     [] { return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>"); },
                     0},
        PictureCheck{"QPicture", qpictureFile, ErrInvalidPicture},
        PictureCheck{"TruncatedPng", [] { return pngFile().left(40); }, ErrInvalidPicture},
        PictureCheck{"BrokenSvg", [] { return QByteArray("<svg><g></svg>"); }, ErrInvalidPicture}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Spool, CheckOfAMissingFileIsItsError)
{
    const SpoolCheck check = SpoolFile(env.root() + QStringLiteral("manca.qv")).check();
    ASSERT_FALSE(check.ok());
    EXPECT_EQ(check.error->number(), ErrFileNotFound);
    EXPECT_EQ(check.error->file(), env.root() + QStringLiteral("manca.qv"));
}

TEST_F(Spool, PrintsTheChosenPagesAndCopiesToAPdfFile)
{
    platform::setPrintersForTesting(std::nullopt);
    ASSERT_TRUE(printerNames().contains(pdfPrinterName()));
    const QString pdf = env.root() + QStringLiteral("due.pdf");
    std::vector<std::pair<int, int>> progress;
    SpoolFile(pp.spoolPath()).print(PrintOptions{2, 2, 3, {}, pdf, QStringLiteral("Prova")}, [&](int done, int total) {
        progress.emplace_back(done, total);
    });
    EXPECT_EQ(test::pdfPageTexts(pdf), QStringList({"pagina-due", "pagina-due", "pagina-due"}));
    EXPECT_EQ(test::pdfInfoField(pdf, QStringLiteral("Title")), QStringLiteral("Prova"));
    EXPECT_EQ(progress.back(), std::make_pair(3, 3));
    // The control's document is untouched by printing its file.
    EXPECT_TRUE(QFile::exists(pp.spoolPath()));
}

TEST_F(Spool, PrintingWithoutAPrinterOrToAnUnknownOneFails)
{
    try {
        SpoolFile(pp.spoolPath()).print();
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrPrinter);
    }
    test::TempEnv::onePrinter(11000, 15000, QStringLiteral("Ufficio"));
    EXPECT_EQ(printerNames(), QStringList{"Ufficio"});
    EXPECT_EQ(currentPrinterName(), QStringLiteral("Ufficio"));
    EXPECT_FALSE(setCurrentPrinter(QStringLiteral("Cantina")));
    EXPECT_EQ(SpoolFile::pageSizeTwips(), QSize(11000, 15000));
    PrintOptions options;
    options.printer = QStringLiteral("Cantina");
    try {
        SpoolFile(pp.spoolPath()).print(options);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrPrinter);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Cantina"))) << qPrintable(e.description());
    }
}

} // namespace
