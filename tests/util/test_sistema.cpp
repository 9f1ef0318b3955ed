// SPDX-License-Identifier: MIT
// The running system as the utility class reports it: the system version's
// codes and names (Windows records injected to reach every row), the system
// and Windows folders, volume serials, the user's number separators and the
// development-environment test.
#include "platform/Volumi.h"
#include "support/TestEnv.h"
#include <QProcess>

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <sys/stat.h>

#include <ostream>

namespace qv {
namespace {

using platform::SystemVersion;

struct SistemaCase
{
    const char *name;
    std::optional<SystemVersion> version; // nullopt: the query fails
    int32_t code;
    QString namePrefix; // what InfoSOVersione starts with, up to the numbers
};

void PrintTo(const SistemaCase &c, std::ostream *os)
{
    *os << c.name;
}

SystemVersion versione(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build = 1234,
                       const QString &servicePack = QStringLiteral("Service Pack 1"))
{
    return SystemVersion{major, minor, build, platformId, servicePack};
}

class InfoSOTest : public test::TempEnvTest, public ::testing::WithParamInterface<SistemaCase>
{};

TEST_P(InfoSOTest, MapsTheSystemVersionToItsCodeAndName)
{
    platform::setSystemVersionForTesting(std::make_optional(GetParam().version));
    qvUtilita u;
    EXPECT_EQ(u.InfoSO(), GetParam().code);
    const QString text = u.InfoSOVersione();
    if (!GetParam().version) {
        EXPECT_EQ(text, QString());
        return;
    }
    const SystemVersion &v = *GetParam().version;
    QString field = v.servicePack.left(128);
    field += QString(128 - field.size(), QChar(0));
    EXPECT_EQ(text,
              GetParam().namePrefix + QStringLiteral(" %1.%2.%3 ").arg(v.major).arg(v.minor).arg(v.build) + field);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, InfoSOTest,
    ::testing::Values(SistemaCase{"query_fails", std::nullopt, 0, QString()},
                      SistemaCase{"win32s", versione(0, 3, 10), 1, QStringLiteral("Wins32 ")},
                      SistemaCase{"windows_95", versione(1, 4, 0), 3, QStringLiteral("Windows 95")},
                      SistemaCase{"windows_98", versione(1, 4, 10, 67766222, QStringLiteral(" A ")), 5,
                                  QStringLiteral("Windows 98")},
                      SistemaCase{"windows_millennium", versione(1, 4, 90), 6, QStringLiteral("Windows Millennium")},
                      SistemaCase{"platform_1_other_major", versione(1, 5, 0), 6, QStringLiteral("Windows Millennium")},
                      SistemaCase{"nt_3", versione(2, 3, 51), 2, QStringLiteral("Windows NT")},
                      SistemaCase{"nt_4", versione(2, 4, 0), 4, QStringLiteral("Windows NT")},
                      SistemaCase{"windows_2000", versione(2, 5, 0), 7, QStringLiteral("Windows 2000")},
                      SistemaCase{"windows_xp", versione(2, 5, 1, 2600), 8, QStringLiteral("Windows XP")},
                      SistemaCase{"windows_5_2", versione(2, 5, 2), 7, QStringLiteral("Windows 2000")},
                      SistemaCase{"windows_vista", versione(2, 6, 0), 8, QStringLiteral("Windows XP")},
                      SistemaCase{"linux", versione(3, 6, 1, 0, QStringLiteral("#1 SMP")), 0, QString()},
                      SistemaCase{"service_pack_of_128", versione(2, 5, 1, 2600, QString(140, 'x')), 8,
                                  QStringLiteral("Windows XP")}));

TEST(InfoSOReal, LinuxIsNoWindowsFamilyButItsNumbersAreThere)
{
    qvUtilita u;
    EXPECT_EQ(u.InfoSO(), 0);
    const QString text = u.InfoSOVersione();
    ASSERT_GT(text.size(), 128);
    EXPECT_TRUE(text.startsWith(QLatin1Char(' ')));
    EXPECT_TRUE(text.mid(1).section(QLatin1Char(' '), 0, 0).contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+$")))
        << qPrintable(text);
}

// --- The system and Windows folders -------------------------------------------

struct CartellaCase
{
    const char *name;
    const char *variable;
    QString value;    // "<root>" stands for the test's folder; null: unset
    QString expected; // the same
};

void PrintTo(const CartellaCase &c, std::ostream *os)
{
    *os << c.name;
}

class CartelleTest : public test::TempEnvTest, public ::testing::WithParamInterface<CartellaCase>
{
protected:
    void TearDown() override
    {
        qunsetenv("QVPREVIEW_SYSTEM_DIR");
        qunsetenv("QVPREVIEW_WINDOWS_DIR");
    }
    QString inRoot(QString text) const { return text.replace(QStringLiteral("<root>"), env.root()); }
};

TEST_P(CartelleTest, AreTheConfiguredFoldersWithASeparator)
{
    if (GetParam().value.isNull())
        qunsetenv(GetParam().variable);
    else
        qputenv(GetParam().variable, QFile::encodeName(inRoot(GetParam().value)));
    qvUtilita u;
    const QString folder =
        QByteArray(GetParam().variable) == "QVPREVIEW_SYSTEM_DIR" ? u.GetWindowsSysDir() : u.CartellaWindows();
    EXPECT_EQ(folder, inRoot(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CartelleTest,
    ::testing::Values(
        CartellaCase{"system_configured", "QVPREVIEW_SYSTEM_DIR", "<root>tmp", "<root>tmp/"},
        CartellaCase{"system_with_separator", "QVPREVIEW_SYSTEM_DIR", "<root>tmp/", "<root>tmp/"},
        CartellaCase{"system_missing_folder", "QVPREVIEW_SYSTEM_DIR", "<root>manca", QString()},
        CartellaCase{"system_a_file", "QVPREVIEW_SYSTEM_DIR", "/proc/version", QString()},
        // The library folder the build was configured for (its install prefix).
        CartellaCase{"system_default", "QVPREVIEW_SYSTEM_DIR", QString(),
                     QDir(QStringLiteral(QV_CONFIGURED_LIBDIR)).exists() ? QStringLiteral(QV_CONFIGURED_LIBDIR "/")
                                                                         : QString()},
        CartellaCase{"windows_configured", "QVPREVIEW_WINDOWS_DIR", "/opt/tessavo", "/opt/tessavo/"},
        CartellaCase{"windows_blanks_removed", "QVPREVIEW_WINDOWS_DIR", "  /opt/tessavo  ", "/opt/tessavo/"},
        CartellaCase{"windows_only_blanks", "QVPREVIEW_WINDOWS_DIR", "   ", "/"},
        CartellaCase{"windows_default", "QVPREVIEW_WINDOWS_DIR", QString(), "/etc/"}));

// --- Volume serials -----------------------------------------------------------------

TEST(GetSerial, TheRootVolumeHasOneSignedSerialWhateverItIsCalled)
{
    qvUtilita u;
    const QString serial = u.GetSerialHD();
    bool ok = false;
    serial.toInt(&ok);
    ASSERT_TRUE(ok) << qPrintable(serial);
    for (const char *name : {"c", "C", "c:", "C:\\", "/", "/usr"}) {
        if (QByteArray(name) != "/usr" || QFileInfo("/usr").exists()) {
            EXPECT_EQ(u.GetSerialDrive(QString::fromLatin1(name)), serial) << name;
        }
    }
}

TEST(GetSerial, OtherLettersAndMissingPathsHaveNone)
{
    qvUtilita u;
    for (const char *name : {"d", "a:", "", "cc", "/manca/del/tutto"})
        EXPECT_EQ(u.GetSerialDrive(QString::fromLatin1(name)), QString()) << name;
}

TEST(GetSerial, AnotherFileSystemHasItsOwnSerial)
{
    if (!QFileInfo("/proc/self").exists())
        GTEST_SKIP() << "no /proc";
    qvUtilita u;
    EXPECT_NE(u.GetSerialDrive("/proc"), QString());
    EXPECT_NE(u.GetSerialDrive("/proc"), u.GetSerialHD());
}

struct FoldCase
{
    const char *uuid;
    std::optional<uint32_t> serial;
};

void PrintTo(const FoldCase &c, std::ostream *os)
{
    *os << c.uuid;
}

class FoldUuidTest : public ::testing::TestWithParam<FoldCase>
{};

TEST_P(FoldUuidTest, FoldsToThirtyTwoBits)
{
    EXPECT_EQ(platform::foldUuid(QString::fromLatin1(GetParam().uuid)), GetParam().serial);
}

INSTANTIATE_TEST_SUITE_P(Uuids, FoldUuidTest,
                         ::testing::Values(FoldCase{"1234-ABCD", 0x1234ABCDu}, FoldCase{"ABCD", 0xABCDu},
                                           FoldCase{"0A1B2C3D4E5F6071", 0x4E5F6071u},
                                           FoldCase{"00000001-0000-0002-0000-000300000004",
                                                    0x00000001u ^ 0x00000002u ^ 0x3u ^ 0x4u},
                                           FoldCase{"f0000000-0000-0000-0000-00000000000f", 0xF000000Fu},
                                           FoldCase{"123456789", 0x1u ^ 0x23456789u}, FoldCase{"", std::nullopt},
                                           FoldCase{"-", std::nullopt}, FoldCase{"12G4-ABCD", std::nullopt},
                                           FoldCase{"12\u00e9", std::nullopt}));

TEST(VolumeSerial, ComesFromTheUuidOfTheDeviceThatHoldsThePath)
{
    // A UUID folder of our own that names the block device of the root file
    // system, as udev's /dev/disk/by-uuid would.
    struct stat root
    {};
    ASSERT_EQ(::stat("/", &root), 0);
    QString device;
    for (const QString &name : QDir("/dev").entryList(QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)) {
        struct stat info
        {};
        if (::stat(QFile::encodeName("/dev/" + name).constData(), &info) == 0 && S_ISBLK(info.st_mode)
            && info.st_rdev == root.st_dev)
            device = "/dev/" + name;
    }
    if (device.isEmpty())
        GTEST_SKIP() << "the root file system's device is not in /dev";
    test::TempEnv env;
    const QString uuids = env.root() + "by-uuid";
    ASSERT_TRUE(QDir().mkpath(uuids));
    ASSERT_TRUE(QFile::link(device, uuids + "/1234-ABCD"));
    EXPECT_EQ(platform::volumeSerial("/", uuids), 0x1234ABCDu);
    EXPECT_EQ(platform::volumeSerial(device, uuids), 0x1234ABCDu);
    // Without it, a device has no serial and a folder the file system's id.
    const QString empty = env.root() + "vuota";
    ASSERT_TRUE(QDir().mkpath(empty));
    EXPECT_EQ(platform::volumeSerial(device, empty), std::nullopt);
    EXPECT_TRUE(platform::volumeSerial("/", empty).has_value());
}

// --- Number separators --------------------------------------------------------------

struct SeparatoriCase
{
    QLocale::Language language;
    QLocale::Territory territory;
    uint8_t decimal;
    uint8_t thousands;
};

void PrintTo(const SeparatoriCase &c, std::ostream *os)
{
    *os << QLocale(c.language, c.territory).name().toStdString();
}

class SeparatoriTest : public ::testing::TestWithParam<SeparatoriCase>
{
protected:
    void TearDown() override { QLocale::setDefault(m_old); }
    QLocale m_old;
};

TEST_P(SeparatoriTest, FollowTheUsersLocale)
{
    QLocale::setDefault(QLocale(GetParam().language, GetParam().territory));
    qvUtilita u;
    EXPECT_EQ(u.GetSeparatoreDecimale(), GetParam().decimal);
    EXPECT_EQ(u.GetSeparatoreMigliaia(), GetParam().thousands);
}

INSTANTIATE_TEST_SUITE_P(Locales, SeparatoriTest,
                         ::testing::Values(SeparatoriCase{QLocale::Italian, QLocale::Italy, 44, 46},
                                           SeparatoriCase{QLocale::English, QLocale::UnitedStates, 46, 44},
                                           // A blank (a narrow no-break space) groups the thousands.
                                           SeparatoriCase{QLocale::French, QLocale::France, 44, 0},
                                           // An apostrophe groups them.
                                           SeparatoriCase{QLocale::German, QLocale::Switzerland, 46, 0},
                                           // The C locale does not group.
                                           SeparatoriCase{QLocale::C, QLocale::AnyTerritory, 46, 0}));

// --- The development environment ----------------------------------------------------

struct AmbienteCase
{
    const char *fileName;
    bool development;
};

void PrintTo(const AmbienteCase &c, std::ostream *os)
{
    *os << c.fileName;
}

class IsVBEnvironmentTest : public test::TempEnvTest, public ::testing::WithParamInterface<AmbienteCase>
{};

TEST_P(IsVBEnvironmentTest, TellsByTheRunningProgramsFileName)
{
    // The helper program under the name of the case; a copy, since the
    // running program's file is the target of a link, not the link.
    const QString program = env.root() + QString::fromLatin1(GetParam().fileName);
    ASSERT_TRUE(QFile::copy(QStringLiteral(QV_HELPER_PROCESSI), program));
    QProcess run;
    run.start(program, {QStringLiteral("vb")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), GetParam().development ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Names, IsVBEnvironmentTest,
                         ::testing::Values(AmbienteCase{"vb6.exe", true}, AmbienteCase{"VB5CCE.EXE", true},
                                           AmbienteCase{"vb.exe", true}, AmbienteCase{"vb7cce.exe", true},
                                           AmbienteCase{"vb8.exe", false}, AmbienteCase{"vb6.exe.bak", false},
                                           AmbienteCase{"myvb6.exe", false}, AmbienteCase{"helper", false}));

TEST(IsVBEnvironmentReal, ATestProgramIsNoDevelopmentEnvironment)
{
    EXPECT_FALSE(qvUtilita().IsVBEnvironment());
}

} // namespace
} // namespace qv
