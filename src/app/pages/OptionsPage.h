// TabOpciones: servers to test, FTP mode, size of the speed-test file and the
// start button of a run.
#pragma once

class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

namespace pordane::app::pages {

struct OptionsPage {
    QWidget* TabOpciones = nullptr;
    QLabel* LabelOptionsTitle = nullptr;
    QLabel* LabelAvailableServers = nullptr;
    QListWidget* CheckListServidores = nullptr;
    QGroupBox* RadioModoFTP = nullptr;
    QRadioButton* RadioActiveMode = nullptr;
    QRadioButton* RadioPassiveMode = nullptr;
    QGroupBox* GroupTestSize = nullptr;
    QLabel* LabelSize = nullptr;
    QSlider* TrackBarSizeTest = nullptr;
    QLabel* LabelSizeTest = nullptr;
    QLabel* LabelTestToRun = nullptr;
    QLabel* LabelTestRealizar = nullptr;
    QPushButton* BotonIniciarTest = nullptr;
    QWidget* PanelPrepararTest = nullptr;
    QLabel* LabelPreparingTest = nullptr;
    QProgressBar* GaugePrepararTest = nullptr;
};

OptionsPage buildOptionsPage(QWidget* parent);

} // namespace pordane::app::pages
