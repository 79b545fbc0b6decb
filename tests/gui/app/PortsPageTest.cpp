// The port test page: yellow header, caption, the eight task lines, button.
#include "support/gui/MainFormFixture.h"

#include "pordane/BuildConfig.h"
#include "support/net/LoopbackEndpoint.h"
#include "widgets/TaskList.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace pordane::testsupport {
namespace {

using PortsPage = MainFormFixture;

TEST_F(PortsPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabPuertos");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"Panel9Caption", "Test de conexión de puertos:"},
                        {"LabelCheckingPorts", "Comprobando Conexión a Puertos:"},
                        {"BotonTestPuertos", "Iniciar Test"}});
    EXPECT_TRUE(find<QLabel>("Panel9Caption")->font().bold());
    EXPECT_TRUE(find<QLabel>("LabelCheckingPorts")->font().bold());
    // The designer's colour 8454143 is $0080FFFF in blue-green-red order.
    EXPECT_EQ(find("Panel9")->palette().color(QPalette::Window), QColor(0xff, 0xff, 0x80));

    auto* tasks = find<widgets::TaskList>("TareasPuertos");
    ASSERT_NE(tasks, nullptr);
    const std::string t = config::LabelTessalysis;
    const std::string t24 = config::LabelTessaly24;
    const std::string m = config::LabelMirel;
    const std::vector<std::string> expected = {
        "Test " + t + ": Puerto 80",        "Test " + t + ": Puerto 21",          "Test " + t24 + ": Puerto 80",
        "Test " + t24 + ": Puerto 21",      "Test " + m + ": Puerto 80",          "Test " + m + ": Puerto 21",
        "Test Soporte Remoto: Puerto 5500", "Test Soporte Remoto Beta: Puerto 80"};
    ASSERT_EQ(tasks->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(tasks->text(i).toStdString(), expected[static_cast<size_t>(i)]);
        EXPECT_EQ(tasks->image(i), 2);
        EXPECT_FALSE(tasks->bold(i));
    }
    EXPECT_EQ(tasks->lineSpacing(), 7);
}

using pordane::testsupport::Behaviour;
using pordane::testsupport::LoopbackEndpoint;
using namespace std::chrono_literals;

// Each time the task list is painted, what its lines show: (image, bold) per line.
using Marks = std::vector<std::pair<int, bool>>;
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(widgets::TaskList& list) : m_list(list) { list.installEventFilter(this); }
    std::vector<Marks> frames;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            Marks m;
            for (int i = 0; i < m_list.count(); ++i)
                m.emplace_back(m_list.image(i), m_list.bold(i));
            if (frames.empty() || frames.back() != m)
                frames.push_back(std::move(m));
        }
        return false;
    }

private:
    widgets::TaskList& m_list;
};

Marks marksOf(const widgets::TaskList& list)
{
    Marks m;
    for (int i = 0; i < list.count(); ++i)
        m.emplace_back(list.image(i), list.bold(i));
    return m;
}

// Stand-ins for the maker's endpoints on 127.0.3.200-203, one per behaviour.
class PortTestRun : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        netdiag::PortTestOptions options;
        options.resolver = [](const std::string& host) -> std::optional<platform::IPv4> {
            if (host == "abierto.prueba")
                return platform::IPv4::parse("127.0.3.200");
            return std::nullopt; // every other name fails, without a DNS query
        };
        const auto probe = [](int line, const std::string& host, int port) {
            return netdiag::PortProbe{"", host, port, line};
        };
        options.probes = {probe(0, "abierto.prueba", open.port()),
                          probe(1, "127.0.3.201", closing.port()),
                          probe(2, "127.0.3.202", greeting.port()),
                          probe(3, "127.0.3.203", pordane::testsupport::refusedPort("127.0.3.203")),
                          probe(4, "desconocido.prueba", 80),
                          probe(5, "127.0.3.200", open.port()),
                          probe(6, "127.0.3.202", greeting.port()),
                          probe(7, "127.0.3.201", closing.port())};
        form->setPortTestOptions(options);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        clickNav(1, 0);
        ASSERT_EQ(form->PaginaActiva(), 1);
        tasks = find<widgets::TaskList>("TareasPuertos");
        ASSERT_NE(tasks, nullptr);
    }

    LoopbackEndpoint open{"127.0.3.200", Behaviour::StayOpen};
    LoopbackEndpoint closing{"127.0.3.201", Behaviour::CloseAtOnce};
    LoopbackEndpoint greeting{"127.0.3.202", Behaviour::GreetAndClose};
    widgets::TaskList* tasks = nullptr;
};

