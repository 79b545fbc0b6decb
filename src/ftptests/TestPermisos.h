// The permissions test: per ticked server, connect, upload three files,
// download them, rename one, delete them, list the folder; a tick or a cross
// per operation in ListaServidores, the steps in Tareas, a line per file
// operation in MemoLog.
#pragma once

#include "ftptests/FtpTestContext.h"
#include "views/PermissionsView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pordane::ftptests {

// Cells of a ListaServidores row.
namespace permisos {
inline constexpr int CeldaEstado = 0;
inline constexpr int CeldaE = 1; // upload
inline constexpr int CeldaL = 2; // download
inline constexpr int CeldaR = 3; // rename
inline constexpr int CeldaD = 4; // listing
inline constexpr int CeldaB = 5; // delete
inline constexpr int CeldaNum = 6;

// Lines of Tareas.
inline constexpr int TareaConectar = 0;
inline constexpr int TareaSubir = 1;
inline constexpr int TareaDescargar = 2;
inline constexpr int TareaRenombrar = 3;
inline constexpr int TareaListar = 4;
inline constexpr int TareaBorrar = 5;
inline constexpr int TareaFin = 6;
inline constexpr int NumTareas = 6;
} // namespace permisos

void DoTestPermisos(FtpTestContext& ctx, views::PermissionsView& view,
                    const std::vector<LineaMarcada>& marcadas);

// Fills row numserv; true when upload, download, rename, listing and delete all passed.
bool TestFTPPermisos(FtpTestContext& ctx, views::PermissionsView& view, int numserv,
                     std::uint8_t modo, const std::string& host, const std::string& remoto,
                     const std::string& username, const std::string& password);

} // namespace pordane::ftptests
