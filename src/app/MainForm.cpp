// Main window: frame, pages, navigation and the start-up and close handlers;
// the test logic lives in its own modules.
#include "app/MainForm.h"

#include "views/Dialogs.h"
#include "widgets/NavBar.h"
#include "widgets/PordaneStyle.h"

#include <QCloseEvent>
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

const char* const TMainForm::MensajeTablaLlena =
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
    connectControls();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildFrame()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(widgets::pordaneFont());
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("PanelNavegacion"));
    strip->setGeometry(0, 0, StripWidth, ClientHeight);
    strip->setAttribute(Qt::WA_StyledBackground, true);
    strip->setStyleSheet(QStringLiteral("#PanelNavegacion { background: #5a6b80; }"));

    m_NavBar1 = new widgets::NavBar(QStringLiteral("NavBar1"), strip);
    m_NavBar1->setGeometry(0, 0, StripWidth, ClientHeight - 36);
    m_Button2 = new QPushButton(QStringLiteral("Salir"), strip);
    m_Button2->setObjectName(QStringLiteral("Button2"));
    m_Button2->setGeometry(8, ClientHeight - 31, StripWidth - 16, 25);

    m_PageControl1 = new QStackedWidget(this);
    m_PageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_PageControl1->setGeometry(StripWidth, 0, ClientWidth - StripWidth, ClientHeight);

    m_inicio = pages::buildStartPage(m_PageControl1);
    m_opciones = pages::buildOptionsPage(m_PageControl1);
    m_permisos = pages::buildPermissionsPage(m_PageControl1, m_ImageList1);
    m_velocidad = pages::buildSpeedPage(m_PageControl1);
    m_conectividad = pages::buildConnectivityPage(m_PageControl1);
    m_configPersonal = pages::buildPersonalConfigPage(m_PageControl1);
    m_procesos = pages::buildProcessesPage(m_PageControl1);
    m_puertos = pages::buildPortsPage(m_PageControl1, m_ImageList1);
    for (QWidget* page : {m_inicio.TabInicio, m_opciones.TabOpciones, m_permisos.TabTestPermisos,
                          m_velocidad.TabTestSpeed, m_conectividad.TabTestConexion, m_configPersonal.TabConfigPersonal,
                          m_procesos.TabProcesosPuertos, m_puertos.TabPuertos})
        m_PageControl1->addWidget(page);
}

void TMainForm::buildNavBar()
{
    widgets::NavBar& bar = *m_NavBar1;
    const int testFtp = bar.addGroup(QStringLiteral("Test FTP"));
    const int otros = bar.addGroup(QStringLiteral("Otros Test"));
    const int config = bar.addGroup(QStringLiteral("Configuración"));
    const auto add = [&](int group, const char* caption, int icon, void (TMainForm::*handler)()) {
        QToolButton* b = bar.addButton(group, QString::fromUtf8(caption), m_ImageList2.icon(icon));
        if (handler)
            connect(b, &QToolButton::clicked, this, handler);
    };
    add(testFtp, "Velocidad", 0, &TMainForm::BotonTestSpeedClick);
    add(testFtp, "Permisos", 1, &TMainForm::BotonTestFTPClick);
    add(testFtp, "Conectividad", 2, &TMainForm::BotonTestConectividadClick);
    add(otros, "Puertos Abiertos", 0, &TMainForm::NavBar1Pages1Buttons0Click);
    add(otros, "Lista Procesos", 3, &TMainForm::NavBar1Pages1Buttons1Click);
    add(config, "General", 3, nullptr);
    add(config, "FTP Personal", 3, &TMainForm::NavBar1Pages2Buttons1Click);
}

void TMainForm::connectControls()
{
    connect(m_Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(m_opciones.TrackBarSizeTest, &QSlider::valueChanged, this, &TMainForm::TrackBarSizeTestChange);
    connect(m_opciones.RadioModoActivo, &QRadioButton::toggled, this,
            [this](bool activo) { m_FTPMODO = activo ? 1 : 2; });
    connect(m_procesos.BotonProcesosRefrescar, &QPushButton::clicked, this, &TMainForm::BotonProcesosRefrescarClick);
    connect(m_configPersonal.BotonAplicarServidores, &QPushButton::clicked, this,
            &TMainForm::BotonAplicarServidoresClick);
    connect(m_configPersonal.BotonObtenerEnlaces, &QPushButton::clicked, this, &TMainForm::BotonObtenerEnlacesClick);
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Pordane 4.5"));
    if (m_hooks.updateCheck && m_hooks.updateCheck())
        m_terminationRequested = true;
    m_SizeTest = m_opciones.TrackBarSizeTest->value() * BytesPerMB;
    m_opciones.TrackBarSizeTest->setValue(3);
    m_opciones.LabelSizeTest->setText(QString::number(m_opciones.TrackBarSizeTest->value()) + QStringLiteral(" MB"));
    showPage(m_inicio.TabInicio);
    m_NavBar1->openGroup(0);
    m_Servidor.setNumServidores(3);
    SetServidores();
    if (m_hooks.environmentDiscovery)
        m_hooks.environmentDiscovery();
    showPage(m_inicio.TabInicio);
    m_FTPTIPO = 1;
    m_FTPMODO = 2;
    m_opciones.RadioModoPasivo->setChecked(true);
}

void TMainForm::AfterCreate()
{
    if (m_hooks.portalImport)
        m_hooks.portalImport();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
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

void TMainForm::chooseTest(int pagina, const QString& label)
{
    m_PaginaActiva = pagina;
    m_opciones.LabelTestRealizar->setText(label);
    showPage(m_opciones.TabOpciones);
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
    m_PaginaActiva = 1;
    showPage(m_puertos.TabPuertos);
}

void TMainForm::NavBar1Pages1Buttons1Click()
{
    showPage(m_procesos.TabProcesosPuertos);
    m_PaginaActiva = 12;
    ShowProcesesPorts();
}

void TMainForm::NavBar1Pages2Buttons1Click()
{
    m_PaginaActiva = 11;
    showPage(m_configPersonal.TabConfigPersonal);
}

void TMainForm::BotonProcesosRefrescarClick()
{
    ShowProcesesPorts();
}

void TMainForm::ShowProcesesPorts()
{
    // The listening-processes page has no behaviour yet; MemoProcesos keeps its content.
}

void TMainForm::BotonObtenerEnlacesClick()
{
    if (m_hooks.portalImport)
        m_hooks.portalImport();
}

void TMainForm::BotonAplicarServidoresClick()
{
    SetServidores();
}

void TMainForm::SetServidores()
{
    const pages::PersonalConfigPage& c = m_configPersonal;
    const catalogue::PersonalFields personal{text(c.EditNombreConexion), text(c.EditHost), text(c.EditRemoto),
                                             text(c.EditUser), text(c.EditPass)};
    const bool added = m_Servidor.SetServidores(personal);

    QListWidget* list = m_opciones.CheckListServidores;
    list->clear();
    for (const std::string& name : m_Servidor.names()) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Tell the user after the list is rebuilt, so the box shows over a consistent window.
    if (!added)
        m_dialogs.showMessage(MensajeTablaLlena);
}

void TMainForm::TrackBarSizeTestChange()
{
    const int position = m_opciones.TrackBarSizeTest->value();
    m_SizeTest = position * BytesPerMB;
    m_opciones.LabelSizeTest->setText(QString::number(position) + QStringLiteral(" MB"));
}

} // namespace pordane::app
