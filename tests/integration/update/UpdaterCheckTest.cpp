#include "update/TUpdater.h"

#include "Signing.h"
#include "platform/base/PathMatch.h"
#include "platform/base/VersionResource.h"
#include "support/files/TempDir.h"
#include "support/http/LighttpdServer.h"
#include "support/http/ScriptedHttpServer.h"
#include "update/Signature.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pordane;
using namespace pordane::update;
using testsupport::readAll;

namespace {

constexpr const char* WebAddress = "127.0.0.67";

std::optional<PackedVersion> fileVersion(const std::filesystem::path& p)
{
    if (auto v = platform::readFileVersion(p))
        return PackedVersion{v->ms, v->ls};
    return std::nullopt;
}

struct ProgressLog final : TUpdaterObserver {
    std::vector<std::string> files;
    void OnFileProgress(TUpdater&, const std::string& FileName, int64_t, int64_t) override
    {
        if (files.empty() || files.back() != FileName)
            files.push_back(FileName);
    }
};

// One lighttpd for the whole binary; each test gets fresh folders.
class UpdaterCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_web = new testsupport::LighttpdServer(WebAddress); }
    static void TearDownTestSuite()
    {
        delete s_web;
        s_web = nullptr;
    }

    void SetUp() override
    {
        if (!s_web->running())
            GTEST_SKIP() << s_web->why();
        m_dir = std::filesystem::temp_directory_path() / ("pordane-upd-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "App" / "Datos");
        std::filesystem::create_directories(m_dir / "tmp");
        // Our own executable, stamped with the build's version note.
        std::filesystem::copy_file("/proc/self/exe", m_dir / "App" / "Pordane");
        std::ofstream(m_dir / "App" / "Datos" / "Lista.TXT") << "lista de precios";
        setTime("App/Datos/Lista.TXT", controlDateTime("15/06/2025", "08:30"));
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir);
    }

    void setTime(const std::string& name, std::time_t t)
    {
        const struct timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / name).c_str(), times, 0), 0);
    }

    TUpdaterSystem system()
    {
        TUpdaterSystem s;
        s.rules.folders = [this](const std::string& name) -> std::optional<std::string> {
            if (name == "APP")
                return (m_dir / "App").string();
            return std::nullopt;
        };
        s.rules.style = PathStyle::Posix;
        s.rules.toNative = [](std::string_view p) { return platform::controlPathToNative(p); };
        s.rules.readVersion = &fileVersion;
        s.programFolder = [this] { return m_dir / "App"; };
        return s;
    }

    TUpdater updater(const std::string& url, const std::string& publicKey = {})
    {
        TUpdaterSettings settings;
        settings.URL = url;
        settings.TempDirectory = (m_dir / "tmp").string();
        settings.PublicKey = publicKey;
        return TUpdater(settings, system());
    }

    std::size_t filesIn(const std::string& folder) const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir / folder),
                                                      std::filesystem::directory_iterator()));
    }

    static testsupport::LighttpdServer* s_web;
    std::filesystem::path m_dir;
};

testsupport::LighttpdServer* UpdaterCheck::s_web = nullptr;

struct CheckCase {
    const char* name;
    const char* control; // served as /actualiza/vtes_vxt.inf; nullptr: not served
    bool answer;
    const char* versionInfo;
};

class CheckAgainstLighttpd : public UpdaterCheck, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckAgainstLighttpd, AnswersAsTheControlFileSays)
{
    const auto& c = GetParam();
    const std::string path = std::string("actualiza/") + c.name + "/vtes_vxt.inf";
    if (c.control)
        s_web->put(path, c.control);
    s_web->put("actualiza/files/Lista.txt", "lista nueva");
    TUpdater u = updater(s_web->url("/" + path));
    ProgressLog log;
    u.setObserver(&log);
    EXPECT_EQ(u.NewVersionAvailable(false), c.answer);
    EXPECT_EQ(u.State().FNewVersionInfo, c.versionInfo);
    // The control file was fetched into the temporary folder, then deleted.
    EXPECT_EQ(filesIn("tmp"), 0u);
    EXPECT_EQ(log.files, c.control ? std::vector<std::string>{(m_dir / "tmp" / "vtes_vxt.inf").string()}
                                   : std::vector<std::string>{});
}

