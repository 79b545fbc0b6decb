#include "cli/Programa.h"

#include "cli/Informe.h"
#include "cli/Opciones.h"
#include "cli/VistasTerminal.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftptests/FtpTestContext.h"
#include "ftptests/PrepararTest.h"
#include "ftptests/TestConectividad.h"
#include "ftptests/TestPermisos.h"
#include "ftptests/TestVelocidad.h"
#include "netdiag/ProcessList.h"
#include "platform/Pump.h"
#include "platform/Terminal.h"
#include "pordane/BuildConfig.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

namespace pordane::cli {

namespace {

namespace fs = std::filesystem;
namespace image = views::image;
using catalogue::ServerTable;

// A server table or an environment the run cannot go on with (exit status 2).
class ErrorDeConfiguracion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown from a pump turn to end a run at once: on a second Ctrl-C during the
// FTP tests, on the first during the port test (which has nothing to clean).
// Not a std::exception, so the probes and session operations let it through,
// as the window's own way to end a run when it is closed.
struct Interrumpida {};

std::string version()
{
    return config::AppVersion;
}

Estado estadoDeImagen(int imagen)
{
    switch (imagen) {
    case image::Passed: return Estado::Ok;
    case image::Failed: return Estado::Fallo;
    case image::Warning: return Estado::Aviso;
    default: return Estado::NoRealizado;
    }
}

// ------------------------------------------------------------ server table

struct Tabla {
    ServerTable servidores;
    bool personal = false;
    bool sinTalvane = false;
};

bool esPropio(const std::string& nombre)
{
    for (int n = 1; n <= 3; ++n)
        if (ServerTable::builtin(n).Name == nombre)
            return true;
    return false;
}

catalogue::PersonalFields camposPersonales(const Opciones& o, Entorno& entorno)
{
    if (!o.host)
        return {};
    catalogue::PersonalFields p{o.nombre.value_or(*o.host), *o.host, o.remoto.value_or(""), o.usuario.value_or(""),
                                ""};
    if (o.orden == Orden::Servidores) {
        // Only listed, never used: the table wants a complete entry.
        p.User = p.User.empty() ? "-" : p.User;
        p.Pass = "-";
        return p;
    }
    std::optional<std::string> pass = entorno.variable("PORDANE_CONTRASENA");
    if (!pass)
        pass = entorno.leerContrasena("Contraseña de " + p.User + "@" + p.Host + ": ");
    if (!pass)
        throw ErrorDeConfiguracion("falta la contraseña: defina PORDANE_CONTRASENA o ejecute en un terminal");
    if (pass->empty())
        throw ErrorDeConfiguracion("la contraseña está vacía");
    p.Pass = *pass;
    return p;
}

Tabla construirTabla(const Opciones& o, Entorno& entorno, ftp::FTPClient& client, DialogosTerminal& dialogos,
                     Informe& informe)
{
    Tabla t;
    const catalogue::PersonalFields personal = camposPersonales(o, entorno);
    t.servidores.setNumServidores(3);
    t.servidores.SetServidores(personal);
    t.personal = personal.complete();
    // A test of the --host server alone needs no portals.
    const bool hacenFaltaEnlaces =
        o.orden == Orden::Servidores
        || (!o.host
            && (o.todos || std::any_of(o.servidores.begin(), o.servidores.end(),
                                       [](const std::string& s) { return !esPropio(s); })));
    if (hacenFaltaEnlaces && entorno.importarEnlaces) {
        EnlacesTerminal enlaces;
        const auto r = entorno.importarEnlaces(client, t.servidores, personal, dialogos, enlaces);
        t.sinTalvane = r.estado == catalogue::ResultadoImportacion::Estado::SinInstalacion;
        for (const std::string& m : dialogos.mensajes)
            informe.avisos.push_back(m);
        dialogos.mensajes.clear();
    }
    return t;
}

std::vector<ftptests::LineaMarcada> seleccionar(const Opciones& o, const Tabla& t)
{
    const ServerTable& tabla = t.servidores;
    std::vector<ftptests::LineaMarcada> marcadas;
    if (o.host) {
        const int n = tabla.NumServidores();
        if (!t.personal)
            throw ErrorDeConfiguracion("no cabe el servidor de --host en la tabla");
        return {{n - 1, tabla.entry(n).Name}};
    }
    if (o.todos) {
        for (int n = 1; n <= tabla.NumServidores(); ++n)
            marcadas.push_back({n - 1, tabla.entry(n).Name});
        return marcadas;
    }
    for (const std::string& pedido : o.servidores) {
        int hallado = 0;
        for (int n = 1; n <= tabla.NumServidores() && hallado == 0; ++n)
            if (tabla.entry(n).Name == pedido)
                hallado = n;
        if (hallado == 0) {
            std::string nombres;
            for (const std::string& s : tabla.names())
                nombres += (nombres.empty() ? "" : ", ") + s;
            std::string texto = "servidor desconocido: \"" + pedido + "\" (servidores: " + nombres + ")";
            if (t.sinTalvane)
                texto += "; no se ha encontrado la instalación de Talvane, así que no hay conexiones de portales";
            throw ErrorDeConfiguracion(texto);
        }
        marcadas.push_back({hallado - 1, pedido});
    }
    return marcadas;
}

ResultadoServidor describir(const ServerTable& tabla, int n, bool personal)
{
    const catalogue::TSERVIDOR& s = tabla.entry(n);
    ResultadoServidor r;
    r.numero = n;
    r.nombre = s.Name;
    r.host = s.Host;
    r.remoto = s.Remoto;
    r.tipo = n <= 3 ? "propio" : (personal && n == tabla.NumServidores() ? "personal" : "portal");
    return r;
}

// ------------------------------------------------------------- FTP tests

// The test files live in a folder of their own, gone when the run ends.
class CarpetaTemporal {
public:
    CarpetaTemporal()
    {
        std::random_device azar;
        const fs::path base = fs::temp_directory_path();
        for (int intento = 0; intento < 100; ++intento) {
            const fs::path p = base / ("pordane-cli-" + std::to_string(azar()));
            if (fs::create_directory(p)) {
                m_ruta = p;
                return;
            }
        }
        throw ErrorDeConfiguracion("no se pudo crear una carpeta temporal en " + base.string());
    }
    ~CarpetaTemporal()
    {
        std::error_code ignorado;
        fs::remove_all(m_ruta, ignorado);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;
    const fs::path& ruta() const { return m_ruta; }

private:
    fs::path m_ruta;
};

// Stands between the client and the session to know when a transfer runs:
// Ctrl-C then does what the window's "Cancelar" does, on every transfer
// from then on, so the test finishes its own clean-up with nothing moving.
class VigiaCancelacion final : public ftp::FTPObserver {
public:
    VigiaCancelacion(ftp::FtpSession& session, ftp::FTPClient& client) : m_session(session), m_client(client)
    {
        m_client.setObserver(this);
    }
    ~VigiaCancelacion() override { m_client.setObserver(&m_session); }
    VigiaCancelacion(const VigiaCancelacion&) = delete;
    VigiaCancelacion& operator=(const VigiaCancelacion&) = delete;

