// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The control library's self-registration: its classes in the classes root
// of the key store, each under its programmatic identifier and its class
// identifier, served by this very library file.
#include <qvpreview/Registrazione.h>

#include "platform/FileSystem.h"
#include "platform/KeyStore.h"
#include "util/Registro.h"

#include <QString>

namespace qv {

namespace {

constexpr int32_t Riuscito = 0;                            // S_OK
constexpr int32_t ClasseNonScritta = int32_t(0x80040201u); // SELFREG_E_CLASS

struct Classe
{
    const char *progId;
    const char *clsid;
    const char *descrizione;
};

constexpr Classe Classi[] = {
    {"qvPreview.PrintPreview", "{D20F1AF3-C41C-458B-9FBD-EBE2A77D67F1}", "qvPreview PrintPreview"},
    {"qvPreview.CPalette", "{49B1B9F1-81F7-4658-B2B6-EB6210E7B755}", "qvPreview CPalette"},
    {"qvPreview.PageAnteprima", "{26D3E4C1-28A4-4B3D-9022-110A5B56F72C}", "qvPreview PageAnteprima"},
};

QString chiaveClasse(const Classe &c)
{
    return QStringLiteral("Clsid\\") + QLatin1String(c.clsid);
}

bool scrivi(const QString &chiave, const QString &valore)
{
    return Registro::ScriviValoreRegistro(Registro::HKEY_CLASSES_ROOT, chiave, QString(), valore, true);
}

} // namespace

} // namespace qv

extern "C" int32_t DllRegisterServer()
{
    using namespace qv;
    try {
        // The library as the caller loaded it: hosts find it by this path.
        const QString libreria = platform::moduleFile();
        if (libreria.isEmpty())
            return ClasseNonScritta;
        for (const Classe &c : Classi) {
            const QString progId = QLatin1String(c.progId);
            const QString clsid = QLatin1String(c.clsid);
            if (!scrivi(progId, QLatin1String(c.descrizione)) || !scrivi(progId + QStringLiteral("\\Clsid"), clsid)
                || !scrivi(chiaveClasse(c), QLatin1String(c.descrizione))
                || !scrivi(chiaveClasse(c) + QStringLiteral("\\InprocServer32"), libreria)
                || !scrivi(chiaveClasse(c) + QStringLiteral("\\ProgID"), progId))
                return ClasseNonScritta;
        }
        return Riuscito;
    } catch (...) {
        return ClasseNonScritta;
    }
}

extern "C" int32_t DllUnregisterServer()
{
    using namespace qv;
    try {
        int32_t result = Riuscito;
        for (const Classe &c : Classi) {
            for (const QString &chiave : {QString::fromLatin1(c.progId), chiaveClasse(c)}) {
                // A key that is not there is already unregistered.
                if (!Registro::CancellaChiaveRegistro(Registro::HKEY_CLASSES_ROOT, chiave)
                    && platform::KeyStore(platform::Hive::ClassesRoot).keyExists(chiave))
                    result = ClasseNonScritta;
            }
        }
        return result;
    } catch (...) {
        return ClasseNonScritta;
    }
}
