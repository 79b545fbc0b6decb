// Option parsing and the texts of --help and --version.
#include "app/CommandLine.h"

#include "platform/SpecialFolders.h"
#include "platform/base/VersionResource.h"
#include "pordane/BuildConfig.h"

#include <string_view>
#include <utility>

namespace pordane::app {

namespace {

CommandLine usageError(std::string reason)
{
    return {CommandLineAction::UsageError, std::move(reason)};
}

// "--help=x": the option exists but takes no value.
std::optional<std::string_view> optionWithValue(std::string_view arg)
{
    for (std::string_view name : {"--help", "--version"})
        if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
            return name;
    return std::nullopt;
}

bool writeAll(std::FILE* out, const std::string& text)
{
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    // A full disk or a closed pipe shows only when the buffer is flushed.
    return std::fflush(out) == 0 && written && !std::ferror(out);
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption)
            return usageError("argumento no esperado «" + std::string(arg) + "»");
        if (arg == "-h" || arg == "--help")
            return {CommandLineAction::ShowHelp, {}};
        if (arg == "-v" || arg == "--version")
            return {CommandLineAction::ShowVersion, {}};
        if (const auto name = optionWithValue(arg))
            return usageError("la opción «" + std::string(*name) + "» no admite ningún argumento");
        return usageError("opción no reconocida «" + std::string(arg) + "»");
    }
    return {};
}

std::string helpText()
{
    return "Uso: pordane [OPCIÓN]\n"
           "Comprueba si las cuentas FTP de una agencia que usa Talvane y los servidores\n"
           "del fabricante se pueden alcanzar y usar, y a qué velocidad: permisos,\n"
           "velocidad, conectividad y puertos, en una sola ventana.\n"
           "\n"
           "  -h, --help     muestra esta ayuda y termina\n"
           "  -v, --version  muestra la versión y la dirección de actualización, y termina\n"
           "\n"
           "Sin opciones abre la ventana del programa.\n"
           "\n"
           "Estado de salida: 0 si todo fue bien, 1 si no se pudo escribir la salida,\n"
           "2 si la línea de órdenes no es válida.\n";
}

std::string runningVersion()
{
    // The number the updater compares: the executable's own stamp, which a
    // replaced copy carries with it.
    const auto exe = platform::executablePath();
    const auto v = exe ? platform::readFileVersion(*exe) : std::nullopt;
    if (!v)
        return config::AppVersion;
    return std::to_string(v->ms >> 16) + "." + std::to_string(v->ms & 0xFFFF) + "." + std::to_string(v->ls >> 16) +
           "." + std::to_string(v->ls & 0xFFFF);
}

std::string versionText()
{
    return std::string("Pordane ") + runningVersion() + "\n" + "Dirección de actualización: " +
           config::UpdateControlFileURL + "\n";
}

std::optional<int> handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    const CommandLine cl = parseCommandLine(argc, argv);
    switch (cl.action) {
    case CommandLineAction::RunWindow:
        return std::nullopt;
    case CommandLineAction::ShowHelp:
    case CommandLineAction::ShowVersion:
        if (writeAll(out, cl.action == CommandLineAction::ShowHelp ? helpText() : versionText()))
            return ExitOk;
        writeAll(err, "pordane: error de escritura en la salida estándar\n");
        return ExitWriteFailed;
    case CommandLineAction::UsageError:
        writeAll(err, "pordane: " + cl.error + "\nPruebe «pordane --help» para más información.\n");
        return ExitUsage;
    }
    return ExitUsage;
}

} // namespace pordane::app
