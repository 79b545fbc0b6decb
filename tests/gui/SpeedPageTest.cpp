// The speed page: header, result list columns, live display and result labels.
#include "support/MainFormFixture.h"

#include <QProgressBar>

namespace pordane::testing {
namespace {

using SpeedPage = MainFormFixture;

TEST_F(SpeedPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabTestSpeed");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelTituloSpeedCaption", "Comprobar velocidad de acceso al FTP:"},
                        {"LabelInfoSpeed", "Test de descarga..."},
                        {"LabelResultados", "Resultados del Test:"},
                        {"LabelVelocidadDescarga", "Velocidad Descarga:"},
                        {"LabelDownload", "0 Kb/s"},
                        {"LabelVelocidadSubida", "Velocidad Subida:"},
                        {"LabelUpload", "0 Kb/s"},
                        {"LabelTiempoDescarga", "Tiempo Descarga:"},
                        {"LabelTimeDownload", "???"},
                        {"LabelTiempoSubida", "Tiempo Subida:"},
                        {"LabelTimeUpload", "???"}});
    auto* list = find<QTreeWidget>("ListaServidoresSpeed");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(columnsOf(*list), (std::vector<std::pair<std::string, int>>{
                                    {"Servidor", 170}, {"Num", 0}, {"Estado", 120}, {"Descarga", 100}, {"Subida", 100}}));
    EXPECT_TRUE(find<QLabel>("LabelResultados")->font().bold());
    for (const char* name : {"LabelDownload", "LabelUpload"}) {
        EXPECT_TRUE(find<QLabel>(name)->font().bold()) << name;
        EXPECT_TRUE(find<QLabel>(name)->alignment() & Qt::AlignRight) << name;
    }
    for (const char* name : {"LabelTimeDownload", "LabelTimeUpload"})
        EXPECT_TRUE(find<QLabel>(name)->alignment() & Qt::AlignRight) << name;
    EXPECT_TRUE(find<QLabel>("LabelInfoSpeed")->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(find<QProgressBar>("ProgressBar2")->value(), 0);
    // The strip chart and the round gauge have their places on the page.
    for (const char* name : {"Scope1", "SpeedMeter"}) {
        QWidget* w = find(name);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(page->rect().contains(w->geometry())) << name;
        EXPECT_GE(w->width(), 100) << name;
    }
}

} // namespace
} // namespace pordane::testing
