// The update run end to end: a real lighttpd (port 80 of 127.0.0.69) serves
// the control file and the files, a probe program in a temporary folder
// stands in for Pordane, and the real restarter replaces it.
#include "update/TUpdater.h"

#include "update/RestarterCommand.h"
#include "update/RestarterImage.h"

#include "platform/Shell.h"
#include "support/http/LighttpdServer.h"
#include "support/http/ScriptedHttpServer.h"
#include "support/http/UpdaterSystem.h"
#include "support/restarter/ProbeWorld.h"
#include "views/UpdateDialogs.h"

#include <csignal>
#include <sys/wait.h>

using namespace pordane;
using namespace pordane::update;
using pordane::testsupport::probeScript;
using pordane::testsupport::ProbeWorld;
using pordane::testsupport::readAll;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

constexpr const char* WebAddress = "127.0.0.69";

// Every event and dialog of a run, in order, as one line each.
struct RunLog final : TUpdaterObserver, views::UpdateDialogs {
    std::vector<std::string> lines;
    bool answer = true; // query, what's-new
    bool acceptLicence = true;
    std::function<void(TUpdater&, int64_t)> onProgress;

    void OnFileProgress(TUpdater& u, const std::string& FileName, int64_t Pos, int64_t) override
    {
        const std::string line = "progress " + fs::path(FileName).filename().string();
        if (lines.empty() || lines.back() != line)
            lines.push_back(line);
        if (onProgress)
            onProgress(u, Pos);
    }
    void OnBeforeFileDownload(TUpdater&, int FileIdx, const std::string& FileDescription,
                              const std::string& URL) override
    {
        lines.push_back("before " + std::to_string(FileIdx) + " " + FileDescription + " "
                        + URL.substr(URL.rfind('/') + 1));
    }
    void OnSuccess(TUpdater&) override { lines.push_back("success"); }
    bool OnAppRestart(TUpdater&, bool& Allow) override
    {
        lines.push_back(std::string("restart allow=") + (Allow ? "1" : "0"));
        return true;
    }
    bool OnAppDoClose(TUpdater&) override
    {
        lines.push_back("close");
        return true;
    }
    void showMessage(const std::string& text) override { lines.push_back("msg " + text); }
    bool askYesNo(const std::string& text) override
    {
        lines.push_back("query " + text);
        return answer;
    }
    void showHtmlPage(const std::string&, const std::string& html) override { lines.push_back("html " + html); }
    bool showWhatsNew(const views::WhatsNewDialog& d) override
    {
        lines.push_back("whatsnew " + d.page.caption + "|" + d.page.text + "|" + d.okButton + "|" + d.cancelButton
                        + (d.page.rich ? "|rtf" : ""));
        return answer;
    }
    bool showLicence(const views::LicenceDialog& d) override
    {
        lines.push_back("eula " + d.page.caption + "|" + d.page.text + "|" + d.okButton + "|" + d.accept + "|"
                        + d.notAccept);
        return acceptLicence;
    }
    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    long indexOf(const std::string& line) const
    {
        const auto it = std::find(lines.begin(), lines.end(), line);
        return it == lines.end() ? -1 : it - lines.begin();
    }
};

class UpdateRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_web = new testsupport::LighttpdServer(WebAddress); }
    static void TearDownTestSuite()
    {
        delete s_web;
        s_web = nullptr;
    }

    void SetUp() override
    {
        m_cwd = fs::current_path();
        fs::remove(w.app / "probe_new");
        s_web->put("upd/probe_new", probeScript("v2"));
        s_web->put("upd/Lista.txt", "lista nueva");
        s_web->put("upd/Tarifas.txt", "tarifas nuevas");
    }
    void TearDown() override
    {
        fs::current_path(m_cwd);
        if (m_program > 0) {
            ::kill(static_cast<pid_t>(m_program), SIGKILL);
            ::waitpid(static_cast<pid_t>(m_program), nullptr, 0);
        }
    }

    // The process the restarter waits for: stands in for the running program.
    platform::ProcessId startProgram()
    {
        m_program = platform::startDetached("/bin/sleep", {"60"}).value_or(0);
        EXPECT_GT(m_program, 0);
        return m_program;
    }
    void endProgram()
    {
        ::kill(static_cast<pid_t>(m_program), SIGTERM);
        ::waitpid(static_cast<pid_t>(m_program), nullptr, 0);
        m_program = 0;
    }

    TUpdaterSystem system()
    {
        TUpdaterSystem s = testsupport::updaterSystemIn(w.app);
        s.runProgram = &platform::shellOpen;
        s.openBrowser = [this](const std::string& url) {
            log.lines.push_back("browser " + url);
            return true;
        };
        // The restarter this program carries, expanded from its SZDD bytes.
        s.writeRestarter = [](const fs::path& folder) { return writeRestarter(folder); };
        s.startRestarter = [this](const fs::path& program, const std::string& line, const fs::path& folder) {
            commandLine = line;
            return startRestarter(program, line, folder).has_value();
        };
        s.documentsFolder = [this] { return std::optional<fs::path>(w.documents); };
        s.processId = m_program;
        s.terminateApplication = [this] { log.lines.push_back("terminated"); };
        return s;
    }

    // Each control file in a folder of its own: lighttpd keeps what it knows
    // of a file for a second, so a file rewritten under one name could be
    // served with the length of its previous version.
    std::unique_ptr<TUpdater> updater(const std::string& control)
    {
        static int serial = 0;
        const std::string path = "actualiza/" + std::to_string(++serial) + "/vtes_vxt.inf";
        s_web->put(path, control);
        TUpdaterSettings settings;
        settings.URL = s_web->url("/" + path);
        auto u = std::make_unique<TUpdater>(settings, system());
        u->setObserver(&log);
        u->setDialogs(&log);
        return u;
    }

    std::string url(const std::string& file) const { return s_web->url("/upd/" + file); }

    static testsupport::LighttpdServer* s_web;
    ProbeWorld w;
    RunLog log;
    std::string commandLine;
    fs::path m_cwd;
    platform::ProcessId m_program = 0;
};

testsupport::LighttpdServer* UpdateRun::s_web = nullptr;

#define REQUIRE_WEB()                                                                                                  \
    if (!s_web->running())                                                                                             \
    GTEST_SKIP() << s_web->why()

TEST_F(UpdateRun, OneOfThreeDownloadsFailsTheOthersAreStoredRunafterRunsNoSuccessNoRestart)
{
    REQUIRE_WEB();
    startProgram();
    auto u = updater("[update]\nunconditional=1\n[application]\nappupdate=1\nappname={APP}\\probe\n"
                     "appcomps=probe_new\n[action]\nrunafter={APP}\\probe\nrunafterparam=after \"two words\"\n"
                     "[files]\ncount=3\n[file1]\nurl="
                     + url("Lista.txt")
                     + "\ntargetdir={APP}\\Datos\n"
                       "[file2]\nurl="
                     + url("missing_new")
                     + "\ntargetdir={APP}\n"
                       "[file3]\nurl="
                     + url("probe_new") + "\ntargetdir={APP}\n");
    u->DoUpdate();
    EXPECT_EQ(readAll(w.app / "Datos" / "Lista.txt"), "lista nueva");
    EXPECT_EQ(readAll(w.app / "probe_new"), probeScript("v2"));
    EXPECT_FALSE(fs::exists(w.app / "missing_new"));
    // runafter started the probe with its two parameters, split as Windows would.
    EXPECT_EQ(w.marker(), "v1\n2\nafter\ntwo words\n");
    EXPECT_FALSE(log.has("success"));
    EXPECT_FALSE(log.has("restart allow=1"));
    EXPECT_EQ(u->State().Restart, RestartOutcome::NotAsked);
    EXPECT_FALSE(u->State().FAppClose);
    EXPECT_FALSE(fs::exists(w.app / "pusetup"));
    EXPECT_EQ(fs::current_path(), w.app);
}

