// ftp_throughput: 20 MiB upload and download on loopback against vsftpd
// (127.0.9.1), our FTPClient versus the curl command line. One discarded
// warm-up round, then N measured rounds (61 by default, `--runs N`); each
// round runs every client once per direction, in an order that flips from
// round to round, and waits for the disk after every transfer. Prints medians
// with quartiles, the round-by-round ratios ours/curl for throughput and CPU
// time (median, quartiles, 95 % interval of the median), and our peak RSS for
// 1 MiB and 20 MiB transfers, each measured in a fresh child process, and the
// largest gap between two turns of the window's message pump: over every
// session of ours against vsftpd, and against a scripted server trickling
// every reply and the data byte by byte. Needs root (vsftpd on port 21).
// Exit status: 0 targets met, 1 missed, 2 could not run, 3 a median short of
// a target but within noise of it.
#include "ftp/FTPClient.h"
#include "support/ftp/PumpGauge.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/ftpservers/LocalFtpServer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

using namespace pordane;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* Address = "127.0.9.1";
constexpr const char* User = "bench";
constexpr const char* Password = "clave";
constexpr size_t BigSize = 20 * 1024 * 1024;
constexpr int DefaultRuns = 61;

double cpuSeconds(const rusage& r)
{
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double selfCpu()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

// Quantile q (0..1) with linear interpolation between the order statistics.
double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const double pos = q * static_cast<double>(v.size() - 1);
    const size_t below = static_cast<size_t>(pos);
    const size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (pos - static_cast<double>(below)) * (v[above] - v[below]);
}

struct Spread {
    double q1, median, q3;
};

Spread spread(const std::vector<double>& v)
{
    return {quantile(v, 0.25), quantile(v, 0.5), quantile(v, 0.75)};
}

// Distribution-free 95 % confidence interval of the median: the order
// statistics at ranks n/2 -+ 1.96 sqrt(n)/2 (normal approximation of the
// binomial), so a verdict does not rest on a median that noise could move.
struct Interval {
    double low, high;
};

Interval medianInterval(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const double n = static_cast<double>(v.size());
    const double half = 1.96 * std::sqrt(n) / 2;
    const auto low = static_cast<long>(std::floor(n / 2 - half)) - 1; // 1-based rank to index
    const auto high = static_cast<long>(std::ceil(n / 2 + half));
    return {v[static_cast<size_t>(std::max(0L, low))], v[static_cast<size_t>(std::min(high, static_cast<long>(v.size()) - 1))]};
}

// Met: the median reaches the target. Missed: even the confidence interval
// stays on the wrong side. Otherwise the run cannot tell.
enum class Verdict { Met, Unclear, Missed };

Verdict atLeast(double median, Interval ci, double target)
{
    return median >= target ? Verdict::Met : ci.high < target ? Verdict::Missed : Verdict::Unclear;
}

Verdict atMost(double median, Interval ci, double target)
{
    return median <= target ? Verdict::Met : ci.low > target ? Verdict::Missed : Verdict::Unclear;
}

// Waits until the file's written data has reached the disk. Called after each
// transfer, outside the timed phase: otherwise the writeback of the previous
// 20 MiB file overlaps the next transfer, and how much of it a client meets
// depends on its start-up (curl first starts a process, ours is in-process),
// not on its data path.
void settle(const fs::path& p)
{
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::close(fd);
}

void writeRandomFile(const fs::path& p, size_t size)
{
    std::mt19937_64 gen(42);
    std::string bytes(size, '\0');
    for (size_t i = 0; i + 8 <= size; i += 8) {
        const uint64_t x = gen();
        std::memcpy(&bytes[i], &x, 8);
    }
    std::ofstream(p, std::ios::binary) << bytes;
}

// Runs a program, returning its exit status, its rusage and its stdout.
struct ChildResult {
    int status = -1;
    rusage usage{};
    std::string out;
};

ChildResult runChild(const std::vector<std::string>& args, const fs::path& outFile)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildResult result;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    wait4(pid, &status, 0, &result.usage);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outFile);
    std::ostringstream text;
    text << in.rdbuf();
    result.out = text.str();
    return result;
}

// Largest gap between two pump turns while `gauge` was installed, up to now.
double gapMs(const testsupport::PumpGauge& gauge)
{
    return std::chrono::duration<double, std::milli>(gauge.largestGapUntilNow()).count();
}

