#include "update/Fetch.h"

#include "platform/base/Pump.h"
#include "support/http/ScriptedHttpServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace pordane;
using namespace pordane::update;
using testsupport::HttpReply;
using testsupport::ScriptedHttpServer;

namespace {

struct Recorder final : FetchEvents {
    std::vector<std::pair<int64_t, int64_t>> calls;
    std::string fileName;
    int cancelAfter = -1; // cancel once this many blocks arrived
    bool cancel = false;
    void progress(const std::string& FileName, int64_t Pos, int64_t Size) override
    {
        fileName = FileName;
        calls.emplace_back(Pos, Size);
        if (cancelAfter >= 0 && static_cast<int>(calls.size()) >= cancelAfter)
            cancel = true;
    }
    bool cancelled() const override { return cancel; }
};

class FetchRule : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("pordane-fetch-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "tmp");
        std::ofstream(m_dir / "local.bin") << "OLD";
        m_timeouts.connect = std::chrono::milliseconds(2000);
        m_timeouts.stall = std::chrono::milliseconds(1000);
        m_connection = platform::openHttpConnection("TUpdater", m_timeouts);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    FetchResult fetch(const std::string& path, Recorder& events, const std::string& sha256 = {})
    {
        return fetchFile(*m_connection, {m_server.url(path), m_dir / "local.bin", m_dir / "tmp", sha256}, events);
    }
    std::string local() const
    {
        std::ifstream in(m_dir / "local.bin", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t tempFilesLeft() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir / "tmp"),
                                                      std::filesystem::directory_iterator()));
    }

    std::filesystem::path m_dir;
    platform::HttpTimeouts m_timeouts;
    ScriptedHttpServer m_server;
    std::unique_ptr<platform::HttpConnection> m_connection;
};

HttpReply body(std::string b)
{
    HttpReply r;
    r.body = std::move(b);
    return r;
}

HttpReply redirect(int status, const std::string& location)
{
    HttpReply r;
    r.status = status;
    r.body = "moved";
    r.headers.push_back("Location: " + location);
    return r;
}

struct FaultCase {
    const char* name;
    std::vector<std::pair<std::string, HttpReply>> replies; // the fetch asks for "/f"
    FetchResult result;
};

class FetchFaults : public FetchRule, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FetchFaults, FailWithoutTouchingTheLocalFile)
{
    const auto& c = GetParam();
    for (const auto& [path, reply] : c.replies)
        m_server.on(path, reply);
    Recorder events;
    EXPECT_EQ(fetch("/f", events), c.result) << describe(fetch("/f", events));
    EXPECT_EQ(local(), "OLD");
    EXPECT_EQ(tempFilesLeft(), 0u);
}

HttpReply withLength(std::string b, int64_t length, bool announce = true)
{
    HttpReply r = body(std::move(b));
    r.contentLength = length;
    r.announceLength = announce;
    return r;
}

HttpReply status(int code)
{
    HttpReply r = body("error page");
    r.status = code;
    return r;
}

const FaultCase faultCases[] = {
    {"short_body", {{"/f", withLength("0123456789", 100)}}, FetchResult::LengthMismatch},
    {"body_longer_than_length", {{"/f", withLength("0123456789", 4)}}, FetchResult::LengthMismatch},
    {"zero_bytes", {{"/f", body("")}}, FetchResult::EmptyBody},
    {"zero_bytes_without_length", {{"/f", withLength("", 0, false)}}, FetchResult::EmptyBody},
    {"not_found", {{"/f", status(404)}}, FetchResult::HttpStatus},
    {"server_error", {{"/f", status(500)}}, FetchResult::HttpStatus},
    {"redirect_without_location", {{"/f", status(302)}}, FetchResult::HttpStatus},
    {"redirect_to_404", {{"/f", redirect(301, "/g")}, {"/g", status(404)}}, FetchResult::HttpStatus},
    {"redirect_loop", {{"/f", redirect(302, "/f")}}, FetchResult::OpenFailed},
    {"redirect_to_file", {{"/f", redirect(301, "file:///etc/hostname")}}, FetchResult::OpenFailed},
    {"redirect_to_ftp", {{"/f", redirect(301, "ftp://127.0.0.1/x")}}, FetchResult::OpenFailed},
    {"missing_path", {}, FetchResult::HttpStatus},
};

