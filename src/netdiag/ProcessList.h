// The text of the listening-processes page (MemoProcesos): one line per
// listening TCP socket and bound UDP socket with its PID, port, protocol and
// process name.
#pragma once

#include "platform/ListeningSockets.h"

#include <string>
#include <vector>

namespace pordane::netdiag {

// Characters per column before the process name. The page's column header
// has sections of 50, 50, 50 and 200 px; in an 8-pt fixed-pitch font a
// character is about 6.25 px wide, so columns starting every 8 characters
// (0, 8, 16, 24) sit under "PID", "Puerto", "Proto" and "Proceso". The window
// shows MemoProcesos in such a font.
inline constexpr size_t ProcessesColumnWidth = 8;

// Sorted by port, then protocol (TCP first), PID (unknown owner "-" last) and
// name; identical rows appear once. Lines are joined with "\n"; no sockets,
// no text.
std::string formatProcesses(std::vector<platform::ListeningSocket> sockets);

// The page's refresh ("Lista Procesos", "Actualizar"): the text for MemoProcesos.
std::string ShowProcesesPorts();

} // namespace pordane::netdiag