struct Sample {
    double seconds = 0; // data phase
    double cpu = 0;     // whole session (connect, transfer, quit)
    double pumpGapMs = 0; // ours only: largest gap between pump turns in the session
};

void configure(ftp::FTPClient& client, ftp::FtpTransferType type)
{
    client.Host = Address;
    client.Username = User;
    client.Password = Password;
    client.Passive = true;
    client.TransferType = type;
    client.HostResolver = [](const std::string&) { return std::optional<platform::IPv4>(); };
}

Sample ours(bool upload, const fs::path& local, const std::string& remote, ftp::FtpTransferType type)
{
    // The data phase starts when the server has accepted the transfer command,
    // as curl's time_total - time_pretransfer does.
    struct BeginClock : ftp::FTPObserver {
        Clock::time_point at;
        void OnWorkBegin(ftp::WorkMode, int64_t) override { at = Clock::now(); }
    } begin;
    const double cpu0 = selfCpu();
    ftp::FTPClient client;
    configure(client, type);
    client.setObserver(&begin);
    const testsupport::PumpGauge gauge;
    client.Connect();
    if (upload)
        client.Put(local.string(), remote);
    else
        client.Get(remote, local.string());
    const auto t1 = Clock::now();
    client.Disconnect();
    return {std::chrono::duration<double>(t1 - begin.at).count(), selfCpu() - cpu0, gapMs(gauge)};
}

// A server trickling every reply, a multi-line greeting among them, and the
// data one byte every `ms` milliseconds: a whole session of ours (connect,
// download, upload, quit), with the largest gap between pump turns.
double trickledSessionGap(int ms, const fs::path& work)
{
    const std::string greeting = "GREETING 220-Servidor lento de pruebas\n220-que envia un byte cada vez\n220 Listo";
    testsupport::ScriptedFtpServer server({"TRICKLE " + std::to_string(ms), greeting, "THROTTLE 1 " + std::to_string(ms)});
    server.setFile("lento.txt", std::string(100, 'x'));
    const fs::path local = work / "lento.txt";
    ftp::FTPClient client;
    client.Host = testsupport::ScriptedFtpServer::Address;
    client.Port = server.port();
    client.Username = User;
    client.Password = Password;
    client.Passive = true;
    client.HostResolver = [](const std::string&) { return std::optional<platform::IPv4>(); };
    const testsupport::PumpGauge gauge;
    client.Connect();
    client.Get("lento.txt", local.string());
    client.Put(local.string(), "subido.txt");
    client.Disconnect();
    return gapMs(gauge);
}

Sample curl(bool upload, const fs::path& local, const std::string& remote, bool ascii, const fs::path& work)
{
    std::string url = std::string("ftp://") + Address + "/" + remote + (ascii ? ";type=A" : "");
    std::vector<std::string> args = {"/usr/bin/curl", "-s", "-S", "--ftp-pasv", "--disable-epsv", "-u",
                                     std::string(User) + ":" + Password, "-w", "%{time_pretransfer} %{time_total}\n"};
    if (upload) {
        args.insert(args.end(), {"-T", local.string(), url, "-o", "/dev/null"});
    } else {
        args.insert(args.end(), {url, "-o", local.string()});
    }
    const ChildResult r = runChild(args, work / "curl.out");
    if (r.status != 0) {
        std::fprintf(stderr, "curl failed (%d): %s\n", r.status, r.out.c_str());
        std::exit(1);
    }
    double pre = 0, total = 0;
    std::sscanf(r.out.c_str(), "%lf %lf", &pre, &total);
    return {total - pre, cpuSeconds(r.usage)};
}

struct Series {
    std::vector<double> mbps, cpu, pumpGapMs;
    void add(const Sample& s, size_t bytes)
    {
        mbps.push_back(static_cast<double>(bytes) / s.seconds / (1024 * 1024));
        cpu.push_back(s.cpu * 1000);
        pumpGapMs.push_back(s.pumpGapMs);
    }
};

// Child mode: one upload and one download of `size` bytes, nothing else.
int rssChild(size_t size, const fs::path& work)
{
    const fs::path file = work / ("rss-" + std::to_string(size));
    writeRandomFile(file, size);
    ftp::FTPClient client;
    configure(client, ftp::FtpTransferType::ASCII);
    client.Connect();
    client.Put(file.string(), file.filename().string());
    client.Get(file.filename().string(), (work / "rss-back").string());
    client.Disconnect();
    return fs::file_size(work / "rss-back") == size ? 0 : 1;
}

