// A small world for the restarter's tests: a program folder holding "probe"
// (a shell program standing in for Pordane, version 1), its downloaded
// "probe_new" (version 2, without execute bits, as a download arrives) and a
// documents folder. Each version, when started, writes "marker" in its
// current folder: its version, its argument count and its arguments.
#pragma once

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace pordane::testsupport {

inline std::string probeScript(const std::string& version)
{
    return "#!/bin/sh\n"
           "[ \"$1\" = --hold ] && exec sleep 60\n"
           "printf '%s\\n' " + version + " \"$#\" \"$@\" > marker.tmp && mv marker.tmp marker\n";
}

class ProbeWorld {
public:
    ProbeWorld()
    {
        std::filesystem::create_directories(app);
        std::filesystem::create_directories(documents);
        writeAll(app / "probe", probeScript("v1"));
        std::filesystem::permissions(app / "probe", std::filesystem::perms(0755));
        writeAll(app / "probe_new", probeScript("v2"));
        std::filesystem::permissions(app / "probe_new", std::filesystem::perms(0644));
    }

    // Waits for the marker of a started probe, at most `limit`.
    std::string marker(std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!std::filesystem::exists(app / "marker") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return readAll(app / "marker");
    }

    bool replaced() const { return readAll(app / "probe") == probeScript("v2"); }

    TempDir root;
    // A blank in the folder name, as in "Program Files".
    const std::filesystem::path app = root / "my app";
    const std::filesystem::path documents = root / "docs";
};

} // namespace pordane::testsupport
