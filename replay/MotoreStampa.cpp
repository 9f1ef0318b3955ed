// qvPreview - print preview for Qt applications.
// Placeholder until the print engine lands.
#include "replay/MotoreStampa.h"

#include <qvpreview/Error.h>

namespace qv {

void MotoreStampa::Stampa()
{
    throw Error(1001, QStringLiteral("MotoreStampa"), QStringLiteral("Stampa non disponibile"));
}

} // namespace qv
