#include "platform/LzExpand.h"

namespace pordane::platform {

// A POSIX executable carries no resources.
ResourceExpansion expandProgramResource(const wchar_t*, const std::filesystem::path&)
{
    return {};
}

} // namespace pordane::platform
