// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Watches the spool file on show while another program appends to it, and
// tells the model's page index to read on: the file system's notice
// (inotify, through QFileSystemWatcher) at once, and a look at the file's
// size and identity four times a second for the file systems that send no
// notice (and for a file replaced, which the watcher loses). Only while the
// window is shown: a hidden window watches nothing and costs nothing.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <cstdint>

namespace qv {

class ViewerModel;

class DocumentFollower : public QObject
{
    Q_OBJECT
public:
    /// The slowest look at the file, in milliseconds, where no notice comes.
    static constexpr int FallbackMs = 250;

    /// Follows the file of \a model's document while \a window is shown.
    DocumentFollower(ViewerModel &model, QWidget &window);

    /// Tells the index to read on now (as a notice does).
    void fileChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setWatching(bool on);
    void look();

    ViewerModel &m_model;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    // What the last look saw: device, inode, size, time of change.
    struct Seen
    {
        uint64_t device = 0, inode = 0;
        int64_t size = -1, changed = 0;
        bool operator==(const Seen &) const = default;
    } m_seen;
};

} // namespace qv
