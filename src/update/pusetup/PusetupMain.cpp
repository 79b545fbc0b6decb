// pusetup: the restarter program (see Restarter.h).
#include "platform/base/WindowsCommandLine.h"
#include "platform/SpecialFolders.h"
#include "update/pusetup/Restarter.h"

#include <filesystem>

int main(int argc, char** argv)
{
    using namespace pordane;
    restarter::Setup setup;
    setup.arguments = platform::programArguments(argc, argv);
    std::error_code ec;
    setup.destination = std::filesystem::current_path(ec);
    setup.documents = platform::specialFolder(platform::SpecialFolder::Documents).value_or(setup.destination);
    return restarter::runRestarter(setup);
}
