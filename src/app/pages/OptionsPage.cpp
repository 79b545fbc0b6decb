// Options page contents (design values; behaviour lives in TMainForm).
#include "app/pages/OptionsPage.h"

#include "app/pages/PageKit.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolTip>
#include <QVBoxLayout>

namespace pordane::app::pages {

namespace {

// Shows the track bar's position in a tooltip below the handle while it moves.
void attachPositionTip(QSlider* slider)
{
    auto show = [slider](int value) {
        const QPoint below = slider->mapToGlobal(QPoint(slider->width() / 2, slider->height()));
        QToolTip::showText(below, QString::number(value), slider);
    };
    QObject::connect(slider, &QSlider::sliderMoved, slider, show);
    QObject::connect(slider, &QSlider::sliderPressed, slider, [slider, show] { show(slider->value()); });
}

} // namespace

OptionsPage buildOptionsPage(QWidget* parent)
{
    OptionsPage o;
    o.TabOpciones = makePage(parent, QStringLiteral("TabOpciones"));
    QWidget* page = o.TabOpciones;

    o.LabelOptionsTitle = makeLabel(
        page, QStringLiteral("LabelOptionsTitle"),
        QStringLiteral("Selecciona los Servidores en los que se realizarán las pruebas y el modo de ftp."),
        QRect(8, 8, PageWidth - 16, 30), true);
    o.LabelOptionsTitle->setWordWrap(true);
    o.LabelOptionsTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    o.LabelAvailableServers = makeLabel(page, QStringLiteral("LabelAvailableServers"),
                                        QStringLiteral("Servidores disponibles:"), QRect(8, 44, 240, 16));
    o.CheckListServidores = new QListWidget(page);
    o.CheckListServidores->setObjectName(QStringLiteral("CheckListServidores"));
    o.CheckListServidores->setGeometry(8, 62, 240, 250);
    o.CheckListServidores->setSelectionMode(QAbstractItemView::SingleSelection);

    o.RadioModoFTP = new QGroupBox(QStringLiteral("Modo FTP"), page);
    o.RadioModoFTP->setObjectName(QStringLiteral("RadioModoFTP"));
    o.RadioModoFTP->setGeometry(264, 56, 245, 68);
    auto* modeLayout = new QVBoxLayout(o.RadioModoFTP);
    o.RadioActiveMode = new QRadioButton(QStringLiteral("Modo Activo"), o.RadioModoFTP);
    o.RadioActiveMode->setObjectName(QStringLiteral("RadioActiveMode"));
    o.RadioPassiveMode = new QRadioButton(QStringLiteral("Modo Pasivo"), o.RadioModoFTP);
    o.RadioPassiveMode->setObjectName(QStringLiteral("RadioPassiveMode"));
    o.RadioPassiveMode->setChecked(true);
    modeLayout->addWidget(o.RadioActiveMode);
    modeLayout->addWidget(o.RadioPassiveMode);

    o.GroupTestSize = new QGroupBox(QStringLiteral("Tamaño del test"), page);
    o.GroupTestSize->setObjectName(QStringLiteral("GroupTestSize"));
    o.GroupTestSize->setGeometry(264, 134, 245, 64);
    o.LabelSize = makeLabel(o.GroupTestSize, QStringLiteral("LabelSize"), QStringLiteral("Tamaño:"),
                            QRect(10, 26, 50, 16));
    o.TrackBarSizeTest = new QSlider(Qt::Horizontal, o.GroupTestSize);
    o.TrackBarSizeTest->setObjectName(QStringLiteral("TrackBarSizeTest"));
    o.TrackBarSizeTest->setGeometry(60, 20, 130, 30);
    o.TrackBarSizeTest->setRange(1, 20);
    o.TrackBarSizeTest->setSingleStep(1);
    o.TrackBarSizeTest->setPageStep(1);
    o.TrackBarSizeTest->setTickPosition(QSlider::TicksBelow);
    o.TrackBarSizeTest->setTickInterval(1);
    o.TrackBarSizeTest->setValue(3);
    attachPositionTip(o.TrackBarSizeTest);
    o.LabelSizeTest = makeLabel(o.GroupTestSize, QStringLiteral("LabelSizeTest"), QStringLiteral("1 MB"),
                                QRect(196, 26, 45, 16));

    o.LabelTestToRun = makeLabel(page, QStringLiteral("LabelTestToRun"), QStringLiteral("Test a realizar:"),
                                 QRect(264, 214, 90, 16));
    o.LabelTestRealizar =
        makeLabel(page, QStringLiteral("LabelTestRealizar"), QString(), QRect(354, 214, 155, 16), true);

    o.BotonIniciarTest = makeButton(page, QStringLiteral("BotonIniciarTest"), QStringLiteral("Iniciar Test"),
                                    QRect(264, 286, 110, 26));

    o.PanelPrepararTest = new QWidget(page);
    o.PanelPrepararTest->setObjectName(QStringLiteral("PanelPrepararTest"));
    o.PanelPrepararTest->setGeometry((PageWidth - 260) / 2, 150, 260, 72);
    o.PanelPrepararTest->setAttribute(Qt::WA_StyledBackground, true);
    o.PanelPrepararTest->setStyleSheet(
        QStringLiteral("#PanelPrepararTest { background: #d4d0c8; border: 2px outset #ffffff; }"));
    o.LabelPreparingTest = makeLabel(o.PanelPrepararTest, QStringLiteral("LabelPreparingTest"),
                                     QStringLiteral("Preparando Test..."), QRect(10, 10, 240, 18), true);
    o.LabelPreparingTest->setAlignment(Qt::AlignCenter);
    o.GaugePrepararTest = makeGauge(o.PanelPrepararTest, QStringLiteral("GaugePrepararTest"),
                                    QRect(16, 38, 228, 18), QColor(0x0a, 0x24, 0x6a));
    o.GaugePrepararTest->setRange(0, 4);
    o.PanelPrepararTest->hide();
    return o;
}

} // namespace pordane::app::pages
