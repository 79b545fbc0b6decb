// http_fetch: a 20 MiB file from a local lighttpd (127.0.0.68), the updater's
// fetch (4096-byte blocks, a pump before each) against the curl command line,
// alternating which goes first, N rounds (21 by default, `--runs N`) after a
// discarded warm-up. Prints the median throughput of both, the median of the
// round-by-round ratio ours/curl, and the largest gap between two pump calls
// seen in any of our fetches. Then the time the new-version check takes
// against a refusing host and a silent one (a full accept queue). The disk
// is synced after every fetch, outside the timed part. Needs root
// (port 80). Exit status: 0 targets met, 1 missed, 2 could not run.
#include "platform/base/Pump.h"
#include "support/http/LighttpdServer.h"
#include "support/http/ScriptedHttpServer.h"
#include "update/Fetch.h"
#include "update/TUpdater.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

using namespace pordane;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* Address = "127.0.0.68";
constexpr std::size_t BigSize = 20 * 1024 * 1024;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct NoEvents final : update::FetchEvents {
    void progress(const std::string&, int64_t, int64_t) override {}
    bool cancelled() const override { return false; }
};

// One fetch by our rule; returns seconds (negative on failure) and widens `gap`.
double ours(const std::string& url, const fs::path& dir, double& gap)
{
    auto connection = platform::openHttpConnection("TUpdater", {});
    Clock::time_point last = Clock::now();
    double widest = 0;
    NoEvents events;
    const auto start = Clock::now();
    last = start;
    const auto result = [&] {
        const platform::ScopedPumpHook pump([&] {
            const auto now = Clock::now();
            widest = std::max(widest, seconds(now - last));
            last = now;
        });
        return update::fetchFile(*connection, {url, dir / "ours.bin", dir, {}}, events);
    }();
    const double took = seconds(Clock::now() - start);
    gap = std::max(gap, widest);
    return result == update::FetchResult::Ok && fs::file_size(dir / "ours.bin") == BigSize ? took : -1;
}

double curl(const std::string& url, const fs::path& dir)
{
    const std::string out = (dir / "curl.bin").string();
    const char* argv[] = {"curl", "-s", "-f", "-o", out.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    const auto start = Clock::now();
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double took = seconds(Clock::now() - start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::file_size(out) == BigSize ? took : -1;
}

double checkTime(const std::string& url)
{
    update::TUpdaterSettings settings;
    settings.URL = url;
    settings.TempDirectory = fs::temp_directory_path().string();
    update::TUpdater u(settings, update::systemUpdaterSystem(settings.TempDirectory));
    const auto start = Clock::now();
    const bool answer = u.NewVersionAvailable(false);
    const double took = seconds(Clock::now() - start);
    return answer ? -1 : took;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));

    testsupport::LighttpdServer web(Address);
    if (!web.running()) {
        std::fprintf(stderr, "http_fetch: %s\n", web.why().c_str());
        return 2;
    }
    std::string payload(BigSize, '\0');
    std::mt19937_64 rng(42);
    for (auto& c : payload)
        c = static_cast<char>(rng());
    web.put("big.bin", payload);
    payload.clear();
    const std::string url = web.url("/big.bin");
    const fs::path dir = fs::temp_directory_path() / ("pordane-http-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);

    double gap = 0;
    std::vector<double> ourRate, curlRate, ratio;
    for (int round = -1; round < runs; ++round) {
        double a = 0, b = 0;
        // The disk is given its writeback after every fetch, outside the
        // timed part: otherwise one fetch pays for the previous one's 20 MiB.
        if (round % 2 == 0) {
            a = ours(url, dir, gap);
            ::sync();
            b = curl(url, dir);
            ::sync();
        } else {
            b = curl(url, dir);
            ::sync();
            a = ours(url, dir, gap);
            ::sync();
        }
        if (a <= 0 || b <= 0) {
            std::fprintf(stderr, "http_fetch: a fetch failed (ours %.3f s, curl %.3f s)\n", a, b);
            fs::remove_all(dir);
            return 2;
        }
        if (round < 0)
            continue; // warm-up
        const double mib = static_cast<double>(BigSize) / (1024.0 * 1024.0);
        ourRate.push_back(mib / a);
        curlRate.push_back(mib / b);
        ratio.push_back(b / a);
    }

    std::vector<double> refused;
    for (int i = 0; i < 5; ++i)
        refused.push_back(checkTime("http://127.0.0.1:" + std::to_string(testsupport::refusedPort()) + "/x.inf"));
    std::vector<double> silent;
    for (int i = 0; i < 2; ++i) {
        testsupport::SilentListener listener;
        silent.push_back(checkTime("http://127.0.0.1:" + std::to_string(listener.port()) + "/x.inf"));
    }
    fs::remove_all(dir);

    const double r = median(ratio);
    const double refusedMax = *std::max_element(refused.begin(), refused.end());
    const double silentMax = *std::max_element(silent.begin(), silent.end());
    std::printf("20 MiB from lighttpd, %d rounds (alternating order)\n", runs);
    std::printf("  ours  median %8.1f MiB/s\n", median(ourRate));
    std::printf("  curl  median %8.1f MiB/s\n", median(curlRate));
    std::printf("  ratio ours/curl median %.3f (target >= 0.90)\n", r);
    std::printf("  largest gap between pump calls %.1f ms (target <= 50)\n", gap * 1000);
    std::printf("new-version check, refused host: median %.1f ms, max %.1f ms (target <= 50)\n",
                median(refused) * 1000, refusedMax * 1000);
    std::printf("new-version check, silent host:  median %.2f s, max %.2f s (target <= 5.5)\n", median(silent),
                silentMax);
    const bool met = r >= 0.9 && gap <= 0.050 && refusedMax >= 0 && refusedMax <= 0.050 && silentMax >= 0
        && silentMax <= 5.5;
    std::printf("%s\n", met ? "targets met" : "targets MISSED");
    return met ? 0 : 1;
}
