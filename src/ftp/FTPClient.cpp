// The FTP client's control connection: replies, connect and login, plain
// commands, abort and disconnect. Data connections and transfers are in
// FTPClientTransfers.cpp.
#include "ftp/FTPClient.h"

#include "ftp/FTPClientInternal.h"
#include "ftp/RunState.h"
#include "platform/base/Pump.h"
#include "platform/SocketIO.h"
#include "platform/base/TextEncoding.h"
#include "pordane/BuildConfig.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace pordane::ftp {

using namespace detail;

namespace {

using Clock = std::chrono::steady_clock;
using platform::NetError;
using namespace std::chrono_literals;

FtpError::Kind kindOf(const NetError& e)
{
    switch (e.kind()) {
    case NetError::Kind::ConnectTimeout:
        return FtpError::Kind::ConnectTimeout;
    case NetError::Kind::ReadTimeout:
        return FtpError::Kind::ReadTimeout;
    case NetError::Kind::Closed:
        return FtpError::Kind::ConnectionClosed;
    case NetError::Kind::Resolve:
    case NetError::Kind::Socket:
        break;
    }
    return FtpError::Kind::Socket;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

namespace detail {

std::string excerpt(const std::string& text)
{
    size_t cut = std::min<size_t>(text.size(), 80);
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::string out;
    for (char c : text.substr(0, cut))
        out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
    return out;
}

void checkCommandText(const std::string& command)
{
    if (command.find_first_of("\r\n") != std::string::npos)
        throw FtpError(FtpError::Kind::Protocol, "Nombre no válido: contiene un salto de línea");
}

} // namespace detail

std::string FtpReply::text() const
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += '\n';
        out += lines[i];
    }
    return out;
}

FTPClient::FTPClient() : ClientName(std::string("Pordane ") + config::AppVersion), m_block(BlockSize) {}

FTPClient::~FTPClient() = default;

void FTPClient::setObserver(FTPObserver* observer)
{
    m_observer = observer;
    m_work.setObserver(observer);
}

bool FTPClient::SupportsFeature(const std::string& name) const
{
    for (const std::string& line : m_capabilities) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos)
            continue;
        const auto end = line.find_first_of(" \t", start);
        const std::string word = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (word.size() == name.size() &&
            std::equal(word.begin(), word.end(), name.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
            }))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- control

void FTPClient::status(FtpStatus s, const std::string& text)
{
    if (m_observer)
        m_observer->OnStatus(s, text);
}

void FTPClient::notice(const std::string& text)
{
    if (m_observer)
        m_observer->OnNotice(text);
}

void FTPClient::requireConnected() const
{
    if (!m_control.valid())
        throw FtpError(FtpError::Kind::NotConnected, "No hay conexión con el servidor FTP");
}

void FTPClient::closeControl()
{
    m_control.close();
    releaseData();
    m_inBuf.clear();
    m_inPos = 0;
}

void FTPClient::failControl(FtpError::Kind kind, const std::string& what, int code)
{
    closeControl();
    throw FtpError(kind, what, code);
}

void FTPClient::controlNetError(const NetError& e)
{
    if (e.kind() == NetError::Kind::Closed)
        failControl(FtpError::Kind::ConnectionClosed, std::string("El servidor ha cerrado la conexión: ") + e.what());
    failControl(kindOf(e), e.what());
}

void FTPClient::dataNetError(const NetError& e)
{
    if (e.kind() == NetError::Kind::Closed)
        throw FtpError(FtpError::Kind::Socket, std::string("Conexión de datos cerrada: ") + e.what());
    throw FtpError(kindOf(e), e.what());
}

std::string FTPClient::encode(const std::string& text) const
{
    return m_utf8 ? text : platform::utf8ToLatin1(text);
}

std::string FTPClient::decode(const std::string& bytes) const
{
    // A server announcing UTF-8 may still send anything: what reaches a
    // dialog must be valid text.
    return m_utf8 ? platform::validUtf8(bytes) : platform::latin1ToUtf8(bytes);
}

