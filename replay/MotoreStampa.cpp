// qvPreview - print preview for Qt applications.
// The print engine: one scan of the spool file for the page starts, then one
// replay per sheet, each reaching its page through one seek, all in one job.
#include "replay/MotoreStampa.h"

#include "platform/Platform.h"
#include "replay/LetturaDati.h"
#include "replay/PrinterTarget.h"
#include "spool/PageStarts.h"

#include <qvpreview/Error.h>

#include <algorithm>
#include <limits>

namespace qv {

namespace {
const QString Source = QStringLiteral("MotoreStampa");
} // namespace

QList<qint64> MotoreStampa::PosizioniPagine(const QString &path)
{
    return spool::pageStarts(path, Source);
}

void MotoreStampa::Stampa()
{
    const std::optional<platform::PrinterDesc> printer = platform::currentPrinter();
    if (!printer)
        throw Error(ErrPrinter, Source, QStringLiteral("Per poter Stampare bisogna avere una stampante installata."));
    if (m_fileTemporaneo.isEmpty())
        throw Error(ErrFileNotFound, Source, QStringLiteral("Nessun documento da stampare"));

    const QList<qint64> starts = PosizioniPagine(m_fileTemporaneo);
    const int pages = int(starts.size());
    const int first = std::max(1, m_inizioSet ? int(m_inizio) : 1);
    const int last = std::min(pages, m_fineSet ? int(m_fine) : pages);
    if (first > last)
        throw Error(ErrSubscriptOutOfRange, Source,
                    QStringLiteral("Nessuna pagina da stampare: le pagine da %1 a %2 non sono nel documento (%3 pagine)")
                        .arg(m_inizioSet ? int(m_inizio) : 1)
                        .arg(m_fineSet ? int(m_fine) : pages)
                        .arg(pages));
    const int copies = std::max<int>(1, m_copie);
    const int total = (last - first + 1) * copies;

    PrinterTarget target(*printer, m_titolo);
    target.setHoldJob(true);
    try {
        int done = 0;
        for (int copy = 0; copy < copies; ++copy) {
            for (int page = first; page <= last; ++page) {
                if (done > 0)
                    target.NewPage();
                // With a stored position the page number only has to say "not
                // the first page", so documents beyond 32767 pages print too.
                const qint64 start = starts.at(page - 1);
                if (page >= 2 && start > std::numeric_limits<int32_t>::max())
                    throw Error(ErrPrinter, Source, QStringLiteral("File di stampa troppo grande"));
                LetturaDati::DisegnaPagina(target, m_fileTemporaneo, int16_t(std::min(page, 32767)), false,
                                           page >= 2 ? int32_t(start) : 0);
                ++done;
                if (m_progress)
                    m_progress(done, total);
            }
        }
        target.finishJob();
    } catch (...) {
        target.KillDoc();
        throw;
    }
}

} // namespace qv
