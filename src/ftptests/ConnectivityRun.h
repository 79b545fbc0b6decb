// The connectivity test: per ticked server, twenty connect-upload-download-
// delete cycles, counting the cycles that brought the file back whole.
#pragma once

#include "ftptests/FtpTestContext.h"
#include "views/ConnectivityView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pordane::ftptests {

namespace connectivity {
inline constexpr int CellStatus = 0;
inline constexpr int CellDownload = 1;
inline constexpr int CellUpload = 2;
inline constexpr int CellNum = 3; // no column
inline constexpr int Cycles = 20;
} // namespace connectivity

void DoTestConectividad(FtpTestContext& ctx, views::ConnectivityView& view, const std::vector<MarkedLine>& marked);

// Fills row numserv; true when at least one cycle ran to its end.
bool TestFTPConectividad(FtpTestContext& ctx, views::ConnectivityView& view, int numserv, std::uint8_t modo,
                         const std::string& host, const std::string& remoto, const std::string& username,
                         const std::string& password);

} // namespace pordane::ftptests
