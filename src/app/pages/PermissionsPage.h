// TabTestPermisos: result list, transfer gauge, task list and log of the
// permissions test.
#pragma once

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace pordane::widgets {
class ImageList;
class TaskList;
} // namespace pordane::widgets

namespace pordane::app::pages {

// Columns of ListaServidores.
enum PermisosColumn : int { ColServidor = 0, ColEstado, ColE, ColL, ColR, ColD, ColB, ColNum };

struct PermissionsPage {
    QWidget* TabTestPermisos = nullptr;
    QWidget* PanelTituloPermisos = nullptr;
    QTreeWidget* ListaServidores = nullptr;
    QLabel* LabelTareaActual = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BotonCancelarFTP = nullptr;
    widgets::TaskList* Tareas = nullptr;
    QLabel* LabelDetalles = nullptr;
    QPlainTextEdit* MemoLog = nullptr;
};

PermissionsPage buildPermissionsPage(QWidget* parent, const widgets::ImageList& imageList1);

} // namespace pordane::app::pages
