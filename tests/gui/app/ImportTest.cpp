// The portal import through the window: "Obtener Datos Enlaces" against a
// Talvane installation in a Wine prefix and the maker's server stood in on
// 127.0.4.1:21; an imported portal is then tested like any other server.
#include "support/gui/FtpRunFixture.h"
#include "support/import/ImportWorld.h"

#include "platform/WinePrefix.h"
#include "platform/base/Pump.h"
#include "pordane/BuildConfig.h"
#include "widgets/TaskList.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace pordane::testsupport {
namespace {

using pordane::testsupport::PortalConnection;
using pordane::testsupport::Row;
using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;

class WindowImport : public FtpRunFixture {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        FtpRunFixture::SetUp();
        maker.emplace();
        app::StartupHooks hooks;
        catalogue::PortalImport::Options o;
        o.ConnectionsHost = pordane::testsupport::MakerAddress;
        o.openHost = [this] { return std::make_unique<platform::WinePrefix>(talvane.prefix().path()); };
        hooks.importOptions = o;
        form = std::make_unique<app::TMainForm>(dialogs, hooks);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    QString numLinks() const { return find<QLabel>("LabelNumEnlaces")->text(); }

    pordane::testsupport::Talvane talvane;
    std::optional<pordane::testsupport::MakerServer> maker;
};

TEST_F(WindowImport, ObtenerDatosEnlacesListsThePortalsAndOneCanBeTested)
{
    // The portal with operator code 15 has its FTP data on the maker's server:
    // they point at a real server on 127.0.2.57.
    LocalFtpServer portal(FtpServerKind::Pyftpdlib, "127.0.2.57", {{"agencia", "clave 15"}});
    maker->putConnectionFile(
        "15", pordane::testsupport::MakerServer::connectionFile({"127.0.2.57", "agencia", "clave 15", ""}));
    talvane.install(
        {Row{"Idealista Ñandú", "127.0.2.58", "ideal", "pw", "/in", 0}, Row{"Fotocasa", "", "", "", "", 15}});

    clickNav(2, 1);
    click("BotonObtenerEnlaces");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
    EXPECT_EQ(numLinks().toStdString(), "2");
    const std::vector<std::string> lines = checkListLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Idealista Ñandú");
    EXPECT_EQ(lines[4], "Fotocasa");
    EXPECT_EQ(form->currentOperation(), app::Operation::None);
    EXPECT_TRUE(find<QPushButton>("BotonObtenerEnlaces")->isEnabled());

    setTick(4, true);
    run(1);
    auto* list = find<QTreeWidget>("ListaServidores");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), "Fotocasa");
    EXPECT_EQ(imageAt(*list, 0, 0), 1) << find<QPlainTextEdit>("MemoLog")->toPlainText().toStdString();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Permisos Realizado"}));
}

TEST_F(WindowImport, TheOtherLongOperationsWaitWhileItRuns)
{
    maker->putConnectionFile("15",
                             pordane::testsupport::MakerServer::connectionFile({"127.0.2.57", "agencia", "x", ""}));
    talvane.install({Row{"Fotocasa", "", "", "", "", 15}});

    // Queued before the import; its FTP download pumps the window, as the
    // program's own pump hook does.
    platform::ScopedPumpHook hook([] { QCoreApplication::processEvents(); });
    std::optional<bool> start, ports, apply;
    app::Operation during = app::Operation::None;
    QTimer::singleShot(0, form.get(), [&] {
        during = form->currentOperation();
        start = find<QPushButton>("BotonIniciarTest")->isEnabled();
        ports = find<QPushButton>("BotonTestPuertos")->isEnabled();
        apply = find<QPushButton>("BotonAplicarServidores")->isEnabled();
        form->BotonTestPuertosClick(); // does nothing while the import runs
    });
    form->AfterCreate();
    ASSERT_EQ(during, app::Operation::Import);
    EXPECT_FALSE(*start);
    EXPECT_FALSE(*ports);
    EXPECT_FALSE(*apply);
    EXPECT_FALSE(form->portsPage().TareasPuertos->bold(0)) << "the port test did not start";
    EXPECT_EQ(numLinks().toStdString(), "1");
    EXPECT_TRUE(find<QPushButton>("BotonTestPuertos")->isEnabled());
}

TEST_F(WindowImport, CannotStartWhileThePortTestRuns)
{
    talvane.install({Row{"Idealista", "127.0.2.58", "ideal", "pw", "/in", 0}});
    netdiag::PortTestOptions options;
    // Nothing listens on 127.0.2.59:9; the import is asked for during the probe.
    options.probes = {netdiag::PortProbe{"", "127.0.2.59", 9, 0}};
    form->setPortTestOptions(options);
    const QString before = numLinks();
    QTimer::singleShot(0, form.get(), [&] { form->BotonObtenerEnlacesClick(); });
    form->BotonTestPuertosClick();
    EXPECT_EQ(numLinks(), before);
    EXPECT_EQ(checkListLines().size(), 3u);
    // Afterwards it runs.
    form->BotonObtenerEnlacesClick();
    EXPECT_EQ(numLinks().toStdString(), "1");
}

} // namespace
} // namespace pordane::testsupport
