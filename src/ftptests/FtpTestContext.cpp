#include "ftptests/FtpTestContext.h"

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

} // namespace pordane::ftptests
