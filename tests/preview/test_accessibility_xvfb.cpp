// SPDX-License-Identifier: MIT
// The preview window for a user without a mouse, on a real X server (Xvfb):
// what every part says to assistive technology, read through QAccessible in
// Italian and in English; every function reached with keys sent to the
// widget that has the focus; and the find's marks on the thumbnails, kept
// as screenshots (miniature-trova-<scale>x.png).
#include "platform/Platform.h"
#include "preview/ContinuousView.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/LayoutLink.h"
#include "preview/LayoutPanel.h"
#include "preview/ThumbnailPane.h"
#include "support/TestEnv.h"
#include "support/WindowOnShow.h"
#include "support/XServer.h"
#include "tests/preview/SpoolDiProva.h"

#include <qvpreview/Translation.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace qv {
namespace {

/// Ten pages "Pagina n"; pages 2 and 9 hold one "Speciale", page 5 two.
QByteArray document()
{
    QByteArray doc;
    for (int p = 1; p <= 10; ++p) {
        doc += test::testo(1440, 1000, "Pagina " + QByteArray::number(p), 12);
        if (p == 2 || p == 9)
            doc += test::testo(1440, 2880, "Speciale: nota della pagina", 14);
        if (p == 5)
            doc += test::testo(1440, 2880, "Speciale e ancora speciale", 14);
        if (p < 10)
            doc += "#newpage@\r\n";
    }
    return doc;
}

class AccessXvfb : public ::testing::Test
{
protected:
    void open()
    {
        test::TempEnv::noPrinters();
        platform::setBeepHandlerForTesting([this] { ++beeps; });
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &text, const QString &, platform::MessageIcon) { messages << text; });
        platform::setOpenUrlHandlerForTesting([this](const QString &url) {
            urls << url;
            return true;
        });
        const QString spool = env.tempFolder() + QStringLiteral("accesso.tmp");
        test::writeAll(spool, document());
        w = std::make_unique<FrmAnteprima>();
        w->setFileTemporaneo(spool);
        w->setPagineTotali(10);
        w->InizializzaAnteprima();
        test::showActive(*w);
    }
    void TearDown() override
    {
        w.reset();
        platform::setBeepHandlerForTesting({});
        platform::setMessageBoxHandlerForTesting({});
        platform::setOpenUrlHandlerForTesting({});
    }

    /// A key to the widget that has the focus, as the keyboard sends it.
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, k, mods);
    }
    static void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    static QWidget *focus() { return QApplication::focusWidget(); }
    static bool until(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 10000); }
    int page() const { return w->model().currentPage() + 1; }

    test::TempEnv env;
    std::unique_ptr<FrmAnteprima> w;
    int beeps = 0;
    QStringList messages;
    QStringList urls;
};

// --- Names and descriptions ----------------------------------------------------------------------

struct Language
{
    const char *name;
    QLocale locale;
    bool english;
};

class AccessNames : public AccessXvfb, public ::testing::WithParamInterface<Language>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(installTranslator(GetParam().locale));
        open();
    }
    void TearDown() override
    {
        AccessXvfb::TearDown();
        installTranslator(QLocale::c());
    }
    QString expected(const char *italian, const char *english) const
    {
        return QString::fromUtf8(GetParam().english ? english : italian);
    }
};

/// One part of the window: how to reach it, its role, and its name in both languages.
struct Named
{
    const char *what;
    std::function<QWidget *(FrmAnteprima &)> widget;
    QAccessible::Role role;
    const char *italian;
    const char *english;
};

/// Whether \a text reads as Italian: it has a word that no English text has.
bool italian(const QString &text)
{
    for (const char *word :
         {" di ", " la ", " le ", " lo ", " il ", " e ", " per ", " una ", "alla", "corrispond", "pagin", "Attiv"})
        if (text.contains(QLatin1String(word)))
            return true;
    return false;
}

QWidget *button(FrmAnteprima &w, const char *key)
{
    return w.Toolbar1->widgetForAction(w.pulsante(QLatin1String(key)));
}

