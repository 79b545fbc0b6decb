#include "update/pusetup/Restarter.h"

#include "platform/base/WindowsCommandLine.h"
#include "platform/Process.h"
#include "platform/SpecialFolders.h"
#include "platform/SyncFile.h"
#include "platform/base/TextEncoding.h"
#include "update/profile/ProfileFile.h"

#include <charconv>
#include <ctime>
#include <fstream>
#include <thread>

namespace pordane::restarter {

namespace fs = std::filesystem;

namespace {

constexpr long long kMaxListed = 10000;
const char* const kStagedSuffix = ".pusetup-new";

std::optional<platform::ProcessId> parseProcessId(const std::string& text)
{
    platform::ProcessId pid = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

bool endsWithAscii(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size()
        && platform::foldCase(text.substr(text.size() - suffix.size())) == platform::foldCase(suffix);
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

// The log file named by PUPDATE.INI: a bare name lives in the documents
// folder, a path is taken as it is. Elsewhere than on Windows "\" is read as
// "/", and a drive-letter path cannot be followed, so its file name is used.
fs::path logPath(const fs::path& documents, std::string name)
{
    if (name.find_first_of("\\/:") == std::string::npos)
        return documents / name;
    if (platform::WindowsPaths)
        return fs::path(name);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    if (name.find(':') != std::string::npos)
        return documents / fs::path(name).filename();
    return fs::path(name);
}

class Log {
public:
    void open(const fs::path& path) { m_out.open(path, std::ios::app); }
    void operator()(const std::string& text)
    {
        if (!m_out.is_open())
            return;
        char stamp[32] = {};
        const std::time_t now = std::time(nullptr);
        if (const std::tm* tm = std::localtime(&now))
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", tm);
        m_out << stamp << ' ' << text << '\n';
        m_out.flush();
    }

private:
    std::ofstream m_out;
};

void addComponent(const std::string& name, const fs::path& source, const fs::path& destination,
                  std::vector<Replacement>& plan, const LogLine& log)
{
    if (!plainName(name)) {
        log("refused (not a plain file name): " + name);
        return;
    }
    if (!endsWithAscii(name, "_new")) {
        log("ignored (neither _new nor .INF): " + name);
        return;
    }
    std::error_code ec;
    const fs::path from = source / name;
    if (!fs::is_regular_file(from, ec)) {
        log("not downloaded, left as it is: " + name);
        return;
    }
    const fs::path to = destination / name.substr(0, name.size() - 4);
    for (const auto& r : plan)
        if (r.target == to)
            return;  // named twice: replaced once
    plan.push_back({from, to});
}

bool stageCopy(const Replacement& r, const fs::path& staged)
{
    std::error_code ec;
    fs::remove(staged, ec);
    if (!fs::copy_file(r.source, staged, fs::copy_options::overwrite_existing, ec))
        return false;
    const auto target = fs::status(r.target, ec);
    const fs::perms mode = ec || !fs::exists(target) ? fs::status(r.source, ec).permissions() : target.permissions();
    fs::permissions(staged, mode, ec);
    return !ec && platform::syncFile(staged);
}

} // namespace

std::vector<Replacement> planReplacements(const std::vector<std::string>& components, const fs::path& source,
                                          const fs::path& destination, const LogLine& log)
{
    std::vector<Replacement> plan;
    for (const auto& name : components) {
        if (!endsWithAscii(name, ".INF")) {
            addComponent(name, source, destination, plan, log);
            continue;
        }
        if (!plainName(name)) {
            log("refused (not a plain file name): " + name);
            continue;
        }
        const profile::ProfileFile list = profile::ProfileFile::load(source / name);
        const long long count = std::min<long long>(list.readInteger("FILES", "COUNT", 0), kMaxListed);
        for (long long i = 1; i <= count; ++i) {
            const auto listed = list.find("FILES", "FILE" + std::to_string(i));
            // A list does not name further lists: no loops.
            if (listed && !endsWithAscii(*listed, ".INF"))
                addComponent(*listed, source, destination, plan, log);
        }
    }
    return plan;
}

bool replaceAll(const std::vector<Replacement>& plan, const LogLine& log)
{
    std::vector<fs::path> staged;
    const auto discard = [&] {
        std::error_code ec;
        for (const auto& p : staged)
            fs::remove(p, ec);
    };
    for (const auto& r : plan) {
        staged.push_back(fs::path(r.target).concat(kStagedSuffix));
        if (!stageCopy(r, staged.back())) {
            log("copy failed, nothing replaced: " + r.source.string() + " -> " + r.target.string());
            discard();
            return false;
        }
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
        std::error_code ec;
        fs::rename(staged[i], plan[i].target, ec);
        if (ec) {
            log("rename failed after " + std::to_string(i) + " replaced: " + plan[i].target.string());
            staged.erase(staged.begin(), staged.begin() + static_cast<long>(i));
            discard();
            return false;
        }
        log("replaced " + plan[i].target.string());
    }
    return true;
}

ExitStatus runRestarter(const Setup& setup)
{
    const auto& args = setup.arguments;
    const auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
    const fs::path documents = setup.documents.empty() ? setup.destination : setup.documents;
    Log log;
    const LogLine logLine = [&](const std::string& text) { log(text); };

    ExitStatus status = Restarted;
    const auto pid = parseProcessId(arg(0));
    if (pid) {
        platform::waitForProcessEnd(*pid);
        const profile::ProfileFile ini = profile::ProfileFile::load(documents / "PUPDATE.INI");
        if (arg(1) == "L" || arg(1) == "l") {
            const std::string name = ini.readString("CONFIG", "LOGFILENAME");
            log.open(logPath(documents, name.empty() ? "PUPDATE.LOG" : name));
        }
        log("process " + arg(0) + " ended");
        std::this_thread::sleep_for(setup.settle);
    }
    std::error_code ec;
    const fs::path source = setup.destination / arg(4);
    if (!pid || args.size() < 5) {
        log("arguments incomplete, nothing copied");
        status = BadArguments;
    } else if (!fs::is_directory(source, ec)) {
        log("source folder missing: " + source.string());
        status = CopyFailed;
    } else {
        const std::vector<std::string> components(args.begin() + 5, args.end());
        if (!replaceAll(planReplacements(components, source, setup.destination, logLine), logLine))
            status = CopyFailed;
    }

    const std::string program = arg(2);
    if (program.empty() || program == "null")
        return status;
    const std::string parameters = arg(3);
    const auto started = platform::startDetached(setup.destination / program,
                                                 parameters == " " ? std::vector<std::string>{}
                                                                   : platform::splitCommandLine(parameters),
                                                 setup.destination);
    log(started ? "started " + program : "could not start " + program);
    return started ? status : StartFailed;
}

} // namespace pordane::restarter
