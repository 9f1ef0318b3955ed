// SPDX-License-Identifier: MIT
// The registry helpers of qvUtilita on a real key store in a temporary
// folder: text and number values, the read buffer, keys that must exist, the
// App Paths entry and two processes writing at once.
#include "HelperProcess.h"
#include "platform/KeyStore.h"
#include "support/TestEnv.h"
#include "util/Registro.h"

#include <qvpreview/qvUtilita.h>

#include <ostream>

namespace qv {
namespace {

using namespace Registro;

const QString Chiave = QStringLiteral("Software\\qvPreview\\Prova");

class RegistroTest : public test::TempEnvTest
{};

struct TextCase
{
    const char *name;
    QString text;
    bool whole; // read back whole; else the read fails
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.name;
}

class TextValueTest : public RegistroTest, public ::testing::WithParamInterface<TextCase>
{};

TEST_P(TextValueTest, ReadsBackWhatFitsTheBuffer)
{
    ASSERT_TRUE(ScriviValoreRegistro(HKEY_CURRENT_USER, Chiave, "Testo", GetParam().text, true));
    QString read = QStringLiteral("vecchio");
    EXPECT_EQ(LeggiValoreRegistro(HKEY_CURRENT_USER, Chiave, "testo", read), GetParam().whole);
    EXPECT_EQ(read, GetParam().whole ? GetParam().text : QString());
}

INSTANTIATE_TEST_SUITE_P(Texts, TextValueTest,
                         ::testing::Values(TextCase{"empty", QString(), true},
                                           TextCase{"short", QStringLiteral("C:\\Programmi\\"), true},
                                           TextCase{"bytes_1023", QString(1023, 'x'), true}, // with its NUL: 1024 bytes
                                           TextCase{"bytes_1024", QString(1024, 'x'), false}, // one byte too many
                                           TextCase{"utf8_1023", QString(511, QChar(0xE8)) + 'a', true},
                                           TextCase{"utf8_1024", QString(512, QChar(0xE8)), false},
                                           TextCase{"inner_blanks", QStringLiteral("  a b  "), true}));

class NumberValueTest : public RegistroTest, public ::testing::WithParamInterface<int32_t>
{};

TEST_P(NumberValueTest, ReadsAsATextThatGivesTheNumberBack)
{
    ASSERT_TRUE(CreaChiaveRegistro(HKEY_LOCAL_MACHINE, Chiave));
    ASSERT_TRUE(ScriviValoreDWord(HKEY_LOCAL_MACHINE, Chiave, "/usr/lib/libprova.so.1", GetParam()));
    QString read;
    ASSERT_TRUE(LeggiValoreRegistro(HKEY_LOCAL_MACHINE, Chiave, "/USR/LIB/LIBPROVA.SO.1", read));
    bool ok = false;
    EXPECT_EQ(read.toInt(&ok), GetParam());
    EXPECT_TRUE(ok) << read.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberValueTest,
                         ::testing::Values(0, 1, 256, -1, 2147483647, int32_t(-2147483647 - 1)));

TEST_F(RegistroTest, TheDefaultValueHasTheEmptyName)
{
    ASSERT_TRUE(ScriviValoreRegistro(HKEY_CLASSES_ROOT, "qvPreview.PrintPreview\\Clsid", "", "{1234}", true));
    QString read;
    ASSERT_TRUE(LeggiValoreRegistro(HKEY_CLASSES_ROOT, "QVPREVIEW.PRINTPREVIEW/CLSID", "", read));
    EXPECT_EQ(read, QStringLiteral("{1234}"));
}

TEST_F(RegistroTest, MissingKeysAreNeitherReadNorCreated)
{
    QString read = QStringLiteral("vecchio");
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_CURRENT_USER, Chiave, "x", read));
    EXPECT_EQ(read, QString());
    EXPECT_FALSE(ScriviValoreRegistro(HKEY_CURRENT_USER, Chiave, "x", "v", false));
    EXPECT_FALSE(ScriviValoreDWord(HKEY_CURRENT_USER, Chiave, "x", 1));
    EXPECT_FALSE(platform::KeyStore(platform::Hive::CurrentUser).keyExists(Chiave));
    EXPECT_FALSE(platform::KeyStore(platform::Hive::CurrentUser).keyExists("Software"));
}

