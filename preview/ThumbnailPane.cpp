// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ThumbnailPane.h"

#include "preview/Bitmap256File.h"
#include "preview/FindResults.h"
#include "preview/PageCache.h"
#include "preview/PageWorker.h"
#include "preview/ThumbnailWorker.h"
#include "preview/ViewerModel.h"
#include "render/PageMetrics.h"
#include "render/PageSurface.h"
#include "spool/SpoolFormat.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace qv {

namespace {

constexpr int Margine = 8;     // around a thumbnail in its item
constexpr int SpazioTesto = 4; // between the thumbnail and its number
constexpr int Banda = 5;       // the width of a page's find mark at its left

} // namespace

/// One row per page; its picture is asked of the worker when it is painted.
class ThumbnailModel : public QAbstractListModel
{
public:
    ThumbnailModel(ThumbnailPane *pane, PageWorker &worker)
        : QAbstractListModel(pane)
        , m_pane(pane)
        , m_cache(worker.cache())
        , m_worker(worker, [this](int32_t pagina, QImage miniatura, quint64 generazione) {
            QMetaObject::invokeMethod(
                this,
                [this, pagina, miniatura = std::move(miniatura), generazione] {
                    ricevi(pagina, miniatura, generazione);
                },
                Qt::QueuedConnection);
        })
    {}

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : m_totali; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_totali)
            return {};
        const int32_t pagina = index.row();
        if (role == Qt::DisplayRole)
            return QString::number(pagina + 1);
        if (role == Qt::AccessibleTextRole)
            return testoAccessibile(pagina);
        if (role != Qt::DecorationRole)
            return {};
        if (const std::shared_ptr<QPixmap> pronta = m_cache.object<QPixmap>(chiave(pagina)))
            return *pronta;
        auto *self = const_cast<ThumbnailModel *>(this);
        self->chiedi(pagina);
        return m_vuota;
    }

    void setDocumento(const QString &path, QSize twips, ThumbnailPane::Posizione posizione)
    {
        // The rows stay (they follow the viewer's page count); only their
        // pictures go, so a long document's pane is not laid out anew.
        const QSize before = dimensione();
        m_path = path;
        m_twips = twips.expandedTo(QSize(1, 1));
        m_posizione = std::move(posizione);
        ricomincia();
        if (dimensione() != before) {
            beginResetModel(); // another item size: the list lays its items out again
            endResetModel();
        } else if (m_totali > 0) {
            Q_EMIT dataChanged(index(0), index(m_totali - 1), {Qt::DecorationRole});
        }
    }

    void setPagineTotali(int32_t pagine)
    {
        pagine = std::max(pagine, 0);
        if (pagine > m_totali) {
            beginInsertRows({}, m_totali, pagine - 1);
            m_totali = pagine;
            endInsertRows();
        } else if (pagine < m_totali) {
            beginRemoveRows({}, pagine, m_totali - 1);
            m_totali = pagine;
            endRemoveRows();
        }
    }
    int32_t pagineTotali() const { return m_totali; }

    void dimenticaDa(int32_t pagina)
    {
        m_cache.removeIf([&](const PageCache::Key &key) {
            return key.kind == PageCache::Kind::Thumbnail && key.file == m_path && key.page >= pagina;
        });
        // A thumbnail on its way was made of the page as it was.
        for (const int32_t chiesta : m_chieste)
            if (chiesta >= pagina)
                m_superate.insert(chiesta);
        if (pagina < m_totali)
            Q_EMIT dataChanged(index(pagina), index(m_totali - 1), {Qt::DecorationRole});
    }

    /// Full colour (true) or 256 colours: the thumbnails in view are made
    /// again in the new mode (the other mode's stay cached under their own
    /// key until the budget pushes them out).
    void setBestQuality(bool best)
    {
        if (best == m_bestQuality)
            return;
        m_bestQuality = best;
        if (m_totali > 0)
            Q_EMIT dataChanged(index(0), index(m_totali - 1), {Qt::DecorationRole});
    }
    bool bestQuality() const { return m_bestQuality; }

    QSize dimensione() const
    {
        const int w = ThumbnailPane::LarghezzaMiniatura;
        return QSize(w, std::max(1, int(std::lround(double(w) * m_twips.height() / m_twips.width()))));
    }

    /// The find whose matches are marked, and the matches on \a pagina
    /// (0-based): 0 without a find.
    void setFind(const FindResults *find) { m_find = find; }
    const FindResults *find() const { return m_find; }
    qsizetype corrispondenze(int32_t pagina) const { return m_find ? m_find->matchesOn(pagina + 1) : 0; }
    /// True when the current match of the find is on \a pagina (0-based).
    bool corrente(int32_t pagina) const
    {
        const spool::TextMatch *match = m_find ? m_find->current() : nullptr;
        return match && match->page == pagina + 1;
    }

    QString testoAccessibile(int32_t pagina) const
    {
        const QString testo = QCoreApplication::translate("qv::ThumbnailPane", "Pagina %1").arg(pagina + 1);
        const qsizetype n = corrispondenze(pagina);
        if (n == 0)
            return testo;
        return n == 1 ? QCoreApplication::translate("qv::ThumbnailPane", "%1: 1 corrispondenza").arg(testo)
                      : QCoreApplication::translate("qv::ThumbnailPane", "%1: %2 corrispondenze").arg(testo).arg(n);
    }

    int fatte() const { return m_fatte; }
    int inMemoria() const { return m_cache.count(PageCache::Kind::Thumbnail); }
    bool ha(int32_t pagina) const { return m_cache.contains(chiave(pagina)); }

