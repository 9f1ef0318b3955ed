// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "spool/SpoolReader.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace qv::spool {

namespace {
/// Bytes read from the file at a time: a page of a typical document.
constexpr qint64 BlockBytes = 32 * 1024;
} // namespace

void openForReading(QFile &file, const QString &source)
{
    const QString path = file.fileName();
    int errorNumber = 0;
    // Opened without blocking and examined through the open descriptor: a
    // FIFO put in the file's place would otherwise hold the reader in open()
    // for good, and a device such as /dev/zero would read without end.
    switch (platform::openRegularFile(file, path, std::numeric_limits<int64_t>::max(), &errorNumber)) {
    case platform::OpenRegularResult::Opened: return;
    case platform::OpenRegularResult::NotFound:
        throw Error(ErrFileNotFound, source, QStringLiteral("%1: %2").arg(errorText(ErrFileNotFound), path)).at(path);
    case platform::OpenRegularResult::NotRegular:
    case platform::OpenRegularResult::TooLarge:
        throw Error(ErrPathFileAccess, source,
                    QStringLiteral("%1: %2 (%3)")
                        .arg(errorText(ErrPathFileAccess), path,
                             QCoreApplication::translate("qv::SpoolReader", "non è un file regolare")))
            .at(path);
    case platform::OpenRegularResult::Failed: break;
    }
    throw Error(ErrPathFileAccess, source,
                QStringLiteral("%1: %2 (%3)")
                    .arg(errorText(ErrPathFileAccess), path,
                         errorNumber ? QString::fromLocal8Bit(std::strerror(errorNumber)) : file.errorString()))
        .at(path);
}

Error readError(const QString &path, const QFile &file, const QString &source)
{
    return Error(ErrPathFileAccess, source,
                 QStringLiteral("%1: %2 (%3)").arg(errorText(ErrPathFileAccess), path, file.errorString()))
        .at(path);
}

SpoolReader::SpoolReader(QString source) : m_source(std::move(source)) {}

SpoolReader::~SpoolReader()
{
    close();
}

void SpoolReader::open(const QString &path)
{
    close();
    m_path = path;
    m_file.setFileName(path);
    openForReading(m_file, m_source);
    emptyBuffer(0);
    m_line = 0;
    m_linesKnown = true;
    m_origin = 1;
}

void SpoolReader::close()
{
    if (m_file.isOpen())
        m_file.close();
    emptyBuffer(0);
}

void SpoolReader::emptyBuffer(qint64 fileOffset)
{
    dropValueLine();
    m_buffer.clear();
    m_next = 0;
    m_bufferOffset = fileOffset;
    m_eof = false;
    m_endReached = false;
}

void SpoolReader::dropValueLine()
{
    m_haveLine = false;
    m_current = QByteArrayView();
    m_pos = 0;
}

bool SpoolReader::rawAtEnd()
{
    if (!m_file.isOpen())
        return true;
    // The end is known only when a read gives nothing: a file's claimed size
    // is not trusted.
    while (m_next >= m_buffer.size()) {
        if (!fill())
            return true;
    }
    return false;
}

bool SpoolReader::atEnd()
{
    const bool restOfValueLine = m_haveLine && m_pos < m_current.size();
    return !restOfValueLine && rawAtEnd();
}

/// Appends the next block of the file to the buffer, first dropping the bytes
/// already returned. False at the end of the file: the first read that gives
/// no byte, whatever size the file claims (files of /proc and /sys claim one
/// they do not have). A read that fails is error 75 with the file's name.
bool SpoolReader::fill()
{
    if (m_eof)
        return false;
    if (m_next > 0) {
        m_buffer.remove(0, m_next);
        m_bufferOffset += m_next;
        m_next = 0;
    }
    const qsizetype kept = m_buffer.size();
    qint64 want = BlockBytes;
    if (m_end >= 0)
        want = std::clamp<qint64>(m_end - (m_bufferOffset + kept), 0, BlockBytes);
    if (want == 0) {
        m_eof = true;
        return false;
    }
    m_buffer.resize(kept + want);
    const qint64 n = m_file.read(m_buffer.data() + kept, want);
    m_buffer.resize(kept + std::max<qint64>(n, 0));
    if (n < 0) {
        m_eof = true;
        throw readError(m_path, m_file, m_source);
    }
    if (n == 0)
        m_eof = true;
    return n > 0;
}