TEST_P(AccessNames, EveryPartHasANameAndADescriptionInTheUsersLanguage)
{
    w->findBar()->open();
    key(Qt::Key_F9);
    key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(w->miniature()->isVisible());
    using R = QAccessible::Role;
    const Named parts[] = {
        {"toolbar", [](FrmAnteprima &f) { return f.Toolbar1; }, R::ToolBar, "Barra degli strumenti", "Toolbar"},
        {"zoom out", [](FrmAnteprima &f) { return button(f, "riduci"); }, R::Button, "Riduci", "Zoom out"},
        {"zoom in", [](FrmAnteprima &f) { return button(f, "ingrandisci"); }, R::Button, "Ingrandisci", "Zoom in"},
        {"100 %", [](FrmAnteprima &f) { return button(f, "reale"); }, R::Button, "Dimensione reale", "Actual size"},
        {"print", [](FrmAnteprima &f) { return button(f, "stampa"); }, R::Button, "Stampa", "Print"},
        {"first", [](FrmAnteprima &f) { return button(f, "prima"); }, R::Button, "Prima pagina", "First page"},
        {"previous", [](FrmAnteprima &f) { return button(f, "precedente"); }, R::Button, "Pagina precedente",
         "Previous page"},
        {"next", [](FrmAnteprima &f) { return button(f, "successiva"); }, R::Button, "Pagina successiva", "Next page"},
        {"last", [](FrmAnteprima &f) { return button(f, "ultima"); }, R::Button, "Ultima pagina", "Last page"},
        {"close", [](FrmAnteprima &f) { return button(f, "esci"); }, R::Button, "Chiudi l'anteprima",
         "Close the preview"},
        {"views", [](FrmAnteprima &f) { return button(f, "continua"); }, R::CheckBox, "Pagine continue",
         "Continuous pages"},
        {"page field", [](FrmAnteprima &f) { return f.Text1; }, R::EditableText, "Numero di pagina", "Page number"},
        // On Linux a combo box's name is its value ("100%"): its field carries the name.
        {"zoom box", [](FrmAnteprima &f) { return f.cmbZoom->lineEdit(); }, R::EditableText, "Zoom", "Zoom"},
        {"quality", [](FrmAnteprima &f) { return f.chkMassima; }, R::CheckBox, "Massima qualità", "Best quality"},
        {"maker", [](FrmAnteprima &f) { return f.lblsito; }, R::StaticText, "Sito del produttore", "Maker's website"},
        {"find bar", [](FrmAnteprima &f) { return f.findBar(); }, R::Border, "Barra di ricerca", "Find bar"},
        {"find field", [](FrmAnteprima &f) { return f.findBar()->field(); }, R::EditableText, "Testo da cercare",
         "Text to find"},
        {"match case", [](FrmAnteprima &f) { return f.findBar()->matchCaseButton(); }, R::CheckBox,
         "Maiuscole/minuscole", "Match case"},
        {"whole words", [](FrmAnteprima &f) { return f.findBar()->wholeWordsButton(); }, R::CheckBox, "Parole intere",
         "Whole words"},
        {"find next", [](FrmAnteprima &f) { return f.findBar()->findChild<QWidget *>(QStringLiteral("FindNext")); },
         R::Button, "Corrispondenza successiva", "Next match"},
        {"find close", [](FrmAnteprima &f) { return f.findBar()->findChild<QWidget *>(QStringLiteral("FindClose")); },
         R::Button, "Chiudi la ricerca", "Close the find"},
        {"thumbnails", [](FrmAnteprima &f) { return f.miniature(); }, R::List, "Miniature delle pagine",
         "Page thumbnails"},
        {"page", [](FrmAnteprima &f) { return f.Picture1; }, R::Border, "Pagina del documento", "Document page"},
        {"layout panel", [](FrmAnteprima &f) { return f.layoutPanel()->panel(); }, R::Client,
         "Pannello dell'impaginazione", "Layout panel"},
        {"error bar", [](FrmAnteprima &f) { return f.fraErrore; }, R::Border, "Errore di lettura", "Reading error"},
        {"hide error",
         [](FrmAnteprima &f) { return f.fraErrore->findChild<QWidget *>(QStringLiteral("cmdNascondiErrore")); },
         R::Button, "Nascondi l'errore", "Hide the error"},
    };
    QSet<QString> descriptions;
    for (const Named &p : parts) {
        SCOPED_TRACE(p.what);
        QWidget *widget = p.widget(*w);
        ASSERT_NE(widget, nullptr);
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), p.role);
        EXPECT_EQ(a->text(QAccessible::Name), expected(p.italian, p.english));
        const QString description = a->text(QAccessible::Description);
        EXPECT_GT(description.size(), 8) << qPrintable(description);
        // Each says what it does, not what another does; and in the user's language.
        EXPECT_FALSE(descriptions.contains(description)) << qPrintable(description);
        descriptions << description;
        EXPECT_EQ(italian(description), !GetParam().english) << qPrintable(description);
    }
    // The zoom box says what it takes; the layout panel's list is a tree.
    QAccessibleInterface *zoom = QAccessible::queryAccessibleInterface(w->cmbZoom);
    EXPECT_EQ(zoom->role(), R::ComboBox);
    EXPECT_TRUE(italian(zoom->text(QAccessible::Description)) != GetParam().english);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->layoutPanel()->panel()->list())->role(), R::Tree);

    // The find's count is read as the label's name, as it changes.
    QTest::keyClicks(w->findBar()->field(), QStringLiteral("speciale"));
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done(); }));
    QAccessibleInterface *count = QAccessible::queryAccessibleInterface(w->findBar()->label());
    EXPECT_EQ(count->text(QAccessible::Name), expected("1 di 4", "1 of 4"));
    EXPECT_EQ(count->text(QAccessible::Description), expected("Corrispondenze trovate", "Matches found"));

    // The thumbnails: a list item a page, "Pagina N" with its matches.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(w->miniature());
    ASSERT_EQ(list->childCount(), 10);
    const std::pair<int, std::pair<const char *, const char *>> items[] = {
        {0, {"Pagina 1", "Page 1"}},
        {1, {"Pagina 2: 1 corrispondenza", "Page 2: 1 match"}},
        {4, {"Pagina 5: 2 corrispondenze", "Page 5: 2 matches"}},
        {9, {"Pagina 10", "Page 10"}},
    };
    for (const auto &[row, texts] : items) {
        QAccessibleInterface *item = list->child(row);
        ASSERT_NE(item, nullptr) << row;
        EXPECT_EQ(item->role(), R::ListItem) << row;
        EXPECT_EQ(item->text(QAccessible::Name), expected(texts.first, texts.second)) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, AccessNames,
                         ::testing::Values(Language{"Italian", QLocale(QLocale::Italian, QLocale::Italy), false},
                                           Language{"English", QLocale(QLocale::English, QLocale::UnitedStates), true}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- The keyboard ---------------------------------------------------------------------------------

// Every function of the window, reached with keys alone, each sent to the
// widget that has the focus: pages, zoom, the page field, the toolbar's
// fields by Tab, the page's menu, find and its options, the thumbnails and
// back, the views, the layout panel, printing and closing.
TEST_F(AccessXvfb, EveryFunctionIsReachedFromTheKeyboard)
{
    open();
    ASSERT_EQ(focus(), w->Picture1);
    const auto caption = [&](const char *percent) { return w->windowTitle().endsWith(QLatin1String(percent)); };

    // Pages, by keys that work at every zoom.
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(page(), 2);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(page(), 1);
    key(Qt::Key_End);
    EXPECT_EQ(page(), 10);
    key(Qt::Key_Home);
    EXPECT_EQ(page(), 1);
    // Zoom, fitted zooms and the redraw.
    key(Qt::Key_Plus);
    EXPECT_TRUE(caption("200%")) << qPrintable(w->windowTitle());
    key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_TRUE(caption("100%")) << qPrintable(w->windowTitle());
    key(Qt::Key_W);
    EXPECT_FALSE(caption("100%")) << "fitted to the width";
    EXPECT_LE(w->Image1->width(), w->Picture1->width());
    key(Qt::Key_F5);
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(beeps, 0);

    // The page field: Ctrl+G, a number, Enter; the keys go back to the page.
    key(Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(focus(), w->Text1);
    type(QStringLiteral("7"));
    key(Qt::Key_Return);
    EXPECT_EQ(page(), 7);
    EXPECT_EQ(focus(), w->Picture1);

    // Tab along the toolbar as it is drawn: page field, zoom box, quality
    // box, the maker's address, then the page.
    key(Qt::Key_G, Qt::ControlModifier);
    key(Qt::Key_Tab);
    ASSERT_EQ(focus(), w->cmbZoom);
    type(QStringLiteral("150"));
    key(Qt::Key_Return);
    EXPECT_TRUE(caption("150%")) << qPrintable(w->windowTitle());
    EXPECT_EQ(focus(), w->Picture1);
    key(Qt::Key_G, Qt::ControlModifier);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    ASSERT_EQ(focus(), w->chkMassima);
    const bool quality = w->chkMassima->isChecked();
    key(Qt::Key_Space);
    EXPECT_NE(w->chkMassima->isChecked(), quality);
    EXPECT_EQ(w->model().bestQuality(), !quality);
    key(Qt::Key_Tab);
    ASSERT_EQ(focus(), w->lblsito);
    key(Qt::Key_Return);
    EXPECT_EQ(urls.size(), 1);
    key(Qt::Key_Tab);
    EXPECT_EQ(focus(), w->Picture1) << "the hidden bar and pane are passed over";

    // The page's pop-up menu, from the page.
    for (const Qt::Key k : {Qt::Key_F10, Qt::Key_Menu}) {
        key(k, k == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        ASSERT_TRUE(until([&] { return QApplication::activePopupWidget() == w->mnfile; }));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        ASSERT_TRUE(until([&] { return !w->mnfile->isVisible(); }));
        EXPECT_TRUE(w->isVisible());
    }

    // Find, its options by Tab and the space bar, Esc.
    key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(focus(), w->findBar()->field());
    type(QStringLiteral("speciale"));
    ASSERT_TRUE(until([&] { return w->findBar()->status() == QStringLiteral("4 di 4"); }))
        << qPrintable(w->findBar()->status()); // from page 7: the match on page 9
    key(Qt::Key_F3);
    EXPECT_EQ(w->findBar()->status(), QStringLiteral("1 di 4"));
    EXPECT_EQ(page(), 2);
    key(Qt::Key_Tab);
    ASSERT_EQ(focus(), w->findBar()->matchCaseButton());
    key(Qt::Key_Space);
    EXPECT_TRUE(w->findBar()->options().matchCase);
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done() && w->findBar()->matchCount() == 1; }));
    key(Qt::Key_Tab);
    ASSERT_EQ(focus(), w->findBar()->wholeWordsButton());
    key(Qt::Key_Space);
    EXPECT_TRUE(w->findBar()->options().wholeWords);
    key(Qt::Key_Escape);
    EXPECT_TRUE(w->findBar()->isHidden());
    EXPECT_EQ(focus(), w->Picture1);

    // The thumbnails: F9, F6 into the pane, the arrows show pages, Esc back.
    key(Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    ASSERT_TRUE(pane->isVisible());
    EXPECT_EQ(focus(), w->Picture1) << "shown, the pane leaves the keys with the page";
    key(Qt::Key_F6);
    ASSERT_EQ(focus(), pane);
    key(Qt::Key_Down);
    EXPECT_EQ(page(), 6);
    key(Qt::Key_End);
    EXPECT_EQ(page(), 10);
    key(Qt::Key_Home);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(page(), 3);
    EXPECT_EQ(pane->paginaCorrente(), 2);
    key(Qt::Key_Plus); // the window's keys still work in the pane
    EXPECT_TRUE(caption("200%")) << qPrintable(w->windowTitle());
    key(Qt::Key_Escape);
    EXPECT_EQ(focus(), w->Picture1);
    EXPECT_TRUE(w->isVisible());
    // F6 goes round the parts shown, Shift+F6 the other way.
    key(Qt::Key_F6);
    EXPECT_EQ(focus(), pane);
    key(Qt::Key_F6);
    EXPECT_EQ(focus(), w->Text1);
    key(Qt::Key_F6);
    EXPECT_EQ(focus(), w->Picture1);
    key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(focus(), w->Text1);
    key(Qt::Key_F6);
    key(Qt::Key_F9);
    EXPECT_TRUE(pane->isHidden());

    // The continuous view and back, with the keys on the view on show.
    key(Qt::Key_F8);
    EXPECT_TRUE(w->continuaAttiva());
    EXPECT_EQ(focus(), w->vistaContinua()->focusTarget());
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(page(), 4);
    key(Qt::Key_F8);
    EXPECT_FALSE(w->continuaAttiva());
    EXPECT_EQ(focus(), w->Picture1);

    // The layout panel takes the keys while it is shown, and gives them back.
    key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_FALSE(w->layoutPanel()->isHidden());
    EXPECT_EQ(focus(), w->layoutPanel()->panel()->list());
    key(Qt::Key_F6);
    EXPECT_EQ(focus(), w->Text1) << "after the panel, the toolbar";
    key(Qt::Key_F6);
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(w->layoutPanel()->isHidden());
    EXPECT_EQ(focus(), w->Picture1);

    // Printing (no printer here: the print command says so), then closing.
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(messages.size(), 1);
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

// --- The find's marks on the thumbnails ------------------------------------------------------------

// While a find has matches, the thumbnails of the pages with matches carry
// a mark in the find's colours (the current match's page in its own), the
// pages without matches none; the marks follow the search as it grows
// (here, the pages before the one on show are found last) and go when the
// query changes or the bar is closed. Screenshots at the scale of the run.
TEST_F(AccessXvfb, TheThumbnailsMarkThePagesWithMatches)
{
    open();
    key(Qt::Key_F9);
    ThumbnailPane *pane = w->miniature();
    ASSERT_TRUE(pane->isVisible());
    const TextHighlight colours{QString()};
    // The pixels of the item of \a row in \a colour, the item scrolled into view.
    const auto marked = [&](int row, const QColor &colour) {
        pane->scrollTo(pane->model()->index(row, 0));
        QCoreApplication::processEvents();
        const QImage shot = pane->viewport()->grab().toImage();
        const qreal dpr = shot.devicePixelRatio();
        const QRect item = pane->rettangoloPagina(row);
        const QRect device(QPoint(qRound(item.left() * dpr), qRound(item.top() * dpr)), item.size() * dpr);
        int n = 0;
        for (int y = std::max(0, device.top()); y <= std::min(shot.height() - 1, device.bottom()); ++y)
            for (int x = std::max(0, device.left()); x <= std::min(shot.width() - 1, device.right()); ++x)
                n += (shot.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF);
        return n;
    };
    const auto anyMark = [&](int row) { return marked(row, colours.matchColour) + marked(row, colours.currentColour); };
    for (int row = 0; row < 10; ++row)
        ASSERT_EQ(anyMark(row), 0) << row;

    // From page 8: page 9 first, then 2 and 5 once the search wraps round.
    key(Qt::Key_G, Qt::ControlModifier);
    type(QStringLiteral("8"));
    key(Qt::Key_Return);
    key(Qt::Key_F, Qt::ControlModifier);
    type(QStringLiteral("speciale"));
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done(); }));
    ASSERT_EQ(w->findBar()->matchCount(), 4);
    for (int row = 0; row < 10; ++row) {
        SCOPED_TRACE(row);
        const int page = row + 1;
        if (page == 9) {
            EXPECT_GT(marked(row, colours.currentColour), 40) << "the current match's page";
            EXPECT_EQ(marked(row, colours.matchColour), 0);
        } else if (page == 2 || page == 5) {
            EXPECT_GT(marked(row, colours.matchColour), 40);
        } else {
            EXPECT_EQ(anyMark(row), 0);
        }
    }
    // What is drawn is said as well.
    EXPECT_EQ(pane->testoAccessibile(4), QStringLiteral("Pagina 5: 2 corrispondenze"));

    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    // Pictures of the pages with matches, and of the current match's page.
    for (const auto &[row, name] : {std::pair(4, "miniature-trova"), std::pair(8, "miniature-trova-corrente")}) {
        pane->scrollTo(pane->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
        ASSERT_TRUE(until([&] { return pane->haMiniatura(row); }));
        QCoreApplication::processEvents();
        const QString file =
            folder + QStringLiteral("/%1-%2x.png").arg(QLatin1String(name)).arg(qRound(w->devicePixelRatioF()));
        EXPECT_TRUE(w->grab().save(file));
        std::printf("screenshot: %s\n", qPrintable(file));
    }

    // In 256 colours the marks keep the find's colours: they are drawn over
    // the converted thumbnail, not converted with it.
    ASSERT_TRUE(w->chkMassima->isChecked());
    w->chkMassima->click();
    pane->scrollTo(pane->model()->index(4, 0), QAbstractItemView::PositionAtCenter);
    ASSERT_TRUE(until([&] { return pane->haMiniatura(4); }));
    EXPECT_GT(marked(4, colours.matchColour), 40);
    const QString file256 = folder + QStringLiteral("/miniature-trova-256-%1x.png").arg(qRound(w->devicePixelRatioF()));
    EXPECT_TRUE(w->grab().save(file256));
    std::printf("screenshot: %s\n", qPrintable(file256));

    // Another query: its own marks only.
    w->findBar()->field()->selectAll();
    type(QStringLiteral("fattura"));
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done(); }));
    for (const int row : {1, 4, 8})
        EXPECT_EQ(anyMark(row), 0) << row;
    EXPECT_EQ(pane->testoAccessibile(4), QStringLiteral("Pagina 5"));
    // The bar closed: no marks.
    w->findBar()->field()->selectAll();
    type(QStringLiteral("speciale"));
    ASSERT_TRUE(until([&] { return w->findBar()->results()->done(); }));
    ASSERT_GT(anyMark(4), 0);
    key(Qt::Key_Escape);
    ASSERT_TRUE(w->findBar()->isHidden());
    for (const int row : {1, 4, 8})
        EXPECT_EQ(anyMark(row), 0) << row;
}

} // namespace
} // namespace qv
