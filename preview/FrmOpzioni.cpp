// qvPreview - print preview for Qt applications.
// Placeholder until the dialog lands: it answers "cancelled".
#include "preview/FrmOpzioni.h"

namespace qv {

FrmOpzioni::FrmOpzioni(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Opzioni"));
}

FrmOpzioni::~FrmOpzioni() = default;

void FrmOpzioni::setCopie(int16_t value)
{
    m_copie = value;
}

void FrmOpzioni::setPagineTotali(int32_t value)
{
    m_pagineTotali = value;
}

void FrmOpzioni::setPaginaCorrente(int32_t value)
{
    m_paginaCorrente = value;
}

} // namespace qv
