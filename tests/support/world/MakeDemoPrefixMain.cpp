// make_demo_prefix: writes the demo Wine prefix of the local world, a 64-bit
// prefix with a Talvane installation as its 32-bit installer leaves it.
//   make_demo_prefix DIR      (DIR must not exist yet)
// Prints the native path of the company data folder (RUTA\Empresas\Empre01),
// where the caller puts VTES_DAT.MDB.
#include "prefix/WinePrefixFixture.h"

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

using pordane::testsupport::WinePrefixFixture;
namespace fs = std::filesystem;

namespace {

// Talvane's data root: on a second drive and with accents, so that drive
// mapping and the Windows-1252 configuration file are both exercised.
constexpr const char* DataPath = "D:\\Datos Compañía";
constexpr const char* Installation = "C:\\Corvalix";

void writeTalvane(WinePrefixFixture& p)
{
    p.setWin64(true);
    p.addDrive('d');

    // A 32-bit installer on a 64-bit prefix writes below Wow6432Node.
    const std::string runTime = "Software\\Wow6432Node\\Corvalix\\Tessaly Soft Run Time 2.0";
    p.setRegString(runTime, "InstallDir", std::string(Installation) + "\\");
    p.setRegString(runTime, "RuntimeDir", std::string(Installation) + "\\Runtime\\");
    p.setRegString(runTime, "Version", "2.0.31");

    const std::string uninstall = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    p.setRegString(uninstall + "Corvalix", "DisplayName", "Talvane");
    p.setRegString(uninstall + "Corvalix", "DisplayVersion", "15.4.2");
    p.setRegString(uninstall + "Corvalix", "InstallDir", Installation);
    p.setRegString(uninstall + "Corvalix", "Publisher", "Corvalix Software");
    // Talvane ships the Access 2010 runtime; the probes skip its own entry.
    p.setRegString(uninstall + "{90140000-001C-0C0A-0000-0000000FF1CE}", "DisplayName",
                   "Microsoft Access Runtime 2010");
    p.setRegString(uninstall + "{90140000-001C-0C0A-0000-0000000FF1CE}", "DisplayVersion", "14.0.7015.1000");

    p.writeFile(std::string(Installation) + "\\Runtime\\VexorRuntime.exe", "MZ");
    p.writeFile(std::string(Installation) + "\\Talvane.exe", "MZ");
    p.writeConfigFile(std::string(Installation) + "\\Sistema\\Corvalix.config",
                      {{"EMPRESA", "Inmobiliaria Demostración"},
                       {"RUTA", DataPath},
                       {"IDIOMA", "es-ES"}});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_demo_prefix DIR\n";
        return 2;
    }
    try {
        const fs::path target = fs::absolute(argv[1]);
        if (fs::exists(target))
            throw std::runtime_error(target.string() + " already exists");
        const std::string dataPath = std::string(DataPath) + "\\Empresas\\Empre01";
        fs::path relativeData;
        {
            // The fixture builds in its own temporary folder and removes it
            // when it goes; the finished prefix is copied out first.
            WinePrefixFixture prefix;
            writeTalvane(prefix);
            relativeData = prefix.makeDirectory(dataPath).lexically_relative(prefix.path());
            fs::create_directories(target.parent_path());
            fs::copy(prefix.path(), target, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        }
        std::cout << fs::weakly_canonical(target / relativeData).string() << '\n';
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "make_demo_prefix: " << e.what() << '\n';
        return 1;
    }
}
