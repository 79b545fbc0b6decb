// Windows source of listListeningSockets(): still to be written. It will read
// GetExtendedTcpTable (TCP_TABLE_OWNER_PID_LISTENER) and GetExtendedUdpTable
// (UDP_TABLE_OWNER_PID) for AF_INET and AF_INET6, and name each PID through
// OpenProcess + QueryFullProcessImageNameW. Until then the page stays empty.
#ifdef _WIN32

#include "platform/ListeningSockets.h"

namespace pordane::platform {

std::vector<ListeningSocket> listListeningSockets()
{
    return {};
}

} // namespace pordane::platform

#endif
