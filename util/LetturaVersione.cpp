// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "util/LetturaVersione.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qv::LetturaVersione {

namespace {

/// Bounds-checked access to the file: every read names its range, and a
/// range that leaves the file gives nullopt without reading.
class Fonte
{
public:
    Fonte(uint64_t size, const ReadAt &readAt) : m_size(size), m_readAt(readAt) {}

    uint64_t size() const { return m_size; }

    bool contains(uint64_t offset, uint64_t length) const { return offset <= m_size && length <= m_size - offset; }

    bool bytes(uint64_t offset, char *buffer, size_t length) const
    {
        if (!contains(offset, length))
            return false;
        m_readAt(offset, buffer, length);
        return true;
    }

    /// An unsigned number of \a width bytes (1 to 8), little- or big-endian.
    std::optional<uint64_t> number(uint64_t offset, int width, bool bigEndian = false) const
    {
        unsigned char buffer[8];
        if (!bytes(offset, reinterpret_cast<char *>(buffer), size_t(width)))
            return std::nullopt;
        uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            value = (value << 8) | buffer[index];
        }
        return value;
    }

    std::optional<uint64_t> u16(uint64_t offset, bool be = false) const { return number(offset, 2, be); }
    std::optional<uint64_t> u32(uint64_t offset, bool be = false) const { return number(offset, 4, be); }
    std::optional<uint64_t> u64(uint64_t offset, bool be = false) const { return number(offset, 8, be); }

private:
    uint64_t m_size;
    const ReadAt &m_readAt;
};

// --- ELF: the version record in the section "qv_version" ---------------------

constexpr char SectionName[] = "qv_version";
constexpr char RecordMark[8] = {'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'};
constexpr uint64_t RecordSize = 40;
constexpr uint64_t RecordNumbers = 32; // offset of the four 16-bit numbers
constexpr uint32_t SectionNoBits = 8;  // SHT_NOBITS: the section has no bytes in the file

struct ElfLayout
{
    bool is64;
    bool bigEndian;
    uint64_t entryMin;   // the bytes of a section header this reader needs
    uint64_t offOffset;  // sh_offset within a section header
    uint64_t sizeOffset; // sh_size
    uint64_t linkOffset; // sh_link
    int wordWidth;       // width of sh_offset and sh_size
};

struct ElfSection
{
    uint32_t name;
    uint32_t type;
    uint64_t offset;
    uint64_t size;
    uint32_t link;
};

std::optional<ElfSection> elfSection(const Fonte &f, const ElfLayout &l, uint64_t header)
{
    const auto name = f.u32(header, l.bigEndian);
    const auto type = f.u32(header + 4, l.bigEndian);
    const auto offset = f.number(header + l.offOffset, l.wordWidth, l.bigEndian);
    const auto size = f.number(header + l.sizeOffset, l.wordWidth, l.bigEndian);
    const auto link = f.u32(header + l.linkOffset, l.bigEndian);
    if (!name || !type || !offset || !size || !link)
        return std::nullopt;
    return ElfSection{uint32_t(*name), uint32_t(*type), *offset, *size, uint32_t(*link)};
}

std::optional<FileVersion> readElf(const Fonte &f)
{
    unsigned char ident[6];
    if (!f.bytes(0, reinterpret_cast<char *>(ident), sizeof ident))
        return std::nullopt;
    if (ident[4] != 1 && ident[4] != 2)
        return std::nullopt;
    if (ident[5] != 1 && ident[5] != 2)
        return std::nullopt;
    ElfLayout l{};
    l.is64 = ident[4] == 2;
    l.bigEndian = ident[5] == 2;
    l.entryMin = l.is64 ? 48 : 32;
    l.offOffset = l.is64 ? 24 : 16;
    l.sizeOffset = l.is64 ? 32 : 20;
    l.linkOffset = l.is64 ? 40 : 24;
    l.wordWidth = l.is64 ? 8 : 4;

    const auto shoff = f.number(l.is64 ? 0x28 : 0x20, l.wordWidth, l.bigEndian);
    const auto shentsize = f.u16(l.is64 ? 0x3A : 0x2E, l.bigEndian);
    const auto shnumField = f.u16(l.is64 ? 0x3C : 0x30, l.bigEndian);
    const auto shstrndxField = f.u16(l.is64 ? 0x3E : 0x32, l.bigEndian);
    if (!shoff || !shentsize || !shnumField || !shstrndxField || *shoff == 0 || *shentsize < l.entryMin)
        return std::nullopt;

    // Many sections: the count and the index of the names' section are
    // kept in the first section header.
    uint64_t shnum = *shnumField;
    uint64_t shstrndx = *shstrndxField;
    if (shnum == 0 || shstrndx == 0xFFFF) {
        const auto first = elfSection(f, l, *shoff);
        if (!first)
            return std::nullopt;
        if (shnum == 0)
            shnum = first->size;
        if (shstrndx == 0xFFFF)
            shstrndx = first->link;
    }
    if (shnum == 0 || shstrndx >= shnum || shnum > f.size() / *shentsize || !f.contains(*shoff, shnum * *shentsize))
        return std::nullopt;

    const auto names = elfSection(f, l, *shoff + shstrndx * *shentsize);
    if (!names || names->type == SectionNoBits || !f.contains(names->offset, names->size))
        return std::nullopt;

    for (uint64_t i = 0; i < shnum; ++i) {
        const auto section = elfSection(f, l, *shoff + i * *shentsize);
        if (!section || section->type == SectionNoBits || section->size < RecordSize)
            continue;
        // The name, with its terminating NUL, must lie inside the names' section.
        if (section->name >= names->size || names->size - section->name < sizeof SectionName)
            continue;
        char name[sizeof SectionName];
        if (!f.bytes(names->offset + section->name, name, sizeof name)
            || std::memcmp(name, SectionName, sizeof name) != 0)
            continue;
        char record[RecordSize];
        if (!f.bytes(section->offset, record, sizeof record) || std::memcmp(record, RecordMark, sizeof RecordMark) != 0)
            continue;
        // The record's numbers are little-endian, whatever the file's byte order.
        const auto number = [&](int k) {
            return uint16_t(uint8_t(record[RecordNumbers + 2 * k]) | uint8_t(record[RecordNumbers + 2 * k + 1]) << 8);
        };
        return FileVersion{number(0), number(1), number(2), number(3)};
    }
    return std::nullopt;
}

