// qvPreview - print preview for Qt applications.
// File-system services that Qt does not give: the running module, the kind
// of file system a folder is on, whether another process uses a file,
// exclusive creation with the reason of a failure, a lock that serialises
// the writers of one folder, and the expansion of SZDD-compressed files.
#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

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

/// Outcome of expandFile().
enum class ExpandResult {
    Expanded,  ///< an SZDD file was expanded into the destination
    Copied,    ///< an uncompressed file was copied as it is
    Failed,    ///< nothing written: source unreadable, damaged or empty, or destination unwritable
};

/// Expands the SZDD-compressed file \a source into \a destination, or copies
/// \a source as it is when it is not compressed. The result is written to a
/// temporary file in the destination's folder and renamed over the
/// destination only when it is whole, so a failure leaves no partial file and
/// an existing destination untouched. A compressed file must expand to
/// exactly the size its header records (a truncated or padded file fails);
/// an empty result counts as a failure.
ExpandResult expandFile(const QString &source, const QString &destination);

/// Copies \a source over \a target so that \a target is at every moment
/// either its old file or the whole new one: the copy goes to a temporary
/// file in the target's folder, is flushed to the disk and renamed over the
/// target. A program that has the old file open or mapped (a host running
/// the old library) keeps its copy. The target keeps its permissions; a new
/// target gets those of the source. Returns 0 on success, else the errno of
/// the failure (ENOENT for a missing source, ENOSPC or EFBIG when the disk
/// or the file size limit is full, ...); a failure leaves the target as it
/// was and no temporary file behind.
int replaceFile(const QString &source, const QString &target);

/// A file written whole or not at all. A regular file (or a new one) is
/// written to a hidden temporary file in its folder (a symbolic link's
/// target's folder) and renamed over it by commit() only when every write
/// succeeded and the data reached the disk; until then, and after a failure,
/// the old file stays as it was and no temporary file is left. A new file
/// gets the permissions the umask allows, an old one keeps its own. A target
/// that exists and is not a regular file (a device such as /dev/null, a
/// FIFO) is written directly, every write checked. Nothing is written after
/// the first failed write.
class OutputFile
{
public:
    explicit OutputFile(QString path);
    /// Discards the output unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    /// Opens the output for writing; false with errorString() when it cannot.
    bool open();
    /// The device to write to once open (sequential, write-only); it stays
    /// this object's.
    QIODevice *device() const;
    /// True once a write has failed; errorString() says why.
    bool failed() const;
    /// Syncs the data to the disk and puts the file in place; false (the old
    /// file kept, errorString() set) when any write, the sync, the close or
    /// the rename failed.
    bool commit();
    /// Drops what was written; the old file stays.
    void discard();
    /// The system's reason for the first failure ("No space left on device").
    QString errorString() const;
    /// The errno of the first failure; 0 when none, or when it was not the
    /// system's (a missing folder is ENOENT).
    int systemError() const;
    const QString &path() const { return m_path; }

private:
    class Device;
    QString m_path;
    std::unique_ptr<Device> m_device;
};

/// True when \a a and \a b name the same existing file (the same device and
/// inode, after following symbolic links): hard links and links included.
bool sameFile(const QString &a, const QString &b);

} // namespace qv::platform
