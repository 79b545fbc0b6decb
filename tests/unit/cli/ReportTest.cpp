// The report's two forms and the live progress line.
#include "cli/Report.h"
#include "cli/TerminalViews.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pordane::cli;

namespace {

Report permissions()
{
    Report i;
    i.command = "permisos";
    i.version = "4.5.0.0";
    i.date = "2026-01-02T03:04:05Z";
    i.modo = "pasivo";
    i.exitCode = 1;
    ServerResult a;
    a.number = 4;
    a.name = "Señor \"A\"";
    a.host = "127.0.0.5";
    a.outcome = Outcome::HadFailures;
    a.steps = {{"conectar", Status::Ok}, {"borrar", Status::Failed}, {"listar", Status::NotDone}};
    a.figures = {{"ciclos", 20}};
    a.log = {"Conectando a 127.0.0.5...OK", "tab\there"};
    i.servers.push_back(a);
    return i;
}

TEST(Report, TableWithMarksAndColumnsAlignedByCharacters)
{
    std::ostringstream out;
    writeTable(out, permissions(), false);
    EXPECT_EQ(out.str(), "Servidor   conectar  borrar  listar  Resultado\n"
                         "Señor \"A\"  ✓         ✗       -       ⚠ con fallos\n");
}

TEST(Report, AsciiTableWithLegend)
{
    std::ostringstream out;
    Report i = permissions();
    i.interrupted = true;
    i.servers[0].outcome = Outcome::Interrupted;
    writeTable(out, i, true);
    EXPECT_EQ(out.str(), "Servidor   conectar  borrar  listar  Resultado\n"
                         "Señor \"A\"  OK        NO      -       interrumpido\n"
                         "Interrumpido con Ctrl-C: la transferencia en curso se canceló.\n"
                         "OK correcto, NO fallo, AV aviso, - no realizado\n");
}

TEST(Report, JsonWithEscapedStrings)
{
    std::ostringstream out;
    writeJson(out, permissions());
    const std::string j = out.str();
    for (const char* part :
         {"\"nombre\": \"Señor \\\"A\\\"\"", "\"tab\\there\"", "\"ciclos\": 20", "\"resultado\": \"fallo\"",
          "        {\"paso\": \"listar\", \"resultado\": \"no_realizado\"}\n      ]", "\"codigo_salida\": 1",
          "\"avisos\": []", "\"modo\": \"pasivo\""})
        EXPECT_NE(j.find(part), std::string::npos) << part << "\n" << j;
    EXPECT_EQ(j.find("tamano_mb"), std::string::npos);
    EXPECT_EQ(j.back(), '\n');
}

TEST(ProgressLine, OnlyOnATerminalAndWithinTheWidth)
{
    std::ostringstream off;
    {
        ProgressLine l(off, false);
        l.server("Tessaly24");
        l.step("Subiendo");
    }
    EXPECT_EQ(off.str(), "");

    std::ostringstream live;
    {
        ProgressLine l(live, true, 12);
        l.server("Tessaly24");
        l.step("Subiendo áéí");
    }
    EXPECT_EQ(live.str(), "\r\033[KTessaly24\r\033[KTessaly24 · \r\033[K");
    EXPECT_EQ(visibleWidth("Tessaly24 · "), 12u);
}

} // namespace
