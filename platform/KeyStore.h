// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The persistent key store: a tree of keys holding typed values, one SQLite
// database per hive. Key paths and value names are matched without regard to
// case; the empty value name is the key's default value. Reads never create
// anything; a damaged or unreadable database refuses writes, and its reads
// say that they failed. Only regular files are opened as databases.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace qv::platform {

/// The hives, by the handles callers pass for them.
enum class Hive : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

/// The hive of a handle; nullopt for a handle that names none of the three.
std::optional<Hive> hiveFromHandle(uint32_t handle);

/// Value types.
enum ValueType : uint32_t {
    TextValue = 1,   ///< text, stored with its terminating NUL byte
    NumberValue = 4, ///< 32-bit number, 4 bytes little-endian
};

/// One stored value: its type and its bytes exactly as written.
struct StoredValue
{
    uint32_t type = 0;
    QByteArray data;

    /// A text value: \a text in UTF-8 with its terminating NUL byte.
    static StoredValue text(const QString &text)
    {
        QByteArray data = text.toUtf8();
        data.append('\0');
        return StoredValue{TextValue, data};
    }

    bool operator==(const StoredValue &) const = default;
};

/// The outcome of one read: the value, no such value (or key, or database),
/// or a read that failed (the database locked beyond the bounded wait, an
/// I/O error, a damaged file, a file that is not a regular file).
struct ReadResult
{
    enum Status { Found, Missing, Failed } status = Missing;
    StoredValue value; ///< when Found

    bool found() const { return status == Found; }
};

class HiveDatabase;

/// Access to one hive. Every call opens the hive's database, does its work in
/// one transaction and closes it again, so that several processes can share
/// the store: a writer waits for another (up to busyTimeoutMs) instead of
/// failing.
///
/// Key paths are levels separated by "\" (or "/"); a trailing separator is
/// ignored, an empty level (a leading or doubled separator) makes the path
/// invalid, and the empty path is the hive itself, which always exists.
class KeyStore
{
public:
    class Transaction;

    explicit KeyStore(Hive hive);

    /// How long a call waits for another process's write, in milliseconds.
    static constexpr int busyTimeoutMs = 5000;

    /// The folder of the hive databases: $QVPREVIEW_REGISTRY_DIR when it is
    /// set; otherwise the current-user hive lives in
    /// $XDG_DATA_HOME/qvpreview/registry/ (else ~/.local/share/...) and the
    /// machine-wide hives in /var/lib/qvpreview/registry/. Ends with "/".
    static QString folder(Hive hive);
    /// The database file of the hive.
    static QString databaseFile(Hive hive);

    /// True when the key exists.
    bool keyExists(const QString &keyPath) const;
    /// Creates the key and every missing level above it; true when it exists
    /// afterwards. Creates the folder and the database when they are missing.
    bool createKey(const QString &keyPath) const;
    /// The value \a name of the key; nullopt when the key or the value is
    /// missing or the store cannot be read.
    std::optional<StoredValue> value(const QString &keyPath, const QString &name) const;
    /// The value \a name of the key, telling a missing value from a read
    /// that failed.
    ReadResult read(const QString &keyPath, const QString &name) const;
    /// Several values (key path and value name each) read at one moment,
    /// through one connection to the database.
    QList<ReadResult> read(const QList<std::pair<QString, QString>> &values) const;
    /// Writes the value \a name of the key (replacing any value of that name,
    /// whatever its type). With \a createKeyFirst false the key must exist;
    /// with true it is created like createKey(). True when the value was stored.
    bool setValue(const QString &keyPath, const QString &name, const StoredValue &value, bool createKeyFirst) const;
    /// Deletes the value \a name of the key; true when it existed and is gone.
    bool deleteValue(const QString &keyPath, const QString &name) const;
    /// Deletes the key with its values and every key below it; true when it
    /// existed and is gone. The hive itself cannot be deleted.
    bool deleteKey(const QString &keyPath) const;

    /// Creates the key, the levels above it and the \a values (name and
    /// value; of two names that differ only in case the first counts) in one
    /// transaction, but only when the key does not exist yet:
    /// an existing key and its values are left as they are, even when a
    /// process creates the key while this one waits for the database. True
    /// when the key exists afterwards, whoever created it.
    bool createKeyWithValues(const QString &keyPath, const QList<std::pair<QString, StoredValue>> &values) const;

    /// Runs \a work in one write transaction: the write lock is taken before
    /// anything is read (waiting up to busyTimeoutMs for another process) and
    /// kept until the commit, so no other process's change falls between
    /// what \a work reads and what it writes. Committed when \a work returns
    /// true and none of its steps failed; otherwise nothing is changed. True
    /// when committed. Creates the folder and the database when missing.
    bool transaction(const std::function<bool(Transaction &)> &work) const;

private:
    Hive m_hive;
};

/// The steps of one write transaction (KeyStore::transaction). A step that
/// fails makes the whole transaction fail.
class KeyStore::Transaction
{
public:
    ReadResult read(const QString &keyPath, const QString &name);
    bool keyExists(const QString &keyPath);
    bool createKey(const QString &keyPath);
    /// As KeyStore::setValue.
    bool setValue(const QString &keyPath, const QString &name, const StoredValue &value, bool createKeyFirst);
    /// Deletes the value; false when it does not exist.
    bool deleteValue(const QString &keyPath, const QString &name);

    /// True when a step failed (not merely found nothing).
    bool failed() const { return m_failed; }

private:
    friend class KeyStore;
    explicit Transaction(HiveDatabase &db) : m_db(db) {}
    bool fail() { return !(m_failed = true); }

    HiveDatabase &m_db;
    bool m_failed = false;
};

} // namespace qv::platform
