// The portal import end to end: a Talvane installation in a Wine prefix, its
// database written by the Jet writer, the maker's server stood in by pyftpdlib
// on 127.0.4.1:21, the window's FTP client, and recording window stand-ins.
#include "support/import/ImportWorld.h"
#include "support/proc/ProcessProbe.h"

#include "catalogue/PortalImport.h"
#include "ftp/FTPClient.h"
#include "platform/WinePrefix.h"
#include "platform/base/Pump.h"
#include "pordane/BuildConfig.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>

using namespace pordane::testsupport;
using namespace pordane::catalogue;
using pordane::ftp::FTPClient;
namespace fs = std::filesystem;

namespace {

const PortalConnection Estruc15{"127.0.4.15", "fotocasa_agencia", "clave 15", "/subidas/fotos"};
const PortalConnection Estruc123{"ftp.portal123.test", "usuario123", "contraseña", "/entrada"};

MakerServer* g_maker = nullptr;

std::vector<std::string> builtinNames()
{
    return {ServerTable::builtin(1).Name, ServerTable::builtin(2).Name, ServerTable::builtin(3).Name};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> startingWith(const std::vector<std::string>& commands, const std::string& prefix)
{
    std::vector<std::string> out;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(out),
                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    return out;
}

class PortalImportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!pordane::testsupport::LocalFtpServer::available(pordane::testsupport::FtpServerKind::Pyftpdlib))
            return;
        g_maker = new MakerServer();
        g_maker->putConnectionFile("15", MakerServer::connectionFile(Estruc15));
        g_maker->putConnectionFile("123", MakerServer::connectionFile(Estruc123, false, {"999999", "basura"}));
        // Broken files: an empty second line, a third line that is not digits,
        // only three lines; Estruc19 exists without a file.
        const std::string good = MakerServer::connectionFile(Estruc15);
        const auto lines = [&](int n) {
            std::size_t end = 0;
            for (int i = 0; i < n; ++i)
                end = good.find("\r\n", end) + 2;
            return good.substr(0, end);
        };
        g_maker->putConnectionFile("16", lines(1) + "\r\n" + good.substr(lines(1).size()));
        g_maker->putConnectionFile("17", lines(2) + "072abc\r\n" + good.substr(lines(3).size()));
        g_maker->putConnectionFile("18", lines(3));
        // A huge file: one endless line, or the four good lines and then junk.
        g_maker->putConnectionFile("20", lines(1) + std::string(4 * 1024 * 1024, '7') + "\r\n" + good);
        g_maker->putConnectionFile("21", good + std::string(4 * 1024 * 1024, 'x'));
        fs::create_directories(fs::path(g_maker->server().homeOf(pordane::config::PortalUser)) / "Estruc19");
    }

    static void TearDownTestSuite()
    {
        delete g_maker;
        g_maker = nullptr;
    }

    void SetUp() override
    {
        if (!g_maker)
            GTEST_SKIP() << "pyftpdlib is not installed";
        // Every host the tests name is a literal address; a name would fail here.
        client.HostResolver = [this](const std::string& host) -> std::optional<pordane::platform::IPv4> {
            resolved.push_back(host);
            return std::nullopt;
        };
        // The window at creation: the built-in servers listed.
        server.setNumServidores(3);
        server.SetServidores({});
        commandsBefore = g_maker->commandCount();
    }

    PortalImport::Options options()
    {
        PortalImport::Options o;
        o.ConnectionsHost = MakerAddress;
        o.WorkFolder = work.path();
        o.openHost = [this] { return std::make_unique<pordane::platform::WinePrefix>(talvane.prefix().path()); };
        return o;
    }

    ImportResult runImport() { return runImport(options()); }
    ImportResult runImport(PortalImport::Options o)
    {
        PortalImport portalImport(
            client, server, [this] { return personal; }, dialogs, view, std::move(o));
        return portalImport.ObtenerEnlacesWeb();
    }

    std::vector<std::string> ftpCommands() const { return g_maker->commandsSince(commandsBefore); }
    bool localFileLeft() const { return fs::exists(work.path() / "1000.ini"); }

    void expectEntry(int n, const std::string& name, const PortalConnection& c)
    {
        const TSERVIDOR& e = server.entry(n);
        EXPECT_EQ(e.Name, name) << "entry " << n;
        EXPECT_EQ(e.Host, c.host) << "entry " << n;
        EXPECT_EQ(e.User, c.user) << "entry " << n;
        EXPECT_EQ(e.Pass, c.pass) << "entry " << n;
        EXPECT_EQ(e.Remoto, c.remoto) << "entry " << n;
        EXPECT_TRUE(e.IsEnlace) << "entry " << n;
        EXPECT_FALSE(e.Select) << "entry " << n;
    }

    Talvane talvane;
    TempDir work;
    FTPClient client;
    ServerTable server;
    PersonalFields personal{"Personal", "", "", "", ""};
    RecordingDialogs dialogs;
    RecordingLinks view;
    std::vector<std::string> resolved;
    std::size_t commandsBefore = 0;
};

