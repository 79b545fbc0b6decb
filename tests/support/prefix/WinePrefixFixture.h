// A throw-away Wine prefix for tests: a temporary folder with system.reg in
// the exact text form Wine writes, dosdevices links, drive folders and files
// addressed by Windows path. Removed again when the fixture goes.
//
//   WinePrefixFixture p;                       // C: is there from the start
//   p.setRegString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", "C:\\Corvalix\\");
//   p.writeConfigFile("C:\\Corvalix\\Sistema\\Corvalix.config", {{"RUTA", "D:\\Datos"}});
//   platform::WinePrefix host(p.path());
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pordane::testsupport {

class WinePrefixFixture {
public:
    // How a REG_EXPAND_SZ value is written: Wine's usual str(2):"..." or the
    // hex(2): byte list (UTF-16LE with its terminating NUL).
    enum class ExpandForm { Str, Hex };

    // Creates the prefix under the system's temporary folder with drive C:
    // (drive_c, linked as dosdevices/c: -> ../drive_c) and a system.reg that
    // holds only Wine's header.
    WinePrefixFixture();
    ~WinePrefixFixture();
    WinePrefixFixture(const WinePrefixFixture&) = delete;
    WinePrefixFixture& operator=(const WinePrefixFixture&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // --- drives -----------------------------------------------------------
    // Creates drive_<x> and links dosdevices/x: to it as Wine does; returns
    // the drive folder.
    std::filesystem::path addDrive(char letter);
    // Links dosdevices/x: to any target (a file, a missing folder, ...).
    void linkDrive(char letter, const std::filesystem::path& target);
    // Records the drive's kind in HKLM\Software\Wine\Drives as winecfg does:
    // "floppy", "cdrom", "network", "ramdisk" or "hd".
    void setDriveType(char letter, const std::string& type);

    // --- registry (key paths relative to HKLM; HKCR is Software\Classes) ---
    // An empty name sets the key's default value (@=).
    void setRegString(const std::string& key, const std::string& name, const std::string& value);
    void setRegExpandString(const std::string& key, const std::string& name, const std::string& value,
                            ExpandForm form = ExpandForm::Str);
    void setRegDword(const std::string& key, const std::string& name, std::uint32_t value);
    // A key with no values of its own.
    void addRegKey(const std::string& key);
    // Marks the prefix 64-bit (#arch=win64) or 32-bit (#arch=win32).
    void setWin64(bool win64);

    // The text written to system.reg, in Wine's format.
    std::string systemRegText() const;
    // Replaces system.reg with these bytes; the next set*/add* call rewrites
    // it from the values recorded so far.
    void writeRawSystemReg(std::string_view bytes);
    void removeSystemReg();

    // --- files (Windows paths on drives that exist) ----------------------
    // The native path, components taken as written; throws
    // std::invalid_argument when the drive is not linked to a folder.
    std::filesystem::path nativePath(std::string_view windowsPath) const;
    // Writes bytes as they are, creating the folders on the way.
    std::filesystem::path writeFile(std::string_view windowsPath, std::string_view bytes);
    std::filesystem::path makeDirectory(std::string_view windowsPath);
    // Talvane's configuration file: one line per entry,
    //   <Item ID='RUTA' VALUE='D:\Datos' />
    // with CR LF line ends, encoded in Windows-1252.
    std::filesystem::path writeConfigFile(std::string_view windowsPath,
                                          const std::vector<std::pair<std::string, std::string>>& entries);

    // UTF-8 to Windows-1252; throws std::invalid_argument for text the code
    // page cannot hold.
    static std::string toWindows1252(std::string_view utf8);

private:
    struct RegValue {
        std::string name;
        std::string data; // the text after '=' as Wine writes it
    };
    struct RegKey {
        std::string path;
        std::map<std::string, RegValue> values; // by lower-case name
    };

    RegKey& key(const std::string& path);
    void setValue(const std::string& keyPath, const std::string& name, std::string data);
    void save() const;

    std::filesystem::path m_path;
    std::map<std::string, RegKey> m_keys; // by lower-case path
    bool m_win64 = false;
};

} // namespace pordane::testsupport
