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

enum class Estado;

// The report's state of an icon of ImageList1: tick, cross, warning; any
// other (waiting, running, none) is a step not run.
Estado estadoDeImagen(int imagen);

// One line on standard error, rewritten in place while a run goes on; does
// nothing when standard error is not a terminal.
class LineaProgreso {
public:
    LineaProgreso(std::ostream& err, bool activa, size_t columnas = 79) : m_err(err), m_activa(activa), m_columnas(columnas) {}
    ~LineaProgreso() { borrar(); }
    LineaProgreso(const LineaProgreso&) = delete;
    LineaProgreso& operator=(const LineaProgreso&) = delete;

    void servidor(const std::string& texto);
    void paso(const std::string& texto);
    // Figures that change often (percentages, speeds) repaint at most ten times a second.
    void detalle(const std::string& texto);
    // A pump turn: paints a figure that came too soon after the last paint.
    void refrescar();
    void borrar();

private:
    void pintar(bool siempre);

    std::ostream& m_err;
    bool m_activa;
    size_t m_columnas;
    std::string m_servidor, m_paso, m_detalle;
    bool m_pintada = false;
    bool m_pendiente = false;
    std::chrono::steady_clock::time_point m_ultima{};
};

// MemoLog: every line kept, the last one shown on the progress line.
class RegistroTerminal final : public views::LogView {
public:
    explicit RegistroTerminal(LineaProgreso& progreso) : m_progreso(progreso) {}
    void clear() override { lineas.clear(); }
    void appendLine(const std::string& line) override;
    void completeLastLine(const std::string& suffix) override;
    std::vector<std::string> lineas;

private:
    LineaProgreso& m_progreso;
};

// Nobody to click: messages are kept for the report, questions answered no.
class DialogosTerminal final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override { mensajes.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        mensajes.push_back(text + " (respuesta: no)");
        return false;
    }
    std::vector<std::string> mensajes;
};

class ListaResultados final : public views::ResultListView {
public:
    struct Fila {
        std::string caption;
        std::vector<std::string> cells;
        std::map<int, int> cellImages;
        int rowImage = -1;
    };
    // Called after every setCell, so a view can read the figures behind the text.
    std::function<void(int row, int cell)> alCambiarCelda;

    void clear() override { filas.clear(); }
    int addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage) override;
    int rowCount() const override { return static_cast<int>(filas.size()); }
    std::string cellText(int row, int cell) const override;
    void setCell(int row, int cell, const std::string& text) override;
    void setCellImage(int row, int cell, int image) override { fila(row).cellImages[cell] = image; }
    void setRowImage(int row, int image) override { fila(row).rowImage = image; }

    // The image of a cell; -1 when none was set.
    int imagen(int row, int cell) const;
    std::vector<Fila> filas;

private:
    Fila& fila(int row);
};

class ListaTareas final : public views::TaskListView {
public:
    ListaTareas(int lineas, LineaProgreso& progreso, std::vector<std::string> textos = {})
        : imagenes(static_cast<size_t>(lineas), -1), m_progreso(progreso), m_textos(std::move(textos))
    {
    }
    int count() const override { return static_cast<int>(imagenes.size()); }
    void mark(int line, int image, bool bold) override;
    void repaint() override {}
    std::vector<int> imagenes;

private:
    LineaProgreso& m_progreso;
    std::vector<std::string> m_textos;
};

class PermisosTerminal final : public views::PermissionsView {
public:
    explicit PermisosTerminal(LineaProgreso& progreso);
    void showPage() override {}
    views::ResultListView& ListaServidores() override { return lista; }
    views::TaskListView& Tareas() override { return tareas; }
    ListaResultados lista;
    ListaTareas tareas;
};

// The final figures of each transfer are read from the speed state when the
// test writes them into the row.
class VelocidadTerminal final : public views::SpeedView {
public:
    struct Medida {
        bool hecha = false;
        long long kbs = 0;
        long long segundos = 0;
    };
    VelocidadTerminal(LineaProgreso& progreso, const ftp::SpeedState& speed);
    void showPage() override {}
    views::ResultListView& ListaServidoresSpeed() override { return lista; }
    void setLabelInfoSpeed(const std::string& text) override { m_progreso.paso(text); }
    void setLabelDownload(const std::string&) override {}
    void setLabelUpload(const std::string&) override {}
    void setLabelTimeDownload(const std::string&) override {}
    void setLabelTimeUpload(const std::string&) override {}
    void setScopeActive(bool) override {}
    void clearScope() override {}
    void setTimer1Enabled(bool) override {}
    ListaResultados lista;
    Medida subida, descarga;

private:
    LineaProgreso& m_progreso;
};

class ConectividadTerminal final : public views::ConnectivityView {
public:
    explicit ConectividadTerminal(LineaProgreso& progreso) : m_progreso(progreso) {}
    void showPage() override {}
    views::ResultListView& ListaServidoresConectividad() override { return lista; }
    void setLabelInfoConectividad(const std::string&) override {}
    void setLabelInfoCiclo(const std::string& text) override;
    void setLabelCicloOk(const std::string& text) override { correctos = numero(text); }
    void setLabelCicloError(const std::string& text) override { fallidos = numero(text); }
    void setProgressConectividadVisible(bool) override {}
    ListaResultados lista;
    long long ciclos = 0, correctos = 0, fallidos = 0;

    static long long numero(const std::string& text);

private:
    LineaProgreso& m_progreso;
};

class PreparacionTerminal final : public views::PrepareView {
public:
    explicit PreparacionTerminal(LineaProgreso& progreso) : m_progreso(progreso) {}
    void setPanelVisible(bool visible) override;
    void setGauge(int position) override;
    void repaint() override {}

private:
    LineaProgreso& m_progreso;
};

// The gauges and live speed labels become the progress line's figures.
class ProgresoTransferencia final : public views::TransferProgressView {
public:
    explicit ProgresoTransferencia(LineaProgreso& progreso) : m_progreso(progreso) {}
    void setProgressBar1Max(std::int32_t maximum) override { m_maximo = maximum; }
    void setProgressBar1Progress(std::int32_t progress) override { porcentaje(progress); }
    void repaintProgressBar1() override {}
    void setBotonCancelarFTPEnabled(bool) override {}
    void setProgressBar2Max(std::int32_t maximum) override { m_maximo = maximum; }
    void setProgressBar2Progress(std::int32_t progress) override { porcentaje(progress); }
    void repaintProgressBar2() override {}
    void setLabelDownload(const std::string& text) override { m_velocidad = text; }
    void setLabelUpload(const std::string& text) override { m_velocidad = text; }
    void setSpeedMeter(double) override {}
    void addScopeSample(std::int64_t) override {}

private:
    void porcentaje(std::int32_t progress);

    LineaProgreso& m_progreso;
    std::int32_t m_maximo = 0;
    std::string m_velocidad;
};

class EnlacesTerminal final : public views::LinksView {
public:
    void setNumEnlaces(const std::string& text) override { numEnlaces = text; }
    void rebuildCheckList(const std::vector<std::string>&) override {}
    std::string numEnlaces;
};

} // namespace pordane::cli
