// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The public side of a spool file: one replay onto a page surface, one
// renderer for the painter and the image, the print engine, the preview
// window, and a counting replay for the check.
#include <qvpreview/SpoolFile.h>

#include "platform/FileSystem.h"
#include "preview/FrmAnteprima.h"
#include "print/MotoreStampa.h"
#include "render/LayoutCheck.h"
#include "render/LetturaDati.h"
#include "render/PageMetrics.h"
#include "render/PageSurface.h"
#include "render/PainterOp.h"
#include "spool/Document.h"
#include "spool/SpoolReader.h"
#include "spool/TextSearch.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <cerrno>
#include <cmath>
#include <exception>
#include <limits>

namespace qv {

namespace {

const QString Source = QStringLiteral("SpoolFile");

/// A drawing target that only counts what a replay draws.
class Contatore : public DrawTarget
{
public:
    double TextHeight(const QString &text) override { return metrics().TextHeight(text); }
    double TextWidth(const QString &text) override { return metrics().TextWidth(text); }
    void Cls() override {}
    void Print(const QString &) override { ++risultato.texts; }
    void Line(double, double, double, double, LineKind kind) override
    {
        if (kind == LineKind::Line)
            ++risultato.lines;
        else
            ++risultato.boxes;
    }
    void PSet(double, double, int32_t) override { ++risultato.points; }
    void Circle(double, double, double, int32_t, double, double, double) override { ++risultato.circles; }
    void PaintPicture(const PictureData &, double, double, double, double) override { ++risultato.pictures; }
    void startPage(const std::optional<QPageLayout> &recorded) override
    {
        ++m_page;
        // The current printer's page, asked once (it may ask CUPS).
        if (!recorded && !m_current)
            m_current = currentPageLayout();
        const QPageLayout layout = recorded ? *recorded : *m_current;
        QList<SpoolLayoutRun> &runs = risultato.layouts;
        if (!runs.isEmpty() && runs.last().layout == layout && runs.last().recorded == recorded.has_value())
            runs.last().lastPage = m_page;
        else
            runs.append(SpoolLayoutRun{m_page, m_page, layout, recorded.has_value()});
    }

    void drawPainterOp(const PainterOp &op) override
    {
        if (op.kind == PainterOp::Kind::Text)
            ++risultato.texts;
        else
            ++risultato.drawings;
    }

