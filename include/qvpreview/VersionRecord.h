// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <cstdint>

namespace qv {

/// A version record as it is embedded in a built file: in the ELF section
/// "qv_version", so that a reader finds it without loading the file. The
/// layout is fixed: the mark "QVVERS1\0", the product name (NUL-padded), then
/// the four numbers major, minor, patch and revision as little-endian 16-bit
/// integers.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp VersionRecord
struct VersionRecord
{
    char mark[8];      ///< "QVVERS1\0"
    char product[24];  ///< the product name, NUL-padded
    uint16_t major;    ///< major version
    uint16_t minor;    ///< minor version
    uint16_t patch;    ///< patch number
    uint16_t revision; ///< revision (build) number
};
static_assert(sizeof(VersionRecord) == 40, "the embedded layout is fixed");

/// The control library's own version record (1.2.0.48 for this release).
QV_EXPORT const VersionRecord &libraryVersion();

} // namespace qv
