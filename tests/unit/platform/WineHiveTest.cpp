#include "platform/posix/WineHive.h"

#include "support/prefix/WinePrefixFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <random>

using pordane::platform::RegistryRoot;
using pordane::platform::WineHive;
using pordane::testsupport::WinePrefixFixture;

namespace {

// Text as Wine's server writes system.reg (save_branch / dump_value).
const std::string WineText = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Classes\\Access.Application.14\\shell\\Open\\command] 1700000000
#time=1da1b2c3d4e5f60
@="\"C:\\Program Files\\Microsoft Office\\Office14\\MSACCESS.EXE\" /NOSTARTUP \"%1\""

[Software\\Corvalix\\Tessaly Soft Run Time 2.0] 1700000000
#time=1da1b2c3d4e5f60
"InstallDir"="C:\\Corvalix\\"
"Path"=str(2):"%SystemRoot%\\system32;C:\\Corvalix"
"RuntimeDir"=hex(2):43,00,3a,00,5c,00,43,00,6f,00,72,00,76,00,61,00,6c,00,69,00,\
  78,00,5c,00,52,00,75,00,6e,00,74,00,69,00,6d,00,65,00,00,00
"Version"=dword:00000014
"Empresa"="Inmobiliaria Espa\x00f1a \"Sol\""
"Conexion"="Conexi\xf3n\tFTP"
"Binary"=hex:01,02,03

[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix] 1700000000
#time=1da1b2c3d4e5f60
"DisplayName"="Talvane"

[Software\\Odd\]Name] 1700000000
"Plain"=str:"plain"

[Software\\Corvalix\\Tessaly Soft Run Time 2.0] 1700000001
#time=1da1b2c3d4e5f61
"InstallDir"="D:\\Corvalix"
"Extra"="second section"
)REG";

std::optional<std::string> read(const WineHive& hive, const std::string& key, const std::string& name,
                                RegistryRoot root = RegistryRoot::LocalMachine)
{
    auto k = hive.openKey(root, key);
    if (!k)
        return std::nullopt;
    return k->readString(name);
}

} // namespace

