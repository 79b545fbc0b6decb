// The ADO reader and the import under Wine, which has ADO (msado15) but no
// Access database engine: opening a database fails with a Spanish text that
// names the cause, COM is left as it was found, and the import says so.
#include "support/wine/UnderWine.h" // winsock2.h before windows.h

#include "TalvaneInstallationWin.h"

#include "catalogue/AdoConnectionSource.h"
#include "catalogue/PortalImport.h"
#include "support/views/RecordingViews.h"

using namespace pordane::catalogue;

namespace {

class AdoConnectionSourceWinTest : public pordane::testsupport::TalvaneInstallationWin {
protected:
    void SetUp() override
    {
        TalvaneInstallationWin::SetUp();
        // "Datos Compañía": the data root as Talvane writes it, in Windows-1252.
        writeRuta((m_root / "Datos Compa").string()
                  + "\xF1\xED"
                    "a");
        const auto folder = m_root / u8"Datos Compañía" / "Empresas" / "Empre01";
        std::filesystem::create_directories(folder);
        m_database = folder / "VTES_DAT.MDB";
        // Never read: without the provider nothing gets as far as the file.
        std::ofstream(m_database, std::ios::binary) << "Standard Jet DB";
        const auto units = m_database.u8string();
        m_name.assign(units.begin(), units.end());
    }

    std::string openError(AdoConnectionSource& source)
    {
        try {
            source.openConnections(m_database);
        } catch (const DatabaseError& e) {
            return e.what();
        }
        ADD_FAILURE() << "the database opened";
        return {};
    }

    std::filesystem::path m_database;
    std::string m_name;
};

} // namespace

TEST_F(AdoConnectionSourceWinTest, OpeningFailsWithTheCauseAndLeavesComAsItWas)
{
    AdoConnectionSource ado;
    const std::string error = openError(ado);
    const std::string head = "No se puede abrir la base de datos \"" + m_name + "\" con ADO y el proveedor "
                             + "Microsoft.ACE.OLEDB.12.0: ";
    ASSERT_EQ(error.substr(0, head.size()), head) << error;
    // Wine 8 registers ADODB.Connection, but its late binding fails with
    // TYPE_E_LIBNOTREGISTERED, and Wine has no system text for the code.
    if (pordane::testsupport::runningUnderWine()) {
        EXPECT_EQ(error.substr(head.size()), "ADO no reconoce \"Open\" (error 0x8002801D)");
    }

    // The apartment ended with the cursor: the thread starts afresh.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
    // A thread of another model keeps it, and gets the same answer.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(openError(ado), error);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();

    AdoConnectionSource withoutAdo("ADODB.NoInstalado");
    const std::string missing = openError(withoutAdo);
    EXPECT_NE(missing.find(": ADO no está instalado en este equipo (no se encuentra \"ADODB.NoInstalado\""),
              std::string::npos)
        << missing;
    std::filesystem::remove(m_database);
    EXPECT_EQ(openError(ado), "No se encuentra la base de datos \"" + m_name + "\"");
}

TEST_F(AdoConnectionSourceWinTest, TheImportShowsTheErrorAndLeavesTheTableAsItWas)
{
    ServerTable Servidor;
    Servidor.setNumServidores(3);
    Servidor.SetServidores({});
    const auto before = Servidor.names();
    pordane::ftp::FTPClient FTPClient;
    pordane::testsupport::RecordingDialogs dialogs;
    pordane::testsupport::RecordingLinks view;
    PortalImport portalImport(
        FTPClient, Servidor,
        [] {
            return PersonalFields{"Personal", "", "", "", ""};
        },
        dialogs, view);

    EXPECT_EQ(portalImport.ObtenerEnlacesWeb().status, ImportResult::Status::Error);
    AdoConnectionSource ado;
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{std::string(NoConnectionsMessage) + "\r" + openError(ado)});
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Obteniendo...", "0"}));
    EXPECT_TRUE(view.lists.empty());
    EXPECT_EQ(Servidor.NumServidores(), 3);
    EXPECT_EQ(Servidor.names(), before);
}
