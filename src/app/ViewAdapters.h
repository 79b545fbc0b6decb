// The window's side of the view interfaces: each adapter turns the calls of a
// core module (netdiag, ftp, ftptests, catalogue) into changes of real widgets.
#pragma once

#include "views/ConnectivityView.h"
#include "views/LinksView.h"
#include "views/LogView.h"
#include "views/PermissionsView.h"
#include "views/PrepareView.h"
#include "views/ResultListView.h"
#include "views/TaskListView.h"
#include "views/TransferProgressView.h"
#include "views/SpeedView.h"

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace pordane::widgets {
class ImageList;
class TaskList;
} // namespace pordane::widgets

namespace pordane::app {

namespace pages {
struct ConnectivityPage;
struct PermissionsPage;
struct SpeedPage;
} // namespace pages

// A task list (TareasPuertos, Tareas); repaint() paints the whole page it sits
// on, so the line just marked shows while the caller blocks.
class TaskListAdapter final : public views::TaskListView {
public:
    TaskListAdapter(widgets::TaskList& list, QWidget& page) : m_list(list), m_page(page) {}
    int count() const override;
    void mark(int line, int image, bool bold) override;
    void repaint() override;

private:
    widgets::TaskList& m_list;
    QWidget& m_page;
};

// A report list whose column 0 holds the caption and the row icon; cell i is
// column i + 1 (hidden columns included).
class ResultListAdapter final : public views::ResultListView {
public:
    // Item data role holding the ImageList1 index of a cell's or row's icon.
    static constexpr int ImageIndexRole = 0x0100 + 1; // Qt::UserRole + 1

    ResultListAdapter(QTreeWidget& list, const widgets::ImageList& images) : m_list(list), m_images(images) {}
    void clear() override;
    int addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage) override;
    int rowCount() const override;
    std::string cellText(int row, int cell) const override;
    void setCell(int row, int cell, const std::string& text) override;
    void setCellImage(int row, int cell, int image) override;
    void setRowImage(int row, int image) override;

private:
    int column(int cell) const;
    QTreeWidgetItem* item(int row) const;
    void setIcon(QTreeWidgetItem& it, int column, int image);

    QTreeWidget& m_list;
    const widgets::ImageList& m_images;
};

// MemoLog.
class LogAdapter final : public views::LogView {
public:
    explicit LogAdapter(QPlainTextEdit& memo) : m_memo(memo) {}
    void clear() override;
    void appendLine(const std::string& line) override;
    void completeLastLine(const std::string& suffix) override;

private:
    void showLastLine();

    QPlainTextEdit& m_memo;
};

// PanelPrepararTest with GaugePrepararTest.
class PrepareAdapter final : public views::PrepareView {
public:
    PrepareAdapter(QWidget& panel, QProgressBar& gauge) : m_panel(panel), m_gauge(gauge) {}
    void setPanelVisible(bool visible) override;
    void setGauge(int position) override;
    void repaint() override;

private:
    QWidget& m_panel;
    QProgressBar& m_gauge;
};

// The gauges, Cancel button, live labels, round gauge and chart that the
// FTP client's progress events drive.
class ProgressAdapter final : public views::TransferProgressView {
public:
    ProgressAdapter(const pages::PermissionsPage& permissions, const pages::SpeedPage& speed)
        : m_permissionsPage(permissions), m_speedPage(speed)
    {
    }
    void setProgressBar1Max(std::int32_t maximum) override;
    void setProgressBar1Progress(std::int32_t progress) override;
    void repaintProgressBar1() override;
    void setBotonCancelarFTPEnabled(bool enabled) override;
    void setProgressBar2Max(std::int32_t maximum) override;
    void setProgressBar2Progress(std::int32_t progress) override;
    void repaintProgressBar2() override;
    void setLabelDownload(const std::string& text) override;
    void setLabelUpload(const std::string& text) override;
    void setSpeedMeter(double mbps) override;
    void addScopeSample(std::int64_t kbs) override;

private:
    const pages::PermissionsPage& m_permissionsPage;
    const pages::SpeedPage& m_speedPage;
};

class PermissionsAdapter final : public views::PermissionsView {
public:
    PermissionsAdapter(const pages::PermissionsPage& page, const widgets::ImageList& images,
                    std::function<void()> showPage);
    void showPage() override { m_showPage(); }
    views::ResultListView& ListaServidores() override { return m_list; }
    views::TaskListView& Tareas() override { return m_tasks; }

private:
    ResultListAdapter m_list;
    TaskListAdapter m_tasks;
    std::function<void()> m_showPage;
};

class SpeedAdapter final : public views::SpeedView {
public:
    SpeedAdapter(const pages::SpeedPage& page, const widgets::ImageList& images, QTimer& timer1,
                     std::function<void()> showPage);
    void showPage() override { m_showPage(); }
    views::ResultListView& ListaServidoresSpeed() override { return m_list; }
    void setLabelInfoSpeed(const std::string& text) override;
    void setLabelDownload(const std::string& text) override;
    void setLabelUpload(const std::string& text) override;
    void setLabelTimeDownload(const std::string& text) override;
    void setLabelTimeUpload(const std::string& text) override;
    void setScopeActive(bool active) override;
    void clearScope() override;
    void setTimer1Enabled(bool enabled) override;

private:
    const pages::SpeedPage& m_page;
    ResultListAdapter m_list;
    QTimer& m_timer1;
    std::function<void()> m_showPage;
};

class ConnectivityAdapter final : public views::ConnectivityView {
public:
    ConnectivityAdapter(const pages::ConnectivityPage& page, const widgets::ImageList& images,
                        std::function<void()> showPage);
    void showPage() override { m_showPage(); }
    views::ResultListView& ListaServidoresConectividad() override { return m_list; }
    void setLabelInfoConectividad(const std::string& text) override;
    void setLabelInfoCiclo(const std::string& text) override;
    void setLabelCicloOk(const std::string& text) override;
    void setLabelCicloError(const std::string& text) override;
    void setProgressConectividadVisible(bool visible) override;

private:
    const pages::ConnectivityPage& m_page;
    ResultListAdapter m_list;
    std::function<void()> m_showPage;
};

// LabelNumEnlaces and the rebuild of CheckListServidores.
class LinksAdapter final : public views::LinksView {
public:
    LinksAdapter(QLabel& numLinks, std::function<void(const std::vector<std::string>&)> rebuild)
        : m_numLinks(numLinks), m_rebuild(std::move(rebuild))
    {
    }
    void setLabelNumEnlaces(const std::string& text) override;
    void rebuildCheckList(const std::vector<std::string>& names) override { m_rebuild(names); }

private:
    QLabel& m_numLinks;
    std::function<void(const std::vector<std::string>&)> m_rebuild;
};

} // namespace pordane::app
