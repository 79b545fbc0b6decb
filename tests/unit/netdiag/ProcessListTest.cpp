#include "netdiag/ProcessList.h"
#include "platform/ProcNet.h"
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace pordane;
using platform::ListeningSocket;
using platform::SocketProtocol;
using platform::procnet::BoundSocket;
using platform::procnet::parseTable;
namespace fs = std::filesystem;
using namespace std::string_view_literals;

namespace {

constexpr const char* TcpHeader =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n";
constexpr const char* UdpHeader =
    "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ref pointer drops\n";

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string f; in >> f;)
        out.push_back(f);
    return out;
}

// A /proc tree in a temporary folder, removed at the end.
struct FakeProc {
    fs::path root;
    FakeProc()
    {
        root = fs::temp_directory_path() /
               ("pordane-netdiag-proc-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "net");
    }
    ~FakeProc() { fs::remove_all(root); }
    void write(const fs::path& rel, const std::string& text) const
    {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel, std::ios::binary) << text;
    }
    void process(int pid, const std::string& comm, const std::vector<std::string>& fdLinks) const
    {
        const fs::path dir = root / std::to_string(pid);
        write(dir.lexically_relative(root) / "comm", comm + "\n");
        fs::create_directories(dir / "fd");
        for (size_t i = 0; i < fdLinks.size(); ++i)
            fs::create_symlink(fdLinks[i], dir / "fd" / std::to_string(i + 3));
    }
};

