// The port test page: yellow header, caption, the eight task lines, button.
#include "support/MainFormFixture.h"

#include "pordane/BuildConfig.h"
#include "widgets/TaskList.h"

namespace pordane::testing {
namespace {

using PortsPage = MainFormFixture;

TEST_F(PortsPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabPuertos");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"Panel9Caption", "Test de conexión de puertos:"},
                        {"LabelComprobandoPuertos", "Comprobando Conexión a Puertos:"},
                        {"BotonTestPuertos", "Iniciar Test"}});
    EXPECT_TRUE(find<QLabel>("Panel9Caption")->font().bold());
    EXPECT_TRUE(find<QLabel>("LabelComprobandoPuertos")->font().bold());
    // The designer's colour 8454143 is $0080FFFF in blue-green-red order.
    EXPECT_EQ(find("Panel9")->palette().color(QPalette::Window), QColor(0xff, 0xff, 0x80));

    auto* tareas = find<widgets::TaskList>("TareasPuertos");
    ASSERT_NE(tareas, nullptr);
    const std::string t = config::LabelTessalysis;
    const std::string t24 = config::LabelTessaly24;
    const std::string m = config::LabelMirel;
    const std::vector<std::string> expected = {
        "Test " + t + ": Puerto 80",   "Test " + t + ": Puerto 21",          "Test " + t24 + ": Puerto 80",
        "Test " + t24 + ": Puerto 21", "Test " + m + ": Puerto 80",          "Test " + m + ": Puerto 21",
        "Test Soporte Remoto: Puerto 5500", "Test Soporte Remoto Beta: Puerto 80"};
    ASSERT_EQ(tareas->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(tareas->text(i).toStdString(), expected[static_cast<size_t>(i)]);
        EXPECT_EQ(tareas->image(i), 2);
        EXPECT_FALSE(tareas->bold(i));
    }
    EXPECT_EQ(tareas->lineSpacing(), 7);
}

} // namespace
} // namespace pordane::testing
