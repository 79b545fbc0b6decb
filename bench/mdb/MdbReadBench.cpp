// Reading "Dat_Conexión" through our reader against libmdb's own loop over
// the same file in the same run (the peer): what the reader adds per table.
//   mdb_read [ROWS=2000] [READS=20]     a table written for the run
//   mdb_read FILE [READS=20]            an existing database (the demo's)
#include "catalogue/MdbConnectionSource.h"
#include "support/mdb/JetWriter.h"

#include <glib.h>
#include <mdbtools.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace pordane;
namespace fs = std::filesystem;

namespace {

std::size_t readWithLibmdb(const fs::path& file)
{
    std::size_t rows = 0;
    setenv("MDBICONV", "UTF-8", 1);
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    std::string name = catalogue::ConnectionsTable;
    if (mdb && mdb_read_catalog(mdb, MDB_ANY))
        if (MdbTableDef* table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE)) {
            mdb_read_columns(table);
            // The same six fields bound as the reader binds them.
            static char values[6][16384];
            const char* fields[] = {catalogue::NameField, catalogue::HostField,   catalogue::UserField,
                                    catalogue::PassField,   catalogue::RemoteField, catalogue::CodeField};
            mdb_set_bind_size(mdb, sizeof values[0]);
            for (int i = 0; i < 6; ++i) {
                std::string field = fields[i];
                mdb_bind_column_by_name(table, field.data(), values[i], nullptr);
            }
            mdb_rewind_table(table);
            while (mdb_fetch_row(table))
                ++rows;
            mdb_free_tabledef(table);
        }
    if (mdb)
        mdb_close(mdb);
    return rows;
}

template <typename Read>
double millisecondsPerRead(int reads, Read read)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reads; ++i)
        read();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / reads;
}

} // namespace

int main(int argc, char** argv)
{
    const bool given = argc > 1 && fs::is_regular_file(argv[1]);
    const int rowCount = argc > 1 && !given ? std::atoi(argv[1]) : 2000;
    const int reads = argc > 2 ? std::atoi(argv[2]) : 20;
    std::string folder = (fs::temp_directory_path() / "pordane-mdbbench-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 1;
    const fs::path file = given ? fs::path(argv[1]) : fs::path(folder) / "VTES_DAT.MDB";

    if (!given) {
        testsupport::JetTable table(catalogue::ConnectionsTable,
                                    {{catalogue::NameField, testsupport::JetType::Text, 50},
                                     {catalogue::HostField, testsupport::JetType::Text},
                                     {catalogue::UserField, testsupport::JetType::Text},
                                     {catalogue::PassField, testsupport::JetType::Text},
                                     {catalogue::RemoteField, testsupport::JetType::Text},
                                     {catalogue::CodeField, testsupport::JetType::Long}});
        for (int i = 0; i < rowCount; ++i) {
            const std::string n = std::to_string(i);
            table.addRow({"Conexión " + n, "ftp" + n + ".portal.example", "usuario" + n, std::string(40, 'c'),
                          "/fotos/" + std::string(120, 'x') + n, std::int32_t{i}});
        }
        testsupport::writeJet4(file, table);
    }

    std::size_t ours = 0, peer = 0;
    const double oursMs = millisecondsPerRead(reads, [&] { ours = catalogue::MdbConnectionSource().readConnections(file).size(); });
    const double peerMs = millisecondsPerRead(reads, [&] { peer = readWithLibmdb(file); });
    std::printf("%s: %zu rows (%ju bytes), %d reads each\n", file.c_str(), ours,
                static_cast<std::uintmax_t>(fs::file_size(file)), reads);
    std::printf("reader  %8.2f ms per table (%zu rows)\n", oursMs, ours);
    std::printf("libmdb  %8.2f ms per table (%zu rows)\n", peerMs, peer);
    std::printf("ratio   %8.2f\n", oursMs / peerMs);
    fs::remove_all(folder);
    return (given || ours == static_cast<std::size_t>(rowCount)) && peer == ours ? 0 : 1;
}
