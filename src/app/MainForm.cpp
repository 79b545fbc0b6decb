// Main window: frame, pages, navigation and the start-up and close handlers;
// the test logic lives in its own modules.
#include "app/MainForm.h"

#include "app/ViewAdapters.h"
#include "ftp/SpeedState.h"
#include "ftptests/ConnectivityRun.h"
#include "ftptests/PermissionsRun.h"
#include "ftptests/PrepararTest.h"
#include "ftptests/SpeedRun.h"
#include "netdiag/ProcessList.h"
#include "views/Dialogs.h"
#include "widgets/NavBar.h"
#include "widgets/PordaneStyle.h"
#include "widgets/Scope.h"
#include "widgets/TaskList.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include <filesystem>
#include <system_error>

namespace pordane::app {

namespace {
constexpr int ClientWidth = 653;
constexpr int ClientHeight = 391;
constexpr int StripWidth = 136;
constexpr int BytesPerMB = 1048576;

std::string text(const QLineEdit* edit)
{
    return edit->text().toStdString();
}
} // namespace

class TMainForm::OperationScope {
public:
    OperationScope(TMainForm& form, Operation op) : m_form(form), m_started(form.beginOperation(op)) {}
    ~OperationScope()
    {
        if (m_started)
            m_form.endOperation();
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
    bool started() const { return m_started; }

private:
    TMainForm& m_form;
    bool m_started;
};

const char* const TMainForm::TableFullMessage =
    "No se pueden añadir más servidores: la lista admite un máximo de 20.";

TMainForm::TMainForm(views::Dialogs& dialogs, StartupHooks hooks, QWidget* parent)
    : QWidget(parent),
      m_dialogs(dialogs),
      m_hooks(std::move(hooks)),
      m_ImageList1(widgets::makeImageList1()),
      m_ImageList2(widgets::makeImageList2())
{
    buildFrame();
    buildNavBar();
    buildModules();
    connectControls();
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The session detaches from the client before the client goes.
    m_session.reset();
    m_portalImport.reset();
    if (m_operation != Operation::None)
        platform::setPumpHook(std::move(m_previousPump));
}

void TMainForm::buildModules()
{
    m_Timer1 = new QTimer(this);
    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(100);

    m_memoLog = std::make_unique<LogAdapter>(*m_permissionsPage.MemoLog);
    m_progress = std::make_unique<ProgressAdapter>(m_permissionsPage, m_speedPage);
    ftp::FtpSession::Context context;
    context.PaginaActiva = [this] { return m_run.PaginaActiva; };
    context.SizeTest = [this] { return m_run.SizeTest; };
    m_session = std::make_unique<ftp::FtpSession>(m_FTPClient, *m_memoLog, m_dialogs, *m_progress, m_speed,
                                                  std::move(context));
    m_permissionsView = std::make_unique<PermissionsAdapter>(m_permissionsPage, m_ImageList1,
                                                       [this] { showPage(m_permissionsPage.TabTestPermisos); });
    m_speedView = std::make_unique<SpeedAdapter>(m_speedPage, m_ImageList1, *m_Timer1,
                                                         [this] { showPage(m_speedPage.TabTestSpeed); });
    m_connectivityView = std::make_unique<ConnectivityAdapter>(m_connectivityPage, m_ImageList1,
                                                               [this] { showPage(m_connectivityPage.TabTestConexion); });
    m_linksView = std::make_unique<LinksAdapter>(
        *m_configPersonal.LabelNumEnlaces, [this](const std::vector<std::string>& names) { rebuildCheckList(names); });
    if (m_hooks.importOptions)
        m_portalImport = std::make_unique<catalogue::PortalImport>(
            m_FTPClient, m_Servidor, [this] { return personalFields(); }, m_dialogs, *m_linksView,
            *m_hooks.importOptions);

    m_tareasPuertos = std::make_unique<TaskListAdapter>(*m_portsPage.TareasPuertos, *m_portsPage.TabPuertos);
    m_TCPClient1 = std::make_unique<netdiag::PortTester>(*m_tareasPuertos, m_portTestOptions);
}

void TMainForm::setPortTestOptions(netdiag::PortTestOptions options)
{
    if (m_operation == Operation::PortTest)
        throw std::logic_error("the port test is running");
    m_portTestOptions = std::move(options);
    m_TCPClient1 = std::make_unique<netdiag::PortTester>(*m_tareasPuertos, m_portTestOptions);
}

void TMainForm::buildFrame()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(widgets::pordaneFont());
    setFixedSize(ClientWidth, ClientHeight);
    widgets::centreOnScreen(*this);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("PanelNavigation"));
    strip->setGeometry(0, 0, StripWidth, ClientHeight);
    strip->setAttribute(Qt::WA_StyledBackground, true);
    strip->setStyleSheet(QStringLiteral("#PanelNavigation { background: #5a6b80; }"));

