// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "dialogs/CampiTesto.h"

#include <QLineEdit>

namespace qv::CampiTesto {

int16_t SoloNumeri(int16_t &KeyAscii)
{
    constexpr int16_t backspace = 8;
    if (KeyAscii == backspace || (KeyAscii >= '0' && KeyAscii <= '9'))
        return KeyAscii;
    KeyAscii = 0;
    return 0;
}

QString SoloNumeri(const QString &testo)
{
    QString cifre;
    for (QChar c : testo) {
        int16_t code = int16_t(c.unicode());
        if (code != 8 && SoloNumeri(code) != 0)
            cifre += c;
    }
    return cifre;
}

void SelezionaTesto(QLineEdit *testo)
{
    if (!testo)
        return;
    testo->setSelection(0, int(testo->text().length()));
}

} // namespace qv::CampiTesto
