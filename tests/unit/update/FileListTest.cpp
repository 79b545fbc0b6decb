#include "update/FileList.h"

#include "platform/base/PathMatch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pordane::update;

namespace {

std::optional<PackedVersion> fakeVersion(const std::filesystem::path& p)
{
    if (p.filename() == "Vtes.exe")
        return parseVersionText("4.5.0.0");
    return std::nullopt;
}

class RulesFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("pordane-fl-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "Sub");
        write("Vtes.exe", "programa");
        write("Sub/Datos.MDB", "datos");
        // Modified at 10/03/2025 12:00 local time.
        setTime("Vtes.exe", controlDateTime("10/03/2025", "12:00"));
        setTime("Sub/Datos.MDB", controlDateTime("10/03/2025", "12:00"));
        m_ctx.folders = [this](const std::string& name) -> std::optional<std::string> {
            if (name == "APP")
                return m_dir.string();
            return std::nullopt;
        };
        m_ctx.style = PathStyle::Posix;
        m_ctx.toNative = [](std::string_view p) { return pordane::platform::controlPathToNative(p); };
        m_ctx.readVersion = &fakeVersion;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    void write(const std::string& name, const std::string& bytes) { std::ofstream(m_dir / name, std::ios::binary) << bytes; }
    void setTime(const std::string& name, std::time_t t)
    {
        const struct timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / name).c_str(), times, 0), 0);
    }
    std::filesystem::path m_dir;
    RuleContext m_ctx;
};

struct CheckCase {
    const char* name;
    const char* update; // body of [update]
    VersionCheckResult result;
    const char* info;
};

class VersionCheckTable : public RulesFolder, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(VersionCheckTable, GivesOneOfSixResults)
{
    const auto& c = GetParam();
    const pordane::profile::ProfileFile f = pordane::profile::ProfileFile::parse(std::string("[update]\n") + c.update);
    const VersionCheck v = runVersionCheck(f, m_ctx);
    EXPECT_EQ(v.result, c.result);
    EXPECT_EQ(v.newVersionInfo, c.info);
}

