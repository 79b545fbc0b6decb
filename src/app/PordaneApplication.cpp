#include "app/PordaneApplication.h"

#include "views/Dialogs.h"
#include "widgets/AppIcon.h"
#include "widgets/PordaneStyle.h"

#include <exception>

namespace pordane::app {

PordaneApplication::PordaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PordaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (m_dialogs)
            m_dialogs->showMessage(e.what());
    } catch (...) {
        if (m_dialogs)
            m_dialogs->showMessage("Error desconocido");
    }
    return false;
}

void prepareApplication()
{
    widgets::applyPordaneStyle();
    QApplication::setApplicationName(QStringLiteral("Pordane"));
    QApplication::setWindowIcon(widgets::applicationIcon());
    // Lets the desktop match the window to its installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tessalysis.pordane"));
}

} // namespace pordane::app
