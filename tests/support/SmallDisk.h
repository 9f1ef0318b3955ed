// SPDX-License-Identifier: MIT
// A small file system that fills up: a tmpfs of a few kilobytes mounted on a
// folder for as long as the object lives, where the machine allows it (root,
// or a user namespace that may mount); tests skip when it does not.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>

namespace qv::test {

class SmallDisk
{
public:
    /// Mounts a tmpfs of \a kilobytes on the folder \a folder (created).
    SmallDisk(const QString &folder, int kilobytes) : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
        m_mounted =
            ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData())
            == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    /// The folder, ending with "/".
    QString folder() const { return m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + QLatin1Char('/'); }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace qv::test
