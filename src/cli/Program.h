// pordane-cli: reads the command line, builds the server table as the window
// does, runs the window's own test functions through the terminal views and
// writes the report. Everything it needs from outside comes in an Entorno.
#pragma once

#include "catalogue/PortalImport.h"
#include "catalogue/ServerTable.h"
#include "ftp/FTPClient.h"
#include "ftptests/GeneraID.h"
#include "netdiag/PortTester.h"
#include "views/Dialogs.h"
#include "views/LinksView.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pordane::cli {

inline constexpr int SalidaCorrecta = 0;
inline constexpr int SalidaConFallos = 1;
inline constexpr int SalidaErrorDeUso = 2;
inline constexpr int SalidaInterrumpida = 3;

// The portal import as the window runs it: fills entries 4 onward of the
// table and appends the personal entry after them.
using ImportarEnlaces = std::function<catalogue::ResultadoImportacion(
    ftp::FTPClient& client, catalogue::ServerTable& tabla, const catalogue::PersonalFields& personal,
    views::Dialogs& dialogs, views::LinksView& vista)>;

struct Entorno {
    std::ostream& out;
    std::ostream& err;
    // Standard error is a terminal: the live progress line is drawn there.
    bool progresoEnTerminal = false;
    std::function<std::optional<std::string>(const std::string& nombre)> variable;
    // Reads the password without echo; nullopt when there is no terminal.
    std::function<std::optional<std::string>(const std::string& prompt)> leerContrasena;
    ImportarEnlaces importarEnlaces;
    netdiag::PortTestOptions puertos;
    std::function<std::string()> procesos;
    // How many times Ctrl-C was pressed so far.
    std::function<int()> interrupciones;
    ftptests::IdSources ids = ftptests::defaultIdSources();
};

// The real console, environment, importer, probe table and process list.
Entorno entornoDelSistema(std::ostream& out, std::ostream& err);

// args without the program name; returns the exit status.
int ejecutar(const std::vector<std::string>& args, Entorno& entorno);

} // namespace pordane::cli
