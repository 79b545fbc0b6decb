// One FTP client, session and run context wired to recording views, with the
// local test files in a temporary folder, for the session and FTP-test suites.
#pragma once

#include "catalogue/ServerTable.h"
#include "ftp/FTPClient.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftptests/FtpTestContext.h"
#include "ftptests/GeneraID.h"
#include "ftptests/TestFiles.h"
#include "support/files/TempDir.h"
#include "support/ftpservers/LocalFtpServer.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pordane::testsupport {

namespace fs = std::filesystem;

// 17 August 2015 (day count 42233) at 12:00; with r = 0.25 the identifier is
// 22337500000, with r = 0.5 it is 22340000000, with r = 0.75 22342500000.
inline ftptests::IdSources pinnedIds(std::vector<double> randoms)
{
    auto next = std::make_shared<size_t>(0);
    auto values = std::make_shared<std::vector<double>>(std::move(randoms));
    return {[next, values] { return (*values)[(*next)++ % values->size()]; },
            [] { return ftptests::LocalDateTime{2015, 8, 17, 12, 0, 0, 0}; }};
}

inline std::vector<std::string> filesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline size_t countOf(const std::vector<std::string>& v, const std::string& s)
{
    return static_cast<size_t>(std::count(v.begin(), v.end(), s));
}

struct Harness {
    Harness()
    {
        session.setLocalDir(dir.path());
        // Literal loopback addresses only: a name must never reach DNS.
        client.HostResolver = [](const std::string&) -> std::optional<platform::IPv4> { return std::nullopt; };
    }

    void writeTestFiles()
    {
        ftptests::CrearArchivoTXT(dir.path());
        ftptests::CrearArchivoJPG(dir.path());
        ftptests::CrearArchivoMDB(dir.path());
        ftptests::CrearArchivoSpeed(run.SizeTest, dir.path());
    }

    // Appends a server entry; returns the ticked check-list line standing for it.
    ftptests::MarkedLine addServer(const std::string& name, const std::string& host, const std::string& user,
                                   const std::string& pass, const std::string& remoto = "")
    {
        catalogue::TSERVIDOR s;
        s.Name = name;
        s.Host = host;
        s.Remoto = remoto;
        s.User = user;
        s.Pass = pass;
        table.append(s);
        return {table.NumServidores() - 1, name};
    }

    fs::path local(const std::string& name) const { return dir.path() / name; }

    TempDir dir;
    ftp::RunState run;
    ftp::FTPClient client;
    testsupport::RecordingLog log;
    testsupport::RecordingDialogs dialogs;
    testsupport::RecordingProgress progress;
    ftp::SpeedState speed;
    ftp::FtpSession session{client,   log,   dialogs,
                            progress, speed, {[this] { return run.PaginaActiva; }, [this] { return run.SizeTest; }}};
    catalogue::ServerTable table;
    ftptests::FtpTestContext ctx{session, dialogs, run, table, pinnedIds({0.25, 0.5, 0.75})};
};

inline bool serversAvailable()
{
    return testsupport::LocalFtpServer::available(testsupport::FtpServerKind::Pyftpdlib);
}

} // namespace pordane::testsupport
