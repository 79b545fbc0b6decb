// TabPuertos: the port reachability test page.
#pragma once

class QLabel;
class QPushButton;
class QWidget;

namespace pordane::widgets {
class ImageList;
class TaskList;
} // namespace pordane::widgets

namespace pordane::app::pages {

struct PortsPage {
    QWidget* TabPuertos = nullptr;
    QWidget* Panel9 = nullptr;
    QLabel* LabelCheckingPorts = nullptr;
    widgets::TaskList* TareasPuertos = nullptr;
    QPushButton* BotonTestPuertos = nullptr;
};

PortsPage buildPortsPage(QWidget* parent, const widgets::ImageList& imageList1);

} // namespace pordane::app::pages
