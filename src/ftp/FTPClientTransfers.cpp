// The FTP client's data connections (passive and active) and its transfers:
// downloads, uploads and listings. The control connection is in FTPClient.cpp.
#include "ftp/FTPClient.h"

#include "ftp/FTPClientInternal.h"
#include "ftp/PassiveAddress.h"
#include "ftp/RunState.h"
#include "platform/SocketIO.h"
#include "platform/base/Pump.h"
#include "platform/base/TextEncoding.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace pordane::ftp {

using namespace detail;
using Clock = std::chrono::steady_clock;
using platform::NetError;
using namespace std::chrono_literals;
FTPClient::DataTarget FTPClient::preparePassive(const std::string& transferCommand)
{
    if (SupportsFeature("PRET"))
        sendCommand("PRET " + transferCommand); // any reply will do
    const FtpReply pasv = expect(sendCommand("PASV"), {227});
    const auto endpoint = parsePasvReply(pasv.lines.front());
    if (!endpoint)
        throw FtpError(FtpError::Kind::Protocol, "Respuesta PASV no válida: 227 " + excerpt(pasv.lines.front()), 227);
    const PassiveTarget target = passiveTarget(endpoint->address, m_peer);
    if (target.differs)
        notice(passiveNotice(endpoint->address, m_peer));
    return DataTarget{target.address, endpoint->port};
}

void FTPClient::openPassive(const DataTarget& target)
{
    try {
        m_data = TcpConnector(target.address, target.port, connectLimit());
    } catch (const NetError& e) {
        dataNetError(e);
    }
    // Cancelled while connecting: the abort closed no data connection yet,
    // so this one must not carry any data.
    if (m_abortFlag)
        m_data.close();
}

void FTPClient::prepareActive()
{
    try {
        const platform::IPv4 local = platform::localAddress(m_control);
        platform::TcpListener listening = platform::listenTcp(local, 0);
        m_listener = std::move(listening.sock);
        std::string argument = local.text();
        std::replace(argument.begin(), argument.end(), '.', ',');
        argument += "," + std::to_string(listening.port >> 8) + "," + std::to_string(listening.port & 0xFF);
        expect(sendCommand("PORT " + argument), {200});
    } catch (const NetError& e) {
        dataNetError(e);
    }
}

void FTPClient::acceptActive()
{
    try {
        // Only the server may connect: anyone else reaching the port in the
        // meantime would otherwise feed (or receive) the file.
        m_data = platform::acceptTcp(m_listener, ListenTimeout, m_peer, [this](platform::IPv4 from) {
            notice("Conexión de datos rechazada: viene de " + from.text() + " y no del servidor, " + m_peer.text());
        });
    } catch (const NetError& e) {
        if (m_abortFlag)
            return;
        dataNetError(e);
    }
    m_listener.close();
}

void FTPClient::releaseData()
{
    m_data.close();
    m_listener.close();
}

// ---------------------------------------------------------------- transfers

void FTPClient::runTransfer(const std::function<void(bool& commandSent)>& body)
{
    struct TransferScope {
        bool& flag;
        explicit TransferScope(bool& f) : flag(f) { flag = true; }
        ~TransferScope() { flag = false; }
    } inTransfer(m_inTransfer);

    m_abortFlag = false;
    m_commandSent = false;
    status(FtpStatus::TransferStarting, "Iniciando transferencia");
    std::exception_ptr failure;
    try {
        body(m_commandSent);
    } catch (const RunStopped&) {
        // The window's stop: no final reply is awaited, nothing more is sent,
        // and a reset keeps a cut-off upload from passing for a whole file.
        if (m_data.valid())
            platform::closeWithReset(m_data);
        releaseData();
        throw;
    } catch (...) {
        failure = std::current_exception();
    }
    // Step H only makes sense once the server has the transfer command;
    // before that there is no final reply to wait for.
    if (m_commandSent && m_control.valid()) {
        m_finishing = true;
        try {
            finishTransfer(); // its own error, if any, replaces the transfer's
        } catch (...) {
            m_finishing = false;
            throw;
        }
        m_finishing = false;
    } else {
        releaseData();
        if (m_abortFlag)
            status(FtpStatus::TransferAborted, "Transferencia cancelada");
    }
    if (m_abortFlag)
        throw FtpError(FtpError::Kind::Aborted, "Transferencia cancelada");
    if (failure)
        std::rethrow_exception(failure);
}

