// The listening-processes page: header, fixed column sections, memo, button.
#include "support/MainFormFixture.h"

#include <QHeaderView>
#include <QPlainTextEdit>

namespace pordane::testing {
namespace {

using ProcessesPage = MainFormFixture;

TEST_F(ProcessesPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabProcesosPuertos");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelTituloProcesosCaption", "Listado de procesos y puerto de escucha:"},
                        {"BotonProcesosRefrescar", "Actualizar"}});
    auto* header = find<QHeaderView>("HeaderControl1");
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count(), 4);
    const char* captions[] = {"PID", "Puerto", "Proto", "Proceso"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(header->model()->headerData(i, Qt::Horizontal).toString().toStdString(), captions[i]);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(header->sectionSize(i), 50) << i;
        EXPECT_EQ(header->sectionResizeMode(i), QHeaderView::Fixed) << i;
    }
    EXPECT_GE(header->sectionSize(3), 200);

    auto* memo = find<QPlainTextEdit>("MemoProcesos");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_GE(memo->y(), header->y() + header->height());
}

} // namespace
} // namespace pordane::testing
