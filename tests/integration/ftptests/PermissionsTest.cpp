// The permissions test against real servers: every kind of account, an
// unreachable server, two servers, a missing remote folder, both modes.
#include "ftptests/PermissionsRun.h"
#include "support/ftptests/FtpHarness.h"

using namespace pordane;
using namespace pordane::testsupport;
using namespace pordane::ftptests::permissions;
using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;
namespace image = views::image;

namespace {

constexpr const char* P1 = "22337500000"; // identifier of the first server tested
constexpr const char* P2 = "22340000000"; // of the second

class Permissions : public ::testing::Test, public Harness {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        writeTestFiles();
        run.PaginaActiva = ftp::page::Permissions;
    }

    void runTest(const std::vector<ftptests::MarkedLine>& marked) { ftptests::DoTestPermisos(ctx, view, marked); }

    std::vector<int> cellImages(int row) const
    {
        std::vector<int> v;
        for (int c : {CellUpload, CellDownload, CellRename, CellListing, CellDelete})
            v.push_back(view.list.cellImage(row, c));
        return v;
    }

    testsupport::RecordingPermissions view;
};

std::vector<std::string> linesOfAFullyAllowedServer(const std::string& host, const std::string& p)
{
    return {"Conectando a " + host + "...OK",
            "Subiendo archivo test.txt...OK",
            "Subiendo archivo test.jpg...OK",
            "Subiendo archivo test.mdb...OK",
            "Descargando archivo " + p + "_test.txt...OK",
            "Descargando archivo " + p + "_test.jpg...OK",
            "Descargando archivo " + p + "_test.mdb...OK",
            "Renombrando archivo " + p + "_test.txt a .MDB...OK",
            "Borrando archivo " + p + "_test2.mdb...OK",
            "Borrando archivo " + p + "_test.jpg...OK",
            "Borrando archivo " + p + "_test.mdb...OK",
            "[Desconexión realizada]"};
}

const std::vector<int> Ticked5{image::Passed, image::Passed, image::Passed, image::Passed, image::Passed};

} // namespace

