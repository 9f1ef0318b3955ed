// SPDX-License-Identifier: MIT
// Paths, folders, temporary files, the write test, files in use and the
// expansion of compressed files, on real files in a temporary folder.
#include "HelperProcess.h"
#include "platform/FileSystem.h"
#include "support/FileLimit.h"
#include "support/Szdd.h"
#include "support/TestEnv.h"

#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <ostream>

namespace qv {
namespace {

using test::readAll;
using test::writeFile;

// --- Path pieces -------------------------------------------------------------

struct PieceCase
{
    const char *operation;
    const char *input;
    const char *expected;
};

void PrintTo(const PieceCase &c, std::ostream *os)
{
    *os << c.operation << "(" << c.input << ")";
}

class PathPieceTest : public ::testing::TestWithParam<PieceCase>
{};

TEST_P(PathPieceTest, GivesThePiece)
{
    qvUtilita u;
    const QByteArray op = GetParam().operation;
    QString input = QString::fromUtf8(GetParam().input);
    const QString expected = QString::fromUtf8(GetParam().expected);
    if (op == "AggiungiSepDir") {
        EXPECT_EQ(u.AggiungiSepDir(input), expected);
        EXPECT_EQ(input, expected); // in the caller's variable too
    } else if (op == "DeterminaSoloFileName") {
        EXPECT_EQ(u.DeterminaSoloFileName(input), expected);
    } else if (op == "EstraiEstensione") {
        EXPECT_EQ(u.EstraiEstensione(input), expected);
    } else {
        EXPECT_EQ(u.EstraiPath(input), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, PathPieceTest,
    ::testing::Values(
        PieceCase{"AggiungiSepDir", "  /tmp/prova  ", "/tmp/prova/"},
        PieceCase{"AggiungiSepDir", "/tmp/prova/", "/tmp/prova/"},
        PieceCase{"AggiungiSepDir", " C:\\Temp ", "C:\\Temp/"}, PieceCase{"AggiungiSepDir", "C:\\Temp\\", "C:\\Temp\\"},
        PieceCase{"AggiungiSepDir", "   ", ""}, PieceCase{"AggiungiSepDir", "", ""},
        PieceCase{"AggiungiSepDir", "\tx", "\tx/"}, // only blanks are trimmed
        PieceCase{"DeterminaSoloFileName", "C:\\Dati\\file.txt", "file.txt"},
        PieceCase{"DeterminaSoloFileName", "a/b/c.txt", "c.txt"},
        PieceCase{"DeterminaSoloFileName", "a/b\\c.txt", "c.txt"},
        PieceCase{"DeterminaSoloFileName", "file.txt", "file.txt"}, PieceCase{"DeterminaSoloFileName", "/tmp/", ""},
        PieceCase{"DeterminaSoloFileName", "", ""}, PieceCase{"EstraiEstensione", "Stampa.prn", "prn"},
        PieceCase{"EstraiEstensione", "archivio.tar.gz", "gz"}, PieceCase{"EstraiEstensione", "LEGGIMI", ""},
        PieceCase{"EstraiEstensione", ".bashrc", ""}, PieceCase{"EstraiEstensione", "file.", ""},
        PieceCase{"EstraiEstensione", "/home/a.b/file", "b/file"}, // the scan passes separators
        PieceCase{"EstraiPath", "C:\\Dati\\file.txt", "C:\\Dati\\"},
        PieceCase{"EstraiPath", "/home/utente/file.txt", "/home/utente/"}, PieceCase{"EstraiPath", "a/b\\c", "a/b\\"},
        PieceCase{"EstraiPath", "file.txt", ""}, PieceCase{"EstraiPath", "\\file.txt", ""},
        PieceCase{"EstraiPath", "/vmlinuz", "/"}));

// --- Folders -------------------------------------------------------------------

class FileTest : public test::TempEnvTest
{
protected:
    QString path(const QString &name) const { return env.root() + name; }
};

TEST_F(FileTest, CreaPercorsoDirectoryCreatesEveryMissingLevel)
{
    QString folder = path("A/B/C");
    EXPECT_TRUE(qvUtilita().CreaPercorsoDirectory(folder));
    EXPECT_EQ(folder, path("A/B/C/"));
    EXPECT_TRUE(QFileInfo(path("A/B/C")).isDir());
    EXPECT_TRUE(qvUtilita().CreaPercorsoDirectory(folder)); // already there
}

TEST_F(FileTest, CreaPercorsoDirectoryOfARelativePath)
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(env.root());
    QString folder = QStringLiteral("uno/due");
    EXPECT_TRUE(qvUtilita().CreaPercorsoDirectory(folder));
    QDir::setCurrent(old);
    EXPECT_TRUE(QFileInfo(path("uno/due")).isDir());
}

class CreaPercorsoFailureTest : public FileTest, public ::testing::WithParamInterface<const char *>
{};

TEST_P(CreaPercorsoFailureTest, GivesFalse)
{
    writeFile(path("file"), "x");
    QString folder = QString::fromUtf8(GetParam()).replace("ROOT/", env.root());
    EXPECT_FALSE(qvUtilita().CreaPercorsoDirectory(folder));
    EXPECT_EQ(readAll(path("file")), QByteArray("x"));
}

INSTANTIATE_TEST_SUITE_P(Paths, CreaPercorsoFailureTest,
                         ::testing::Values("", "    ", "ROOT/file/sotto", "ROOT/file", "/proc/qv-prova/sotto"));

TEST_F(FileTest, CurDirAppMovesToTheModulesFolder)
{
    const QString old = QDir::currentPath();
    qvUtilita().CurDirApp();
    const QString now = QDir::currentPath();
    QDir::setCurrent(old);
    EXPECT_EQ(now, platform::moduleFolder());
    EXPECT_TRUE(QFileInfo::exists(now + "/" + QFileInfo(platform::moduleFile()).fileName()));
}

TEST_F(FileTest, TheModuleIsNotOnANetworkFileSystemHere)
{
    EXPECT_FALSE(qvUtilita().DirectoryRete());
}

class NetworkTypeTest : public ::testing::TestWithParam<std::pair<int64_t, bool>>
{};

TEST_P(NetworkTypeTest, KnowsTheNetworkFileSystems)
{
    EXPECT_EQ(platform::isNetworkFileSystemType(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Magics, NetworkTypeTest,
                         ::testing::Values(std::pair<int64_t, bool>{0x6969, true},        // NFS
                                           std::pair<int64_t, bool>{0xFF534D42, true},    // CIFS
                                           std::pair<int64_t, bool>{0xFE534D42, true},    // SMB2
                                           std::pair<int64_t, bool>{0x517B, true},        // SMB
                                           std::pair<int64_t, bool>{0x01021997, true},    // 9P
                                           std::pair<int64_t, bool>{0xEF53, false},       // ext4
                                           std::pair<int64_t, bool>{0x01021994, false},   // tmpfs
                                           std::pair<int64_t, bool>{0x794C7630, false},   // overlayfs
                                           std::pair<int64_t, bool>{0x65735546, false})); // FUSE: may be local

// --- Temporary files -----------------------------------------------------------

TEST_F(FileTest, TemporaryFolderAndFiles)
{
    qvUtilita u;
    EXPECT_EQ(u.GetDirectoryTemp(), env.tempFolder());
    const QString first = u.GetFileTemporaneo();
    const QString second = u.GetFileTemporaneo();
    EXPECT_NE(first, second);
    for (const QString &file : {first, second}) {
        EXPECT_TRUE(file.startsWith(env.tempFolder() + "qv")) << file.toStdString();
        EXPECT_TRUE(file.endsWith(".tmp"));
        EXPECT_TRUE(QFileInfo(file).isFile());
        EXPECT_EQ(QFileInfo(file).size(), 0);
    }
}

TEST_F(FileTest, AMissingTmpdirGivesTheSystemsTemporaryFolder)
{
    qputenv("TMPDIR", QFile::encodeName(path("manca")));
    EXPECT_EQ(qvUtilita().GetDirectoryTemp(), QStringLiteral("/tmp/"));
}

TEST_F(FileTest, AFolderWithoutRoomForFilesGivesTheFixedName)
{
    test::ReadOnlyFolder readOnly(env.tempFolder());
    if (!readOnly.active())
        GTEST_SKIP() << "no way to make a read-only folder here";
    EXPECT_EQ(qvUtilita().GetFileTemporaneo(), env.tempFolder() + "qv12345.tmp");
    EXPECT_FALSE(QFileInfo::exists(env.tempFolder() + "qv12345.tmp"));
}

// --- WriteAccess ---------------------------------------------------------------

class WriteAccessTest : public FileTest
{
protected:
    void SetUp() override
    {
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &text, const QString &title, platform::MessageIcon icon) {
                boxes << title + "|" + text + "|" + QString::number(int(icon));
            });
    }
    QStringList boxes;
};

TEST_F(WriteAccessTest, AWritableFolderLeavesNoProbeBehind)
{
    EXPECT_TRUE(qvUtilita().WriteAccess(env.root()));
    EXPECT_TRUE(qvUtilita().WriteAccess(path("").chopped(1))); // without the trailing separator
    EXPECT_TRUE(QDir(env.root()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(WriteAccessTest, AUsersFileWithTheProbesNameIsNeverTouched)
{
    writeFile(path("120asd12.tmp"), "dati dell'utente");
    writeFile(path("120asd12-1.tmp"), "altri dati");
    EXPECT_TRUE(qvUtilita().WriteAccess(env.root()));
    EXPECT_EQ(readAll(path("120asd12.tmp")), QByteArray("dati dell'utente"));
    EXPECT_EQ(readAll(path("120asd12-1.tmp")), QByteArray("altri dati"));
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files).size(), 2);
}

TEST_F(WriteAccessTest, AMissingFolderShowsTheErrorOnce)
{
    EXPECT_FALSE(qvUtilita().WriteAccess(path("manca")));
    EXPECT_EQ(boxes, QStringList{"Errore|Errore #  76\rImpossibile trovare il percorso |16"});
    EXPECT_FALSE(QFileInfo::exists(path("manca")));
}

TEST_F(WriteAccessTest, AReadOnlyFolderShowsTheErrorOnce)
{
    QDir(env.root()).mkdir("sola-lettura");
    test::ReadOnlyFolder readOnly(path("sola-lettura"));
    if (!readOnly.active())
        GTEST_SKIP() << "no way to make a read-only folder here";
    EXPECT_FALSE(qvUtilita().WriteAccess(path("sola-lettura")));
    EXPECT_EQ(boxes, QStringList{"Errore|Errore #  75\rErrore di accesso al percorso/file|16"});
}

// --- FileAperto ------------------------------------------------------------------

struct FileApertoCase
{
    const char *mode; // how the other process holds the file
    bool throughLink; // it opened the file by another name (a hard link)
    bool inUse;
};

void PrintTo(const FileApertoCase &c, std::ostream *os)
{
    *os << c.mode << (c.throughLink ? " through a link" : "");
}

class FileApertoTest : public FileTest, public ::testing::WithParamInterface<FileApertoCase>
{};

TEST_P(FileApertoTest, SeesAnotherProcessHoldingOrLocking)
{
    const QString file = path("documento.txt");
    writeFile(file, "testo");
    QString held = file;
    if (GetParam().throughLink) {
        held = path("altro-nome.txt");
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(held).constData()), 0);
    }
    auto holder = test::startHelper({QStringLiteral("tieni"), held, QString::fromUtf8(GetParam().mode)});
    ASSERT_TRUE(holder->waitForReadyRead(10000));
    ASSERT_EQ(holder->readLine().trimmed(), QByteArray("pronto"));
    EXPECT_EQ(qvUtilita().FileAperto(file), GetParam().inUse);
    holder->closeWriteChannel();
    EXPECT_EQ(test::finishHelper(*holder), 0);
    EXPECT_FALSE(qvUtilita().FileAperto(file)); // let go
}

// A reader holds the file as much as a writer: opening it denying all others
// would fail while either has it.
INSTANTIATE_TEST_SUITE_P(Holds, FileApertoTest,
                         ::testing::Values(FileApertoCase{"write", false, true}, FileApertoCase{"read", false, true},
                                           FileApertoCase{"read", true, true}, FileApertoCase{"flock", false, true},
                                           FileApertoCase{"posix", false, true}, FileApertoCase{"ofd", false, true}));

TEST_F(FileTest, FileApertoOfAMissingFileOrOneThisProcessHolds)
{
    EXPECT_FALSE(qvUtilita().FileAperto(path("manca.txt")));
    writeFile(path("mio.txt"), "x");
    const int fd = ::open(QFile::encodeName(path("mio.txt")).constData(), O_WRONLY);
    EXPECT_FALSE(qvUtilita().FileAperto(path("mio.txt")));
    ::close(fd);
}

// --- Decomprimi --------------------------------------------------------------------

QByteArray repetitiveText()
{
    QByteArray text("     inizia con blank, come la finestra\r\n");
    for (int n = 0; n < 200; ++n)
        text += "Riga " + QByteArray::number(n) + ": totale imponibile 1.234,56 EUR\r\n";
    return text;
}

QByteArray allBytes()
{
    QByteArray bytes;
    for (int n = 0; n < 20; ++n)
        for (int b = 0; b < 256; ++b)
            bytes.append(char((b * 7 + n) & 0xFF));
    return bytes;
}

struct ExpandCase
{
    const char *name;
    QByteArray source;
    std::optional<QByteArray> expanded; // nullopt: the call fails
};

void PrintTo(const ExpandCase &c, std::ostream *os)
{
    *os << c.name;
}

class DecomprimiTest : public FileTest, public ::testing::WithParamInterface<ExpandCase>
{};

TEST_P(DecomprimiTest, ExpandsCopiesOrLeavesTheDestinationAlone)
{
    writeFile(path("sorgente._"), GetParam().source);
    writeFile(path("destinazione"), "contenuto precedente");
    const bool ok = qvUtilita().Decomprimi(path("sorgente._"), path("destinazione"));
    EXPECT_EQ(ok, GetParam().expanded.has_value());
    EXPECT_EQ(readAll(path("destinazione")), GetParam().expanded.value_or("contenuto precedente"));
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files).size(), 2); // no partial file left
    EXPECT_EQ(readAll(path("sorgente._")), GetParam().source);
}

