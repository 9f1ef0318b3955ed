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

} // namespace

bool LeggiValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, QString &valore)
{
    const std::optional<platform::KeyStore> store = storeOf(hive);
    const std::optional<platform::StoredValue> stored = store ? store->value(chiave, nome) : std::nullopt;
    if (!stored || stored->data.size() > ReadBufferBytes) {
        valore.clear();
        return false;
    }
    if (stored->type == platform::TextValue) {
        // The terminating NUL the text was stored with is not part of it.
        QByteArray data = stored->data;
        if (data.endsWith('\0'))
            data.chop(1);
        valore = QString::fromUtf8(data);
    } else if (stored->type == platform::NumberValue && stored->data.size() == 4) {
        valore = QString::number(qFromLittleEndian<int32_t>(stored->data.constData()));
    }
    return true;
}

bool ScriviValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, const QString &valore,
                          bool crea)
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
    QByteArray data(4, '\0');
    qToLittleEndian<int32_t>(valore, data.data());
    return store->setValue(chiave, nome, platform::StoredValue{platform::NumberValue, data}, false);
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
