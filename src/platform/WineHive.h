// A Wine registry hive (system.reg) read into memory. Wine writes it as text:
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to \\Machine
//   #arch=win64
//
//   [Software\\Corvalix\\Tessaly Soft Run Time 2.0] 1700000000
//   #time=1da1b2c3d4e5f60
//   "InstallDir"="C:\\Corvalix\\"
//   @="default value"
//   "Path"=str(2):"%SystemRoot%\\system32"
//   "Count"=dword:00000010
//   "Raw"=hex(2):25,00,53,00,\   (a trailing backslash goes on in the
//     00,00                      next line)
//
// Strings escape '\\', '"' (and ']' in key paths) with a backslash; other
// characters beyond ASCII are written as \xNNNN UTF-16 code units.
#pragma once

#include "platform/Registry.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace pordane::platform {

class WineHive final : public RegistryReader {
public:
    // An empty hive: every key is missing.
    WineHive();
    ~WineHive() override;
    WineHive(WineHive&&) noexcept;
    WineHive& operator=(WineHive&&) noexcept;

    // Parses hive text. Text without Wine's header gives an empty hive; a
    // malformed line is skipped as Wine's loader skips it (a malformed key
    // line also drops the values that follow it, up to the next key line).
    static WineHive parse(std::string_view text);

    // Reads and parses a hive file; an unreadable file gives an empty hive.
    static WineHive load(const std::filesystem::path& file);

    // Whether the text carried Wine's header.
    bool recognised() const { return m_recognised; }

    // Whether the prefix is 64-bit ("#arch=win64"). Talvane and the Access
    // runtime it needs are 32-bit programs, so their keys live in the 32-bit
    // view (Software\Wow6432Node) of such a prefix.
    bool isWin64() const { return m_win64; }

    // Lines skipped as malformed while parsing.
    std::size_t skippedLines() const { return m_skippedLines; }

    // Opens a key as a 32-bit program sees it: in a 64-bit prefix a path
    // under Software is looked up under Software\Wow6432Node first and then
    // as it is (the keys Windows shares between the views). HKCR is
    // HKLM\Software\Classes. The hive must outlive the keys it returns.
    std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path) const override;

    // Opens HKLM\path exactly as written, without the 32-bit view.
    std::unique_ptr<RegistryKey> openMachineKey(std::string_view path) const;

private:
    struct Node;
    struct Parser;

    const Node* find(const std::vector<std::string>& components) const;

    std::unique_ptr<Node> m_root;
    bool m_recognised = false;
    bool m_win64 = false;
    std::size_t m_skippedLines = 0;
};

} // namespace pordane::platform
