// Orders of pordane-cli that need no server: the process list as the
// window's page writes it, read back into the report.
#include "cli/Program.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pordane;

namespace {

struct Salidas {
    std::ostringstream out, err;
    cli::Entorno entorno{out, err};
};

TEST(Procesos, LasLineasDeLaPaginaPasanAlInforme)
{
    Salidas s;
    s.entorno.procesos = [] { return std::string("-       21      TCP\n812     5353    UDP     avahi daemon\n"); };
    EXPECT_EQ(cli::ejecutar({"procesos", "--json"}, s.entorno), cli::SalidaCorrecta);
    const std::string j = s.out.str();
    EXPECT_NE(j.find("{\"pid\": null, \"puerto\": 21, \"protocolo\": \"TCP\", \"proceso\": \"\"}"), std::string::npos) << j;
    EXPECT_NE(j.find("{\"pid\": 812, \"puerto\": 5353, \"protocolo\": \"UDP\", \"proceso\": \"avahi daemon\"}"),
              std::string::npos)
        << j;

    Salidas t;
    t.entorno.procesos = s.entorno.procesos;
    EXPECT_EQ(cli::ejecutar({"procesos"}, t.entorno), cli::SalidaCorrecta);
    EXPECT_EQ(t.out.str(), "PID  Puerto  Proto  Proceso\n-    21      TCP    \n812  5353    UDP    avahi daemon\n");
}

TEST(Ejecutar, AyudaVersionYErroresDeUso)
{
    Salidas s;
    EXPECT_EQ(cli::ejecutar({"--version"}, s.entorno), cli::SalidaCorrecta);
    EXPECT_EQ(s.out.str().rfind("pordane-cli ", 0), 0u);
    EXPECT_EQ(cli::ejecutar({"puertos", "--help"}, s.entorno), cli::SalidaCorrecta);
    EXPECT_NE(s.out.str().find("Uso: pordane-cli puertos"), std::string::npos);
    EXPECT_EQ(s.err.str(), "");
    EXPECT_EQ(cli::ejecutar({"puertos", "--todos"}, s.entorno), cli::SalidaErrorDeUso);
    EXPECT_EQ(s.err.str(), "pordane-cli: puertos no admite --todos\nPruebe \"pordane-cli --help\".\n");
}

} // namespace
