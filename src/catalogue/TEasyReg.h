// The registry class of the discovery: read-only access to HKEY_LOCAL_MACHINE
// (or HKEY_CLASSES_ROOT) that never creates a key.
#pragma once

#include "platform/Registry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pordane::catalogue {

class TEasyReg {
public:
    // Root HKEY_LOCAL_MACHINE, no key open.
    explicit TEasyReg(const platform::RegistryReader& registry);

    platform::RegistryRoot RootKey() const { return m_root; }
    // Changing the root closes the open key.
    void setRootKey(platform::RegistryRoot root);

    // Opens key without creating it: a path starting with a backslash from
    // the root, any other from the key already open (from the root when none
    // is). False, leaving the open key as it was, when the key is missing.
    bool OpenKey(std::string_view key);
    void CloseKey();
    bool hasCurrentKey() const { return m_current != nullptr; }

    // The open key's subkey names; empty when no key is open.
    std::vector<std::string> GetKeyNames() const;

    // Opens key as OpenKey does, sets result to the string value `name` when
    // it exists and to defaultValue otherwise, and closes the key.
    void ReadString(std::string_view key, std::string_view name, std::string& result,
                    std::string_view defaultValue);

private:
    std::string resolve(std::string_view key) const;

    const platform::RegistryReader& m_registry;
    platform::RegistryRoot m_root = platform::RegistryRoot::LocalMachine;
    std::unique_ptr<platform::RegistryKey> m_current;
    std::string m_currentPath;
};

} // namespace pordane::catalogue