void FTPClient::finishTransfer()
{
    releaseData();
    // A refused transfer (e.g. "450 File unavailable" to RETR) has no final reply.
    if (m_lastReply.code >= 300) {
        status(FtpStatus::TransferAborted, "Transferencia cancelada");
        return;
    }
    status(FtpStatus::TransferComplete, "Transferencia completada");
    if (!m_abortFlag) {
        expect(readReply(), {226, 225, 250});
        return;
    }
    // After ABOR servers answer in either order: the transfer's own end
    // ("426 Transfer aborted" or "226 Transfer complete") then the ABOR reply
    // ("226"/"225"), or a 225/250 alone when nothing was running any more.
    const FtpReply first = expect(readReply(), {225, 226, 250, 426, 450, 451, 425, 550, 552});
    if (isOneOf(first.code, {226, 426, 450, 451, 425, 550}))
        expect(readReply(), {226, 225});
    if (first.code == 226 && inputPending(10ms))
        expect(readReply(), {226, 426, 450, 451, 425, 550});
    status(FtpStatus::TransferAborted, "Transferencia cancelada");
}

void FTPClient::writeTransferCommand(const std::string& command, bool& commandSent)
{
    if (m_abortFlag)
        throw FtpError(FtpError::Kind::Aborted, "Transferencia cancelada");
    writeCommand(command);
    commandSent = true;
}

void FTPClient::download(const std::string& command, const Sink& sink)
{
    checkCommandText(command);
    runTransfer([&](bool& commandSent) {
        if (Passive) {
            openPassive(preparePassive(command));
            writeTransferCommand(command, commandSent);
            // 450 (file busy) is accepted in passive mode: no data, no error.
            const FtpReply reply = expect(readReply(), {125, 150, 154, 450});
            if (reply.code == 450)
                return;
        } else {
            prepareActive();
            writeTransferCommand(command, commandSent);
            expect(readReply(), {125, 150, 154});
            acceptActive();
        }
        receiveData(sink);
    });
}

void FTPClient::receiveData(const Sink& sink)
{
    m_work.begin(WorkMode::wmRead, 0);
    try {
        int64_t total = 0;
        for (;;) {
            size_t n = 0;
            try {
                n = platform::receiveSome(m_data, m_block.data(), m_block.size(), TransferTimeout);
            } catch (const NetError& e) {
                // A reset or aborted data connection ends the data like a close
                // does; so does our own Abort(), which closed the socket.
                if (e.kind() == NetError::Kind::Closed || m_abortFlag)
                    break;
                dataNetError(e);
            }
            if (n == 0)
                break;
            if (!sink(m_block.data(), n)) {
                abortTransfer();
                break;
            }
            total += static_cast<int64_t>(n);
            m_work.work(WorkMode::wmRead, total);
            platform::pump();
        }
    } catch (...) {
        m_work.end(WorkMode::wmRead);
        throw;
    }
    m_work.end(WorkMode::wmRead);
}

void FTPClient::sendData(std::FILE* file, int64_t size)
{
    m_work.begin(WorkMode::wmWrite, size);
    try {
        int64_t total = 0;
        while (m_data.valid()) {
            const size_t n = std::fread(m_block.data(), 1, m_block.size(), file);
            if (n == 0) {
                if (std::ferror(file))
                    throw FtpError(FtpError::Kind::File, "Error leyendo el archivo local");
                break;
            }
            try {
                platform::sendAll(m_data, m_block.data(), n, TransferTimeout);
            } catch (const NetError& e) {
                if (m_abortFlag)
                    break;
                dataNetError(e);
            }
            total += static_cast<int64_t>(n);
            m_work.work(WorkMode::wmWrite, total);
            platform::pump();
        }
    } catch (...) {
        m_work.end(WorkMode::wmWrite);
        throw;
    }
    m_work.end(WorkMode::wmWrite);
}

