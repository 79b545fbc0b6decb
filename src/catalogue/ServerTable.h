// The server table: three built-in servers of the maker, the portal entries
// of the latest import and the personal entries, in fixed slots 1 to 20.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace pordane::catalogue {

struct TSERVIDOR {
    std::string Name;
    std::string Host;
    std::string Remoto;
    std::string User;
    std::string Pass;
    bool IsEnlace = false;
    bool Select = false;
};

// The five edit boxes of the "FTP Personalizado" group, as typed.
struct PersonalFields {
    std::string Name;
    std::string Host;
    std::string Remoto;
    std::string User;
    std::string Pass;

    // Host, user and password all non-empty (blanks count, nothing is trimmed).
    bool complete() const { return !Host.empty() && !User.empty() && !Pass.empty(); }
};

class ServerTable {
public:
    static constexpr int Capacity = 20;

    // Entry n, 1-based as the program numbers them (1..20).
    TSERVIDOR& entry(int n);
    const TSERVIDOR& entry(int n) const;

    int NumServidores() const { return m_numServidores; }
    void setNumServidores(int n);

    // Writes entry NumServidores + 1 and counts it; false when the table is full.
    bool append(const TSERVIDOR& server);

    // Rewrites entries 1-3 with the built-in servers and appends the personal
    // entry when its fields are complete. Returns false only when the personal
    // entry was complete but the table was full (nothing is written then).
    bool SetServidores(const PersonalFields& personal);

    // Names of entries 1..NumServidores, the lines of the check list.
    std::vector<std::string> names() const;

    static TSERVIDOR builtin(int n);

private:
    std::array<TSERVIDOR, Capacity> m_servers{};
    int m_numServidores = 0;
};

} // namespace pordane::catalogue
