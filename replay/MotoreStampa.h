// qvPreview - print preview for Qt applications.
// The print engine: prints pages of a spool file on the current printer.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

namespace qv {

class MotoreStampa
{
public:
    /// Number of copies (each page printed that many times); below 1 prints once.
    void setCopie(int16_t value) { m_copie = value; }
    int16_t Copie() const { return m_copie; }
    /// Full path of the spool file to print.
    void setFileTemporaneo(const QString &value) { m_fileTemporaneo = value; }
    QString FileTemporaneo() const { return m_fileTemporaneo; }
    /// First and last page to print (1-based). Without a first page printing
    /// starts at page 1, without a last page it ends at the document's last
    /// page. A range partly outside the document prints the pages inside it.
    void setInizio(int16_t value) { m_inizio = value; m_inizioSet = true; }
    void setFine(int16_t value) { m_fine = value; m_fineSet = true; }
    int16_t Inizio() const { return m_inizio; }
    int16_t Fine() const { return m_fine; }
    /// Name of the print job (the document's title).
    void setTitolo(const QString &value) { m_titolo = value; }
    QString Titolo() const { return m_titolo; }
    /// Called after each sheet with (sheets printed, sheets in all): progress for long jobs.
    void setProgress(std::function<void(int, int)> progress) { m_progress = std::move(progress); }

    /// Prints the pages on the current printer as one job named Titolo(),
    /// collated (1, 2, 3, 1, 2, 3), each page on its own sheet, and returns
    /// when the spool file and its picture files have been read. Throws
    /// qv::Error when there is no printer (482), the range holds no page of
    /// the document (9; no job is started), or the spool file cannot be read
    /// (53, 62, ...: the job is then discarded).
    void Stampa();

    /// The 1-based byte position of the first line of every page of the
    /// spool file at \a path, from the one page-start scan
    /// (spool::pageStarts). Throws qv::Error 53 when it is missing.
    static QList<qint64> PosizioniPagine(const QString &path);

private:
    int16_t m_copie = 1;
    QString m_fileTemporaneo;
    int16_t m_inizio = 0;
    int16_t m_fine = 0;
    bool m_inizioSet = false;
    bool m_fineSet = false;
    QString m_titolo = QStringLiteral("Anteprima di Stampa");
    std::function<void(int, int)> m_progress;
};

} // namespace qv
