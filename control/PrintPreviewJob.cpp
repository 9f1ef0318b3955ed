// qvPreview - print preview for Qt applications.
// Ending a document: the preview, printing and the about box. Placeholders
// for now, so that the control links; the commands do nothing yet.
#include <qvpreview/PrintPreview.h>

namespace qv {

void PrintPreview::ApriAnteprima() {}

void PrintPreview::ShowAnteprima()
{
    ApriAnteprima();
}

void PrintPreview::InviaAllaStampante(bool) {}

void PrintPreview::AboutBox() {}

} // namespace qv
