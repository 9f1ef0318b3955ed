// qvPreview - print preview for Qt applications.
#include "preview/IndicePagine.h"

#include <qvpreview/Error.h>

#include <QByteArrayView>
#include <QFile>

#include <cstring>
#include <string.h>
#include <vector>

namespace qv::IndicePagine {

namespace {
constexpr QByteArrayView Tag("#newpage@");
// The tag and the longest line end after it ("\r\n").
constexpr qint64 Lookahead = 9 + 2;
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

    // The file is read in blocks and searched for the tag itself; a find
    // counts when it is a whole line: at the file start or after a '\n', and
    // followed by '\n', "\r\n" or the file end ("\r" at the very end too, as
    // the line reader drops it there). A find too close to the end of a block
    // to be decided is carried over, with the byte before it, to the next one.
    constexpr qint64 BlockSize = 1 << 20;
    std::vector<char> buffer(static_cast<size_t>(BlockSize + 2 * Lookahead));
    char *const data = buffer.data();
    qint64 have = 0; // bytes in the buffer
    qint64 base = 0; // file offset of data[0]
    qint64 decided = 0; // file offset: finds starting before it have been looked at
    int32_t n = 0;

    auto pagina = [&](qint64 nextPos) {
        ++n;
        if (n >= posizioni.size())
            throw Error(9, source,
                        QStringLiteral("Il file %1 contiene più interruzioni di pagina delle %2 pagine attese")
                            .arg(path).arg(pagineTotali));
        posizioni[n] = int32_t(std::min<qint64>(nextPos, INT32_MAX));
    };

    for (;;) {
        const qint64 got = file.read(data + have, BlockSize);
        if (got < 0)
            throw Error(75, source, QStringLiteral("Errore di lettura del file %1: %2").arg(path, file.errorString()));
        const bool eof = got == 0;
        have += got;
        // Finds starting before `limit` can be decided with the bytes at hand.
        const qint64 limit = eof ? have : have - Lookahead;
        qint64 from = decided - base;
        while (from < limit) {
            const void *hit = ::memmem(data + from, size_t(have - from), Tag.data(), size_t(Tag.size()));
            if (!hit)
                break;
            const qint64 i = static_cast<const char *>(hit) - data;
            if (i >= limit)
                break;
            from = i + 1;
            if (base + i != 0 && data[i - 1] != '\n')
                continue;
            const qint64 j = i + Tag.size();
            if (j == have) {
                pagina(base + have + 1);
            } else if (data[j] == '\n') {
                pagina(base + j + 2);
            } else if (data[j] == '\r') {
                if (j + 1 == have)
                    pagina(base + have + 1);
                else if (data[j + 1] == '\n')
                    pagina(base + j + 3);
            }
        }
        if (eof)
            break;
        decided = std::max(decided, base + limit);
        // Keep the undecided bytes and the one before them.
        const qint64 keepFrom = std::max<qint64>(decided - base - 1, 0);
        std::memmove(data, data + keepFrom, size_t(have - keepFrom));
        base += keepFrom;
        have -= keepFrom;
    }
    return posizioni;
}

} // namespace qv::IndicePagine