const std::vector<Row> MixedRows = {
    {"Sin usuario", "h0", "", "p0", "r0", 0},
    {"Idealista Ñandú", "ftp.idealista.test", "ideal", "pw ideal", "/in", 0},
    {"Fotocasa", "db.host", "dbuser", "dbpass", "dbremoto", 15},
    {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"Operador negativo", std::nullopt, std::nullopt, std::nullopt, std::nullopt, -2},
    {"Código 123 · Vivienda", "", "", "", "", 123},
};

const std::vector<std::string> MixedNames = {"Idealista Ñandú", "Fotocasa", "Operador negativo",
                                             "Código 123 · Vivienda"};

} // namespace

// ---- rows ---------------------------------------------------------------

TEST_F(PortalImportTest, RowsAreTakenSkippedOrFetchedByUserAndOperatorCode)
{
    talvane.install(MixedRows);

    const ImportResult r = runImport();

    EXPECT_EQ(r.status, ImportResult::Status::Complete);
    EXPECT_EQ(r.links, 4);
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "4"}));
    ASSERT_EQ(view.lists.size(), 1u);
    EXPECT_EQ(view.lists[0], concat(builtinNames(), MixedNames));
    EXPECT_EQ(server.NumServidores(), 7);
    EXPECT_TRUE(dialogs.messages.empty());

    expectEntry(4, "Idealista Ñandú", {"ftp.idealista.test", "ideal", "pw ideal", "/in"});
    expectEntry(5, "Fotocasa", Estruc15);
    expectEntry(6, "Operador negativo", {"", "", "", ""});
    expectEntry(7, "Código 123 · Vivienda", Estruc123);

    // Only the two positive codes went to the maker, as the portal account,
    // in the client's initial active mode.
    const auto commands = ftpCommands();
    EXPECT_EQ(startingWith(commands, "CWD"), (std::vector<std::string>{"CWD Estruc15", "CWD Estruc123"}));
    EXPECT_EQ(startingWith(commands, "USER"),
              std::vector<std::string>(2, std::string("USER ") + pordane::config::PortalUser));
    EXPECT_EQ(startingWith(commands, "RETR").size(), 2u);
    EXPECT_EQ(startingWith(commands, "PORT").size(), 2u);
    EXPECT_TRUE(startingWith(commands, "PASV").empty());
    EXPECT_EQ(startingWith(commands, "QUIT").size(), 2u);

    EXPECT_FALSE(localFileLeft());
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(resolved.empty());
}

