// SPDX-License-Identifier: MIT
// Ending a document from the host: the modal preview, printing with and
// without the print options dialog (to the built-in PDF printer, read back
// with poppler's tools), the discarding afterwards, and the about box.
#include "control/PrintPreviewInterno.h"
#include "dialogs/FrmInfo.h"
#include "dialogs/FrmOpzioni.h"
#include "platform/Devices.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "print/MotoreStampa.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>
#include <qvpreview/VersionRecord.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cerrno>
#include <cmath>
#include <functional>

using namespace qv;

// Readable failure messages for QString values.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

#if defined(__SANITIZE_ADDRESS__)
// After a failed print, LeakSanitizer's own scan at the end of this program
// crashes on the main thread's dynamic TLS ("Tracer caught signal 11"), in
// whichever case the process's layout puts it, though every case passes.
// This program runs its cases under AddressSanitizer without that scan.
extern "C" const char *__lsan_default_options()
{
    return "detect_leaks=0";
}
#endif

namespace {

/// Acts on the next modal window that opens, from inside its event loop.
/// Gives up after a few seconds, so that a window that never opens cannot
/// hang the test; shown() tells whether it opened.
class ModalDriver
{
public:
    explicit ModalDriver(std::function<void(QWidget *)> action) : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                m_timer.stop();
                m_shown = true;
                m_action(w);
            } else if (++m_ticks > 300) {
                m_timer.stop();
            }
        });
        m_timer.start();
    }
    bool shown() const { return m_shown; }

private:
    std::function<void(QWidget *)> m_action;
    QTimer m_timer;
    int m_ticks = 0;
    bool m_shown = false;
};

void click(QWidget *window, const char *button)
{
    auto *b = window->findChild<QPushButton *>(QLatin1String(button));
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfTitle(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Title:\\s+(.*)$"), QRegularExpression::MultilineOption)
            .match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

/// The words of each page of \a pdf that start with "pagina-", in page order.
QStringList pdfPageWords(const QString &pdf)
{
    QStringList words;
    const QStringList pages = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).split(QChar(0x0c));
    for (const QString &page : pages) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("pagina-\\w+")).match(page);
        if (m.hasMatch())
            words << m.captured(0);
    }
    return words;
}

QImage picture()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

