// Speed page contents.
#include "app/pages/SpeedPage.h"

#include "app/pages/PageKit.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

namespace pordane::app::pages {

namespace {

QWidget* makePlaceholder(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    w->setAttribute(Qt::WA_StyledBackground, true);
    w->setStyleSheet(QStringLiteral("#%1 { background: #000000; border: 1px solid #808080; }").arg(name));
    return w;
}

} // namespace

SpeedPage buildSpeedPage(QWidget* parent)
{
    SpeedPage s;
    s.TabTestSpeed = makePage(parent, QStringLiteral("TabTestSpeed"));
    QWidget* page = s.TabTestSpeed;
    s.PanelTituloSpeed =
        makeHeaderStrip(page, QStringLiteral("PanelTituloSpeed"), QStringLiteral("Comprobar velocidad de acceso al FTP:"));

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

    s.Scope1 = makePlaceholder(page, QStringLiteral("Scope1"), QRect(8, 186, 362, 112));
    s.SpeedMeter = makePlaceholder(page, QStringLiteral("SpeedMeter"), QRect(385, 182, 124, 120));
    s.SpeedMeter->setStyleSheet(QString());

    s.LabelResultados = makeLabel(page, QStringLiteral("LabelResultados"), QStringLiteral("Resultados del Test:"),
                                  QRect(8, 308, 200, 16), true);

    const auto valueLabel = [page](const QString& name, const QString& text, const QRect& r, bool bold) {
        QLabel* l = makeLabel(page, name, text, r, bold);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    s.LabelVelocidadDescarga = makeLabel(page, QStringLiteral("LabelVelocidadDescarga"),
                                         QStringLiteral("Velocidad Descarga:"), QRect(16, 330, 110, 16));
    s.LabelDownload = valueLabel(QStringLiteral("LabelDownload"), QStringLiteral("0 Kb/s"), QRect(126, 330, 110, 16), true);
    s.LabelVelocidadSubida = makeLabel(page, QStringLiteral("LabelVelocidadSubida"), QStringLiteral("Velocidad Subida:"),
                                       QRect(16, 352, 110, 16));
    s.LabelUpload = valueLabel(QStringLiteral("LabelUpload"), QStringLiteral("0 Kb/s"), QRect(126, 352, 110, 16), true);
    s.LabelTiempoDescarga = makeLabel(page, QStringLiteral("LabelTiempoDescarga"), QStringLiteral("Tiempo Descarga:"),
                                      QRect(270, 330, 110, 16));
    s.LabelTimeDownload =
        valueLabel(QStringLiteral("LabelTimeDownload"), QStringLiteral("???"), QRect(380, 330, 100, 16), false);
    s.LabelTiempoSubida = makeLabel(page, QStringLiteral("LabelTiempoSubida"), QStringLiteral("Tiempo Subida:"),
                                    QRect(270, 352, 110, 16));
    s.LabelTimeUpload =
        valueLabel(QStringLiteral("LabelTimeUpload"), QStringLiteral("???"), QRect(380, 352, 100, 16), false);
    return s;
}

} // namespace pordane::app::pages
