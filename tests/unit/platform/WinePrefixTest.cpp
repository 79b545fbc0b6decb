#include "platform/WinePrefix.h"

#include "support/prefix/WinePrefixFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using pordane::platform::DriveType;
using pordane::platform::RegistryRoot;
using pordane::platform::WinePrefix;
using pordane::testsupport::WinePrefixFixture;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(WinePrefix, MapsWindowsPathsThroughDosdevicesInAnyLetterCase)
{
    WinePrefixFixture prefix;
    const auto config = prefix.writeFile("C:\\Corvalix\\Sistema\\Corvalix.config", "x");
    const WinePrefix host(prefix.path());

    EXPECT_EQ(host.nativePath("c:\\CORVALIX\\sistema\\corvalix.CONFIG"), config);
    EXPECT_EQ(host.nativePath("C:/Corvalix/Sistema/Corvalix.config"), config);
    EXPECT_EQ(host.nativePath("C:\\Corvalix\\.\\Otro\\..\\Sistema\\\\Corvalix.config"), config);
    EXPECT_TRUE(host.fileExists("C:\\corvalix\\SISTEMA\\Corvalix.Config"));
    EXPECT_FALSE(host.directoryExists("C:\\corvalix\\SISTEMA\\Corvalix.Config"));
    EXPECT_TRUE(host.directoryExists("C:\\CORVALIX\\Sistema\\"));
    EXPECT_TRUE(host.directoryExists("c:"));
}

TEST(WinePrefix, PathsThatCannotBeMappedAreNotFound)
{
    WinePrefixFixture prefix;
    const WinePrefix host(prefix.path());
    for (const char* path : {"Corvalix\\Sistema", "\\Corvalix", "\\\\server\\share\\x", "Q:\\Corvalix", "1:\\x", ""})
        EXPECT_EQ(host.nativePath(path), std::nullopt) << path;
    EXPECT_FALSE(host.fileExists("Error\\Empresas\\Empre01\\VTES_DAT.MDB"));
    EXPECT_FALSE(host.fileExists("C:\\Corvalix\\Sistema\\Corvalix.config"));
}

TEST(WinePrefix, MissingComponentsAreAppendedAsWritten)
{
    WinePrefixFixture prefix;
    prefix.makeDirectory("C:\\Datos");
    const WinePrefix host(prefix.path());
    EXPECT_EQ(host.nativePath("C:\\DATOS\\Empresas\\Empre01\\VTES_DAT.MDB"),
              prefix.nativePath("C:\\Datos\\Empresas\\Empre01\\VTES_DAT.MDB"));
}

TEST(WinePrefix, AnExactSpellingWinsAndAccentedNamesMatchInAnyCase)
{
    WinePrefixFixture prefix;
    prefix.makeDirectory("C:\\corvalix");
    const auto exact = prefix.makeDirectory("C:\\Corvalix");
    const auto accented = prefix.writeFile("C:\\Datos Año\\Compañía.txt", "x");
    const WinePrefix host(prefix.path());
    EXPECT_EQ(host.nativePath("C:\\Corvalix"), exact);
    EXPECT_EQ(host.nativePath("C:\\CORVALIX"), exact) << "first spelling in byte order";
    EXPECT_EQ(host.nativePath("C:\\DATOS AÑO\\COMPAÑÍA.TXT"), accented);
}

