// SPDX-License-Identifier: MIT
// The print options dialog, driven through its widgets as a user would.
#include "dialogs/CampiTesto.h"
#include "dialogs/DigitValidator.h"
#include "dialogs/FrmOpzioni.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cctype>
#include <limits>
#include <ostream>
#include <string>

namespace qv {
namespace {

/// \a text as a test name part: letters and digits kept, the rest as "_".
std::string nomeSicuro(const char *text)
{
    std::string name;
    for (const char *p = text; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name.empty() ? std::string("empty") : name;
}

class OpzioniTest : public test::TempEnvTest
{
protected:
    void SetUp() override { platform::setTwipsPerPixelForTesting(15, 15); }

    /// The calling order of the print operations: Annulla false first, then
    /// the page count, the page on show (when \a corrente > 0) and Copie.
    void prepara(int32_t pagine, int32_t corrente = 0, int16_t copie = 1)
    {
        dlg.setAnnulla(false);
        dlg.setPagineTotali(pagine);
        if (corrente > 0)
            dlg.setPaginaCorrente(corrente);
        dlg.setCopie(copie);
    }
    void mostra()
    {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    }

    template <typename T = QWidget>
    T *w(const char *name)
    {
        T *widget = dlg.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit *campo(const char *name) { return w<QLineEdit>(name); }

    void clicca(const char *name) { QTest::mouseClick(w(name), Qt::LeftButton); }
    /// Clicks into a field and types: the whole old text is selected on
    /// focus, so typing replaces it.
    void scrivi(const char *name, const QString &testo)
    {
        QLineEdit *field = campo(name);
        QTest::mouseClick(field, Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_TRUE(field->hasFocus());
        EXPECT_EQ(field->selectedText(), field->text());
        if (testo.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClicks(field, testo);
    }
    void ok() { clicca("Command1"); }

    FrmOpzioni dlg;
};

TEST_F(OpzioniTest, LaidOutInTwips)
{
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Opzioni"));
    EXPECT_EQ(dlg.size(), QSize(346, 304));
    EXPECT_EQ(w("Frame1")->geometry(), QRect(8, 24, 241, 105));
    EXPECT_EQ(w<QGroupBox>("Frame1")->title(), QStringLiteral("Intervallo di Stampa"));
    EXPECT_EQ(w("TxtInizio")->parentWidget(), w("Frame1"));
    EXPECT_EQ(w("TxtInizio")->geometry(), QRect(88, 44, 49, 21));
    // "-" belongs to the window and sits right below "+" of the copies frame.
    EXPECT_EQ(w("CmdMeno")->parentWidget(), &dlg);
    EXPECT_EQ(w("CmdMeno")->geometry(), QRect(176, 188, 20, 17));
    EXPECT_EQ(w("CmdPiu")->mapTo(&dlg, QPoint(0, 0)), QPoint(176, 172));
    EXPECT_EQ(campo("TxtInizio")->maxLength(), 8);
    EXPECT_EQ(campo("TxtFine")->maxLength(), 8);
    EXPECT_EQ(campo("TxtNumeroCopie")->maxLength(), 2);
    EXPECT_EQ(campo("TxtNumeroCopie")->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(w("CmdPiu")->font().bold());
    EXPECT_DOUBLE_EQ(w("CmdPiu")->font().pointSizeF(), 9.75);
    EXPECT_EQ(w<QPushButton>("Command2")->text(), QStringLiteral("&Annulla"));
    // The printer rows below the copies, as wide as the frames and buttons above.
    EXPECT_EQ(w("CmbStampante")->geometry(), QRect(88, 240, 249, 21));
    EXPECT_EQ(w("TxtFilePdf")->geometry(), QRect(88, 268, 221, 21));
    EXPECT_EQ(w("CmdSfoglia")->geometry(), QRect(312, 268, 25, 21));
    EXPECT_EQ(w<QLabel>("lblStampante")->text(), QStringLiteral("&Stampante:"));
    EXPECT_EQ(w<QLabel>("lblFilePdf")->text(), QStringLiteral("&File PDF:"));
    for (const char *name : {"Command1", "Command2", "CmdPiu", "CmdMeno"}) {
        EXPECT_FALSE(w<QPushButton>(name)->autoDefault()) << name;
        EXPECT_FALSE(w<QPushButton>(name)->isDefault()) << name;
    }
}

TEST_F(OpzioniTest, TabOrderFollowsTheLayout)
{
    prepara(5, 2);
    mostra();
    clicca("OptPagine");
    QStringList order;
    QWidget *start = w("OptTutte");
    QWidget *next = start;
    do {
        // Unchecked options of a group drop out of the Tab stops (Tab goes
        // to the checked one); their place in the chain still counts.
        if (next->focusPolicy() != Qt::NoFocus && next->window() == &dlg)
            order << next->objectName();
        next = next->nextInFocusChain();
    } while (next != start);
    EXPECT_EQ(order,
              (QStringList{"OptTutte", "OptPagine", "TxtInizio", "TxtFine", "OptCorrente", "Command1", "Command2",
                           "TxtNumeroCopie", "CmdPiu", "CmdMeno", "CmbStampante", "TxtFilePdf", "CmdSfoglia"}));
}

TEST_F(OpzioniTest, AllPagesOfAnEmptyDocument)
{
    prepara(0);
    mostra();
    ok();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 1);
    EXPECT_EQ(dlg.Fine(), 0);
    EXPECT_EQ(dlg.Copie(), 1);
}

TEST_F(OpzioniTest, PageCountFillsThePageFieldsWhichStayDisabledUntilChosen)
{
    prepara(12);
    mostra();
    EXPECT_EQ(campo("TxtInizio")->text(), QStringLiteral("1"));
    EXPECT_EQ(campo("TxtFine")->text(), QStringLiteral("12"));
    EXPECT_TRUE(w<QRadioButton>("OptTutte")->isChecked());
    EXPECT_TRUE(w("OptPagine")->isEnabled());
    EXPECT_FALSE(campo("TxtInizio")->isEnabled());
    EXPECT_FALSE(campo("TxtFine")->isEnabled());
    clicca("OptPagine");
    EXPECT_TRUE(campo("TxtInizio")->isEnabled());
    EXPECT_TRUE(campo("TxtFine")->isEnabled());
    // Going back to all pages keeps the fields editable; OK ignores them.
    clicca("OptTutte");
    EXPECT_TRUE(campo("TxtInizio")->isEnabled());
    scrivi("TxtInizio", QStringLiteral("4"));
    ok();
    EXPECT_EQ(dlg.Inizio(), 1);
    EXPECT_EQ(dlg.Fine(), 12);
}

struct RangeCase
{
    const char *inizio;
    const char *fine;
    int32_t attesoInizio;
    int32_t attesoFine;
};

void PrintTo(const RangeCase &c, std::ostream *os)
{
    *os << "from_" << (*c.inizio ? c.inizio : "empty") << "_to_" << (*c.fine ? c.fine : "empty");
}

class IntervalloTest : public OpzioniTest, public ::testing::WithParamInterface<RangeCase>
{};

TEST_P(IntervalloTest, RangeOfA12PageDocument)
{
    prepara(12);
    mostra();
    clicca("OptPagine");
    scrivi("TxtInizio", QString::fromUtf8(GetParam().inizio));
    scrivi("TxtFine", QString::fromUtf8(GetParam().fine));
    ok();
    EXPECT_FALSE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), GetParam().attesoInizio);
    EXPECT_EQ(dlg.Fine(), GetParam().attesoFine);
}

INSTANTIATE_TEST_SUITE_P(Ranges, IntervalloTest,
                         ::testing::Values(RangeCase{"7", "3", 3, 7}, // swapped
                                           RangeCase{"3", "7", 3, 7},
                                           RangeCase{"99", "5", 5, 12}, // cut to the count, then swapped
                                           RangeCase{"2", "99", 2, 12}, RangeCase{"0", "4", 0, 4}, // 0 stays 0
                                           RangeCase{"", "0", 0, 0}, RangeCase{"12", "12", 12, 12},
                                           RangeCase{"13", "1", 1, 12}));

TEST_F(OpzioniTest, LeavingAPageFieldCutsOnlyValuesAboveTheCount)
{
    prepara(12);
    mostra();
    clicca("OptPagine");
    scrivi("TxtInizio", QStringLiteral("99"));
    EXPECT_EQ(campo("TxtInizio")->text(), QStringLiteral("99")); // still in the field
    QTest::keyClick(campo("TxtInizio"), Qt::Key_Tab);
    EXPECT_TRUE(campo("TxtFine")->hasFocus());
    EXPECT_EQ(campo("TxtInizio")->text(), QStringLiteral("12"));
    // Tab into the next field selects its text, so typing replaces it.
    EXPECT_EQ(campo("TxtFine")->selectedText(), QStringLiteral("12"));
    QTest::keyClicks(campo("TxtFine"), QStringLiteral("0"));
    QTest::keyClick(campo("TxtFine"), Qt::Key_Tab);
    EXPECT_EQ(campo("TxtFine")->text(), QStringLiteral("0"));
    scrivi("TxtFine", QStringLiteral("12"));
    QTest::keyClick(campo("TxtFine"), Qt::Key_Tab);
    EXPECT_EQ(campo("TxtFine")->text(), QStringLiteral("12"));
}

TEST_F(OpzioniTest, CurrentPageOnlyWhenThePreviewGaveOne)
{
    prepara(5);
    mostra();
    EXPECT_FALSE(w("OptCorrente")->isEnabled());
    clicca("OptCorrente");
    EXPECT_FALSE(w<QRadioButton>("OptCorrente")->isChecked());
    ok();
    EXPECT_EQ(dlg.Inizio(), 1);
    EXPECT_EQ(dlg.Fine(), 5);
}

TEST_F(OpzioniTest, CurrentPageFromThePreviewThroughExec)
{
    // The preview's own calling order, with the dialog shown modally.
    prepara(5, 3);
    bool driven = false;
    QTimer::singleShot(0, &dlg, [&] {
        driven = QTest::qWaitForWindowActive(&dlg);
        EXPECT_TRUE(w("OptCorrente")->isEnabled());
        clicca("OptCorrente");
        ok();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_TRUE(driven);
    EXPECT_FALSE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 3);
    EXPECT_EQ(dlg.Fine(), 3);
    EXPECT_EQ(dlg.Copie(), 1);
}

struct CopieCase
{
    const char *prima;
    const char *pulsante;
    const char *dopo;
};

void PrintTo(const CopieCase &c, std::ostream *os)
{
    *os << (*c.prima ? c.prima : "empty") << "_" << c.pulsante;
}

class PiuMenoTest : public OpzioniTest, public ::testing::WithParamInterface<CopieCase>
{};

TEST_P(PiuMenoTest, ButtonsKeepTheCountBetween1And10)
{
    prepara(3);
    mostra();
    campo("TxtNumeroCopie")->setText(QString::fromUtf8(GetParam().prima));
    clicca(GetParam().pulsante);
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QString::fromUtf8(GetParam().dopo));
}

INSTANTIATE_TEST_SUITE_P(Copies, PiuMenoTest,
                         ::testing::Values(CopieCase{"", "CmdPiu", "1"}, CopieCase{"1", "CmdPiu", "2"},
                                           CopieCase{"9", "CmdPiu", "10"}, CopieCase{"10", "CmdPiu", "10"},
                                           CopieCase{"50", "CmdPiu", "10"}, CopieCase{"0", "CmdPiu", "1"},
                                           CopieCase{"1", "CmdMeno", "1"}, CopieCase{"", "CmdMeno", "1"},
                                           CopieCase{"0", "CmdMeno", "1"}, CopieCase{"5", "CmdMeno", "4"},
                                           CopieCase{"99", "CmdMeno", "98"}));

class CopieScritteTest : public OpzioniTest, public ::testing::WithParamInterface<int>
{};

TEST_P(CopieScritteTest, TypedCopiesAreReturnedUnchanged)
{
    prepara(3);
    mostra();
    scrivi("TxtNumeroCopie", QString::number(GetParam()));
    ok();
    EXPECT_EQ(dlg.Copie(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Copies, CopieScritteTest, ::testing::Values(0, 1, 50, 99));

TEST_F(OpzioniTest, CopiesWrittenAfterLoadShowOnFirstShow)
{
    prepara(3, 0, 4);
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("1")); // loaded before Copie was written
    mostra();
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("4"));
    clicca("CmdPiu");
    ok();
    EXPECT_EQ(dlg.Copie(), 5);
}

TEST_F(OpzioniTest, CancelLeavesAnnullaTrue)
{
    prepara(5, 2);
    mostra();
    clicca("OptPagine");
    scrivi("TxtInizio", QStringLiteral("2"));
    clicca("Command2");
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 0);
    EXPECT_EQ(dlg.Fine(), 0);
}

TEST_F(OpzioniTest, CloseBoxCancelsAndEscDoesNothing)
{
    prepara(5);
    mostra();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(w("OptTutte"), Qt::Key_Escape);
    QTest::keyClick(w("OptTutte"), Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.Annulla());
    EXPECT_TRUE(dlg.close());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 0);
    EXPECT_EQ(dlg.Fine(), 0);
}

TEST_F(OpzioniTest, ShowingAgainStartsOver)
{
    prepara(5, 2);
    mostra();
    clicca("OptCorrente");
    ok();
    ASSERT_FALSE(dlg.Annulla());
    ASSERT_EQ(dlg.Inizio(), 2);

    // A second print with the same object: the earlier OK must not leak
    // into a cancelled dialog.
    prepara(7);
    EXPECT_TRUE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 0);
    mostra();
    EXPECT_TRUE(w<QRadioButton>("OptTutte")->isChecked());
    EXPECT_FALSE(w("OptCorrente")->isEnabled());
    EXPECT_EQ(campo("TxtFine")->text(), QStringLiteral("7"));
    clicca("Command2");
    EXPECT_TRUE(dlg.Annulla());
    EXPECT_EQ(dlg.Inizio(), 0);
    EXPECT_EQ(dlg.Fine(), 0);
}

struct Tasto
{
    const char *testo; // UTF-8
};

void PrintTo(const Tasto &t, std::ostream *os)
{
    for (QChar c : QString::fromUtf8(t.testo))
        *os << "U" << std::hex << unsigned(c.unicode()) << std::dec;
}

class TastiTest : public OpzioniTest, public ::testing::WithParamInterface<Tasto>
{};

TEST_P(TastiTest, NonDigitKeysNeverReachTheFields)
{
    prepara(50);
    mostra();
    clicca("OptPagine");
    const QString typed = QString::fromUtf8(GetParam().testo);
    for (const char *name : {"TxtInizio", "TxtFine", "TxtNumeroCopie"}) {
        scrivi(name, QStringLiteral("1"));
        QTest::sendKeyEvent(QTest::Click, campo(name), Qt::Key_unknown, typed, Qt::NoModifier);
        EXPECT_EQ(campo(name)->text(), QStringLiteral("1")) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, TastiTest,
                         ::testing::Values(Tasto{"a"}, Tasto{"Z"}, Tasto{" "}, Tasto{"-"}, Tasto{"+"}, Tasto{"."},
                                           Tasto{","}, Tasto{"/"}, Tasto{":"}, Tasto{"é"}, Tasto{"½"}, Tasto{"٣"}));

TEST_F(OpzioniTest, DigitsAndBackspaceReachTheFields)
{
    prepara(50);
    mostra();
    scrivi("TxtNumeroCopie", QStringLiteral("4"));
    QTest::keyClicks(campo("TxtNumeroCopie"), QStringLiteral("x2"));
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("42"));
    QTest::keyClick(campo("TxtNumeroCopie"), Qt::Key_Backspace);
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("4"));
    QTest::keyClicks(campo("TxtNumeroCopie"), QStringLiteral("789"));
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("47")); // at most 2 characters
    // Moving and deleting keys still work.
    QTest::keyClick(campo("TxtNumeroCopie"), Qt::Key_Home);
    QTest::keyClick(campo("TxtNumeroCopie"), Qt::Key_Delete);
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("7"));
}

