// Self-tests of the real-FTP-server fixture, driven with the curl command line
// so that they do not depend on our own FTP client.
#include "support/ftpservers/LocalFtpServer.h"
#include "support/files/TempDir.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

using namespace pordane::testsupport;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern char** environ;

namespace {

// curl exit codes we rely on
constexpr int CurlOk = 0;
constexpr int CurlUploadFailed = 25;
constexpr int CurlQuoteFailed = 21;
constexpr int CurlLoginDenied = 67;

const std::vector<FtpAccount> ThreeAccounts{
    {"todo", "pass-todo", "elradfmw"},
    {"noborra", "pass-noborra", "elrafmw"},
    {"sololee", "pass-sololee", "elr"},
};

enum class Mode { Passive, Active };

struct CurlResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string randomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(gen());
    return s;
}

// Reads what is there (up to 5 s): one FTP reply, or "" once the peer has closed.
std::string readReply(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1)
        return "<timeout>";
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

int loggedInControlConnection(const std::string& address, const FtpAccount& a)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(21);
    ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    std::string reply = readReply(fd);
    for (const std::string& cmd : {"USER " + a.user + "\r\n", "PASS " + a.password + "\r\n"}) {
        ::send(fd, cmd.data(), cmd.size(), MSG_NOSIGNAL);
        reply = readReply(fd);
    }
    if (reply.rfind("230", 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool processGone(pid_t pid)
{
    return ::kill(pid, 0) == -1 && errno == ESRCH;
}

class FtpServerFixtureTest : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override
    {
        if (!LocalFtpServer::available(GetParam()))
            GTEST_SKIP() << "server not installed";
        char tmpl[] = "/tmp/pordane-ftptest-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_tmp = tmpl;
    }
    void TearDown() override
    {
        if (!m_tmp.empty())
            fs::remove_all(m_tmp);
    }

    // Two addresses per kind inside the fixture's own range 127.0.1.10-19.
    std::string addr(int n) const
    {
        return "127.0.1." + std::to_string((GetParam() == FtpServerKind::Pyftpdlib ? 10 : 14) + n);
    }

    CurlResult curl(std::vector<std::string> args) const
    {
        static int counter = 0;
        const std::string outPath = (m_tmp / ("curl-out-" + std::to_string(++counter))).string();
        const std::string errPath = outPath + ".err";
        args.insert(args.begin(), {"curl", "-sS", "--max-time", "60"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addclosefrom_np(&fa, 3);
        pid_t pid = -1;
        CurlResult r;
        if (posix_spawnp(&pid, "curl", &fa, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&fa);
        r.out = readAll(outPath);
        r.err = readAll(errPath);
        return r;
    }

    static std::vector<std::string> modeArgs(Mode mode)
    {
        // PASV and PORT, the commands our own client speaks, rather than EPSV/EPRT.
        if (mode == Mode::Active)
            return {"--ftp-port", "127.0.0.1", "--disable-eprt"};
        return {"--ftp-pasv", "--disable-epsv"};
    }

    static std::string url(const LocalFtpServer& s, const FtpAccount& a, const std::string& path = "/")
    {
        return "ftp://" + a.user + ":" + a.password + "@" + s.address() + path;
    }

    CurlResult list(const LocalFtpServer& s, const FtpAccount& a, Mode mode = Mode::Passive) const
    {
        auto args = modeArgs(mode);
        args.push_back(url(s, a));
        return curl(args);
    }

    CurlResult upload(const LocalFtpServer& s, const FtpAccount& a, const fs::path& local, const std::string& name,
                      Mode mode = Mode::Passive) const
    {
        auto args = modeArgs(mode);
        args.insert(args.end(), {"-T", local.string(), url(s, a, "/" + name)});
        return curl(args);
    }

    CurlResult download(const LocalFtpServer& s, const FtpAccount& a, const std::string& name, const fs::path& local,
                        Mode mode = Mode::Passive) const
    {
        auto args = modeArgs(mode);
        args.insert(args.end(), {"-o", local.string(), url(s, a, "/" + name)});
        return curl(args);
    }

    CurlResult dele(const LocalFtpServer& s, const FtpAccount& a, const std::string& name) const
    {
        return curl({"-Q", "DELE " + name, url(s, a)});
    }

    fs::path m_tmp;
};

TEST_P(FtpServerFixtureTest, EveryAccountLogsInToItsOwnHome)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    for (const auto& a : ThreeAccounts) {
        SCOPED_TRACE(a.user);
        EXPECT_TRUE(fs::is_directory(server.homeOf(a.user)));
        EXPECT_TRUE(fs::is_empty(server.homeOf(a.user)));
        server.putFile(a.user, "de-" + a.user + ".txt", "hola");
    }
    for (const auto& a : ThreeAccounts) {
        SCOPED_TRACE(a.user);
        const CurlResult r = list(server, a);
        ASSERT_EQ(r.exitCode, CurlOk) << r.err;
        EXPECT_NE(r.out.find("de-" + a.user + ".txt"), std::string::npos) << r.out;
        for (const auto& other : ThreeAccounts) {
            if (other.user != a.user) {
                EXPECT_EQ(r.out.find("de-" + other.user + ".txt"), std::string::npos) << r.out;
            }
        }
    }
    EXPECT_THROW(server.homeOf("nadie"), std::out_of_range);
}

TEST_P(FtpServerFixtureTest, FullAccountUploadsDownloadsAndDeletesInBothModes)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    const FtpAccount& allowAll = ThreeAccounts[0];
    // Binary content with CR and LF bytes: TYPE I must keep them.
    const std::string content = randomBytes(200 * 1024, 7) + "\r\n\r";
    writeAll(m_tmp / "up.bin", content);
    for (Mode mode : {Mode::Passive, Mode::Active}) {
        SCOPED_TRACE(mode == Mode::Passive ? "passive" : "active");
        const std::string name = mode == Mode::Passive ? "pasivo.bin" : "activo.bin";
        CurlResult r = upload(server, allowAll, m_tmp / "up.bin", name, mode);
        ASSERT_EQ(r.exitCode, CurlOk) << r.err;
        EXPECT_EQ(readAll(fs::path(server.homeOf(allowAll.user)) / name), content);

        r = download(server, allowAll, name, m_tmp / ("down-" + name), mode);
        ASSERT_EQ(r.exitCode, CurlOk) << r.err;
        EXPECT_EQ(readAll(m_tmp / ("down-" + name)), content);

        r = dele(server, allowAll, name);
        ASSERT_EQ(r.exitCode, CurlOk) << r.err;
        EXPECT_FALSE(fs::exists(fs::path(server.homeOf(allowAll.user)) / name));
    }
    // The transcript shows what the client sent, in order, whatever the server's log format.
    const auto cmds = server.commands();
    const auto at = [&](const std::string& c) { return std::find(cmds.begin(), cmds.end(), c) - cmds.begin(); };
    ASSERT_LT(at("STOR pasivo.bin"), static_cast<long>(cmds.size())) << server.commandLog();
    EXPECT_LT(at("USER todo"), at("STOR pasivo.bin"));
    EXPECT_LT(at("PASV"), at("STOR pasivo.bin"));
    EXPECT_LT(at("STOR pasivo.bin"), at("RETR pasivo.bin"));
    EXPECT_LT(at("RETR pasivo.bin"), at("DELE pasivo.bin"));
    EXPECT_LT(at("DELE pasivo.bin"), at("STOR activo.bin"));
    EXPECT_TRUE(std::any_of(cmds.begin(), cmds.end(), [](const std::string& c) {
        return c.rfind("PORT 127,0,0,1,", 0) == 0;
    })) << server.commandLog();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "PASS pass-todo"), 0) << "password logged in clear";
}

