// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/FileSystem.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
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

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace qv::platform {

// --- The running module -----------------------------------------------------

QString moduleFile()
{
    // The link map of the object that holds this very function: a shared
    // library has its file name there, the program an empty one.
    Dl_info info{};
    link_map *map = nullptr;
    if (::dladdr1(reinterpret_cast<void *>(&moduleFile), &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) && map
        && map->l_name && map->l_name[0] != '\0')
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
    default: return false;
    }
}

bool isOnNetworkFileSystem(const QString &path)
{
    struct statfs info
    {};
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
            struct stat target
            {};
            if (::stat(QFile::encodeName(fdFolder + fd).constData(), &target) == 0 && target.st_dev == file.st_dev
                && target.st_ino == file.st_ino)
                return true;
        }
    }
    return false;
}

} // namespace

bool fileInUseByOthers(const QString &path)
{
    struct stat file
    {};
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

namespace {

/// Opens \a path for reading when it is a regular file of at most \a
/// maxBytes bytes; the descriptor (blocking) or -1 with \a result and \a
/// error saying why not.
int openRegular(const QString &path, int64_t maxBytes, OpenRegularResult &result, int &error)
{
    error = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        result = error == ENOENT || error == ENOTDIR ? OpenRegularResult::NotFound : OpenRegularResult::Failed;
        return -1;
    }
    struct stat info
    {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
        ::close(fd);
        result = OpenRegularResult::Failed;
        return -1;
    }
    if (!S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        ::close(fd);
        result = S_ISREG(info.st_mode) ? OpenRegularResult::TooLarge : OpenRegularResult::NotRegular;
        return -1;
    }
    // Blocking reads from here on: a regular file never blocks, and Qt's
    // reads expect a blocking descriptor.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    result = OpenRegularResult::Opened;
    return fd;
}

} // namespace

OpenRegularResult openRegularFile(QFile &file, const QString &path, int64_t maxBytes, int *errorNumber)
{
    OpenRegularResult result = OpenRegularResult::Failed;
    int error = 0;
    const int fd = openRegular(path, maxBytes, result, error);
    if (errorNumber)
        *errorNumber = error;
    if (fd < 0)
        return result;
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenRegularResult::Failed;
    }
    return OpenRegularResult::Opened;
}

OpenRegularResult readRegularFile(const QString &path, int64_t maxBytes, QByteArray &contents, int *errorNumber)
{
    contents.clear();
    OpenRegularResult result = OpenRegularResult::Failed;
    int error = 0;
    const int fd = openRegular(path, maxBytes, result, error);
    if (fd >= 0) {
        try {
            struct stat info
            {};
            ::fstat(fd, &info);
            constexpr int64_t Chunk = 64 * 1024;
            // One byte more than the limit shows a file that grew past it.
            const int64_t limit = maxBytes < std::numeric_limits<int64_t>::max() ? maxBytes + 1 : maxBytes;
            contents.reserve(qsizetype(std::min<int64_t>(info.st_size + 1, limit)));
            for (;;) {
                const int64_t room = std::min<int64_t>(Chunk, limit - contents.size());
                if (room <= 0) {
                    result = OpenRegularResult::TooLarge;
                    break;
                }
                const qsizetype had = contents.size();
                contents.resize(had + qsizetype(room));
                const ssize_t got = ::read(fd, contents.data() + had, size_t(room));
                const int readError = errno;
                contents.resize(had + std::max<qsizetype>(got, 0));
                if (got < 0 && readError == EINTR)
                    continue;
                if (got < 0) {
                    error = readError;
                    result = OpenRegularResult::Failed;
                    break;
                }
                if (got == 0)
                    break;
            }
        } catch (const std::bad_alloc &) {
            error = ENOMEM;
            result = OpenRegularResult::Failed;
        }
        ::close(fd);
        if (result != OpenRegularResult::Opened)
            contents = QByteArray();
    }
    if (errorNumber)
        *errorNumber = error;
    return result;
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

// --- Files replaced whole ------------------------------------------------------

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

/// A hidden name beside \a target for mkostemp ("dir/.name.XXXXXX"), so that
/// the rename over the target stays within one file system.
QByteArray hiddenTemporaryPattern(const QFileInfo &target)
{
    return QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                             + QStringLiteral(".XXXXXX"));
}

/// True when \a entry is a hidden temporary name of \a fileName: ".name."
/// and six letters or digits, as hiddenTemporaryPattern() gives them.
bool isTemporaryNameOf(const QString &entry, const QString &fileName)
{
    const QString prefix = QLatin1Char('.') + fileName + QLatin1Char('.');
    if (entry.size() != prefix.size() + 6 || !entry.startsWith(prefix))
        return false;
    for (const QChar c : QStringView(entry).right(6))
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    return true;
}

