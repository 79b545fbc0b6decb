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
enum PermissionsColumn : int { ColServer = 0, ColStatus, ColE, ColL, ColR, ColD, ColB, ColNum };

struct PermissionsPage {
    QWidget* TabTestPermisos = nullptr;
    QWidget* PanelPermissionsTitle = nullptr;
    QTreeWidget* ListaServidores = nullptr;
    QLabel* LabelCurrentTask = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BotonCancelarFTP = nullptr;
    widgets::TaskList* Tareas = nullptr;
    QLabel* LabelDetails = nullptr;
    QPlainTextEdit* MemoLog = nullptr;
};

PermissionsPage buildPermissionsPage(QWidget* parent, const widgets::ImageList& imageList1);

} // namespace pordane::app::pages
