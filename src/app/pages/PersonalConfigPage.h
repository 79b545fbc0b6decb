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
    QWidget* PanelConfigTitle = nullptr;
    QGroupBox* GroupFTPPersonal = nullptr;
    QLabel* LabelConnectionName = nullptr;
    QLineEdit* EditNombreConexion = nullptr;
    QLabel* LabelHost = nullptr;
    QLineEdit* EditHost = nullptr;
    QLabel* LabelRemote = nullptr;
    QLineEdit* EditRemoto = nullptr;
    QLabel* LabelUser = nullptr;
    QLineEdit* EditUser = nullptr;
    QLabel* LabelPass = nullptr;
    QLineEdit* EditPass = nullptr;
    QPushButton* BotonAplicarServidores = nullptr;
    QGroupBox* GroupLinks = nullptr;
    QPushButton* BotonObtenerEnlaces = nullptr;
    QLabel* LabelAvailableConnections = nullptr;
    QLabel* LabelNumEnlaces = nullptr;
};

PersonalConfigPage buildPersonalConfigPage(QWidget* parent);

} // namespace pordane::app::pages