// --- PE: the fixed file information of the version resource -----------------

constexpr uint32_t ResourceVersion = 16; // RT_VERSION
constexpr uint32_t SubdirectoryBit = 0x80000000u;
constexpr uint32_t FixedInfoSignature = 0xFEEF04BDu;
constexpr uint64_t FixedInfoSize = 52;
constexpr uint64_t FixedInfoOffset = 40; // header (6) + "VS_VERSION_INFO\0" (32) + padding (2)
constexpr char16_t VersionKey[] = u"VS_VERSION_INFO";

struct PeSection
{
    uint64_t virtualAddress;
    uint64_t rawSize;
    uint64_t rawOffset;
};

/// Where an address of the loaded image lies in the file, with the number
/// of the section's bytes from there on.
struct Mapped
{
    uint64_t offset;
    uint64_t available;
};

class PeImage
{
public:
    explicit PeImage(const Fonte &f) : m_f(f) {}

    bool open()
    {
        const auto lfanew = m_f.u32(0x3C);
        if (!lfanew)
            return false;
        char signature[4];
        if (!m_f.bytes(*lfanew, signature, 4) || std::memcmp(signature, "PE\0\0", 4) != 0)
            return false;
        const uint64_t coff = *lfanew + 4;
        const auto sections = m_f.u16(coff + 2);
        const auto optionalSize = m_f.u16(coff + 16);
        if (!sections || !optionalSize)
            return false;
        const uint64_t optional = coff + 20;
        const auto magic = m_f.u16(optional);
        if (!magic)
            return false;
        uint64_t countOffset = 0;
        if (*magic == 0x10B)
            countOffset = 92;
        else if (*magic == 0x20B)
            countOffset = 108;
        else
            return false;
        const auto directories = m_f.u32(optional + countOffset);
        const uint64_t resourceEntry = countOffset + 4 + 2 * 8;
        if (!directories || *directories <= 2 || resourceEntry + 8 > *optionalSize)
            return false;
        const auto rva = m_f.u32(optional + resourceEntry);
        const auto size = m_f.u32(optional + resourceEntry + 4);
        if (!rva || !size || *rva == 0 || *size == 0)
            return false;
        m_resourceRva = *rva;
        m_sectionTable = optional + *optionalSize;
        m_sections = *sections;
        return m_f.contains(m_sectionTable, m_sections * 40);
    }

    /// The file position of the image address \a rva.
    std::optional<Mapped> map(uint64_t rva) const
    {
        for (uint64_t i = 0; i < m_sections; ++i) {
            const uint64_t header = m_sectionTable + i * 40;
            const auto address = m_f.u32(header + 12);
            const auto rawSize = m_f.u32(header + 16);
            const auto rawOffset = m_f.u32(header + 20);
            if (!address || !rawSize || !rawOffset)
                return std::nullopt;
            if (rva < *address || rva - *address >= *rawSize)
                continue;
            const uint64_t offset = *rawOffset + (rva - *address);
            if (offset >= m_f.size())
                return std::nullopt;
            const uint64_t available = std::min(*rawSize - (rva - *address), m_f.size() - offset);
            return Mapped{offset, available};
        }
        return std::nullopt;
    }

