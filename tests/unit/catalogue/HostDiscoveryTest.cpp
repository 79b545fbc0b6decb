#include "catalogue/HostDiscovery.h"

#include "platform/WinePrefix.h"
#include "support/prefix/WinePrefixFixture.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using pordane::catalogue::carpetaComandoAccess;
using pordane::catalogue::Entorno;
using pordane::platform::WinePrefix;
using pordane::testsupport::RecordingDialogs;
using pordane::testsupport::WinePrefixFixture;

namespace {

const std::string ClaveTalvane = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
const std::string ClaveDesinstalar = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string ClaveComando = "Software\\Classes\\Access.Application.14\\shell\\Open\\command";
const std::string Config = "\\Sistema\\Corvalix.config";
const std::string Office = "C:\\Program Files\\Microsoft Office\\Office14";
const std::string ComandoEntrecomillado = "\"" + Office + "\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const std::string ComandoSinComillas = Office + "\\MSACCESS.EXE /NOSTARTUP \"%1\"";

// Each test builds its prefix first, then reads it through a fresh host.
class EntornoTest : public ::testing::Test {
protected:
    Entorno& entorno()
    {
        m_host.emplace(prefix.path());
        m_entorno.emplace(*m_host);
        return *m_entorno;
    }

    void instalarOffice(const std::string& subclave, const std::string& nombre, const std::string& version)
    {
        prefix.setRegString(ClaveDesinstalar + "\\" + subclave, "DisplayName", nombre);
        prefix.setRegString(ClaveDesinstalar + "\\" + subclave, "DisplayVersion", version);
    }

    WinePrefixFixture prefix;

private:
    std::optional<WinePrefix> m_host;
    std::optional<Entorno> m_entorno;
};

} // namespace

// ---- BuscarInstalacion --------------------------------------------------

TEST_F(EntornoTest, InstallDirLosesItsTrailingBackslashAndTheConfigIsLookedForUnderIt)
{
    prefix.setRegString(ClaveTalvane, "InstallDir", "C:\\Talvane\\");
    prefix.writeConfigFile("C:\\Talvane" + Config, {{"RUTA", "D:\\Datos"}});
    prefix.addDrive('d');
    prefix.makeDirectory("D:\\Corvalix"); // not reached: the registry folder wins
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "C:\\Talvane");
}

TEST_F(EntornoTest, AKeyWithoutItsConfigFileAndNoCorvalixFolderFails)
{
    prefix.setRegString(ClaveTalvane, "InstallDir", "C:\\Talvane\\");
    prefix.makeDirectory("C:\\Talvane\\Sistema");
    prefix.addDrive('d');
    std::string carpeta = "C:\\Anterior";
    EXPECT_FALSE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "");
}

TEST_F(EntornoTest, WithoutRegistryEntriesTheFirstFixedDriveWithCorvalixIsTaken)
{
    // A: removable, B: missing, C: without the folder, D: fixed with it (no
    // configuration file: the scan does not check for one), E: fixed too.
    prefix.addDrive('a');
    prefix.setDriveType('a', "floppy");
    prefix.makeDirectory("A:\\Corvalix");
    prefix.linkDrive('b', prefix.path() / "missing");
    prefix.addDrive('d');
    prefix.makeDirectory("D:\\CORVALIX");
    prefix.addDrive('e');
    prefix.makeDirectory("E:\\Corvalix");
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "D:\\Corvalix");
}

TEST_F(EntornoTest, TheDriveScanSkipsNetworkOpticalAndRamDrives)
{
    const std::vector<std::pair<char, const char*>> drives = {{'d', "cdrom"}, {'e', "network"}, {'f', "ramdisk"}};
    for (const auto& [letra, tipo] : drives) {
        prefix.addDrive(letra);
        prefix.setDriveType(letra, tipo);
        prefix.makeDirectory(std::string(1, letra) + ":\\Corvalix");
    }
    prefix.makeDirectory("C:\\Corvalix.old");
    std::string carpeta;
    EXPECT_FALSE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "");
}

TEST_F(EntornoTest, ARegistryFolderWithoutConfigFallsBackToTheDriveScan)
{
    prefix.setRegString(ClaveTalvane, "InstallDir", "C:\\Talvane");
    prefix.makeDirectory("C:\\Corvalix");
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "C:\\Corvalix");
}

TEST_F(EntornoTest, TheUninstallKeyWithAnEmptyInstallDirMeansTheSystemDrivesCorvalix)
{
    prefix.setRegString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix", "InstallDir", "");
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTA", "C:\\Datos"}});
    RecordingDialogs dialogs;
    Entorno& e = entorno();
    e.PrepararEntorno(dialogs, false);
    EXPECT_EQ(e.UnidadSistema, "C:");
    std::string carpeta;
    EXPECT_TRUE(e.BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "C:\\Corvalix");
}

