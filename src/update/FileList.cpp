#include "update/FileList.h"

#include <algorithm>

namespace pordane::update {

namespace {

// Bounds the list of a hostile control file; real ones list a dozen files.
constexpr long long MaxFileEntries = 4096;

TFileDescription readEntry(const profile::ProfileFile& f, const std::string& section, const RuleContext& ctx)
{
    TFileDescription d;
    d.URL = ctx.path(f, section, "url");
    d.LocalVersion = ctx.path(f, section, "localversion");
    d.NewVersion = f.readString(section, "newversion");
    d.NewSize = f.readInteger(section, "newsize", 0);
    d.NewCheckSum = f.readInteger(section, "newchecksum", -1);
    d.NewCustomVer = substituteText(f.readString(section, "customversion"));
    d.NewDate = f.readString(section, "date");
    d.NewTime = f.readString(section, "time");
    d.Description = f.readString(section, "descr");
    d.TargetDir = ctx.path(f, section, "targetdir");
    if (!d.TargetDir.empty() && d.TargetDir.back() != '\\' && d.TargetDir.back() != '/')
        d.TargetDir += '\\';
    d.Sha256 = f.readString(section, "sha256");
    d.Compressed = f.readInteger(section, "compressed", 0) != 0;
    d.FileSize = f.readInteger(section, "filesize", 0);
    d.Mandatory = f.readInteger(section, "mandatory", 0) != 0;
    d.Hidden = f.readInteger(section, "hidden", 0) != 0;
    d.Preselect = f.readInteger(section, "preselect", 1) != 0;
    return d;
}

} // namespace

std::string RuleContext::path(const profile::ProfileFile& f, std::string_view section, std::string_view key) const
{
    return substitutePath(f.readString(section, key), folders, style);
}

std::filesystem::path RuleContext::native(std::string_view substituted) const
{
    if (substituted.empty())
        return {};
    return toNative ? toNative(substituted) : std::filesystem::path(std::string(substituted));
}

VersionCheck runVersionCheck(const profile::ProfileFile& f, const RuleContext& ctx)
{
    VersionCheck c;
    c.description = substituteText(f.readString("update", "descr"));
    const std::string date = f.readString("update", "date");
    const std::string local = ctx.path(f, "update", "localversion");
    if (!date.empty()) {
        c.newVersionDate = controlDateTime(date, f.readString("update", "time"));
        c.localFileDateCheck = local;
        const auto current = local.empty() ? std::nullopt : modificationTime(ctx.native(local));
        if (current.value_or(epoch1980()) < c.newVersionDate)
            c.result = VersionCheckResult::NewerByDate;
    }
    if (c.result == VersionCheckResult::NotNewer && !f.readString("update", "unconditional").empty())
        c.result = VersionCheckResult::Unconditional;
    if (c.result != VersionCheckResult::NotNewer)
        return c;

    ComparisonInput in;
    in.newVersion = f.readString("update", "newversion");
    in.newSize = f.readInteger("update", "newsize", 0);
    in.newChecksum = f.readInteger("update", "newchecksum", -1);
    in.localPath = ctx.native(local);
    c.reachedComparisonStep = true;
    c.newVersionInfo = in.newVersion;
    if (local.empty() || (in.newVersion.empty() && in.newSize <= 0 && in.newChecksum == -1))
        return c;
    const ComparisonResult r = compareWithLocal(in, ctx.readVersion);
    if (!r.newVersionText.empty())
        c.newVersionInfo = r.newVersionText;
    if (!r.newer)
        return c;
    if (in.newChecksum != -1)
        c.result = VersionCheckResult::NewerByChecksum;
    else if (in.newSize < 1)
        c.result = VersionCheckResult::NewerByVersion;
    else
        c.result = VersionCheckResult::NewerBySize;
    return c;
}

TFileList readFileList(const profile::ProfileFile& f, const RuleContext& ctx)
{
    TFileList list;
    const long long count = std::min<long long>({f.readInteger("files", "count", 0),
                                                 f.highestNumberedSection("file"), MaxFileEntries});
    for (long long n = 1; n <= count; ++n) {
        const std::string section = "file" + std::to_string(n);
        // A missing section reads as every key's default.
        list.push_back(f.hasSection(section) ? readEntry(f, section, ctx) : TFileDescription{});
    }
    return list;
}

TFileList filterFileList(TFileList list, const RuleContext& ctx)
{
    std::erase_if(list, [&](const TFileDescription& d) {
        if (!d.LocalVersion.empty() && !d.NewDate.empty()) {
            const auto modified = modificationTime(ctx.native(d.LocalVersion));
            return modified && *modified >= controlDateTime(d.NewDate, d.NewTime);
        }
        ComparisonInput in{d.NewVersion, ctx.native(d.LocalVersion), d.NewCheckSum, d.NewSize};
        return !compareWithLocal(in, ctx.readVersion).newer;
    });
    return list;
}

} // namespace pordane::update
