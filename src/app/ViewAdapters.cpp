#include "app/ViewAdapters.h"

#include "app/pages/ConnectivityPage.h"
#include "app/pages/PermissionsPage.h"
#include "app/pages/SpeedPage.h"
#include "widgets/BusyIndicator.h"
#include "widgets/ImageList.h"
#include "widgets/Scope.h"
#include "widgets/SpeedMeter.h"
#include "widgets/TaskList.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace pordane::app {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// A percentage gauge whose maximum may be 0 (a download of unknown size):
// Qt would animate a range of 0..0 as "busy", so such a gauge is drawn as an
// empty 0..1 bar and keeps the maximum it was given in the property "maximo".
void setGaugeMax(QProgressBar& gauge, std::int32_t maximum)
{
    const int m = std::max<std::int32_t>(maximum, 0);
    gauge.setProperty("maximo", m);
    gauge.setRange(0, std::max(m, 1));
    gauge.setValue(0);
}

// Progress beyond either end is clamped: QProgressBar ignores such values.
void setGaugeProgress(QProgressBar& gauge, std::int32_t progress)
{
    const int m = gauge.property("maximo").isValid() ? gauge.property("maximo").toInt() : gauge.maximum();
    gauge.setValue(std::clamp<std::int32_t>(progress, 0, m));
}

} // namespace

// ------------------------------------------------------------------ task list

int TaskListAdapter::count() const
{
    return m_list.count();
}

void TaskListAdapter::mark(int line, int image, bool bold)
{
    m_list.setLine(line, image, bold);
}

void TaskListAdapter::repaint()
{
    m_page.repaint();
}

// ---------------------------------------------------------------- result list

int ResultListAdapter::column(int cell) const
{
    const int c = cell + 1;
    if (cell < 0 || c >= m_list.columnCount())
        throw std::out_of_range("celda fuera de la lista: " + std::to_string(cell));
    return c;
}

QTreeWidgetItem* ResultListAdapter::item(int row) const
{
    QTreeWidgetItem* it = m_list.topLevelItem(row);
    if (!it)
        throw std::out_of_range("fila fuera de la lista: " + std::to_string(row));
    return it;
}

void ResultListAdapter::clear()
{
    m_list.clear();
}

int ResultListAdapter::addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage)
{
    auto* it = new QTreeWidgetItem(&m_list);
    it->setText(0, qs(caption));
    for (size_t i = 0; i < cells.size(); ++i)
        it->setText(column(static_cast<int>(i)), qs(cells[i]));
    setIcon(*it, 0, rowImage);
    return m_list.indexOfTopLevelItem(it);
}

int ResultListAdapter::rowCount() const
{
    return m_list.topLevelItemCount();
}

std::string ResultListAdapter::cellText(int row, int cell) const
{
    return item(row)->text(column(cell)).toStdString();
}

void ResultListAdapter::setCell(int row, int cell, const std::string& text)
{
    item(row)->setText(column(cell), qs(text));
}

void ResultListAdapter::setCellImage(int row, int cell, int image)
{
    setIcon(*item(row), column(cell), image);
}

void ResultListAdapter::setRowImage(int row, int image)
{
    setIcon(*item(row), 0, image);
}

void ResultListAdapter::setIcon(QTreeWidgetItem& it, int column, int image)
{
    it.setIcon(column, m_images.icon(image));
    // The index as well, for whoever reads the list back.
    it.setData(column, ImageIndexRole, image);
}

// ------------------------------------------------------------------------ log

void LogAdapter::clear()
{
    m_memo.clear();
}

void LogAdapter::appendLine(const std::string& line)
{
    m_memo.appendPlainText(qs(line));
    showLastLine();
}

void LogAdapter::completeLastLine(const std::string& suffix)
{
    if (m_memo.document()->isEmpty()) {
        m_memo.appendPlainText(qs(suffix));
        return;
    }
    QTextCursor cursor(m_memo.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qs(suffix));
    showLastLine();
}

// Like a memo's own "add a line", every change brings the end into view.
// QPlainTextEdit follows the end only while the last line is fully in view,
// which a completion that wraps onto a new row ends.
void LogAdapter::showLastLine()
{
    QScrollBar* bar = m_memo.verticalScrollBar();
    bar->setValue(bar->maximum());
}

// -------------------------------------------------------------------- prepare

void PrepareAdapter::setPanelVisible(bool visible)
{
    m_panel.setVisible(visible);
}

void PrepareAdapter::setGauge(int position)
{
    m_gauge.setValue(std::clamp(position, m_gauge.minimum(), m_gauge.maximum()));
}

void PrepareAdapter::repaint()
{
    m_panel.repaint();
}

