// SPDX-License-Identifier: MIT
// The component's texts with and without a catalogue: read from the real
// dialogs (print options, about box, title page, the installer's window), the
// error catalogue and the error box, in Italian (nothing installed, Italian,
// a language without a catalogue) and in English (the shipped catalogue).
#include "dialogs/FrmInfo.h"
#include "dialogs/FrmOpzioni.h"
#include "dialogs/PageAnteprima.h"
#include "platform/Devices.h"
#include "platform/DisegnoSvg.h"
#include "platform/Platform.h"
#include "preview/FrmAnteprima.h"
#include "setup/Form1.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>
#include <qvpreview/Translation.h>
#include <qvpreview/qvUtilita.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using namespace qv;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

/// What a language gives: whether installTranslator says it took, and the texts.
struct Lingua
{
    const char *nome;
    QLocale locale;
    bool installato;
    bool inglese;
};

const Lingua Lingue[] = {
    {"Nothing", QLocale::c(), true, false},
    {"Italian", QLocale(QLocale::Italian, QLocale::Italy), true, false},
    {"GermanHasNoCatalogue", QLocale(QLocale::German, QLocale::Germany), false, false},
    {"English", QLocale(QLocale::English, QLocale::UnitedStates), true, true},
    {"BritishEnglish", QLocale(QLocale::English, QLocale::UnitedKingdom), true, true},
};

class LinguaTest : public test::TempEnvTest, public ::testing::WithParamInterface<Lingua>
{
protected:
    void SetUp() override { ASSERT_EQ(installTranslator(GetParam().locale), GetParam().installato); }
    void TearDown() override { installTranslator(QLocale::c()); }

    /// The Italian text, or the English one under the English catalogue.
    QString atteso(const char *italiano, const char *inglese) const
    {
        return QString::fromUtf8(GetParam().inglese ? inglese : italiano);
    }
};

