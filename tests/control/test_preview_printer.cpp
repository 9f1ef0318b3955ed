// SPDX-License-Identifier: MIT
// The recording printer: what QPainter draws on it is recorded page by page
// into a spool file, replayed onto an image as painting the same scene
// directly gives it, found by find, refused with file and line when a record
// is damaged, and kept or discarded with its files.
#include "support/TestEnv.h"
#include "tests/control/QtScenes.h"

#include <qvpreview/PreviewPrinter.h>
#include <qvpreview/SpoolFile.h>

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace qv;

namespace {

class Recording : public test::TempEnvTest
{
protected:
    Recording()
    {
        test::TempEnv::noPrinters();
        test::useA4Pdf(printer);
    }

    /// Paints \a scene on the recording printer, then the pages after it.
    void record(const test::Scene &scene, const std::function<void(QPainter &)> &more = {})
    {
        QPainter painter;
        ASSERT_TRUE(painter.begin(&printer));
        scene(painter, printer);
        if (more)
            more(painter);
        painter.end();
        ASSERT_FALSE(printer.recordingError().has_value()) << printer.recordingError()->what();
    }

    /// The scene painted straight onto an image of the recorded page (the
    /// paper the printer was set to) at \a dpi, as the replay draws it there.
    QImage paintedDirectly(const test::Scene &scene, double dpi)
    {
        const QSize twips = SpoolFile(printer.spoolPath()).pageSizeTwips(1);
        QImage image(int(std::ceil(twips.width() * dpi / 1440)), int(std::ceil(twips.height() * dpi / 1440)),
                     QImage::Format_RGB32);
        // The image says the printer's resolution, so that fonts in points
        // have the size they have on the printer.
        const int res = printer.resolution();
        image.setDotsPerMeterX(int(std::lround(res / 0.0254)));
        image.setDotsPerMeterY(int(std::lround(res / 0.0254)));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(dpi / res, dpi / res);
        QPrinter like(QPrinter::HighResolution);
        test::useA4Pdf(like);
        scene(painter, like);
        return image;
    }