private:
    /// Where the thumbnail of \a pagina is kept in the viewer's page cache.
    PageCache::Key chiave(int32_t pagina) const
    {
        PageCache::Key key;
        key.kind = PageCache::Kind::Thumbnail;
        key.file = m_path;
        key.page = pagina;
        key.pixels = m_vuota.size();
        key.quality = m_bestQuality ? 1 : 0;
        return key;
    }

    /// Forgets every thumbnail and request: a new document or resolution.
    void ricomincia()
    {
        ++m_generazione;
        m_cache.removeIf([](const PageCache::Key &key) { return key.kind == PageCache::Kind::Thumbnail; });
        m_chieste.clear();
        m_superate.clear();
        m_dpr = m_pane->devicePixelRatioF();
        const QSize logica = dimensione();
        m_vuota = QPixmap(logica * m_dpr);
        m_vuota.fill(Qt::white);
        m_vuota.setDevicePixelRatio(m_dpr);
        m_worker.setDocumento(m_path, m_twips, logica * m_dpr, m_generazione);
    }

    void chiedi(int32_t pagina)
    {
        if (!m_posizione || m_path.isEmpty())
            return;
        if (m_dpr != m_pane->devicePixelRatioF()) {
            // Moved to a screen of another resolution: thumbnails of its own.
            ricomincia();
        }
        if (!m_chieste.insert(pagina).second)
            return;
        if (const std::optional<int32_t> tolta = m_worker.chiedi({pagina, m_posizione(pagina)}))
            m_chieste.erase(*tolta); // asked again when it is painted again
    }

    void ricevi(int32_t pagina, const QImage &miniatura, quint64 generazione)
    {
        if (generazione != m_generazione)
            return;
        m_chieste.erase(pagina);
        if (m_superate.erase(pagina) > 0) {
            const QModelIndex i = index(pagina);
            Q_EMIT dataChanged(i, i, {Qt::DecorationRole}); // asked again as it is painted
            return;
        }
        if (pagina >= m_totali)
            return;
        // In 256-colour mode through the same bitmap file round trip as the
        // pages on show; a thumbnail that cannot be converted is shown in
        // full colour rather than not at all.
        QImage immagine = miniatura;
        if (!m_bestQuality) {
            // A file of its own for each thumbnail, gone once it is read
            // back: the window's temporary folder holds only its own file.
            Bitmap256File bitmap;
            bitmap.open();
            QImage convertita = bitmap.convert(miniatura);
            bitmap.remove();
            if (!convertita.isNull())
                immagine = std::move(convertita);
        }
        auto pixmap = std::make_shared<QPixmap>(QPixmap::fromImage(immagine));
        pixmap->setDevicePixelRatio(m_dpr);
        m_cache.insert(chiave(pagina), std::move(pixmap), qint64(miniatura.sizeInBytes()));
        ++m_fatte;
        const QModelIndex i = index(pagina);
        Q_EMIT dataChanged(i, i, {Qt::DecorationRole});
        Q_EMIT m_pane->miniaturaPronta(pagina);
    }

    ThumbnailPane *m_pane;
    int32_t m_totali = 0;
    QString m_path;
    QSize m_twips{1, 1};
    ThumbnailPane::Posizione m_posizione;
    quint64 m_generazione = 0;
    double m_dpr = 1;
    PageCache &m_cache;                     // the worker's, shared with the pages made ahead
    std::unordered_set<int32_t> m_chieste;  // asked of the worker, not back yet
    std::unordered_set<int32_t> m_superate; // of those, made of a page that grew since
    QPixmap m_vuota;
    int m_fatte = 0;
    bool m_bestQuality = false;
    QPointer<const FindResults> m_find;
    ThumbnailWorker m_worker; // last: hands nothing over once the rest goes
};

