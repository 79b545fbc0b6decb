// The "Configuración:" page: personal server fields, "Aplicar" and the
// rebuilt server check list.
#include "support/gui/MainFormFixture.h"

#include "app/MainForm.h"

namespace pordane::testsupport {
namespace {

using PersonalConfig = MainFormFixture;

TEST_F(PersonalConfig, TextsAndInitialValues)
{
    QWidget* page = find("TabConfigPersonal");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelConfigTitleCaption", "Configuración:"},
                        {"GroupFTPPersonal", "FTP Personalizado"},
                        {"LabelConnectionName", "Nombre a mostrar"},
                        {"EditNombreConexion", "Personal"},
                        {"LabelHost", "Host"},
                        {"EditHost", ""},
                        {"LabelRemote", "Directorio Remoto"},
                        {"EditRemoto", ""},
                        {"LabelUser", "Usuario"},
                        {"EditUser", ""},
                        {"LabelPass", "Contraseña"},
                        {"EditPass", ""},
                        {"BotonAplicarServidores", "Aplicar"},
                        {"GroupLinks", "Enlaces o  Portales"},
                        {"BotonObtenerEnlaces", "Obtener Datos Enlaces"},
                        {"LabelAvailableConnections", "Conexiones Disponibles:"}});
    EXPECT_EQ(find<QLineEdit>("EditPass")->echoMode(), QLineEdit::Normal);
    // Each edit box stands under its label.
    for (auto [label, edit] : {std::pair{"LabelConnectionName", "EditNombreConexion"},
                               std::pair{"LabelHost", "EditHost"}, std::pair{"LabelRemote", "EditRemoto"},
                               std::pair{"LabelUser", "EditUser"}, std::pair{"LabelPass", "EditPass"}}) {
        QWidget* l = find(label);
        QWidget* e = find(edit);
        ASSERT_TRUE(l && e);
        EXPECT_EQ(l->x(), e->x()) << edit;
        EXPECT_GE(e->y(), l->y() + l->height()) << edit;
    }
}

class ApplyButton : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        clickNav(2, 1);
    }
};

TEST_F(ApplyButton, IncompleteFieldsAddNothingAndSayNothing)
{
    const struct {
        const char* host;
        const char* user;
        const char* pass;
    } cases[] = {{"", "u", "p"}, {"h", "", "p"}, {"h", "u", ""}, {"", "", ""}};
    for (const auto& c : cases) {
        typePersonal("Mio", c.host, "/r", c.user, c.pass);
        click("BotonAplicarServidores");
        EXPECT_EQ(form->Servidor().NumServidores(), 3) << c.host << "/" << c.user << "/" << c.pass;
        EXPECT_EQ(checkListLines(), (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01"}));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ApplyButton, FilledFieldsAddOneEntryTakenAsTyped)
{
    typePersonal(QStringLiteral("Mi servidor ñ"), QStringLiteral(" 127.0.0.99 "), QStringLiteral("/web/"),
                 QStringLiteral("usuário"), QStringLiteral(" "));
    click("BotonAplicarServidores");
    ASSERT_EQ(form->Servidor().NumServidores(), 4);
    const catalogue::TSERVIDOR& e = form->Servidor().entry(4);
    EXPECT_EQ(e.Name, "Mi servidor ñ");
    EXPECT_EQ(e.Host, " 127.0.0.99 ");
    EXPECT_EQ(e.Remoto, "/web/");
    EXPECT_EQ(e.User, "usuário");
    EXPECT_EQ(e.Pass, " ");
    EXPECT_TRUE(e.IsEnlace);
    EXPECT_FALSE(e.Select);
    EXPECT_EQ(checkListLines(),
              (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01", "Mi servidor ñ"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ApplyButton, TwiceAddsTwoEntriesAndClearsTicks)
{
    typePersonal("Personal", "127.0.0.99", "", "u", "p");
    click("BotonAplicarServidores");
    setTick(0, true);
    setTick(3, true);
    click("BotonAplicarServidores");
    EXPECT_EQ(form->Servidor().NumServidores(), 5);
    EXPECT_EQ(checkListLines(),
              (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01", "Personal", "Personal"}));
    EXPECT_EQ(checkListTicks(), (std::vector<bool>(5, false)));
    // Every line of the rebuilt list can be ticked again.
    setTick(4, true);
    EXPECT_EQ(checkListTicks().back(), true);
}

TEST_F(ApplyButton, EmptyNameGivesATickableEmptyLine)
{
    typePersonal("", "127.0.0.99", "", "u", "p");
    click("BotonAplicarServidores");
    EXPECT_EQ(checkListLines(), (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01", ""}));
    setTick(3, true);
    EXPECT_TRUE(checkListTicks()[3]);
}

TEST_F(ApplyButton, BuiltInEntriesAreRewritten)
{
    form->Servidor().entry(2).Host = "changed";
    click("BotonAplicarServidores");
    EXPECT_EQ(form->Servidor().entry(2).Host, catalogue::ServerTable::builtin(2).Host);
}

TEST_F(ApplyButton, TheTwentyFirstEntryIsRefusedWithAMessage)
{
    typePersonal("P", "127.0.0.99", "", "u", "p");
    for (int i = 0; i < 17; ++i)
        click("BotonAplicarServidores");
    ASSERT_EQ(form->Servidor().NumServidores(), 20);
    ASSERT_TRUE(dialogs.messages.empty());

    typePersonal("Veintiuno", "127.0.0.98", "", "u", "p");
    click("BotonAplicarServidores");
    EXPECT_EQ(form->Servidor().NumServidores(), 20);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{app::TMainForm::TableFullMessage}));
    EXPECT_EQ(std::string(app::TMainForm::TableFullMessage),
              "No se pueden añadir más servidores: la lista admite un máximo de 20.");
    const std::vector<std::string> lines = checkListLines();
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.back(), "P");
    EXPECT_EQ(form->Servidor().entry(20).Host, "127.0.0.99");

    // Refused again on every further press, one message each, still 20 lines.
    click("BotonAplicarServidores");
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(checkListLines().size(), 20u);
}

} // namespace
} // namespace pordane::testsupport
