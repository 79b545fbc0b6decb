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
#include <cstdint>
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

    // Windows allows keys 512 levels deep; a deeper key path marks the hive
    // as damaged.
    static constexpr std::size_t MaxKeyDepth = 512;
    // Far beyond any real system.reg (a few MB); a larger file is refused.
    static constexpr std::uintmax_t MaxFileBytes = 256u * 1024 * 1024;

    // Parses hive text. Text without Wine's header gives an empty hive; a
    // malformed line is skipped as Wine's loader skips it (a malformed key
    // line also drops the values that follow it, up to the next key line).
    // A key deeper than MaxKeyDepth gives an empty, damaged hive.
    static WineHive parse(std::string_view text);

    // Reads and parses a hive file. An unreadable file, anything but a
    // regular file (a FIFO, a device) and a file over maxBytes give an
    // empty hive, the last two marked damaged.
    static WineHive load(const std::filesystem::path& file, std::uintmax_t maxBytes = MaxFileBytes);

    // Whether the text carried Wine's header (false for a damaged hive).
    bool recognised() const { return m_recognised; }

    // Whether the hive was refused as damaged; it then holds no key.
    bool damaged() const { return m_damaged; }

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
    bool m_damaged = false;
    bool m_win64 = false;
    std::size_t m_skippedLines = 0;
};

} // namespace pordane::platform
