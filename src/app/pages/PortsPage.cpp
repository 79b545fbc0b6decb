// Port test page contents; the line texts name the maker's domains from the
// build configuration.
#include "app/pages/PortsPage.h"

#include "app/pages/PageKit.h"
#include "pordane/BuildConfig.h"
#include "widgets/TaskList.h"

#include <QLabel>
#include <QPushButton>

namespace pordane::app::pages {

namespace {

QString portLine(const char* label, int port)
{
    return QStringLiteral("Test %1: Puerto %2").arg(QString::fromUtf8(label)).arg(port);
}

} // namespace

PortsPage buildPortsPage(QWidget* parent, const widgets::ImageList& imageList1)
{
    PortsPage p;
    p.TabPuertos = makePage(parent, QStringLiteral("TabPuertos"));
    QWidget* page = p.TabPuertos;
    p.Panel9 = makeHeaderStrip(page, QStringLiteral("Panel9"), QStringLiteral("Test de conexión de puertos:"));

    p.LabelCheckingPorts = makeLabel(page, QStringLiteral("LabelCheckingPorts"),
                                     QStringLiteral("Comprobando Conexión a Puertos:"), QRect(8, 36, 300, 16), true);

    p.TareasPuertos = new widgets::TaskList(imageList1, page);
    p.TareasPuertos->setObjectName(QStringLiteral("TareasPuertos"));
    p.TareasPuertos->setGeometry(8, 56, 320, 190);
    p.TareasPuertos->setLineSpacing(7);
    p.TareasPuertos->setLines({portLine(config::LabelTessalysis, 80), portLine(config::LabelTessalysis, 21),
                               portLine(config::LabelTessaly24, 80), portLine(config::LabelTessaly24, 21),
                               portLine(config::LabelMirel, 80), portLine(config::LabelMirel, 21),
                               QStringLiteral("Test Soporte Remoto: Puerto 5500"),
                               QStringLiteral("Test Soporte Remoto Beta: Puerto 80")});

    p.BotonTestPuertos =
        makeButton(page, QStringLiteral("BotonTestPuertos"), QStringLiteral("Iniciar Test"), QRect(8, 256, 110, 26));
    return p;
}

} // namespace pordane::app::pages
