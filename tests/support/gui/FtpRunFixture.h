// Window tests of the FTP runs against a real server on 127.0.2.5x:21: the
// server goes into the list as the personal server ("FTP Personal", "Aplicar"),
// its line is ticked and the run is started with "Iniciar Test".
#pragma once

#include "app/ViewAdapters.h"
#include "support/ftpservers/LocalFtpServer.h"
#include "support/gui/WorkDirFixture.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdlib>

namespace pordane::testsupport {

class FtpRunFixture : public WorkDirFixture {
protected:
    void SetUp() override
    {
        WorkDirFixture::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // The server becomes line 3 of the check list, ticked.
    void usePersonal(const std::string& address, const QString& user, const QString& pass,
                     const QString& remoto = QString())
    {
        clickNav(2, 1);
        typePersonal(QStringLiteral("Local"), QString::fromStdString(address), remoto, user, pass);
        click("BotonAplicarServidores");
        ASSERT_EQ(checkListLines().size(), 4u);
        setTick(3, true);
    }

    // nav button 0 "Velocidad", 1 "Permisos", 2 "Conectividad".
    void run(int test)
    {
        clickNav(0, test);
        click("BotonIniciarTest");
    }

    // The ImageList1 index shown in a cell (column) of a result list row.
    static int imageAt(const QTreeWidget& list, int row, int column)
    {
        const QTreeWidgetItem* it = list.topLevelItem(row);
        if (!it)
            return -1;
        const QVariant v = it->data(column, app::ResultListAdapter::ImageIndexRole);
        return v.isValid() ? v.toInt() : -1;
    }

    QStringList logLines() const { return find<QPlainTextEdit>("MemoLog")->toPlainText().split(QLatin1Char('\n')); }

    static bool serversAvailable()
    {
        return testsupport::LocalFtpServer::available(testsupport::FtpServerKind::Pyftpdlib);
    }
};

} // namespace pordane::testsupport
