// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The installer's own version record, in the ELF section where
// qvUtilita::GetVersione and any other reader of the file find it.
#include <qvpreview/VersionRecord.h>

namespace {

[[gnu::section("qv_version"), gnu::used]] const qv::VersionRecord VersioneSetup = {
    {'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'},
    "qvPreview Setup",
    QV_VERSION_MAJOR,
    QV_VERSION_MINOR,
    QV_VERSION_PATCH,
    QV_VERSION_TWEAK};

} // namespace
