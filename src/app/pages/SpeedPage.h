// TabTestSpeed: result list, live gauges and the four result labels of the
// speed test.
#pragma once

class QLabel;
class QProgressBar;
class QTreeWidget;
class QWidget;

namespace pordane::app::pages {

// Columns of ListaServidoresSpeed.
enum SpeedColumn : int { SpeedColServidor = 0, SpeedColNum, SpeedColEstado, SpeedColDescarga, SpeedColSubida };

struct SpeedPage {
    QWidget* TabTestSpeed = nullptr;
    QWidget* PanelTituloSpeed = nullptr;
    QTreeWidget* ListaServidoresSpeed = nullptr;
    QLabel* LabelInfoSpeed = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    // Stand-ins for the strip chart and the round gauge, which come with their
    // own controls; they keep the designer names and geometry.
    QWidget* Scope1 = nullptr;
    QWidget* SpeedMeter = nullptr;
    QLabel* LabelResultados = nullptr;
    QLabel* LabelVelocidadDescarga = nullptr;
    QLabel* LabelDownload = nullptr;
    QLabel* LabelVelocidadSubida = nullptr;
    QLabel* LabelUpload = nullptr;
    QLabel* LabelTiempoDescarga = nullptr;
    QLabel* LabelTimeDownload = nullptr;
    QLabel* LabelTiempoSubida = nullptr;
    QLabel* LabelTimeUpload = nullptr;
};

SpeedPage buildSpeedPage(QWidget* parent);

} // namespace pordane::app::pages
