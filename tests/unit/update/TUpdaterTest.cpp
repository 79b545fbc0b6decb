#include "update/TUpdater.h"

#include "platform/base/PathMatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <unistd.h>

using namespace pordane;
using namespace pordane::update;

namespace {

// A connection served from memory: no network at all.
struct Served {
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;
    std::vector<platform::HttpTimeouts> timeouts;
    int connections = 0;
};

class MemoryRequest final : public platform::HttpRequest {
public:
    explicit MemoryRequest(std::string body) : m_body(std::move(body)) {}
    int status() const override { return 200; }
    int64_t contentLength() const override { return static_cast<int64_t>(m_body.size()); }
    long read(char* buffer, std::size_t max, const std::function<bool()>&) override
    {
        const std::size_t n = std::min(max, m_body.size() - m_at);
        std::memcpy(buffer, m_body.data() + m_at, n);
        m_at += n;
        return static_cast<long>(n);
    }

private:
    std::string m_body;
    std::size_t m_at = 0;
};

class MemoryConnection final : public platform::HttpConnection {
public:
    explicit MemoryConnection(Served& s) : m_s(s) {}
    std::unique_ptr<platform::HttpRequest> open(const std::string& url) override
    {
        m_s.opened.push_back(url);
        const auto it = m_s.files.find(url);
        if (it == m_s.files.end())
            return nullptr;
        return std::make_unique<MemoryRequest>(it->second);
    }

private:
    Served& m_s;
};

class UpdaterState : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("pordane-tu-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        std::ofstream(m_dir / "vtes.exe") << "12345";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    TUpdater make(const std::string& url, bool connected = true)
    {
        TUpdaterSystem sys;
        sys.connect = [this](const std::string& agent, const platform::HttpTimeouts& t) {
            EXPECT_EQ(agent, "TUpdater");
            ++m_served.connections;
            m_served.timeouts.push_back(t);
            return std::make_unique<MemoryConnection>(m_served);
        };
        sys.ensureConnection = [connected](const std::string&) { return connected; };
        sys.rules.folders = [this](const std::string& n) -> std::optional<std::string> {
            return n == "APP" ? std::optional<std::string>(m_dir.string()) : std::nullopt;
        };
        sys.rules.style = PathStyle::Posix;
        sys.rules.toNative = [](std::string_view p) { return platform::controlPathToNative(p); };
        TUpdaterSettings settings;
        settings.URL = url;
        settings.TempDirectory = m_dir.string();
        return TUpdater(settings, sys);
    }

    std::filesystem::path m_dir;
    Served m_served;
};

TEST_F(UpdaterState, NoConnectionMeansNoWithoutARequest)
{
    TUpdater u = make("http://h/a.inf", false);
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_EQ(m_served.connections, 0);
}

TEST_F(UpdaterState, TheCheckUsesTheShortConnectTimeout)
{
    m_served.files["http://h/a.inf"] = "[update]\nnewsize=9\nlocalversion={APP}\\VTES.exe\n";
    TUpdater u = make("http://h/a.inf");
    EXPECT_TRUE(u.NewVersionAvailable(false));
    ASSERT_EQ(m_served.timeouts.size(), 1u);
    EXPECT_EQ(m_served.timeouts[0].connect, std::chrono::milliseconds(4000));
    EXPECT_FALSE(u.connected());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "a.inf"));
}

TEST_F(UpdaterState, TheAddressIsSubstitutedBeforeItIsOpened)
{
    TUpdater u = make("http://h/{Nada}/a.inf");
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_EQ(m_served.opened, std::vector<std::string>{"http://h/./a.inf"});
}

TEST_F(UpdaterState, CancelIsClearedByTheNextCheck)
{
    m_served.files["http://h/a.inf"] = "[update]\nunconditional=1\n[files]\ncount=1\n[file1]\nurl=http://h/x\n";
    TUpdater u = make("http://h/a.inf");
    u.Cancel();
    EXPECT_TRUE(u.State().FCancelled);
    EXPECT_TRUE(u.NewVersionAvailable(false));
    EXPECT_FALSE(u.State().FCancelled);
    EXPECT_EQ(u.State().FileList.size(), 1u);
}

TEST_F(UpdaterState, VersionInfoIsSetOnlyWhenTheComparisonStepIsReached)
{
    m_served.files["http://h/v.inf"] = "[update]\nnewversion=4.7\n";
    m_served.files["http://h/d.inf"] = "[update]\ndate=01/01/2030\nnewversion=9.9\n";
    TUpdater u = make("http://h/v.inf");
    EXPECT_FALSE(u.NewVersionAvailable(false)); // no local path
    EXPECT_EQ(u.State().FNewVersionInfo, "4.7");
    u.Settings().URL = "http://h/d.inf";
    EXPECT_TRUE(u.NewVersionAvailable(false)); // by date: no comparison step
    EXPECT_EQ(u.State().FNewVersionInfo, "4.7");
    EXPECT_NE(u.State().FNewVersionDate, 0);
}

TEST_F(UpdaterState, SignedModeWithoutSignatureIsMissing)
{
    m_served.files["http://h/a.inf"] = "[update]\nunconditional=1\n[files]\ncount=1\n[file1]\nurl=http://h/x\n";
    TUpdater u = make("http://h/a.inf");
    u.Settings().PublicKey = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=";
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_EQ(m_served.opened, (std::vector<std::string>{"http://h/a.inf", "http://h/a.inf.sig"}));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "a.inf"));
}

} // namespace
