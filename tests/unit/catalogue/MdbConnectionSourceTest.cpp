// Reading "Dat_Conexión" with libmdb from databases written by the fixture writer.
#include "catalogue/MdbConnectionSource.h"

#include "support/mdb/JetWriter.h"
#include "support/mdb/TalvaneTable.h"
#include "support/proc/ProcessProbe.h"

#include <gtest/gtest.h>

#include <glib.h>
#include <mdbtools.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

using namespace pordane::testsupport;
using pordane::catalogue::ConnectionRow;
using pordane::catalogue::connectionString;
using pordane::catalogue::DatabaseError;
using pordane::catalogue::MdbConnectionSource;

namespace {

// The DatabaseError text of reading the file, or "" when it reads.
std::string readError(const std::filesystem::path& file)
{
    try {
        MdbConnectionSource().readConnections(file);
    } catch (const DatabaseError& e) {
        return e.what();
    }
    return "";
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void expectRowsMatch(const std::vector<ConnectionRow>& got, const std::vector<Row>& written)
{
    ASSERT_EQ(got.size(), written.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(got[i].NombreConexion, written[i].name.value_or(""));
        EXPECT_EQ(got[i].ftpRemoteAdress, written[i].host.value_or(""));
        EXPECT_EQ(got[i].ftpUserName, written[i].user.value_or(""));
        EXPECT_EQ(got[i].ftpPassword, written[i].pass.value_or(""));
        EXPECT_EQ(got[i].ftpRemoteDirectory, written[i].remoto.value_or(""));
        EXPECT_EQ(got[i].CodigoOperadorConexion, written[i].code.value_or(0));
    }
}

class MdbConnectionSourceTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(MdbConnectionSourceTest, ReadsEveryRowInTableOrder)
{
    const auto rows = sampleRows();
    const auto file = dir / "VTES_DAT.MDB";
    writeJet4(file, connectionTable(rows));
    const auto got = MdbConnectionSource().readConnections(file);
    expectRowsMatch(got, rows);

    // Spot checks of what the import depends on most.
    EXPECT_EQ(got[0].NombreConexion, "Idealista Ñandú");
    EXPECT_EQ(got[1].CodigoOperadorConexion, 0); // NULL code
    EXPECT_EQ(got[1].ftpUserName, "");           // NULL text
    EXPECT_EQ(got[3].CodigoOperadorConexion, -3);
    EXPECT_EQ(got[4].CodigoOperadorConexion, 15);

    // Reading twice gives the same rows (no state kept between reads).
    expectRowsMatch(MdbConnectionSource().readConnections(file), rows);
}

TEST_F(MdbConnectionSourceTest, FieldsAreFoundByNameWhateverTheColumnOrder)
{
    JetTable table("Dat_Conexión", {{"Id", JetType::Long},
                                    {"CódigoOperadorConexión", JetType::Long},
                                    {"ftpRemoteDirectory", JetType::Text},
                                    {"Observaciones", JetType::Text},
                                    {"ftpPassword", JetType::Text},
                                    {"ftpUserName", JetType::Text},
                                    {"ftpRemoteAdress", JetType::Text},
                                    {"NombreConexión", JetType::Text}});
    table.addRow({std::int32_t{1}, std::int32_t{123}, "/sube", "nota", "secreto", "agencia", "127.0.4.9", "Pisos.com"});
    const auto file = dir / "order.mdb";
    writeJet4(file, table);
    const auto got = MdbConnectionSource().readConnections(file);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].NombreConexion, "Pisos.com");
    EXPECT_EQ(got[0].ftpRemoteAdress, "127.0.4.9");
    EXPECT_EQ(got[0].ftpUserName, "agencia");
    EXPECT_EQ(got[0].ftpPassword, "secreto");
    EXPECT_EQ(got[0].ftpRemoteDirectory, "/sube");
    EXPECT_EQ(got[0].CodigoOperadorConexion, 123);
}

TEST_F(MdbConnectionSourceTest, EmptyTableGivesNoRows)
{
    const auto file = dir / "empty.mdb";
    writeJet4(file, connectionTable({}));
    EXPECT_TRUE(MdbConnectionSource().readConnections(file).empty());
}

TEST_F(MdbConnectionSourceTest, UserCharsetSettingDoesNotChangeTheText)
{
    const auto file = dir / "charset.mdb";
    writeJet4(file, connectionTable(sampleRows()));
    const char* previous = std::getenv("MDBICONV");
    const std::string saved = previous ? previous : "";
    setenv("MDBICONV", "ISO-8859-1", 1);
    const auto got = MdbConnectionSource().readConnections(file);
    if (previous)
        setenv("MDBICONV", saved.c_str(), 1);
    else
        unsetenv("MDBICONV");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].NombreConexion, "Idealista Ñandú");
}

