// SPDX-License-Identifier: MIT
// The library as a developer embeds it: installed into a temporary prefix
// with "cmake --install --prefix", then the README's example and a small host
// built against that install with find_package and with pkg-config, and the
// host run. The installed programs run from that prefix as they are, in an
// environment without LD_LIBRARY_PATH.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#ifndef QV_HOST_FLAGS
#define QV_HOST_FLAGS ""
#endif

namespace {

struct Esito
{
    int codice = -1;
    QString uscita; // standard output and error together
};

Esito esegui(const QString &programma, const QStringList &argomenti, const QString &cartella = QString(),
             const QProcessEnvironment &ambiente = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(ambiente);
    if (!cartella.isEmpty())
        p.setWorkingDirectory(cartella);
    p.start(programma, argomenti);
    Esito e;
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        e.uscita = QStringLiteral("timed out: ") + programma;
        return e;
    }
    e.uscita = QString::fromLocal8Bit(p.readAll());
    e.codice = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return e;
}

bool scrivi(const QString &path, const QByteArray &testo)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(testo) == testo.size();
}

/// A host that records a page, checks the spool file through the public
/// interface and says what it found.
const QByteArray Host = R"(#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qv::PrintPreview pp;
    pp.StampaTesto(1440, 1440, "Fattura");
    pp.setForeColor(QColor(0, 0, 255));
    pp.linea(1440, 2000, 5000, 3000, true, false);
    const qv::SpoolCheck check = qv::SpoolFile(pp.spoolPath()).check();
    std::printf("pagine %d testi %d riquadri %d colore %d\n", check.pages, check.texts, check.boxes, pp.ForeColor());
    return check.ok() ? 0 : 1;
}
)";

