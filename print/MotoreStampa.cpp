// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The print engine: the document's page index, then one replay per sheet,
// each reaching its page through one seek, all in one job that the engine
// begins, pages, ends or discards.
#include "print/MotoreStampa.h"

#include "platform/CursoreOccupato.h"
#include "platform/Devices.h"
#include "platform/FileSystem.h"
#include "print/PrinterTarget.h"
#include "render/LetturaDati.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace qv {

namespace {
const QString Source = QStringLiteral("MotoreStampa");
} // namespace

void MotoreStampa::setFileTemporaneo(const QString &value)
{
    setDocumento(std::make_shared<const spool::Document>(spool::Document::onFile(value)));
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
    return conOpzioni(std::make_shared<const spool::Document>(spool::Document::onFile(file)), opzioni);
}

MotoreStampa MotoreStampa::conOpzioni(std::shared_ptr<const spool::Document> documento, const PrintOptions &opzioni)
{
    MotoreStampa motore;
    motore.setDocumento(std::move(documento));
    motore.setCopie(in16Bit(opzioni.copies));
    if (opzioni.firstPage)
        motore.setInizio(*opzioni.firstPage);
    if (opzioni.lastPage)
        motore.setFine(*opzioni.lastPage);
    motore.setStampante(opzioni.printer);
    motore.setFilePdf(opzioni.pdfFile);
    if (!opzioni.title.isEmpty())
        motore.setTitolo(opzioni.title);
    return motore;
}

QString MotoreStampa::testoNessunaStampante()
{
    return QCoreApplication::translate("qv::MotoreStampa",
                                       "Per poter Stampare bisogna avere una stampante installata.");
}

void MotoreStampa::setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook)
{
    stampaHook() = std::move(hook);
}

QString MotoreStampa::StampaConOpzioni(std::shared_ptr<const spool::Document> documento, const PrintOptions &opzioni,
                                       std::function<void(int, int)> progresso, std::function<bool()> annullata)
{
    MotoreStampa motore = conOpzioni(std::move(documento), opzioni);
    motore.setProgress(std::move(progresso));
    motore.setCancelCheck(std::move(annullata));
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
        return QCoreApplication::translate("qv::MotoreStampa", "Errore sconosciuto durante la stampa");
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
                        list.isEmpty()
                            ? testoNessunaStampante()
                            : QCoreApplication::translate("qv::MotoreStampa", "Stampante non installata: \"%1\"")
                                  .arg(m_filePdf.isEmpty() ? m_stampante : platform::pdfPrinterName()));
        printer = *found;
    } else {
        printer = platform::currentPrinter();
    }
    if (!printer)
        throw Error(ErrPrinter, Source, testoNessunaStampante());
    if (!m_documento || m_documento->isEmpty())
        throw Error(ErrFileNotFound, Source,
                    QCoreApplication::translate("qv::MotoreStampa", "Nessun documento da stampare"));
    const QString file = m_documento->path();

    const spool::PageIndex starts = m_documento->pageIndex(Source);
    const int pages = int(starts.size());
    const int first = std::max(1, m_inizioSet ? m_inizio : 1);
    const int last = std::min(pages, m_fineSet ? m_fine : pages);
    if (first > last)
        throw Error(ErrSubscriptOutOfRange, Source,
                    QCoreApplication::translate(
                        "qv::MotoreStampa",
                        "Nessuna pagina da stampare: le pagine da %1 a %2 non sono nel documento (%3 pagine)")
                        .arg(m_inizioSet ? m_inizio : 1)
                        .arg(m_fineSet ? m_fine : pages)
                        .arg(pages));
    // That many copies: none for 0 or fewer. No job is started, so no sheet
    // comes out of a printer and no PDF file is written (an old one stays).
    m_fileScritto.clear();
    const int copies = m_copie;
    if (copies < 1)
        return;
    // In 64 bits: 32-bit pages times 16-bit copies; told to the progress held
    // within its int.
    const int64_t total = int64_t(last - first + 1) * copies;
    const auto told = [](int64_t n) { return int(std::min<int64_t>(n, std::numeric_limits<int>::max())); };

    QString pdf;
    if (printer->pdf) {
        pdf = platform::pdfOutputPath(m_titolo, m_filePdf);
        // Printing a document over itself would destroy it half-way.
        if (platform::sameFile(pdf, file))
            throw Error(ErrPrinter, Source,
                        QCoreApplication::translate(
                            "qv::MotoreStampa", "Impossibile stampare sul file \"%1\": è il file di stampa da stampare")
                            .arg(pdf));
    }
    // The job begins here, gets a new sheet before every page but the first,
    // and ends here; a page that fails discards it.
    // Each sheet is the paper its page was recorded on; a page without a
    // layout record is on the layout the host chose, else on the printer's
    // own page, as always.
    const std::optional<QPageLayout> chosen = platform::chosenPageLayout();
    // One reader of the file, open for the whole job (the index is the one
    // the pages are drawn from), reads each page's first line, whose layout
    // record is that page's layout as Document::pageLayout() reads it, and
    // then draws the page. Its errors name the engine while it reads a
    // layout and the replay while it draws.
    spool::SpoolReader in(Source);
    in.open(file);
    const auto layoutOf = [&](int page) -> std::optional<QPageLayout> {
        in.setSource(Source);
        in.seek(starts.at(page - 1));
        if (in.atEnd() || in.readLineView() != QByteArrayView(spool::TagPage))
            return chosen;
        return spool::readPageLayout(in);
    };
    PrinterTarget target(*printer, m_titolo, pdf, layoutOf(first));
    try {
        int64_t done = 0;
        for (int copy = 0; copy < copies; ++copy) {
            for (int page = first; page <= last; ++page) {
                // Cancelled between two pages: the job is aborted below.
                if (done > 0 && m_cancelled && m_cancelled())
                    throw PrintCancelled();
                if (done > 0)
                    target.newSheet(layoutOf(page));
                // Each page is reached by its stored position (positions are
                // 64-bit: pages past 2 GiB of the file print too).
                LetturaDati::DisegnaPagina(target, in, LetturaDati::PageSpec::at(starts.at(page - 1)));
                ++done;
                if (m_progress)
                    m_progress(told(done), told(total));
            }
        }
        // A cancel while the last page was drawn still aborts: nothing is
        // finished (no PDF file put in place) and nothing is told printed.
        if (m_cancelled && m_cancelled())
            throw PrintCancelled();
        target.finishJob();
        m_fileScritto = target.pdfFile();
    } catch (...) {
        target.abortJob();
        throw;
    }
}

} // namespace qv
