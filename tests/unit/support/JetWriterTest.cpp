// The fixture writer's files, checked by the mdbtools command-line tools and
// by libmdb's own row decoder, independently of the program's reader.
#include "support/mdb/JetWriter.h"
#include "support/mdb/TalvaneTable.h"

#include <glib.h>
#include <mdbtools.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

using namespace pordane::testsupport;

namespace {

std::string tool(const std::string& name, const std::filesystem::path& file, const std::string& extra = "")
{
    const CommandResult r = run(name + " " + extra + " " + shellQuote(file.string()) + " 2>/dev/null");
    EXPECT_EQ(r.exitCode, 0) << name << " failed";
    return r.output;
}

std::string exportTable(const std::filesystem::path& file, const std::string& table)
{
    const CommandResult r = run("mdb-export " + shellQuote(file.string()) + " " + shellQuote(table) + " 2>/dev/null");
    EXPECT_EQ(r.exitCode, 0);
    return r.output;
}

std::string csvText(const std::optional<std::string>& v)
{
    return v && !v->empty() ? "\"" + *v + "\"" : "";
}

// mdb-export's CSV of the sample rows: texts quoted, NULL and '' both empty.
std::string expectedCsv(const std::vector<Row>& rows)
{
    std::ostringstream csv;
    csv << "NombreConexión,ftpRemoteAdress,ftpUserName,ftpPassword,ftpRemoteDirectory,CódigoOperadorConexión\n";
    for (const Row& r : rows) {
        csv << csvText(r.name) << ',' << csvText(r.host) << ',' << csvText(r.user) << ',' << csvText(r.pass) << ','
            << csvText(r.remoto) << ',';
        if (r.code)
            csv << *r.code;
        csv << '\n';
    }
    return csv.str();
}

struct CrackedCell {
    bool isNull;
    std::string text;
};

// Every cell of the table as libmdb decodes it, with the exact NULL flag.
std::vector<std::vector<CrackedCell>> crackTable(const std::filesystem::path& file, std::string tableName)
{
    std::vector<std::vector<CrackedCell>> result;
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (mdb == nullptr) {
        ADD_FAILURE() << "libmdb cannot open the file";
        return result;
    }
    MdbTableDef* table = mdb_read_table_by_name(mdb, tableName.data(), MDB_TABLE);
    if (table != nullptr && mdb_read_columns(table) != nullptr) {
        std::vector<std::unique_ptr<char[]>> bound;
        for (unsigned c = 0; c < table->num_cols; ++c) {
            bound.push_back(std::make_unique<char[]>(MDB_BIND_SIZE));
            mdb_bind_column(table, static_cast<int>(c + 1), bound.back().get(), nullptr);
        }
        std::vector<MdbField> fields(table->num_cols);
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            int start = 0;
            size_t len = 0;
            mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &len);
            mdb_crack_row(table, start, len, fields.data());
            std::vector<CrackedCell> row;
            for (unsigned c = 0; c < table->num_cols; ++c)
                row.push_back({fields[c].is_null != 0, bound[c].get()});
            result.push_back(row);
        }
        mdb_free_tabledef(table);
    } else {
        ADD_FAILURE() << "libmdb cannot read the table";
        if (table != nullptr)
            mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return result;
}

class JetWriterTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(JetWriterTest, MdbToolsSeeTheTableSchemaAndRows)
{
    const auto rows = sampleRows();
    const auto file = dir / "VTES_DAT.MDB";
    writeJet4(file, connectionTable(rows));

    EXPECT_EQ(tool("mdb-ver", file), "JET4\n");
    EXPECT_EQ(tool("mdb-tables", file, "-1"), "Dat_Conexión\n");
    EXPECT_EQ(tool("mdb-tables", file, "-1 -S"), "MSysObjects\nDat_Conexión\n");
    const CommandResult count = run("mdb-count " + shellQuote(file.string()) + " 'Dat_Conexión'");
    EXPECT_EQ(count.output, std::to_string(rows.size()) + "\n");

    const std::string schema = tool("mdb-schema", file);
    EXPECT_NE(schema.find("CREATE TABLE [Dat_Conexión]"), std::string::npos) << schema;
    for (const std::string column :
         {"[NombreConexión]\t\t\tText (50)", "[ftpRemoteAdress]\t\t\tText (255)", "[ftpUserName]\t\t\tText (100)",
          "[ftpPassword]\t\t\tText (255)", "[ftpRemoteDirectory]\t\t\tText (255)",
          "[CódigoOperadorConexión]\t\t\tLong Integer"})
        EXPECT_NE(schema.find(column), std::string::npos) << column << "\n" << schema;

    EXPECT_EQ(exportTable(file, "Dat_Conexión"), expectedCsv(rows));

    // The catalog itself is a readable table.
    const std::string catalog = exportTable(file, "MSysObjects");
    EXPECT_NE(catalog.find("\"Dat_Conexión\",1,0"), std::string::npos) << catalog;
}

