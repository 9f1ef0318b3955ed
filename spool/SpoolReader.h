// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The reading side of the spool file: whole lines (tag lines and the text
// lines of text records) and the comma-separated values of the value lines,
// read as one stream across line ends. The replay reads through it, and a
// stored page position always leads back to the same line.
#pragma once

#include "spool/SpoolFormat.h"

#include <qvpreview/Error.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv::spool {

/// Opens \a file (its name already set) for reading without Qt's buffer: the
/// spool readers keep their own. Only a regular file is opened, and the open
/// never blocks: a FIFO, a device, a socket or a folder at the name is error
/// 75 ("non è un file regolare") and is never read from. Throws qv::Error
/// with the source \a source: 53 when the file does not exist, 75 when it
/// cannot be opened; the description is the catalogue's text, the path and
/// the system's reason.
void openForReading(QFile &file, const QString &source);
/// Error 75 for a read of \a file at \a path that failed, with the path and
/// the reason.
Error readError(const QString &path, const QFile &file, const QString &source);

/// Reads a spool file. Lines end with CR LF; a LF alone is accepted too.
/// Positions are 1-based byte positions of a line's first byte (the first
/// byte of the file is position 1), as the page index stores them.
///
/// Values are one stream: value() readers take the next comma-separated
/// value wherever it stands, across line ends, skipping blank lines; a value
/// that ends its line leaves the reader at the start of the next line. A
/// whole-line read after values that stopped inside a line returns the rest
/// of that line.
///
/// Every error is a qv::Error with the source given to the constructor, a
/// description that names the file, the line ("riga 12", or "riga 3 dalla
/// posizione 1234" after a seek to a position whose line is not known) and
/// what was expected, and the file and line in Error::file() and
/// Error::line() (0 when the line is not known).
class SpoolReader
{
public:
    explicit SpoolReader(QString source = QStringLiteral("LetturaDati"));
    ~SpoolReader();
    SpoolReader(const SpoolReader &) = delete;
    SpoolReader &operator=(const SpoolReader &) = delete;

    /// Opens \a path for reading. Throws qv::Error 53 when it does not exist,
    /// 75 when it cannot be opened.
    void open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    const QString &path() const { return m_path; }
    /// What errors name as their source from now on.
    void setSource(const QString &source) { m_source = source; }

    /// True when nothing more can be read: no line, and no rest of a value line.
    /// It may read the next block to know. Throws qv::Error 75 when that read fails.
    bool atEnd();
    /// The next whole line without its line end, or the rest of a value line
    /// (see the class note), as raw bytes valid until the next read or seek.
    /// Throws qv::Error 62 at the end of the file (\a expected names what was
    /// expected there) and for a line longer than MaxLineBytes.
    QByteArrayView readLineView(const QString &expected = QString());
    /// The same decoded from UTF-8.
    QString readLine();

    /// 1-based position of the next line to be read.
    qint64 position() const { return m_bufferOffset + m_next + 1; }
    /// Moves to 1-based position \a pos (clamped to the file). \a linesBefore
    /// is the number of lines before that position when the caller knows it;
    /// without it line numbers count from the position.
    void seek(qint64 pos, std::optional<qint64> linesBefore = std::nullopt);
    /// Moves to the end of the file: nothing more is read.
    void seekToEnd();
    /// 1-based number of the line last read, or 0 when it is not known.
    qint64 lineNumber() const { return m_linesKnown ? m_line : 0; }

    /// Reads the file as if it ended at byte offset \a end (a count of bytes
    /// from the file start; negative: no end but the file's own): what a
    /// file still being written holds whole so far. Default: none.
    void setEnd(qint64 end) { m_end = end; }
    /// True when the last error was the end of the file (or of setEnd())
    /// coming before a line that was expected: a record cut short there.
    bool endReached() const { return m_endReached; }

    // --- Values ----------------------------------------------------------------
    // \a field names the value in error messages.

    /// A text value: quoted ("Arial") or bare.
    QString text(const char *field);
    /// A number in invariant notation (".5", "0.5", "-1.5E+03", "+3"). Throws
    /// 13 for anything else ("nan" and "inf" included), 6 beyond a double.
    double number(const char *field);
    /// A number rounded to a whole 32-bit value; 6 beyond that range.
    int32_t integer(const char *field);
    /// A number as a 32-bit float; 6 beyond that range.
    float single(const char *field);
    /// "#TRUE#" or "#FALSE#", or a number (0 false). 13 for anything else.
    bool boolean(const char *field);

    /// Where the reader is, for a message: "riga 12" or "riga 3 dalla posizione 1234".
    QString where() const;
    /// Throws error \a number: "Errore nel file di stampa "<path>", <where>: <what>".
    [[noreturn]] void fail(ErrorNumber number, const QString &what) const;

private:
    bool fill();
    void emptyBuffer(qint64 fileOffset);
    void dropValueLine();
    bool rawAtEnd();
    QByteArrayView fetch(const char *field, const QString &expected);
    QByteArrayView item(const char *field, bool quotedAllowed);
    static QString shown(QByteArrayView raw);

    QString m_source;
    QString m_path;
    QFile m_file;
    // The file is read in blocks; m_buffer holds the bytes from file offset
    // m_bufferOffset on, and m_next is the first byte not yet returned.
    QByteArray m_buffer;
    qsizetype m_next = 0;
    qint64 m_bufferOffset = 0;
    // Set by the first read that gives no byte (or fails); a seek clears it.
    bool m_eof = false;
    qint64 m_end = -1; // setEnd()
    bool m_endReached = false;

    // Line numbers: m_line lines read since the origin of the count.
    qint64 m_line = 0;
    bool m_linesKnown = true;
    qint64 m_origin = 1;

    // The value line being read, in the buffer, and the next value's offset in it.
    QByteArrayView m_current;
    qsizetype m_pos = 0;
    bool m_haveLine = false;
};

} // namespace qv::spool
