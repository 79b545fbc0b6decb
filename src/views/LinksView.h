// What the portal import shows in the window: the counter LabelNumEnlaces and
// the server check list.
#pragma once

#include <string>
#include <vector>

namespace pordane::views {

class LinksView {
public:
    virtual ~LinksView() = default;
    // The text of LabelNumEnlaces ("Obteniendo...", the count, "0").
    virtual void setLabelNumEnlaces(const std::string& text) = 0;
    // Rebuilds CheckListServidores with these lines, in order; all ticks go.
    virtual void rebuildCheckList(const std::vector<std::string>& names) = 0;
};

} // namespace pordane::views
