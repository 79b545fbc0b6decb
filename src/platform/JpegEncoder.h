// The system's JPEG encoder: libjpeg-turbo on Linux, the Windows Imaging
// Component (WIC) on Windows.
#pragma once

#include <cstdint>
#include <vector>

namespace pordane::platform {

// Baseline colour JPEG (YCbCr, 4:2:0 where the encoder lets us choose) of
// width x height 8-bit RGB samples, rows top to bottom without padding.
// quality 1..100. Throws std::runtime_error when the encoder fails.
std::vector<std::uint8_t> encodeRgbJpeg(const std::uint8_t* rgb, int width, int height, int quality);

} // namespace pordane::platform
