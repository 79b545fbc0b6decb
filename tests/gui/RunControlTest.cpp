// "Iniciar Test": the local test files, the dispatch on the chosen test, and
// the button given back in every case.
#include "support/WorkDirFixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>

#include <stdexcept>

namespace pordane::testing {
namespace {

using RunControl = WorkDirFixture;

TEST_F(RunControl, PermissionsWithNothingTickedWritesTheFilesAndRunsOverAnEmptyList)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    clickNav(0, 1); // "Permisos"
    ASSERT_EQ(form->PaginaActiva(), 3);
    click("BotonIniciarTest");

    // The dispatch reached the permissions run: its page and its closing message.
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabTestPermisos");
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Permisos Realizado"}));
    EXPECT_EQ(find<QTreeWidget>("ListaServidores")->topLevelItemCount(), 0);
    EXPECT_TRUE(find<QPushButton>("BotonIniciarTest")->isEnabled());
    EXPECT_EQ(form->currentOperation(), app::Operation::None);
    EXPECT_FALSE(find("PanelPrepararTest")->isVisible());
    EXPECT_EQ(find<QProgressBar>("GaugePrepararTest")->value(), 4);

    // All four files, whatever the test; the speed file has SizeTest bytes.
    EXPECT_EQ(sizeOf("test.txt"), 200000);
    EXPECT_EQ(sizeOf("test.mdb"), 200000);
    EXPECT_GT(sizeOf("test.jpg"), 0);
    EXPECT_EQ(sizeOf("speedmeter.txt"), 3 * 1048576);
}

TEST_F(RunControl, EachChoiceDispatchesToItsOwnRun)
{
    const struct {
        int group, button;
        const char* page;
        const char* message;
    } cases[] = {{0, 0, "TabTestSpeed", nullptr},
                 {0, 2, "TabTestConexion", "Test de Conectividad Realizado"},
                 {0, 1, "TabTestPermisos", "Test de Permisos Realizado"}};
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    find<QSlider>("TrackBarSizeTest")->setValue(1);
    for (const auto& c : cases) {
        dialogs.messages.clear();
        clickNav(c.group, c.button);
        click("BotonIniciarTest");
        EXPECT_EQ(currentPage()->objectName().toStdString(), c.page);
        ASSERT_FALSE(dialogs.messages.empty()) << c.page;
        if (c.message) {
            EXPECT_EQ(dialogs.messages.back(), c.message);
        }
        EXPECT_TRUE(find<QPushButton>("BotonIniciarTest")->isEnabled()) << c.page;
    }
    EXPECT_EQ(sizeOf("speedmeter.txt"), 1048576);
    EXPECT_FALSE(form->Timer1()->isActive()) << "the speed run stops the timer on its way out";
}

TEST_F(RunControl, APreparationFailureIsReportedOnceAndTheRunStillStarts)
{
    // A folder where test.jpg should go: the JPEG cannot be written.
    ASSERT_TRUE(QDir(workDir.path()).mkpath(QStringLiteral("test.jpg/x")));
    clickNav(0, 1);
    form->BotonIniciarTestClick();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"Error preparando archivos de test. Compruebe sus permisos de usuario",
                                        "Test de Permisos Realizado"}));
    EXPECT_TRUE(exists("test.txt"));
    EXPECT_FALSE(exists("test.mdb"));
    EXPECT_FALSE(exists("speedmeter.txt"));
    EXPECT_TRUE(find<QPushButton>("BotonIniciarTest")->isEnabled());
}

TEST_F(RunControl, AnErrorLeavingTheRunReachesTheCallerWithTheButtonEnabledAgain)
{
    clickNav(0, 2);
    dialogs.throwOn = "Test de Conectividad Realizado";
    EXPECT_THROW(form->BotonIniciarTestClick(), std::runtime_error);
    EXPECT_TRUE(find<QPushButton>("BotonIniciarTest")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("BotonTestPuertos")->isEnabled());
    EXPECT_EQ(form->currentOperation(), app::Operation::None);

    // The next run starts normally.
    dialogs.throwOn.clear();
    dialogs.messages.clear();
    form->BotonIniciarTestClick();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Test de Conectividad Realizado"}));
}

} // namespace
} // namespace pordane::testing
