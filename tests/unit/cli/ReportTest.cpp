// The report's two forms and the live progress line.
#include "cli/Report.h"
#include "cli/TerminalViews.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pordane::cli;

namespace {

Report permisos()
{
    Report i;
    i.orden = "permisos";
    i.version = "4.5.0.0";
    i.fecha = "2026-01-02T03:04:05Z";
    i.modo = "pasivo";
    i.codigoSalida = 1;
    ResultadoServidor a;
    a.numero = 4;
    a.nombre = "Señor \"A\"";
    a.host = "127.0.0.5";
    a.resultado = Resultado::ConFallos;
    a.pasos = {{"conectar", Estado::Ok}, {"borrar", Estado::Fallo}, {"listar", Estado::NoRealizado}};
    a.cifras = {{"ciclos", 20}};
    a.registro = {"Conectando a 127.0.0.5...OK", "tab\there"};
    i.servidores.push_back(a);
    return i;
}

TEST(Report, TablaConMarcasYColumnasAlineadasPorCaracteres)
{
    std::ostringstream out;
    escribirTabla(out, permisos(), false);
    EXPECT_EQ(out.str(), "Servidor   conectar  borrar  listar  Resultado\n"
                         "Señor \"A\"  ✓         ✗       -       ⚠ con fallos\n");
}

TEST(Report, TablaAsciiConLeyenda)
{
    std::ostringstream out;
    Report i = permisos();
    i.interrumpido = true;
    i.servidores[0].resultado = Resultado::Interrumpido;
    escribirTabla(out, i, true);
    EXPECT_EQ(out.str(), "Servidor   conectar  borrar  listar  Resultado\n"
                         "Señor \"A\"  OK        NO      -       interrumpido\n"
                         "Interrumpido con Ctrl-C: la transferencia en curso se canceló.\n"
                         "OK correcto, NO fallo, AV aviso, - no realizado\n");
}

TEST(Report, JsonConCadenasEscapadas)
{
    std::ostringstream out;
    escribirJson(out, permisos());
    const std::string j = out.str();
    for (const char* parte : {"\"nombre\": \"Señor \\\"A\\\"\"", "\"tab\\there\"", "\"ciclos\": 20",
                              "\"resultado\": \"fallo\"", "        {\"paso\": \"listar\", \"resultado\": \"no_realizado\"}\n      ]",
                              "\"codigo_salida\": 1", "\"avisos\": []", "\"modo\": \"pasivo\""})
        EXPECT_NE(j.find(parte), std::string::npos) << parte << "\n" << j;
    EXPECT_EQ(j.find("tamano_mb"), std::string::npos);
    EXPECT_EQ(j.back(), '\n');
}

TEST(LineaProgreso, SoloEnUnTerminalYSinPasarDeLaAnchura)
{
    std::ostringstream apagada;
    {
        LineaProgreso l(apagada, false);
        l.servidor("Tessaly24");
        l.paso("Subiendo");
    }
    EXPECT_EQ(apagada.str(), "");

    std::ostringstream viva;
    {
        LineaProgreso l(viva, true, 12);
        l.servidor("Tessaly24");
        l.paso("Subiendo áéí");
    }
    EXPECT_EQ(viva.str(), "\r\033[KTessaly24\r\033[KTessaly24 · \r\033[K");
    EXPECT_EQ(anchoVisible("Tessaly24 · "), 12u);
}

} // namespace
