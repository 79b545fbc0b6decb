// Permissions page contents.
#include "app/pages/PermissionsPage.h"

#include "app/pages/PageKit.h"
#include "widgets/TaskList.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace pordane::app::pages {

PermissionsPage buildPermissionsPage(QWidget* parent, const widgets::ImageList& imageList1)
{
    PermissionsPage p;
    p.TabTestPermisos = makePage(parent, QStringLiteral("TabTestPermisos"));
    QWidget* page = p.TabTestPermisos;
    p.PanelPermissionsTitle = makeHeaderStrip(page, QStringLiteral("PanelPermissionsTitle"),
                                              QStringLiteral("Comprobar permisos de acceso al FTP:"));

    p.ListaServidores = makeReportList(page, QStringLiteral("ListaServidores"),
                                       {{QStringLiteral("Servidor"), 200},
                                        {QStringLiteral("Estado"), 120},
                                        {QStringLiteral("E"), 24},
                                        {QStringLiteral("L"), 24},
                                        {QStringLiteral("R"), 24},
                                        {QStringLiteral("D"), 24},
                                        {QStringLiteral("B"), 24},
                                        {QStringLiteral("Num"), 0}},
                                       QRect(8, 32, PageWidth - 16, 120));
    p.ListaServidores->setMouseTracking(true); // the design shows hints; the rows set no hint texts

    p.LabelCurrentTask = makeLabel(page, QStringLiteral("LabelCurrentTask"), QStringLiteral("Tarea actual:"),
                                   QRect(8, 162, 72, 16));
    p.ProgressBar1 = makeGauge(page, QStringLiteral("ProgressBar1"), QRect(82, 161, 318, 18), QColor(0xd0, 0x10, 0x10));
    p.BotonCancelarFTP =
        makeButton(page, QStringLiteral("BotonCancelarFTP"), QStringLiteral("Cancelar"), QRect(409, 157, 100, 26));
    p.BotonCancelarFTP->setEnabled(false);

    p.Tareas = new widgets::TaskList(imageList1, page);
    p.Tareas->setObjectName(QStringLiteral("Tareas"));
    p.Tareas->setGeometry(8, 192, 250, 190);
    p.Tareas->setLineSpacing(7);
    p.Tareas->setImageOffset(5);
    p.Tareas->setLines({QStringLiteral("Conectar con servidor ftp"), QStringLiteral("Subir archivos del servidor ftp"),
                        QStringLiteral("Descargar archivos al servidor ftp"),
                        QStringLiteral("Renombrar archivos del servidor ftp"),
                        QStringLiteral("Listar archivos del servidor ftp"),
                        QStringLiteral("Borrar archivos del servidor ftp")});

    p.LabelDetails = makeLabel(page, QStringLiteral("LabelDetails"), QStringLiteral("Detalles:"),
                               QRect(266, 192, 100, 16));
    p.MemoLog = new QPlainTextEdit(page);
    p.MemoLog->setObjectName(QStringLiteral("MemoLog"));
    p.MemoLog->setGeometry(266, 210, PageWidth - 266 - 8, PageHeight - 210 - 8);
    p.MemoLog->setReadOnly(true);
    p.MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return p;
}

} // namespace pordane::app::pages
