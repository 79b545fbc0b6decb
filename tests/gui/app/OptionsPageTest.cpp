// The options page: texts, choosing a test, the size track bar and the mode.
#include "support/gui/MainFormFixture.h"

#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

namespace pordane::testsupport {
namespace {

using OptionsPage = MainFormFixture;

TEST_F(OptionsPage, TextsAndDesignValues)
{
    QWidget* page = find("TabOpciones");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"LabelOptionsTitle",
                         "Selecciona los Servidores en los que se realizarán las pruebas y el modo de ftp."},
                        {"LabelAvailableServers", "Servidores disponibles:"},
                        {"RadioModoFTP", "Modo FTP"},
                        {"RadioActiveMode", "Modo Activo"},
                        {"RadioPassiveMode", "Modo Pasivo"},
                        {"GroupTestSize", "Tamaño del test"},
                        {"LabelSize", "Tamaño:"},
                        {"LabelSizeTest", "3 MB"},
                        {"LabelTestToRun", "Test a realizar:"},
                        {"LabelTestRealizar", ""},
                        {"BotonIniciarTest", "Iniciar Test"},
                        {"LabelPreparingTest", "Preparando Test..."}});
    EXPECT_TRUE(find<QLabel>("LabelOptionsTitle")->font().bold());
    EXPECT_TRUE(find<QLabel>("LabelTestRealizar")->font().bold());
    EXPECT_TRUE(find<QLabel>("LabelPreparingTest")->font().bold());
    EXPECT_TRUE(find<QRadioButton>("RadioPassiveMode")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("RadioActiveMode")->isChecked());

    auto* track = find<QSlider>("TrackBarSizeTest");
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->minimum(), 1);
    EXPECT_EQ(track->maximum(), 20);
    EXPECT_EQ(track->value(), 3);

    EXPECT_TRUE(find("PanelPrepararTest")->isHidden());
    EXPECT_EQ(find<QProgressBar>("GaugePrepararTest")->maximum(), 4);
    EXPECT_TRUE(find<QAbstractButton>("BotonIniciarTest")->isEnabled());
}

TEST_F(OptionsPage, TrackBarSetsSizeTestAndLabel)
{
    auto* track = find<QSlider>("TrackBarSizeTest");
    auto* label = find<QLabel>("LabelSizeTest");
    ASSERT_TRUE(track && label);
    track->setFocus();
    // Drive it as a user does: Home and End move to the ends.
    QTest::keyClick(track, Qt::Key_Home);
    EXPECT_EQ(form->SizeTest(), 1048576);
    EXPECT_EQ(label->text().toStdString(), "1 MB");
    QTest::keyClick(track, Qt::Key_End);
    EXPECT_EQ(form->SizeTest(), 20971520);
    EXPECT_EQ(label->text().toStdString(), "20 MB");
    track->setValue(7);
    EXPECT_EQ(form->SizeTest(), 7 * 1048576);
    EXPECT_EQ(label->text().toStdString(), "7 MB");
}

TEST_F(OptionsPage, ChoosingATestSetsPaginaActivaAndLabel)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* label = find<QLabel>("LabelTestRealizar");
    ASSERT_NE(label, nullptr);
    clickNav(0, 0);
    EXPECT_EQ(form->PaginaActiva(), 2);
    EXPECT_EQ(label->text().toStdString(), "Test de Velocidad");
    clickNav(0, 1);
    EXPECT_EQ(form->PaginaActiva(), 3);
    EXPECT_EQ(label->text().toStdString(), "Test de Permisos FTP");
    clickNav(0, 2);
    EXPECT_EQ(form->PaginaActiva(), 5);
    EXPECT_EQ(label->text().toStdString(), "Test de Conectividad");
    EXPECT_EQ(currentPage(), find("TabOpciones"));
}

TEST_F(OptionsPage, SwitchingTestsKeepsTicksModeAndSize)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    clickNav(0, 0);
    setTick(0, true);
    setTick(2, true);
    find<QSlider>("TrackBarSizeTest")->setValue(12);
    click("RadioActiveMode");

    clickNav(0, 1);
    EXPECT_EQ(form->PaginaActiva(), 3);
    EXPECT_EQ(find<QLabel>("LabelTestRealizar")->text().toStdString(), "Test de Permisos FTP");
    EXPECT_EQ(checkListTicks(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(form->SizeTest(), 12 * 1048576);
    EXPECT_EQ(find<QLabel>("LabelSizeTest")->text().toStdString(), "12 MB");
    EXPECT_TRUE(find<QRadioButton>("RadioActiveMode")->isChecked());

    // Leaving for another page and coming back keeps them too.
    clickNav(2, 1);
    clickNav(0, 2);
    EXPECT_EQ(checkListTicks(), (std::vector<bool>{true, false, true}));
}

TEST_F(OptionsPage, ModeRadioGroupSetsFTPMODO)
{
    EXPECT_EQ(form->FTPMODO(), 2);
    click("RadioActiveMode");
    EXPECT_EQ(form->FTPMODO(), 1);
    click("RadioPassiveMode");
    EXPECT_EQ(form->FTPMODO(), 2);
}

} // namespace
} // namespace pordane::testsupport
