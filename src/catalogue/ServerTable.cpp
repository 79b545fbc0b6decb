#include "catalogue/ServerTable.h"

#include "pordane/BuildConfig.h"

#include <stdexcept>

namespace pordane::catalogue {

namespace {
constexpr const char* BuiltinPassword = "lorak$Vib7";
}

TSERVIDOR& ServerTable::entry(int n)
{
    if (n < 1 || n > Capacity)
        throw std::out_of_range("Servidor: entrada fuera de la tabla");
    return m_servers[static_cast<size_t>(n - 1)];
}

const TSERVIDOR& ServerTable::entry(int n) const
{
    return const_cast<ServerTable*>(this)->entry(n);
}

void ServerTable::setNumServidores(int n)
{
    if (n < 0 || n > Capacity)
        throw std::out_of_range("NumServidores fuera de la tabla");
    m_numServidores = n;
}

bool ServerTable::append(const TSERVIDOR& server)
{
    if (m_numServidores >= Capacity)
        return false;
    ++m_numServidores;
    entry(m_numServidores) = server;
    return true;
}

TSERVIDOR ServerTable::builtin(int n)
{
    switch (n) {
    case 1: return {"Tessaly24", config::HostFtpTessaly24, "", "tes24test", BuiltinPassword, false, true};
    case 2: return {"Tessalysis", config::HostFtpTessalysis, "", "tessistest", BuiltinPassword, false, false};
    case 3: return {"vexorserver01", config::HostFtpVexor, "", "vexortest", BuiltinPassword, false, false};
    default: throw std::out_of_range("no such built-in server");
    }
}

bool ServerTable::SetServidores(const PersonalFields& personal)
{
    for (int n = 1; n <= 3; ++n)
        entry(n) = builtin(n);
    if (!personal.complete())
        return true;
    return append({personal.Name, personal.Host, personal.Remoto, personal.User, personal.Pass,
                   /*IsEnlace*/ true, /*Select*/ false});
}

std::vector<std::string> ServerTable::names() const
{
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(m_numServidores));
    for (int n = 1; n <= m_numServidores; ++n)
        out.push_back(entry(n).Name);
    return out;
}

} // namespace pordane::catalogue
