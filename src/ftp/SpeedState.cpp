#include "ftp/SpeedState.h"

#include "platform/base/NumberFormat.h"

#include <cmath>

namespace pordane::ftp {

std::int64_t segundosEntre(std::chrono::steady_clock::time_point a,
                           std::chrono::steady_clock::time_point b)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(a > b ? a - b : b - a);
    return ms.count() / 1000;
}

std::int64_t segundosTransferFinal(std::chrono::steady_clock::time_point inicio,
                                   std::chrono::steady_clock::time_point fin)
{
    const std::int64_t s = segundosEntre(inicio, fin);
    return s == 0 ? 1 : s;
}

std::int64_t redondeoPar(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    double r = down;
    if (diff > 0.5)
        r = down + 1;
    else if (diff == 0.5)
        r = std::fmod(down, 2.0) == 0 ? down : down + 1;
    return static_cast<std::int64_t>(r);
}

double velocidadFinalKBs(std::int32_t SizeTest, std::int64_t segundos)
{
    if (segundos < 1)
        segundos = 1;
    return static_cast<double>(redondeoPar(static_cast<double>(SizeTest) / static_cast<double>(segundos) / 1024.0));
}

double velocidadEnVivoKBs(std::int64_t bytes, std::int64_t segundos)
{
    if (segundos < 2)
        return 0;
    return static_cast<double>(bytes) / static_cast<double>(segundos) / 1024.0;
}

double aMbps(double kbs)
{
    return kbs * 8.0 / 1024.0;
}

std::string textoVelocidad(double kbs)
{
    return std::to_string(redondeoPar(kbs)) + " KB/s";
}

std::string textoVelocidadAgrupada(double kbs)
{
    return platform::FormatearMiles(redondeoPar(kbs)) + " KB/s";
}

std::string textoSegundos(std::int64_t segundos)
{
    return std::to_string(segundos) + " segs.";
}

} // namespace pordane::ftp
