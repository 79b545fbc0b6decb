// pordane-cli against real FTP servers: the permissions table over two
// servers, the JSON report read back by a JSON parser, the exit statuses and
// Ctrl-C in the middle of a slow transfer.
#include "CliProcess.h"
#include "cli/Program.h"
#include "support/ftpservers/LocalFtpServer.h"
#include "support/ftptests/FtpHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

using namespace pordane;
using namespace pordane::testsupport;
using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;

namespace {

constexpr const char* AllowAllAccount = "127.0.18.1";
constexpr const char* CannotDelete = "127.0.18.2";
constexpr const char* SlowAccount = "127.0.18.3";
constexpr const char* NobodyAccount = "127.0.18.9"; // nothing listens there
constexpr const char* Password = "Clave-Secreta-18";

using testsupport::TempDir;

std::vector<std::string> files(const fs::path& dir)
{
    return testsupport::filesIn(dir);
}

FtpServerKind kindCannotDelete()
{
    return LocalFtpServer::available(FtpServerKind::Vsftpd) ? FtpServerKind::Vsftpd : FtpServerKind::Pyftpdlib;
}

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!LocalFtpServer::available(FtpServerKind::Pyftpdlib))
            return;
        allowAll = new LocalFtpServer(FtpServerKind::Pyftpdlib, AllowAllAccount, {{"todo", Password}});
        cannotDelete = new LocalFtpServer(kindCannotDelete(), CannotDelete, {{"noborra", Password, "elrafmw"}});
    }
    static void TearDownTestSuite()
    {
        delete allowAll;
        delete cannotDelete;
        allowAll = cannotDelete = nullptr;
    }
    void SetUp() override
    {
        if (!allowAll)
            GTEST_SKIP() << "pyftpdlib not installed";
        fs::create_directories(tmp());
        fs::create_directories(wine());
    }

    fs::path tmp() const { return trabajo.path() / "tmp"; }
    fs::path wine() const { return trabajo.path() / "wine"; }

    // A private TMPDIR and an empty Wine prefix: no Talvane is found.
    std::map<std::string, std::string> environment(bool withPassword = true) const
    {
        std::map<std::string, std::string> e{{"TMPDIR", tmp().string()},
                                             {"WINEPREFIX", wine().string()},
                                             {"HOME", trabajo.path().string()}};
        if (withPassword)
            e["PORDANE_CONTRASENA"] = Password;
        return e;
    }

    // Runs the executable to its end; its stdout is left in "stdout".
    int run(const std::vector<std::string>& args, bool withPassword = true)
    {
        CliProcess p(args, environment(withPassword), trabajo.path());
        const std::optional<int> st = p.wait(std::chrono::seconds(120));
        output = p.output();
        errors = p.errors();
        EXPECT_EQ(output.find(Password), std::string::npos);
        EXPECT_EQ(errors.find(Password), std::string::npos);
        return st.value_or(-1);
    }

    // The summary leer_json.py prints of the report in "stdout".
    std::string summary() const
    {
        const std::string command = std::string("/usr/bin/python3 ") + READ_JSON + " "
                                  + (trabajo.path() / "stdout").string() + " 2>&1";
        std::string text;
        if (FILE* f = ::popen(command.c_str(), "r")) {
            char buf[4096];
            size_t n = 0;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                text.append(buf, n);
            ::pclose(f);
        }
        return text;
    }

    static LocalFtpServer* allowAll;
    static LocalFtpServer* cannotDelete;
    TempDir trabajo;
    std::string output, errors;
};

LocalFtpServer* Cli::allowAll = nullptr;
LocalFtpServer* Cli::cannotDelete = nullptr;

