// The registry reader and the discovery against Wine's real registry: the
// test writes a Talvane-like installation with the registry API (in the
// 32-bit view, where the 32-bit Talvane keeps it), then reads it back.
#include "TalvaneInstallationWin.h"

#include "catalogue/HostDiscovery.h"
#include "catalogue/TEasyReg.h"

#include <algorithm>

using pordane::catalogue::HostDiscovery;
using pordane::catalogue::TEasyReg;

namespace {

class RegistryWinTest : public pordane::testsupport::TalvaneInstallationWin {};

} // namespace

TEST_F(RegistryWinTest, TEasyRegReadsStringsAndSubkeysOfThe32BitView)
{
    TEasyReg reg(m_host.registry());
    std::string v;
    reg.ReadString("\\software\\CORVALIX\\tessaly soft run time 2.0", "installdir", v, "No");
    EXPECT_EQ(v, m_install + "\\");
    reg.ReadString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "Version", v, "No");
    EXPECT_EQ(v, "No") << "a DWORD is not a string";
    reg.ReadString("Software\\Corvalix\\Nadie", "InstallDir", v, "falta");
    EXPECT_EQ(v, "falta");
    ASSERT_TRUE(reg.OpenKey("Software\\Corvalix"));
    auto names = reg.GetKeyNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Otro", "Tessaly Soft Run Time 2.0"}));
    EXPECT_FALSE(reg.OpenKey("\\Software\\Corvalix\\Nadie"));
    EXPECT_TRUE(reg.hasCurrentKey());
}

TEST_F(RegistryWinTest, DiscoveryFindsTheInstallationAndItsDataFolder)
{
    HostDiscovery environment(m_host);
    std::string folder;
    ASSERT_TRUE(environment.BuscarInstalacion(folder));
    EXPECT_EQ(folder, m_install) << "trailing backslash dropped, 32-bit view";
    std::string path;
    environment.LeerRutaDatos(folder, path);
    EXPECT_EQ(path, "D:\\Datos Agencia");
    EXPECT_EQ(environment.CarpetaDatos, "D:\\Datos Agencia\\Empresas\\Empre01");

    // Without the configuration file the registry entry does not count.
    std::filesystem::remove(m_root / "Corvalix" / "Sistema" / "Corvalix.config");
    std::string other;
    environment.BuscarInstalacion(other);
    EXPECT_NE(other, m_install);
}
