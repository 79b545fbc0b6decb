// The permissions page (TabTestPermisos) as the permissions run sees it.
#pragma once

#include "views/ResultListView.h"
#include "views/TaskListView.h"

namespace pordane::views {

class PermissionsView {
public:
    virtual ~PermissionsView() = default;
    virtual void showPage() = 0;
    // Cells: 0 "Estado", 1 "E", 2 "L", 3 "R", 4 "D", 5 "B", 6 "Num".
    virtual ResultListView& ListaServidores() = 0;
    // The six step lines, 0 connect .. 5 delete.
    virtual TaskListView& Tareas() = 0;
};

} // namespace pordane::views
