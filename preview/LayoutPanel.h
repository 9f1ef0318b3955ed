// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The layout panel: the layout check's findings of the document on show,
// page by page. The check runs as a job of the viewer's worker when the
// panel has one (setWorker()), else in a thread of its own, when the panel
// is given a document; a click on a finding, or Enter on it, asks to go to
// its page and place (goTo), where a view draws its outline
// (paintFindingOutline). The window builds it hidden and shows it on demand.
#pragma once

#include "preview/PageWorker.h"
#include "spool/Document.h"

#include <qvpreview/LayoutCheck.h>

#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

class QLabel;
class QPainter;
class QTreeWidget;
class QTreeWidgetItem;

namespace qv {

class LayoutPanel : public QWidget
{
    Q_OBJECT
public:
    /// Hidden until the window shows it.
    explicit LayoutPanel(QWidget *parent = nullptr);
    /// Stops a check that is running and waits for its thread (a job of the
    /// worker is told to stop, and what it still sends is dropped).
    ~LayoutPanel() override;

    /// The worker the check runs on, as a job at the find's priority (pages
    /// and thumbnails first); stopping the worker (PageWorker::stopAll())
    /// stops the check within a page. Without one (null, the default) the
    /// check has a thread of its own. The worker may go before the panel.
    void setWorker(PageWorker *worker) { m_pageWorker = worker; }

    /// The document checked (null: none).
    const std::shared_ptr<const spool::Document> &document() const { return m_document; }
    /// The findings of the last check that ended (in page order).
    const LayoutCheck &check() const { return m_check; }
    /// True while a check runs.
    bool isChecking() const { return !m_done; }
    /// The list of findings: a row per page with a row per finding under it.
    QTreeWidget *list() const { return m_list; }

public slots:
    /// Checks \a document (nullptr: none, the list empties): the list fills
    /// when the check ends; a check of an earlier document is stopped.
    void setDocument(std::shared_ptr<const spool::Document> document);
    /// Checks the same document again (a file that grew or changed).
    void recheck();

signals:
    /// The user chose a finding: page \a page0 (0-based) and the place in
    /// its twips (LayoutFinding::place); a page's row gives an empty place.
    void goTo(int page0, QRectF twips);
    /// A check ended (also when it stopped at an error) with \a findings.
    void checked(int findings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Mailbox;
    void start(const QString &path);
    void startJob(const QString &path, quint64 generation);
    void stop();
    void finish(quint64 generation, LayoutCheck check);
    void progressed(quint64 generation, int page);
    void fill();
    void choose(QTreeWidgetItem *item);

    QLabel *m_status = nullptr;
    QTreeWidget *m_list = nullptr;
    std::shared_ptr<const spool::Document> m_document;
    LayoutCheck m_check;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{true};
    quint64 m_generation = 0;
    QPointer<PageWorker> m_pageWorker;
    PageWorker::Flag m_job; // the flag of the worker's job queued or running
    std::shared_ptr<Mailbox> m_mailbox;
};

/// Draws the outline of a finding at \a twips (page twips, LayoutFinding::
/// place) on a page whose printable area, \a pageTwips in size, is painted
/// at \a pageRect on \a painter: a cosmetic frame a few pixels around it,
/// never smaller than a few pixels (a point, a thin line), so that it shows
/// at every zoom.
void paintFindingOutline(QPainter &painter, const QRectF &pageRect, QSizeF pageTwips, const QRectF &twips);

} // namespace qv
