// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Small pictures of pages made through the viewer's worker, for the
// thumbnail pane and the overview: the newest request first, a bounded
// queue of requests, each page at its own recorded paper and orientation.
#pragma once

#include "preview/PageWorker.h"
#include "render/LetturaDati.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qv {

/// Renders thumbnails through the viewer's worker: the replay of a page onto
/// a page surface of the job's own, rasterised into a QImage (QPixmap is for
/// the GUI thread only). The requests wait here, not in the worker: each job
/// takes the newest one, so the newest request is served first, and a
/// request pushed onto a full queue drops the oldest one.
class ThumbnailWorker
{
public:
    struct Richiesta
    {
        int32_t pagina;
        LetturaDati::PageSpec posizione;
    };
    /// Called in the worker's thread with each thumbnail and the generation
    /// of the document it was made for.
    using Consegna = std::function<void(int32_t pagina, QImage miniatura, quint64 generazione)>;

    /// Requests waiting for \a worker at most, by default.
    static constexpr int DefaultQueue = 48;

    ThumbnailWorker(PageWorker &worker, Consegna consegna, int queue = DefaultQueue);
    /// No thumbnail is handed over from now on; a job running finishes its
    /// page and finds nobody to give it to.
    ~ThumbnailWorker();

    /// A new document (or size): what is waiting is dropped. \a pixel: the
    /// box each page is fitted into, in device pixels; \a twips: the size of
    /// a page without a layout record of its own.
    void setDocumento(const QString &path, QSize twips, QSize pixel, quint64 generazione);
    /// Queues \a richiesta; returns the page of the request it pushed out.
    std::optional<int32_t> chiedi(const Richiesta &richiesta);

    /// \a image through the window's 256-colour bitmap round trip (a
    /// temporary file of its own, gone once read back), as the pages on show
    /// in 256 colours; \a image itself when it cannot be converted.
    static QImage in256Colours(const QImage &image);

private:
    struct State
    {
        std::mutex mutex;
        std::deque<Richiesta> coda;
        bool fine = false;
        QString path;
        QSize twips;
        QSize pixel;
        quint64 generazione = 0;
        Consegna consegna;
    };

    /// One job: the newest request waiting, if any is left.
    static void fai(State &state, const std::atomic<bool> &cancelled);
    /// The size of the page at \a spec as its layout record gives it;
    /// nullopt for a page without one (it takes the document's size), or
    /// one the index has no start for.
    static std::optional<QSize> recordedSize(const QString &path, const LetturaDati::PageSpec &spec);

    PageWorker &m_worker;
    int m_queue;
    std::shared_ptr<State> m_state;
};

} // namespace qv
