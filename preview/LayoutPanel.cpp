// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/LayoutPanel.h"

#include "render/LayoutCheck.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

namespace qv {

namespace {

/// How often, in pages, a running check tells how far it got.
constexpr int ProgressPages = 512;

/// The item data: the finding's index in the check, or -1 for a page's row.
constexpr int FindingRole = Qt::UserRole;
constexpr int PageRole = Qt::UserRole + 1;

} // namespace

/// Where a job of the worker sends what it made: to the panel while it
/// lives (the panel's end clears the owner under the lock).
struct LayoutPanel::Mailbox
{
    std::mutex mutex;
    LayoutPanel *owner = nullptr;

    template <typename F>
    void post(F call)
    {
        std::lock_guard lock(mutex);
        if (LayoutPanel *to = owner) // events for an object deleted later are dropped with it
            QMetaObject::invokeMethod(
                to, [to, call = std::move(call)]() mutable { call(to); }, Qt::QueuedConnection);
    }
};

LayoutPanel::LayoutPanel(QWidget *parent) : QWidget(parent), m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->owner = this;
    setObjectName(QStringLiteral("layoutPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    setAccessibleName(QCoreApplication::translate("qv::LayoutPanel", "Pannello dell'impaginazione"));
    setAccessibleDescription(QCoreApplication::translate(
        "qv::LayoutPanel", "Testi tagliati, oggetti fuori dall'area stampabile, immagini illeggibili e caratteri "
                           "sostituiti, pagina per pagina (Ctrl+L lo mostra e lo nasconde)"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("layoutStatus"));
    m_status->setWordWrap(true);
    m_status->setAccessibleDescription(QCoreApplication::translate("qv::LayoutPanel", "Esito del controllo"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("layoutFindings"));
    m_list->setHeaderHidden(true);
    m_list->setColumnCount(1);
    m_list->setUniformRowHeights(true);
    m_list->setAccessibleName(QCoreApplication::translate("qv::LayoutPanel", "Controllo dell'impaginazione"));
    m_list->setAccessibleDescription(QCoreApplication::translate(
        "qv::LayoutPanel", "Le segnalazioni pagina per pagina: Invio o un clic porta al punto della pagina"));
    m_list->installEventFilter(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list, 1);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { choose(item); });
    m_status->setText(QCoreApplication::translate("qv::LayoutPanel", "Nessun documento"));
    hide();
}

LayoutPanel::~LayoutPanel()
{
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->owner = nullptr;
    }
    stop();
}

void LayoutPanel::setDocument(std::shared_ptr<const spool::Document> document)
{
    m_document = std::move(document);
    recheck();
}

void LayoutPanel::recheck()
{
    stop();
    m_check = LayoutCheck();
    m_list->clear();
    if (!m_document || m_document->isEmpty()) {
        m_status->setText(QCoreApplication::translate("qv::LayoutPanel", "Nessun documento"));
        return;
    }
    start(m_document->path());
}

void LayoutPanel::start(const QString &path)
{
    const quint64 generation = ++m_generation;
    m_status->setText(QCoreApplication::translate("qv::LayoutPanel", "Controllo in corso..."));
    m_stop = false;
    m_done = false;
    if (m_pageWorker)
        return startJob(path, generation);
    // The results come back through the event loop, to this object only
    // while it lives (a posted call to a deleted object is dropped; the
    // destructor waits for the thread first anyway).
    QPointer<LayoutPanel> self(this);
    m_worker = std::thread([this, self, path, generation] {
        LayoutCheck result = checkLayout(path, [this, self, generation](int32_t page) {
            if (page % ProgressPages == 0)
                QMetaObject::invokeMethod(
                    self, [self, generation, page] { self->progressed(generation, page); }, Qt::QueuedConnection);
            return !m_stop.load();
        });
        m_done = true;
        QMetaObject::invokeMethod(
            self,
            [self, generation, result = std::move(result)]() mutable { self->finish(generation, std::move(result)); },
            Qt::QueuedConnection);
    });
}

/// The check as a job of the worker: it stops, within a page, when its flag
/// is set (a new check, the panel's end, the worker stopping every job).
void LayoutPanel::startJob(const QString &path, quint64 generation)
{
    m_job = m_pageWorker->start(
        PageWorker::Priority::Find, [mailbox = m_mailbox, path, generation](const std::atomic<bool> &cancelled) {
            LayoutCheck result = checkLayout(path, [&](int32_t page) {
                if (page % ProgressPages == 0)
                    mailbox->post([generation, page](LayoutPanel *panel) { panel->progressed(generation, page); });
                return !cancelled.load();
            });
            mailbox->post([generation, result = std::move(result)](LayoutPanel *panel) mutable {
                panel->finish(generation, std::move(result));
            });
        });
}

void LayoutPanel::stop()
{
    if (m_job)
        *m_job = true;
    m_job.reset();
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    m_done = true;
}

void LayoutPanel::progressed(quint64 generation, int page)
{
    if (generation != m_generation)
        return;
    m_status->setText(QCoreApplication::translate("qv::LayoutPanel", "Controllo in corso: pagina %1...").arg(page));
}

void LayoutPanel::finish(quint64 generation, LayoutCheck check)
{
    if (generation != m_generation)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_job.reset();
    m_done = true;
    m_check = std::move(check);
    fill();
    emit checked(int(m_check.findings.size()));
}

void LayoutPanel::fill()
{
    m_list->clear();
    const qsizetype n = m_check.findings.size();
    QString status = m_check.summary();
    status[0] = status[0].toUpper();
    if (m_check.error)
        status += QLatin1Char('\n')
                  + QCoreApplication::translate("qv::LayoutPanel", "Controllo interrotto: %1")
                        .arg(m_check.error->description());
    m_status->setText(status);

    QTreeWidgetItem *page = nullptr;
    int onPage = 0;
    const auto closePage = [&] {
        if (page)
            page->setText(0, QCoreApplication::translate("qv::LayoutPanel", "Pagina %1 (%2)")
                                 .arg(page->data(0, PageRole).toInt())
                                 .arg(onPage));
    };
    for (qsizetype i = 0; i < n; ++i) {
        const LayoutFinding &f = m_check.findings[i];
        if (!page || page->data(0, PageRole).toInt() != f.page) {
            closePage();
            page = new QTreeWidgetItem(m_list);
            page->setData(0, PageRole, f.page);
            page->setData(0, FindingRole, -1);
            page->setExpanded(true);
            onPage = 0;
        }
        ++onPage;
        auto *item = new QTreeWidgetItem(page);
        item->setText(0, QCoreApplication::translate("qv::LayoutPanel", "riga %1: %2").arg(f.line).arg(f.text));
        item->setToolTip(0, f.text);
        item->setData(0, PageRole, f.page);
        item->setData(0, FindingRole, int(i));
    }
    closePage();
    if (QTreeWidgetItem *first = m_list->topLevelItem(0))
        m_list->setCurrentItem(first->childCount() ? first->child(0) : first);
}

void LayoutPanel::choose(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const int page = item->data(0, PageRole).toInt();
    const int index = item->data(0, FindingRole).toInt();
    const QRectF place = index >= 0 && index < m_check.findings.size() ? m_check.findings[index].place : QRectF();
    emit goTo(page - 1, place);
}

bool LayoutPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            choose(m_list->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void paintFindingOutline(QPainter &painter, const QRectF &pageRect, QSizeF pageTwips, const QRectF &twips)
{
    QRectF r = findingOnPage(twips, pageRect, pageTwips.width(), pageTwips.height());
    // A few pixels around it, and at least a few pixels wide and high.
    constexpr double Around = 3;
    constexpr double Least = 8;
    r = r.normalized().adjusted(-Around, -Around, Around, Around);
    if (r.width() < Least)
        r.adjust(-(Least - r.width()) / 2, 0, (Least - r.width()) / 2, 0);
    if (r.height() < Least)
        r.adjust(0, -(Least - r.height()) / 2, 0, (Least - r.height()) / 2);
    painter.save();
    QPen pen(QColor(220, 30, 30));
    pen.setCosmetic(true);
    pen.setWidthF(2);
    painter.setPen(pen);
    painter.setBrush(QColor(220, 30, 30, 40));
    painter.drawRect(r);
    painter.restore();
}

} // namespace qv
