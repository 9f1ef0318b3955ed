// qvPreview - print preview for Qt applications.
#include "spool/SpoolWriter.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cerrno>

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
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                      precision);
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

bool appendRecord(const QString &path, const QByteArray &record)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;

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
        struct stat now{};
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

} // namespace qv::spool