class Job : public qv::test::TempEnvTest
{
protected:
    Job()
    {
        pdf = env.root() + QStringLiteral("out.pdf");
        platform::setPrintersForTesting(
            QList<platform::PrinterDesc>{{platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
        platform::setPdfOutputFile(pdf);
        pp.setTitolo(QStringLiteral("Fattura di prova"));
    }

    /// Pages "pagina-uno", "pagina-due", ..., one picture on each.
    void record(int pages)
    {
        static const char *const names[] = {"uno", "due", "tre", "quattro"};
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                pp.NuovaPagina();
            pp.StampaTesto(1440, 1440, QStringLiteral("pagina-") + QLatin1String(names[i]));
            pp.StampaPicture(picture(), 1440, 2880);
        }
        ASSERT_EQ(pp.TotalePagine(), pages);
        ASSERT_EQ(pp.pictureFiles().size(), pages);
    }

    void expectDiscarded(const QString &spool, const QStringList &pictures)
    {
        EXPECT_FALSE(QFile::exists(spool));
        for (const QString &p : pictures)
            EXPECT_FALSE(QFile::exists(p)) << qPrintable(p);
        EXPECT_TRUE(pp.spoolPath().isEmpty());
        EXPECT_TRUE(pp.pictureFiles().isEmpty());
        EXPECT_EQ(pp.TotalePagine(), 1);
        // Only the preview window's own page image file stays while the control lives.
        QStringList left = env.tempFiles(QStringLiteral("qv"));
        left.removeAll(QFileInfo(PrintPreviewInterno::di(pp).anteprima().FileImmagine()).fileName());
        EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(' '));
    }

    void expectKept(const QString &spool, const QStringList &pictures, int pages)
    {
        EXPECT_EQ(pp.spoolPath(), spool);
        EXPECT_TRUE(QFile::exists(spool));
        EXPECT_EQ(pp.pictureFiles(), pictures);
        for (const QString &p : pictures)
            EXPECT_TRUE(QFile::exists(p)) << qPrintable(p);
        EXPECT_EQ(pp.TotalePagine(), pages);
    }

    QString pdf;
    PrintPreview pp;
};

TEST_F(Job, PrintWithoutTheDialogPrintsEveryPageCopieTimesThenDiscards)
{
    record(2);
    pp.setCopie(2);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    ModalDriver driver([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    pp.InviaAllaStampante();
    EXPECT_FALSE(driver.shown());
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(pdfPages(pdf), 4);
    EXPECT_EQ(pdfPageWords(pdf), QStringList({"pagina-uno", "pagina-due", "pagina-uno", "pagina-due"}));
    EXPECT_EQ(pdfTitle(pdf), QStringLiteral("Fattura di prova"));
    EXPECT_EQ(pp.lastPdfFile(), pdf);
    EXPECT_FALSE(pp.lastPrintError().has_value());
    expectDiscarded(spool, pictures);
    // The properties stay as the host set them.
    EXPECT_EQ(pp.Copie(), 2);
    EXPECT_EQ(pp.titolo(), QStringLiteral("Fattura di prova"));
}

TEST_F(Job, NoCopiesPrintNothingAndKeepTheDocument)
{
    record(2);
    pp.setCopie(0);
    const QString spool = pp.spoolPath();
    pp.InviaAllaStampante();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(pp.lastPdfFile(), QString());
    EXPECT_FALSE(pp.lastPrintError().has_value());
    // Nothing came out, so nothing is discarded: it prints once copies are asked for.
    EXPECT_EQ(pp.spoolPath(), spool);
    EXPECT_TRUE(QFile::exists(spool));
    EXPECT_EQ(pp.TotalePagine(), 2);
    pp.setCopie(1);
    pp.InviaAllaStampante();
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_EQ(pp.lastPdfFile(), pdf);
}

TEST_F(Job, TheDialogGivesTheRangeAndTheCopies)
{
    record(3);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    bool filled = false;
    ModalDriver driver([&](QWidget *w) {
        ASSERT_NE(qobject_cast<FrmOpzioni *>(w), nullptr);
        auto *copies = w->findChild<QLineEdit *>(QStringLiteral("TxtNumeroCopie"));
        EXPECT_EQ(copies->text(), QStringLiteral("1")); // the control's Copie
        QTest::mouseClick(w->findChild<QRadioButton *>(QStringLiteral("OptPagine")), Qt::LeftButton);
        w->findChild<QLineEdit *>(QStringLiteral("TxtInizio"))->setText(QStringLiteral("2"));
        w->findChild<QLineEdit *>(QStringLiteral("TxtFine"))->setText(QStringLiteral("3"));
        click(w, "CmdPiu");
        filled = true;
        click(w, "Command1");
    });
    pp.InviaAllaStampante(true);
    ASSERT_TRUE(filled);
    EXPECT_EQ(pdfPages(pdf), 4);
    EXPECT_EQ(pdfPageWords(pdf), QStringList({"pagina-due", "pagina-tre", "pagina-due", "pagina-tre"}));
    expectDiscarded(spool, pictures);
    EXPECT_EQ(pp.Copie(), 1); // the dialog's copies are this print's only
}

TEST_F(Job, APageBeyondTheEngineRangeIsHeldNotWrapped)
{
    // -65534 would wrap round to page 2 as a 16-bit number; held, it is
    // "from the start" and both pages print.
    record(2);
    ModalDriver driver([&](QWidget *w) {
        QTest::mouseClick(w->findChild<QRadioButton *>(QStringLiteral("OptPagine")), Qt::LeftButton);
        w->findChild<QLineEdit *>(QStringLiteral("TxtInizio"))->setText(QStringLiteral("-65534"));
        w->findChild<QLineEdit *>(QStringLiteral("TxtFine"))->setText(QStringLiteral("2"));
        click(w, "Command1");
    });
    pp.InviaAllaStampante(true);
    ASSERT_TRUE(driver.shown());
    EXPECT_EQ(pdfPageWords(pdf), QStringList({"pagina-uno", "pagina-due"}));
}

TEST_F(Job, ACancelledDialogDiscardsTheDocumentAndPrintsNothing)
{
    record(3);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    ModalDriver driver([](QWidget *w) { click(w, "Command2"); });
    pp.InviaAllaStampante(true);
    ASSERT_TRUE(driver.shown());
    EXPECT_FALSE(QFile::exists(pdf));
    expectDiscarded(spool, pictures);
}

TEST_F(Job, NothingRecordedPrintsNothingButStillShowsTheDialog)
{
    ModalDriver driver([](QWidget *w) { click(w, "Command1"); });
    pp.InviaAllaStampante(true);
    EXPECT_TRUE(driver.shown());
    pp.InviaAllaStampante(false);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(pp.spoolPath().isEmpty());
    EXPECT_TRUE(env.tempFiles(QStringLiteral("qv")).isEmpty()) << qPrintable(env.tempFiles().join(' '));
}

TEST_F(Job, WithoutAPrinterNothingHappens)
{
    qv::test::TempEnv::noPrinters();
    record(2);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    ModalDriver driver([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    pp.InviaAllaStampante(true);
    EXPECT_FALSE(driver.shown());
    expectKept(spool, pictures, 2);
    ASSERT_TRUE(pp.lastPrintError().has_value());
    EXPECT_EQ(pp.lastPrintError()->number(), ErrPrinter);
}

TEST_F(Job, AFailedPrintKeepsTheDocumentAndStaysQuiet)
{
    record(2);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    // A record that the replay refuses makes the engine fail half-way.
    {
        QFile f(spool);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("#line@\r\nnon è un numero\r\n");
    }
    EXPECT_NO_THROW(pp.InviaAllaStampante());
    expectKept(spool, pictures, 2);
}

/// Collects what reaches the host's Qt message handler while it lives.
class HostMessages
{
public:
    HostMessages()
    {
        s_messages.clear();
        m_old = qInstallMessageHandler(&collect);
    }
    ~HostMessages() { qInstallMessageHandler(m_old); }
    const QStringList &messages() const { return s_messages; }

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message) { s_messages << message; }
    static inline QStringList s_messages;
    QtMessageHandler m_old = nullptr;
};

/// A print that fails: \a prepare breaks it (given the fixture's spool
/// file) and returns the text the error must name.
struct FailedPrintCase
{
    const char *name;
    std::function<QString(const QString &spool, const QString &root)> prepare;
    int number;
};

void PrintTo(const FailedPrintCase &c, std::ostream *os)
{
    *os << c.name;
}

class FailedPrint : public Job, public ::testing::WithParamInterface<FailedPrintCase>
{};

// The host hears nothing, in its message handler neither, and keeps the
// document; lastPrintError() says what went wrong and where.
TEST_P(FailedPrint, KeepsTheDocumentAndTellsTheHostOnlyWhenAsked)
{
    record(2);
    const QString spool = pp.spoolPath();
    const QStringList pictures = pp.pictureFiles();
    const QString named = GetParam().prepare(spool, env.root());
    if (named.isEmpty())
        GTEST_SKIP() << "not available on this machine";
    HostMessages host;
    EXPECT_NO_THROW(pp.InviaAllaStampante());
    EXPECT_TRUE(host.messages().isEmpty()) << qPrintable(host.messages().join('\n'));
    expectKept(spool, pictures, 2);
    ASSERT_TRUE(pp.lastPrintError().has_value());
    EXPECT_EQ(pp.lastPrintError()->number(), GetParam().number);
    EXPECT_TRUE(pp.lastPrintError()->description().contains(named)) << qPrintable(pp.lastPrintError()->description());
    EXPECT_TRUE(pp.lastPdfFile().isEmpty());

    // Once the fault is gone, the same document prints and is discarded.
    platform::setPdfOutputFile(pdf);
    if (GetParam().number == ErrPrinter) {
        pp.InviaAllaStampante();
        EXPECT_FALSE(pp.lastPrintError().has_value());
        EXPECT_EQ(pp.lastPdfFile(), pdf);
        EXPECT_EQ(pdfPageWords(pdf), QStringList({"pagina-uno", "pagina-due"}));
        expectDiscarded(spool, pictures);
    }
}

INSTANTIATE_TEST_SUITE_P(Host, FailedPrint,
                         ::testing::Values(FailedPrintCase{"BrokenRecord",
                                                           [](const QString &spool, const QString &) {
                                                               QFile f(spool);
                                                               f.open(QIODevice::Append);
                                                               f.write("#line@\r\nnon è un numero\r\n");
                                                               return spool;
                                                           },
                                                           ErrTypeMismatch},
                                           FailedPrintCase{"ADevice",
                                                           [](const QString &, const QString &) {
                                                               if (!QFileInfo(QStringLiteral("/dev/full")).exists()
                                                                   || QFileInfo(QStringLiteral("/dev/full")).isFile())
                                                                   return QString();
                                                               platform::setPdfOutputFile(QStringLiteral("/dev/full"));
                                                               return QStringLiteral("non è un file regolare");
                                                           },
                                                           ErrPrinter},
                                           FailedPrintCase{"MissingFolder",
                                                           [](const QString &, const QString &root) {
                                                               platform::setPdfOutputFile(
                                                                   root + QStringLiteral("manca/out.pdf"));
                                                               return root + QStringLiteral("manca");
                                                           },
                                                           ErrPrinter},
                                           FailedPrintCase{"ItsOwnSpoolFile",
                                                           [](const QString &spool, const QString &) {
                                                               platform::setPdfOutputFile(spool);
                                                               return spool;
                                                           },
                                                           ErrPrinter}),
                         [](const auto &info) { return std::string(info.param.name); });

// A spool file replaced by a link after the last record is not printed, and
// neither the link nor the file it leads to is discarded.
TEST_F(Job, AReplacedSpoolFileIsNotPrinted)
{
    record(2);
    const QString spool = pp.spoolPath();
    const QString elsewhere = env.root() + QStringLiteral("altrove.qv");
    ASSERT_TRUE(QFile::rename(spool, elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, spool));
    platform::setPdfOutputFile(pdf);
    pp.InviaAllaStampante();
    ASSERT_TRUE(pp.lastPrintError().has_value());
    EXPECT_EQ(pp.lastPrintError()->number(), ErrFileNotFound);
    EXPECT_TRUE(pp.lastPrintError()->description().contains(spool));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(QFileInfo(spool).isSymLink());
    EXPECT_TRUE(QFile::exists(elsewhere));
}

// The preview window prints through the control's print command: what it
// did is what lastPrintError() says afterwards, and nothing is discarded.
TEST_F(Job, ThePreviewWindowsPrintIsReportedThroughLastPrintError)
{
    record(2);
    pp.InviaAllaStampante(); // prints and discards: no error
    ASSERT_FALSE(pp.lastPrintError());
    record(2);

    qv::test::TempEnv::noPrinters();
    QStringList shown;
    platform::setMessageBoxHandlerForTesting(
        [&](const QString &text, const QString &, platform::MessageIcon) { shown << text; });
    ModalDriver driver([](QWidget *w) {
        auto *window = qobject_cast<FrmAnteprima *>(w);
        ASSERT_NE(window, nullptr);
        window->pulsante(QStringLiteral("stampa"))->trigger();
        window->pulsante(QStringLiteral("esci"))->trigger();
    });
    pp.ShowAnteprima();
    platform::setMessageBoxHandlerForTesting({});
    ASSERT_TRUE(driver.shown());
    EXPECT_EQ(shown, QStringList{MotoreStampa::testoNessunaStampante()});
    ASSERT_TRUE(pp.lastPrintError().has_value());
    EXPECT_EQ(pp.lastPrintError()->number(), ErrPrinter);
    EXPECT_TRUE(pp.lastPdfFile().isEmpty());
    expectKept(pp.spoolPath(), pp.pictureFiles(), 2);
}

TEST_F(Job, ShowAnteprimaOpensTheModalWindowAndTheDocumentStays)
{
    record(3);
    const QString spool = pp.spoolPath();
    QString caption;
    int32_t pages = 0;
    QString file;
    bool modal = false;
    ModalDriver driver([&](QWidget *w) {
        auto *window = qobject_cast<FrmAnteprima *>(w);
        ASSERT_NE(window, nullptr);
        caption = window->windowTitle();
        pages = window->PagineTotali();
        file = window->FileTemporaneo();
        modal = window->isModal();
        QAction *esci = window->pulsante(QStringLiteral("esci"));
        ASSERT_NE(esci, nullptr);
        QTest::mouseClick(window->Toolbar1->widgetForAction(esci), Qt::LeftButton);
    });
    pp.ShowAnteprima();
    ASSERT_TRUE(driver.shown());
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Fattura di prova"))) << qPrintable(caption);
    EXPECT_TRUE(modal);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(file, spool);
    EXPECT_FALSE(PrintPreviewInterno::di(pp).anteprima().isVisible());
    // The host may go on recording and preview again.
    expectKept(spool, pp.pictureFiles(), 3);
    pp.NuovaPagina();
    ModalDriver again([&](QWidget *w) {
        pages = static_cast<FrmAnteprima *>(w)->PagineTotali();
        static_cast<QDialog *>(w)->reject();
    });
    pp.ShowAnteprima();
    EXPECT_EQ(pages, 4);
}

TEST_F(Job, RecordingLoadsNoWindowAndCentresOnThePrinterPageOfItsDocument)
{
    // The x of the centred text "W" in the spool file after \a record.
    auto centredX = [&](const std::function<void()> &record) {
        record();
        const QList<QByteArray> lines = qv::test::readAll(pp.spoolPath()).split('\n');
        return lines.at(lines.size() - 4).split(',').first().toInt();
    };
    const double w = pp.TextWidth(QStringLiteral("W"));
    auto centre = [&](double page) { return int(std::nearbyint((page - w) / 2)); };
    test::TempEnv::onePrinter(11000, 15000);
    EXPECT_EQ(centredX([&] { pp.StampaCentrato(1440, QStringLiteral("W")); }), centre(11000));
    // Recording, converting and measuring left the preview window unloaded:
    // no page image file, no settings read or written.
    EXPECT_FALSE(PrintPreviewInterno::di(pp).anteprima().isLoaded());
    EXPECT_EQ(env.tempFiles().size(), 1) << qPrintable(env.tempFiles().join(' '));
    EXPECT_TRUE(QDir(env.configFolder()).isEmpty());

    // The page is the one of the printer when the document started ...
    test::TempEnv::onePrinter(9000, 15000);
    EXPECT_EQ(centredX([&] { pp.StampaCentrato(1440, QStringLiteral("W")); }), centre(11000));
    // ... until the preview window has been shown and closed.
    ModalDriver close([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    pp.ShowAnteprima();
    ASSERT_TRUE(close.shown());
    EXPECT_EQ(centredX([&] { pp.StampaCentrato(1440, QStringLiteral("W")); }), centre(9000));
}

TEST_F(Job, AfterAPrintThePreviewShowsAnEmptyDocument)
{
    record(2);
    pp.InviaAllaStampante();
    ASSERT_EQ(pdfPages(pdf), 2);
    int32_t pages = 0;
    QString file = QStringLiteral("?");
    ModalDriver driver([&](QWidget *w) {
        pages = static_cast<FrmAnteprima *>(w)->PagineTotali();
        file = static_cast<FrmAnteprima *>(w)->FileTemporaneo();
        static_cast<QDialog *>(w)->reject();
    });
    pp.ShowAnteprima();
    ASSERT_TRUE(driver.shown());
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(file.isEmpty());
    EXPECT_EQ(pp.TotalePagine(), 1);
}

TEST_F(Job, AboutBoxIsModalAndClosesWithOk)
{
    QString caption, version;
    ModalDriver driver([&](QWidget *w) {
        ASSERT_NE(qobject_cast<FrmInfo *>(w), nullptr);
        caption = w->windowTitle();
        version = w->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        click(w, "Command1");
    });
    pp.AboutBox();
    ASSERT_TRUE(driver.shown());
    EXPECT_EQ(caption, QStringLiteral("Informazioni sul PrintPreview..."));
    EXPECT_TRUE(version.endsWith(QStringLiteral(" v1.2.48"))) << qPrintable(version);
}

TEST(LibraryVersion, IsEmbeddedInItsOwnSection)
{
    const VersionRecord &v = libraryVersion();
    EXPECT_STREQ(v.product, "qvPreview");
    EXPECT_EQ(v.major, 1);
    EXPECT_EQ(v.minor, 2);
    EXPECT_EQ(v.patch, 0);
    EXPECT_EQ(v.revision, 48);
    EXPECT_EQ(FrmInfo::TestoVersione(), QStringLiteral("qvPreview v1.2.48"));

    // The bytes of the section in the library file, read without loading it.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<const void *>(&v), &info), 0);
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"),
                  {QStringLiteral("--hex-dump=qv_version"), QFile::decodeName(info.dli_fname)});
    ASSERT_TRUE(readelf.waitForFinished(30000));
    const QString dump = QString::fromLatin1(readelf.readAllStandardOutput());
    // "QVVERS1\0", then "qvPreview" and, 32 bytes in, 1, 2, 0 and 48 (0x30).
    EXPECT_TRUE(dump.contains(QStringLiteral("51565645 52533100 71765072 65766965"))) << qPrintable(dump);
    EXPECT_TRUE(dump.contains(QStringLiteral("01000200 00003000"))) << qPrintable(dump);
}

} // namespace
