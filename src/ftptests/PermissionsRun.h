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
namespace permissions {
inline constexpr int CellStatus = 0;
inline constexpr int CellUpload = 1;   // upload
inline constexpr int CellDownload = 2; // download
inline constexpr int CellRename = 3;   // rename
inline constexpr int CellListing = 4;  // listing
inline constexpr int CellDelete = 5;   // delete
inline constexpr int CellNum = 6;

// Lines of Tareas.
inline constexpr int TaskConnect = 0;
inline constexpr int TaskUpload = 1;
inline constexpr int TaskDownload = 2;
inline constexpr int TaskRename = 3;
inline constexpr int TaskListing = 4;
inline constexpr int TaskDelete = 5;
inline constexpr int TaskEnd = 6;
inline constexpr int TaskCount = 6;
} // namespace permissions

void DoTestPermisos(FtpTestContext& ctx, views::PermissionsView& view, const std::vector<MarkedLine>& marked);

// Fills row numserv; true when upload, download, rename, listing and delete all passed.
bool TestFTPPermisos(FtpTestContext& ctx, views::PermissionsView& view, int numserv, std::uint8_t modo,
                     const std::string& host, const std::string& remoto, const std::string& username,
                     const std::string& password);

} // namespace pordane::ftptests
