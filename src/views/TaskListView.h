// A task list of the window (TareasPuertos, the permissions task list): text
// lines that each carry an icon of ImageList1 and a regular or bold style.
#pragma once

#include "views/ImageList1.h"

namespace pordane::views {

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