// ------------------------------------------------------------------- progress

void ProgressAdapter::setProgressBar1Max(std::int32_t maximum)
{
    setGaugeMax(*m_permissionsPage.ProgressBar1, maximum);
}

void ProgressAdapter::setProgressBar1Progress(std::int32_t progress)
{
    setGaugeProgress(*m_permissionsPage.ProgressBar1, progress);
}

void ProgressAdapter::repaintProgressBar1()
{
    m_permissionsPage.ProgressBar1->repaint();
}

void ProgressAdapter::setBotonCancelarFTPEnabled(bool enabled)
{
    m_permissionsPage.BotonCancelarFTP->setEnabled(enabled);
}

void ProgressAdapter::setProgressBar2Max(std::int32_t maximum)
{
    setGaugeMax(*m_speedPage.ProgressBar2, maximum);
}

void ProgressAdapter::setProgressBar2Progress(std::int32_t progress)
{
    setGaugeProgress(*m_speedPage.ProgressBar2, progress);
}

void ProgressAdapter::repaintProgressBar2()
{
    m_speedPage.ProgressBar2->repaint();
}

void ProgressAdapter::setLabelDownload(const std::string& text)
{
    m_speedPage.LabelDownload->setText(qs(text));
}

void ProgressAdapter::setLabelUpload(const std::string& text)
{
    m_speedPage.LabelUpload->setText(qs(text));
}

void ProgressAdapter::setSpeedMeter(double mbps)
{
    m_speedPage.SpeedMeter->setValue(mbps);
}

void ProgressAdapter::addScopeSample(std::int64_t kbs)
{
    // The chart draws anything above its range at the top; keep the int in range.
    const auto v = std::clamp<std::int64_t>(kbs, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    m_speedPage.Scope1->addSample(static_cast<int>(v));
}

// ---------------------------------------------------------------------- pages

PermissionsAdapter::PermissionsAdapter(const pages::PermissionsPage& page, const widgets::ImageList& images,
                                 std::function<void()> showPage)
    : m_list(*page.ListaServidores, images),
      m_tasks(*page.Tareas, *page.TabTestPermisos),
      m_showPage(std::move(showPage))
{
}

SpeedAdapter::SpeedAdapter(const pages::SpeedPage& page, const widgets::ImageList& images, QTimer& timer1,
                                   std::function<void()> showPage)
    : m_page(page), m_list(*page.ListaServidoresSpeed, images), m_timer1(timer1), m_showPage(std::move(showPage))
{
}

void SpeedAdapter::setLabelInfoSpeed(const std::string& text)
{
    m_page.LabelInfoSpeed->setText(qs(text));
}

void SpeedAdapter::setLabelDownload(const std::string& text)
{
    m_page.LabelDownload->setText(qs(text));
}

void SpeedAdapter::setLabelUpload(const std::string& text)
{
    m_page.LabelUpload->setText(qs(text));
}

void SpeedAdapter::setLabelTimeDownload(const std::string& text)
{
    m_page.LabelTimeDownload->setText(qs(text));
}

void SpeedAdapter::setLabelTimeUpload(const std::string& text)
{
    m_page.LabelTimeUpload->setText(qs(text));
}

void SpeedAdapter::setScopeActive(bool active)
{
    m_page.Scope1->setActive(active);
}

void SpeedAdapter::clearScope()
{
    m_page.Scope1->clear();
}

void SpeedAdapter::setTimer1Enabled(bool enabled)
{
    if (enabled)
        m_timer1.start();
    else
        m_timer1.stop();
}

ConnectivityAdapter::ConnectivityAdapter(const pages::ConnectivityPage& page, const widgets::ImageList& images,
                                         std::function<void()> showPage)
    : m_page(page), m_list(*page.ListaServidoresConectividad, images), m_showPage(std::move(showPage))
{
}

void ConnectivityAdapter::setLabelInfoConectividad(const std::string& text)
{
    m_page.LabelInfoConectividad->setText(qs(text));
}

void ConnectivityAdapter::setLabelInfoCiclo(const std::string& text)
{
    m_page.LabelInfoCiclo->setText(qs(text));
}

void ConnectivityAdapter::setLabelCicloOk(const std::string& text)
{
    m_page.LabelCicloOk->setText(qs(text));
}

void ConnectivityAdapter::setLabelCicloError(const std::string& text)
{
    m_page.LabelCicloError->setText(qs(text));
}

void ConnectivityAdapter::setProgressConectividadVisible(bool visible)
{
    m_page.ProgressConectividad->setVisible(visible);
}

void LinksAdapter::setLabelNumEnlaces(const std::string& text)
{
    m_numLinks.setText(qs(text));
}

} // namespace pordane::app
