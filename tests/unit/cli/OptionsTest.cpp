// The command line of pordane-cli: what each sub-command accepts and refuses.
#include "cli/Options.h"

#include <gtest/gtest.h>

using namespace pordane::cli;

namespace {

struct Rechazo {
    std::vector<std::string> args;
    const char* motivo; // part of the message
};

class OpcionesRechazadas : public ::testing::TestWithParam<Rechazo> {};

TEST_P(OpcionesRechazadas, SonErrorDeUso)
{
    try {
        leerOpciones(GetParam().args);
        FAIL() << "aceptada";
    } catch (const ErrorDeUso& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().motivo), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, OpcionesRechazadas,
    ::testing::Values(Rechazo{{}, "falta la orden"}, Rechazo{{"permiso"}, "orden desconocida"},
                      Rechazo{{"permisos"}, "indique los servidores"},
                      Rechazo{{"permisos", "--todos", "--servidor", "A"}, "no se combina"},
                      Rechazo{{"permisos", "--host", "h"}, "necesita --usuario"},
                      Rechazo{{"permisos", "--host", "h", "--usuario", "u", "--todos"}, "--host prueba solo"},
                      Rechazo{{"permisos", "--todos", "--usuario", "u"}, "acompañan a --host"},
                      Rechazo{{"permisos", "--todos", "--tamano", "3"}, "no admite --tamano"},
                      Rechazo{{"velocidad", "--todos", "--activo"}, "no admite --activo"},
                      Rechazo{{"velocidad", "--todos", "--tamano", "21"}, "de 1 a 20"},
                      Rechazo{{"velocidad", "--todos", "--tamano", "0"}, "de 1 a 20"},
                      Rechazo{{"velocidad", "--todos", "--tamano", "2x"}, "de 1 a 20"},
                      Rechazo{{"velocidad", "--todos", "--tamano"}, "necesita un valor"},
                      Rechazo{{"puertos", "--todos"}, "no admite --todos"},
                      Rechazo{{"procesos", "--ascii"}, "no admite --ascii"},
                      Rechazo{{"puertos", "--json=si"}, "no lleva valor"},
                      Rechazo{{"puertos", "--rapido"}, "opción desconocida"}));

TEST(Options, ServidoresRepetidosEnOrdenYValoresConIgual)
{
    const Options o = leerOpciones({"conectividad", "--servidor", "B", "--servidor=A b", "--activo", "--json"});
    EXPECT_EQ(o.orden, Orden::Conectividad);
    EXPECT_EQ(o.servidores, (std::vector<std::string>{"B", "A b"}));
    EXPECT_TRUE(o.activo);
    EXPECT_TRUE(o.json);
    EXPECT_FALSE(o.ascii);
    EXPECT_EQ(o.tamanoMB, 3);
}

TEST(Options, HostConSuCuenta)
{
    const Options o = leerOpciones({"velocidad", "--host", "127.0.0.5", "--usuario", "u", "--remoto", "/in",
                                     "--tamano", "20", "--ascii"});
    EXPECT_EQ(o.host, "127.0.0.5");
    EXPECT_EQ(o.usuario, "u");
    EXPECT_EQ(o.remoto, "/in");
    EXPECT_FALSE(o.nombre.has_value());
    EXPECT_EQ(o.tamanoMB, 20);
}

TEST(Options, AyudaPorOrdenSinComprobarLoDemas)
{
    const Options o = leerOpciones({"permisos", "--help"});
    EXPECT_TRUE(o.ayuda);
    EXPECT_EQ(o.orden, Orden::Permisos);
    EXPECT_NE(ayuda(Orden::Permisos).find("--activo"), std::string::npos);
    EXPECT_EQ(ayuda(Orden::Velocidad).find("--activo"), std::string::npos);
    EXPECT_NE(ayuda(Orden::Velocidad).find("--tamano"), std::string::npos);
    EXPECT_TRUE(leerOpciones({"--help"}).ayuda);
    EXPECT_TRUE(leerOpciones({"--version"}).version);
}

} // namespace
