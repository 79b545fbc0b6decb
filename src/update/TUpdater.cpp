#include "update/TUpdater.h"

#include "platform/LzExpand.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "pordane/BuildConfig.h"
#include "update/RestarterCommand.h"
#include "update/RestarterImage.h"
#include "update/Signature.h"
#include "update/UpdateFolders.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace pordane::update {

class TUpdater::Events final : public FetchEvents {
public:
    explicit Events(TUpdater& u) : m_u(u) {}
    void progress(const std::string& FileName, int64_t Pos, int64_t Size) override
    {
        if (m_u.m_observer)
            m_u.m_observer->OnFileProgress(m_u, FileName, Pos, Size);
    }
    bool cancelled() const override { return m_u.m_state.FCancelled; }

private:
    TUpdater& m_u;
};

TUpdaterSettings programUpdaterSettings()
{
    TUpdaterSettings s;
    s.URL = config::UpdateControlFileURL;
    s.PublicKey = config::UpdatePublicKey;
    return s;
}

TUpdaterSystem systemUpdaterSystem(const std::string& tempDirectory)
{
    TUpdaterSystem s;
    s.rules = systemRuleContext(tempDirectory);
    s.programFolder = [] {
        return platform::specialFolder(platform::SpecialFolder::Program).value_or(std::filesystem::path("."));
    };
    s.runProgram = &platform::shellOpen;
    s.openBrowser = &platform::openInBrowser;
    // A Windows program carries the restarter as its resource "UPD", expanded
    // by the system; elsewhere the linked-in bytes are written.
    s.writeRestarter = [](const std::filesystem::path& folder) {
        auto system = platform::expandProgramResource(L"UPD", folder / "pusetup.ex_");
        return system.carried ? system.file : writeRestarter(folder);
    };
    s.startRestarter = [](const std::filesystem::path& program, const std::string& line,
                          const std::filesystem::path& folder) {
        return startRestarter(program, line, folder).has_value();
    };
    s.documentsFolder = [] { return platform::specialFolder(platform::SpecialFolder::Documents); };
    s.processId = platform::currentProcessId();
    s.terminateApplication = [] { std::exit(0); };
    return s;
}

TUpdater::TUpdater(TUpdaterSettings settings)
    : TUpdater(settings, systemUpdaterSystem(settings.TempDirectory))
{
}

TUpdater::TUpdater(TUpdaterSettings settings, TUpdaterSystem system)
    : m_settings(std::move(settings)), m_system(std::move(system))
{
}

TUpdater::~TUpdater()
{
    StopConnection();
}

bool TUpdater::NewVersionAvailable(bool InitPath)
{
    if (InitPath && m_system.programFolder) {
        std::error_code ec;
        std::filesystem::current_path(m_system.programFolder(), ec);
    }
    m_state.FCancelled = false;
    if (!StartConnection(m_settings.CheckTimeouts))
        return false;
    bool answer = false;
    if (FetchControlFile()) {
        const VersionCheck check = RunVersionCheck();
        if (check.result == VersionCheckResult::Unconditional)
            answer = ReadFileList() > 0;
        else
            answer = check.result != VersionCheckResult::NotNewer;
    }
    StopConnection();
    return answer;
}

bool TUpdater::StartConnection(const platform::HttpTimeouts& timeouts)
{
    StopConnection();
    if (m_system.ensureConnection && !m_system.ensureConnection(m_settings.URL))
        return false;
    if (m_system.connect)
        m_connection = m_system.connect(m_settings.Agent, timeouts);
    return m_connection != nullptr;
}

void TUpdater::StopConnection()
{
    m_connection.reset();
    if (!m_state.FControlFileName.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_system.rules.native(m_state.FControlFileName), ec);
        m_state.FControlFileName.clear();
    }
    m_control = profile::ProfileFile();
}

std::filesystem::path TUpdater::localTarget(const std::string& targetDir, const std::string& url) const
{
    // Joined first, so the name too is matched in any letter case within the folder.
    std::string path = targetDir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return m_system.rules.native(path + fileNameOfAddress(url));
}

