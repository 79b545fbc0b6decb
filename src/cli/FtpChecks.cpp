#include "cli/FtpChecks.h"

#include "cli/RunErrors.h"
#include "platform/base/Pump.h"
#include "cli/ServerSelection.h"
#include "cli/TerminalViews.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftptests/FtpTestContext.h"
#include "ftptests/PrepararTest.h"
#include "ftptests/TestConectividad.h"
#include "ftptests/TestPermisos.h"
#include "ftptests/TestVelocidad.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace pordane::cli {

namespace {

namespace fs = std::filesystem;
namespace image = views::image;

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
    void OnNotice(const std::string& texto) override { sesion().OnNotice(texto); }

    ftp::FtpSession& m_session;
    ftp::FTPClient& m_client;
    bool m_enTransferencia = false;
    bool m_cancelada = false;
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

} // namespace

int pruebaFTP(const Options& o, Entorno& entorno, Report& informe)
{
    ftp::FTPClient client;
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
    const platform::ScopedPumpHook gancho([&] {
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

} // namespace pordane::cli