void FTPClient::writeCommand(const std::string& command)
{
    requireConnected();
    checkCommandText(command);
    const std::string wire = encode(command) + "\r\n";
    try {
        platform::sendAll(m_control, wire.data(), wire.size(), ReadTimeout);
    } catch (const NetError& e) {
        controlNetError(e);
    }
}

std::string FTPClient::readLine(Clock::time_point deadline)
{
    for (;;) {
        const auto newline = m_inBuf.find('\n', m_inPos);
        if (newline != std::string::npos) {
            std::string line = m_inBuf.substr(m_inPos, newline - m_inPos);
            m_inPos = newline + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.size() > MaxReplyLine)
                failControl(FtpError::Kind::Protocol, "Línea de respuesta demasiado larga");
            return line;
        }
        if (m_inBuf.size() - m_inPos > MaxReplyLine)
            failControl(FtpError::Kind::Protocol, "Línea de respuesta demasiado larga");
        m_inBuf.erase(0, m_inPos);
        m_inPos = 0;

        // Rounded up: a limit cut short by a fraction of a millisecond would end the wait early.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            failControl(FtpError::Kind::ReadTimeout, "Tiempo de espera agotado esperando la respuesta del servidor");
        char chunk[16 * 1024];
        size_t n = 0;
        try {
            n = platform::receiveSome(m_control, chunk, sizeof chunk, left);
        } catch (const NetError& e) {
            if (e.kind() == NetError::Kind::ReadTimeout)
                failControl(FtpError::Kind::ReadTimeout, "Tiempo de espera agotado esperando la respuesta del servidor");
            controlNetError(e);
        }
        if (n == 0)
            failControl(FtpError::Kind::ConnectionClosed, "El servidor ha cerrado la conexión");
        m_inBuf.append(chunk, n);
    }
}

FtpReply FTPClient::readReply()
{
    requireConnected();
    // Bounds the whole reply, blank lines included, so a server that never
    // ends a multi-line reply cannot make us read (or store) forever, nor
    // wait for ever on lines that each come just within ReadTimeout.
    size_t lineCount = 0;
    size_t byteCount = 0;
    const auto replyDeadline = Clock::now() + ReadTimeout * ReplyTimeoutFactor;
    auto next = [&] {
        std::string line = readLine(std::min(Clock::now() + ReadTimeout, replyDeadline));
        byteCount += line.size() + 1;
        if (++lineCount > MaxReplyLines || byteCount > MaxReplyBytes)
            failControl(FtpError::Kind::Protocol, "Respuesta del servidor demasiado larga");
        return line;
    };

    std::string first;
    do
        first = next();
    while (first.empty());

    // "ddd text" ends a reply at once, "ddd-text" opens a multi-line one.
    const bool digits = first.size() >= 3 && std::isdigit(static_cast<unsigned char>(first[0])) &&
                        std::isdigit(static_cast<unsigned char>(first[1])) &&
                        std::isdigit(static_cast<unsigned char>(first[2]));
    const int code = digits ? std::stoi(first.substr(0, 3)) : 0;
    if (!digits || code < 100 || code > 599 || (first.size() > 3 && first[3] != ' ' && first[3] != '-'))
        failControl(FtpError::Kind::Protocol, "Respuesta no válida del servidor: " + excerpt(decode(first)));

    FtpReply reply;
    reply.code = code;
    reply.lines.push_back(decode(first.size() > 4 ? first.substr(4) : std::string()));
    if (first.size() > 3 && first[3] == '-') {
        const std::string prefix = first.substr(0, 3);
        for (;;) {
            std::string line = next();
            if (line.empty())
                continue;
            // The reply ends at "ddd text" with the same code; a bare "ddd" is taken as that too.
            if (line.compare(0, 3, prefix) == 0 && (line.size() == 3 || line[3] == ' ')) {
                reply.lines.push_back(decode(line.size() > 4 ? line.substr(4) : std::string()));
                break;
            }
            // Some servers repeat "ddd-" on every line; drop it so FEAT lines read alike.
            if (line.size() > 3 && line.compare(0, 3, prefix) == 0 && line[3] == '-')
                line.erase(0, 4);
            reply.lines.push_back(decode(line));
        }
    }
    m_lastReply = reply;
    return reply;
}

