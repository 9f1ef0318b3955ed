// qvPreview - print preview for Qt applications.
#include "platform/FileSystem.h"
#include "platform/Sistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv::platform {

// --- The running module -----------------------------------------------------

QString moduleFile()
{
    // The link map of the object that holds this very function: a shared
    // library has its file name there, the program an empty one.
    Dl_info info{};
    link_map *map = nullptr;
    if (::dladdr1(reinterpret_cast<void *>(&moduleFile), &info, reinterpret_cast<void **>(&map),
                  RTLD_DL_LINKMAP)
        && map && map->l_name && map->l_name[0] != '\0')
        return QFileInfo(QFile::decodeName(map->l_name)).absoluteFilePath();
    return programFile();
}

QString moduleFolder()
{
    const QString file = moduleFile();
    return file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
}

// --- Network file systems ---------------------------------------------------

bool isNetworkFileSystemType(int64_t magic)
{
    // The f_type numbers of linux/magic.h (and the file systems' own headers).
    switch (uint32_t(magic)) {
    case 0x6969u:     // NFS
    case 0x517Bu:     // SMB
    case 0xFF534D42u: // CIFS
    case 0xFE534D42u: // SMB2/3
    case 0x73757245u: // Coda
    case 0x5346414Fu: // AFS
    case 0x6B414653u: // kAFS
    case 0x00C36400u: // Ceph
    case 0x01021997u: // 9P
    case 0x564Cu:     // NCP (NetWare)
    case 0x0BD00BD0u: // Lustre
        return true;
    default:
        return false;
    }
}

bool isOnNetworkFileSystem(const QString &path)
{
    struct statfs info{};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return isNetworkFileSystemType(int64_t(info.f_type));
}

// --- Files in use -------------------------------------------------------------

namespace {

/// True when /proc/locks lists a lock on the file (device, inode) that a
/// process other than this one holds. Waiting requests ("->") are not locks.
bool lockedByOthers(const struct stat &file)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray own = QByteArray::number(::getpid());
    // "1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF": the device numbers
    // in hexadecimal, the inode in decimal.
    const QByteArray where = QByteArray::number(major(file.st_dev), 16).rightJustified(2, '0') + ':'
                             + QByteArray::number(minor(file.st_dev), 16).rightJustified(2, '0') + ':'
                             + QByteArray::number(quint64(file.st_ino));
    // Files of /proc report a size of 0: read them whole, not up to their size.
    const QList<QByteArray> lines = locks.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) == "->")
            continue;
        if (fields.at(5) == where && fields.at(4) != own)
            return true;
    }
    return false;
}

/// True when another process holds the file (device, inode) open, in any
/// mode: a reader keeps a file in use as much as a writer does (a program
/// that opens it to replace or delete it would pull it from under the
/// reader).
bool openByOthers(const struct stat &file)
{
    const QString self = QString::number(::getpid());
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : processes) {
        if (pid == self || !pid.front().isDigit())
            continue;
        const QString fdFolder = QStringLiteral("/proc/") + pid + QStringLiteral("/fd/");
        const QStringList fds = QDir(fdFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : fds) {
            // stat follows the descriptor's link to the open file itself,
            // whatever name it was opened by (or none, once deleted).
            struct stat target{};
            if (::stat(QFile::encodeName(fdFolder + fd).constData(), &target) == 0
                && target.st_dev == file.st_dev && target.st_ino == file.st_ino)
                return true;
        }
    }
    return false;
}

} // namespace

bool fileInUseByOthers(const QString &path)
{
    struct stat file{};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return false;
    return lockedByOthers(file) || openByOthers(file);
}

// --- Exclusive creation and folder locks ---------------------------------------

int createNewFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

