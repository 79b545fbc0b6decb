// Recording stand-ins for the window's views and dialogs, shared by the unit,
// integration and window tests.
#pragma once

#include "views/ConnectivityView.h"
#include "views/Dialogs.h"
#include "views/LinksView.h"
#include "views/LogView.h"
#include "views/PermissionsView.h"
#include "views/PrepareView.h"
#include "views/ResultListView.h"
#include "views/SpeedView.h"
#include "views/TaskListView.h"
#include "views/TransferProgressView.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace pordane::testsupport {

// Records every message and question instead of showing them. Questions are
// answered from `answers` in order; once it is empty the answer is yes, as a
// user who accepts every question.
class RecordingDialogs : public views::Dialogs {
public:
    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (events)
            events->push_back("message:" + text);
        if (!throwOn.empty() && text == throwOn)
            throw std::runtime_error("fallo al mostrar: " + text);
    }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    // Showing exactly this text throws, as an error inside a handler would.
    std::string throwOn;
    std::vector<std::string>* events = nullptr; // shared call order, when set
};

// The preparation panel: each call appended to a shared event log.
class RecordingPrepareView : public views::PrepareView {
public:
    explicit RecordingPrepareView(std::vector<std::string>& log) : events(log) {}
    void setPanelVisible(bool visible) override { events.push_back(visible ? "show" : "hide"); }
    void setGauge(int position) override { events.push_back("gauge:" + std::to_string(position)); }
    void repaint() override { events.push_back("repaint"); }
    std::vector<std::string>& events;
};

// The import's links label and check list.
class RecordingLinks : public views::LinksView {
public:
    void setLabelNumEnlaces(const std::string& text) override { labels.push_back(text); }
    void rebuildCheckList(const std::vector<std::string>& names) override { lists.push_back(names); }
    std::vector<std::string> labels;
    std::vector<std::vector<std::string>> lists;
};

class RecordingLog : public views::LogView {
public:
    void clear() override
    {
        lines.clear();
        ++clears;
    }
    void appendLine(const std::string& line) override { lines.push_back(line); }
    void completeLastLine(const std::string& suffix) override
    {
        if (lines.empty())
            lines.emplace_back();
        lines.back() += suffix;
    }
    std::vector<std::string> lines;
    int clears = 0;
};

class RecordingProgress : public views::TransferProgressView {
public:
    void setProgressBar1Max(std::int32_t m) override { bar1Max.push_back(m); }
    void setProgressBar1Progress(std::int32_t p) override { bar1Progress.push_back(p); }
    void repaintProgressBar1() override { ++bar1Repaints; }
    void setBotonCancelarFTPEnabled(bool e) override { cancelEnabled.push_back(e); }
    void setProgressBar2Max(std::int32_t m) override { bar2Max.push_back(m); }
    void setProgressBar2Progress(std::int32_t p) override { bar2Progress.push_back(p); }
    void repaintProgressBar2() override { ++bar2Repaints; }
    void setLabelDownload(const std::string& t) override { labelDownload.push_back(t); }
    void setLabelUpload(const std::string& t) override { labelUpload.push_back(t); }
    void setSpeedMeter(double v) override { meter.push_back(v); }
    void addScopeSample(std::int64_t v) override { scope.push_back(v); }

    // What a gauge clamping its progress into 0..max would show now.
    static std::int32_t shown(const std::vector<std::int32_t>& max, const std::vector<std::int32_t>& progress)
    {
        if (max.empty() || progress.empty())
            return 0;
        const std::int32_t p = progress.back();
        return p < 0 ? 0 : (p > max.back() ? max.back() : p);
    }
    bool cancelIsEnabled() const { return !cancelEnabled.empty() && cancelEnabled.back(); }

    std::vector<std::int32_t> bar1Max, bar1Progress, bar2Max, bar2Progress;
    int bar1Repaints = 0, bar2Repaints = 0;
    std::vector<bool> cancelEnabled;
    std::vector<std::string> labelDownload, labelUpload;
    std::vector<double> meter;
    std::vector<std::int64_t> scope;
};

