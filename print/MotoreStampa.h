// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The print engine: prints pages of a document on the current printer. It
// owns the print job: it begins it, starts a new sheet for each page, ends it,
// or discards it when a page fails; the replay only draws each page.
#pragma once

#include "spool/Document.h"

#include <qvpreview/PrintOptions.h>

#include <QList>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace qv {

/// Thrown by MotoreStampa::Stampa() when its cancel check says so between two
/// pages or after the last: the job was aborted, nothing came out (no PDF file was put in
/// place) and the document is as it was.
struct PrintCancelled
{};

class MotoreStampa
{
public:
    /// Number of copies (each page printed that many times); 0 or fewer
    /// prints nothing.
    void setCopie(int16_t value) { m_copie = value; }
    int16_t Copie() const { return m_copie; }
    /// The document to print; its page index gives the pages.
    void setDocumento(std::shared_ptr<const spool::Document> documento) { m_documento = std::move(documento); }
    /// The spool file at \a value as the document to print (spool::Document::onFile).
    void setFileTemporaneo(const QString &value);
    /// Full path of the document's spool file.
    QString FileTemporaneo() const { return m_documento ? m_documento->path() : QString(); }
    /// First and last page to print (1-based, 32-bit: every page a document
    /// can have). Without a first page printing starts at page 1, without a
    /// last page it ends at the document's last page. A range partly outside
    /// the document prints the pages inside it.
    void setInizio(int32_t value)
    {
        m_inizio = value;
        m_inizioSet = true;
    }
    void setFine(int32_t value)
    {
        m_fine = value;
        m_fineSet = true;
    }
    int32_t Inizio() const { return m_inizio; }
    int32_t Fine() const { return m_fine; }
    /// Name of the print job (the document's title).
    void setTitolo(const QString &value) { m_titolo = value; }
    QString Titolo() const { return m_titolo; }
    /// The printer by name; empty (the default): the current printer.
    void setStampante(const QString &value) { m_stampante = value; }
    QString Stampante() const { return m_stampante; }
    /// A PDF file to print to with the built-in PDF printer, whatever
    /// Stampante() says; empty (the default): no such file.
    void setFilePdf(const QString &value) { m_filePdf = value; }
    QString FilePdf() const { return m_filePdf; }
    /// Called after each sheet with (sheets printed, sheets in all): progress for long jobs.
    void setProgress(std::function<void(int, int)> progress) { m_progress = std::move(progress); }
    /// Asked before every page but the first, and once more after the last
    /// page before the job is finished: true stops the print there, aborts
    /// the job (no PDF file is put in place) and throws PrintCancelled.
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }

    /// Prints the pages as one job named Titolo(), collated (1, 2, 3, 1, 2,
    /// 3), each page on its own sheet, and returns when the spool file and its
    /// picture files have been read. With Copie() 0 or fewer the printer, the
    /// file and the range are checked as for a print, and then no job is
    /// started: nothing is printed, FileScritto() is empty and an old PDF file
    /// stays as it was. Throws qv::Error when there is no printer
    /// or none of that name (482), the range holds no page of the document
    /// (9; no job is started), the job cannot start (482, naming the printer
    /// and the file), the PDF file is the spool file itself (482), the spool
    /// file cannot be read (53, 62, ...: the job is then discarded), or the
    /// job cannot be completed (482: a PDF file that could not be written
    /// whole, with the system's reason, is not put in place and an old file
    /// of that name stays as it was). Every description says what went
    /// wrong and where.
    void Stampa();
    /// The PDF file that the last successful Stampa() wrote; empty after a
    /// print on a CUPS queue or a failure.
    QString FileScritto() const { return m_fileScritto; }

    /// An engine set up for \a file with \a opzioni: the pages, the copies
    /// (held within the engine's 16-bit range: a number beyond it means "as
    /// many as it goes", never one that wrapped round), the printer or PDF
    /// file, and the title.
    static MotoreStampa conOpzioni(std::shared_ptr<const spool::Document> documento, const PrintOptions &opzioni);
    /// The same for the spool file at \a file.
    static MotoreStampa conOpzioni(const QString &file, const PrintOptions &opzioni);

    /// Prints \a documento with \a opzioni under the busy pointer: the one way
    /// the control, the preview window and the public interface print. Returns
    /// the PDF file written (FileScritto()), empty for a CUPS queue. Throws
    /// as Stampa() does. \a progresso as setProgress(), \a annullata as
    /// setCancelCheck().
    static QString StampaConOpzioni(std::shared_ptr<const spool::Document> documento, const PrintOptions &opzioni,
                                    std::function<void(int, int)> progresso = {}, std::function<bool()> annullata = {});
    /// Replaces the printing of StampaConOpzioni(): the hook receives the
    /// engine set up to print instead of its Stampa() being called (an empty
    /// function restores printing). An exception thrown by the hook is a
    /// print error.
    static void setStampaHookForTesting(std::function<void(const MotoreStampa &)> hook);

    /// "Per poter Stampare bisogna avere una stampante installata.": what
    /// the user is told when no printer is installed.
    static QString testoNessunaStampante();

private:
    int16_t m_copie = 1;
    std::shared_ptr<const spool::Document> m_documento;
    int32_t m_inizio = 0;
    int32_t m_fine = 0;
    bool m_inizioSet = false;
    bool m_fineSet = false;
    QString m_titolo = QStringLiteral("Anteprima di Stampa");
    QString m_stampante;
    QString m_filePdf;
    QString m_fileScritto;
    std::function<void(int, int)> m_progress;
    std::function<bool()> m_cancelled;
};

/// What went wrong in a failed print, as the user is told: the description
/// of a qv::Error (which names the printer, the file and the reason), the
/// message of any other exception.
QString descrizioneErrore(std::exception_ptr errore);

} // namespace qv
