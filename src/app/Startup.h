// What the program entry hands the window at creation: the host environment
// discovery and the portal import, served from the real host.
#pragma once

#include "app/MainForm.h"

namespace pordane::views {
class Dialogs;
}

namespace pordane::app {

// The start-up discovery: the host environment of this machine (on Linux the
// Wine prefix of WINEPREFIX), checked for an Access 2010 runtime; without one
// the message "No se ha encontrado Runtime de Access 2010" is shown once.
void discoverEnvironment(views::Dialogs& dialogs);

// The hooks the program runs with. `dialogs` must outlive the window.
StartupHooks defaultStartupHooks(views::Dialogs& dialogs);

} // namespace pordane::app
