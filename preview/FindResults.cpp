// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/FindResults.h"

#include <qvpreview/Error.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <algorithm>

namespace qv {

namespace {

/// The worker hands its matches over at most this often (and at its end),
/// so a search with many matches does not flood the window with events.
constexpr qint64 HandOverMs = 40;

} // namespace

FindResults::FindResults(QObject *parent) : QObject(parent) {}

FindResults::~FindResults()
{
    stop();
}

/// Stops the search on show: its worker is told to stop, and waited for, so
/// that no thread outlives the results; what it still sends is dropped.
void FindResults::stop()
{
    ++m_generation;
    if (m_cancel)
        m_cancel->store(true);
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_cancel.reset();
}

void FindResults::clear()
{
    search(QString(), Document());
}

void FindResults::search(const QString &query, const Document &document)
{
    stop();
    m_query = query;
    m_before.clear();
    m_after.clear();
    m_current = -1;
    m_error.clear();
    m_highlight.reset();
    m_done = true;
    const auto pages = document.pages > 0 ? document.pages : int32_t(document.index.size());
    if (query.isEmpty() || document.path.isEmpty() || pages < 1) {
        emit changed();
        emit highlightChanged();
        return;
    }
    m_done = false;
    const int32_t first = std::clamp(document.currentPage, 1, pages);
    const quint64 generation = m_generation;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    QPointer<FindResults> self(this);
    m_thread = QThread::create([self, generation, query, first, pages, document, cancel = m_cancel] {
        const spool::TextSearch search(query);
        QList<spool::TextMatch> batch;
        QElapsedTimer sinceHandOver;
        sinceHandOver.start();
        bool wrapped = false;
        // Hands the batch to the results on their own thread.
        const auto handOver = [&](bool done, const QString &error = QString()) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, generation, wrapped, matches = std::move(batch), done, error] {
                    if (self)
                        self->received(generation, wrapped, matches, done, error);
                },
                Qt::QueuedConnection);
            batch.clear();
            sinceHandOver.restart();
        };
        const auto sink = [&](int32_t, const QList<spool::TextMatch> &matches) {
            batch.append(matches);
            if (!batch.isEmpty() && sinceHandOver.elapsed() >= HandOverMs)
                handOver(false);
            return true;
        };
        try {
            if (!search.run(document.path, document.index, first, pages, sink, cancel.get(),
                            QStringLiteral("FrmAnteprima")))
                return;
            handOver(false);
            wrapped = true;
            if (!search.run(document.path, document.index, 1, first - 1, sink, cancel.get(),
                            QStringLiteral("FrmAnteprima")))
                return;
            handOver(true);
        } catch (const Error &e) {
            handOver(true, e.description());
        } catch (const std::exception &e) {
            handOver(true, QString::fromLocal8Bit(e.what()));
        }
    });
    connect(m_thread, &QThread::finished, this, [this, generation] {
        if (generation != m_generation)
            return; // stopped: stop() has deleted it
        m_thread->deleteLater();
        m_thread = nullptr;
        m_cancel.reset();
        emit changed();
    });
    m_thread->start(QThread::LowPriority);
    emit changed();
    // The page on show lights the new query's matches at once; the current
    // one follows when the worker finds it.
    emit highlightChanged();
}

void FindResults::received(quint64 generation, bool wrapped, const QList<spool::TextMatch> &matches, bool done,
                           const QString &error)
{
    if (generation != m_generation)
        return; // a search that was stopped
    const qsizetype before = count();
    if (wrapped) {
        // Matches before the page the search started on: a current match
        // from that page on moves down the list.
        if (m_current >= m_before.size())
            m_current += matches.size();
        m_before.append(matches);
    } else {
        m_after.append(matches);
    }
    m_done = done;
    m_error = error;
    if (m_current < 0 && count() > before) {
        // The first match found: at or after the page on show, or else the
        // first of the document.
        setCurrent(m_after.isEmpty() ? 0 : m_before.size());
        return;
    }
    // The page painter finds the matches of the page itself: more matches
    // elsewhere change no highlight.
    emit changed();
}

const spool::TextMatch *FindResults::current() const
{
    if (m_current < 0)
        return nullptr;
    return m_current < m_before.size() ? &m_before[m_current] : &m_after[m_current - m_before.size()];
}

void FindResults::step(int direction)
{
    const qsizetype n = count();
    if (n == 0) {
        emit changed();
        return;
    }
    setCurrent(m_current < 0 ? (direction > 0 ? 0 : n - 1) : (m_current + direction + n) % n);
}

void FindResults::setCurrent(qsizetype number)
{
    m_current = number;
    m_highlight.reset();
    emit changed();
    if (const spool::TextMatch *match = current())
        emit currentMoved(match->page);
    emit highlightChanged();
}

std::shared_ptr<const TextHighlight> FindResults::highlightFor(int32_t page) const
{
    if (m_query.isEmpty())
        return nullptr;
    const spool::TextMatch *match = current();
    const int32_t record = match && match->page == page ? match->record : -1;
    const int32_t offset = match && match->page == page ? match->offset : -1;
    if (!m_highlight || m_highlight->search.query() != m_query || m_highlight->currentRecord != record
        || m_highlight->currentOffset != offset) {
        m_highlight = std::make_shared<TextHighlight>(m_query);
        m_highlight->currentRecord = record;
        m_highlight->currentOffset = offset;
    }
    return m_highlight;
}

} // namespace qv
