// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The reader of file versions: the version record that our own ELF files
// (the control library, the installer) carry in their section "qv_version",
// and the fixed file information of the version resource of Windows PE files
// (programs and libraries). Every read is checked against the size of the
// file and of the block it belongs to, so a damaged or hostile file gives
// "no version" and never a read outside it.
#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace qv::LetturaVersione {

/// A file version: major, minor, build and revision (for our own files:
/// major, minor, patch and revision of the version record).
struct FileVersion
{
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0;
    uint16_t revision = 0;

    bool operator==(const FileVersion &) const = default;
};

/// Reads \a length bytes at \a offset into \a buffer. The reader calls it
/// only for ranges inside the file's size; it may throw on an I/O error.
using ReadAt = std::function<void(uint64_t offset, char *buffer, size_t length)>;

/// The version of a file of \a fileSize bytes read through \a readAt;
/// nullopt when it is neither an ELF file with a version record nor a PE file
/// with the fixed information of a version resource, or when the structures
/// that lead to it point outside the file.
std::optional<FileVersion> read(uint64_t fileSize, const ReadAt &readAt);

/// The same for a file held in memory.
std::optional<FileVersion> read(QByteArrayView bytes);

} // namespace qv::LetturaVersione