INSTANTIATE_TEST_SUITE_P(Table, FetchFaults, ::testing::ValuesIn(faultCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(FetchRule, StoresTheBodyAndReportsEachBlock)
{
    std::string payload(10000, 'x');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>('a' + i % 26);
    m_server.on("/f", body(payload));
    int pumps = 0;
    platform::ScopedPumpHook hook([&pumps] { ++pumps; });
    Recorder events;
    EXPECT_EQ(fetch("/f", events), FetchResult::Ok);
    EXPECT_EQ(local(), payload);
    EXPECT_EQ(tempFilesLeft(), 0u);
    EXPECT_EQ(events.fileName, (m_dir / "local.bin").string());
    ASSERT_GE(events.calls.size(), 3u);
    int64_t last = 0;
    for (const auto& [pos, size] : events.calls) {
        EXPECT_GT(pos, last);
        EXPECT_LE(pos - last, 4096);
        EXPECT_EQ(size, 10000);
        last = pos;
    }
    EXPECT_EQ(last, 10000);
    // A pump before every block, and one before the read that found the end.
    EXPECT_GE(pumps, static_cast<int>(events.calls.size()) + 1);
}

TEST_F(FetchRule, SendsNoCacheRequestAsTUpdater)
{
    m_server.on("/f", body("x"));
    Recorder events;
    ASSERT_EQ(fetch("/f", events), FetchResult::Ok);
    const auto heads = m_server.requests();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_NE(heads[0].find("GET /f HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(heads[0].find("User-Agent: TUpdater\r\n"), std::string::npos);
    EXPECT_NE(heads[0].find("Pragma: no-cache\r\n"), std::string::npos);
}

TEST_F(FetchRule, WithoutContentLengthTheSizeIsZero)
{
    m_server.on("/f", withLength("abcdef", 0, false));
    Recorder events;
    EXPECT_EQ(fetch("/f", events), FetchResult::Ok);
    EXPECT_EQ(local(), "abcdef");
    ASSERT_FALSE(events.calls.empty());
    EXPECT_EQ(events.calls.back(), std::make_pair(int64_t(6), int64_t(0)));
}

TEST_F(FetchRule, FollowsA301ThenStores)
{
    m_server.on("/f", redirect(301, "/nuevo/f"));
    m_server.on("/nuevo/f", body("moved here"));
    Recorder events;
    EXPECT_EQ(fetch("/f", events), FetchResult::Ok);
    EXPECT_EQ(local(), "moved here");
    EXPECT_EQ(m_server.requests().size(), 2u);
}

TEST_F(FetchRule, AStalledBodyFailsWithinTheTimeout)
{
    HttpReply r = body(std::string(50000, 's'));
    r.stallAfter = 6000;
    m_server.on("/f", r);
    Recorder events;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch("/f", events), FetchResult::ReadError);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(3500));
    EXPECT_EQ(events.calls.back().first, 6000);
    EXPECT_EQ(local(), "OLD");
    EXPECT_EQ(tempFilesLeft(), 0u);
}

TEST_F(FetchRule, CancelStopsAfterTheCurrentBlock)
{
    HttpReply r = body(std::string(40000, 'c'));
    r.throttleBytes = 1000;
    r.throttleMs = 20;
    m_server.on("/f", r);
    Recorder events;
    events.cancelAfter = 3;
    EXPECT_EQ(fetch("/f", events), FetchResult::Cancelled);
    EXPECT_EQ(events.calls.size(), 3u);
    EXPECT_EQ(local(), "OLD");
    EXPECT_EQ(tempFilesLeft(), 0u);
}

TEST_F(FetchRule, CancelEndsTheWaitForAStalledServer)
{
    HttpReply r = body(std::string(9000, 'w'));
    r.stallAfter = 100;
    m_server.on("/f", r);
    m_connection = platform::openHttpConnection("TUpdater", {std::chrono::milliseconds(2000), std::chrono::seconds(20)});
    Recorder events;
    const auto start = std::chrono::steady_clock::now();
    // The window's cancel button, clicked while the pump runs.
    platform::ScopedPumpHook hook([&] {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300))
            events.cancel = true;
    });
    EXPECT_EQ(fetch("/f", events), FetchResult::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(local(), "OLD");
    EXPECT_EQ(tempFilesLeft(), 0u);
}

TEST_F(FetchRule, DigestMustMatchWhenGiven)
{
    m_server.on("/f", body("abc"));
    Recorder events;
    // sha256("abc")
    const std::string good = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    EXPECT_EQ(fetch("/f", events, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ae"),
              FetchResult::DigestMismatch);
    EXPECT_EQ(local(), "OLD");
    EXPECT_EQ(fetch("/f", events, good), FetchResult::Ok);
    EXPECT_EQ(local(), "abc");
}

TEST_F(FetchRule, ATargetThatIsAFolderCannotBeReplaced)
{
    m_server.on("/f", body("data"));
    std::filesystem::create_directories(m_dir / "folder");
    Recorder events;
    EXPECT_EQ(fetchFile(*m_connection, {m_server.url("/f"), m_dir / "folder", m_dir / "tmp", {}}, events),
              FetchResult::ReplaceFailed);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "folder"));
    EXPECT_EQ(tempFilesLeft(), 0u);
}

TEST_F(FetchRule, AMissingTempFolderFailsBeforeAnythingIsWritten)
{
    m_server.on("/f", body("data"));
    Recorder events;
    EXPECT_EQ(fetchFile(*m_connection, {m_server.url("/f"), m_dir / "local.bin", m_dir / "nada", {}}, events),
              FetchResult::TempFileFailed);
    EXPECT_EQ(local(), "OLD");
}

} // namespace
