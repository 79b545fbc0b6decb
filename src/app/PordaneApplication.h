// The application object: an error that escapes an event handler is shown in
// a message box with its own text, and the program goes on.
#pragma once

#include <QApplication>

namespace pordane::views {
class Dialogs;
}

namespace pordane::app {

class PordaneApplication : public QApplication {
    Q_OBJECT
public:
    PordaneApplication(int& argc, char** argv);

    // Where escaped errors are reported; must outlive the event loop.
    void setDialogs(views::Dialogs* dialogs) { m_dialogs = dialogs; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    views::Dialogs* m_dialogs = nullptr;
};

// Start steps 2 and 3: the visual style "Pordane Clásico" with its palette and
// font, and the application title "Pordane"; the window icon.
void prepareApplication();

} // namespace pordane::app