QString SpoolReader::where() const
{
    if (m_linesKnown)
        return QCoreApplication::translate("qv::SpoolReader", "riga %1").arg(m_line);
    return QCoreApplication::translate("qv::SpoolReader", "riga %1 dalla posizione %2").arg(m_line).arg(m_origin);
}

void SpoolReader::fail(ErrorNumber number, const QString &what) const
{
    throw Error(number, m_source,
                QCoreApplication::translate("qv::SpoolReader", "Errore nel file di stampa \"%1\", %2: %3")
                    .arg(m_path, where(), what))
        .at(m_path, lineNumber());
}

/// The next line of the file, valid until the next read. What was expected,
/// for the message at the end of the file: the value \a field, or \a expected.
QByteArrayView SpoolReader::fetch(const char *field, const QString &expected)
{
    // Any value line is left behind: its view into the buffer is about to go.
    dropValueLine();
    if (rawAtEnd()) {
        ++m_line;
        m_endReached = true;
        const QString what =
            field ? QCoreApplication::translate("qv::SpoolReader", "il valore %1").arg(QLatin1String(field)) : expected;
        fail(ErrInputPastEnd,
             what.isEmpty()
                 ? QCoreApplication::translate("qv::SpoolReader", "fine del file inattesa")
                 : QCoreApplication::translate("qv::SpoolReader", "fine del file inattesa, atteso %1").arg(what));
    }
    qsizetype searched = m_next;
    qsizetype end = -1;
    for (;;) {
        end = m_buffer.indexOf('\n', searched);
        if (end >= 0)
            break;
        // A line is never held longer than the limit (and its CR LF).
        if (m_buffer.size() - m_next > MaxLineBytes + 1) {
            ++m_line;
            m_next = m_buffer.size();
            fail(ErrInputPastEnd,
                 QCoreApplication::translate("qv::SpoolReader", "riga troppo lunga (oltre %1 byte)").arg(MaxLineBytes));
        }
        searched = m_buffer.size() - m_next;
        if (!fill())
            break;
    }
    ++m_line;
    const qsizetype first = m_next;
    qsizetype last = end >= 0 ? end : m_buffer.size();
    m_next = end >= 0 ? end + 1 : m_buffer.size();
    if (last > first && m_buffer.at(last - 1) == '\r')
        --last;
    if (last - first > MaxLineBytes)
        fail(ErrInputPastEnd,
             QCoreApplication::translate("qv::SpoolReader", "riga troppo lunga (oltre %1 byte)").arg(MaxLineBytes));
    return QByteArrayView(m_buffer.constData() + first, last - first);
}

QByteArrayView SpoolReader::readLineView(const QString &expected)
{
    if (m_haveLine && m_pos < m_current.size()) {
        // Values stopped inside this line: its rest is the line read now.
        const QByteArrayView rest = m_current.sliced(m_pos);
        dropValueLine();
        return rest;
    }
    return fetch(nullptr, expected);
}

QString SpoolReader::readLine()
{
    return QString::fromUtf8(readLineView());
}

void SpoolReader::seek(qint64 pos, std::optional<qint64> linesBefore)
{
    const qint64 offset = std::clamp<qint64>(pos - 1, 0, m_file.size());
    m_file.seek(offset);
    emptyBuffer(offset);
    m_origin = pos;
    m_linesKnown = linesBefore.has_value() || offset == 0;
    m_line = linesBefore.value_or(0);
}

void SpoolReader::seekToEnd()
{
    const qint64 size = m_file.size();
    m_file.seek(size);
    emptyBuffer(size);
    m_eof = true;
}

// --- Values ----------------------------------------------------------------------

QString SpoolReader::shown(QByteArrayView raw)
{
    constexpr int Shown = 40;
    QString s = QString::fromUtf8(raw.first(std::min<qsizetype>(raw.size(), Shown)));
    if (raw.size() > Shown)
        s += QStringLiteral("...");
    return s;
}

