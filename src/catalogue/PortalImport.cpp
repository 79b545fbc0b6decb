#include "catalogue/PortalImport.h"

#include "catalogue/Desencriptar.h"
#include "catalogue/HostDiscovery.h"
#include "catalogue/MdbConnectionSource.h"
#include "ftp/RunState.h"
#include "platform/base/TextEncoding.h"
#include "pordane/BuildConfig.h"

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace pordane::catalogue {

namespace {

constexpr int LineasConexion = 4;

// The file's lines as Windows reads text: CR LF, LF or a lone CR ends a line.
std::vector<std::string> lineas(const std::string& bytes)
{
    std::vector<std::string> out;
    std::string actual;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out.push_back(std::move(actual));
            actual.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            actual += c;
        }
    }
    if (!actual.empty())
        out.push_back(std::move(actual));
    return out;
}

// The file holds four short lines; a server could send gigabytes.
constexpr std::size_t MaxBytesConexion = 64 * 1024;

// At most MaxBytesConexion bytes of the file; `cortado` tells whether more followed.
std::string leerArchivo(const std::filesystem::path& path, bool& cortado)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ConnectionFileError("No se puede abrir el archivo local \"" + path.string() + "\"");
    std::string bytes(MaxBytesConexion + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    cortado = bytes.size() > MaxBytesConexion;
    if (cortado) {
        // Only the lines that end within the cap are whole.
        bytes.resize(MaxBytesConexion);
        const auto fin = bytes.find_last_of("\r\n");
        bytes.resize(fin == std::string::npos ? 0 : fin + 1);
    }
    return bytes;
}

void desconectarSinErrores(ftp::FTPClient& client) noexcept
{
    try {
        client.Disconnect();
    } catch (...) {
        // The connection is being dropped after another error; that one is reported.
    }
}

} // namespace

std::string mensajeConexionesSinListar(int n)
{
    const std::string cuantas = n == 1 ? "No se ha podido listar 1 conexión de Talvane"
                                       : "No se han podido listar " + std::to_string(n) + " conexiones de Talvane";
    return cuantas + ": la lista admite un máximo de " + std::to_string(ServerTable::Capacity) + " servidores.";
}

std::string mensajeSinSitioPersonal()
{
    return "No se ha podido añadir el servidor personal: la lista admite un máximo de " +
           std::to_string(ServerTable::Capacity) + " servidores.";
}

PortalImport::Options::Options()
    : HostConexiones(config::HostFtpTessalysis),
      Usuario(config::PortalUser),
      Password(config::PortalPassword),
      FactorEncriptacion(config::FactorEncriptacion),
      abrirEntorno(platform::openHostEnvironment)
{
}

PortalImport::PortalImport(ftp::FTPClient& FTPClient, ServerTable& Servidor, PersonalSource camposPersonales,
                       views::Dialogs& dialogs, views::LinksView& view, Options opciones)
    : m_client(FTPClient),
      m_servidor(Servidor),
      m_camposPersonales(std::move(camposPersonales)),
      m_dialogs(dialogs),
      m_view(view),
      m_opciones(std::move(opciones))
{
    if (!m_opciones.baseDatos)
        m_opciones.baseDatos = std::make_shared<MdbConnectionSource>();
    if (!m_opciones.abrirEntorno)
        m_opciones.abrirEntorno = platform::openHostEnvironment;
}

std::filesystem::path PortalImport::archivoLocal() const
{
    const auto carpeta =
        m_opciones.CarpetaTrabajo.empty() ? std::filesystem::current_path() : m_opciones.CarpetaTrabajo;
    return carpeta / ArchivoConexion;
}

