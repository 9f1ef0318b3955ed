// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Volume serial numbers: what Windows calls the serial of a drive, taken on
// Linux from the file system's UUID (the names udev gives the block devices
// in /dev/disk/by-uuid) or, when the device has none there, from the file
// system id that statfs reports. Both are folded to 32 bits.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace qv::platform {

/// The folder of the UUID links to block devices.
inline constexpr char DiskUuidFolder[] = "/dev/disk/by-uuid";

/// The serial of the volume that \a path names: a block device itself, or
/// else the file system that holds the file or folder. Looks for the
/// device's UUID in \a uuidFolder (foldUuid()), else takes the file system
/// id of statfs (its two 32-bit halves combined by exclusive or); a block
/// device without a UUID there has no serial. nullopt when the path does not
/// exist or the system cannot tell.
std::optional<uint32_t> volumeSerial(const QString &path,
                                     const QString &uuidFolder = QString::fromLatin1(DiskUuidFolder));

/// A UUID text folded to 32 bits; dashes are ignored, the rest must be
/// hexadecimal digits. Up to 8 digits (a FAT serial "1234-ABCD") give their
/// value; 16 digits (an NTFS serial) give the low 32 bits, as Windows shows
/// them; longer texts give the exclusive or of their 32-bit words (counted
/// from the right). nullopt for an empty or non-hexadecimal text.
std::optional<uint32_t> foldUuid(const QString &uuid);

} // namespace qv::platform