/// Removes the hidden temporary files of \a fileName in \a folder that this
/// user owns and no writer holds: a writer keeps its named temporary file
/// locked for as long as it has it, so an unlocked one is what a killed
/// writer left behind.
void removeLeftovers(const QString &folder, const QString &fileName)
{
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!isTemporaryNameOf(it.fileName(), fileName))
            continue;
        const QByteArray name = QFile::encodeName(path);
        struct stat named
        {};
        // Only regular files are opened: opening a device can act on it.
        if (::lstat(name.constData(), &named) != 0 || !S_ISREG(named.st_mode) || named.st_uid != ::geteuid())
            continue;
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat held
        {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(name.constData(), &named) == 0
            && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            ::unlink(name.constData());
        ::close(fd);
    }
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

int appendToFile(const QString &path, const QByteArray &bytes)
{
    // Without blocking: a FIFO without a reader would block the open.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return errno == ENXIO ? EINVAL : errno; // ENXIO: a FIFO without a reader
    struct stat info
    {};
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
    if (error == 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        // Appenders hold the lock for one write; one that keeps it (another
        // program locking the file) makes the append fail after two seconds.
        error = EWOULDBLOCK;
        for (int attempt = 0; attempt < 200 && error != 0; ++attempt) {
            error = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
            if (error == EWOULDBLOCK || error == EINTR)
                QThread::msleep(10);
            else if (error != 0)
                break;
        }
    }
    // The size under the lock is where this append begins.
    if (error == 0 && ::fstat(fd, &info) != 0)
        error = errno;
    if (error == 0 && !writeAll(fd, bytes.constData(), size_t(bytes.size()))) {
        error = errno;
        // Nothing more written than before the call: no half line stays.
        while (::ftruncate(fd, info.st_size) != 0 && errno == EINTR) {
        }
    }
    ::close(fd);
    return error;
}

QString fileToReplace(const QString &path, LinkAtName links)
{
    QString current = QFileInfo(path).absoluteFilePath();
    // Follows a chain of links as the kernel would, up to its own limit.
    for (int hop = 0; links == LinkAtName::Follow && hop < 40; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            break;
        current = QDir::cleanPath(info.symLinkTarget());
    }
    const QFileInfo info(current);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return current;
    return folder.endsWith(QLatin1Char('/')) ? folder + info.fileName() : folder + QLatin1Char('/') + info.fileName();
}

int replaceFile(const QString &source, const QString &target)
{
    // Without blocking: a FIFO as the source would block the open.
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (in < 0)
        return errno;
    struct stat sourceInfo
    {};
    const int statResult = ::fstat(in, &sourceInfo);
    if (statResult != 0 || !S_ISREG(sourceInfo.st_mode)) {
        const int error = statResult != 0 ? errno : EISDIR; // only a regular file is copied
        ::close(in);
        return error;
    }
    const int flags = ::fcntl(in, F_GETFL);
    if (flags >= 0)
        ::fcntl(in, F_SETFL, flags & ~O_NONBLOCK);
    struct stat targetInfo
    {};
    const bool oldRegular =
        ::stat(QFile::encodeName(target).constData(), &targetInfo) == 0 && S_ISREG(targetInfo.st_mode);

    OutputFile out(target, LinkAtName::Replace);
    out.setPermissions((oldRegular ? targetInfo.st_mode : sourceInfo.st_mode) & 07777);
    int error = 0;
    if (out.open()) {
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(in, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = errno;
                break;
            }
            if (got == 0 || out.device()->write(buffer, got) != got)
                break;
        }
        if (error != 0)
            out.discard();
        else
            out.commit();
    }
    ::close(in);
    if (error == 0)
        error = out.systemError();
    return error;
}

int writeFileWhole(const QString &path, const QByteArray &contents, LinkAtName links, std::optional<uint32_t> mode)
{
    OutputFile out(path, links);
    if (mode)
        out.setPermissions(*mode);
    if (out.open() && out.device()->write(contents) == contents.size())
        out.commit();
    else
        out.discard();
    return out.systemError();
}

/// The open output: a file descriptor under a QIODevice that keeps the errno
/// of the first failed write.
class OutputFile::Device : public QIODevice
{
public:
    int fd = -1;
    int error = 0;        // errno of the first failure
    QString what;         // what failed, when the system's text would not say it
    QByteArray temporary; // the temporary file's name, or its pattern while it has none
    bool named = false;   // temporary names the file (else the file has no name yet)
    QByteArray target;