FtpReply FTPClient::sendCommand(const std::string& command)
{
    writeCommand(command);
    return readReply();
}

FtpReply FTPClient::expect(FtpReply reply, std::initializer_list<int> accepted)
{
    if (!isOneOf(reply.code, accepted))
        throw FtpError(FtpError::Kind::Protocol, std::to_string(reply.code) + " " + reply.text(), reply.code);
    return reply;
}

bool FTPClient::inputPending(std::chrono::milliseconds wait)
{
    return m_inPos < m_inBuf.size() || platform::readableWithin(m_control, wait);
}

std::chrono::milliseconds FTPClient::connectLimit() const
{
    return ConnectTimeout.count() > 0 ? ConnectTimeout : platform::DefaultConnectTimeout;
}

std::string FTPClient::typeCommand() const
{
    return TransferType == FtpTransferType::ASCII ? "TYPE A" : "TYPE I";
}

// ---------------------------------------------------------------- connect

void FTPClient::resetState()
{
    closeControl();
    m_greeting.clear();
    m_capabilities.clear();
    m_systemType.clear();
    m_lastReply = {};
    m_utf8 = false;
    m_abortFlag = false;
}

void FTPClient::Connect()
{
    BusyScope busy(m_busy);
    if (m_control.valid())
        throw FtpError(FtpError::Kind::Socket, "La conexión con el servidor ya está abierta");
    // A server that drops the connection on HOST gets one more try without it;
    // the setting itself is untouched, so the next Connect sends HOST again.
    if (connectOnce(UseHOST) == HostStep::Dropped)
        connectOnce(false);
}

FTPClient::HostStep FTPClient::connectOnce(bool useHost)
{
    resetState();
    status(FtpStatus::Resolving, "Resolviendo " + Host);
    platform::IPv4 address;
    try {
        address = platform::resolveIPv4(Host, HostResolver);
        status(FtpStatus::Connecting, "Conectando a " + address.text());
        m_control = TcpConnector(address, Port, connectLimit());
        m_peer = platform::peerAddress(m_control);
    } catch (const NetError& e) {
        closeControl();
        throw FtpError(kindOf(e), e.what());
    }
    status(FtpStatus::Connected, "Conectado a " + address.text());

    bool greeted = false;
    try {
        // "120 Service ready in nnn minutes" comes before the real "220".
        FtpReply greeting = readReply();
        if (greeting.code / 100 == 1)
            greeting = readReply();
        expect(greeting, {220});
        m_greeting = greeting.lines.front();
        greeted = true;

        if (useHost) {
            // RFC 7151: an address literal travels in brackets.
            const auto literal = platform::IPv4::parse(Host);
            const std::string argument = literal && *literal == m_peer ? "[" + Host + "]" : Host;
            try {
                // Any reply will do while the connection stays open; "421"
                // announces that the server is closing it.
                if (sendCommand("HOST " + argument).code == 421) {
                    closeControl();
                    return HostStep::Dropped;
                }
            } catch (const FtpError& e) {
                if (e.kind() != FtpError::Kind::ConnectionClosed)
                    throw;
                closeControl();
                return HostStep::Dropped;
            }
        }
        if (AutoLogin)
            login();
        if (AutoFEAT)
            negotiateFeatures();
        expect(sendCommand(typeCommand()), {200});
        const FtpReply syst = sendCommand("SYST");
        m_systemType = syst.code == 500 ? "Unknown" : syst.lines.front();
        expect(sendCommand(typeCommand()), {200});
    } catch (const RunStopped&) {
        // The window's stop: no QUIT, just close.
        closeControl();
        throw;
    } catch (...) {
        if (greeted && m_control.valid())
            quitQuietly();
        closeControl();
        throw;
    }
    status(FtpStatus::LoggedIn, "Conexión establecida");
    return HostStep::Done;
}

