// Program entry: answers --help and --version before anything graphical
// exists, then seeds the random generator, styles the application and runs
// the main window with the real message boxes.
#include "app/CommandLine.h"
#include "app/PordaneApplication.h"
#include "app/QtDialogs.h"
#include "app/QtUpdateDialogs.h"
#include "app/Startup.h"
#include "ftptests/GeneraID.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace pordane;

    if (const auto status = app::handleCommandLine(argc, argv, stdout, stderr))
        return *status;

    ftptests::seedRandomGenerator();

    app::PordaneApplication application(argc, argv);
    app::prepareApplication();

    app::QtDialogs dialogs;
    app::QtUpdateDialogs updateDialogs;
    app::WindowRun run;
    run.dialogs = &dialogs;
    run.updateDialogs = &updateDialogs;
    return app::runWindow(run);
}
