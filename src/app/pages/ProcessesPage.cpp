// Listening-processes page contents: a fixed four-section column header over
// a read-only text box.
#include "app/pages/ProcessesPage.h"

#include "app/pages/PageKit.h"
#include "netdiag/ProcessList.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>

namespace pordane::app::pages {

namespace {

// A fixed-pitch font in which ProcessesColumnWidth characters fill one header
// section, so each field of MemoProcesos starts under its caption.
QFont columnFont(int sectionWidth)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    for (int px = 11; px >= 8; --px) {
        font.setPixelSize(px);
        if (QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')) * netdiag::ProcessesColumnWidth <= sectionWidth)
            break;
    }
    return font;
}

} // namespace

ProcessesPage buildProcessesPage(QWidget* parent)
{
    ProcessesPage p;
    p.TabProcesosPuertos = makePage(parent, QStringLiteral("TabProcesosPuertos"));
    QWidget* page = p.TabProcesosPuertos;
    p.PanelProcessesTitle = makeHeaderStrip(page, QStringLiteral("PanelProcessesTitle"),
                                            QStringLiteral("Listado de procesos y puerto de escucha:"));

    p.HeaderControl1 = new QHeaderView(Qt::Horizontal, page);
    p.HeaderControl1->setObjectName(QStringLiteral("HeaderControl1"));
    auto* sections = new QStandardItemModel(0, 4, p.HeaderControl1);
    sections->setHorizontalHeaderLabels(
        {QStringLiteral("PID"), QStringLiteral("Puerto"), QStringLiteral("Proto"), QStringLiteral("Proceso")});
    p.HeaderControl1->setModel(sections);
    p.HeaderControl1->setGeometry(8, 32, PageWidth - 16, 20);
    p.HeaderControl1->setSectionsMovable(false);
    p.HeaderControl1->setSectionsClickable(false);
    p.HeaderControl1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[] = {50, 50, 50, 200};
    for (int i = 0; i < 4; ++i) {
        p.HeaderControl1->setSectionResizeMode(i, QHeaderView::Fixed);
        p.HeaderControl1->resizeSection(i, widths[i]);
    }
    // "Proceso" takes the rest of the width, never less than its 200 pixels.
    p.HeaderControl1->setStretchLastSection(true);

    p.MemoProcesos = new QPlainTextEdit(page);
    p.MemoProcesos->setObjectName(QStringLiteral("MemoProcesos"));
    p.MemoProcesos->setGeometry(8, 52, PageWidth - 16, 292);
    p.MemoProcesos->setReadOnly(true);
    // The lines are laid out in columns of characters under the header sections.
    p.MemoProcesos->setFont(columnFont(widths[0]));
    p.MemoProcesos->setLineWrapMode(QPlainTextEdit::NoWrap);
    p.MemoProcesos->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    p.MemoProcesos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    p.BotonProcesosRefrescar = makeButton(page, QStringLiteral("BotonProcesosRefrescar"), QStringLiteral("Actualizar"),
                                          QRect(PageWidth - 8 - 100, 354, 100, 26));
    return p;
}

} // namespace pordane::app::pages
