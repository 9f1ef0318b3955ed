// Temporary names and the page size that the printer layer gives the page surface.
#include "preview/FrmAnteprima.h"
#include "replay/Win.h"
#include "support/TestEnv.h"

#include <QFileInfo>

#include <sys/stat.h>

using namespace qv;
using qv::test::TempEnvTest;

TEST_F(TempEnvTest, TemporaryNamesAreNewFilesWithTheirPrefix)
{
    EXPECT_EQ(Win::CartellaTemporanea(), env.tempFolder());
    const QString spool = Win::NomeFileSpool();
    const QString picture = Win::NomeFileImmagine();
    EXPECT_TRUE(spool.startsWith(env.tempFolder() + "qv"));
    EXPECT_TRUE(spool.endsWith(".tmp"));
    EXPECT_TRUE(picture.startsWith(env.tempFolder() + "qvm"));
    EXPECT_TRUE(QFileInfo(spool).isFile());
    EXPECT_EQ(QFileInfo(spool).size(), 0);
    EXPECT_NE(spool, Win::NomeFileSpool());
}

TEST_F(TempEnvTest, UnwritableFolderGivesTheFallbacks)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the fallback is reached through a missing folder below";
    ::chmod(QFile::encodeName(env.tempFolder()).constData(), 0500);
    EXPECT_EQ(Win::NomeFileSpool(), env.tempFolder() + "qv12345.tmp");
    EXPECT_EQ(Win::NomeFileImmagine(), QString());
    ::chmod(QFile::encodeName(env.tempFolder()).constData(), 0700);
}

TEST(TemporaryNames, MissingUniqueNameServiceGivesTheFallbacks)
{
    // TMPDIR pointing at a file: the folder is taken as /tmp/, which exists;
    // a name in a folder that does not exist cannot be created.
    EXPECT_EQ(platform::createUniqueFile("/nonexistent-qv-folder/", "qv"), QString());
}

TEST_F(TempEnvTest, PageSizeFollowsThePrinter)
{
    qv::test::TempEnv::noPrinters();
    FrmAnteprima noPrinter;
    EXPECT_EQ(noPrinter.Picture2().Width(), 11520);
    EXPECT_EQ(noPrinter.Picture2().Height(), 15872);

    qv::test::TempEnv::onePrinter(11906.5, 16837.4);
    FrmAnteprima withPrinter;
    withPrinter.Aggiorna();
    EXPECT_EQ(withPrinter.LarghezzaPagina(), 11906); // half to even
    EXPECT_EQ(withPrinter.AltezzaPagina(), 16837);
    EXPECT_EQ(withPrinter.Picture2().Width(), 11906);
}
