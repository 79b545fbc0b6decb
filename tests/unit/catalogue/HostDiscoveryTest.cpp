#include "catalogue/HostDiscovery.h"

#include "platform/WinePrefix.h"
#include "support/prefix/WinePrefixFixture.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using pordane::catalogue::accessCommandFolder;
using pordane::catalogue::HostDiscovery;
using pordane::platform::WinePrefix;
using pordane::testsupport::RecordingDialogs;
using pordane::testsupport::WinePrefixFixture;

namespace {

const std::string TalvaneKey = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string CommandKey = "Software\\Classes\\Access.Application.14\\shell\\Open\\command";
const std::string Config = "\\Sistema\\Corvalix.config";
const std::string Office = "C:\\Program Files\\Microsoft Office\\Office14";
const std::string QuotedCommand = "\"" + Office + "\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const std::string UnquotedCommand = Office + "\\MSACCESS.EXE /NOSTARTUP \"%1\"";

// Each test builds its prefix first, then reads it through a fresh host.
class HostDiscoveryTest : public ::testing::Test {
protected:
    HostDiscovery& environment()
    {
        m_host.emplace(prefix.path());
        m_discovery.emplace(*m_host);
        return *m_discovery;
    }

    void installOffice(const std::string& subkey, const std::string& name, const std::string& version)
    {
        prefix.setRegString(UninstallKey + "\\" + subkey, "DisplayName", name);
        prefix.setRegString(UninstallKey + "\\" + subkey, "DisplayVersion", version);
    }

    WinePrefixFixture prefix;

private:
    std::optional<WinePrefix> m_host;
    std::optional<HostDiscovery> m_discovery;
};

} // namespace

// ---- BuscarInstalacion --------------------------------------------------

TEST_F(HostDiscoveryTest, InstallDirLosesItsTrailingBackslashAndTheConfigIsLookedForUnderIt)
{
    prefix.setRegString(TalvaneKey, "InstallDir", "C:\\Talvane\\");
    prefix.writeConfigFile("C:\\Talvane" + Config, {{"RUTA", "D:\\Datos"}});
    prefix.addDrive('d');
    prefix.makeDirectory("D:\\Corvalix"); // not reached: the registry folder wins
    std::string folder;
    EXPECT_TRUE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "C:\\Talvane");
}

TEST_F(HostDiscoveryTest, AKeyWithoutItsConfigFileAndNoCorvalixFolderFails)
{
    prefix.setRegString(TalvaneKey, "InstallDir", "C:\\Talvane\\");
    prefix.makeDirectory("C:\\Talvane\\Sistema");
    prefix.addDrive('d');
    std::string folder = "C:\\Anterior";
    EXPECT_FALSE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "");
}

TEST_F(HostDiscoveryTest, WithoutRegistryEntriesTheFirstFixedDriveWithCorvalixIsTaken)
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
    std::string folder;
    EXPECT_TRUE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "D:\\Corvalix");
}

TEST_F(HostDiscoveryTest, TheDriveScanSkipsNetworkOpticalAndRamDrives)
{
    const std::vector<std::pair<char, const char*>> drives = {{'d', "cdrom"}, {'e', "network"}, {'f', "ramdisk"}};
    for (const auto& [letter, type] : drives) {
        prefix.addDrive(letter);
        prefix.setDriveType(letter, type);
        prefix.makeDirectory(std::string(1, letter) + ":\\Corvalix");
    }
    prefix.makeDirectory("C:\\Corvalix.old");
    std::string folder;
    EXPECT_FALSE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "");
}

TEST_F(HostDiscoveryTest, ARegistryFolderWithoutConfigFallsBackToTheDriveScan)
{
    prefix.setRegString(TalvaneKey, "InstallDir", "C:\\Talvane");
    prefix.makeDirectory("C:\\Corvalix");
    std::string folder;
    EXPECT_TRUE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "C:\\Corvalix");
}

TEST_F(HostDiscoveryTest, TheUninstallKeyWithAnEmptyInstallDirMeansTheSystemDrivesCorvalix)
{
    prefix.setRegString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix", "InstallDir", "");
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTA", "C:\\Datos"}});
    RecordingDialogs dialogs;
    HostDiscovery& e = environment();
    e.PrepararEntorno(dialogs, false);
    EXPECT_EQ(e.UnidadSistema, "C:");
    std::string folder;
    EXPECT_TRUE(e.BuscarInstalacion(folder));
    EXPECT_EQ(folder, "C:\\Corvalix");
}

