// The tour of the run command: each step drives the window through its
// controls, checks what the page shows and saves a picture of it.
#include "demo/Tour.h"


#include "app/MainForm.h"
#include "app/UpdateForm.h"
#include "app/ViewAdapters.h"
#include "app/pages/ConnectivityPage.h"
#include "app/pages/PermissionsPage.h"
#include "app/pages/SpeedPage.h"
#include "views/ImageList1.h"
#include "widgets/Scope.h"
#include "widgets/SpeedMeter.h"
#include "widgets/TaskList.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace pordane::demo {

using namespace pordane::app;

namespace {

// Lines of the server check list after the import of the demo installation.
constexpr int LineTessaly24 = 0;
constexpr int LineTessalysis = 1;
constexpr int LineVexor = 2;
constexpr int OwnServers = 3;
constexpr int ImportedLinks = 7;

// Buttons of the navigation bar's "Test FTP" group.
constexpr int NavSpeed = 0;
constexpr int NavPermissions = 1;
constexpr int NavConnectivity = 2;

void printLine(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A message may span lines ("...\r<error>"); the tour prints one line each.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

struct StepFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void expect(bool condition, const std::string& why)
{
    if (!condition)
        throw StepFailed(why);
}

std::string quoted(const QString& s)
{
    return "\"" + s.toStdString() + "\"";
}

class Tour {
public:
    Tour(TMainForm& form, TourDialogs& dialogs, const QString& dir) : m_form(form), m_dialogs(dialogs), m_dir(dir) {}

    int run()
    {
        QDir().mkpath(m_dir);
        waitFor([this] { return m_form.windowHandle() && m_form.windowHandle()->isExposed(); }, 5000);
        const std::vector<std::pair<const char*, void (Tour::*)()>> steps = {
            {"inicio", &Tour::start},
            {"opciones", &Tour::options},
            {"enlaces", &Tour::links},
            {"permisos", &Tour::permissions},
            {"velocidad", &Tour::speed},
            {"velocidad en curso", &Tour::speedRunning},
            {"conectividad", &Tour::connectivity},
            {"puertos", &Tour::ports},
            {"procesos", &Tour::processes},
        };
        int failed = 0;
        for (const auto& [name, step] : steps) {
            m_firstMessage = m_dialogs.messages().size();
            try {
                (this->*step)();
                printLine(std::string("tour: ") + name + " OK");
            } catch (const std::exception& e) {
                ++failed;
                printLine(std::string("tour: ") + name + " FALLO: " + oneLine(e.what()));
            }
        }
        return failed == 0 ? 0 : 1;
    }

private:
    // --- finding and driving controls ----------------------------------------

    template <class T = QWidget>
    T* find(const char* name) const
    {
        T* w = m_form.findChild<T*>(QString::fromLatin1(name));
        if (!w)
            throw StepFailed(std::string("no hay control ") + name);
        return w;
    }

    // A user can only click what is in sight and enabled.
    void click(const char* name)
    {
        auto* button = find<QAbstractButton>(name);
        expect(button->isVisible() && button->isEnabled(), std::string(name) + " no se puede pulsar");
        button->click();
    }

    // A button of the navigation bar: its group is opened first, as a user
    // would, e.g. choose(1, 0) for "Otros Test" > "Puertos Abiertos".
    void choose(int group, int button)
    {
        const std::string prefix = "NavBar1Pages" + std::to_string(group);
        click((prefix + "Header").c_str());
        click((prefix + "Buttons" + std::to_string(button)).c_str());
    }

    // Ticks exactly the given lines of CheckListServidores.
    void tickOnly(std::initializer_list<int> lines)
    {
        auto* list = find<QListWidget>("CheckListServidores");
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Unchecked);
        for (int line : lines) {
            expect(line < list->count(), "la lista de servidores no tiene la línea " + std::to_string(line));
            list->item(line)->setCheckState(Qt::Checked);
        }
    }

    // Chooses an FTP test in the navigation bar, ticks the lines, sets the
    // test size (MB; 0 leaves it) and starts it; returns when it ended.
    void runFtpTest(int navButton, std::initializer_list<int> lines, int sizeMB = 0)
    {
        choose(0, navButton);
        tickOnly(lines);
        if (sizeMB > 0) {
            find<QSlider>("TrackBarSizeTest")->setValue(sizeMB);
            expect(m_form.SizeTest() == sizeMB * 1048576, "tamaño del test " + std::to_string(m_form.SizeTest()));
        }
        click("BotonIniciarTest");
    }

    void expectPage(const char* name) const
    {
        const QWidget* page = m_form.PageControl1()->currentWidget();
        const std::string shown = page ? page->objectName().toStdString() : "ninguna";
        expect(shown == name, "se ve la página " + shown + ", no " + name);
    }

    std::vector<std::string> stepMessages() const
    {
        const auto& all = m_dialogs.messages();
        return {all.begin() + static_cast<std::ptrdiff_t>(m_firstMessage), all.end()};
    }

    void expectMessages(const std::vector<std::string>& expected) const
    {
        const std::vector<std::string> shown = stepMessages();
        std::string list;
        for (const std::string& m : shown)
            list += (list.empty() ? "" : " | ") + oneLine(m);
        expect(shown == expected, "mensajes: [" + list + "]");
    }

    // Quality 0: the smallest PNG, for the README.
    void screenshot(const char* file)
    {
        const QString path = QDir(m_dir).filePath(QString::fromLatin1(file));
        expect(m_form.grab().save(path, "PNG", 0), "no se pudo guardar " + path.toStdString());
    }

    static void waitFor(const std::function<bool()>& done, int ms)
    {
        const QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    static int imageAt(const QTreeWidget& list, int row, int column)
    {
        const QTreeWidgetItem* it = list.topLevelItem(row);
        const QVariant v = it ? it->data(column, ResultListAdapter::ImageIndexRole) : QVariant();
        return v.isValid() ? v.toInt() : -1;
    }

    // Counts and image indices: "<what> tiene 3, no 4".
    static void expectCount(int shown, int expected, const std::string& what)
    {
        expect(shown == expected, what + " tiene " + std::to_string(shown) + ", no " + std::to_string(expected));
    }

    static void expectImage(const QTreeWidget& list, int row, int column, int image, const std::string& what)
    {
        expectCount(imageAt(list, row, column), image, what + ": la imagen");
    }

    static void expectRow(const QTreeWidget& list, int row, const char* server)
    {
        const QTreeWidgetItem* it = list.topLevelItem(row);
        expect(it && it->text(0) == QLatin1String(server),
               "la fila " + std::to_string(row) + " no es " + server);
    }

    // The final figures: "N KB/s".
    static void expectKBs(const QString& text, const char* what)
    {
        static const QRegularExpression kbs(QStringLiteral("^[0-9]+ KB/s$"));
        expect(kbs.match(text).hasMatch(), std::string(what) + " muestra " + quoted(text));
    }

    // --- the steps ------------------------------------------------------------

    void start()
    {
        expectPage("TabInicio");
        // The demo installation is complete: creation and start-up said nothing.
        m_firstMessage = 0;
        expectMessages({});
        screenshot("inicio.png");
    }

    void options()
    {
        choose(0, NavPermissions);
        expectPage("TabOpciones");
        const auto* list = find<QListWidget>("CheckListServidores");
        expectCount(list->count(), OwnServers + ImportedLinks, "CheckListServidores");
        const char* own[] = {"Tessaly24", "Tessalysis", "vexorserver01"};
        for (int i = 0; i < OwnServers; ++i)
            expect(list->item(i)->text() == QLatin1String(own[i]),
                   "la línea " + std::to_string(i) + " es " + quoted(list->item(i)->text()));
        screenshot("opciones.png");
    }

    void links()
    {
        choose(2, 1); // "Configuración" > "FTP Personal"
        expectPage("TabConfigPersonal");
        const QString n = find<QLabel>("LabelNumEnlaces")->text();
        expect(n == QString::number(ImportedLinks), "LabelNumEnlaces muestra " + quoted(n));
        screenshot("enlaces.png");
    }

    void permissions()
    {
        runFtpTest(NavPermissions, {LineTessaly24, LineVexor});
        expectMessages({"Test de Permisos Realizado"});
        expectPage("TabTestPermisos");
        const auto& list = *find<QTreeWidget>("ListaServidores");
        expectCount(list.topLevelItemCount(), 2, "ListaServidores");
        namespace pg = pages;
        expectRow(list, 0, "Tessaly24");
        expectImage(list, 0, 0, views::image::Passed, "Tessaly24");
        for (int c : {pg::ColE, pg::ColL, pg::ColR, pg::ColD, pg::ColB})
            expectImage(list, 0, c, views::image::Passed, "Tessaly24, columna " + std::to_string(c));
        // vexortest may do everything but delete.
        expectRow(list, 1, "vexorserver01");
        expectImage(list, 1, 0, views::image::Warning, "vexorserver01");
        for (int c : {pg::ColE, pg::ColL, pg::ColR, pg::ColD})
            expectImage(list, 1, c, views::image::Passed, "vexorserver01, columna " + std::to_string(c));
        expectImage(list, 1, pg::ColB, views::image::Failed, "vexorserver01, columna B");
        screenshot("permisos.png");
    }

    void speed()
    {
        runFtpTest(NavSpeed, {LineTessalysis}, 1);
        expectSpeedResult("Tessalysis");
        screenshot("velocidad.png");
    }

    // The same on the throttled line at the window's default size, with a
    // picture taken while it runs: the round gauge and the strip chart moving.
    // Live figures start after two seconds of a transfer; at 512 KiB/s the
    // download of 3 MB takes six.
    void speedRunning()
    {
        const auto* meter = find<widgets::SpeedMeter>("SpeedMeter");
        const auto* scope = find<widgets::Scope>("Scope1");
        bool taken = false;
        std::string shotError;
        QTimer poll;
        poll.setInterval(100);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (taken || m_form.PageControl1()->currentWidget()->objectName() != QLatin1String("TabTestSpeed"))
                return;
            const std::vector<int> samples = scope->samples();
            const auto moving = std::count_if(samples.begin(), samples.end(), [](int v) { return v > 0; });
            if (meter->value() > 0 && moving >= 12) {
                taken = true;
                try {
                    screenshot("velocidad-en-curso.png");
                } catch (const StepFailed& e) {
                    shotError = e.what();
                }
            }
        });
        // Started from the loop once the run pumps, as a user's second look would be.
        QTimer::singleShot(0, &poll, qOverload<>(&QTimer::start));
        runFtpTest(NavSpeed, {LineTessaly24}, 3);
        poll.stop();
        expectSpeedResult("Tessaly24");
        expect(shotError.empty(), shotError);
        expect(taken, "la transferencia acabó sin que la aguja y la gráfica se movieran");
    }

