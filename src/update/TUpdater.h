// The updater component: its settings, its run-time state, the connection,
// the fetch of the control file and of listed files, and the new-version
// check. The update run builds on these blocks.
#pragma once

#include "platform/HttpClient.h"
#include "platform/Process.h"
#include "update/profile/ProfileFile.h"
#include "update/Fetch.h"
#include "update/FileList.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pordane::views {
class UpdateDialogs;
}

namespace pordane::update {

enum class TUpdateType { httpUpdate };
enum class TUpdateConnect { ucConnectSilent };
enum class TUpdateUpdate { uuSilent };
enum class TVersionCheck { vcUpdateOnly };

// The settings the program gives its one updater (the others are left out).
struct TUpdaterSettings {
    std::string URL;
    TUpdateType UpdateType = TUpdateType::httpUpdate;
    TUpdateConnect UpdateConnect = TUpdateConnect::ucConnectSilent;
    TUpdateUpdate UpdateUpdate = TUpdateUpdate::uuSilent;
    TVersionCheck VersionCheck = TVersionCheck::vcUpdateOnly;
    bool UseWinTempDir = false;
    std::string TempDirectory = ".";
    std::string Agent = "TUpdater";
    std::string DateFormat = "dd/mm/yyyy";
    std::string DateSeparator = "/";
    std::string TimeFormat = "hh:nn";
    std::string TimeSeparator = ":";
    std::string LogFileName = "VexorPUPDATE.LOG";
    bool Logging = false;
    std::string Signature = "VexorUpdater";
    bool AutoRestart = true;
    bool PostUpdateInfoEnabled = false;
    bool ForceUpdate = false;
    bool ShowDownloadProgress = false;
    bool ExtractCAB = false;
    bool ApplyPatch = false;
    bool UseCRC32 = false;
    bool KeepIntermediateFiles = false;
    std::string LanguageID;

    // Ed25519 public key (base64) of signed updates; empty: unsigned.
    std::string PublicKey;
    // The start-up check must not hold up the program: a host that does not
    // answer at all is given up after 4 s. The run keeps the system defaults.
    platform::HttpTimeouts CheckTimeouts{std::chrono::milliseconds(4000), std::chrono::milliseconds(30000)};
    platform::HttpTimeouts RunTimeouts{};
};

// The settings of the program's `VexorUpdater`, key from the build configuration.
TUpdaterSettings programUpdaterSettings();

class TUpdater;

// The updater's events; handlers run on the caller's thread in the middle of
// a fetch. The only call back into the updater they may make is Cancel().
class TUpdaterObserver {
public:
    virtual ~TUpdaterObserver() = default;
    // After each block of every fetch: local target, bytes so far, announced length (0: none).
    virtual void OnFileProgress(TUpdater& /*Sender*/, const std::string& /*FileName*/, int64_t /*Pos*/, int64_t /*Size*/) {}
    // Before each download (FileIdx from 1) and, with FileIdx 0, before the what's-new text.
    virtual void OnBeforeFileDownload(TUpdater& /*Sender*/, int /*FileIdx*/, const std::string& /*FileDescription*/,
                                      const std::string& /*URL*/) {}
    // Every file fetched and the run not cancelled.
    virtual void OnSuccess(TUpdater& /*Sender*/) {}
    // Before the restarter is started; `Allow` false cancels the restart.
    // Returns false when no handler is bound (the updater then asks itself
    // unless the control file asks for a silent restart).
    virtual bool OnAppRestart(TUpdater& /*Sender*/, bool& /*Allow*/) { return false; }
    // After the restarter was started. Returns false when no handler is
    // bound: the updater then ends the application itself.
    virtual bool OnAppDoClose(TUpdater& /*Sender*/) { return false; }
};

// How the last run's restart went.
enum class RestartOutcome {
    NotAsked,  // the run did not reach the restart
    Declined,  // OnAppRestart (or the user) said no
    Failed,    // the restarter could not be written or started: the program runs on
    Started,
};

struct TUpdaterState {
    std::string FControlFileName; // control style ("." "\" name); deleted by StopConnection
    bool FAppClose = false;
    std::string FAppName;
    std::string FAppParam;
    std::string FAppComps;
    bool FSilentRestart = false;
    bool FAppCompsIncluded = false;
    bool FCancelled = false;
    std::string FNewVersionInfo;
    std::time_t FNewVersionDate = 0;
    std::string FLocalFileDateCheck;
    TFileList FileList;
    RestartOutcome Restart = RestartOutcome::NotAsked;
};

// What the updater uses of the system; tests replace parts.
struct TUpdaterSystem {
    platform::HttpConnectionFactory connect = &platform::openHttpConnection;
    std::function<bool(const std::string& url)> ensureConnection = &platform::ensureInternetConnection;
    RuleContext rules;
    std::function<std::filesystem::path()> programFolder;

