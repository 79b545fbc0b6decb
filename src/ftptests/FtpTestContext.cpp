#include "ftptests/FtpTestContext.h"

#include "views/TaskListView.h"

#include <stdexcept>

namespace pordane::ftptests {

std::string nuevoPrefijo(FtpTestContext& ctx)
{
    return IdText(GeneraID(ctx.dialogs, ctx.ids));
}

catalogue::TSERVIDOR servidorDeFila(const FtpTestContext& ctx, const std::string& numCell)
{
    size_t used = 0;
    const int n = std::stoi(numCell, &used);
    if (used != numCell.size())
        throw std::invalid_argument("Número de servidor no válido: " + numCell);
    return ctx.servidores.entry(n);
}

void probarFilas(FtpTestContext& ctx, views::ResultListView& lista, int celdaEstado, int celdaNum,
                 const TestDeServidor& test)
{
    for (int r = 0; r < lista.rowCount(); ++r) {
        lista.setRowImage(r, views::image::Running);
        lista.setCell(r, celdaEstado, "En curso");
        const catalogue::TSERVIDOR s = servidorDeFila(ctx, lista.cellText(r, celdaNum));
        const bool ok = test(r, s);
        lista.setRowImage(r, ok ? views::image::Passed : views::image::Warning);
        lista.setCell(r, celdaEstado, "Finalizado");
    }
}

} // namespace pordane::ftptests
