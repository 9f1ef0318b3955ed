// qvPreview - print preview for Qt applications.
// Line access to a spool file, shared by the replay and the page index so
// that a stored page position always leads back to the same line.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>

namespace qv {

/// Reads a spool file line by line. Lines end with CR LF; a LF alone is
/// accepted too. Positions are 1-based byte positions of a line's first byte
/// (the first byte of the file is position 1), as the page index stores them.
class SpoolLineReader
{
public:
    /// Longest line accepted; a longer one is an error, never an unbounded allocation.
    static constexpr qint64 MaxLineBytes = 8 * 1024 * 1024;

    SpoolLineReader() = default;
    ~SpoolLineReader() { close(); }
    SpoolLineReader(const SpoolLineReader &) = delete;
    SpoolLineReader &operator=(const SpoolLineReader &) = delete;

    /// Opens \a path for reading. Throws qv::Error 53 ("File non trovato")
    /// or 75 when it cannot be opened.
    void open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    /// True when at least one more line can be read.
    bool atEnd() const;
    /// Reads the next line without its line end. Throws qv::Error 62 at the
    /// end of the file and for a line longer than MaxLineBytes.
    QString readLine();
    /// The same as raw bytes, without decoding or a copy (for scans that
    /// compare tags, and the replay's parser): the bytes stay valid until
    /// the next read or seek.
    QByteArrayView readLineView();

    /// 1-based position of the next line to be read.
    qint64 position() const { return m_bufferOffset + m_next + 1; }
    /// Moves to 1-based position \a pos (clamped to the file). The line
    /// counter then no longer knows its line numbers (lineNumber() is 0).
    void seek(qint64 pos);
    /// Number of the line last read (1-based), or 0 after a seek.
    qint64 lineNumber() const { return m_known ? m_line : 0; }
    const QString &path() const { return m_path; }

private:
    bool fill();
    void emptyBuffer(qint64 fileOffset);

    QFile m_file;
    // The file is read in blocks; m_buffer holds the bytes from file offset
    // m_bufferOffset on, and m_next is the first byte not yet returned.
    QByteArray m_buffer;
    qsizetype m_next = 0;
    qint64 m_bufferOffset = 0;
    QString m_path;
    qint64 m_line = 0;
    bool m_known = true;
};

} // namespace qv