TEST_F(Permissions, FullyAllowedAccountPassesEveryStep)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"todo", "pw"}});
    runTest({addServer("Todo", "127.0.2.10", "todo", "pw")});

    ASSERT_EQ(view.list.rowCount(), 1);
    const auto& row = view.list.rows[0];
    EXPECT_EQ(row.caption, "Todo");
    EXPECT_EQ(row.cells, (std::vector<std::string>{"Finalizado", "?", "?", "?", "?", "?", "1"}));
    EXPECT_EQ(cellImages(0), Ticked5);
    EXPECT_EQ(row.imageHistory, (std::vector<int>{image::Waiting, image::Running, image::Passed}));
    EXPECT_EQ(view.tasks.images, (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(view.tasks.bolds, (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_EQ(log.lines, linesOfAFullyAllowedServer("127.0.2.10", P1));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Permisos Realizado"});
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(run.Tarea, TaskEnd);

    // Steps run in the order connect, upload, download, rename, delete, list.
    std::vector<int> runningOrder;
    for (const auto& [line, img] : view.tasks.marks)
        if (img == image::Running)
            runningOrder.push_back(line);
    EXPECT_EQ(runningOrder, (std::vector<int>{0, 1, 2, 3, 5, 4}));

    // Nothing is left behind, on the server or here.
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
    for (const char* f : {"test2.txt", "test2.jpg", "test2.mdb"})
        EXPECT_FALSE(fs::exists(local(f))) << f;

    std::vector<std::string> verbs;
    for (const std::string& c : server.commands()) {
        const std::string verb = c.substr(0, c.find(' '));
        if (verb == "STOR" || verb == "RETR" || verb == "RNFR" || verb == "RNTO" || verb == "DELE" || verb == "MLSD"
            || verb == "LIST" || verb == "QUIT")
            verbs.push_back(verb);
    }
    ASSERT_EQ(verbs.size(), 13u);
    EXPECT_EQ(verbs[11], "MLSD"); // the listing comes after the deletes
    EXPECT_EQ(verbs[12], "QUIT");
}

TEST_F(Permissions, ActiveModeOnVsftpd)
{
    if (!LocalFtpServer::available(FtpServerKind::Vsftpd))
        GTEST_SKIP() << "vsftpd not usable";
    LocalFtpServer server(FtpServerKind::Vsftpd, "127.0.2.11", {{"todo", "pw"}});
    run.FTPMODO = 1;
    runTest({addServer("Activo", "127.0.2.11", "todo", "pw")});
    EXPECT_EQ(log.lines, linesOfAFullyAllowedServer("127.0.2.11", P1));
    EXPECT_EQ(cellImages(0), Ticked5);
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
    size_t ports = 0, pasvs = 0;
    for (const std::string& c : server.commands()) {
        ports += c.rfind("PORT", 0) == 0;
        pasvs += c.rfind("PASV", 0) == 0;
    }
    EXPECT_EQ(ports, 7u); // three uploads, three downloads, the listing
    EXPECT_EQ(pasvs, 0u);
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
}

TEST_F(Permissions, AccountWithoutDeleteLeavesThreeFiles)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"noborra", "pw", "elrafmw"}});
    runTest({addServer("NoBorra", "127.0.2.10", "noborra", "pw")});
    EXPECT_EQ(cellImages(0),
              (std::vector<int>{image::Passed, image::Passed, image::Passed, image::Passed, image::Failed}));
    EXPECT_EQ(view.list.rows[0].image, image::Warning);
    EXPECT_EQ(view.tasks.images[TaskDelete], image::Warning);
    EXPECT_EQ(filesIn(server.homeOf("noborra")),
              (std::vector<std::string>{std::string(P1) + "_test.jpg", std::string(P1) + "_test.mdb",
                                        std::string(P1) + "_test2.mdb"}));
    EXPECT_EQ(countOf(log.lines, "Borrando archivo " + std::string(P1) + "_test2.mdb...FALLO"), 1u);
}

TEST_F(Permissions, ReadOnlyAccountStillListsItsFolder)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"sololee", "pw", "elr"}});
    runTest({addServer("SoloLee", "127.0.2.10", "sololee", "pw")});
    // The folder is empty: the listing works all the same.
    EXPECT_EQ(cellImages(0),
              (std::vector<int>{image::Failed, image::Failed, image::Failed, image::Passed, image::Failed}));
    EXPECT_EQ(view.list.rows[0].image, image::Warning);
    EXPECT_EQ(view.tasks.images, (std::array<int, 6>{1, 4, 4, 4, 1, 4}));
    // The failed rename means the first delete is of the "_test.txt" name.
    EXPECT_EQ(countOf(log.lines, "Borrando archivo " + std::string(P1) + "_test.txt...FALLO"), 1u);
    EXPECT_EQ(log.lines.back(), "[Desconexión realizada]");
    EXPECT_TRUE(filesIn(server.homeOf("sololee")).empty());
}

TEST_F(Permissions, UnreachableServerFailsEveryStepAndStillReportsTheDisconnect)
{
    runTest({addServer("Nadie", "127.0.2.99", "x", "y")});
    const std::string p = P1;
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Conectando a 127.0.2.99...FALLO",
                             "Subiendo archivo test.txt...FALLO",
                             "Subiendo archivo test.jpg...FALLO",
                             "Subiendo archivo test.mdb...FALLO",
                             "Descargando archivo " + p + "_test.txt...FALLO",
                             "Descargando archivo " + p + "_test.jpg...FALLO",
                             "Descargando archivo " + p + "_test.mdb...FALLO",
                             "Renombrando archivo " + p + "_test.txt a .MDB...FALLO",
                             "Borrando archivo " + p + "_test.txt...FALLO",
                             "Borrando archivo " + p + "_test.jpg...FALLO",
                             "Borrando archivo " + p + "_test.mdb...FALLO",
                             "[Desconexión realizada]",
                         }));
    EXPECT_EQ(cellImages(0), std::vector<int>(5, image::Failed));
    EXPECT_EQ(view.list.rows[0].image, image::Warning);
    EXPECT_EQ(view.tasks.images, (std::array<int, 6>{3, 4, 4, 4, 4, 4}));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Permisos Realizado"});
}

