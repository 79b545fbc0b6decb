// TabTestConexion: result list and cycle figures of the connectivity test.
#pragma once

class QFrame;
class QLabel;
class QTreeWidget;
class QWidget;

namespace pordane::app::pages {

// Columns of ListaServidoresConectividad; ConColNum is a hidden cell that
// keeps the server's entry number.
enum ConectividadColumn : int { ConColServidor = 0, ConColEstado, ConColDescarga, ConColSubida, ConColNum };

struct ConnectivityPage {
    QWidget* TabTestConexion = nullptr;
    QWidget* PanelTituloConexion = nullptr;
    QTreeWidget* ListaServidoresConectividad = nullptr;
    QLabel* LabelInfoConectividad = nullptr;
    QFrame* PanelCiclos = nullptr;
    QLabel* LabelRealizadoTest = nullptr;
    QLabel* LabelInfoCiclo = nullptr;
    QLabel* LabelCorrectos = nullptr;
    QLabel* LabelCicloOk = nullptr;
    QLabel* LabelErrores = nullptr;
    QLabel* LabelCicloError = nullptr;
    // Stand-in for the circular busy indicator, which comes with its own control.
    QWidget* ProgressConectividad = nullptr;
};

ConnectivityPage buildConnectivityPage(QWidget* parent);

} // namespace pordane::app::pages
