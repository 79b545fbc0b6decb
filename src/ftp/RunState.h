// The run state of the main window that the FTP tests read and set.
#pragma once

#include <cstdint>

namespace pordane::ftp {

// Values of PaginaActiva that the progress events and the run dispatch know.
namespace page {
inline constexpr std::int32_t None = 0;
inline constexpr std::int32_t Ports = 1;
inline constexpr std::int32_t Speed = 2;
inline constexpr std::int32_t Permissions = 3;
inline constexpr std::int32_t Connectivity = 5;
inline constexpr std::int32_t Personal = 11;
inline constexpr std::int32_t Processes = 12;
} // namespace page

inline constexpr std::int32_t OneMegabyte = 1048576;

// The window's stop signal: thrown from a turn of the message pump once the
// window is closing, it unwinds a run (a test or an import) back to the
// handler that started it. Deliberately not a std::exception, so the layers
// that turn failures into results let it pass; a catch-all on its way must
// rethrow it, and nothing may be sent to a server once it is thrown.
struct RunStopped {};

struct RunState {
    std::int32_t Tarea = 0;        // line of the permissions task list being run; 6 after a server
    std::int32_t PaginaActiva = page::None;
    std::uint8_t FTPTIPO = 1;      // read by nothing
    std::uint8_t FTPMODO = 2;      // 1 active, anything else passive
    std::int32_t SizeTest = 3 * OneMegabyte;
};

} // namespace pordane::ftp
