// The window frame, the start-up order with its hooks, and closing.
#include "app/PordaneApplication.h"
#include "support/gui/MainFormFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStackedWidget>
#include <QStyle>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace pordane::testsupport {
namespace {

using Fixture = MainFormFixture;

TEST_F(Fixture, FrameMatchesTheDesign)
{
    EXPECT_EQ(form->windowTitle().toStdString(), "Pordane 4.5");
    EXPECT_EQ(form->size(), QSize(653, 391));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the window must not be resizable";
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);

    const QFontInfo font(form->font());
    EXPECT_EQ(form->font().pointSize(), 8);
    EXPECT_FALSE(font.family().isEmpty());

    auto* nav = find("NavBar1");
    auto* exitButton = find<QAbstractButton>("Button2");
    auto* pages = find<QStackedWidget>("PageControl1");
    ASSERT_TRUE(nav && exitButton && pages);
    EXPECT_EQ(exitButton->text().toStdString(), "Salir");
    // The left strip is 136 pixels wide, the exit button under the bar, the pages right of it.
    EXPECT_EQ(nav->mapTo(form.get(), QPoint(0, 0)).x(), 0);
    EXPECT_EQ(nav->width(), 136);
    EXPECT_GE(exitButton->mapTo(form.get(), QPoint(0, 0)).y(), nav->mapTo(form.get(), QPoint(0, nav->height())).y());
    EXPECT_LE(exitButton->mapTo(form.get(), QPoint(exitButton->width(), 0)).x(), 136);
    EXPECT_EQ(pages->geometry(), QRect(136, 0, 653 - 136, 391));
}

TEST(MainFormStartup, ApplicationGetsItsStyleAndTitle)
{
    app::prepareApplication();
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "Pordane");
    EXPECT_EQ(QApplication::style()->objectName().toStdString(), "Pordane Clásico");
    EXPECT_EQ(QApplication::font().pointSize(), 8);
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), QColor(0x0a, 0x24, 0x6a));
    EXPECT_FALSE(QApplication::windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "com.tessalysis.pordane");
    // Tahoma is found (Wine's copy on Linux); otherwise a similar sans font.
    const QString family = QFontInfo(QApplication::font()).family();
    EXPECT_TRUE(family == "Tahoma" || family == "Verdana" || family == "DejaVu Sans") << family.toStdString();
}

TEST_F(Fixture, PagesAreInDesignOrder)
{
    const char* expected[] = {"TabInicio",       "TabOpciones",       "TabTestPermisos",    "TabTestSpeed",
                              "TabTestConexion", "TabConfigPersonal", "TabProcesosPuertos", "TabPuertos"};
    QStackedWidget* pages = form->PageControl1();
    ASSERT_EQ(pages->count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pages->widget(i)->objectName().toStdString(), expected[i]) << "page " << i;
}

