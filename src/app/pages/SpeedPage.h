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
enum SpeedColumn : int { SpeedColServer = 0, SpeedColNum, SpeedColStatus, SpeedColDownload, SpeedColUpload };

struct SpeedPage {
    QWidget* TabTestSpeed = nullptr;
    QWidget* PanelSpeedTitle = nullptr;
    QTreeWidget* ListaServidoresSpeed = nullptr;
    QLabel* LabelInfoSpeed = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    widgets::Scope* Scope1 = nullptr;
    widgets::SpeedMeter* SpeedMeter = nullptr;
    QLabel* LabelResults = nullptr;
    QLabel* LabelDownloadSpeed = nullptr;
    QLabel* LabelDownload = nullptr;
    QLabel* LabelUploadSpeed = nullptr;
    QLabel* LabelUpload = nullptr;
    QLabel* LabelDownloadTime = nullptr;
    QLabel* LabelTimeDownload = nullptr;
    QLabel* LabelUploadTime = nullptr;
    QLabel* LabelTimeUpload = nullptr;
};

SpeedPage buildSpeedPage(QWidget* parent);

} // namespace pordane::app::pages
