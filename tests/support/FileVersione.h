// SPDX-License-Identifier: MIT
// Tiny ELF and PE files with a version, made byte by byte for the tests of
// the version reader and the installer: an ELF file with the version record
// section "qv_version", and a PE file with a version resource. Each builder
// takes the numbers and a few switches that damage one structure.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace qv::test {

/// Writes \a value as \a width little- or big-endian bytes at \a offset,
/// growing \a bytes when needed.
inline void put(QByteArray &bytes, qsizetype offset, uint64_t value, int width, bool bigEndian = false)
{
    if (bytes.size() < offset + width)
        bytes.resize(offset + width, '\0');
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (bigEndian ? width - 1 - i : i);
        bytes[offset + i] = char((value >> shift) & 0xFF);
    }
}

struct ElfOptions
{
    bool is64 = true;
    bool bigEndian = false;
    bool record = true;           ///< false: the section has another name
    const char *mark = "QVVERS1"; ///< the record's mark
    uint64_t sectionOffset = 0;   ///< 0: where the record really is
    uint16_t sectionCount = 3;    ///< e_shnum as written
};

/// An ELF file with three sections: none, "qv_version" holding the version
/// record (product "Prova"), and the section names.
inline QByteArray elfFile(uint16_t major, uint16_t minor, uint16_t patch, uint16_t revision, const ElfOptions &o = {})
{
    const bool be = o.bigEndian;
    const int word = o.is64 ? 8 : 4;
    const qsizetype header = o.is64 ? 64 : 52;
    const qsizetype recordAt = header;
    const qsizetype namesAt = recordAt + 40;
    const QByteArray names =
        o.record ? QByteArray("\0qv_version\0.shstrtab\0", 22) : QByteArray("\0qv_versioni\0shstrtab\0", 22);
    const qsizetype sectionsAt = (namesAt + names.size() + 7) / 8 * 8;
    const int entry = o.is64 ? 64 : 40;

    QByteArray f(sectionsAt + 3 * entry, '\0');
    f[0] = 0x7F;
    f[1] = 'E';
    f[2] = 'L';
    f[3] = 'F';
    f[4] = char(o.is64 ? 2 : 1);
    f[5] = char(be ? 2 : 1);
    f[6] = 1;
    put(f, 16, 3, 2, be);  // e_type: shared object
    put(f, 18, 62, 2, be); // e_machine
    put(f, 20, 1, 4, be);  // e_version
    put(f, o.is64 ? 0x28 : 0x20, uint64_t(sectionsAt), word, be);
    put(f, o.is64 ? 0x34 : 0x28, uint64_t(header), 2, be);
    put(f, o.is64 ? 0x3A : 0x2E, uint64_t(entry), 2, be);
    put(f, o.is64 ? 0x3C : 0x30, o.sectionCount, 2, be);
    put(f, o.is64 ? 0x3E : 0x32, 2, 2, be);

    // The record: mark, product, then the numbers little-endian.
    QByteArray mark(o.mark);
    mark.resize(8, '\0');
    f.replace(recordAt, 8, mark);
    f.replace(recordAt + 8, 5, "Prova");
    put(f, recordAt + 32, major, 2);
    put(f, recordAt + 34, minor, 2);
    put(f, recordAt + 36, patch, 2);
    put(f, recordAt + 38, revision, 2);
    f.replace(namesAt, names.size(), names);

    auto section = [&](int index, uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
        const qsizetype at = sectionsAt + index * entry;
        put(f, at, name, 4, be);
        put(f, at + 4, type, 4, be);
        put(f, at + (o.is64 ? 24 : 16), offset, word, be);
        put(f, at + (o.is64 ? 32 : 20), size, word, be);
    };
    section(1, 1, 1, o.sectionOffset ? o.sectionOffset : uint64_t(recordAt), 40);
    section(2, 12, 3, uint64_t(namesAt), uint64_t(names.size()));
    return f;
}

