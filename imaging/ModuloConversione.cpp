// qvPreview - print preview for Qt applications.
// Placeholder until the bitmap writer lands: reports failure, so callers fall
// back to the full-colour page.
#include "imaging/ModuloConversione.h"

namespace qv::ModuloConversione {

bool SalvaBitmap256(const PageSurface *, const QString &, double)
{
    return false;
}

bool SalvaBitmap256(const QImage &, const QString &)
{
    return false;
}

} // namespace qv::ModuloConversione
