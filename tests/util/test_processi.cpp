// SPDX-License-Identifier: MIT
// Processes, the desktop's opener and waiting: programs run and waited for
// (a helper program built with the tests), command lines split into words
// without a shell, documents opened through the MIME associations of a
// desktop made up in a temporary folder, App Paths entries, addresses and
// the waits.
#include "platform/Processi.h"
#include "support/TestEnv.h"
#include "util/Registro.h"
#include <QProcess>

#include <qvpreview/qvUtilita.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <ostream>

namespace qv {
namespace {

const QString Helper = QStringLiteral(QV_HELPER_PROCESSI);

/// Waits up to 20 s for \a file to exist and be written; gives its bytes.
QByteArray waitForFile(const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        const QByteArray bytes = test::readAll(file);
        if (!bytes.isEmpty())
            return bytes;
        QThread::msleep(20);
    }
    return {};
}

struct Message
{
    QString text;
    QString title;
    platform::MessageIcon icon;
};

/// Collects the message boxes shown while it lives.
class Messages
{
public:
    Messages()
    {
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &text, const QString &title, platform::MessageIcon icon) {
                list.append({text, title, icon});
            });
    }
    ~Messages() { platform::setMessageBoxHandlerForTesting({}); }
    QList<Message> list;
};

// --- Command lines ----------------------------------------------------------------

