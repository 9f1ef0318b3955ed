// qvPreview - print preview for Qt applications.
#include "preview/IndicePagine.h"

#include "spool/PageStarts.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace qv::IndicePagine {

QVector<qint64> Costruisci(const QString &path, int32_t pagineTotali)
{
    const QString source = QStringLiteral("FrmAnteprima");
    QVector<qint64> posizioni(std::max<int32_t>(pagineTotali, 0) + 1, 0);
    posizioni[0] = 1;
    spool::PageStartScanner scanner(path, source);
    int32_t n = 0;
    while (const std::optional<qint64> inizio = scanner.next()) {
        ++n;
        // The control counts pages up to 32767 and no further: a document
        // with more page breaks has its first 32767 pages indexed, and the
        // pages past them are out of reach. Any other surplus of page breaks
        // is a file that does not match its page count.
        if (n >= posizioni.size() && pagineTotali >= std::numeric_limits<int16_t>::max())
            break;
        if (n >= posizioni.size())
            throw Error(ErrSubscriptOutOfRange, source,
                        QCoreApplication::translate(
                            "qv::IndicePagine", "Il file %1 contiene più interruzioni di pagina delle %2 pagine attese")
                            .arg(path)
                            .arg(pagineTotali))
                .at(path);
        posizioni[n] = *inizio;
    }
    return posizioni;
}

} // namespace qv::IndicePagine
