// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The installer's own setup toolkit: self-registration of a library.
#pragma once

#include <QString>

#include <cstdint>

namespace qv::SetupToolkit {

/// The results of DLLSelfRegister().
enum EsitoRegistrazione : int32_t {
    Registrata = 0,         ///< the library registered itself
    NonCaricata = 1,        ///< the file could not be loaded as a shared library
    SenzaPuntoIngresso = 2, ///< the library has no DllRegisterServer
    Rifiutata = 3,          ///< DllRegisterServer reported a failure
};

/// Loads the library \a path and calls its DllRegisterServer; 0 when it
/// registered itself, else one of the other results (never a number whose
/// low 16 bits are 0).
int32_t DLLSelfRegister(const QString &path);

} // namespace qv::SetupToolkit