OpenRegularResult openRegularFile(QFile &file, const QString &path, int64_t maxBytes, int *errorNumber)
{
    if (errorNumber)
        *errorNumber = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (errorNumber)
            *errorNumber = error;
        return error == ENOENT || error == ENOTDIR ? OpenRegularResult::NotFound : OpenRegularResult::Failed;
    }
    struct stat info{};
    if (::fstat(fd, &info) != 0) {
        if (errorNumber)
            *errorNumber = errno;
        ::close(fd);
        return OpenRegularResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return OpenRegularResult::NotRegular;
    }
    if (info.st_size > maxBytes) {
        ::close(fd);
        return OpenRegularResult::TooLarge;
    }
    // Blocking reads from here on: a regular file never blocks, and Qt's
    // reads expect a blocking descriptor.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenRegularResult::Failed;
    }
    return OpenRegularResult::Opened;
}

FolderLock::FolderLock(const QString &folder)
{
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    // Writers hold the lock for the time of one small rewrite; a holder that
    // never lets go (a stopped process) is waited for ten seconds at most.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        QThread::msleep(10);
    }
    ::close(m_fd);
    m_fd = -1;
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

// --- Replacing a file --------------------------------------------------------

namespace {

/// Writes all of \a length bytes, going on after short writes.
bool writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= size_t(written);
    }
    return true;
}

/// Copies the open file \a from into \a to; 0 or the errno of the failure.
int copyContents(int from, int to)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (!writeAll(to, buffer, size_t(got)))
            return errno;
    }
}

/// A hidden name beside \a target for mkostemp ("dir/.name.XXXXXX"), so that
/// the rename over the target stays within one file system.
QByteArray hiddenTemporaryPattern(const QFileInfo &target)
{
    return QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                             + QStringLiteral(".XXXXXX"));
}

/// Syncs the folder \a folder, so that a rename in it reaches the disk.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int replaceFile(const QString &source, const QString &target)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat sourceInfo{};
    struct stat targetInfo{};
    const int statResult = ::fstat(in, &sourceInfo);
    if (statResult != 0 || !S_ISREG(sourceInfo.st_mode)) {
        const int error = statResult != 0 ? errno : EISDIR; // only a regular file is copied
        ::close(in);
        return error;
    }
    const mode_t mode = (::stat(to.constData(), &targetInfo) == 0 && S_ISREG(targetInfo.st_mode)
                             ? targetInfo.st_mode
                             : sourceInfo.st_mode)
                        & 07777;

    const QFileInfo targetFile(target);
    QByteArray temporary = hiddenTemporaryPattern(targetFile);
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = copyContents(in, out);
    ::close(in);
    if (error == 0 && ::fchmod(out, mode) != 0)
        error = errno;
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), to.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return error;
    }
    syncFolder(targetFile.absolutePath());
    return 0;
}

// --- Output written whole or not at all ---------------------------------------

/// The open output: a file descriptor under a QIODevice that keeps the errno
/// of the first failed write.
class OutputFile::Device : public QIODevice
{
public:
    int fd = -1;
    int error = 0;         // errno of the first failure
    QString what;          // what failed, when it is not the system's errno
    QByteArray temporary;  // empty when writing to the target directly
    bool anonymous = false; // temporary is only a name pattern until commit() links the file there
    QByteArray target;

    bool isSequential() const override { return true; }

    void fail(int e)
    {
        if (error == 0 && what.isEmpty())
            error = e;
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        if (error != 0 || fd < 0)
            return -1;
        if (!writeAll(fd, data, size_t(length))) {
            fail(errno);
            setErrorString(qt_error_string(error));
            return -1;
        }
        return length;
    }
};

namespace {

/// The permission bits of a new file: 0666 less the process's umask, read
/// without changing it.
mode_t newFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return 0666 & ~mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 0644;
}

} // namespace

