// SPDX-License-Identifier: MIT
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
#include "support/SmallDisk.h"
#include "support/TestEnv.h"
#include "util/Registro.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>

namespace qv {
namespace {

const QString NuovaLibreria = QStringLiteral(QV_LIBRARY_FILE);
/// Links the control library and has no DllRegisterServer of its own; it
/// carries the version this service pack delivers.
const QString SenzaIngresso = QStringLiteral(QV_LIBRERIA_SENZA_INGRESSO);
const QString Riuscita = QStringLiteral(
    "Installazione Service Pack avvenuta correttamente. Si consiglia di riavviare il personal computer.");
const QString Aggiornato = QStringLiteral("Tessavo è già aggiornato.");
const QString Fallita =
    QStringLiteral("Installazione Service Pack fallita. Riavviare Windows e ripetere l'installazione!");

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
        platform::setMessageBoxHandlerForTesting(
            [this](const QString &text, const QString &title, platform::MessageIcon icon) {
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
    /// Writes the control's classes into the key store as served by \a file,
    /// as the control library's registration does.
    static void registraIn(const QString &file,
                           const QStringList &classi = {"qvPreview.PrintPreview", "qvPreview.CPalette",
                                                        "qvPreview.PageAnteprima"})
    {
        for (const QString &progId : classi) {
            const QString clsid = "{" + progId + "}";
            ASSERT_TRUE(Registro::ScriviValoreRegistro(Registro::HKEY_CLASSES_ROOT, progId + "\\Clsid", QString(),
                                                       clsid, true));
            ASSERT_TRUE(Registro::ScriviValoreRegistro(Registro::HKEY_CLASSES_ROOT,
                                                       "Clsid\\" + clsid + "\\InprocServer32", QString(), file, true));
        }
    }
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

/// The ELF header, program headers and section headers of \a bytes, to be
/// changed in place (the file is of this machine's class and byte order).
struct ElfDaModificare
{
    explicit ElfDaModificare(QByteArray &bytes) : bytes(bytes)
    {
        std::memcpy(&header, bytes.constData(), sizeof header);
    }
    ElfW(Phdr) segmento(int i) const { return leggi<ElfW(Phdr)>(header.e_phoff + i * sizeof(ElfW(Phdr))); }
    ElfW(Shdr) sezione(int i) const { return leggi<ElfW(Shdr)>(header.e_shoff + i * sizeof(ElfW(Shdr))); }
    void scrivi(int i, const ElfW(Phdr) & p)
    {
        std::memcpy(bytes.data() + header.e_phoff + i * sizeof p, &p, sizeof p);
    }
    void scrivi(int i, const ElfW(Shdr) & s)
    {
        std::memcpy(bytes.data() + header.e_shoff + i * sizeof s, &s, sizeof s);
    }
    template <typename T>
    T leggi(qsizetype offset) const
    {
        T value;
        std::memcpy(&value, bytes.constData() + offset, sizeof value);
        return value;
    }

    QByteArray &bytes;
    ElfW(Ehdr) header;
};

/// \a bytes with its loaded segments running 4 kB past the end of the file:
/// the version still reads, but a loader would map pages that are not there.
QByteArray segmentiOltreLaFine(QByteArray bytes)
{
    ElfDaModificare elf(bytes);
    for (int i = 0; i < elf.header.e_phnum; ++i) {
        ElfW(Phdr) p = elf.segmento(i);
        if (p.p_type == PT_LOAD && p.p_filesz > 0) {
            p.p_filesz = bytes.size() - p.p_offset + 4096;
            p.p_memsz = std::max(p.p_memsz, p.p_filesz);
            elf.scrivi(i, p);
        }
    }
    return bytes;
}

// --- The installed file and what the installer does with it ----------------------

struct InstallazioneCase
{
    const char *name;
    std::optional<QByteArray> installed; // nullopt: no library installed
    bool replaced;
    bool registeredHere = false; // the installed file is registered beforehand
};

void PrintTo(const InstallazioneCase &c, std::ostream *os)
{
    *os << c.name;
}

class InstallazioneTest : public SetupTest, public ::testing::WithParamInterface<InstallazioneCase>
{};

TEST_P(InstallazioneTest, ReplacesOnlyAnOlderLibraryAndRegistersIt)
{
    const InstallazioneCase &c = GetParam();
    if (c.installed)
        test::writeAll(destinazione(), *c.installed);
    if (c.registeredHere)
        registraIn(destinazione());
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
                      // This version, registered, but no whole library: repaired.
                      InstallazioneCase{"same_but_no_whole_library", test::elfFile(1, 2, 0, 48), true, true},
                      InstallazioneCase{"newer_minor", test::elfFile(1, 3, 0, 0), false},
                      InstallazioneCase{"newer_major", test::elfFile(2, 0, 0, 0), false},
                      InstallazioneCase{"newer_windows_file", test::peFile(2, 0, 0, 0), false}));

// --- A library that a Debian package installed ----------------------------------

struct PacchettoCase
{
    const char *name;
    std::optional<QByteArray> installed;
    const char *owner; // "": no package owns the installed file
    bool replaced;
    bool refused; // the message that dpkg owns it
};

void PrintTo(const PacchettoCase &c, std::ostream *os)
{
    *os << c.name;
}

class PacchettoTest : public SetupTest, public ::testing::WithParamInterface<PacchettoCase>
{
protected:
    void TearDown() override
    {
        platform::setDebianPackageOwnerForTesting(nullptr);
        SetupTest::TearDown();
    }
};

TEST_P(PacchettoTest, ALibraryThatDpkgOwnsIsNeverReplaced)
{
    const PacchettoCase &c = GetParam();
    if (c.installed)
        test::writeAll(destinazione(), *c.installed);
    QStringList asked;
    platform::setDebianPackageOwnerForTesting([&](const QString &path) {
        asked << path;
        return QString::fromLatin1(c.owner);
    });
    installa();
    const QString avviso = QStringLiteral("%1 appartiene al pacchetto %2: lo aggiorna il gestore dei pacchetti "
                                          "(apt), non Setup. Per installare la libreria in un'altra cartella "
                                          "indicarla in QVPREVIEW_SYSTEM_DIR.")
                               .arg(destinazione(), QString::fromLatin1(c.owner));
    if (c.refused) {
        const Message rifiuto{avviso, QStringLiteral("Upgrade"), platform::MessageIcon::Warning};
        EXPECT_EQ(messages, QList<Message>{rifiuto});
        EXPECT_EQ(asked, QStringList{destinazione()});
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(registrata(), QString());
    }
    if (c.replaced) {
        EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
        EXPECT_EQ(test::readAll(destinazione()), test::readAll(NuovaLibreria));
    } else if (c.installed) {
        EXPECT_EQ(test::readAll(destinazione()), *c.installed);
    }
    EXPECT_EQ(altriFile(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Owners, PacchettoTest,
    ::testing::Values(PacchettoCase{"older_owned", test::elfFile(1, 2, 0, 47), "libqvpreview1:amd64", false, true},
                      PacchettoCase{"unversioned_owned", QByteArray("x\n"), "libqvpreview1:amd64", false, true},
                      PacchettoCase{"older_not_owned", test::elfFile(1, 2, 0, 47), "", true, false},
                      PacchettoCase{"absent_not_owned", std::nullopt, "", true, false},
                      // Up to date: the usual message, no question to dpkg needed.
                      PacchettoCase{"newer_owned", test::elfFile(2, 0, 0, 0), "libqvpreview1:amd64", false, false}));

// --- The same version again: registered unless it already is ----------------------

struct RipetizioneCase
{
    const char *name;
    const char *registeredAs; // "": not registered; else a name in the test's folder
    bool partly;              // only the preview class is registered there
    bool registers;
};

void PrintTo(const RipetizioneCase &c, std::ostream *os)
{
    *os << c.name;
}

class RipetizioneTest : public SetupTest, public ::testing::WithParamInterface<RipetizioneCase>
{};

TEST_P(RipetizioneTest, RegistersTheInstalledVersionUnlessItIsRegisteredThere)
{
    const RipetizioneCase &c = GetParam();
    ASSERT_TRUE(QFile::copy(NuovaLibreria, destinazione()));
    const QByteArray installed = test::readAll(destinazione());
    if (QByteArray(c.registeredAs) == "link") {
        ASSERT_TRUE(QFile::link(destinazione(), env.root() + "link.so.1"));
        registraIn(env.root() + "link.so.1");
    } else if (QByteArray(c.registeredAs) == "other") {
        ASSERT_TRUE(QFile::copy(NuovaLibreria, env.root() + "libqvpreview.so.1"));
        registraIn(env.root() + "libqvpreview.so.1");
    } else if (QByteArray(c.registeredAs) == "here") {
        registraIn(destinazione(),
                   c.partly ? QStringList{"qvPreview.PrintPreview"}
                            : QStringList{"qvPreview.PrintPreview", "qvPreview.CPalette", "qvPreview.PageAnteprima"});
    }
    installa();
    EXPECT_EQ(test::readAll(destinazione()), installed); // never copied again
    if (c.registers) {
        EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
        for (const char *progId : {"qvPreview.PrintPreview", "qvPreview.CPalette", "qvPreview.PageAnteprima"})
            EXPECT_EQ(qvUtilita().PathServerOcx(progId), destinazione()) << progId;
        EXPECT_FALSE(form->isVisible());
    } else {
        EXPECT_EQ(messages, QList<Message>{informazione(Aggiornato)});
        // The button may be pressed again.
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        EXPECT_EQ(messages, QList<Message>(2, informazione(Aggiornato)));
    }
}

INSTANTIATE_TEST_SUITE_P(Registrations, RipetizioneTest,
                         ::testing::Values(RipetizioneCase{"not_registered", "", false, true},
                                           RipetizioneCase{"registered_in_another_file", "other", false, true},
                                           RipetizioneCase{"only_one_class_registered", "here", true, true},
                                           RipetizioneCase{"registered_here", "here", false, false},
                                           RipetizioneCase{"registered_through_a_link", "link", false, false}));

TEST_F(SetupTest, ADamagedLibraryOfThisVersionIsReplacedNotLoaded)
{
    // Its version reads, but its segments run past the end of the file:
    // loading it to register it could die of SIGBUS.
    const QByteArray damaged = segmentiOltreLaFine(test::readAll(NuovaLibreria));
    test::writeAll(destinazione(), damaged);
    ASSERT_EQ(qvUtilita().GetVersione(destinazione()), "1.2.0.48");
    installa();
    EXPECT_EQ(messages, QList<Message>{informazione(Riuscita)});
    EXPECT_EQ(test::readAll(destinazione()), test::readAll(NuovaLibreria));
    EXPECT_EQ(registrata(), destinazione());
}

TEST_F(SetupTest, RepeatingAfterAFailedRegistrationRegisters)
{
    // A key store that cannot be written: the library is copied, its
    // registration fails and the user is told to repeat the installation.
    test::writeAll(destinazione(), test::elfFile(1, 2, 0, 47));
    test::writeAll(env.root() + "non-una-cartella", "x");
    qputenv("QVPREVIEW_REGISTRY_DIR", QFile::encodeName(env.root() + "non-una-cartella/registro"));
    installa();
    const Message fallita =
        errore("registrazione " + destinazione().toUpper() + " fallita. Riavviare Windows e ripetere l'installazione!");
    EXPECT_EQ(messages, QList<Message>{fallita});
    EXPECT_EQ(qvUtilita().GetVersione(destinazione()), "1.2.0.48");

    // The store is back; the repeat registers the library already in place.
    qputenv("QVPREVIEW_REGISTRY_DIR", QFile::encodeName(env.registryFolder()));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    EXPECT_EQ(messages, (QList<Message>{fallita, informazione(Riuscita)}));
    EXPECT_EQ(registrata(), destinazione());
    EXPECT_FALSE(form->isVisible());
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

TEST_F(SetupTest, ALibraryWithoutAnEntryPointOfItsOwnFailsToRegisterAndStays)
{
    // The right version, whole, but it only links the control library: the
    // entry point the loader finds through it is not this library's.
    const QString source = servicePack() + "libqvpreview.so.1";
    ASSERT_TRUE(QFile::remove(source));
    ASSERT_TRUE(QFile::copy(SenzaIngresso, source));
    installa();
    EXPECT_EQ(messages, QList<Message>{errore("registrazione " + destinazione().toUpper()
                                              + " fallita. Riavviare Windows e ripetere l'installazione!")});
    EXPECT_EQ(test::readAll(destinazione()), test::readAll(source));
    EXPECT_EQ(registrata(), QString());
    EXPECT_TRUE(form->isVisible());
}

// --- A damaged or wrong source never replaces the installed library -----------

/// The real library, damaged one way; every way is sized from the file itself.
using Danno = std::function<QByteArray(QByteArray)>;

struct SorgenteCase
{
    const char *name;
    Danno danno;
};

void PrintTo(const SorgenteCase &c, std::ostream *os)
{
    *os << c.name;
}

class SorgenteDanneggiataTest : public SetupTest, public ::testing::WithParamInterface<SorgenteCase>
{};

TEST_P(SorgenteDanneggiataTest, IsRefusedBeforeTheOldLibraryIsTouched)
{
    const QString source = servicePack() + "libqvpreview.so.1";
    test::writeAll(source, GetParam().danno(test::readAll(NuovaLibreria)));
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(destinazione(), old);
    installa();
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), old);
    EXPECT_EQ(altriFile(), QStringList());
    EXPECT_EQ(registrata(), QString());
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, SorgenteDanneggiataTest,
    ::testing::Values(
        // As a broken download leaves it: 300 kB of 870.
        SorgenteCase{"cut_to_a_third", [](QByteArray b) { return b.left(b.size() * 300 / 870); }},
        // Whatever the build put after them (debug information, in a build
        // with it): cut in the middle of the last segment the loader maps.
        SorgenteCase{"cut_inside_the_last_loaded_segment",
                     [](QByteArray b) {
                         ElfDaModificare elf(b);
                         qsizetype end = 0;
                         for (int i = 0; i < elf.header.e_phnum; ++i) {
                             const ElfW(Phdr) p = elf.segmento(i);
                             if (p.p_type == PT_LOAD && p.p_filesz > 0)
                                 end = qsizetype(p.p_offset + p.p_filesz / 2);
                         }
                         return b.left(end);
                     }},
        // Every segment whole; the section headers (and the version) missing.
        SorgenteCase{"cut_before_the_section_headers",
                     [](QByteArray b) { return b.left(qsizetype(ElfDaModificare(b).header.e_shoff)); }},
        SorgenteCase{"cut_in_the_last_byte", [](QByteArray b) { return b.left(b.size() - 1); }},
        // The version still reads; a segment's bytes run past the end.
        SorgenteCase{"segment_beyond_the_end", segmentiOltreLaFine},
        SorgenteCase{"section_beyond_the_end",
                     [](QByteArray b) {
                         ElfDaModificare elf(b);
                         for (int i = 1; i < elf.header.e_shnum; ++i) {
                             ElfW(Shdr) s = elf.sezione(i);
                             if (s.sh_type == SHT_PROGBITS && s.sh_size > 0) {
                                 s.sh_size = b.size() - s.sh_offset + 1;
                                 elf.scrivi(i, s);
                                 break;
                             }
                         }
                         return b;
                     }},
        SorgenteCase{"another_processor",
                     [](QByteArray b) {
                         const uint16_t other =
                             ElfDaModificare(b).header.e_machine == EM_AARCH64 ? EM_X86_64 : EM_AARCH64;
                         std::memcpy(b.data() + offsetof(ElfW(Ehdr), e_machine), &other, sizeof other);
                         return b;
                     }},
        SorgenteCase{"older_library", [](QByteArray) { return test::readAll(QStringLiteral(QV_LIBRERIA_VECCHIA)); }},
        SorgenteCase{"version_record_only", [](QByteArray) { return test::elfFile(1, 2, 0, 48); }},
        SorgenteCase{"not_a_library", [](QByteArray) { return QByteArray("non una libreria\n"); }},
        SorgenteCase{"empty", [](QByteArray) { return QByteArray(); }}));

/// Opens the FIFO \a path for writing and closes it again if \a done has
/// not been signalled within a long time: a reader blocked on it then sees
/// the end of the file, so that a test that would hang fails instead.
class Sblocca
{
public:
    explicit Sblocca(const QString &path)
        : m_thread([this, path] {
            std::unique_lock lock(m_mutex);
            if (m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_done; }))
                return;
            m_fired = true;
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        })
    {}
    ~Sblocca()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    bool fired()
    {
        std::lock_guard lock(m_mutex);
        return m_fired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    bool m_fired = false;
    std::thread m_thread;
};

TEST_F(SetupTest, AFifoAsSourceDoesNotFreezeTheWindow)
{
    const QString source = servicePack() + "libqvpreview.so.1";
    ASSERT_TRUE(QFile::remove(source));
    ASSERT_EQ(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
    const QByteArray old = test::elfFile(1, 2, 0, 47);
    test::writeAll(destinazione(), old);
    Sblocca sblocca(source);
    installa();
    EXPECT_FALSE(sblocca.fired()) << "the click waited on the FIFO";
    EXPECT_EQ(messages, QList<Message>{errore(Fallita)});
    EXPECT_EQ(test::readAll(destinazione()), old);
    EXPECT_EQ(altriFile(), QStringList());
}

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

TEST_F(SetupTest, AFullDiskStopsTheCopyAndTheOldLibraryStays)
{
    // Room for the old library, not for half of the new one, whatever the
    // build made of it.
    const int kilobytes = int(QFileInfo(NuovaLibreria).size() / 2 / 1024);
    test::SmallDisk disk(sistema(), kilobytes);
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
{};

TEST_P(LayoutTest, ControlsSitWhereTheirTwipsSay)
{
    apri();
    const QWidget *control = form->findChild<QWidget *>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr);
    auto px = [&](int twips, bool horizontal) {
        return qRound(twips * (horizontal ? form->logicalDpiX() : form->logicalDpiY()) / 1440.0);
    };
    const QRect t = GetParam().twips;
    EXPECT_EQ(control->geometry(),
              QRect(px(t.x(), true), px(t.y(), false), px(t.width(), true), px(t.height(), false)));
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
    EXPECT_EQ(form->size(),
              QSize(qRound(4650 * form->logicalDpiX() / 1440.0), qRound(2610 * form->logicalDpiY() / 1440.0)));
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
{};

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
                                           BackslashCase{"/opt/sp/  ", "/opt/sp/  "}, BackslashCase{"A:\\", "A:\\"},
                                           BackslashCase{"   ", "/"}));

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
