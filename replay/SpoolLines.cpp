// qvPreview - print preview for Qt applications.
#include "replay/SpoolLines.h"

#include <qvpreview/Error.h>

#include <algorithm>

namespace qv {

namespace {
/// Bytes read from the file at a time: a page of a typical document.
constexpr qint64 BlockBytes = 32 * 1024;

Error lineTooLong(qint64 line)
{
    return Error(62, QStringLiteral("LetturaDati"),
                 QStringLiteral("Riga %1 troppo lunga (oltre %2 byte)").arg(line).arg(SpoolLineReader::MaxLineBytes));
}
} // namespace

void SpoolLineReader::open(const QString &path)
{
    close();
    m_path = path;
    m_file.setFileName(path);
    if (!m_file.exists())
        throw Error(53, QStringLiteral("LetturaDati"), QStringLiteral("File non trovato: %1").arg(path));
    // Unbuffered: the reader keeps its own block buffer.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Error(75, QStringLiteral("LetturaDati"),
                    QStringLiteral("Errore di accesso al file %1: %2").arg(path, m_file.errorString()));
    emptyBuffer(0);
    m_line = 0;
    m_known = true;
}

void SpoolLineReader::close()
{
    if (m_file.isOpen())
        m_file.close();
    emptyBuffer(0);
}

void SpoolLineReader::emptyBuffer(qint64 fileOffset)
{
    m_buffer.clear();
    m_next = 0;
    m_bufferOffset = fileOffset;
}

bool SpoolLineReader::atEnd() const
{
    return !m_file.isOpen() || (m_next >= m_buffer.size() && m_file.atEnd());
}

/// Appends the next block of the file to the buffer, first dropping the bytes
/// already returned. False at the end of the file.
bool SpoolLineReader::fill()
{
    if (m_next > 0) {
        m_buffer.remove(0, m_next);
        m_bufferOffset += m_next;
        m_next = 0;
    }
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + BlockBytes);
    const qint64 n = m_file.read(m_buffer.data() + kept, BlockBytes);
    m_buffer.resize(kept + std::max<qint64>(n, 0));
    return n > 0;
}

QByteArrayView SpoolLineReader::readLineView()
{
    if (atEnd())
        throw Error(62, QStringLiteral("LetturaDati"),
                    QStringLiteral("Input oltre la fine del file dopo la riga %1").arg(m_line));
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
            throw lineTooLong(m_line);
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
        throw lineTooLong(m_line);
    return QByteArrayView(m_buffer.constData() + first, last - first);
}

QString SpoolLineReader::readLine()
{
    return QString::fromUtf8(readLineView());
}

void SpoolLineReader::seek(qint64 pos)
{
    const qint64 offset = std::clamp<qint64>(pos - 1, 0, m_file.size());
    m_file.seek(offset);
    emptyBuffer(offset);
    m_known = offset == 0;
    m_line = 0;
}

} // namespace qv
