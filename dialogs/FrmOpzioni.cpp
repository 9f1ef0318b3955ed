// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/FrmOpzioni.h"

#include "dialogs/CampiTesto.h"
#include "dialogs/DialogTwips.h"
#include "dialogs/DigitValidator.h"
#include "platform/Devices.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTimer>

#include <cmath>
#include <limits>
#include <utility>

namespace qv {

namespace {

constexpr int CopieMassimePulsanti = 10;
constexpr int CopieMinimePulsanti = 1;
// The client area: the range and copies frames, then the printer rows below them.
constexpr int LarghezzaTwips = 5190;
constexpr int AltezzaTwips = 4560;
// The list's items carry whether they are the built-in PDF printer.
constexpr int RuoloPdf = Qt::UserRole;

QFont fontPulsantiCopie()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    return font;
}

QPushButton *nuovoPulsante(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Enter and Esc are bound to no button of this dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit *nuovoCampo(QWidget *parent, const char *name, int maxLength)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(maxLength);
    return field;
}

QRadioButton *nuovaOpzione(QWidget *parent, const char *name, const QString &caption)
{
    auto *option = new QRadioButton(caption, parent);
    option->setObjectName(QLatin1String(name));
    return option;
}

} // namespace

FrmOpzioni::FrmOpzioni(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmOpzioni"));
    setWindowTitle(tr("Opzioni"));
    setModal(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(twips::size(LarghezzaTwips, AltezzaTwips));
    creaControlli();
}

FrmOpzioni::~FrmOpzioni() = default;

void FrmOpzioni::creaControlli()
{
    Frame1 = new QGroupBox(tr("Intervallo di Stampa"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(120, 360, 3615, 1575));

    OptTutte = nuovaOpzione(Frame1, "OptTutte", tr("Tutte le Pagine"));
    OptTutte->setGeometry(twips::rect(120, 300, 2175, 195));
    OptPagine = nuovaOpzione(Frame1, "OptPagine", tr("Da Pagina:"));
    OptPagine->setGeometry(twips::rect(120, 720, 1215, 195));
    TxtInizio = nuovoCampo(Frame1, "TxtInizio", 8);
    TxtInizio->setGeometry(twips::rect(1320, 660, 735, 315));
    TxtFine = nuovoCampo(Frame1, "TxtFine", 8);
    TxtFine->setGeometry(twips::rect(2520, 660, 735, 315));
    Label1 = new QLabel(tr("a:"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips::rect(2280, 720, 255, 195));
    OptCorrente = nuovaOpzione(Frame1, "OptCorrente", tr("Pagina Corrente"));
    OptCorrente->setGeometry(twips::rect(120, 1080, 1815, 375));

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips::rect(120, 2040, 3615, 1455));

    Command1 = nuovoPulsante(this, "Command1", tr("&OK"));
    Command1->setGeometry(twips::rect(3960, 420, 1095, 435));
    Command2 = nuovoPulsante(this, "Command2", tr("&Annulla"));
    Command2->setGeometry(twips::rect(3960, 960, 1095, 435));

    TxtNumeroCopie = nuovoCampo(Frame2, "TxtNumeroCopie", 2);
    TxtNumeroCopie->setGeometry(twips::rect(1800, 630, 735, 315));
    TxtNumeroCopie->setAlignment(Qt::AlignCenter);
    CmdPiu = nuovoPulsante(Frame2, "CmdPiu", QStringLiteral("+"));
    CmdPiu->setGeometry(twips::rect(2520, 540, 300, 250));
    CmdPiu->setFont(fontPulsantiCopie());
    // "-" belongs to the window, not to the copies frame, but lies over that
    // frame right below "+", so the two read as one up/down pair.
    CmdMeno = nuovoPulsante(this, "CmdMeno", QStringLiteral("-"));
    CmdMeno->setGeometry(twips::rect(2640, 2820, 300, 250));
    CmdMeno->setFont(fontPulsantiCopie());
    CmdMeno->raise();
    Label2 = new QLabel(tr("Numero Copie:"), Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips::rect(600, 710, 1215, 255));

    // Where the job goes: a printer of the machine and, for the PDF printer,
    // the file, in two rows below the copies.
    CmbStampante = new QComboBox(this);
    CmbStampante->setObjectName(QStringLiteral("CmbStampante"));
    CmbStampante->setGeometry(twips::rect(1320, 3600, 3735, 315));
    lblStampante = new QLabel(tr("&Stampante:"), this);
    lblStampante->setObjectName(QStringLiteral("lblStampante"));
    lblStampante->setGeometry(twips::rect(120, 3660, 1095, 255));
    lblStampante->setBuddy(CmbStampante);
    TxtFilePdf = new QLineEdit(this);
    TxtFilePdf->setObjectName(QStringLiteral("TxtFilePdf"));
    TxtFilePdf->setGeometry(twips::rect(1320, 4020, 3315, 315));
    lblFilePdf = new QLabel(tr("&File PDF:"), this);
    lblFilePdf->setObjectName(QStringLiteral("lblFilePdf"));
    lblFilePdf->setGeometry(twips::rect(120, 4080, 1095, 255));
    lblFilePdf->setBuddy(TxtFilePdf);
    CmdSfoglia = nuovoPulsante(this, "CmdSfoglia", QStringLiteral("..."));
    CmdSfoglia->setGeometry(twips::rect(4680, 4020, 375, 315));

    QWidget *ordine[] = {OptTutte,       OptPagine, TxtInizio, TxtFine,      OptCorrente, Command1,  Command2,
                         TxtNumeroCopie, CmdPiu,    CmdMeno,   CmbStampante, TxtFilePdf,  CmdSfoglia};
    for (size_t i = 1; i < std::size(ordine); ++i)
        setTabOrder(ordine[i - 1], ordine[i]);

    // Digits only, however they arrive; no text is dropped on the fields.
    // The filter selects a field's text when it gets the focus and applies
    // the leave rule of the page fields.
    for (QLineEdit *field : {TxtInizio, TxtFine, TxtNumeroCopie}) {
        field->setValidator(new DigitValidator(field));
        field->installEventFilter(this);
        field->setAcceptDrops(false);
    }

    connect(OptPagine, &QRadioButton::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        // The fields follow the option's own enabled state; choosing another
        // option later leaves them editable, OK then ignores them.
        TxtInizio->setEnabled(OptPagine->isEnabled());
        TxtFine->setEnabled(OptPagine->isEnabled());
    });
    connect(Command1, &QPushButton::clicked, this, &FrmOpzioni::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(CmdPiu, &QPushButton::clicked, this, &FrmOpzioni::CmdPiu_Click);
    connect(CmdMeno, &QPushButton::clicked, this, &FrmOpzioni::CmdMeno_Click);
    connect(CmdSfoglia, &QPushButton::clicked, this, &FrmOpzioni::CmdSfoglia_Click);
    connect(CmbStampante, &QComboBox::currentIndexChanged, this, &FrmOpzioni::CmbStampante_Change);
}

void FrmOpzioni::Carica()
{
    // The window starts over every time it loads: until OK, the answer is
    // "cancelled" and no page is chosen. (The original also switched on a
    // printer-object flag here; Qt's printing has no counterpart to it.)
    m_annulla = true;
    m_primaAttivazione = true;
    TxtNumeroCopie->setText(QString::number(m_copie));
    OptCorrente->setEnabled(false);
    OptPagine->setEnabled(false);
    m_inizio = 0;
    m_fine = 0;

    OptTutte->setChecked(true);
    TxtInizio->clear();
    TxtFine->clear();
    TxtInizio->setEnabled(false);
    TxtFine->setEnabled(false);

    // The printers as they are now, the current one chosen; the file as the
    // PDF printer would choose it unless the user names one.
    const std::optional<platform::PrinterDesc> corrente = platform::currentPrinter();
    m_stampante = corrente ? corrente->name : QString();
    m_filePdf.clear();
    {
        const QSignalBlocker silenzio(CmbStampante);
        CmbStampante->clear();
        for (const platform::PrinterDesc &stampante : platform::printers()) {
            CmbStampante->addItem(stampante.name);
            CmbStampante->setItemData(CmbStampante->count() - 1, stampante.pdf, RuoloPdf);
        }
        CmbStampante->setCurrentIndex(CmbStampante->findText(m_stampante, Qt::MatchExactly));
    }
    TxtFilePdf->setText(platform::pdfOutputFile());
    TxtFilePdf->setPlaceholderText(tr("un nuovo file in %1").arg(platform::pdfOutputFolder()));
    CmbStampante_Change();
    m_caricata = true;
}

bool FrmOpzioni::stampantePdf() const
{
    return CmbStampante->currentData(RuoloPdf).toBool();
}

void FrmOpzioni::CmbStampante_Change()
{
    // A file means something only to the PDF printer.
    const bool pdf = stampantePdf();
    lblFilePdf->setEnabled(pdf);
    TxtFilePdf->setEnabled(pdf);
    CmdSfoglia->setEnabled(pdf);
}

namespace {

// A file name as the user typed it, made absolute: "~/" is the home folder, a
// name without a folder goes where the PDF printer puts its files, and a name
// without an extension gets ".pdf", as the save dialog would give it.
QString percorsoPdf(const QString &testo)
{
    QString nome = testo.trimmed();
    if (nome.isEmpty())
        return QString();
    if (nome == QLatin1String("~") || nome.startsWith(QLatin1String("~/")))
        nome = QDir::homePath() + nome.mid(1);
    if (QFileInfo(nome).isRelative())
        nome = QDir(platform::pdfOutputFolder()).absoluteFilePath(nome);
    nome = QDir::cleanPath(nome);
    if (QFileInfo(nome).suffix().isEmpty() && !QFileInfo(nome).isDir())
        nome += QStringLiteral(".pdf");
    return nome;
}

} // namespace

void FrmOpzioni::CmdSfoglia_Click()
{
    const QString attuale = percorsoPdf(TxtFilePdf->text());
    QFileDialog scelta(this, tr("Salva come PDF"), attuale.isEmpty() ? platform::pdfOutputFolder() : attuale,
                       tr("Documenti PDF (*.pdf)"));
    scelta.setObjectName(QStringLiteral("DlgFilePdf"));
    scelta.setAcceptMode(QFileDialog::AcceptSave);
    scelta.setFileMode(QFileDialog::AnyFile);
    scelta.setDefaultSuffix(QStringLiteral("pdf"));
    if (scelta.exec() != QDialog::Accepted || scelta.selectedFiles().isEmpty())
        return;
    TxtFilePdf->setText(QDir::toNativeSeparators(scelta.selectedFiles().constFirst()));
}

void FrmOpzioni::setCopie(int16_t value)
{
    m_copie = value;
}

void FrmOpzioni::setPagineTotali(int32_t value)
{
    if (!m_caricata)
        Carica();
    m_pagineTotali = value;
    OptPagine->setEnabled(true);
    TxtInizio->setText(QStringLiteral("1"));
    TxtFine->setText(QString::number(value));
}

void FrmOpzioni::setPaginaCorrente(int32_t value)
{
    if (!m_caricata)
        Carica();
    m_paginaCorrente = value;
    OptCorrente->setEnabled(true);
}

int32_t FrmOpzioni::LeggiNumero(const QString &testo, int32_t minimo, int32_t massimo)
{
    static const QRegularExpression numero(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = numero.match(testo);
    if (!match.hasMatch())
        return 0;
    QString cifre = match.captured(0).trimmed();
    bool ok = false;
    double value = cifre.toDouble(&ok);
    if (!ok) {
        // Only an exponent too large for a double fails here: the sign decides.
        value = cifre.startsWith(QLatin1Char('-')) ? -std::numeric_limits<double>::infinity()
                                                   : std::numeric_limits<double>::infinity();
    }
    if (value <= double(minimo))
        return minimo;
    if (value >= double(massimo))
        return massimo;
    // Half-way values go to the even neighbour, as whole-number conversion does.
    double whole = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5)
        whole = 2.0 * std::round(value / 2.0);
    return int32_t(whole);
}

bool FrmOpzioni::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field || (field != TxtInizio && field != TxtFine && field != TxtNumeroCopie))
        return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::FocusIn) {
        CampiTesto::SelezionaTesto(field);
        // A click puts the cursor where it lands after the focus arrived;
        // select again once the click is done.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, field, [field] { CampiTesto::SelezionaTesto(field); });
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Switching to another window or opening the field's context menu
        // does not leave the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && (field == TxtInizio || field == TxtFine))
            LasciaCampoPagina(field);
    }
    return false;
}