TEST_F(UpdateRun, NewComponentReplacesTheProgramAfterItEndedThenItStartsWithoutParameters)
{
    REQUIRE_WEB();
    startProgram();
    auto u = updater("[update]\nunconditional=1\n[application]\nappupdate=1\nappname={APP}\\probe\n"
                     "appcomps=probe_new\n[files]\ncount=1\n[file1]\nurl="
                     + url("probe_new") + "\ndescr=Programa\ntargetdir={APP}\n");
    u->DoUpdate();
    EXPECT_EQ(u->State().Restart, RestartOutcome::Started);
    EXPECT_EQ(log.lines.back(), "close");
    EXPECT_LT(log.indexOf("success"), log.indexOf("restart allow=1"));
    EXPECT_FALSE(log.has("terminated"));
    // The program's folder holds a blank; an empty appparam is a quoted blank.
    EXPECT_EQ(commandLine,
              std::to_string(m_program) + " X \"" + (w.app / "probe").string() + "\" \" \" \".\" probe_new");
    EXPECT_EQ(readAll(w.documents / "PUPDATE.INI"), "[CONFIG]\r\nLOGFILENAME=VexorPUPDATE.LOG\r\n");
    EXPECT_TRUE(fs::exists(w.app / "pusetup"));
    // Nothing is replaced while the program runs.
    std::this_thread::sleep_for(milliseconds(700));
    EXPECT_FALSE(w.replaced());
    endProgram();
    EXPECT_EQ(w.marker(), "v2\n0\n");
    EXPECT_TRUE(w.replaced());
    EXPECT_TRUE(fs::status(w.app / "probe").permissions() == fs::perms(0755));
}

TEST_F(UpdateRun, QueryAnsweredNoEndsTheRunBeforeAnyDownload)
{
    REQUIRE_WEB();
    log.answer = false;
    auto u = updater("[update]\nunconditional=1\n[application]\nappupdate=1\nappname={APP}\\probe\n"
                     "appcomps=probe_new\n[action]\nquery=¿Actualizar ahora?\\nTarda un minuto.\n"
                     "[files]\ncount=1\n[file1]\nurl="
                     + url("probe_new") + "\ntargetdir={APP}\n");
    u->DoUpdate();
    EXPECT_EQ(log.lines.back(), "query ¿Actualizar ahora?\rTarda un minuto.");
    EXPECT_FALSE(fs::exists(w.app / "probe_new"));
    EXPECT_FALSE(u->State().FAppClose);
    EXPECT_EQ(u->State().Restart, RestartOutcome::NotAsked);
}

TEST_F(UpdateRun, ActionsBeforeTheDownloadRunInTheirOrder)
{
    REQUIRE_WEB();
    s_web->put("upd/aviso.html", "<p>Aviso</p>");
    auto u = updater("[update]\nunconditional=1\n[action]\nquery=¿Seguimos?\nshowURL=https://example.invalid/x\n"
                     "msg=Hola\\nmundo\nrunbefore={APP}\\probe\nrunbeforeparam=before\nhtmldlg="
                     + url("aviso.html") + "\n[files]\ncount=1\n[file1]\nurl=" + url("Tarifas.txt") + "\n");
    u->DoUpdate();
    const std::vector<std::string> expected{
        "msg Hola\rmundo",  "html <p>Aviso</p>",     "browser https://example.invalid/x",
        "query ¿Seguimos?", "before 1  Tarifas.txt", "success"};
    std::vector<std::string> seen;
    for (const auto& l : log.lines)
        if (!l.starts_with("progress"))
            seen.push_back(l);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(w.marker(), "v1\n1\nbefore\n");
    EXPECT_EQ(readAll(w.app / "Tarifas.txt"), "tarifas nuevas");
    // The page was read into memory; no file of it is left.
    for (const auto& e : fs::directory_iterator(w.app))
        EXPECT_FALSE(e.path().filename().string().starts_with("PUPD")) << e.path();
}