/// The ways a user pastes into a field: each goes through the digit filter.
enum class Incolla { CtrlV, ShiftInsert, MenuDelCampo };

struct IncollaCase
{
    const char *name;
    Incolla modo;
    const char *appunti; // the clipboard's text
    const char *campo;
    const char *atteso; // the field's text after pasting into the emptied field
};

void PrintTo(const IncollaCase &c, std::ostream *os)
{
    *os << c.name;
}

class IncollaTest : public OpzioniTest, public ::testing::WithParamInterface<IncollaCase>
{};

TEST_P(IncollaTest, PastingGoesThroughTheDigitFilter)
{
    const IncollaCase &c = GetParam();
    prepara(20);
    mostra();
    clicca("OptPagine");
    QGuiApplication::clipboard()->setText(QString::fromUtf8(c.appunti));
    scrivi(c.campo, QString());
    QLineEdit *field = campo(c.campo);
    switch (c.modo) {
    case Incolla::CtrlV: QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier); break;
    case Incolla::ShiftInsert: QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier); break;
    case Incolla::MenuDelCampo: {
        // The field's own context menu, its "paste" item clicked.
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field, &menuEvent);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *paste = nullptr;
        for (QAction *action : menu->actions())
            if (action->objectName() == QLatin1String("edit-paste")
                || action->text().section(QLatin1Char('\t'), 0, 0) == QLineEdit::tr("&Paste"))
                paste = action;
        ASSERT_NE(paste, nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(paste).center());
        break;
    }
    }
    EXPECT_EQ(field->text(), QString::fromUtf8(c.atteso));
}