TEST_F(Permissions, TwoServersInListOrderReadTheirOwnEntries)
{
    LocalFtpServer a(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"todo", "pw"}});
    LocalFtpServer c(FtpServerKind::Pyftpdlib, "127.0.2.12", {{"noborra", "pw", "elrafmw"}});
    const auto first = addServer("Primero", "127.0.2.10", "todo", "pw");
    addServer("NoMarcado", "127.0.2.99", "x", "y");
    const auto third = addServer("Tercero", "127.0.2.12", "noborra", "pw");
    runTest({first, third});

    ASSERT_EQ(view.list.rowCount(), 2);
    EXPECT_EQ(view.list.rows[0].caption, "Primero");
    EXPECT_EQ(view.list.rows[1].caption, "Tercero");
    EXPECT_EQ(view.list.cellText(1, CellNum), "3");
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
    EXPECT_EQ(view.list.rows[1].image, image::Warning);
    EXPECT_EQ(view.list.cellText(1, CellStatus), "Finalizado");

    std::vector<std::string> expected = linesOfAFullyAllowedServer("127.0.2.10", P1);
    const std::string p = P2;
    const std::vector<std::string> second = {"Conectando a 127.0.2.12...OK",
                                             "Subiendo archivo test.txt...OK",
                                             "Subiendo archivo test.jpg...OK",
                                             "Subiendo archivo test.mdb...OK",
                                             "Descargando archivo " + p + "_test.txt...OK",
                                             "Descargando archivo " + p + "_test.jpg...OK",
                                             "Descargando archivo " + p + "_test.mdb...OK",
                                             "Renombrando archivo " + p + "_test.txt a .MDB...OK",
                                             "Borrando archivo " + p + "_test2.mdb...FALLO",
                                             "Borrando archivo " + p + "_test.jpg...FALLO",
                                             "Borrando archivo " + p + "_test.mdb...FALLO",
                                             "[Desconexión realizada]"};
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Permisos Realizado"});
    // The task list shows the last server's steps.
    EXPECT_EQ(view.tasks.images, (std::array<int, 6>{1, 1, 1, 1, 1, 4}));
}

TEST_F(Permissions, MissingRemoteFolderRunsInTheLoginFolder)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"todo", "pw"}});
    runTest({addServer("SinCarpeta", "127.0.2.10", "todo", "pw", "noexiste")});
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"No se ha encontrado el directorio remoto", "Test de Permisos Realizado"}));
    EXPECT_EQ(log.lines, linesOfAFullyAllowedServer("127.0.2.10", P1));
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
}

TEST_F(Permissions, NothingTickedStillEndsWithTheMessage)
{
    log.lines = {"de antes"};
    runTest({});
    EXPECT_EQ(view.list.rowCount(), 0);
    EXPECT_EQ(view.list.clears, 1);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Permisos Realizado"});
}

TEST_F(Permissions, MissingLocalFileCrossesUploadDownloadAndDelete)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.10", {{"todo", "pw"}});
    fs::remove(local("test.jpg"));
    runTest({addServer("Todo", "127.0.2.10", "todo", "pw")});
    EXPECT_EQ(cellImages(0),
              (std::vector<int>{image::Failed, image::Failed, image::Passed, image::Passed, image::Failed}));
    EXPECT_EQ(countOf(log.lines, "Subiendo archivo test.jpg...FALLO"), 1u);
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty()); // the two files that arrived were deleted
}