void FrmOpzioni::LasciaCampoPagina(QLineEdit *campo)
{
    const int32_t value =
        LeggiNumero(campo->text(), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    if (value > m_pagineTotali)
        campo->setText(QString::number(m_pagineTotali));
}

void FrmOpzioni::showEvent(QShowEvent *event)
{
    if (!m_caricata)
        Carica();
    if (m_primaAttivazione) {
        // Shows a Copie written after the window loaded.
        TxtNumeroCopie->setText(QString::number(m_copie));
        m_primaAttivazione = false;
        twips::centraSulloSchermo(this);
        OptTutte->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

void FrmOpzioni::keyPressEvent(QKeyEvent *event)
{
    // No button is bound to Esc: the dialog closes only through its buttons
    // and its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmOpzioni::done(int result)
{
    m_caricata = false;
    QDialog::done(result);
}

void FrmOpzioni::Command1_Click()
{
    // The access key Alt+O clicks OK without taking the focus from the field
    // being typed in: leave it first, as a click with the mouse does, so that
    // its leave rule applies.
    QWidget *campo = focusWidget();
    Command1->setFocus(Qt::ShortcutFocusReason);
    if (campo == TxtInizio || campo == TxtFine)
        LasciaCampoPagina(static_cast<QLineEdit *>(campo));

    constexpr int32_t min32 = std::numeric_limits<int32_t>::min();
    constexpr int32_t max32 = std::numeric_limits<int32_t>::max();
    if (OptTutte->isChecked()) {
        m_inizio = 1;
        m_fine = m_pagineTotali;
    } else if (OptPagine->isChecked()) {
        m_inizio = LeggiNumero(TxtInizio->text(), min32, max32);
        m_fine = LeggiNumero(TxtFine->text(), min32, max32);
        if (m_fine < m_inizio)
            std::swap(m_inizio, m_fine);
    } else {
        m_inizio = m_paginaCorrente;
        m_fine = m_paginaCorrente;
    }
    m_copie = int16_t(
        LeggiNumero(TxtNumeroCopie->text(), std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
    if (CmbStampante->currentIndex() >= 0)
        m_stampante = CmbStampante->currentText();
    m_filePdf = stampantePdf() ? percorsoPdf(TxtFilePdf->text()) : QString();
    m_annulla = false;
    accept();
}

void FrmOpzioni::CmdPiu_Click()
{
    int32_t n =
        LeggiNumero(TxtNumeroCopie->text(), std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max())
        + 1;
    if (n > CopieMassimePulsanti)
        n = CopieMassimePulsanti;
    TxtNumeroCopie->setText(QString::number(n));
}

void FrmOpzioni::CmdMeno_Click()
{
    int32_t n =
        LeggiNumero(TxtNumeroCopie->text(), std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max())
        - 1;
    if (n < CopieMinimePulsanti)
        n = CopieMinimePulsanti;
    TxtNumeroCopie->setText(QString::number(n));
}

std::optional<PrintOptions> FrmOpzioni::Chiedi(QWidget *parent, int32_t pagineTotali, int32_t paginaCorrente,
                                               int16_t copie)
{
    FrmOpzioni opzioni(parent);
    opzioni.setAnnulla(false);
    opzioni.setPagineTotali(pagineTotali);
    if (paginaCorrente > 0)
        opzioni.setPaginaCorrente(paginaCorrente);
    opzioni.setCopie(copie);
    opzioni.exec();
    if (opzioni.Annulla())
        return std::nullopt;
    PrintOptions scelte;
    scelte.firstPage = opzioni.Inizio();
    scelte.lastPage = opzioni.Fine();
    scelte.copies = opzioni.Copie();
    scelte.printer = opzioni.Stampante();
    scelte.pdfFile = opzioni.FilePdf();
    return scelte;
}

} // namespace qv
