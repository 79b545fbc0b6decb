// Program entry: seeds the random generator, styles the application, creates
// the main window and runs the message loop. The command line is not read.
#include "app/MainForm.h"
#include "app/PordaneApplication.h"
#include "app/QtDialogs.h"
#include "app/Screenshots.h"
#include "platform/Pump.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    using namespace pordane;

    std::srand(static_cast<unsigned>(std::time(nullptr)));

    app::PordaneApplication application(argc, argv);
    app::prepareApplication();

    app::QtDialogs dialogs;
    application.setDialogs(&dialogs);
    platform::setPumpHook([] { QCoreApplication::processEvents(); });

    // The update check, the environment discovery and the portal import plug
    // in here as they arrive; until then creation skips those steps.
    app::StartupHooks hooks;

    app::TMainForm form(dialogs, hooks);
    form.AfterCreate();
    if (form.terminationRequested())
        return 0;

    form.show();
    const QByteArray screenshotDir = qgetenv("PORDANE_SCREENSHOT_DIR");
    if (!screenshotDir.isEmpty()) {
        QTimer::singleShot(0, &form, [&form, &screenshotDir] {
            if (!app::writeScreenshots(form, QString::fromLocal8Bit(screenshotDir)))
                std::fprintf(stderr, "pordane: could not write screenshots to %s\n", screenshotDir.constData());
            QCoreApplication::exit(0);
        });
    }
    const int rc = QApplication::exec();
    platform::setPumpHook({});
    return rc;
}
