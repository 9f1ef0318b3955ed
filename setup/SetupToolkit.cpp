// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "setup/SetupToolkit.h"

#include "platform/Processi.h"

namespace qv::SetupToolkit {

int32_t DLLSelfRegister(const QString &path)
{
    const platform::EntryResult call = platform::callLibraryEntryPoint(path, "DllRegisterServer");
    switch (call.outcome) {
    case platform::EntryCall::NotLoaded: return NonCaricata;
    case platform::EntryCall::NoEntryPoint: return SenzaPuntoIngresso;
    case platform::EntryCall::Called: break;
    }
    return call.result < 0 ? Rifiutata : Registrata;
}

} // namespace qv::SetupToolkit