TEST_F(MdbConnectionSourceTest, MissingOrUnreadableFileIsAnError)
{
    const auto missing = dir / "Empresas" / "Empre01" / "VTES_DAT.MDB";
    const std::string error = readError(missing);
    EXPECT_TRUE(contains(error, "No se encuentra la base de datos")) << error;
    EXPECT_TRUE(contains(error, missing.string())) << error;

    const std::string folder = readError(dir.path());
    EXPECT_TRUE(contains(folder, "No se puede abrir la base de datos")) << folder;

    const auto text = dir / "texto.mdb";
    std::ofstream(text) << "esto no es una base de datos de Access\n";
    const std::string notAccess = readError(text);
    EXPECT_TRUE(contains(notAccess, "No se puede abrir la base de datos")) << notAccess;

    // A real header followed by nothing: the catalog cannot be read.
    const auto cut = dir / "cortada.mdb";
    writeJet4(cut, connectionTable(sampleRows()));
    std::filesystem::resize_file(cut, 4096);
    EXPECT_FALSE(readError(cut).empty());
}

// libmdb's own reading of the table, unprotected, as a peer of the reader.
void readWithLibmdb(const std::filesystem::path& file)
{
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (!mdb)
        return;
    std::string name = "Dat_Conexión";
    if (mdb_read_catalog(mdb, MDB_ANY))
        if (MdbTableDef* table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE)) {
            mdb_read_columns(table);
            mdb_rewind_table(table);
            while (mdb_fetch_row(table)) {}
            mdb_free_tabledef(table);
        }
    mdb_close(mdb);
}

// A good database cut short: `keep` bytes kept (0: all but the last page of
// 4096 bytes, which libmdb reads without an error but with a warning).
struct Damage {
    const char* name;
    std::uintmax_t keep;
    const char* error; // the start of our message; "" when it still reads
};

class DamagedDatabase : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedDatabase, LeavesTheTerminalQuietAndGivesOurMessage)
{
    TempDir dir;
    const auto cut = dir / "dañada.mdb";
    writeJet4(cut, connectionTable(sampleRows()));
    std::filesystem::resize_file(cut, GetParam().keep ? GetParam().keep : std::filesystem::file_size(cut) - 4096);

    // libmdb itself writes to standard error ("Unable to read table", "offset ... is beyond EOF", warnings)...
    EXPECT_NE(capturedStderr([&] { readWithLibmdb(cut); }), "");

    // ...our reader writes nothing; where it fails, it throws its own Spanish message.
    std::string error;
    EXPECT_EQ(capturedStderr([&] { error = readError(cut); }), "");
    EXPECT_EQ(error.substr(0, std::strlen(GetParam().error)), GetParam().error) << error;
    if (*GetParam().error) {
        EXPECT_TRUE(contains(error, cut.string())) << error;
    }
    EXPECT_TRUE(childProcesses().empty());
}

INSTANTIATE_TEST_SUITE_P(CutShort, DamagedDatabase,
                         ::testing::Values(Damage{"OnePage", 4096, "La base de datos \""},
                                           Damage{"TwoPages", 2 * 4096, "La base de datos \""},
                                           Damage{"AllButTheLastPage", 0, ""}),
                         [](const ::testing::TestParamInfo<Damage>& p) { return std::string(p.param.name); });

// Enough rows of long texts that the reading process cannot send them all
// ahead of the cursor: it waits on the stream while the test looks at it.
std::filesystem::path writeLargeTable(const TempDir& dir, int rows)
{
    JetTable table("Dat_Conexión", connectionColumns());
    for (int i = 0; i < rows; ++i)
        table.addRow({"Portal " + std::to_string(i), std::string(200, 'h'), "u" + std::to_string(i),
                      std::string(200, 'p'), std::string(200, 'r'), std::int32_t{i}});
    const auto file = dir / "grande.mdb";
    writeJet4(file, table);
    return file;
}

TEST_F(MdbConnectionSourceTest, DestroyingTheCursorAfterOneRowLeavesNoChildAndNoDescriptor)
{
    const auto file = writeLargeTable(dir, 600);
    const int before = openDescriptors();
    {
        auto cursor = MdbConnectionSource().openConnections(file);
        ASSERT_TRUE(cursor->next());
        EXPECT_EQ(cursor->text("NombreConexión"), "Portal 0");
        EXPECT_EQ(childProcesses().size(), 1u); // still reading: the rows are not all sent yet
        EXPECT_EQ(openDescriptors(), before + 1);
    }
    EXPECT_TRUE(childProcesses().empty());
    EXPECT_EQ(openDescriptors(), before);
}

// What happens to the reading process after the first row: killed, crashed
// or stopped (a reader stuck in a loop); never a table that looks complete.
class ReaderLostMidTable : public ::testing::TestWithParam<int> {};

