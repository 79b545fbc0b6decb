#include "cli/TerminalViews.h"

#include "cli/Report.h"
#include "ftptests/PermissionsRun.h"
#include "ftptests/SpeedRun.h"

#include <algorithm>
#include <stdexcept>

namespace pordane::cli {

Status statusOfImage(int icon)
{
    namespace image = views::image;
    switch (icon) {
    case image::Passed: return Status::Ok;
    case image::Failed: return Status::Failed;
    case image::Warning: return Status::Warning;
    default: return Status::NotDone;
    }
}

// ---------------------------------------------------------- progress line

void ProgressLine::server(const std::string& text)
{
    m_servers = text;
    m_step.clear();
    m_detail.clear();
    draw(true);
}

void ProgressLine::step(const std::string& text)
{
    m_step = text;
    m_detail.clear();
    draw(true);
}

void ProgressLine::detail(const std::string& text)
{
    if (text == m_detail)
        return;
    m_detail = text;
    draw(false);
}

void ProgressLine::refresh()
{
    if (m_pending)
        draw(false);
}

void ProgressLine::erase()
{
    if (!m_active || !m_drawn)
        return;
    m_err << "\r\033[K" << std::flush;
    m_drawn = false;
}

void ProgressLine::draw(bool always)
{
    if (!m_active)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!always && now - m_last < std::chrono::milliseconds(100)) {
        m_pending = true;
        return;
    }
    m_pending = false;
    m_last = now;
    std::string line = m_servers;
    for (const std::string* part : {&m_step, &m_detail})
        if (!part->empty())
            line += (line.empty() ? "" : " · ") + *part;
    // Cut at a code point boundary so the line never wraps.
    size_t columns = 0;
    size_t cut = 0;
    while (cut < line.size()) {
        if ((static_cast<unsigned char>(line[cut]) & 0xC0) != 0x80 && ++columns > m_columns)
            break;
        ++cut;
    }
    line.resize(cut);
    m_err << "\r\033[K" << line << std::flush;
    m_drawn = true;
}

// -------------------------------------------------------------------- log

void TerminalLog::appendLine(const std::string& line)
{
    lines.push_back(line);
    m_progress.step(line);
}

void TerminalLog::completeLastLine(const std::string& suffix)
{
    if (lines.empty())
        lines.emplace_back();
    lines.back() += suffix;
    m_progress.step(lines.back());
}

// ------------------------------------------------------------ result list

int ResultList::addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage)
{
    rows.push_back({caption, cells, {}, rowImage});
    return static_cast<int>(rows.size()) - 1;
}

ResultList::Row& ResultList::rowAt(int row)
{
    if (row < 0 || row >= rowCount())
        throw std::out_of_range("fila fuera de la lista: " + std::to_string(row));
    return rows[static_cast<size_t>(row)];
}

std::string ResultList::cellText(int row, int cell) const
{
    const Row& f = const_cast<ResultList*>(this)->rowAt(row);
    return cell >= 0 && static_cast<size_t>(cell) < f.cells.size() ? f.cells[static_cast<size_t>(cell)] : "";
}

void ResultList::setCell(int row, int cell, const std::string& text)
{
    if (cell < 0)
        throw std::out_of_range("celda fuera de la lista: " + std::to_string(cell));
    Row& f = rowAt(row);
    if (static_cast<size_t>(cell) >= f.cells.size())
        f.cells.resize(static_cast<size_t>(cell) + 1);
    f.cells[static_cast<size_t>(cell)] = text;
    if (onCellChanged)
        onCellChanged(row, cell);
}

int ResultList::image(int row, int cell) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    const auto& images = rows[static_cast<size_t>(row)].cellImages;
    const auto it = images.find(cell);
    return it == images.end() ? -1 : it->second;
}

// -------------------------------------------------------------- task list

void TerminalTaskList::mark(int line, int image, bool)
{
    if (line < 0 || line >= count())
        throw std::out_of_range("línea fuera de la lista: " + std::to_string(line));
    images[static_cast<size_t>(line)] = image;
    if (image == views::image::Running && static_cast<size_t>(line) < m_texts.size())
        m_progress.step(m_texts[static_cast<size_t>(line)]);
}

// ------------------------------------------------------------------ pages

PermissionsTerminal::PermissionsTerminal(ProgressLine& progress) : tasks(ftptests::permissions::TaskCount, progress) {}

SpeedTerminal::SpeedTerminal(ProgressLine& progress, const ftp::SpeedState& speed) : m_progress(progress)
{
    list.onCellChanged = [this, &speed](int, int cell) {
        Measurement* m = cell == ftptests::speed::CellUpload     ? &upload
                    : cell == ftptests::speed::CellDownload ? &download
                                                                 : nullptr;
        if (!m)
            return;
        // The test has just timed the transfer and not yet started the next.
        m->done = true;
        m->kbs = ftp::roundHalfEven(speed.VelocidadKBs);
        m->seconds = speed.SegundosTransfer;
    };
}

long long ConnectivityTerminal::number(const std::string& text)
{
    try {
        return std::stoll(text);
    } catch (const std::exception&) {
        return 0;
    }
}

void ConnectivityTerminal::setLabelInfoCiclo(const std::string& text)
{
    cycles = number(text);
    m_progress.detail("ciclo " + text);
}

void PrepareTerminal::setPanelVisible(bool visible)
{
    if (visible)
        m_progress.step("Preparando archivos de prueba");
}

void PrepareTerminal::setGauge(int position)
{
    m_progress.detail(std::to_string(position) + "/4");
}

void TransferProgress::percent(std::int32_t progress)
{
    std::string text;
    if (m_maximum > 0)
        text = std::to_string(std::clamp<long long>(100LL * progress / m_maximum, 0, 100)) + " %";
    else
        text = std::to_string(progress / 1024) + " KB";
    if (!m_speedPage.empty() && m_speedPage.rfind("0 ", 0) != 0)
        text += "  " + m_speedPage;
    m_progress.detail(text);
}

} // namespace pordane::cli
