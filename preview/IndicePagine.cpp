// qvPreview - print preview for Qt applications.
#include "preview/IndicePagine.h"

#include <qvpreview/Error.h>

#include <QByteArrayView>
#include <QFile>

#include <cstring>
#include <vector>

namespace qv::IndicePagine {

namespace {

constexpr QByteArrayView Tag("#newpage@");

/// True when \a line (a whole line without its '\n') reads "#newpage@",
/// with or without the CR of a CR LF line end.
bool isPageBreak(const char *line, qint64 length)
{
    if (length == Tag.size() + 1 && line[length - 1] == '\r')
        --length;
    return length == Tag.size() && std::memcmp(line, Tag.data(), size_t(length)) == 0;
}

} // namespace

QVector<int32_t> Costruisci(const QString &path, int32_t pagineTotali)
{
    const QString source = QStringLiteral("FrmAnteprima");
    QVector<int32_t> posizioni(std::max<int32_t>(pagineTotali, 0) + 1, 0);
    posizioni[0] = 1;

    QFile file(path);
    if (!file.exists())
        throw Error(53, source, QStringLiteral("File non trovato: %1").arg(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Error(75, source, QStringLiteral("Errore di accesso al file %1: %2").arg(path, file.errorString()));

    // Lines are compared only when they are short enough to be the tag, so a
    // line is carried over from one block to the next only in its first bytes.
    constexpr qint64 BlockSize = 1 << 20;
    std::vector<char> buffer(static_cast<size_t>(BlockSize));
    char pending[16];       // start of the line that runs past the block
    qint64 pendingLen = 0;  // bytes of it kept (at most sizeof pending)
    bool pendingLong = false;
    qint64 offset = 0;      // file offset of buffer[0]
    int32_t n = 0;

    auto endOfLine = [&](const char *line, qint64 length, qint64 nextPos) {
        if (!isPageBreak(line, length))
            return;
        ++n;
        if (n >= posizioni.size())
            throw Error(9, source,
                        QStringLiteral("Il file %1 contiene più interruzioni di pagina delle %2 pagine attese")
                            .arg(path).arg(pagineTotali));
        posizioni[n] = int32_t(std::min<qint64>(nextPos, INT32_MAX));
    };

    for (;;) {
        const qint64 got = file.read(buffer.data(), BlockSize);
        if (got < 0)
            throw Error(75, source, QStringLiteral("Errore di lettura del file %1: %2").arg(path, file.errorString()));
        if (got == 0)
            break;
        const char *data = buffer.data();
        qint64 start = 0;
        while (start < got) {
            const void *nl = std::memchr(data + start, '\n', size_t(got - start));
            if (!nl) {
                // The line goes on in the next block: keep its first bytes.
                const qint64 rest = got - start;
                if (!pendingLong) {
                    const qint64 room = qint64(sizeof pending) - pendingLen;
                    if (rest > room)
                        pendingLong = true;
                    else {
                        std::memcpy(pending + pendingLen, data + start, size_t(rest));
                        pendingLen += rest;
                    }
                }
                break;
            }
            const qint64 end = static_cast<const char *>(nl) - data;
            const qint64 next = offset + end + 2; // 1-based position after the '\n'
            if (pendingLen > 0 || pendingLong) {
                const qint64 part = end - start;
                if (!pendingLong && pendingLen + part <= qint64(sizeof pending)) {
                    std::memcpy(pending + pendingLen, data + start, size_t(part));
                    endOfLine(pending, pendingLen + part, next);
                }
                pendingLen = 0;
                pendingLong = false;
            } else {
                endOfLine(data + start, end - start, next);
            }
            start = end + 1;
        }
        offset += got;
    }
    // A last line without a line end: the reader is then at the end of the file.
    if (pendingLen > 0 && !pendingLong)
        endOfLine(pending, pendingLen, offset + 1);
    return posizioni;
}

} // namespace qv::IndicePagine
