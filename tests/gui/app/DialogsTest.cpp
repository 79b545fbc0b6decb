// The program's message boxes break lines at CR, CR LF and LF alike, and
// show their text as plain text. The import's failure message, two lines
// joined by a CR, is shown through the real window.
#include "app/QtDialogs.h"
#include "support/gui/MainFormFixture.h"
#include "support/import/ImportWorld.h"

#include "platform/WinePrefix.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>
#include <functional>

namespace pordane::testsupport {
namespace {

// What a box showed: its text and the height its text label asks for, in lines.
struct Shown {
    std::string text;
    int lines = 0;
};

// Runs `show`, reads the modal box it opens and closes it; with
// PORDANE_GUI_SHOTS set, saves a picture of the box under `picture`.
Shown whileShown(const std::function<void()>& show, const char* picture = nullptr)
{
    Shown shown;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            shown.text = label->text().toStdString();
            shown.lines = label->sizeHint().height() / QFontMetrics(label->font()).lineSpacing();
        }
        if (const char* dir = std::getenv("PORDANE_GUI_SHOTS"); dir && picture)
            box->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromLatin1(picture));
        box->done(QMessageBox::No);
    });
    poll.start();
    show();
    return shown;
}

struct Separator {
    const char* name;
    const char* text;
    bool question;
};

void PrintTo(const Separator& s, std::ostream* os)
{
    *os << s.name;
}

class LineBreaks : public ::testing::TestWithParam<Separator> {};

TEST_P(LineBreaks, EachIsOneBreakOfAPlainText)
{
    const std::string text = std::string("Primera <b>línea</b>") + GetParam().text + "Segunda línea";
    app::QtDialogs dialogs;
    const Shown shown = whileShown([&] {
        if (GetParam().question)
            dialogs.askYesNo(text);
        else
            dialogs.showMessage(text);
    });
    EXPECT_EQ(shown.text, "Primera <b>línea</b>\nSegunda línea");
    EXPECT_EQ(shown.lines, 2);
}

const Separator Separators[] = {
    {"CR", "\r", false}, {"CRLF", "\r\n", false}, {"LF", "\n", false}, {"CRInAQuestion", "\r", true}};

INSTANTIATE_TEST_SUITE_P(Separators, LineBreaks, ::testing::ValuesIn(Separators),
                         [](const ::testing::TestParamInfo<Separator>& p) { return std::string(p.param.name); });

TEST(LineBreaks, OneLineStaysOneLine)
{
    app::QtDialogs dialogs;
    const Shown shown = whileShown([&] { dialogs.showMessage("Test de Permisos Realizado"); });
    EXPECT_EQ(shown.text, "Test de Permisos Realizado");
    EXPECT_EQ(shown.lines, 1);
}

class ImportFailureMessage : public MainFormFixture {};

TEST_F(ImportFailureMessage, ShowsTheTextAndTheErrorOnTwoLines)
{
    // A table without "ftpPassword": the first usable row fails on it.
    pordane::testsupport::Talvane talvane;
    talvane.installWithoutDatabase({{"RUTA", pordane::testsupport::DataPath}});
    auto columns = pordane::testsupport::connectionColumns();
    columns.erase(columns.begin() + 3);
    talvane.writeDatabase(columns, {{"Fotocasa", "h", "u", "r", testsupport::JetCell(std::int32_t{0})}});

    app::QtDialogs boxes;
    app::StartupHooks hooks;
    catalogue::PortalImport::Options o;
    o.openHost = [&] { return std::make_unique<platform::WinePrefix>(talvane.prefix().path()); };
    hooks.importOptions = o;
    form = std::make_unique<app::TMainForm>(boxes, hooks);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    clickNav(2, 1);

    const Shown shown = whileShown([&] { click("BotonObtenerEnlaces"); }, "importacion-fallida.png");
    EXPECT_EQ(shown.text, "No se han podido obtener las conexiones disponibles de Talvane\n"
                          "No se encuentra el campo \"ftpPassword\" en la tabla \"Dat_Conexión\"");
    EXPECT_EQ(shown.lines, 2);
}

} // namespace
} // namespace pordane::testsupport
