// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/DigitValidator.h"

#include "dialogs/CampiTesto.h"

#include <QLineEdit>

namespace qv {

DigitValidator::DigitValidator(QLineEdit *campo) : QValidator(campo), m_campo(campo) {}

QValidator::State DigitValidator::validate(QString &input, int &pos) const
{
    // Every edit of the user can be undone; a text set by the program
    // cannot, as setText() clears the history.
    if (!m_campo->isUndoAvailable())
        return Acceptable;
    const QString cifre = CampiTesto::SoloNumeri(input);
    if (cifre.size() != input.size()) {
        pos = int(CampiTesto::SoloNumeri(input.left(pos)).size());
        input = cifre;
    }
    return Acceptable;
}

} // namespace qv