// In process: the two servers come in as the portal import would bring them.
TEST_F(Cli, PermissionsOnTwoServersOneCannotDelete)
{
    std::ostringstream out, err;
    cli::Environment e{out, err};
    e.variable = [](const std::string&) { return std::nullopt; };
    e.readPassword = [](const std::string&) { return std::nullopt; };
    int imports = 0;
    e.importLinks = [&](ftp::FTPClient&, catalogue::ServerTable& t, const catalogue::PersonalFields& p,
                            views::Dialogs&, views::LinksView&) {
        ++imports;
        t.setNumServidores(3);
        t.append({"Todo", AllowAllAccount, "", "todo", Password, true, false});
        t.append({"No borra", CannotDelete, "", "noborra", Password, true, false});
        t.SetServidores(p);
        return catalogue::ImportResult{catalogue::ImportResult::Status::Complete, 2, 0, {}};
    };
    e.interrupts = [] { return 0; };

    const int st = cli::run({"permisos", "--servidor", "Todo", "--servidor", "No borra"}, e);

    EXPECT_EQ(st, cli::ExitWithFailures);
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(out.str(), "Servidor  conectar  subir  descargar  renombrar  listar  borrar  Resultado\n"
                         "Todo      ✓         ✓      ✓          ✓          ✓       ✓       ✓ correcto\n"
                         "No borra  ✓         ✓      ✓          ✓          ✓       ✗       ⚠ con fallos\n");
    EXPECT_EQ(err.str(), ""); // not a terminal: no progress line
    EXPECT_TRUE(files(allowAll->homeOf("todo")).empty());
    // What the account could not delete stays: the renamed text and the two others.
    const auto left = files(cannotDelete->homeOf("noborra"));
    ASSERT_EQ(left.size(), 3u);
    EXPECT_NE(left[0].find("_test.jpg"), std::string::npos);
    EXPECT_NE(left[2].find("_test2.mdb"), std::string::npos);
    for (const auto& f : left)
        fs::remove(cannotDelete->homeOf("noborra") + "/" + f);

    // The same table in plain letters, and the servers as listed.
    out.str("");
    EXPECT_EQ(cli::run({"servidores", "--ascii", "--host", "127.0.18.7", "--usuario", "u", "--remoto", "/w"}, e),
              cli::ExitSuccess);
    EXPECT_EQ(imports, 2);
    EXPECT_NE(out.str().find("4    Todo           127.0.18.1  -       portal\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("5    No borra       127.0.18.2  -       portal\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("6    127.0.18.7     127.0.18.7  /w      personal\n"), std::string::npos) << out.str();
}

// A second Ctrl-C stops the test where it is, without its clean-up, and the
// report says so.
TEST_F(Cli, SecondInterruptStopsDead)
{
    LocalFtpServer slow(FtpServerKind::Pyftpdlib, SlowAccount, {{"lento", Password}}, {100000, 100000});
    std::ostringstream out, err;
    cli::Environment e{out, err};
    e.variable = [](const std::string& n) { return n == "PORDANE_CONTRASENA" ? std::optional<std::string>(Password) : std::nullopt; };
    e.readPassword = [](const std::string&) { return std::nullopt; };
    const std::string home = slow.homeOf("lento");
    // Both presses land once the upload has reached the server.
    e.interrupts = [&home] { return files(home).empty() ? 0 : 2; };

    const auto before = std::chrono::steady_clock::now();
    const int st = cli::run({"velocidad", "--host", SlowAccount, "--usuario", "lento", "--json"}, e);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10)); // the upload takes 30 s
    EXPECT_EQ(st, cli::ExitInterrupted);
    EXPECT_NE(out.str().find("\"interrumpido\": true"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Segunda interrupción"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"resultado\": \"interrumpido\""), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("Interrumpido: se cancela"), std::string::npos);
}

// The port test over an open and a refused endpoint, then cut short.
TEST_F(Cli, PortsOpenClosedAndInterrupted)
{
    std::ostringstream out, err;
    cli::Environment e{out, err};
    e.ports.probes = {{"Test A: Puerto 21", AllowAllAccount, 21, 0}, {"Test B: Puerto 21", NobodyAccount, 21, 1}};
    int interrupts = 0;
    e.interrupts = [&interrupts] { return interrupts; };
    EXPECT_EQ(cli::run({"puertos", "--ascii"}, e), cli::ExitWithFailures);
    EXPECT_EQ(out.str(), "    Prueba\nOK  Test A: Puerto 21\nNO  Test B: Puerto 21\n"
                         "OK correcto, NO fallo, AV aviso, - no realizado\n");

    out.str("");
    interrupts = 1;
    EXPECT_EQ(cli::run({"puertos", "--json"}, e), cli::ExitInterrupted);
    EXPECT_NE(out.str().find("\"interrumpido\": true"), std::string::npos);
    EXPECT_NE(out.str().find("{\"prueba\": \"Test B: Puerto 21\", \"host\": \"127.0.18.9\", \"puerto\": 21, "
                             "\"resultado\": \"no_realizado\"}"),
              std::string::npos)
        << out.str();
}

struct ExpectedReport {
    std::vector<std::string> args;
    const char* summary;
};

class CliJson : public Cli, public ::testing::WithParamInterface<ExpectedReport> {};

