// The three FTP tests through the real window against real servers: tick,
// "Iniciar Test", then read the result lists, their icons, the labels and the log.
#include "support/gui/FtpRunFixture.h"

#include "app/pages/ConnectivityPage.h"
#include "app/pages/PermissionsPage.h"
#include "app/pages/SpeedPage.h"
#include "widgets/Scope.h"
#include "widgets/SpeedMeter.h"
#include "widgets/TaskList.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>

namespace pordane::testsupport {
namespace {

using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;
namespace pg = app::pages;

class FtpRuns : public FtpRunFixture {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        FtpRunFixture::SetUp();
    }
};

TEST_F(FtpRuns, PermissionsOnAServerThatAllowsEverything)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.50", {{"todo", "pw"}});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    run(1);

    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Permisos Realizado"}));
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabTestPermisos");
    auto* list = find<QTreeWidget>("ListaServidores");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(pg::ColServer).toStdString(), "Local");
    EXPECT_EQ(row->text(pg::ColStatus).toStdString(), "Finalizado");
    EXPECT_EQ(row->text(pg::ColNum).toStdString(), "4");
    EXPECT_EQ(imageAt(*list, 0, 0), 1);
    for (int c : {pg::ColE, pg::ColL, pg::ColR, pg::ColD, pg::ColB})
        EXPECT_EQ(imageAt(*list, 0, c), 1) << "column " << c;
    auto* tasks = find<widgets::TaskList>("Tareas");
    for (int i = 0; i < tasks->count(); ++i)
        EXPECT_EQ(tasks->image(i), 1) << "task line " << i;

    // One line per operation, each completed in place.
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 12) << find<QPlainTextEdit>("MemoLog")->toPlainText().toStdString();
    EXPECT_EQ(lines.front().toStdString(), "Conectando a 127.0.2.50...OK");
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Subiendo archivo test.txt")));
    for (int i = 0; i < 11; ++i)
        EXPECT_TRUE(lines[i].endsWith(QStringLiteral("...OK"))) << lines[i].toStdString();
    EXPECT_EQ(lines.back().toStdString(), "[Desconexión realizada]");
    // The remote test files are gone again.
    EXPECT_TRUE(std::filesystem::is_empty(server.homeOf("todo")));
    shot("permisos.png");
}

TEST_F(FtpRuns, PermissionsOnAReadOnlyAccountInActiveMode)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.51", {{"sololee", "pw", "elr"}});
    usePersonal(server.address(), QStringLiteral("sololee"), QStringLiteral("pw"));
    clickNav(0, 1);
    click("RadioActiveMode");
    ASSERT_EQ(form->FTPMODO(), 1);
    click("BotonIniciarTest");

    auto* list = find<QTreeWidget>("ListaServidores");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(imageAt(*list, 0, pg::ColE), 3);
    EXPECT_EQ(imageAt(*list, 0, pg::ColL), 3);
    EXPECT_EQ(imageAt(*list, 0, pg::ColR), 3);
    EXPECT_EQ(imageAt(*list, 0, pg::ColD), 1) << "the listing works on a read-only account";
    EXPECT_EQ(imageAt(*list, 0, pg::ColB), 3);
    EXPECT_EQ(imageAt(*list, 0, 0), 4);
    const std::vector<std::string> commands = server.commands();
    EXPECT_NE(
        std::find_if(commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("PORT ", 0) == 0; }),
        commands.end());
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "PASV"), 0);
}

