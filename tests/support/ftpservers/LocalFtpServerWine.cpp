// LocalFtpServer in the Windows build, whose tests run under Wine: the same
// native launchers, started through Wine (which runs Linux programs as well)
// by wine_ftp_helper.sh, their work folder under /tmp read and written
// through drive Z:. Wine cannot wait for nor signal a Linux process, so the
// helper supervises the launcher and this side talks to it through files.
#include "support/ftpservers/LocalFtpServer.h"
#include "support/ftpservers/LocalFtpServerShared.h"

#include "platform/base/WindowsCommandLine.h"
#include "platform/NetError.h"
#include "platform/TcpConnect.h"
#include "platform/base/TextEncoding.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace pordane::testsupport {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace detail;

constexpr auto StopTimeout = 10s;  // the helper's own grace is 3 s
const std::string Helper = std::string(PORDANE_FTPSERVERS_DIR) + "/wine_ftp_helper.sh";

// A Linux path as this process sees it.
std::string throughZ(const std::string& native)
{
    return "Z:" + native;
}

bool nativeFileExists(const std::string& native)
{
    std::error_code ec;
    return fs::exists(fs::path(throughZ(native)), ec);
}


void writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

bool acceptsConnection(const std::string& address, int port)
{
    try {
        platform::connectTcp(*platform::IPv4::parse(address), static_cast<uint16_t>(port), 500ms);
        return true;
    } catch (const platform::NetError&) {
        return false;
    }
}

// Starts the helper natively: bash with the helper and `arguments`.
void runHelper(const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{"/bin/bash", Helper};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const std::u16string line16 = platform::utf8ToUtf16(platform::joinCommandLine(all));
    std::wstring line(line16.begin(), line16.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\bash", line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        throw std::runtime_error("cannot start " + Helper + " through Wine: error " + std::to_string(GetLastError()));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// Waits, polling, until `done` holds or `limit` passes.
template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(PollInterval);
    }
    return true;
}

std::string freshNativeFolder()
{
    std::random_device seed;
    std::mt19937_64 random(seed() ^ static_cast<uint64_t>(Clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string native = "/tmp/pordane-ftp-wine-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(random() % 1000000000);
        std::error_code ec;
        if (fs::create_directory(fs::path(throughZ(native)), ec))
            return native;
    }
    throw std::runtime_error("cannot make a work folder under /tmp");
}

} // namespace

bool LocalFtpServer::available(FtpServerKind kind)
{
    if (!nativeFileExists(Python) || !nativeFileExists("/bin/bash") || !nativeFileExists("/usr/bin/setsid"))
        return false;
    if (kind == FtpServerKind::Pyftpdlib)
        return nativeFileExists(PyftpdlibModule);
    // Wine's server opens files for us, as the user Wine runs as.
    const bool root = readWholeFile(throughZ("/proc/self/status")).find("\nUid:\t0\t") != std::string::npos;
    return root && nativeFileExists(Vsftpd) && havePamPwdfile(nativeFileExists);
}

LocalFtpServer::LocalFtpServer(FtpServerKind kind, std::string address, std::vector<FtpAccount> accounts,
                               FtpServerOptions opts)
    : m_kind(kind), m_address(std::move(address))
{
    checkRequest(kind, m_address, accounts, opts, acceptsConnection);

    m_nativeWorkDir = freshNativeFolder();
    m_workDir = throughZ(m_nativeWorkDir);
    try {
        writeWholeFile(m_workDir + "/accounts.json",
                       accountsJson(accounts, m_nativeWorkDir, m_workDir, m_homes));
        // Held open until stop(): when this process dies without it, the
        // helper sees that nothing holds the file any more and cleans up.
        const std::wstring alive = fs::path(m_workDir + "/alive").wstring();
        m_alive = CreateFileW(alive.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_alive == INVALID_HANDLE_VALUE) {
            m_alive = nullptr;
            throw std::runtime_error("cannot create " + m_workDir + "/alive");
        }
        std::vector<std::string> arguments{"serve", m_nativeWorkDir};
        const auto launcher = launcherCommand(kind, m_address, m_nativeWorkDir, opts);
        arguments.insert(arguments.end(), launcher.begin(), launcher.end());
        runHelper(arguments);

        bool exited = false;
        const bool up = waitFor(
            [&] {
                exited = fs::exists(fs::path(m_workDir + "/exited"));
                return exited || acceptsConnection(m_address, FtpPort);
            },
            StartTimeout);
        if (exited)
            throw std::runtime_error("FTP server on " + m_address + " exited at start: " + readWorkFile("stderr"));
        if (!up)
            throw std::runtime_error("FTP server on " + m_address + " did not accept within 10 s: " +
                                     readWorkFile("stderr"));
        m_pid = static_cast<pid_t>(std::stol(readWorkFile("pid")));
    } catch (...) {
        stop();
        std::error_code ec;
        fs::remove_all(fs::path(m_workDir), ec);
        throw;
    }
}

LocalFtpServer::~LocalFtpServer()
{
    stop();
    std::error_code ec;
    fs::remove_all(fs::path(m_workDir), ec);
}

void LocalFtpServer::stop() noexcept
{
    const fs::path work(m_workDir);
    std::error_code ec;
    if (fs::exists(work / "pid", ec) && !fs::exists(work / "exited", ec)) {
        std::ofstream(work / "stop") << "stop\n";
        waitFor([&] { return fs::exists(work / "stopped", ec); }, StopTimeout);
    }
    if (m_alive) {
        CloseHandle(m_alive);
        m_alive = nullptr;
    }
    m_pid = -1;
}

void LocalFtpServer::putFile(const std::string& user, const std::string& name, const std::string& bytes) const
{
    const std::string home = homeOf(user);
    const std::string nativeHome = home.substr(2);
    const std::string part = "/.pordane-part-" + name;
    writeWholeFile(home + part, bytes);
    runHelper({"put", nativeHome, nativeHome + part, nativeHome + "/" + name});
    const bool handed = waitFor(
        [&] { return !fs::exists(fs::path(home + part)) && fs::exists(fs::path(home + "/" + name)); }, StartTimeout);
    if (!handed)
        throw std::runtime_error("cannot hand " + home + "/" + name + " to the server");
}

std::string LocalFtpServer::readWorkFile(const std::string& name) const
{
    return readWholeFile(m_workDir + "/" + name);
}

} // namespace pordane::testsupport
