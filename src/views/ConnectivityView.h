// The connectivity page (TabTestConexion) as the connectivity run sees it.
#pragma once

#include "views/ResultListView.h"

#include <string>

namespace pordane::views {

class ConnectivityView {
public:
    virtual ~ConnectivityView() = default;
    virtual void showPage() = 0;
    // Cells: 0 "Estado", 1 "Descarga", 2 "Subida", 3 the entry number (no column).
    virtual ResultListView& ListaServidoresConectividad() = 0;
    virtual void setLabelInfoConectividad(const std::string& text) = 0;
    virtual void setLabelInfoCiclo(const std::string& text) = 0;
    virtual void setLabelCicloOk(const std::string& text) = 0;
    virtual void setLabelCicloError(const std::string& text) = 0;
    // The busy indicator ProgressConectividad.
    virtual void setProgressConectividadVisible(bool visible) = 0;
};

} // namespace pordane::views
