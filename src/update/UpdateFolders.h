// The folders behind the control file's prefixes on this system.
#pragma once

#include "update/FileList.h"

#include <string>

namespace pordane::update {

// {APP} {DOC} {LAD} {APPDATA} from the system's special folders, {WIN} and
// {SYS} from the Windows folders (on Linux those of the Wine prefix, when it
// has them), {PF} from "ProgramFiles" when set, {TMP} `tempDirectory`.
FolderLookup systemFolders(std::string tempDirectory);

// The rule context of this system: its folders, path style, path mapping
// and version-resource reader.
RuleContext systemRuleContext(std::string tempDirectory);

} // namespace pordane::update
