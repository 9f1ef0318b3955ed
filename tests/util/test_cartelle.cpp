// SPDX-License-Identifier: MIT
// The special folders of qvUtilita on a real key store in a temporary
// folder, with a temporary home, XDG folders and user-dirs.dirs: the key
// filled from the XDG folders, the user's folders made when asked for, values
// that follow user-dirs.dirs, values of the store as they come back, values
// set in the store never overwritten, hives that cannot be written.
#include "platform/KeyStore.h"
#include "platform/ShellFolders.h"
#include "support/TestEnv.h"
#include "util/Registro.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFileInfo>

#include <ostream>

namespace qv {
namespace {

using platform::Hive;
using platform::KeyStore;
using Cartella = QString (qvUtilita::*)();

/// Points one environment variable elsewhere for the life of the object.
class Variabile
{
public:
    Variabile(const char *name, const QString &value) : m_name(name), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~Variabile()
    {
        if (m_old.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_old);
    }
    Variabile(const Variabile &) = delete;
    Variabile &operator=(const Variabile &) = delete;

private:
    const char *m_name;
    QByteArray m_old;
};

/// A user whose home, data, cache and configuration folders lie in the
/// test's folder, with a user-dirs.dirs of Italian names, and machine-wide
/// XDG lists whose first entry is not the default one.
class CartelleTest : public test::TempEnvTest
{
protected:
    CartelleTest() { userDirs("Documenti"); }

    /// Writes user-dirs.dirs with the documents in \a documents of the home.
    void userDirs(const char *documents)
    {
        test::writeAll(env.configFolder() + "user-dirs.dirs", "# scritto da xdg-user-dirs-update\n"
                                                              "XDG_DESKTOP_DIR=\"$HOME/Scrivania\"\n"
                                                              "XDG_DOCUMENTS_DIR=\"$HOME/"
                                                                  + QByteArray(documents)
                                                                  + "\"\n"
                                                                    "XDG_PICTURES_DIR=\""
                                                                  + QFile::encodeName(env.root())
                                                                  + "immagini di citt\xC3\xA0\"\n");
    }

    QString home() const { return env.root() + "casa"; }
    QString data() const { return env.root() + "dati"; }

