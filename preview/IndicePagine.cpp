// qvPreview - print preview for Qt applications.
#include "preview/IndicePagine.h"

#include "spool/PageStarts.h"

#include <qvpreview/Error.h>

#include <algorithm>

namespace qv::IndicePagine {

QVector<int32_t> Costruisci(const QString &path, int32_t pagineTotali)
{
    const QString source = QStringLiteral("FrmAnteprima");
    QVector<int32_t> posizioni(std::max<int32_t>(pagineTotali, 0) + 1, 0);
    posizioni[0] = 1;
    spool::PageStartScanner scanner(path, source);
    int32_t n = 0;
    while (const std::optional<qint64> inizio = scanner.next()) {
        ++n;
        if (n >= posizioni.size())
            throw Error(ErrSubscriptOutOfRange, source,
                        QStringLiteral("Il file %1 contiene più interruzioni di pagina delle %2 pagine attese")
                            .arg(path)
                            .arg(pagineTotali))
                .at(path);
        posizioni[n] = int32_t(std::min<qint64>(*inizio, INT32_MAX));
    }
    return posizioni;
}

} // namespace qv::IndicePagine