void FTPClient::drainData()
{
    // The last block is only in the kernel's send buffer, which may hold
    // megabytes: on a slow line the server's final reply comes long after
    // one reply wait. Wait while the bytes still move, until the server has
    // them all (it closes the data connection or answers).
    if (!m_data.valid())
        return;
    try {
        platform::finishSending(m_data, m_control, TransferTimeout);
    } catch (const NetError& e) {
        if (m_abortFlag)
            return;
        // A peer that stopped taking data must not get what is left later
        // and store a file we report as failed: reset, so it sees the break.
        if (e.kind() == NetError::Kind::ReadTimeout)
            platform::closeWithReset(m_data);
        dataNetError(e);
    }
}

void FTPClient::Get(const std::string& remoteName, const std::string& localFile)
{
    BusyScope busy(m_busy);
    // The local file is emptied before any traffic, so a failed download
    // leaves it empty or with the bytes received so far.
    std::error_code ignored;
    std::filesystem::remove(localFile, ignored);
    FilePtr file(std::fopen(localFile.c_str(), "wb"));
    if (!file)
        throw FtpError(FtpError::Kind::File, "No se puede crear el archivo local \"" + localFile + "\": " + std::strerror(errno));
    // Blocks are large; stdio's own buffer would only add a copy.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    requireConnected();
    download("RETR " + remoteName, [&](const char* data, size_t size) {
        if (std::fwrite(data, 1, size, file.get()) != size)
            throw FtpError(FtpError::Kind::File, "No se puede escribir el archivo local \"" + localFile + "\": " + std::strerror(errno));
        return true;
    });
}

void FTPClient::Put(const std::string& localFile, const std::string& remoteName)
{
    BusyScope busy(m_busy);
    FilePtr file(std::fopen(localFile.c_str(), "rb"));
    std::error_code error;
    const auto size = file ? std::filesystem::file_size(localFile, error) : 0;
    if (!file || error)
        throw FtpError(FtpError::Kind::File, "No se puede abrir el archivo local \"" + localFile + "\"");
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    requireConnected();
    const std::string command = "STOR " + remoteName;
    checkCommandText(command);
    runTransfer([&](bool& commandSent) {
        if (Passive) {
            const DataTarget target = preparePassive(command);
            // The preliminary reply is read once the data connection is open.
            writeTransferCommand(command, commandSent);
            try {
                openPassive(target);
            } catch (const FtpError&) {
                // Keep the conversation in step: the server answers STOR all the
                // same. When that shows the server hung up, report that instead.
                try {
                    readReply();
                } catch (const FtpError&) {
                    if (!m_control.valid())
                        throw;
                }
                throw;
            }
            expect(readReply(), {110, 125, 150});
        } else {
            prepareActive();
            writeTransferCommand(command, commandSent);
            expect(readReply(), {125, 150});
            acceptActive();
        }
        sendData(file.get(), static_cast<int64_t>(size));
        drainData();
        // Closing the data connection tells the server the file is complete.
        releaseData();
    });
}

void FTPClient::List()
{
    BusyScope busy(m_busy);
    requireConnected();
    m_listResult.clear();
    const bool mlsd = UseMLSD && (SupportsFeature("MLSD") || SupportsFeature("MLST"));
    std::string data;
    bool tooLarge = false;
    try {
        download(mlsd ? "MLSD" : "LIST", [&](const char* bytes, size_t size) {
            if (data.size() + size > MaxListingBytes) {
                tooLarge = true;
                return false;
            }
            data.append(bytes, size);
            return true;
        });
    } catch (const FtpError& e) {
        if (tooLarge && e.kind() == FtpError::Kind::Aborted)
            throw FtpError(FtpError::Kind::Protocol, "El listado del servidor supera el tamaño admitido");
        throw;
    }
    // MLSD is machine data in single bytes; LIST text follows the control encoding.
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < data.size()) {
        auto end = data.find('\n', pos);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(mlsd ? platform::latin1ToUtf8(line) : decode(line));
        pos = end + 1;
    }
    m_listResult = std::move(lines);
}

} // namespace pordane::ftp