TEST_F(HostDiscoveryTest, TheUninstallKeyServesWhenTheFirstKeyIsMissingNoOrEmpty)
{
    prefix.setRegString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix", "InstallDir",
                        "E:\\Corvalix");
    prefix.addDrive('e');
    prefix.writeConfigFile("E:\\Corvalix" + Config, {{"RUTA", "E:\\Datos"}});
    std::string folder;
    EXPECT_TRUE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "E:\\Corvalix");

    for (const char* value : {"No", "No\\", "", "\\"}) {
        prefix.setRegString(TalvaneKey, "InstallDir", value);
        folder.clear();
        EXPECT_TRUE(environment().BuscarInstalacion(folder)) << value;
        EXPECT_EQ(folder, "E:\\Corvalix") << value;
    }
}

TEST_F(HostDiscoveryTest, TalvaneInstalledInA64BitPrefixIsFound)
{
    prefix.setWin64(true);
    prefix.setRegString("Software\\Wow6432Node\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir",
                        "C:\\Program Files (x86)\\Corvalix\\");
    prefix.writeConfigFile("C:\\Program Files (x86)\\Corvalix" + Config, {{"RUTA", "C:\\Datos"}});
    std::string folder;
    EXPECT_TRUE(environment().BuscarInstalacion(folder));
    EXPECT_EQ(folder, "C:\\Program Files (x86)\\Corvalix");
}

// ---- LeerValorConfig / LeerRutaDatos --------------------------------------

TEST_F(HostDiscoveryTest, MarkersAndNameMatchInAnyCase)
{
    prefix.writeFile("C:\\Corvalix" + Config, "<item id='otro' value='X'/>\r\n<item id='ruta' value='E:\\Datos'/>\r\n");
    std::string path;
    HostDiscovery& e = environment();
    e.LeerRutaDatos("C:\\Corvalix", path);
    EXPECT_EQ(path, "E:\\Datos");
    EXPECT_EQ(e.CarpetaDatos, "E:\\Datos\\Empresas\\Empre01");
}

TEST_F(HostDiscoveryTest, NoMatchingLineOrNoFileGivesError)
{
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTAS", "D:\\x"}, {"Servidor", "D:\\y"}});
    std::string path;
    HostDiscovery& e = environment();
    e.LeerRutaDatos("C:\\Corvalix", path);
    EXPECT_EQ(path, "Error");
    EXPECT_EQ(e.CarpetaDatos, "Error\\Empresas\\Empre01");

    e.LeerRutaDatos("C:\\NoExiste", path);
    EXPECT_EQ(path, "Error");
    EXPECT_EQ(e.CarpetaDatos, "Error\\Empresas\\Empre01");
}

TEST_F(HostDiscoveryTest, ALineWithoutTheValueMarkerLosesItsFirstSixCharacters)
{
    prefix.writeFile("C:\\c.config", "ID='RUTA' X='abc'\n");
    prefix.writeFile("C:\\d.config", "      ID='RUTA' DIR='D:\\x'\n");
    prefix.writeFile("C:\\e.config", "ID='RUTA' VALUE='sin cierre\n");
    std::string value;
    HostDiscovery& e = environment();
    e.LeerValorConfig("C:\\c.config", "RUTA", value);
    EXPECT_EQ(value, "TA");
    e.LeerValorConfig("C:\\d.config", "RUTA", value);
    EXPECT_EQ(value, "ID=");
    e.LeerValorConfig("C:\\e.config", "RUTA", value);
    EXPECT_EQ(value, "");
}

TEST_F(HostDiscoveryTest, TheFirstMatchingLineWinsWhateverTheLineEnds)
{
    prefix.writeFile("C:\\lf.config", "a\nID='RUTA' VALUE='uno'\nID='RUTA' VALUE='dos'\n");
    prefix.writeFile("C:\\cr.config", "a\rID='RUTA' VALUE='uno'\rID='RUTA' VALUE='dos'");
    prefix.writeFile("C:\\mixed.config", "ID='OTRA' VALUE='x'\r\n\r\nid='Ruta'  valor='no' value='uno'");
    std::string value;
    HostDiscovery& e = environment();
    for (const char* fichero : {"C:\\lf.config", "C:\\cr.config", "C:\\MIXED.config"}) {
        e.LeerValorConfig(fichero, "RUTA", value);
        EXPECT_EQ(value, "uno") << fichero;
    }
}