TEST_F(JetWriterTest, RowsSpreadOverSeveralDataPagesKeepTheirOrder)
{
    const auto rows = sampleRows();
    const auto file = dir / "big.mdb";
    writeJet4(file, connectionTable(rows));
    // Header, map page, catalog definition and data, table definition: 5 pages.
    const auto dataPages = std::filesystem::file_size(file) / 4096 - 5;
    EXPECT_GE(dataPages, 3u);
    EXPECT_EQ(exportTable(file, "Dat_Conexión"), expectedCsv(rows));

    // Many small rows: at most 255 a page, all of them read back in order.
    JetTable many("Números", {{"N", JetType::Long}, {"Texto", JetType::Text, 10}});
    std::string expected = "N,Texto\n";
    for (int i = 0; i < 700; ++i) {
        many.addRow({i, std::to_string(i)});
        expected += std::to_string(i) + ",\"" + std::to_string(i) + "\"\n";
    }
    const auto manyFile = dir / "many.mdb";
    writeJet4(manyFile, many);
    EXPECT_GE(std::filesystem::file_size(manyFile) / 4096 - 5, 3u);
    EXPECT_EQ(exportTable(manyFile, "Números"), expected);
}

TEST_F(JetWriterTest, NullAndEmptyTextAreStoredDistinctly)
{
    const auto rows = sampleRows();
    const auto file = dir / "nulls.mdb";
    writeJet4(file, connectionTable(rows));
    const auto cracked = crackTable(file, "Dat_Conexión");
    ASSERT_EQ(cracked.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        const std::optional<std::string> texts[] = {r.name, r.host, r.user, r.pass, r.remoto};
        for (std::size_t c = 0; c < 5; ++c) {
            EXPECT_EQ(cracked[i][c].isNull, !texts[c].has_value()) << "row " << i << " column " << c;
            EXPECT_EQ(cracked[i][c].text, texts[c].value_or("")) << "row " << i << " column " << c;
        }
        EXPECT_EQ(cracked[i][5].isNull, !r.code.has_value()) << "row " << i;
        EXPECT_EQ(cracked[i][5].text, r.code ? std::to_string(*r.code) : "") << "row " << i;
    }
}

TEST_F(JetWriterTest, SeveralTablesInOneDatabase)
{
    JetTable a("Primera", {{"Nombre", JetType::Text}});
    a.addRow({"uno"});
    JetTable b("Segunda", {{"Valor", JetType::Long}});
    b.addRow({std::int32_t{-5}});
    b.addRow({std::nullopt});
    const auto file = dir / "two.mdb";
    writeJet4(file, std::vector<JetTable>{a, b});
    EXPECT_EQ(tool("mdb-tables", file, "-1"), "Primera\nSegunda\n");
    EXPECT_EQ(exportTable(file, "Primera"), "Nombre\n\"uno\"\n");
    EXPECT_EQ(exportTable(file, "Segunda"), "Valor\n-5\n\n");
}

TEST(JetTable, RejectsRowsThatDoNotFitTheColumns)
{
    JetTable t("T", {{"Texto", JetType::Text, 3}, {"Numero", JetType::Long}});
    EXPECT_THROW(t.addRow({"abc"}), std::invalid_argument);                            // too few values
    EXPECT_THROW(t.addRow({"abcd", std::int32_t{1}}), std::invalid_argument);          // longer than declared
    EXPECT_THROW(t.addRow({std::int32_t{1}, std::int32_t{1}}), std::invalid_argument); // wrong type
    EXPECT_THROW(t.addRow({"a\xC3", std::int32_t{1}}), std::invalid_argument);         // broken UTF-8
    EXPECT_NO_THROW(t.addRow({"ñññ", std::nullopt}));                                  // characters, not bytes
    EXPECT_EQ(t.rows().size(), 1u);
    EXPECT_THROW(JetTable("T", {{"Texto", JetType::Text, 256}}), std::invalid_argument);
}

TEST_F(JetWriterTest, MdbwriteToolTurnsTsvIntoATable)
{
    const auto tsv = dir / "in.tsv";
    {
        std::ofstream out(tsv);
        out << "NombreConexión:text(50)\tftpRemoteDirectory:text\tCódigoOperadorConexión:long\r\n"
            << "Piso\\tcon tab\t/año\t15\r\n"
            << "\\N\t\t\\N\n"
            << "Barra \\\\\t\\N\t-7\n";
    }
    const auto file = dir / "tool.mdb";
    const CommandResult r = run(std::string(MDBWRITE_PATH) + " " + shellQuote(file.string()) + " 'Dat_Conexión' "
                                + shellQuote(tsv.string()));
    ASSERT_EQ(r.exitCode, 0);
    const auto cracked = crackTable(file, "Dat_Conexión");
    ASSERT_EQ(cracked.size(), 3u);
    EXPECT_EQ(cracked[0][0].text, "Piso\tcon tab");
    EXPECT_EQ(cracked[0][1].text, "/año");
    EXPECT_EQ(cracked[0][2].text, "15");
    EXPECT_TRUE(cracked[1][0].isNull);
    EXPECT_FALSE(cracked[1][1].isNull);
    EXPECT_TRUE(cracked[1][2].isNull);
    EXPECT_EQ(cracked[2][0].text, "Barra \\");
    EXPECT_TRUE(cracked[2][1].isNull);
    EXPECT_EQ(cracked[2][2].text, "-7");

    // A value of the wrong type is refused and nothing is claimed written.
    {
        std::ofstream out(tsv);
        out << "N:long\nabc\n";
    }
    const CommandResult bad = run(std::string(MDBWRITE_PATH) + " " + shellQuote((dir / "bad.mdb").string()) + " T "
                                  + shellQuote(tsv.string()) + " 2>/dev/null");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.mdb"));
}

} // namespace
