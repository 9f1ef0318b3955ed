// The service-pack installer driven as a user drives it: its window on the
// offscreen platform, a click on the real button, the message boxes read
// through the platform layer, a temporary system folder and key store, the
// real control library as the new file. Installed files older, equal and
// newer, damaged, missing; a failed registration; a missing source; a full
// disk; a host running the old library during the install.
#include "platform/KeyStore.h"
#include "setup/Form1.h"
#include "setup/Modulo2.h"
#include "support/FileLimit.h"
#include "support/FileVersione.h"
#include "support/TestEnv.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <sys/mount.h>

#include <memory>
#include <ostream>

namespace qv {
namespace {

const QString NuovaLibreria = QStringLiteral(QV_LIBRARY_FILE);
const QString Riuscita = QStringLiteral(
    "Installazione Service Pack avvenuta correttamente. Si consiglia di riavviare il personal computer.");
const QString Aggiornato = QStringLiteral("Tessavo è già aggiornato.");
const QString Fallita = QStringLiteral("Installazione Service Pack fallita. Riavviare Windows e ripetere l'installazione!");

struct Message
{
    QString text;
    QString title;
    platform::MessageIcon icon;

    bool operator==(const Message &) const = default;
};

void PrintTo(const Message &m, std::ostream *os)
{
    *os << '"' << m.text.toStdString() << "\" / " << m.title.toStdString() << " / " << int(m.icon);
}

Message informazione(const QString &text)
{
    return {text, QStringLiteral("Upgrade"), platform::MessageIcon::Information};
}

Message errore(const QString &text)
{
    return {text, QStringLiteral("Errore"), platform::MessageIcon::Critical};
}

/// A temporary system folder, a service-pack folder holding the real control
/// library, and the installer's window started from it.
class SetupTest : public test::TempEnvTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(sistema()));
        ASSERT_TRUE(QDir().mkpath(servicePack()));
        ASSERT_TRUE(QFile::copy(NuovaLibreria, servicePack() + "libqvpreview.so.1"));
        qputenv("QVPREVIEW_SYSTEM_DIR", QFile::encodeName(sistema()));
        platform::setMessageBoxHandlerForTesting([this](const QString &text, const QString &title,
                                                        platform::MessageIcon icon) {
            messages.append({text, title, icon});
        });
    }
    void TearDown() override { qunsetenv("QVPREVIEW_SYSTEM_DIR"); }

    QString sistema() const { return env.root() + "system/"; }
    QString servicePack() const { return env.root() + "sp/"; }
    QString destinazione() const { return sistema() + "libqvpreview.so.1"; }

    Form1 &apri()
    {
        form = std::make_unique<Form1>(servicePack());
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }
    /// Opens the window and presses its button, as the user does.
    void installa()
    {
        apri();
        ASSERT_TRUE(form->Command1->isEnabled());
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    }
    QString registrata() const { return qvUtilita().PathServerOcx(QStringLiteral("qvPreview.PrintPreview")); }
    /// Files of the system folder other than the library (temporary copies).
    QStringList altriFile() const
    {
        QStringList files = QDir(sistema()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        files.removeAll("libqvpreview.so.1");
        return files;
    }

    QList<Message> messages;
    std::unique_ptr<Form1> form;
};

// --- The installed file and what the installer does with it ----------------------

struct InstallazioneCase
{
    const char *name;
    std::optional<QByteArray> installed; // nullopt: no library installed
    bool replaced;
};

void PrintTo(const InstallazioneCase &c, std::ostream *os)
{
    *os << c.name;
}

class InstallazioneTest : public SetupTest, public ::testing::WithParamInterface<InstallazioneCase>
{
};