    SpoolCheck risultato;

private:
    PageMetrics &metrics()
    {
        m_metrics.setFont(m_state.font);
        return m_metrics;
    }
    PageMetrics m_metrics;
    int32_t m_page = 0;
    std::optional<QPageLayout> m_current;
};

} // namespace

SpoolFile::SpoolFile(QString path)
    : m_path(std::move(path))
    , m_document(std::make_shared<spool::Document>(spool::Document::onFile(m_path)))
{}

const QList<qint64> &SpoolFile::starts() const
{
    return m_document->pageIndex(Source);
}

int32_t SpoolFile::pageCount() const
{
    return m_document->pageCount(Source);
}

QSize SpoolFile::pageSizeTwips()
{
    return PageMetrics::printerPageTwips();
}

QSize SpoolFile::pageSizeTwips(int32_t page) const
{
    return PageMetrics::pageTwips(pageLayout(page));
}

std::optional<QPageLayout> SpoolFile::pageLayout(int32_t page) const
{
    return m_document->pageLayout(page, Source);
}

namespace {

/// Replays page \a page onto a page surface of the page's own size: its
/// drawing, and the error that stopped it, if any.
FrozenPage disegna(const spool::Document &document, const QList<qint64> &starts, int32_t page,
                   std::exception_ptr &errore)
{
    const QString &path = document.path();
    if (page < 1 || page > starts.size())
        throw Error(ErrSubscriptOutOfRange, Source,
                    QCoreApplication::translate("qv::SpoolFile", "La pagina %1 non è nel documento \"%2\" (%3 pagine)")
                        .arg(page)
                        .arg(path)
                        .arg(starts.size()))
            .at(path);
    const qint64 start = starts.at(page - 1);
    PageSurface surface;
    std::optional<QPageLayout> layout;
    try {
        layout = document.pageLayout(page, Source);
    } catch (...) {
        // A malformed layout record: an empty page of the printer's size,
        // and the error that names its line.
        errore = std::current_exception();
        const QSize twips = PageMetrics::printerPageTwips();
        surface.setSize(twips.width(), twips.height());
        return surface.Picture();
    }
    const QSize twips = PageMetrics::pageTwips(layout);
    surface.setSize(twips.width(), twips.height());
    try {
        // The replay finds the page by counting page breaks, so that an error
        // names the line of the file; a page beyond 32767 is reached by its
        // stored position.
        const bool counted = page <= std::numeric_limits<int16_t>::max();
        LetturaDati::DisegnaPagina(surface, path,
                                   counted ? LetturaDati::PageSpec::page(page) : LetturaDati::PageSpec::at(start));
    } catch (...) {
        errore = std::current_exception();
    }
    return surface.Picture();
}

} // namespace

void SpoolFile::renderPage(int32_t page, QPainter &painter) const
{
    std::exception_ptr errore;
    const FrozenPage drawing = disegna(*m_document, starts(), page, errore);
    drawing->paint(painter);
    if (errore)
        std::rethrow_exception(errore);
}

QImage SpoolFile::renderPage(int32_t page, double dotsPerInch, std::optional<Error> *error) const
{
    std::exception_ptr errore;
    const FrozenPage drawing = disegna(*m_document, starts(), page, errore);
    // The page's own size: the paper and margins it was recorded on.
    const QSize twips = drawing->sizeTwips();
    const double pixelsPerTwip = dotsPerInch / 1440.0;
    constexpr double MaxSide = 32767;
    if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch) || std::ceil(twips.width() * pixelsPerTwip) > MaxSide
        || std::ceil(twips.height() * pixelsPerTwip) > MaxSide)
        throw Error(ErrInvalidProcedureCall, Source,
                    QCoreApplication::translate(
                        "qv::SpoolFile", "Risoluzione non valida per la pagina di %1 x %2 twip: %3 punti per pollice")
                        .arg(twips.width())
                        .arg(twips.height())
                        .arg(dotsPerInch));
    QImage image = drawing->render(pixelsPerTwip);
    if (image.isNull())
        throw Error(ErrOutOfMemory, Source,
                    QCoreApplication::translate(
                        "qv::SpoolFile", "Memoria esaurita per l'immagine della pagina %1 a %2 punti per pollice")
                        .arg(page)
                        .arg(dotsPerInch));
    if (errore) {
        if (!error)
            std::rethrow_exception(errore);
        try {
            std::rethrow_exception(errore);
        } catch (const Error &e) {
            *error = e;
        }
    }
    return image;
}

QSize SpoolFile::savePage(int32_t page, double dotsPerInch, const QString &pngFile, std::optional<Error> *error) const
{
    if (platform::sameFile(pngFile, m_path))
        throw Error(ErrPathFileAccess, Source,
                    QCoreApplication::translate("qv::SpoolFile",
                                                "Impossibile scrivere il file \"%1\": è il file di stampa da disegnare")
                        .arg(pngFile))
            .at(pngFile);
    std::optional<Error> replayError;
    const QImage image = renderPage(page, dotsPerInch, &replayError);
    // Encoded in memory first: the PNG writer would report a failed write
    // on the host's message handler.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!QImageWriter(&buffer, "png").write(image))
            throw Error(ErrOutOfMemory, Source,
                        QCoreApplication::translate("qv::SpoolFile", "Memoria esaurita per il file PNG della pagina %1")
                            .arg(page))
                .at(pngFile);
    }
    platform::OutputFile file(pngFile);
    bool written = file.open();
    if (written) {
        written = file.device()->write(bytes) == bytes.size();
        written = written ? file.commit() : (file.discard(), false);
    }
    if (!written) {
        const int e = file.systemError();
        const bool full = e == ENOSPC || e == EDQUOT || e == EFBIG;
        throw Error(full ? ErrDiskFull : ErrPathFileAccess, Source,
                    QCoreApplication::translate("qv::SpoolFile", "Impossibile scrivere il file \"%1\": %2")
                        .arg(pngFile, file.errorString().isEmpty()
                                          ? QCoreApplication::translate("qv::SpoolFile", "errore di scrittura")
                                          : file.errorString()))
            .at(pngFile);
    }
    if (replayError) {
        if (!error)
            throw *replayError;
        *error = replayError;
    }
    return image.size();
}

QString SpoolFile::print(const PrintOptions &options, const std::function<void(int, int)> &progress) const
{
    return print(options, progress, {});
}

