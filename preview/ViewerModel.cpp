// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ViewerModel.h"

#include "render/PageMetrics.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>

#include <qvpreview/Error.h>

#include <algorithm>
#include <limits>

namespace qv {

ViewerModel::ViewerModel(QObject *parent) : QObject(parent) {}

void ViewerModel::setDocument(std::shared_ptr<const spool::Document> document)
{
    if (document == m_document)
        return;
    m_document = std::move(document);
    m_pageSizes.clear();
    setIndex(nullptr);
    emit documentChanged();
}

void ViewerModel::setIndex(std::shared_ptr<spool::PageIndexer> index)
{
    if (index == m_index)
        return;
    if (m_index)
        m_index->disconnect(this);
    m_index = std::move(index);
    m_indexDone = false;
    m_pageSizes.clear();
    if (m_index) {
        // The index's signals come from its thread: queued to this one, where
        // each reads what is known by then.
        connect(m_index.get(), &spool::PageIndexer::grew, this, [this] { indexChanged(); });
        connect(m_index.get(), &spool::PageIndexer::done, this, [this] { indexChanged(); });
    }
    indexChanged();
}

void ViewerModel::indexChanged()
{
    // Read once: the scan may finish meanwhile, and a count taken as final
    // must hold every start known.
    const bool finished = m_index && m_index->finished();
    const int32_t countBefore = m_pageCount;
    if (m_countFromIndex && m_index && !m_index->exceededPageCount()) {
        const qsizetype known = m_index->known();
        setPageCount(int32_t(std::clamp<qsizetype>(known, 1, std::numeric_limits<int32_t>::max())), finished);
    }
    const bool done = finished && !m_indexDone;
    m_indexDone = finished;
    emit indexGrew(knownPages());
    // The last page read before grew, and the pages after it are new.
    if (m_following && m_index) {
        const qint64 end = m_index->wholeEnd();
        if (end != m_toldEnd || m_pageCount != countBefore) {
            m_toldEnd = end;
            m_pageSizes.erase(m_pageSizes.upper_bound(m_index->startOf(std::max(countBefore, 1) - 1) - 1),
                              m_pageSizes.end());
            emit pagesGrew(std::max(countBefore - 1, 0));
        }
    }
    if (done)
        emit indexFinished();
}

qint64 ViewerModel::pageStart(int32_t page) const
{
    if (page == 0)
        return 1;
    return m_index ? m_index->startOf(page) : 0;
}

void ViewerModel::openIndex(const QString &source, spool::JobRunner runner)
{
    if (m_following && runner) {
        m_toldEnd = -1;
        setIndex(m_document->followingIndexer(source, std::move(runner)));
    } else if (m_countFromIndex) {
        setIndex(m_document->pageIndexer(source, std::nullopt, std::move(runner)));
    } else if (m_pageCount >= 2) {
        setIndex(m_document->pageIndexer(source, m_pageCount, std::move(runner)));
    } else {
        QFile file(path());
        try {
            spool::openForReading(file, source);
        } catch (const Error &e) {
            if (e.number() != ErrFileNotFound)
                throw;
            throw Error(ErrFileNotFound, source,
                        QCoreApplication::translate("qv::FrmAnteprima", "File non trovato: %1").arg(path()));
        }
    }
}

LetturaDati::PageSpec ViewerModel::pageSpec(int32_t page) const
{
    const qint64 start = pageStart(page);
    const LetturaDati::PageSpec spec =
        start > 0 ? LetturaDati::PageSpec::at(start) : LetturaDati::PageSpec::page(page + 1);
    return m_following ? spec.upTo(wholeEnd()) : spec;
}

qint64 ViewerModel::wholeEnd() const
{
    if (!m_following)
        return -1;
    // Before the index has read anything, nothing is whole yet.
    return m_index ? std::max<qint64>(m_index->wholeEnd(), 0) : 0;
}

QSize ViewerModel::pageTwipsAt(qint64 start) const
{
    if (start <= 0 || path().isEmpty())
        return PageMetrics::pageTwips(std::nullopt);
    if (const auto it = m_pageSizes.find(start); it != m_pageSizes.end())
        return it->second;
    std::optional<QPageLayout> layout;
    try {
        layout = spool::pageLayoutAt(path(), start, QStringLiteral("FrmAnteprima"));
    } catch (...) {
        // The replay of the page meets the same record and shows its error.
    }
    // A few hundred pages: those a view shows and has shown lately.
    if (m_pageSizes.size() >= 512)
        m_pageSizes.clear();
    return m_pageSizes[start] = PageMetrics::pageTwips(layout);
}

FindResults::Document ViewerModel::searchDocument() const
{
    FindResults::Document document;
    document.path = path();
    document.index = m_index && !m_index->exceededPageCount() ? m_index->startsFrom(0) : spool::PageIndex{1};
    document.index.resize(std::clamp<qsizetype>(document.index.size(), 1, std::max(m_pageCount, 1)));
    // To the page count, or to the file's end while the count follows the index.
    document.pages = m_countFromIndex && !indexComplete() ? std::numeric_limits<int32_t>::max() : m_pageCount;
    document.currentPage = m_currentPage + 1;
    document.end = wholeEnd();
    return document;
}

qint64 ViewerModel::waitForStart(int32_t page)
{
    if (page > 0 && m_index && !m_indexDone && m_index->known() <= page) {
        m_index->waitForPage(qsizetype(page) + 1);
        indexChanged();
    }
    return pageStart(page);
}

QVector<qint64> ViewerModel::allStarts()
{
    waitForIndex();
    QVector<qint64> positions(qsizetype(std::max<int32_t>(m_pageCount, 0)) + 1, 0);
    positions[0] = 1;
    if (m_index) {
        const spool::PageIndex starts = m_index->startsFrom(0);
        for (qsizetype i = 0; i < starts.size() && i < positions.size(); ++i)
            positions[i] = starts[i];
    }
    return positions;
}

void ViewerModel::waitForIndex()
{
    if (!m_index || m_indexDone)
        return;
    m_index->waitForFinished();
    indexChanged();
}

int32_t ViewerModel::knownPages() const
{
    if (!m_index || m_indexDone)
        return m_pageCount;
    return int32_t(std::min<qsizetype>(m_index->known(), m_pageCount));
}

void ViewerModel::waitForPageNumber(qint64 number)
{
    if (!m_countFromIndex || !m_index || m_indexDone || number <= m_pageCount)
        return;
    if (number == std::numeric_limits<qint64>::max())
        m_index->waitForFinished();
    else
        m_index->waitForPage(qsizetype(number));
    indexChanged();
}

void ViewerModel::setPageCount(int32_t count, bool final)
{
    const bool changed = count != m_pageCount || final != m_pageCountFinal;
    m_pageCount = count;
    m_pageCountFinal = final;
    if (changed)
        emit pageCountChanged(count);
}

void ViewerModel::setCurrentPage(int32_t page)
{
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    emit currentPageChanged(page);
}

std::optional<int32_t> ViewerModel::pageAfter(PageCommand command, int32_t page, int32_t count)
{
    switch (command) {
    case PageCommand::First: return page == 0 ? std::nullopt : std::optional<int32_t>(0);
    case PageCommand::Previous: return page - 1 < 0 ? std::nullopt : std::optional<int32_t>(page - 1);
    case PageCommand::Next:
        if (int64_t(count) < int64_t(page) + 2)
            return std::nullopt;
        return page + 1;
    case PageCommand::Last: {
        if (int64_t(count) == int64_t(page) + 1)
            return std::nullopt;
        // An empty document (0 pages) has only the empty first page to show.
        const int32_t last = std::max<int32_t>(count - 1, 0);
        if (last == page)
            return std::nullopt;
        return last;
    }
    }
    return std::nullopt;
}

ViewerModel::Step ViewerModel::go(PageCommand command)
{
    const std::optional<int32_t> page = pageAfter(command, m_currentPage, m_pageCount);
    if (!page) {
        if (command == PageCommand::Previous)
            setCurrentPage(0);
        return Step::AtLimit;
    }
    setCurrentPage(*page);
    return Step::Changed;
}

ViewerModel::Step ViewerModel::goTo(int64_t number)
{
    if (number < 1 || number > m_pageCount)
        return Step::AtLimit;
    if (number - 1 == m_currentPage)
        return Step::Same;
    setCurrentPage(int32_t(number - 1));
    return Step::Changed;
}

bool ViewerModel::canGo(PageCommand command) const
{
    return pageAfter(command, m_currentPage, m_pageCount).has_value();
}

QString ViewerModel::indicator(int64_t page, int64_t count)
{
    const QString number = page >= 0 ? QStringLiteral(" ") + QString::number(page) : QString::number(page);
    return number + QLatin1Char('/') + QString::number(count);
}

void ViewerModel::setViewMode(ViewMode mode)
{
    if (mode == m_viewMode)
        return;
    m_viewMode = mode;
    emit viewModeChanged(mode);
}

void ViewerModel::setZoom(double factor)
{
    if (factor == m_zoom)
        return;
    m_zoom = factor;
    emit zoomChanged(factor);
}

void ViewerModel::setBestQuality(bool best)
{
    if (best == m_bestQuality)
        return;
    m_bestQuality = best;
    emit qualityChanged(best);
}

} // namespace qv
