#include "cli/Report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace pordane::cli {

namespace {

// ------------------------------------------------------------------- JSON

std::string cadena(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\u%04x", u);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// Writes one JSON value at a time with the commas and indentation between;
// a compact object (a step, a probe, a process) stays on one line.
class Json {
public:
    explicit Json(std::ostream& out) : m_out(out) {}
    void abrir(char c, const char* clave = nullptr, bool compacto = false)
    {
        separar(clave);
        m_out << c;
        m_niveles.push_back({true, compacto || (!m_niveles.empty() && m_niveles.back().compacto)});
    }
    void cerrar(char c)
    {
        const Nivel n = m_niveles.back();
        m_niveles.pop_back();
        if (!n.vacio && !n.compacto)
            nuevaLinea();
        m_out << c;
    }
    void valor(const char* clave, const std::string& v) { separar(clave), m_out << cadena(v); }
    void valor(const char* clave, const char* v) { valor(clave, std::string(v)); }
    void valor(const char* clave, long long v) { separar(clave), m_out << v; }
    void valor(const char* clave, int v) { valor(clave, static_cast<long long>(v)); }
    void valor(const char* clave, bool v) { separar(clave), m_out << (v ? "true" : "false"); }
    void nulo(const char* clave) { separar(clave), m_out << "null"; }
    void lista(const char* clave, const std::vector<std::string>& v)
    {
        abrir('[', clave);
        for (const std::string& s : v)
            valor(nullptr, s);
        cerrar(']');
    }

private:
    struct Nivel {
        bool vacio;
        bool compacto;
    };
    void separar(const char* clave)
    {
        if (!m_niveles.empty()) {
            Nivel& n = m_niveles.back();
            if (!n.vacio)
                m_out << (n.compacto ? ", " : ",");
            n.vacio = false;
            if (!n.compacto)
                nuevaLinea();
        }
        if (clave)
            m_out << cadena(clave) << ": ";
    }
    void nuevaLinea() { m_out << '\n' << std::string(2 * m_niveles.size(), ' '); }

    std::ostream& m_out;
    std::vector<Nivel> m_niveles;
};

const char* textoResultado(Resultado r)
{
    switch (r) {
    case Resultado::Correcto: return "correcto";
    case Resultado::ConFallos: return "fallo";
    case Resultado::Interrumpido: return "interrumpido";
    case Resultado::NoProbado: return "no_probado";
    case Resultado::SinProbar: break;
    }
    return "";
}

void servidorJson(Json& j, const ResultadoServidor& s, bool prueba)
{
    j.abrir('{');
    j.valor("numero", s.numero);
    j.valor("nombre", s.nombre);
    j.valor("host", s.host);
    if (!prueba) {
        j.valor("remoto", s.remoto);
        j.valor("tipo", s.tipo);
        j.cerrar('}');
        return;
    }
    j.valor("resultado", textoResultado(s.resultado));
    j.abrir('[', "pasos");
    for (const Paso& p : s.pasos) {
        j.abrir('{', nullptr, true);
        j.valor("paso", p.nombre);
        j.valor("resultado", textoEstado(p.estado));
        j.cerrar('}');
    }
    j.cerrar(']');
    j.abrir('{', "cifras");
    for (const auto& [nombre, v] : s.cifras)
        j.valor(nombre.c_str(), v);
    j.cerrar('}');
    j.lista("registro", s.registro);
    j.lista("mensajes", s.mensajes);
    j.cerrar('}');
}

// ------------------------------------------------------------------ table

const char* marca(Estado e, bool ascii)
{
    switch (e) {
    case Estado::Ok: return ascii ? "OK" : "✓";
    case Estado::Fallo: return ascii ? "NO" : "✗";
    case Estado::Aviso: return ascii ? "AV" : "⚠";
    case Estado::NoRealizado: break;
    }
    return "-";
}

std::string textoResultadoLegible(Resultado r, bool ascii)
{
    switch (r) {
    case Resultado::Correcto: return std::string(marca(Estado::Ok, ascii)) + " correcto";
    case Resultado::ConFallos: return std::string(marca(Estado::Aviso, ascii)) + " con fallos";
    case Resultado::Interrumpido: return "interrumpido";
    case Resultado::NoProbado: return "no probado";
    case Resultado::SinProbar: break;
    }
    return "";
}

void tabla(std::ostream& out, const std::vector<std::string>& cabecera, const std::vector<std::vector<std::string>>& filas)
{
    std::vector<size_t> ancho(cabecera.size(), 0);
    const auto medir = [&](const std::vector<std::string>& fila) {
        for (size_t c = 0; c < fila.size() && c < ancho.size(); ++c)
            ancho[c] = std::max(ancho[c], anchoVisible(fila[c]));
    };
    medir(cabecera);
    for (const auto& f : filas)
        medir(f);
    const auto linea = [&](const std::vector<std::string>& fila) {
        std::string s;
        for (size_t c = 0; c < fila.size() && c < ancho.size(); ++c) {
            s += fila[c];
            if (c + 1 < fila.size())
                s += std::string(ancho[c] - anchoVisible(fila[c]) + 2, ' ');
        }
        out << s << '\n';
    };
    linea(cabecera);
    for (const auto& f : filas)
        linea(f);
}

std::string cifra(const ResultadoServidor& s, const std::string& nombre, const std::string& unidad)
{
    for (const auto& [n, v] : s.cifras)
        if (n == nombre)
            return std::to_string(v) + unidad;
    return "-";
}

} // namespace

const char* textoEstado(Estado e)
{
    switch (e) {
    case Estado::Ok: return "ok";
    case Estado::Fallo: return "fallo";
    case Estado::Aviso: return "aviso";
    case Estado::NoRealizado: break;
    }
    return "no_realizado";
}

size_t anchoVisible(const std::string& texto)
{
    return static_cast<size_t>(std::count_if(texto.begin(), texto.end(),
                                             [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string fechaActual()
{
    const std::time_t ahora = std::time(nullptr);
    char texto[32] = {};
    if (const std::tm* utc = std::gmtime(&ahora))
        std::strftime(texto, sizeof texto, "%Y-%m-%dT%H:%M:%SZ", utc);
    return texto;
}

void escribirJson(std::ostream& out, const Report& informe)
{
    Json j(out);
    j.abrir('{');
    j.valor("programa", "pordane-cli");
    j.valor("version", informe.version);
    j.valor("fecha", informe.fecha);
    j.valor("orden", informe.orden);
    if (!informe.modo.empty())
        j.valor("modo", informe.modo);
    if (informe.tamanoMB)
        j.valor("tamano_mb", *informe.tamanoMB);
    j.valor("interrumpido", informe.interrumpido);
    j.valor("codigo_salida", informe.codigoSalida);
    j.lista("avisos", informe.avisos);
    if (informe.orden == "puertos") {
        j.abrir('[', "puertos");
        for (const LineaPuerto& p : informe.puertos) {
            j.abrir('{', nullptr, true);
            j.valor("prueba", p.texto);
            j.valor("host", p.host);
            j.valor("puerto", p.puerto);
            j.valor("resultado", textoEstado(p.estado));
            j.cerrar('}');
        }
        j.cerrar(']');
    } else if (informe.orden == "procesos") {
        j.abrir('[', "procesos");
        for (const Proceso& p : informe.procesos) {
            j.abrir('{', nullptr, true);
            if (p.pid)
                j.valor("pid", *p.pid);
            else
                j.nulo("pid");
            j.valor("puerto", p.puerto);
            j.valor("protocolo", p.protocolo);
            j.valor("proceso", p.nombre);
            j.cerrar('}');
        }
        j.cerrar(']');
    } else {
        j.abrir('[', "servidores");
        for (const ResultadoServidor& s : informe.servidores)
            servidorJson(j, s, informe.orden != "servidores");
        j.cerrar(']');
    }
    j.cerrar('}');
    out << '\n';
}

void escribirTabla(std::ostream& out, const Report& informe, bool ascii)
{
    std::vector<std::vector<std::string>> filas;
    if (informe.orden == "servidores") {
        for (const ResultadoServidor& s : informe.servidores)
            filas.push_back({std::to_string(s.numero), s.nombre, s.host, s.remoto.empty() ? "-" : s.remoto, s.tipo});
        tabla(out, {"Num", "Servidor", "Host", "Remoto", "Tipo"}, filas);
    } else if (informe.orden == "puertos") {
        for (const LineaPuerto& p : informe.puertos)
            filas.push_back({marca(p.estado, ascii), p.texto});
        tabla(out, {"", "Prueba"}, filas);
    } else if (informe.orden == "procesos") {
        for (const Proceso& p : informe.procesos)
            filas.push_back({p.pid ? std::to_string(*p.pid) : "-", std::to_string(p.puerto), p.protocolo, p.nombre});
        tabla(out, {"PID", "Puerto", "Proto", "Proceso"}, filas);
    } else {
        std::vector<std::string> cabecera{"Servidor"};
        const bool velocidad = informe.orden == "velocidad";
        const bool conectividad = informe.orden == "conectividad";
        if (!informe.servidores.empty())
            for (const Paso& p : informe.servidores.front().pasos)
                cabecera.push_back(p.nombre);
        if (velocidad)
            cabecera.insert(cabecera.end(), {"Subida", "Descarga"});
        if (conectividad)
            cabecera.insert(cabecera.end(), {"Correctos", "Fallidos"});
        cabecera.push_back("Resultado");
        for (const ResultadoServidor& s : informe.servidores) {
            std::vector<std::string> f{s.nombre};
            for (const Paso& p : s.pasos)
                f.push_back(marca(p.estado, ascii));
            if (velocidad) {
                f.push_back(cifra(s, "subida_kbs", " KB/s") + " " + cifra(s, "subida_segundos", " s"));
                f.push_back(cifra(s, "descarga_kbs", " KB/s") + " " + cifra(s, "descarga_segundos", " s"));
            }
            if (conectividad) {
                f.push_back(cifra(s, "ciclos_correctos", "") + "/" + cifra(s, "ciclos", ""));
                f.push_back(cifra(s, "ciclos_fallidos", ""));
            }
            f.push_back(textoResultadoLegible(s.resultado, ascii));
            filas.push_back(std::move(f));
        }
        tabla(out, cabecera, filas);
    }
    for (const std::string& a : informe.avisos)
        out << "Aviso: " << a << '\n';
    if (informe.interrumpido)
        out << "Interrumpido con Ctrl-C: la transferencia en curso se canceló.\n";
    if (ascii && informe.orden != "servidores" && informe.orden != "procesos")
        out << "OK correcto, NO fallo, AV aviso, - no realizado\n";
}

} // namespace pordane::cli