QString SpoolFile::print(const PrintOptions &options, const std::function<void(int, int)> &progress,
                         const std::function<bool()> &cancelled) const
{
    try {
        return MotoreStampa::StampaConOpzioni(m_document, options, progress, cancelled);
    } catch (const PrintCancelled &) {
        throw Error(ErrUserInterrupt, Source,
                    QCoreApplication::translate("qv::SpoolFile",
                                                "Stampa di \"%1\" interrotta: il lavoro è stato annullato, "
                                                "nessun file PDF è stato scritto")
                        .arg(m_path));
    }
}

void SpoolFile::showPreview(const QString &title, std::optional<Error> *error) const
{
    showPreview(title, PreviewWindowOptions(), error);
}

void SpoolFile::showPreview(const QString &title, const PreviewWindowOptions &options,
                            std::optional<Error> *error) const
{
    openPreview(title, options, error, false);
}

void SpoolFile::followPreview(const QString &title, const PreviewWindowOptions &options,
                              std::optional<Error> *error) const
{
    openPreview(title, options, error, true);
}

void SpoolFile::openPreview(const QString &title, const PreviewWindowOptions &options, std::optional<Error> *error,
                            bool follow) const
{
    // A file that is missing or cannot be read is told at once; its pages
    // are counted by the window, in the background for a long file, so the
    // first page shows before the whole file has been read.
    {
        QFile file(m_path);
        spool::openForReading(file, Source);
    }
    FrmAnteprima window;
    // The window prints only the file it shows: the one the name leads to now.
    window.setDocumento(
        std::make_shared<const spool::Document>(spool::Document::onFile(QFileInfo(m_path).absoluteFilePath())));
    window.setCountPagesFromIndex(true);
    window.setFollowing(follow);
    window.setPagineTotali(1);
    window.setTitolo(title);
    window.setWindowOptions(options);
    window.InizializzaAnteprima();
    window.exec();
    if (const std::optional<Error> &shown = window.PrimoErrore()) {
        if (!error)
            throw *shown;
        *error = shown;
    }
}

LayoutCheck SpoolFile::checkLayout() const
{
    return qv::checkLayout(m_path);
}

SpoolCheck SpoolFile::check() const
{
    Contatore contatore;
    try {
        contatore.risultato.pages = pageCount();
        LetturaDati::DisegnaPagina(contatore, m_path, LetturaDati::PageSpec::everyPage());
    } catch (const Error &e) {
        contatore.risultato.error = e;
    } catch (const std::exception &e) {
        // The exception's text does not say which file: the detail does.
        contatore.risultato.error = Error(ErrInternal, Source, QString::fromLocal8Bit(e.what()))
                                        .at(m_path)
                                        .withDetail(QStringLiteral("file \"%1\"").arg(m_path));
    }
    return contatore.risultato;
}

QList<SpoolMatch> SpoolFile::find(const QString &text) const
{
    return find(text, SpoolFindOptions());
}

QList<SpoolMatch> SpoolFile::find(const QString &text, const SpoolFindOptions &options, bool *more) const
{
    QList<SpoolMatch> found;
    spool::FindOptions how;
    how.matchCase = options.matchCase;
    how.wholeWords = options.wholeWords;
    spool::TextSearch search(text, how);
    search.setMaxMatches(SpoolFindOptions::MaxMatches);
    // The texts of the page's records with a match, in order: each match
    // takes its record's (one shared copy for all its matches).
    QList<std::pair<int32_t, QString>> texts;
    search.setTextSink([&texts](int32_t, int32_t record, const QString &t) { texts.append({record, t}); });
    const QList<qint64> &index = starts();
    const spool::TextSearch::Outcome outcome = search.run(
        m_path, index, 1, int32_t(std::min<qsizetype>(index.size(), std::numeric_limits<int32_t>::max())),
        [&found, &texts](int32_t, const QList<spool::TextMatch> &matches) {
            qsizetype t = 0;
            for (const spool::TextMatch &m : matches) {
                while (t + 1 < texts.size() && texts[t].first < m.record)
                    ++t;
                const QString recordText = t < texts.size() ? texts[t].second : QString();
                found.append(SpoolMatch{m.page, m.record, m.x, m.y, m.offset, m.length, recordText});
            }
            texts.clear();
            return true;
        },
        nullptr, Source);
    if (more)
        *more = outcome.limited;
    return found;
}

} // namespace qv
