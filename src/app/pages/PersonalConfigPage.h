// TabConfigPersonal: the personal FTP server fields and the portal import.
#pragma once

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pordane::app::pages {

struct PersonalConfigPage {
    QWidget* TabConfigPersonal = nullptr;
    QWidget* PanelTituloConfig = nullptr;
    QGroupBox* GroupFTPPersonal = nullptr;
    QLabel* LabelNombreConexion = nullptr;
    QLineEdit* EditNombreConexion = nullptr;
    QLabel* LabelHost = nullptr;
    QLineEdit* EditHost = nullptr;
    QLabel* LabelRemoto = nullptr;
    QLineEdit* EditRemoto = nullptr;
    QLabel* LabelUser = nullptr;
    QLineEdit* EditUser = nullptr;
    QLabel* LabelPass = nullptr;
    QLineEdit* EditPass = nullptr;
    QPushButton* BotonAplicarServidores = nullptr;
    QGroupBox* GroupEnlaces = nullptr;
    QPushButton* BotonObtenerEnlaces = nullptr;
    QLabel* LabelConexionesDisponibles = nullptr;
    QLabel* LabelNumEnlaces = nullptr;
};

PersonalConfigPage buildPersonalConfigPage(QWidget* parent);

} // namespace pordane::app::pages
