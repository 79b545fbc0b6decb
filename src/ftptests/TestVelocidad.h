// The speed test: per ticked server, one upload and one download of
// "speedmeter.txt" (SizeTest bytes), timed in whole seconds and shown in KB/s.
#pragma once

#include "ftptests/FtpTestContext.h"
#include "views/SpeedView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pordane::ftptests {

namespace velocidad {
inline constexpr int CeldaNum = 0;
inline constexpr int CeldaEstado = 1;
inline constexpr int CeldaDescarga = 2;
inline constexpr int CeldaSubida = 3;
// The speed test always connects in passive mode.
inline constexpr std::uint8_t ModoPasivo = 2;
} // namespace velocidad

// The chart and Timer1 run for the whole call and are stopped on every way out.
void DoTestVelocidad(FtpTestContext& ctx, views::SpeedView& view,
                     const std::vector<LineaMarcada>& marcadas);

// Fills row numserv; true when connected, both transfers worked and the
// remote file was removed and the session closed.
bool TestFTPVelocidad(FtpTestContext& ctx, views::SpeedView& view, int numserv,
                      const std::string& host, const std::string& remoto,
                      const std::string& username, const std::string& password);

} // namespace pordane::ftptests
