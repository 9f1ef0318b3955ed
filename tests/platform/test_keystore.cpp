// SPDX-License-Identifier: MIT
// The key store: one SQLite database per hive, keys and value names matched
// without regard to case, reads that never create, damaged files that read
// as empty and are never overwritten.
#include "platform/KeyStore.h"
#include "support/FileLimit.h"
#include "support/TestEnv.h"

#include <QFileInfo>

#include <ostream>

namespace qv::platform {
namespace {

using test::readAll;

const StoredValue Text{TextValue, QByteArray("valore\0", 7)};

class KeyStoreTest : public test::TempEnvTest
{
protected:
    KeyStore user{Hive::CurrentUser};
};

struct PathCase
{
    const char *written, *read;
    bool found;
};

void PrintTo(const PathCase &c, std::ostream *os)
{
    *os << c.written << " read as " << c.read;
}

class KeyPathTest : public KeyStoreTest, public ::testing::WithParamInterface<PathCase>
{};

TEST_P(KeyPathTest, MatchesSpellingsOfOneKey)
{
    ASSERT_TRUE(user.setValue(QString::fromUtf8(GetParam().written), "Nome", Text, true));
    EXPECT_EQ(user.value(QString::fromUtf8(GetParam().read), "NOME").has_value(), GetParam().found);
    EXPECT_EQ(user.keyExists(QString::fromUtf8(GetParam().read)), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, KeyPathTest,
    ::testing::Values(PathCase{"Software\\Prova", "Software\\Prova", true},
                      PathCase{"Software\\Prova", "SOFTWARE\\prova", true},
                      PathCase{"Software\\Citt\xC3\xA0", "software\\CITT\xC3\x80", true}, // beyond ASCII
                      PathCase{"Software\\Prova", "Software/Prova", true},                // either separator
                      PathCase{"Software/Prova", "Software\\Prova\\", true},              // trailing one ignored
                      PathCase{"Software\\Prova", "\\Software\\Prova", false},            // empty first level
                      PathCase{"Software\\Prova", "Software\\\\Prova", false},            // empty middle level
                      PathCase{"Software\\Prova", "Software\\Prov", false},
                      PathCase{"Software\\Prova\\Sotto", "Software\\Prova\\Sott", false}));

TEST_F(KeyStoreTest, ReadsNeverCreateTheDatabase)
{
    EXPECT_FALSE(user.value("Software\\Prova", "").has_value());
    EXPECT_FALSE(user.keyExists("Software"));
    EXPECT_TRUE(user.keyExists("")); // the hive itself
    EXPECT_FALSE(QFileInfo::exists(KeyStore::databaseFile(Hive::CurrentUser)));
    EXPECT_EQ(KeyStore::databaseFile(Hive::CurrentUser), env.registryFolder() + "current-user.sqlite");
}

TEST_F(KeyStoreTest, CreatingAKeyCreatesEveryLevelAboveIt)
{
    ASSERT_TRUE(user.createKey("Software\\Ditta\\Prodotto"));
    EXPECT_TRUE(user.keyExists("software"));
    EXPECT_TRUE(user.keyExists("Software/Ditta"));
    EXPECT_TRUE(user.keyExists("Software\\Ditta\\Prodotto"));
    EXPECT_FALSE(user.createKey("Software\\\\Vuoto"));
    EXPECT_FALSE(user.keyExists("Software\\Vuoto"));
}

TEST_F(KeyStoreTest, WritingWithoutCreatingNeedsTheKey)
{
    EXPECT_FALSE(user.setValue("Software\\Manca", "x", Text, false));
    EXPECT_FALSE(user.keyExists("Software\\Manca"));
    EXPECT_TRUE(user.setValue("", "radice", Text, false)); // the hive always exists
    EXPECT_EQ(user.value("", "RADICE"), Text);
}

TEST_F(KeyStoreTest, AValueWrittenAgainIsReplacedWhateverItsSpellingAndType)
{
    ASSERT_TRUE(user.setValue("K", "Conteggio", Text, true));
    const StoredValue number{NumberValue, QByteArray("\x02\0\0\0", 4)};
    ASSERT_TRUE(user.setValue("k", "CONTEGGIO", number, false));
    EXPECT_EQ(user.value("K", "conteggio"), number);
}

TEST_F(KeyStoreTest, TheDefaultValueIsTheEmptyName)
{
    ASSERT_TRUE(user.setValue("K", "", Text, true));
    ASSERT_TRUE(user.setValue("K", "altro", StoredValue{TextValue, QByteArray("x\0", 2)}, false));
    EXPECT_EQ(user.value("K", ""), Text);
}

TEST_F(KeyStoreTest, DeletingAValue)
{
    ASSERT_TRUE(user.setValue("K", "v", Text, true));
    EXPECT_TRUE(user.deleteValue("k", "V"));
    EXPECT_FALSE(user.value("K", "v").has_value());
    EXPECT_FALSE(user.deleteValue("K", "v"));
    EXPECT_FALSE(user.deleteValue("Manca", "v"));
    EXPECT_TRUE(user.keyExists("K")); // the key stays
}

TEST_F(KeyStoreTest, AKeyCreatedWithValuesGetsThemAllAtOnce)
{
    const StoredValue other = StoredValue::text(QStringLiteral("altro"));
    ASSERT_TRUE(user.createKeyWithValues("Software\\Nuova\\Chiave", {{"Uno", Text}, {"Due", other}, {"UNO", other}}));
    EXPECT_TRUE(user.keyExists("Software\\Nuova"));
    EXPECT_EQ(user.value("software\\nuova\\chiave", "uno"), Text); // of two spellings the first counts
    EXPECT_EQ(user.value("Software\\Nuova\\Chiave", "Due"), other);
}

TEST_F(KeyStoreTest, AKeyThatExistsIsNotTouchedByCreatingItWithValues)
{
    ASSERT_TRUE(user.setValue("Software\\Prova", "Uno", Text, true));
    const StoredValue other = StoredValue::text(QStringLiteral("altro"));
    EXPECT_TRUE(user.createKeyWithValues("SOFTWARE\\PROVA", {{"Uno", other}, {"Due", other}}));
    EXPECT_EQ(user.value("Software\\Prova", "Uno"), Text);
    EXPECT_FALSE(user.value("Software\\Prova", "Due").has_value());
}

TEST_F(KeyStoreTest, HivesAreSeparateDatabases)
{
    ASSERT_TRUE(KeyStore(Hive::LocalMachine).setValue("Software", "v", Text, true));
    EXPECT_FALSE(user.value("Software", "v").has_value());
    EXPECT_FALSE(KeyStore(Hive::ClassesRoot).value("Software", "v").has_value());
    EXPECT_TRUE(QFileInfo::exists(env.registryFolder() + "local-machine.sqlite"));
    EXPECT_FALSE(QFileInfo::exists(env.registryFolder() + "classes-root.sqlite"));
}

TEST_F(KeyStoreTest, ValuesKeepEveryByte)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    const StoredValue binary{3, bytes};
    ASSERT_TRUE(user.setValue("K", "binario", binary, true));
    EXPECT_EQ(user.value("K", "binario"), binary);
}

class DamagedStoreTest : public KeyStoreTest, public ::testing::WithParamInterface<QByteArray>
{};

TEST_P(DamagedStoreTest, ReadsAsEmptyAndIsNeverOverwritten)
{
    QDir().mkpath(env.registryFolder());
    const QString file = KeyStore::databaseFile(Hive::CurrentUser);
    test::writeFile(file, GetParam());
    EXPECT_FALSE(user.value("K", "v").has_value());
    // A read that fails says so: it is not a missing value.
    EXPECT_EQ(user.read("K", "v").status, ReadResult::Failed);
    EXPECT_EQ(user.read({{"K", "v"}}).value(0).status, ReadResult::Failed);
    EXPECT_FALSE(user.keyExists("K"));
    EXPECT_FALSE(user.setValue("K", "v", Text, true));
    EXPECT_FALSE(user.createKey("K"));
    EXPECT_FALSE(user.deleteValue("K", "v"));
    EXPECT_FALSE(user.createKeyWithValues("K", {{"v", Text}}));
    EXPECT_EQ(readAll(file), GetParam());
}

QByteArray truncatedDatabase()
{
    // A real database cut after its first page header.
    test::TempEnv other;
    KeyStore store(Hive::CurrentUser);
    store.setValue("K", "v", Text, true);
    return readAll(KeyStore::databaseFile(Hive::CurrentUser)).left(100);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedStoreTest,
                         ::testing::Values(QByteArray("non sono un database, solo testo\n"), QByteArray(4096, '\xFF'),
                                           truncatedDatabase()));

TEST_F(KeyStoreTest, MissingIsNotFailed)
{
    EXPECT_EQ(user.read("K", "v").status, ReadResult::Missing); // no database
    QDir().mkpath(env.registryFolder());
    test::writeFile(KeyStore::databaseFile(Hive::CurrentUser), QByteArray()); // an empty database
    EXPECT_EQ(user.read("K", "v").status, ReadResult::Missing);
    ASSERT_TRUE(user.setValue("K", "v", Text, true));
    const QList<ReadResult> both = user.read({{"k", "V"}, {"K", "altro"}});
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].status, ReadResult::Found);
    EXPECT_EQ(both[0].value, Text);
    EXPECT_EQ(both[1].status, ReadResult::Missing);
}

