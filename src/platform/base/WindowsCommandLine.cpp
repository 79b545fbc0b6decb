#include "platform/base/WindowsCommandLine.h"

namespace pordane::platform {

namespace {

bool isSeparator(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::vector<std::string> splitCommandLine(std::string_view line)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        if (i >= line.size())
            return out;
        std::string arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || !isSeparator(line[i])); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                arg.push_back(line[i]);
        }
        out.push_back(std::move(arg));
    }
}

std::string joinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const auto& arg : arguments) {
        if (!line.empty())
            line.push_back(' ');
        bool blank = arg.empty();
        for (char c : arg)
            blank = blank || isSeparator(c);
        line += blank ? "\"" + arg + "\"" : arg;
    }
    return line;
}

} // namespace pordane::platform
