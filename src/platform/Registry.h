// Read-only access to the host's registry: the Win32 registry on Windows, the
// Wine prefix's text hive elsewhere. Key and value names match in any case.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pordane::platform {

enum class RegistryRoot { LocalMachine, ClassesRoot };

// One opened key. Names and string data are UTF-8.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The value's text when it exists and holds a string (REG_SZ or
    // REG_EXPAND_SZ, unexpanded); nullopt otherwise. An empty name reads the
    // key's default (unnamed) value.
    virtual std::optional<std::string> readString(std::string_view name) const = 0;
    // Names of the direct subkeys, in the order the registry lists them.
    virtual std::vector<std::string> subkeyNames() const = 0;
};

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // Opens root\path without ever creating it; nullptr when the key is
    // missing or cannot be opened. Components are separated by backslashes;
    // empty components (leading, doubled or trailing backslashes) are ignored.
    virtual std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path) const = 0;
};

} // namespace pordane::platform
