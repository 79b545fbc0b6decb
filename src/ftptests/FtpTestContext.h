// What the three FTP test runs share: the session, the message boxes, the
// run state, the server table and the source of the per-test identifier.
#pragma once

#include "catalogue/ServerTable.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftptests/GeneraID.h"
#include "views/Dialogs.h"
#include "views/ResultListView.h"

#include <functional>

#include <string>
#include <vector>

namespace pordane::ftptests {

// A ticked line of CheckListServidores: its 0-based position (it stands for
// entry position + 1 of the server table) and the text it shows.
struct MarkedLine {
    int position = 0;
    std::string text;
};

struct FtpTestContext {
    ftp::FtpSession& session;
    views::Dialogs& dialogs;
    ftp::RunState& run;
    const catalogue::ServerTable& servers;
    IdSources ids = defaultIdSources();
};

// The identifier text of a fresh GeneraID value, the prefix of remote names.
std::string newPrefix(FtpTestContext& ctx);

// Entry n of the server table, where n is read back from a row's number cell.
// A copy: the table may be rewritten from the window's message turns while
// that server is tested, and the test keeps the data it started with.
catalogue::TSERVIDOR serverOfRow(const FtpTestContext& ctx, const std::string& numCell);

// The loop over the result rows that every run shares: the row gets the
// arrow and "En curso", its server is tested, then the tick (all passed) or
// the warning triangle and "Finalizado".
using ServerTest = std::function<bool(int row, const catalogue::TSERVIDOR& server)>;
void runRows(FtpTestContext& ctx, views::ResultListView& list, int statusCell, int numCell,
                 const ServerTest& test);

} // namespace pordane::ftptests
