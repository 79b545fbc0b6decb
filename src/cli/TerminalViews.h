// The terminal's side of the view interfaces: the test functions the window
// runs drive these instead, which keep what the report needs and feed the
// live progress line.
#pragma once

#include "ftp/SpeedState.h"
#include "views/ConnectivityView.h"
#include "views/Dialogs.h"
#include "views/LinksView.h"
#include "views/LogView.h"
#include "views/PermissionsView.h"
#include "views/PrepareView.h"
#include "views/ResultListView.h"
#include "views/TaskListView.h"
#include "views/TransferProgressView.h"
#include "views/SpeedView.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace pordane::cli {

enum class Status;

// The report's state of an icon of ImageList1: tick, cross, warning; any
// other (waiting, running, none) is a step not run.
Status statusOfImage(int image);

// One line on standard error, rewritten in place while a run goes on; does
// nothing when standard error is not a terminal.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool active, size_t columns = 79) : m_err(err), m_active(active), m_columns(columns) {}
    ~ProgressLine() { erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void server(const std::string& text);
    void step(const std::string& text);
    // Figures that change often (percentages, speeds) repaint at most ten times a second.
    void detail(const std::string& text);
    // A pump turn: paints a figure that came too soon after the last paint.
    void refresh();
    void erase();

private:
    void draw(bool always);

    std::ostream& m_err;
    bool m_active;
    size_t m_columns;
    std::string m_servers, m_step, m_detail;
    bool m_drawn = false;
    bool m_pending = false;
    std::chrono::steady_clock::time_point m_last{};
};

// MemoLog: every line kept, the last one shown on the progress line.
class TerminalLog final : public views::LogView {
public:
    explicit TerminalLog(ProgressLine& progress) : m_progress(progress) {}
    void clear() override { lines.clear(); }
    void appendLine(const std::string& line) override;
    void completeLastLine(const std::string& suffix) override;
    std::vector<std::string> lines;

private:
    ProgressLine& m_progress;
};

// Nobody to click: messages are kept for the report, questions answered no.
class TerminalDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        messages.push_back(text + " (respuesta: no)");
        return false;
    }
    std::vector<std::string> messages;
};

class ResultList final : public views::ResultListView {
public:
    struct Row {
        std::string caption;
        std::vector<std::string> cells;
        std::map<int, int> cellImages;
        int rowImage = -1;
    };
    // Called after every setCell, so a view can read the figures behind the text.
    std::function<void(int row, int cell)> onCellChanged;

    void clear() override { rows.clear(); }
    int addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage) override;
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::string cellText(int row, int cell) const override;
    void setCell(int row, int cell, const std::string& text) override;
    void setCellImage(int row, int cell, int image) override { rowAt(row).cellImages[cell] = image; }
    void setRowImage(int row, int image) override { rowAt(row).rowImage = image; }

    // The image of a cell; -1 when none was set.
    int image(int row, int cell) const;
    std::vector<Row> rows;

private:
    Row& rowAt(int row);
};

class TerminalTaskList final : public views::TaskListView {
public:
    TerminalTaskList(int lines, ProgressLine& progress, std::vector<std::string> texts = {})
        : images(static_cast<size_t>(lines), -1), m_progress(progress), m_texts(std::move(texts))
    {
    }
    int count() const override { return static_cast<int>(images.size()); }
    void mark(int line, int image, bool bold) override;
    void repaint() override {}
    std::vector<int> images;

private:
    ProgressLine& m_progress;
    std::vector<std::string> m_texts;
};

class PermissionsTerminal final : public views::PermissionsView {
public:
    explicit PermissionsTerminal(ProgressLine& progress);
    void showPage() override {}
    views::ResultListView& ListaServidores() override { return list; }
    views::TaskListView& Tareas() override { return tasks; }
    ResultList list;
    TerminalTaskList tasks;
};

// The final figures of each transfer are read from the speed state when the
// test writes them into the row.
class SpeedTerminal final : public views::SpeedView {
public:
    struct Measurement {
        bool done = false;
        long long kbs = 0;
        long long seconds = 0;
    };
    SpeedTerminal(ProgressLine& progress, const ftp::SpeedState& speed);
    void showPage() override {}
    views::ResultListView& ListaServidoresSpeed() override { return list; }
    void setLabelInfoSpeed(const std::string& text) override { m_progress.step(text); }
    void setLabelDownload(const std::string&) override {}
    void setLabelUpload(const std::string&) override {}
    void setLabelTimeDownload(const std::string&) override {}
    void setLabelTimeUpload(const std::string&) override {}
    void setScopeActive(bool) override {}
    void clearScope() override {}
    void setTimer1Enabled(bool) override {}
    ResultList list;
    Measurement upload, download;

private:
    ProgressLine& m_progress;
};

class ConnectivityTerminal final : public views::ConnectivityView {
public:
    explicit ConnectivityTerminal(ProgressLine& progress) : m_progress(progress) {}
    void showPage() override {}
    views::ResultListView& ListaServidoresConectividad() override { return list; }
    void setLabelInfoConectividad(const std::string&) override {}
    void setLabelInfoCiclo(const std::string& text) override;
    void setLabelCicloOk(const std::string& text) override { passed = number(text); }
    void setLabelCicloError(const std::string& text) override { failed = number(text); }
    void setProgressConectividadVisible(bool) override {}
    ResultList list;
    long long cycles = 0, passed = 0, failed = 0;

    static long long number(const std::string& text);

private:
    ProgressLine& m_progress;
};

class PrepareTerminal final : public views::PrepareView {
public:
    explicit PrepareTerminal(ProgressLine& progress) : m_progress(progress) {}
    void setPanelVisible(bool visible) override;
    void setGauge(int position) override;
    void repaint() override {}

private:
    ProgressLine& m_progress;
};

// The gauges and live speed labels become the progress line's figures.
class TransferProgress final : public views::TransferProgressView {
public:
    explicit TransferProgress(ProgressLine& progress) : m_progress(progress) {}
    void setProgressBar1Max(std::int32_t maximum) override { m_maximum = maximum; }
    void setProgressBar1Progress(std::int32_t progress) override { percent(progress); }
    void repaintProgressBar1() override {}
    void setBotonCancelarFTPEnabled(bool) override {}
    void setProgressBar2Max(std::int32_t maximum) override { m_maximum = maximum; }
    void setProgressBar2Progress(std::int32_t progress) override { percent(progress); }
    void repaintProgressBar2() override {}
    void setLabelDownload(const std::string& text) override { m_speedPage = text; }
    void setLabelUpload(const std::string& text) override { m_speedPage = text; }
    void setSpeedMeter(double) override {}
    void addScopeSample(std::int64_t) override {}

private:
    void percent(std::int32_t progress);

    ProgressLine& m_progress;
    std::int32_t m_maximum = 0;
    std::string m_speedPage;
};

class LinksTerminal final : public views::LinksView {
public:
    void setLabelNumEnlaces(const std::string& text) override { numLinks = text; }
    void rebuildCheckList(const std::vector<std::string>&) override {}
    std::string numLinks;
};

} // namespace pordane::cli
