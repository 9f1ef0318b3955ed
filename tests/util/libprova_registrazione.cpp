// SPDX-License-Identifier: MIT
// A library that registers itself, for the registration tests: its entry
// points set and delete the value "Registrata" of the current-user key
// "Software\qvProva" and return $QV_PROVA_HRESULT (default 0, S_OK).
#include "util/Registro.h"

#include <QByteArray>

#include <cstdint>

namespace {

int32_t esito()
{
    const QByteArray value = qgetenv("QV_PROVA_HRESULT");
    return value.isEmpty() ? 0 : int32_t(value.toLongLong());
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer()
{
    qv::Registro::ScriviValoreRegistro(qv::Registro::HKEY_CURRENT_USER, QStringLiteral("Software\\qvProva"),
                                       QStringLiteral("Registrata"), QStringLiteral("1"), true);
    return esito();
}

extern "C" __attribute__((visibility("default"))) int32_t DllUnregisterServer()
{
    qv::Registro::CancellaValoreRegistro(qv::Registro::HKEY_CURRENT_USER, QStringLiteral("Software\\qvProva"),
                                         QStringLiteral("Registrata"));
    return esito();
}
