#include "cli/Report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace pordane::cli {

namespace {

// ------------------------------------------------------------------- JSON

std::string text(const std::string& s)
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
    void open(char c, const char* key = nullptr, bool compact = false)
    {
        separar(key);
        m_out << c;
        m_levels.push_back({true, compact || (!m_levels.empty() && m_levels.back().compact)});
    }
    void close(char c)
    {
        const Level n = m_levels.back();
        m_levels.pop_back();
        if (!n.isEmpty && !n.compact)
            newLine();
        m_out << c;
    }
    void value(const char* key, const std::string& v) { separar(key), m_out << text(v); }
    void value(const char* key, const char* v) { value(key, std::string(v)); }
    void value(const char* key, long long v) { separar(key), m_out << v; }
    void value(const char* key, int v) { value(key, static_cast<long long>(v)); }
    void value(const char* key, bool v) { separar(key), m_out << (v ? "true" : "false"); }
    void null(const char* key) { separar(key), m_out << "null"; }
    void list(const char* key, const std::vector<std::string>& v)
    {
        open('[', key);
        for (const std::string& s : v)
            value(nullptr, s);
        close(']');
    }

private:
    struct Level {
        bool isEmpty;
        bool compact;
    };
    void separar(const char* key)
    {
        if (!m_levels.empty()) {
            Level& n = m_levels.back();
            if (!n.isEmpty)
                m_out << (n.compact ? ", " : ",");
            n.isEmpty = false;
            if (!n.compact)
                newLine();
        }
        if (key)
            m_out << text(key) << ": ";
    }
    void newLine() { m_out << '\n' << std::string(2 * m_levels.size(), ' '); }

    std::ostream& m_out;
    std::vector<Level> m_levels;
};

const char* outcomeText(Outcome r)
{
    switch (r) {
    case Outcome::Passed: return "correcto";
    case Outcome::HadFailures: return "fallo";
    case Outcome::Interrupted: return "interrumpido";
    case Outcome::NotTested: return "no_probado";
    case Outcome::NotRun: break;
    }
    return "";
}

void serverJson(Json& j, const ServerResult& s, bool isTest)
{
    j.open('{');
    j.value("numero", s.number);
    j.value("nombre", s.name);
    j.value("host", s.host);
    if (!isTest) {
        j.value("remoto", s.remoto);
        j.value("tipo", s.type);
        j.close('}');
        return;
    }
    j.value("resultado", outcomeText(s.outcome));
    j.open('[', "pasos");
    for (const Step& p : s.steps) {
        j.open('{', nullptr, true);
        j.value("paso", p.name);
        j.value("resultado", statusText(p.status));
        j.close('}');
    }
    j.close(']');
    j.open('{', "cifras");
    for (const auto& [name, v] : s.figures)
        j.value(name.c_str(), v);
    j.close('}');
    j.list("registro", s.log);
    j.list("mensajes", s.messages);
    j.close('}');
}

// ------------------------------------------------------------------ table

const char* mark(Status e, bool ascii)
{
    switch (e) {
    case Status::Ok: return ascii ? "OK" : "✓";
    case Status::Failed: return ascii ? "NO" : "✗";
    case Status::Warning: return ascii ? "AV" : "⚠";
    case Status::NotDone: break;
    }
    return "-";
}

std::string readableOutcomeText(Outcome r, bool ascii)
{
    switch (r) {
    case Outcome::Passed: return std::string(mark(Status::Ok, ascii)) + " correcto";
    case Outcome::HadFailures: return std::string(mark(Status::Warning, ascii)) + " con fallos";
    case Outcome::Interrupted: return "interrumpido";
    case Outcome::NotTested: return "no probado";
    case Outcome::NotRun: break;
    }
    return "";
}

void table(std::ostream& out, const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths(header.size(), 0);
    const auto measure = [&](const std::vector<std::string>& row) {
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], visibleWidth(row[c]));
    };
    measure(header);
    for (const auto& f : rows)
        measure(f);
    const auto line = [&](const std::vector<std::string>& row) {
        std::string s;
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            s += row[c];
            if (c + 1 < row.size())
                s += std::string(widths[c] - visibleWidth(row[c]) + 2, ' ');
        }
        out << s << '\n';
    };
    line(header);
    for (const auto& f : rows)
        line(f);
}

std::string figure(const ServerResult& s, const std::string& name, const std::string& unit)
{
    for (const auto& [n, v] : s.figures)
        if (n == name)
            return std::to_string(v) + unit;
    return "-";
}

} // namespace