INSTANTIATE_TEST_SUITE_P(
    Paste, IncollaTest,
    ::testing::Values(IncollaCase{"ctrlVLetterThenDigit", Incolla::CtrlV, "x7", "TxtNumeroCopie", "7"},
                      IncollaCase{"ctrlVWords", Incolla::CtrlV, "15 pagine", "TxtInizio", "15"},
                      IncollaCase{"ctrlVDigitsOnlyAfterWords", Incolla::CtrlV, "pagina 3", "TxtFine", "3"},
                      IncollaCase{"ctrlVCutToTheFieldLength", Incolla::CtrlV, "123", "TxtNumeroCopie", "12"},
                      IncollaCase{"ctrlVNothingLeft", Incolla::CtrlV, "-,.", "TxtNumeroCopie", ""},
                      IncollaCase{"ctrlVArabicDigitIsNoDigit", Incolla::CtrlV, "٣4", "TxtFine", "4"},
                      IncollaCase{"shiftInsert", Incolla::ShiftInsert, "x7", "TxtNumeroCopie", "7"},
                      IncollaCase{"contextMenu", Incolla::MenuDelCampo, "1 a 9", "TxtInizio", "19"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(OpzioniTest, PastedRangeIsReadAsTyped)
{
    prepara(20);
    mostra();
    clicca("OptPagine");
    QGuiApplication::clipboard()->setText(QStringLiteral("15 pagine"));
    scrivi("TxtInizio", QString());
    QTest::keyClick(campo("TxtInizio"), Qt::Key_V, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("pagina 3"));
    scrivi("TxtFine", QString());
    QTest::keyClick(campo("TxtFine"), Qt::Key_V, Qt::ControlModifier);
    ok();
    EXPECT_EQ(dlg.Inizio(), 3); // swapped
    EXPECT_EQ(dlg.Fine(), 15);
}

TEST_F(OpzioniTest, InputMethodTextGoesThroughTheDigitFilter)
{
    prepara(20);
    mostra();
    scrivi("TxtNumeroCopie", QString());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("a5"));
    QApplication::sendEvent(campo("TxtNumeroCopie"), &commit);
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("5"));
}

/// The access key of OK leaves the field first, as a click on OK does: the
/// leave rule cuts a page beyond the document to the page count.
struct TastoOk
{
    const char *name;
    const char *campo;
    bool conMouse; // a click on OK instead of Alt+O
};

class TastoOkTest : public OpzioniTest, public ::testing::WithParamInterface<TastoOk>
{};

TEST_P(TastoOkTest, LeavesTheFieldBeforeOk)
{
    prepara(12);
    mostra();
    clicca("OptPagine");
    scrivi(GetParam().campo, QStringLiteral("99"));
    if (GetParam().conMouse)
        ok();
    else
        QTest::keyClick(campo(GetParam().campo), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
    EXPECT_FALSE(dlg.Annulla());
    EXPECT_EQ(dlg.Fine(), 12);
    EXPECT_EQ(dlg.Inizio(), QLatin1String(GetParam().campo) == QLatin1String("TxtInizio") ? 12 : 1);
}

INSTANTIATE_TEST_SUITE_P(Ok, TastoOkTest,
                         ::testing::Values(TastoOk{"altOFromEnd", "TxtFine", false},
                                           TastoOk{"altOFromStart", "TxtInizio", false},
                                           TastoOk{"clickFromEnd", "TxtFine", true}),
                         [](const auto &info) { return std::string(info.param.name); });

struct NumeroCase
{
    const char *testo;
    int32_t atteso;
};

void PrintTo(const NumeroCase &c, std::ostream *os)
{
    *os << "text_" << nomeSicuro(c.testo);
}

class LeggiNumeroTest : public ::testing::TestWithParam<NumeroCase>
{};

TEST_P(LeggiNumeroTest, ReadsTheLeadingNumber)
{
    EXPECT_EQ(FrmOpzioni::LeggiNumero(QString::fromUtf8(GetParam().testo), std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()),
              GetParam().atteso);
}

INSTANTIATE_TEST_SUITE_P(Texts, LeggiNumeroTest,
                         ::testing::Values(NumeroCase{"", 0}, NumeroCase{"12", 12}, NumeroCase{"  7", 7},
                                           NumeroCase{"007", 7}, NumeroCase{"12abc", 12}, NumeroCase{"abc", 0},
                                           NumeroCase{"-4", -4}, NumeroCase{"+4", 4}, NumeroCase{"3.4", 3},
                                           NumeroCase{"3.6", 4}, NumeroCase{"2.5", 2}, NumeroCase{"3.5", 4},
                                           NumeroCase{".5", 0}, NumeroCase{"1e3", 1000}, NumeroCase{"2E2x", 200},
                                           NumeroCase{"99999999999", std::numeric_limits<int32_t>::max()},
                                           NumeroCase{"9e99999", std::numeric_limits<int32_t>::max()},
                                           NumeroCase{"-9e99999", std::numeric_limits<int32_t>::min()}));

TEST(LeggiNumero, HeldWithinTheFieldsRange)
{
    EXPECT_EQ(FrmOpzioni::LeggiNumero(QStringLiteral("40000"), -32768, 32767), 32767);
    EXPECT_EQ(FrmOpzioni::LeggiNumero(QStringLiteral("-40000"), -32768, 32767), -32768);
}

class SoloNumeriTest : public ::testing::TestWithParam<std::pair<int, bool>>
{};

TEST_P(SoloNumeriTest, KeepsOnlyDigitsAndBackspace)
{
    int16_t code = int16_t(GetParam().first);
    const int16_t result = CampiTesto::SoloNumeri(code);
    const int16_t expected = GetParam().second ? int16_t(GetParam().first) : int16_t(0);
    EXPECT_EQ(result, expected);
    EXPECT_EQ(code, expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, SoloNumeriTest,
                         ::testing::Values(std::pair{8, true}, std::pair{'0', true}, std::pair{'5', true},
                                           std::pair{'9', true}, std::pair{'/', false}, std::pair{':', false},
                                           std::pair{'a', false}, std::pair{' ', false}, std::pair{'-', false},
                                           std::pair{0, false}, std::pair{9, false}, std::pair{13, false},
                                           std::pair{127, false}, std::pair{0x0663, false}, std::pair{-1, false}));

/// The digit fields' validator on a field: text typed, pasted (inserted at
/// the cursor, as every way of pasting does) or set by the program, into a
/// field holding \a prima with the cursor at \a cursore.
enum class Arrivo { Scritto, Incollato, Impostato };

struct CifreCase
{
    const char *name;
    const char *prima;
    int cursore;
    Arrivo arrivo;
    const char *testo; // UTF-8
    const char *atteso;
    int cursoreAtteso;
};

class DigitValidatorTest : public ::testing::TestWithParam<CifreCase>
{};

TEST_P(DigitValidatorTest, KeepsTheDigitsOfWhatTheUserBrings)
{
    const CifreCase &c = GetParam();
    QLineEdit campo;
    campo.setValidator(new DigitValidator(&campo));
    campo.setText(QString::fromUtf8(c.prima));
    campo.setCursorPosition(c.cursore);
    const QString testo = QString::fromUtf8(c.testo);
    switch (c.arrivo) {
    case Arrivo::Scritto: QTest::keyClicks(&campo, testo); break;
    case Arrivo::Incollato: campo.insert(testo); break;
    case Arrivo::Impostato: campo.setText(testo); break;
    }
    EXPECT_EQ(campo.text(), QString::fromUtf8(c.atteso));
    EXPECT_EQ(campo.cursorPosition(), c.cursoreAtteso);
    EXPECT_TRUE(campo.hasAcceptableInput());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DigitValidatorTest,
    ::testing::Values(CifreCase{"typedDigits", "", 0, Arrivo::Scritto, "0123456789", "0123456789", 10},
                      CifreCase{"typedLettersDropped", "", 0, Arrivo::Scritto, "1a-2 .", "12", 2},
                      CifreCase{"typedInTheMiddle", "19", 1, Arrivo::Scritto, "x5", "159", 2},
                      CifreCase{"pastedWords", "", 0, Arrivo::Incollato, "x7 pagine", "7", 1},
                      CifreCase{"pastedBetweenDigits", "12", 1, Arrivo::Incollato, "x3.", "132", 2},
                      CifreCase{"pastedNothingLeft", "4", 1, Arrivo::Incollato, "-,.", "4", 1},
                      CifreCase{"pastedOtherScriptsDigits", "", 0, Arrivo::Incollato, "\u0663\u00bd4", "4", 1},
                      CifreCase{"pastedDigitOutsideTheBasicPlane", "", 0, Arrivo::Incollato, "\U0001D7D92", "2", 1},
                      CifreCase{"pastedBackspaceCharacter", "", 0, Arrivo::Incollato, "1\b2", "12", 2},
                      // What the program sets stays, a negative count too.
                      CifreCase{"setByTheProgram", "7", 1, Arrivo::Impostato, "-65534", "-65534", 6}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(OpzioniTest, TheCallersCopiesShowAsGivenEvenBelowZero)
{
    // The digit rule is for what the user brings, not for the count the
    // caller hands over: OK gives it back unchanged.
    prepara(3, 0, -5);
    mostra();
    EXPECT_EQ(campo("TxtNumeroCopie")->text(), QStringLiteral("-5"));
    ok();
    EXPECT_EQ(dlg.Copie(), -5);
}

TEST(SelezionaTesto, SelectsTheWholeTextAndIgnoresNoField)
{
    QLineEdit field(QStringLiteral("12345"));
    field.setCursorPosition(2);
    CampiTesto::SelezionaTesto(&field);
    EXPECT_EQ(field.selectionStart(), 0);
    EXPECT_EQ(field.selectedText(), QStringLiteral("12345"));
    EXPECT_NO_THROW(CampiTesto::SelezionaTesto(nullptr));
}

// --- The printer and the PDF file ---------------------------------------------------

/// Two CUPS queues and the built-in PDF printer, with \a corrente the current
/// one ("": none chosen, so the PDF printer).
class StampanteTest : public OpzioniTest
{
public:
    void scegliCorrente(const char *corrente)
    {
        platform::setPrintersForTesting(
            QList<platform::PrinterDesc>{{QStringLiteral("Ufficio"), false, QSizeF(11906, 16838)},
                                         {QStringLiteral("Magazzino"), false, QSizeF(11906, 16838)},
                                         {platform::pdfPrinterName(), true, QSizeF(11906, 16838)}});
        ASSERT_TRUE(platform::setCurrentPrinter(QLatin1String(corrente)));
    }
    void TearDown() override { platform::setCurrentPrinter(QString()); }

    /// Alt+S, then \a tasto in the list.
    void scegliStampante(Qt::Key tasto)
    {
        QTest::keyClick(&dlg, Qt::Key_S, Qt::AltModifier);
        ASSERT_TRUE(w("CmbStampante")->hasFocus());
        QTest::keyClick(w("CmbStampante"), tasto);
    }
    /// Alt+F, then \a testo typed into the file field.
    void scriviFile(const QString &testo)
    {
        QTest::keyClick(&dlg, Qt::Key_F, Qt::AltModifier);
        ASSERT_TRUE(campo("TxtFilePdf")->hasFocus());
        QTest::keyClicks(campo("TxtFilePdf"), testo);
    }
    bool rigaFileAbilitata() { return campo("TxtFilePdf")->isEnabled() && w("CmdSfoglia")->isEnabled(); }
};

struct SceltaStampante
{
    const char *name;
    const char *corrente;
    Qt::Key tasto;       // in the printer list before the file is typed (0: none)
    const char *file;    // typed after Alt+F ("" : nothing); "{root}" stands for the test's folder
    Qt::Key tastoDopo;   // in the printer list after the file was typed (0: none)
    const char *attesa;  // the printer OK gives
    const char *filePdf; // the file OK gives; relative: inside the PDF printer's folder
};

void PrintTo(const SceltaStampante &c, std::ostream *os)
{
    *os << c.name;
}

class SceltaStampanteTest : public StampanteTest, public ::testing::WithParamInterface<SceltaStampante>
{};

TEST_P(SceltaStampanteTest, OkGivesThePrinterAndForThePdfPrinterTheFile)
{
    const SceltaStampante &c = GetParam();
    scegliCorrente(c.corrente);
    prepara(3);
    mostra();
    EXPECT_EQ(w<QComboBox>("CmbStampante")->currentText(),
              *c.corrente ? QLatin1String(c.corrente) : platform::pdfPrinterName());
    if (c.tasto)
        scegliStampante(c.tasto);
    if (*c.file)
        scriviFile(QString::fromUtf8(c.file).replace(QStringLiteral("{root}"), env.root()));
    if (c.tastoDopo)
        scegliStampante(c.tastoDopo);

    const bool pdf = QLatin1String(c.attesa) == platform::pdfPrinterName();
    EXPECT_EQ(rigaFileAbilitata(), pdf);
    ok();
    EXPECT_FALSE(dlg.Annulla());
    EXPECT_EQ(dlg.Stampante(), QLatin1String(c.attesa));
    QString atteso = QString::fromUtf8(c.filePdf).replace(QStringLiteral("{root}"), env.root());
    if (!atteso.isEmpty() && QFileInfo(atteso).isRelative())
        atteso = env.pdfFolder() + atteso;
    EXPECT_EQ(dlg.FilePdf(), atteso);
}

INSTANTIATE_TEST_SUITE_P(
    Printers, SceltaStampanteTest,
    ::testing::Values(
        SceltaStampante{"CurrentQueueIsSelected", "Magazzino", Qt::Key(0), "", Qt::Key(0), "Magazzino", ""},
        SceltaStampante{"QueueChosen", "", Qt::Key_Home, "", Qt::Key(0), "Ufficio", ""},
        SceltaStampante{"PdfPrinterWithoutAFile", "", Qt::Key(0), "", Qt::Key(0), "PDF", ""},
        SceltaStampante{"PdfChosenAndNamed", "Ufficio", Qt::Key_End, "fattura.pdf", Qt::Key(0), "PDF", "fattura.pdf"},
        SceltaStampante{"NameWithoutExtension", "", Qt::Key(0), "conto", Qt::Key(0), "PDF", "conto.pdf"},
        SceltaStampante{"AbsolutePathKept", "", Qt::Key(0), "{root}altrove/x.pdf", Qt::Key(0), "PDF",
                        "{root}altrove/x.pdf"},
        SceltaStampante{"FileDroppedForAQueueChosenAfter", "", Qt::Key(0), "x.pdf", Qt::Key_Home, "Ufficio", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(StampanteTest, TabSkipsTheFileRowOfAQueue)
{
    scegliCorrente("Ufficio");
    prepara(3);
    mostra();
    scegliStampante(Qt::Key_Home);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w("OptTutte")) << "back to the first control";

    scegliStampante(Qt::Key_End); // the PDF printer
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w("TxtFilePdf"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w("CmdSfoglia"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w("OptTutte"));
}

TEST_F(StampanteTest, BrowseButtonAsksForAPdfFileToSave)
{
    scegliCorrente("");
    prepara(3);
    mostra();
    bool driven = false;
    QTimer::singleShot(0, &dlg, [&] {
        auto *scelta = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(scelta, nullptr);
        driven = true;
        EXPECT_EQ(scelta->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(scelta->nameFilters(), QStringList{QStringLiteral("Documenti PDF (*.pdf)")});
        EXPECT_EQ(QDir(scelta->directory()).canonicalPath(), QDir(env.pdfFolder()).canonicalPath());
        // The user types a name without an extension and presses Enter.
        auto *nome = scelta->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nome, nullptr);
        nome->selectAll();
        QTest::keyClicks(nome, QStringLiteral("scelto"));
        QTest::keyClick(nome, Qt::Key_Return);
    });
    clicca("CmdSfoglia");
    ASSERT_TRUE(driven);
    EXPECT_EQ(campo("TxtFilePdf")->text(), env.pdfFolder() + QStringLiteral("scelto.pdf"));
    ok();
    EXPECT_EQ(dlg.FilePdf(), env.pdfFolder() + QStringLiteral("scelto.pdf"));
}

TEST_F(StampanteTest, ChiediCarriesThePrinterAndTheFile)
{
    scegliCorrente("Magazzino");
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<FrmOpzioni *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        driven = true;
        QTest::keyClick(d, Qt::Key_S, Qt::AltModifier);
        QTest::keyClick(d->findChild<QComboBox *>(QStringLiteral("CmbStampante")), Qt::Key_End);
        QTest::keyClick(d, Qt::Key_F, Qt::AltModifier);
        QTest::keyClicks(d->findChild<QLineEdit *>(QStringLiteral("TxtFilePdf")), QStringLiteral("doc.pdf"));
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    const std::optional<PrintOptions> scelte = FrmOpzioni::Chiedi(nullptr, 4, 2, 1);
    ASSERT_TRUE(driven);
    PrintOptions attese;
    attese.firstPage = 1;
    attese.lastPage = 4;
    attese.copies = 1;
    attese.printer = platform::pdfPrinterName();
    attese.pdfFile = env.pdfFolder() + QStringLiteral("doc.pdf");
    EXPECT_EQ(scelte, attese);
}

TEST_F(OpzioniTest, ListsThePrintersOfTheMachine)
{
    // The machine's own list: its CUPS queues (scripts/services.sh installs
    // "qvtest") and the PDF printer, the current one chosen.
    if (printerNames().size() < 2)
        GTEST_SKIP() << "no CUPS queue here";
    prepara(1);
    auto *lista = w<QComboBox>("CmbStampante");
    QStringList nomi;
    for (int i = 0; i < lista->count(); ++i)
        nomi << lista->itemText(i);
    EXPECT_EQ(nomi, printerNames());
    EXPECT_EQ(lista->currentText(), currentPrinterName());
    EXPECT_EQ(campo("TxtFilePdf")->isEnabled(), currentPrinterName() == pdfPrinterName());
}

} // namespace
} // namespace qv
