// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <cstdint>

/// The control library's self-registration, called by installers after they
/// load the library (qvUtilita::RegistraServer, the service-pack installer).
/// It registers the library's classes in the classes root of the key store:
/// for each programmatic identifier ("qvPreview.PrintPreview",
/// "qvPreview.CPalette", "qvPreview.PageAnteprima") the key
/// "<identifier>\Clsid" holds the class identifier, and
/// "Clsid\<class identifier>\InprocServer32" the full path of this library as
/// it was loaded. Both return 0 (S_OK) on success and SELFREG_E_CLASS
/// (0x80040201, a negative number) when the key store cannot be written.
extern "C" {

/// Writes the classes of this library into the key store, replacing any
/// earlier registration of them.
QV_EXPORT int32_t DllRegisterServer();

/// Removes the classes of this library from the key store (their keys and
/// every key below them); classes that are not registered are no failure.
QV_EXPORT int32_t DllUnregisterServer();

} // extern "C"
