// qvPreview - print preview for Qt applications.
#include "preview/ValidatoreCifre.h"

#include "preview/CampiTesto.h"

namespace qv {

QValidator::State ValidatoreCifre::validate(QString &input, int &pos) const
{
    const QString cifre = CampiTesto::SoloNumeri(input);
    if (cifre.size() != input.size()) {
        pos = int(CampiTesto::SoloNumeri(input.left(pos)).size());
        input = cifre;
    }
    return Acceptable;
}

} // namespace qv
