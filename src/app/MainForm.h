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
#include "catalogue/ServerTable.h"
#include "widgets/ImageList.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QPushButton;
class QStackedWidget;

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
    // Portal connections import: run by AfterCreate and by "Obtener Datos Enlaces".
    std::function<void()> portalImport;
};

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Text shown when "Aplicar" would add a 21st server.
    static const char* const MensajeTablaLlena;

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

    void ShowProcesesPorts();
    void SetServidores();

    // Run state.
    int Tarea() const { return m_Tarea; }
    int PaginaActiva() const { return m_PaginaActiva; }
    std::uint8_t FTPTIPO() const { return m_FTPTIPO; }
    std::uint8_t FTPMODO() const { return m_FTPMODO; }
    int SizeTest() const { return m_SizeTest; }
    catalogue::ServerTable& Servidor() { return m_Servidor; }
    const catalogue::ServerTable& Servidor() const { return m_Servidor; }

    // True when the update check asked the program to end.
    bool terminationRequested() const { return m_terminationRequested; }

    views::Dialogs& dialogs() { return m_dialogs; }
    const widgets::ImageList& ImageList1() const { return m_ImageList1; }
    const widgets::ImageList& ImageList2() const { return m_ImageList2; }
    widgets::NavBar* NavBar1() const { return m_NavBar1; }
    QStackedWidget* PageControl1() const { return m_PageControl1; }

    const pages::StartPage& inicio() const { return m_inicio; }
    const pages::OptionsPage& opciones() const { return m_opciones; }
    const pages::PermissionsPage& permisos() const { return m_permisos; }
    const pages::SpeedPage& velocidad() const { return m_velocidad; }
    const pages::ConnectivityPage& conectividad() const { return m_conectividad; }
    const pages::PersonalConfigPage& configPersonal() const { return m_configPersonal; }
    const pages::ProcessesPage& procesos() const { return m_procesos; }
    const pages::PortsPage& puertos() const { return m_puertos; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildFrame();
    void buildNavBar();
    void connectControls();
    void chooseTest(int pagina, const QString& label);
    void showPage(QWidget* page);

    views::Dialogs& m_dialogs;
    StartupHooks m_hooks;
    widgets::ImageList m_ImageList1;
    widgets::ImageList m_ImageList2;

    std::int32_t m_Tarea = 0;
    std::int32_t m_PaginaActiva = 0;
    std::uint8_t m_FTPTIPO = 0;
    std::uint8_t m_FTPMODO = 0;
    catalogue::ServerTable m_Servidor;
    std::int32_t m_SizeTest = 0;
    bool m_terminationRequested = false;

    widgets::NavBar* m_NavBar1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QStackedWidget* m_PageControl1 = nullptr;
    pages::StartPage m_inicio;
    pages::OptionsPage m_opciones;
    pages::PermissionsPage m_permisos;
    pages::SpeedPage m_velocidad;
    pages::ConnectivityPage m_conectividad;
    pages::PersonalConfigPage m_configPersonal;
    pages::ProcessesPage m_procesos;
    pages::PortsPage m_puertos;
};

} // namespace pordane::app
