// What the program entry hands the window at creation (the host environment
// discovery and the portal import, served from the real host), and the run of
// the window from its creation to the end of the message loop.
#pragma once

#include "app/MainForm.h"

#include <functional>

namespace pordane::views {
class Dialogs;
class UpdateDialogs;
}

namespace pordane::app {

// The start-up discovery: the host environment of this machine (on Linux the
// Wine prefix of WINEPREFIX), checked for an Access 2010 runtime; without one
// the message "No se ha encontrado Runtime de Access 2010" is shown once.
void discoverEnvironment(views::Dialogs& dialogs);

// The hooks the program runs with. `dialogs` must outlive the window.
StartupHooks defaultStartupHooks(views::Dialogs& dialogs);

class TFormUpdate;

// How a program runs the window. The program itself passes its Qt boxes; the
// demo passes boxes that wait for nobody and a script for the shown window.
struct WindowRun {
    views::Dialogs* dialogs = nullptr;             // the window's message boxes
    views::UpdateDialogs* updateDialogs = nullptr; // the start-up update run's
    std::function<void(TFormUpdate&)> onUpdateWindowShown;
    // Runs from the message loop once the window is shown; its result ends the
    // program. Empty: the loop runs until the window is closed.
    std::function<int(TMainForm&)> afterShown;
};

// Start steps from the pump hook on: the window is created (its creation runs
// the update check, which may end the program), shown, and the message loop
// runs. The application object must exist; returns the exit status.
int runWindow(const WindowRun& run);

} // namespace pordane::app