    qvUtilita u;
    Variabile m_home{"HOME", home()};
    Variabile m_data{"XDG_DATA_HOME", data()};
    Variabile m_cache{"XDG_CACHE_HOME", env.root() + "cache"};
    Variabile m_dataDirs{"XDG_DATA_DIRS", "relativa/share:/opt/qvprova/share/:/usr/share"};
    Variabile m_configDirs{"XDG_CONFIG_DIRS", "/etc/qvprova/xdg"};
};

const QString Chiave = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

struct XdgCase
{
    const char *name;
    Cartella cartella;
    const char *folder; // "~" the home, "@" the data folder, "^" the test's root; "" none
    bool made = true;   // made when asked for (the user's folders)
};

void PrintTo(const XdgCase &c, std::ostream *os)
{
    *os << c.name;
}

class XdgTest : public CartelleTest, public ::testing::WithParamInterface<XdgCase>
{
protected:
    QString expected() const
    {
        QString folder = QString::fromUtf8(GetParam().folder);
        folder.replace("~", home()).replace("@", data()).replace("^/", env.root());
        return folder;
    }
};

TEST_P(XdgTest, TheKeyIsFilledFromTheXdgFolders)
{
    EXPECT_EQ((u.*GetParam().cartella)(), expected());
    if (!expected().isEmpty()) {
        EXPECT_EQ(QFileInfo(expected()).isDir(), GetParam().made);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, XdgTest,
    ::testing::Values(XdgCase{"Documenti", &qvUtilita::CartellaDocumenti, "~/Documenti/"},
                      XdgCase{"Desktop", &qvUtilita::CartellaDesktop, "~/Scrivania/"},
                      XdgCase{"Immagini", &qvUtilita::CartellaImmagini, "^/immagini di citt\xC3\xA0/"},
                      XdgCase{"Dati", &qvUtilita::CartellaDati, "@/"},
                      XdgCase{"EsecuzioneAutomatica", &qvUtilita::CartellaEsecuzioneAutomatica, "^/config/autostart/"},
                      XdgCase{"MenuAvvio", &qvUtilita::CartellaMenuAvvio, "@/applications/"},
                      XdgCase{"MenuProgrammi", &qvUtilita::CartellaMenuProgrammi, "@/applications/"},
                      XdgCase{"Recenti", &qvUtilita::CartellaRecenti, "@/RecentDocuments/"},
                      XdgCase{"Fonts", &qvUtilita::CartellaFonts, "@/fonts/"},
                      XdgCase{"InternetTemp", &qvUtilita::CartellaInternetTemp, "^/cache/"},
                      XdgCase{"SendTo", &qvUtilita::CartellaSendTo, ""},
                      XdgCase{"RisorseRete", &qvUtilita::CartellaRisorseRete, ""},
                      XdgCase{"Cronologia", &qvUtilita::CartellaCronologia, ""},
                      XdgCase{"Preferiti", &qvUtilita::CartellaPreferiti, ""},
                      XdgCase{"Cookies", &qvUtilita::CartellaCookies, ""},
                      // All users: the first absolute entry of the XDG lists, as it is.
                      XdgCase{"DatiCondivisi", &qvUtilita::CartellaDatiCondivisi, "/opt/qvprova/share/", false},
                      XdgCase{"EsecuzioneAutomaticaTuttiUtenti", &qvUtilita::CartellaEsecuzioneAutomaticaTuttiUtenti,
                              "/etc/qvprova/xdg/autostart/", false},
                      XdgCase{"MenuAvvioTuttiUtenti", &qvUtilita::CartellaMenuAvvioTuttiUtenti,
                              "/opt/qvprova/share/applications/", false},
                      XdgCase{"MenuProgrammiTuttiUtenti", &qvUtilita::CartellaMenuProgrammiTuttiUtenti,
                              "/opt/qvprova/share/applications/", false},
                      XdgCase{"DesktopTuttiUtenti", &qvUtilita::CartellaDesktopTuttiUtenti, ""},
                      XdgCase{"PreferitiTuttiUtenti", &qvUtilita::CartellaPreferitiTuttiUtenti, ""},
                      XdgCase{"DocumentiCondivisi", &qvUtilita::CartellaDocumentiCondivisi, ""},
                      XdgCase{"ImmaginiTuttiUtenti", &qvUtilita::CartellaImmaginiTuttiUtenti, ""}));

TEST_F(CartelleTest, TheStoreHoldsTheFoldersWithoutATrailingSeparator)
{
    ASSERT_FALSE(KeyStore(Hive::CurrentUser).keyExists(Chiave));
    u.CartellaDocumenti();
    QString stored;
    EXPECT_TRUE(Registro::LeggiValoreRegistro(Registro::HKEY_CURRENT_USER, Chiave, "personal", stored));
    EXPECT_EQ(stored, home() + "/Documenti");
    // Each hive gets its key when one of its folders is asked for.
    EXPECT_FALSE(KeyStore(Hive::LocalMachine).keyExists(Chiave));
    u.CartellaDatiCondivisi();
    EXPECT_TRUE(KeyStore(Hive::LocalMachine).keyExists(Chiave));
}

TEST_F(CartelleTest, WithoutUserDirsTheXdgDefaultsCount)
{
    QFile::remove(env.configFolder() + "user-dirs.dirs");
    EXPECT_EQ(u.CartellaDocumenti(), home() + "/Documents/");
    EXPECT_EQ(u.CartellaImmagini(), home() + "/Pictures/");
}

struct StoredCase
{
    const char *name;
    QString stored;
    QString returned;
};

void PrintTo(const StoredCase &c, std::ostream *os)
{
    *os << c.name;
}

class StoredValueTest : public CartelleTest, public ::testing::WithParamInterface<StoredCase>
{};

TEST_P(StoredValueTest, ComesBackWithOneSeparatorAndNoBlanks)
{
    // "^" is the test's root.
    const QString stored = QString(GetParam().stored).replace("^", env.root());
    const QString returned = QString(GetParam().returned).replace("^", env.root());
    u.CartellaDocumenti(); // the key is filled first; the value then set over it
    ASSERT_TRUE(Registro::ScriviValoreRegistro(Registro::HKEY_CURRENT_USER, Chiave, "Personal", stored, false));
    EXPECT_EQ(u.CartellaDocumenti(), returned);
    EXPECT_EQ(u.CartellaDocumenti(), returned); // and again: the value set stays
}

INSTANTIATE_TEST_SUITE_P(Values, StoredValueTest,
                         ::testing::Values(StoredCase{"no_separator", "^anna/Documenti", "^anna/Documenti/"},
                                           StoredCase{"separator", "^anna/Documenti/", "^anna/Documenti/"},
                                           StoredCase{"windows_separator", "C:\\Documenti\\", "C:\\Documenti\\"},
                                           StoredCase{"windows_path", "C:\\Documenti", "C:\\Documenti/"},
                                           StoredCase{"trailing_blank", "^anna/Documenti ", "^anna/Documenti/"},
                                           StoredCase{"blanks_around", "  ^doc/  ", "^doc/"},
                                           StoredCase{"empty", "", ""}, StoredCase{"only_blanks", "   ", ""}));

TEST_F(CartelleTest, AValueSetByHandIsNeverOverwritten)
{
    // The administrator gives all users a pictures folder that XDG has not.
    ASSERT_TRUE(
        Registro::ScriviValoreRegistro(Registro::HKEY_LOCAL_MACHINE, Chiave, "Common Pictures", "/srv/foto", true));
    EXPECT_EQ(u.CartellaImmaginiTuttiUtenti(), "/srv/foto/");
    // The key existed: nothing was added to it.
    EXPECT_EQ(u.CartellaDatiCondivisi(), "");

    u.CartellaDesktop();
    ASSERT_TRUE(
        Registro::ScriviValoreRegistro(Registro::HKEY_CURRENT_USER, Chiave, "Desktop", env.root() + "mio", false));
    ASSERT_TRUE(Registro::CancellaValoreRegistro(Registro::HKEY_CURRENT_USER, Chiave, "Fonts"));
    // A second filling of the key changes nothing of it.
    EXPECT_TRUE(platform::seedShellFolders(Hive::CurrentUser));
    EXPECT_EQ(u.CartellaDesktop(), env.root() + "mio/");
    EXPECT_EQ(u.CartellaFonts(), "");
}

struct SeguitoCase
{
    const char *name;
    const char *written; // set in the store by a program before the move; nullptr: none
    const char *after;   // the documents folder after the move, in the home
};

void PrintTo(const SeguitoCase &c, std::ostream *os)
{
    *os << c.name;
}

class SeguitoTest : public CartelleTest, public ::testing::WithParamInterface<SeguitoCase>
{};

TEST_P(SeguitoTest, SeededFoldersFollowUserDirsAndWrittenOnesStay)
{
    EXPECT_EQ(u.CartellaDocumenti(), home() + "/Documenti/");
    if (GetParam().written) {
        ASSERT_TRUE(Registro::ScriviValoreRegistro(Registro::HKEY_CURRENT_USER, Chiave, "Personal",
                                                   home() + GetParam().written, false));
    }
    userDirs("Carte"); // the user moves the documents
    const QString after = home() + "/" + GetParam().after + "/";
    EXPECT_EQ(u.CartellaDocumenti(), after);
    EXPECT_EQ(u.CartellaDesktop(), home() + "/Scrivania/"); // the others as they were
    userDirs("Documenti");                                  // and back
    EXPECT_EQ(u.CartellaDocumenti(), GetParam().written ? after : home() + "/Documenti/");
}

INSTANTIATE_TEST_SUITE_P(Moves, SeguitoTest,
                         ::testing::Values(SeguitoCase{"seeded", nullptr, "Carte"},
                                           SeguitoCase{"written_by_a_program", "/Archivio", "Archivio"}));

TEST_F(CartelleTest, AHiveThatCannotBeWrittenGivesTheXdgFolders)
{
    // A damaged database reads as empty and refuses every write.
    QDir().mkpath(env.registryFolder());
    const QByteArray damaged(4096, '\xFF');
    test::writeAll(KeyStore::databaseFile(Hive::LocalMachine), damaged);
    EXPECT_EQ(u.CartellaDatiCondivisi(), "/opt/qvprova/share/");
    EXPECT_EQ(u.CartellaImmaginiTuttiUtenti(), "");
    EXPECT_EQ(test::readAll(KeyStore::databaseFile(Hive::LocalMachine)), damaged);
}

} // namespace
} // namespace qv
