// The updater component: its settings, its run-time state, the connection,
// the fetch of the control file and of listed files, and the new-version
// check. The update run builds on these blocks.
#pragma once

#include "platform/HttpClient.h"
#include "update/ControlFile.h"
#include "update/Fetch.h"
#include "update/FileList.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

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
};

// What the updater uses of the system; tests replace parts.
struct TUpdaterSystem {
    platform::HttpConnectionFactory connect = &platform::openHttpConnection;
    std::function<bool(const std::string& url)> ensureConnection = &platform::ensureInternetConnection;
    RuleContext rules;
    std::function<std::filesystem::path()> programFolder;
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
    // A listed file into its target folder; in signed mode it must carry a sha256.
    FetchResult FetchListedFile(const TFileDescription& entry);
    // The control file (and, in signed mode, its signature); false: missing.
    bool FetchControlFile();
    const ControlFile& Control() const { return m_control; }
    VersionCheck RunVersionCheck();
    // Reads the list into the state and filters it; returns the entries left.
    std::size_t ReadFileList();

    const RuleContext& Rules() const { return m_system.rules; }
    bool signedMode() const { return !m_settings.PublicKey.empty(); }

private:
    class Events;
    std::filesystem::path localTarget(const std::string& targetDir, const std::string& url) const;
    bool verifiedControlFile(const std::filesystem::path& file, const std::filesystem::path& signature);
    void readApplicationSection();

    TUpdaterSettings m_settings;
    TUpdaterSystem m_system;
    TUpdaterState m_state;
    TUpdaterObserver* m_observer = nullptr;
    std::unique_ptr<platform::HttpConnection> m_connection;
    ControlFile m_control;
};

} // namespace pordane::update
