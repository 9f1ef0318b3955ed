// SPDX-License-Identifier: MIT
// The preview window's find bar on a real X server (Xvfb), driven as a user
// drives it: Ctrl+F, typing, F3 and Shift+F3, Enter and Shift+Enter, Esc.
// The label says where the user is, the window shows the page of the current
// match, and the page shows the highlight where the matched text is drawn.
// A screenshot of the bar with its highlights is kept as a test artefact.
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/ImmaginePagina.h"
#include "support/TestEnv.h"
#include "support/WindowOnShow.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace qv {
namespace {

/// Where the match of "Speciale" at the start of its record lies: every
/// page has its number; pages 2, 5 and 9 a note, page 5 two matches in one
/// record.
constexpr double NoteX = 1440;
constexpr double NoteY = 2880;

QByteArray document(int pages)
{
    QByteArray doc;
    for (int p = 1; p <= pages; ++p) {
        doc += test::testo(1440, 1000, "Pagina " + QByteArray::number(p), 12);
        if (pages <= 10 && (p == 2 || p == 9))
            doc += test::testo(NoteX, NoteY, "Speciale: nota della pagina", 14);
        if (pages <= 10 && p == 5)
            doc += test::testo(NoteX, NoteY, "Speciale e ancora speciale", 14);
        if (p < pages)
            doc += "#newpage@\r\n";
    }
    return doc;
}

class FindBarXvfb : public ::testing::Test
{
protected:
    void open(int pages, const QByteArray &contents = {})
    {
        test::TempEnv::noPrinters();
        const QString spool = env.tempFolder() + QStringLiteral("trova.tmp");
        QFile f(spool);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents.isEmpty() ? document(pages) : contents);
        f.close();
        w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(pages);
        w->InizializzaAnteprima();
        test::showActive(*w);
        bar = w->findBar();
        ASSERT_TRUE(bar->isHidden()) << "the bar waits for Ctrl+F";
    }
    void type(const QString &text)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(bar->field()->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    int page() const { return w->PaginaVisualizzata() + 1; }
    /// Waits on the window's events until \a condition holds (false after 10 s).
    static bool until(const std::function<bool()> &condition, int ms = 10000) { return QTest::qWaitFor(condition, ms); }
    QString label() const { return bar->label()->text(); }

    /// The box of the pixels of the page widget in \a colour.
    std::optional<QRect> lit(const QColor &colour) const
    {
        const QImage shot = w->Image1->grab().toImage();
        QRect box;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if ((shot.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF))
                    box |= QRect(x, y, 1, 1);
        return box.isNull() ? std::nullopt : std::optional(box);
    }

    test::TempEnv env;
    std::unique_ptr<FrmAnteprima> w;
    FindBar *bar = nullptr;
};

TEST_F(FindBarXvfb, TypingFindsTheFirstMatchAndTheKeysGoRoundTheDocument)
{
    open(10);
    type(QStringLiteral("SPECIALE"));
    ASSERT_TRUE(until([&] { return label() == QStringLiteral("1 di 4"); })) << qPrintable(label());
    EXPECT_EQ(page(), 2) << "the first match from the page on show";
    EXPECT_FALSE(w->Picture1->geometry().intersects(bar->geometry())) << "the bar sits above the page";

    // The current match is highlighted where it is drawn: at the record's
    // x, its line ending at the record's y.
    const TextHighlight colours(QString{});
    const double scale = double(w->Image1->width()) / w->LarghezzaPagina();
    std::optional<QRect> current;
    ASSERT_TRUE(until([&] { return (current = lit(colours.currentColour)).has_value(); }));
    EXPECT_NEAR(current->left(), NoteX * scale, 2);
    EXPECT_NEAR(current->bottom(), NoteY * scale, 3);
    EXPECT_GT(current->width(), current->height()) << "a word, not a letter";

    const QDir folder(QStringLiteral(QV_ARTIFACT_DIR));
    QDir().mkpath(folder.path());
    EXPECT_TRUE(w->grab().save(folder.filePath(QStringLiteral("find-bar.png"))));

    struct Step
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QWidget *to;
        const char *label;
        int page;
    };
    for (const Step &s :
         {Step{Qt::Key_F3, {}, w.get(), "2 di 4", 5}, Step{Qt::Key_F3, {}, w.get(), "3 di 4", 5},
          Step{Qt::Key_Return, {}, bar->field(), "4 di 4", 9}, Step{Qt::Key_F3, {}, w.get(), "1 di 4", 2},
          Step{Qt::Key_F3, Qt::ShiftModifier, w.get(), "4 di 4", 9},
          Step{Qt::Key_Return, Qt::ShiftModifier, bar->field(), "3 di 4", 5}}) {
        QTest::keyClick(s.to, Qt::Key(s.key), s.modifiers);
        EXPECT_EQ(label(), QString::fromUtf8(s.label));
        EXPECT_EQ(page(), s.page) << s.label;
    }
    // On page 5 the current match is the second of its record: the first
    // is lit in the plain colour, left of it.
    std::optional<QRect> plain;
    ASSERT_TRUE(until([&] { return (plain = lit(colours.matchColour)).has_value(); }));
    ASSERT_TRUE(until([&] { return (current = lit(colours.currentColour)).has_value(); }));
    EXPECT_LT(plain->right(), current->left());

