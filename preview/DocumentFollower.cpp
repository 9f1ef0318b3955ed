// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/DocumentFollower.h"

#include "preview/ViewerModel.h"
#include "spool/PageIndexer.h"

#include <QEvent>
#include <QFile>
#include <QWidget>

#include <sys/stat.h>

namespace qv {

DocumentFollower::DocumentFollower(ViewerModel &model, QWidget &window) : QObject(&window), m_model(model)
{
    m_timer.setInterval(FallbackMs);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DocumentFollower::look);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DocumentFollower::fileChanged);
    window.installEventFilter(this);
    setWatching(window.isVisible());
}

bool DocumentFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show)
        setWatching(true);
    else if (event->type() == QEvent::Hide)
        setWatching(false);
    return QObject::eventFilter(watched, event);
}

void DocumentFollower::setWatching(bool on)
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    m_seen = Seen();
    if (!on) {
        m_timer.stop();
        return;
    }
    if (!m_model.path().isEmpty())
        m_watcher.addPath(m_model.path());
    m_timer.start();
    fileChanged(); // what came before the window was shown
}

void DocumentFollower::fileChanged()
{
    if (spool::PageIndexer *index = m_model.index())
        index->resume();
}

void DocumentFollower::look()
{
    const QString path = m_model.path();
    if (path.isEmpty())
        return;
    struct stat st
    {};
    Seen now;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        now = Seen{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size),
                   int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    if (now == m_seen)
        return;
    m_seen = now;
    // A file replaced is lost to the watcher: the new one is watched, and
    // the index finds that it is another file.
    if (m_watcher.files().isEmpty() && now.size >= 0)
        m_watcher.addPath(path);
    fileChanged();
}

} // namespace qv