OutputFile::OutputFile(QString path) : m_path(std::move(path)) {}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open()
{
    discard();
    m_device = std::make_unique<Device>();
    Device &d = *m_device;
    const QByteArray path = QFile::encodeName(m_path);
    struct stat info{};
    const bool exists = ::stat(path.constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        d.fail(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a FIFO cannot be replaced by renaming a file over it
        // (and root could: /dev/full would become a regular file).
        do {
            d.fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        } while (d.fd < 0 && errno == EINTR);
        if (d.fd < 0) {
            d.fail(errno);
            return false;
        }
    } else {
        // Through a symbolic link, the file it points at is replaced, not the link.
        const QFileInfo link(m_path);
        QString target = exists ? link.canonicalFilePath() : m_path;
        if (!exists && link.isSymLink())
            target = link.symLinkTarget();
        const QFileInfo targetInfo(target);
        if (!QFileInfo(targetInfo.absolutePath()).isDir()) {
            d.what = QStringLiteral("la cartella \"%1\" non esiste").arg(targetInfo.absolutePath());
            return false;
        }
        d.target = QFile::encodeName(targetInfo.absoluteFilePath());
        d.temporary = hiddenTemporaryPattern(targetInfo);
        // A file without a name until commit() leaves nothing behind when
        // the process is killed half-way; file systems without O_TMPFILE get
        // a named temporary file.
        // The file is named later through /proc, so that has to be there.
        d.fd = ::access("/proc/self/fd", X_OK) == 0
                   ? ::open(QFile::encodeName(targetInfo.absolutePath()).constData(),
                            O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                   : -1;
        d.anonymous = d.fd >= 0;
        if (!d.anonymous)
            d.fd = ::mkostemp(d.temporary.data(), O_CLOEXEC);
        if (d.fd < 0) {
            d.fail(errno);
            d.temporary.clear();
            return false;
        }
        if (::fchmod(d.fd, exists ? info.st_mode & 07777 : newFileMode()) != 0) {
            d.fail(errno);
            discard();
            return false;
        }
    }
    d.QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

QIODevice *OutputFile::device() const
{
    return m_device.get();
}

bool OutputFile::failed() const
{
    return m_device && (m_device->error != 0 || !m_device->what.isEmpty());
}

bool OutputFile::commit()
{
    if (!m_device || m_device->fd < 0) {
        if (!m_device) {
            m_device = std::make_unique<Device>();
            m_device->what = QStringLiteral("il file non è stato aperto");
        }
        return false;
    }
    Device &d = *m_device;
    // A device that cannot be synced (a terminal, /dev/null) is not an error.
    if (!failed() && ::fsync(d.fd) != 0 && !(d.temporary.isEmpty() && (errno == EINVAL || errno == EROFS)))
        d.fail(errno);
    if (!failed() && d.anonymous) {
        // Give the file its temporary name, then rename it over the target.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(d.fd);
        const QByteArray pattern = d.temporary;
        int linked = -1;
        for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
            d.temporary = pattern;
            d.temporary.chop(6);
            d.temporary += QByteArray::number(QRandomGenerator::global()->bounded(1000000)).rightJustified(6, '0');
            linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, d.temporary.constData(), AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno != EEXIST)
                break;
        }
        if (linked != 0) {
            d.fail(errno);
            d.temporary.clear();
        }
        d.anonymous = false;
    }
    if (::close(d.fd) != 0 && errno != EINTR)
        d.fail(errno);
    d.fd = -1;
    d.close();
    if (d.anonymous)
        d.temporary.clear(); // nothing was linked: closing dropped the file
    if (!d.temporary.isEmpty()) {
        if (!failed() && ::rename(d.temporary.constData(), d.target.constData()) != 0)
            d.fail(errno);
        if (failed()) {
            ::unlink(d.temporary.constData());
            d.temporary.clear();
            return false;
        }
        d.temporary.clear();
        syncFolder(QFileInfo(QFile::decodeName(d.target)).absolutePath());
    }
    return !failed();
}

void OutputFile::discard()
{
    if (!m_device)
        return;
    Device &d = *m_device;
    if (d.fd >= 0)
        ::close(d.fd);
    d.fd = -1;
    if (!d.temporary.isEmpty() && !d.anonymous)
        ::unlink(d.temporary.constData());
    d.temporary.clear();
    if (d.isOpen())
        d.close();
}

QString OutputFile::errorString() const
{
    if (!m_device)
        return {};
    if (!m_device->what.isEmpty())
        return m_device->what;
    return m_device->error != 0 ? qt_error_string(m_device->error) : QString();
}

int OutputFile::systemError() const
{
    if (!m_device)
        return 0;
    return m_device->error != 0 ? m_device->error : m_device->what.isEmpty() ? 0 : ENOENT;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first{};
    struct stat second{};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

} // namespace qv::platform