void FTPClient::login()
{
    const FtpReply user = expect(sendCommand("USER " + Username), {230, 232, 331});
    if (user.code != 331)
        return;
    const FtpReply pass = expect(sendCommand("PASS " + Password), {230, 332});
    // 332 asks for an account, which is never configured.
    if (pass.code == 332)
        throw FtpError(FtpError::Kind::Protocol, std::to_string(pass.code) + " " + pass.text(), pass.code);
}

void FTPClient::negotiateFeatures()
{
    // "211-Features:" / " MLST type*;size*;" / " UTF8" / "211 End"
    const FtpReply feat = sendCommand("FEAT");
    if ((feat.code == 211 || feat.code == 221) && feat.lines.size() > 2)
        m_capabilities.assign(feat.lines.begin() + 1, feat.lines.end() - 1);
    if (SupportsFeature("CLNT"))
        sendCommand("CLNT " + ClientName);
    if (SupportsFeature("UTF8"))
        m_utf8 = true;
}

void FTPClient::quitQuietly()
{
    try {
        writeCommand("QUIT");
        if (inputPending(100ms))
            readReply();
    } catch (const FtpError&) {
        // The connection is being closed because of an earlier error; that one is reported.
    }
}

// ---------------------------------------------------------------- commands

void FTPClient::ChangeDir(const std::string& directory)
{
    BusyScope busy(m_busy);
    requireConnected();
    expect(sendCommand("CWD " + directory), {200, 250, 257});
}

void FTPClient::Delete(const std::string& remoteName)
{
    BusyScope busy(m_busy);
    requireConnected();
    expect(sendCommand("DELE " + remoteName), {200, 250, 257});
}

void FTPClient::Rename(const std::string& oldName, const std::string& newName)
{
    BusyScope busy(m_busy);
    requireConnected();
    expect(sendCommand("RNFR " + oldName), {350});
    expect(sendCommand("RNTO " + newName), {250});
}

void FTPClient::Abort()
{
    // In the middle of a plain command an ABOR would shift every later reply
    // by one; only transfers (and an idle client) can be aborted.
    if (m_busy && !m_inTransfer)
        return;
    if (!m_control.valid()) {
        releaseData();
        return;
    }
    if (m_inTransfer) {
        abortTransfer();
        return;
    }
    BusyScope busy(m_busy);
    writeCommand("ABOR");
    readReply();
}

void FTPClient::abortTransfer()
{
    // One ABOR per transfer: a second one would add a reply step H never reads.
    // Once the transfer is being finished the data connection is gone and the
    // final reply is on its way: nothing is left to abort, and an ABOR then
    // would leave its own reply unread.
    if (m_abortFlag || m_finishing)
        return;
    // Flag first: closing the data connection wakes the transfer loop, which
    // must then take the close for an abort, and step H must read its replies.
    m_abortFlag = true;
    // Before the transfer command a PRET, PASV or PORT reply may still be
    // due, which an ABOR would shift; the transfer command is not sent instead.
    if (!m_commandSent) {
        releaseData();
        return;
    }
    std::exception_ptr failure;
    try {
        writeCommand("ABOR");
    } catch (const FtpError&) {
        failure = std::current_exception();
    }
    releaseData();
    if (failure)
        std::rethrow_exception(failure);
}

void FTPClient::Disconnect()
{
    if (!m_control.valid())
        return;
    BusyScope busy(m_busy);
    status(FtpStatus::Disconnecting, "Desconectando");
    std::exception_ptr failure;
    try {
        writeCommand("QUIT");
        if (inputPending(100ms)) {
            try {
                readReply();
            } catch (const FtpError&) {
                // Any answer, or none, ends the session the same way.
            }
        }
    } catch (const FtpError&) {
        failure = std::current_exception();
    }
    closeControl();
    status(FtpStatus::Disconnected, "Desconectado");
    if (failure)
        std::rethrow_exception(failure);
}

void FTPClient::Abandon()
{
    closeControl();
}

bool FTPClient::Connected()
{
    // A server that hung up is noticed here without sending anything.
    if (m_control.valid() && !m_busy && m_inPos >= m_inBuf.size() && platform::peerHasClosed(m_control))
        closeControl();
    return m_control.valid();
}

} // namespace pordane::ftp
