// pordane-cli against real FTP servers: the permissions table over two
// servers, the JSON report read back by a JSON parser, the exit statuses and
// Ctrl-C in the middle of a slow transfer.
#include "support/ftptests/FtpHarness.h"
#include "CliProcess.h"
#include "cli/Program.h"
#include "support/ftpservers/LocalFtpServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

using namespace pordane;
using namespace pordane::testsupport;
using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;

namespace {

constexpr const char* Todo = "127.0.18.1";
constexpr const char* NoBorra = "127.0.18.2";
constexpr const char* Lento = "127.0.18.3";
constexpr const char* Nadie = "127.0.18.9"; // nothing listens there
constexpr const char* Clave = "Clave-Secreta-18";

using testsupport::TempDir;

std::vector<std::string> archivos(const fs::path& dir)
{
    return testsupport::filesIn(dir);
}

FtpServerKind kindNoBorra()
{
    return LocalFtpServer::available(FtpServerKind::Vsftpd) ? FtpServerKind::Vsftpd : FtpServerKind::Pyftpdlib;
}

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!LocalFtpServer::available(FtpServerKind::Pyftpdlib))
            return;
        todo = new LocalFtpServer(FtpServerKind::Pyftpdlib, Todo, {{"todo", Clave}});
        noBorra = new LocalFtpServer(kindNoBorra(), NoBorra, {{"noborra", Clave, "elrafmw"}});
    }
    static void TearDownTestSuite()
    {
        delete todo;
        delete noBorra;
        todo = noBorra = nullptr;
    }
    void SetUp() override
    {
        if (!todo)
            GTEST_SKIP() << "pyftpdlib not installed";
        fs::create_directories(tmp());
        fs::create_directories(wine());
    }

    fs::path tmp() const { return trabajo.path() / "tmp"; }
    fs::path wine() const { return trabajo.path() / "wine"; }

    // A private TMPDIR and an empty Wine prefix: no Talvane is found.
    std::map<std::string, std::string> entorno(bool conClave = true) const
    {
        std::map<std::string, std::string> e{{"TMPDIR", tmp().string()},
                                             {"WINEPREFIX", wine().string()},
                                             {"HOME", trabajo.path().string()}};
        if (conClave)
            e["PORDANE_CONTRASENA"] = Clave;
        return e;
    }

    // Runs the executable to its end; its stdout is left in "stdout".
    int ejecutar(const std::vector<std::string>& args, bool conClave = true)
    {
        ProcesoCli p(args, entorno(conClave), trabajo.path());
        const std::optional<int> st = p.esperar(std::chrono::seconds(120));
        salida = p.salida();
        errores = p.errores();
        EXPECT_EQ(salida.find(Clave), std::string::npos);
        EXPECT_EQ(errores.find(Clave), std::string::npos);
        return st.value_or(-1);
    }

    // The summary leer_json.py prints of the report in "stdout".
    std::string resumen() const
    {
        const std::string orden = std::string("/usr/bin/python3 ") + LEER_JSON + " "
                                  + (trabajo.path() / "stdout").string() + " 2>&1";
        std::string texto;
        if (FILE* f = ::popen(orden.c_str(), "r")) {
            char buf[4096];
            size_t n = 0;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                texto.append(buf, n);
            ::pclose(f);
        }
        return texto;
    }

    static LocalFtpServer* todo;
    static LocalFtpServer* noBorra;
    TempDir trabajo;
    std::string salida, errores;
};

LocalFtpServer* Cli::todo = nullptr;
LocalFtpServer* Cli::noBorra = nullptr;