    bool isSequential() const override { return true; }

    void fail(int e)
    {
        if (error == 0 && what.isEmpty())
            error = e;
    }
    void fail(int e, const QString &text)
    {
        if (error == 0 && what.isEmpty()) {
            error = e;
            what = text;
        }
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        if (error != 0 || !what.isEmpty() || fd < 0)
            return -1;
        if (!writeAll(fd, data, size_t(length))) {
            fail(errno);
            setErrorString(qt_error_string(error));
            return -1;
        }
        return length;
    }
};

OutputFile::OutputFile(QString path, LinkAtName links) : m_path(std::move(path)), m_links(links) {}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open()
{
    discard();
    m_device = std::make_unique<Device>();
    Device &d = *m_device;
    const QString target = fileToReplace(m_path, m_links);
    const QByteArray to = QFile::encodeName(target);
    struct stat info
    {};
    const bool exists = ::lstat(to.constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        d.fail(EISDIR);
        return false;
    }
    if (exists && S_ISLNK(info.st_mode) && m_links == LinkAtName::Follow) {
        d.fail(ELOOP); // more links than the kernel follows
        return false;
    }
    if (exists && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        // A device, a FIFO or a socket is never replaced by a regular file
        // (as root, /dev/null would become one) nor written to.
        d.fail(EINVAL, QCoreApplication::translate("qv::FileSystem", "non è un file regolare (un dispositivo, una FIFO "
                                                                     "o un socket non viene sostituito)"));
        return false;
    }
    const QFileInfo targetInfo(target);
    if (!QFileInfo(targetInfo.absolutePath()).isDir()) {
        d.fail(ENOENT, QCoreApplication::translate("qv::FileSystem", "la cartella \"%1\" non esiste")
                           .arg(targetInfo.absolutePath()));
        return false;
    }
    removeLeftovers(targetInfo.absolutePath(), targetInfo.fileName());
    d.target = to;
    d.temporary = hiddenTemporaryPattern(targetInfo);
    // A file without a name until commit() leaves nothing behind when the
    // process is killed half-way; it is named later through /proc, so that
    // has to be there. File systems without O_TMPFILE get a named file.
    d.fd = ::access("/proc/self/fd", X_OK) == 0 ? ::open(QFile::encodeName(targetInfo.absolutePath()).constData(),
                                                         O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                                                : -1;
    if (d.fd < 0) {
        d.fd = ::mkostemp(d.temporary.data(), O_CLOEXEC);
        d.named = d.fd >= 0;
    }
    if (d.fd < 0) {
        d.fail(errno);
        return false;
    }
    // Held while it exists: removeLeftovers() of another writer leaves it alone.
    ::flock(d.fd, LOCK_EX);
    struct stat old
    {};
    const mode_t mode = m_mode                                                      ? mode_t(*m_mode)
                        : ::stat(to.constData(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode & 07777
                                                                                    : newFileMode();
    if (::fchmod(d.fd, mode) != 0) {
        d.fail(errno);
        discard(); // the failure stays recorded
        return false;
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
        if (!m_device)
            m_device = std::make_unique<Device>();
        m_device->fail(EBADF, QCoreApplication::translate("qv::FileSystem", "il file non è stato aperto"));
        return false;
    }
    Device &d = *m_device;
    if (!failed() && ::fsync(d.fd) != 0)
        d.fail(errno);
    if (!failed() && !d.named) {
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
        if (linked != 0)
            d.fail(errno);
        d.named = linked == 0;
    }
    // Renamed while still open and locked, so that no other writer takes
    // it for a leftover.
    if (!failed() && ::rename(d.temporary.constData(), d.target.constData()) != 0)
        d.fail(errno);
    if (failed() && d.named)
        ::unlink(d.temporary.constData());
    ::close(d.fd);
    d.fd = -1;
    d.named = false;
    d.temporary.clear();
    d.close();
    if (failed())
        return false;
    syncFolder(QFileInfo(QFile::decodeName(d.target)).absolutePath());
    return true;
}

void OutputFile::discard()
{
    if (!m_device)
        return;
    Device &d = *m_device;
    if (d.named)
        ::unlink(d.temporary.constData());
    if (d.fd >= 0)
        ::close(d.fd);
    d.fd = -1;
    d.named = false;
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
    return m_device ? m_device->error : 0;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first
    {};
    struct stat second
    {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

} // namespace qv::platform