/// The C++ example of the README, as it stands there.
QByteArray esempioReadme()
{
    QFile readme(QStringLiteral(QV_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(readme.readAll());
    const auto m =
        QRegularExpression(QStringLiteral("```cpp\\n(.*?)```"), QRegularExpression::DotMatchesEverythingOption)
            .match(text);
    return m.hasMatch() ? m.captured(1).toUtf8() : QByteArray();
}

class Installazione : public ::testing::TestWithParam<const char *>
{
protected:
    static void SetUpTestSuite()
    {
        cartella = std::make_unique<QTemporaryDir>();
        prefisso = cartella->filePath(QStringLiteral("prefisso"));
        installata = esegui(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(QV_BUILD_DIR),
                                                      QStringLiteral("--prefix"), prefisso});
    }
    static void TearDownTestSuite() { cartella.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(installata.codice, 0) << installata.uscita.toStdString();
        ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        ambiente.insert(QStringLiteral("PKG_CONFIG_PATH"), pkgconfig());
        ambiente.insert(QStringLiteral("TMPDIR"), cartella->path());
        ambiente.remove(QStringLiteral("LD_LIBRARY_PATH"));
    }

    /// The folder that holds the installed qvpreview.pc.
    static QString pkgconfig()
    {
        for (const char *lib : {"lib", "lib64", "lib/x86_64-linux-gnu"}) {
            const QString dir = prefisso + QLatin1Char('/') + QLatin1String(lib) + QStringLiteral("/pkgconfig");
            if (QFile::exists(dir + QStringLiteral("/qvpreview.pc")))
                return dir;
        }
        return QString();
    }

    static inline std::unique_ptr<QTemporaryDir> cartella;
    static inline QString prefisso;
    static inline Esito installata;
    QProcessEnvironment ambiente;
};

TEST_F(Installazione, PkgConfigFollowsTheInstallPrefix)
{
    ASSERT_FALSE(pkgconfig().isEmpty());
    const Esito prefix =
        esegui(QStringLiteral("pkg-config"), {QStringLiteral("--variable=prefix"), QStringLiteral("qvpreview")},
               QString(), ambiente);
    ASSERT_EQ(prefix.codice, 0) << prefix.uscita.toStdString();
    EXPECT_EQ(prefix.uscita.trimmed(), prefisso);
    const Esito flags = esegui(QStringLiteral("pkg-config"),
                               {QStringLiteral("--cflags"), QStringLiteral("--libs"), QStringLiteral("qvpreview")},
                               QString(), ambiente);
    EXPECT_TRUE(flags.uscita.contains(QStringLiteral("-I") + prefisso + QStringLiteral("/include")))
        << flags.uscita.toStdString();
    EXPECT_TRUE(flags.uscita.contains(QStringLiteral("-lqvpreview"))) << flags.uscita.toStdString();
    EXPECT_TRUE(QFile::exists(prefisso + QStringLiteral("/include/qvpreview/PrintPreview.h")));
}

TEST_P(Installazione, HostBuildsAndRunsAgainstTheInstall)
{
    const QString modo = QLatin1String(GetParam());
    const QString sorgenti = cartella->filePath(modo);
    ASSERT_TRUE(QDir().mkpath(sorgenti));
    const QByteArray readme = esempioReadme();
    ASSERT_TRUE(readme.contains("int main(")) << "the README's example is no whole program";
    ASSERT_TRUE(scrivi(sorgenti + QStringLiteral("/readme.cpp"), readme));
    ASSERT_TRUE(scrivi(sorgenti + QStringLiteral("/host.cpp"), Host));

    QString host;
    if (modo == QLatin1String("findPackage")) {
        ASSERT_TRUE(scrivi(sorgenti + QStringLiteral("/CMakeLists.txt"), R"(cmake_minimum_required(VERSION 3.25)
project(host LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(QvPreview REQUIRED)
add_executable(readme readme.cpp)
target_link_libraries(readme PRIVATE QvPreview::qvpreview)
add_executable(host host.cpp)
target_link_libraries(host PRIVATE QvPreview::qvpreview)
)"));
        const QString build = sorgenti + QStringLiteral("/build");
        const Esito configura = esegui(QStringLiteral("cmake"),
                                       {QStringLiteral("-S"), sorgenti, QStringLiteral("-B"), build,
                                        QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefisso,
                                        QStringLiteral("-DCMAKE_CXX_FLAGS=" QV_HOST_FLAGS)},
                                       QString(), ambiente);
        ASSERT_EQ(configura.codice, 0) << configura.uscita.toStdString();
        const Esito costruisci = esegui(QStringLiteral("cmake"),
                                        {QStringLiteral("--build"), build, QStringLiteral("-j2")}, QString(), ambiente);
        ASSERT_EQ(costruisci.codice, 0) << costruisci.uscita.toStdString();
        host = build + QStringLiteral("/host");
    } else {
        const Esito flags = esegui(QStringLiteral("pkg-config"),
                                   {QStringLiteral("--cflags"), QStringLiteral("--libs"), QStringLiteral("qvpreview")},
                                   QString(), ambiente);
        ASSERT_EQ(flags.codice, 0) << flags.uscita.toStdString();
        const Esito libdir =
            esegui(QStringLiteral("pkg-config"), {QStringLiteral("--variable=libdir"), QStringLiteral("qvpreview")},
                   QString(), ambiente);
        for (const char *nome : {"readme", "host"}) {
            QStringList argomenti{QStringLiteral("-std=c++20"), QStringLiteral("-fPIC"),
                                  QLatin1String(nome) + QStringLiteral(".cpp"), QStringLiteral("-o"),
                                  QLatin1String(nome)};
            argomenti << flags.uscita.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            argomenti << QStringLiteral("-Wl,-rpath,") + libdir.uscita.trimmed();
            argomenti << QStringLiteral(QV_HOST_FLAGS).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const Esito compila = esegui(QStringLiteral("c++"), argomenti, sorgenti, ambiente);
            ASSERT_EQ(compila.codice, 0) << nome << ": " << compila.uscita.toStdString();
        }
        host = sorgenti + QStringLiteral("/host");
    }
    const Esito eseguito = esegui(host, {}, QString(), ambiente);
    ASSERT_EQ(eseguito.codice, 0) << eseguito.uscita.toStdString();
    EXPECT_TRUE(eseguito.uscita.contains(QStringLiteral("pagine 1 testi 1 riquadri 1 colore 16711680")))
        << eseguito.uscita.toStdString();
}

/// The environment of a program started by hand from the prefix: PATH and
/// nothing else, above all no LD_LIBRARY_PATH.
QProcessEnvironment ambientePulito()
{
    QProcessEnvironment pulito;
    pulito.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    return pulito;
}

/// Checks that \a binary, run with a clean environment, loads the prefix's
/// own libqvpreview.so.1, not one that happens to sit in a system folder.
void caricaLaLibreriaDelPrefisso(const QString &prefisso, const QString &binary)
{
    const Esito ldd = esegui(QStringLiteral("ldd"), {binary}, QString(), ambientePulito());
    ASSERT_EQ(ldd.codice, 0) << ldd.uscita.toStdString();
    const auto caricata = QRegularExpression(QStringLiteral("libqvpreview\\.so\\.1 => (\\S+)")).match(ldd.uscita);
    ASSERT_TRUE(caricata.hasMatch()) << ldd.uscita.toStdString();
    EXPECT_EQ(QFileInfo(caricata.captured(1)).canonicalFilePath(),
              QFileInfo(prefisso + QStringLiteral("/" QV_INSTALL_LIBDIR "/libqvpreview.so.1")).canonicalFilePath())
        << ldd.uscita.toStdString();
}

/// The installed tool finds the installed library through its relative run
/// path: it answers, and the library it loads is the prefix's own, not one
/// that happens to sit in a system folder.
TEST_F(Installazione, ToolRunsFromThePrefixWithACleanEnvironment)
{
#ifndef QV_INSTALLED_TOOL
    GTEST_SKIP() << "the command-line tool is not built";
#endif
    const QString bin = prefisso + QStringLiteral("/" QV_INSTALL_BINDIR "/qvpreview");
    const Esito aiuto = esegui(bin, {QStringLiteral("--help")}, QString(), ambientePulito());
    EXPECT_EQ(aiuto.codice, 0) << aiuto.uscita.toStdString();
    EXPECT_TRUE(aiuto.uscita.contains(QStringLiteral("qvpreview COMANDO"))) << aiuto.uscita.toStdString();

    caricaLaLibreriaDelPrefisso(prefisso, bin);
}

/// The English catalogue is installed for the runtime, and the installed tool
/// reads the installed one first: replaced by a catalogue without the
/// component's texts (Qt's own German one), the tool no longer speaks English.
TEST_F(Installazione, TheInstalledCatalogueIsTheOneRead)
{
#ifndef QV_INSTALLED_TOOL
    GTEST_SKIP() << "the command-line tool is not built";
#endif
    const QString catalogo = prefisso + QStringLiteral("/" QV_INSTALL_DATA_DIR "/translations/qvpreview_en.qm");
    ASSERT_TRUE(QFile::exists(catalogo));
    const QString bin = prefisso + QStringLiteral("/" QV_INSTALL_BINDIR "/qvpreview");
    QProcessEnvironment inglese = ambientePulito();
    inglese.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    Esito aiuto = esegui(bin, {QStringLiteral("--help")}, QString(), inglese);
    EXPECT_EQ(aiuto.codice, 0) << aiuto.uscita.toStdString();
    EXPECT_TRUE(aiuto.uscita.startsWith(QStringLiteral("Usage: qvpreview COMMAND"))) << aiuto.uscita.toStdString();

    const QString altro = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
    if (!QFile::exists(altro))
        GTEST_SKIP() << "no catalogue of Qt's to stand in: " << altro.toStdString();
    const QString salvato = catalogo + QStringLiteral(".salvato");
    ASSERT_TRUE(QFile::rename(catalogo, salvato));
    ASSERT_TRUE(QFile::copy(altro, catalogo));
    aiuto = esegui(bin, {QStringLiteral("--help")}, QString(), inglese);
    QFile::remove(catalogo);
    QFile::rename(salvato, catalogo);
    EXPECT_TRUE(aiuto.uscita.startsWith(QStringLiteral("Uso: qvpreview COMANDO"))) << aiuto.uscita.toStdString();
}

/// Setup, installed in its versioned folder below the library's, starts from
/// there and answers its version query without a display; beside it the
/// library it delivers is the installed one, and the library folder holds no
/// program.
TEST_F(Installazione, SetupRunsFromThePrefixWithACleanEnvironment)
{
    const QString cartella = prefisso + QStringLiteral("/" QV_INSTALL_SETUP_DIR "/");
    EXPECT_TRUE(cartella.endsWith(QStringLiteral("/qvpreview1/"))) << cartella.toStdString();
    const Esito versione = esegui(cartella + "Setup", {QStringLiteral("--version")}, QString(), ambientePulito());
    EXPECT_EQ(versione.codice, 0) << versione.uscita.toStdString();
    EXPECT_EQ(versione.uscita.trimmed(), QStringLiteral("Setup 1.2.0.48"));
    const QFileInfo consegnata(cartella + "libqvpreview.so.1");
    const QFileInfo installata(prefisso + QStringLiteral("/" QV_INSTALL_LIBDIR "/libqvpreview.so.1"));
    ASSERT_TRUE(consegnata.isFile()) << consegnata.filePath().toStdString();
    EXPECT_EQ(consegnata.canonicalFilePath(), installata.canonicalFilePath());
    EXPECT_FALSE(QFile::exists(prefisso + QStringLiteral("/" QV_INSTALL_LIBDIR "/Setup")));
}

/// The Designer plugin lands in the Qt plugin folder under the prefix and
/// loads the prefix's library through its relative run path.
TEST_F(Installazione, DesignerPluginFindsTheLibraryOfThePrefix)
{
#ifndef QV_INSTALLED_DESIGNER_PLUGIN
    GTEST_SKIP() << "the Designer plugin is not built";
#else
    const QString plugin = prefisso + QStringLiteral("/" QV_INSTALLED_DESIGNER_PLUGIN);
    ASSERT_TRUE(QFile::exists(plugin)) << plugin.toStdString();
    EXPECT_TRUE(plugin.contains(QStringLiteral("/qt6/plugins/designer/"))) << plugin.toStdString();
    caricaLaLibreriaDelPrefisso(prefisso, plugin);
#endif
}

INSTANTIATE_TEST_SUITE_P(Hosts, Installazione, ::testing::Values("findPackage", "pkgConfig"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
