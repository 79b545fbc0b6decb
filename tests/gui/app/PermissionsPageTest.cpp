// The permissions page: header, result list columns, gauge, task list and log.
#include "support/gui/MainFormFixture.h"

#include "widgets/TaskList.h"

#include <QPlainTextEdit>
#include <QProgressBar>

namespace pordane::testsupport {
namespace {

using PermissionsPage = MainFormFixture;

TEST_F(PermissionsPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabTestPermisos");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelPermissionsTitleCaption", "Comprobar permisos de acceso al FTP:"},
                        {"LabelCurrentTask", "Tarea actual:"},
                        {"BotonCancelarFTP", "Cancelar"},
                        {"LabelDetails", "Detalles:"}});
    auto* list = find<QTreeWidget>("ListaServidores");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(
        columnsOf(*list),
        (std::vector<std::pair<std::string, int>>{
            {"Servidor", 200}, {"Estado", 120}, {"E", 24}, {"L", 24}, {"R", 24}, {"D", 24}, {"B", 24}, {"Num", 0}}));
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->topLevelItemCount(), 0);

    EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_FALSE(find<QAbstractButton>("BotonCancelarFTP")->isEnabled());
    auto* memo = find<QPlainTextEdit>("MemoLog");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->toPlainText().isEmpty());

    auto* tasks = find<widgets::TaskList>("Tareas");
    ASSERT_NE(tasks, nullptr);
    const char* lines[] = {"Conectar con servidor ftp",          "Subir archivos del servidor ftp",
                           "Descargar archivos al servidor ftp", "Renombrar archivos del servidor ftp",
                           "Listar archivos del servidor ftp",   "Borrar archivos del servidor ftp"};
    ASSERT_EQ(tasks->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tasks->text(i).toStdString(), lines[i]);
        EXPECT_EQ(tasks->image(i), 2);
        EXPECT_FALSE(tasks->bold(i));
    }
    EXPECT_EQ(tasks->lineSpacing(), 7);
    EXPECT_EQ(tasks->imageOffset(), 5);
    EXPECT_THROW(tasks->setLine(6, 1, true), std::out_of_range);
}

} // namespace
} // namespace pordane::testsupport
