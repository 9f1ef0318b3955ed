// qvPreview - print preview for Qt applications.
#include "replay/SpoolLines.h"

#include <qvpreview/Error.h>

#include <algorithm>

namespace qv {

void SpoolLineReader::open(const QString &path)
{
    close();
    m_path = path;
    m_file.setFileName(path);
    if (!m_file.exists())
        throw Error(53, QStringLiteral("LetturaDati"), QStringLiteral("File non trovato: %1").arg(path));
    if (!m_file.open(QIODevice::ReadOnly))
        throw Error(75, QStringLiteral("LetturaDati"),
                    QStringLiteral("Errore di accesso al file %1: %2").arg(path, m_file.errorString()));
    m_line = 0;
    m_known = true;
}

void SpoolLineReader::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool SpoolLineReader::atEnd() const
{
    return !m_file.isOpen() || m_file.atEnd();
}

QByteArray SpoolLineReader::readRawLine()
{
    if (atEnd())
        throw Error(62, QStringLiteral("LetturaDati"),
                    QStringLiteral("Input oltre la fine del file dopo la riga %1").arg(m_line));
    // Read in small chunks: QIODevice::readLine(maxSize) would allocate
    // maxSize bytes (8 MiB) for every line, which made each line cost about
    // half a millisecond.
    QByteArray line;
    char chunk[4096];
    while (line.size() < MaxLineBytes + 2) {
        const qint64 room = std::min<qint64>(qint64(sizeof chunk), MaxLineBytes + 2 - line.size() + 1);
        const qint64 got = m_file.readLine(chunk, room);
        if (got <= 0)
            break;
        line.append(chunk, got);
        if (line.endsWith('\n'))
            break;
    }
    ++m_line;
    if (line.endsWith('\n')) {
        line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
    } else if (!m_file.atEnd()) {
        throw Error(62, QStringLiteral("LetturaDati"),
                    QStringLiteral("Riga %1 troppo lunga (oltre %2 byte)").arg(m_line).arg(MaxLineBytes));
    } else if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

QString SpoolLineReader::readLine()
{
    return QString::fromUtf8(readRawLine());
}

void SpoolLineReader::seek(qint64 pos)
{
    const qint64 offset = std::clamp<qint64>(pos - 1, 0, m_file.size());
    m_file.seek(offset);
    m_known = offset == 0;
    m_line = 0;
}

} // namespace qv
