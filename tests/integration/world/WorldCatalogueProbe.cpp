// world_catalogue_probe: what the program's own discovery and database code
// make of the local world (run inside it, WINEPREFIX set). Prints
//   message <text>                       one per message box of the start-up check
//   instalacion <folder>                 or "instalacion -" when none is found
//   dataPath <CarpetaDatos>
//   row <name>|<host>|<user>|<pass>|<folder>|<code>   one per table row
// or, with "desencriptar FILE", the four descrambled lines of a 1000.ini.
#include "catalogue/ConnectionSource.h"
#include "catalogue/Desencriptar.h"
#include "catalogue/HostDiscovery.h"
#include "catalogue/MdbConnectionSource.h"
#include "pordane/BuildConfig.h"

#include <fstream>
#include <iostream>
#include <string>

using namespace pordane;

namespace {

class PrintingDialogs : public views::Dialogs {
public:
    void showMessage(const std::string& text) override { std::cout << "mensaje " << text << '\n'; }
    bool askYesNo(const std::string& text) override
    {
        std::cout << "pregunta " << text << '\n';
        return false;
    }
};

int probeCatalogue()
{
    auto host = platform::openHostEnvironment();
    catalogue::HostDiscovery environment(*host);
    PrintingDialogs dialogs;
    environment.PrepararEntorno(dialogs, true);
    if (!environment.BuscarInstalacion(environment.CarpetaInstalacion)) {
        std::cout << "instalacion -\n";
        return 0;
    }
    std::cout << "instalacion " << environment.CarpetaInstalacion << '\n';
    std::string path;
    environment.LeerRutaDatos(environment.CarpetaInstalacion, path);
    std::cout << "datos " << environment.CarpetaDatos << '\n';
    const auto database = host->nativePath(environment.CarpetaDatos + "\\" + catalogue::DatabaseName);
    if (!database) {
        std::cerr << "cannot map " << environment.CarpetaDatos << '\n';
        return 1;
    }
    catalogue::MdbConnectionSource source;
    for (const auto& row : source.readConnections(*database))
        std::cout << "fila " << row.NombreConexion << '|' << row.ftpRemoteAdress << '|' << row.ftpUserName << '|'
                  << row.ftpPassword << '|' << row.ftpRemoteDirectory << '|' << row.CodigoOperadorConexion << '\n';
    return 0;
}

int descramble(const char* file)
{
    std::ifstream in(file);
    std::string line;
    for (int i = 0; i < 4; ++i) {
        if (!std::getline(in, line)) {
            std::cerr << file << ": fewer than four lines\n";
            return 1;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::cout << catalogue::Desencriptar(line, config::FactorEncriptacion) << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 3 && std::string(argv[1]) == "desencriptar")
            return descramble(argv[2]);
        if (argc == 1)
            return probeCatalogue();
        std::cerr << "usage: world_catalogue_probe [desencriptar FILE]\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "world_catalogue_probe: " << e.what() << '\n';
        return 1;
    }
}
