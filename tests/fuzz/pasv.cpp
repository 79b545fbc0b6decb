// The 227 reply parse and the rule choosing the data connection's address.
#include "ftp/PassiveAddress.h"
#include "FuzzInput.h"

#include <cstdlib>

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first four bytes are the control connection's peer, the rest the reply line.
    if (size < 4)
        return 0;
    const platform::IPv4 peer{uint32_t(data[0]) << 24 | uint32_t(data[1]) << 16 | uint32_t(data[2]) << 8 | data[3]};
    const auto endpoint = ftp::parsePasvReply(std::string(fuzz::asText(data + 4, size - 4)));
    if (!endpoint)
        return 0;
    if (endpoint->port == 0)
        std::abort();
    const platform::IPv4 target = ftp::passiveTarget(endpoint->address, peer);
    // Never anything but the announced address or the control peer.
    if (!(target == endpoint->address) && !(target == peer))
        std::abort();
    // A public peer is never traded for a private or local announcement.
    if (!ftp::isPrivateOrLocal(peer) && peer.value != 0 && ftp::isPrivateOrLocal(endpoint->address) &&
        !(target == peer))
        std::abort();
    return 0;
}