TEST_F(EntornoTest, TheUninstallKeyServesWhenTheFirstKeyIsMissingNoOrEmpty)
{
    prefix.setRegString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix", "InstallDir", "E:\\Corvalix");
    prefix.addDrive('e');
    prefix.writeConfigFile("E:\\Corvalix" + Config, {{"RUTA", "E:\\Datos"}});
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "E:\\Corvalix");

    for (const char* valor : {"No", "No\\", "", "\\"}) {
        prefix.setRegString(ClaveTalvane, "InstallDir", valor);
        carpeta.clear();
        EXPECT_TRUE(entorno().BuscarInstalacion(carpeta)) << valor;
        EXPECT_EQ(carpeta, "E:\\Corvalix") << valor;
    }
}

TEST_F(EntornoTest, TalvaneInstalledInA64BitPrefixIsFound)
{
    prefix.setWin64(true);
    prefix.setRegString("Software\\Wow6432Node\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir",
                        "C:\\Program Files (x86)\\Corvalix\\");
    prefix.writeConfigFile("C:\\Program Files (x86)\\Corvalix" + Config, {{"RUTA", "C:\\Datos"}});
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarInstalacion(carpeta));
    EXPECT_EQ(carpeta, "C:\\Program Files (x86)\\Corvalix");
}

// ---- LeerValorConfig / LeerRutaDatos --------------------------------------

TEST_F(EntornoTest, MarkersAndNameMatchInAnyCase)
{
    prefix.writeFile("C:\\Corvalix" + Config, "<item id='otro' value='X'/>\r\n<item id='ruta' value='E:\\Datos'/>\r\n");
    std::string ruta;
    Entorno& e = entorno();
    e.LeerRutaDatos("C:\\Corvalix", ruta);
    EXPECT_EQ(ruta, "E:\\Datos");
    EXPECT_EQ(e.CarpetaDatos, "E:\\Datos\\Empresas\\Empre01");
}

TEST_F(EntornoTest, NoMatchingLineOrNoFileGivesError)
{
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTAS", "D:\\x"}, {"Servidor", "D:\\y"}});
    std::string ruta;
    Entorno& e = entorno();
    e.LeerRutaDatos("C:\\Corvalix", ruta);
    EXPECT_EQ(ruta, "Error");
    EXPECT_EQ(e.CarpetaDatos, "Error\\Empresas\\Empre01");

    e.LeerRutaDatos("C:\\NoExiste", ruta);
    EXPECT_EQ(ruta, "Error");
    EXPECT_EQ(e.CarpetaDatos, "Error\\Empresas\\Empre01");
}

TEST_F(EntornoTest, ALineWithoutTheValueMarkerLosesItsFirstSixCharacters)
{
    prefix.writeFile("C:\\c.config", "ID='RUTA' X='abc'\n");
    prefix.writeFile("C:\\d.config", "      ID='RUTA' DIR='D:\\x'\n");
    prefix.writeFile("C:\\e.config", "ID='RUTA' VALUE='sin cierre\n");
    std::string valor;
    Entorno& e = entorno();
    e.LeerValorConfig("C:\\c.config", "RUTA", valor);
    EXPECT_EQ(valor, "TA");
    e.LeerValorConfig("C:\\d.config", "RUTA", valor);
    EXPECT_EQ(valor, "ID=");
    e.LeerValorConfig("C:\\e.config", "RUTA", valor);
    EXPECT_EQ(valor, "");
}

TEST_F(EntornoTest, TheFirstMatchingLineWinsWhateverTheLineEnds)
{
    prefix.writeFile("C:\\lf.config", "a\nID='RUTA' VALUE='uno'\nID='RUTA' VALUE='dos'\n");
    prefix.writeFile("C:\\cr.config", "a\rID='RUTA' VALUE='uno'\rID='RUTA' VALUE='dos'");
    prefix.writeFile("C:\\mixed.config", "ID='OTRA' VALUE='x'\r\n\r\nid='Ruta'  valor='no' value='uno'");
    std::string valor;
    Entorno& e = entorno();
    for (const char* fichero : {"C:\\lf.config", "C:\\cr.config", "C:\\MIXED.config"}) {
        e.LeerValorConfig(fichero, "RUTA", valor);
        EXPECT_EQ(valor, "uno") << fichero;
    }
}