/// The next value, wherever it is: values wrap across lines, and blank lines
/// between them are skipped. The value is valid until the next read.
QByteArrayView SpoolReader::item(const char *field, bool quotedAllowed)
{
    while (!m_haveLine || m_pos > m_current.size()) {
        const QByteArrayView line = fetch(field, QString());
        m_current = line;
        m_pos = 0;
        m_haveLine = !line.trimmed().isEmpty();
    }
    const qsizetype size = m_current.size();
    qsizetype p = m_pos;
    while (p < size && (m_current[p] == ' ' || m_current[p] == '\t'))
        ++p;
    QByteArrayView value;
    if (quotedAllowed && p < size && m_current[p] == '"') {
        const qsizetype close = m_current.indexOf('"', p + 1);
        if (close < 0)
            fail(ErrTypeMismatch,
                 QCoreApplication::translate("qv::SpoolReader", "testo senza virgolette di chiusura per %1")
                     .arg(QLatin1String(field)));
        value = m_current.sliced(p + 1, close - p - 1);
        p = close + 1;
        // Anything between the closing quote and the comma is ignored.
        const qsizetype comma = m_current.indexOf(',', p);
        p = comma < 0 ? size : comma;
    } else {
        const qsizetype comma = m_current.indexOf(',', p);
        const qsizetype end = comma < 0 ? size : comma;
        value = m_current.sliced(p, end - p);
        p = end;
    }
    // After the comma the next value begins; at the line end (or after a
    // comma that ends the line) the line is used up.
    m_pos = p + 1 < size ? p + 1 : size + 1;
    return value;
}

QString SpoolReader::text(const char *field)
{
    return QString::fromUtf8(item(field, true));
}

double SpoolReader::number(const char *field)
{
    const QByteArrayView raw = item(field, false);
    const QByteArrayView t = raw.trimmed();
    const char *first = t.data();
    const char *last = first + t.size();
    if (first != last && *first == '+')
        ++first;
    bool plain = first != last;
    for (const char *p = first; p != last; ++p) {
        const char c = *p;
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            plain = false;
    }
    double value = 0;
    if (plain) {
        const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
        if (ec == std::errc::result_out_of_range && end == last)
            fail(ErrOverflow,
                 QCoreApplication::translate("qv::SpoolReader", "valore fuori dall'intervallo ammesso per %1: \"%2\"")
                     .arg(QLatin1String(field), shown(raw)));
        plain = ec == std::errc() && end == last;
    }
    if (!plain)
        fail(ErrTypeMismatch, QCoreApplication::translate("qv::SpoolReader", "atteso un numero per %1, trovato \"%2\"")
                                  .arg(QLatin1String(field), shown(raw)));
    return value;
}

int32_t SpoolReader::integer(const char *field)
{
    const double v = std::nearbyint(number(field));
    if (!(v >= double(std::numeric_limits<int32_t>::min()) && v <= double(std::numeric_limits<int32_t>::max())))
        fail(ErrOverflow, QCoreApplication::translate("qv::SpoolReader", "valore intero fuori dall'intervallo per %1")
                              .arg(QLatin1String(field)));
    return int32_t(v);
}

float SpoolReader::single(const char *field)
{
    const double v = number(field);
    if (std::fabs(v) > double(FLT_MAX))
        fail(ErrOverflow, QCoreApplication::translate("qv::SpoolReader", "valore fuori dall'intervallo a 32 bit per %1")
                              .arg(QLatin1String(field)));
    return float(v);
}

bool SpoolReader::boolean(const char *field)
{
    const QByteArrayView raw = item(field, false);
    const QByteArrayView t = raw.trimmed();
    if (t == QByteArrayView("#TRUE#"))
        return true;
    if (t == QByteArrayView("#FALSE#"))
        return false;
    // A number also converts to true/false: 0 is false, anything else true.
    bool ok = false;
    const double v = t.toByteArray().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v != 0;
    fail(ErrTypeMismatch,
         QCoreApplication::translate("qv::SpoolReader", "atteso #TRUE# o #FALSE# per %1, trovato \"%2\"")
             .arg(QLatin1String(field), shown(raw)));
}

} // namespace qv::spool