struct SplitCase
{
    const char *name;
    QString line;
    std::optional<QStringList> words;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase>
{};

TEST_P(SplitCommandLineTest, SplitsAsAShellSplitsWords)
{
    EXPECT_EQ(platform::splitCommandLine(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"blanks", "  prog  a\tb \n c ", QStringList{"prog", "a", "b", "c"}},
        SplitCase{"single_quotes", "prog 'a b' 'x\"y\\z'", QStringList{"prog", "a b", "x\"y\\z"}},
        SplitCase{"double_quotes", "prog \"a b\" \"q\\\"r\" \"s\\t\"", QStringList{"prog", "a b", "q\"r", "s\\t"}},
        SplitCase{"backslash", "prog a\\ b \\'c", QStringList{"prog", "a b", "'c"}},
        SplitCase{"joined", "prog a'b c'\"d\"e", QStringList{"prog", "ab cde"}},
        SplitCase{"empty_word", "prog '' \"\"", QStringList{"prog", "", ""}},
        SplitCase{"no_expansion", "prog $HOME * ; > x `y`", QStringList{"prog", "$HOME", "*", ";", ">", "x", "`y`"}},
        SplitCase{"escaped_line_break", "prog a\\\nb", QStringList{"prog", "ab"}},
        SplitCase{"nothing", "   ", QStringList{}}, SplitCase{"unbalanced_single", "prog 'a", std::nullopt},
        SplitCase{"unbalanced_double", "prog \"a\\\"", std::nullopt},
        SplitCase{"lone_backslash", "prog a\\", std::nullopt}));

// --- ShellSospensiva ----------------------------------------------------------

struct ShellCase
{
    const char *name;
    QString toRun; // "<helper>" and "<out>" are replaced
    std::optional<QString> commandLine;
    bool result;
    std::optional<QByteArray> out; // what the helper wrote; nullopt: nothing
};

void PrintTo(const ShellCase &c, std::ostream *os)
{
    *os << c.name;
}

class ShellSospensivaTest : public test::TempEnvTest, public ::testing::WithParamInterface<ShellCase>
{
protected:
    QString fill(QString text) const { return text.replace("<helper>", Helper).replace("<out>", env.root() + "out"); }
};

TEST_P(ShellSospensivaTest, RunsTheProgramToItsEnd)
{
    const ShellCase &c = GetParam();
    const std::optional<QString> commandLine = c.commandLine ? std::optional(fill(*c.commandLine)) : std::nullopt;
    EXPECT_EQ(qvUtilita().ShellSospensiva(fill(c.toRun), commandLine), c.result);
    // The helper has finished writing when the call returns.
    if (c.out)
        EXPECT_EQ(test::readAll(env.root() + "out"), *c.out);
    else
        EXPECT_FALSE(QFile::exists(env.root() + "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ShellSospensivaTest,
    ::testing::Values(
        ShellCase{"arguments", "<helper> argomenti <out> uno due", std::nullopt, true, "uno\ndue\n"},
        ShellCase{"no_trailing_blank_without_command_line", "<helper> argomenti <out>", std::nullopt, true, ""},
        ShellCase{"command_line_after_one_blank", "<helper> argomenti", "<out> 'a b' \"c\\\"d\"", true, "a b\nc\"d\n"},
        ShellCase{"empty_command_line", "<helper> argomenti <out>", "", true, ""},
        ShellCase{"never_through_a_shell", "<helper> argomenti <out> $HOME '*' ; echo x", std::nullopt, true,
                  "$HOME\n*\n;\necho\nx\n"},
        ShellCase{"waits_for_the_end", "<helper> attendi <out> 300", std::nullopt, true, "fine"},
        ShellCase{"an_exit_status_is_no_failure", "<helper> esci 3", std::nullopt, true, std::nullopt},
        ShellCase{"a_crash_is_an_end", "<helper> crolla", std::nullopt, true, std::nullopt},
        ShellCase{"found_in_the_path", "true", std::nullopt, true, std::nullopt},
        ShellCase{"missing_program", "/manca/del/tutto argomenti <out>", std::nullopt, false, std::nullopt},
        ShellCase{"missing_in_the_path", "qv-programma-che-non-esiste", std::nullopt, false, std::nullopt},
        ShellCase{"a_folder", "/tmp", std::nullopt, false, std::nullopt},
        ShellCase{"unbalanced_quote", "<helper> argomenti '<out>", std::nullopt, false, std::nullopt},
        ShellCase{"empty", "", std::nullopt, false, std::nullopt}));

TEST(RunAndWait, GivesTheExitStatusAndTheSignal)
{
    EXPECT_EQ(platform::runAndWait({Helper, "esci", "0"}), 0);
    EXPECT_EQ(platform::runAndWait({Helper, "esci", "42"}), 42);
    EXPECT_EQ(platform::runAndWait({Helper, "crolla"}), 128 + SIGSEGV);
    EXPECT_EQ(platform::runAndWait({}), std::nullopt);
}

TEST_F(ShellSospensivaTest, AFileThatIsNoProgramIsNotStarted)
{
    const QString text =
        test::writeAll(env.root() + "testo.sh", "echo ciao > " + QFile::encodeName(env.root()) + "x\n");
    QFile::setPermissions(text, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Without "#!" no shell is asked to run it.
    EXPECT_FALSE(qvUtilita().ShellSospensiva(text));
    EXPECT_FALSE(QFile::exists(env.root() + "x"));
}

// --- EseguiEx: documents opened with the desktop's default program ----------------

/// A desktop of our own for the whole test program (GIO reads the
/// freedesktop folders once per process): two programs, one for PBM pictures
/// and one for the "qvprova:" addresses, both the helper writing what it was
/// given to a file. The shared MIME database is the system's.
class Desktop : public ::testing::Environment
{
public:
    static QString folder() { return s_dir->path() + QLatin1Char('/'); }
    static QString marker() { return folder() + "aperto"; }

    void SetUp() override
    {
        s_dir = new QTemporaryDir;
        const QString data = folder() + "data/";
        const QString apps = data + "applications/";
        QDir().mkpath(apps);
        QDir().mkpath(folder() + "config");
        QFile::link("/usr/share/mime", data + "mime");
        auto entry = [&](const char *file, const QString &exec, const char *type) {
            test::writeAll(apps + file, "[Desktop Entry]\nType=Application\nName=Prova\nExec=" + exec.toUtf8()
                                            + "\nMimeType=" + type + ";\n");
        };
        entry("qvprova.desktop", Helper + " apri " + marker() + " %f", "image/x-portable-bitmap");
        entry("qvindirizzo.desktop", Helper + " apri " + marker() + " %u", "x-scheme-handler/qvprova");
        // The index of the types that update-desktop-database writes, which
        // GIO reads.
        test::writeAll(apps + "mimeinfo.cache", "[MIME Cache]\nimage/x-portable-bitmap=qvprova.desktop;\n"
                                                "x-scheme-handler/qvprova=qvindirizzo.desktop;\n");
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder() + "home-data"));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(folder() + "config"));
    }
    void TearDown() override { delete s_dir; }

private:
    static inline QTemporaryDir *s_dir = nullptr;
};

[[maybe_unused]] const ::testing::Environment *const desktop = ::testing::AddGlobalTestEnvironment(new Desktop);

struct ApriCase
{
    const char *name;
    QString file;     // "<root>" is the test's folder
    QByteArray bytes; // written to the file when not empty
    bool result;
    QString suffix; // what the message adds to the file name; empty: no message
};

void PrintTo(const ApriCase &c, std::ostream *os)
{
    *os << c.name;
}

class EseguiExTest : public test::TempEnvTest, public ::testing::WithParamInterface<ApriCase>
{
protected:
    void SetUp() override { QFile::remove(Desktop::marker()); }
};

TEST_P(EseguiExTest, OpensWithTheDefaultProgramOrSaysWhyNot)
{
    const ApriCase &c = GetParam();
    QString file = c.file;
    file.replace("<root>", env.root());
    if (!c.bytes.isEmpty())
        test::writeAll(file, c.bytes);
    for (const bool muto : {false, true}) {
        QFile::remove(Desktop::marker());
        Messages messages;
        EXPECT_EQ(qvUtilita().EseguiEx(0, file, muto), c.result);
        if (c.suffix.isEmpty() || muto) {
            EXPECT_TRUE(messages.list.isEmpty());
        } else {
            ASSERT_EQ(messages.list.size(), 1);
            EXPECT_EQ(messages.list[0].text, file + c.suffix);
            EXPECT_EQ(messages.list[0].title, "Errore");
            EXPECT_EQ(messages.list[0].icon, platform::MessageIcon::Critical);
        }
        if (c.result) {
            EXPECT_EQ(waitForFile(Desktop::marker()), QFile::encodeName(file));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, EseguiExTest,
    ::testing::Values(ApriCase{"opened", "<root>immagine.pbm", "P1\n1 1\n0\n", true, QString()},
                      ApriCase{"address_opened", "qvprova:pagina", QByteArray(), true, QString()},
                      ApriCase{"missing_file", "<root>manca.pbm", QByteArray(), false, ": file non trovato!"},
                      ApriCase{"empty_name", "", QByteArray(), false, ": file non trovato!"},
                      ApriCase{"no_program_for_the_type", "<root>dati.qvz", QByteArray("\x01\x02\x03\x00\xff", 5),
                               false, ": nessun programma associato a questo tipo di file!"},
                      ApriCase{"no_program_for_the_scheme", "qvnessuno:pagina", QByteArray(), false,
                               ": nessun programma associato a questo tipo di file!"}));

TEST_F(EseguiExTest, AFileThatCannotBeReadIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every file";
    const QString file = test::writeAll(env.root() + "segreto.pbm", "P1\n1 1\n0\n");
    QFile::setPermissions(file, QFile::WriteOwner);
    Messages messages;
    EXPECT_FALSE(qvUtilita().EseguiEx(0, file, false));
    ASSERT_EQ(messages.list.size(), 1);
    EXPECT_EQ(messages.list[0].text, file + ": accesso negato!");
}

// --- StartApplicazione ---------------------------------------------------------------

class StartApplicazioneTest : public test::TempEnvTest
{
protected:
    void registra(const QString &name, const QString &program)
    {
        ASSERT_TRUE(Registro::ScriviValoreRegistro(Registro::HKEY_LOCAL_MACHINE,
                                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name,
                                                   QString(), program, true));
    }
};

TEST_F(StartApplicazioneTest, StartsTheRegisteredProgramWithoutWaiting)
{
    const QString marker = env.root() + "avviato";
    qputenv("QV_MARCATORE_AVVIO", QFile::encodeName(marker));
    registra("prova.exe", Helper);
    Messages messages;
    EXPECT_TRUE(qvUtilita().StartApplicazione("PROVA.EXE"));
    EXPECT_TRUE(messages.list.isEmpty());
    EXPECT_EQ(waitForFile(marker), "avviato");
    qunsetenv("QV_MARCATORE_AVVIO");
}

TEST_F(StartApplicazioneTest, AMissingEntryIsReported)
{
    Messages messages;
    EXPECT_FALSE(qvUtilita().StartApplicazione("nessuno.exe"));
    ASSERT_EQ(messages.list.size(), 1);
    EXPECT_EQ(messages.list[0].text, "nessuno.exe: Applicazione non trovata.");
    EXPECT_EQ(messages.list[0].title, "Errore");
    EXPECT_EQ(messages.list[0].icon, platform::MessageIcon::Warning);
}

TEST_F(StartApplicazioneTest, AProgramThatCannotStartIsReported)
{
    registra("perso.exe", "/manca/perso");
    Messages messages;
    EXPECT_FALSE(qvUtilita().StartApplicazione("perso.exe"));
    ASSERT_EQ(messages.list.size(), 1);
    EXPECT_EQ(messages.list[0].text, "/manca/perso: Impossibile trovare il file");
    EXPECT_EQ(messages.list[0].icon, platform::MessageIcon::Critical);
}

// --- Addresses -------------------------------------------------------------------------

TEST_F(StartApplicazioneTest, GoWebAndEMailOpenTheirAddressesAndReportNothing)
{
    QStringList opened;
    platform::setOpenUrlHandlerForTesting([&](const QString &url) {
        opened << url;
        return false; // a desktop that cannot open them: still nothing is shown
    });
    Messages messages;
    qvUtilita u;
    u.GoWeb(0, "https://www.example.org/pagina?a=1");
    u.EMail(0x1234);
    EXPECT_EQ(opened, (QStringList{"https://www.example.org/pagina?a=1", "Mailto:info@qvpreview.example.org"}));
    EXPECT_TRUE(messages.list.isEmpty());
}

// --- Waiting ------------------------------------------------------------------------------

TEST(WaitSecondi, ZeroWaitsForTheNextSecondAndKeepsTheWindowsAlive)
{
    bool timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    qvUtilita().WaitSecondi(0);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    EXPECT_GT(after / 1000, before / 1000);
    EXPECT_LE(after - before, 1500);
    EXPECT_TRUE(timerFired);
}

TEST(WaitSecondi, WaitsTheSecondsAfterTheCurrentOne)
{
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    qvUtilita().WaitSecondi(1);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    EXPECT_GE(after / 1000, before / 1000 + 2);
}

TEST(WaitSecondi, NegativeTimesReturnAtOnce)
{
    QElapsedTimer timer;
    timer.start();
    qvUtilita u;
    u.WaitSecondi(-1);
    u.WaitSecondi(std::numeric_limits<int16_t>::min());
    u.Sleep(-1);
    u.Sleep(std::numeric_limits<int32_t>::min());
    EXPECT_LT(timer.elapsed(), 500);
}

TEST(Sleep, SuspendsForTheMilliseconds)
{
    QElapsedTimer timer;
    timer.start();
    qvUtilita().Sleep(120);
    EXPECT_GE(timer.elapsed(), 120);
}

} // namespace
} // namespace qv