TEST_F(KeyStoreTest, AFolderThatCannotBeCreatedRefusesWrites)
{
    test::writeFile(env.root() + "file", "x");
    qputenv("QVPREVIEW_REGISTRY_DIR", QFile::encodeName(env.root() + "file/registry"));
    EXPECT_FALSE(user.setValue("K", "v", Text, true));
    EXPECT_FALSE(user.value("K", "v").has_value());
}

TEST(KeyStoreFolders, DefaultsArePerUserAndMachineWide)
{
    test::TempEnv env;
    qunsetenv("QVPREVIEW_REGISTRY_DIR");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(env.root() + "data"));
    EXPECT_EQ(KeyStore::databaseFile(Hive::CurrentUser), env.root() + "data/qvpreview/registry/current-user.sqlite");
    EXPECT_EQ(KeyStore::databaseFile(Hive::LocalMachine), "/var/lib/qvpreview/registry/local-machine.sqlite");
    EXPECT_EQ(KeyStore::databaseFile(Hive::ClassesRoot), "/var/lib/qvpreview/registry/classes-root.sqlite");
    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}

TEST(KeyStoreHives, KnownHandlesOnly)
{
    EXPECT_EQ(hiveFromHandle(0x80000000u), Hive::ClassesRoot);
    EXPECT_EQ(hiveFromHandle(0x80000001u), Hive::CurrentUser);
    EXPECT_EQ(hiveFromHandle(0x80000002u), Hive::LocalMachine);
    EXPECT_EQ(hiveFromHandle(0x80000003u), std::nullopt);
    EXPECT_EQ(hiveFromHandle(0), std::nullopt);
}

} // namespace
} // namespace qv::platform