const CheckCase checkCases[] = {
    {"date_later_than_file", "date=11/03/2025\nlocalversion={app}\\VTES.EXE\n", VersionCheckResult::NewerByDate, ""},
    {"date_same_as_file", "date=10/03/2025\ntime=12:00\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NotNewer, ""},
    {"date_a_minute_later", "date=10/03/2025\ntime=12:01\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NewerByDate, ""},
    {"date_earlier", "date=09/03/2025\nlocalversion={APP}\\Vtes.exe\n", VersionCheckResult::NotNewer, ""},
    {"date_local_missing_is_1980", "date=02/01/1980\nlocalversion={APP}\\nada.exe\n", VersionCheckResult::NewerByDate, ""},
    {"date_unreadable_is_1980", "date=ayer\nlocalversion={APP}\\nada.exe\n", VersionCheckResult::NotNewer, ""},
    {"unconditional", "unconditional=1\n", VersionCheckResult::Unconditional, ""},
    {"date_wins_over_unconditional", "date=11/03/2025\nlocalversion={APP}\\vtes.exe\nunconditional=1\n",
     VersionCheckResult::NewerByDate, ""},
    {"old_date_then_unconditional", "date=01/03/2025\nlocalversion={APP}\\vtes.exe\nunconditional=yes\n",
     VersionCheckResult::Unconditional, ""},
    {"version_newer", "newversion=4,6\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NewerByVersion, "4.6.0.0"},
    {"version_same", "newversion=4.5\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NotNewer, "4.5.0.0"},
    {"version_no_local_path", "newversion=4.6\n", VersionCheckResult::NotNewer, "4.6"},
    {"checksum_newer", "newchecksum=7\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NewerByChecksum, ""},
    {"size_newer", "newsize=3\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NewerBySize, ""},
    {"size_same", "newsize=8\nlocalversion={APP}\\vtes.exe\n", VersionCheckResult::NotNewer, ""},
    {"local_missing", "newversion=9\nlocalversion={APP}\\nada.exe\n", VersionCheckResult::NotNewer, "9"},
    {"nothing", "descr=x\n", VersionCheckResult::NotNewer, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, VersionCheckTable, ::testing::ValuesIn(checkCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct FilterCase {
    const char* name;
    const char* entry;
    bool stays;
};

class FilterTable : public RulesFolder, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTable, KeepsWhatIsNewer)
{
    const auto& c = GetParam();
    const pordane::profile::ProfileFile f = pordane::profile::ProfileFile::parse(std::string("[files]\ncount=1\n[file1]\nurl=http://h/x.exe\n") + c.entry);
    const TFileList list = readFileList(f, m_ctx);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(filterFileList(list, m_ctx).size(), c.stays ? 1u : 0u);
}

const FilterCase filterCases[] = {
    {"no_rules_at_all", "", true},
    {"missing_local_dropped_by_comparison", "localversion={APP}\\nada.exe\nnewsize=4\n", false},
    {"missing_local_kept_by_date", "localversion={APP}\\nada.exe\ndate=01/01/2000\n", true},
    {"date_newer_than_file", "localversion={APP}\\sub\\datos.mdb\ndate=10/03/2025\ntime=12:30\n", true},
    {"date_equal_to_file", "localversion={APP}\\SUB\\DATOS.mdb\ndate=10/03/2025\ntime=12:00\n", false},
    {"date_without_local_uses_comparison", "date=01/01/2030\nnewversion=9\n", true},
    {"version_newer", "localversion={APP}\\Vtes.exe\nnewversion=4.5.0.1\n", true},
    {"version_equal", "localversion={APP}\\Vtes.exe\nnewversion=4.5\n", false},
    {"checksum_differs", "localversion={APP}\\Vtes.exe\nnewchecksum=1\n", true},
    {"size_equal", "localversion={APP}\\Vtes.exe\nnewsize=8\n", false},
};

INSTANTIATE_TEST_SUITE_P(Table, FilterTable, ::testing::ValuesIn(filterCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RulesFolder, EntriesReadWithTheirTypes)
{
    const pordane::profile::ProfileFile f = pordane::profile::ProfileFile::parse("[files]\ncount=2\n"
                                             "[file1]\nurl={APP}\\a.exe\ntargetdir={app}\\sub\ndescr=Uno\\nDos\n"
                                             "newchecksum=12\nnewsize=40\npreselect=0\nsha256=ab12\n"
                                             "[file2]\nurl=http://h/b.dll\ntargetdir=C:\\x\\\ncustomversion=a\\nb\n");
    const TFileList list = readFileList(f, m_ctx);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].URL, m_dir.string() + "\\a.exe");
    EXPECT_EQ(list[0].TargetDir, m_dir.string() + "\\sub\\");
    EXPECT_EQ(list[0].Description, "Uno\\nDos"); // text as is
    EXPECT_EQ(list[0].NewCheckSum, 12);
    EXPECT_EQ(list[0].NewSize, 40);
    EXPECT_FALSE(list[0].Preselect);
    EXPECT_EQ(list[0].Sha256, "ab12");
    EXPECT_EQ(list[1].TargetDir, "C:\\x\\");
    EXPECT_EQ(list[1].NewCheckSum, -1);
    EXPECT_TRUE(list[1].Preselect);
    EXPECT_EQ(list[1].NewCustomVer, "a\rb");
}

struct CountCase {
    const char* name;
    const char* count;
    const char* sections;
    std::size_t entries;
};

class HostileCounts : public RulesFolder, public ::testing::WithParamInterface<CountCase> {};

TEST_P(HostileCounts, ListBoundedBySectionsThatExist)
{
    const auto& c = GetParam();
    const pordane::profile::ProfileFile f = pordane::profile::ProfileFile::parse(std::string("[files]\ncount=") + c.count + "\n" + c.sections);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readFileList(f, m_ctx).size(), c.entries);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

INSTANTIATE_TEST_SUITE_P(Table, HostileCounts,
                         ::testing::Values(CountCase{"huge", "2147483647", "[file1]\n[file2]\n[file3]\n", 3},
                                           CountCase{"negative", "-5", "[file1]\n", 0},
                                           CountCase{"zero", "0", "[file1]\n", 0},
                                           CountCase{"fewer_than_sections", "2", "[file1]\n[file2]\n[file3]\n", 2},
                                           // A gap still yields an (empty) entry, as the count says.
                                           CountCase{"gap", "3", "[file1]\n[file3]\n", 3},
                                           CountCase{"huge_with_far_section", "2147483647",
                                                     "[file1]\n[file2000000000]\n", 4096},
                                           CountCase{"not_a_number", "x", "[file1]\n", 0}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