TEST_F(PortalImportTest, RowsWithoutUserAndCodeOnlyLeaveTheBuiltinAndPersonalServers)
{
    talvane.install({{"A", "h", "", "p", "r", 0}, {"B", std::nullopt, std::nullopt, "x", "y", std::nullopt}});
    personal = {"Mi servidor", "127.0.4.200", "/", "yo", " "};

    const ImportResult r = runImport();

    EXPECT_EQ(r.links, 0);
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "0"}));
    EXPECT_EQ(server.NumServidores(), 4);
    ASSERT_EQ(view.lists.size(), 1u);
    EXPECT_EQ(view.lists[0], concat(builtinNames(), {"Mi servidor"}));
    EXPECT_TRUE(ftpCommands().empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PortalImportTest, TwoImportsInARowGiveTheSameListInEitherTransferMode)
{
    talvane.install(MixedRows);
    personal = {"Personal", "127.0.4.200", "", "yo", "pw"};
    const auto expected = concat(builtinNames(), concat(MixedNames, {"Personal"}));

    client.Passive = false;
    runImport();
    const auto activeCommands = ftpCommands();

    commandsBefore = g_maker->commandCount();
    client.Passive = true;
    runImport();
    const auto passiveCommands = ftpCommands();

    ASSERT_EQ(view.lists.size(), 2u);
    EXPECT_EQ(view.lists[0], expected);
    EXPECT_EQ(view.lists[1], expected);
    EXPECT_EQ(server.NumServidores(), 8);
    expectEntry(7, "Código 123 · Vivienda", Estruc123);
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "4", "Obteniendo...", "4"}));

    // The import keeps whatever mode the client was left in.
    EXPECT_TRUE(client.Passive);
    EXPECT_EQ(startingWith(activeCommands, "PORT").size(), 2u);
    EXPECT_TRUE(startingWith(activeCommands, "PASV").empty());
    EXPECT_EQ(startingWith(passiveCommands, "PASV").size(), 2u);
    EXPECT_TRUE(startingWith(passiveCommands, "PORT").empty());
}

TEST_F(PortalImportTest, ApplyThenImportListsBuiltinPortalAndPersonalOnce)
{
    talvane.install(MixedRows);
    personal = {"Personal", "127.0.4.200", "", "yo", "pw"};
    // "Aplicar" twice: the personal server is listed twice before the import.
    ASSERT_TRUE(server.SetServidores(personal));
    ASSERT_TRUE(server.SetServidores(personal));
    ASSERT_EQ(server.names(), concat(builtinNames(), {"Personal", "Personal"}));

    runImport();

    ASSERT_EQ(view.lists.size(), 1u);
    EXPECT_EQ(view.lists[0], concat(builtinNames(), concat(MixedNames, {"Personal"})));
    EXPECT_EQ(server.entry(8).Host, "127.0.4.200");
}

TEST_F(PortalImportTest, AnImportAskedForWhileOneRunsDoesNothing)
{
    talvane.install(MixedRows);
    PortalImport portalImport(
        client, server, [this] { return personal; }, dialogs, view, options());
    // The button pressed again while the first import waits on the maker.
    std::optional<ImportResult> nested;
    pordane::platform::ScopedPumpHook hook([&] {
        if (!nested && client.Connected())
            nested = portalImport.ObtenerEnlacesWeb();
    });
    const ImportResult r = portalImport.ObtenerEnlacesWeb();

    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(nested->status, ImportResult::Status::Running);
    EXPECT_EQ(r.status, ImportResult::Status::Complete) << r.error;
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "4"}));
    EXPECT_EQ(view.lists.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    expectEntry(7, "Código 123 · Vivienda", Estruc123);
    EXPECT_FALSE(portalImport.running());
}

// ---- the 20-entry table -------------------------------------------------

TEST_F(PortalImportTest, TwentyFiveUsableRowsListSeventeenAndTellTheUserAboutTheRest)
{
    std::vector<Row> rows;
    for (int i = 1; i <= 25; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        // Row 2 is fetched; row 22 names a folder the maker lacks, and is
        // never fetched because it does not fit.
        const int code = i == 2 ? 15 : i == 22 ? 99 : 0;
        rows.push_back({"Portal " + n, "host" + n, "user" + n, "pass" + n, "/dir" + n, code});
    }
    talvane.install(rows);
    personal = {"Personal", "127.0.4.200", "", "yo", "pw"};

    const ImportResult r = runImport();

    EXPECT_EQ(r.status, ImportResult::Status::Complete);
    EXPECT_EQ(r.links, 17);
    EXPECT_EQ(r.unlisted, 8);
    EXPECT_EQ(server.NumServidores(), ServerTable::Capacity);
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "17"}));
    ASSERT_EQ(view.lists.size(), 1u);
    ASSERT_EQ(view.lists[0].size(), 20u);
    for (int n = 4; n <= 20; ++n) {
        const std::string i = (n - 3 < 10 ? "0" : "") + std::to_string(n - 3);
        EXPECT_EQ(view.lists[0][static_cast<std::size_t>(n - 1)], "Portal " + i);
    }
    expectEntry(5, "Portal 02", Estruc15);
    expectEntry(20, "Portal 17", {"host17", "user17", "pass17", "/dir17"});
    EXPECT_EQ(startingWith(ftpCommands(), "CWD"), std::vector<std::string>{"CWD Estruc15"});

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "No se han podido listar 8 conexiones de Talvane: la lista admite un máximo de 20 servidores.\r"
              "No se ha podido añadir el servidor personal: la lista admite un máximo de 20 servidores.");
}

