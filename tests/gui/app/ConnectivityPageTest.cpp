// The connectivity page: header, result list columns and cycle figures.
#include "support/gui/MainFormFixture.h"
#include "widgets/BusyIndicator.h"

namespace pordane::testsupport {
namespace {

using ConnectivityPage = MainFormFixture;

TEST_F(ConnectivityPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabTestConexion");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelConnectionTitleCaption", "Comprobar Conectividad al FTP:"},
                        {"LabelInfoConectividad", "Realizando test..."},
                        {"LabelTestDone", "Realizado test:"},
                        {"LabelInfoCiclo", "0/20"},
                        {"LabelPassed", "Correctos:"},
                        {"LabelCicloOk", "0"},
                        {"LabelErrors", "Errores:"},
                        {"LabelCicloError", "0"}});
    auto* list = find<QTreeWidget>("ListaServidoresConectividad");
    ASSERT_NE(list, nullptr);
    // Four visible columns; a hidden fifth cell keeps the entry number.
    EXPECT_EQ(columnsOf(*list), (std::vector<std::pair<std::string, int>>{
                                    {"Servidor", 200}, {"Estado", 120}, {"Descarga", 90}, {"Subida", 90}, {"", 0}}));

    const struct {
        const char* name;
        QColor colour;
    } coloured[] = {{"LabelInfoCiclo", QColor(0, 0, 128)},
                    {"LabelCicloOk", QColor(0, 128, 0)},
                    {"LabelCicloError", QColor(255, 0, 0)}};
    for (const auto& c : coloured) {
        auto* l = find<QLabel>(c.name);
        ASSERT_NE(l, nullptr);
        EXPECT_TRUE(l->font().bold()) << c.name;
        EXPECT_EQ(l->palette().color(QPalette::WindowText), c.colour) << c.name;
    }
    EXPECT_TRUE(find<QLabel>("LabelInfoConectividad")->font().bold());
    auto* busy = find<widgets::BusyIndicator>("ProgressConectividad");
    ASSERT_NE(busy, nullptr);
    EXPECT_FALSE(busy->isHidden()) << "visible at design";
    EXPECT_TRUE(busy->animating());
    EXPECT_EQ(busy->interval(), 100);
    EXPECT_EQ(busy->geometry(), QRect(busy->parentWidget()->width() - 16 - 80, 19, 80, 80));
    EXPECT_EQ(busy->parentWidget(), find("PanelCycles")) << "inside the framed box with the figures";
}

} // namespace
} // namespace pordane::testsupport
