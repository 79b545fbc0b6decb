// The drawing of "test.jpg" and its JPEG encoding (the system's encoder).
#pragma once

#include "ftptests/MonoBitmap.h"

#include <cstdint>
#include <vector>

namespace pordane::ftptests {

inline constexpr int TestPictureWidth = 1024;
inline constexpr int TestPictureHeight = 768;
inline constexpr int TestPictureJpegQuality = 90;

// 1024 x 768 white with 100 nested black ellipse outlines: ellipse i
// (1..100, drawn in that order) fills [i, 1000 - i) x [i, 700 - i).
MonoBitmap drawTestPicture();

// Colour (YCbCr 4:2:0), baseline JPEG of the bitmap. Throws
// std::runtime_error when the encoder fails.
std::vector<std::uint8_t> encodeJpeg(const MonoBitmap& bitmap, int quality);

} // namespace pordane::ftptests