namespace {

/// Paints an item: the thumbnail with a thin frame, on the highlight colour
/// when it is the current page, and the page number under it; a page with
/// matches of the find has its mark.
class ThumbnailDelegate : public QStyledItemDelegate
{
public:
    ThumbnailDelegate(ThumbnailModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QSize m = m_model->dimensione();
        return QSize(m.width() + 2 * Margine, m.height() + 2 * Margine + SpazioTesto + option.fontMetrics.height());
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const QRect r = option.rect;
        if (option.state & QStyle::State_Selected)
            painter->fillRect(r.adjusted(2, 2, -2, -2), option.palette.highlight());
        const QSize m = m_model->dimensione();
        const QRect miniatura(r.x() + (r.width() - m.width()) / 2, r.y() + Margine, m.width(), m.height());
        const QPixmap pixmap = index.data(Qt::DecorationRole).value<QPixmap>();
        QRect pagina = miniatura;
        if (pixmap.isNull()) {
            painter->fillRect(miniatura, Qt::white);
        } else {
            // A page of another shape than the box sits in its middle.
            const QSize d = pixmap.deviceIndependentSize().toSize().boundedTo(m);
            pagina = QRect(miniatura.x() + (m.width() - d.width()) / 2, miniatura.y() + (m.height() - d.height()) / 2,
                           d.width(), d.height());
            painter->drawPixmap(pagina, pixmap);
        }
        painter->setPen(QColor(90, 90, 90));
        painter->drawRect(pagina.adjusted(0, 0, -1, -1));
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::WindowText));
        const QRect testo(r.x(), miniatura.bottom() + 1 + SpazioTesto, r.width(), option.fontMetrics.height());
        painter->drawText(testo, Qt::AlignHCenter | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
        if (const qsizetype n = m_model->corrispondenze(index.row()))
            paintMark(*painter, option, r, pagina, n, m_model->corrente(index.row()));
        painter->restore();
    }

private:
    /// A page's find mark: a band down the item's left edge and a badge with
    /// the count in the thumbnail's top right corner, in the colour the
    /// page lights its matches in (the current match's colour on its page),
    /// framed dark so that it stands out on a white or a halftone page alike.
    static void paintMark(QPainter &painter, const QStyleOptionViewItem &option, const QRect &item, const QRect &page,
                          qsizetype count, bool current)
    {
        const TextHighlight colours{QString()};
        const QColor fill = current ? colours.currentColour : colours.matchColour;
        const QColor frame(110, 70, 0);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(QRect(item.x() + 1, page.y(), Banda, page.height()), fill);
        painter.setPen(QPen(frame, 1));
        painter.drawRect(QRectF(item.x() + 1.5, page.y() + 0.5, Banda - 1, page.height() - 1));

        QFont font = option.font;
        font.setBold(true);
        painter.setFont(font);
        const QFontMetrics metrics(font);
        const QString text = count > 999 ? QStringLiteral("999+") : QString::number(count);
        const int height = metrics.height() + 4;
        const int width = std::max(height, metrics.horizontalAdvance(text) + height / 2 + 2);
        const QRectF badge(page.right() - 2 - width, page.y() + 3, width, height);
        painter.setBrush(fill);
        painter.drawRoundedRect(badge.adjusted(0.5, 0.5, -0.5, -0.5), height / 2.0, height / 2.0);
        painter.setPen(Qt::black);
        painter.drawText(badge, Qt::AlignCenter, text);
    }

    ThumbnailModel *m_model;
};

} // namespace

