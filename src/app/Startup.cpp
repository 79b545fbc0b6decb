#include "app/Startup.h"

#include "catalogue/Entorno.h"
#include "platform/HostEnvironment.h"

namespace pordane::app {

void discoverEnvironment(views::Dialogs& dialogs)
{
    const std::unique_ptr<platform::HostEnvironment> host = platform::openHostEnvironment();
    catalogue::Entorno entorno(*host);
    entorno.PrepararEntorno(dialogs, true);
}

StartupHooks defaultStartupHooks(views::Dialogs& dialogs)
{
    StartupHooks hooks;
    hooks.environmentDiscovery = [&dialogs] { discoverEnvironment(dialogs); };
    hooks.importador = catalogue::Importador::Opciones();
    return hooks;
}

} // namespace pordane::app
