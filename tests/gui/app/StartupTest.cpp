// Start-up as the program entry wires it: the environment discovery against a
// Wine prefix made by the test, and the portal import run by AfterCreate.
#include "app/Startup.h"
#include "support/prefix/WinePrefixFixture.h"
#include "support/views/RecordingViews.h"

#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace pordane::testsupport {
namespace {

// Points WINEPREFIX at a test prefix for the length of a test.
class ScopedWinePrefix {
public:
    explicit ScopedWinePrefix(const std::filesystem::path& prefix)
    {
        if (const char* old = std::getenv("WINEPREFIX"))
            m_previous = old;
        ::setenv("WINEPREFIX", prefix.c_str(), 1);
    }
    ~ScopedWinePrefix()
    {
        if (m_previous)
            ::setenv("WINEPREFIX", m_previous->c_str(), 1);
        else
            ::unsetenv("WINEPREFIX");
    }
    ScopedWinePrefix(const ScopedWinePrefix&) = delete;
    ScopedWinePrefix& operator=(const ScopedWinePrefix&) = delete;

private:
    std::optional<std::string> m_previous;
};

const char* const TalvaneKey = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";

TEST(Startup, WithoutAnAccessRuntimeOneMessageAndTheWindowIsCreated)
{
    testsupport::WinePrefixFixture prefix;
    const ScopedWinePrefix env(prefix.path());
    RecordingDialogs dialogs;
    app::StartupHooks hooks = app::defaultStartupHooks(dialogs);
    app::TMainForm form(dialogs, hooks);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"No se ha encontrado Runtime de Access 2010"}));
    EXPECT_EQ(form.PageControl1()->currentWidget()->objectName().toStdString(), "TabInicio");
    EXPECT_EQ(form.FTPMODO(), 2);
    EXPECT_EQ(form.Servidor().NumServidores(), 3);
}

TEST(Startup, TalvanesOwnRuntimeFolderSilencesTheMessage)
{
    testsupport::WinePrefixFixture prefix;
    prefix.setRegString(TalvaneKey, "RuntimeDir", "C:\\Corvalix\\Runtime\\");
    prefix.writeFile("C:\\Corvalix\\Runtime\\VexorRuntime.exe", "MZ");
    const ScopedWinePrefix env(prefix.path());
    RecordingDialogs dialogs;
    app::TMainForm form(dialogs, app::defaultStartupHooks(dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(Startup, AfterCreateImportsFromTheInstallationItFinds)
{
    // No Talvane installation in the prefix: the import says so and the
    // counter shows 0; the list keeps the three built-in servers.
    testsupport::WinePrefixFixture prefix;
    prefix.setRegString(TalvaneKey, "RuntimeDir", "C:\\Vexor\\Runtime\\");
    prefix.writeFile("C:\\Vexor\\Runtime\\VexorRuntime.exe", "MZ");
    const ScopedWinePrefix env(prefix.path());
    RecordingDialogs dialogs;
    app::TMainForm form(dialogs, app::defaultStartupHooks(dialogs));
    form.AfterCreate();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"No se ha encontrado la instalación de Talvane"}));
    auto* counter = form.findChild<QLabel*>(QStringLiteral("LabelNumEnlaces"));
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->text().toStdString(), "0");
    EXPECT_EQ(form.optionsPage().CheckListServidores->count(), 3);
    EXPECT_EQ(form.currentOperation(), app::Operation::None);
}

} // namespace
} // namespace pordane::testsupport
