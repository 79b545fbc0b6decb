// The session operations the FTP tests go through: one session with one
// server, one MemoLog line per file operation, every failure turned into
// false. Also the handlers of the client's events, which drive the progress
// display of the running test (chosen by PaginaActiva) and keep the window
// alive.
#pragma once

#include "ftp/FTPClient.h"
#include "ftp/FTPObserver.h"
#include "ftp/SpeedState.h"
#include "views/Dialogs.h"
#include "views/LogView.h"
#include "views/TransferProgressView.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace pordane::ftp {

inline constexpr const char* OkSuffix = "...OK";
inline constexpr const char* FailSuffix = "...FALLO";

class FtpSession : public FTPObserver {
public:
    struct Context {
        // Read at every event: the user may switch pages during a transfer.
        std::function<std::int32_t()> PaginaActiva;
        std::function<std::int32_t()> SizeTest;
    };

    // Becomes the client's observer for its lifetime.
    FtpSession(FTPClient& client, views::LogView& memoLog, views::Dialogs& dialogs,
               views::TransferProgressView& progress, SpeedState& speed, Context context);
    ~FtpSession() override;
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Local file names are bare names resolved against this folder (empty:
    // the working directory); the log shows them as given.
    void setLocalDir(std::filesystem::path dir) { m_localDir = std::move(dir); }
    std::filesystem::path localPath(const std::string& name) const;

    FTPClient& client() { return m_client; }
    views::LogView& memoLog() { return m_memoLog; }
    SpeedState& speed() { return m_speed; }

    // amodo 1: active (PORT); anything else passive (PASV). True when connected
    // and logged in; a missing remote folder shows a message and still counts.
    bool ConnectFTPServer(std::uint8_t amodo, const std::string& ahost, const std::string& aremoto,
                          const std::string& ausername, const std::string& apassword);
    // QUIT and close; errors pass to the caller.
    void DisconnectFTPServer();
    bool DownloadArchivo(const std::string& fiorigen, const std::string& fidestino);
    bool UploadArchivo(const std::string& fiorigen, const std::string& fidestino);
    bool RenameArchivo(const std::string& oldname, const std::string& newname);
    bool DeleteArchivo(const std::string& fichero);
    // True when the listing itself succeeded, an empty folder included. No log line.
    bool ListarDirectorio();

    // Event handlers.
    void FTPClientStatus(FtpStatus AStatus, const std::string& AStatusText);
    void FTPClientWorkBegin(WorkMode AWorkMode, std::int64_t AWorkCountMax);
    void FTPClientWork(WorkMode AWorkMode, std::int64_t AWorkCount);
    void FTPClientWorkEnd(WorkMode AWorkMode);
    void FTPWorkProgress(std::int64_t fwProgreso, std::int64_t fwTotal);
    // Cancel: asks the client to abort; its error is not caught here.
    void BotonCancelarFTPClick();

private:
    void OnStatus(FtpStatus AStatus, const std::string& AStatusText) override;
    void OnWorkBegin(WorkMode AWorkMode, std::int64_t AWorkCountMax) override;
    void OnWork(WorkMode AWorkMode, std::int64_t AWorkCount) override;
    void OnWorkEnd(WorkMode AWorkMode) override;
    // What the client noticed about the server (a data address it did not
    // follow, an intruder on the data port): one log line per distinct text.
    void OnNotice(const std::string& text) override;

    // Logs start, runs op, completes the line with OK or FALLO.
    bool logged(const std::string& startLine, const std::function<void()>& op);
    std::int32_t paginaActiva() const;

    FTPClient& m_client;
    views::LogView& m_memoLog;
    views::Dialogs& m_dialogs;
    views::TransferProgressView& m_progress;
    SpeedState& m_speed;
    Context m_context;
    std::filesystem::path m_localDir;
    std::set<std::string> m_noticesLogged;
    // A step's own line is completed in place, so notices wait for its end.
    bool m_inStep = false;
    std::vector<std::string> m_noticesPending;
};

} // namespace pordane::ftp