TEST_F(PortalImportTest, SeventeenUsableRowsFillTheTableAndLeaveNoRoomForThePersonalServer)
{
    std::vector<Row> rows;
    for (int i = 1; i <= 17; ++i)
        rows.push_back({"P" + std::to_string(i), "h", "u", "p", "r", 0});
    rows.push_back({"Sin usuario", "h", "", "p", "r", 0});
    talvane.install(rows);
    personal = {"Personal", "127.0.4.200", "", "yo", "pw"};

    const ImportResult r = runImport();

    EXPECT_EQ(r.links, 17);
    EXPECT_EQ(r.unlisted, 0);
    EXPECT_EQ(server.NumServidores(), 20);
    EXPECT_EQ(server.entry(20).Name, "P17");
    EXPECT_EQ(view.labels.back(), "17");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{noRoomForPersonalMessage()});
}

// ---- failures -----------------------------------------------------------

TEST_F(PortalImportTest, WithoutAnInstallationTheTableAndListStayAsTheyWere)
{
    talvane.install(MixedRows);
    runImport();
    const auto before = server.names();
    const int numBefore = server.NumServidores();
    view = {};

    // A prefix with neither registry keys nor a Corvalix folder on any drive.
    pordane::testsupport::WinePrefixFixture isEmpty;
    PortalImport::Options o = options();
    o.openHost = [&] { return std::make_unique<pordane::platform::WinePrefix>(isEmpty.path()); };
    const ImportResult r = runImport(o);

    EXPECT_EQ(r.status, ImportResult::Status::NoInstallation);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No se ha encontrado la instalación de Talvane"});
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "0"}));
    EXPECT_TRUE(view.lists.empty());
    EXPECT_EQ(server.NumServidores(), numBefore);
    EXPECT_EQ(server.names(), before);
}

namespace {

struct FailureCase {
    const char* name;
    std::function<void(Talvane&, PortalImport::Options&)> prepare;
    std::string expectedText;    // part of the error's own text
    bool localFileStays = false; // a downloaded 1000.ini is left behind
    int numServidores = 3;       // the entries this import filled stay counted
    const char* pass = "dbpass"; // of the last entry, as far as it was read
};

void PrintTo(const FailureCase& f, std::ostream* os)
{
    *os << f.name;
}

const Row GoodRow{"Buena", "h", "u", "p", "r", 0};
Row withCode(int code)
{
    return {"Con código", "dbhost", "dbuser", "dbpass", "dbremoto", code};
}

const std::vector<FailureCase> Failures = {
    {"ConfigWithoutRuta",
     [](Talvane& t, PortalImport::Options&) {
         t.installWithoutDatabase({{"EMPRESA", "01"}});
     },
     "Error\\Empresas\\Empre01\\VTES_DAT.MDB"},
    {"DatabaseMissing",
     [](Talvane& t, PortalImport::Options&) {
         t.installWithoutDatabase({{"RUTA", DataPath}});
     },
     "No se encuentra la base de datos"},
    {"FieldMissing",
     [](Talvane& t, PortalImport::Options&) {
         t.installWithoutDatabase({{"RUTA", DataPath}});
         auto cols = connectionColumns();
         cols.erase(cols.begin() + 3); // ftpPassword
         t.writeDatabase(cols, {{"Con código", "dbhost", "dbuser", "dbremoto", JetCell(std::int32_t{0})}});
     },
     // Read field by field: the row is counted and filled up to the password.
     "No se encuentra el campo \"ftpPassword\"", false, 4, ""},
    {"DatabaseDamaged",
     [](Talvane& t, PortalImport::Options&) {
         t.install({GoodRow});
         std::filesystem::resize_file(t.prefix().makeDirectory(CarpetaDatos) / "VTES_DAT.MDB", 4096);
     },
     "no es una base de datos de Access válida"},
    {"LoginRefused",
     [](Talvane& t, PortalImport::Options& o) {
         t.install({GoodRow, withCode(15), GoodRow});
         o.Password = "no es la clave";
     },
     "530", false, 5},
    {"EstrucFolderMissing",
     [](Talvane& t, PortalImport::Options&) {
         t.install({GoodRow, withCode(99)});
     },
     "550", false, 5},
    {"ConnectionFileMissing", [](Talvane& t, PortalImport::Options&) { t.install({withCode(19)}); }, "550", true, 4},
    {"EmptyLine", [](Talvane& t, PortalImport::Options&) { t.install({withCode(16)}); },
     "La línea 2 del archivo 1000.ini de Estruc16 no es válida: ", true, 4},
    {"NonNumericLine", [](Talvane& t, PortalImport::Options&) { t.install({withCode(17)}); },
     "La línea 3 del archivo 1000.ini de Estruc17 no es válida: El grupo \"abc\"", true, 4},
    {"MissingLine", [](Talvane& t, PortalImport::Options&) { t.install({withCode(18)}); },
     "La línea 4 del archivo 1000.ini de Estruc18 no existe", true, 4},
    {"EndlessLine", [](Talvane& t, PortalImport::Options&) { t.install({withCode(20)}); },
     "La línea 2 del archivo 1000.ini de Estruc20 es demasiado larga", true, 4},
};

class PortalImportFailureTest : public PortalImportTest, public ::testing::WithParamInterface<FailureCase> {};

} // namespace