TEST_F(HostDiscoveryTest, AnAccentedDataRootInWindows1252ReadsBackAsUtf8)
{
    // Accents before the markers too: positions must count ANSI characters.
    prefix.writeFile("C:\\Corvalix" + Config, "<Item Descripci\xF3n='a\xF1o' ID='RUTA' VALUE='D:\\Datos Compa\xF1\xED"
                                              "a \x80' />\r\n");
    std::string path;
    HostDiscovery& e = environment();
    e.LeerRutaDatos("C:\\Corvalix", path);
    EXPECT_EQ(path, "D:\\Datos Compañía €");
    EXPECT_EQ(e.CarpetaDatos, "D:\\Datos Compañía €\\Empresas\\Empre01");

    prefix.writeConfigFile("C:\\otra.config", {{"AÑO", "Ñandú"}});
    std::string value;
    e.LeerValorConfig("C:\\otra.config", "año", value);
    EXPECT_EQ(value, "Ñandú");
    e.LeerValorConfig("C:\\otra.config", "Ω", value);
    EXPECT_EQ(value, "Error");
}

TEST_F(HostDiscoveryTest, DiscoveryGivesTheImportTheDatabasePath)
{
    prefix.addDrive('d');
    prefix.setRegString(TalvaneKey, "InstallDir", "C:\\Corvalix");
    prefix.writeConfigFile("C:\\Corvalix" + Config, {{"RUTA", "D:\\Datos Compañía"}});
    // Spelt differently on disk: Windows would not care, nor may we.
    const auto mdb = prefix.writeFile("D:\\DATOS COMPAÑÍA\\empresas\\EMPRE01\\vtes_dat.mdb", "db");
    HostDiscovery& e = environment();
    ASSERT_TRUE(e.BuscarInstalacion(e.CarpetaInstalacion));
    EXPECT_EQ(e.CarpetaInstalacion, "C:\\Corvalix");
    std::string path;
    e.LeerRutaDatos(e.CarpetaInstalacion, path);
    EXPECT_EQ(e.CarpetaDatos, "D:\\Datos Compañía\\Empresas\\Empre01");
    EXPECT_EQ(e.host().nativePath(e.CarpetaDatos + "\\VTES_DAT.MDB"), mdb);
    EXPECT_TRUE(e.host().fileExists(e.CarpetaDatos + "\\VTES_DAT.MDB"));
}

// ---- Access runtime probes ----------------------------------------------

TEST_F(HostDiscoveryTest, TalvaneRuntimeFolderNeedsMsaccessOrVexorRuntime)
{
    prefix.setRegString(TalvaneKey, "RuntimeDir", "C:\\Corvalix\\Runtime\\");
    prefix.makeDirectory("C:\\Corvalix\\Runtime");
    std::string folder = "sin tocar";
    EXPECT_FALSE(environment().BuscarRuntimeTalvane(folder));
    EXPECT_EQ(folder, "sin tocar");

    prefix.writeFile("C:\\Corvalix\\Runtime\\VexorRuntime.exe", "MZ");
    EXPECT_TRUE(environment().BuscarRuntimeTalvane(folder));
    EXPECT_EQ(folder, "C:\\Corvalix\\Runtime");

    prefix.writeFile("C:\\Corvalix\\Runtime\\MSACCESS.EXE", "MZ");
    std::filesystem::remove(prefix.nativePath("C:\\Corvalix\\Runtime\\VexorRuntime.exe"));
    folder.clear();
    EXPECT_TRUE(environment().BuscarRuntimeTalvane(folder));
    EXPECT_EQ(folder, "C:\\Corvalix\\Runtime");

    prefix.setRegString(TalvaneKey, "RuntimeDir", "No");
    EXPECT_FALSE(environment().BuscarRuntimeTalvane(folder));
}

TEST_F(HostDiscoveryTest, Office2010FromTheUninstallListTakesTheFolderOfTheOpenCommand)
{
    installOffice("Office14.ACCESSRT", "Microsoft Office Access Runtime 2010", "14.0.4763.1000");
    installOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    for (const std::string& command : {QuotedCommand, UnquotedCommand}) {
        prefix.setRegString(CommandKey, "", command);
        std::string folder;
        EXPECT_TRUE(environment().BuscarAccessDesinstalar(folder)) << command;
        EXPECT_EQ(folder, "c:\\program files\\microsoft office\\office14") << command;
    }
}

TEST_F(HostDiscoveryTest, AccessRuntimeEntriesAndOtherProductsDoNotCount)
{
    prefix.setRegString(CommandKey, "", QuotedCommand);
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    installOffice("A", "Microsoft Access Runtime 2010", "14.0.4763.1000");
    installOffice("B", "Microsoft Office Access Runtime 2010 (Español)", "14.0.4763.1000");
    installOffice("C", "Microsoft Office Professional Plus 2013", "15.0.4569.1506");
    installOffice("D", "Microsoft Office Professional Plus 2010", "15.0.1");
    installOffice("E", "Microsoft Office Hogar y Empresas 2010", "14.0.7015.1000");
    installOffice("F", "microsoft office professional plus 2010", "14.0.7015.1000");
    prefix.addRegKey(UninstallKey + "\\G");
    std::string folder = "x";
    EXPECT_FALSE(environment().BuscarAccessDesinstalar(folder));
    EXPECT_EQ(folder, "");
}

