// qvPreview - print preview for Qt applications.
// The print engine: one scan of the spool file for the page starts, then one
// replay per sheet, each reaching its page through one seek, all in one job.
#include "replay/MotoreStampa.h"

#include "platform/CursoreOccupato.h"
#include "platform/FileSystem.h"
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

namespace {


std::function<void(const MotoreStampa &)> &stampaHook()
{
    static std::function<void(const MotoreStampa &)> hook;
    return hook;
}

int16_t in16Bit(int32_t value)
{
    return int16_t(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

} // namespace

MotoreStampa MotoreStampa::conOpzioni(const QString &file, const PrintOptions &opzioni)
{
    MotoreStampa motore;
    motore.setFileTemporaneo(file);
    motore.setCopie(in16Bit(opzioni.copies));
    if (opzioni.firstPage)
        motore.setInizio(in16Bit(*opzioni.firstPage));
    if (opzioni.lastPage)
        motore.setFine(in16Bit(*opzioni.lastPage));
    motore.setStampante(opzioni.printer);
    motore.setFilePdf(opzioni.pdfFile);
    if (!opzioni.title.isEmpty())
        motore.setTitolo(opzioni.title);
    return motore;
}

QString MotoreStampa::testoNessunaStampante()
{
    return QStringLiteral("Per poter Stampare bisogna avere una stampante installata.");
}

void MotoreStampa::setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook)
{
    stampaHook() = std::move(hook);
}

QString MotoreStampa::StampaConOpzioni(const QString &file, const PrintOptions &opzioni,
                                       std::function<void(int, int)> progresso)
{
    MotoreStampa motore = conOpzioni(file, opzioni);
    motore.setProgress(std::move(progresso));
    CursoreOccupato occupato;
    if (stampaHook()) {
        stampaHook()(motore);
        return {};
    }
    motore.Stampa();
    return motore.FileScritto();
}

QString descrizioneErrore(std::exception_ptr errore)
{
    try {
        std::rethrow_exception(errore);
    } catch (const Error &e) {
        return e.description();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Errore sconosciuto durante la stampa");
    }
}

void MotoreStampa::Stampa()
{
    std::optional<platform::PrinterDesc> printer;
    if (!m_filePdf.isEmpty() || !m_stampante.isEmpty()) {
        const QList<platform::PrinterDesc> list = platform::printers();
        const auto found = std::find_if(list.begin(), list.end(), [&](const platform::PrinterDesc &p) {
            return m_filePdf.isEmpty() ? p.name == m_stampante : p.pdf;
        });
        if (found == list.end())
            throw Error(ErrPrinter, Source,
                        list.isEmpty() ? testoNessunaStampante()
                                       : QStringLiteral("Stampante non installata: \"%1\"")
                                             .arg(m_filePdf.isEmpty() ? m_stampante : platform::pdfPrinterName()));
        printer = *found;
    } else {
        printer = platform::currentPrinter();
    }
    if (!printer)
        throw Error(ErrPrinter, Source, testoNessunaStampante());
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
    // That many copies: none for 0 or fewer. No job is started, so no sheet
    // comes out of a printer and no PDF file is written (an old one stays).
    m_fileScritto.clear();
    const int copies = m_copie;
    if (copies < 1)
        return;
    const int total = (last - first + 1) * copies;

    QString pdf;
    if (printer->pdf) {
        pdf = platform::pdfOutputPath(m_titolo, m_filePdf);
        // Printing a document over itself would destroy it half-way.
        if (platform::sameFile(pdf, m_fileTemporaneo))
            throw Error(ErrPrinter, Source,
                        QStringLiteral("Impossibile stampare sul file \"%1\": è il file di stampa da stampare")
                            .arg(pdf));
    }
    PrinterTarget target(*printer, m_titolo, pdf);
    target.setHoldJob(true);
    try {
        int done = 0;
        for (int copy = 0; copy < copies; ++copy) {
            for (int page = first; page <= last; ++page) {
                if (done > 0)
                    target.NewPage();
                // With a stored position the page number only has to say "not
                // the first page", so documents beyond 32767 pages, and pages
                // past 2 GiB of the file, print too.
                const qint64 start = starts.at(page - 1);
                LetturaDati::DisegnaPagina(target, m_fileTemporaneo, int16_t(std::min(page, 32767)), false,
                                           page >= 2 ? start : 0);
                ++done;
                if (m_progress)
                    m_progress(done, total);
            }
        }
        target.finishJob();
        m_fileScritto = target.pdfFile();
    } catch (...) {
        target.KillDoc();
        throw;
    }
}

} // namespace qv