    void expectSpeedResult(const char* server)
    {
        expectMessages({"Test de Velocidad Realizado"});
        expectPage("TabTestSpeed");
        const auto& list = *find<QTreeWidget>("ListaServidoresSpeed");
        expectCount(list.topLevelItemCount(), 1, "ListaServidoresSpeed");
        expectRow(list, 0, server);
        const QTreeWidgetItem* row = list.topLevelItem(0);
        expectKBs(row->text(pages::SpeedColDownload), "la descarga");
        expectKBs(row->text(pages::SpeedColUpload), "la subida");
        expectImage(list, 0, 0, views::image::Passed, server);
    }

    void connectivity()
    {
        runFtpTest(NavConnectivity, {LineTessalysis});
        expectMessages({"Test de Conectividad Realizado"});
        expectPage("TabTestConexion");
        const QString cycles = find<QLabel>("LabelInfoCiclo")->text();
        expect(cycles == QLatin1String("20/20"), "LabelInfoCiclo muestra " + quoted(cycles));
        const QString ok = find<QLabel>("LabelCicloOk")->text();
        const QString errors = find<QLabel>("LabelCicloError")->text();
        expect(ok == QLatin1String("20") && errors == QLatin1String("0"),
               "correctos " + quoted(ok) + ", errores " + quoted(errors));
        const auto& list = *find<QTreeWidget>("ListaServidoresConectividad");
        expectCount(list.topLevelItemCount(), 1, "ListaServidoresConectividad");
        expectRow(list, 0, "Tessalysis");
        expectImage(list, 0, 0, views::image::Passed, "Tessalysis");
        screenshot("conectividad.png");
    }

