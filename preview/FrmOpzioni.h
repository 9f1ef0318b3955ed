// qvPreview - print preview for Qt applications.
#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv {

/// The print options dialog "Opzioni": which pages to print and how many
/// copies. The caller writes Annulla, PagineTotali, (PaginaCorrente), Copie,
/// shows it with exec(), and reads Annulla, Inizio, Fine and Copie back after
/// it closed. The dialog prints nothing itself.
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
    /// Number of copies; 1 when the dialog is created.
    int16_t Copie() const { return m_copie; }
    void setCopie(int16_t value);
    /// Page count of the document: enables "Da Pagina:" and fills the page fields.
    void setPagineTotali(int32_t value);
    /// Page on show in the preview (1-based): enables "Pagina Corrente".
    void setPaginaCorrente(int32_t value);

private:
    bool m_annulla = false;
    int32_t m_inizio = 0;
    int32_t m_fine = 0;
    int16_t m_copie = 1;
    int32_t m_pagineTotali = 0;
    int32_t m_paginaCorrente = 0;
    bool m_primaAttivazione = true;
};

} // namespace qv