// In process: the two servers come in as the portal import would bring them.
TEST_F(Cli, PermisosSobreDosServidoresUnoQueNoPuedeBorrar)
{
    std::ostringstream out, err;
    cli::Entorno e{out, err};
    e.variable = [](const std::string&) { return std::nullopt; };
    e.leerContrasena = [](const std::string&) { return std::nullopt; };
    int importaciones = 0;
    e.importarEnlaces = [&](ftp::FTPClient&, catalogue::ServerTable& t, const catalogue::PersonalFields& p,
                            views::Dialogs&, views::LinksView&) {
        ++importaciones;
        t.setNumServidores(3);
        t.append({"Todo", Todo, "", "todo", Clave, true, false});
        t.append({"No borra", NoBorra, "", "noborra", Clave, true, false});
        t.SetServidores(p);
        return catalogue::ResultadoImportacion{catalogue::ResultadoImportacion::Estado::Completa, 2, 0, {}};
    };
    e.interrupciones = [] { return 0; };

    const int st = cli::ejecutar({"permisos", "--servidor", "Todo", "--servidor", "No borra"}, e);

    EXPECT_EQ(st, cli::SalidaConFallos);
    EXPECT_EQ(importaciones, 1);
    EXPECT_EQ(out.str(), "Servidor  conectar  subir  descargar  renombrar  listar  borrar  Resultado\n"
                         "Todo      ✓         ✓      ✓          ✓          ✓       ✓       ✓ correcto\n"
                         "No borra  ✓         ✓      ✓          ✓          ✓       ✗       ⚠ con fallos\n");
    EXPECT_EQ(err.str(), ""); // not a terminal: no progress line
    EXPECT_TRUE(archivos(todo->homeOf("todo")).empty());
    // What the account could not delete stays: the renamed text and the two others.
    const auto quedan = archivos(noBorra->homeOf("noborra"));
    ASSERT_EQ(quedan.size(), 3u);
    EXPECT_NE(quedan[0].find("_test.jpg"), std::string::npos);
    EXPECT_NE(quedan[2].find("_test2.mdb"), std::string::npos);
    for (const auto& f : quedan)
        fs::remove(noBorra->homeOf("noborra") + "/" + f);

    // The same table in plain letters, and the servers as listed.
    out.str("");
    EXPECT_EQ(cli::ejecutar({"servidores", "--ascii", "--host", "127.0.18.7", "--usuario", "u", "--remoto", "/w"}, e),
              cli::SalidaCorrecta);
    EXPECT_EQ(importaciones, 2);
    EXPECT_NE(out.str().find("4    Todo           127.0.18.1  -       portal\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("5    No borra       127.0.18.2  -       portal\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("6    127.0.18.7     127.0.18.7  /w      personal\n"), std::string::npos) << out.str();
}

// A second Ctrl-C stops the test where it is, without its clean-up, and the
// report says so.
TEST_F(Cli, SegundaInterrupcionParaEnSeco)
{
    LocalFtpServer lento(FtpServerKind::Pyftpdlib, Lento, {{"lento", Clave}}, {100000, 100000});
    std::ostringstream out, err;
    cli::Entorno e{out, err};
    e.variable = [](const std::string& n) { return n == "PORDANE_CONTRASENA" ? std::optional<std::string>(Clave) : std::nullopt; };
    e.leerContrasena = [](const std::string&) { return std::nullopt; };
    const std::string home = lento.homeOf("lento");
    // Both presses land once the upload has reached the server.
    e.interrupciones = [&home] { return archivos(home).empty() ? 0 : 2; };

    const auto antes = std::chrono::steady_clock::now();
    const int st = cli::ejecutar({"velocidad", "--host", Lento, "--usuario", "lento", "--json"}, e);
    EXPECT_LT(std::chrono::steady_clock::now() - antes, std::chrono::seconds(10)); // the upload takes 30 s
    EXPECT_EQ(st, cli::SalidaInterrumpida);
    EXPECT_NE(out.str().find("\"interrumpido\": true"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Segunda interrupción"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"resultado\": \"interrumpido\""), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("Interrumpido: se cancela"), std::string::npos);
}

// The port test over an open and a refused endpoint, then cut short.
TEST_F(Cli, PuertosAbiertoCerradoEInterrumpido)
{
    std::ostringstream out, err;
    cli::Entorno e{out, err};
    e.puertos.probes = {{"Test A: Puerto 21", Todo, 21, 0}, {"Test B: Puerto 21", Nadie, 21, 1}};
    int interrupciones = 0;
    e.interrupciones = [&interrupciones] { return interrupciones; };
    EXPECT_EQ(cli::ejecutar({"puertos", "--ascii"}, e), cli::SalidaConFallos);
    EXPECT_EQ(out.str(), "    Prueba\nOK  Test A: Puerto 21\nNO  Test B: Puerto 21\n"
                         "OK correcto, NO fallo, AV aviso, - no realizado\n");

    out.str("");
    interrupciones = 1;
    EXPECT_EQ(cli::ejecutar({"puertos", "--json"}, e), cli::SalidaInterrumpida);
    EXPECT_NE(out.str().find("\"interrumpido\": true"), std::string::npos);
    EXPECT_NE(out.str().find("{\"prueba\": \"Test B: Puerto 21\", \"host\": \"127.0.18.9\", \"puerto\": 21, "
                             "\"resultado\": \"no_realizado\"}"),
              std::string::npos)
        << out.str();
}

struct InformeEsperado {
    std::vector<std::string> args;
    const char* resumen;
};

class CliJson : public Cli, public ::testing::WithParamInterface<InformeEsperado> {};

TEST_P(CliJson, UnParserJsonLeeElInforme)
{
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--host", Todo, "--usuario", "todo", "--nombre", "Mi FTP", "--json"});
    EXPECT_EQ(ejecutar(args), 0) << errores;
    EXPECT_EQ(resumen(), GetParam().resumen) << salida;
    EXPECT_TRUE(archivos(todo->homeOf("todo")).empty());
    EXPECT_TRUE(archivos(tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ordenes, CliJson,
    ::testing::Values(
        InformeEsperado{{"permisos"},
                        "permisos\npasivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,subir:ok,descargar:ok,"
                        "renombrar:ok,listar:ok,borrar:ok||Conectando a 127.0.18.1...OK\n"},
        InformeEsperado{{"velocidad", "--tamano", "1"},
                        "velocidad\npasivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,subida:ok,descarga:ok,"
                        "borrar:ok|descarga_kbs,descarga_segundos,subida_kbs,subida_segundos,tamano_bytes|\n"},
        InformeEsperado{{"conectividad", "--activo"},
                        "conectividad\nactivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,ciclos:ok|ciclos,"
                        "ciclos_correctos,ciclos_fallidos,descargas,subidas|Subiendo archivo test.txt...OK\n"}));

struct Salida {
    std::vector<std::string> args;
    bool conClave;
    int estado;
    const char* mensaje; // on stderr; empty: none expected
};

class CliSalida : public Cli, public ::testing::WithParamInterface<Salida> {};

TEST_P(CliSalida, EstadoDeSalida)
{
    EXPECT_EQ(ejecutar(GetParam().args, GetParam().conClave), GetParam().estado) << salida << errores;
    if (*GetParam().mensaje)
        EXPECT_NE(errores.find(GetParam().mensaje), std::string::npos) << errores;
    else
        EXPECT_EQ(errores, "");
    for (const auto* s : {todo, noBorra})
        for (const auto& f : archivos(s->homeOf(s == todo ? "todo" : "noborra")))
            fs::remove(s->homeOf(s == todo ? "todo" : "noborra") + "/" + f);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, CliSalida,
    ::testing::Values(Salida{{"permisos", "--host", Todo, "--usuario", "todo", "--remoto", "/"}, true, 0, ""},
                      Salida{{"permisos", "--host", NoBorra, "--usuario", "noborra"}, true, 1, ""},
                      Salida{{"conectividad", "--host", Nadie, "--usuario", "x"}, true, 1, ""},
                      Salida{{"permisos", "--host", Todo, "--usuario", "todo"}, false, 2, "falta la contraseña"},
                      Salida{{"permisos", "--servidor", "Portal"}, true, 2, "no se ha encontrado la instalación"},
                      Salida{{"velocidad", "--todos", "--tamano", "21"}, true, 2, "de 1 a 20"},
                      Salida{{"permisos"}, true, 2, "indique los servidores"},
                      Salida{{"limpiar"}, true, 2, "orden desconocida"}));

struct Corte {
    std::vector<std::string> args;
    long throttle; // bytes/s
    const char* resumen;
};

class CliCtrlC : public Cli, public ::testing::WithParamInterface<Corte> {};

// Ctrl-C once the first upload is under way: the transfer is cancelled, the
// test cleans up after itself, and the run ends with status 3.
TEST_P(CliCtrlC, CancelaLaTransferenciaYNoDejaArchivos)
{
    LocalFtpServer lento(FtpServerKind::Pyftpdlib, Lento, {{"lento", Clave}},
                         {GetParam().throttle, GetParam().throttle});
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--host", Lento, "--usuario", "lento", "--json"});
    ProcesoCli p(args, entorno(), trabajo.path());
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (archivos(lento.homeOf("lento")).empty() && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(archivos(lento.homeOf("lento")).empty()) << "the upload never started";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto antes = std::chrono::steady_clock::now();
    p.senal(SIGINT);
    const std::optional<int> st = p.esperar(std::chrono::seconds(30));
    const auto tardo = std::chrono::steady_clock::now() - antes;
    ASSERT_TRUE(st.has_value());
    EXPECT_EQ(*st, 3) << p.errores();
    // The whole upload would take over ten seconds more.
    EXPECT_LT(tardo, std::chrono::seconds(5));
    salida = p.salida();
    EXPECT_EQ(resumen(), GetParam().resumen) << salida;
    EXPECT_NE(p.errores().find("Interrumpido"), std::string::npos);
    EXPECT_TRUE(archivos(lento.homeOf("lento")).empty());
    EXPECT_TRUE(archivos(tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pruebas, CliCtrlC,
    ::testing::Values(Corte{{"velocidad", "--tamano", "3"}, 200000,
                            "velocidad\npasivo\n3\ninterrumpido\n127.0.18.3|interrumpido|conectar:ok,"
                            "subida:fallo,descarga:fallo,borrar:no_realizado|tamano_bytes|\n"},
                      Corte{{"permisos"}, 20000,
                            "permisos\npasivo\n3\ninterrumpido\n127.0.18.3|interrumpido|conectar:ok,subir:fallo,"
                            "descargar:fallo,renombrar:ok,listar:fallo,borrar:fallo||Conectando a 127.0.18.3...OK\n"}));

} // namespace