TEST_P(PortalImportFailureTest, ShowsTheMessageWithTheErrorTextAndLeavesTheListUnbuilt)
{
    const FailureCase& f = GetParam();
    PortalImport::Options o = options();
    f.prepare(talvane, o);
    const auto before = server.names();

    ImportResult r;
    // The user gets our message only: nothing of the libraries on the terminal.
    EXPECT_EQ(pordane::testsupport::capturedStderr([&] { r = runImport(o); }), "");

    EXPECT_EQ(r.status, ImportResult::Status::Error);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const std::string head = "No se han podido obtener las conexiones disponibles de Talvane\r";
    ASSERT_EQ(dialogs.messages[0].substr(0, head.size()), head);
    EXPECT_EQ(dialogs.messages[0].substr(head.size()), r.error);
    EXPECT_NE(r.error.find(f.expectedText), std::string::npos) << r.error;
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "0"}));
    EXPECT_TRUE(view.lists.empty());
    EXPECT_EQ(server.names().size(), before.size() + static_cast<std::size_t>(f.numServidores - 3));
    EXPECT_EQ(server.NumServidores(), f.numServidores);
    if (f.numServidores > 3) {
        // The row being fetched keeps its database values.
        const TSERVIDOR& last = server.entry(f.numServidores);
        EXPECT_EQ(last.Name, "Con código");
        EXPECT_EQ(last.Host, "dbhost");
        EXPECT_EQ(last.Pass, f.pass);
    }
    EXPECT_EQ(localFileLeft(), f.localFileStays);
    EXPECT_FALSE(client.Connected());
}

INSTANTIATE_TEST_SUITE_P(Failures, PortalImportFailureTest, ::testing::ValuesIn(Failures),
                         [](const ::testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });

TEST_F(PortalImportTest, AnEmptyTableWithAMissingFieldCompletesWithNoConnections)
{
    talvane.installWithoutDatabase({{"RUTA", DataPath}});
    auto cols = connectionColumns();
    cols.erase(cols.begin() + 3); // ftpPassword
    talvane.writeDatabase(cols, {});
    const ImportResult r = runImport();
    EXPECT_EQ(r.status, ImportResult::Status::Complete) << r.error;
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "0"}));
    EXPECT_EQ(server.NumServidores(), 3);
}

