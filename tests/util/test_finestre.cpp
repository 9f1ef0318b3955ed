// SPDX-License-Identifier: MIT
// The window helpers of qvUtilita on widgets (offscreen platform): the
// gradient's pixels, centring, selecting a text box's text and the folder
// picker driven through its dialog. Other programs' windows are tested on a
// real X server (test_finestre_xvfb).
#include "support/TestEnv.h"
#include "util/BandeSfumate.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>

namespace qv {
namespace {

/// The gradient drawn band by band, exactly as the original loop does it:
/// every band filled, every channel lowered and wrapped after each band.
QImage bandeUnaAUna(QSize size, QColor fondo, double bande, int passo, int64_t colore)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fondo);
    QPainter painter(&image);
    const float alto = float(size.height()) / float(bande);
    int rosso = colore & 255, verde = (colore / 256) & 255, blu = (colore / 65536) & 255;
    const int dr = rosso > 0 ? passo : 0, dv = verde > 0 ? passo : 0, db = blu > 0 ? passo : 0;
    int sopra = 0;
    for (int i = 1; i <= bande; ++i) {
        const int sotto = int(std::nearbyint(i * double(alto)));
        painter.fillRect(QRect(0, sopra, size.width(), sotto - sopra), QColor(rosso, verde, blu));
        rosso = ((rosso - dr) % 256 + 256) % 256;
        verde = ((verde - dv) % 256 + 256) % 256;
        blu = ((blu - db) % 256 + 256) % 256;
        sopra = sotto;
    }
    return image;
}

