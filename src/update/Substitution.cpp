#include "update/Substitution.h"

namespace pordane::update {

std::string insertableFolder(std::string folder, PathStyle style)
{
    if (style == PathStyle::Posix) {
        if (folder.empty())
            return ".";
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder == "/" ? "/." : folder;
    }
    if (folder.empty())
        return ".";
    if (folder.back() != '\\')
        folder += '\\';
    if (folder.size() < 4 || folder[1] != ':')
        return folder + ".";
    folder.pop_back();
    return folder;
}

std::string substitutePath(std::string_view value, const FolderLookup& folders, PathStyle style)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < value.size()) {
        const std::size_t open = value.find('{', pos);
        if (open == std::string_view::npos)
            break;
        const std::size_t close = value.find('}', open + 1);
        if (close == std::string_view::npos)
            break;
        out.append(value.substr(pos, open - pos));
        std::string name(value.substr(open + 1, close - open - 1));
        for (char& c : name)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        const std::optional<std::string> folder = folders ? folders(name) : std::nullopt;
        out += folder ? insertableFolder(*folder, style) : std::string(".");
        pos = close + 1;
    }
    out.append(value.substr(pos < value.size() ? pos : value.size()));
    return out;
}

std::string substituteText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
            out += '\r';
            ++i;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string fileNameOfAddress(std::string_view address)
{
    for (char sep : {'/', '\\', '?'}) {
        const std::size_t at = address.rfind(sep);
        if (at != std::string_view::npos)
            address.remove_prefix(at + 1);
    }
    return std::string(address);
}

} // namespace pordane::update
