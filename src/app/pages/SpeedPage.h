// TabTestSpeed: result list, live gauges and the four result labels of the
// speed test.
#pragma once

class QLabel;
class QProgressBar;
class QTreeWidget;
class QWidget;

namespace pordane::widgets {
class Scope;
class SpeedMeter;
} // namespace pordane::widgets

namespace pordane::app::pages {

// Columns of ListaServidoresSpeed.
enum SpeedColumn : int { SpeedColServidor = 0, SpeedColNum, SpeedColEstado, SpeedColDescarga, SpeedColSubida };

struct SpeedPage {
    QWidget* TabTestSpeed = nullptr;
    QWidget* PanelTituloSpeed = nullptr;
    QTreeWidget* ListaServidoresSpeed = nullptr;
    QLabel* LabelInfoSpeed = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    widgets::Scope* Scope1 = nullptr;
    widgets::SpeedMeter* SpeedMeter = nullptr;
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