TEST_P(FtpServerFixtureTest, NoDeleteAccountStoresButRefusesDele)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    const FtpAccount& cannotDelete = ThreeAccounts[1];
    writeAll(m_tmp / "f.txt", "contenido");
    CurlResult r = upload(server, cannotDelete, m_tmp / "f.txt", "f.txt");
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    r = dele(server, cannotDelete, "f.txt");
    EXPECT_EQ(r.exitCode, CurlQuoteFailed) << r.err;
    EXPECT_NE(r.err.find("550"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(fs::path(server.homeOf(cannotDelete.user)) / "f.txt"));
    // Rename is still allowed: the account lacks only 'd'.
    r = curl({"-Q", "RNFR f.txt", "-Q", "RNTO g.txt", url(server, cannotDelete)});
    EXPECT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_TRUE(fs::exists(fs::path(server.homeOf(cannotDelete.user)) / "g.txt"));
}

TEST_P(FtpServerFixtureTest, ReadOnlyAccountListsAndDownloadsButRefusesWrites)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    const FtpAccount& readOnly = ThreeAccounts[2];
    server.putFile(readOnly.user, "leeme.txt", "solo lectura");
    writeAll(m_tmp / "f.txt", "no debe llegar");

    CurlResult r = upload(server, readOnly, m_tmp / "f.txt", "f.txt");
    EXPECT_EQ(r.exitCode, CurlUploadFailed) << r.err;
    EXPECT_FALSE(fs::exists(fs::path(server.homeOf(readOnly.user)) / "f.txt"));

    r = dele(server, readOnly, "leeme.txt");
    EXPECT_EQ(r.exitCode, CurlQuoteFailed) << r.err;
    EXPECT_TRUE(fs::exists(fs::path(server.homeOf(readOnly.user)) / "leeme.txt"));

    r = list(server, readOnly, Mode::Active);
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_NE(r.out.find("leeme.txt"), std::string::npos);
    r = download(server, readOnly, "leeme.txt", m_tmp / "leeme.txt");
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_EQ(readAll(m_tmp / "leeme.txt"), "solo lectura");
}