TEST(WinePrefix, DriveTypesComeFromTheLinksAndWinesDriveTable)
{
    WinePrefixFixture prefix;
    prefix.addDrive('d');
    prefix.addDrive('e');
    prefix.addDrive('f');
    prefix.addDrive('g');
    prefix.addDrive('h');
    prefix.setDriveType('e', "floppy");
    prefix.setDriveType('F', "cdrom");
    prefix.setDriveType('g', "network");
    prefix.setDriveType('h', "hd");
    const auto file = prefix.writeFile("C:\\file.bin", "x");
    prefix.linkDrive('i', file);
    prefix.linkDrive('j', prefix.path() / "no-such-folder");
    const WinePrefix host(prefix.path());

    EXPECT_EQ(host.driveType('C'), DriveType::Fixed);
    EXPECT_EQ(host.driveType('c'), DriveType::Fixed);
    EXPECT_EQ(host.driveType('D'), DriveType::Fixed);
    EXPECT_EQ(host.driveType('E'), DriveType::Removable);
    EXPECT_EQ(host.driveType('F'), DriveType::CdRom);
    EXPECT_EQ(host.driveType('G'), DriveType::Remote);
    EXPECT_EQ(host.driveType('H'), DriveType::Fixed);
    EXPECT_EQ(host.driveType('I'), DriveType::NoRootDir) << "a link to a file";
    EXPECT_EQ(host.driveType('J'), DriveType::NoRootDir) << "a dangling link";
    EXPECT_EQ(host.driveType('K'), DriveType::NoRootDir) << "no link";
    EXPECT_EQ(host.driveType('1'), DriveType::NoRootDir);
}

TEST(WinePrefix, EnvironmentIsThatOfAWineProcess)
{
    WinePrefixFixture prefix;
    const WinePrefix host(prefix.path());
    EXPECT_TRUE(host.isNtFamily());
    EXPECT_EQ(host.environmentVariable("SystemDrive"), "C:");
    EXPECT_EQ(host.environmentVariable("SYSTEMDRIVE"), "C:");
    EXPECT_EQ(host.environmentVariable("windir"), "C:\\windows");
    EXPECT_EQ(host.environmentVariable("Windir"), "C:\\windows");
    EXPECT_EQ(host.environmentVariable("PATHEXT_NOT_SET"), std::nullopt);
}

TEST(WinePrefix, DefaultPrefixFollowsWineprefixThenHome)
{
    {
        ScopedEnv prefix("WINEPREFIX", "/srv/prefixes/talvane");
        EXPECT_EQ(WinePrefix::defaultPath(), "/srv/prefixes/talvane");
    }
    ScopedEnv home("HOME", "/home/agencia");
    {
        ScopedEnv prefix("WINEPREFIX", "");
        EXPECT_EQ(WinePrefix::defaultPath(), "/home/agencia/.wine");
    }
    ScopedEnv prefix("WINEPREFIX", nullptr);
    EXPECT_EQ(WinePrefix::defaultPath(), "/home/agencia/.wine");
}

TEST(WinePrefix, TheBuildsHostEnvironmentReadsThePrefixNamedByWineprefix)
{
    WinePrefixFixture prefix;
    prefix.setRegString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", "C:\\Corvalix\\");
    prefix.makeDirectory("C:\\Corvalix");
    ScopedEnv env("WINEPREFIX", prefix.path().c_str());
    const auto host = pordane::platform::openHostEnvironment();
    auto key = host->registry().openKey(RegistryRoot::LocalMachine, "Software\\Corvalix\\Tessaly Soft Run Time 2.0");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->readString("InstallDir"), "C:\\Corvalix\\");
    EXPECT_TRUE(host->directoryExists("C:\\CORVALIX"));
}

TEST(WinePrefix, APrefixWithoutAReadableHiveHasNoKeysButKeepsItsDrives)
{
    WinePrefixFixture prefix;
    prefix.setRegString("Software\\Corvalix", "x", "y");
    prefix.setDriveType('c', "floppy");
    prefix.removeSystemReg();
    const WinePrefix missing(prefix.path());
    EXPECT_EQ(missing.registry().openKey(RegistryRoot::LocalMachine, "Software\\Corvalix"), nullptr);
    EXPECT_EQ(missing.driveType('c'), DriveType::Fixed);

    prefix.writeRawSystemReg(std::string("\0\0\0\xFF\xFE junk", 10));
    const WinePrefix junk(prefix.path());
    EXPECT_EQ(junk.registry().openKey(RegistryRoot::LocalMachine, "Software"), nullptr);
    EXPECT_TRUE(junk.directoryExists("C:\\"));
}
