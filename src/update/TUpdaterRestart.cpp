// The restart: the embedded restarter written out, PUPDATE.INI, the
// restarter's command line, and the restarter started.
#include "update/TUpdater.h"

#include "update/RestarterCommand.h"
#include "views/UpdateDialogs.h"

#include <fstream>
#include <system_error>

namespace pordane::update {

namespace fs = std::filesystem;

namespace {

// Written beside, then renamed: a reader never sees half a file.
bool writeProfile(const fs::path& file, const std::string& logFileName)
{
    const fs::path staged = fs::path(file).concat(".new");
    {
        std::ofstream out(staged, std::ios::binary | std::ios::trunc);
        out << "[CONFIG]\r\nLOGFILENAME=" << logFileName << "\r\n";
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    fs::rename(staged, file, ec);
    if (ec)
        fs::remove(staged, ec);
    return !ec;
}

} // namespace

std::string restartProgram(const std::string& appName, const RuleContext& rules, const fs::path& currentFolder)
{
    if (rules.style == PathStyle::Windows)
        return appName.find(':') != std::string::npos ? appName : currentFolder.string() + "\\" + appName;
    const fs::path native = rules.native(appName);
    return native.is_absolute() ? native.string() : (currentFolder / native).string();
}

void TUpdater::DoRestart()
{
    bool allow = true;
    if (!(m_observer && m_observer->OnAppRestart(*this, allow)) && !m_state.FSilentRestart)
        allow = m_dialogs && m_dialogs->askYesNo("¿Reiniciar la aplicación para terminar la actualización?");
    if (!allow) {
        m_state.Restart = RestartOutcome::Declined;
        return;
    }
    m_state.Restart = RestartOutcome::Failed;
    const fs::path temp = m_system.rules.native(m_settings.TempDirectory);
    const auto restarter = m_system.writeRestarter ? m_system.writeRestarter(temp) : std::nullopt;
    if (!restarter)
        return;

    std::optional<fs::path> documents = m_system.documentsFolder ? m_system.documentsFolder() : std::nullopt;
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    if (!documents || !fs::is_directory(*documents, ec))
        documents = current;
    // Without it the restarter still works (it has a default log name).
    writeProfile(*documents / "PUPDATE.INI", m_settings.LogFileName);

    RestarterCommand line;
    line.processId = m_system.processId;
    line.logging = m_settings.Logging;
    line.autoRestart = m_settings.AutoRestart;
    line.appName = restartProgram(m_state.FAppName, m_system.rules, current);
    line.appParam = m_state.FAppParam;
    line.currentFolder = current.string();
    line.tempDirectory = m_settings.TempDirectory;
    line.appComps = m_state.FAppComps;
    if (!m_system.startRestarter || !m_system.startRestarter(*restarter, restarterCommandLine(line), current))
        return;
    m_state.Restart = RestartOutcome::Started;

    if (!(m_observer && m_observer->OnAppDoClose(*this)) && m_system.terminateApplication)
        m_system.terminateApplication();
}

} // namespace pordane::update
