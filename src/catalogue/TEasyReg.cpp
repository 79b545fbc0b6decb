#include "catalogue/TEasyReg.h"

namespace pordane::catalogue {

TEasyReg::TEasyReg(const platform::RegistryReader& registry) : m_registry(registry) {}

void TEasyReg::setRootKey(platform::RegistryRoot root)
{
    CloseKey();
    m_root = root;
}

std::string TEasyReg::resolve(std::string_view key) const
{
    if (!key.empty() && key.front() == '\\')
        return std::string(key.substr(1));
    if (!m_current)
        return std::string(key);
    return m_currentPath + "\\" + std::string(key);
}

bool TEasyReg::OpenKey(std::string_view key)
{
    std::string path = resolve(key);
    auto opened = m_registry.openKey(m_root, path);
    if (!opened)
        return false;
    m_current = std::move(opened);
    m_currentPath = std::move(path);
    return true;
}

void TEasyReg::CloseKey()
{
    m_current.reset();
    m_currentPath.clear();
}

std::vector<std::string> TEasyReg::GetKeyNames() const
{
    return m_current ? m_current->subkeyNames() : std::vector<std::string>{};
}

void TEasyReg::ReadString(std::string_view key, std::string_view name, std::string& result,
                          std::string_view defaultValue)
{
    std::optional<std::string> value;
    if (OpenKey(key))
        value = m_current->readString(name);
    result = value ? *value : std::string(defaultValue);
    CloseKey();
}

} // namespace pordane::catalogue
