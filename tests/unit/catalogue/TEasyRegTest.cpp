#include "catalogue/TEasyReg.h"

#include "platform/WinePrefix.h"
#include "support/prefix/WinePrefixFixture.h"

#include <gtest/gtest.h>

using pordane::catalogue::TEasyReg;
using pordane::platform::RegistryRoot;
using pordane::platform::WinePrefix;
using pordane::testsupport::WinePrefixFixture;

namespace {

class TEasyRegTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_prefix.setRegString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", "C:\\Corvalix");
        m_prefix.setRegDword("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "Version", 20);
        m_prefix.setRegString("Software\\Classes\\Access.Application.14\\shell\\Open\\command", "", "cmd");
        m_prefix.addRegKey("Software\\Corvalix\\Otro");
        m_host.emplace(m_prefix.path());
    }

    WinePrefixFixture m_prefix;
    std::optional<WinePrefix> m_host;
};

} // namespace

TEST_F(TEasyRegTest, ReadStringGivesTheValueOrTheDefault)
{
    TEasyReg reg(m_host->registry());
    EXPECT_EQ(reg.RootKey(), RegistryRoot::LocalMachine);
    std::string v = "previous";
    reg.ReadString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", v, "No");
    EXPECT_EQ(v, "C:\\Corvalix");
    reg.ReadString("\\software\\corvalix\\tessaly soft run time 2.0", "INSTALLDIR", v, "No");
    EXPECT_EQ(v, "C:\\Corvalix");
    reg.ReadString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "RuntimeDir", v, "No");
    EXPECT_EQ(v, "No") << "missing value";
    reg.ReadString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "Version", v, "No");
    EXPECT_EQ(v, "No") << "a DWORD is not a string";
    reg.ReadString("Software\\Nadie", "InstallDir", v, "");
    EXPECT_EQ(v, "") << "missing key";
    EXPECT_FALSE(reg.hasCurrentKey());
}

TEST_F(TEasyRegTest, RelativePathsStartFromTheOpenKeyAndBackslashedOnesFromTheRoot)
{
    TEasyReg reg(m_host->registry());
    ASSERT_TRUE(reg.OpenKey("Software\\Corvalix"));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Otro", "Tessaly Soft Run Time 2.0"}));
    ASSERT_TRUE(reg.OpenKey("Tessaly Soft Run Time 2.0"));
    EXPECT_FALSE(reg.OpenKey("Software\\Corvalix")) << "relative to the open key";
    EXPECT_TRUE(reg.hasCurrentKey()) << "a failed open keeps the key that was open";
    ASSERT_TRUE(reg.OpenKey("\\Software\\Corvalix\\Otro"));
    EXPECT_TRUE(reg.GetKeyNames().empty());

    std::string v;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Corvalix"));
    reg.ReadString("Tessaly Soft Run Time 2.0", "InstallDir", v, "No");
    EXPECT_EQ(v, "C:\\Corvalix");
    EXPECT_FALSE(reg.hasCurrentKey()) << "ReadString closes the key";
    EXPECT_TRUE(reg.GetKeyNames().empty());
}

TEST_F(TEasyRegTest, ClassesRootIsTheMachinesClassesKey)
{
    TEasyReg reg(m_host->registry());
    reg.setRootKey(RegistryRoot::ClassesRoot);
    std::string v;
    reg.ReadString("\\Access.Application.14\\shell\\Open\\command", "", v, "No");
    EXPECT_EQ(v, "cmd");
    EXPECT_FALSE(reg.OpenKey("Software"));
}
