// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/PageStarts.h"

#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <qvpreview/Error.h>

#include <QByteArrayView>

#include <algorithm>
#include <cstring>
#include <string.h>
#include <sys/stat.h>

namespace qv::spool {

namespace {
// The length from the array: GCC with -fsanitize=undefined cannot scan the
// array for its end at compile time.
constexpr QByteArrayView Tag(TagNewPage, sizeof TagNewPage - 1);
// The tag and the longest line end after it ("\r\n").
constexpr qint64 Lookahead = Tag.size() + 2;
constexpr qint64 BlockSize = 1 << 20;
constexpr qint64 MinBlockSize = 4096;
} // namespace

PageStartScanner::PageStartScanner(const QString &path, const QString &source, bool countLines)
    : m_source(source)
    , m_path(path)
    , m_file(path)
    , m_countLines(countLines)
{
    openForReading(m_file, source);
    // A block of the whole file when it is small, so that scanning a short
    // document never pays for a large buffer.
    m_block = std::clamp<qint64>(m_file.size() + 1, MinBlockSize, BlockSize);
    m_buffer = std::make_unique_for_overwrite<char[]>(size_t(m_block + 2 * Lookahead));
}

void PageStartScanner::countNewlines(qint64 upTo)
{
    if (!m_countLines || upTo <= m_counted)
        return;
    const char *data = m_buffer.get();
    m_newlines += std::count(data + (m_counted - m_base), data + (upTo - m_base), '\n');
    m_counted = upTo;
}

// The file is read in blocks and searched for the tag itself; a find counts
// when it is a whole line: at the file start or after a '\n', and followed by
// '\n', "\r\n" or the file end ("\r" at the very end too, as a line reader
// drops it there). A find too close to the end of a block to be decided is
// carried over, with the byte before it, to the next block.
bool PageStartScanner::readBlock()
{
    char *const data = m_buffer.get();
    // Keep the undecided bytes and the one before them.
    const qint64 keepFrom = std::max<qint64>(m_limit - 1, 0);
    countNewlines(m_base + keepFrom);
    std::memmove(data, data + keepFrom, size_t(m_have - keepFrom));
    m_base += keepFrom;
    m_have -= keepFrom;
    m_from = std::max<qint64>(m_limit - keepFrom, 0);

    const qint64 got = m_file.read(data + m_have, m_block);
    if (got < 0)
        throw readError(m_path, m_file, m_source);
    m_eof = got == 0;
    if (got > 0) {
        if (const void *nl = ::memrchr(data + m_have, '\n', size_t(got)))
            m_wholeEnd = m_base + (static_cast<const char *>(nl) - data) + 1;
    }
    m_have += got;
    // Finds starting before the limit can be decided with the bytes at hand;
    // at the end of a file still being written, only those on whole lines.
    if (!m_eof)
        m_limit = std::max<qint64>(m_have - Lookahead, m_from);
    else if (!m_following)
        m_limit = m_have;
    else
        m_limit = std::max<qint64>(m_wholeEnd - m_base, m_from);
    return true;
}

std::optional<qint64> PageStartScanner::next()
{
    const char *const data = m_buffer.get();
    for (;;) {
        while (m_from < m_limit) {
            const void *hit = ::memmem(data + m_from, size_t(m_have - m_from), Tag.data(), size_t(Tag.size()));
            const qint64 i = hit ? static_cast<const char *>(hit) - data : m_limit;
            if (i >= m_limit) {
                m_from = m_limit;
                break;
            }
            m_from = i + 1;
            if (m_base + i != 0 && data[i - 1] != '\n')
                continue;
            const qint64 j = i + Tag.size();
            std::optional<qint64> start; // file offset of the next page's first line
            bool unterminated = false;   // the break is the file's last line, without a line end
            if (j == m_have) {
                start = m_base + m_have;
                unterminated = true;
            } else if (data[j] == '\n') {
                start = m_base + j + 1;
            } else if (data[j] == '\r') {
                if (j + 1 == m_have) {
                    start = m_base + m_have;
                    unterminated = true;
                } else if (data[j + 1] == '\n') {
                    start = m_base + j + 2;
                }
            }
            if (!start)
                continue;
            countNewlines(*start);
            m_linesBefore = m_newlines + (unterminated ? 1 : 0);
            return *start + 1;
        }
        if (m_eof || (m_interrupt && m_interrupt()))
            return std::nullopt;
        readBlock();
    }
}

void PageStartScanner::setFollowing(bool on)
{
    m_following = on;
    // A file that grows is read in whole blocks, however short it was.
    if (on && m_have == 0 && m_block < BlockSize) {
        m_block = BlockSize;
        m_buffer = std::make_unique_for_overwrite<char[]>(size_t(m_block + 2 * Lookahead));
    }
}

PageStartScanner::FileState PageStartScanner::fileState() const
{
    struct stat opened
    {};
    struct stat named
    {};
    if (::fstat(m_file.handle(), &opened) != 0 || ::stat(QFile::encodeName(m_path).constData(), &named) != 0
        || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return FileState::Replaced;
    return opened.st_size < bytesRead() ? FileState::Truncated : FileState::Same;
}

} // namespace qv::spool
