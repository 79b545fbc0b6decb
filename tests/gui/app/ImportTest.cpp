// The portal import through the window: "Obtener Datos Enlaces" against a
// Talvane installation in a Wine prefix and the maker's server stood in on
// 127.0.4.1:21; an imported portal is then tested like any other server.
#include "support/import/ImportWorld.h"
#include "support/gui/FtpRunFixture.h"

#include "platform/base/Pump.h"
#include "platform/WinePrefix.h"
#include "pordane/BuildConfig.h"
#include "widgets/TaskList.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace pordane::testsupport {
namespace {

using pordane::testsupport::Conexion;
using pordane::testsupport::Fila;
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
        o.HostConexiones = pordane::testsupport::MakerAddress;
        o.abrirEntorno = [this] { return std::make_unique<platform::WinePrefix>(talvane.prefix().path()); };
        hooks.importador = o;
        form = std::make_unique<app::TMainForm>(dialogs, hooks);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    QString numEnlaces() const { return find<QLabel>("LabelNumEnlaces")->text(); }

    pordane::testsupport::Talvane talvane;
    std::optional<pordane::testsupport::MakerServer> maker;
};

TEST_F(WindowImport, ObtenerDatosEnlacesListsThePortalsAndOneCanBeTested)
{
    // The portal with operator code 15 has its FTP data on the maker's server:
    // they point at a real server on 127.0.2.57.
    LocalFtpServer portal(FtpServerKind::Pyftpdlib, "127.0.2.57", {{"agencia", "clave 15"}});
    maker->putConnectionFile("15", pordane::testsupport::MakerServer::connectionFile({"127.0.2.57", "agencia", "clave 15", ""}));
    talvane.install({Fila{"Idealista Ñandú", "127.0.2.58", "ideal", "pw", "/in", 0},
                     Fila{"Fotocasa", "", "", "", "", 15}});

    clickNav(2, 1);
    click("BotonObtenerEnlaces");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
    EXPECT_EQ(numEnlaces().toStdString(), "2");
    const std::vector<std::string> lines = checkListLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Idealista Ñandú");
    EXPECT_EQ(lines[4], "Fotocasa");
    EXPECT_EQ(form->operacionEnCurso(), app::Operacion::Ninguna);
    EXPECT_TRUE(find<QPushButton>("BotonObtenerEnlaces")->isEnabled());

    setTick(4, true);
    run(1);
    auto* lista = find<QTreeWidget>("ListaServidores");
    ASSERT_EQ(lista->topLevelItemCount(), 1);
    EXPECT_EQ(lista->topLevelItem(0)->text(0).toStdString(), "Fotocasa");
    EXPECT_EQ(imageAt(*lista, 0, 0), 1) << find<QPlainTextEdit>("MemoLog")->toPlainText().toStdString();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Permisos Realizado"}));
}

TEST_F(WindowImport, TheOtherLongOperationsWaitWhileItRuns)
{
    maker->putConnectionFile("15", pordane::testsupport::MakerServer::connectionFile({"127.0.2.57", "agencia", "x", ""}));
    talvane.install({Fila{"Fotocasa", "", "", "", "", 15}});

    // Queued before the import; its FTP download pumps the window, as the
    // program's own pump hook does.
    platform::ScopedPumpHook hook([] { QCoreApplication::processEvents(); });
    std::optional<bool> iniciar, puertos, aplicar;
    app::Operacion during = app::Operacion::Ninguna;
    QTimer::singleShot(0, form.get(), [&] {
        during = form->operacionEnCurso();
        iniciar = find<QPushButton>("BotonIniciarTest")->isEnabled();
        puertos = find<QPushButton>("BotonTestPuertos")->isEnabled();
        aplicar = find<QPushButton>("BotonAplicarServidores")->isEnabled();
        form->BotonTestPuertosClick(); // does nothing while the import runs
    });
    form->AfterCreate();
    ASSERT_EQ(during, app::Operacion::Importacion);
    EXPECT_FALSE(*iniciar);
    EXPECT_FALSE(*puertos);
    EXPECT_FALSE(*aplicar);
    EXPECT_FALSE(form->puertos().TareasPuertos->bold(0)) << "the port test did not start";
    EXPECT_EQ(numEnlaces().toStdString(), "1");
    EXPECT_TRUE(find<QPushButton>("BotonTestPuertos")->isEnabled());
}

TEST_F(WindowImport, CannotStartWhileThePortTestRuns)
{
    talvane.install({Fila{"Idealista", "127.0.2.58", "ideal", "pw", "/in", 0}});
    netdiag::PortTestOptions options;
    // Nothing listens on 127.0.2.59:9; the import is asked for during the probe.
    options.probes = {netdiag::PortProbe{"", "127.0.2.59", 9, 0}};
    form->setPortTestOptions(options);
    const QString before = numEnlaces();
    QTimer::singleShot(0, form.get(), [&] { form->BotonObtenerEnlacesClick(); });
    form->BotonTestPuertosClick();
    EXPECT_EQ(numEnlaces(), before);
    EXPECT_EQ(checkListLines().size(), 3u);
    // Afterwards it runs.
    form->BotonObtenerEnlacesClick();
    EXPECT_EQ(numEnlaces().toStdString(), "1");
}

} // namespace
} // namespace pordane::testsupport
