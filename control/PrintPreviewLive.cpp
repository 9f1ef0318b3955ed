// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The preview window that shows a document while the host is still
// recording it: not modal, following the spool file as it grows, and told
// at the page breaks to read on and paint, so that a host recording on its
// user-interface thread has page 1 on show as soon as its break is written.
#include <qvpreview/PrintPreview.h>

#include "control/PrintPreviewInterno.h"
#include "dialogs/PrintCommand.h"
#include "preview/FrmAnteprima.h"

namespace qv {

PrintPreview::Private::Live::Live() = default;
PrintPreview::Private::Live::~Live() = default;

void PrintPreview::showPreviewWhileRecording()
{
    if (d->live.window && d->live.window->isVisible()) {
        d->live.window->raise();
        d->live.window->activateWindow();
        return;
    }
    // The window reads the document's own file: it exists from now on.
    ApriSpool();
    d->closeLive();
    auto window = std::make_unique<FrmAnteprima>();
    window->setDocumento(d->document);
    window->setCountPagesFromIndex(true);
    window->setFollowing(true);
    window->setPagineTotali(1);
    window->setTitolo(d->titolo);
    window->setWindowOptions(d->finestra);
    window->setPrintListener([this](const PrintOutcome &esito) { d->riporta(esito); });
    window->InizializzaAnteprima();
    window->show();
    d->live.window = std::move(window);
    d->live.followed.invalidate();
}

bool PrintPreview::previewWhileRecordingShown() const
{
    return d->live.window && d->live.window->isVisible();
}

void PrintPreview::closePreviewWhileRecording()
{
    d->closeLive();
}

void PrintPreview::Private::followPageBreak()
{
    if (!live.window || !live.window->isVisible())
        return;
    // The first page break at once, then a few times a second: the host's
    // recording is not held for every page of a long report.
    if (live.followed.isValid() && live.followed.elapsed() < LiveFollowMs)
        return;
    live.window->followNow();
    live.followed.start();
}

void PrintPreview::Private::closeLive()
{
    if (!live.window)
        return;
    // Closed before the document it shows goes: its index stops reading.
    std::unique_ptr<FrmAnteprima> window = std::move(live.window);
    if (window->isVisible())
        window->reject();
}

} // namespace qv
