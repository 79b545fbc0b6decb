#include "platform/Terminal.h"

#include <iostream>

namespace pordane::platform {

std::optional<std::string> readInputLine()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace pordane::platform
