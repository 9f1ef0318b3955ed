// SPDX-License-Identifier: MIT
// The title property page against a stand-in for a form designer.
#include "dialogs/PageAnteprima.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cstring>
#include <ostream>

namespace qv {
namespace {

/// A control of the designer with a title, like the preview control.
class Controllo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString titolo READ titolo WRITE setTitolo)
public:
    explicit Controllo(QString titolo = QString()) : m_titolo(std::move(titolo)) {}
    QString titolo() const { return m_titolo; }
    void setTitolo(const QString &value)
    {
        if (rifiuta)
            throw Error(ErrInvalidPropertyValue, QStringLiteral("PrintPreview"),
                        QStringLiteral("Valore di proprietà non valido"));
        m_titolo = value;
    }
    bool rifiuta = false;

private:
    QString m_titolo;
};

/// A control whose title can only be read.
class SolaLettura : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString titolo READ titolo)
public:
    QString titolo() const { return QStringLiteral("fisso"); }
};

/// The designer's side: the selection and the changed flag, with a log of
/// every change of the flag.
class Sito : public PropertyPageSite
{
public:
    QList<QObject *> SelectedControls() const override { return selezione; }
    bool Changed() const override { return changed; }
    void setChanged(bool value) override
    {
        changed = value;
        storia << value;
    }

    QList<QObject *> selezione;
    bool changed = false;
    QList<bool> storia;
};

