#include "cli/Options.h"

#include <array>
#include <charconv>
#include <utility>

namespace pordane::cli {

namespace {

constexpr std::array<std::pair<const char*, Orden>, 6> Ordenes{{
    {"servidores", Orden::Servidores},
    {"permisos", Orden::Permisos},
    {"velocidad", Orden::Velocidad},
    {"conectividad", Orden::Conectividad},
    {"puertos", Orden::Puertos},
    {"procesos", Orden::Procesos},
}};

// Which options each sub-command takes.
enum Familia : unsigned {
    Salida = 1,      // --json
    Tabla = 2,       // --ascii
    Seleccion = 4,   // --servidor, --todos
    Cuenta = 8,      // --host, --usuario, --remoto, --nombre
    Modo = 16,       // --activo
    Tamano = 32,     // --tamano
};

unsigned familias(Orden orden)
{
    switch (orden) {
    case Orden::Servidores: return Salida | Tabla | Cuenta;
    case Orden::Permisos:
    case Orden::Conectividad: return Salida | Tabla | Seleccion | Cuenta | Modo;
    case Orden::Velocidad: return Salida | Tabla | Seleccion | Cuenta | Tamano;
    case Orden::Puertos: return Salida | Tabla;
    case Orden::Procesos: return Salida;
    case Orden::Ninguna: break;
    }
    return 0;
}

unsigned familiaDe(const std::string& opcion)
{
    if (opcion == "--json") return Salida;
    if (opcion == "--ascii") return Tabla;
    if (opcion == "--servidor" || opcion == "--todos") return Seleccion;
    if (opcion == "--host" || opcion == "--usuario" || opcion == "--remoto" || opcion == "--nombre") return Cuenta;
    if (opcion == "--activo") return Modo;
    if (opcion == "--tamano") return Tamano;
    return 0;
}

bool llevaValor(const std::string& opcion)
{
    return opcion == "--servidor" || opcion == "--host" || opcion == "--usuario" || opcion == "--remoto"
           || opcion == "--nombre" || opcion == "--tamano";
}

int leerTamano(const std::string& texto)
{
    int mb = 0;
    const auto [end, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), mb);
    if (ec != std::errc() || end != texto.data() + texto.size() || mb < TamanoMinimoMB || mb > TamanoMaximoMB)
        throw ErrorDeUso("--tamano admite un número entero de " + std::to_string(TamanoMinimoMB) + " a "
                         + std::to_string(TamanoMaximoMB) + " (MB), no \"" + texto + "\"");
    return mb;
}

void comprobar(const Options& o)
{
    if (!esPruebaFTP(o.orden))
        return;
    if (o.host) {
        if (o.todos || !o.servidores.empty())
            throw ErrorDeUso("--host prueba solo ese servidor: no se combina con --servidor ni --todos");
        if (!o.usuario || o.usuario->empty())
            throw ErrorDeUso("--host necesita --usuario");
    } else {
        if ((o.usuario || o.remoto || o.nombre))
            throw ErrorDeUso("--usuario, --remoto y --nombre acompañan a --host");
        if (!o.todos && o.servidores.empty())
            throw ErrorDeUso("indique los servidores con --servidor NOMBRE, --todos o --host");
        if (o.todos && !o.servidores.empty())
            throw ErrorDeUso("--todos no se combina con --servidor");
    }
}

} // namespace

const char* nombreOrden(Orden orden)
{
    for (const auto& [nombre, o] : Ordenes)
        if (o == orden)
            return nombre;
    return "";
}

bool esPruebaFTP(Orden orden)
{
    return orden == Orden::Permisos || orden == Orden::Velocidad || orden == Orden::Conectividad;
}