ResultadoImportacion PortalImport::ObtenerEnlacesWeb()
{
    using Estado = ResultadoImportacion::Estado;
    // The client pumps the window's messages while it waits; a second import
    // started from there would take over the client in the middle of this one.
    if (m_enCurso)
        return {Estado::EnCurso, 0, 0, {}};
    struct Marca {
        bool& enCurso;
        explicit Marca(bool& b) : enCurso(b) { enCurso = true; }
        ~Marca() { enCurso = false; }
    } marca(m_enCurso);

    ResultadoImportacion resultado;
    m_view.setNumEnlaces(TextoObteniendo);

    bool fallo = false;
    std::string error;
    try {
        const auto host = m_opciones.abrirEntorno();
        Entorno entorno(*host);
        // UnidadSistema, which BuscarInstalacion may need, as the start-up
        // discovery sets it; the Access warning belongs to the start only.
        entorno.PrepararEntorno(m_dialogs, false);
        if (!entorno.BuscarInstalacion(entorno.CarpetaInstalacion)) {
            m_dialogs.showMessage(MensajeSinInstalacion);
            m_view.setNumEnlaces("0");
            resultado.estado = Estado::SinInstalacion;
            return resultado;
        }

        std::string ruta;
        entorno.LeerRutaDatos(entorno.CarpetaInstalacion, ruta);
        const std::string baseDatos = entorno.CarpetaDatos + "\\" + NombreBaseDatos;
        const auto nativa = host->nativePath(baseDatos);
        if (!nativa)
            throw DatabaseError("No se encuentra la base de datos \"" + baseDatos + "\"");
        const std::unique_ptr<CursorConexiones> tabla = m_opciones.baseDatos->abrirConexiones(*nativa);

        // Reset before any field is read: a row that fails later leaves the
        // entries filled so far, never those of an earlier import.
        m_servidor.setNumServidores(3);
        resultado.enlaces = importarFilas(*tabla, resultado.sinListar);
    } catch (const ftp::RunStopped&) {
        // The window is closing: nothing more is written, not even the counter.
        throw;
    } catch (const std::exception& e) {
        fallo = true;
        error = e.what();
    } catch (...) {
        fallo = true;
        error = "Error desconocido";
    }

    if (fallo) {
        // Entries filled so far stay in the table, but the list is not rebuilt.
        m_dialogs.showMessage(std::string(MensajeSinConexiones) + "\r" + error);
        m_view.setNumEnlaces("0");
        return {Estado::Error, 0, 0, error};
    }

    const bool personalCabe = m_servidor.SetServidores(m_camposPersonales());
    m_view.rebuildCheckList(m_servidor.names());
    m_view.setNumEnlaces(std::to_string(resultado.enlaces));

    std::string aviso;
    if (resultado.sinListar > 0)
        aviso = mensajeConexionesSinListar(resultado.sinListar);
    if (!personalCabe)
        aviso += (aviso.empty() ? "" : "\r") + mensajeSinSitioPersonal();
    if (!aviso.empty())
        m_dialogs.showMessage(aviso);
    return resultado;
}

int PortalImport::importarFilas(CursorConexiones& tabla, int& sinListar)
{
    int count = 0;
    sinListar = 0;
    while (tabla.siguiente()) {
        // Field by field, as a recordset is read: a missing field fails at
        // its first read, with what came before it already in place.
        const std::string user = tabla.texto(CampoUser);
        if (user.empty() && tabla.entero(CampoCodigo) == 0)
            continue;
        // The table has 20 slots: usable rows past the last are only counted.
        if (m_servidor.NumServidores() >= ServerTable::Capacity) {
            ++sinListar;
            continue;
        }
        m_servidor.setNumServidores(m_servidor.NumServidores() + 1);
        ++count;
        TSERVIDOR& entrada = m_servidor.entry(m_servidor.NumServidores());
        entrada.Name = tabla.texto(CampoNombre);
        entrada.Host = tabla.texto(CampoHost);
        entrada.User = user;
        entrada.Pass = tabla.texto(CampoPass);
        entrada.Remoto = tabla.texto(CampoRemoto);
        entrada.IsEnlace = true;
        const std::int32_t codigo = tabla.entero(CampoCodigo);
        if (codigo > 0)
            ObtenerDatosConexion(std::to_string(codigo), entrada);
    }
    return count;
}

void PortalImport::ObtenerDatosConexion(const std::string& nestructura, TSERVIDOR& eServidor)
{
    const std::string carpeta = "Estruc" + nestructura;
    const std::filesystem::path local = archivoLocal();

    m_client.Username = m_opciones.Usuario;
    m_client.Password = m_opciones.Password;
    m_client.Host = m_opciones.HostConexiones;
    m_client.Port = m_opciones.PuertoConexiones;
    // A session left open elsewhere (the connectivity test keeps its last
    // one) would make the connect fail; close it as every test's connect does.
    desconectarSinErrores(m_client);
    try {
        m_client.Connect();
        m_client.ChangeDir(carpeta);
        m_client.Get(ArchivoConexion, local.string());
        m_client.Disconnect();
    } catch (const ftp::RunStopped&) {
        // The window is closing: not a word more to the server.
        throw;
    } catch (...) {
        // Left open, the session would make the next import's connect fail.
        desconectarSinErrores(m_client);
        throw;
    }

    bool cortado = false;
    const std::vector<std::string> leidas = lineas(leerArchivo(local, cortado));
    std::array<std::string, LineasConexion> valores;
    for (int i = 0; i < LineasConexion; ++i) {
        const std::string donde = "La línea " + std::to_string(i + 1) + " del archivo " + ArchivoConexion +
                                  " de " + carpeta;
        if (static_cast<std::size_t>(i) >= leidas.size() && cortado)
            throw ConnectionFileError(donde + " es demasiado larga");
        if (static_cast<std::size_t>(i) >= leidas.size())
            throw ConnectionFileError(donde + " no existe");
        try {
            valores[static_cast<std::size_t>(i)] =
                Desencriptar(platform::windows1252ToUtf8(leidas[static_cast<std::size_t>(i)]),
                             m_opciones.FactorEncriptacion);
        } catch (const DescrambleError& e) {
            throw ConnectionFileError(donde + " no es válida: " + e.what());
        }
    }
    eServidor.Host = valores[0];
    eServidor.User = valores[1];
    eServidor.Pass = valores[2];
    eServidor.Remoto = valores[3];

    std::error_code ignorado;
    std::filesystem::remove(local, ignorado);
}

} // namespace pordane::catalogue