    // A pump turn: cancels the running transfer once Ctrl-C was pressed.
    void turno(int interrupciones)
    {
        if (interrupciones >= 1 && m_enTransferencia && !m_cancelada) {
            m_cancelada = true;
            m_session.BotonCancelarFTPClick();
        }
    }

private:
    ftp::FTPObserver& sesion() { return m_session; }
    void OnStatus(ftp::FtpStatus status, const std::string& texto) override
    {
        using ftp::FtpStatus;
        if (status == FtpStatus::TransferStarting) {
            m_enTransferencia = true;
            m_cancelada = false;
        } else if (status == FtpStatus::TransferComplete || status == FtpStatus::TransferAborted
                   || status == FtpStatus::Disconnected || status == FtpStatus::Connecting) {
            m_enTransferencia = false;
        }
        sesion().OnStatus(status, texto);
    }
    void OnWorkBegin(ftp::WorkMode modo, std::int64_t maximo) override { sesion().OnWorkBegin(modo, maximo); }
    void OnWork(ftp::WorkMode modo, std::int64_t cuenta) override { sesion().OnWork(modo, cuenta); }
    void OnWorkEnd(ftp::WorkMode modo) override { sesion().OnWorkEnd(modo); }

    ftp::FtpSession& m_session;
    ftp::FTPClient& m_client;
    bool m_enTransferencia = false;
    bool m_cancelada = false;
};

class GanchoBomba {
public:
    explicit GanchoBomba(platform::PumpHook gancho) : m_anterior(platform::setPumpHook(std::move(gancho))) {}
    ~GanchoBomba() { platform::setPumpHook(std::move(m_anterior)); }
    GanchoBomba(const GanchoBomba&) = delete;
    GanchoBomba& operator=(const GanchoBomba&) = delete;

private:
    platform::PumpHook m_anterior;
};

bool tieneMensaje(const std::vector<std::string>& mensajes, const char* texto)
{
    return std::find(mensajes.begin(), mensajes.end(), texto) != mensajes.end();
}

Resultado resultadoDePasos(const std::vector<Paso>& pasos)
{
    const bool todos = std::all_of(pasos.begin(), pasos.end(), [](const Paso& p) { return p.estado == Estado::Ok; });
    return todos ? Resultado::Correcto : Resultado::ConFallos;
}

void probarPermisos(ftptests::FtpTestContext& ctx, const ftptests::LineaMarcada& linea, LineaProgreso& progreso,
                    ResultadoServidor& r)
{
    using namespace ftptests::permisos;
    PermisosTerminal vista(progreso);
    ftptests::DoTestPermisos(ctx, vista, {linea});
    const ListaResultados& l = vista.lista;
    r.pasos = {{"conectar", estadoDeImagen(vista.tareas.imagenes[TareaConectar])},
               {"subir", estadoDeImagen(l.imagen(0, CeldaE))},
               {"descargar", estadoDeImagen(l.imagen(0, CeldaL))},
               {"renombrar", estadoDeImagen(l.imagen(0, CeldaR))},
               {"listar", estadoDeImagen(l.imagen(0, CeldaD))},
               {"borrar", estadoDeImagen(l.imagen(0, CeldaB))}};
}

void probarVelocidad(ftptests::FtpTestContext& ctx, const ftptests::LineaMarcada& linea, LineaProgreso& progreso,
                     const DialogosTerminal& dialogos, ResultadoServidor& r)
{
    VelocidadTerminal vista(progreso, ctx.session.speed());
    ftptests::DoTestVelocidad(ctx, vista, {linea});
    const auto medida = [&](const VelocidadTerminal::Medida& m, const char* error) {
        if (!m.hecha)
            return Estado::NoRealizado;
        return tieneMensaje(dialogos.mensajes, error) ? Estado::Fallo : Estado::Ok;
    };
    const Estado conectar = vista.subida.hecha ? Estado::Ok : Estado::Fallo;
    const Estado subida = medida(vista.subida, "Se ha producido un error durante la subida.");
    const Estado descarga = medida(vista.descarga, "Se ha producido un error durante la descarga.");
    const bool fila = !vista.lista.filas.empty() && vista.lista.filas[0].rowImage == image::Passed;
    Estado limpieza = Estado::NoRealizado;
    if (fila)
        limpieza = Estado::Ok;
    else if (subida == Estado::Ok && descarga == Estado::Ok)
        limpieza = Estado::Fallo;
    r.pasos = {{"conectar", conectar}, {"subida", subida}, {"descarga", descarga}, {"borrar", limpieza}};
    r.cifras.push_back({"tamano_bytes", ctx.run.SizeTest});
    // A failed transfer has no speed worth reporting.
    if (subida == Estado::Ok) {
        r.cifras.push_back({"subida_kbs", vista.subida.kbs});
        r.cifras.push_back({"subida_segundos", vista.subida.segundos});
    }
    if (descarga == Estado::Ok) {
        r.cifras.push_back({"descarga_kbs", vista.descarga.kbs});
        r.cifras.push_back({"descarga_segundos", vista.descarga.segundos});
    }
}

void probarConectividad(ftptests::FtpTestContext& ctx, const ftptests::LineaMarcada& linea, LineaProgreso& progreso,
                        ResultadoServidor& r)
{
    using namespace ftptests::conectividad;
    ConectividadTerminal vista(progreso);
    ftptests::DoTestConectividad(ctx, vista, {linea});
    const Estado ciclos = vista.ciclos == 0 ? Estado::NoRealizado
                          : vista.correctos == Ciclos && vista.fallidos == 0 ? Estado::Ok
                                                                             : Estado::Fallo;
    r.pasos = {{"conectar", vista.ciclos > 0 ? Estado::Ok : Estado::Fallo}, {"ciclos", ciclos}};
    r.cifras = {{"ciclos", vista.ciclos},
                {"ciclos_correctos", vista.correctos},
                {"ciclos_fallidos", vista.fallidos},
                {"subidas", ConectividadTerminal::numero(vista.lista.cellText(0, CeldaSubida))},
                {"descargas", ConectividadTerminal::numero(vista.lista.cellText(0, CeldaDescarga))}};
}

int pruebaFTP(const Opciones& o, Entorno& entorno, Informe& informe)
{
    ftp::FTPClient client;
    client.ClientName = "Pordane 4.5";
    DialogosTerminal dialogos;
    const Tabla tabla = construirTabla(o, entorno, client, dialogos, informe);
    const std::vector<ftptests::LineaMarcada> marcadas = seleccionar(o, tabla);

    ftp::RunState run;
    run.PaginaActiva = o.orden == Orden::Permisos    ? ftp::pagina::Permisos
                       : o.orden == Orden::Velocidad ? ftp::pagina::Velocidad
                                                     : ftp::pagina::Conectividad;
    run.FTPMODO = o.activo ? 1 : 2;
    run.SizeTest = o.tamanoMB * ftp::UnMegabyte;
    informe.modo = o.activo ? "activo" : "pasivo";
    if (o.orden == Orden::Velocidad) {
        informe.modo = "pasivo";
        informe.tamanoMB = o.tamanoMB;
    }

    LineaProgreso progreso(entorno.err, entorno.progresoEnTerminal);
    RegistroTerminal registro(progreso);
    ProgresoTransferencia transferencia(progreso);
    ftp::SpeedState speed;
    ftp::FtpSession::Context contexto;
    contexto.PaginaActiva = [&run] { return run.PaginaActiva; };
    contexto.SizeTest = [&run] { return run.SizeTest; };
    ftp::FtpSession session(client, registro, dialogos, transferencia, speed, std::move(contexto));
    VigiaCancelacion vigia(session, client);
    const CarpetaTemporal carpeta;
    session.setLocalDir(carpeta.ruta());

    bool avisado = false;
    bool forzable = false;
    const GanchoBomba gancho([&] {
        const int n = entorno.interrupciones ? entorno.interrupciones() : 0;
        if (n >= 1 && !avisado) {
            avisado = true;
            progreso.borrar();
            entorno.err << "Interrumpido: se cancela la transferencia en curso (Ctrl-C otra vez para salir sin "
                           "limpiar)\n"
                        << std::flush;
        }
        progreso.refrescar();
        vigia.turno(n);
        if (n >= 2 && forzable)
            throw Interrumpida{};
    });

    PreparacionTerminal preparacion(progreso);
    if (!ftptests::PrepararTest(preparacion, dialogos, run.SizeTest, carpeta.ruta())) {
        progreso.borrar();
        std::string texto = "no se pudieron preparar los archivos de prueba";
        if (!dialogos.mensajes.empty())
            texto += ": " + dialogos.mensajes.back();
        throw ErrorDeConfiguracion(texto + " en " + carpeta.ruta().string());
    }
    dialogos.mensajes.clear();

    ftptests::FtpTestContext ctx{session, dialogos, run, tabla.servidores, entorno.ids};
    const auto interrumpido = [&] { return entorno.interrupciones && entorno.interrupciones() > 0; };
    for (const ftptests::LineaMarcada& linea : marcadas) {
        ResultadoServidor r = describir(tabla.servidores, linea.posicion + 1, tabla.personal);
        if (interrumpido()) {
            r.resultado = Resultado::NoProbado;
            informe.servidores.push_back(std::move(r));
            continue;
        }
        progreso.servidor(linea.texto);
        dialogos.mensajes.clear();
        forzable = true;
        try {
            switch (o.orden) {
            case Orden::Permisos: probarPermisos(ctx, linea, progreso, r); break;
            case Orden::Velocidad: probarVelocidad(ctx, linea, progreso, dialogos, r); break;
            default: probarConectividad(ctx, linea, progreso, r); break;
            }
            r.resultado = resultadoDePasos(r.pasos);
        } catch (const Interrumpida&) {
            forzable = false; // the goodbye below turns the pump too
            informe.avisos.push_back("Segunda interrupción: la prueba se detuvo sin terminar su limpieza; pueden "
                                     "quedar archivos de prueba en el servidor");
            try {
                session.DisconnectFTPServer();
            } catch (const std::exception&) {
            }
        }
        forzable = false;
        if (interrumpido())
            r.resultado = Resultado::Interrumpido;
        r.registro = registro.lineas;
        r.mensajes = dialogos.mensajes;
        informe.servidores.push_back(std::move(r));
    }
    progreso.borrar();

    informe.interrumpido = interrumpido();
    if (informe.interrumpido)
        return SalidaInterrumpida;
    const bool fallos = std::any_of(informe.servidores.begin(), informe.servidores.end(),
                                    [](const ResultadoServidor& s) { return s.resultado != Resultado::Correcto; });
    return fallos ? SalidaConFallos : SalidaCorrecta;
}

// ------------------------------------------------------------- the others

int servidores(const Opciones& o, Entorno& entorno, Informe& informe)
{
    ftp::FTPClient client;
    DialogosTerminal dialogos;
    const Tabla t = construirTabla(o, entorno, client, dialogos, informe);
    for (int n = 1; n <= t.servidores.NumServidores(); ++n)
        informe.servidores.push_back(describir(t.servidores, n, t.personal));
    return SalidaCorrecta;
}

int puertos(Entorno& entorno, Informe& informe)
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
        const GanchoBomba gancho([&] {
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
int procesos(Entorno& entorno, Informe& informe)
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
    e.importarEnlaces = [](ftp::FTPClient& client, ServerTable& tabla, const catalogue::PersonalFields& personal,
                           views::Dialogs& dialogs, views::EnlacesView& vista) {
        catalogue::Importador importador(client, tabla, [personal] { return personal; }, dialogs, vista);
        return importador.ObtenerEnlacesWeb();
    };
    e.procesos = netdiag::ShowProcesesPorts;
    e.interrupciones = platform::interruptCount;
    return e;
}

int ejecutar(const std::vector<std::string>& args, Entorno& entorno)
{
    Opciones o;
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

    Informe informe;
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
