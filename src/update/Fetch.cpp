#include "update/Fetch.h"

#include "platform/FileOps.h"
#include "platform/base/Pump.h"
#include "update/Signature.h"

#include <fstream>
#include <system_error>

namespace pordane::update {

namespace {

constexpr std::size_t WriteChunk = 64 * 1024;

// Deletes the temporary file unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::filesystem::path p) : m_path(std::move(p)) {}
    ~TempFile()
    {
        if (!m_kept) {
            std::error_code ec;
            std::filesystem::remove(m_path, ec);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

} // namespace

const char* describe(FetchResult r)
{
    switch (r) {
    case FetchResult::Ok: return "ok";
    case FetchResult::OpenFailed: return "request could not be opened";
    case FetchResult::HttpStatus: return "HTTP status 300 or more";
    case FetchResult::TempFileFailed: return "temporary file could not be written";
    case FetchResult::ReadError: return "read error";
    case FetchResult::Cancelled: return "cancelled";
    case FetchResult::LengthMismatch: return "length differs from Content-Length";
    case FetchResult::EmptyBody: return "empty body";
    case FetchResult::DigestMismatch: return "sha256 differs";
    case FetchResult::ReplaceFailed: return "local file could not be replaced";
    }
    return "?";
}

FetchResult fetchFile(platform::HttpConnection& connection, const FetchRequest& request, FetchEvents& events)
{
    const auto http = connection.open(request.url);
    if (!http)
        return FetchResult::OpenFailed;
    if (http->status() >= 300)
        return FetchResult::HttpStatus;
    const auto tempName = platform::createUniqueFile(request.tempDirectory, "PUPD");
    if (!tempName)
        return FetchResult::TempFileFailed;
    TempFile temp(*tempName);
    std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
    if (!out)
        return FetchResult::TempFileFailed;

    const int64_t expected = http->contentLength() < 0 ? 0 : http->contentLength();
    const std::string fileName = request.localFile.string();
    const bool checkDigest = !request.expectedSha256.empty();
    Sha256 digest;
    int64_t total = 0;
    char block[FetchBlockSize];
    std::string pending;
    pending.reserve(WriteChunk + FetchBlockSize);
    const auto writePending = [&] {
        out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
        pending.clear();
        return static_cast<bool>(out);
    };
    // While the server keeps us waiting the window still runs, and a cancel
    // ends the wait instead of waiting for the next block.
    const auto idle = [&events] {
        platform::pump();
        return !events.cancelled();
    };
    for (;;) {
        platform::pump();
        const long n = http->read(block, sizeof block, idle);
        if (n == platform::HttpRequest::ReadAbandoned)
            return FetchResult::Cancelled;
        if (n < 0)
            return FetchResult::ReadError;
        if (n == 0)
            break;
        // Blocks are gathered and written 64 KiB at a time: the stream
        // would hand every 4096-byte block to the system on its own.
        pending.append(block, static_cast<std::size_t>(n));
        if (pending.size() >= WriteChunk && !writePending())
            return FetchResult::TempFileFailed;
        if (checkDigest)
            digest.add(std::string_view(block, static_cast<std::size_t>(n)));
        total += n;
        events.progress(fileName, total, expected);
        if (events.cancelled())
            return FetchResult::Cancelled;
    }
    if (!writePending())
        return FetchResult::TempFileFailed;
    out.close();
    if (!out)
        return FetchResult::TempFileFailed;
    if (http->contentLength() >= 0 && total != http->contentLength())
        return FetchResult::LengthMismatch;
    // An empty body would leave an empty local file behind a reported
    // failure; it fails without touching the local file.
    if (total == 0)
        return FetchResult::EmptyBody;
    if (checkDigest && !sameDigest(request.expectedSha256, digest.hex()))
        return FetchResult::DigestMismatch;
    if (!platform::replaceFile(temp.path(), request.localFile))
        return FetchResult::ReplaceFailed;
    temp.keep();
    return FetchResult::Ok;
}

} // namespace pordane::update