TEST_P(FtpServerFixtureTest, PutFileCanBeOverwrittenAndDeletedByTheServer)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    const FtpAccount& allowAll = ThreeAccounts[0];
    server.putFile(allowAll.user, "previo.txt", "viejo");
    writeAll(m_tmp / "nuevo.txt", "nuevo");
    CurlResult r = upload(server, allowAll, m_tmp / "nuevo.txt", "previo.txt");
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_EQ(readAll(fs::path(server.homeOf(allowAll.user)) / "previo.txt"), "nuevo");
    r = dele(server, allowAll, "previo.txt");
    EXPECT_EQ(r.exitCode, CurlOk) << r.err;
}

TEST_P(FtpServerFixtureTest, WrongPasswordIsRefusedAndTheRightOneStillWorks)
{
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
    FtpAccount wrong = ThreeAccounts[0];
    wrong.password = "incorrecta";
    CurlResult r = list(server, wrong);
    EXPECT_EQ(r.exitCode, CurlLoginDenied) << r.err;
    FtpAccount unknown{"desconocido", "x"};
    r = list(server, unknown);
    EXPECT_EQ(r.exitCode, CurlLoginDenied) << r.err;
    r = list(server, ThreeAccounts[0]);
    EXPECT_EQ(r.exitCode, CurlOk) << r.err;
}

TEST_P(FtpServerFixtureTest, ThrottledTransfersLastLongerThanTwoSeconds)
{
    constexpr long Rate = 60 * 1000;
    LocalFtpServer server(GetParam(), addr(0), ThreeAccounts, FtpServerOptions{Rate, Rate});
    const FtpAccount& allowAll = ThreeAccounts[0];
    const std::string content = randomBytes(300 * 1024, 11);
    server.putFile(allowAll.user, "lento.bin", content);

    auto start = Clock::now();
    CurlResult r = download(server, allowAll, "lento.bin", m_tmp / "lento.bin");
    const auto down = Clock::now() - start;
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_EQ(readAll(m_tmp / "lento.bin"), content);
    EXPECT_GT(down, std::chrono::seconds(2));

    start = Clock::now();
    r = upload(server, allowAll, m_tmp / "lento.bin", "subido.bin");
    const auto up = Clock::now() - start;
    ASSERT_EQ(r.exitCode, CurlOk) << r.err;
    EXPECT_EQ(readAll(fs::path(server.homeOf(allowAll.user)) / "subido.bin"), content);
    EXPECT_GT(up, std::chrono::seconds(2));
}

TEST_P(FtpServerFixtureTest, DestructorLeavesNoProcessNoDirectoryAndFreesTheAddress)
{
    pid_t pid = -1;
    std::string home;
    std::vector<pid_t> family;
    int control = -1;
    {
        LocalFtpServer server(GetParam(), addr(0), ThreeAccounts);
        pid = server.pid();
        home = server.homeOf("todo");
        ASSERT_GT(pid, 0);
        EXPECT_EQ(::getpgid(pid), pid) << "server must lead its own process group";
        EXPECT_NE(::getpgid(pid), ::getpgrp());

        // A logged-in session still open when the destructor runs.
        control = loggedInControlConnection(server.address(), ThreeAccounts[0]);
        ASSERT_GE(control, 0);
        family = pordane::testsupport::descendantsOf(pid);
        if (GetParam() == FtpServerKind::Vsftpd) {
            EXPECT_GE(family.size(), 3u) << "vsftpd and its session processes expected";
        }
    }
    EXPECT_TRUE(processGone(pid));
    EXPECT_TRUE(processGone(-pid)) << "process group still has members (zombies count)";
    for (pid_t p : family)
        EXPECT_TRUE(processGone(p)) << "left behind: " << p;
    EXPECT_EQ(readReply(control), "") << "session still answering";
    ::close(control);
    EXPECT_FALSE(fs::exists(home));
    EXPECT_FALSE(fs::exists(fs::path(home).parent_path().parent_path()));
    // The address is free at once for the next server.
    LocalFtpServer again(GetParam(), addr(0), {ThreeAccounts[0]});
    EXPECT_EQ(list(again, ThreeAccounts[0]).exitCode, CurlOk);
}

