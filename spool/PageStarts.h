// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The one scan for page starts: where each page's first line begins in a
// spool file. The page index (spool::buildPageIndex, Document.h) and the
// replay's positioning by page number both find pages through it, so that a
// position and a page number always lead to the same line.
#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qv::spool {

/// Finds page breaks: every line that reads exactly TagNewPage (CR LF or LF
/// line ends; every line is compared, the text lines of text records
/// included, as a reader that compares line by line would), one after the
/// other. The file is read in large blocks and searched for the tag itself:
/// memory stays fixed whatever the size of the file or of its lines.
class PageStartScanner
{
public:
    /// Opens \a path. Throws qv::Error with the source \a source: 53 when the
    /// file does not exist, 75 when it cannot be read. With \a countLines the
    /// scanner also counts the lines before each page start.
    PageStartScanner(const QString &path, const QString &source, bool countLines = false);

    /// The 1-based byte position of the first line of the next page (the line
    /// after the next page break; one past the end of the file when the
    /// break is the last line), or nullopt when the file holds no more page
    /// break. Throws qv::Error 75 when the file cannot be read.
    std::optional<qint64> next();

    /// Asked before each block is read: true makes next() return nullopt at
    /// once, with atEnd() false; a later next() goes on where it stopped. A
    /// scan is so stopped or paused between two blocks (a megabyte at most),
    /// however far apart the page breaks are.
    void setInterrupt(std::function<bool()> interrupt) { m_interrupt = std::move(interrupt); }
    /// True once next() returned nullopt because the file holds no more page
    /// break (not because it was interrupted).
    bool atEnd() const { return m_eof && m_from >= m_limit; }
    /// Bytes of the file read so far.
    qint64 bytesRead() const { return m_base + m_have; }

    /// With countLines: the number of lines before the position that next()
    /// returned last.
    qint64 linesBefore() const { return m_linesBefore; }

    // --- A file still being written ---------------------------------------------

    /// Takes the file as one another program may still be appending to: at
    /// its end, a page break line without its line end yet is no break (it
    /// is decided once the rest comes), and after the end resume() reads on.
    void setFollowing(bool on);
    /// Reads on from the end that next() met, for what was appended since.
    void resume() { m_eof = false; }
    /// Byte offset just past the last line end read so far: the lines before
    /// it are whole.
    qint64 wholeEnd() const { return m_wholeEnd; }
    /// How the file stands against what was read of it: the same file,
    /// grown or not; cut shorter than what was read (truncated); or the
    /// name no longer leads to the file opened (deleted or replaced).
    enum class FileState { Same, Truncated, Replaced };
    FileState fileState() const;

private:
    bool readBlock();
    void countNewlines(qint64 upTo);

    QString m_source;
    QString m_path;
    QFile m_file;
    bool m_countLines;
    std::function<bool()> m_interrupt;
    // Left uninitialised: only the bytes a read fills are ever touched, so a
    // small file costs a small buffer.
    std::unique_ptr<char[]> m_buffer;
    qint64 m_block = 0; // bytes read at a time
    qint64 m_have = 0;  // bytes in the buffer
    qint64 m_base = 0;  // file offset of the buffer's first byte
    qint64 m_from = 0;  // buffer offset: the search goes on from here
    qint64 m_limit = 0; // buffer offset: finds before it can be decided
    bool m_eof = false;
    bool m_following = false;
    qint64 m_wholeEnd = 0;
    qint64 m_counted = 0; // file offset: newlines before it are in m_newlines
    qint64 m_newlines = 0;
    qint64 m_linesBefore = 0;
};

} // namespace qv::spool