/// The widget as it paints itself, 1 pixel to 1 pixel.
QImage dipinto(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class SfumaFormTest : public ::testing::Test
{
protected:
    SfumaFormTest()
    {
        widget.setAutoFillBackground(true);
        QPalette palette = widget.palette();
        palette.setColor(QPalette::Window, fondo);
        widget.setPalette(palette);
    }

    const QColor fondo{10, 200, 30};
    QWidget widget;
    qvUtilita u;
};

TEST_F(SfumaFormTest, DefaultsOn600PixelsGive60BandsOf10FromBlueToBlue19)
{
    widget.resize(120, 600);
    u.SfumaForm(&widget);
    const QImage image = dipinto(widget);
    ASSERT_EQ(image.height(), 600);
    for (int band = 0; band < 60; ++band)
        for (const int row : {band * 10, band * 10 + 9})
            for (const int x : {0, 119}) {
                const QColor atteso(0, 0, 255 - band * 4);
                ASSERT_EQ(image.pixelColor(x, row), atteso) << "band " << band + 1 << " row " << row;
            }
    EXPECT_EQ(image.pixelColor(60, 599), QColor(0, 0, 19));
}

TEST_F(SfumaFormTest, GreyWithStep16TurnsBlackInTheNinthBandAndWrapsInTheTenth)
{
    widget.resize(50, 600);
    u.SfumaForm(&widget, 0x808080, QVariant(), 16);
    const QImage image = dipinto(widget);
    EXPECT_EQ(image.pixelColor(25, 0), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(25, 80), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(25, 89), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(25, 90), QColor(240, 240, 240));
    EXPECT_EQ(image.pixelColor(25, 99), QColor(240, 240, 240));
    EXPECT_EQ(image.pixelColor(25, 100), QColor(224, 224, 224));
}

struct Gradiente
{
    const char *name;
    QSize size;
    double bande;
    int passo;
    int64_t colore;
};

void PrintTo(const Gradiente &g, std::ostream *os)
{
    *os << g.name;
}

class GradienteTest : public SfumaFormTest, public ::testing::WithParamInterface<Gradiente>
{};

TEST_P(GradienteTest, PaintsWhatTheBandByBandLoopPaints)
{
    const Gradiente &g = GetParam();
    widget.resize(g.size);
    u.SfumaForm(&widget, QVariant::fromValue(g.colore), g.bande, g.passo);
    const QImage atteso = bandeUnaAUna(g.size, fondo, g.bande, g.passo, g.colore);
    const QImage image = dipinto(widget);
    ASSERT_EQ(image.size(), atteso.size());
    for (int y = 0; y < atteso.height(); ++y)
        ASSERT_EQ(image.pixelColor(3, y), atteso.pixelColor(3, y)) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(
    Bands, GradienteTest,
    ::testing::Values(Gradiente{"halves_to_even", QSize(20, 25), 2, 4, 0xFF0000},      // edges at 12.5
                      Gradiente{"uneven_height", QSize(20, 97), 7, 30, 0x10C0FF},      // every channel wraps
                      Gradiente{"fractional_count", QSize(20, 50), 3.5, 8, 0x00FF00},  // 3 bands, 14.3 high
                      Gradiente{"rising", QSize(20, 60), 6, -50, 0x0A0A0A},            // a negative step
                      Gradiente{"red_only", QSize(20, 40), 40, 100, 0x0000FF},         // green, blue stay 0
                      Gradiente{"high_bits_ignored", QSize(20, 40), 4, 1, 0x7F123456}, // channels 56 34 12
                      Gradiente{"more_bands_than_rows", QSize(20, 10), 1000, 1, 0xFFFFFF},
                      Gradiente{"ten_thousand_bands", QSize(20, 300), 10000, 3, 0x8040C0}));

struct Nessuna
{
    const char *name;
    QVariant bande;
};

void PrintTo(const Nessuna &n, std::ostream *os)
{
    *os << n.name;
}

class NessunaBandaTest : public SfumaFormTest, public ::testing::WithParamInterface<Nessuna>
{};

TEST_P(NessunaBandaTest, LeavesTheBackgroundAsItWas)
{
    widget.resize(40, 40);
    u.SfumaForm(&widget, QVariant(), GetParam().bande);
    EXPECT_EQ(dipinto(widget).pixelColor(20, 20), fondo);
}

INSTANTIATE_TEST_SUITE_P(Counts, NessunaBandaTest,
                         ::testing::Values(Nessuna{"zero", 0}, Nessuna{"negative", -5}, Nessuna{"below_one", 0.5}));

TEST_F(SfumaFormTest, AHugeBandCountEndsAtOnceWithOneBandPerRowAtMost)
{
    widget.resize(10, 400);
    EXPECT_LE(bandeSfumate(10, 400, 1e15, 1, 0xFFFFFF).size(), 400);
    u.SfumaForm(&widget, QVariant(), 1e300);
    EXPECT_NE(dipinto(widget).pixelColor(5, 399), fondo);
}

TEST_F(SfumaFormTest, TheBandsStayThroughRepaintsUntilTheNextCall)
{
    widget.resize(60, 120);
    u.SfumaForm(&widget, 0x0000FF, 2, 100);
    widget.repaint();
    QImage image = dipinto(widget);
    EXPECT_EQ(image.pixelColor(30, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(30, 100), QColor(155, 0, 0));

    u.SfumaForm(&widget, 0x00FF00, 1);
    image = dipinto(widget);
    EXPECT_EQ(image.pixelColor(30, 10), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(30, 100), QColor(0, 255, 0));
    EXPECT_EQ(widget.findChildren<SfondoSfumato *>().size(), 1);
}

TEST_F(SfumaFormTest, ChildrenArePaintedOverTheBands)
{
    widget.resize(100, 100);
    auto *child = new QWidget(&widget);
    child->setGeometry(10, 10, 20, 20);
    child->setAutoFillBackground(true);
    QPalette palette = child->palette();
    palette.setColor(QPalette::Window, Qt::white);
    child->setPalette(palette);
    u.SfumaForm(&widget);
    const QImage image = dipinto(widget);
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(50, 15), bandeUnaAUna(widget.size(), fondo, 60, 4, 0xFF0000).pixelColor(50, 15));
}

TEST_F(SfumaFormTest, AnArgumentThatIsNotANumberIsATypeMismatch)
{
    widget.resize(40, 40);
    try {
        u.SfumaForm(&widget, QStringLiteral("blu"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrTypeMismatch);
    }
    EXPECT_EQ(dipinto(widget).pixelColor(20, 20), fondo);
    u.SfumaForm(nullptr); // nothing to paint on: nothing happens
}

// --- Centring -----------------------------------------------------------

struct Centratura
{
    const char *name;
    QSize size;
    QPoint expected;
};

void PrintTo(const Centratura &c, std::ostream *os)
{
    *os << c.name;
}

class CentraFormTest : public ::testing::TestWithParam<Centratura>
{};

TEST_P(CentraFormTest, PutsTheWindowInTheMiddleOfItsScreen)
{
    QWidget window;
    const QRect screen = window.screen()->geometry();
    // The cases' sizes are given as what the screen has more.
    window.resize(screen.size() - GetParam().size);
    qvUtilita().CentraForm(&window);
    EXPECT_EQ(window.pos(), screen.topLeft() + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CentraFormTest,
                         ::testing::Values(Centratura{"even", QSize(100, 60), QPoint(50, 30)},
                                           Centratura{"odd", QSize(101, 61), QPoint(51, 31)}, // halves go down-right
                                           Centratura{"larger_than_screen", QSize(-200, -100), QPoint(-100, -50)},
                                           Centratura{"larger_odd", QSize(-201, -101), QPoint(-100, -50)}));

class CentraFormFiglioTest : public ::testing::TestWithParam<Centratura>
{};

TEST_P(CentraFormFiglioTest, PutsAChildInTheMiddleOfItsParent)
{
    QWidget padre;
    padre.resize(400, 300);
    QWidget figlio(&padre);
    figlio.resize(GetParam().size);
    qvUtilita().CentraFormFiglio(&padre, &figlio);
    EXPECT_EQ(figlio.pos(), GetParam().expected);

    // Inside a widget of padre, at the same place of padre.
    QWidget riquadro(&padre);
    riquadro.setGeometry(30, 40, 300, 200);
    QWidget nipote(&riquadro);
    nipote.resize(GetParam().size);
    qvUtilita().CentraFormFiglio(&padre, &nipote);
    EXPECT_EQ(nipote.pos(), GetParam().expected - QPoint(30, 40));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CentraFormFiglioTest,
                         ::testing::Values(Centratura{"even", QSize(100, 50), QPoint(150, 125)},
                                           Centratura{"odd", QSize(101, 51), QPoint(150, 125)}, // 149.5, 124.5
                                           Centratura{"larger_than_parent", QSize(500, 400), QPoint(-50, -50)}));

TEST(CentraFormFiglio, CentresADialogOverItsParentOnTheScreen)
{
    QWidget padre;
    padre.setGeometry(100, 80, 400, 300);
    QWidget dialogo(&padre, Qt::Dialog);
    dialogo.resize(200, 100);
    qvUtilita().CentraFormFiglio(&padre, &dialogo);
    EXPECT_EQ(dialogo.pos(), padre.mapToGlobal(QPoint(100, 100)));
    qvUtilita().CentraFormFiglio(nullptr, &dialogo); // nothing to centre in: nothing happens
    qvUtilita().CentraForm(nullptr);
}

// --- Windows on a display that is not X11 ----------------------------------

TEST(ShowFinestraConTitolo, OffX11FindsOnlyThisProgramsShownWindows)
{
    QWidget nascosta;
    nascosta.setWindowTitle(QStringLiteral("FINESTRA NASCOSTA"));
    QWidget mostrata;
    mostrata.setWindowTitle(QStringLiteral("REGISTRO DELLE FATTURE"));
    mostrata.show();
    mostrata.showMinimized();
    qvUtilita u;
    EXPECT_FALSE(u.ShowFinestraConTitolo(QStringLiteral("nascosta")));
    EXPECT_FALSE(nascosta.isVisible());
    EXPECT_TRUE(u.ShowFinestraConTitolo(QStringLiteral("delle fatt")));
    EXPECT_FALSE(mostrata.isMinimized());
    EXPECT_FALSE(u.ShowFinestraConTitolo(QStringLiteral("fatture arretrate")));
}

TEST(FinetraTopMost, OffX11KeepsThisProgramsWindowAboveAndLeavesOtherIdsAlone)
{
    QWidget finestra;
    finestra.show();
    qvUtilita u;
    u.FinetraTopMost(int32_t(finestra.winId()), true);
    EXPECT_TRUE(finestra.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(finestra.isVisible());
    u.FinetraTopMost(int32_t(finestra.winId()), false);
    EXPECT_FALSE(finestra.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    u.FinetraTopMost(0x7ffffff0, true);
}

// --- Selecting a text box's text ------------------------------------------

struct Casella
{
    const char *name;
    std::function<QWidget *()> make;
    std::function<QString(QWidget *)> selected;
    QString expected;
};

void PrintTo(const Casella &c, std::ostream *os)
{
    *os << c.name;
}

class EvidenziaTest : public ::testing::TestWithParam<Casella>
{};

TEST_P(EvidenziaTest, SelectsTheWholeText)
{
    std::unique_ptr<QWidget> widget(GetParam().make());
    qvUtilita().Evidenzia(widget.get());
    EXPECT_EQ(GetParam().selected(widget.get()), GetParam().expected);
}

const QString Testo = QStringLiteral("Fattura n. 42 \u00e8 pagata");

INSTANTIATE_TEST_SUITE_P(
    Boxes, EvidenziaTest,
    ::testing::Values(
        Casella{"line_edit",
                [] {
                    auto *e = new QLineEdit(Testo);
                    e->setCursorPosition(3);
                    return e;
                },
                [](QWidget *w) {
                    auto *e = static_cast<QLineEdit *>(w);
                    return e->cursorPosition() == Testo.size() ? e->selectedText() : QStringLiteral("cursore fuori");
                },
                Testo},
        Casella{"text_edit",
                [] {
                    auto *t = new QTextEdit;
                    t->setPlainText(QStringLiteral("riga uno\nriga due"));
                    return t;
                },
                [](QWidget *w) { return static_cast<QTextEdit *>(w)->textCursor().selectedText(); },
                QStringLiteral("riga uno\u2029riga due")},
        Casella{"plain_text_edit", [] { return new QPlainTextEdit(QStringLiteral("a\nb\nc")); },
                [](QWidget *w) { return static_cast<QPlainTextEdit *>(w)->textCursor().selectedText(); },
                QStringLiteral("a\u2029b\u2029c")},
        Casella{"spin_box",
                [] {
                    auto *s = new QSpinBox;
                    s->setRange(0, 99999);
                    s->setValue(12345);
                    return s;
                },
                [](QWidget *w) { return w->findChild<QLineEdit *>()->selectedText(); }, QStringLiteral("12345")},
        Casella{"editable_combo_box",
                [] {
                    auto *c = new QComboBox;
                    c->setEditable(true);
                    c->setEditText(Testo);
                    return c;
                },
                [](QWidget *w) { return static_cast<QComboBox *>(w)->lineEdit()->selectedText(); }, Testo},
        Casella{"empty_line_edit", [] { return new QLineEdit; },
                [](QWidget *w) { return static_cast<QLineEdit *>(w)->selectedText(); }, QString()},
        Casella{"other_widget", [] { return new QWidget; }, [](QWidget *) { return QString(); }, QString()},
        Casella{"null", [] { return nullptr; }, [](QWidget *) { return QString(); }, QString()}));

// --- The folder picker ----------------------------------------------------

class SfogliaCartellaTest : public test::TempEnvTest
{
protected:
    /// Runs \a drive on the picker once it is shown, and gives what
    /// Sfoglia_Cartella returns.
    QString scegli(int32_t hWnd, std::function<void(QFileDialog *)> drive)
    {
        bool driven = false;
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog || driven)
                return;
            driven = true;
            dialog_ = dialog;
            title_ = dialog->windowTitle();
            parent_ = dialog->parentWidget();
            drive(dialog);
        });
        timer.start();
        const QString chosen = qvUtilita().Sfoglia_Cartella(hWnd, QStringLiteral("Cartella di destinazione"));
        EXPECT_TRUE(driven) << "the picker was not shown";
        return chosen;
    }

    static void type(QFileDialog *dialog, const QString &text)
    {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    QFileDialog *dialog_ = nullptr;
    QString title_;
    QWidget *parent_ = nullptr;
};

TEST_F(SfogliaCartellaTest, GivesTheChosenFolder)
{
    const QString folder = env.root() + QStringLiteral("Fatture 2024");
    ASSERT_TRUE(QDir().mkpath(folder));
    QWidget owner;
    owner.show();
    const QString chosen = scegli(int32_t(owner.winId()), [&](QFileDialog *d) {
        d->setDirectory(env.root());
        type(d, QStringLiteral("Fatture 2024"));
    });
    EXPECT_EQ(chosen, folder);
    EXPECT_EQ(title_, QStringLiteral("Cartella di destinazione"));
    EXPECT_EQ(parent_, &owner);
}

TEST_F(SfogliaCartellaTest, CancelledGivesTheEmptyText)
{
    const QString chosen = scegli(0, [](QFileDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(chosen, QString());
    EXPECT_EQ(parent_, nullptr);
}

} // namespace
} // namespace qv
