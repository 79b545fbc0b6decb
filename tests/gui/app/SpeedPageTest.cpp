// The speed page: header, result list columns, live display and result labels.
#include "support/gui/MainFormFixture.h"

#include "widgets/Scope.h"
#include "widgets/SpeedMeter.h"

#include <QProgressBar>
#include <QTimer>

namespace pordane::testsupport {
namespace {

using SpeedPage = MainFormFixture;

TEST_F(SpeedPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabTestSpeed");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelSpeedTitleCaption", "Comprobar velocidad de acceso al FTP:"},
                        {"LabelInfoSpeed", "Test de descarga..."},
                        {"LabelResults", "Resultados del Test:"},
                        {"LabelDownloadSpeed", "Velocidad Descarga:"},
                        {"LabelDownload", "0 Kb/s"},
                        {"LabelUploadSpeed", "Velocidad Subida:"},
                        {"LabelUpload", "0 Kb/s"},
                        {"LabelDownloadTime", "Tiempo Descarga:"},
                        {"LabelTimeDownload", "???"},
                        {"LabelUploadTime", "Tiempo Subida:"},
                        {"LabelTimeUpload", "???"}});
    auto* list = find<QTreeWidget>("ListaServidoresSpeed");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(columnsOf(*list),
              (std::vector<std::pair<std::string, int>>{
                  {"Servidor", 170}, {"Num", 0}, {"Estado", 120}, {"Descarga", 100}, {"Subida", 100}}));
    EXPECT_TRUE(find<QLabel>("LabelResults")->font().bold());
    for (const char* name : {"LabelDownload", "LabelUpload"}) {
        EXPECT_TRUE(find<QLabel>(name)->font().bold()) << name;
        EXPECT_TRUE(find<QLabel>(name)->alignment() & Qt::AlignRight) << name;
    }
    for (const char* name : {"LabelTimeDownload", "LabelTimeUpload"})
        EXPECT_TRUE(find<QLabel>(name)->alignment() & Qt::AlignRight) << name;
    EXPECT_TRUE(find<QLabel>("LabelInfoSpeed")->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(find<QProgressBar>("ProgressBar2")->value(), 0);
    // The strip chart and the round gauge, at their design places.
    auto* scope = find<widgets::Scope>("Scope1");
    auto* meter = find<widgets::SpeedMeter>("SpeedMeter");
    ASSERT_NE(scope, nullptr);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(scope->geometry(), QRect(8, 186, 362, 112));
    EXPECT_EQ(meter->geometry(), QRect(385, 182, 124, 120));
    EXPECT_FALSE(scope->active());
    EXPECT_TRUE(scope->samples().empty());
    EXPECT_EQ(meter->value(), 0.0);
}

TEST_F(SpeedPage, Timer1IsOffAtStartAndTicksEvery100ms)
{
    QTimer* timer = form->Timer1();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->objectName().toStdString(), "Timer1");
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(SpeedPage, Timer1TimerFeedsTheChartTheRoundedSpeed)
{
    auto* scope = find<widgets::Scope>("Scope1");
    ASSERT_NE(scope, nullptr);
    // Halves go to the even neighbour; the chart draws above 2000 as 2000.
    for (double kbs : {2.5, 3.5, 439.4, 1999.5, 10240.0, 0.0}) {
        form->speed().VelocidadKBs = kbs;
        form->Timer1Timer();
    }
    EXPECT_EQ(scope->samples(), (std::vector<int>{2, 4, 439, 2000, 2000, 0}));

    // Driven by the timer itself, the samples follow VelocidadKBs as it changes.
    scope->clear();
    form->speed().VelocidadKBs = 700.5;
    form->Timer1()->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return scope->samples().size() >= 3; }, 5000));
    form->Timer1()->stop();
    for (int v : scope->samples())
        EXPECT_EQ(v, 700);
}

} // namespace
} // namespace pordane::testsupport
