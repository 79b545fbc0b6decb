// HTTP GET as the updater needs it: an access handle (the "connection") that
// opens requests, each giving a status, the announced length and the body in
// blocks. Linux: libcurl's multi interface; Windows: WinINet.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pordane::platform {

struct HttpTimeouts {
    // Until the server accepts the connection (a silent host never does).
    std::chrono::milliseconds connect{60000};
    // Longest time without a byte of the response before the request fails.
    std::chrono::milliseconds stall{30000};
};

class HttpRequest {
public:
    virtual ~HttpRequest() = default;

    // The final status after redirects.
    virtual int status() const = 0;
    // Content-Length of the final response; -1 when it gives none.
    virtual int64_t contentLength() const = 0;

    static constexpr long ReadError = -1;
    static constexpr long ReadAbandoned = -2;

    // Up to `max` bytes of the body; 0 at its end, ReadError on a failure
    // (time-out, broken connection, bad encoding). While it waits for the
    // server it calls `idle` at least every 20 ms; when `idle` returns false
    // it gives up the wait with ReadAbandoned.
    virtual long read(char* buffer, std::size_t max, const std::function<bool()>& idle) = 0;
};

class HttpConnection {
public:
    virtual ~HttpConnection() = default;

    // GET `url` without cache (reload, no cache write, "Pragma: no-cache"),
    // redirects followed between http and https only. Blocks until the final
    // response's headers arrived; nullptr when the request cannot be opened
    // (bad address, refused, time-out, redirect loop or to another scheme).
    virtual std::unique_ptr<HttpRequest> open(const std::string& url) = 0;
};

// The access handle with the user agent `agent`; nullptr when it cannot be made.
std::unique_ptr<HttpConnection> openHttpConnection(const std::string& agent, const HttpTimeouts& timeouts);

using HttpConnectionFactory = std::function<std::unique_ptr<HttpConnection>(const std::string& agent, const HttpTimeouts&)>;

// The "connected?" step before a check: true when the system reports an
// Internet connection or could dial one without asking (Windows); addresses
// holding "127.0.0.1" never dial. Linux has no dial-up step: always true.
bool ensureInternetConnection(const std::string& url);

} // namespace pordane::platform
