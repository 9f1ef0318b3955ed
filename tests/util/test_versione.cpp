// SPDX-License-Identifier: MIT
// File versions and their comparison: the lenient reading of version texts,
// the 16-bit limits, and the version reader on tiny ELF and PE files, whole
// and damaged, and on the real control library.
#include "support/FileVersione.h"
#include "support/TestEnv.h"
#include "util/LetturaVersione.h"
#include "util/Versione.h"

#include <qvpreview/Error.h>
#include <qvpreview/qvUtilita.h>

#include <QDir>

#include <ostream>

namespace qv {
namespace {

struct Confronto
{
    const char *name;
    QString a;
    QString b;
    int32_t expected;
};

void PrintTo(const Confronto &c, std::ostream *os)
{
    *os << c.name;
}

class ConfrontaVersioneTest : public ::testing::TestWithParam<Confronto>
{};

TEST_P(ConfrontaVersioneTest, ComparesPartByPartAsNumbers)
{
    qvUtilita u;
    EXPECT_EQ(u.ConfrontaVersione(GetParam().a, GetParam().b), GetParam().expected);
    // The comparison is antisymmetric.
    EXPECT_EQ(u.ConfrontaVersione(GetParam().b, GetParam().a), -GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConfrontaVersioneTest,
    ::testing::Values(
        Confronto{"older_revision", "1.2.0.48", "1.2.0.47", 1}, Confronto{"same", "1.2.0.48", "1.2.0.48", 0},
        Confronto{"numbers_not_text", "1.2.0.48", "1.10.0.0", -1},
        Confronto{"missing_parts_repeat_the_last", "1.2", "1.2.2.2", 0},
        Confronto{"missing_parts_are_not_zero", "1.2", "1.2.0.0", 1}, Confronto{"one_part", "2", "1.9.9.9", 1},
        Confronto{"empty_is_zero", "", "0.0.0.0", 0}, Confronto{"letters_end_a_part", "1.2b.0.48beta", "1.2.0.48", 0},
        Confronto{"letters_only", "a.b.c.d", "0.0.0.0", 0}, Confronto{"leading_blanks", " 1.\t2. 0. 48", "1.2.0.48", 0},
        Confronto{"inner_blank_ends_a_part", "1 9.2.0.48", "1.2.0.48", 0},
        Confronto{"comma_ends_a_part", "1,9.0.0.0", "1.0.0.0", 0}, Confronto{"exponent", "1e1.0.0.0", "10.0.0.0", 0},
        Confronto{"negative", "-1.0.0.0", "0.0.0.0", -1}, Confronto{"part_32767", "1.2.0.32767", "1.2.0.32766", 1},
        Confronto{"fifth_part_ignored", "1.2.3.4.99999", "1.2.3.4", 0},
        Confronto{"rounds_half_to_even", "25e-1.0.0.0", "2.0.0.0", 0},
        Confronto{"rounds_up", "35e-1.0.0.0", "4.0.0.0", 0}));

class OverflowTest : public ::testing::TestWithParam<QString>
{};

TEST_P(OverflowTest, APartOutsideSixteenBitsRaisesOverflowWhicheverSide)
{
    qvUtilita u;
    for (const bool first : {true, false}) {
        try {
            first ? u.ConfrontaVersione(GetParam(), "1.2.0.48") : u.ConfrontaVersione("1.2.0.48", GetParam());
            ADD_FAILURE() << "no error for " << qPrintable(GetParam());
        } catch (const Error &e) {
            EXPECT_EQ(e.number(), ErrOverflow);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, OverflowTest,
                         ::testing::Values(QStringLiteral("1.2.0.32768"), QStringLiteral("40000"),
                                           QStringLiteral("1.2.0.-32769"), QStringLiteral("1e5.0"),
                                           QStringLiteral("1.99999999999999999999999"), QStringLiteral("1e999"),
                                           // Every part is read before any is compared.
                                           QStringLiteral("2.0.0.32768")));

TEST(GetParteVersione, ReadsTheLowestAndHighestSixteenBitValues)
{
    EXPECT_EQ(Versione::GetParteVersione("1.-32768", 2), -32768);
    EXPECT_EQ(Versione::GetParteVersione("1.32767", 2), 32767);
    EXPECT_EQ(Versione::GetParteVersione("1.2.3", 0), 0);
    EXPECT_EQ(Versione::GetParteVersione("1.2.3", 9), 3);
}

// --- The version reader ----------------------------------------------------

struct FileCase
{
    const char *name;
    QByteArray bytes;
    QString expected;
};

void PrintTo(const FileCase &c, std::ostream *os)
{
    *os << c.name;
}

class GetVersioneTest : public test::TempEnvTest, public ::testing::WithParamInterface<FileCase>
{};

TEST_P(GetVersioneTest, GivesTheFileVersionOrZeros)
{
    const QString file = test::writeAll(env.root() + "file", GetParam().bytes);
    EXPECT_EQ(qvUtilita().GetVersione(file), GetParam().expected);
}

using test::elfFile;
using test::peFile;

INSTANTIATE_TEST_SUITE_P(
    Files, GetVersioneTest,
    ::testing::Values(
        FileCase{"elf64", elfFile(1, 2, 0, 48), "1.2.0.48"},
        FileCase{"elf32", elfFile(1, 2, 0, 47, {.is64 = false}), "1.2.0.47"},
        FileCase{"elf_big_endian", elfFile(3, 1, 4, 1, {.bigEndian = true}), "3.1.4.1"},
        FileCase{"elf_halves_above_32767", elfFile(1, 40000, 0, 65535), "1.40000.0.65535"},
        FileCase{"elf_without_the_section", elfFile(1, 2, 0, 48, {.record = false}), "0.0.0.0"},
        FileCase{"elf_with_another_mark", elfFile(1, 2, 0, 48, {.mark = "QVVERS2"}), "0.0.0.0"},
        FileCase{"elf_record_past_the_end", elfFile(1, 2, 0, 48, {.sectionOffset = 0x7FFFFFF0}), "0.0.0.0"},
        FileCase{"elf_record_at_a_huge_offset", elfFile(1, 2, 0, 48, {.sectionOffset = ~uint64_t(0) - 8}), "0.0.0.0"},
        FileCase{"elf_too_many_sections", elfFile(1, 2, 0, 48, {.sectionCount = 60000}), "0.0.0.0"},
        FileCase{"elf_counted_in_the_first_section", elfFile(1, 2, 0, 48, {.sectionCount = 0}), "0.0.0.0"},
        FileCase{"pe32", peFile(1, 2, 0, 47), "1.2.0.47"},
        FileCase{"pe32_plus", peFile(1, 1, 9, 99, {.pe32Plus = true}), "1.1.9.99"},
        FileCase{"pe_without_resources", peFile(1, 2, 0, 48, {.resources = false}), "0.0.0.0"},
        FileCase{"pe_block_outside_the_file", peFile(1, 2, 0, 48, {.blockRvaShift = 0x100000}), "0.0.0.0"},
        FileCase{"pe_block_ending_past_the_file", peFile(1, 2, 0, 48, {.blockRvaShift = 40}), "0.0.0.0"},
        FileCase{"pe_huge_block_size_read_within_the_file", peFile(1, 2, 0, 48, {.blockSize = 0xFFFFFFFFu}),
                 "1.2.0.48"},
        FileCase{"pe_huge_block_length_read_within_the_block", peFile(1, 2, 0, 48, {.blockLength = 0xFFFF}),
                 "1.2.0.48"},
        FileCase{"pe_block_too_short_for_the_information", peFile(1, 2, 0, 48, {.blockLength = 60}), "0.0.0.0"},
        FileCase{"pe_block_size_too_short", peFile(1, 2, 0, 48, {.blockSize = 80}), "0.0.0.0"},
        FileCase{"pe_no_fixed_information", peFile(1, 2, 0, 48, {.valueLength = 0}), "0.0.0.0"},
        FileCase{"pe_wrong_signature", peFile(1, 2, 0, 48, {.signature = 0x12345678}), "0.0.0.0"},
        FileCase{"pe_section_claims_more_than_the_file", peFile(2, 0, 0, 0, {.sectionRawSize = 0x7FFFFFFF}), "2.0.0.0"},
        FileCase{"text", QByteArray("Versione 1.2.0.48\n"), "0.0.0.0"}, FileCase{"empty", QByteArray(), "0.0.0.0"},
        FileCase{"mz_only", QByteArray("MZ"), "0.0.0.0"},
        FileCase{"elf_magic_only",
                 QByteArray("\x7f"
                            "ELF"),
                 "0.0.0.0"}));

TEST(LetturaVersione, EveryShorterPrefixOfAFileGivesNoVersion)
{
    for (const QByteArray &whole : {elfFile(1, 2, 0, 48), elfFile(1, 2, 0, 48, {.is64 = false}), peFile(1, 2, 0, 48),
                                    peFile(1, 2, 0, 48, {.pe32Plus = true})}) {
        ASSERT_TRUE(LetturaVersione::read(whole).has_value());
        for (qsizetype length = 0; length < whole.size(); ++length) {
            // A copy of exactly that length, so that a read past it is seen
            // by the sanitizers and valgrind.
            const QByteArray prefix(whole.constData(), length);
            EXPECT_FALSE(LetturaVersione::read(prefix).has_value()) << "length " << length;
        }
    }
}

TEST(LetturaVersione, NeverAsksForARangeOutsideTheFile)
{
    const QByteArray file = peFile(1, 2, 0, 48, {.blockSize = 0xFFFFFFFFu, .blockLength = 0xFFFF});
    for (qsizetype length = 0; length <= file.size(); ++length) {
        LetturaVersione::read(uint64_t(length), [&](uint64_t offset, char *buffer, size_t count) {
            ASSERT_LE(offset + count, uint64_t(length));
            std::memcpy(buffer, file.constData() + offset, count);
        });
    }
}

class GetVersioneFilesTest : public test::TempEnvTest
{};

TEST_F(GetVersioneFilesTest, AMissingFileAFolderAndAPipeHaveNoVersion)
{
    qvUtilita u;
    EXPECT_EQ(u.GetVersione(env.root() + "manca.so"), "0.0.0.0");
    EXPECT_EQ(u.GetVersione(QString()), "0.0.0.0");
    EXPECT_EQ(u.GetVersione(env.root()), "0.0.0.0");
    // A pipe would block a reader that opened it.
    const QString pipe = env.root() + "tubo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(u.GetVersione(pipe), "0.0.0.0");
}

TEST_F(GetVersioneFilesTest, ALinkIsReadThroughToItsFile)
{
    test::writeAll(env.root() + "libprova.so.1.2.0", elfFile(1, 2, 0, 46));
    ASSERT_TRUE(QFile::link("libprova.so.1.2.0", env.root() + "libprova.so.1"));
    EXPECT_EQ(qvUtilita().GetVersione(env.root() + "libprova.so.1"), "1.2.0.46");
}

TEST(GetVersioneReal, TheControlLibraryCarriesItsVersion)
{
    EXPECT_EQ(qvUtilita().GetVersione(QStringLiteral(QV_LIBRARY_FILE)), "1.2.0.48");
}

} // namespace
} // namespace qv