class RecordingList : public views::ResultListView {
public:
    struct Row {
        std::string caption;
        std::vector<std::string> cells;
        std::map<int, int> cellImages;
        int image = -1;
        std::vector<int> imageHistory;
    };
    void clear() override
    {
        rows.clear();
        ++clears;
    }
    int addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage) override
    {
        rows.push_back({caption, cells, {}, rowImage, {rowImage}});
        return static_cast<int>(rows.size()) - 1;
    }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::string cellText(int row, int cell) const override { return rows.at(idx(row)).cells.at(idx(cell)); }
    void setCell(int row, int cell, const std::string& text) override { rows.at(idx(row)).cells.at(idx(cell)) = text; }
    void setCellImage(int row, int cell, int image) override
    {
        Row& r = rows.at(idx(row));
        if (cell < 0 || idx(cell) >= r.cells.size())
            throw std::out_of_range("cell");
        r.cellImages[cell] = image;
    }
    void setRowImage(int row, int image) override
    {
        rows.at(idx(row)).image = image;
        rows.at(idx(row)).imageHistory.push_back(image);
    }
    int cellImage(int row, int cell) const
    {
        const auto& m = rows.at(idx(row)).cellImages;
        const auto it = m.find(cell);
        return it == m.end() ? -1 : it->second;
    }
    std::vector<Row> rows;
    int clears = 0;

private:
    static size_t idx(int i)
    {
        if (i < 0)
            throw std::out_of_range("negative index");
        return static_cast<size_t>(i);
    }
};

class RecordingTasks : public views::TaskListView {
public:
    int count() const override { return 6; }
    void mark(int line, int image, bool bold) override
    {
        if (line < 0 || line >= 6)
            throw std::out_of_range("Tareas line");
        images[static_cast<size_t>(line)] = image;
        bolds[static_cast<size_t>(line)] = bold;
        marks.push_back({line, image});
    }
    void repaint() override { ++repaints; }
    std::array<int, 6> images{2, 2, 2, 2, 2, 2};
    std::array<bool, 6> bolds{};
    std::vector<std::pair<int, int>> marks;
    int repaints = 0;
};

class RecordingPermissions : public views::PermissionsView {
public:
    void showPage() override { ++shows; }
    views::ResultListView& ListaServidores() override { return list; }
    views::TaskListView& Tareas() override { return tasks; }
    RecordingList list;
    RecordingTasks tasks;
    int shows = 0;
};

class RecordingConnectivity : public views::ConnectivityView {
public:
    void showPage() override { ++shows; }
    views::ResultListView& ListaServidoresConectividad() override { return list; }
    void setLabelInfoConectividad(const std::string& t) override { infoConnectivity = t; }
    void setLabelInfoCiclo(const std::string& t) override { infoCycle.push_back(t); }
    void setLabelCicloOk(const std::string& t) override { cycleOk = t; }
    void setLabelCicloError(const std::string& t) override { cycleError = t; }
    void setProgressConectividadVisible(bool v) override { busyVisible.push_back(v); }
    RecordingList list;
    int shows = 0;
    std::string infoConnectivity = "Realizando test...";
    std::vector<std::string> infoCycle;
    std::string cycleOk = "0", cycleError = "0";
    std::vector<bool> busyVisible;
};

class RecordingSpeed : public views::SpeedView {
public:
    void showPage() override { ++shows; }
    views::ResultListView& ListaServidoresSpeed() override { return list; }
    void setLabelInfoSpeed(const std::string& t) override { infoSpeed.push_back(t); }
    void setLabelDownload(const std::string& t) override { labelDownload = t; }
    void setLabelUpload(const std::string& t) override { labelUpload = t; }
    void setLabelTimeDownload(const std::string& t) override { timeDownload = t; }
    void setLabelTimeUpload(const std::string& t) override { timeUpload = t; }
    void setScopeActive(bool a) override { scopeActive = a; }
    void clearScope() override { ++scopeClears; }
    void setTimer1Enabled(bool e) override
    {
        timerEnabled = e;
        if (e)
            ++timerStarts;
    }
    RecordingList list;
    int shows = 0;
    std::vector<std::string> infoSpeed;
    std::string labelDownload = "0 Kb/s", labelUpload = "0 Kb/s", timeDownload = "???", timeUpload = "???";
    bool scopeActive = false, timerEnabled = false;
    int scopeClears = 0, timerStarts = 0;
};

} // namespace pordane::testsupport
