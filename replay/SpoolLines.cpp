// qvPreview - print preview for Qt applications.
#include "replay/SpoolLines.h"

#include <qvpreview/Error.h>

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
    // Read in small pieces: asking QIODevice for a line of up to MaxLineBytes
    // would allocate that much for every line.
    QByteArray line;
    char piece[4096];
    for (;;) {
        const qint64 n = m_file.readLine(piece, qint64(sizeof piece));
        if (n <= 0)
            break;
        line.append(piece, qsizetype(n));
        if (piece[n - 1] == '\n' || line.size() > MaxLineBytes + 1)
            break;
    }
    ++m_line;
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > MaxLineBytes)
        throw Error(62, QStringLiteral("LetturaDati"),
                    QStringLiteral("Riga %1 troppo lunga (oltre %2 byte)").arg(m_line).arg(MaxLineBytes));
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
