// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Expansion of SZDD files (the LZSS format of MS-DOS and Windows "compress")
// with libmspack. libmspack does its I/O through a table of functions; ours
// reads the source that expandFile() opened (a regular file only) and writes
// into an OutputFile, so the expanded file appears under its name only when
// it is whole.
#include "platform/FileSystem.h"

#include <QFile>

#include <limits>

#include <mspack.h>

#include <cstdlib>
#include <cstring>

namespace qv::platform {

namespace {

/// One file that libmspack opened through our system table.
struct IoFile
{
    QIODevice *device = nullptr;
    bool owned = false;
    qint64 *written = nullptr; ///< the output's byte count
};

/// Our system table: libmspack's functions first, then what they need.
struct IoSystem
{
    mspack_system table{};
    QIODevice *input = nullptr;  ///< every file opened for reading is this one, already open
    QIODevice *output = nullptr; ///< every file opened for writing is this one
    qint64 written = 0;
};

IoSystem &systemOf(mspack_system *self)
{
    return *reinterpret_cast<IoSystem *>(self);
}

mspack_file *ioOpen(mspack_system *self, const char *filename, int mode)
{
    IoSystem &sys = systemOf(self);
    if (mode == MSPACK_SYS_OPEN_WRITE)
        return reinterpret_cast<mspack_file *>(new IoFile{sys.output, false, &sys.written});
    if (mode != MSPACK_SYS_OPEN_READ)
        return nullptr;
    Q_UNUSED(filename); // the source expandFile() opened, not a file opened again by its name
    if (!sys.input->seek(0))
        return nullptr;
    return reinterpret_cast<mspack_file *>(new IoFile{sys.input, false, nullptr});
}

void ioClose(mspack_file *handle)
{
    auto *file = reinterpret_cast<IoFile *>(handle);
    if (file && file->owned)
        delete file->device;
    delete file;
}

int ioRead(mspack_file *handle, void *buffer, int bytes)
{
    auto *file = reinterpret_cast<IoFile *>(handle);
    return int(file->device->read(static_cast<char *>(buffer), bytes));
}

int ioWrite(mspack_file *handle, void *buffer, int bytes)
{
    auto *file = reinterpret_cast<IoFile *>(handle);
    const qint64 done = file->device->write(static_cast<const char *>(buffer), bytes);
    if (done > 0 && file->written)
        *file->written += done;
    return int(done);
}

int ioSeek(mspack_file *handle, off_t offset, int mode)
{
    QIODevice *device = reinterpret_cast<IoFile *>(handle)->device;
    qint64 target = offset;
    if (mode == MSPACK_SYS_SEEK_CUR)
        target += device->pos();
    else if (mode == MSPACK_SYS_SEEK_END)
        target += device->size();
    return target >= 0 && device->seek(target) ? 0 : -1;
}

off_t ioTell(mspack_file *handle)
{
    return off_t(reinterpret_cast<IoFile *>(handle)->device->pos());
}

void ioMessage(mspack_file *, const char *, ...) {}

void *ioAlloc(mspack_system *, size_t bytes)
{
    return std::malloc(bytes);
}

void ioFree(void *pointer)
{
    std::free(pointer);
}

void ioCopy(void *source, void *destination, size_t bytes)
{
    std::memcpy(destination, source, bytes);
}

bool isSzdd(const QByteArray &head)
{
    static const char Normal[] = "SZDD\x88\xF0\x27\x33";
    static const char QBasic[] = "SZ \x88\xF0\x27\x33\xD1";
    return head.startsWith(QByteArray::fromRawData(Normal, 8)) || head.startsWith(QByteArray::fromRawData(QBasic, 8));
}

/// Expands \a source into \a output; true when it gave exactly the number of
/// bytes its header records, and at least one.
bool expandSzdd(QFile &source, QIODevice &output)
{
    IoSystem sys;
    sys.table =
        mspack_system{ioOpen, ioClose, ioRead, ioWrite, ioSeek, ioTell, ioMessage, ioAlloc, ioFree, ioCopy, nullptr};
    sys.input = &source;
    sys.output = &output;
    int selftest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selftest);
    if (selftest != MSPACK_ERR_OK)
        return false;
    msszdd_decompressor *decompressor = mspack_create_szdd_decompressor(&sys.table);
    if (!decompressor)
        return false;
    const QByteArray name = QFile::encodeName(source.fileName());
    bool whole = false;
    if (msszddd_header *header = decompressor->open(decompressor, name.constData())) {
        const int status = decompressor->extract(decompressor, header, "");
        whole = status == MSPACK_ERR_OK && header->length > 0 && sys.written == qint64(header->length);
        decompressor->close(decompressor, header);
    }
    mspack_destroy_szdd_decompressor(decompressor);
    return whole;
}

/// Copies \a source into \a output as it is; true when at least one byte was copied.
bool copyAsItIs(QFile &source, QIODevice &output)
{
    qint64 copied = 0;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = source.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (output.write(buffer, got) != got)
            return false;
        copied += got;
    }
    return copied > 0;
}

} // namespace

ExpandResult expandFile(const QString &source, const QString &destination)
{
    QFile input;
    if (openRegularFile(input, source, std::numeric_limits<int64_t>::max()) != OpenRegularResult::Opened)
        return ExpandResult::Failed;
    OutputFile output(destination);
    if (!output.open())
        return ExpandResult::Failed;
    const bool compressed = isSzdd(input.peek(8));
    const bool ok = compressed ? expandSzdd(input, *output.device()) : copyAsItIs(input, *output.device());
    if (!ok || !output.commit()) {
        output.discard();
        return ExpandResult::Failed;
    }
    return compressed ? ExpandResult::Expanded : ExpandResult::Copied;
}

} // namespace qv::platform