TEST_F(PortalImportTest, AMissingFieldDropsThePortalsOfAnEarlierImport)
{
    talvane.install({GoodRow, Row{"Otra", "h2", "u2", "p2", "r2", 0}});
    ASSERT_EQ(runImport().links, 2);
    ASSERT_EQ(server.NumServidores(), 5);

    // The count goes back to 3 before the first row fails on its user name.
    auto cols = connectionColumns();
    cols.erase(cols.begin() + 2); // ftpUserName
    talvane.writeDatabase(cols, {{"N", "h", "p", "r", JetCell(std::int32_t{0})}});
    const ImportResult r = runImport();
    ASSERT_EQ(r.status, ImportResult::Status::Error);
    EXPECT_NE(r.error.find("\"ftpUserName\""), std::string::npos) << r.error;
    EXPECT_EQ(server.NumServidores(), 3);
    // "Aplicar" then lists the built-in servers only.
    server.SetServidores({});
    EXPECT_EQ(server.names(), builtinNames());
}

TEST_F(PortalImportTest, AFailedFetchLeavesTheClientReadyForTheNextImport)
{
    // The folder change fails while the client is logged in to the maker.
    talvane.install({GoodRow, withCode(99), GoodRow});
    runImport();
    ASSERT_EQ(view.labels.back(), "0");
    EXPECT_FALSE(client.Connected());

    // A stale file from an earlier failure is replaced, then removed.
    std::ofstream(work.path() / "1000.ini") << "viejo\r\n";
    talvane.install({GoodRow, withCode(15), GoodRow});
    const ImportResult r = runImport();

    EXPECT_EQ(r.status, ImportResult::Status::Complete) << r.error;
    EXPECT_EQ(view.labels.back(), "3");
    expectEntry(5, "Con código", Estruc15);
    EXPECT_FALSE(localFileLeft());
}

TEST_F(PortalImportTest, JunkAfterTheFourLinesOfAHugeFileIsNeverRead)
{
    talvane.install({GoodRow, withCode(21)});
    const ImportResult r = runImport();
    EXPECT_EQ(r.status, ImportResult::Status::Complete) << r.error;
    expectEntry(5, "Con código", Estruc15);
    EXPECT_FALSE(localFileLeft());
}

TEST_F(PortalImportTest, ASessionLeftOpenByAConnectivityTestDoesNotStopTheFetch)
{
    // The connectivity test leaves its last session open; here it is one on
    // the maker's server itself, in the client's current mode.
    client.Host = MakerAddress;
    client.Username = pordane::config::PortalUser;
    client.Password = pordane::config::PortalPassword;
    client.Connect();
    ASSERT_TRUE(client.Connected());
    talvane.install({GoodRow, withCode(15)});

    const ImportResult r = runImport();

    EXPECT_EQ(r.status, ImportResult::Status::Complete) << r.error;
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(view.labels.back(), "2");
    expectEntry(5, "Con código", Estruc15);
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(localFileLeft());
}

// ---- where the import looks ---------------------------------------------

TEST_F(PortalImportTest, EachImportReadsThePrefixNamedByWineprefixAtThatMoment)
{
    talvane.install(MixedRows);
    pordane::testsupport::WinePrefixFixture isEmpty;
    const char* old = getenv("WINEPREFIX");
    const std::string saved = old ? old : "";
    PortalImport::Options o = options();
    o.openHost = nullptr; // the program's own: openHostEnvironment()
    PortalImport portalImport(
        client, server, [this] { return personal; }, dialogs, view, o);

    setenv("WINEPREFIX", isEmpty.path().c_str(), 1);
    const auto noInstallation = portalImport.ObtenerEnlacesWeb();
    setenv("WINEPREFIX", talvane.prefix().path().c_str(), 1);
    const auto complete = portalImport.ObtenerEnlacesWeb();
    if (old)
        setenv("WINEPREFIX", saved.c_str(), 1);
    else
        unsetenv("WINEPREFIX");

    EXPECT_EQ(noInstallation.status, ImportResult::Status::NoInstallation);
    EXPECT_EQ(complete.status, ImportResult::Status::Complete) << complete.error;
    EXPECT_EQ(complete.links, 4);
}

TEST_F(PortalImportTest, WithoutAFolderGivenTheFileGoesToTheWorkingDirectory)
{
    talvane.install({withCode(16)});
    PortalImport::Options o = options();
    o.WorkFolder.clear();
    const fs::path previous = fs::current_path();
    fs::current_path(work.path());
    runImport(o);
    fs::current_path(previous);

    EXPECT_TRUE(fs::exists(work.path() / "1000.ini"));
    EXPECT_EQ(view.labels.back(), "0");
}
