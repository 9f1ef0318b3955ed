// SPDX-License-Identifier: MIT
// Windows family test and the maker's home page.
#include "support/TestEnv.h"

#include <qvpreview/qvUtilita.h>

#include <QStringList>

#include <ostream>

namespace qv {
namespace {

using platform::SystemVersion;

class UtilitaTest : public test::TempEnvTest
{};

struct FamilyCase
{
    std::optional<SystemVersion> version; // nullopt: the query fails
    bool windowsNT;
};

void PrintTo(const FamilyCase &c, std::ostream *os)
{
    if (c.version)
        *os << "platform_" << c.version->platformId;
    else
        *os << "query_fails";
}

class IsWindowsNTTest : public test::TempEnvTest, public ::testing::WithParamInterface<FamilyCase>
{};

TEST_P(IsWindowsNTTest, TrueOnlyForASuccessfulQueryNamingNT)
{
    platform::setSystemVersionForTesting(std::make_optional(GetParam().version));
    EXPECT_EQ(qvUtilita().IsWindowsNT(), GetParam().windowsNT);
}

SystemVersion withPlatform(uint32_t id)
{
    SystemVersion v;
    v.major = 5;
    v.minor = 1;
    v.build = 2600;
    v.platformId = id;
    v.servicePack = QStringLiteral("Service Pack 3");
    return v;
}

INSTANTIATE_TEST_SUITE_P(PlatformIds, IsWindowsNTTest,
                         ::testing::Values(FamilyCase{withPlatform(2), true}, FamilyCase{withPlatform(1), false},
                                           FamilyCase{withPlatform(0), false}, FamilyCase{withPlatform(3), false},
                                           FamilyCase{std::nullopt, false}));

TEST_F(UtilitaTest, LinuxIsNotWindowsNT)
{
    ASSERT_TRUE(platform::systemVersion().has_value());
    EXPECT_FALSE(qvUtilita().IsWindowsNT());
}

class HomepageTest : public test::TempEnvTest, public ::testing::WithParamInterface<int32_t>
{};

TEST_P(HomepageTest, OpensTheMakersPageWhateverTheWindow)
{
    QStringList opened;
    platform::setOpenUrlHandlerForTesting([&](const QString &url) {
        opened << url;
        return true;
    });
    qvUtilita().Homepage(GetParam());
    EXPECT_EQ(opened, QStringList{QStringLiteral("https://qvpreview.example.org")});
}

INSTANTIATE_TEST_SUITE_P(Handles, HomepageTest, ::testing::Values(0, 0x1234, -1));

TEST_F(UtilitaTest, HomepageIgnoresADesktopThatCannotOpen)
{
    int calls = 0;
    platform::setOpenUrlHandlerForTesting([&](const QString &) {
        ++calls;
        return false;
    });
    EXPECT_NO_THROW(qvUtilita().Homepage(0));
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace qv