    m_NavBar1 = new widgets::NavBar(QStringLiteral("NavBar1"), strip);
    m_NavBar1->setGeometry(0, 0, StripWidth, ClientHeight - 36);
    m_Button2 = new QPushButton(QStringLiteral("Salir"), strip);
    m_Button2->setObjectName(QStringLiteral("Button2"));
    m_Button2->setGeometry(8, ClientHeight - 31, StripWidth - 16, 25);

    m_PageControl1 = new QStackedWidget(this);
    m_PageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_PageControl1->setGeometry(StripWidth, 0, ClientWidth - StripWidth, ClientHeight);

    m_startPage = pages::buildStartPage(m_PageControl1);
    m_optionsPage = pages::buildOptionsPage(m_PageControl1);
    m_permissionsPage = pages::buildPermissionsPage(m_PageControl1, m_ImageList1);
    m_speedPage = pages::buildSpeedPage(m_PageControl1);
    m_connectivityPage = pages::buildConnectivityPage(m_PageControl1);
    m_configPersonal = pages::buildPersonalConfigPage(m_PageControl1);
    m_processesPage = pages::buildProcessesPage(m_PageControl1);
    m_portsPage = pages::buildPortsPage(m_PageControl1, m_ImageList1);
    for (QWidget* page : {m_startPage.TabInicio, m_optionsPage.TabOpciones, m_permissionsPage.TabTestPermisos,
                          m_speedPage.TabTestSpeed, m_connectivityPage.TabTestConexion, m_configPersonal.TabConfigPersonal,
                          m_processesPage.TabProcesosPuertos, m_portsPage.TabPuertos})
        m_PageControl1->addWidget(page);
}

void TMainForm::buildNavBar()
{
    widgets::NavBar& bar = *m_NavBar1;
    const int testFtp = bar.addGroup(QStringLiteral("Test FTP"));
    const int others = bar.addGroup(QStringLiteral("Otros Test"));
    const int config = bar.addGroup(QStringLiteral("Configuración"));
    const auto add = [&](int group, const char* caption, int icon, void (TMainForm::*handler)()) {
        QToolButton* b = bar.addButton(group, QString::fromUtf8(caption), m_ImageList2.icon(icon));
        if (handler)
            connect(b, &QToolButton::clicked, this, handler);
    };
    add(testFtp, "Velocidad", 0, &TMainForm::BotonTestSpeedClick);
    add(testFtp, "Permisos", 1, &TMainForm::BotonTestFTPClick);
    add(testFtp, "Conectividad", 2, &TMainForm::BotonTestConectividadClick);
    add(others, "Puertos Abiertos", 0, &TMainForm::NavBar1Pages1Buttons0Click);
    add(others, "Lista Procesos", 3, &TMainForm::NavBar1Pages1Buttons1Click);
    add(config, "General", 3, nullptr);
    add(config, "FTP Personal", 3, &TMainForm::NavBar1Pages2Buttons1Click);
}

