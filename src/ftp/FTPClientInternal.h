// What the two halves of the FTP client share: the control connection
// (FTPClient.cpp) and the data connections with their transfers
// (FTPClientTransfers.cpp). Not part of the client's interface.
#pragma once

#include "ftp/FTPClient.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

namespace pordane::ftp::detail {

inline bool isOneOf(int code, std::initializer_list<int> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;


// Marks the client busy for the length of one operation, so a nested Abort()
// can tell a transfer from a plain command.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~BusyScope() { m_flag = m_previous; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

// A short, printable excerpt of decoded (valid UTF-8) server text for an
// error message, cut at a character boundary.
std::string excerpt(const std::string& text);

// A name holding CR or LF would smuggle a second command onto the wire.
void checkCommandText(const std::string& command);

} // namespace pordane::ftp::detail
