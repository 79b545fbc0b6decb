// The listening-processes page: header, fixed column sections, memo, button.
#include "support/gui/MainFormFixture.h"

#include "support/net/LoopbackEndpoint.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QStringList>

#include <unistd.h>

namespace pordane::testsupport {
namespace {

using ProcessesPage = MainFormFixture;

TEST_F(ProcessesPage, StaticContentsAsDesigned)
{
    QWidget* page = find("TabProcesosPuertos");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"PanelProcessesTitleCaption", "Listado de procesos y puerto de escucha:"},
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

// The line of MemoProcesos for a TCP port, split into its columns.
QStringList lineForPort(const QPlainTextEdit& memo, uint16_t port)
{
    for (const QString& line : memo.toPlainText().split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() >= 4 && fields[1] == QString::number(port) && fields[2] == QStringLiteral("TCP"))
            return fields;
    }
    return {};
}

TEST_F(ProcessesPage, ListaProcesosAndActualizarListOurOwnListeningSocket)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* memo = find<QPlainTextEdit>("MemoProcesos");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    // Columns of characters line up under the header only in a fixed-pitch font.
    EXPECT_TRUE(QFontInfo(memo->font()).fixedPitch());
    // Eight characters per field fill one 50-pixel header section.
    const double columnWidth = QFontMetricsF(memo->font()).horizontalAdvance(QLatin1Char('0')) * 8;
    EXPECT_LE(columnWidth, 50.0);
    EXPECT_GE(columnWidth, 44.0);

    uint16_t first = 0;
    platform::Socket firstListener = pordane::testsupport::listenOn("127.0.3.210", 4, first);
    clickNav(1, 1);
    EXPECT_EQ(form->PaginaActiva(), 12);
    EXPECT_EQ(currentPage()->objectName().toStdString(), "TabProcesosPuertos");
    const QStringList fields = lineForPort(*memo, first);
    ASSERT_EQ(fields.size(), 4) << memo->toPlainText().toStdString();
    EXPECT_EQ(fields[0], QString::number(::getpid()));
    EXPECT_EQ(fields[3], QStringLiteral("gui_tests"));

    // "Actualizar" shows a socket opened since, and drops one closed since.
    uint16_t second = 0;
    platform::Socket secondListener = pordane::testsupport::listenOn("127.0.3.210", 4, second);
    firstListener.close();
    click("BotonProcesosRefrescar");
    EXPECT_EQ(lineForPort(*memo, second).size(), 4);
    EXPECT_TRUE(lineForPort(*memo, first).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    shot("procesos.png");
}

} // namespace
} // namespace pordane::testsupport
