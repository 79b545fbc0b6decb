// The three FTP tests of the window over the servers asked for, one server
// at a time, through the terminal views.
#pragma once

#include "cli/Informe.h"
#include "cli/Opciones.h"
#include "cli/Programa.h"

namespace pordane::cli {

// Fills the report's servers; returns the exit status (0, 1 or 3).
// Throws ErrorDeConfiguracion.
int pruebaFTP(const Opciones& o, Entorno& entorno, Informe& informe);

} // namespace pordane::cli
