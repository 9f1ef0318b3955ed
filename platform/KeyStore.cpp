// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/KeyStore.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>

namespace qv::platform {

namespace {

// Keys are stored by their whole path, levels joined by "\"; "fold" is the
// case-folded path that lookups use, "path" the spelling it was created with.
// Values belong to the folded path of their key. The hive itself (the empty
// path) is not stored: it always exists.
constexpr const char Schema[] =
    "CREATE TABLE IF NOT EXISTS keys(fold TEXT PRIMARY KEY, path TEXT NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS vals(key TEXT NOT NULL, fold TEXT NOT NULL, name TEXT NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold)) WITHOUT ROWID;"
    "PRAGMA application_id = 1903522419;"; // "qvRs"

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString fileNameOf(Hive hive)
{
    switch (hive) {
    case Hive::ClassesRoot: return QStringLiteral("classes-root.sqlite");
    case Hive::CurrentUser: return QStringLiteral("current-user.sqlite");
    case Hive::LocalMachine: return QStringLiteral("local-machine.sqlite");
    }
    return QString();
}

/// The key path with "\" between its levels, without a trailing separator;
/// nullopt when a level is empty.
std::optional<QString> normalised(const QString &keyPath)
{
    QString path = keyPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    if (path.isEmpty())
        return path;
    const QStringList levels = path.split(QLatin1Char('\\'));
    for (const QString &level : levels)
        if (level.isEmpty())
            return std::nullopt;
    return path;
}

/// True when \a path is a regular file (a link is followed) or does not
/// exist. Opening anything else as a database could block (a FIFO) or read a
/// device.
bool regularOrMissing(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

} // namespace

/// One open database, closed when it goes out of scope.
///
/// Readers open the file for reading and writing too (without creating it):
/// a writer killed in its commit leaves a hot journal, and only a connection
/// that may write can roll it back; a read-only connection would fail on it
/// until some writer came along. Where the file is write-protected (the
/// machine-wide hives for a user who is not the superuser) SQLite opens it
/// read-only, and a read that meets a hot journal fails. The journal stays
/// in the rollback mode (no WAL): a WAL database cannot be read by users
/// who may not write its folder, and needs shared memory that network file
/// systems do not give.
class HiveDatabase
{
public:
    enum Mode { Read, Write };

    HiveDatabase(Hive hive, Mode mode)
    {
        const QString file = KeyStore::databaseFile(hive);
        if (!regularOrMissing(file) || !regularOrMissing(file + QStringLiteral("-journal")))
            return;
        if (mode == Write) {
            if (!QDir().mkpath(KeyStore::folder(hive)))
                return;
        } else if (!QFile::exists(file)) {
            m_absent = true; // a read never creates the database
            return;
        }
        const int flags = SQLITE_OPEN_READWRITE | (mode == Write ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, KeyStore::busyTimeoutMs);
    }
    ~HiveDatabase() { sqlite3_close_v2(m_db); }
    HiveDatabase(const HiveDatabase &) = delete;
    HiveDatabase &operator=(const HiveDatabase &) = delete;

    explicit operator bool() const { return m_db != nullptr; }
    /// True when a read found no database file: nothing stored, not a failure.
    bool absent() const { return m_absent; }
    sqlite3 *handle() const { return m_db; }

    bool exec(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    /// Starts a write transaction and makes sure the tables exist.
    bool beginWrite() { return exec("BEGIN IMMEDIATE") && (exec(Schema) || (rollback(), false)); }
    bool commit() { return exec("COMMIT") || (rollback(), false); }
    void rollback() { exec("ROLLBACK"); }

private:
    sqlite3 *m_db = nullptr;
    bool m_absent = false;
};

namespace {

/// One prepared statement with its parameters bound by position.
class Statement
{
public:
    Statement(const HiveDatabase &db, const char *sql)
    {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }

