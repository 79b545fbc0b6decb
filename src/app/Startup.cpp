#include "app/Startup.h"

#include "app/PordaneApplication.h"
#include "app/UpdateForm.h"

#include "catalogue/HostDiscovery.h"
#include "platform/HostEnvironment.h"
#include "platform/base/Pump.h"

#include <QTimer>

namespace pordane::app {

void discoverEnvironment(views::Dialogs& dialogs)
{
    const std::unique_ptr<platform::HostEnvironment> host = platform::openHostEnvironment();
    catalogue::HostDiscovery environment(*host);
    environment.PrepararEntorno(dialogs, true);
}

StartupHooks defaultStartupHooks(views::Dialogs& dialogs)
{
    StartupHooks hooks;
    hooks.environmentDiscovery = [&dialogs] { discoverEnvironment(dialogs); };
    hooks.importOptions = catalogue::PortalImport::Options();
    return hooks;
}

int runWindow(const WindowRun& run)
{
    if (auto* application = qobject_cast<PordaneApplication*>(QCoreApplication::instance()))
        application->setDialogs(run.dialogs);
    const platform::ScopedPumpHook pump([] { QCoreApplication::processEvents(); });

    // The update check runs from the window's creation, before it is shown.
    UpdateCheckSetup updateSetup;
    updateSetup.dialogs = run.updateDialogs;
    updateSetup.onWindowShown = run.onUpdateWindowShown;
    StartupHooks hooks = defaultStartupHooks(*run.dialogs);
    hooks.updateCheck = [&updateSetup] { return ComprobarActualizacionAtStartup(updateSetup); };

    TMainForm form(*run.dialogs, hooks);
    form.AfterCreate();
    if (form.terminationRequested())
        return 0;

    form.show();
    int status = 0;
    if (run.afterShown) {
        QTimer::singleShot(0, &form, [&] {
            status = run.afterShown(form);
            QCoreApplication::exit(status);
        });
    }
    const int loop = QApplication::exec();
    return run.afterShown ? status : loop;
}

} // namespace pordane::app