    void ports()
    {
        choose(1, 0); // "Otros Test" > "Puertos Abiertos"
        expectPage("TabPuertos");
        click("BotonTestPuertos");
        expectMessages({});
        // Open endpoints, one that closes at once (127.0.0.23:80), refused ones.
        const int expected[] = {views::image::Passed, views::image::Passed, views::image::Passed, views::image::Passed, views::image::Warning, views::image::Failed, views::image::Passed, views::image::Failed};
        const auto* tasks = find<widgets::TaskList>("TareasPuertos");
        expectCount(tasks->count(), 8, "TareasPuertos");
        for (int i = 0; i < 8; ++i)
            expectCount(tasks->image(i), expected[i], quoted(tasks->text(i)) + ": la imagen");
        screenshot("puertos.png");
    }

    void processes()
    {
        choose(1, 1); // "Otros Test" > "Lista Procesos"
        expectPage("TabProcesosPuertos");
        // The world's FTP servers listen on port 21: "<pid> 21 TCP <name>".
        const QStringList lines = find<QPlainTextEdit>("MemoProcesos")->toPlainText().split(QLatin1Char('\n'));
        const bool ftp = std::any_of(lines.begin(), lines.end(), [](const QString& line) {
            const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            return f.size() >= 4 && f[0] != QLatin1String("-") && f[1] == QLatin1String("21")
                   && f[2] == QLatin1String("TCP");
        });
        expect(ftp, "ningún proceso escucha en el puerto 21");
        screenshot("procesos.png");
    }

    TMainForm& m_form;
    TourDialogs& m_dialogs;
    QString m_dir;
    size_t m_firstMessage = 0;
};

} // namespace

void TourDialogs::showMessage(const std::string& text)
{
    m_messages.push_back(text);
    printLine("mensaje: " + oneLine(text));
}

bool TourDialogs::askYesNo(const std::string& text)
{
    printLine("pregunta: " + oneLine(text) + " -> no");
    return false;
}

int runTour(TMainForm& form, TourDialogs& dialogs, const QString& dir)
{
    try {
        return Tour(form, dialogs, dir).run();
    } catch (...) {
        // Not from a step (those are caught per step): the tour itself broke.
        printLine("tour: FALLO: error inesperado");
        return 1;
    }
}

void photographUpdateWindow(TFormUpdate& window, const QString& dir)
{
    QCoreApplication::processEvents();
    const QString path = dir + QStringLiteral("/actualizacion.png");
    const bool saved = window.grab().save(path, "PNG", 0);
    const std::string line = saved ? "tour: actualización OK " + window.windowTitle().toStdString() + "\n"
                                   : "tour: actualización FALLO: no se pudo guardar " + path.toStdString() + "\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace pordane::demo
