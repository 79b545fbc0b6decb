#include "ftp/FtpSession.h"

#include "ftp/RunState.h"
#include "platform/base/Pump.h"

#include <exception>
#include <limits>

namespace pordane::ftp {

namespace {

// The gauges hold 32-bit values; a larger count pins at the top.
std::int32_t gaugeValue(std::int64_t v)
{
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

} // namespace

FtpSession::FtpSession(FTPClient& client, views::LogView& memoLog, views::Dialogs& dialogs,
                       views::TransferProgressView& progress, SpeedState& speed, Context context)
    : m_client(client), m_memoLog(memoLog), m_dialogs(dialogs), m_progress(progress),
      m_speed(speed), m_context(std::move(context))
{
    m_client.setObserver(this);
}

FtpSession::~FtpSession()
{
    m_client.setObserver(nullptr);
}

std::filesystem::path FtpSession::localPath(const std::string& name) const
{
    return m_localDir.empty() ? std::filesystem::path(name) : m_localDir / name;
}

std::int32_t FtpSession::paginaActiva() const
{
    return m_context.PaginaActiva ? m_context.PaginaActiva() : page::None;
}

bool FtpSession::ConnectFTPServer(std::uint8_t amodo, const std::string& ahost,
                                  const std::string& aremoto, const std::string& ausername,
                                  const std::string& apassword)
{
    try {
        // Closes a session an earlier test left open; the client closes the
        // socket even when QUIT fails, so the next call starts clean.
        m_client.Disconnect();
        m_client.Host = ahost;
        m_client.Username = ausername;
        m_client.Password = apassword;
        m_client.Passive = amodo != 1;
        m_client.Connect();
    } catch (const std::exception&) {
        return false;
    }
    if (!aremoto.empty()) {
        try {
            m_client.ChangeDir(aremoto);
        } catch (const std::exception&) {
            m_dialogs.showMessage("No se ha encontrado el directorio remoto");
        }
    }
    return true;
}

void FtpSession::DisconnectFTPServer()
{
    m_client.Disconnect();
}

void FtpSession::OnNotice(const std::string& text)
{
    if (!m_noticesLogged.insert(text).second)
        return;
    if (m_inStep)
        m_noticesPending.push_back(text);
    else
        m_memoLog.appendLine(text);
}

bool FtpSession::logged(const std::string& startLine, const std::function<void()>& op)
{
    m_memoLog.appendLine(startLine);
    bool ok = true;
    m_inStep = true;
    try {
        op();
    } catch (const RunStopped&) {
        // The window is closing: the line stays open and the run ends here.
        m_inStep = false;
        m_noticesPending.clear();
        throw;
    } catch (...) {
        ok = false;
    }
    m_inStep = false;
    m_memoLog.completeLastLine(ok ? OkSuffix : FailSuffix);
    for (const std::string& text : m_noticesPending)
        m_memoLog.appendLine(text);
    m_noticesPending.clear();
    return ok;
}

bool FtpSession::DownloadArchivo(const std::string& fiorigen, const std::string& fidestino)
{
    return logged("Descargando archivo " + fiorigen,
                  [&] { m_client.Get(fiorigen, localPath(fidestino).string()); });
}

bool FtpSession::UploadArchivo(const std::string& fiorigen, const std::string& fidestino)
{
    return logged("Subiendo archivo " + fiorigen,
                  [&] { m_client.Put(localPath(fiorigen).string(), fidestino); });
}

bool FtpSession::RenameArchivo(const std::string& oldname, const std::string& newname)
{
    // The line names the old file and a fixed " a .MDB", whatever the new name.
    return logged("Renombrando archivo " + oldname + " a .MDB",
                  [&] { m_client.Rename(oldname, newname); });
}

bool FtpSession::DeleteArchivo(const std::string& fichero)
{
    return logged("Borrando archivo " + fichero, [&] { m_client.Delete(fichero); });
}

bool FtpSession::ListarDirectorio()
{
    // An empty folder lists fine: only a failed listing transfer is a failure,
    // or the test would report a missing permission that is not missing.
    try {
        m_client.List();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void FtpSession::FTPClientStatus(FtpStatus, const std::string&)
{
    platform::pump();
}

void FtpSession::FTPClientWorkBegin(WorkMode, std::int64_t AWorkCountMax)
{
    switch (paginaActiva()) {
    case page::Permissions:
        m_progress.setBotonCancelarFTPEnabled(true);
        m_progress.setProgressBar1Max(gaugeValue(AWorkCountMax));
        m_progress.setProgressBar1Progress(0);
        break;
    case page::Speed:
        m_progress.setProgressBar2Max(gaugeValue(AWorkCountMax));
        m_progress.setProgressBar2Progress(0);
        // A download announces no size: the test file's size stands in.
        if (AWorkCountMax == 0)
            m_progress.setProgressBar2Max(m_context.SizeTest ? m_context.SizeTest() : 0);
        break;
    default:
        break;
    }
}

void FtpSession::FTPClientWork(WorkMode, std::int64_t AWorkCount)
{
    FTPWorkProgress(AWorkCount, 0);
}

void FtpSession::FTPClientWorkEnd(WorkMode)
{
    if (paginaActiva() == page::Permissions)
        m_progress.setBotonCancelarFTPEnabled(false);
}

void FtpSession::FTPWorkProgress(std::int64_t fwProgreso, std::int64_t fwTotal)
{
    switch (paginaActiva()) {
    case page::Permissions:
        if (fwTotal != 0)
            m_progress.setProgressBar1Max(gaugeValue(fwTotal));
        m_progress.setProgressBar1Progress(gaugeValue(fwProgreso));
        m_progress.repaintProgressBar1();
        break;
    case page::Speed: {
        m_speed.HoraProgreso = m_speed.now();
        if (fwTotal != 0)
            m_progress.setProgressBar2Max(gaugeValue(fwTotal));
        m_progress.setProgressBar2Progress(gaugeValue(fwProgreso));
        m_progress.repaintProgressBar2();
        m_speed.SegundosTransfer = secondsBetween(m_speed.HoraProgreso, m_speed.HoraInicio);
        m_speed.VelocidadKBs = liveVelocidadKBs(fwProgreso, m_speed.SegundosTransfer);
        const std::string text = groupedSpeedText(m_speed.VelocidadKBs);
        if (m_speed.SentidoTransfer == DirectionDownload)
            m_progress.setLabelDownload(text);
        else
            m_progress.setLabelUpload(text);
        m_progress.setSpeedMeter(aMbps(m_speed.VelocidadKBs));
        m_progress.addScopeSample(roundHalfEven(m_speed.VelocidadKBs));
        break;
    }
    default:
        break;
    }
    platform::pump();
}

void FtpSession::BotonCancelarFTPClick()
{
    m_client.Abort();
}

void FtpSession::OnStatus(FtpStatus AStatus, const std::string& AStatusText)
{
    FTPClientStatus(AStatus, AStatusText);
}

void FtpSession::OnWorkBegin(WorkMode AWorkMode, std::int64_t AWorkCountMax)
{
    FTPClientWorkBegin(AWorkMode, AWorkCountMax);
}

void FtpSession::OnWork(WorkMode AWorkMode, std::int64_t AWorkCount)
{
    FTPClientWork(AWorkMode, AWorkCount);
}

void FtpSession::OnWorkEnd(WorkMode AWorkMode)
{
    FTPClientWorkEnd(AWorkMode);
}

} // namespace pordane::ftp
