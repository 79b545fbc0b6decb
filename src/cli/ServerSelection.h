// The server table of a run, built as the window builds it (built-in
// servers, imported portals, the personal server), and the servers asked for.
#pragma once

#include "catalogue/ServerTable.h"
#include "cli/Report.h"
#include "cli/Options.h"
#include "cli/Program.h"
#include "cli/TerminalViews.h"
#include "ftptests/FtpTestContext.h"

#include <vector>

namespace pordane::cli {

struct Tabla {
    catalogue::ServerTable servidores;
    bool personal = false;   // the last entry is the --host server
    bool sinTalvane = false; // the import found no installation
};

// The import's messages become warnings of the report. Throws ErrorDeConfiguracion.
Tabla construirTabla(const Options& o, Entorno& entorno, ftp::FTPClient& client, DialogosTerminal& dialogos,
                     Report& informe);

// The lines a user would tick: the --host server, all, or those named.
// Throws ErrorDeConfiguracion for an unknown name.
std::vector<ftptests::LineaMarcada> seleccionar(const Options& o, const Tabla& t);

// Entry n as the report names it.
ResultadoServidor describir(const catalogue::ServerTable& tabla, int n, bool personal);

} // namespace pordane::cli
