#ifdef _WIN32

// The HTTP backend on Windows: the system's Internet functions (WinINet),
// with the request flags of the updater (reload, no cache write, no-cache
// pragma) and the system's proxy settings.
#include "platform/HttpClient.h"

#include "platform/base/TextEncoding.h"

#include <windows.h>
#include <wininet.h>

#include <string>

namespace pordane::platform {

namespace {

std::wstring wide(std::string_view utf8)
{
    const std::u16string units = utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

bool isHttpAddress(const std::string& url)
{
    const std::string lower = foldCase(url);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET h = nullptr) : m_h(h) {}
    ~InternetHandle()
    {
        if (m_h)
            InternetCloseHandle(m_h);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return m_h; }

private:
    HINTERNET m_h;
};

class WinInetRequest final : public HttpRequest {
public:
    explicit WinInetRequest(HINTERNET request) : m_request(request)
    {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (HttpQueryInfoW(m_request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            m_status = static_cast<int>(status);
        wchar_t text[32] = {};
        DWORD textSize = sizeof text;
        if (HttpQueryInfoW(m_request.get(), HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr)) {
            wchar_t* end = nullptr;
            const long long n = wcstoll(text, &end, 10);
            if (end != text && n >= 0)
                m_contentLength = n;
        }
    }

    int status() const override { return m_status; }
    int64_t contentLength() const override { return m_contentLength; }

    // InternetReadFile blocks until a block or the receive time-out; the
    // window is pumped before each call.
    long read(char* buffer, std::size_t max, const std::function<bool()>& idle) override
    {
        if (idle && !idle())
            return ReadAbandoned;
        DWORD got = 0;
        if (!InternetReadFile(m_request.get(), buffer, static_cast<DWORD>(max), &got))
            return ReadError;
        return static_cast<long>(got);
    }

private:
    InternetHandle m_request;
    int m_status = 0;
    int64_t m_contentLength = -1;
};

class WinInetConnection final : public HttpConnection {
public:
    explicit WinInetConnection(HINTERNET session) : m_session(session) {}

    std::unique_ptr<HttpRequest> open(const std::string& url) override
    {
        if (!isHttpAddress(url))
            return nullptr;
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
        HINTERNET request = InternetOpenUrlW(m_session.get(), wide(url).c_str(), nullptr, 0, flags, 0);
        if (!request)
            return nullptr;
        return std::make_unique<WinInetRequest>(request);
    }

private:
    InternetHandle m_session;
};

void setTimeout(HINTERNET session, DWORD option, std::chrono::milliseconds value)
{
    DWORD ms = static_cast<DWORD>(value.count());
    InternetSetOptionW(session, option, &ms, sizeof ms);
}

} // namespace

std::unique_ptr<HttpConnection> openHttpConnection(const std::string& agent, const HttpTimeouts& timeouts)
{
    HINTERNET session = InternetOpenW(wide(agent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return nullptr;
    setTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connect);
    setTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.stall);
    return std::make_unique<WinInetConnection>(session);
}

bool ensureInternetConnection(const std::string& url)
{
    DWORD state = 0;
    if (InternetGetConnectedState(&state, 0))
        return true;
    // The maker's own test server never triggers a dial-up.
    if (url.find("127.0.0.1") != std::string::npos)
        return true;
    return InternetAutodial(INTERNET_AUTODIAL_FORCE_UNATTENDED, nullptr) != FALSE;
}

} // namespace pordane::platform

#endif