TEST(WineHive, ReadsStringsInEveryFormWineWrites)
{
    const WineHive hive = WineHive::parse(WineText);
    ASSERT_TRUE(hive.recognised());
    EXPECT_EQ(hive.skippedLines(), 0u);
    const std::string key = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
    EXPECT_EQ(read(hive, key, "Path"), "%SystemRoot%\\system32;C:\\Corvalix");
    EXPECT_EQ(read(hive, key, "RuntimeDir"), "C:\\Corvalix\\Runtime");
    EXPECT_EQ(read(hive, key, "Empresa"), "Inmobiliaria España \"Sol\"");
    EXPECT_EQ(read(hive, key, "Conexion"), "Conexión\tFTP");
    EXPECT_EQ(read(hive, "Software\\Odd]Name", "Plain"), "plain");
    EXPECT_EQ(read(hive, "Access.Application.14\\shell\\Open\\command", "", RegistryRoot::ClassesRoot),
              "\"C:\\Program Files\\Microsoft Office\\Office14\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
}

TEST(WineHive, NonStringValuesDoNotReadAsStrings)
{
    const WineHive hive = WineHive::parse(WineText);
    const std::string key = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
    ASSERT_NE(hive.openKey(RegistryRoot::LocalMachine, key), nullptr);
    EXPECT_EQ(read(hive, key, "Version"), std::nullopt);
    EXPECT_EQ(read(hive, key, "Binary"), std::nullopt);
    EXPECT_EQ(read(hive, key, "Missing"), std::nullopt);
    EXPECT_EQ(read(hive, key, ""), std::nullopt);
}

TEST(WineHive, AKeyWrittenTwiceMergesWithTheLaterValueWinning)
{
    const WineHive hive = WineHive::parse(WineText);
    const std::string key = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
    EXPECT_EQ(read(hive, key, "InstallDir"), "D:\\Corvalix");
    EXPECT_EQ(read(hive, key, "Extra"), "second section");
    EXPECT_EQ(read(hive, key, "Path"), "%SystemRoot%\\system32;C:\\Corvalix");
    EXPECT_EQ(hive.openKey(RegistryRoot::LocalMachine, "Software\\Corvalix")->subkeyNames(),
              std::vector<std::string>{"Tessaly Soft Run Time 2.0"});
}

TEST(WineHive, KeyAndValueNamesMatchInAnyCase)
{
    const WineHive hive = WineHive::parse(WineText);
    EXPECT_EQ(read(hive, "SOFTWARE\\corvalix\\TESSALY soft run time 2.0", "installdir"), "D:\\Corvalix");
    EXPECT_EQ(read(hive, "\\Software\\\\Corvalix\\Tessaly Soft Run Time 2.0\\", "INSTALLDIR"), "D:\\Corvalix");
    EXPECT_EQ(read(hive, "access.application.14\\SHELL\\open\\COMMAND", "", RegistryRoot::ClassesRoot).has_value(),
              true);
}

TEST(WineHive, IntermediateKeysExistAndListTheirSubkeysSorted)
{
    const WineHive hive = WineHive::parse(WineText);
    auto software = hive.openKey(RegistryRoot::LocalMachine, "Software");
    ASSERT_NE(software, nullptr);
    EXPECT_EQ(software->subkeyNames(), (std::vector<std::string>{"Classes", "Corvalix", "Microsoft", "Odd]Name"}));
    EXPECT_EQ(hive.openKey(RegistryRoot::LocalMachine, "Software\\Nothing"), nullptr);
    EXPECT_EQ(hive.openKey(RegistryRoot::ClassesRoot, "Corvalix"), nullptr);
}

TEST(WineHive, FixtureTextRoundTripsThroughTheReader)
{
    WinePrefixFixture prefix;
    const std::string key = "Software\\Prueba [1]\\Año";
    const std::string longValue = "C:\\Archivos de programa\\Corvalix\\Tessaly Soft Run Time 2.0\\Runtime\\Acceso ñ";
    prefix.setRegString(key, "Nombre \"raro\"",
                        "línea\r\nsegunda\x01\x07"
                        "7");
    prefix.setRegExpandString(key, "Largo", longValue, WinePrefixFixture::ExpandForm::Hex);
    prefix.setRegExpandString(key, "Corto", "%windir%\\x", WinePrefixFixture::ExpandForm::Str);
    prefix.setRegString(key, "", "por defecto");
    prefix.setRegDword(key, "Numero", 42);

    const std::string text = prefix.systemRegText();
    EXPECT_NE(text.find("[Software\\\\Prueba \\[1\\]\\\\A\\xf1o] 1700000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\\\n  "), std::string::npos) << "a long hex(2) value is wrapped";
    EXPECT_NE(text.find("\"Numero\"=dword:0000002a\n"), std::string::npos);

    const WineHive hive = WineHive::parse(text);
    EXPECT_EQ(hive.skippedLines(), 0u);
    EXPECT_EQ(read(hive, key, "Nombre \"raro\""), "línea\r\nsegunda\x01\x07"
                                                  "7");
    EXPECT_EQ(read(hive, key, "Largo"), longValue);
    EXPECT_EQ(read(hive, key, "Corto"), "%windir%\\x");
    EXPECT_EQ(read(hive, key, ""), "por defecto");
}

TEST(WineHive, MalformedLinesAreSkippedAndTheRestIsRead)
{
    const std::string text = "WINE REGISTRY Version 2\n"
                             "[Software\\\\Broken 1700000000\n" // missing bracket
                             "\"Lost\"=\"value under a broken key\"\n"
                             "[Software\\\\Good] 1700000000\n"
                             "\"Truncated\"=\"C:\\\\Corva\n" // no closing quote
                             "\"BadType\"=weird:01\n"
                             "\"NoEquals\" \"x\"\n"
                             "garbage line\n"
                             "\"Hex\"=hex(2):41,00,zz\n"
                             "\"Ok\"=\"fine\"\r\n"
                             "\"Tail\"=hex(2):41,00,\\\n"; // continuation at the end
    const WineHive hive = WineHive::parse(text);
    ASSERT_TRUE(hive.recognised());
    EXPECT_EQ(hive.openKey(RegistryRoot::LocalMachine, "Software\\Broken"), nullptr);
    EXPECT_EQ(read(hive, "Software\\Good", "Ok"), "fine");
    for (const char* name : {"Truncated", "BadType", "NoEquals", "Hex", "Tail"})
        EXPECT_EQ(read(hive, "Software\\Good", name), std::nullopt) << name;
    EXPECT_EQ(hive.skippedLines(), 8u);
}

TEST(WineHive, TextWithoutWinesHeaderLeavesEveryKeyMissing)
{
    for (const std::string& text : {std::string(), std::string("REGEDIT4\n[Software\\\\A]\n\"x\"=\"y\"\n"),
                                    std::string("\x7F"
                                                "ELF\x02\x01\x01\0\0\0[Software]\n",
                                                21)}) {
        const WineHive hive = WineHive::parse(text);
        EXPECT_FALSE(hive.recognised());
        EXPECT_EQ(hive.openKey(RegistryRoot::LocalMachine, "Software"), nullptr);
    }
}

TEST(WineHive, BinaryJunkInsideAHiveDoesNotBreakTheKeysAroundIt)
{
    std::string text = "WINE REGISTRY Version 2\n[Software\\\\Before] 1\n\"a\"=\"1\"\n";
    std::mt19937 random(1234);
    for (int i = 0; i < 4096; ++i)
        text += static_cast<char>(random() & 0xFF);
    text += "\n[Software\\\\After] 1\n\"b\"=\"2\"\n";
    const WineHive hive = WineHive::parse(text);
    EXPECT_EQ(read(hive, "Software\\After", "b"), "2");
}

TEST(WineHive, EveryTruncationOfAHiveReadsAValueWholeOrNotAtAll)
{
    for (std::size_t length = 0; length <= WineText.size(); ++length) {
        const WineHive hive = WineHive::parse(std::string_view(WineText).substr(0, length));
        const auto runtime = read(hive, "Software\\Corvalix\\Tessaly Soft Run Time 2.0", "RuntimeDir");
        const auto company = read(hive, "Software\\Corvalix\\Tessaly Soft Run Time 2.0", "Empresa");
        // A cut inside the hex list can end on a continuation boundary;
        // Wine then keeps the bytes read so far, as does the reader.
        if (runtime) {
            EXPECT_TRUE(std::string("C:\\Corvalix\\Runtime").rfind(*runtime, 0) == 0) << length << ": " << *runtime;
        }
        if (company) {
            EXPECT_EQ(*company, "Inmobiliaria España \"Sol\"") << length;
        }
    }
}

TEST(WineHive, UnreadableFilesGiveAnEmptyHive)
{
    WinePrefixFixture prefix;
    EXPECT_FALSE(WineHive::load(prefix.path() / "no-such-file.reg").recognised());
    EXPECT_FALSE(WineHive::load(prefix.path()).recognised()); // a directory
    EXPECT_TRUE(WineHive::load(prefix.path() / "system.reg").recognised());
}

TEST(WineHive, A64BitPrefixServesTheThirtyTwoBitViewFirst)
{
    WinePrefixFixture prefix;
    prefix.setWin64(true);
    prefix.setRegString("Software\\Wow6432Node\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", "C:\\Corvalix32");
    prefix.setRegString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", "C:\\Corvalix64");
    prefix.setRegString("Software\\Microsoft\\Shared", "x", "only in the 64-bit view");
    prefix.setRegString("Software\\Classes\\Access.Application.14\\shell\\Open\\command", "", "shared");
    const WineHive hive = WineHive::load(prefix.path() / "system.reg");
    ASSERT_TRUE(hive.isWin64());
    EXPECT_EQ(read(hive, "Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir"), "C:\\Corvalix32");
    EXPECT_EQ(read(hive, "Software\\Microsoft\\Shared", "x"), "only in the 64-bit view");
    EXPECT_EQ(read(hive, "Access.Application.14\\shell\\Open\\command", "", RegistryRoot::ClassesRoot), "shared");
    EXPECT_EQ(hive.openMachineKey("Software\\Corvalix\\Tessaly Soft Run Time 2.0")->readString("InstallDir"),
              "C:\\Corvalix64");

    prefix.setWin64(false);
    const WineHive win32 = WineHive::load(prefix.path() / "system.reg");
    EXPECT_EQ(read(win32, "Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir"), "C:\\Corvalix64");
}

TEST(WineHive, AnyByteChangedInOneSectionLeavesTheOtherSectionsIntact)
{
    const std::size_t from = WineText.find("[Software\\\\Classes");
    const std::size_t to = WineText.find("[Software\\\\Corvalix");
    ASSERT_LT(from, to);
    std::string text = WineText;
    for (std::size_t pos = from; pos < to; ++pos) {
        for (int byte = 0; byte < 256; ++byte) {
            text[pos] = static_cast<char>(byte);
            const WineHive hive = WineHive::parse(text);
            ASSERT_EQ(read(hive, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix", "DisplayName"),
                      "Talvane")
                << pos << " " << byte;
            ASSERT_EQ(read(hive, "Software\\Corvalix\\Tessaly Soft Run Time 2.0", "Extra"), "second section")
                << pos << " " << byte;
        }
        text[pos] = WineText[pos];
    }
}

namespace {

// A hive whose one key path is `depth` levels deep, after a healthy key.
std::string nestedHive(size_t depth)
{
    std::string text =
        "WINE REGISTRY Version 2\n\n[Software\\\\Corvalix] 1700000000\n\"InstallDir\"=\"C:\\\\Corvalix\"\n\n[";
    for (size_t i = 0; i < depth; ++i)
        text += i ? "\\\\k" : "k";
    return text + "] 1700000000\n\"Hondo\"=\"si\"\n";
}

} // namespace

TEST(WineHive, KeysDeeperThanWindowsAllowsMarkTheHiveDamaged)
{
    for (size_t depth : {size_t{2}, WineHive::MaxKeyDepth}) {
        const WineHive hive = WineHive::parse(nestedHive(depth));
        EXPECT_FALSE(hive.damaged()) << depth;
        EXPECT_EQ(read(hive, "Software\\Corvalix", "InstallDir"), "C:\\Corvalix") << depth;
    }
    // 400,000 levels used to be built and then freed recursively, which
    // overflowed the stack at start-up.
    for (size_t depth : {WineHive::MaxKeyDepth + 1, size_t{400000}}) {
        const WineHive hive = WineHive::parse(nestedHive(depth));
        EXPECT_TRUE(hive.damaged()) << depth;
        EXPECT_FALSE(hive.recognised()) << depth;
        EXPECT_EQ(hive.openKey(RegistryRoot::LocalMachine, "Software\\Corvalix"), nullptr) << depth;
    }
}

TEST(WineHive, OnlyRegularFilesWithinTheCapAreRead)
{
    WinePrefixFixture prefix;
    const auto file = prefix.path() / "system.reg";
    const auto size = std::filesystem::file_size(file);
    EXPECT_TRUE(WineHive::load(file, size).recognised());
    EXPECT_TRUE(WineHive::load(file, size - 1).damaged());

    // A link to an endless device is refused without reading it.
    const auto zero = prefix.path() / "zero.reg";
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_TRUE(WineHive::load(zero).damaged());

    // A FIFO with no writer would block open() for ever.
    const auto fifo = prefix.path() / "fifo.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto loading = std::async(std::launch::async, [&] { return WineHive::load(fifo).damaged(); });
    if (loading.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        ADD_FAILURE() << "loading a FIFO blocks";
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets the blocked reader go
    }
    EXPECT_TRUE(loading.get());
}
