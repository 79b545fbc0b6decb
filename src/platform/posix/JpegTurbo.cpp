#include "platform/JpegEncoder.h"

#include <turbojpeg.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace pordane::platform {

std::vector<std::uint8_t> encodeRgbJpeg(const std::uint8_t* rgb, int width, int height, int quality)
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

    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    // No TJFLAG_PROGRESSIVE: baseline.
    const int rc = tjCompress2(handle.get(), rgb, width, width * 3, height, TJPF_RGB,
                               &jpeg, &jpegSize, TJSAMP_420, quality, 0);
    std::unique_ptr<unsigned char, BufferFree> owned(jpeg);
    if (rc != 0)
        throw std::runtime_error(std::string("JPEG: ") + tjGetErrorStr2(handle.get()));
    return std::vector<std::uint8_t>(jpeg, jpeg + jpegSize);
}

} // namespace pordane::platform
