// The speed test: per ticked server, one upload and one download of
// "speedmeter.txt" (SizeTest bytes), timed in whole seconds and shown in KB/s.
#pragma once

#include "ftptests/FtpTestContext.h"
#include "views/SpeedView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pordane::ftptests {

namespace speed {
inline constexpr int CellNum = 0;
inline constexpr int CellStatus = 1;
inline constexpr int CellDownload = 2;
inline constexpr int CellUpload = 3;
// The speed test always connects in passive mode.
inline constexpr std::uint8_t PassiveMode = 2;
} // namespace speed

// The chart and Timer1 run for the whole call and are stopped on every way out.
void DoTestVelocidad(FtpTestContext& ctx, views::SpeedView& view, const std::vector<MarkedLine>& marked);

// Fills row numserv; true when connected, both transfers worked and the
// remote file was removed and the session closed.
bool TestFTPVelocidad(FtpTestContext& ctx, views::SpeedView& view, int numserv, const std::string& host,
                      const std::string& remoto, const std::string& username, const std::string& password);

} // namespace pordane::ftptests