const CheckCase checkCases[] = {
    {"missing", nullptr, false, ""},
    {"newer_version", "[update]\nnewversion=4,6\nlocalversion={APP}\\PORDANE\n", true, "4.6.0.0"},
    {"same_version", "[update]\nnewversion=4.5\nlocalversion={app}\\pordane\n", false, "4.5.0.0"},
    {"build_newer", "[update]\nnewversion=4.5.0.1\nlocalversion={APP}\\Pordane\n", true, "4.5.0.1"},
    {"by_date", "[update]\ndate=15/06/2025\ntime=08:31\nlocalversion={APP}\\datos\\lista.txt\n", true, ""},
    {"date_not_later", "[update]\ndate=15/06/2025\ntime=08:30\nlocalversion={APP}\\DATOS\\LISTA.TXT\n", false, ""},
    {"unconditional_empty_list", "[update]\nunconditional=1\n[files]\ncount=0\n", false, ""},
    {"unconditional_nothing_newer",
     "[update]\nunconditional=1\n[files]\ncount=1\n[file1]\nurl=http://127.0.0.67/actualiza/files/Lista.txt\n"
     "localversion={APP}\\Datos\\Lista.txt\ndate=01/01/2020\n",
     false, ""},
    {"unconditional_one_newer",
     "[update]\nunconditional=1\n[files]\ncount=2\n[file1]\nurl=http://127.0.0.67/actualiza/files/Lista.txt\n"
     "localversion={APP}\\Datos\\Lista.txt\ndate=01/01/2020\n[file2]\nurl=http://127.0.0.67/x\n"
     "localversion={APP}\\Datos\\Lista.txt\nnewsize=3\n",
     true, ""},
    {"windows_1252_and_crlf", "[UPDATE]\r\ndescr=Versi\xF3n nueva\r\nNewVersion = \"4.7\"\r\nlocalversion={APP}\\Pordane\r\n",
     true, "4.7.0.0"},
    {"binary_garbage", "\x7F" "ELF\x02\x01\x01\0\0\0[update]\nnewversion=9\n", false, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, CheckAgainstLighttpd, ::testing::ValuesIn(checkCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(UpdaterCheck, InitPathMovesToTheProgramFolderAndLeavesNothingThere)
{
    s_web->put("actualiza/init/vtes_vxt.inf",
               "[update]\nnewsize=5\nlocalversion={APP}\\Datos\\Lista.txt\n[application]\nappupdate=1\n"
               "appname={APP}\\Pordane\nappcomps=Pordane_new Otro.dll\nsilentrestart=1\n");
    const auto before = std::filesystem::current_path();
    TUpdaterSettings settings;
    settings.URL = s_web->url("/actualiza/init/vtes_vxt.inf");
    TUpdater u(settings, system());
    EXPECT_TRUE(u.NewVersionAvailable(true));
    const auto after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    EXPECT_EQ(after, m_dir / "App");
    EXPECT_EQ(filesIn("App"), 2u); // Pordane and Datos: the control file is gone
    EXPECT_TRUE(u.State().FAppClose);
    EXPECT_EQ(u.State().FAppName, (m_dir / "App").string() + "\\Pordane");
    EXPECT_EQ(u.State().FAppParam, " ");
    EXPECT_EQ(u.State().FAppComps, "Pordane_new Otro.dll");
    EXPECT_TRUE(u.State().FSilentRestart);
}

TEST_F(UpdaterCheck, AppUpdateWithoutAppNameAsksForNoRestart)
{
    s_web->put("actualiza/noname/vtes_vxt.inf", "[update]\nunconditional=1\n[application]\nappupdate=1\nappparam=-x\n");
    TUpdater u = updater(s_web->url("/actualiza/noname/vtes_vxt.inf"));
    ASSERT_TRUE(u.StartConnection({}));
    ASSERT_TRUE(u.FetchControlFile());
    EXPECT_FALSE(u.State().FAppClose);
    EXPECT_EQ(u.State().FAppParam, "-x");
    EXPECT_EQ(u.State().FControlFileName, (m_dir / "tmp").string() + "\\vtes_vxt.inf");
    EXPECT_TRUE(std::filesystem::exists(m_dir / "tmp" / "vtes_vxt.inf"));
    u.StopConnection();
    EXPECT_FALSE(std::filesystem::exists(m_dir / "tmp" / "vtes_vxt.inf"));
}

TEST_F(UpdaterCheck, ListedFileGoesToItsTargetFolderMatchedWithoutCase)
{
    s_web->put("actualiza/files/Lista.txt", "lista nueva");
    TUpdater u = updater(s_web->url("/none"));
    ASSERT_TRUE(u.StartConnection({}));
    TFileDescription entry;
    entry.URL = s_web->url("/actualiza/files/Lista.txt");
    entry.TargetDir = (m_dir / "App").string() + "\\DATOS\\";
    EXPECT_EQ(u.FetchListedFile(entry), FetchResult::Ok);
    // The existing file in any letter case is the one replaced, as on Windows.
    EXPECT_EQ(readAll(m_dir / "App" / "Datos" / "Lista.TXT"), "lista nueva");
    EXPECT_EQ(filesIn("App/Datos"), 1u);
}

// Signed updates: the control file's signature made by update-sign.
class SignedUpdates : public UpdaterCheck {
protected:
    void SetUp() override
    {
        UpdaterCheck::SetUp();
        if (IsSkipped())
            return;
        const auto keys = signing::generateKeyPair();
        m_public = keys.publicKey;
        std::ofstream(m_dir / "secret.key") << keys.secretKey << "\n";
        s_web->put("actualiza/firmado/Lista.txt", "lista firmada");
        m_listSha = *signing::sha256OfFile(s_web->root() / "actualiza/firmado/Lista.txt");
    }
    // Writes the control file, signs it with the tool, serves both.
    void publish(const std::string& name, const std::string& control, bool withSignature = true)
    {
        const auto file = m_dir / "vtes_vxt.inf";
        std::ofstream(file, std::ios::trunc | std::ios::binary) << control;
        std::filesystem::remove(m_dir / "vtes_vxt.inf.sig");
        const std::string command = std::string(UPDATE_SIGN_PATH) + " sign " + (m_dir / "secret.key").string() + " "
            + file.string();
        ASSERT_EQ(std::system(command.c_str()), 0);
        s_web->put("actualiza/" + name + "/vtes_vxt.inf", readAll(file));
        if (withSignature)
            s_web->put("actualiza/" + name + "/vtes_vxt.inf.sig", readAll(m_dir / "vtes_vxt.inf.sig"));
    }
    std::string control(const std::string& sha) const
    {
        return "[update]\nnewversion=4.6\nlocalversion={APP}\\Pordane\n[files]\ncount=1\n[file1]\nurl="
            + s_web->url("/actualiza/firmado/Lista.txt") + "\ntargetdir={APP}\\Datos\nsha256=" + sha + "\n";
    }
    std::string m_public;
    std::string m_listSha;
};

TEST_F(SignedUpdates, AGoodSignatureIsAccepted)
{
    publish("bueno", control(m_listSha));
    TUpdater u = updater(s_web->url("/actualiza/bueno/vtes_vxt.inf"), m_public);
    EXPECT_TRUE(u.NewVersionAvailable(false));
    EXPECT_EQ(filesIn("tmp"), 0u); // neither the control file nor its signature stay
}

TEST_F(SignedUpdates, AFlippedByteMakesTheControlFileMissing)
{
    publish("alterado", control(m_listSha));
    std::string served = readAll(s_web->root() / "actualiza/alterado/vtes_vxt.inf");
    served[served.find("4.6")] = '5';
    s_web->put("actualiza/alterado/vtes_vxt.inf", served);
    TUpdater u = updater(s_web->url("/actualiza/alterado/vtes_vxt.inf"), m_public);
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_EQ(filesIn("tmp"), 0u);
    // The same bytes without a key: exactly the unsigned behaviour.
    TUpdater unsignedUpdater = updater(s_web->url("/actualiza/alterado/vtes_vxt.inf"));
    EXPECT_TRUE(unsignedUpdater.NewVersionAvailable(false));
}

TEST_F(SignedUpdates, AMissingSignatureMakesTheControlFileMissing)
{
    publish("sinfirma", control(m_listSha), false);
    TUpdater u = updater(s_web->url("/actualiza/sinfirma/vtes_vxt.inf"), m_public);
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_EQ(filesIn("tmp"), 0u);
}

TEST_F(SignedUpdates, ASignatureByAnotherKeyIsRefused)
{
    publish("otraclave", control(m_listSha));
    TUpdater u = updater(s_web->url("/actualiza/otraclave/vtes_vxt.inf"), signing::generateKeyPair().publicKey);
    EXPECT_FALSE(u.NewVersionAvailable(false));
}

TEST_F(SignedUpdates, AFileWhoseBytesDifferIsNotStored)
{
    std::string wrong = m_listSha;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    int round = 0;
    for (const auto& [sha, result, content] :
         {std::tuple{wrong, FetchResult::DigestMismatch, "lista de precios"},
          std::tuple{std::string(), FetchResult::DigestMismatch, "lista de precios"},
          std::tuple{m_listSha, FetchResult::Ok, "lista firmada"}}) {
        // A fresh address each round: the server may cache what it served.
        const std::string name = "ficheros" + std::to_string(++round);
        publish(name, control(sha));
        TUpdater u = updater(s_web->url("/actualiza/" + name + "/vtes_vxt.inf"), m_public);
        ASSERT_TRUE(u.StartConnection({}));
        ASSERT_TRUE(u.FetchControlFile());
        ASSERT_EQ(u.ReadFileList(), 1u);
        TFileDescription entry = u.State().FileList[0];
        entry.URL = s_web->url("/actualiza/firmado/Lista.txt");
        EXPECT_EQ(u.FetchListedFile(entry), result) << sha;
        EXPECT_EQ(readAll(m_dir / "App" / "Datos" / "Lista.TXT"), content);
        EXPECT_EQ(filesIn("App/Datos"), 1u);
        u.StopConnection();
        EXPECT_EQ(filesIn("tmp"), 0u);
    }
}

TEST_F(SignedUpdates, TheToolPrintsTheSha256OfFiles)
{
    const std::string out = (m_dir / "sha.txt").string();
    const std::string command = std::string(UPDATE_SIGN_PATH) + " sha256 "
        + (s_web->root() / "actualiza/firmado/Lista.txt").string() + " > " + out;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readAll(out).substr(0, 64), m_listSha);
    EXPECT_EQ(m_listSha.size(), 64u);
}

// Start-up stays quick: the check before the window is shown.
TEST(StartupCheck, ASilentHostIsGivenUpWithinFiveSeconds)
{
    testsupport::SilentListener silent;
    TUpdaterSettings settings;
    settings.URL = "http://127.0.0.1:" + std::to_string(silent.port()) + "/actualiza/vtes_vxt.inf";
    settings.TempDirectory = std::filesystem::temp_directory_path().string();
    TUpdater u(settings, systemUpdaterSystem(settings.TempDirectory));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(u.NewVersionAvailable(false));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(3500)); // it did wait: the host was silent, not refusing
    EXPECT_LT(took, std::chrono::milliseconds(5000));
}

TEST(StartupCheck, ARefusedConnectionAnswersAtOnce)
{
    TUpdaterSettings settings;
    settings.URL = "http://127.0.0.1:" + std::to_string(testsupport::refusedPort()) + "/actualiza/vtes_vxt.inf";
    settings.TempDirectory = std::filesystem::temp_directory_path().string();
    TUpdater u(settings, systemUpdaterSystem(settings.TempDirectory));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(u.NewVersionAvailable(false));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(StartupCheck, TheProgramsSettingsComeFromTheBuild)
{
    const TUpdaterSettings s = programUpdaterSettings();
    EXPECT_EQ(s.Agent, "TUpdater");
    EXPECT_EQ(s.TempDirectory, ".");
    EXPECT_EQ(s.LogFileName, "VexorPUPDATE.LOG");
    EXPECT_TRUE(s.AutoRestart);
    EXPECT_FALSE(s.UseWinTempDir);
    EXPECT_NE(s.URL.find("/actualiza/vtes2000apps/vtes_vxt.inf"), std::string::npos);
}

} // namespace
