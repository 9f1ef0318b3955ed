// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The window on a spool file that another program is still appending to:
// the file watched while the window is shown, and what a page that grew
// makes out of date (the page on show, the pages made ahead, the thumbnails,
// the find's matches) made again.
#include "preview/DocumentFollower.h"
#include "preview/FindBar.h"
#include "preview/FrmAnteprima.h"
#include "preview/ThumbnailPane.h"

namespace qv {

void FrmAnteprima::setFollowing(bool on)
{
    m_model.setFollowing(on);
    if (on && !m_follower) {
        m_follower = new DocumentFollower(m_model, *this);
        connect(&m_model, &ViewerModel::pagesGrew, this, &FrmAnteprima::pagesGrew);
    }
}

void FrmAnteprima::followNow()
{
    if (!m_model.following() || !m_model.index())
        return;
    m_model.index()->catchUp();
    if (isVisible())
        repaint();
}

void FrmAnteprima::pagesGrew(int32_t fromPage)
{
    if (!m_loaded)
        return;
    // The pages made ahead and the thumbnails of those pages are stale.
    m_worker.cache().removeIf([&](const PageCache::Key &key) {
        return key.kind == PageCache::Kind::Page && key.file == m_model.path() && key.page >= fromPage;
    });
    m_thumbnails->pagineCresciute(fromPage);
    // The page on show is drawn again when it grew, the continuous view's
    // pages in view too.
    if (!m_toInitialise
        && (m_model.currentPage() >= fromPage || m_model.viewMode() == ViewerModel::ViewMode::Continuous))
        showPageError(m_model.currentPage(), view().reload());
    m_find->results()->documentGrew(m_model.searchDocument(), fromPage + 1);
}

} // namespace qv