TEST_F(EntornoTest, AnAccentedDataRootInWindows1252ReadsBackAsUtf8)
{
    // Accents before the markers too: positions must count ANSI characters.
    prefix.writeFile("C:\\Corvalix" + Config,
                     "<Item Descripci\xF3n='a\xF1o' ID='RUTA' VALUE='D:\\Datos Compa\xF1\xED" "a \x80' />\r\n");
    std::string ruta;
    Entorno& e = entorno();
    e.LeerRutaDatos("C:\\Corvalix", ruta);
    EXPECT_EQ(ruta, "D:\\Datos Compañía €");
    EXPECT_EQ(e.CarpetaDatos, "D:\\Datos Compañía €\\Empresas\\Empre01");

    prefix.writeConfigFile("C:\\otra.config", {{"AÑO", "Ñandú"}});
    std::string valor;
    e.LeerValorConfig("C:\\otra.config", "año", valor);
    EXPECT_EQ(valor, "Ñandú");
    e.LeerValorConfig("C:\\otra.config", "Ω", valor);
    EXPECT_EQ(valor, "Error");
}

TEST_F(EntornoTest, DiscoveryGivesTheImportTheDatabasePath)
{
    prefix.addDrive('d');
    prefix.setRegString(ClaveTalvane, "InstallDir", "C:\\Corvalix");
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTA", "D:\\Datos Compañía"}});
    // Spelt differently on disk: Windows would not care, nor may we.
    const auto mdb = prefix.writeFile("D:\\DATOS COMPAÑÍA\\empresas\\EMPRE01\\vtes_dat.mdb", "db");
    Entorno& e = entorno();
    ASSERT_TRUE(e.BuscarInstalacion(e.CarpetaInstalacion));
    EXPECT_EQ(e.CarpetaInstalacion, "C:\\Corvalix");
    std::string ruta;
    e.LeerRutaDatos(e.CarpetaInstalacion, ruta);
    EXPECT_EQ(e.CarpetaDatos, "D:\\Datos Compañía\\Empresas\\Empre01");
    EXPECT_EQ(e.host().nativePath(e.CarpetaDatos + "\\VTES_DAT.MDB"), mdb);
    EXPECT_TRUE(e.host().fileExists(e.CarpetaDatos + "\\VTES_DAT.MDB"));
}

// ---- Access runtime probes ----------------------------------------------

TEST_F(EntornoTest, TalvaneRuntimeFolderNeedsMsaccessOrVexorRuntime)
{
    prefix.setRegString(ClaveTalvane, "RuntimeDir", "C:\\Corvalix\\Runtime\\");
    prefix.makeDirectory("C:\\Corvalix\\Runtime");
    std::string carpeta = "sin tocar";
    EXPECT_FALSE(entorno().BuscarRuntimeTalvane(carpeta));
    EXPECT_EQ(carpeta, "sin tocar");

    prefix.writeFile("C:\\Corvalix\\Runtime\\VexorRuntime.exe", "MZ");
    EXPECT_TRUE(entorno().BuscarRuntimeTalvane(carpeta));
    EXPECT_EQ(carpeta, "C:\\Corvalix\\Runtime");

    prefix.writeFile("C:\\Corvalix\\Runtime\\MSACCESS.EXE", "MZ");
    std::filesystem::remove(prefix.nativePath("C:\\Corvalix\\Runtime\\VexorRuntime.exe"));
    carpeta.clear();
    EXPECT_TRUE(entorno().BuscarRuntimeTalvane(carpeta));
    EXPECT_EQ(carpeta, "C:\\Corvalix\\Runtime");

    prefix.setRegString(ClaveTalvane, "RuntimeDir", "No");
    EXPECT_FALSE(entorno().BuscarRuntimeTalvane(carpeta));
}

TEST_F(EntornoTest, Office2010FromTheUninstallListTakesTheFolderOfTheOpenCommand)
{
    instalarOffice("Office14.ACCESSRT", "Microsoft Office Access Runtime 2010", "14.0.4763.1000");
    instalarOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    for (const std::string& comando : {ComandoEntrecomillado, ComandoSinComillas}) {
        prefix.setRegString(ClaveComando, "", comando);
        std::string carpeta;
        EXPECT_TRUE(entorno().BuscarAccessDesinstalar(carpeta)) << comando;
        EXPECT_EQ(carpeta, "c:\\program files\\microsoft office\\office14") << comando;
    }
}

TEST_F(EntornoTest, AccessRuntimeEntriesAndOtherProductsDoNotCount)
{
    prefix.setRegString(ClaveComando, "", ComandoEntrecomillado);
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    instalarOffice("A", "Microsoft Access Runtime 2010", "14.0.4763.1000");
    instalarOffice("B", "Microsoft Office Access Runtime 2010 (Español)", "14.0.4763.1000");
    instalarOffice("C", "Microsoft Office Professional Plus 2013", "15.0.4569.1506");
    instalarOffice("D", "Microsoft Office Professional Plus 2010", "15.0.1");
    instalarOffice("E", "Microsoft Office Hogar y Empresas 2010", "14.0.7015.1000");
    instalarOffice("F", "microsoft office professional plus 2010", "14.0.7015.1000");
    prefix.addRegKey(ClaveDesinstalar + "\\G");
    std::string carpeta = "x";
    EXPECT_FALSE(entorno().BuscarAccessDesinstalar(carpeta));
    EXPECT_EQ(carpeta, "");
}

