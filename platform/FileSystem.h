// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// File-system services that Qt does not give: the running module, the kind
// of file system a folder is on, whether another process uses a file,
// exclusive creation with the reason of a failure, a lock that serialises
// the writers of one folder, regular files read and appended to without
// blocking, files replaced whole, and the expansion of SZDD-compressed files.
#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QIODevice;

namespace qv::platform {

/// The full path of the running module: the shared library that holds this
/// code when it runs inside one (the control library), else the program.
/// Empty when the system cannot tell.
QString moduleFile();
/// The folder of moduleFile(), without a trailing "/" unless it is the root
/// folder "/". Empty when the module is not known.
QString moduleFolder();

/// True when \a magic (the f_type that statfs reports) names a network file
/// system: NFS, SMB/CIFS, AFS, Coda, Ceph, 9P, NCP and the like.
bool isNetworkFileSystemType(int64_t magic);
/// True when \a path lies on a network file system; false for a local one
/// and when the path cannot be examined.
bool isOnNetworkFileSystem(const QString &path);

/// True when a process other than this one holds \a path open in any mode,
/// reading included (an open descriptor of the same device and inode, found
/// through /proc/<pid>/fd), or when any process other than this one holds a
/// lock on it (flock, POSIX or open-file-description locks, found in
/// /proc/locks). Processes whose /proc entries this user may not
/// read are not seen, as with fuser and lsof. False for a missing file.
bool fileInUseByOthers(const QString &path);

/// Creates \a path as a new empty file, never opening a file that is already
/// there (O_CREAT | O_EXCL). Returns 0 on success, else the errno of the
/// failure (EEXIST when the name is taken).
int createNewFile(const QString &path);

/// Outcome of openRegularFile().
enum class OpenRegularResult {
    Opened,     ///< the file is open for reading
    NotFound,   ///< no such file (or a folder on the way is missing)
    NotRegular, ///< a folder, a device, a pipe or a socket: never opened for reading
    TooLarge,   ///< a regular file longer than the caller accepts
    Failed,     ///< it could not be opened or examined (permissions, I/O)
};

/// Opens \a path for reading into \a file, but only when it is a regular
/// file of at most \a maxBytes bytes. The file is opened without blocking
/// (a FIFO without a writer would otherwise block the open itself) and then
/// examined through the open descriptor, so what is read is what was
/// examined. A device such as /dev/zero, which reads without end, or a FIFO
/// is NotRegular and is left closed. \a errorNumber, when given, receives
/// the errno of a NotFound or Failed result.
OpenRegularResult openRegularFile(QFile &file, const QString &path, int64_t maxBytes, int *errorNumber = nullptr);

/// Holds an exclusive lock on a folder for as long as it lives, so that the
/// processes that rewrite files of that folder through it take turns. A
/// folder that cannot be opened is not locked (locked() is false).
class FolderLock
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

/// Reads the whole of \a path into \a contents, but only when it is a
/// regular file of at most \a maxBytes bytes (also when it grows while it is
/// read). Opened as openRegularFile() opens it, so a FIFO or a device never
/// blocks and is never read. Opened only when every byte was read: a read
/// error is Failed with its errno in \a errorNumber (EIO), and \a contents is
/// then empty. No exception leaves it (a failed allocation is Failed, ENOMEM).
OpenRegularResult readRegularFile(const QString &path, int64_t maxBytes, QByteArray &contents,
                                  int *errorNumber = nullptr);

/// Appends \a bytes to the file \a path (created when missing) in one write
/// under an exclusive lock of the file, so that the appends of several
/// processes never mix. Only a regular file is written (a FIFO or a device is
/// refused without blocking). When the write fails part-way (a full disk, the
/// file size limit) the file is cut back to the size it had before the call.
/// Returns 0, or the errno of the failure (EINVAL for a file that is not
/// regular).
int appendToFile(const QString &path, const QByteArray &bytes);

/// Outcome of expandFile().
enum class ExpandResult {
    Expanded, ///< an SZDD file was expanded into the destination
    Copied,   ///< an uncompressed file was copied as it is
    Failed,   ///< nothing written: source unreadable, damaged, empty or not a regular file, or destination unwritable
};

/// Expands the SZDD-compressed file \a source into \a destination, or copies
/// \a source as it is when it is not compressed. Only a regular source is
/// read (a FIFO never blocks). The destination is written through an
/// OutputFile (a link at its name is followed): replaced only when the result
/// is whole, never when it is a device, a FIFO or a socket. A compressed file
/// must expand to exactly the size its header records (a truncated or padded
/// file fails); an empty result counts as a failure.
ExpandResult expandFile(const QString &source, const QString &destination);

/// How a file replaced whole treats a symbolic link at its name.
enum class LinkAtName {
    Follow,  ///< the file the link points at is replaced; the link stays (INI files, PDF output)
    Replace, ///< the link itself is replaced by the new file; what it pointed at stays (launchers, the installed
             ///< library)
};

/// The file that replacing \a path replaces: with Follow, the links at its
/// name are followed (the last one may point at a missing file, which is then
/// created); the folder is made absolute and, where it exists, free of links.
/// Writers that take turns lock the folder of this file, not of \a path.
QString fileToReplace(const QString &path, LinkAtName links);

/// Copies \a source over \a target through an OutputFile (a link at the
/// target's name is replaced, not followed), so that \a target is at every
/// moment either its old file or the whole new one; a program that has the
/// old file open or mapped (a host running the old library) keeps its copy.
/// The target keeps its permissions; a new target gets those of the source.
/// Only a regular source is copied, opened without blocking. Returns 0 on
/// success, else the errno of the failure (ENOENT for a missing source,
/// EISDIR for a source that is not a regular file, EINVAL for a target that
/// exists and is not a regular file, ENOSPC or EFBIG when the disk or the
/// file size limit is full, ...); a failure leaves the target as it was and
/// no temporary file behind.
int replaceFile(const QString &source, const QString &target);

/// Writes \a contents as the whole of \a path through an OutputFile; \a mode,
/// when given, is the new file's permission bits. Returns 0 or the errno of
/// the failure, as OutputFile::systemError() gives it.
int writeFileWhole(const QString &path, const QByteArray &contents, LinkAtName links,
                   std::optional<uint32_t> mode = std::nullopt);

/// A file written whole or not at all: the one way this component replaces
/// a file (INI files, expanded files, launchers, the installed library, PDF
/// and PNG output). The new file is written under no name (O_TMPFILE) in the
/// target's folder, or where the file system cannot do that under a hidden
/// temporary name (".name.XXXXXX"), and renamed over the target by commit()
/// only when every write succeeded and the data reached the disk; until
/// then, and after a failure, the old file stays as it was and no temporary
/// file is left. A named temporary file is locked (flock) for as long as its
/// writer has it, and open() removes the unlocked ones of this user beside
/// the target: the leftovers of a writer that was killed.
///
/// A target that exists and is not a regular file (a device such as
/// /dev/null, a FIFO, a socket) or is a folder is refused: open() fails and
/// the node stays as it is. A new file gets the permissions the umask allows
/// (or setPermissions()), an old one keeps its own. Nothing is written after
/// the first failed write.
class OutputFile
{
public:
    explicit OutputFile(QString path, LinkAtName links = LinkAtName::Follow);
    /// Discards the output unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    /// The permission bits the file gets, in place of the old file's own or
    /// the umask's; set before open().
    void setPermissions(uint32_t mode) { m_mode = mode; }
    /// Opens the output for writing; false with errorString() when it cannot.
    bool open();
    /// The device to write to once open (sequential, write-only); it stays
    /// this object's.
    QIODevice *device() const;
    /// True once a write has failed; errorString() says why.
    bool failed() const;
    /// Syncs the data to the disk and puts the file in place; false (the old
    /// file kept, errorString() set) when any write, the sync or the rename
    /// failed.
    bool commit();
    /// Drops what was written; the old file stays.
    void discard();
    /// The reason for the first failure: the system's ("No space left on
    /// device") or ours (a missing folder, a target that is not a regular file).
    QString errorString() const;
    /// The errno of the first failure; 0 when none. A missing folder is
    /// ENOENT, a target that is not a regular file EINVAL.
    int systemError() const;
    const QString &path() const { return m_path; }

private:
    class Device;
    QString m_path;
    LinkAtName m_links;
    std::optional<uint32_t> m_mode;
    std::unique_ptr<Device> m_device;
};

/// True when \a a and \a b name the same existing file (the same device and
/// inode, after following symbolic links): hard links and links included.
bool sameFile(const QString &a, const QString &b);

} // namespace qv::platform