TEST_F(UpdateRun, TheFirstDownloadEventComesAfterTheControlFileAndBeforeTheFile)
{
    REQUIRE_WEB();
    auto u = updater("[update]\nunconditional=1\n[files]\ncount=2\n[file1]\nurl=" + url("Lista.txt")
                     + "\ndescr=Lista\n[file2]\nurl=" + url("Tarifas.txt") + "\ndescr=Tarifas\n");
    ASSERT_TRUE(u->NewVersionAvailable(false));
    log.lines.push_back("run");
    u->DoUpdate();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"progress vtes_vxt.inf", "run", "progress vtes_vxt.inf",
                                                   "before 1 Lista Lista.txt", "progress Lista.txt",
                                                   "before 2 Tarifas Tarifas.txt", "progress Tarifas.txt", "success"}));
}

struct TextsCase {
    const char* name;
    bool whatsNewOk;
    bool acceptLicence;
    bool downloaded;
};

class UpdateRunTexts : public UpdateRun, public ::testing::WithParamInterface<TextsCase> {};

TEST_P(UpdateRunTexts, WhatsNewAndLicenceDecideWhetherTheRunGoesOn)
{
    REQUIRE_WEB();
    const auto& c = GetParam();
    log.answer = c.whatsNewOk;
    log.acceptLicence = c.acceptLicence;
    s_web->put("upd/novedades.rtf", "{\\RTF1\\ansi{\\fonttbl{\\f0 Tahoma;}}Versi\\'f3n 4.6\\par Nuevo}");
    s_web->put("upd/licencia.txt", "Condiciones de uso\r\nde Pordane \xe9");
    auto u = updater("[update]\nunconditional=1\n[application]\nappupdate=1\nappname={APP}\\probe\n"
                     "[whatsnew]\nfile="
                     + url("novedades.rtf") + "\nokbtn=Seguir\n[eula]\nfile=" + url("licencia.txt")
                     + "\ncaption=Licencia\n[files]\ncount=1\n[file1]\nurl=" + url("Lista.txt")
                     + "\ntargetdir={APP}\\Datos\n");
    u->DoUpdate();
    // Right after the control file, before the text is fetched.
    EXPECT_EQ(log.indexOf("before 0  novedades.rtf"), 1);
    EXPECT_TRUE(log.lines.at(2).starts_with("progress PUPD")) << log.lines.at(2);
    EXPECT_TRUE(log.has("whatsnew What's new|Versión 4.6\nNuevo|Seguir|Cancel|rtf"));
    EXPECT_EQ(log.has("eula Licencia|Condiciones de uso\nde Pordane é|Ok|I accept|I do not accept"), c.whatsNewOk);
    EXPECT_EQ(fs::exists(w.app / "Datos" / "Lista.txt"), c.downloaded);
    EXPECT_EQ(log.has("success"), c.downloaded);
    EXPECT_EQ(u->State().FAppClose, c.downloaded);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateRunTexts,
                         ::testing::Values(TextsCase{"both_accepted", true, true, true},
                                           TextsCase{"whatsnew_cancelled", false, true, false},
                                           TextsCase{"licence_declined", true, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

// A damaged embedded stream (cut short) expands to nothing: no restart, and
// the caller learns that the program must run on.
TEST_F(UpdateRun, ARestarterThatCannotBeExpandedLeavesTheProgramRunning)
{
    REQUIRE_WEB();
    startProgram();
    auto u = updater("[update]\nunconditional=1\n[application]\nappupdate=1\nappname=probe\n"
                     "appcomps=probe_new\n[files]\ncount=1\n[file1]\nurl="
                     + url("probe_new") + "\n");
    TUpdaterSystem s = system();
    s.writeRestarter = [](const fs::path& folder) {
        const auto whole = embeddedRestarter();
        return writeRestarter(folder, whole.first(whole.size() / 2));
    };
    u = std::make_unique<TUpdater>(u->Settings(), s);
    u->setObserver(&log);
    u->DoUpdate();
    EXPECT_TRUE(log.has("success"));
    EXPECT_EQ(u->State().Restart, RestartOutcome::Failed);
    EXPECT_FALSE(log.has("close"));
    EXPECT_TRUE(commandLine.empty());
    EXPECT_FALSE(fs::exists(w.documents / "PUPDATE.INI"));
    EXPECT_FALSE(fs::exists(w.app / "pusetup"));
    EXPECT_FALSE(fs::exists(w.app / "pusetup.ex_"));
}

// Cancel during a slow download: the scripted server sends 1000 bytes every 20 ms.
TEST(UpdateRunCancel, CancelDuringASlowDownloadDeletesThePartialFileAndRequestsNothingMore)
{
    pordane::testsupport::TempDir dir;
    testsupport::ScriptedHttpServer server;
    testsupport::HttpReply slow;
    slow.body = std::string(200000, 'x');
    slow.throttleBytes = 1000;
    slow.throttleMs = 20;
    server.on("/big.bin", slow);
    server.on("/small.txt", {200, "pequeño"});
    server.on("/vtes_vxt.inf",
              {200, "[update]\nunconditional=1\n[action]\nrunafter=/bin/touch\nrunafterparam=ran\n"
                    "[files]\ncount=2\n[file1]\nurl="
                        + server.url("/big.bin") + "\n[file2]\nurl=" + server.url("/small.txt") + "\n"});
    TUpdaterSettings settings;
    settings.URL = server.url("/vtes_vxt.inf");
    TUpdaterSystem s;
    s.rules.style = PathStyle::Posix;
    s.programFolder = [&] { return dir.path(); };
    std::vector<std::string> ran;
    s.runProgram = [&](const fs::path& p, const std::string&) {
        ran.push_back(p.string());
        return true;
    };
    auto u = std::make_unique<TUpdater>(settings, s);
    RunLog log;
    log.onProgress = [](TUpdater& updater, int64_t pos) {
        if (pos >= 10000)
            updater.Cancel();
    };
    u->setObserver(&log);
    const auto cwd = fs::current_path();
    const auto start = steady_clock::now();
    u->DoUpdate();
    const auto took = steady_clock::now() - start;
    fs::current_path(cwd);
    EXPECT_LT(took, seconds(2)); // the whole body would take 4 s
    EXPECT_TRUE(fs::is_empty(dir.path())) << "partial or temporary file left";
    EXPECT_TRUE(log.has("before 2  small.txt"));
    EXPECT_FALSE(log.has("success"));
    EXPECT_TRUE(ran.empty());
    std::size_t smallRequests = 0;
    for (const auto& r : server.requests())
        smallRequests += r.starts_with("GET /small.txt") ? 1 : 0;
    EXPECT_EQ(smallRequests, 0u);
}

TEST(RestarterCommandLine, TheProgramIsMadeAbsoluteFromTheCurrentFolder)
{
    RuleContext windows;
    EXPECT_EQ(restartProgram("D:\\App\\P.exe", windows, "C:\\x"), "D:\\App\\P.exe");
    EXPECT_EQ(restartProgram("P.exe", windows, "C:\\App"), "C:\\App\\P.exe");
    RuleContext posix;
    posix.style = PathStyle::Posix;
    EXPECT_EQ(restartProgram("/opt/p", posix, "/home"), "/opt/p");
    EXPECT_EQ(restartProgram("p", posix, "/home/my app"), "/home/my app/p");
}

} // namespace