TEST_F(EntornoTest, TheFirstMatchingProductEndsTheScanEvenWithoutMsaccess)
{
    instalarOffice("A", "Microsoft Office Enterprise 2010", "14.0.4763.1000");
    instalarOffice("B", "Microsoft Office System 2010", "14.0.4763.1000");
    prefix.setRegString(ClaveComando, "", ComandoEntrecomillado);
    std::string carpeta;
    EXPECT_FALSE(entorno().BuscarAccessDesinstalar(carpeta));

    prefix.setRegString(ClaveComando, "", "No");
    EXPECT_FALSE(entorno().BuscarAccessDesinstalar(carpeta));
    EXPECT_EQ(carpeta, "");
}

TEST_F(EntornoTest, AccessRuntimeFallsBackToTheOpenCommandInBothForms)
{
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    for (const std::string& comando : {ComandoEntrecomillado, ComandoSinComillas}) {
        prefix.setRegString(ClaveComando, "", comando);
        std::string carpeta;
        EXPECT_TRUE(entorno().BuscarAccessRuntime(carpeta)) << comando;
        EXPECT_EQ(carpeta, "c:\\program files\\microsoft office\\office14") << comando;
    }
    prefix.setRegString(ClaveComando, "", "\"C:\\Otra\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
    std::string carpeta = "x";
    EXPECT_FALSE(entorno().BuscarAccessRuntime(carpeta));
    EXPECT_EQ(carpeta, "");
}

TEST_F(EntornoTest, AccessRuntimeUsesTheUninstallProbeFirst)
{
    instalarOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.setRegString(ClaveComando, "", ComandoSinComillas);
    prefix.writeFile(Office + "\\msaccess.exe", "MZ");
    std::string carpeta;
    EXPECT_TRUE(entorno().BuscarAccessRuntime(carpeta));
    EXPECT_EQ(carpeta, "c:\\program files\\microsoft office\\office14");
}

TEST(CarpetaComandoAccess, TakesTheFolderFromEitherForm)
{
    EXPECT_EQ(carpetaComandoAccess(ComandoEntrecomillado), "c:\\program files\\microsoft office\\office14");
    EXPECT_EQ(carpetaComandoAccess(ComandoSinComillas), "c:\\program files\\microsoft office\\office14");
    EXPECT_EQ(carpetaComandoAccess("  \"D:\\Office\\msaccess.exe\""), "d:\\office");
    EXPECT_EQ(carpetaComandoAccess("msaccess.exe /x"), "");
    EXPECT_EQ(carpetaComandoAccess("\"C:\\Office\\winword.exe\" /n"), "");
    EXPECT_EQ(carpetaComandoAccess(""), "");
}

// ---- PrepararEntorno ----------------------------------------------------

TEST_F(EntornoTest, NoRuntimeAnywhereShowsTheMessageOnce)
{
    instalarOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.setRegString(ClaveComando, "", ComandoEntrecomillado); // names a folder without msaccess.exe
    prefix.setRegString(ClaveTalvane, "RuntimeDir", "C:\\Corvalix\\Runtime");
    RecordingDialogs dialogs;
    Entorno& e = entorno();
    e.PrepararEntorno(dialogs, true);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No se ha encontrado Runtime de Access 2010"});
    EXPECT_EQ(e.UnidadSistema, "C:");

    RecordingDialogs quiet;
    e.PrepararEntorno(quiet, false);
    EXPECT_TRUE(quiet.messages.empty());
}

TEST_F(EntornoTest, AnyRuntimeFoundKeepsStartUpQuiet)
{
    RecordingDialogs dialogs;
    prefix.setRegString(ClaveTalvane, "RuntimeDir", "C:\\Corvalix\\Runtime");
    prefix.writeFile("C:\\Corvalix\\Runtime\\VexorRuntime.exe", "MZ");
    entorno().PrepararEntorno(dialogs, true);

    prefix.setRegString(ClaveTalvane, "RuntimeDir", "No");
    prefix.setRegString(ClaveComando, "", ComandoSinComillas);
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    entorno().PrepararEntorno(dialogs, true);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EntornoTest, AnEmptyOrBrokenPrefixStartsWithTheMessageAndFindsNothing)
{
    prefix.writeRawSystemReg("WINE REGISTRY Version 2\n[Software\\\\Corvalix\n\x01\x02\xFF");
    RecordingDialogs dialogs;
    Entorno& e = entorno();
    e.PrepararEntorno(dialogs, true);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    std::string carpeta;
    EXPECT_FALSE(e.BuscarInstalacion(carpeta));
}
