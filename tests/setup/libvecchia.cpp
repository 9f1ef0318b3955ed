// SPDX-License-Identifier: MIT
// An older control library, for the installer tests: it carries the version
// record 1.2.0.47 and a function that hosts call, but no self-registration.
#include <qvpreview/VersionRecord.h>

namespace {

[[gnu::section("qv_version"), gnu::used]] const qv::VersionRecord Versione = {
    {'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'}, "qvPreview", 1, 2, 0, 47};

} // namespace

/// The revision of this library, as a host that has it loaded sees it.
extern "C" __attribute__((visibility("default"))) int qvprova_revisione()
{
    return Versione.revision;
}