platform::Socket boundOnLoopback(int type, uint16_t& port)
{
    platform::Socket s(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.3.6", &sa.sin_addr);
    EXPECT_EQ(::bind(s.fd(), reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    if (type == SOCK_STREAM) {
        EXPECT_EQ(::listen(s.fd(), 4), 0);
    }
    socklen_t len = sizeof sa;
    ::getsockname(s.fd(), reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return s;
}

} // namespace

TEST(ProcNetTable, KeepsListeningTcpAndUnconnectedBoundUdp)
{
    const std::string tcp = std::string(TcpHeader) +
        "   0: 0100007F:0277 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 1001 1 0000000000000000 100 0 0 10 0\n"
        "   1: 0100007F:9C40 0100007F:0277 01 00000000:00000000 00:00000000 00000000  1000        0 1002 1 0000000000000000 20 4 30 10 -1\n"
        "   2: 0100007F:A000 0100007F:0277 06 00000000:00000000 03:00000C6A 00000000     0        0 0 3 0000000000000000\n";
    EXPECT_EQ(parseTable(tcp, SocketProtocol::TCP), (std::vector<BoundSocket>{{SocketProtocol::TCP, 0x277, 1001}}));

    const std::string tcp6 = std::string(TcpHeader) +
        "   0: 00000000000000000000000001000000:1F90 00000000000000000000000000000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 2001 1 0000000000000000 100 0 0 10 0\n";
    EXPECT_EQ(parseTable(tcp6, SocketProtocol::TCP), (std::vector<BoundSocket>{{SocketProtocol::TCP, 8080, 2001}}));

    const std::string udp = std::string(UdpHeader) +
        "  100: 00000000:0044 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 3001 2 0000000000000000 0\n"
        "  101: 0100007F:D431 0100007F:0035 01 00000000:00000000 00:00000000 00000000  1000        0 3002 2 0000000000000000 0\n"
        "  102: 00000000:0000 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 3003 2 0000000000000000 0\n";
    // The connected client socket and the one without a port are not bound servers.
    EXPECT_EQ(parseTable(udp, SocketProtocol::UDP), (std::vector<BoundSocket>{{SocketProtocol::UDP, 68, 3001}}));
    // The same text read as TCP holds no LISTEN line.
    EXPECT_TRUE(parseTable(udp, SocketProtocol::TCP).empty());
}

TEST(ProcNetTable, MalformedLinesAreSkipped)
{
    const std::string good =
        "   7: 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 4242 1 0 100 0 0 10 0";
    const std::vector<std::string> bad = {
        "",
        "garbage",
        "   1: 0100007F:0015 00000000:0000 0A",                                                       // cut short
        "   x: 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",        // slot
        "   1 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",         // no colon
        "   1: 0100007F0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",         // no port
        "   1: 0100007:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",         // short address
        "   1: 0100007G:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",        // not hex
        "   1: 0100007F:00151 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",       // long port
        "   1: 0100007F:ZZZZ 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",        // port not hex
        "   1: 0100007F:-015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1",        // sign
        "   1: 0100007F:0015 00000000:0000 A 00000000:00000000 00:00000000 00000000 0 0 1 1",         // state
        "   1: 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 12a 1",      // inode
        "   1: 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 99999999999999999999999 1",
        std::string("   1: 0100007F:0015\0 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1 1"sv),
    };
    std::string text = TcpHeader;
    for (const auto& line : bad)
        text += line + "\n";
    text += good; // last line without its newline, and with a CR before it
    text.insert(text.size() - good.size() - 1, "\r");
    EXPECT_EQ(parseTable(text, SocketProtocol::TCP), (std::vector<BoundSocket>{{SocketProtocol::TCP, 21, 4242}}));

    // Random bytes and random cuts of real lines never crash the parser.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string junk = good.substr(0, random() % good.size());
        for (int i = random() % 64; i > 0; --i)
            junk += static_cast<char>(random() % 256);
        (void)parseTable(junk, round % 2 ? SocketProtocol::TCP : SocketProtocol::UDP);
    }
}

TEST(ProcNetOwners, SocketsAreJoinedWithEveryProcessHoldingThem)
{
    FakeProc proc;
    proc.write("net/tcp", std::string(TcpHeader) +
        "   0: 00000000:0016 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 1001 1 0\n"
        "   1: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 3003 1 0\n");
    // The same daemon also listens on IPv6: the rows are identical and shown once.
    proc.write("net/tcp6", std::string(TcpHeader) +
        "   0: 00000000000000000000000000000000:0016 00000000000000000000000000000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 1004 1 0\n");
    proc.write("net/udp", std::string(UdpHeader) +
        "   5: 00000000:0016 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 2002 2 0 0\n"
        "   6: 00000000:0202 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 5005 2 0 0\n");
    // No udp6 table at all: it is skipped.
    proc.process(100, "servidor", {"socket:[1001]", "/dev/null", "socket:[1001]", "socket:[2002]", "socket:[1004]"});
    proc.process(200, "hijo", {"socket:[1001]", "pipe:[77]"});
    proc.process(1234567, "largo", {"socket:[2002]"});
    fs::create_directories(proc.root / "300"); // another user's process: no readable fd folder
    proc.write("300/comm", "ajeno\n");
    proc.process(400, "mitad", {"socket:[", "socket:[]", "socket:[12x]"});
    fs::create_directories(proc.root / "sys");
    fs::create_directory_symlink(proc.root / "100", proc.root / "self");

    const auto owners = platform::procnet::readSocketOwners(proc.root);
    ASSERT_EQ(owners.count(1001), 1u);
    EXPECT_EQ(owners.at(1001).size(), 2u); // two descriptors of pid 100 count once
    EXPECT_EQ(owners.count(3003), 0u);

    const auto sockets = platform::procnet::listListeningSockets(proc.root);
    // 1001 twice (two owners), 1004, 2002 twice, 3003 and 5005 without owner.
    EXPECT_EQ(sockets.size(), 7u);

    EXPECT_EQ(netdiag::formatProcesses(sockets),
              "100     22      TCP     servidor\n"
              "200     22      TCP     hijo\n"
              "100     22      UDP     servidor\n"
              "1234567 22      UDP     largo\n"
              "-       514     UDP\n"
              "-       8080    TCP");
}

TEST(FormatProcesses, SortsByPortThenProtocolAndPidAndKeepsColumns)
{
    std::vector<ListeningSocket> sockets = {
        {SocketProtocol::UDP, 53, std::nullopt, ""},
        {SocketProtocol::UDP, 53, 9, "dns"},
        {SocketProtocol::TCP, 53, 12, "dns"},
        {SocketProtocol::TCP, 53, 9, "dns"},
        {SocketProtocol::TCP, 65535, 123456789, "nombre con\tcontrol\n"},
        {SocketProtocol::TCP, 1, 1, "init"},
        {SocketProtocol::TCP, 53, 9, "dns"},
    };
    const auto lines = splitLines(netdiag::formatProcesses(sockets));
    const std::vector<std::string> expected = {
        "1       1       TCP     init",
        "9       53      TCP     dns",
        "12      53      TCP     dns",
        "9       53      UDP     dns",
        "-       53      UDP",
        // A PID wider than its column still leaves a blank before the port.
        "123456789 65535   TCP     nombre con?control?",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(netdiag::formatProcesses({}), "");
}

TEST(ShowProcesesPorts, ListsOurOwnListeningTcpAndBoundUdpSockets)
{
    uint16_t tcpPort = 0;
    uint16_t udpPort = 0;
    const auto tcp = boundOnLoopback(SOCK_STREAM, tcpPort);
    const auto udp = boundOnLoopback(SOCK_DGRAM, udpPort);
    // The kernel keeps the first 15 bytes of the program name.
    const std::string ourName = std::string(program_invocation_short_name).substr(0, 15);
    const std::string ourPid = std::to_string(::getpid());

    const std::string text = netdiag::ShowProcesesPorts();
    bool foundTcp = false;
    bool foundUdp = false;
    long previousPort = -1;
    for (const std::string& line : splitLines(text)) {
        const auto fields = fieldsOf(line);
        ASSERT_GE(fields.size(), 3u) << line;
        // Columns start every 8 characters, under the page's header sections.
        if (fields[0].size() < netdiag::ProcessesColumnWidth) {
            EXPECT_EQ(line.find_first_not_of(' ', 8), 8u) << line;
            EXPECT_EQ(line.find_first_not_of(' ', 16), 16u) << line;
            if (fields.size() > 3) {
                EXPECT_EQ(line.find_first_not_of(' ', 24), 24u) << line;
            }
        }
        const long port = std::stol(fields[1]);
        EXPECT_GE(port, previousPort) << "not sorted by port at: " << line;
        previousPort = port;
        const std::string name = fields.size() > 3 ? line.substr(24) : "";
        if (fields[0] == ourPid && name == ourName) {
            foundTcp |= port == tcpPort && fields[2] == "TCP";
            foundUdp |= port == udpPort && fields[2] == "UDP";
        }
    }
    EXPECT_TRUE(foundTcp) << "TCP " << tcpPort << " of " << ourPid << " " << ourName << " not in:\n" << text;
    EXPECT_TRUE(foundUdp) << "UDP " << udpPort << " of " << ourPid << " " << ourName << " not in:\n" << text;
}
