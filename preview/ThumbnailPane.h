// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The thumbnail pane of the preview window: every page of the document as a
// small picture, rendered in the background.
#pragma once

#include "preview/PageCache.h"
#include "render/LetturaDati.h"

#include <QListView>
#include <QPointer>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

namespace qv {

class FindResults;
class PageWorker;
class ThumbnailModel;
class ViewerModel;

/// A list of every page as a thumbnail with its number under it, the
/// current page highlighted; a click on a page asks the window to show it.
///
/// The list holds no per-page data: its items are all the same size, worked
/// out from the page size, so that a document of any length opens its pane
/// at once. A thumbnail is asked for only when its item is painted, rendered
/// through the viewer's worker (PageWorker: its own replay of the page onto an image:
/// the newest requests first, at most a few dozen waiting, older ones
/// dropped and asked again when they are painted again) and kept in the
/// worker's page cache (PageCache), within the thumbnails' share of its one
/// budget.
///
/// While a find has matches, each page with matches is marked: a band at
/// its left and a badge with its count at the thumbnail's corner, in the
/// find's highlight colours (the page of the current match in the current
/// match's colour). The marks follow the results as they grow and go with
/// them; each painted item looks its count up in the results, so the cost
/// does not grow with the document.
///
/// A click leaves the keyboard focus where it was (the keys stay with the
/// page); Tab or the window's pane key (F6) give the pane the focus. With
/// it, the arrows, Page Up and Down, Home and End move through the pages
/// and show the page reached, Enter or the space bar show the highlighted
/// page, Esc asks to give the focus back (leaveRequested); every other key
/// goes to the window. Each item's accessible text is "Pagina N", with its
/// matches when it has some.
class ThumbnailPane : public QListView
{
    Q_OBJECT
public:
    /// Where page \a pagina (0-based) starts, as the replay is to find it.
    using Posizione = std::function<LetturaDati::PageSpec(int32_t pagina)>;

    /// Width of a thumbnail, in logical pixels.
    static constexpr int LarghezzaMiniatura = 110;
    /// Requests waiting for the worker at most.
    static constexpr int MassimoInAttesa = 48;
    /// Bytes of thumbnails kept at most: their share of the page cache's
    /// default budget (12 MiB).
    static constexpr qint64 MemoriaMassima = PageCache::DefaultBudget / PageCache::ThumbnailShareDivisor;

    /// A pane of \a model's pages: it follows its page count and highlights
    /// its page on show; its thumbnails are made by \a worker.
    ThumbnailPane(ViewerModel &model, PageWorker &worker, QWidget *parent = nullptr);
    ~ThumbnailPane() override;

    /// The document: its spool file, its page size in twips and where each
    /// page starts. Forgets the thumbnails made so far.
    void setDocumento(const QString &path, QSize paginaTwips, Posizione posizione);
    /// The number of pages in the list (the model's).
    int32_t pagineTotali() const;
    /// The find whose matches the thumbnails mark (null: none).
    void setFindResults(const FindResults *results);
    /// What the item of \a pagina (0-based) says to assistive technology:
    /// "Pagina 3", "Pagina 3: 2 corrispondenze".
    QString testoAccessibile(int32_t pagina) const;
    /// Highlights page \a pagina (0-based) and scrolls it into the pane.
    void setPaginaCorrente(int32_t pagina);
    int32_t paginaCorrente() const;
    /// The pages from \a pagina (0-based) on grew (a file still being
    /// written): their thumbnails are made again when next painted.
    void pagineCresciute(int32_t pagina);

    /// The width the pane wants, scroll bar included, in logical pixels.
    int larghezzaPreferita() const;
    /// The size of one thumbnail, in logical pixels.
    QSize dimensioneMiniatura() const;
    /// Where the item of \a pagina lies, in the viewport's coordinates.
    QRect rettangoloPagina(int32_t pagina) const;
    /// Thumbnails rendered so far, and kept now (for tests).
    int miniatureFatte() const;
    int miniatureInMemoria() const;
    bool haMiniatura(int32_t pagina) const;

Q_SIGNALS:
    /// The user clicked page \a pagina (0-based).
    void paginaScelta(int32_t pagina);
    /// The thumbnail of \a pagina arrived from the worker.
    void miniaturaPronta(int32_t pagina);
    /// Esc in the pane: the focus goes back to where the user reads.
    void leaveRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ThumbnailModel *m_model;
};

} // namespace qv