class PaginaTest : public test::TempEnvTest
{
protected:
    void SetUp() override
    {
        platform::setTwipsPerPixelForTesting(15, 15);
        sito.selezione = {&primo, &secondo};
    }
    QLineEdit *text1() { return page.findChild<QLineEdit *>(QStringLiteral("Text1")); }
    /// Replaces the field's text by typing, as the developer would.
    void digita(const QString &testo)
    {
        QTest::mouseClick(text1(), Qt::LeftButton);
        text1()->selectAll();
        if (testo.isEmpty())
            QTest::keyClick(text1(), Qt::Key_Backspace);
        for (QChar c : testo) {
            if (c.unicode() < 0x80)
                QTest::keyClick(text1(), char(c.unicode()));
            else // QTest knows no key for it: the character alone, as an input method gives it
                QTest::sendKeyEvent(QTest::Click, text1(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    Controllo primo{QStringLiteral("Fattura")};
    Controllo secondo{QStringLiteral("Bolla")};
    Sito sito;
    PageAnteprima page{&sito};
};

TEST_F(PaginaTest, Layout)
{
    EXPECT_EQ(page.Caption(), QStringLiteral("Anteprima"));
    EXPECT_EQ(page.size(), QSize(320, 240));
    auto *label = page.findChild<QLabel *>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Titolo:"));
    EXPECT_EQ(label->geometry(), QRect(8, 32, 57, 21));
    ASSERT_NE(text1(), nullptr);
    EXPECT_EQ(text1()->geometry(), QRect(8, 60, 297, 21));
}

TEST_F(PaginaTest, SelectionLoadsTheFirstTitleAndLeavesThePageUnchanged)
{
    page.SelectionChanged();
    EXPECT_EQ(text1()->text(), QStringLiteral("Fattura"));
    // Loading the text marked the page changed; the page clears it last.
    EXPECT_EQ(sito.storia, (QList<bool>{true, false}));
    EXPECT_FALSE(sito.Changed());
}

TEST_F(PaginaTest, OpenedAndClosedWithoutTypingOffersNothing)
{
    page.show();
    page.SelectionChanged();
    QTest::mouseClick(text1(), Qt::LeftButton);
    QTest::keyClick(text1(), Qt::Key_End);
    page.close();
    EXPECT_FALSE(sito.Changed());
}

TEST_F(PaginaTest, TypingMarksThePageChanged)
{
    page.show();
    page.SelectionChanged();
    digita(QStringLiteral("X"));
    EXPECT_TRUE(sito.Changed());
    EXPECT_EQ(primo.titolo(), QStringLiteral("Fattura")); // nothing stored before apply
}

struct TitoloCase
{
    const char *digitato;
    const char *salvato;
};

void PrintTo(const TitoloCase &c, std::ostream *os)
{
    *os << "typed_" << std::strlen(c.digitato) << "_stored_" << std::strlen(c.salvato);
}

class ApplicaTest : public PaginaTest, public ::testing::WithParamInterface<TitoloCase>
{};

TEST_P(ApplicaTest, ApplyStoresTheTrimmedTextInTheFirstControlOnly)
{
    page.show();
    page.SelectionChanged();
    digita(QString::fromUtf8(GetParam().digitato));
    page.ApplyChanges();
    EXPECT_EQ(primo.titolo(), QString::fromUtf8(GetParam().salvato));
    EXPECT_EQ(secondo.titolo(), QStringLiteral("Bolla"));
}

INSTANTIATE_TEST_SUITE_P(Titles, ApplicaTest,
                         ::testing::Values(TitoloCase{"  Il mio   titolo  ", "Il mio   titolo"},
                                           TitoloCase{"Anteprima", "Anteprima"}, TitoloCase{"   ", ""},
                                           TitoloCase{"", ""}, TitoloCase{" \xc3\xa8 ora ", "\xc3\xa8 ora"}));

TEST_F(PaginaTest, ASecondSelectionLoadsItsOwnTitle)
{
    page.SelectionChanged();
    sito.selezione = {&secondo};
    page.SelectionChanged();
    EXPECT_EQ(text1()->text(), QStringLiteral("Bolla"));
    EXPECT_FALSE(sito.Changed());
}

/// Runs \a action and returns the number of the qv::Error it throws (0: none).
template <typename F>
int erroreDi(F action)
{
    try {
        action();
    } catch (const Error &e) {
        // Every error the page raises carries the catalogue's text for its number.
        EXPECT_EQ(e.description(), errorText(e.number())) << e.number();
        EXPECT_EQ(e.source(), QStringLiteral("PageAnteprima"));
        return e.number();
    }
    return 0;
}

TEST_F(PaginaTest, PropertyErrorsPassToTheContainer)
{
    QObject senzaTitolo;
    sito.selezione = {&senzaTitolo};
    EXPECT_EQ(erroreDi([&] { page.SelectionChanged(); }), 438);
    EXPECT_EQ(erroreDi([&] { page.ApplyChanges(); }), 438);
    EXPECT_TRUE(senzaTitolo.dynamicPropertyNames().isEmpty()); // nothing made up on the object

    SolaLettura fisso;
    sito.selezione = {&fisso};
    EXPECT_EQ(erroreDi([&] { page.SelectionChanged(); }), 0);
    EXPECT_EQ(text1()->text(), QStringLiteral("fisso"));
    EXPECT_EQ(erroreDi([&] { page.ApplyChanges(); }), 383);

    sito.selezione = {};
    EXPECT_EQ(erroreDi([&] { page.SelectionChanged(); }), ErrSubscriptOutOfRange);
    EXPECT_EQ(erroreDi([&] { page.ApplyChanges(); }), ErrSubscriptOutOfRange);
    sito.selezione = {nullptr};
    EXPECT_EQ(erroreDi([&] { page.ApplyChanges(); }), 91);
}

TEST_F(PaginaTest, TheControlsOwnErrorPassesUnchanged)
{
    page.SelectionChanged();
    primo.rifiuta = true;
    try {
        page.ApplyChanges();
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrInvalidPropertyValue);
        EXPECT_EQ(e.source(), QStringLiteral("PrintPreview"));
    }
    EXPECT_EQ(primo.titolo(), QStringLiteral("Fattura"));
}

TEST_F(PaginaTest, WithoutASiteEditsMarkNothing)
{
    PageAnteprima solitaria;
    solitaria.show();
    auto *field = solitaria.findChild<QLineEdit *>(QStringLiteral("Text1"));
    QTest::keyClicks(field, QStringLiteral("abc"));
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
    EXPECT_EQ(erroreDi([&] { solitaria.ApplyChanges(); }), 91);
}

} // namespace
} // namespace qv

#include "test_pagina.moc"
