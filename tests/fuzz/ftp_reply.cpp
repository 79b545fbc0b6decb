// The FTP client's reply reading, through a real loopback connection: the
// input is what a server sends on the control connection (before the first
// NUL) and on each active-mode data connection (after it). The client logs
// in, changes folder, lists, downloads, deletes; every failure must be an
// FtpError.
#include "ftp/FTPClient.h"
#include "platform/SocketIO.h"
#include "FuzzInput.h"

#include <atomic>
#include <cstdio>
#include <thread>

using namespace pordane;
using namespace std::chrono_literals;
using platform::IPv4;

namespace {

const IPv4 kServer{(127u << 24) | (16u << 8) | 1u}; // 127.0.16.1, a port of its own

// "PORT h1,h2,h3,h4,p1,p2" from the client: where its listener waits.
bool parsePort(const std::string& line, IPv4& address, uint16_t& port)
{
    unsigned h[6];
    if (std::sscanf(line.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) != 6)
        return false;
    address.value = h[0] << 24 | h[1] << 16 | h[2] << 8 | h[3];
    port = static_cast<uint16_t>(h[4] << 8 | h[5]);
    return (address.value >> 24) == 127; // only ever loopback
}

void serve(platform::Socket conn, const std::string& control, const std::string& listing)
{
    try {
        platform::sendAll(conn, control.data(), control.size(), 1000ms);
        platform::shutdownSend(conn);
        std::string in;
        char buf[4096];
        for (;;) {
            const size_t n = platform::receiveSome(conn, buf, sizeof buf, 2000ms);
            if (n == 0)
                return;
            in.append(buf, n);
            for (size_t eol; (eol = in.find("\r\n")) != std::string::npos; in.erase(0, eol + 2)) {
                IPv4 address;
                uint16_t port = 0;
                if (!parsePort(in.substr(0, eol), address, port))
                    continue;
                try {
                    platform::Socket data = platform::connectTcp(address, port, 1000ms);
                    platform::sendAll(data, listing.data(), listing.size(), 1000ms);
                } catch (const platform::NetError&) {
                }
            }
        }
    } catch (const platform::NetError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static platform::TcpListener listener = platform::listenTcp(kServer);
    static fuzz::ScratchFile download("pordane-fuzz-ftp");
    const auto text = fuzz::asText(data, size);
    const size_t nul = text.find('\0');
    const std::string control(text.substr(0, nul));
    const std::string listing(nul == text.npos ? std::string_view() : text.substr(nul + 1));

    std::atomic<bool> done{false};
    std::thread server([&] {
        while (!done) {
            try {
                serve(platform::acceptTcp(listener.sock, 50ms), control, listing);
            } catch (const platform::NetError&) {
            }
        }
    });

    ftp::FTPClient client;
    client.Host = "servidor.prueba";
    client.HostResolver = [](const std::string&) { return std::optional<IPv4>(kServer); };
    client.Port = listener.port;
    client.Username = "usuario";
    client.Password = "clave";
    client.ConnectTimeout = 1000ms;
    client.ReadTimeout = 300ms;
    client.TransferTimeout = 300ms;
    client.ListenTimeout = 500ms;
    try {
        client.Connect();
        client.ChangeDir("Estruc1");
        client.List();
        client.Get("1000.ini", download.write(nullptr, 0).string());
        client.Delete("1000.ini");
        client.Disconnect();
    } catch (const ftp::FtpError&) {
    }
    client.Disconnect();
    done = true;
    try { // wakes the server's accept at once
        platform::Socket wake = platform::connectTcp(kServer, listener.port, 1000ms);
    } catch (const platform::NetError&) {
    }
    server.join();
    return 0;
}
