// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/PrintOptions.h>

#include <QDialog>

#include <cstdint>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv {

/// The print options dialog "Opzioni": which pages to print, how many copies,
/// on which printer, and for the built-in PDF printer into which file. The
/// caller writes Annulla, PagineTotali, (PaginaCorrente), Copie,
/// shows it with exec(), and reads Annulla, Inizio, Fine and Copie back after
/// it closed. The dialog prints nothing itself.
///
/// The window "loads" the first time a control is touched (setPagineTotali(),
/// setPaginaCorrente()) or when it is shown, and "unloads" when it closes:
/// loading sets Annulla to true and Inizio and Fine to 0 and puts every
/// control back in its first state. Only OK sets Annulla to false, so writing
/// Annulla false before the window loads cannot make a cancelled dialog look
/// confirmed. The data fields outlive the window.
///
/// The controls carry their names as object names ("OptTutte", "TxtInizio",
/// "TxtNumeroCopie", "CmdPiu", ...). No button answers Enter or Esc.
class FrmOpzioni : public QDialog
{
    Q_OBJECT
public:
    explicit FrmOpzioni(QWidget *parent = nullptr);
    ~FrmOpzioni() override;

    /// True when the dialog ended without OK.
    bool Annulla() const { return m_annulla; }
    void setAnnulla(bool value) { m_annulla = value; }
    /// First and last page chosen (1-based); 0 until OK.
    int32_t Inizio() const { return m_inizio; }
    void setInizio(int32_t value) { m_inizio = value; }
    int32_t Fine() const { return m_fine; }
    void setFine(int32_t value) { m_fine = value; }
    /// Number of copies; 1 when the dialog is created. Shown in the copies
    /// field when the window is first shown; OK reads it back unlimited.
    int16_t Copie() const { return m_copie; }
    void setCopie(int16_t value);
    /// The printer chosen with OK (a name of platform::printers()); the
    /// current printer until then.
    QString Stampante() const { return m_stampante; }
    /// The PDF file chosen with OK for the PDF printer, as an absolute path;
    /// empty: the PDF printer's own choice of file (and always for a CUPS queue).
    QString FilePdf() const { return m_filePdf; }
    /// Page count of the document: enables "Da Pagina:" and fills the page
    /// fields with 1 and the count. Loads the window first.
    void setPagineTotali(int32_t value);
    /// Page on show in the preview (1-based): enables "Pagina Corrente".
    /// Loads the window first.
    void setPaginaCorrente(int32_t value);

    /// \a testo read as a number from its beginning, as the fields are read:
    /// leading blanks, a sign, digits, a decimal part and an exponent; text
    /// without a leading number (the empty text too) reads as 0. Rounded half
    /// to even and held within [\a minimo, \a massimo].
    static int32_t LeggiNumero(const QString &testo, int32_t minimo, int32_t massimo);

    /// Asks for the pages and copies of a document of \a pagineTotali pages
    /// (\a paginaCorrente: the page on show, 1-based, or 0 for none) with the
    /// copies field at \a copie, modally over \a parent. Nullopt when the
    /// user cancelled; else the range, the copies, the printer and, for the
    /// PDF printer, the file chosen.
    static std::optional<PrintOptions> Chiedi(QWidget *parent, int32_t pagineTotali, int32_t paginaCorrente,
                                              int16_t copie);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void creaControlli();
    void Carica();
    void LasciaCampoPagina(QLineEdit *campo);
    void Command1_Click();
    void CmdPiu_Click();
    void CmdMeno_Click();
    void CmdSfoglia_Click();
    void CmbStampante_Change();
    /// True when the printer chosen in the list is the built-in PDF printer.
    bool stampantePdf() const;

    QGroupBox *Frame1 = nullptr;
    QRadioButton *OptTutte = nullptr;
    QRadioButton *OptPagine = nullptr;
    QLineEdit *TxtInizio = nullptr;
    QLineEdit *TxtFine = nullptr;
    QLabel *Label1 = nullptr;
    QRadioButton *OptCorrente = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLineEdit *TxtNumeroCopie = nullptr;
    QPushButton *CmdPiu = nullptr;
    QPushButton *CmdMeno = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblStampante = nullptr;
    QComboBox *CmbStampante = nullptr;
    QLabel *lblFilePdf = nullptr;
    QLineEdit *TxtFilePdf = nullptr;
    QPushButton *CmdSfoglia = nullptr;

    bool m_annulla = false;
    int32_t m_inizio = 0;
    int32_t m_fine = 0;
    int16_t m_copie = 1;
    int32_t m_pagineTotali = 0;
    int32_t m_paginaCorrente = 0;
    QString m_stampante;
    QString m_filePdf;
    bool m_primaAttivazione = true;
    bool m_caricata = false;
};

} // namespace qv
