// The command line of pordane-cli: what each sub-command accepts and refuses.
#include "cli/Options.h"

#include <gtest/gtest.h>

using namespace pordane::cli;

namespace {

struct Rejection {
    std::vector<std::string> args;
    const char* reason; // part of the message
};

class RejectedOptions : public ::testing::TestWithParam<Rejection> {};

TEST_P(RejectedOptions, AreUsageErrors)
{
    try {
        parseOptions(GetParam().args);
        FAIL() << "aceptada";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RejectedOptions,
                         ::testing::Values(Rejection{{}, "falta la orden"}, Rejection{{"permiso"}, "orden desconocida"},
                                           Rejection{{"permisos"}, "indique los servidores"},
                                           Rejection{{"permisos", "--todos", "--servidor", "A"}, "no se combina"},
                                           Rejection{{"permisos", "--host", "h"}, "necesita --usuario"},
                                           Rejection{{"permisos", "--host", "h", "--usuario", "u", "--todos"},
                                                     "--host prueba solo"},
                                           Rejection{{"permisos", "--todos", "--usuario", "u"}, "acompañan a --host"},
                                           Rejection{{"permisos", "--todos", "--tamano", "3"}, "no admite --tamano"},
                                           Rejection{{"velocidad", "--todos", "--activo"}, "no admite --activo"},
                                           Rejection{{"velocidad", "--todos", "--tamano", "21"}, "de 1 a 20"},
                                           Rejection{{"velocidad", "--todos", "--tamano", "0"}, "de 1 a 20"},
                                           Rejection{{"velocidad", "--todos", "--tamano", "2x"}, "de 1 a 20"},
                                           Rejection{{"velocidad", "--todos", "--tamano"}, "necesita un valor"},
                                           Rejection{{"puertos", "--todos"}, "no admite --todos"},
                                           Rejection{{"procesos", "--ascii"}, "no admite --ascii"},
                                           Rejection{{"puertos", "--json=si"}, "no lleva valor"},
                                           Rejection{{"puertos", "--rapido"}, "opción desconocida"}));

TEST(Options, RepeatedServersInOrderAndValuesWithEquals)
{
    const Options o = parseOptions({"conectividad", "--servidor", "B", "--servidor=A b", "--activo", "--json"});
    EXPECT_EQ(o.command, Command::Connectivity);
    EXPECT_EQ(o.servers, (std::vector<std::string>{"B", "A b"}));
    EXPECT_TRUE(o.active);
    EXPECT_TRUE(o.json);
    EXPECT_FALSE(o.ascii);
    EXPECT_EQ(o.sizeMB, 3);
}

TEST(Options, HostWithItsAccount)
{
    const Options o = parseOptions(
        {"velocidad", "--host", "127.0.0.5", "--usuario", "u", "--remoto", "/in", "--tamano", "20", "--ascii"});
    EXPECT_EQ(o.host, "127.0.0.5");
    EXPECT_EQ(o.user, "u");
    EXPECT_EQ(o.remoto, "/in");
    EXPECT_FALSE(o.name.has_value());
    EXPECT_EQ(o.sizeMB, 20);
}

TEST(Options, HelpPerCommandSkipsTheOtherChecks)
{
    const Options o = parseOptions({"permisos", "--help"});
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.command, Command::Permissions);
    EXPECT_NE(help(Command::Permissions).find("--activo"), std::string::npos);
    EXPECT_EQ(help(Command::Speed).find("--activo"), std::string::npos);
    EXPECT_NE(help(Command::Speed).find("--tamano"), std::string::npos);
    EXPECT_TRUE(parseOptions({"--help"}).help);
    EXPECT_TRUE(parseOptions({"--version"}).version);
}

} // namespace