    /// The entry of the resource directory at \a directory (an offset in the
    /// resource section) chosen by \a wanted, or its first entry of the kind
    /// \a subdirectory when \a wanted is empty. Gives its OffsetToData field.
    std::optional<uint32_t> entry(uint64_t directory, std::optional<uint32_t> wanted, bool subdirectory) const
    {
        const auto table = map(m_resourceRva + directory);
        if (!table || table->available < 16)
            return std::nullopt;
        const auto named = m_f.u16(table->offset + 12);
        const auto numbered = m_f.u16(table->offset + 14);
        if (!named || !numbered)
            return std::nullopt;
        const uint64_t count = *named + *numbered;
        if (16 + count * 8 > table->available)
            return std::nullopt;
        // Named entries come first; a wanted number is looked for after them.
        for (uint64_t i = wanted ? *named : 0; i < count; ++i) {
            const auto id = m_f.u32(table->offset + 16 + i * 8);
            const auto data = m_f.u32(table->offset + 16 + i * 8 + 4);
            if (!id || !data)
                return std::nullopt;
            if (wanted && *id != *wanted)
                continue;
            if (bool(*data & SubdirectoryBit) != subdirectory)
                continue;
            return uint32_t(*data);
        }
        return std::nullopt;
    }

    std::optional<FileVersion> version() const
    {
        // Three levels: the type RT_VERSION, the first name, the first language.
        const auto type = entry(0, ResourceVersion, true);
        if (!type)
            return std::nullopt;
        const auto name = entry(*type & ~SubdirectoryBit, std::nullopt, true);
        if (!name)
            return std::nullopt;
        const auto language = entry(*name & ~SubdirectoryBit, std::nullopt, false);
        if (!language)
            return std::nullopt;
        const auto dataEntry = map(m_resourceRva + *language);
        if (!dataEntry || dataEntry->available < 8)
            return std::nullopt;
        const auto blockRva = m_f.u32(dataEntry->offset);
        const auto blockSize = m_f.u32(dataEntry->offset + 4);
        if (!blockRva || !blockSize)
            return std::nullopt;
        const auto block = map(*blockRva);
        if (!block)
            return std::nullopt;
        return fixedInfo(block->offset, std::min<uint64_t>(*blockSize, block->available));
    }

private:
    /// The file version of the VS_VERSIONINFO block at \a offset, of which
    /// \a limit bytes belong to the resource.
    std::optional<FileVersion> fixedInfo(uint64_t offset, uint64_t limit) const
    {
        const auto length = m_f.u16(offset);
        const auto valueLength = m_f.u16(offset + 2);
        if (!length || !valueLength)
            return std::nullopt;
        const uint64_t blockLength = std::min<uint64_t>(*length, limit);
        if (*valueLength < FixedInfoSize || blockLength < FixedInfoOffset + FixedInfoSize)
            return std::nullopt;
        for (size_t i = 0; i < std::size(VersionKey); ++i) {
            const auto unit = m_f.u16(offset + 6 + 2 * i);
            if (!unit || *unit != VersionKey[i])
                return std::nullopt;
        }
        const uint64_t info = offset + FixedInfoOffset;
        const auto signature = m_f.u32(info);
        const auto fileVersionMS = m_f.u32(info + 8);
        const auto fileVersionLS = m_f.u32(info + 12);
        if (!signature || *signature != FixedInfoSignature || !fileVersionMS || !fileVersionLS)
            return std::nullopt;
        return FileVersion{uint16_t(*fileVersionMS >> 16), uint16_t(*fileVersionMS & 0xFFFF),
                           uint16_t(*fileVersionLS >> 16), uint16_t(*fileVersionLS & 0xFFFF)};
    }

    const Fonte &m_f;
    uint64_t m_resourceRva = 0;
    uint64_t m_sectionTable = 0;
    uint64_t m_sections = 0;
};

} // namespace

std::optional<FileVersion> read(uint64_t fileSize, const ReadAt &readAt)
{
    const Fonte f(fileSize, readAt);
    char magic[4];
    if (!f.bytes(0, magic, sizeof magic))
        return std::nullopt;
    if (std::memcmp(magic,
                    "\x7f"
                    "ELF",
                    4)
        == 0)
        return readElf(f);
    if (magic[0] == 'M' && magic[1] == 'Z') {
        PeImage image(f);
        return image.open() ? image.version() : std::nullopt;
    }
    return std::nullopt;
}

std::optional<FileVersion> read(QByteArrayView bytes)
{
    return read(uint64_t(bytes.size()), [&](uint64_t offset, char *buffer, size_t length) {
        std::memcpy(buffer, bytes.data() + offset, length);
    });
}

} // namespace qv::LetturaVersione