struct PeOptions
{
    bool pe32Plus = false;
    bool resources = true;      ///< false: no resource directory
    uint32_t blockRvaShift = 0; ///< moves the version block's address
    uint32_t blockSize = 0;     ///< 0: the block's real size
    uint16_t blockLength = 0;   ///< wLength; 0: the real length
    uint16_t valueLength = 52;  ///< wValueLength
    uint32_t signature = 0xFEEF04BDu;
    uint32_t sectionRawSize = 0; ///< 0: the section's real size
};

/// A PE file with one section ".rsrc" that holds a version resource whose
/// file version is \a major.\a minor.\a build.\a revision (the product
/// version is 9.9.9.9, so a reader that takes the wrong one shows).
inline QByteArray peFile(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision, const PeOptions &o = {})
{
    constexpr uint32_t SectionRva = 0x1000;
    constexpr qsizetype SectionAt = 512;
    const qsizetype optionalAt = 64 + 4 + 20;
    const uint16_t optionalSize = o.pe32Plus ? 240 : 224;
    const qsizetype tableAt = optionalAt + optionalSize;

    QByteArray f(SectionAt, '\0');
    f[0] = 'M';
    f[1] = 'Z';
    put(f, 0x3C, 64, 4);
    f.replace(64, 4, QByteArray("PE\0\0", 4));
    put(f, 68, 0x14C, 2);        // Machine
    put(f, 70, 1, 2);            // NumberOfSections
    put(f, 84, optionalSize, 2); // SizeOfOptionalHeader
    put(f, optionalAt, o.pe32Plus ? 0x20B : 0x10B, 2);
    const qsizetype directories = optionalAt + (o.pe32Plus ? 108 : 92);
    put(f, directories, 16, 4);

    // The resource tree: RT_VERSION (16) / 1 / 0x410, then the data entry.
    QByteArray r;
    put(r, 14, 1, 2);
    put(r, 16, 16, 4);
    put(r, 20, 0x80000000u | 24, 4);
    put(r, 24 + 14, 1, 2);
    put(r, 24 + 16, 1, 4);
    put(r, 24 + 20, 0x80000000u | 48, 4);
    put(r, 48 + 14, 1, 2);
    put(r, 48 + 16, 0x410, 4);
    put(r, 48 + 20, 72, 4);
    constexpr qsizetype BlockAt = 88;
    constexpr uint32_t RealBlock = 92;
    put(r, 72, SectionRva + BlockAt + o.blockRvaShift, 4);
    put(r, 76, o.blockSize ? o.blockSize : RealBlock, 4);
    // VS_VERSIONINFO with its VS_FIXEDFILEINFO.
    put(r, BlockAt, o.blockLength ? o.blockLength : RealBlock, 2);
    put(r, BlockAt + 2, o.valueLength, 2);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (int i = 0; i < 16; ++i)
        put(r, BlockAt + 6 + 2 * i, key[i], 2);
    const qsizetype info = BlockAt + 40;
    put(r, info, o.signature, 4);
    put(r, info + 4, 0x10000, 4);
    put(r, info + 8, uint32_t(major) << 16 | minor, 4);
    put(r, info + 12, uint32_t(build) << 16 | revision, 4);
    put(r, info + 16, 0x00090009u, 4);
    put(r, info + 20, 0x00090009u, 4);
    put(r, info + 51, 0, 1);

    if (o.resources) {
        put(f, directories + 4 + 2 * 8, SectionRva, 4);
        put(f, directories + 4 + 2 * 8 + 4, uint32_t(r.size()), 4);
    }
    f.replace(tableAt, 5, ".rsrc");
    put(f, tableAt + 8, uint32_t(r.size()), 4);
    put(f, tableAt + 12, SectionRva, 4);
    put(f, tableAt + 16, o.sectionRawSize ? o.sectionRawSize : uint32_t(r.size()), 4);
    put(f, tableAt + 20, SectionAt, 4);
    f += r;
    return f;
}

} // namespace qv::test
