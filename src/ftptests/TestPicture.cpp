#include "ftptests/TestPicture.h"

#include <turbojpeg.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace pordane::ftptests {

MonoBitmap drawTestPicture()
{
    MonoBitmap bitmap(TestPictureWidth, TestPictureHeight);
    for (int i = 1; i <= 100; ++i)
        bitmap.ellipse(i, i, 1000 - i, 700 - i);
    return bitmap;
}

std::vector<std::uint8_t> encodeJpeg(const MonoBitmap& bitmap, int quality)
{
    struct HandleCloser {
        void operator()(void* handle) const { tjDestroy(handle); }
    };
    struct BufferFree {
        void operator()(unsigned char* buffer) const { tjFree(buffer); }
    };

    std::unique_ptr<void, HandleCloser> handle(tjInitCompress());
    if (!handle)
        throw std::runtime_error(std::string("JPEG: ") + tjGetErrorStr2(nullptr));

    // The encoder wants colour samples for a colour JPEG: expand grey to RGB.
    const int width = bitmap.width();
    const int height = bitmap.height();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    unsigned char* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            *out++ = in[x];
            *out++ = in[x];
            *out++ = in[x];
        }
    }

    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    // No TJFLAG_PROGRESSIVE: baseline.
    const int rc = tjCompress2(handle.get(), rgb.data(), width, width * 3, height, TJPF_RGB,
                               &jpeg, &jpegSize, TJSAMP_420, quality, 0);
    std::unique_ptr<unsigned char, BufferFree> owned(jpeg);
    if (rc != 0)
        throw std::runtime_error(std::string("JPEG: ") + tjGetErrorStr2(handle.get()));
    return std::vector<std::uint8_t>(jpeg, jpeg + jpegSize);
}

} // namespace pordane::ftptests
