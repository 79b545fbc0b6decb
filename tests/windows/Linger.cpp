// A Windows program for the process and shell tests: lingers for argv[1]
// milliseconds, then writes "marker" in its current folder: that folder, its
// argument count and its arguments, one a line.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
    if (argc > 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[1])));
    std::ofstream out("marker.tmp", std::ios::binary);
    out << std::filesystem::current_path().string() << "\n" << argc - 1 << "\n";
    for (int i = 1; i < argc; ++i)
        out << argv[i] << "\n";
    out.close();
    std::filesystem::rename("marker.tmp", "marker");
    return 0;
}
