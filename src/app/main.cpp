// Program entry: answers --help and --version before anything graphical
// exists, then seeds the random generator, styles the application, creates
// the main window and runs the message loop.
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/PordaneApplication.h"
#include "app/QtDialogs.h"
#include "app/QtUpdateDialogs.h"
#include "app/Screenshots.h"
#include "app/Startup.h"
#include "app/Tour.h"
#include "app/UpdateForm.h"
#include "ftptests/GeneraID.h"
#include "platform/Pump.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace pordane;

    if (const auto status = app::handleCommandLine(argc, argv, stdout, stderr))
        return *status;

    ftptests::seedRandomGenerator();

    app::PordaneApplication application(argc, argv);
    app::prepareApplication();

    // Tour and screenshot runs are unattended: no modal box may wait for a click.
    const QString tourDir = app::tourDirectory();
    const QByteArray screenshotDir = qgetenv("PORDANE_SCREENSHOT_DIR");
    app::QtDialogs interactive;
    app::UnattendedDialogs unattended;
    app::TourDialogs tourDialogs;
    views::Dialogs* chosen = &interactive;
    if (!tourDir.isEmpty())
        chosen = &tourDialogs;
    else if (!screenshotDir.isEmpty())
        chosen = &unattended;
    views::Dialogs& dialogs = *chosen;
    application.setDialogs(&dialogs);
    platform::setPumpHook([] { QCoreApplication::processEvents(); });

    // The update check runs from the window's creation, before it is shown.
    // Unattended runs accept what the control file asks and photograph the
    // update window when it appears.
    app::QtUpdateDialogs updateDialogs;
    app::AcceptingUpdateDialogs acceptingUpdateDialogs;
    app::UpdateCheckSetup updateSetup;
    updateSetup.dialogs = chosen == &interactive ? static_cast<views::UpdateDialogs*>(&updateDialogs)
                                                 : &acceptingUpdateDialogs;
    if (!tourDir.isEmpty())
        updateSetup.onWindowShown = [&tourDir](app::TFormUpdate& window) { app::photographUpdateWindow(window, tourDir); };
    app::StartupHooks hooks = app::defaultStartupHooks(dialogs);
    hooks.updateCheck = [&updateSetup] { return app::ComprobarActualizacionAlInicio(updateSetup); };

    app::TMainForm form(dialogs, hooks);
    form.AfterCreate();
    if (form.terminationRequested())
        return 0;

    form.show();
    int tourStatus = 0;
    if (!tourDir.isEmpty()) {
        QTimer::singleShot(0, &form, [&] {
            tourStatus = app::runTour(form, tourDialogs, tourDir);
            QCoreApplication::exit(tourStatus);
        });
    } else if (!screenshotDir.isEmpty()) {
        QTimer::singleShot(0, &form, [&form, &screenshotDir] {
            if (!app::writeScreenshots(form, QString::fromLocal8Bit(screenshotDir)))
                std::fprintf(stderr, "pordane: could not write screenshots to %s\n", screenshotDir.constData());
            QCoreApplication::exit(0);
        });
    }
    const int rc = QApplication::exec();
    platform::setPumpHook({});
    return tourDir.isEmpty() ? rc : tourStatus;
}
