// Speed page contents.
#include "app/pages/SpeedPage.h"

#include "app/pages/PageKit.h"
#include "widgets/Scope.h"
#include "widgets/SpeedMeter.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

namespace pordane::app::pages {

SpeedPage buildSpeedPage(QWidget* parent)
{
    SpeedPage s;
    s.TabTestSpeed = makePage(parent, QStringLiteral("TabTestSpeed"));
    QWidget* page = s.TabTestSpeed;
    s.PanelSpeedTitle = makeHeaderStrip(page, QStringLiteral("PanelSpeedTitle"),
                                        QStringLiteral("Comprobar velocidad de acceso al FTP:"));

    s.ListaServidoresSpeed = makeReportList(page, QStringLiteral("ListaServidoresSpeed"),
                                            {{QStringLiteral("Servidor"), 170},
                                             {QStringLiteral("Num"), 0},
                                             {QStringLiteral("Estado"), 120},
                                             {QStringLiteral("Descarga"), 100},
                                             {QStringLiteral("Subida"), 100}},
                                            QRect(8, 32, PageWidth - 16, 104));

    s.LabelInfoSpeed = makeLabel(page, QStringLiteral("LabelInfoSpeed"), QStringLiteral("Test de descarga..."),
                                 QRect(8, 142, PageWidth - 16, 16));
    s.LabelInfoSpeed->setAlignment(Qt::AlignCenter);
    s.ProgressBar2 = makeGauge(page, QStringLiteral("ProgressBar2"), QRect(8, 162, PageWidth - 16, 16),
                               QColor(0x20, 0xc0, 0x20), QColor(Qt::black));

    s.Scope1 = new widgets::Scope(page);
    s.Scope1->setObjectName(QStringLiteral("Scope1"));
    s.Scope1->setGeometry(8, 186, 362, 112);
    s.SpeedMeter = new widgets::SpeedMeter(page);
    s.SpeedMeter->setObjectName(QStringLiteral("SpeedMeter"));
    s.SpeedMeter->setGeometry(385, 182, 124, 120);

    s.LabelResults = makeLabel(page, QStringLiteral("LabelResults"), QStringLiteral("Resultados del Test:"),
                               QRect(8, 308, 200, 16), true);

    const auto valueLabel = [page](const QString& name, const QString& text, const QRect& r, bool bold) {
        QLabel* l = makeLabel(page, name, text, r, bold);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    s.LabelDownloadSpeed = makeLabel(page, QStringLiteral("LabelDownloadSpeed"), QStringLiteral("Velocidad Descarga:"),
                                     QRect(16, 330, 110, 16));
    s.LabelDownload = valueLabel(QStringLiteral("LabelDownload"), QStringLiteral("0 Kb/s"), QRect(126, 330, 110, 16), true);
    s.LabelUploadSpeed = makeLabel(page, QStringLiteral("LabelUploadSpeed"), QStringLiteral("Velocidad Subida:"),
                                   QRect(16, 352, 110, 16));
    s.LabelUpload = valueLabel(QStringLiteral("LabelUpload"), QStringLiteral("0 Kb/s"), QRect(126, 352, 110, 16), true);
    s.LabelDownloadTime = makeLabel(page, QStringLiteral("LabelDownloadTime"), QStringLiteral("Tiempo Descarga:"),
                                    QRect(270, 330, 110, 16));
    s.LabelTimeDownload =
        valueLabel(QStringLiteral("LabelTimeDownload"), QStringLiteral("???"), QRect(380, 330, 100, 16), false);
    s.LabelUploadTime = makeLabel(page, QStringLiteral("LabelUploadTime"), QStringLiteral("Tiempo Subida:"),
                                  QRect(270, 352, 110, 16));
    s.LabelTimeUpload =
        valueLabel(QStringLiteral("LabelTimeUpload"), QStringLiteral("???"), QRect(380, 352, 100, 16), false);
    return s;
}

} // namespace pordane::app::pages