Options leerOpciones(const std::vector<std::string>& args)
{
    Options o;
    size_t i = 0;
    if (i < args.size() && (args[i] == "--help" || args[i] == "-h" || args[i] == "ayuda")) {
        o.ayuda = true;
        return o;
    }
    if (i < args.size() && args[i] == "--version") {
        o.version = true;
        return o;
    }
    if (i >= args.size())
        throw ErrorDeUso("falta la orden (servidores, permisos, velocidad, conectividad, puertos o procesos)");
    for (const auto& [nombre, orden] : Ordenes)
        if (args[i] == nombre)
            o.orden = orden;
    if (o.orden == Orden::Ninguna)
        throw ErrorDeUso("orden desconocida: \"" + args[i] + "\"");
    const unsigned admitidas = familias(o.orden);

    for (++i; i < args.size(); ++i) {
        std::string opcion = args[i];
        std::optional<std::string> valor;
        if (const auto igual = opcion.find('='); opcion.rfind("--", 0) == 0 && igual != std::string::npos) {
            valor = opcion.substr(igual + 1);
            opcion.resize(igual);
        }
        if (opcion == "--help" || opcion == "-h") {
            o.ayuda = true;
            continue;
        }
        const unsigned familia = familiaDe(opcion);
        if (familia == 0)
            throw ErrorDeUso("opción desconocida: \"" + opcion + "\"");
        if ((admitidas & familia) == 0)
            throw ErrorDeUso(std::string(nombreOrden(o.orden)) + " no admite " + opcion);
        if (llevaValor(opcion)) {
            if (!valor) {
                if (i + 1 >= args.size())
                    throw ErrorDeUso(opcion + " necesita un valor");
                valor = args[++i];
            }
        } else if (valor) {
            throw ErrorDeUso(opcion + " no lleva valor");
        }

        if (opcion == "--json")
            o.json = true;
        else if (opcion == "--ascii")
            o.ascii = true;
        else if (opcion == "--todos")
            o.todos = true;
        else if (opcion == "--activo")
            o.activo = true;
        else if (opcion == "--servidor")
            o.servidores.push_back(*valor);
        else if (opcion == "--tamano")
            o.tamanoMB = leerTamano(*valor);
        else if (opcion == "--host")
            o.host = *valor;
        else if (opcion == "--usuario")
            o.usuario = *valor;
        else if (opcion == "--remoto")
            o.remoto = *valor;
        else if (opcion == "--nombre")
            o.nombre = *valor;
    }
    if (!o.ayuda)
        comprobar(o);
    return o;
}

std::string ayuda(Orden orden)
{
    const std::string seleccion =
        "  --servidor NOMBRE  servidor de la tabla (se puede repetir; ver \"pordane-cli servidores\")\n"
        "  --todos            todos los servidores de la tabla\n"
        "  --host HOST        un servidor que la tabla no tiene, probado él solo, con\n"
        "  --usuario USUARIO  su cuenta (la contraseña, de PORDANE_CONTRASENA o pedida\n"
        "  --remoto CARPETA   sin eco en el terminal) y su carpeta remota (opcional);\n"
        "  --nombre NOMBRE    el nombre que muestra el informe (por omisión, el host)\n";
    const std::string salida = "  --json             informe JSON en la salida estándar (ver docs/cli.md)\n";
    const std::string tabla = "  --ascii            letras en lugar de ✓ ✗ ⚠ (OK, NO, AV)\n";
    const std::string estados =
        "\nEstado de salida: 0 todo correcto, 1 algún paso falló, 2 error de uso o de\n"
        "configuración, 3 interrumpido con Ctrl-C (la transferencia en curso se cancela).\n";
    const std::string activo = "  --activo           modo activo (PORT); por omisión, pasivo\n";
    const auto pruebaFTP = [&](const std::string& nombre, const char* propia, const char* descripcion,
                               const std::string& opcion) {
        return "Uso: pordane-cli " + nombre + " (--servidor NOMBRE... | --todos | --host HOST --usuario U) " + propia
               + " [--json] [--ascii]\n\n" + descripcion + "\n" + seleccion + opcion + salida + tabla + estados;
    };
    switch (orden) {
    case Orden::Servidores:
        return "Uso: pordane-cli servidores [--host HOST --usuario U [--remoto C] [--nombre N]] [--json] [--ascii]\n\n"
               "La tabla de servidores como la forma la ventana: los tres servidores propios,\n"
               "las conexiones de portales importadas de la instalación de Talvane (si se\n"
               "encuentra) y el servidor personal dado con --host.\n\n"
               + salida + tabla;
    case Orden::Permisos:
        return pruebaFTP("permisos", "[--activo]", "Prueba de permisos: conectar, subir, descargar, renombrar, listar y borrar.\n",
                         activo);
    case Orden::Velocidad:
        return pruebaFTP("velocidad", "[--tamano MB]",
                         "Prueba de velocidad: una subida y una descarga del archivo de prueba, en\n"
                         "KB/s y segundos. Siempre en modo pasivo, como en la ventana.\n",
                         "  --tamano MB        tamaño del archivo de prueba, de 1 a 20 MB (3 por omisión)\n");
    case Orden::Conectividad:
        return pruebaFTP("conectividad", "[--activo]",
                         "Prueba de conectividad: 20 ciclos de conectar, subir, descargar y borrar.\n", activo);
    case Orden::Puertos:
        return "Uso: pordane-cli puertos [--json] [--ascii]\n\n"
               "Prueba de puertos: si se alcanzan los servidores web, FTP y de asistencia.\n\n"
               + salida + tabla + estados;
    case Orden::Procesos:
        return "Uso: pordane-cli procesos [--json]\n\n"
               "Los procesos que esperan conexiones en este equipo: PID, puerto, protocolo y nombre.\n\n"
               + salida;
    case Orden::Ninguna:
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
           + estados;
}

} // namespace pordane::cli
