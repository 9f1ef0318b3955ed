// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The registry helpers of qvUtilita: text and 32-bit number values of the
// key store (platform/KeyStore.h), read and written the way the class's
// operations expect them. Hives are passed as their handles.
#pragma once

#include "platform/KeyStore.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace qv::Registro {

/// The handles of the hives, as the key store defines them.
constexpr uint32_t HKEY_CLASSES_ROOT = static_cast<uint32_t>(platform::Hive::ClassesRoot);
constexpr uint32_t HKEY_CURRENT_USER = static_cast<uint32_t>(platform::Hive::CurrentUser);
constexpr uint32_t HKEY_LOCAL_MACHINE = static_cast<uint32_t>(platform::Hive::LocalMachine);

/// The size of the read buffer in bytes: a text value is read whole when its
/// UTF-8 bytes and the terminating NUL fit (up to 1023 bytes of text).
constexpr int ReadBufferBytes = 1024;

/// Reads the value \a nome ("" for the default value) of the key \a chiave.
/// A text value comes back as it is, a 32-bit number as its decimal text
/// ("-1", "42"); a value of any other type leaves \a valore unchanged. False,
/// with \a valore empty, when the key or the value is missing, the value does
/// not fit the read buffer, the hive handle is unknown or the store cannot be
/// read.
bool LeggiValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, QString &valore);

/// What ModificaValoreRegistro does with the value it has read.
struct Modifica
{
    enum Azione {
        Annulla,     ///< nothing: the call fails
        ScriviDWord, ///< write \a numero as a 32-bit number value
        Cancella,    ///< delete the value (the call fails when there is none)
    } azione = Annulla;
    int32_t numero = 0;
};

/// Reads the value \a nome of the key \a chiave as LeggiValoreRegistro reads
/// it (nullopt where that gives false) and applies what \a decidi makes of
/// it, in one transaction of the store that holds the write lock from before
/// the read to the end: no other process's change falls between the read and
/// the write. With \a crea the key is created first when missing. False, and
/// nothing changed, when the store cannot be read or written (also when
/// another process keeps it locked beyond the bounded wait), when \a decidi
/// says Annulla, or when a value to delete does not exist.
bool ModificaValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, bool crea,
                            const std::function<Modifica(const std::optional<QString> &letto)> &decidi);

/// Writes \a valore as the text value \a nome of the key \a chiave, creating
/// the key (and the levels above it) when \a crea is true. False when the key
/// is missing and \a crea is false (nothing is created), or the store cannot
/// be written.
bool ScriviValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome, const QString &valore, bool crea);

/// Writes \a valore as the 32-bit number value \a nome of the existing key
/// \a chiave. False when the key is missing or the store cannot be written.
bool ScriviValoreDWord(uint32_t hive, const QString &chiave, const QString &nome, int32_t valore);

/// Deletes the value \a nome of the key \a chiave; false when the key or the
/// value is missing or the store cannot be written.
bool CancellaValoreRegistro(uint32_t hive, const QString &chiave, const QString &nome);

/// Creates the key \a chiave and the levels above it; true when it exists
/// afterwards.
bool CreaChiaveRegistro(uint32_t hive, const QString &chiave);

/// Deletes the key \a chiave with its values and every key below it; false
/// when it is missing or the store cannot be written.
bool CancellaChiaveRegistro(uint32_t hive, const QString &chiave);

/// Reads the program that the App Paths entry of \a applicazione records
/// (default value of the local-machine key
/// "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\" + \a applicazione)
/// into \a programma; false, with \a programma empty, when there is none.
bool LeggiAppPath(const QString &applicazione, QString &programma);

} // namespace qv::Registro