TEST_P(InstallazioneTest, ReplacesOnlyAnOlderLibraryAndRegistersIt)
{
    const InstallazioneCase &c = GetParam();
    if (c.installed)
        test::writeAll(destinazione(), *c.installed);
    installa();
    if (c.replaced) {
        EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
        EXPECT_EQ(test::readAll(destinazione()), test::readAll(NuovaLibreria));
        EXPECT_EQ(qvUtilita().GetVersione(destinazione()), "1.2.0.48");
        EXPECT_EQ(registrata(), destinazione());
        EXPECT_FALSE(form->isVisible()); // the program ends with its window
    } else {
        EXPECT_EQ(messages, QList<Message>{informazione(Aggiornato)});
        EXPECT_EQ(test::readAll(destinazione()), *c.installed);
        EXPECT_EQ(registrata(), QString());
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_EQ(altriFile(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Installed, InstallazioneTest,
    ::testing::Values(InstallazioneCase{"absent", std::nullopt, true},
                      InstallazioneCase{"older_revision", test::elfFile(1, 2, 0, 47), true},
                      InstallazioneCase{"older_minor", test::elfFile(1, 1, 9, 99), true},
                      InstallazioneCase{"older_windows_file", test::peFile(1, 2, 0, 47), true},
                      InstallazioneCase{"without_version", QByteArray("vecchia libreria senza versione\n"), true},
                      InstallazioneCase{"empty_file", QByteArray(), true},
                      InstallazioneCase{"same", test::elfFile(1, 2, 0, 48), false},
                      InstallazioneCase{"newer_minor", test::elfFile(1, 3, 0, 0), false},
                      InstallazioneCase{"newer_major", test::elfFile(2, 0, 0, 0), false},
                      InstallazioneCase{"newer_windows_file", test::peFile(2, 0, 0, 0), false}));

TEST_F(SetupTest, TheRealLibraryIsAlreadyUpToDate)
{
    ASSERT_TRUE(QFile::copy(NuovaLibreria, destinazione()));
    installa();
    EXPECT_EQ(messages, QList<Message>{informazione(Aggiornato)});
    // The button may be pressed again.
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(SetupTest, AVersionPartBeyondSixteenBitsIsATrappedErrorAndTouchesNothing)
{
    const QByteArray installed = test::elfFile(1, 40000, 0, 0);
    test::writeAll(destinazione(), installed);
    installa();
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), installed);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SetupTest, ALinkToAnOlderLibraryIsReplacedByTheNewFile)
{
    // As "cmake --install" leaves it: the soname a link to the versioned file.
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(sistema() + "libqvpreview.so.1.2.0", old);
    ASSERT_TRUE(QFile::link("libqvpreview.so.1.2.0", destinazione()));
    installa();
    EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
    EXPECT_FALSE(QFileInfo(destinazione()).isSymLink());
    EXPECT_EQ(qvUtilita().GetVersione(destinazione()), "1.2.0.48");
    EXPECT_EQ(test::readAll(sistema() + "libqvpreview.so.1.2.0"), old);
}

// --- Failures ---------------------------------------------------------------------------------

TEST_F(SetupTest, AMissingSourceIsATrappedErrorAndTheOldFileStays)
{
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(destinazione(), old);
    ASSERT_TRUE(QFile::remove(servicePack() + "libqvpreview.so.1"));
    installa();
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), old);
    EXPECT_EQ(altriFile(), QStringList());
    EXPECT_TRUE(form->isVisible());
}

struct RegistrazioneCase
{
    const char *name;
    QByteArray source; // empty: the old library, which has no DllRegisterServer
};

void PrintTo(const RegistrazioneCase &c, std::ostream *os)
{
    *os << c.name;
}

class RegistrazioneFallitaTest : public SetupTest, public ::testing::WithParamInterface<RegistrazioneCase>
{
};

TEST_P(RegistrazioneFallitaTest, SaysSoAndLeavesTheCopiedFile)
{
    const QString source = servicePack() + "libqvpreview.so.1";
    QFile::remove(source);
    if (GetParam().source.isEmpty())
        ASSERT_TRUE(QFile::copy(QStringLiteral(QV_LIBRERIA_VECCHIA), source));
    else
        test::writeAll(source, GetParam().source);
    installa();
    EXPECT_EQ(messages, QList<Message>{errore("registrazione " + destinazione().toUpper()
                                              + " fallita. Riavviare Windows e ripetere l'installazione!")});
    EXPECT_EQ(test::readAll(destinazione()), test::readAll(source));
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Sources, RegistrazioneFallitaTest,
                         ::testing::Values(RegistrazioneCase{"library_without_entry_point", QByteArray()},
                                           RegistrazioneCase{"not_a_library", "non una libreria\n"}));

