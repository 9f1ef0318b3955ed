// qvPreview - print preview for Qt applications.
#include "preview/ThumbnailPane.h"

#include "preview/ViewerModel.h"
#include "render/PageSurface.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

namespace qv {

namespace {

constexpr int Margine = 8;     // around a thumbnail in its item
constexpr int SpazioTesto = 4; // between the thumbnail and its number

/// Renders thumbnails in a thread of its own: the replay of a page onto a
/// page surface of the thread's own, rasterised into a QImage (QPixmap is
/// for the GUI thread only). The newest request is served first; a request
/// pushed onto a full queue drops the oldest one. Only chiedi() and the
/// destructor start and stop the thread; they are called from one thread.
class ThumbnailWorker
{
public:
    struct Richiesta
    {
        int32_t pagina;
        LetturaDati::PageSpec posizione;
    };
    /// Called in the worker thread with each thumbnail and the generation
    /// of the document it was made for.
    using Consegna = std::function<void(int32_t pagina, QImage miniatura, quint64 generazione)>;

    explicit ThumbnailWorker(Consegna consegna) : m_consegna(std::move(consegna)) {}

    ~ThumbnailWorker()
    {
        {
            std::lock_guard lock(m_mutex);
            m_fine = true;
            m_coda.clear();
        }
        m_cv.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    /// A new document (or size): what is waiting is dropped.
    void setDocumento(const QString &path, QSize twips, QSize pixel, quint64 generazione)
    {
        std::lock_guard lock(m_mutex);
        m_path = path;
        m_twips = twips;
        m_pixel = pixel;
        m_generazione = generazione;
        m_coda.clear();
    }

    /// Queues \a richiesta; returns the page of the request it pushed out.
    std::optional<int32_t> chiedi(const Richiesta &richiesta)
    {
        std::optional<int32_t> tolta;
        {
            std::lock_guard lock(m_mutex);
            if (int(m_coda.size()) >= ThumbnailPane::MassimoInAttesa) {
                tolta = m_coda.front().pagina;
                m_coda.pop_front();
            }
            m_coda.push_back(richiesta);
        }
        m_cv.notify_one();
        // The thread starts with the first thumbnail: a window whose pane is
        // never shown has none.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { ciclo(); });
        return tolta;
    }

private:
    void ciclo()
    {
        std::unique_ptr<PageSurface> superficie;
        QSize dimensioneSuperficie;
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return m_fine || !m_coda.empty(); });
            if (m_fine)
                return;
            const Richiesta richiesta = m_coda.back();
            m_coda.pop_back();
            const QString path = m_path;
            const QSize twips = m_twips;
            const QSize pixel = m_pixel;
            const quint64 generazione = m_generazione;
            lock.unlock();

            if (!superficie || dimensioneSuperficie != twips) {
                superficie = std::make_unique<PageSurface>();
                superficie->setSize(twips.width(), twips.height());
                dimensioneSuperficie = twips;
            }
            try {
                LetturaDati::DisegnaPagina(*superficie, path, richiesta.posizione);
            } catch (...) {
                // A page that cannot be read in full shows what was drawn;
                // the window reports the error when the page is shown.
            }
            const FrozenPage disegno = superficie->Picture();
            QImage miniatura = disegno->render(double(pixel.width()) / std::max(1, twips.width()));
            superficie->Cls(); // the page's drawing goes now, not at the next request
            m_consegna(richiesta.pagina, std::move(miniatura), generazione);
        }
    }

    Consegna m_consegna;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Richiesta> m_coda;
    bool m_fine = false;
    QString m_path;
    QSize m_twips;
    QSize m_pixel;
    quint64 m_generazione = 0;
    std::thread m_thread;
};

} // namespace

/// One row per page; its picture is asked of the worker when it is painted.
class ThumbnailModel : public QAbstractListModel
{
public:
    explicit ThumbnailModel(ThumbnailPane *pane)
        : QAbstractListModel(pane)
        , m_pane(pane)
        , m_worker([this](int32_t pagina, QImage miniatura, quint64 generazione) {
            QMetaObject::invokeMethod(
                this,
                [this, pagina, miniatura = std::move(miniatura), generazione] {
                    ricevi(pagina, miniatura, generazione);
                },
                Qt::QueuedConnection);
        })
    {
        m_cache.setMaxCost(ThumbnailPane::MemoriaMassima);
    }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : m_totali; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_totali)
            return {};
        const int32_t pagina = index.row();
        if (role == Qt::DisplayRole)
            return QString::number(pagina + 1);
        if (role != Qt::DecorationRole)
            return {};
        if (const QPixmap *pronta = m_cache.object(pagina))
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

    QSize dimensione() const
    {
        const int w = ThumbnailPane::LarghezzaMiniatura;
        return QSize(w, std::max(1, int(std::lround(double(w) * m_twips.height() / m_twips.width()))));
    }

    int fatte() const { return m_fatte; }
    int inMemoria() const { return int(m_cache.count()); }
    bool ha(int32_t pagina) const { return m_cache.contains(pagina); }

private:
    /// Forgets every thumbnail and request: a new document or resolution.
    void ricomincia()
    {
        ++m_generazione;
        m_cache.clear();
        m_chieste.clear();
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
        if (pagina >= m_totali)
            return;
        auto *pixmap = new QPixmap(QPixmap::fromImage(miniatura));
        pixmap->setDevicePixelRatio(m_dpr);
        m_cache.insert(pagina, pixmap, qint64(miniatura.sizeInBytes()));
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
    QCache<int32_t, QPixmap> m_cache;
    std::unordered_set<int32_t> m_chieste; // asked of the worker, not back yet
    QPixmap m_vuota;
    int m_fatte = 0;
    ThumbnailWorker m_worker; // last: joined before the rest goes
};

namespace {

/// Paints an item: the thumbnail with a thin frame, on the highlight colour
/// when it is the current page, and the page number under it.
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
        if (pixmap.isNull())
            painter->fillRect(miniatura, Qt::white);
        else
            painter->drawPixmap(miniatura, pixmap);
        painter->setPen(QColor(90, 90, 90));
        painter->drawRect(miniatura.adjusted(0, 0, -1, -1));
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::WindowText));
        const QRect testo(r.x(), miniatura.bottom() + 1 + SpazioTesto, r.width(), option.fontMetrics.height());
        painter->drawText(testo, Qt::AlignHCenter | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    ThumbnailModel *m_model;
};

} // namespace

ThumbnailPane::ThumbnailPane(ViewerModel &model, QWidget *parent) : QListView(parent), m_model(new ThumbnailModel(this))
{
    // The list's rows follow the document's pages, its current row the page on show.
    m_model->setPagineTotali(model.viewPages());
    connect(&model, &ViewerModel::pageCountChanged, this,
            [this, &model] { m_model->setPagineTotali(model.viewPages()); });
    connect(&model, &ViewerModel::currentPageChanged, this, [this](int32_t page) { setPaginaCorrente(page); });
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
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(false);
    connect(this, &QListView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT paginaScelta(index.row());
    });
}

ThumbnailPane::~ThumbnailPane() = default;

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
