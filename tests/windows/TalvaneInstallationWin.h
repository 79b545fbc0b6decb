// A Talvane-like installation written with the registry API in Wine's real
// registry (the 32-bit view, where the 32-bit Talvane keeps it, and a decoy in
// the 64-bit view) and its configuration file, for the Windows tests.
#pragma once

#include "platform/win/WindowsHost.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace pordane::testsupport {

inline constexpr wchar_t TalvaneKey[] = L"Software\\Corvalix\\Tessaly Soft Run Time 2.0";

inline void setString(REGSAM view, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY h = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h, nullptr),
        ERROR_SUCCESS);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes), ERROR_SUCCESS);
    RegCloseKey(h);
}

inline void setDword(REGSAM view, const std::wstring& key, const wchar_t* name, DWORD value)
{
    HKEY h = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
    RegCloseKey(h);
}

inline void deleteTree(REGSAM view, const wchar_t* key)
{
    HKEY parent = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(parent, key);
    RegCloseKey(parent);
}

class TalvaneInstallationWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_root = std::filesystem::path(temp) / ("pordane-reg-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(m_root / "Corvalix" / "Sistema");
        writeRuta("D:\\Datos Agencia");
        m_install = m_root.string() + "\\Corvalix";

        // The 32-bit view holds the real installation; the 64-bit view a
        // decoy that must not be read.
        setString(KEY_WOW64_32KEY, TalvaneKey, L"InstallDir", m_root.wstring() + L"\\Corvalix\\");
        setDword(KEY_WOW64_32KEY, TalvaneKey, L"Version", 20);
        setString(KEY_WOW64_32KEY, L"Software\\Corvalix\\Otro", L"", L"otro");
        setString(KEY_WOW64_64KEY, TalvaneKey, L"InstallDir", L"C:\\Decoy");
    }

    // The configuration file with this data root (Windows-1252 bytes).
    void writeRuta(const std::string& ansi)
    {
        std::ofstream(m_root / "Corvalix" / "Sistema" / "Corvalix.config", std::ios::binary)
            << "<ITEM ID='RUTA' VALUE='" << ansi << "'/>\r\n";
    }

    void TearDown() override
    {
        deleteTree(KEY_WOW64_32KEY, L"Corvalix");
        deleteTree(KEY_WOW64_64KEY, L"Corvalix");
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    platform::WindowsHost m_host;
    std::filesystem::path m_root;
    std::string m_install;
};

} // namespace pordane::testsupport
