// qvPreview - print preview for Qt applications.
// Placeholder until the reader lands: draws nothing.
#include "replay/LetturaDati.h"

#include <qvpreview/Error.h>

namespace qv::LetturaDati {

void DisegnaPagina(DrawTarget &Destinazione, const QString &FileTemporaneo, int16_t, const QVariant &, int32_t)
{
    if (FileTemporaneo.isEmpty())
        return;
    if (Destinazione.kind() == TargetKind::PageSurface)
        Destinazione.Cls();
}

} // namespace qv::LetturaDati
