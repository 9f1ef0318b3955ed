// SPDX-License-Identifier: MIT
// Components, shared files, uninstall entries and launchers: libraries and
// programs registered by their kind (a test library, the helper program and
// the real control library, into a temporary key store), the usage counts,
// the entries of installed programs and the ".desktop" launchers.
#include "platform/Collegamento.h"
#include "platform/KeyStore.h"
#include "platform/Processi.h"
#include "support/TestEnv.h"
#include "util/Registro.h"
#include <QProcess>

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <ostream>

namespace qv {
namespace {

const QString Libreria = QStringLiteral(QV_LIBRERIA_PROVA);
const QString Helper = QStringLiteral(QV_HELPER_PROCESSI);

/// True when the test library's DllRegisterServer has run (and its
/// DllUnregisterServer not since).
bool registrata()
{
    QString value;
    return Registro::LeggiValoreRegistro(Registro::HKEY_CURRENT_USER, "Software\\qvProva", "Registrata", value);
}

class ComponentiTest : public test::TempEnvTest
{
protected:
    void TearDown() override
    {
        qunsetenv("QV_PROVA_HRESULT");
        qunsetenv("QV_PROVA_ESITO");
    }
    /// A copy of \a file named \a name in the test's folder.
    QString copia(const QString &file, const QString &name)
    {
        const QString path = env.root() + name;
        EXPECT_TRUE(QFile::copy(file, path)) << qPrintable(path);
        return path;
    }
};

struct TipoCase
{
    const char *name;   // the component's file name
    const char *source; // "libreria", "helper" or "testo"
    bool registered;
};

void PrintTo(const TipoCase &c, std::ostream *os)
{
    *os << c.name;
}

class TipoTest : public ComponentiTest, public ::testing::WithParamInterface<TipoCase>
{};

TEST_P(TipoTest, TheKindComesFromTheEndOfTheName)
{
    const QByteArray source = GetParam().source;
    const QString file = source == "libreria" ? Libreria : source == "helper" ? Helper : QString();
    const QString path = file.isEmpty() ? test::writeAll(env.root() + GetParam().name, "non una libreria\n")
                                        : copia(file, QString::fromLatin1(GetParam().name));
    qvUtilita u;
    EXPECT_EQ(u.RegistraServer(path), GetParam().registered);
    EXPECT_EQ(registrata(), GetParam().registered);
    EXPECT_EQ(u.DeRegistraServer(path), GetParam().registered);
    EXPECT_FALSE(registrata());
}

INSTANTIATE_TEST_SUITE_P(
    Names, TipoTest,
    ::testing::Values(TipoCase{"a.ocx", "libreria", true}, TipoCase{"prova.Dll", "libreria", true},
                      TipoCase{"PROVA.OCX", "libreria", true}, TipoCase{"libprova.so", "libreria", true},
                      TipoCase{"libprova.so.1", "libreria", true}, TipoCase{"libprova.so.1.2.0", "libreria", true},
                      TipoCase{"libprova.SO.1", "libreria", true}, TipoCase{"libprova.sox", "libreria", false},
                      TipoCase{"libprova.so.a", "libreria", false}, TipoCase{"libprova.bin", "libreria", false},
                      TipoCase{"testo.dll", "testo", false}, TipoCase{"programma.ocx", "helper", false}));

TEST_F(ComponentiTest, AFourCharacterNameIsNotTried)
{
    // ".ocx" in the current folder: a library, but too short a name to be tried.
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(env.root()));
    copia(Libreria, ".ocx");
    qvUtilita u;
    EXPECT_FALSE(u.RegistraServer(".ocx"));
    EXPECT_FALSE(registrata());
    copia(Libreria, "a.ocx");
    EXPECT_TRUE(u.RegistraServer("a.ocx")); // a relative name is a file of the current folder
    EXPECT_TRUE(registrata());
    QDir::setCurrent(old);
}

TEST_F(ComponentiTest, AFailedRegistrationIsAFailure)
{
    const QString path = copia(Libreria, "libprova.so");
    qputenv("QV_PROVA_HRESULT", QByteArray::number(int32_t(0x80004005u))); // E_FAIL
    qvUtilita u;
    EXPECT_FALSE(u.RegistraServer(path));
    EXPECT_FALSE(u.DeRegistraServer(path));
    qputenv("QV_PROVA_HRESULT", "1"); // S_FALSE is a success
    EXPECT_TRUE(u.RegistraServer(path));
}

TEST_F(ComponentiTest, AProgramRegistersWithItsArgument)
{
    const QString program = copia(Helper, "prova.exe");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qvUtilita u;
    EXPECT_EQ(u.PathServerExe("qvProva.Programma"), QString());
    EXPECT_TRUE(u.RegistraServer(program));
    EXPECT_EQ(u.PathServerExe("qvProva.Programma"), program + " /automation");
    EXPECT_EQ(u.PathServerOcx("qvProva.Programma"), QString());
    EXPECT_TRUE(u.DeRegistraServer(program));
    EXPECT_EQ(u.PathServerExe("qvProva.Programma"), QString());
    // A program that ends with another status did not register; one that
    // cannot start neither.
    qputenv("QV_PROVA_ESITO", "3");
    EXPECT_FALSE(u.RegistraServer(program));
    EXPECT_FALSE(u.RegistraServer(env.root() + "manca.exe"));
}

TEST_F(ComponentiTest, AProgramWithBlanksInItsPathIsOneWord)
{
    ASSERT_TRUE(QDir().mkpath(env.root() + "con spazi"));
    const QString program = copia(Helper, "con spazi/prova.exe");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(qvUtilita().RegistraServer(program));
    EXPECT_EQ(qvUtilita().PathServerExe("qvProva.Programma"), program + " /automation");
}

TEST_F(ComponentiTest, TheControlLibraryRegistersItselfAndIsFound)
{
    // The real library, as the installer puts it into the system folder.
    const QString library = copia(QStringLiteral(QV_LIBRARY_FILE), "libqvpreview.so.1");
    qvUtilita u;
    for (const char *progId : {"qvPreview.PrintPreview", "qvPreview.CPalette", "qvPreview.PageAnteprima"})
        EXPECT_EQ(u.PathServerOcx(QString::fromLatin1(progId)), QString()) << progId;
    ASSERT_TRUE(u.RegistraServer(library));
    for (const char *progId : {"qvPreview.PrintPreview", "QVPREVIEW.CPALETTE", "qvPreview.PageAnteprima"})
        EXPECT_EQ(u.PathServerOcx(QString::fromLatin1(progId)), library) << progId;
    EXPECT_EQ(u.PathServerExe("qvPreview.PrintPreview"), QString());
    ASSERT_TRUE(u.DeRegistraServer(library));
    for (const char *progId : {"qvPreview.PrintPreview", "qvPreview.CPalette", "qvPreview.PageAnteprima"})
        EXPECT_EQ(u.PathServerOcx(QString::fromLatin1(progId)), QString()) << progId;
    // Nothing of the classes is left behind; unregistering again is no failure.
    EXPECT_FALSE(
        platform::KeyStore(platform::Hive::ClassesRoot).keyExists("Clsid\\{D20F1AF3-C41C-458B-9FBD-EBE2A77D67F1}"));
    EXPECT_TRUE(u.DeRegistraServer(library));
}

TEST_F(ComponentiTest, ALibraryOffersOnlyItsOwnEntryPoint)
{
    // It links the control library, whose entry points the loader brings in
    // with it, and has none of its own.
    const QString control = copia(QStringLiteral(QV_LIBRARY_FILE), "libqvpreview.so.1");
    const QString plugin = copia(QStringLiteral(QV_LIBRERIA_SENZA_INGRESSO), "libplugin.so");
    qvUtilita u;
    EXPECT_FALSE(u.RegistraServer(plugin));
    EXPECT_EQ(u.PathServerOcx("qvPreview.PrintPreview"), QString());
    ASSERT_TRUE(u.RegistraServer(control));
    EXPECT_FALSE(u.DeRegistraServer(plugin));
    EXPECT_EQ(u.PathServerOcx("qvPreview.PrintPreview"), control);
}

TEST_F(ComponentiTest, AFifoIsNoLibraryAndDoesNotBlock)
{
    const QString fifo = env.root() + "x.so";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto chiamate = std::async(std::launch::async, [&] {
        qvUtilita u;
        return std::make_pair(u.RegistraServer(fifo), u.DeRegistraServer(fifo));
    });
    // A loader that opened the FIFO waits for a writer: one that comes (and
    // goes at once) lets it go on, so the test ends either way.
    bool blocked = false;
    while (chiamate.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        blocked = true;
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    EXPECT_FALSE(blocked) << "registration blocked on a FIFO";
    const auto [registra, deregistra] = chiamate.get();
    EXPECT_FALSE(registra);
    EXPECT_FALSE(deregistra);
}

TEST_F(ComponentiTest, PathServerOfAClassWithoutItsServerIsEmpty)
{
    ASSERT_TRUE(
        Registro::ScriviValoreRegistro(Registro::HKEY_CLASSES_ROOT, "qvProva.Mezza\\Clsid", QString(), "{X}", true));
    qvUtilita u;
    EXPECT_EQ(u.PathServerOcx("qvProva.Mezza"), QString());
    EXPECT_EQ(u.PathServerOcx("qvProva.Assente"), QString());
    EXPECT_EQ(u.PathServerOcx(QString()), QString());
}

// --- Shared-file counts -----------------------------------------------------------------

struct Passo
{
    enum Azione { Set, SetGiaPresente, Dec } azione;
    bool result;
    std::optional<int32_t> count; // afterwards; nullopt: no count
};

struct ContatoreCase
{
    const char *name;
    std::optional<QString> before; // a text value written first
    std::vector<Passo> passi;
};

void PrintTo(const ContatoreCase &c, std::ostream *os)
{
    *os << c.name;
}

class ContatoreTest : public ComponentiTest, public ::testing::WithParamInterface<ContatoreCase>
{};

const QString SharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const QString File = "/usr/local/lib/libqvpreview.so.1";

TEST_P(ContatoreTest, CountsTheUsesOfASharedFile)
{
    if (GetParam().before) {
        ASSERT_TRUE(
            Registro::ScriviValoreRegistro(Registro::HKEY_LOCAL_MACHINE, SharedDlls, File, *GetParam().before, true));
    }
    qvUtilita u;
    int step = 0;
    for (const Passo &p : GetParam().passi) {
        const bool result =
            p.azione == Passo::Dec ? u.DecFileShared(File) : u.SetFileShared(File, p.azione == Passo::SetGiaPresente);
        EXPECT_EQ(result, p.result) << "step " << step;
        const auto stored = platform::KeyStore(platform::Hive::LocalMachine).value(SharedDlls, File);
        if (p.count) {
            ASSERT_TRUE(stored.has_value()) << "step " << step;
            EXPECT_EQ(stored->type, platform::NumberValue) << "step " << step;
            EXPECT_EQ(stored->data, QByteArray(reinterpret_cast<const char *>(&*p.count), 4)) << "step " << step;
        } else if (!GetParam().before || step > 0) {
            EXPECT_FALSE(stored.has_value()) << "step " << step;
        }
        ++step;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ContatoreTest,
    ::testing::Values(
        ContatoreCase{"new_file_twice_then_down",
                      std::nullopt,
                      {{Passo::Set, true, 0},
                       {Passo::Set, true, 1},
                       {Passo::Dec, true, 0},
                       {Passo::Dec, true, {}},
                       {Passo::Dec, false, {}}}},
        ContatoreCase{
            "file_already_there", std::nullopt, {{Passo::SetGiaPresente, true, 1}, {Passo::SetGiaPresente, true, 2}}},
        ContatoreCase{"no_count_to_decrease", std::nullopt, {{Passo::Dec, false, {}}}},
        ContatoreCase{"count_written_as_text", QStringLiteral("5"), {{Passo::Set, true, 6}, {Passo::Dec, true, 5}}},
        ContatoreCase{"text_that_is_no_number", QStringLiteral("molti"), {{Passo::Set, true, 1}}},
        ContatoreCase{"count_beyond_32_bits", QStringLiteral("99999999999"), {{Passo::Set, false, {}}}},
        ContatoreCase{
            "highest_count", QStringLiteral("2147483647"), {{Passo::Set, false, {}}, {Passo::Dec, true, 2147483646}}}));

// --- Uninstall entries ------------------------------------------------------------------

struct DisinstallazioneCase
{
    int32_t subchiave;
    const char *valueName; // "" for the default value
};

void PrintTo(const DisinstallazioneCase &c, std::ostream *os)
{
    *os << "subchiave_" << c.subchiave;
}

class DisinstallazioneTest : public ComponentiTest, public ::testing::WithParamInterface<DisinstallazioneCase>
{};

TEST_P(DisinstallazioneTest, ReadsAndWritesTheValueChosenByNumber)
{
    qvUtilita u;
    const QString key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessavo";
    EXPECT_EQ(u.GetInfoDisinstallazione("Tessavo", GetParam().subchiave), QString());
    EXPECT_FALSE(u.SetInfoDisinstallazione("Tessavo", GetParam().subchiave, "valore", false));
    EXPECT_FALSE(platform::KeyStore(platform::Hive::LocalMachine).keyExists(key));
    ASSERT_TRUE(u.SetInfoDisinstallazione("Tessavo", GetParam().subchiave, "Tessavo 3.0", true));
    EXPECT_EQ(u.GetInfoDisinstallazione("TESSAVO", GetParam().subchiave), "Tessavo 3.0");
    QString stored;
    ASSERT_TRUE(Registro::LeggiValoreRegistro(Registro::HKEY_LOCAL_MACHINE, key,
                                              QString::fromLatin1(GetParam().valueName), stored));
    EXPECT_EQ(stored, "Tessavo 3.0");
    // The key exists now: a write without creating it works too.
    EXPECT_TRUE(u.SetInfoDisinstallazione("Tessavo", GetParam().subchiave, "altro", false));
    EXPECT_EQ(u.GetInfoDisinstallazione("Tessavo", GetParam().subchiave), "altro");
}

INSTANTIATE_TEST_SUITE_P(Values, DisinstallazioneTest,
                         ::testing::Values(DisinstallazioneCase{0, "ApplicationName"},
                                           DisinstallazioneCase{1, "DisplayName"},
                                           DisinstallazioneCase{2, "UninstallString"},
                                           DisinstallazioneCase{3, "AppToUninstall"}, DisinstallazioneCase{7, ""},
                                           DisinstallazioneCase{-1, ""}));

// --- Launchers -----------------------------------------------------------------------------

struct CollegamentoCase
{
    const char *name;
    QString launcher; // relative to the test's folder
    QString program;
    QString folder;
    QString written; // the file written, relative to the test's folder; empty: none
};

void PrintTo(const CollegamentoCase &c, std::ostream *os)
{
    *os << c.name;
}

class CollegamentoTest : public ComponentiTest, public ::testing::WithParamInterface<CollegamentoCase>
{};

/// The value of \a key in the entry \a text, with the string escapes undone.
QString valueOf(const QByteArray &text, const QString &key)
{
    for (const QString &line : QString::fromUtf8(text).split('\n')) {
        if (!line.startsWith(key + '='))
            continue;
        QString value;
        const QString raw = line.mid(key.size() + 1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                const QChar e = raw[++i];
                value += e == 's' ? QChar(' ') : e == 't' ? QChar('\t') : e;
            } else {
                value += raw[i];
            }
        }
        return value;
    }
    return QString();
}

TEST_P(CollegamentoTest, WritesALauncherTheDesktopAccepts)
{
    const CollegamentoCase &c = GetParam();
    const bool expected = !c.written.isEmpty();
    EXPECT_EQ(qvUtilita().CreaCollegamento(env.root() + c.launcher, c.program, c.folder), expected);
    const QStringList files = QDir(env.root()).entryList(QDir::Files);
    if (!expected) {
        EXPECT_TRUE(files.isEmpty()) << qPrintable(files.join(' '));
        return;
    }
    ASSERT_EQ(files, QStringList{c.written});
    const QString file = env.root() + c.written;
    const QByteArray text = test::readAll(file);
    EXPECT_EQ(valueOf(text, "Type"), "Application");
    EXPECT_EQ(valueOf(text, "Path"), c.folder);
    EXPECT_EQ(valueOf(text, "Icon"), c.program);
    // Exec holds the program as one quoted word: undo the field-code and
    // quoting rules and split it as a shell would.
    const QString exec = valueOf(text, "Exec").replace("%%", "%");
    EXPECT_EQ(platform::splitCommandLine(exec), QStringList{c.program}) << qPrintable(exec);
    EXPECT_TRUE(QFileInfo(file).isExecutable());

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (desktop-file-utils)";
    QProcess validate;
    validate.start(validator, {file});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString() << text.toStdString();
    EXPECT_EQ(validate.readAllStandardOutput(), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Launchers, CollegamentoTest,
    ::testing::Values(
        CollegamentoCase{"windows_name", "Tessavo.lnk", "/opt/tessavo/tessavo", "/opt/tessavo", "Tessavo.desktop"},
        CollegamentoCase{"upper_case_extension", "Tessavo.LNK", "/opt/tessavo/tessavo", "/opt/tessavo",
                         "Tessavo.desktop"},
        CollegamentoCase{"desktop_name", "Tessavo.desktop", "/opt/tessavo/tessavo", "/tmp", "Tessavo.desktop"},
        CollegamentoCase{"no_extension", "Tessavo", "/opt/tessavo/tessavo", "/tmp", "Tessavo.desktop"},
        CollegamentoCase{"hard_characters", "Prova difficile.lnk", "/opt/a b/\"q\" `x` $y \\z 50%/prog", "/opt/a b/\\c",
                         "Prova difficile.desktop"},
        CollegamentoCase{"accents", "Fatture è.lnk", "/opt/fatturazione/città", "/home/però", "Fatture è.desktop"},
        CollegamentoCase{"line_break_refused", "Rotto.lnk", "/opt/a\nb", "/tmp", QString()},
        CollegamentoCase{"empty_program_refused", "Vuoto.lnk", QString(), "/tmp", QString()},
        CollegamentoCase{"missing_folder", "manca/Tessavo.lnk", "/opt/tessavo/tessavo", "/tmp", QString()}));

// A link planted at the launcher's name (by whoever may write into the
// folder) is replaced by the launcher; the file it pointed at keeps its
// content and its permissions.
TEST_F(ComponentiTest, ALinkAtTheLaunchersNameIsReplacedNotFollowed)
{
    QDir(env.root()).mkdir("altrove");
    const QString victim = test::writeAll(env.root() + "altrove/segreto", "da non toccare");
    ::chmod(QFile::encodeName(victim).constData(), 0600);
    const QString launcher = env.root() + "Tessavo.desktop";
    ASSERT_TRUE(QFile::link(victim, launcher));
    EXPECT_TRUE(qvUtilita().CreaCollegamento(env.root() + "Tessavo.lnk", "/opt/tessavo/tessavo", "/tmp"));
    EXPECT_EQ(test::readAll(victim), "da non toccare");
    EXPECT_EQ(QFileInfo(victim).permissions() & 0x0777, QFileDevice::Permissions(0x0600));
    EXPECT_FALSE(QFileInfo(launcher).isSymLink());
    EXPECT_EQ(valueOf(test::readAll(launcher), "Exec"), "\"/opt/tessavo/tessavo\"");
}

// A launcher to a document or a folder opens it with its default
// application: it validates, and started as the desktop starts it (gio
// launch) it runs the application of the target's type. The application
// here is the helper program, which writes what it was given into a FIFO
// that the test waits on.
class LauncherToADocumentTest : public ComponentiTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(LauncherToADocumentTest, OpensItWithItsDefaultApplication)
{
    const bool folder = GetParam();
    const QString target =
        folder ? env.root() + "Documenti" : test::writeAll(env.root() + "lettera.txt", "Gentile cliente\n");
    if (folder)
        QDir(env.root()).mkdir("Documenti");
    ASSERT_TRUE(qvUtilita().CreaCollegamento(env.root() + "Apri.lnk", target, env.root()));
    const QString launcher = env.root() + "Apri.desktop";
    const QByteArray text = test::readAll(launcher);
    EXPECT_EQ(valueOf(text, "Type"), "Application");
    EXPECT_EQ(platform::splitCommandLine(valueOf(text, "Exec").replace("%%", "%")),
              QStringList({"gio", "open", target}));
    EXPECT_EQ(valueOf(text, "Icon"), folder ? "folder" : "text-x-generic");

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    const QString gio = QStandardPaths::findExecutable("gio");
    if (validator.isEmpty() || gio.isEmpty())
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) or gio (libglib2.0-bin) is not installed";
    QProcess validate;
    validate.start(validator, {launcher});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAllStandardOutput(), QByteArray()) << text.toStdString();

    // A desktop of the test's own: one application for texts and folders.
    const QString fifo = env.root() + "aperto";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString data = env.root() + "data/";
    QDir().mkpath(data + "applications");
    QFile::link("/usr/share/mime", data + "mime");
    test::writeAll(data + "applications/qvapri.desktop",
                   "[Desktop Entry]\nType=Application\nName=Apri\nExec=" + Helper.toUtf8() + " apri " + fifo.toUtf8()
                       + " %f\nMimeType=text/plain;inode/directory;\n");
    test::writeAll(data + "applications/mimeinfo.cache",
                   "[MIME Cache]\ntext/plain=qvapri.desktop;\ninode/directory=qvapri.desktop;\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_DIRS", data);
    environment.insert("XDG_DATA_HOME", env.root() + "home-data");
    environment.insert("XDG_CONFIG_HOME", env.root() + "home-config");
    environment.insert("XDG_CONFIG_DIRS", env.root() + "config");

    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QProcess launch;
    launch.setProcessEnvironment(environment);
    launch.start(gio, {"launch", launcher});
    ASSERT_TRUE(launch.waitForFinished(60000));
    EXPECT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
    // The application writes the path it was given once it runs.
    pollfd opened{reader, POLLIN, 0};
    ASSERT_EQ(::poll(&opened, 1, 60000), 1) << "no application was started";
    char buffer[4096];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(QByteArray(buffer, int(std::max<ssize_t>(got, 0))), QFile::encodeName(target));
}

INSTANTIATE_TEST_SUITE_P(Targets, LauncherToADocumentTest, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Folder" : "TextFile"; });

} // namespace
} // namespace qv
