// The main window: pages, navigation, run state; handlers forward to the modules.
#pragma once

#include "app/pages/ConnectivityPage.h"
#include "app/pages/OptionsPage.h"
#include "app/pages/PermissionsPage.h"
#include "app/pages/PersonalConfigPage.h"
#include "app/pages/PortsPage.h"
#include "app/pages/ProcessesPage.h"
#include "app/pages/SpeedPage.h"
#include "app/pages/StartPage.h"
#include "catalogue/PortalImport.h"
#include "ftptests/FtpTestContext.h"
#include "catalogue/ServerTable.h"
#include "ftp/FTPClient.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftp/SpeedState.h"
#include "netdiag/PortTester.h"
#include "platform/base/Pump.h"
#include "widgets/ImageList.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;
class QStackedWidget;
class QTimer;

namespace pordane::views {
class Dialogs;
}
namespace pordane::widgets {
class NavBar;
}

namespace pordane::app {

// Work that creation and start-up hand to other modules. Each hook may be
// left empty, which skips its step.
struct StartupHooks {
    // Update check during creation; true when an update was carried out and
    // the program must end without waiting for the user.
    std::function<bool()> updateCheck;
    // Host environment discovery during creation (may show its own message).
    std::function<void()> environmentDiscovery;
    // Portal connections import: run by AfterCreate and by "Obtener Datos Enlaces"
    // in place of the window's own importer.
    std::function<void()> portalImport;
    // The window's own importer and where it looks; without it (and without
    // portalImport) the import step does nothing.
    std::optional<catalogue::PortalImport::Options> importOptions;
};

class ConnectivityAdapter;
class LinksAdapter;
class LogAdapter;
class PermissionsAdapter;
class ProgressAdapter;
class TaskListAdapter;
class SpeedAdapter;

// The long operations, of which one runs at a time.
enum class Operation { None, PortTest, FtpTest, Import };

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Text shown when "Aplicar" would add a 21st server.
    static const char* const TableFullMessage;

    // Creating the window runs FormCreate.
    explicit TMainForm(views::Dialogs& dialogs, StartupHooks hooks = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    void AfterCreate();
    void FormClose();

    // Handlers, named after their control and event.
    void Button2Click();
    void BotonTestSpeedClick();
    void BotonTestFTPClick();
    void BotonTestConectividadClick();
    void NavBar1Pages1Buttons0Click();
    void NavBar1Pages1Buttons1Click();
    void NavBar1Pages2Buttons1Click();
    void BotonProcesosRefrescarClick();
    void BotonObtenerEnlacesClick();
    void BotonAplicarServidoresClick();
    void TrackBarSizeTestChange();

    void BotonTestPuertosClick();
    void BotonIniciarTestClick();
    void BotonCancelarFTPClick();
    void Timer1Timer();

    void ShowProcesesPorts();
    void SetServidores();
    void ObtenerEnlacesWeb();
    void PrepararTest();
    void DoTestVelocidad();
    void DoTestPermisos();
    void DoTestConectividad();

    // The long operation running now, and whether a close waits for it to end.
    Operation currentOperation() const { return m_operation; }
    bool closePending() const { return m_closePending; }

    // Where the port test probes; tests point it at loopback stand-ins.
    void setPortTestOptions(netdiag::PortTestOptions options);

    // Run state.
    int Tarea() const { return m_run.Tarea; }
    int PaginaActiva() const { return m_run.PaginaActiva; }
    std::uint8_t FTPTIPO() const { return m_run.FTPTIPO; }
    std::uint8_t FTPMODO() const { return m_run.FTPMODO; }
    int SizeTest() const { return m_run.SizeTest; }
    ftp::FTPClient& FTPClient() { return m_FTPClient; }
    ftp::SpeedState& speed() { return m_speed; }
    QTimer* Timer1() const { return m_Timer1; }
    catalogue::ServerTable& Servidor() { return m_Servidor; }
    const catalogue::ServerTable& Servidor() const { return m_Servidor; }

    // True when the update check asked the program to end.
    bool terminationRequested() const { return m_terminationRequested; }

    views::Dialogs& dialogs() { return m_dialogs; }
    const widgets::ImageList& ImageList1() const { return m_ImageList1; }
    const widgets::ImageList& ImageList2() const { return m_ImageList2; }
    widgets::NavBar* NavBar1() const { return m_NavBar1; }
    QStackedWidget* PageControl1() const { return m_PageControl1; }

    const pages::StartPage& startPage() const { return m_startPage; }
    const pages::OptionsPage& optionsPage() const { return m_optionsPage; }
    const pages::PermissionsPage& permissionsPage() const { return m_permissionsPage; }
    const pages::SpeedPage& speedPage() const { return m_speedPage; }
    const pages::ConnectivityPage& connectivityPage() const { return m_connectivityPage; }
    const pages::PersonalConfigPage& configPersonal() const { return m_configPersonal; }
    const pages::ProcessesPage& processesPage() const { return m_processesPage; }
    const pages::PortsPage& portsPage() const { return m_portsPage; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildFrame();
    void buildNavBar();
    void connectControls();
    void chooseTest(int page, const QString& label);
    void showPage(QWidget* page);
    void buildModules();
    void rebuildCheckList(const std::vector<std::string>& names);
    std::vector<ftptests::MarkedLine> markedLines() const;
    catalogue::PersonalFields personalFields() const;

    // One long operation at a time: the other start buttons are disabled for
    // its length; an abortable one ends early when the window is closed.
    class OperationScope;
    bool beginOperation(Operation op);
    void endOperation();
    void updateStartButtons();
    void abandonRun();

    views::Dialogs& m_dialogs;
    StartupHooks m_hooks;
    widgets::ImageList m_ImageList1;
    widgets::ImageList m_ImageList2;

    // Tarea, PaginaActiva, FTPTIPO, FTPMODO and SizeTest.
    ftp::RunState m_run{0, 0, 0, 0, 0};
    catalogue::ServerTable m_Servidor;
    bool m_terminationRequested = false;

    Operation m_operation = Operation::None;
    bool m_closePending = false;
    bool m_abortable = false; // a close ends the running operation from its pump
    platform::PumpHook m_previousPump;

    // The client outlives the session that observes it and the importer.
    ftp::FTPClient m_FTPClient;
    ftp::SpeedState m_speed;
    std::unique_ptr<LogAdapter> m_memoLog;
    std::unique_ptr<ProgressAdapter> m_progress;
    std::unique_ptr<ftp::FtpSession> m_session;
    std::unique_ptr<PermissionsAdapter> m_permissionsView;
    std::unique_ptr<SpeedAdapter> m_speedView;
    std::unique_ptr<ConnectivityAdapter> m_connectivityView;
    std::unique_ptr<LinksAdapter> m_linksView;
    std::unique_ptr<catalogue::PortalImport> m_portalImport;
    std::unique_ptr<TaskListAdapter> m_tareasPuertos;
    netdiag::PortTestOptions m_portTestOptions;
    std::unique_ptr<netdiag::PortTester> m_TCPClient1; // the port test and its client
    QTimer* m_Timer1 = nullptr;

    widgets::NavBar* m_NavBar1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QStackedWidget* m_PageControl1 = nullptr;
    pages::StartPage m_startPage;
    pages::OptionsPage m_optionsPage;
    pages::PermissionsPage m_permissionsPage;
    pages::SpeedPage m_speedPage;
    pages::ConnectivityPage m_connectivityPage;
    pages::PersonalConfigPage m_configPersonal;
    pages::ProcessesPage m_processesPage;
    pages::PortsPage m_portsPage;
};

} // namespace pordane::app