TEST_F(RegistroTest, AMissingValueOfAnExistingKeyIsNotFound)
{
    ASSERT_TRUE(CreaChiaveRegistro(HKEY_CURRENT_USER, Chiave));
    QString read = QStringLiteral("vecchio");
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_CURRENT_USER, Chiave, "x", read));
    EXPECT_EQ(read, QString());
}

TEST_F(RegistroTest, ValuesOfOtherTypesLeaveTheTextAlone)
{
    ASSERT_TRUE(platform::KeyStore(platform::Hive::CurrentUser)
                    .setValue(Chiave, "binario", platform::StoredValue{3, QByteArray("\x01\x02", 2)}, true));
    QString read = QStringLiteral("vecchio");
    EXPECT_TRUE(LeggiValoreRegistro(HKEY_CURRENT_USER, Chiave, "binario", read));
    EXPECT_EQ(read, QStringLiteral("vecchio"));
}

TEST_F(RegistroTest, UnknownHivesFail)
{
    QString read;
    EXPECT_FALSE(ScriviValoreRegistro(0x80000003u, Chiave, "x", "v", true));
    EXPECT_FALSE(LeggiValoreRegistro(0x80000003u, Chiave, "x", read));
    EXPECT_FALSE(CreaChiaveRegistro(0, Chiave));
    EXPECT_FALSE(CancellaValoreRegistro(0, Chiave, "x"));
}

TEST_F(RegistroTest, DeletingAValue)
{
    ASSERT_TRUE(ScriviValoreRegistro(HKEY_LOCAL_MACHINE, Chiave, "x", "v", true));
    EXPECT_TRUE(CancellaValoreRegistro(HKEY_LOCAL_MACHINE, Chiave, "X"));
    EXPECT_FALSE(CancellaValoreRegistro(HKEY_LOCAL_MACHINE, Chiave, "X"));
    QString read;
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_LOCAL_MACHINE, Chiave, "x", read));
}

struct AppCase
{
    const char *name;
    const char *registered; // nullptr: no entry
    const char *asked;
    const char *folder;
};

void PrintTo(const AppCase &c, std::ostream *os)
{
    *os << c.name;
}

class CartellaApplicazioneTest : public RegistroTest, public ::testing::WithParamInterface<AppCase>
{};

TEST_P(CartellaApplicazioneTest, ReadsTheAppPathsEntry)
{
    if (GetParam().registered) {
        ASSERT_TRUE(ScriviValoreRegistro(HKEY_LOCAL_MACHINE,
                                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\prova", "",
                                         QString::fromUtf8(GetParam().registered), true));
    }
    EXPECT_EQ(qvUtilita().CartellaApplicazione(QString::fromUtf8(GetParam().asked)),
              QString::fromUtf8(GetParam().folder));
}

INSTANTIATE_TEST_SUITE_P(Entries, CartellaApplicazioneTest,
                         ::testing::Values(AppCase{"registered", "/opt/prova/bin/prova", "prova", "/opt/prova/bin/"},
                                           AppCase{"case_blind", "/opt/prova/bin/prova", "PROVA", "/opt/prova/bin/"},
                                           AppCase{"windows_path", "C:\\Prova\\prova.exe", "prova", "C:\\Prova\\"},
                                           AppCase{"no_folder", "prova", "prova", ""},
                                           AppCase{"not_registered", nullptr, "prova", ""},
                                           AppCase{"other_program", "/opt/prova/bin/prova", "altro", ""}));

TEST_F(RegistroTest, TwoProcessesWritingAtOnceBothSucceed)
{
    constexpr int Values = 200;
    auto first = test::startHelper({QStringLiteral("registro"), QString::number(Values), QStringLiteral("a")});
    auto second = test::startHelper({QStringLiteral("registro"), QString::number(Values), QStringLiteral("b")});
    EXPECT_EQ(test::finishHelper(*first), 0);
    EXPECT_EQ(test::finishHelper(*second), 0);
    for (int n = 0; n < Values; ++n) {
        QString a, b;
        ASSERT_TRUE(LeggiValoreRegistro(HKEY_CURRENT_USER, "Software\\Prova", QStringLiteral("a%1").arg(n), a));
        ASSERT_TRUE(LeggiValoreRegistro(HKEY_CURRENT_USER, "Software\\Prova", QStringLiteral("b%1").arg(n), b));
        EXPECT_EQ(a, QString::number(n));
        EXPECT_EQ(b, QString::number(n));
    }
}

} // namespace
} // namespace qv