    // Nothing found: said so, nothing lit.
    bar->field()->selectAll();
    QTest::keyClicks(bar->field(), QStringLiteral("fattura"));
    ASSERT_TRUE(until([&] { return label() == QStringLiteral("Nessuna corrispondenza"); })) << qPrintable(label());
    ASSERT_TRUE(until([&] { return !lit(colours.matchColour) && !lit(colours.currentColour); }));

    // Esc closes the bar and its highlights; the next Esc the window.
    bar->field()->selectAll();
    QTest::keyClicks(bar->field(), QStringLiteral("speciale"));
    // From the page on show (5): its first match.
    ASSERT_TRUE(until([&] { return label() == QStringLiteral("2 di 4"); })) << qPrintable(label());
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(w->isVisible());
    ASSERT_TRUE(until([&] { return !lit(colours.matchColour) && !lit(colours.currentColour); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(FindBarXvfb, TheSearchStartsOnThePageOnShow)
{
    open(10);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    ASSERT_EQ(page(), 6);
    type(QStringLiteral("speciale"));
    ASSERT_TRUE(until([&] { return label() == QStringLiteral("4 di 4"); })) << qPrintable(label());
    EXPECT_EQ(page(), 9);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(label(), QStringLiteral("1 di 4"));
    EXPECT_EQ(page(), 2) << "wraps round to the first page";
}

// The field stays compact at any window width: at most about FieldChars
// characters wide, the buttons and the label right beside it, the close
// button at the right edge.
TEST_F(FindBarXvfb, TheFieldKeepsItsWidthAndItsButtonsBesideIt)
{
    open(3);
    type(QStringLiteral("speciale"));
    const int massima = bar->fieldMaximumWidth();
    EXPECT_GT(massima, bar->field()->fontMetrics().horizontalAdvance(QString(20, QLatin1Char('x'))));
    auto *successiva = bar->findChild<QToolButton *>(QStringLiteral("FindNext"));
    auto *chiudi = bar->findChild<QToolButton *>(QStringLiteral("FindClose"));
    ASSERT_NE(successiva, nullptr);
    ASSERT_NE(chiudi, nullptr);
    for (const int larghezza : {900, 1250}) {
        SCOPED_TRACE(larghezza);
        w->resize(larghezza, 700);
        ASSERT_TRUE(until([&] { return bar->width() > larghezza - 40; }));
        QCoreApplication::processEvents();
        EXPECT_LE(bar->field()->width(), massima);
        EXPECT_GE(bar->field()->width(), massima / 2);
        EXPECT_LT(bar->field()->width(), bar->width() / 2);
        EXPECT_LE(successiva->x() - bar->field()->geometry().right(), 2 * successiva->width() + 16);
        EXPECT_GE(chiudi->geometry().right(), bar->width() - 12);
    }
}

// A long document is searched on a worker thread: the window answers the
// keys while it runs, and every page is counted in the end.
TEST_F(FindBarXvfb, ALongDocumentIsSearchedWhileTheWindowAnswers)
{
    open(10000);
    type(QStringLiteral("pagina 99"));
    // The page's keys (End, given to the window: the field has the focus)
    // are answered while the search runs.
    QTest::keyClick(w.get(), Qt::Key_End);
    EXPECT_EQ(page(), 10000);
    ASSERT_TRUE(until([&] { return !bar->searching(); }, 30000));
    // "Pagina 99", "Pagina 990".."999", "Pagina 9900".."9999": 1 + 10 + 100.
    EXPECT_TRUE(label().endsWith(QStringLiteral(" di 111"))) << qPrintable(label());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(label(), QStringLiteral("111 di 111"));
    EXPECT_EQ(page(), 9999);
}

// Going to a match brings it into view, in either view and at any zoom: a
// note low down at the right of page 2, "1 di 1", and the match's place on
// the screen within the view's viewport.
struct Reveal
{
    bool continuous;
    const char *zoom; // typed into the zoom box, or "W" (fitted to the width)
};

class FindReveal : public FindBarXvfb, public ::testing::WithParamInterface<Reveal>
{};

TEST_P(FindReveal, GoingToAMatchScrollsItIntoView)
{
    constexpr double X = 7000;
    constexpr double Y = 14500;
    QByteArray doc = test::testo(1440, 1000, "Pagina 1", 12) + "#newpage@\r\n";
    doc += test::testo(1440, 1000, "Pagina 2", 12) + test::testo(X, Y, "Riepilogo finale", 12);
    doc += "#newpage@\r\n" + test::testo(1440, 1000, "Pagina 3", 12);
    open(3, doc);
    if (GetParam().continuous)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
    ASSERT_EQ(w->continuaAttiva(), GetParam().continuous);
    if (QByteArray(GetParam().zoom) == "W")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W);
    else
        ASSERT_TRUE(w->setZoom(QByteArray(GetParam().zoom).toDouble() / 100));
    type(QStringLiteral("riepilogo"));
    ASSERT_TRUE(until([&] { return label() == QStringLiteral("1 di 1"); })) << qPrintable(label());
    ASSERT_EQ(page(), 2);
    const double zoom = w->Geometria().zoom();
    const double tx = platform::twipsPerPixelX();
    const double ty = platform::twipsPerPixelY();
    QPoint match;
    QRect viewport;
    if (GetParam().continuous) {
        const QRect r = w->vistaContinua()->pageRect(1);
        match = QPoint(int(r.left() + X * zoom / tx), int(r.top() + (Y - 150) * zoom / ty));
        viewport = w->vistaContinua()->viewport()->rect();
    } else {
        const QRectF r = w->Geometria().immagine();
        match = QPoint(int((r.left() + X * zoom) / tx), int((r.top() + (Y - 150) * zoom) / ty));
        viewport = QRect(QPoint(0, 0), w->Picture1->size());
    }
    EXPECT_TRUE(viewport.contains(match))
        << "match at " << match.x() << "," << match.y() << " of " << viewport.width() << "x" << viewport.height();
}

INSTANTIATE_TEST_SUITE_P(Views, FindReveal,
                         ::testing::Values(Reveal{false, "100"}, Reveal{false, "200"}, Reveal{false, "400"},
                                           Reveal{false, "W"}, Reveal{true, "100"}, Reveal{true, "200"},
                                           Reveal{true, "400"}, Reveal{true, "W"}));

} // namespace
} // namespace qv
