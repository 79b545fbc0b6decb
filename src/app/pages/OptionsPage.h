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
    QLabel* LabelTituloOpciones = nullptr;
    QLabel* LabelServidoresDisponibles = nullptr;
    QListWidget* CheckListServidores = nullptr;
    QGroupBox* RadioModoFTP = nullptr;
    QRadioButton* RadioModoActivo = nullptr;
    QRadioButton* RadioModoPasivo = nullptr;
    QGroupBox* GroupTamanoTest = nullptr;
    QLabel* LabelTamano = nullptr;
    QSlider* TrackBarSizeTest = nullptr;
    QLabel* LabelSizeTest = nullptr;
    QLabel* LabelTestARealizar = nullptr;
    QLabel* LabelTestRealizar = nullptr;
    QPushButton* BotonIniciarTest = nullptr;
    QWidget* PanelPrepararTest = nullptr;
    QLabel* LabelPreparandoTest = nullptr;
    QProgressBar* GaugePrepararTest = nullptr;
};

OptionsPage buildOptionsPage(QWidget* parent);

} // namespace pordane::app::pages
