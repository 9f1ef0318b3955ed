// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The writing side of the spool file: records are built in memory, line by
// line, in the file's own notation (UTF-8, CR LF line ends, invariant
// numbers), and appended to the file with a single write, so that a record is
// either wholly in the file or not at all.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv::spool {

// --- Numbers in the invariant notation ---------------------------------------
//
// Whatever the locale: an optional "-", digits, "." as the only decimal
// separator, no grouping. Whole values carry no point ("1440"), values between
// -1 and 1 keep their leading zero ("0.5"), negative zero is "0"; values too
// large or too small for plain notation use "E", a sign and at least two
// exponent digits ("1.5E+10", "2.5E-07"). The caller never passes NaN or
// infinity (they are refused before a record is built).

/// A 32-bit float, at most 7 significant digits.
void appendSingle(QByteArray &out, float value);
/// A 64-bit float, at most 15 significant digits.
void appendDouble(QByteArray &out, double value);
/// A whole number.
void appendInteger(QByteArray &out, int64_t value);

QByteArray formatSingle(float value);
QByteArray formatDouble(double value);

/// One record being built: its tag line, then value lines made item by item
/// (items of one line are joined with ","), and raw text lines.
class Record
{
public:
    /// Starts a record with its tag line (one of the Tag constants of SpoolFormat.h).
    explicit Record(const char *tag);

    Record &single(float value);
    Record &real(double value);
    Record &integer(int64_t value);
    Record &boolean(bool value);
    /// A quoted text item. The file has no escape for a double quote or a
    /// line break inside an item, so '"' becomes '\'' and every control
    /// character becomes a space: the line always reads back as written.
    Record &text(const QString &value);
    /// Ends the current value line.
    Record &endLine();
    /// A line written as it stands (the text of a text record); CR LF pairs
    /// inside it become line ends of the file.
    Record &rawLine(const QString &line);
    /// A tag line.
    Record &tag(const char *tag);

    const QByteArray &bytes() const { return m_bytes; }
    /// The longest line ended so far, in bytes without its line end (a raw
    /// line counts whole, its inner line ends included).
    qsizetype longestLine() const { return m_longestLine; }

private:
    void separator();

    QByteArray m_bytes;
    bool m_lineOpen = false;
    qsizetype m_lineStart = 0;
    qsizetype m_longestLine = 0;
};

// --- A document's own spool file ----------------------------------------------
//
// Between two recording commands the file is closed, and the temporary folder
// is shared: the file may be deleted, or its name taken by a link or by
// another file. A document therefore remembers which file it started (device
// and inode) and writes only into that one, never through a link and never
// creating the file again.

/// Which file a document's spool is.
struct SpoolIdentity
{
    uint64_t device = 0;
    uint64_t inode = 0;

    bool operator==(const SpoolIdentity &) const = default;
};

/// Makes \a path the spool file of a new document: creates it empty and
/// exclusively, or, when the name exists, accepts it only when it is a
/// regular file of this user with no other name and is no link, and empties
/// it. No identity when the name cannot be had (another user's file, a link,
/// a FIFO, a missing or read-only folder).
std::optional<SpoolIdentity> claimSpoolFile(const QString &path);

/// Appends \a record to the file \a path with one write, only into the file
/// \a id names: the name is not followed when it is a link, the file is never
/// created, and it must still be a regular file of this user with that device
/// and inode. When the write fails or comes up short (a full disk, a
/// file-size limit), the file is cut back to its length before the record, so
/// it holds whole records only. False when the record is not in the file.
bool appendRecord(const QString &path, const SpoolIdentity &id, const QByteArray &record);

/// True when \a path still names the file \a id (not following a link).
bool isSpoolFile(const QString &path, const SpoolIdentity &id);

} // namespace qv::spool
