// The registry reader and the discovery against Wine's real registry: the
// test writes a Talvane-like installation with the registry API (in the
// 32-bit view, where the 32-bit Talvane keeps it), then reads it back.
#include "catalogue/HostDiscovery.h"
#include "catalogue/TEasyReg.h"
#include "platform/win/WindowsHost.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

using pordane::catalogue::HostDiscovery;
using pordane::catalogue::TEasyReg;
using pordane::platform::WindowsHost;

namespace {

constexpr wchar_t TalvaneKey[] = L"Software\\Corvalix\\Tessaly Soft Run Time 2.0";

void setString(REGSAM view, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h,
                              nullptr),
              ERROR_SUCCESS);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes), ERROR_SUCCESS);
    RegCloseKey(h);
}

void setDword(REGSAM view, const std::wstring& key, const wchar_t* name, DWORD value)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
    RegCloseKey(h);
}

void deleteTree(REGSAM view, const wchar_t* key)
{
    HKEY parent = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(parent, key);
    RegCloseKey(parent);
}

class RegistryWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_root = std::filesystem::path(temp) / ("pordane-reg-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(m_root / "Corvalix" / "Sistema");
        std::ofstream(m_root / "Corvalix" / "Sistema" / "Corvalix.config", std::ios::binary)
            << "<ITEM ID='RUTA' VALUE='D:\\Datos Agencia'/>\r\n";
        m_install = m_root.string() + "\\Corvalix";

        // The 32-bit view holds the real installation; the 64-bit view a
        // decoy that must not be read.
        setString(KEY_WOW64_32KEY, TalvaneKey, L"InstallDir", m_root.wstring() + L"\\Corvalix\\");
        setDword(KEY_WOW64_32KEY, TalvaneKey, L"Version", 20);
        setString(KEY_WOW64_32KEY, L"Software\\Corvalix\\Otro", L"", L"otro");
        setString(KEY_WOW64_64KEY, TalvaneKey, L"InstallDir", L"C:\\Decoy");
    }

    void TearDown() override
    {
        deleteTree(KEY_WOW64_32KEY, L"Corvalix");
        deleteTree(KEY_WOW64_64KEY, L"Corvalix");
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    WindowsHost m_host;
    std::filesystem::path m_root;
    std::string m_install;
};

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
