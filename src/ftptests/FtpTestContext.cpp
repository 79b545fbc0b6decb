#include "ftptests/FtpTestContext.h"

#include "views/TaskListView.h"

#include <stdexcept>

namespace pordane::ftptests {

std::string newPrefix(FtpTestContext& ctx)
{
    return IdText(GeneraID(ctx.dialogs, ctx.ids));
}

catalogue::TSERVIDOR serverOfRow(const FtpTestContext& ctx, const std::string& numCell)
{
    size_t used = 0;
    const int n = std::stoi(numCell, &used);
    if (used != numCell.size())
        throw std::invalid_argument("Número de servidor no válido: " + numCell);
    return ctx.servers.entry(n);
}

void runRows(FtpTestContext& ctx, views::ResultListView& list, int statusCell, int numCell,
                 const ServerTest& test)
{
    for (int r = 0; r < list.rowCount(); ++r) {
        list.setRowImage(r, views::image::Running);
        list.setCell(r, statusCell, "En curso");
        const catalogue::TSERVIDOR s = serverOfRow(ctx, list.cellText(r, numCell));
        const bool ok = test(r, s);
        list.setRowImage(r, ok ? views::image::Passed : views::image::Warning);
        list.setCell(r, statusCell, "Finalizado");
    }
}

} // namespace pordane::ftptests