TEST_F(PortTestRun, MarksEachLineWithItsOutcomeAndShowsTheProbeAsItRuns)
{
    PaintRecorder recorder(*tasks);
    click("BotonTestPuertos");

    const Marks expected = {{1, true}, {4, true}, {1, true}, {3, true}, {3, true}, {1, true}, {1, true}, {4, true}};
    EXPECT_EQ(marksOf(*tasks), expected);
    EXPECT_TRUE(find<QPushButton>("BotonTestPuertos")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty()); // a probe shows only its icon

    // Every probe was painted with its question mark before its result,
    // the lines after it still waiting in bold.
    for (int line = 0; line < 8; ++line) {
        Marks probing = expected;
        probing[static_cast<size_t>(line)] = {5, true};
        for (int later = line + 1; later < 8; ++later)
            probing[static_cast<size_t>(later)] = {2, true};
        EXPECT_NE(std::find(recorder.frames.begin(), recorder.frames.end(), probing), recorder.frames.end())
            << "line " << line << " was never painted as being probed";
    }
    shot("puertos.png");
}

TEST_F(PortTestRun, SecondRunStartsFromWaitingLines)
{
    click("BotonTestPuertos");
    PaintRecorder recorder(*tasks);
    click("BotonTestPuertos");
    ASSERT_GE(recorder.frames.size(), 2u);
    // The second run first shows every line reset to waiting, bold, then line 0 being probed.
    Marks reset(8, {2, true});
    EXPECT_EQ(recorder.frames[0], reset);
    Marks probing = reset;
    probing[0] = {5, true};
    EXPECT_EQ(recorder.frames[1], probing);
}

TEST_F(PortTestRun, OtherLongOperationsCannotStartWhileItRunsButNavigationWorks)
{
    // A silent endpoint keeps the probe waiting; the checks run from inside the wait.
    pordane::testsupport::SilentEndpoint silent("127.0.3.204");
    netdiag::PortTestOptions options;
    options.probes = {netdiag::PortProbe{"", "127.0.3.204", silent.port, 0}};
    options.connectLimit = 1500ms;
    form->setPortTestOptions(options);

    bool startEnabled = true, fetchEnabled = true, portsEnabled = true;
    std::string pageDuringRun;
    QTimer::singleShot(300, form.get(), [&] {
        startEnabled = find<QPushButton>("BotonIniciarTest")->isEnabled();
        fetchEnabled = find<QPushButton>("BotonObtenerEnlaces")->isEnabled();
        portsEnabled = find<QPushButton>("BotonTestPuertos")->isEnabled();
        form->NavBar1Pages1Buttons1Click(); // "Lista Procesos"
        pageDuringRun = currentPage()->objectName().toStdString();
    });
    click("BotonTestPuertos");
    EXPECT_FALSE(startEnabled);
    EXPECT_FALSE(fetchEnabled);
    EXPECT_FALSE(portsEnabled);
    EXPECT_EQ(pageDuringRun, "TabProcesosPuertos");
    EXPECT_EQ(tasks->image(0), 3); // the silent endpoint timed out
    EXPECT_EQ(form->currentOperation(), app::Operation::None);
    EXPECT_TRUE(find<QPushButton>("BotonIniciarTest")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("BotonObtenerEnlaces")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("BotonTestPuertos")->isEnabled());
}

TEST_F(PortTestRun, ClosingDuringTheRunEndsItAndThenClosesTheWindow)
{
    pordane::testsupport::SilentEndpoint silent("127.0.3.204");
    netdiag::PortTestOptions options;
    // Without the close, this run would wait for a minute.
    options.probes = {netdiag::PortProbe{"", "127.0.3.204", silent.port, 0},
                      netdiag::PortProbe{"", "127.0.3.200", open.port(), 1}};
    options.connectLimit = 60s;
    form->setPortTestOptions(options);

    bool visibleAfterCloseAsked = false;
    QElapsedTimer sinceClose;
    QTimer::singleShot(200, form.get(), [&] {
        sinceClose.start();
        form->close();
        visibleAfterCloseAsked = form->isVisible();
    });
    click("BotonTestPuertos");
    ASSERT_TRUE(sinceClose.isValid());
    EXPECT_LT(sinceClose.elapsed(), 1000);
    // The close waited for the run to unwind, then went through.
    EXPECT_TRUE(visibleAfterCloseAsked);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->closePending());
    EXPECT_EQ(form->currentOperation(), app::Operation::None);
    EXPECT_EQ(tasks->image(1), 2); // the run ended before the second probe
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace pordane::testsupport
