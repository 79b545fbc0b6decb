// TabTestConexion: result list and cycle figures of the connectivity test.
#pragma once

class QFrame;
class QLabel;
class QTreeWidget;
class QWidget;

namespace pordane::widgets {
class BusyIndicator;
} // namespace pordane::widgets

namespace pordane::app::pages {

// Columns of ListaServidoresConectividad; ConColNum is a hidden cell that
// keeps the server's entry number.
enum ConnectivityColumn : int { ConColServer = 0, ConColStatus, ConColDownload, ConColUpload, ConColNum };

struct ConnectivityPage {
    QWidget* TabTestConexion = nullptr;
    QWidget* PanelConnectionTitle = nullptr;
    QTreeWidget* ListaServidoresConectividad = nullptr;
    QLabel* LabelInfoConectividad = nullptr;
    QFrame* PanelCycles = nullptr;
    QLabel* LabelTestDone = nullptr;
    QLabel* LabelInfoCiclo = nullptr;
    QLabel* LabelPassed = nullptr;
    QLabel* LabelCicloOk = nullptr;
    QLabel* LabelErrors = nullptr;
    QLabel* LabelCicloError = nullptr;
    widgets::BusyIndicator* ProgressConectividad = nullptr;
};

ConnectivityPage buildConnectivityPage(QWidget* parent);

} // namespace pordane::app::pages