    Statement &bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int index, const QByteArray &blob)
    {
        sqlite3_bind_blob(m_stmt, index, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int index, int64_t number)
    {
        sqlite3_bind_int64(m_stmt, index, number);
        return *this;
    }

    /// Makes the statement ready to run again with new parameters.
    Statement &reset()
    {
        sqlite3_reset(m_stmt);
        return *this;
    }

    /// SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }

    int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QByteArray blob(int column) const
    {
        const void *data = sqlite3_column_blob(m_stmt, column);
        return QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column));
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

/// True when the database holds no tables at all: an empty file, which
/// SQLite takes for an empty database.
bool noTables(const HiveDatabase &db)
{
    Statement query(db, "SELECT count(*) FROM sqlite_master");
    return query && query.step() == SQLITE_ROW && query.integer(0) == 0;
}

/// Whether the key of folded path \a fold exists (the hive always does).
ReadResult::Status keyStatus(const HiveDatabase &db, const QString &fold)
{
    if (fold.isEmpty())
        return ReadResult::Found;
    Statement query(db, "SELECT 1 FROM keys WHERE fold = ?1");
    if (!query)
        return noTables(db) ? ReadResult::Missing : ReadResult::Failed;
    switch (query.bind(1, fold).step()) {
    case SQLITE_ROW: return ReadResult::Found;
    case SQLITE_DONE: return ReadResult::Missing;
    default: return ReadResult::Failed;
    }
}

bool keyStored(const HiveDatabase &db, const QString &fold)
{
    return keyStatus(db, fold) == ReadResult::Found;
}

/// The value of folded name \a name of the key of folded path \a key.
ReadResult readValue(const HiveDatabase &db, const QString &key, const QString &name)
{
    Statement query(db, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    if (!query)
        return ReadResult{noTables(db) ? ReadResult::Missing : ReadResult::Failed, {}};
    switch (query.bind(1, key).bind(2, name).step()) {
    case SQLITE_ROW: return ReadResult{ReadResult::Found, StoredValue{uint32_t(query.integer(0)), query.blob(1)}};
    case SQLITE_DONE: return ReadResult{ReadResult::Missing, {}};
    default: return ReadResult{ReadResult::Failed, {}};
    }
}

/// Writes the value (the key must exist).
bool upsertValue(const HiveDatabase &db, const QString &fold, const QString &name, const StoredValue &value)
{
    // A value written again under another spelling keeps its first one.
    Statement upsert(db, "INSERT INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                         " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    return upsert
           && upsert.bind(1, fold)
                      .bind(2, name.toCaseFolded())
                      .bind(3, name)
                      .bind(4, int64_t(value.type))
                      .bind(5, value.data)
                      .step()
                  == SQLITE_DONE;
}

/// Deletes the value: SQLITE_DONE with a row gone, SQLITE_NOTFOUND without
/// one, or an error.
int eraseValue(const HiveDatabase &db, const QString &fold, const QString &name)
{
    Statement erase(db, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    const int result = erase ? erase.bind(1, fold).bind(2, name.toCaseFolded()).step() : SQLITE_ERROR;
    if (result == SQLITE_DONE && sqlite3_changes(db.handle()) == 0)
        return SQLITE_NOTFOUND;
    return result;
}

/// Inserts every level of \a path that is not there yet.
bool insertLevels(const HiveDatabase &db, const QString &path)
{
    if (path.isEmpty())
        return true;
    Statement insert(db, "INSERT OR IGNORE INTO keys(fold, path) VALUES(?1, ?2)");
    qsizetype end = -1;
    do {
        end = path.indexOf(QLatin1Char('\\'), end + 1);
        const QString level = end < 0 ? path : path.left(end);
        if (!insert || insert.reset().bind(1, level.toCaseFolded()).bind(2, level).step() != SQLITE_DONE)
            return false;
    } while (end >= 0);
    return true;
}

/// Runs \a work with the normalised key path in one write transaction of the
/// hive's database: committed when it returns true, rolled back otherwise.
template <typename Work>
bool writeTransaction(Hive hive, const QString &keyPath, Work work)
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return false;
    HiveDatabase db(hive, HiveDatabase::Write);
    if (!db || !db.beginWrite())
        return false;
    if (!work(db, *path)) {
        db.rollback();
        return false;
    }
    return db.commit();
}

} // namespace

std::optional<Hive> hiveFromHandle(uint32_t handle)
{
    switch (handle) {
    case uint32_t(Hive::ClassesRoot): return Hive::ClassesRoot;
    case uint32_t(Hive::CurrentUser): return Hive::CurrentUser;
    case uint32_t(Hive::LocalMachine): return Hive::LocalMachine;
    default: return std::nullopt;
    }
}

KeyStore::KeyStore(Hive hive) : m_hive(hive) {}

QString KeyStore::folder(Hive hive)
{
    const QString chosen = qEnvironmentVariable("QVPREVIEW_REGISTRY_DIR");
    if (!chosen.isEmpty())
        return withSlash(chosen);
    if (hive != Hive::CurrentUser)
        return QStringLiteral("/var/lib/qvpreview/registry/");
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(data) + QStringLiteral("qvpreview/registry/");
}

QString KeyStore::databaseFile(Hive hive)
{
    return folder(hive) + fileNameOf(hive);
}

bool KeyStore::keyExists(const QString &keyPath) const
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return false;
    if (path->isEmpty())
        return true;
    const HiveDatabase db(m_hive, HiveDatabase::Read);
    return db && keyStored(db, path->toCaseFolded());
}

bool KeyStore::createKey(const QString &keyPath) const
{
    return writeTransaction(m_hive, keyPath,
                            [](const HiveDatabase &db, const QString &path) { return insertLevels(db, path); });
}

std::optional<StoredValue> KeyStore::value(const QString &keyPath, const QString &name) const
{
    const ReadResult result = read(keyPath, name);
    if (!result.found())
        return std::nullopt;
    return result.value;
}

ReadResult KeyStore::read(const QString &keyPath, const QString &name) const
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return ReadResult{ReadResult::Missing, {}};
    const HiveDatabase db(m_hive, HiveDatabase::Read);
    if (!db)
        return ReadResult{db.absent() ? ReadResult::Missing : ReadResult::Failed, {}};
    return readValue(db, path->toCaseFolded(), name.toCaseFolded());
}

QList<ReadResult> KeyStore::read(const QList<std::pair<QString, QString>> &values) const
{
    QList<ReadResult> results;
    HiveDatabase db(m_hive, HiveDatabase::Read);
    // One read transaction: every value as it was at one moment.
    const bool open = db && db.exec("BEGIN");
    for (const auto &[keyPath, name] : values) {
        const std::optional<QString> path = normalised(keyPath);
        if (!path || db.absent())
            results.append(ReadResult{ReadResult::Missing, {}});
        else if (!open)
            results.append(ReadResult{ReadResult::Failed, {}});
        else
            results.append(readValue(db, path->toCaseFolded(), name.toCaseFolded()));
    }
    if (open)
        db.exec("COMMIT");
    return results;
}

bool KeyStore::createKeyWithValues(const QString &keyPath, const QList<std::pair<QString, StoredValue>> &values) const
{
    return writeTransaction(m_hive, keyPath, [&](const HiveDatabase &db, const QString &path) {
        const QString fold = path.toCaseFolded();
        if (keyStored(db, fold))
            return true;
        if (!insertLevels(db, path))
            return false;
        Statement insert(db, "INSERT OR IGNORE INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
        for (const auto &[name, value] : values)
            if (!insert
                || insert.reset()
                           .bind(1, fold)
                           .bind(2, name.toCaseFolded())
                           .bind(3, name)
                           .bind(4, int64_t(value.type))
                           .bind(5, value.data)
                           .step()
                       != SQLITE_DONE)
                return false;
        return true;
    });
}

bool KeyStore::setValue(const QString &keyPath, const QString &name, const StoredValue &value,
                        bool createKeyFirst) const
{
    return transaction([&](Transaction &t) { return t.setValue(keyPath, name, value, createKeyFirst); });
}

bool KeyStore::deleteValue(const QString &keyPath, const QString &name) const
{
    return transaction([&](Transaction &t) { return t.deleteValue(keyPath, name); });
}

bool KeyStore::deleteKey(const QString &keyPath) const
{
    return writeTransaction(m_hive, keyPath, [&](const HiveDatabase &db, const QString &path) {
        if (path.isEmpty())
            return false;
        const QString fold = path.toCaseFolded();
        const QString below = fold + QLatin1Char('\\');
        Statement values(db, "DELETE FROM vals WHERE key = ?1 OR substr(key, 1, length(?2)) = ?2");
        Statement keys(db, "DELETE FROM keys WHERE fold = ?1 OR substr(fold, 1, length(?2)) = ?2");
        if (!values || values.bind(1, fold).bind(2, below).step() != SQLITE_DONE)
            return false;
        return keys && keys.bind(1, fold).bind(2, below).step() == SQLITE_DONE && sqlite3_changes(db.handle()) > 0;
    });
}

bool KeyStore::transaction(const std::function<bool(Transaction &)> &work) const
{
    HiveDatabase db(m_hive, HiveDatabase::Write);
    if (!db || !db.beginWrite())
        return false;
    Transaction steps(db);
    if (!work(steps) || steps.failed()) {
        db.rollback();
        return false;
    }
    return db.commit();
}

ReadResult KeyStore::Transaction::read(const QString &keyPath, const QString &name)
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return ReadResult{ReadResult::Missing, {}};
    const ReadResult result = readValue(m_db, path->toCaseFolded(), name.toCaseFolded());
    if (result.status == ReadResult::Failed)
        fail();
    return result;
}

bool KeyStore::Transaction::keyExists(const QString &keyPath)
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return false;
    const ReadResult::Status status = keyStatus(m_db, path->toCaseFolded());
    return status == ReadResult::Found || (status == ReadResult::Failed && fail());
}

bool KeyStore::Transaction::createKey(const QString &keyPath)
{
    const std::optional<QString> path = normalised(keyPath);
    return path && (insertLevels(m_db, *path) || fail());
}

bool KeyStore::Transaction::setValue(const QString &keyPath, const QString &name, const StoredValue &value,
                                     bool createKeyFirst)
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path || !(createKeyFirst ? createKey(*path) : keyExists(*path)))
        return false;
    return upsertValue(m_db, path->toCaseFolded(), name, value) || fail();
}

bool KeyStore::Transaction::deleteValue(const QString &keyPath, const QString &name)
{
    const std::optional<QString> path = normalised(keyPath);
    if (!path)
        return false;
    const int result = eraseValue(m_db, path->toCaseFolded(), name);
    return result == SQLITE_DONE || (result != SQLITE_NOTFOUND && fail());
}

} // namespace qv::platform