TEST_P(ReaderLostMidTable, IsAnErrorNotAShortTable)
{
    TempDir dir;
    const auto file = writeLargeTable(dir, 600);
    const auto limit = std::chrono::milliseconds(400);
    auto cursor = MdbConnectionSource(limit).openConnections(file);
    ASSERT_TRUE(cursor->next());
    ASSERT_EQ(childProcesses().size(), 1u);
    ::kill(childProcesses()[0], GetParam());
    int rows = 1;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    try {
        while (cursor->next())
            EXPECT_EQ(cursor->integer("CódigoOperadorConexión"), rows++);
    } catch (const DatabaseError& e) {
        error = e.what();
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(rows, 600);
    EXPECT_EQ(error, "No se puede leer la tabla \"Dat_Conexión\" de la base de datos \"" + file.string()
                         + "\" después de la fila " + std::to_string(rows));
    // A dead reader is noticed at once, a stopped one after the limit.
    if (GetParam() == SIGSTOP) {
        EXPECT_GE(waited, limit);
    }
    EXPECT_LT(waited, limit + std::chrono::seconds(3));
    EXPECT_TRUE(childProcesses().empty());
}

INSTANTIATE_TEST_SUITE_P(Signal, ReaderLostMidTable, ::testing::Values(SIGKILL, SIGSEGV, SIGSTOP),
                         [](const ::testing::TestParamInfo<int>& p) { return std::string(sigabbrev_np(p.param)); });

TEST_F(MdbConnectionSourceTest, TheProgramsEnvironmentIsLeftAlone)
{
    const auto file = dir / "env.mdb";
    writeJet4(file, connectionTable(sampleRows()));
    unsetenv("MDBICONV");
    EXPECT_EQ(MdbConnectionSource().readConnections(file).size(), sampleRows().size());
    EXPECT_EQ(std::getenv("MDBICONV"), nullptr);
}

TEST_F(MdbConnectionSourceTest, MissingTableIsAnError)
{
    JetTable other("Dat_Conexiones", connectionColumns());
    const auto file = dir / "other.mdb";
    writeJet4(file, other);
    const std::string error = readError(file);
    EXPECT_TRUE(contains(error, "No se encuentra la tabla \"Dat_Conexión\"")) << error;
    EXPECT_TRUE(contains(error, file.string())) << error;
}

class MissingField : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MissingField, IsAnErrorNamingTheFieldWhenARowIsRead)
{
    TempDir dir;
    std::vector<JetColumn> columns = connectionColumns();
    const std::string missing = columns[GetParam()].name;
    columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(GetParam()));
    columns.push_back({"Otro", JetType::Text});
    JetTable empty("Dat_Conexión", columns);
    const auto file = dir / "field.mdb";
    writeJet4(file, empty);
    // As a recordset: the table opens, and an empty one has nothing to read.
    EXPECT_EQ(readError(file), "");

    JetTable table("Dat_Conexión", columns);
    std::vector<JetCell> row;
    for (const JetColumn& c : columns)
        row.push_back(c.type == JetType::Long ? JetCell(std::int32_t{7}) : JetCell("x"));
    table.addRow(row);
    writeJet4(file, table);
    const std::string error = readError(file);
    EXPECT_EQ(error, "No se encuentra el campo \"" + missing + "\" en la tabla \"Dat_Conexión\"");
}

std::string fieldName(const ::testing::TestParamInfo<std::size_t>& param)
{
    static const char* const names[] = {"NombreConexion", "ftpRemoteAdress",    "ftpUserName",
                                        "ftpPassword",    "ftpRemoteDirectory", "CodigoOperadorConexion"};
    return names[param.param];
}

INSTANTIATE_TEST_SUITE_P(EachField, MissingField, ::testing::Range<std::size_t>(0, 6), fieldName);

TEST_F(MdbConnectionSourceTest, CodeStoredAsTextIsReadAsANumber)
{
    std::vector<JetColumn> columns = connectionColumns();
    columns[5].type = JetType::Text;
    JetTable table("Dat_Conexión", columns);
    table.addRow({"A", "h", "u", "p", "r", " 42 "});
    table.addRow({"B", "h", "u", "p", "r", ""});
    table.addRow({"C", "h", "u", "p", "r", std::nullopt});
    const auto file = dir / "textcode.mdb";
    writeJet4(file, table);
    const auto got = MdbConnectionSource().readConnections(file);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].CodigoOperadorConexion, 42);
    EXPECT_EQ(got[1].CodigoOperadorConexion, 0);
    EXPECT_EQ(got[2].CodigoOperadorConexion, 0);

    for (const std::string bad : {"15a", "abc", "99999999999"}) {
        JetTable badTable("Dat_Conexión", columns);
        badTable.addRow({"A", "h", "u", "p", "r", "1"});
        badTable.addRow({"B", "h", "u", "p", "r", bad});
        writeJet4(file, badTable);
        const std::string error = readError(file);
        EXPECT_TRUE(contains(error, "\"CódigoOperadorConexión\" de la fila 2")) << error;
        EXPECT_TRUE(contains(error, "no es un número entero")) << error;
    }
}

TEST(ConnectionString, NamesTheProviderAndTheDatabaseOfTheCompanyFolder)
{
    EXPECT_EQ(connectionString("C:\\Corvalix\\Datos\\Empresas\\Empre01"),
              "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\Corvalix\\Datos\\Empresas\\Empre01\\VTES_DAT.MDB;"
              "Persist Security Info=False;");
}

} // namespace