TEST_F(FtpRuns, CancelDuringAThrottledTransferEndsThatTransferOnly)
{
    // Downloads at 30 KB/s: the 200 KB "test.txt" takes seconds to
    // come back. (An upload of that size would sit in the loopback socket
    // buffers at once and end, from the client's side, before a click could land.)
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.52", {{"todo", "pw"}}, {30 * 1024, 0});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    auto* cancel = find<QPushButton>("BotonCancelarFTP");
    ASSERT_FALSE(cancel->isEnabled());

    // Queued before the run; the run's own pumping delivers it.
    bool clicked = false, portsDuringRun = true, fetchDuringRun = true;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QStringList lines = logLines();
        if (!clicked && cancel->isEnabled() && lines.back().startsWith(QStringLiteral("Descargando archivo"))) {
            portsDuringRun = find<QPushButton>("BotonTestPuertos")->isEnabled();
            fetchDuringRun = find<QPushButton>("BotonObtenerEnlaces")->isEnabled();
            clicked = true;
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    QTimer::singleShot(0, &poll, qOverload<>(&QTimer::start));
    run(1);
    poll.stop();

    ASSERT_TRUE(clicked);
    EXPECT_FALSE(portsDuringRun);
    EXPECT_FALSE(fetchDuringRun);
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 6) << find<QPlainTextEdit>("MemoLog")->toPlainText().toStdString();
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lines[i].endsWith(QStringLiteral("...OK"))) << lines[i].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("Descargando archivo"))) << lines[4].toStdString();
    EXPECT_TRUE(lines[4].endsWith(QStringLiteral("...FALLO"))) << lines[4].toStdString();
    EXPECT_TRUE(lines[5].endsWith(QStringLiteral("...OK"))) << "the next operation works: " << lines[5].toStdString();
    auto* list = find<QTreeWidget>("ListaServidores");
    EXPECT_EQ(imageAt(*list, 0, pg::ColE), 1);
    EXPECT_EQ(imageAt(*list, 0, pg::ColL), 3);
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Permisos Realizado"}));
}

TEST_F(FtpRuns, SpeedShowsTheFiguresOfTheServer)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.53", {{"todo", "pw"}});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    find<QSlider>("TrackBarSizeTest")->setValue(1);
    run(0);

    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Velocidad Realizado"}));
    auto* list = find<QTreeWidget>("ListaServidoresSpeed");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = list->topLevelItem(0);
    const QRegularExpression kbs(QStringLiteral("^[0-9]+ KB/s$"));
    EXPECT_TRUE(kbs.match(row->text(pg::SpeedColDownload)).hasMatch()) << row->text(pg::SpeedColDownload).toStdString();
    EXPECT_TRUE(kbs.match(row->text(pg::SpeedColUpload)).hasMatch()) << row->text(pg::SpeedColUpload).toStdString();
    EXPECT_EQ(row->text(pg::SpeedColStatus).toStdString(), "Finalizado");
    EXPECT_EQ(imageAt(*list, 0, 0), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+ segs\\.$"))
                    .match(find<QLabel>("LabelTimeUpload")->text())
                    .hasMatch());
    EXPECT_FALSE(form->Timer1()->isActive());
    EXPECT_FALSE(find<widgets::Scope>("Scope1")->active());
    EXPECT_TRUE(exists("speedmeter.txt"));
    EXPECT_FALSE(exists("speedmeter2.txt"));
    EXPECT_TRUE(std::filesystem::is_empty(server.homeOf("todo")));
}

TEST_F(FtpRuns, SpeedThrottledShowsLiveFiguresWhileItRuns)
{
    // 2 MB coming back at 300 KB/s: several seconds. (The upload is left
    // unthrottled: the server's throttle reads in bursts and then pauses for
    // longer than the client waits per block, which is not how a slow line behaves.)
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.54", {{"todo", "pw"}}, {300 * 1024, 0});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    find<QSlider>("TrackBarSizeTest")->setValue(2);
    const QRegularExpression live(QStringLiteral("^[1-9][0-9]{0,2}(\\.[0-9]{3})* KB/s$"));

    QStringList downloadTexts;
    double meterMax = 0;
    bool shotTaken = false;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QString t = find<QLabel>("LabelDownload")->text();
        if (downloadTexts.isEmpty() || downloadTexts.back() != t)
            downloadTexts.push_back(t);
        meterMax = std::max(meterMax, find<widgets::SpeedMeter>("SpeedMeter")->value());
        if (!shotTaken && live.match(t).hasMatch() && find<widgets::Scope>("Scope1")->samples().size() > 40) {
            shotTaken = true;
            shot("velocidad-en-curso.png");
        }
    });
    QTimer::singleShot(0, &poll, qOverload<>(&QTimer::start));
    run(0);
    poll.stop();

    // "0 KB/s" for the first two seconds, then grouped live figures.
    ASSERT_FALSE(downloadTexts.isEmpty());
    EXPECT_TRUE(downloadTexts.contains(QStringLiteral("0 KB/s")))
        << downloadTexts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(std::any_of(downloadTexts.begin(), downloadTexts.end(), [&](const QString& t) {
        return live.match(t).hasMatch();
    })) << downloadTexts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_GT(meterMax, 0.5); // ~300 KB/s is about 2.3 Mbps
    const std::vector<int> samples = find<widgets::Scope>("Scope1")->samples();
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](int v) { return v > 100; }));
    auto* list = find<QTreeWidget>("ListaServidoresSpeed");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(imageAt(*list, 0, 0), 1);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Velocidad Realizado"}));
    shot("velocidad.png");
}

