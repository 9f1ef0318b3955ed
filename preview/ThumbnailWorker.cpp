// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ThumbnailWorker.h"

#include "preview/Bitmap256File.h"
#include "render/PageMetrics.h"
#include "render/PageSurface.h"
#include "spool/SpoolFormat.h"

#include <QPageLayout>

#include <algorithm>

namespace qv {

ThumbnailWorker::ThumbnailWorker(PageWorker &worker, Consegna consegna, int queue)
    : m_worker(worker)
    , m_queue(std::max(1, queue))
    , m_state(std::make_shared<State>())
{
    m_state->consegna = std::move(consegna);
}

ThumbnailWorker::~ThumbnailWorker()
{
    std::lock_guard lock(m_state->mutex);
    m_state->fine = true;
    m_state->coda.clear();
    m_state->consegna = nullptr;
}

void ThumbnailWorker::setDocumento(const QString &path, QSize twips, QSize pixel, quint64 generazione)
{
    std::lock_guard lock(m_state->mutex);
    m_state->path = path;
    m_state->twips = twips;
    m_state->pixel = pixel;
    m_state->generazione = generazione;
    m_state->coda.clear();
}

std::optional<int32_t> ThumbnailWorker::chiedi(const Richiesta &richiesta)
{
    std::optional<int32_t> tolta;
    {
        std::lock_guard lock(m_state->mutex);
        if (int(m_state->coda.size()) >= m_queue) {
            tolta = m_state->coda.front().pagina;
            m_state->coda.pop_front();
        }
        m_state->coda.push_back(richiesta);
    }
    m_worker.start(PageWorker::Priority::Thumbnail,
                   [state = m_state](const std::atomic<bool> &cancelled) { fai(*state, cancelled); });
    return tolta;
}

void ThumbnailWorker::fai(State &state, const std::atomic<bool> &cancelled)
{
    std::unique_lock lock(state.mutex);
    if (state.fine || state.coda.empty() || cancelled)
        return;
    const Richiesta richiesta = state.coda.back();
    state.coda.pop_back();
    const QString path = state.path;
    const QSize twips = state.twips;
    const QSize pixel = state.pixel;
    const quint64 generazione = state.generazione;
    lock.unlock();

    // Each page at its own recorded paper and orientation, fitted into
    // the item's box: a landscape page in a portrait document is a
    // wide thumbnail, not a squeezed one.
    const QSize pagina = recordedSize(path, richiesta.posizione).value_or(twips);
    PageSurface superficie;
    superficie.setSize(pagina.width(), pagina.height());
    // A page that cannot be read in full shows what was drawn; the
    // window reports the error when the page is shown.
    std::exception_ptr errore;
    const FrozenPage disegno = PageWorker::replay(superficie, path, richiesta.posizione, errore);
    const double scala = std::min(double(pixel.width()) / std::max(1, pagina.width()),
                                  double(pixel.height()) / std::max(1, pagina.height()));
    QImage miniatura = disegno->render(scala);
    lock.lock();
    if (state.consegna)
        state.consegna(richiesta.pagina, std::move(miniatura), generazione);
}

std::optional<QSize> ThumbnailWorker::recordedSize(const QString &path, const LetturaDati::PageSpec &spec)
{
    if (spec.kind() != LetturaDati::PageSpec::Kind::Position)
        return std::nullopt;
    try {
        if (const std::optional<QPageLayout> layout =
                spool::pageLayoutAt(path, spec.position(), QStringLiteral("FrmAnteprima")))
            return PageMetrics::pageTwips(layout).expandedTo(QSize(1, 1));
    } catch (...) {
        // The replay meets the same record; the window reports it.
    }
    return std::nullopt;
}

QImage ThumbnailWorker::in256Colours(const QImage &image)
{
    Bitmap256File bitmap;
    bitmap.open();
    QImage converted = bitmap.convert(image);
    bitmap.remove();
    return converted.isNull() ? image : converted;
}

} // namespace qv
