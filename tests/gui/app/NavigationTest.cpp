// The navigation bar: groups, buttons, the pages they show and PaginaActiva.
#include "support/gui/MainFormFixture.h"

#include "widgets/NavBar.h"

#include <QPlainTextEdit>
#include <QToolButton>

namespace pordane::testsupport {
namespace {

using Navigation = MainFormFixture;

TEST_F(Navigation, GroupsAndButtonsAsDesigned)
{
    expectTexts(*form, {{"NavBar1Pages0Header", "Test FTP"},
                        {"NavBar1Pages1Header", "Otros Test"},
                        {"NavBar1Pages2Header", "Configuración"},
                        {"NavBar1Pages0Buttons0", "Velocidad"},
                        {"NavBar1Pages0Buttons1", "Permisos"},
                        {"NavBar1Pages0Buttons2", "Conectividad"},
                        {"NavBar1Pages1Buttons0", "Puertos Abiertos"},
                        {"NavBar1Pages1Buttons1", "Lista Procesos"},
                        {"NavBar1Pages2Buttons0", "General"},
                        {"NavBar1Pages2Buttons1", "FTP Personal"}});
    widgets::NavBar* bar = form->NavBar1();
    ASSERT_EQ(bar->groupCount(), 3);
    for (int g = 0; g < 3; ++g)
        for (int b = 0; b < bar->buttonCount(g); ++b) {
            EXPECT_EQ(bar->button(g, b)->iconSize(), QSize(32, 32));
            EXPECT_FALSE(bar->button(g, b)->icon().isNull());
        }
    EXPECT_EQ(bar->buttonCount(0), 3);
    EXPECT_EQ(bar->buttonCount(1), 2);
    EXPECT_EQ(bar->buttonCount(2), 2);
}

TEST_F(Navigation, FirstGroupOpenAndAHeaderClickOpensItsGroup)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    widgets::NavBar* bar = form->NavBar1();
    EXPECT_EQ(bar->openGroupIndex(), 0);
    EXPECT_TRUE(bar->button(0, 0)->isVisible());
    EXPECT_FALSE(bar->button(1, 0)->isVisible());

    click("NavBar1Pages1Header");
    EXPECT_EQ(bar->openGroupIndex(), 1);
    EXPECT_TRUE(bar->button(1, 1)->isVisible());
    EXPECT_FALSE(bar->button(0, 0)->isVisible());
    EXPECT_FALSE(bar->button(2, 0)->isVisible());
    // Opening a group changes neither the page nor the run state.
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabInicio");
    EXPECT_EQ(form->PaginaActiva(), 0);

    click("NavBar1Pages2Header");
    EXPECT_TRUE(bar->button(2, 1)->isVisible());
    EXPECT_FALSE(bar->button(1, 1)->isVisible());
}

struct NavCase {
    int group;
    int button;
    int paginaActiva;
    const char* page;
};

TEST_F(Navigation, EachButtonSetsPaginaActivaAndShowsItsPage)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const NavCase cases[] = {
        {0, 0, 2, "TabOpciones"}, {0, 1, 3, "TabOpciones"},         {0, 2, 5, "TabOpciones"},
        {1, 0, 1, "TabPuertos"},  {1, 1, 12, "TabProcesosPuertos"}, {2, 1, 11, "TabConfigPersonal"},
    };
    for (const NavCase& c : cases) {
        clickNav(c.group, c.button);
        EXPECT_EQ(form->PaginaActiva(), c.paginaActiva) << "button " << c.group << "/" << c.button;
        EXPECT_EQ(currentPage()->objectName().toStdString(), c.page) << "button " << c.group << "/" << c.button;
    }
}

TEST_F(Navigation, GeneralDoesNothing)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    clickNav(2, 0);
    EXPECT_EQ(form->PaginaActiva(), 0);
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabInicio");

    clickNav(0, 1);
    clickNav(2, 0);
    EXPECT_EQ(form->PaginaActiva(), 3);
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabOpciones");
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace pordane::testsupport
