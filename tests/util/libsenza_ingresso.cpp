// SPDX-License-Identifier: MIT
// A library that uses the control library but does not register itself: it
// links libqvpreview (so the loader brings in libqvpreview's DllRegisterServer
// and DllUnregisterServer with it) and defines no entry point of its own. It
// carries the control library's version record, as a plug-in built in the
// same release would, so that it also stands for a library of the right
// version that cannot register.
#include <qvpreview/VersionRecord.h>

namespace {

[[gnu::section("qv_version"), gnu::used]] const qv::VersionRecord Versione = {{'Q', 'V', 'V', 'E', 'R', 'S', '1', '\0'},
                                                                              "qvPreview",
                                                                              QV_VERSION_MAJOR,
                                                                              QV_VERSION_MINOR,
                                                                              QV_VERSION_PATCH,
                                                                              QV_VERSION_TWEAK};

} // namespace

/// The control library's revision, as this plug-in sees it.
extern "C" __attribute__((visibility("default"))) int qvprova_revisione_controllo()
{
    return qv::libraryVersion().revision;
}