    PreviewPrinter printer;
};

struct SceneCase
{
    const char *name;
    test::Scene scene;
    /// The share of pixels that may differ by more than 64 levels: shapes
    /// replay exactly; text only where its hinting differs.
    double share;
};

class Scenes : public Recording, public ::testing::WithParamInterface<SceneCase>
{};

TEST_P(Scenes, ReplayAsPaintedDirectly)
{
    record(GetParam().scene);
    const SpoolFile spool(printer.spoolPath());
    ASSERT_EQ(spool.pageCount(), 1);
    const QImage replayed = spool.renderPage(1, 96);
    const QImage direct = paintedDirectly(GetParam().scene, 96);
    // The scene drew something: the page is not blank.
    QImage blank(replayed.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_GT(test::differingShare(replayed, blank, 64), 0.002);
    EXPECT_LE(test::differingShare(replayed, direct, 64), GetParam().share);
    if (qEnvironmentVariableIsSet("QV_KEEP_IMAGES")) {
        replayed.save(QStringLiteral("/tmp/replayed-%1.png").arg(QLatin1String(GetParam().name)));
        direct.save(QStringLiteral("/tmp/direct-%1.png").arg(QLatin1String(GetParam().name)));
    }
    EXPECT_TRUE(spool.check().ok());
}

INSTANTIATE_TEST_SUITE_P(Cases, Scenes,
                         ::testing::Values(SceneCase{"Chart", test::chartScene, 0.002},
                                           SceneCase{"BrushPatterns", test::brushScene, 0.002},
                                           SceneCase{"Text", test::textScene, 0.004},
                                           SceneCase{"Images", test::imageScene, 0.001},
                                           SceneCase{"SharedState", test::sharedStateScene, 0.004}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Recording, NewPageIsAPageBreakAndEveryRunOfTextIsFound)
{
    record(test::textScene, [this](QPainter &p) {
        printer.newPage();
        p.drawText(QPointF(500, 500), QStringLiteral("Seconda pagina"));
        printer.newPage();
        p.save();
        p.rotate(30);
        p.drawText(QPointF(800, 300), QStringLiteral("Timbro ruotato"));
        p.restore();
        QTextDocument doc;
        doc.setHtml(QStringLiteral("<p>Totale <b>dovuto</b> entro trenta giorni</p>"));
        doc.drawContents(&p);
    });
    EXPECT_EQ(printer.pageCount(), 3);
    const SpoolFile spool(printer.spoolPath());
    EXPECT_EQ(spool.pageCount(), 3);
    // The check counts the runs of text as texts, the rest as drawings
    // (the table's borders and the list's bullets among them).
    const SpoolCheck check = spool.check();
    ASSERT_TRUE(check.ok());
    EXPECT_EQ(check.pages, 3);
    EXPECT_GE(check.texts, 12);
    EXPECT_GE(check.drawings, 4);
    EXPECT_EQ(check.lines + check.boxes + check.points + check.circles + check.pictures, 0);
    struct Expected
    {
        const char *text;
        int page;
    };
    for (const Expected &e : {Expected{"Fattura numero 42", 1}, Expected{"Condizioni di pagamento", 1},
                              Expected{"Testo statico preparato", 1}, Expected{"Riepilogo", 1}, Expected{"120,00", 1},
                              Expected{"secondo punto", 1}, Expected{"seconda PAGINA", 2},
                              Expected{"Timbro ruotato", 3}, Expected{"dovuto", 3}}) {
        const QList<SpoolMatch> found = spool.find(QString::fromUtf8(e.text));
        ASSERT_EQ(found.size(), 1) << e.text;
        EXPECT_EQ(found[0].page, e.page) << e.text;
    }
    // A run's place on the page is in twips: "Seconda pagina" at (500, 500)
    // printer pixels of 1200 dpi.
    const SpoolMatch second = spool.find(QStringLiteral("Seconda")).value(0);
    EXPECT_NEAR(second.x, 600, 0.01);
    EXPECT_NEAR(second.y, 600, 0.01);
}

TEST_F(Recording, EachPageKeepsThePaperThePrinterWasSetTo)
{
    // The paper travels with every page, whatever printer is current where
    // the file is read: a Letter landscape page is 11 x 8.5 inches.
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
    QPainter painter;
    ASSERT_TRUE(painter.begin(&printer));
    painter.drawText(QPointF(100, 100), QStringLiteral("prima"));
    printer.newPage();
    painter.drawText(QPointF(100, 100), QStringLiteral("seconda"));
    painter.end();
    const SpoolFile spool(printer.spoolPath());
    ASSERT_EQ(spool.pageCount(), 2);
    for (int32_t page : {1, 2}) {
        const std::optional<QPageLayout> layout = spool.pageLayout(page);
        ASSERT_TRUE(layout.has_value()) << page;
        EXPECT_EQ(layout->pageSize().id(), QPageSize::Letter) << page;
        EXPECT_EQ(layout->orientation(), QPageLayout::Landscape) << page;
        EXPECT_EQ(spool.pageSizeTwips(page), QSize(15840, 12240)) << page;
    }
}

TEST_F(Recording, SettingsAreThoseOfAnOrdinaryPrinter)
{
    QPrinter like(QPrinter::HighResolution);
    test::useA4Pdf(like);
    like.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(10, 12, 14, 16),
                                   QPageLayout::Millimeter));
    like.setCopyCount(3);
    like.setDocName(QStringLiteral("Rapporto"));
    printer.takeSettingsFrom(like);
    EXPECT_EQ(printer.resolution(), like.resolution());
    EXPECT_TRUE(printer.pageLayout().isEquivalentTo(like.pageLayout()));
    EXPECT_EQ(printer.pageRect(QPrinter::DevicePixel), like.pageRect(QPrinter::DevicePixel));
    EXPECT_EQ(printer.width(), like.width());
    EXPECT_EQ(printer.height(), like.height());
    EXPECT_EQ(printer.copyCount(), 3);
    EXPECT_EQ(printer.docName(), QStringLiteral("Rapporto"));
}

TEST_F(Recording, ANewOutputFormatKeepsTheRecording)
{
    // setOutputFormat() makes QPrinter build engines of its own: the next
    // painting still records.
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setOutputFormat(QPrinter::PdfFormat);
    record([](QPainter &p, QPrinter &) { p.drawText(QPointF(100, 100), QStringLiteral("ancora registrato")); });
    EXPECT_EQ(printer.paintEngine()->type(), QPaintEngine::User);
    EXPECT_EQ(SpoolFile(printer.spoolPath()).find(QStringLiteral("registrato")).size(), 1);
}

TEST_F(Recording, FilesAreDiscardedOrKept)
{
    record(test::imageScene);
    const QString first = printer.spoolPath();
    ASSERT_TRUE(QFileInfo::exists(first));
    const QStringList pictures = env.tempFiles(QStringLiteral("qvm"));
    ASSERT_EQ(pictures.size(), 1); // one image drawn four times, once as a texture, is one file
    EXPECT_TRUE(test::readAll(first).contains("#qbrush@\r\n24,")); // the texture as a texture
    // A new recording discards the old one with its pictures.
    record([](QPainter &p, QPrinter &) { p.drawLine(0, 0, 100, 100); });
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qvm")).isEmpty());
    record(test::imageScene);
    const QString kept = printer.keepSpoolFile();
    EXPECT_TRUE(printer.spoolPath().isEmpty());
    record([](QPainter &p, QPrinter &) { p.drawLine(0, 0, 100, 100); });
    printer.discard();
    EXPECT_TRUE(printer.spoolPath().isEmpty());
    ASSERT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(env.tempFiles(QStringLiteral("qvm")).size(), 1);
    EXPECT_TRUE(SpoolFile(kept).check().ok());
}

TEST_F(Recording, AFailedWriteIsAnErrorOfThePrinter)
{
    QPainter painter(&printer);
    painter.drawLine(0, 0, 10, 10);
    ASSERT_TRUE(QFile::remove(printer.spoolPath()));
    painter.drawLine(0, 0, 20, 20);
    // The page's records are written when it ends: the write fails there.
    EXPECT_FALSE(printer.newPage());
    EXPECT_EQ(printer.printerState(), QPrinter::Error);
    ASSERT_TRUE(printer.recordingError().has_value());
    EXPECT_EQ(printer.recordingError()->number(), ErrCannotPrint);
    painter.end();
}

// --- Damaged records --------------------------------------------------------------

struct Damaged
{
    const char *name;
    const char *lines;
    int number;
};

class DamagedRecords : public Recording, public ::testing::WithParamInterface<Damaged>
{};

TEST_P(DamagedRecords, AreRefusedWithTheFileAndLine)
{
    record([](QPainter &p, QPrinter &) { p.drawLine(0, 0, 100, 100); });
    const QString path = env.root() + QStringLiteral("rotto.qv");
    QByteArray bytes = test::readAll(printer.spoolPath());
    bytes += QByteArray(GetParam().lines).replace("\n", "\r\n");
    test::writeAll(path, bytes);
    const int damagedLine = int(test::readAll(printer.spoolPath()).count('\n')) + 1;
    try {
        SpoolFile(path).renderPage(1, 96);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), GetParam().number) << e.what();
        EXPECT_EQ(e.file(), path);
        EXPECT_GE(e.line(), damagedLine) << e.what();
        EXPECT_TRUE(e.description().contains(path)) << e.what();
    }
    EXPECT_FALSE(SpoolFile(path).check().ok());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedRecords,
    ::testing::Values(
        Damaged{"UnknownPenStyle", "#qpen@\n9,1,16,64,2,#FALSE#,0,0\n1,0,1,0,0,1,0,0\n", ErrOverflow},
        Damaged{"UnknownCap", "#qpen@\n1,1,17,64,2,#FALSE#,0,0\n1,0,1,0,0,1,0,0\n", ErrOverflow},
        Damaged{"ColourBeyond32Bits", "#qbrush@\n1,4294967296,1,0,0,1,0,0\n", ErrOverflow},
        Damaged{"NegativeColour", "#qbrush@\n1,-1,1,0,0,1,0,0\n", ErrOverflow},
        Damaged{"TooManyGradientStops", "#qbrush@\n15,0,1,0,0,1,0,0,0,0,0,0,1,1,5000\n", ErrOutOfMemory},
        Damaged{"NoNumberInTheMatrix", "#qmatrix@\n1,0,0,0,abc,0,0,0,1\n", ErrTypeMismatch},
        Damaged{"MatrixCutShort", "#qmatrix@\n1,0,0\n", ErrInputPastEnd},
        Damaged{"FontOfNoSize", "#qfont@\n\"Sans\",\"\",0,400,0,#FALSE#,#FALSE#,#FALSE#,100,0,0,0,0,#TRUE#\n",
                ErrOverflow},
        Damaged{"NegativePathCount", "#qpath@\n0,-3\n", ErrOverflow},
        Damaged{"HugePathCount", "#qpath@\n0,99999999\n", ErrOutOfMemory},
        Damaged{"UnknownPathCommand", "#qpath@\n0,1\n7,1,1\n", ErrOverflow},
        Damaged{"UnknownPolygonKind", "#qpoly@\n5,1\n1,1\n", ErrOverflow},
        Damaged{"TextWithoutItsMark", "#qtext@\n0,0,0,0,0\nciao\n", ErrTypeMismatch},
        Damaged{"TextCutShort", "#qtext@\n0,0,0,0,0\n", ErrInputPastEnd},
        Damaged{"UnknownBrushStyle", "#qbrush@\n20,0,1,0,0,1,0,0\n", ErrOverflow},
        Damaged{"TextureMissing", "#qbrush@\n24,0,1,0,0,1,0,0,\"/nessuna/trama.png\"\n", ErrFileNotFound},
        Damaged{"TextureNotAPicture", "#qbrush@\n24,0,1,0,0,1,0,0,\"/etc/passwd\"\n", ErrInvalidPicture},
        Damaged{"ClipNotABoolean", "#qclip@\nforse\n", ErrTypeMismatch},
        Damaged{"ImageMissing", "#qimage@\n\"/nessuna/immagine.png\",0,0,10,10,0,0,1,1,#FALSE#\n", ErrFileNotFound},
        Damaged{"ImageNotAPicture", "#qimage@\n\"/etc/hostname\",0,0,10,10,0,0,1,1,#FALSE#\n", ErrInvalidPicture}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
