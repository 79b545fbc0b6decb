// bench_prepare: how long the preparation of the local test files takes with
// the largest speed file (20 MiB), and its parts, against a peer measured in
// the same run: one plain 20 MiB write of a ready buffer.
// Exit status 0 when the whole preparation stays under 150 ms.
#include "ftptests/PrepararTest.h"
#include "ftptests/TestFiles.h"
#include "ftptests/TestPicture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pordane;

namespace {

constexpr int Runs = 5;
constexpr std::int32_t SizeTest = 20 * 1048576;
constexpr double TargetMs = 150.0;

class SilentView : public views::PrepareView {
public:
    void setPanelVisible(bool) override {}
    void setGauge(int) override {}
    void repaint() override {}
};

class CountingDialogs : public views::Dialogs {
public:
    void showMessage(const std::string&) override { ++messages; }
    bool askYesNo(const std::string&) override { return false; }
    int messages = 0;
};

double medianMs(const std::function<void()>& work)
{
    std::vector<double> samples;
    for (int i = 0; i < Runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return samples[Runs / 2];
}

// The same steps as the speed writer (drop the old file, create, write,
// close) but with the whole content in one write.
void plainWrite(const fs::path& file, const std::vector<char>& data)
{
    std::error_code ec;
    fs::remove(file, ec);
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size() || std::fclose(out) != 0)
        throw std::runtime_error("peer write failed");
}

} // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / ("pordane-bench-prepare-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    SilentView view;
    CountingDialogs dialogs;
    const double total = medianMs([&] { ftptests::PrepararTest(view, dialogs, SizeTest, dir); });
    const double settle = std::chrono::duration<double, std::milli>(ftptests::PrepararTestSettle).count();
    const double jpeg = medianMs([&] { ftptests::CrearArchivoJPG(dir); });
    const double drawing = medianMs([] { (void)ftptests::drawTestPicture(); });
    const ftptests::MonoBitmap picture = ftptests::drawTestPicture();
    const double encoding = medianMs([&] { (void)ftptests::encodeJpeg(picture, ftptests::TestPictureJpegQuality); });
    const double txt = medianMs([&] { ftptests::CrearArchivoTXT(dir); });
    const double speed = medianMs([&] { ftptests::CrearArchivoSpeed(SizeTest, dir); });
    const std::vector<char> ones(static_cast<std::size_t>(SizeTest), '1');
    const double peer = medianMs([&] { plainWrite(dir / "peer.txt", ones); });
    const auto jpegBytes = fs::file_size(dir / "test.jpg");

    std::error_code ec;
    fs::remove_all(dir, ec);

    std::printf("bench_prepare: median of %d runs, SizeTest = %d bytes\n", Runs, SizeTest);
    std::printf("  PrepararTest total            %8.1f ms  (includes the %.0f ms settle wait; target < %.0f ms)\n",
                total, settle, TargetMs);
    std::printf("  PrepararTest without the wait %8.1f ms\n", total - settle);
    std::printf("  CrearArchivoJPG               %8.1f ms  (drawing %.1f ms, encoding %.1f ms, %ju bytes)\n",
                jpeg, drawing, encoding, static_cast<std::uintmax_t>(jpegBytes));
    std::printf("  CrearArchivoTXT               %8.1f ms\n", txt);
    std::printf("  CrearArchivoSpeed (20 MiB)    %8.1f ms\n", speed);
    std::printf("  peer: one 20 MiB fwrite       %8.1f ms  (speed writer / peer = %.2f)\n", peer, speed / peer);
    std::printf("  messages shown                %8d\n", dialogs.messages);
    const bool met = total < TargetMs && dialogs.messages == 0;
    std::printf("  target %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