FetchResult TUpdater::FetchFile(const std::string& url, const std::string& targetDir, const std::string& sha256)
{
    return FetchInto(url, localTarget(targetDir, url), sha256);
}

FetchResult TUpdater::FetchInto(const std::string& url, const std::filesystem::path& localFile, const std::string& sha256)
{
    if (!m_connection)
        return FetchResult::OpenFailed;
    FetchRequest request;
    request.url = url;
    request.localFile = localFile;
    request.tempDirectory = m_system.rules.native(m_settings.TempDirectory);
    request.expectedSha256 = sha256;
    Events events(*this);
    return fetchFile(*m_connection, request, events);
}

FetchResult TUpdater::FetchListedFile(const TFileDescription& entry)
{
    // Without a digest a signed control file vouches for nothing it names.
    if (signedMode() && entry.Sha256.empty())
        return FetchResult::DigestMismatch;
    return FetchFile(entry.URL, entry.TargetDir, signedMode() ? entry.Sha256 : std::string());
}

bool TUpdater::FetchControlFile()
{
    const std::string url = substitutePath(m_settings.URL, m_system.rules.folders, m_system.rules.style);
    m_control = profile::ProfileFile();
    const std::string folder = m_settings.TempDirectory;
    if (FetchFile(url, folder) != FetchResult::Ok)
        return false;
    m_state.FControlFileName = folder + "\\" + fileNameOfAddress(url);
    const std::filesystem::path local = localTarget(folder, url);
    if (signedMode()) {
        const std::string sigUrl = url + ".sig";
        const std::filesystem::path sigLocal = localTarget(folder, sigUrl);
        const bool fetched = FetchFile(sigUrl, folder) == FetchResult::Ok;
        const bool good = fetched && verifiedControlFile(local, sigLocal);
        std::error_code ec;
        std::filesystem::remove(sigLocal, ec);
        if (!good) {
            std::filesystem::remove(local, ec);
            m_state.FControlFileName.clear();
            m_control = profile::ProfileFile();
            return false;
        }
    } else {
        m_control = profile::ProfileFile::load(local);
    }
    readApplicationSection();
    return true;
}

bool TUpdater::verifiedControlFile(const std::filesystem::path& file, const std::filesystem::path& signature)
{
    const auto readAll = [](const std::filesystem::path& p, std::uintmax_t limit) -> std::optional<std::string> {
        std::error_code ec;
        const auto size = std::filesystem::file_size(p, ec);
        if (ec || size > limit)
            return std::nullopt;
        std::ifstream in(p, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
            return std::nullopt;
        return bytes;
    };
    const auto bytes = readAll(file, profile::ProfileFile::MaxBytes);
    const auto sig = readAll(signature, 4096);
    if (!bytes || !sig || !verifySignature(*bytes, *sig, m_settings.PublicKey))
        return false;
    // The bytes that were verified are the ones read: a file swapped on
    // disk after the check changes nothing.
    m_control = profile::ProfileFile::parse(*bytes);
    return true;
}

void TUpdater::readApplicationSection()
{
    const RuleContext& r = m_system.rules;
    m_state.FAppClose = m_control.readInteger("application", "appupdate", 0) == 1;
    m_state.FAppName = r.path(m_control, "application", "appname");
    if (m_state.FAppName.empty())
        m_state.FAppClose = false;
    m_state.FAppParam = m_control.readString("application", "appparam");
    if (m_state.FAppParam.empty())
        m_state.FAppParam = " ";
    m_state.FAppComps = r.path(m_control, "application", "appcomps");
    m_state.FSilentRestart = m_control.readInteger("application", "silentrestart", 0) == 1;
}

VersionCheck TUpdater::RunVersionCheck()
{
    VersionCheck check = runVersionCheck(m_control, m_system.rules);
    if (check.reachedComparisonStep)
        m_state.FNewVersionInfo = check.newVersionInfo;
    m_state.FNewVersionDate = check.newVersionDate;
    m_state.FLocalFileDateCheck = check.localFileDateCheck;
    return check;
}

std::size_t TUpdater::ReadFileList()
{
    m_state.FileList = filterFileList(readFileList(m_control, m_system.rules), m_system.rules);
    return m_state.FileList.size();
}

} // namespace pordane::update