TEST_P(FtpServerFixtureTest, ServerStopsAndCleansUpWhenItsOwnerDiesWithoutTheDestructor)
{
    // Stands in for a test process killed by a ctest timeout. As subreaper we
    // inherit the orphaned server and can see it end.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const pid_t owner = ::fork();
    ASSERT_GE(owner, 0);
    if (owner == 0) {
        ::close(fds[0]);
        try {
            LocalFtpServer server(GetParam(), addr(0), {ThreeAccounts[0]});
            const std::string msg = std::to_string(server.pid()) + " " + server.homeOf("todo") + "\n";
            if (::write(fds[1], msg.data(), msg.size()) == static_cast<ssize_t>(msg.size()))
                ::pause();
        } catch (...) {
        }
        ::_exit(1);
    }
    ::close(fds[1]);
    std::string msg = readReply(fds[0]);
    ::close(fds[0]);
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);

    std::istringstream in(msg);
    pid_t serverPid = -1;
    std::string home;
    in >> serverPid >> home;
    ASSERT_GT(serverPid, 0) << "owner did not start its server: " << msg;
    bool ended = false;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!ended && Clock::now() < deadline) {
        ended = ::waitpid(serverPid, nullptr, WNOHANG) == serverPid;
        if (!ended)
            ::poll(nullptr, 0, 20);
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    ASSERT_TRUE(ended) << "server outlived its owner";
    EXPECT_FALSE(fs::exists(fs::path(home).parent_path().parent_path())) << home;
    LocalFtpServer again(GetParam(), addr(0), {ThreeAccounts[0]});
    EXPECT_EQ(list(again, ThreeAccounts[0]).exitCode, CurlOk);
}

TEST_P(FtpServerFixtureTest, ServerInheritsNoDescriptorOfTheTestProcess)
{
    int leaky[2];
    ASSERT_EQ(::pipe(leaky), 0); // deliberately without O_CLOEXEC
    const std::string pipeLink = fs::read_symlink("/proc/self/fd/" + std::to_string(leaky[0])).string();
    {
        LocalFtpServer server(GetParam(), addr(0), {ThreeAccounts[0]});
        std::vector<pid_t> processes = pordane::testsupport::descendantsOf(server.pid());
        processes.push_back(server.pid());
        for (pid_t p : processes) {
            std::error_code ec;
            for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(p) + "/fd", ec)) {
                std::error_code ec2;
                EXPECT_NE(fs::read_symlink(fd.path(), ec2).string(), pipeLink) << "pid " << p << " fd " << fd.path();
            }
        }
    }
    ::close(leaky[0]);
    ::close(leaky[1]);
}

TEST_P(FtpServerFixtureTest, TwoServersRunSideBySideWithSeparateHomes)
{
    LocalFtpServer a(GetParam(), addr(0), {ThreeAccounts[0]});
    LocalFtpServer b(GetParam(), addr(1), {ThreeAccounts[0]});
    EXPECT_NE(a.homeOf("todo"), b.homeOf("todo"));
    writeAll(m_tmp / "f.txt", "uno");
    ASSERT_EQ(upload(a, ThreeAccounts[0], m_tmp / "f.txt", "en-a.txt").exitCode, CurlOk);
    ASSERT_EQ(upload(b, ThreeAccounts[0], m_tmp / "f.txt", "en-b.txt", Mode::Active).exitCode, CurlOk);
    EXPECT_TRUE(fs::exists(fs::path(a.homeOf("todo")) / "en-a.txt"));
    EXPECT_FALSE(fs::exists(fs::path(a.homeOf("todo")) / "en-b.txt"));
    EXPECT_TRUE(fs::exists(fs::path(b.homeOf("todo")) / "en-b.txt"));
    EXPECT_EQ(a.commandLog().find("en-b.txt"), std::string::npos);
}

TEST_P(FtpServerFixtureTest, RefusesBadAddressesAndReportsStartFailures)
{
    EXPECT_THROW(LocalFtpServer(GetParam(), "192.0.2.1", ThreeAccounts), std::invalid_argument);
    EXPECT_THROW(LocalFtpServer(GetParam(), "localhost", ThreeAccounts), std::invalid_argument);
    EXPECT_THROW(LocalFtpServer(GetParam(), addr(0), {}), std::invalid_argument);

    LocalFtpServer first(GetParam(), addr(0), {ThreeAccounts[0]});
    EXPECT_THROW(LocalFtpServer(GetParam(), addr(0), {ThreeAccounts[0]}), std::runtime_error);
    EXPECT_EQ(list(first, ThreeAccounts[0]).exitCode, CurlOk) << "first server disturbed";

    try {
        LocalFtpServer bad(GetParam(), addr(1), {{"raro", "x", "elrZ"}});
        ADD_FAILURE() << "unknown permission letter accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("unknown permission letters"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FtpServerFixtureTest,
                         ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         [](const ::testing::TestParamInfo<FtpServerKind>& p) {
                             return std::string(p.param == FtpServerKind::Pyftpdlib ? "pyftpdlib" : "vsftpd");
                         });

} // namespace
