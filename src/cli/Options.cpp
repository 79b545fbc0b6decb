#include "cli/Options.h"

#include <array>
#include <charconv>
#include <utility>

namespace pordane::cli {

namespace {

constexpr std::array<std::pair<const char*, Command>, 6> Commands{{
    {"servidores", Command::Servers},
    {"permisos", Command::Permissions},
    {"velocidad", Command::Speed},
    {"conectividad", Command::Connectivity},
    {"puertos", Command::Ports},
    {"procesos", Command::Processes},
}};

// Which options each sub-command takes.
enum OptionFamily : unsigned {
    Output = 1,      // --json
    Table = 2,       // --ascii
    Selection = 4,   // --server, --all
    Account = 8,      // --host, --user, --remoto, --name
    Mode = 16,       // --active
    Size = 32,     // --tamano
};

unsigned families(Command command)
{
    switch (command) {
    case Command::Servers: return Output | Table | Account;
    case Command::Permissions:
    case Command::Connectivity: return Output | Table | Selection | Account | Mode;
    case Command::Speed: return Output | Table | Selection | Account | Size;
    case Command::Ports: return Output | Table;
    case Command::Processes: return Output;
    case Command::None: break;
    }
    return 0;
}

unsigned familyOf(const std::string& option)
{
    if (option == "--json") return Output;
    if (option == "--ascii") return Table;
    if (option == "--servidor" || option == "--todos") return Selection;
    if (option == "--host" || option == "--usuario" || option == "--remoto" || option == "--nombre") return Account;
    if (option == "--activo") return Mode;
    if (option == "--tamano") return Size;
    return 0;
}

bool takesValue(const std::string& option)
{
    return option == "--servidor" || option == "--host" || option == "--usuario" || option == "--remoto"
           || option == "--nombre" || option == "--tamano";
}

int parseSize(const std::string& text)
{
    int mb = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mb);
    if (ec != std::errc() || end != text.data() + text.size() || mb < MinSizeMB || mb > MaxSizeMB)
        throw UsageError("--tamano admite un número entero de " + std::to_string(MinSizeMB) + " a "
                         + std::to_string(MaxSizeMB) + " (MB), no \"" + text + "\"");
    return mb;
}

void validate(const Options& o)
{
    if (!isFtpCheck(o.command))
        return;
    if (o.host) {
        if (o.all || !o.servers.empty())
            throw UsageError("--host prueba solo ese servidor: no se combina con --servidor ni --todos");
        if (!o.user || o.user->empty())
            throw UsageError("--host necesita --usuario");
    } else {
        if ((o.user || o.remoto || o.name))
            throw UsageError("--usuario, --remoto y --nombre acompañan a --host");
        if (!o.all && o.servers.empty())
            throw UsageError("indique los servidores con --servidor NOMBRE, --todos o --host");
        if (o.all && !o.servers.empty())
            throw UsageError("--todos no se combina con --servidor");
    }
}

} // namespace

const char* commandName(Command command)
{
    for (const auto& [name, o] : Commands)
        if (o == command)
            return name;
    return "";
}

