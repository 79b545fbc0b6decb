// The command line of pordane-cli: a Spanish sub-command and its options.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pordane::cli {

enum class Orden { Ninguna, Servidores, Permisos, Velocidad, Conectividad, Puertos, Procesos };

// A command line that cannot be run; what() is the Spanish text for the user.
class ErrorDeUso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    Orden orden = Orden::Ninguna;
    std::vector<std::string> servidores; // --servidor, in the order given
    bool todos = false;
    bool activo = false;
    int tamanoMB = 3; // the window's default
    bool json = false;
    bool ascii = false;
    bool ayuda = false;
    bool version = false;
    // A server given on the command line (--host alone is tested).
    std::optional<std::string> host;
    std::optional<std::string> usuario;
    std::optional<std::string> remoto;
    std::optional<std::string> nombre;
};

// The sizes the window's slider offers.
inline constexpr int TamanoMinimoMB = 1;
inline constexpr int TamanoMaximoMB = 20;

// Throws ErrorDeUso. args excludes the program name.
Options leerOpciones(const std::vector<std::string>& args);

const char* nombreOrden(Orden orden);
bool esPruebaFTP(Orden orden);

// The help text of one sub-command, or of the program (Orden::Ninguna).
std::string ayuda(Orden orden);

} // namespace pordane::cli
