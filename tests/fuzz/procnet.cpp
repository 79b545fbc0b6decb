// The /proc/net socket tables.
#include "platform/ProcNet.h"
#include "FuzzInput.h"

using namespace pordane::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = pordane::fuzz::asText(data, size);
    (void)procnet::parseTable(text, SocketProtocol::TCP);
    (void)procnet::parseTable(text, SocketProtocol::UDP);
    return 0;
}