TEST_F(FtpRuns, ConnectivityCountsTwentyGoodCycles)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.55", {{"todo", "pw"}});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    run(2);

    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Conectividad Realizado"}));
    EXPECT_EQ(find<QLabel>("LabelInfoCiclo")->text().toStdString(), "20/20");
    EXPECT_EQ(find<QLabel>("LabelCicloOk")->text().toStdString(), "20");
    EXPECT_EQ(find<QLabel>("LabelCicloError")->text().toStdString(), "0");
    EXPECT_EQ(find<QLabel>("LabelInfoConectividad")->text().toStdString(), "Test de conectividad Realizado");
    auto* list = find<QTreeWidget>("ListaServidoresConectividad");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(pg::ConColDownload).toStdString(), "20");
    EXPECT_EQ(list->topLevelItem(0)->text(pg::ConColUpload).toStdString(), "20");
    EXPECT_EQ(imageAt(*list, 0, 0), 1);
    EXPECT_TRUE(find("ProgressConectividad")->isHidden());
    shot("conectividad.png");
}

TEST_F(FtpRuns, ConnectivityOverARefusedAndAHealthyServerInListOrder)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.55", {{"todo", "pw"}});
    // Nothing listens on 127.0.2.59:21. "Aplicar" twice adds two entries.
    clickNav(2, 1);
    typePersonal(QStringLiteral("Caído"), QStringLiteral("127.0.2.59"), QString(), QStringLiteral("u"),
                 QStringLiteral("p"));
    click("BotonAplicarServidores");
    typePersonal(QStringLiteral("Sano"), QString::fromStdString(server.address()), QString(), QStringLiteral("todo"),
                 QStringLiteral("pw"));
    click("BotonAplicarServidores");
    ASSERT_EQ(checkListLines(),
              (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01", "Caído", "Sano"}));
    setTick(4, true);
    setTick(3, true);
    run(2);

    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"No se ha podido conectar con el servidor", "Test de Conectividad Realizado"}));
    auto* list = find<QTreeWidget>("ListaServidoresConectividad");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), "Caído");
    EXPECT_EQ(list->topLevelItem(1)->text(0).toStdString(), "Sano");
    EXPECT_EQ(list->topLevelItem(0)->text(pg::ConColNum).toStdString(), "4");
    EXPECT_EQ(list->topLevelItem(1)->text(pg::ConColNum).toStdString(), "5");
    EXPECT_EQ(imageAt(*list, 0, 0), 4);
    EXPECT_EQ(imageAt(*list, 1, 0), 1);
    EXPECT_EQ(list->topLevelItem(1)->text(pg::ConColDownload).toStdString(), "20");
    EXPECT_EQ(find<QLabel>("LabelInfoCiclo")->text().toStdString(), "20/20");
}

TEST_F(FtpRuns, ClosingDuringAThrottledRunEndsItAndClosesTheWindow)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.56", {{"todo", "pw"}}, {0, 20 * 1024});
    usePersonal(server.address(), QStringLiteral("todo"), QStringLiteral("pw"));
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (find<QProgressBar>("ProgressBar1")->value() > 0) {
            poll.stop();
            click("Button2"); // "Salir"
        }
    });
    QTimer::singleShot(0, &poll, qOverload<>(&QTimer::start));
    QElapsedTimer clock;
    clock.start();
    run(1);
    poll.stop();

    // 600 KB at 20 KB/s would take half a minute: the run ended early.
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->currentOperation(), app::Operation::None);
    EXPECT_TRUE(dialogs.messages.empty()) << "no closing message: " << dialogs.messages.front();
    // FormClose ran once the run had unwound.
    EXPECT_FALSE(exists("test.txt"));
    EXPECT_TRUE(exists("speedmeter.txt"));
}

} // namespace
} // namespace pordane::testsupport
