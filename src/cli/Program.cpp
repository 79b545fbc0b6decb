#include "cli/Program.h"

#include "cli/RunErrors.h"
#include "platform/base/Pump.h"
#include "cli/Report.h"
#include "cli/Options.h"
#include "cli/FtpChecks.h"
#include "cli/ServerSelection.h"
#include "cli/TerminalViews.h"
#include "netdiag/ProcessList.h"
#include "platform/Terminal.h"
#include "pordane/BuildConfig.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace pordane::cli {

namespace {

std::string version()
{
    return config::AppVersion;
}

int servidores(const Options& o, Entorno& entorno, Report& informe)
{
    ftp::FTPClient client;
    DialogosTerminal dialogos;
    const Tabla t = construirTabla(o, entorno, client, dialogos, informe);
    for (int n = 1; n <= t.servidores.NumServidores(); ++n)
        informe.servidores.push_back(describir(t.servidores, n, t.personal));
    return SalidaCorrecta;
}

int puertos(Entorno& entorno, Report& informe)
{
    const netdiag::PortTestOptions& opciones = entorno.puertos;
    int lineas = 0;
    std::vector<std::string> textos;
    for (const netdiag::PortProbe& p : opciones.probes)
        lineas = std::max(lineas, p.line + 1);
    textos.resize(static_cast<size_t>(lineas));
    for (const netdiag::PortProbe& p : opciones.probes)
        textos[static_cast<size_t>(p.line)] = p.text;

    LineaProgreso progreso(entorno.err, entorno.progresoEnTerminal);
    ListaTareas tareas(lineas, progreso, textos);
    netdiag::PortTester tester(tareas, opciones);
    {
        const platform::ScopedPumpHook gancho([&] {
            if (entorno.interrupciones && entorno.interrupciones() > 0)
                throw Interrumpida{};
        });
        try {
            tester.TestConnectionPorts();
        } catch (const Interrumpida&) {
            informe.interrumpido = true;
        }
    }
    progreso.borrar();
    for (const netdiag::PortProbe& p : opciones.probes)
        informe.puertos.push_back(
            {p.text, p.host, p.port, estadoDeImagen(tareas.imagenes[static_cast<size_t>(p.line)])});
    if (informe.interrumpido)
        return SalidaInterrumpida;
    const bool fallos = std::any_of(informe.puertos.begin(), informe.puertos.end(),
                                    [](const LineaPuerto& l) { return l.estado != Estado::Ok; });
    return fallos ? SalidaConFallos : SalidaCorrecta;
}

// The lines of the window's process page: PID, port and protocol, then the name.
int procesos(Entorno& entorno, Report& informe)
{
    std::istringstream texto(entorno.procesos());
    std::string linea;
    while (std::getline(texto, linea)) {
        std::istringstream campos(linea);
        std::string pid, puerto, protocolo;
        if (!(campos >> pid >> puerto >> protocolo))
            continue;
        std::string nombre;
        std::getline(campos >> std::ws, nombre);
        Proceso p;
        if (pid != "-")
            p.pid = std::atoll(pid.c_str());
        p.puerto = std::atoll(puerto.c_str());
        p.protocolo = protocolo;
        p.nombre = nombre;
        informe.procesos.push_back(std::move(p));
    }
    return SalidaCorrecta;
}


} // namespace

Entorno entornoDelSistema(std::ostream& out, std::ostream& err)
{
    Entorno e{out, err};
    e.progresoEnTerminal = platform::isTerminal(platform::StdStream::Error);
    e.variable = [](const std::string& nombre) -> std::optional<std::string> {
        const char* v = std::getenv(nombre.c_str());
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    e.leerContrasena = platform::readHiddenLine;
    e.importarEnlaces = [](ftp::FTPClient& client, catalogue::ServerTable& tabla, const catalogue::PersonalFields& personal,
                           views::Dialogs& dialogs, views::LinksView& vista) {
        catalogue::PortalImport importador(client, tabla, [personal] { return personal; }, dialogs, vista);
        return importador.ObtenerEnlacesWeb();
    };
    e.procesos = netdiag::ShowProcesesPorts;
    e.interrupciones = platform::interruptCount;
    return e;
}

int ejecutar(const std::vector<std::string>& args, Entorno& entorno)
{
    Options o;
    try {
        o = leerOpciones(args);
    } catch (const ErrorDeUso& e) {
        entorno.err << "pordane-cli: " << e.what() << "\nPruebe \"pordane-cli --help\".\n";
        return SalidaErrorDeUso;
    }
    if (o.version) {
        entorno.out << "pordane-cli " << version() << '\n';
        return SalidaCorrecta;
    }
    if (o.ayuda) {
        entorno.out << ayuda(o.orden);
        return SalidaCorrecta;
    }

    Report informe;
    informe.orden = nombreOrden(o.orden);
    informe.version = version();
    informe.fecha = fechaActual();
    int codigo = SalidaCorrecta;
    try {
        switch (o.orden) {
        case Orden::Servidores: codigo = servidores(o, entorno, informe); break;
        case Orden::Puertos: codigo = puertos(entorno, informe); break;
        case Orden::Procesos: codigo = procesos(entorno, informe); break;
        default: codigo = pruebaFTP(o, entorno, informe); break;
        }
    } catch (const ErrorDeConfiguracion& e) {
        entorno.err << "pordane-cli: " << e.what() << '\n';
        return SalidaErrorDeUso;
    }
    informe.codigoSalida = codigo;
    if (o.json)
        escribirJson(entorno.out, informe);
    else
        escribirTabla(entorno.out, informe, o.ascii);
    entorno.out.flush();
    return codigo;
}

} // namespace pordane::cli
