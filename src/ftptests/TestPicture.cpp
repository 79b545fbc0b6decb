#include "ftptests/TestPicture.h"

#include "platform/JpegEncoder.h"

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
    // The encoder wants colour samples for a colour JPEG: expand grey to RGB.
    const int width = bitmap.width();
    const int height = bitmap.height();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::uint8_t* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            *out++ = in[x];
            *out++ = in[x];
            *out++ = in[x];
        }
    }
    return platform::encodeRgbJpeg(rgb.data(), width, height, quality);
}

} // namespace pordane::ftptests