const char* statusText(Status e)
{
    switch (e) {
    case Status::Ok: return "ok";
    case Status::Failed: return "fallo";
    case Status::Warning: return "aviso";
    case Status::NotDone: break;
    }
    return "no_realizado";
}

size_t visibleWidth(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                             [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string currentDate()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}

void writeJson(std::ostream& out, const Report& report)
{
    Json j(out);
    j.open('{');
    j.value("programa", "pordane-cli");
    j.value("version", report.version);
    j.value("fecha", report.date);
    j.value("orden", report.command);
    if (!report.modo.empty())
        j.value("modo", report.modo);
    if (report.sizeMB)
        j.value("tamano_mb", *report.sizeMB);
    j.value("interrumpido", report.interrupted);
    j.value("codigo_salida", report.exitCode);
    j.list("avisos", report.warnings);
    if (report.command == "puertos") {
        j.open('[', "puertos");
        for (const PortLine& p : report.ports) {
            j.open('{', nullptr, true);
            j.value("prueba", p.text);
            j.value("host", p.host);
            j.value("puerto", p.port);
            j.value("resultado", statusText(p.status));
            j.close('}');
        }
        j.close(']');
    } else if (report.command == "procesos") {
        j.open('[', "procesos");
        for (const ProcessEntry& p : report.processes) {
            j.open('{', nullptr, true);
            if (p.pid)
                j.value("pid", *p.pid);
            else
                j.null("pid");
            j.value("puerto", p.port);
            j.value("protocolo", p.protocol);
            j.value("proceso", p.name);
            j.close('}');
        }
        j.close(']');
    } else {
        j.open('[', "servidores");
        for (const ServerResult& s : report.servers)
            serverJson(j, s, report.command != "servidores");
        j.close(']');
    }
    j.close('}');
    out << '\n';
}

void writeTable(std::ostream& out, const Report& report, bool ascii)
{
    std::vector<std::vector<std::string>> rows;
    if (report.command == "servidores") {
        for (const ServerResult& s : report.servers)
            rows.push_back({std::to_string(s.number), s.name, s.host, s.remoto.empty() ? "-" : s.remoto, s.type});
        table(out, {"Num", "Servidor", "Host", "Remoto", "Tipo"}, rows);
    } else if (report.command == "puertos") {
        for (const PortLine& p : report.ports)
            rows.push_back({mark(p.status, ascii), p.text});
        table(out, {"", "Prueba"}, rows);
    } else if (report.command == "procesos") {
        for (const ProcessEntry& p : report.processes)
            rows.push_back({p.pid ? std::to_string(*p.pid) : "-", std::to_string(p.port), p.protocol, p.name});
        table(out, {"PID", "Puerto", "Proto", "Proceso"}, rows);
    } else {
        std::vector<std::string> header{"Servidor"};
        const bool speed = report.command == "velocidad";
        const bool connectivity = report.command == "conectividad";
        if (!report.servers.empty())
            for (const Step& p : report.servers.front().steps)
                header.push_back(p.name);
        if (speed)
            header.insert(header.end(), {"Subida", "Descarga"});
        if (connectivity)
            header.insert(header.end(), {"Correctos", "Fallidos"});
        header.push_back("Resultado");
        for (const ServerResult& s : report.servers) {
            std::vector<std::string> f{s.name};
            for (const Step& p : s.steps)
                f.push_back(mark(p.status, ascii));
            if (speed) {
                f.push_back(figure(s, "subida_kbs", " KB/s") + " " + figure(s, "subida_segundos", " s"));
                f.push_back(figure(s, "descarga_kbs", " KB/s") + " " + figure(s, "descarga_segundos", " s"));
            }
            if (connectivity) {
                f.push_back(figure(s, "ciclos_correctos", "") + "/" + figure(s, "ciclos", ""));
                f.push_back(figure(s, "ciclos_fallidos", ""));
            }
            f.push_back(readableOutcomeText(s.outcome, ascii));
            rows.push_back(std::move(f));
        }
        table(out, header, rows);
    }
    for (const std::string& a : report.warnings)
        out << "Aviso: " << a << '\n';
    if (report.interrupted)
        out << "Interrumpido con Ctrl-C: la transferencia en curso se canceló.\n";
    if (ascii && report.command != "servidores" && report.command != "procesos")
        out << "OK correcto, NO fallo, AV aviso, - no realizado\n";
}

} // namespace pordane::cli
