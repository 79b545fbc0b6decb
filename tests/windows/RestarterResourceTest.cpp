// The restarter as the Windows program carries it: RCDATA "UPD", expanded by
// the system's LZ functions into a folder whose name is not ASCII, byte for
// byte the restarter of this build.
#include "platform/LzExpand.h"
#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace pordane;

TEST(RestarterResource, ExpandsToThisBuildsRestarterInAnAccentedFolder)
{
    testsupport::TempDir dir;
    const fs::path folder = dir.path() / fs::path(L"Begoña Peñalver");
    fs::create_directories(folder);

    const auto result = platform::expandProgramResource(L"UPD", folder / "pusetup.ex_");
    ASSERT_TRUE(result.carried);
    ASSERT_TRUE(result.file.has_value());
    EXPECT_EQ(result.file->filename(), fs::path("pusetup.exe"));
    const std::string restarter = testsupport::readAll(PUSETUP_STRIPPED);
    ASSERT_GT(restarter.size(), 10000u);
    EXPECT_EQ(testsupport::readAll(*result.file), restarter);
    EXPECT_FALSE(fs::exists(folder / "pusetup.ex_"));

    EXPECT_FALSE(platform::expandProgramResource(L"NADA", folder / "otro.ex_").carried);
}
