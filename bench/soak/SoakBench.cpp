// Soak: the connectivity test run again and again, then the permissions test,
// against one pyftpdlib server in one process; open descriptors, resident
// memory and temporary files measured before and after. No growth expected.
//   soak [CONNECTIVITY_RUNS=50] [PERMISSION_RUNS=200]
#include "ftptests/ConnectivityRun.h"
#include "ftptests/PermissionsRun.h"
#include "support/ftptests/FtpHarness.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace pordane;
using namespace pordane::testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* Address = "127.0.16.2";

struct Usage {
    long descriptors = 0;
    long rssKiB = 0;
    long tempFiles = 0;
};

Usage measure(const fs::path& temp)
{
    Usage u;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++u.descriptors;
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    u.rssKiB = resident * (::sysconf(_SC_PAGESIZE) / 1024);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(temp, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        ++u.tempFiles;
    return u;
}

void print(const char* when, const Usage& u)
{
    std::printf("%-34s descriptors %4ld   RSS %7ld KiB   temporary files %4ld\n", when, u.descriptors, u.rssKiB,
                u.tempFiles);
}

// One run of a test on a fresh harness (its recordings go with it); the
// number of log lines ending in "OK", to show the runs really passed.
template <typename View, typename Run>
size_t runOnce(int page, Run run)
{
    Harness h;
    h.writeTestFiles();
    h.run.PaginaActiva = page;
    View view;
    run(h.ctx, view, std::vector<ftptests::MarkedLine>{h.addServer("Soak", Address, "soak", "pw")});
    size_t ok = 0;
    for (const std::string& line : h.log.lines)
        ok += line.size() >= 2 && line.compare(line.size() - 2, 2, "OK") == 0;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const int connectivityRuns = argc > 1 ? std::atoi(argv[1]) : 50;
    const int permissionRuns = argc > 2 ? std::atoi(argv[2]) : 200;
    if (!serversAvailable()) {
        std::puts("soak: pyftpdlib is not installed");
        return 1;
    }
    // A temporary folder of our own, so other programs' files do not count.
    char tmpl[] = "/tmp/pordane-soak-XXXXXX";
    if (!::mkdtemp(tmpl))
        return 1;
    const fs::path temp = tmpl;
    ::setenv("TMPDIR", tmpl, 1);

    int status = 0;
    {
        testsupport::LocalFtpServer server(testsupport::FtpServerKind::Pyftpdlib, Address, {{"soak", "pw"}});
        const auto connectivity = [](auto& ctx, auto& view, const auto& m) { ftptests::DoTestConectividad(ctx, view, m); };
        const auto permissions = [](auto& ctx, auto& view, const auto& m) { ftptests::DoTestPermisos(ctx, view, m); };
        // One run of each first: what a first run sets up once is not growth.
        const size_t okConnect = runOnce<testsupport::RecordingConnectivity>(ftp::page::Connectivity, connectivity);
        const size_t okPerm = runOnce<testsupport::RecordingPermissions>(ftp::page::Permissions, permissions);
        const Usage before = measure(temp);
        print("after one run of each", before);

        const auto start = std::chrono::steady_clock::now();
        size_t bad = 0;
        for (int i = 0; i < connectivityRuns; ++i)
            bad += runOnce<testsupport::RecordingConnectivity>(ftp::page::Connectivity, connectivity) != okConnect;
        const Usage middle = measure(temp);
        print(("after " + std::to_string(connectivityRuns) + " connectivity runs").c_str(), middle);
        for (int i = 0; i < permissionRuns; ++i)
            bad += runOnce<testsupport::RecordingPermissions>(ftp::page::Permissions, permissions) != okPerm;
        const Usage after = measure(temp);
        print(("after " + std::to_string(permissionRuns) + " permission runs").c_str(), after);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%zu OK steps per connectivity run, %zu per permission run; %zu runs differed; %.1f s\n",
                    okConnect, okPerm, bad, seconds);
        std::printf("growth: descriptors %+ld, RSS %+ld KiB, temporary files %+ld\n",
                    after.descriptors - before.descriptors, after.rssKiB - before.rssKiB,
                    after.tempFiles - before.tempFiles);
        if (bad || after.descriptors != before.descriptors || after.tempFiles != before.tempFiles)
            status = 1;
    }
    std::error_code ec;
    fs::remove_all(temp, ec);
    return status;
}