void TMainForm::connectControls()
{
    connect(m_Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(m_optionsPage.TrackBarSizeTest, &QSlider::valueChanged, this, &TMainForm::TrackBarSizeTestChange);
    connect(m_optionsPage.RadioActiveMode, &QRadioButton::toggled, this,
            [this](bool active) { m_run.FTPMODO = active ? 1 : 2; });
    connect(m_optionsPage.BotonIniciarTest, &QPushButton::clicked, this, &TMainForm::BotonIniciarTestClick);
    connect(m_permissionsPage.BotonCancelarFTP, &QPushButton::clicked, this, &TMainForm::BotonCancelarFTPClick);
    connect(m_portsPage.BotonTestPuertos, &QPushButton::clicked, this, &TMainForm::BotonTestPuertosClick);
    connect(m_Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(m_processesPage.BotonProcesosRefrescar, &QPushButton::clicked, this, &TMainForm::BotonProcesosRefrescarClick);
    connect(m_configPersonal.BotonAplicarServidores, &QPushButton::clicked, this,
            &TMainForm::BotonAplicarServidoresClick);
    connect(m_configPersonal.BotonObtenerEnlaces, &QPushButton::clicked, this, &TMainForm::BotonObtenerEnlacesClick);
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Pordane 4.5"));
    if (m_hooks.updateCheck && m_hooks.updateCheck())
        m_terminationRequested = true;
    m_run.SizeTest = m_optionsPage.TrackBarSizeTest->value() * BytesPerMB;
    m_optionsPage.TrackBarSizeTest->setValue(3);
    m_optionsPage.LabelSizeTest->setText(QString::number(m_optionsPage.TrackBarSizeTest->value()) + QStringLiteral(" MB"));
    showPage(m_startPage.TabInicio);
    m_NavBar1->openGroup(0);
    m_Servidor.setNumServidores(3);
    SetServidores();
    if (m_hooks.environmentDiscovery)
        m_hooks.environmentDiscovery();
    showPage(m_startPage.TabInicio);
    m_run.FTPTIPO = 1;
    m_run.FTPMODO = 2;
    m_optionsPage.RadioPassiveMode->setChecked(true);
}

void TMainForm::AfterCreate()
{
    ObtenerEnlacesWeb();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_operation != Operation::None) {
        // The operation is still on the call stack below this event: it must
        // unwind before the window may go. It closes the window when it ends.
        // A run or an import stops at its next turn of the pump (every wait
        // turns it several times a second, a transfer after every block).
        m_closePending = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::beginOperation(Operation op)
{
    if (m_operation != Operation::None || m_closePending)
        return false;
    m_operation = op;
    updateStartButtons();
    // A wrapper round the installed pump: after the window's turn, a close
    // asked for meanwhile ends the run from where it waits.
    m_previousPump = platform::setPumpHook({});
    platform::setPumpHook([this, previous = m_previousPump] {
        if (previous)
            previous();
        else
            QCoreApplication::processEvents();
        if (m_closePending && m_abortable)
            throw ftp::RunStopped{};
    });
    return true;
}

void TMainForm::endOperation()
{
    platform::setPumpHook(std::move(m_previousPump));
    m_previousPump = {};
    m_abortable = false;
    m_operation = Operation::None;
    updateStartButtons();
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void TMainForm::updateStartButtons()
{
    const bool idle = m_operation == Operation::None;
    // BotonIniciarTest and BotonTestPuertos are also disabled by their own
    // handlers for the length of their run; this covers the other operations.
    m_optionsPage.BotonIniciarTest->setEnabled(idle);
    m_portsPage.BotonTestPuertos->setEnabled(idle);
    m_configPersonal.BotonObtenerEnlaces->setEnabled(idle);
    // The import rewrites the server table that "Aplicar" writes too.
    m_configPersonal.BotonAplicarServidores->setEnabled(m_operation != Operation::Import);
}

void TMainForm::FormClose()
{
    // The speed-test file "speedmeter.txt" is left in place on purpose.
    for (const char* name : {"test.mdb", "test.jpg", "test.txt"}) {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::current_path(ignored) / name, ignored);
    }
}

void TMainForm::Button2Click()
{
    close();
}

void TMainForm::showPage(QWidget* page)
{
    m_PageControl1->setCurrentWidget(page);
}

void TMainForm::chooseTest(int page, const QString& label)
{
    m_run.PaginaActiva = page;
    m_optionsPage.LabelTestRealizar->setText(label);
    showPage(m_optionsPage.TabOpciones);
}

void TMainForm::BotonTestSpeedClick()
{
    chooseTest(2, QStringLiteral("Test de Velocidad"));
}

void TMainForm::BotonTestFTPClick()
{
    chooseTest(3, QStringLiteral("Test de Permisos FTP"));
}

void TMainForm::BotonTestConectividadClick()
{
    chooseTest(5, QStringLiteral("Test de Conectividad"));
}

void TMainForm::NavBar1Pages1Buttons0Click()
{
    m_run.PaginaActiva = 1;
    showPage(m_portsPage.TabPuertos);
}

void TMainForm::NavBar1Pages1Buttons1Click()
{
    showPage(m_processesPage.TabProcesosPuertos);
    m_run.PaginaActiva = 12;
    ShowProcesesPorts();
}

void TMainForm::NavBar1Pages2Buttons1Click()
{
    m_run.PaginaActiva = 11;
    showPage(m_configPersonal.TabConfigPersonal);
}

void TMainForm::BotonProcesosRefrescarClick()
{
    ShowProcesesPorts();
}

void TMainForm::ShowProcesesPorts()
{
    m_processesPage.MemoProcesos->setPlainText(QString::fromStdString(netdiag::ShowProcesesPorts()));
}

void TMainForm::BotonObtenerEnlacesClick()
{
    ObtenerEnlacesWeb();
}

void TMainForm::ObtenerEnlacesWeb()
{
    if (!m_hooks.portalImport && !m_portalImport)
        return;
    const OperationScope scope(*this, Operation::Import);
    if (!scope.started())
        return;
    m_abortable = true;
    try {
        if (m_hooks.portalImport)
            m_hooks.portalImport();
        else
            m_portalImport->ObtenerEnlacesWeb();
    } catch (const ftp::RunStopped&) {
        abandonRun();
    }
}

void TMainForm::abandonRun()
{
    // The stop came in the middle of a conversation: the connection is
    // dropped without another command. The scope closes the window.
    m_FTPClient.Abandon();
}

catalogue::PersonalFields TMainForm::personalFields() const
{
    const pages::PersonalConfigPage& c = m_configPersonal;
    return {text(c.EditNombreConexion), text(c.EditHost), text(c.EditRemoto), text(c.EditUser), text(c.EditPass)};
}

void TMainForm::BotonTestPuertosClick()
{
    const OperationScope scope(*this, Operation::PortTest);
    if (!scope.started())
        return;
    m_portsPage.BotonTestPuertos->setEnabled(false);
    m_abortable = true;
    try {
        m_TCPClient1->TestConnectionPorts();
    } catch (const ftp::RunStopped&) {
        // The window is closing; the scope closes it once we are out.
    }
    // Enabled again by the scope, also when the run ends with an error.
}

void TMainForm::BotonIniciarTestClick()
{
    const OperationScope scope(*this, Operation::FtpTest);
    if (!scope.started())
        return;
    m_optionsPage.BotonIniciarTest->setEnabled(false);
    // The file writers treat any error as a write failure, so the run becomes
    // abortable only after them.
    PrepararTest();
    if (m_closePending)
        return;
    m_abortable = true;
    try {
        switch (m_run.PaginaActiva) {
        case ftp::page::Speed:
            DoTestVelocidad();
            break;
        case ftp::page::Permissions:
            DoTestPermisos();
            break;
        case ftp::page::Connectivity:
            DoTestConectividad();
            break;
        default:
            break;
        }
    } catch (const ftp::RunStopped&) {
        abandonRun();
    }
    // Any other error goes on to the application's default handler; the
    // scope has enabled the button again by then.
}

void TMainForm::PrepararTest()
{
    PrepareAdapter view(*m_optionsPage.PanelPrepararTest, *m_optionsPage.GaugePrepararTest);
    ftptests::PrepararTest(view, m_dialogs, m_run.SizeTest);
}

std::vector<ftptests::MarkedLine> TMainForm::markedLines() const
{
    std::vector<ftptests::MarkedLine> out;
    const QListWidget* list = m_optionsPage.CheckListServidores;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            out.push_back({i, list->item(i)->text().toStdString()});
    return out;
}

void TMainForm::DoTestVelocidad()
{
    ftptests::FtpTestContext ctx{*m_session, m_dialogs, m_run, m_Servidor};
    ftptests::DoTestVelocidad(ctx, *m_speedView, markedLines());
}

void TMainForm::DoTestPermisos()
{
    ftptests::FtpTestContext ctx{*m_session, m_dialogs, m_run, m_Servidor};
    ftptests::DoTestPermisos(ctx, *m_permissionsView, markedLines());
}

void TMainForm::DoTestConectividad()
{
    ftptests::FtpTestContext ctx{*m_session, m_dialogs, m_run, m_Servidor};
    ftptests::DoTestConectividad(ctx, *m_connectivityView, markedLines());
}

void TMainForm::BotonCancelarFTPClick()
{
    m_session->BotonCancelarFTPClick();
}

void TMainForm::Timer1Timer()
{
    const std::int64_t kbs = ftp::roundHalfEven(m_speed.VelocidadKBs);
    m_progress->addScopeSample(kbs);
}

void TMainForm::BotonAplicarServidoresClick()
{
    SetServidores();
}

void TMainForm::SetServidores()
{
    const bool added = m_Servidor.SetServidores(personalFields());
    rebuildCheckList(m_Servidor.names());
    // Tell the user after the list is rebuilt, so the box shows over a consistent window.
    if (!added)
        m_dialogs.showMessage(TableFullMessage);
}

void TMainForm::rebuildCheckList(const std::vector<std::string>& names)
{
    QListWidget* list = m_optionsPage.CheckListServidores;
    list->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TMainForm::TrackBarSizeTestChange()
{
    const int position = m_optionsPage.TrackBarSizeTest->value();
    m_run.SizeTest = position * BytesPerMB;
    m_optionsPage.LabelSizeTest->setText(QString::number(position) + QStringLiteral(" MB"));
}

} // namespace pordane::app
