// The update run: the control file again, the actions before the download,
// the what's-new and licence texts, the downloads, the actions after them,
// success and the restart.
#include "update/TUpdater.h"

#include "platform/FileOps.h"
#include "platform/base/TextEncoding.h"
#include "update/RunTexts.h"
#include "views/UpdateDialogs.h"

#include <fstream>
#include <system_error>

namespace pordane::update {

namespace fs = std::filesystem;

namespace {

std::string readPrefix(const fs::path& file, std::size_t limit)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::string orDefault(std::string value, const char* fallback)
{
    return value.empty() ? std::string(fallback) : value;
}

} // namespace

void TUpdater::DoUpdate()
{
    m_state.FCancelled = false;
    m_state.FAppCompsIncluded = false;
    m_state.Restart = RestartOutcome::NotAsked;
    if (m_system.programFolder) {
        std::error_code ec;
        fs::current_path(m_system.programFolder(), ec);
    }
    if (!StartConnection(m_settings.RunTimeouts))
        return;
    if (!FetchControlFile()) {
        StopConnection();
        return;
    }
    if (RunVersionCheck().result == VersionCheckResult::NotNewer || !BeforeDownloadActions()) {
        m_state.FAppClose = false;
        StopConnection();
        return;
    }
    if (!ShowTexts() || m_control.readInteger("files", "count", 0) <= 0) {
        m_state.FAppClose = false;
        StopConnection();
        return;
    }
    if (ReadFileList() == 0) {
        StopConnection();
        return;
    }
    const bool allFetched = DownloadFiles();
    AfterDownloadActions();
    StopConnection();
    if (allFetched && !m_state.FCancelled && m_observer)
        m_observer->OnSuccess(*this);
    if (m_state.FAppClose && !m_state.FCancelled && m_state.FAppCompsIncluded)
        DoRestart();
}

bool TUpdater::RunAction(const std::string& programKey, const std::string& parametersKey)
{
    const std::string program = m_system.rules.path(m_control, "action", programKey);
    if (program.empty())
        return false;
    const std::string parameters = m_control.readString("action", parametersKey);
    // A program that cannot be started is passed over silently, as every failure here.
    return m_system.runProgram && m_system.runProgram(m_system.rules.native(program), parameters);
}

bool TUpdater::BeforeDownloadActions()
{
    const std::string msg = substituteText(m_control.readString("action", "msg"));
    if (!msg.empty() && m_dialogs)
        m_dialogs->showMessage(msg);

    const std::string page = m_system.rules.path(m_control, "action", "htmldlg");
    if (!page.empty() && m_dialogs) {
        // Our own fetch, so a page is only ever read from an http(s) address.
        if (const auto html = FetchText(page))
            m_dialogs->showHtmlPage(page, shownText(*html, {}).text);
    }

    RunAction("runbefore", "runbeforeparam");

    const std::string url = m_system.rules.path(m_control, "action", "showURL");
    if (!url.empty() && m_system.openBrowser)
        m_system.openBrowser(url);

    const std::string query = substituteText(m_control.readString("action", "query"));
    if (!query.empty() && !(m_dialogs && m_dialogs->askYesNo(query))) {
        m_state.FAppClose = false;
        return false;
    }
    return !m_state.FCancelled;
}

std::optional<std::string> TUpdater::FetchText(const std::string& url)
{
    // A name of our own: a text named like one of the program's files must
    // not take that file's place in the temporary folder (the program's).
    const fs::path folder = m_system.rules.native(m_settings.TempDirectory);
    const auto local = platform::createUniqueFile(folder, "PUPD");
    if (!local)
        return std::nullopt;
    const bool fetched = FetchInto(url, *local) == FetchResult::Ok;
    std::optional<std::string> text;
    if (fetched)
        text = readPrefix(*local, MaxTextBytes);
    std::error_code ec;
    fs::remove(*local, ec);
    return text;
}

bool TUpdater::ShowTexts()
{
    const std::string whatsNew = m_system.rules.path(m_control, "whatsnew", "file");
    if (!whatsNew.empty()) {
        if (m_observer)
            m_observer->OnBeforeFileDownload(*this, 0, std::string(), whatsNew);
        if (const auto bytes = FetchText(whatsNew)) {
            views::WhatsNewDialog d;
            d.page = shownText(*bytes, orDefault(m_control.readString("whatsnew", "caption"), "What's new"));
            d.okButton = orDefault(m_control.readString("whatsnew", "okbtn"), "Ok");
            d.cancelButton = orDefault(m_control.readString("whatsnew", "cancelbtn"), "Cancel");
            if (!m_dialogs || !m_dialogs->showWhatsNew(d))
                return false;
        }
    }
    const std::string eula = m_system.rules.path(m_control, "eula", "file");
    if (!eula.empty()) {
        if (const auto bytes = FetchText(eula)) {
            views::LicenceDialog d;
            d.page = shownText(*bytes, m_control.readString("eula", "caption"));
            d.okButton = orDefault(m_control.readString("eula", "okbtn"), "Ok");
            d.accept = orDefault(m_control.readString("eula", "accept"), "I accept");
            d.notAccept = orDefault(m_control.readString("eula", "notaccept"), "I do not accept");
            if (!m_dialogs || !m_dialogs->showLicence(d))
                return false;
        }
    }
    return true;
}

bool TUpdater::DownloadFiles()
{
    bool all = true;
    const std::string comps = platform::foldCase(m_state.FAppComps);
    int index = 0;
    for (const TFileDescription& entry : m_state.FileList) {
        ++index;
        if (m_observer)
            m_observer->OnBeforeFileDownload(*this, index, entry.Description, entry.URL);
        // After a cancel nothing more is requested: the walk only reports.
        if (m_state.FCancelled) {
            all = false;
            continue;
        }
        if (!entry.TargetDir.empty()) {
            std::error_code ec;
            fs::create_directories(m_system.rules.native(entry.TargetDir), ec);
        }
        if (FetchListedFile(entry) == FetchResult::Ok) {
            const std::string name = platform::foldCase(fileNameOfAddress(entry.URL));
            if (!name.empty() && comps.find(name) != std::string::npos)
                m_state.FAppCompsIncluded = true;
        } else {
            all = false;
            m_state.FAppClose = false;
        }
    }
    return all;
}

void TUpdater::AfterDownloadActions()
{
    if (m_state.FCancelled)
        return;
    // [action] updateURL would be kept as the next address; no place to keep it is configured.
    RunAction("runafter", "runafterparam");
}

} // namespace pordane::update
