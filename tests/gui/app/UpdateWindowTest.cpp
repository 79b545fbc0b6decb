// The update window offscreen: its frame and texts, the progress bar, the
// cancel question answered both ways, and ComprobarActualizacion against a
// scripted web server (window shown only once the first download begins).
#include "app/UpdateForm.h"

#include "platform/base/Pump.h"
#include "support/files/TempDir.h"
#include "support/http/ScriptedHttpServer.h"
#include "support/http/UpdaterSystem.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace pordane::testsupport {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

update::TUpdaterSystem systemIn(const fs::path& folder)
{
    return testsupport::updaterSystemIn(folder);
}

struct SeenBox {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool topmost = false;
};

// Answers the next message box with `answer` once it is up, noting what it showed.
void answerNextBox(QMessageBox::StandardButton answer, SeenBox& seen)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        timer->stop();
        timer->deleteLater();
        box->button(answer)->click();
    });
    timer->start();
}

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        app::ActualizacionRealizada = false;
        app::OcultarMensajeExito = false;
        app::OcultarVentana = false;
        m_cwd = fs::current_path();
    }
    void TearDown() override { fs::current_path(m_cwd); }
    TempDir dir;
    fs::path m_cwd;
};

TEST_F(UpdateWindow, FrameAndTexts)
{
    app::TFormUpdate form({}, systemIn(dir.path()), nullptr);
    EXPECT_EQ(form.objectName(), "FormUpdate");
    EXPECT_EQ(form.windowTitle(), "Información...");
    EXPECT_EQ(form.size(), QSize(337, 115));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(form.Image1->geometry(), QRect(8, 8, 48, 48));
    EXPECT_EQ(form.Image1->pixmap().deviceIndependentSize().toSize(), QSize(48, 48));
    EXPECT_EQ(form.LabelInfo->geometry(), QRect(64, 16, 257, 41));
    EXPECT_TRUE(form.LabelInfo->wordWrap());
    EXPECT_EQ(form.LabelInfo->text(), "Actualizando el software.\nEspere unos instantes mientras se descargan los "
                                      "archivos de actualización.");
    EXPECT_EQ(form.Progress1->geometry(), QRect(8, 62, 319, 17));
    EXPECT_EQ(form.BotonCancel->geometry(), QRect(129, 85, 75, 25));
    EXPECT_EQ(form.BotonCancel->text(), "Cancelar");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(UpdateWindow, ProgressFollowsTheDownload)
{
    app::TFormUpdate form({}, systemIn(dir.path()), nullptr);
    form.VexorUpdaterFileProgress("x", 4096, 10000);
    EXPECT_EQ(form.Progress1->maximum(), 10000);
    EXPECT_EQ(form.Progress1->value(), 4096);
    // Beyond the bar's int range: counted in KiB.
    form.VexorUpdaterFileProgress("x", 3'000'000'000LL, 6'000'000'000LL);
    EXPECT_EQ(form.Progress1->maximum(), 5859375);
    EXPECT_EQ(form.Progress1->value(), 2929687);
}

TEST_F(UpdateWindow, TheWindowIsShownByTheFirstDownloadUnlessHidden)
{
    app::TFormUpdate form({}, systemIn(dir.path()), nullptr);
    int shown = 0;
    form.onShown = [&](app::TFormUpdate&) { ++shown; };
    app::OcultarVentana = true;
    form.VexorUpdaterBeforeFileDownload(1, "", "");
    EXPECT_FALSE(form.isVisible());
    app::OcultarVentana = false;
    form.VexorUpdaterBeforeFileDownload(1, "", "");
    form.VexorUpdaterBeforeFileDownload(2, "", "");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(shown, 1);
}

struct CancelCase {
    const char* name;
    QMessageBox::StandardButton answer;
    bool cancelled;
};

class CancelQuestion : public UpdateWindow, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelQuestion, AskedWithItsTextAndButtons)
{
    app::TFormUpdate form({}, systemIn(dir.path()), nullptr);
    form.show();
    SeenBox seen;
    answerNextBox(GetParam().answer, seen);
    form.BotonCancel->click();
    EXPECT_EQ(seen.text, "¿Está seguro que desea cancelar el proceso de actualización?");
    EXPECT_EQ(seen.title, "Actualización");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    EXPECT_TRUE(seen.topmost);
    EXPECT_EQ(form.VexorUpdater.State().FCancelled, GetParam().cancelled);
    EXPECT_EQ(form.isVisible(), !GetParam().cancelled);
}

INSTANTIATE_TEST_SUITE_P(Answers, CancelQuestion,
                         ::testing::Values(CancelCase{"yes", QMessageBox::Yes, true},
                                           CancelCase{"no", QMessageBox::No, false}),
                         [](const auto& p) { return std::string(p.param.name); });

