// TabProcesosPuertos: the listening-processes page.
#pragma once

class QHeaderView;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace pordane::app::pages {

struct ProcessesPage {
    QWidget* TabProcesosPuertos = nullptr;
    QWidget* PanelProcessesTitle = nullptr;
    QHeaderView* HeaderControl1 = nullptr;
    QPlainTextEdit* MemoProcesos = nullptr;
    QPushButton* BotonProcesosRefrescar = nullptr;
};

ProcessesPage buildProcessesPage(QWidget* parent);

} // namespace pordane::app::pages
