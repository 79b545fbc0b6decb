// A task list of the window (TareasPuertos, the permissions task list): text
// lines that each carry an icon of ImageList1 and a regular or bold style.
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

class TaskListView {
public:
    virtual ~TaskListView() = default;
    virtual int count() const = 0;
    // Sets the icon and style of one line; throws std::out_of_range for a
    // line that does not exist.
    virtual void mark(int line, int image, bool bold) = 0;
    // Paints the list's page now, without waiting for the event loop.
    virtual void repaint() = 0;
};

} // namespace pordane::views