ThumbnailPane::ThumbnailPane(ViewerModel &model, PageWorker &worker, QWidget *parent)
    : QListView(parent)
    , m_model(new ThumbnailModel(this, worker))
{
    // The list's rows follow the document's pages, its current row the page on show.
    m_model->setPagineTotali(model.viewPages());
    connect(&model, &ViewerModel::pageCountChanged, this,
            [this, &model] { m_model->setPagineTotali(model.viewPages()); });
    // A hidden pane is brought to the page on show when it is shown; the
    // cache keeps the images of the page on show whatever its budget.
    worker.cache().setPageOnShow(model.currentPage());
    connect(&model, &ViewerModel::currentPageChanged, this, [this, &worker](int32_t page) {
        worker.cache().setPageOnShow(page);
        if (isVisible())
            setPaginaCorrente(page);
    });
    // The thumbnails follow the window's "Massima qualità" as its pages do.
    m_model->setBestQuality(model.bestQuality());
    connect(&model, &ViewerModel::qualityChanged, this, [this](bool best) { m_model->setBestQuality(best); });
    setObjectName(QStringLiteral("miniature"));
    setModel(m_model);
    setItemDelegate(new ThumbnailDelegate(m_model, this));
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab and the window's pane key reach it; a click leaves the keys with the page.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QCoreApplication::translate("qv::ThumbnailPane", "Miniature delle pagine"));
    setAccessibleDescription(QCoreApplication::translate(
        "qv::ThumbnailPane",
        "Le pagine del documento in piccolo: le frecce mostrano la pagina accanto, Invio quella evidenziata, Esc "
        "torna alla pagina; una pagina con corrispondenze della ricerca ne porta il numero"));
    setMouseTracking(false);
    connect(this, &QListView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT paginaScelta(index.row());
    });
}

ThumbnailPane::~ThumbnailPane() = default;

void ThumbnailPane::setFindResults(const FindResults *results)
{
    if (m_model->find())
        disconnect(m_model->find(), nullptr, this, nullptr);
    m_model->setFind(results);
    // Only the items in view are painted again: the marks of a find that
    // grows, moves its current match or is cleared.
    if (results)
        connect(results, &FindResults::changed, this, [this] { viewport()->update(); });
    viewport()->update();
}

QString ThumbnailPane::testoAccessibile(int32_t pagina) const
{
    return m_model->testoAccessibile(pagina);
}

bool ThumbnailPane::event(QEvent *e)
{
    // Esc with the focus here goes back to the page instead of closing the window.
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape
        && static_cast<QKeyEvent *>(e)->modifiers() == Qt::NoModifier) {
        e->accept();
        return true;
    }
    return QListView::event(e);
}

void ThumbnailPane::keyPressEvent(QKeyEvent *e)
{
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (e->key()) {
    case Qt::Key_Escape:
        if (!plain)
            break;
        e->accept();
        Q_EMIT leaveRequested();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!plain)
            break;
        e->accept();
        if (currentIndex().isValid())
            Q_EMIT paginaScelta(currentIndex().row());
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (!plain)
            break;
        // The list moves its current item; the page reached is shown.
        const int32_t before = paginaCorrente();
        QListView::keyPressEvent(e);
        if (paginaCorrente() >= 0 && paginaCorrente() != before)
            Q_EMIT paginaScelta(paginaCorrente());
        return;
    }
    default: break;
    }
    // Every other key is the window's (zoom, views, find...).
    e->ignore();
}

void ThumbnailPane::setDocumento(const QString &path, QSize paginaTwips, Posizione posizione)
{
    const int32_t corrente = paginaCorrente();
    m_model->setDocumento(path, paginaTwips, std::move(posizione));
    verticalScrollBar()->setSingleStep(m_model->dimensione().height() / 4);
    if (corrente >= 0)
        setPaginaCorrente(corrente);
}

int32_t ThumbnailPane::pagineTotali() const
{
    return m_model->pagineTotali();
}

void ThumbnailPane::pagineCresciute(int32_t pagina)
{
    m_model->dimenticaDa(pagina);
}

void ThumbnailPane::setPaginaCorrente(int32_t pagina)
{
    const QModelIndex index = m_model->index(pagina);
    if (!index.isValid())
        return;
    if (currentIndex() != index)
        setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::EnsureVisible);
}

int32_t ThumbnailPane::paginaCorrente() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

int ThumbnailPane::larghezzaPreferita() const
{
    return LarghezzaMiniatura + 2 * Margine + verticalScrollBar()->sizeHint().width() + 2 * frameWidth() + 4;
}

QSize ThumbnailPane::dimensioneMiniatura() const
{
    return m_model->dimensione();
}

QRect ThumbnailPane::rettangoloPagina(int32_t pagina) const
{
    return visualRect(m_model->index(pagina));
}

int ThumbnailPane::miniatureFatte() const
{
    return m_model->fatte();
}

int ThumbnailPane::miniatureInMemoria() const
{
    return m_model->inMemoria();
}

bool ThumbnailPane::haMiniatura(int32_t pagina) const
{
    return m_model->ha(pagina);
}

} // namespace qv