// The control file offers 4.6 (by the size of pordane.dat) with two files;
// the second one comes slowly.
void serveUpdate(testsupport::ScriptedHttpServer& server, const fs::path& app)
{
    writeAll(app / "pordane.dat", "abc");
    testsupport::HttpReply slow;
    slow.body = std::string(60000, 'd');
    slow.throttleBytes = 2000;
    slow.throttleMs = 10;
    server.on("/datos.bin", slow);
    server.on("/lista.txt", {200, "lista"});
    server.on(
        "/vtes_vxt.inf",
        {200, "[update]\nnewversion=4,6\nnewsize=5\nlocalversion={APP}\\pordane.dat\n[files]\ncount=2\n[file1]\nurl="
                  + server.url("/lista.txt") + "\n[file2]\nurl=" + server.url("/datos.bin") + "\n"});
}

TEST_F(UpdateWindow, ComprobarActualizacionShowsTheWindowOnlyForTheDownloads)
{
    testsupport::ScriptedHttpServer server;
    serveUpdate(server, dir.path());
    std::vector<std::string> pumps;
    platform::ScopedPumpHook hook([&] {
        bool visible = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            visible = visible || (w->objectName() == "FormUpdate" && w->isVisible());
        const std::string state = visible ? "visible" : "hidden";
        if (pumps.empty() || pumps.back() != state)
            pumps.push_back(state);
    });
    app::UpdateCheckSetup setup;
    setup.system = [&](const update::TUpdaterSettings&) { return systemIn(dir.path()); };
    QString caption;
    bool listYet = true;
    setup.onWindowShown = [&](app::TFormUpdate& w) {
        caption = w.windowTitle();
        listYet = fs::exists(dir.path() / "lista.txt");
    };
    const bool result = app::ComprobarActualizacion("Pordane", server.url("/vtes_vxt.inf"), true, false, setup);
    // A run without restart still ends the program; no message was shown.
    EXPECT_TRUE(result);
    EXPECT_TRUE(app::ActualizacionRealizada);
    EXPECT_EQ(pumps, (std::vector<std::string>{"hidden", "visible"}));
    EXPECT_EQ(caption, "Actualizando Pordane 4,6");
    EXPECT_FALSE(listYet);
    EXPECT_EQ(fs::file_size(dir.path() / "datos.bin"), 60000u);
    EXPECT_EQ(fs::current_path(), dir.path());
    // The window was freed.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), "FormUpdate");
}

TEST_F(UpdateWindow, CancelConfirmedDuringTheDownloadLetsTheProgramStart)
{
    testsupport::ScriptedHttpServer server;
    serveUpdate(server, dir.path());
    app::UpdateCheckSetup setup;
    setup.system = [&](const update::TUpdaterSettings&) { return systemIn(dir.path()); };
    platform::ScopedPumpHook hook([] { QCoreApplication::processEvents(); });
    SeenBox first, second;
    setup.onWindowShown = [&](app::TFormUpdate& w) {
        // The first click is answered No (the run goes on), the second Yes.
        QTimer::singleShot(50, &w, [&w, &first, &second] {
            answerNextBox(QMessageBox::No, first);
            w.BotonCancel->click();
            answerNextBox(QMessageBox::Yes, second);
            w.BotonCancel->click();
        });
    };
    const auto start = steady_clock::now();
    const bool result = app::ComprobarActualizacion("Pordane", server.url("/vtes_vxt.inf"), true, false, setup);
    EXPECT_LT(steady_clock::now() - start, milliseconds(250)); // the whole file takes 300 ms
    EXPECT_FALSE(result);
    EXPECT_FALSE(app::ActualizacionRealizada);
    EXPECT_EQ(first.defaultButton, QMessageBox::No);
    EXPECT_EQ(second.text, "¿Está seguro que desea cancelar el proceso de actualización?");
    EXPECT_TRUE(fs::exists(dir.path() / "lista.txt"));
    EXPECT_FALSE(fs::exists(dir.path() / "datos.bin"));
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(e.path().filename().string().starts_with("PUPD")) << e.path();
}

// The start-up check never holds the program up for long.
TEST_F(UpdateWindow, AnUnreachableHostAnswersNoQuickly)
{
    testsupport::SilentListener silent;
    const std::pair<std::string, milliseconds> hosts[] = {
        {"http://127.0.0.1:" + std::to_string(testsupport::refusedPort()) + "/vtes_vxt.inf", milliseconds(1000)},
        {"http://127.0.0.1:" + std::to_string(silent.port()) + "/vtes_vxt.inf", milliseconds(5000)}};
    for (const auto& [url, limit] : hosts) {
        app::UpdateCheckSetup setup;
        setup.system = [&](const update::TUpdaterSettings&) { return systemIn(dir.path()); };
        const auto start = steady_clock::now();
        EXPECT_FALSE(app::ComprobarActualizacion("Pordane", url, true, false, setup));
        EXPECT_LT(steady_clock::now() - start, limit) << url;
    }
}

} // namespace
} // namespace pordane::testsupport