TEST_P(CliJson, AJsonParserReadsTheReport)
{
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--host", AllowAllAccount, "--usuario", "todo", "--nombre", "Mi FTP", "--json"});
    EXPECT_EQ(run(args), 0) << errors;
    EXPECT_EQ(summary(), GetParam().summary) << output;
    EXPECT_TRUE(files(allowAll->homeOf("todo")).empty());
    EXPECT_TRUE(files(tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliJson,
    ::testing::Values(
        ExpectedReport{{"permisos"},
                        "permisos\npasivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,subir:ok,descargar:ok,"
                        "renombrar:ok,listar:ok,borrar:ok||Conectando a 127.0.18.1...OK\n"},
        ExpectedReport{{"velocidad", "--tamano", "1"},
                        "velocidad\npasivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,subida:ok,descarga:ok,"
                        "borrar:ok|descarga_kbs,descarga_segundos,subida_kbs,subida_segundos,tamano_bytes|\n"},
        ExpectedReport{{"conectividad", "--activo"},
                        "conectividad\nactivo\n0\ncompleto\nMi FTP|correcto|conectar:ok,ciclos:ok|ciclos,"
                        "ciclos_correctos,ciclos_fallidos,descargas,subidas|Subiendo archivo test.txt...OK\n"}));

struct ExitCase {
    std::vector<std::string> args;
    bool withPassword;
    int status;
    const char* message; // on stderr; empty: none expected
};

class CliExit : public Cli, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(CliExit, ExitStatus)
{
    EXPECT_EQ(run(GetParam().args, GetParam().withPassword), GetParam().status) << output << errors;
    if (*GetParam().message)
        EXPECT_NE(errors.find(GetParam().message), std::string::npos) << errors;
    else
        EXPECT_EQ(errors, "");
    for (const auto* s : {allowAll, cannotDelete})
        for (const auto& f : files(s->homeOf(s == allowAll ? "todo" : "noborra")))
            fs::remove(s->homeOf(s == allowAll ? "todo" : "noborra") + "/" + f);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliExit,
    ::testing::Values(ExitCase{{"permisos", "--host", AllowAllAccount, "--usuario", "todo", "--remoto", "/"}, true, 0, ""},
                      ExitCase{{"permisos", "--host", CannotDelete, "--usuario", "noborra"}, true, 1, ""},
                      ExitCase{{"conectividad", "--host", NobodyAccount, "--usuario", "x"}, true, 1, ""},
                      ExitCase{{"permisos", "--host", AllowAllAccount, "--usuario", "todo"}, false, 2, "falta la contraseña"},
                      ExitCase{{"permisos", "--servidor", "Portal"}, true, 2, "no se ha encontrado la instalación"},
                      ExitCase{{"velocidad", "--todos", "--tamano", "21"}, true, 2, "de 1 a 20"},
                      ExitCase{{"permisos"}, true, 2, "indique los servidores"},
                      ExitCase{{"limpiar"}, true, 2, "orden desconocida"}));

struct CutCase {
    std::vector<std::string> args;
    long throttle; // bytes/s
    const char* summary;
};

class CliCtrlC : public Cli, public ::testing::WithParamInterface<CutCase> {};

// Ctrl-C once the first upload is under way: the transfer is cancelled, the
// test cleans up after itself, and the run ends with status 3.
TEST_P(CliCtrlC, CancelsTheTransferAndLeavesNoFiles)
{
    LocalFtpServer slow(FtpServerKind::Pyftpdlib, SlowAccount, {{"lento", Password}},
                         {GetParam().throttle, GetParam().throttle});
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--host", SlowAccount, "--usuario", "lento", "--json"});
    CliProcess p(args, environment(), trabajo.path());
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (files(slow.homeOf("lento")).empty() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(files(slow.homeOf("lento")).empty()) << "the upload never started";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto before = std::chrono::steady_clock::now();
    p.sendSignal(SIGINT);
    const std::optional<int> st = p.wait(std::chrono::seconds(30));
    const auto took = std::chrono::steady_clock::now() - before;
    ASSERT_TRUE(st.has_value());
    EXPECT_EQ(*st, 3) << p.errors();
    // The whole upload would take over ten seconds more.
    EXPECT_LT(took, std::chrono::seconds(5));
    output = p.output();
    EXPECT_EQ(summary(), GetParam().summary) << output;
    EXPECT_NE(p.errors().find("Interrumpido"), std::string::npos);
    EXPECT_TRUE(files(slow.homeOf("lento")).empty());
    EXPECT_TRUE(files(tmp()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CliCtrlC,
    ::testing::Values(CutCase{{"velocidad", "--tamano", "3"}, 200000,
                            "velocidad\npasivo\n3\ninterrumpido\n127.0.18.3|interrumpido|conectar:ok,"
                            "subida:fallo,descarga:fallo,borrar:no_realizado|tamano_bytes|\n"},
                      CutCase{{"permisos"}, 20000,
                            "permisos\npasivo\n3\ninterrumpido\n127.0.18.3|interrumpido|conectar:ok,subir:fallo,"
                            "descargar:fallo,renombrar:ok,listar:fallo,borrar:fallo||Conectando a 127.0.18.3...OK\n"}));

} // namespace