long rssOf(const char* self, size_t size, const fs::path& work)
{
    const ChildResult r = runChild({self, "--rss-child", std::to_string(size), work.string()}, work / "child.out");
    if (r.status != 0) {
        std::fprintf(stderr, "RSS child failed for %zu bytes\n", size);
        std::exit(1);
    }
    return r.usage.ru_maxrss; // KiB
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--rss-child")
        return rssChild(std::stoul(argv[2]), argv[3]);
    int runs = DefaultRuns;
    if (argc == 3 && std::string(argv[1]) == "--runs")
        runs = std::atoi(argv[2]);
    else if (argc != 1)
        runs = 0;
    if (runs < 3) {
        std::fprintf(stderr, "usage: %s [--runs N]   (N >= 3, default %d)\n", argv[0], DefaultRuns);
        return 2;
    }
    if (!testsupport::LocalFtpServer::available(testsupport::FtpServerKind::Vsftpd)) {
        std::fprintf(stderr, "vsftpd is not available (needs the package and root)\n");
        return 2;
    }
    const fs::path work = fs::temp_directory_path() / ("pordane-ftp-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    int exitCode = 0;
    try {
        testsupport::LocalFtpServer server(testsupport::FtpServerKind::Vsftpd, Address, {{User, Password}});
        const fs::path source = work / "20mb.bin";
        writeRandomFile(source, BigSize);
        const fs::path back = work / "back.bin";

        // Series: ours TYPE A (as the program runs) and TYPE I, curl binary (its
        // default) and TYPE A (";type=A"). Index [up]: 1 upload, 0 download.
        enum Client { OursA, CurlI, OursI, CurlA, ClientCount };
        std::array<std::array<Series, 2>, ClientCount> series;
        const fs::path home = server.homeOf(User);
        auto measure = [&](Client c, bool up) {
            const fs::path& local = up ? source : back;
            const char* remote[ClientCount] = {"ours.bin", "curl.bin", "oursI.bin", "curlA.bin"};
            const Sample sample = c == OursA || c == OursI
                                      ? ours(up, local, remote[c], c == OursA ? ftp::FtpTransferType::ASCII
                                                                              : ftp::FtpTransferType::Binary)
                                      : curl(up, local, remote[c], c == CurlA, work);
            settle(up ? home / remote[c] : back);
            return sample;
        };
        double load[3] = {0, 0, 0};
        getloadavg(load, 3);
        const double loadBefore = load[0];
        // Round 0 warms the server, the page cache and curl's binary and is
        // dropped. Even rounds run ours A, curl I, ours I, curl A; odd rounds
        // the reverse, so within each pair the client that goes first flips.
        for (int run = 0; run <= runs; ++run) {
            for (int up = 1; up >= 0; --up) {
                for (int i = 0; i < ClientCount; ++i) {
                    const auto c = static_cast<Client>(run % 2 == 0 ? i : ClientCount - 1 - i);
                    const Sample sample = measure(c, up != 0);
                    if (run > 0)
                        series[c][up].add(sample, BigSize);
                }
            }
        }
        getloadavg(load, 3);
        // curl's fixed cost (process start, login) with an empty file.
        const fs::path empty = work / "empty";
        std::ofstream(empty).close();
        std::vector<double> curlEmpty;
        for (int run = 0; run < 5; ++run)
            curlEmpty.push_back(curl(true, empty, "empty", false, work).cpu * 1000);

        std::printf("FTP throughput, 20 MiB, passive, vsftpd on %s: %d rounds after a warm-up round,\n"
                    "client order flipped each round; load average %.2f before, %.2f after\n\n",
                    Address, runs, loadBefore, load[0]);
        std::printf("%-10s %-22s %20s %20s\n", "direction", "client", "MiB/s median [IQR]", "CPU ms median [IQR]");
        const char* dirName[2] = {"download", "upload"};
        const char* clientName[ClientCount] = {"ours TYPE A", "curl TYPE I (default)", "ours TYPE I", "curl TYPE A"};
        for (int up = 1; up >= 0; --up) {
            for (int c = 0; c < ClientCount; ++c) {
                const Spread speed = spread(series[c][up].mbps);
                const Spread cpu = spread(series[c][up].cpu);
                std::printf("%-10s %-22s %6.0f [%5.0f-%5.0f] %6.1f [%5.1f-%5.1f]\n", dirName[up], clientName[c],
                            speed.median, speed.q1, speed.q3, cpu.median, cpu.q1, cpu.q3);
            }
        }
        std::printf("curl fixed CPU cost (empty upload, process start and login): %.1f ms\n", quantile(curlEmpty, 0.5));
        std::printf("\nround-by-round ratios ours/curl: median [IQR] (95 %% interval of the median);\n"
                    "wanted for the same-type pairs: speed >= 0.95, CPU <= 1.1\n");
        std::printf("%-10s %-28s %-30s %-30s\n", "direction", "pair", "speed", "CPU");
        Verdict worst = Verdict::Met;
        for (int up = 1; up >= 0; --up) {
            const struct {
                const char* name;
                Client a, b;
                bool judged;
            } pairs[] = {{"ours A / curl I (as asked)", OursA, CurlI, false},
                         {"ours A / curl A (same type)", OursA, CurlA, true},
                         {"ours I / curl I (same type)", OursI, CurlI, true}};
            for (const auto& p : pairs) {
                std::vector<double> speeds, cpus;
                for (int run = 0; run < runs; ++run) {
                    speeds.push_back(series[p.a][up].mbps[run] / series[p.b][up].mbps[run]);
                    cpus.push_back(series[p.a][up].cpu[run] / series[p.b][up].cpu[run]);
                }
                const Spread speed = spread(speeds);
                const Spread cpu = spread(cpus);
                const Interval speedCi = medianInterval(speeds);
                const Interval cpuCi = medianInterval(cpus);
                const Verdict verdict =
                    std::max(atLeast(speed.median, speedCi, 0.95), atMost(cpu.median, cpuCi, 1.1));
                const char* mark = !p.judged ? "" : verdict == Verdict::Met ? "  ok" : verdict == Verdict::Missed ? "  MISSED" : "  unclear";
                std::printf("%-10s %-28s %4.2f [%4.2f-%4.2f] (%4.2f-%4.2f)  %4.2f [%4.2f-%4.2f] (%4.2f-%4.2f)%s\n",
                            dirName[up], p.name, speed.median, speed.q1, speed.q3, speedCi.low, speedCi.high, cpu.median,
                            cpu.q1, cpu.q3, cpuCi.low, cpuCi.high, mark);
                if (p.judged)
                    worst = std::max(worst, verdict);
            }
        }

        // The window's turns: wanted at least every 250 ms (aimed at 50).
        double fastGap = 0;
        for (Client c : {OursA, OursI})
            for (int up = 0; up < 2; ++up)
                for (double g : series[c][up].pumpGapMs)
                    fastGap = std::max(fastGap, g);
        std::printf("\nlargest gap between two pump turns in a session of ours (wanted <= 250 ms, aim 50 ms):\n");
        std::printf("  vsftpd, 20 MiB at full speed, all %d rounds: %.1f ms\n", runs, fastGap);
        double slowGap = 0;
        for (int ms : {2, 10}) {
            const double g = trickledSessionGap(ms, work);
            slowGap = std::max(slowGap, g);
            std::printf("  scripted server trickling one byte every %d ms: %.1f ms\n", ms, g);
        }
        if (std::max(fastGap, slowGap) > 250)
            worst = Verdict::Missed;

        const long rss1 = rssOf(argv[0], 1024 * 1024, work);
        const long rss20 = rssOf(argv[0], BigSize, work);
        std::printf("\npeak RSS of a fresh process doing one upload and one download:\n");
        std::printf("  1 MiB: %ld KiB   20 MiB: %ld KiB   growth: %ld KiB (< 1024 wanted)\n", rss1, rss20, rss20 - rss1);
        if (rss20 - rss1 >= 1024)
            worst = Verdict::Missed;
        // Exit status: 0 met, 1 missed, 3 a median short of a target but
        // within noise of it (run again).
        std::printf("\ntargets (same-type pairs, pump gap, RSS) %s\n",
                    worst == Verdict::Met      ? "met"
                    : worst == Verdict::Missed ? "NOT met"
                                               : "not shown: a median misses, within noise of the target (run again)");
        exitCode = worst == Verdict::Met ? 0 : worst == Verdict::Missed ? 1 : 3;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ftp_throughput: %s\n", e.what());
        exitCode = 2;
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return exitCode;
}
