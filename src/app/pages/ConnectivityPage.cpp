// Connectivity page contents.
#include "app/pages/ConnectivityPage.h"

#include "app/pages/PageKit.h"
#include "widgets/BusyIndicator.h"

#include <QFrame>
#include <QLabel>
#include <QTreeWidget>

namespace pordane::app::pages {

namespace {

QLabel* colouredValue(QWidget* parent, const QString& name, const QString& text, const QRect& r, const QColor& c)
{
    QLabel* l = makeLabel(parent, name, text, r, true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
    return l;
}

} // namespace

ConnectivityPage buildConnectivityPage(QWidget* parent)
{
    ConnectivityPage c;
    c.TabTestConexion = makePage(parent, QStringLiteral("TabTestConexion"));
    QWidget* page = c.TabTestConexion;
    c.PanelConnectionTitle = makeHeaderStrip(page, QStringLiteral("PanelConnectionTitle"),
                                             QStringLiteral("Comprobar Conectividad al FTP:"));

    c.ListaServidoresConectividad = makeReportList(page, QStringLiteral("ListaServidoresConectividad"),
                                                   {{QStringLiteral("Servidor"), 200},
                                                    {QStringLiteral("Estado"), 120},
                                                    {QStringLiteral("Descarga"), 90},
                                                    {QStringLiteral("Subida"), 90},
                                                    {QString(), 0}},
                                                   QRect(6, 32, PageWidth - 12, 200));

    c.LabelInfoConectividad = makeLabel(page, QStringLiteral("LabelInfoConectividad"),
                                        QStringLiteral("Realizando test..."), QRect(8, 240, PageWidth - 16, 16), true);
    c.LabelInfoConectividad->setAlignment(Qt::AlignCenter);

    c.PanelCycles = new QFrame(page);
    c.PanelCycles->setObjectName(QStringLiteral("PanelCycles"));
    c.PanelCycles->setFrameShape(QFrame::StyledPanel);
    c.PanelCycles->setFrameShadow(QFrame::Sunken);
    c.PanelCycles->setGeometry(8, 264, PageWidth - 16, 118);
    QWidget* box = c.PanelCycles;

    c.LabelTestDone = makeLabel(box, QStringLiteral("LabelTestDone"), QStringLiteral("Realizado test:"),
                                QRect(16, 18, 90, 16));
    c.LabelInfoCiclo =
        colouredValue(box, QStringLiteral("LabelInfoCiclo"), QStringLiteral("0/20"), QRect(110, 18, 80, 16), QColor(0, 0, 128));
    c.LabelPassed = makeLabel(box, QStringLiteral("LabelPassed"), QStringLiteral("Correctos:"), QRect(16, 48, 90, 16));
    c.LabelCicloOk =
        colouredValue(box, QStringLiteral("LabelCicloOk"), QStringLiteral("0"), QRect(110, 48, 80, 16), QColor(0, 128, 0));
    c.LabelErrors = makeLabel(box, QStringLiteral("LabelErrors"), QStringLiteral("Errores:"), QRect(16, 78, 90, 16));
    c.LabelCicloError =
        colouredValue(box, QStringLiteral("LabelCicloError"), QStringLiteral("0"), QRect(110, 78, 80, 16), QColor(255, 0, 0));

    c.ProgressConectividad = new widgets::BusyIndicator(box);
    c.ProgressConectividad->setObjectName(QStringLiteral("ProgressConectividad"));
    c.ProgressConectividad->setGeometry(box->width() - 16 - 80, 19, 80, 80);
    c.ProgressConectividad->setInterval(100);
    // Visible at design; it turns only while it is shown.
    c.ProgressConectividad->start();
    return c;
}

} // namespace pordane::app::pages