const QByteArray Text = repetitiveText();

INSTANTIATE_TEST_SUITE_P(
    Sources, DecomprimiTest,
    ::testing::Values(ExpandCase{"literals_only", test::szdd("Ciao, mondo!\n", false), QByteArray("Ciao, mondo!\n")},
                      ExpandCase{"references", test::szdd(Text), Text},
                      ExpandCase{"every_byte", test::szdd(allBytes()), allBytes()},
                      ExpandCase{"one_byte", test::szdd("x"), QByteArray("x")},
                      ExpandCase{"not_compressed", QByteArray("testo in chiaro\n"), QByteArray("testo in chiaro\n")},
                      ExpandCase{"almost_a_signature", QByteArray("SZDD\x88\xF0\x27", 7),
                                 QByteArray("SZDD\x88\xF0\x27", 7)},
                      ExpandCase{"empty_source", QByteArray(), std::nullopt},
                      ExpandCase{"empty_original", test::szdd(QByteArray()), std::nullopt},
                      ExpandCase{"truncated", test::szdd(Text).left(test::szdd(Text).size() / 2), std::nullopt},
                      ExpandCase{"header_cut", test::szdd(Text).left(11), std::nullopt},
                      ExpandCase{"huge_claimed_size", test::szdd(Text, true, 0xFFFFFFFFu), std::nullopt},
                      ExpandCase{"size_claimed_too_small", test::szdd(Text, true, 100), std::nullopt}));

