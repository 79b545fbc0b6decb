// A report-style result list of the FTP tests (ListaServidores,
// ListaServidoresSpeed, ListaServidoresConectividad): rows of a caption and
// cells, each with optional icons of ImageList1 (views::image).
#pragma once

#include <string>
#include <vector>

namespace pordane::views {

class ResultListView {
public:
    virtual ~ResultListView() = default;
    virtual void clear() = 0;
    // Adds a row with the given caption, cell texts (cell 0 is the first
    // column after the caption, hidden columns included) and row icon;
    // returns its 0-based index.
    virtual int addRow(const std::string& caption, const std::vector<std::string>& cells,
                       int rowImage) = 0;
    virtual int rowCount() const = 0;
    virtual std::string cellText(int row, int cell) const = 0;
    virtual void setCell(int row, int cell, const std::string& text) = 0;
    virtual void setCellImage(int row, int cell, int image) = 0;
    virtual void setRowImage(int row, int image) = 0;
};

} // namespace pordane::views