TEST_F(SetupTest, AFileSizeLimitStopsTheCopyAndTheOldLibraryStays)
{
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(destinazione(), old);
    apri();
    {
        // The new library is megabytes long: its copy fails part-way.
        test::FileSizeLimit limit(64 * 1024);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    }
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), old);
    EXPECT_EQ(altriFile(), QStringList());
    EXPECT_EQ(registrata(), QString());
}

/// A small tmpfs mounted on a folder while it lives; mounted() is false when
/// this process may not mount one.
class SmallDisk
{
public:
    SmallDisk(const QString &folder, const char *size) : m_folder(QFile::encodeName(folder))
    {
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

TEST_F(SetupTest, AFullDiskStopsTheCopyAndTheOldLibraryStays)
{
    SmallDisk disk(sistema(), "1m");
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(destinazione(), old);
    installa();
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), old);
    EXPECT_EQ(altriFile(), QStringList());
}

TEST_F(SetupTest, AHostRunningTheOldLibraryKeepsWorking)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(QV_LIBRERIA_VECCHIA), destinazione()));
    QProcess host;
    host.start(QStringLiteral(QV_HOST_VECCHIO), {destinazione()});
    ASSERT_TRUE(host.waitForReadyRead(30000));
    EXPECT_EQ(host.readLine(), "pronto 47\n");

    installa();
    EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
    EXPECT_EQ(qvUtilita().GetVersione(destinazione()), "1.2.0.48");

    // The host still runs its own copy of the old library.
    host.write("vai\n");
    host.closeWriteChannel();
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_EQ(host.readAll(), "ancora 47\n");
}

// --- The window ---------------------------------------------------------------------------------

TEST_F(SetupTest, WithoutASystemFolderTheButtonIsDisabled)
{
    qputenv("QVPREVIEW_SYSTEM_DIR", QFile::encodeName(env.root() + "manca"));
    apri();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_EQ(form->Text1->text(), QString());
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SetupTest, TheFolderShownIsNeverReadBack)
{
    apri();
    EXPECT_EQ(form->Text1->text(), sistema());
    const QString elsewhere = env.root() + "altrove/";
    QDir().mkpath(elsewhere);
    form->Text1->clear();
    QTest::keyClicks(form->Text1, elsewhere);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
    EXPECT_TRUE(QFileInfo::exists(destinazione()));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

struct PosizioneCase
{
    const char *control;
    QRect twips;
};

void PrintTo(const PosizioneCase &c, std::ostream *os)
{
    *os << c.control;
}

class LayoutTest : public SetupTest, public ::testing::WithParamInterface<PosizioneCase>
{
};

TEST_P(LayoutTest, ControlsSitWhereTheirTwipsSay)
{
    apri();
    const QWidget *control = form->findChild<QWidget *>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr);
    auto px = [&](int twips, bool horizontal) {
        return qRound(twips * (horizontal ? form->logicalDpiX() : form->logicalDpiY()) / 1440.0);
    };
    const QRect t = GetParam().twips;
    EXPECT_EQ(control->geometry(), QRect(px(t.x(), true), px(t.y(), false), px(t.width(), true), px(t.height(), false)));
}

INSTANTIATE_TEST_SUITE_P(Controls, LayoutTest,
                         ::testing::Values(PosizioneCase{"Label1_0", QRect(420, 360, 1215, 615)},
                                           PosizioneCase{"Command1", QRect(1800, 480, 975, 495)},
                                           PosizioneCase{"Label1_1", QRect(3120, 360, 1215, 615)},
                                           PosizioneCase{"Label2", QRect(240, 1440, 2175, 315)},
                                           PosizioneCase{"Text1", QRect(180, 1740, 4335, 285)}));

