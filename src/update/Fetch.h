// Fetching one file over HTTP by the updater's rule: a "PUPD" temporary file
// in the temporary folder, the body in blocks of at most 4096 bytes with the
// window's pump before each, progress and the cancel check after each, the
// announced length checked, then the local file replaced.
#pragma once

#include "platform/HttpClient.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace pordane::update {

class FetchEvents {
public:
    virtual ~FetchEvents() = default;
    // After each block: the local target, bytes so far, announced length (0: none).
    virtual void progress(const std::string& FileName, int64_t Pos, int64_t Size) = 0;
    virtual bool cancelled() const = 0;
};

struct FetchRequest {
    std::string url;
    std::filesystem::path localFile;
    std::filesystem::path tempDirectory;
    // Hex SHA-256 the body must have; empty: not checked.
    std::string expectedSha256;
};

enum class FetchResult {
    Ok,
    OpenFailed,     // no answer, refused, bad address, redirect refused
    HttpStatus,     // 300 or more
    TempFileFailed,
    ReadError,      // broken connection, stall time-out
    Cancelled,
    LengthMismatch, // body shorter or longer than its Content-Length
    EmptyBody,
    DigestMismatch,
    ReplaceFailed,
};

const char* describe(FetchResult r);

inline constexpr std::size_t FetchBlockSize = 4096;

// On any result but Ok the temporary file is gone and the local file untouched.
FetchResult fetchFile(platform::HttpConnection& connection, const FetchRequest& request, FetchEvents& events);

} // namespace pordane::update
