#include "cli/TerminalViews.h"

#include "cli/Report.h"
#include "ftptests/TestPermisos.h"
#include "ftptests/TestVelocidad.h"

#include <algorithm>
#include <stdexcept>

namespace pordane::cli {

Estado estadoDeImagen(int imagen)
{
    namespace image = views::image;
    switch (imagen) {
    case image::Passed: return Estado::Ok;
    case image::Failed: return Estado::Fallo;
    case image::Warning: return Estado::Aviso;
    default: return Estado::NoRealizado;
    }
}

// ---------------------------------------------------------- progress line

void LineaProgreso::servidor(const std::string& texto)
{
    m_servidor = texto;
    m_paso.clear();
    m_detalle.clear();
    pintar(true);
}

void LineaProgreso::paso(const std::string& texto)
{
    m_paso = texto;
    m_detalle.clear();
    pintar(true);
}

void LineaProgreso::detalle(const std::string& texto)
{
    if (texto == m_detalle)
        return;
    m_detalle = texto;
    pintar(false);
}

void LineaProgreso::refrescar()
{
    if (m_pendiente)
        pintar(false);
}

void LineaProgreso::borrar()
{
    if (!m_activa || !m_pintada)
        return;
    m_err << "\r\033[K" << std::flush;
    m_pintada = false;
}

void LineaProgreso::pintar(bool siempre)
{
    if (!m_activa)
        return;
    const auto ahora = std::chrono::steady_clock::now();
    if (!siempre && ahora - m_ultima < std::chrono::milliseconds(100)) {
        m_pendiente = true;
        return;
    }
    m_pendiente = false;
    m_ultima = ahora;
    std::string linea = m_servidor;
    for (const std::string* parte : {&m_paso, &m_detalle})
        if (!parte->empty())
            linea += (linea.empty() ? "" : " · ") + *parte;
    // Cut at a code point boundary so the line never wraps.
    size_t columnas = 0;
    size_t corte = 0;
    while (corte < linea.size()) {
        if ((static_cast<unsigned char>(linea[corte]) & 0xC0) != 0x80 && ++columnas > m_columnas)
            break;
        ++corte;
    }
    linea.resize(corte);
    m_err << "\r\033[K" << linea << std::flush;
    m_pintada = true;
}

// -------------------------------------------------------------------- log

void RegistroTerminal::appendLine(const std::string& line)
{
    lineas.push_back(line);
    m_progreso.paso(line);
}

void RegistroTerminal::completeLastLine(const std::string& suffix)
{
    if (lineas.empty())
        lineas.emplace_back();
    lineas.back() += suffix;
    m_progreso.paso(lineas.back());
}

// ------------------------------------------------------------ result list

int ListaResultados::addRow(const std::string& caption, const std::vector<std::string>& cells, int rowImage)
{
    filas.push_back({caption, cells, {}, rowImage});
    return static_cast<int>(filas.size()) - 1;
}

ListaResultados::Fila& ListaResultados::fila(int row)
{
    if (row < 0 || row >= rowCount())
        throw std::out_of_range("fila fuera de la lista: " + std::to_string(row));
    return filas[static_cast<size_t>(row)];
}

std::string ListaResultados::cellText(int row, int cell) const
{
    const Fila& f = const_cast<ListaResultados*>(this)->fila(row);
    return cell >= 0 && static_cast<size_t>(cell) < f.cells.size() ? f.cells[static_cast<size_t>(cell)] : "";
}

void ListaResultados::setCell(int row, int cell, const std::string& text)
{
    if (cell < 0)
        throw std::out_of_range("celda fuera de la lista: " + std::to_string(cell));
    Fila& f = fila(row);
    if (static_cast<size_t>(cell) >= f.cells.size())
        f.cells.resize(static_cast<size_t>(cell) + 1);
    f.cells[static_cast<size_t>(cell)] = text;
    if (alCambiarCelda)
        alCambiarCelda(row, cell);
}

int ListaResultados::imagen(int row, int cell) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    const auto& imagenes = filas[static_cast<size_t>(row)].cellImages;
    const auto it = imagenes.find(cell);
    return it == imagenes.end() ? -1 : it->second;
}

// -------------------------------------------------------------- task list

void ListaTareas::mark(int line, int image, bool)
{
    if (line < 0 || line >= count())
        throw std::out_of_range("línea fuera de la lista: " + std::to_string(line));
    imagenes[static_cast<size_t>(line)] = image;
    if (image == views::image::Running && static_cast<size_t>(line) < m_textos.size())
        m_progreso.paso(m_textos[static_cast<size_t>(line)]);
}

// ------------------------------------------------------------------ pages

PermisosTerminal::PermisosTerminal(LineaProgreso& progreso) : tareas(ftptests::permisos::NumTareas, progreso) {}

VelocidadTerminal::VelocidadTerminal(LineaProgreso& progreso, const ftp::SpeedState& speed) : m_progreso(progreso)
{
    lista.alCambiarCelda = [this, &speed](int, int cell) {
        Medida* m = cell == ftptests::velocidad::CeldaSubida     ? &subida
                    : cell == ftptests::velocidad::CeldaDescarga ? &descarga
                                                                 : nullptr;
        if (!m)
            return;
        // The test has just timed the transfer and not yet started the next.
        m->hecha = true;
        m->kbs = ftp::redondeoPar(speed.VelocidadKBs);
        m->segundos = speed.SegundosTransfer;
    };
}

long long ConectividadTerminal::numero(const std::string& text)
{
    try {
        return std::stoll(text);
    } catch (const std::exception&) {
        return 0;
    }
}

void ConectividadTerminal::setLabelInfoCiclo(const std::string& text)
{
    ciclos = numero(text);
    m_progreso.detalle("ciclo " + text);
}

void PreparacionTerminal::setPanelVisible(bool visible)
{
    if (visible)
        m_progreso.paso("Preparando archivos de prueba");
}

void PreparacionTerminal::setGauge(int position)
{
    m_progreso.detalle(std::to_string(position) + "/4");
}

void ProgresoTransferencia::porcentaje(std::int32_t progress)
{
    std::string texto;
    if (m_maximo > 0)
        texto = std::to_string(std::clamp<long long>(100LL * progress / m_maximo, 0, 100)) + " %";
    else
        texto = std::to_string(progress / 1024) + " KB";
    if (!m_velocidad.empty() && m_velocidad.rfind("0 ", 0) != 0)
        texto += "  " + m_velocidad;
    m_progreso.detalle(texto);
}

} // namespace pordane::cli
