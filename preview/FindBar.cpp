// qvPreview - print preview for Qt applications.
#include "preview/FindBar.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QThread>
#include <QToolButton>

namespace qv {

namespace {

/// The worker hands its matches over at most this often (and at its end),
/// so a search with many matches does not flood the window with events.
constexpr qint64 HandOverMs = 40;

} // namespace

FindBar::FindBar(std::function<Document()> document, QWidget *parent) : QFrame(parent), m_document(std::move(document))
{
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("FindField"));
    m_field->setPlaceholderText(QCoreApplication::translate("qv::FindBar", "Trova nel documento"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);

    const auto button = [this](const QString &name, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_previous = button(QStringLiteral("FindPrevious"),
                        QCoreApplication::translate("qv::FindBar", "Corrispondenza precedente (Maiusc+F3)"));
    m_previous->setArrowType(Qt::UpArrow);
    m_next = button(QStringLiteral("FindNext"),
                    QCoreApplication::translate("qv::FindBar", "Corrispondenza successiva (F3)"));
    m_next->setArrowType(Qt::DownArrow);
    m_close = button(QStringLiteral("FindClose"), QCoreApplication::translate("qv::FindBar", "Chiudi (Esc)"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("FindStatus"));
    m_label->setMinimumWidth(m_label->fontMetrics().horizontalAdvance(QStringLiteral("Nessuna corrispondenza__")));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(4);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_label);
    layout->addWidget(m_close);

    connect(m_field, &QLineEdit::textChanged, this, [this] { start(); });
    connect(m_previous, &QToolButton::clicked, this, &FindBar::previous);
    connect(m_next, &QToolButton::clicked, this, &FindBar::next);
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
    refresh();
}

FindBar::~FindBar()
{
    stop();
}

void FindBar::open()
{
    const bool wasHidden = isHidden();
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (wasHidden) {
        emit visibilityChanged(true);
        if (!m_field->text().isEmpty())
            start(); // the document may have changed meanwhile
    }
}

void FindBar::close()
{
    if (isHidden())
        return;
    stop();
    hide();
    emit visibilityChanged(false);
    emit highlightChanged();
}

void FindBar::next()
{
    step(+1);
}

void FindBar::previous()
{
    step(-1);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            step(key->modifiers() & Qt::ShiftModifier ? -1 : +1);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

// --- The search -------------------------------------------------------------------------

/// Stops the search on show: its worker is told to stop, and waited for, so
/// that no thread outlives the bar; what it still sends is dropped.
void FindBar::stop()
{
    ++m_generation;
    if (m_cancel)
        m_cancel->store(true);
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_cancel.reset();
}

/// Starts a search of the field's text: from the page on show to the last
/// page, then from the first page up to it. The worker hands its matches
/// over in batches; the first match found becomes the current one.
void FindBar::start()
{
    stop();
    m_before.clear();
    m_after.clear();
    m_current = -1;
    m_error.clear();
    m_highlight.reset();
    const QString query = m_field->text();
    m_done = query.isEmpty();
    if (query.isEmpty()) {
        refresh();
        emit highlightChanged();
        return;
    }
    Document document = m_document();
    const auto pages = document.pages > 0 ? document.pages : int32_t(document.index.size());
    if (document.path.isEmpty() || pages < 1) {
        m_done = true;
        refresh();
        emit highlightChanged();
        return;
    }
    const int32_t first = std::clamp(document.currentPage, 1, pages);
    const quint64 generation = m_generation;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    QPointer<FindBar> self(this);
    m_thread =
        QThread::create([self, generation, query, first, pages, document = std::move(document), cancel = m_cancel] {
            const spool::TextSearch search(query);
            QList<spool::TextMatch> batch;
            QElapsedTimer sinceHandOver;
            sinceHandOver.start();
            bool wrapped = false;
            // Hands the batch to the bar on its own thread.
            const auto handOver = [&](bool done, const QString &error = QString()) {
                QMetaObject::invokeMethod(
                    self.data(),
                    [self, generation, wrapped, matches = std::move(batch), done, error] {
                        if (self)
                            self->received(generation, wrapped, matches, done, error);
                    },
                    Qt::QueuedConnection);
                batch.clear();
                sinceHandOver.restart();
            };
            const auto sink = [&](int32_t, const QList<spool::TextMatch> &matches) {
                batch.append(matches);
                if (!batch.isEmpty() && sinceHandOver.elapsed() >= HandOverMs)
                    handOver(false);
                return true;
            };
            try {
                if (!search.run(document.path, document.index, first, pages, sink, cancel.get(),
                                QStringLiteral("FrmAnteprima")))
                    return;
                handOver(false);
                wrapped = true;
                if (!search.run(document.path, document.index, 1, first - 1, sink, cancel.get(),
                                QStringLiteral("FrmAnteprima")))
                    return;
                handOver(true);
            } catch (const Error &e) {
                handOver(true, e.description());
            } catch (const std::exception &e) {
                handOver(true, QString::fromLocal8Bit(e.what()));
            }
        });
    connect(m_thread, &QThread::finished, this, [this, generation] {
        if (generation != m_generation)
            return; // stopped: stop() has deleted it
        m_thread->deleteLater();
        m_thread = nullptr;
        m_cancel.reset();
        refresh();
    });
    m_thread->start(QThread::LowPriority);
    refresh();
    // The page on show lights the new query's matches at once; the current
    // one follows when the worker finds it.
    emit highlightChanged();
}

void FindBar::received(quint64 generation, bool wrapped, const QList<spool::TextMatch> &matches, bool done,
                       const QString &error)
{
    if (generation != m_generation)
        return; // a search that was stopped
    const qsizetype before = matchCount();
    if (wrapped) {
        // Matches before the page the search started on: a current match
        // from that page on moves down the list.
        if (m_current >= m_before.size())
            m_current += matches.size();
        m_before.append(matches);
    } else {
        m_after.append(matches);
    }
    m_done = done;
    m_error = error;
    if (m_current < 0 && matchCount() > before) {
        // The first match found: at or after the page on show, or else the
        // first of the document.
        setCurrent(m_after.isEmpty() ? 0 : m_before.size());
        return;
    }
    // The page painter finds the matches of the page itself: more matches
    // elsewhere change no highlight.
    refresh();
}

// --- Moving between matches --------------------------------------------------------------

qsizetype FindBar::currentNumber() const
{
    return m_current + 1;
}

const spool::TextMatch *FindBar::current() const
{
    if (m_current < 0)
        return nullptr;
    return m_current < m_before.size() ? &m_before[m_current] : &m_after[m_current - m_before.size()];
}

void FindBar::step(int direction)
{
    if (isHidden())
        open();
    const qsizetype count = matchCount();
    if (count == 0) {
        refresh();
        return;
    }
    setCurrent(m_current < 0 ? (direction > 0 ? 0 : count - 1) : (m_current + direction + count) % count);
}

void FindBar::setCurrent(qsizetype number)
{
    m_current = number;
    m_highlight.reset();
    refresh();
    if (const spool::TextMatch *match = current())
        emit showPage(match->page);
    emit highlightChanged();
}

std::shared_ptr<const TextHighlight> FindBar::highlightFor(int32_t page) const
{
    if (isHidden() || m_field->text().isEmpty())
        return nullptr;
    const spool::TextMatch *match = current();
    const int32_t record = match && match->page == page ? match->record : -1;
    const int32_t offset = match && match->page == page ? match->offset : -1;
    if (!m_highlight || m_highlight->search.query() != m_field->text() || m_highlight->currentRecord != record
        || m_highlight->currentOffset != offset) {
        m_highlight = std::make_shared<TextHighlight>(m_field->text());
        m_highlight->currentRecord = record;
        m_highlight->currentOffset = offset;
    }
    return m_highlight;
}

QString FindBar::status() const
{
    if (!m_error.isEmpty())
        return QCoreApplication::translate("qv::FindBar", "Errore: %1").arg(m_error);
    if (m_field->text().isEmpty())
        return QString();
    const qsizetype count = matchCount();
    if (count == 0)
        return searching() || !m_done ? QCoreApplication::translate("qv::FindBar", "Ricerca in corso…")
                                      : QCoreApplication::translate("qv::FindBar", "Nessuna corrispondenza");
    const QString where = QCoreApplication::translate("qv::FindBar", "%1 di %2").arg(currentNumber()).arg(count);
    return m_done ? where : where + QStringLiteral("…");
}

void FindBar::refresh()
{
    const QString text = status();
    m_label->setText(text);
    m_label->setToolTip(m_error);
    const bool any = matchCount() > 0;
    m_previous->setEnabled(any);
    m_next->setEnabled(any);
}

} // namespace qv
