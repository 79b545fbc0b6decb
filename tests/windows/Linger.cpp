// A Windows program for the process, shell and restarter tests. It writes
// "marker" in its current folder: a first line, then its argument count and
// its arguments, one a line. Built plain, it first lingers for argv[1]
// milliseconds and the first line is its folder; built as a restarter probe
// (PROBE_VERSION), the first line is that version, and "--hold=<ms>" as its
// first argument makes it only linger, as a running program would.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
#ifdef PROBE_VERSION
    if (argc > 1 && std::strncmp(argv[1], "--hold=", 7) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[1] + 7)));
        return 0;
    }
    const std::string first = PROBE_VERSION;
#else
    if (argc > 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[1])));
    const std::string first = std::filesystem::current_path().string();
#endif
    std::ofstream out("marker.tmp", std::ios::binary);
    out << first << "\n" << argc - 1 << "\n";
    for (int i = 1; i < argc; ++i)
        out << argv[i] << "\n";
    out.close();
    std::filesystem::rename("marker.tmp", "marker");
    return 0;
}
