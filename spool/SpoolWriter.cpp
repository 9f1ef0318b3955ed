// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/SpoolWriter.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::spool {

namespace {

constexpr char CrLf[] = "\r\n";

// std::to_chars in the general form is printf's "%.*g" in the "C" locale,
// whatever the process locale; the exponent letter is made upper case.
template <typename T>
void appendGeneral(QByteArray &out, T value, int precision)
{
    if (value == T(0)) { // also negative zero
        out.append('0');
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    for (char *p = buffer; p != result.ptr; ++p)
        if (*p == 'e')
            *p = 'E';
    out.append(buffer, result.ptr - buffer);
}

} // namespace

void appendSingle(QByteArray &out, float value)
{
    appendGeneral(out, value, 7);
}

void appendDouble(QByteArray &out, double value)
{
    appendGeneral(out, value, 15);
}

void appendInteger(QByteArray &out, int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

QByteArray formatSingle(float value)
{
    QByteArray out;
    appendSingle(out, value);
    return out;
}

QByteArray formatDouble(double value)
{
    QByteArray out;
    appendDouble(out, value);
    return out;
}

// --- Record -----------------------------------------------------------------

Record::Record(const char *tagLine)
{
    m_bytes.reserve(128);
    tag(tagLine);
}

void Record::separator()
{
    if (m_lineOpen)
        m_bytes.append(',');
    m_lineOpen = true;
}

Record &Record::single(float value)
{
    separator();
    appendSingle(m_bytes, value);
    return *this;
}

Record &Record::real(double value)
{
    separator();
    appendDouble(m_bytes, value);
    return *this;
}

Record &Record::integer(int64_t value)
{
    separator();
    appendInteger(m_bytes, value);
    return *this;
}

Record &Record::boolean(bool value)
{
    separator();
    m_bytes.append(value ? "#TRUE#" : "#FALSE#");
    return *this;
}

Record &Record::text(const QString &value)
{
    separator();
    QString safe = value;
    for (QChar &c : safe) {
        if (c == QLatin1Char('"'))
            c = QLatin1Char('\'');
        else if (c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char(' ');
    }
    m_bytes.append('"');
    m_bytes.append(safe.toUtf8());
    m_bytes.append('"');
    return *this;
}

Record &Record::endLine()
{
    m_longestLine = std::max(m_longestLine, m_bytes.size() - m_lineStart);
    m_bytes.append(CrLf);
    m_lineStart = m_bytes.size();
    m_lineOpen = false;
    return *this;
}

Record &Record::rawLine(const QString &line)
{
    m_bytes.append(line.toUtf8());
    return endLine();
}

Record &Record::tag(const char *tagLine)
{
    m_bytes.append(tagLine);
    return endLine();
}

// --- Appending ----------------------------------------------------------------

namespace {

int openRetrying(const QByteArray &native, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool ownRegularFile(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

SpoolIdentity identityOf(const struct stat &st)
{
    return SpoolIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

// Writes the whole record at the end of the open file and closes it.
bool writeAndClose(int fd, const QByteArray &record)
{
    const char *data = record.constData();
    qsizetype left = record.size();
    qsizetype done = 0;
    bool ok = true;
    while (left > 0) {
        const ssize_t written = ::write(fd, data + done, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (written == 0) {
            ok = false;
            break;
        }
        done += written;
        left -= written;
    }

    if (!ok && done > 0) {
        // The part of the record that reached the file goes again: the file
        // ends with the last whole record, as before the call. (Appends only
        // ever add at the end, so the record's bytes are the file's last ones.)
        struct stat now
        {};
        if (::fstat(fd, &now) == 0 && now.st_size >= done) {
            while (::ftruncate(fd, now.st_size - done) != 0 && errno == EINTR) {
            }
        }
    }
    // Once write() has taken every byte the record is in the file; a late
    // error of close() cannot be undone by truncating any more.
    ::close(fd);
    return ok;
}

} // namespace

std::optional<SpoolIdentity> claimSpoolFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    int fd = openRetrying(native, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    const bool created = fd >= 0;
    if (!created) {
        if (errno != EEXIST)
            return std::nullopt;
        // The name is taken. O_NONBLOCK: a FIFO must not hold the command up.
        fd = openRetrying(native, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            return std::nullopt;
    }
    struct stat st
    {};
    // A name found in place must have no other name either: a hard link put
    // there would make the new document empty some other file of ours.
    bool ok = ::fstat(fd, &st) == 0 && ownRegularFile(st) && (created || st.st_nlink == 1);
    // A file that was there before belongs to no document any more: a new one
    // starts empty, as a freshly created name does.
    if (ok && !created && st.st_size != 0) {
        int rc;
        do {
            rc = ::ftruncate(fd, 0);
        } while (rc != 0 && errno == EINTR);
        ok = rc == 0;
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return identityOf(st);
}

bool appendRecord(const QString &path, const SpoolIdentity &id, const QByteArray &record)
{
    if (path.isEmpty())
        return false;
    const int fd = openRetrying(QFile::encodeName(path), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !ownRegularFile(st) || identityOf(st) != id) {
        ::close(fd);
        return false;
    }
    return writeAndClose(fd, record);
}

bool isSpoolFile(const QString &path, const SpoolIdentity &id)
{
    struct stat st
    {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && identityOf(st) == id;
}

} // namespace qv::spool
