// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "setup/VerificaLibreria.h"

#include "platform/FileSystem.h"
#include "util/LetturaVersione.h"

#include <qvpreview/Error.h>

#include <QFile>

#include <elf.h>
#include <link.h>

#include <cstring>
#include <vector>

// The linker's name for the ELF header of the object that holds this code:
// its class, byte order and processor are this machine's.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace qv::VerificaLibreria {

namespace {

const QString Source = QStringLiteral("VerificaLibreria");

/// A library is a few megabytes; anything beyond this is not one.
constexpr int64_t DimensioneMassima = int64_t(1) << 30;

bool dentro(uint64_t size, uint64_t offset, uint64_t length)
{
    return offset <= size && length <= size - offset;
}

/// The table of \a count entries of \a entrySize bytes at \a offset, read
/// whole; false when it does not lie within the file.
bool tabella(uint64_t size, const ReadAt &readAt, uint64_t offset, uint64_t count, uint64_t entrySize,
             std::vector<char> &bytes)
{
    if (count > size / entrySize || !dentro(size, offset, count * entrySize))
        return false;
    bytes.resize(count * entrySize);
    if (!bytes.empty())
        readAt(offset, bytes.data(), bytes.size());
    return true;
}

template <typename T>
T voce(const std::vector<char> &table, uint64_t index)
{
    T entry;
    std::memcpy(&entry, table.data() + index * sizeof(T), sizeof(T));
    return entry;
}

} // namespace

Elf esamina(uint64_t size, const ReadAt &readAt)
{
    ElfW(Ehdr) header{};
    if (size < SELFMAG)
        return Elf::NonLibreria;
    readAt(0, reinterpret_cast<char *>(&header), SELFMAG);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Elf::NonLibreria;
    if (size < sizeof header)
        return Elf::Troncato;
    readAt(0, reinterpret_cast<char *>(&header), sizeof header);
    if (header.e_ident[EI_CLASS] != __ehdr_start.e_ident[EI_CLASS]
        || header.e_ident[EI_DATA] != __ehdr_start.e_ident[EI_DATA] || header.e_ident[EI_VERSION] != EV_CURRENT
        || header.e_type != ET_DYN || header.e_machine != __ehdr_start.e_machine)
        return Elf::NonLibreria;
    if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_shentsize != sizeof(ElfW(Shdr)) || header.e_shoff == 0)
        return Elf::Troncato;

    // The section headers first: with many sections or segments their counts
    // are kept in the first section header.
    std::vector<char> sections;
    if (!tabella(size, readAt, header.e_shoff, 1, sizeof(ElfW(Shdr)), sections))
        return Elf::Troncato;
    const ElfW(Shdr) first = voce<ElfW(Shdr)>(sections, 0);
    const uint64_t shnum = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    const uint64_t phnum = header.e_phnum != PN_XNUM ? header.e_phnum : first.sh_info;
    if (phnum == 0 || shnum == 0 || !tabella(size, readAt, header.e_shoff, shnum, sizeof(ElfW(Shdr)), sections))
        return Elf::Troncato;
    const uint64_t names = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
    if (names >= shnum)
        return Elf::Troncato;
    for (uint64_t i = 0; i < shnum; ++i) {
        const ElfW(Shdr) section = voce<ElfW(Shdr)>(sections, i);
        if (section.sh_type != SHT_NULL && section.sh_type != SHT_NOBITS
            && !dentro(size, section.sh_offset, section.sh_size))
            return Elf::Troncato;
    }

    std::vector<char> segments;
    if (!tabella(size, readAt, header.e_phoff, phnum, sizeof(ElfW(Phdr)), segments))
        return Elf::Troncato;
    for (uint64_t i = 0; i < phnum; ++i) {
        const ElfW(Phdr) segment = voce<ElfW(Phdr)>(segments, i);
        if (segment.p_type != PT_NULL && !dentro(size, segment.p_offset, segment.p_filesz))
            return Elf::Troncato;
    }
    return Elf::Intero;
}

void verifica(const QString &path, const QString &versione)
{
    QFile file;
    int errore = 0;
    switch (platform::openRegularFile(file, path, DimensioneMassima, &errore)) {
    case platform::OpenRegularResult::Opened: break;
    case platform::OpenRegularResult::NotFound: throw Error(ErrFileNotFound, Source).at(path);
    case platform::OpenRegularResult::NotRegular:
        throw Error(ErrPathFileAccess, Source, QStringLiteral("La libreria \"%1\" non è un file regolare").arg(path))
            .at(path);
    case platform::OpenRegularResult::TooLarge:
        throw Error(ErrDllLoad, Source, QStringLiteral("La libreria \"%1\" è troppo grande").arg(path)).at(path);
    case platform::OpenRegularResult::Failed:
        throw Error(ErrPathFileAccess, Source,
                    QStringLiteral("Impossibile aprire la libreria \"%1\": %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errore))))
            .at(path);
    }
    const uint64_t size = uint64_t(file.size());
    const ReadAt readAt = [&](uint64_t offset, char *buffer, size_t length) {
        if (!file.seek(qint64(offset)) || file.read(buffer, qint64(length)) != qint64(length))
            throw Error(ErrDeviceIO, Source).at(path);
    };

    const std::optional<LetturaVersione::FileVersion> letta = LetturaVersione::read(size, readAt);
    const QString trovata =
        letta ? QStringLiteral("%1.%2.%3.%4").arg(letta->major).arg(letta->minor).arg(letta->build).arg(letta->revision)
              : QStringLiteral("nessuna");
    if (trovata != versione)
        throw Error(ErrDllLoad, Source,
                    QStringLiteral("La libreria \"%1\" ha la versione %2 invece di %3").arg(path, trovata, versione))
            .at(path);
    switch (esamina(size, readAt)) {
    case Elf::Intero: return;
    case Elf::NonLibreria:
        throw Error(ErrDllLoad, Source,
                    QStringLiteral("Il file \"%1\" non è una libreria per questo sistema").arg(path))
            .at(path);
    case Elf::Troncato:
        throw Error(ErrDllLoad, Source,
                    QStringLiteral("La libreria \"%1\" è danneggiata: finisce prima delle sue parti (%2 byte)")
                        .arg(path)
                        .arg(size))
            .at(path);
    }
}

} // namespace qv::VerificaLibreria