TEST_F(SetupTest, TheWindowShowsItsCaptionLabelsAndPicture)
{
    apri();
    EXPECT_EQ(form->windowTitle(), "Service Pack 2.0 per Tessavo 3.x");
    EXPECT_EQ(form->size(), QSize(qRound(4650 * form->logicalDpiX() / 1440.0), qRound(2610 * form->logicalDpiY() / 1440.0)));
    EXPECT_FALSE(form->windowIcon().isNull());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(form->Label1[i]->text(), i == 0 ? "Old" : "New");
        EXPECT_TRUE(form->Label1[i]->font().bold());
        EXPECT_EQ(form->Label1[i]->font().pointSize(), 24);
        EXPECT_EQ(form->Label1[i]->font().family(), "MS Sans Serif");
    }
    EXPECT_EQ(form->Label2->text(), "Directory di SYSTEM:");
    EXPECT_EQ(form->Command1->text(), QString());
    // The picture is drawn: some of its pixels are neither transparent nor white.
    const QImage picture = form->Command1->icon().pixmap(form->Command1->iconSize()).toImage();
    ASSERT_FALSE(picture.isNull());
    int coloured = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            coloured += qAlpha(picture.pixel(x, y)) > 0 && picture.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(coloured, picture.width() * picture.height() / 5);
}

// --- Modulo2 and the paths --------------------------------------------------------------------------

struct BackslashCase
{
    QString path;
    QString expected;
};

void PrintTo(const BackslashCase &c, std::ostream *os)
{
    *os << '"' << c.path.toStdString() << '"';
}

class AggiungiBackslashTest : public ::testing::TestWithParam<BackslashCase>
{
};

TEST_P(AggiungiBackslashTest, AddsOneSeparatorWhereNoneEnds)
{
    QString path = GetParam().path;
    Modulo2::AggiungiBackslash(path);
    EXPECT_EQ(path, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, AggiungiBackslashTest,
                         ::testing::Values(BackslashCase{"/opt/sp", "/opt/sp/"}, BackslashCase{"/opt/sp/", "/opt/sp/"},
                                           BackslashCase{"/", "/"}, BackslashCase{"", "/"},
                                           BackslashCase{"/opt/sp  ", "/opt/sp/"},
                                           BackslashCase{"/opt/sp/  ", "/opt/sp/  "},
                                           BackslashCase{"A:\\", "A:\\"}, BackslashCase{"   ", "/"}));

TEST(Percorsi, ARootSourceFolderHasOneSeparatorBeforeTheName)
{
    test::TempEnv env;
    qputenv("QVPREVIEW_SYSTEM_DIR", QFile::encodeName(env.root()));
    Form1 form(QStringLiteral("/"));
    EXPECT_EQ(form.percorsoSorgente(), "/libqvpreview.so.1");
    EXPECT_EQ(form.percorsoDestinazione(), env.root() + "libqvpreview.so.1");
    Form1 other(QStringLiteral("/opt/sp"));
    EXPECT_EQ(other.percorsoSorgente(), "/opt/sp/libqvpreview.so.1");
    qunsetenv("QVPREVIEW_SYSTEM_DIR");
}

TEST(TroncaAlNull, CutsAtTheFirstNulWithinSixteenBits)
{
    EXPECT_EQ(Modulo2::TroncaAlNull(QStringLiteral("abc")), "abc");
    EXPECT_EQ(Modulo2::TroncaAlNull(QString("ab") + QChar(0) + "c" + QChar(0)), "ab");
    EXPECT_EQ(Modulo2::TroncaAlNull(QString(32766, 'x') + QChar(0)), QString(32766, 'x'));
    try {
        Modulo2::TroncaAlNull(QString(32767, 'x') + QChar(0));
        ADD_FAILURE() << "no overflow";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), ErrOverflow);
    }
}

TEST(SetupProgram, CarriesItsOwnVersionRecordAndNoControlLibrary)
{
    EXPECT_EQ(qvUtilita().GetVersione(QStringLiteral(QV_SETUP_FILE)), "1.2.0.48");
    // It links its own copy of the utility class, not the library it replaces.
    QProcess ldd;
    ldd.start("ldd", {QStringLiteral(QV_SETUP_FILE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    EXPECT_TRUE(libraries.contains("libQt6Widgets")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libqvpreview")) << libraries.toStdString();
}

} // namespace
} // namespace qv
