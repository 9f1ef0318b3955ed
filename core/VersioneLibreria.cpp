// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The control library's version record, in its own ELF section, where the
// about box, the command-line tool and any reader of the file find it.
#include <qvpreview/VersionRecord.h>

namespace qv {

namespace {

// Kept in its section even though nothing in the library refers to it by address.
[[gnu::section("qv_version"), gnu::used]] const VersionRecord VersioneLibreria = {
    {'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'},
    "qvPreview",
    QV_VERSION_MAJOR,
    QV_VERSION_MINOR,
    QV_VERSION_PATCH,
    QV_VERSION_TWEAK};

} // namespace

const VersionRecord &libraryVersion()
{
    return VersioneLibreria;
}

} // namespace qv