    // The control file's actions (see platform/Shell.h); they do not wait.
    std::function<bool(const std::filesystem::path& file, const std::string& parameters)> runProgram;
    std::function<bool(const std::string& address)> openBrowser;
    // The restarter written into a folder and expanded; nullopt on failure.
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path& folder)> writeRestarter;
    std::function<bool(const std::filesystem::path& program, const std::string& commandLine,
                       const std::filesystem::path& folder)>
        startRestarter;
    std::function<std::optional<std::filesystem::path>()> documentsFolder;
    platform::ProcessId processId = 0;
    // Used when OnAppDoClose has no handler.
    std::function<void()> terminateApplication;
};

TUpdaterSystem systemUpdaterSystem(const std::string& tempDirectory);

class TUpdater {
public:
    explicit TUpdater(TUpdaterSettings settings = programUpdaterSettings());
    TUpdater(TUpdaterSettings settings, TUpdaterSystem system);
    ~TUpdater();

    TUpdaterSettings& Settings() { return m_settings; }
    const TUpdaterState& State() const { return m_state; }
    void setObserver(TUpdaterObserver* observer) { m_observer = observer; }
    // Without dialogs, messages are skipped and every question, what's-new
    // and licence text counts as declined.
    void setDialogs(views::UpdateDialogs* dialogs) { m_dialogs = dialogs; }

    // The update run: the control file again, its actions and texts, the
    // downloads, success and the restart. Leaves the program's folder as
    // the current folder.
    void DoUpdate();
    // Writes and starts the restarter (see restarterCommandLine).
    void DoRestart();

    // The new-version check. With `InitPath` the program's folder becomes
    // the current folder first.
    bool NewVersionAvailable(bool InitPath);
    // Noticed by a fetch after its current block (or during a wait for one).
    void Cancel() { m_state.FCancelled = true; }

    // Building blocks of the check and the run.
    bool StartConnection(const platform::HttpTimeouts& timeouts);
    void StopConnection();
    bool connected() const { return m_connection != nullptr; }
    // Fetches `url` into `targetDir` (control style; empty: the current folder).
    FetchResult FetchFile(const std::string& url, const std::string& targetDir, const std::string& sha256 = {});
    // Fetches `url` into exactly `localFile`.
    FetchResult FetchInto(const std::string& url, const std::filesystem::path& localFile, const std::string& sha256 = {});
    // A listed file into its target folder; in signed mode it must carry a sha256.
    FetchResult FetchListedFile(const TFileDescription& entry);
    // The control file (and, in signed mode, its signature); false: missing.
    bool FetchControlFile();
    const profile::ProfileFile& Control() const { return m_control; }
    VersionCheck RunVersionCheck();
    // Reads the list into the state and filters it; returns the entries left.
    std::size_t ReadFileList();

    const RuleContext& Rules() const { return m_system.rules; }
    bool signedMode() const { return !m_settings.PublicKey.empty(); }

    // What-new and licence texts, and the HTML page of "htmldlg", are read
    // up to this many bytes.
    static constexpr std::size_t MaxTextBytes = 1 << 20;

private:
    class Events;
    bool BeforeDownloadActions();
    bool ShowTexts();
    std::optional<std::string> FetchText(const std::string& url);
    bool DownloadFiles();
    void AfterDownloadActions();
    bool RunAction(const std::string& programKey, const std::string& parametersKey);
    std::filesystem::path localTarget(const std::string& targetDir, const std::string& url) const;
    bool verifiedControlFile(const std::filesystem::path& file, const std::filesystem::path& signature);
    void readApplicationSection();

    TUpdaterSettings m_settings;
    TUpdaterSystem m_system;
    TUpdaterState m_state;
    TUpdaterObserver* m_observer = nullptr;
    views::UpdateDialogs* m_dialogs = nullptr;
    std::unique_ptr<platform::HttpConnection> m_connection;
    profile::ProfileFile m_control;
};

// The program the restarter starts: `FAppName` as it is when absolute
// (Windows: holds ":"), else the current folder joined to it.
std::string restartProgram(const std::string& appName, const RuleContext& rules,
                           const std::filesystem::path& currentFolder);

} // namespace pordane::update
