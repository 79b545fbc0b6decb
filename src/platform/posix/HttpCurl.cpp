// The HTTP backend on Linux: libcurl's multi interface, driven by the caller
// in slices so the window's pump keeps running while a body arrives.
#include "platform/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <mutex>

namespace pordane::platform {

namespace {

constexpr long MaxRedirects = 10;
constexpr int SliceMs = 20;
constexpr long ReceiveBuffer = 64 * 1024;
// One perform may loop over many socket reads; past this much unread body
// the transfer pauses, so memory stays bounded and the pump keeps its pace.
constexpr std::size_t PauseAbove = 64 * 1024;

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

class CurlRequest final : public HttpRequest {
public:
    CurlRequest(const std::string& url, const std::string& agent, const HttpTimeouts& timeouts)
        : m_multi(curl_multi_init()), m_easy(curl_easy_init()), m_stall(timeouts.stall)
    {
        m_headers = curl_slist_append(m_headers, "Pragma: no-cache");
        m_headers = curl_slist_append(m_headers, "Cache-Control: no-cache");
        // The body ends where the server closes: a body longer than its
        // Content-Length is then seen (and refused) instead of being cut off.
        m_headers = curl_slist_append(m_headers, "Connection: close");
        curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_easy, CURLOPT_USERAGENT, agent.c_str());
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, MaxRedirects);
        curl_easy_setopt(m_easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        // Larger socket reads than curl's 16 KiB: the caller takes 4096 bytes
        // at a time from the buffer, and fewer receives cost less.
        curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, ReceiveBuffer);
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlRequest::onHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlRequest::onBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        curl_multi_add_handle(m_multi, m_easy);
    }

    ~CurlRequest() override
    {
        curl_multi_remove_handle(m_multi, m_easy);
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        curl_slist_free_all(m_headers);
    }

    // Drives the transfer until the final response's headers are in.
    bool waitForHeaders()
    {
        while (!m_headersDone && !m_done && !stalled())
            step(100);
        return m_headersDone && (!m_done || m_result == CURLE_OK);
    }

    int status() const override { return m_status; }
    int64_t contentLength() const override { return m_contentLength; }

    long read(char* buffer, std::size_t max, const std::function<bool()>& idle) override
    {
        while (m_buffer.size() == m_offset && !m_done) {
            if (m_paused) {
                m_paused = false;
                curl_easy_pause(m_easy, CURLPAUSE_CONT); // may deliver the held data at once
                continue;
            }
            if (idle && !idle())
                return ReadAbandoned;
            if (stalled())
                return ReadError;
            step(SliceMs);
        }
        if (m_buffer.size() > m_offset) {
            const std::size_t n = std::min(max, m_buffer.size() - m_offset);
            std::memcpy(buffer, m_buffer.data() + m_offset, n);
            m_offset += n;
            if (m_offset == m_buffer.size()) {
                m_buffer.clear();
                m_offset = 0;
            }
            return static_cast<long>(n);
        }
        return m_result == CURLE_OK ? 0 : ReadError;
    }

private:
    // curl's low-speed limit averages over several seconds; a stall is
    // measured here instead: the time since the last byte once connected.
    bool stalled()
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_connected) {
            curl_off_t connectTime = 0;
            if (curl_easy_getinfo(m_easy, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0) {
                m_connected = true;
                m_lastActivity = now;
            }
            return false;
        }
        return now - m_lastActivity > m_stall;
    }

    void step(int waitMs)
    {
        int running = 0;
        curl_multi_perform(m_multi, &running);
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(m_multi, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                m_done = true;
                m_result = msg->data.result;
            }
        }
        if (!m_done && m_buffer.size() == m_offset && !m_paused)
            curl_multi_poll(m_multi, nullptr, 0, waitMs, nullptr);
    }

    // "HTTP/1.1 301 Moved", "Location: ...", "Content-Length: 123", then a
    // blank line. A block whose status is 1xx, or 3xx with a Location that
    // curl follows, is not the final response.
    static size_t onHeader(char* data, size_t size, size_t count, void* self)
    {
        auto* r = static_cast<CurlRequest*>(self);
        const std::string_view line(data, size * count);
        r->m_lastActivity = std::chrono::steady_clock::now();
        if (startsWithIgnoreCase(line, "HTTP/")) {
            r->m_contentLength = -1;
            r->m_location = false;
            r->m_status = 0;
            const std::size_t space = line.find(' ');
            if (space != std::string_view::npos && space + 4 <= line.size())
                std::from_chars(line.data() + space + 1, line.data() + space + 4, r->m_status);
        } else if (startsWithIgnoreCase(line, "content-length:")) {
            std::string_view v = line.substr(15);
            while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
                v.remove_prefix(1);
            int64_t n = -1;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            r->m_contentLength = ec == std::errc() && n >= 0 ? n : -1;
        } else if (startsWithIgnoreCase(line, "location:")) {
            r->m_location = true;
        } else if (line == "\r\n" || line == "\n") {
            const bool interim = r->m_status < 200 || (r->m_status >= 300 && r->m_status < 400 && r->m_location);
            if (!interim)
                r->m_headersDone = true;
        }
        return size * count;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* self)
    {
        auto* r = static_cast<CurlRequest*>(self);
        if (r->m_buffer.size() - r->m_offset >= PauseAbove) {
            r->m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        r->m_buffer.append(data, size * count);
        r->m_lastActivity = std::chrono::steady_clock::now();
        return size * count;
    }

    CURLM* m_multi;
    CURL* m_easy;
    curl_slist* m_headers = nullptr;
    std::chrono::milliseconds m_stall;
    std::chrono::steady_clock::time_point m_lastActivity = std::chrono::steady_clock::now();
    bool m_connected = false;
    bool m_paused = false;
    std::string m_buffer;
    std::size_t m_offset = 0;
    bool m_headersDone = false;
    bool m_done = false;
    CURLcode m_result = CURLE_OK;
    int m_status = 0;
    int64_t m_contentLength = -1;
    bool m_location = false;
};

class CurlConnection final : public HttpConnection {
public:
    CurlConnection(std::string agent, const HttpTimeouts& timeouts) : m_agent(std::move(agent)), m_timeouts(timeouts) {}

    std::unique_ptr<HttpRequest> open(const std::string& url) override
    {
        auto request = std::make_unique<CurlRequest>(url, m_agent, m_timeouts);
        if (!request->waitForHeaders())
            return nullptr;
        return request;
    }

private:
    std::string m_agent;
    HttpTimeouts m_timeouts;
};

} // namespace

std::unique_ptr<HttpConnection> openHttpConnection(const std::string& agent, const HttpTimeouts& timeouts)
{
    initialiseCurl();
    return std::make_unique<CurlConnection>(agent, timeouts);
}

bool ensureInternetConnection(const std::string& /*url*/)
{
    return true;
}

} // namespace pordane::platform
