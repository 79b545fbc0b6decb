// What a run of pordane-cli found, and its two forms: a readable table with
// ticks and crosses, and a JSON report for scripts (fields in docs/cli.md).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace pordane::cli {

enum class Status { Ok, Failed, Warning, NotDone };

// "ok", "fallo", "aviso", "no_realizado".
const char* statusText(Status e);

struct Step {
    std::string name;
    Status status = Status::NotDone;
};

enum class Outcome { Passed, HadFailures, Interrupted, NotTested, NotRun };

struct ServerResult {
    int number = 0; // entry of the server table, 1-based
    std::string name;
    std::string host;
    std::string remoto;
    std::string type; // "propio", "portal", "personal"
    Outcome outcome = Outcome::NotRun;
    std::vector<Step> steps;
    std::vector<std::pair<std::string, long long>> figures;
    std::vector<std::string> log;
    std::vector<std::string> messages;
};

struct PortLine {
    std::string text;
    std::string host;
    int port = 0;
    Status status = Status::NotDone;
};

struct ProcessEntry {
    std::optional<long long> pid;
    long long port = 0;
    std::string protocol;
    std::string name;
};

struct Report {
    std::string command;
    std::string version;
    std::string date; // UTC, ISO 8601
    std::string modo;  // "pasivo", "activo"; empty outside the FTP tests
    std::optional<int> sizeMB;
    bool interrupted = false;
    int exitCode = 0;
    std::vector<std::string> warnings;
    std::vector<ServerResult> servers;
    std::vector<PortLine> ports;
    std::vector<ProcessEntry> processes;
};

// Now, as Report::date holds it.
std::string currentDate();

void writeJson(std::ostream& out, const Report& report);
void writeTable(std::ostream& out, const Report& report, bool ascii);

// Columns a UTF-8 text takes on a terminal (one per code point).
size_t visibleWidth(const std::string& text);

} // namespace pordane::cli
