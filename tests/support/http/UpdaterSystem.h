// The updater's system for tests: {APP} and the program's folder are `app`,
// paths in the Linux style, matched without regard to case. Tests add the
// actions and the restarter they need.
#pragma once

#include "platform/base/PathMatch.h"
#include "update/TUpdater.h"

namespace pordane::testsupport {

inline update::TUpdaterSystem updaterSystemIn(const std::filesystem::path& app)
{
    update::TUpdaterSystem s;
    s.rules.folders = [app](const std::string& name) -> std::optional<std::string> {
        return name == "APP" ? std::optional<std::string>(app.string()) : std::nullopt;
    };
    s.rules.style = update::PathStyle::Posix;
    s.rules.toNative = [](std::string_view p) { return platform::controlPathToNative(p); };
    s.programFolder = [app] { return app; };
    return s;
}

} // namespace pordane::testsupport
