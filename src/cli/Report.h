// What a run of pordane-cli found, and its two forms: a readable table with
// ticks and crosses, and a JSON report for scripts (fields in docs/cli.md).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace pordane::cli {

enum class Estado { Ok, Fallo, Aviso, NoRealizado };

// "ok", "fallo", "aviso", "no_realizado".
const char* textoEstado(Estado e);

struct Paso {
    std::string nombre;
    Estado estado = Estado::NoRealizado;
};

enum class Resultado { Correcto, ConFallos, Interrumpido, NoProbado, SinProbar };

struct ResultadoServidor {
    int numero = 0; // entry of the server table, 1-based
    std::string nombre;
    std::string host;
    std::string remoto;
    std::string tipo; // "propio", "portal", "personal"
    Resultado resultado = Resultado::SinProbar;
    std::vector<Paso> pasos;
    std::vector<std::pair<std::string, long long>> cifras;
    std::vector<std::string> registro;
    std::vector<std::string> mensajes;
};

struct LineaPuerto {
    std::string texto;
    std::string host;
    int puerto = 0;
    Estado estado = Estado::NoRealizado;
};

struct Proceso {
    std::optional<long long> pid;
    long long puerto = 0;
    std::string protocolo;
    std::string nombre;
};

struct Report {
    std::string orden;
    std::string version;
    std::string fecha; // UTC, ISO 8601
    std::string modo;  // "pasivo", "activo"; empty outside the FTP tests
    std::optional<int> tamanoMB;
    bool interrumpido = false;
    int codigoSalida = 0;
    std::vector<std::string> avisos;
    std::vector<ResultadoServidor> servidores;
    std::vector<LineaPuerto> puertos;
    std::vector<Proceso> procesos;
};

// Now, as Report::fecha holds it.
std::string fechaActual();

void escribirJson(std::ostream& out, const Report& informe);
void escribirTabla(std::ostream& out, const Report& informe, bool ascii);

// Columns a UTF-8 text takes on a terminal (one per code point).
size_t anchoVisible(const std::string& texto);

} // namespace pordane::cli