template <typename W>
W *figlio(QWidget &parent, const char *name)
{
    W *w = parent.findChild<W *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST_P(LinguaTest, PrintOptionsDialog)
{
    FrmOpzioni dlg;
    dlg.setPagineTotali(3); // loads the window: the PDF file's placeholder
    EXPECT_EQ(dlg.windowTitle(), atteso("Opzioni", "Options"));
    EXPECT_EQ(figlio<QGroupBox>(dlg, "Frame1")->title(), atteso("Intervallo di Stampa", "Print Range"));
    EXPECT_EQ(figlio<QRadioButton>(dlg, "OptTutte")->text(), atteso("Tutte le Pagine", "All Pages"));
    EXPECT_EQ(figlio<QRadioButton>(dlg, "OptPagine")->text(), atteso("Da Pagina:", "From Page:"));
    EXPECT_EQ(figlio<QLabel>(dlg, "Label1")->text(), atteso("a:", "to:"));
    EXPECT_EQ(figlio<QRadioButton>(dlg, "OptCorrente")->text(), atteso("Pagina Corrente", "Current Page"));
    EXPECT_EQ(figlio<QPushButton>(dlg, "Command1")->text(), QStringLiteral("&OK"));
    EXPECT_EQ(figlio<QPushButton>(dlg, "Command2")->text(), atteso("&Annulla", "&Cancel"));
    EXPECT_EQ(figlio<QLabel>(dlg, "Label2")->text(), atteso("Numero Copie:", "Copies:"));
    EXPECT_EQ(figlio<QLabel>(dlg, "lblStampante")->text(), atteso("&Stampante:", "&Printer:"));
    EXPECT_EQ(figlio<QLabel>(dlg, "lblFilePdf")->text(), atteso("&File PDF:", "PDF &file:"));
    EXPECT_EQ(figlio<QLineEdit>(dlg, "TxtFilePdf")->placeholderText(),
              atteso("un nuovo file in ", "a new file in ") + platform::pdfOutputFolder());
}

TEST_P(LinguaTest, AboutBoxAndTitlePage)
{
    FrmInfo info;
    EXPECT_EQ(info.windowTitle(), atteso("Informazioni sul PrintPreview...", "About PrintPreview..."));
    EXPECT_EQ(figlio<QLabel>(info, "Label3")->toolTip(), atteso("Il mio sito ufficiale", "My official website"));
    EXPECT_EQ(figlio<QLabel>(info, "Label4")->text(),
              atteso("E-Mail: ", "E-mail: ") + QString::fromLatin1(qvUtilita::IndirizzoEMail));
    EXPECT_EQ(figlio<QLabel>(info, "Label4")->toolTip(), atteso("Scrivimi...", "Write to me..."));
    // The product name and version are not texts to translate.
    EXPECT_EQ(figlio<QLabel>(info, "Label1")->text(), FrmInfo::TestoVersione());
    // The banner's motto: the picture as drawn in Italian, another one in English.
    const QImage banner = figlio<QLabel>(info, "Image2")->pixmap().toImage();
    const QImage italiano = platform::disegnaSvg(QStringLiteral(":/qvpreview/info/info-banner.svg"), QSize(265, 80),
                                                 info.devicePixelRatioF())
                                .toImage();
    ASSERT_FALSE(banner.isNull());
    EXPECT_EQ(banner == italiano, !GetParam().inglese);

    PageAnteprima pagina(nullptr);
    EXPECT_EQ(pagina.Caption(), atteso("Anteprima", "Preview"));
    EXPECT_EQ(pagina.windowTitle(), pagina.Caption());
    EXPECT_EQ(figlio<QLabel>(pagina, "Label1")->text(), atteso("Titolo:", "Title:"));
}

TEST_P(LinguaTest, PreviewWindowToolbarAndMenu)
{
    FrmAnteprima w;
    EXPECT_EQ(w.windowTitle(), atteso("Anteprima di Stampa", "Print Preview"));
    const std::pair<const char *, std::pair<const char *, const char *>> azioni[] = {
        {"riduci", {"Riduci", "Zoom Out"}},
        {"stampa", {"Stampa", "Print"}},
        {"successiva", {"Pagina Successiva", "Next Page"}},
        {"esci", {"Chiudi Anteprima", "Close Preview"}},
        {"mnpagina", {"Adatta alla &pagina\tF", "Fit to &page\tF"}},
        {"mnchiudi", {"&Chiudi", "&Close"}},
    };
    for (const auto &[nome, testi] : azioni) {
        auto *azione = w.findChild<QAction *>(QLatin1String(nome));
        ASSERT_NE(azione, nullptr) << nome;
        EXPECT_EQ(azione->text(), atteso(testi.first, testi.second)) << nome;
    }
    EXPECT_EQ(figlio<QCheckBox>(w, "chkMassima")->text(), atteso("Massima qualità", "Best quality"));
    // The control's default title is the design caption in the user's
    // language; a title of the host's own stays as it is.
    // The caption shows the title with the zoom once the zoom changes.
    QAction *reale = w.findChild<QAction *>(QStringLiteral("reale"));
    ASSERT_NE(reale, nullptr);
    w.setTitolo(QStringLiteral("Anteprima di Stampa"));
    reale->trigger();
    EXPECT_TRUE(w.windowTitle().startsWith(atteso("Anteprima di Stampa    ", "Print Preview    ")))
        << qPrintable(w.windowTitle());
    w.setTitolo(QStringLiteral("Stampa"));
    reale->trigger();
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Stampa    "))) << qPrintable(w.windowTitle());
}

TEST_P(LinguaTest, InstallerWindow)
{
    Form1 form(env.root());
    EXPECT_EQ(form.windowTitle(), atteso("Service Pack 2.0 per Tessavo 3.x", "Service Pack 2.0 for Tessavo 3.x"));
    EXPECT_EQ(figlio<QLabel>(form, "Label2")->text(), atteso("Directory di SYSTEM:", "SYSTEM folder:"));
}

TEST_P(LinguaTest, ErrorsKeepTheirNumbers)
{
    const Error e(ErrPathNotFound, QStringLiteral("Prova"));
    EXPECT_EQ(e.number(), 76);
    // Trailing blank included, as the catalogue has it.
    EXPECT_EQ(e.description(), atteso("Impossibile trovare il percorso ", "Path not found "));
    EXPECT_EQ(QString::fromUtf8(e.what()), e.description());
    EXPECT_EQ(errorText(ErrCannotPrint), atteso("Impossibile stampare...", "Unable to print..."));
    EXPECT_EQ(qvUtilita().MessaggioErroreITA(53), atteso("Impossibile trovare il file", "File not found"));

    QStringList boxes;
    platform::setMessageBoxHandlerForTesting(
        [&](const QString &text, const QString &title, platform::MessageIcon) { boxes << title + "|" + text; });
    try {
        throw Error(ErrFileNotFound, QStringLiteral("Prova"));
    } catch (...) {
        qvUtilita().PrintErrore();
    }
    platform::setMessageBoxHandlerForTesting(nullptr);
    EXPECT_EQ(boxes, QStringList{atteso("Errore  53|Impossibile trovare il file", "Error  53|File not found")});
}

TEST_P(LinguaTest, SaveAsPdfDialogWithQtsOwnTexts)
{
    FrmOpzioni dlg;
    dlg.setPagineTotali(1);
    dlg.show();
    // Qt's own texts in the file dialog: its source texts, or the ones of
    // Qt's catalogue for the language, where that is installed.
    QTranslator qt;
    const bool qtItaliano = GetParam().locale.language() == QLocale::Italian
                            && qt.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    QString cercaIn = QStringLiteral("Look in:");
    if (qtItaliano && !qt.translate("QFileDialog", "Look in:").isEmpty())
        cercaIn = qt.translate("QFileDialog", "Look in:");
    bool visto = false;
    QTimer::singleShot(0, &dlg, [&] {
        auto *scelta = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(scelta, nullptr);
        visto = true;
        EXPECT_EQ(scelta->windowTitle(), atteso("Salva come PDF", "Save as PDF"));
        EXPECT_EQ(scelta->nameFilters(), QStringList{atteso("Documenti PDF (*.pdf)", "PDF documents (*.pdf)")});
        auto *label = scelta->findChild<QLabel *>(QStringLiteral("lookInLabel"));
        EXPECT_NE(label, nullptr);
        if (label) {
            EXPECT_EQ(label->text(), cercaIn);
        }
        scelta->reject();
    });
    figlio<QPushButton>(dlg, "CmdSfoglia")->click();
    EXPECT_TRUE(visto);
    dlg.reject();
}

INSTANTIATE_TEST_SUITE_P(Lingue, LinguaTest, ::testing::ValuesIn(Lingue),
                         [](const auto &info) { return std::string(info.param.nome); });

/// Whether each label, option and check box of \a w shows its whole text:
/// by object name.
QMap<QString, bool> testiInteri(QWidget &w)
{
    QMap<QString, bool> interi;
    for (QWidget *figlio : w.findChildren<QWidget *>()) {
        if (figlio->objectName().isEmpty())
            continue;
        if (auto *label = qobject_cast<QLabel *>(figlio); label && !label->text().isEmpty())
            interi[label->objectName()] =
                label->fontMetrics().horizontalAdvance(QString(label->text()).remove(QLatin1Char('&')))
                <= label->width();
        else if (qobject_cast<QRadioButton *>(figlio) || qobject_cast<QCheckBox *>(figlio))
            interi[figlio->objectName()] = figlio->sizeHint().width() <= figlio->width();
        else if (auto *box = qobject_cast<QGroupBox *>(figlio); box && !box->title().isEmpty())
            interi[box->objectName()] = box->minimumSizeHint().width() <= box->width();
    }
    return interi;
}

// The English texts fit the dialogs' fixed places wherever the Italian ones
// do. The English dialogs are also kept as pictures under build/artifacts/.
TEST(Catalogo, EnglishTextsFitWhereTheItalianOnesDo)
{
    test::TempEnv env;
    const auto dialoghi = [&] {
        std::vector<std::pair<QString, std::unique_ptr<QWidget>>> d;
        auto opzioni = std::make_unique<FrmOpzioni>();
        opzioni->setPagineTotali(3);
        d.emplace_back(QStringLiteral("opzioni"), std::move(opzioni));
        d.emplace_back(QStringLiteral("info"), std::make_unique<FrmInfo>());
        d.emplace_back(QStringLiteral("pagina"), std::make_unique<PageAnteprima>());
        d.emplace_back(QStringLiteral("setup"), std::make_unique<Form1>(env.root()));
        d.emplace_back(QStringLiteral("anteprima"), std::make_unique<FrmAnteprima>());
        return d;
    };
    std::map<QString, QMap<QString, bool>> italiano;
    for (auto &[nome, w] : dialoghi())
        italiano[nome] = testiInteri(*w);
    ASSERT_TRUE(installTranslator(QLocale(QLocale::English)));
    const QString artefatti = qEnvironmentVariable("QV_ARTIFACT_DIR");
    for (auto &[nome, w] : dialoghi()) {
        const QMap<QString, bool> inglese = testiInteri(*w);
        for (auto it = inglese.cbegin(); it != inglese.cend(); ++it)
            EXPECT_TRUE(it.value() || !italiano[nome].value(it.key())) << qPrintable(nome + ": " + it.key());
        if (!artefatti.isEmpty() && QDir().mkpath(artefatti)) {
            w->show();
            w->grab().save(artefatti + QStringLiteral("/english-%1.png").arg(nome));
        }
    }
    installTranslator(QLocale::c());
}

// Every text of the error catalogue has its English translation: a number
// added to the catalogue without one would show in Italian in an English window.
TEST(Catalogo, EveryErrorTextIsTranslated)
{
    QMap<int, QString> italiano;
    for (int n = 0; n <= 10000; ++n) {
        if (hasErrorText(n))
            italiano[n] = errorText(n);
    }
    ASSERT_GT(italiano.size(), 80);
    ASSERT_TRUE(installTranslator(QLocale(QLocale::English)));
    for (auto it = italiano.cbegin(); it != italiano.cend(); ++it) {
        const QString inglese = errorText(it.key());
        EXPECT_FALSE(inglese.isEmpty()) << it.key();
        if (it.value() != QLatin1String("Overflow")) {
            EXPECT_NE(inglese, it.value()) << it.key();
        }
        // A blank that ends the Italian text ends the English one.
        EXPECT_EQ(inglese.endsWith(QLatin1Char(' ')), it.value().endsWith(QLatin1Char(' '))) << it.key();
    }
    installTranslator(QLocale::c());
    for (auto it = italiano.cbegin(); it != italiano.cend(); ++it)
        EXPECT_EQ(errorText(it.key()), it.value()) << it.key();
}

// A second call replaces the first one's catalogues instead of adding to them.
TEST(Catalogo, EachCallReplacesTheLastOne)
{
    ASSERT_TRUE(installTranslator(QLocale(QLocale::English)));
    ASSERT_TRUE(installTranslator(QLocale(QLocale::English)));
    EXPECT_EQ(errorText(ErrDiskFull), QStringLiteral("Disk full"));
    EXPECT_FALSE(installTranslator(QLocale(QLocale::French)));
    EXPECT_EQ(errorText(ErrDiskFull), QStringLiteral("Disco pieno"));
    ASSERT_TRUE(installTranslator(QLocale(QLocale::English)));
    EXPECT_TRUE(installTranslator(QLocale(QLocale::Italian)));
    EXPECT_EQ(errorText(ErrDiskFull), QStringLiteral("Disco pieno"));
    installTranslator(QLocale::c());
}

// A language of another country finds the language's catalogue.
TEST(Catalogo, RegionalVariantsFindTheirLanguage)
{
    EXPECT_TRUE(installTranslator(QLocale(QStringLiteral("it_CH"))));
    EXPECT_EQ(errorText(ErrDiskFull), QStringLiteral("Disco pieno"));
    EXPECT_TRUE(installTranslator(QLocale(QStringLiteral("en_IE"))));
    EXPECT_EQ(errorText(ErrDiskFull), QStringLiteral("Disk full"));
    installTranslator(QLocale::c());
}

} // namespace
