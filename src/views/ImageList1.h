// The indexes of the window's shared 16x16 icon list ImageList1, used by the
// result lists and the task lists; the one place they are defined.
#pragma once

namespace pordane::views {

// Indexes into the window's shared 16x16 icon list ImageList1.
namespace image {
inline constexpr int Running = 0; // black arrow
inline constexpr int Passed = 1;  // green tick
inline constexpr int Waiting = 2; // small black dot
inline constexpr int Failed = 3;  // red circle with a white cross
inline constexpr int Warning = 4; // yellow triangle
inline constexpr int Probing = 5; // question mark
} // namespace image

} // namespace pordane::views
