// The main window: pages, navigation, run state; handlers forward to the modules.
#pragma once

#include <QWidget>

namespace pordane::app {

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace pordane::app
