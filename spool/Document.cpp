// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/Document.h"

#include "spool/PageIndexer.h"
#include "spool/PageStarts.h"
#include "spool/SpoolFormat.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace qv::spool {

namespace {

/// The regular file that \a path leads to now (following links), or nullopt.
std::optional<SpoolIdentity> currentFile(const QString &path)
{
    struct stat st
    {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return SpoolIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

} // namespace

PageIndex buildPageIndex(const QString &path, const QString &source)
{
    return buildPageIndex(path, source, {}, {});
}

PageIndex buildPageIndex(const QString &path, const QString &source,
                         const std::function<bool(const PageIndex &starts)> &found,
                         const std::function<qsizetype(qsizetype size)> &batch)
{
    PageIndex starts{1};
    PageStartScanner scanner(path, source);
    qsizetype told = 0;
    qsizetype next = 0; // the size at which found() is called next
    while (const std::optional<qint64> start = scanner.next()) {
        starts.append(*start);
        if (found && starts.size() >= next) {
            if (!found(starts))
                return starts;
            told = starts.size();
            next = told + std::max<qsizetype>(batch ? batch(told) : 1, 1);
        }
    }
    if (found && told != starts.size())
        found(starts);
    return starts;
}

PageIndex limitToPageCount(PageIndex index, int32_t expectedPages, const QString &path, const QString &source)
{
    const qsizetype room = qsizetype(std::max<int32_t>(expectedPages, 0)) + 1;
    if (index.size() <= room)
        return index;
    // The control counts pages up to 32767 and no further: a document with
    // more page breaks has its first 32767 pages indexed, and the pages past
    // them are out of reach. Any other surplus of page breaks is a file that
    // does not match its page count.
    if (expectedPages < Document::MaxRecordedPages)
        throw Error(ErrSubscriptOutOfRange, source,
                    QCoreApplication::translate("qv::IndicePagine",
                                                "Il file %1 contiene più interruzioni di pagina delle %2 pagine attese")
                        .arg(path)
                        .arg(expectedPages))
            .at(path);
    index.resize(room);
    return index;
}

Document Document::onFile(const QString &path)
{
    Document document;
    document.m_path = path;
    document.m_identity = currentFile(path);
    return document;
}

bool Document::isOwnFile() const
{
    if (!m_identity)
        return false;
    // A recorded document's name must not have become a link; a file opened
    // by a name the user gave may well be reached through one.
    if (m_recorded)
        return isSpoolFile(m_path, *m_identity);
    return currentFile(m_path) == m_identity;
}

void Document::start(const QString &path)
{
    *this = Document();
    m_path = path;
    m_recorded = true;
}

bool Document::claim()
{
    if (!m_identity)
        m_identity = claimSpoolFile(m_path);
    return m_identity.has_value();
}

bool Document::append(const QByteArray &record) const
{
    return m_identity && appendRecord(m_path, *m_identity, record);
}

void Document::addPage()
{
    if (m_pages < MaxRecordedPages)
        ++m_pages;
}

void Document::discard()
{
    // Only the document's own file goes: whatever took its name since (a
    // link, another user's file) is not ours to delete.
    if (!m_path.isEmpty() && isOwnFile())
        QFile::remove(m_path);
    for (const QString &picture : std::as_const(m_pictures))
        QFile::remove(picture);
    *this = Document();
}

int32_t Document::pageCount(const QString &source) const
{
    if (m_recorded || m_path.isEmpty())
        return m_pages;
    const qsizetype pages = pageIndex(source).size();
    return int32_t(std::min<qsizetype>(pages, std::numeric_limits<int32_t>::max()));
}

const PageIndex &Document::pageIndex(const QString &source) const
{
    const QFileInfo info(m_path);
    const IndexKey key{currentFile(m_path), info.size(), info.lastModified().toMSecsSinceEpoch()};
    if (!m_indexKey || !(*m_indexKey == key) || !key.file) {
        // Cleared first: a failed scan leaves no stale index behind.
        m_indexKey.reset();
        m_index = buildPageIndex(m_path, source);
        m_indexKey = key;
    }
    return m_index;
}

std::optional<QPageLayout> Document::pageLayout(int32_t page, const QString &source) const
{
    if (m_path.isEmpty())
        return std::nullopt;
    const PageIndex &index = pageIndex(source);
    if (page < 1 || page > index.size())
        return std::nullopt;
    return pageLayoutAt(m_path, index.at(page - 1), source);
}

PageIndex Document::pageIndex(const QString &source, int32_t expectedPages) const
{
    return limitToPageCount(pageIndex(source), expectedPages, m_path, source);
}

std::shared_ptr<PageIndexer> Document::pageIndexer(const QString &source, std::optional<int32_t> expectedPages,
                                                   JobRunner runner) const
{
    auto indexer = std::make_shared<PageIndexer>(m_path, source, expectedPages);
    if (QFileInfo(m_path).size() >= BackgroundIndexBytes) {
        if (runner)
            indexer->start(std::move(runner));
        else
            indexer->start();
        return indexer;
    }
    indexer->setComplete(expectedPages ? pageIndex(source, *expectedPages) : pageIndex(source));
    return indexer;
}

std::shared_ptr<PageIndexer> Document::followingIndexer(const QString &source, JobRunner runner) const
{
    auto indexer = std::make_shared<PageIndexer>(m_path, source);
    indexer->setFollowing(true);
    indexer->start(std::move(runner));
    return indexer;
}

} // namespace qv::spool
