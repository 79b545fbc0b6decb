// The file list of the control file ([files] count, [file1] ... [fileN]) and
// the rules that decide what the update looks at: the version check with its
// six results and the filter of the list.
#pragma once

#include "update/profile/ProfileFile.h"
#include "update/Substitution.h"
#include "update/VersionRules.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pordane::update {

struct TFileDescription {
    std::string URL;           // paths: substituted
    std::string NewVersion;
    int64_t NewSize = 0;
    int32_t NewCheckSum = -1;
    std::string NewCustomVer;
    std::string NewDate;
    std::string NewTime;
    std::string LocalVersion;  // paths: substituted
    std::string Description;
    std::string TargetDir;     // paths: substituted, final backslash added
    std::string Sha256;        // hex; required in signed mode
    bool Compressed = false;
    bool Mandatory = false;
    bool Preselect = true;
    bool Hidden = false;
    int64_t FileSize = 0;
};

using TFileList = std::vector<TFileDescription>;

// How path values become paths of this system and how versions are read.
struct RuleContext {
    FolderLookup folders;
    PathStyle style = PathStyle::Windows;
    std::function<std::filesystem::path(std::string_view)> toNative;
    VersionReader readVersion = nullptr;

    std::string path(const profile::ProfileFile& f, std::string_view section, std::string_view key) const;
    std::filesystem::path native(std::string_view substituted) const;
};

enum class VersionCheckResult { NotNewer, NewerByDate, Unconditional, NewerByChecksum, NewerByVersion, NewerBySize };

struct VersionCheck {
    VersionCheckResult result = VersionCheckResult::NotNewer;
    std::string description;
    bool reachedComparisonStep = false; // only then is FNewVersionInfo set
    std::string newVersionInfo;
    std::time_t newVersionDate = 0;  // FNewVersionDate (0 when no date)
    std::string localFileDateCheck;  // FLocalFileDateCheck
};

VersionCheck runVersionCheck(const profile::ProfileFile& f, const RuleContext& ctx);

// Reads [file1] ... [fileN] for N up to [files] "count", but never beyond the
// highest numbered section the file holds, nor beyond 4096 entries: a count
// of 2^31-1 or a negative count cannot make the list larger than the file.
TFileList readFileList(const profile::ProfileFile& f, const RuleContext& ctx);

// Keeps the entries the date rule or the comparison rule calls newer.
TFileList filterFileList(TFileList list, const RuleContext& ctx);

} // namespace pordane::update
