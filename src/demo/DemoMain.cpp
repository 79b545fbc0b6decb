// pordane-demo: the program with a script instead of a user. Without an
// option it runs as the program does; --tour DIR drives every page and saves
// pictures of them, --screenshots DIR saves the start and options pages;
// --tour DIR also accepts what the start-up update run asks and photographs
// its window (the update tour of the run command). Never installed.
#include "app/CommandLine.h"
#include "app/PordaneApplication.h"
#include "app/QtDialogs.h"
#include "app/QtUpdateDialogs.h"
#include "app/Startup.h"
#include "demo/DemoDialogs.h"
#include "demo/Screenshots.h"
#include "demo/Tour.h"
#include "ftptests/GeneraID.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    using namespace pordane;

    enum class Mode { Interactive, Tour, Screenshots } mode = Mode::Interactive;
    QString dir;
    if (argc == 3 && (std::strcmp(argv[1], "--tour") == 0 || std::strcmp(argv[1], "--screenshots") == 0)) {
        mode = std::strcmp(argv[1], "--tour") == 0 ? Mode::Tour : Mode::Screenshots;
        dir = QString::fromLocal8Bit(argv[2]);
        argc = 1;
    } else if (const auto status = app::handleCommandLine(argc, argv, stdout, stderr)) {
        return *status;
    }

    ftptests::seedRandomGenerator();
    app::PordaneApplication application(argc, argv);
    app::prepareApplication();

    app::QtDialogs interactive;
    app::QtUpdateDialogs interactiveUpdate;
    demo::TourDialogs tourDialogs;
    demo::UnattendedDialogs unattended;
    demo::AcceptingUpdateDialogs accepting;

    app::WindowRun run;
    switch (mode) {
    case Mode::Interactive:
        run.dialogs = &interactive;
        run.updateDialogs = &interactiveUpdate;
        break;
    case Mode::Tour:
        run.dialogs = &tourDialogs;
        run.updateDialogs = &accepting;
        run.onUpdateWindowShown = [&dir](app::TFormUpdate& window) { demo::photographUpdateWindow(window, dir); };
        run.afterShown = [&](app::TMainForm& form) { return demo::runTour(form, tourDialogs, dir); };
        break;
    case Mode::Screenshots:
        run.dialogs = &unattended;
        run.updateDialogs = &accepting;
        run.afterShown = [&dir](app::TMainForm& form) {
            if (demo::writeScreenshots(form, dir))
                return 0;
            std::fprintf(stderr, "pordane-demo: could not write screenshots to %s\n", dir.toLocal8Bit().constData());
            return 1;
        };
        break;
    }
    return app::runWindow(run);
}
