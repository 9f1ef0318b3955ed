// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "util/Registro.h"

#include "platform/KeyStore.h"

#include <QtEndian>

#include <optional>

namespace qv::Registro {

namespace {

std::optional<platform::KeyStore> storeOf(uint32_t hive)
{
    const std::optional<platform::Hive> known = platform::hiveFromHandle(hive);
    if (!known)
        return std::nullopt;
    return platform::KeyStore(*known);
}

/// The value as the registry's read gives it: false when it does not fit
/// the read buffer; a value of another type leaves \a valore as it was.
bool comeTesto(const platform::StoredValue &stored, QString &valore)
{
    if (stored.data.size() > ReadBufferBytes)
        return false;
    if (stored.type == platform::TextValue) {
        // The terminating NUL the text was stored with is not part of it.
        QByteArray data = stored.data;
        if (data.endsWith('\0'))
            data.chop(1);
        valore = QString::fromUtf8(data);
    } else if (stored.type == platform::NumberValue && stored.data.size() == 4) {
        valore = QString::number(qFromLittleEndian<int32_t>(stored.data.constData()));
    }
    return true;
}

platform::StoredValue numero(int32_t valore)
{
    QByteArray data(4, '\0');
    qToLittleEndian<int32_t>(valore, data.data());
    return platform::StoredValue{platform::NumberValue, data};
}

} // namespace

bool LeggiValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, QString &valore)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    const std::optional<platform::StoredValue> stored = store ? store->value(chiave, nome) : std::nullopt;
    if (!stored || !comeTesto(*stored, valore)) {
        valore.clear();
        return false;
    }
    return true;
}

bool ModificaValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, bool crea,
                            const std::function<Modifica(const std::optional<QString> &letto)> &decidi)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    return store && store->transaction([&](platform::KeyStore::Transaction &t) {
        if (crea && !t.createKey(chiave))
            return false;
        const platform::ReadResult read = t.read(chiave, nome);
        if (read.status == platform::ReadResult::Failed)
            return false;
        std::optional<QString> letto;
        QString testo;
        if (read.found() && comeTesto(read.value, testo))
            letto = testo;
        const Modifica modifica = decidi(letto);
        switch (modifica.azione) {
        case Modifica::ScriviDWord: return t.setValue(chiave, nome, numero(modifica.numero), false);
        case Modifica::Cancella: return t.deleteValue(chiave, nome);
        case Modifica::Annulla: break;
        }
        return false;
    });
}

bool ScriviValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, const QString &valore, bool crea)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    if (!store)
        return false;
    return store->setValue(chiave, nome, platform::StoredValue::text(valore), crea);
}

bool ScriviValoreDWord(uint32_t hive, const QString &chiave, const QString &nome, int32_t valore)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    if (!store)
        return false;
    return store->setValue(chiave, nome, numero(valore), false);
}

bool CancellaValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    return store && store->deleteValue(chiave, nome);
}

bool CreaChiaveRegistro(uint32_t hive, const QString &chiave)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    return store && store->createKey(chiave);
}

bool CancellaChiaveRegistro(uint32_t hive, const QString &chiave)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    return store && store->deleteKey(chiave);
}

bool LeggiAppPath(const QString &applicazione, QString &programma)
{
    static const QString AppPaths = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
    return LeggiValoreRegistro(HKEY_LOCAL_MACHINE, AppPaths + applicazione, QString(), programma);
}

} // namespace qv::Registro