TEST_F(Fixture, CreationLeavesTheRunStateAsDesigned)
{
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabInicio");
    EXPECT_EQ(form->PaginaActiva(), 0);
    EXPECT_EQ(form->Tarea(), 0);
    EXPECT_EQ(form->FTPTIPO(), 1);
    EXPECT_EQ(form->FTPMODO(), 2);
    EXPECT_EQ(form->SizeTest(), 3145728);
    EXPECT_EQ(form->Servidor().NumServidores(), 3);
    EXPECT_FALSE(form->terminationRequested());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(MainFormStartup, HooksRunInStartOrder)
{
    RecordingDialogs dialogs;
    std::vector<std::string> steps;
    app::StartupHooks hooks;
    hooks.updateCheck = [&] {
        steps.push_back("update");
        return false;
    };
    hooks.environmentDiscovery = [&] { steps.push_back("discovery"); };
    hooks.portalImport = [&] { steps.push_back("import"); };

    app::TMainForm form(dialogs, hooks);
    EXPECT_EQ(steps, (std::vector<std::string>{"update", "discovery"}));
    form.AfterCreate();
    EXPECT_EQ(steps, (std::vector<std::string>{"update", "discovery", "import"}));

    // "Obtener Datos Enlaces" runs the same import again.
    form.NavBar1Pages2Buttons1Click();
    auto* fetchButton = form.findChild<QAbstractButton*>(QStringLiteral("BotonObtenerEnlaces"));
    ASSERT_NE(fetchButton, nullptr);
    QTest::mouseClick(fetchButton, Qt::LeftButton);
    EXPECT_EQ(steps, (std::vector<std::string>{"update", "discovery", "import", "import"}));
}

TEST(MainFormStartup, DiscoveryRunsAfterTheServerListIsLoaded)
{
    RecordingDialogs dialogs;
    // The discovery may show a message box: the window must already hold its list then.
    std::vector<std::string> linesSeen;
    app::StartupHooks hooks;
    hooks.environmentDiscovery = [&] {
        dialogs.showMessage("No se ha encontrado Runtime de Access 2010");
        // The form is still under construction: find its list through the widget tree.
        for (QWidget* w : QApplication::allWidgets())
            if (w->objectName() == QStringLiteral("CheckListServidores")) {
                auto* list = static_cast<QListWidget*>(w);
                for (int i = 0; i < list->count(); ++i)
                    linesSeen.push_back(list->item(i)->text().toStdString());
            }
    };
    app::TMainForm form(dialogs, hooks);
    EXPECT_EQ(linesSeen, (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01"}));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"No se ha encontrado Runtime de Access 2010"}));
    // Creation goes on after the message: the start page is shown again.
    EXPECT_EQ(form.PageControl1()->currentWidget()->objectName().toStdString(), "TabInicio");
}

TEST(MainFormStartup, SuccessfulUpdateAsksToTerminateButCreationCompletes)
{
    RecordingDialogs dialogs;
    bool discoveryRan = false;
    app::StartupHooks hooks;
    hooks.updateCheck = [] { return true; };
    hooks.environmentDiscovery = [&] { discoveryRan = true; };
    app::TMainForm form(dialogs, hooks);
    EXPECT_TRUE(form.terminationRequested());
    EXPECT_TRUE(discoveryRan);
    EXPECT_EQ(form.FTPMODO(), 2);
    EXPECT_EQ(form.Servidor().NumServidores(), 3);
}

// Runs a test body with the working directory switched to a fresh temp dir.
class CloseFixture : public MainFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
        MainFormFixture::SetUp();
    }
    void TearDown() override
    {
        MainFormFixture::TearDown();
        QDir::setCurrent(m_previous);
    }
    void write(const char* name) { std::ofstream(std::filesystem::path(m_dir.path().toStdString()) / name) << "x"; }
    bool exists(const char* name) const { return QFile::exists(m_dir.filePath(QString::fromLatin1(name))); }

    QTemporaryDir m_dir;
    QString m_previous;
};

TEST_F(CloseFixture, SalirDeletesTheTestFilesButKeepsTheSpeedFile)
{
    for (const char* f : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt", "test2.txt"})
        write(f);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    click("Button2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(exists("test.txt"));
    EXPECT_FALSE(exists("test.jpg"));
    EXPECT_FALSE(exists("test.mdb"));
    EXPECT_TRUE(exists("speedmeter.txt"));
    EXPECT_TRUE(exists("test2.txt")) << "only the three named files are deleted";
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CloseFixture, CloseBoxWithoutAnyTestFileShowsNothing)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CloseFixture, AFileThatCannotBeDeletedIsSkipped)
{
    // A directory named like a test file cannot be removed as a file: it is
    // skipped and the files after it are still deleted.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("test.jpg/inner")));
    write("test.mdb");
    write("test.txt");
    form->FormClose();
    EXPECT_FALSE(exists("test.mdb"));
    EXPECT_TRUE(exists("test.jpg"));
    EXPECT_FALSE(exists("test.txt"));
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace pordane::testsupport
