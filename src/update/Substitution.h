// The substitutions of control-file values: folder prefixes ("{APP}\x") in
// paths, "\n" in texts, and the file name of an address.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::update {

// The folder a prefix name stands for ("APP", "WIN", ... upper-case); nullopt
// for a name it does not know, which then becomes ".".
using FolderLookup = std::function<std::optional<std::string>(const std::string& name)>;

enum class PathStyle { Windows, Posix };

// How a folder is inserted. Windows: without a final backslash, except that a
// folder that with one is shorter than four characters or lacks the drive
// colon keeps it and gets "." ("C:\." for a drive root, "." for nothing).
// Posix: without a final "/", the root as "/.", nothing as ".".
std::string insertableFolder(std::string folder, PathStyle style);

// Each "{NAME}" (closed by the next "}") replaced by its folder; scanning
// goes on after the inserted text, so a folder holding braces is kept as is.
std::string substitutePath(std::string_view value, const FolderLookup& folders, PathStyle style);

// Every backslash followed by "n" becomes one carriage return.
std::string substituteText(std::string_view value);

// The text after the last "/", then after the last "\", then after the last "?".
std::string fileNameOfAddress(std::string_view address);

} // namespace pordane::update
