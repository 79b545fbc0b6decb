// "Configuración:" page contents.
#include "app/pages/PersonalConfigPage.h"

#include "app/pages/PageKit.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pordane::app::pages {

namespace {

// A caption with its edit box right under it.
QLineEdit* labelledEdit(QWidget* parent, QLabel*& label, const QString& labelName, const QString& caption,
                        const QString& editName, const QString& text, int x, int y)
{
    label = makeLabel(parent, labelName, caption, QRect(x, y, 220, 16));
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(editName);
    edit->setGeometry(x, y + 17, 220, 21);
    label->setBuddy(edit);
    return edit;
}

} // namespace

PersonalConfigPage buildPersonalConfigPage(QWidget* parent)
{
    PersonalConfigPage c;
    c.TabConfigPersonal = makePage(parent, QStringLiteral("TabConfigPersonal"));
    QWidget* page = c.TabConfigPersonal;
    c.PanelConfigTitle = makeHeaderStrip(page, QStringLiteral("PanelConfigTitle"), QStringLiteral("Configuración:"));

    c.GroupFTPPersonal = new QGroupBox(QStringLiteral("FTP Personalizado"), page);
    c.GroupFTPPersonal->setObjectName(QStringLiteral("GroupFTPPersonal"));
    c.GroupFTPPersonal->setGeometry(8, 34, PageWidth - 16, 176);
    QWidget* g = c.GroupFTPPersonal;
    c.EditNombreConexion = labelledEdit(g, c.LabelConnectionName, QStringLiteral("LabelConnectionName"),
                                        QStringLiteral("Nombre a mostrar"), QStringLiteral("EditNombreConexion"),
                                        QStringLiteral("Personal"), 14, 22);
    c.EditHost = labelledEdit(g, c.LabelHost, QStringLiteral("LabelHost"), QStringLiteral("Host"),
                              QStringLiteral("EditHost"), QString(), 14, 68);
    c.EditRemoto = labelledEdit(g, c.LabelRemote, QStringLiteral("LabelRemote"), QStringLiteral("Directorio Remoto"),
                                QStringLiteral("EditRemoto"), QString(), 14, 114);
    c.EditUser = labelledEdit(g, c.LabelUser, QStringLiteral("LabelUser"), QStringLiteral("Usuario"),
                              QStringLiteral("EditUser"), QString(), 262, 22);
    c.EditPass = labelledEdit(g, c.LabelPass, QStringLiteral("LabelPass"), QStringLiteral("Contraseña"),
                              QStringLiteral("EditPass"), QString(), 262, 68);
    c.EditPass->setEchoMode(QLineEdit::Normal); // typed characters stay visible
    c.BotonAplicarServidores =
        makeButton(g, QStringLiteral("BotonAplicarServidores"), QStringLiteral("Aplicar"), QRect(382, 130, 100, 26));

    c.GroupLinks = new QGroupBox(QStringLiteral("Enlaces o  Portales"), page);
    c.GroupLinks->setObjectName(QStringLiteral("GroupLinks"));
    c.GroupLinks->setGeometry(8, 220, PageWidth - 16, 76);
    QWidget* e = c.GroupLinks;
    c.BotonObtenerEnlaces = makeButton(e, QStringLiteral("BotonObtenerEnlaces"), QStringLiteral("Obtener Datos Enlaces"),
                                       QRect(14, 30, 160, 26));
    c.LabelAvailableConnections = makeLabel(e, QStringLiteral("LabelAvailableConnections"),
                                            QStringLiteral("Conexiones Disponibles:"), QRect(200, 35, 130, 16));
    c.LabelNumEnlaces = makeLabel(e, QStringLiteral("LabelNumEnlaces"), QStringLiteral("0"), QRect(332, 35, 150, 16), true);
    return c;
}

} // namespace pordane::app::pages
