// The 227 reply parse and the rule that keeps the data connection on the control peer.
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
    const ftp::PassiveTarget target = ftp::passiveTarget(endpoint->address, peer);
    // The data connection never goes anywhere but the control peer.
    if (!(target.address == peer))
        std::abort();
    // Only another real host is reported as a difference.
    if (target.differs && (endpoint->address == peer || endpoint->address.value == 0))
        std::abort();
    (void)ftp::passiveNotice(endpoint->address, peer);
    return 0;
}