TEST_F(HostDiscoveryTest, TheFirstMatchingProductEndsTheScanEvenWithoutMsaccess)
{
    installOffice("A", "Microsoft Office Enterprise 2010", "14.0.4763.1000");
    installOffice("B", "Microsoft Office System 2010", "14.0.4763.1000");
    prefix.setRegString(CommandKey, "", QuotedCommand);
    std::string folder;
    EXPECT_FALSE(environment().BuscarAccessDesinstalar(folder));

    prefix.setRegString(CommandKey, "", "No");
    EXPECT_FALSE(environment().BuscarAccessDesinstalar(folder));
    EXPECT_EQ(folder, "");
}

TEST_F(HostDiscoveryTest, AccessRuntimeFallsBackToTheOpenCommandInBothForms)
{
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    for (const std::string& command : {QuotedCommand, UnquotedCommand}) {
        prefix.setRegString(CommandKey, "", command);
        std::string folder;
        EXPECT_TRUE(environment().BuscarAccessRuntime(folder)) << command;
        EXPECT_EQ(folder, "c:\\program files\\microsoft office\\office14") << command;
    }
    prefix.setRegString(CommandKey, "", "\"C:\\Otra\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
    std::string folder = "x";
    EXPECT_FALSE(environment().BuscarAccessRuntime(folder));
    EXPECT_EQ(folder, "");
}

TEST_F(HostDiscoveryTest, AccessRuntimeUsesTheUninstallProbeFirst)
{
    installOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.setRegString(CommandKey, "", UnquotedCommand);
    prefix.writeFile(Office + "\\msaccess.exe", "MZ");
    std::string folder;
    EXPECT_TRUE(environment().BuscarAccessRuntime(folder));
    EXPECT_EQ(folder, "c:\\program files\\microsoft office\\office14");
}

TEST(AccessCommandFolder, TakesTheFolderFromEitherForm)
{
    EXPECT_EQ(accessCommandFolder(QuotedCommand), "c:\\program files\\microsoft office\\office14");
    EXPECT_EQ(accessCommandFolder(UnquotedCommand), "c:\\program files\\microsoft office\\office14");
    EXPECT_EQ(accessCommandFolder("  \"D:\\Office\\msaccess.exe\""), "d:\\office");
    EXPECT_EQ(accessCommandFolder("msaccess.exe /x"), "");
    EXPECT_EQ(accessCommandFolder("\"C:\\Office\\winword.exe\" /n"), "");
    EXPECT_EQ(accessCommandFolder(""), "");
}

// ---- PrepararEntorno ----------------------------------------------------

TEST_F(HostDiscoveryTest, NoRuntimeAnywhereShowsTheMessageOnce)
{
    installOffice("Office14.PROPLUS", "Microsoft Office Professional Plus 2010", "14.0.7015.1000");
    prefix.setRegString(CommandKey, "", QuotedCommand); // names a folder without msaccess.exe
    prefix.setRegString(TalvaneKey, "RuntimeDir", "C:\\Corvalix\\Runtime");
    RecordingDialogs dialogs;
    HostDiscovery& e = environment();
    e.PrepararEntorno(dialogs, true);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No se ha encontrado Runtime de Access 2010"});
    EXPECT_EQ(e.UnidadSistema, "C:");

    RecordingDialogs quiet;
    e.PrepararEntorno(quiet, false);
    EXPECT_TRUE(quiet.messages.empty());
}

TEST_F(HostDiscoveryTest, AnyRuntimeFoundKeepsStartUpQuiet)
{
    RecordingDialogs dialogs;
    prefix.setRegString(TalvaneKey, "RuntimeDir", "C:\\Corvalix\\Runtime");
    prefix.writeFile("C:\\Corvalix\\Runtime\\VexorRuntime.exe", "MZ");
    environment().PrepararEntorno(dialogs, true);

    prefix.setRegString(TalvaneKey, "RuntimeDir", "No");
    prefix.setRegString(CommandKey, "", UnquotedCommand);
    prefix.writeFile(Office + "\\MSACCESS.EXE", "MZ");
    environment().PrepararEntorno(dialogs, true);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HostDiscoveryTest, AnEmptyOrBrokenPrefixStartsWithTheMessageAndFindsNothing)
{
    prefix.writeRawSystemReg("WINE REGISTRY Version 2\n[Software\\\\Corvalix\n\x01\x02\xFF");
    RecordingDialogs dialogs;
    HostDiscovery& e = environment();
    e.PrepararEntorno(dialogs, true);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    std::string folder;
    EXPECT_FALSE(e.BuscarInstalacion(folder));
}