TEST_F(FileTest, DecomprimiOfAMissingSourceOrIntoAMissingFolder)
{
    qvUtilita u;
    EXPECT_FALSE(u.Decomprimi(path("manca"), path("destinazione")));
    EXPECT_FALSE(QFileInfo::exists(path("destinazione")));
    writeFile(path("sorgente"), test::szdd("dati"));
    EXPECT_FALSE(u.Decomprimi(path("sorgente"), path("manca/destinazione")));
}

TEST_F(FileTest, DecomprimiInPlaceReplacesTheCompressedFile)
{
    ASSERT_LT(test::szdd(Text).size(), Text.size() / 2); // the file is mostly references
    writeFile(path("file"), test::szdd(Text));
    EXPECT_TRUE(qvUtilita().Decomprimi(path("file"), path("file")));
    EXPECT_EQ(readAll(path("file")), Text);
}

TEST_F(FileTest, DecomprimiThatRunsOutOfRoomKeepsTheOldDestination)
{
    QByteArray big;
    while (big.size() < 64 * 1024)
        big += Text;
    writeFile(path("sorgente"), test::szdd(big));
    writeFile(path("destinazione"), "contenuto precedente");
    {
        test::FileSizeLimit limit(32 * 1024);
        EXPECT_FALSE(qvUtilita().Decomprimi(path("sorgente"), path("destinazione")));
    }
    EXPECT_EQ(readAll(path("destinazione")), QByteArray("contenuto precedente"));
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files).size(), 2);
}

} // namespace
} // namespace qv