bool isFtpCheck(Command command)
{
    return command == Command::Permissions || command == Command::Speed || command == Command::Connectivity;
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options o;
    size_t i = 0;
    if (i < args.size() && (args[i] == "--help" || args[i] == "-h" || args[i] == "ayuda")) {
        o.help = true;
        return o;
    }
    if (i < args.size() && args[i] == "--version") {
        o.version = true;
        return o;
    }
    if (i >= args.size())
        throw UsageError("falta la orden (servidores, permisos, velocidad, conectividad, puertos o procesos)");
    for (const auto& [name, command] : Commands)
        if (args[i] == name)
            o.command = command;
    if (o.command == Command::None)
        throw UsageError("orden desconocida: \"" + args[i] + "\"");
    const unsigned allowed = families(o.command);

    for (++i; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        if (const auto equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (option == "--help" || option == "-h") {
            o.help = true;
            continue;
        }
        const unsigned family = familyOf(option);
        if (family == 0)
            throw UsageError("opción desconocida: \"" + option + "\"");
        if ((allowed & family) == 0)
            throw UsageError(std::string(commandName(o.command)) + " no admite " + option);
        if (takesValue(option)) {
            if (!value) {
                if (i + 1 >= args.size())
                    throw UsageError(option + " necesita un valor");
                value = args[++i];
            }
        } else if (value) {
            throw UsageError(option + " no lleva valor");
        }

        if (option == "--json")
            o.json = true;
        else if (option == "--ascii")
            o.ascii = true;
        else if (option == "--todos")
            o.all = true;
        else if (option == "--activo")
            o.active = true;
        else if (option == "--servidor")
            o.servers.push_back(*value);
        else if (option == "--tamano")
            o.sizeMB = parseSize(*value);
        else if (option == "--host")
            o.host = *value;
        else if (option == "--usuario")
            o.user = *value;
        else if (option == "--remoto")
            o.remoto = *value;
        else if (option == "--nombre")
            o.name = *value;
    }
    if (!o.help)
        validate(o);
    return o;
}

std::string help(Command command)
{
    const std::string selection =
        "  --servidor NOMBRE  servidor de la tabla (se puede repetir; ver \"pordane-cli servidores\")\n"
        "  --todos            todos los servidores de la tabla\n"
        "  --host HOST        un servidor que la tabla no tiene, probado él solo, con\n"
        "  --usuario USUARIO  su cuenta (la contraseña, de PORDANE_CONTRASENA o pedida\n"
        "  --remoto CARPETA   sin eco en el terminal) y su carpeta remota (opcional);\n"
        "  --nombre NOMBRE    el nombre que muestra el informe (por omisión, el host)\n";
    const std::string output = "  --json             informe JSON en la salida estándar (ver docs/cli.md)\n";
    const std::string table = "  --ascii            letras en lugar de ✓ ✗ ⚠ (OK, NO, AV)\n";
    const std::string statuses =
        "\nEstado de salida: 0 todo correcto, 1 algún paso falló, 2 error de uso o de\n"
        "configuración, 3 interrumpido con Ctrl-C (la transferencia en curso se cancela).\n";
    const std::string active = "  --activo           modo activo (PORT); por omisión, pasivo\n";
    const auto ftpCheck = [&](const std::string& name, const char* ownFlag, const char* description,
                               const std::string& option) {
        return "Uso: pordane-cli " + name + " (--servidor NOMBRE... | --todos | --host HOST --usuario U) " + ownFlag
               + " [--json] [--ascii]\n\n" + description + "\n" + selection + option + output + table + statuses;
    };
    switch (command) {
    case Command::Servers:
        return "Uso: pordane-cli servidores [--host HOST --usuario U [--remoto C] [--nombre N]] [--json] [--ascii]\n\n"
               "La tabla de servidores como la forma la ventana: los tres servidores propios,\n"
               "las conexiones de portales importadas de la instalación de Talvane (si se\n"
               "encuentra) y el servidor personal dado con --host.\n\n"
               + output + table;
    case Command::Permissions:
        return ftpCheck("permisos", "[--activo]", "Prueba de permisos: conectar, subir, descargar, renombrar, listar y borrar.\n",
                         active);
    case Command::Speed:
        return ftpCheck("velocidad", "[--tamano MB]",
                         "Prueba de velocidad: una subida y una descarga del archivo de prueba, en\n"
                         "KB/s y segundos. Siempre en modo pasivo, como en la ventana.\n",
                         "  --tamano MB        tamaño del archivo de prueba, de 1 a 20 MB (3 por omisión)\n");
    case Command::Connectivity:
        return ftpCheck("conectividad", "[--activo]",
                         "Prueba de conectividad: 20 ciclos de conectar, subir, descargar y borrar.\n", active);
    case Command::Ports:
        return "Uso: pordane-cli puertos [--json] [--ascii]\n\n"
               "Prueba de puertos: si se alcanzan los servidores web, FTP y de asistencia.\n\n"
               + output + table + statuses;
    case Command::Processes:
        return "Uso: pordane-cli procesos [--json]\n\n"
               "Los procesos que esperan conexiones en este equipo: PID, puerto, protocolo y nombre.\n\n"
               + output;
    case Command::None:
        break;
    }
    return "Uso: pordane-cli ORDEN [OPCIONES]   (pordane-cli ORDEN --help para cada una)\n\n"
           "Las pruebas de Pordane desde la línea de órdenes.\n\n"
           "  servidores     la tabla de servidores\n"
           "  permisos       prueba de permisos FTP\n"
           "  velocidad      prueba de velocidad FTP\n"
           "  conectividad   prueba de conectividad FTP (20 ciclos)\n"
           "  puertos        prueba de puertos\n"
           "  procesos       procesos que escuchan en puertos\n\n"
           "  --version      la versión del programa\n"
           + statuses;
}

} // namespace pordane::cli
